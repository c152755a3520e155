// SPDX-License-Identifier: MIT
// Fuzz target: feeds arbitrary bytes to every content and tag reader through their bytes-based
// entry points. The readers must neither crash nor read outside the data, whatever the bytes.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/CodePage.h"
#include "scan/ByteSource.h"
#include "scan/ContentDesc.h"
#include "scan/MediaTags.h"
#include "scan/PeVersion.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  HtmlTitleFromBytes(bytes);
  TextHeadFromBytes(bytes, 1, false);
  TextHeadFromBytes(bytes, 1, true, "CP866");
  for (int reader = 5; reader <= 10; ++reader) ImageDescriptionFromBytes(bytes, reader);
  FileVersionInfo info;
  (void)FileVersionInfoFromBytes(bytes, "fuzz", info);
  VersionTextFromBytes(bytes);
  Mp3TagsFromBytes(bytes);
  TID3v2 v2;
  v2.Read(TByteSource::OfBytes(bytes));
  Utf16ToUtf8(bytes, size % 2 == 0);
  IsValidUtf8(bytes);
  return 0;
}
