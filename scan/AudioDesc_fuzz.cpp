// SPDX-License-Identifier: MIT
// Fuzz target of the reader of music and sound files: TagLib over the bytes. Whatever the bytes, it
// must neither crash, nor read outside them, nor hang.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "scan/AudioDesc.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  AudioDescriptionFromBytes(std::string_view(reinterpret_cast<const char*>(data), size));
  return 0;
}
