// SPDX-License-Identifier: MIT
// Fuzz target of the reader of PDF documents: Poppler over the bytes. Whatever the bytes, it
// must neither crash, nor read outside them, nor hang.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "scan/PdfDesc.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  PdfDescriptionFromBytes(std::string_view(reinterpret_cast<const char*>(data), size));
  return 0;
}
