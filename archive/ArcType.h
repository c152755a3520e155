// SPDX-License-Identifier: MIT
// TArcType: the archive format code that the archive reader reports after it has examined a
// file. The numbers are stored nowhere but are part of the reader's interface (the file
// operations choose their extractor by them), so they never change; new formats are appended.
// Thread-safe (constants only).
#pragma once

#include <cstdint>

enum TArcType : int32_t {
  atNA = 0,           // no file examined yet
  atUnsupported = 1,  // a format we recognise but cannot list
  atFileOpenErr = 2,  // the file could not be opened
  atUnknown = 3,      // not an archive
  atAce = 4,
  atAceExe = 5,
  atArc = 6,
  atArcExe = 7,
  atArj = 8,
  atArjExe = 9,
  atBh = 10,
  atBhExe = 11,
  atCab = 12,
  atCabExe = 13,
  atGZip = 14,
  atHA = 15,
  atJar = 16,
  atJarExe = 17,
  atLha = 18,
  atLhaExe = 19,
  atLzh = 20,
  atLzhExe = 21,
  atMsGZ = 22,
  atPak = 23,
  atPakExe = 24,
  atRar = 25,
  atRarExe = 26,
  atTar = 27,
  atTarGZip = 28,
  atUUE = 29,
  atZip = 30,
  atZipExe = 31,
  atZipDS = 32,
  atZipMV = 33,
  atZoo = 34,
  // Formats this reader adds to the historical list.
  atSevenZip = 35,
  atSevenZipExe = 36,
  atIso9660 = 37,  // a CD or DVD image with an ISO 9660 file system (Joliet, Rock Ridge)
  atUdf = 38,      // a DVD or Blu-ray image with a UDF file system only
};

// Codes 0 to 3 mark a file that cannot be listed; every other code is listable.
inline bool IsListableArcType(int32_t type) { return type > atUnknown && type <= atUdf; }

// True for the self-extractor variants (an archive appended to a program).
bool IsSelfExtractorType(int32_t type);

// A short English name of the format ("ZIP", "ARJ self-extractor"), for messages and tools.
const char* ArcTypeName(int32_t type);
