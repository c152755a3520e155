// SPDX-License-Identifier: MIT
// Fuzz target of the reader of office documents and e-books: libarchive and Expat over the bytes.
// Whatever the bytes, it must neither crash, nor read outside them, nor hang.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "scan/OfficeDesc.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  OfficeDescriptionFromBytes(bytes);
  ParseDocMetadata(bytes);  // the metadata XML itself
  return 0;
}
