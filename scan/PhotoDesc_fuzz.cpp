// SPDX-License-Identifier: MIT
// Fuzz target of the reader of photos: Exiv2 over the bytes, our own size readers beside it.
// Whatever the bytes, it must neither crash, nor read outside them, nor hang.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "scan/PhotoDesc.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  PhotoDescriptionFromBytes(std::string_view(reinterpret_cast<const char*>(data), size));
  return 0;
}
