// SPDX-License-Identifier: MIT
#include "app/qt/ProgramPlaces.h"

const TProgramPlaces& ProgramPlaces() {
  static const TProgramPlaces places = FindProgramPlaces(CurrentProgramInputs({
#ifdef TOLVANE_DATA_DIR
      TOLVANE_DATA_DIR,
#endif
#ifdef TOLVANE_SOURCE_DIR
      TOLVANE_SOURCE_DIR,
#endif
  }));
  return places;
}
