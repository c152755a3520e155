// SPDX-License-Identifier: MIT
// Fuzz target: the bytes are examined as an archive and listed by every reader we have (our
// header readers at offset 0, libarchive for each of its formats, and the whole TZipTV path
// with the listing store and the subtree writer the scanner runs), so that no input crashes,
// hangs or leaks. External tools are off.
#include <clocale>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "archive/ArcDetect.h"
#include "archive/ArchiveListing.h"
#include "archive/LibArchiveReader.h"
#include "archive/OwnReaders.h"
#include "archive/UdfReader.h"
#include "archive/ZipTV.h"
#include "store/QDBase.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bool once = [] {
    std::setlocale(LC_CTYPE, "C.UTF-8");
    return true;
  }();
  (void)once;
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  TArcSource src;
  src.OpenMemory(bytes);
  size_t count = 0;
  auto sink = [&](const TArchiveEntry& e) {
    count += e.Path.size() + 1;
    return count < 100000;
  };
  (void)ListArj(src, 0, sink);
  (void)ListArc(src, 0, sink);
  (void)ListZoo(src, 0, sink);
  (void)ListHa(src, 0, sink);
  (void)ListAce(src, 0, sink);
  for (int32_t t : {atZip, atRar, atCab, atLzh, atTar, atTarGZip, atGZip, atSevenZip, atIso9660})
    (void)LibArchiveList(src, 0, t, sink);
  // UDF only where the descriptors say so: libcdio is handed a memory file of the whole input.
  if (DiscImageType(src) == atUdf) (void)ListUdf(src, sink);
  ProgramImageEnd(src);

  for (const char* name : {"x.zip", "x.lha", "x.exe", "x.iso"}) {
    TZipTV reader;
    reader.UseExternalTools = false;
    reader.SetArchiveMemory(bytes, name);
    TQDBase listing;
    ListArchive(reader, listing);
    TQDBase tree;
    tree.EnterChild(0);  // the archive's header
    tree.Up();
    WriteArchiveLevel(listing, tree, "");
  }
  return 0;
}
