// SPDX-License-Identifier: MIT
// Fuzz target for the image loader: any bytes, with the checksum re-sealed so that the fuzzer
// reaches the structure reader. Whatever loads must save and load again.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "store/QDBase.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string image(reinterpret_cast<const char*>(data), size);
  {
    TQDBase raw;
    std::string copy = image;
    raw.LoadFromString(copy);
  }
  if (image.size() > 48) {
    for (int k = 0; k < 8; ++k) image[24 + k] = 0;
    uint64_t sum = TQDBase::Checksum(image);
    for (int k = 0; k < 8; ++k) image[24 + k] = static_cast<char>(sum >> (8 * k));
  }
  TQDBase db;
  if (db.LoadFromString(image)) {
    std::string again;
    db.SaveToString(again);
    TQDBase back;
    if (!back.LoadFromString(again)) std::abort();
    if (back.MemoryUsed() != db.MemoryUsed()) std::abort();
  } else if (db.MemoryUsed() != 36) {
    std::abort();
  }
  return 0;
}
