// SPDX-License-Identifier: MIT
// Fuzz target of the reader of videos: libavformat's demuxers over the bytes. Whatever the bytes,
// it must neither crash, nor read outside them, nor hang.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "scan/VideoDesc.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  VideoDescriptionFromBytes(std::string_view(reinterpret_cast<const char*>(data), size));
  return 0;
}
