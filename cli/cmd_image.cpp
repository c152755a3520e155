// SPDX-License-Identifier: MIT
// tolvane-cli dump / check: debug tools for node-store images (catalogs, settings).
#include <cinttypes>
#include <cstdio>
#include <cstring>

#include "cli/Command.h"
#include "platform/FileIO.h"
#include "store/QDBase.h"
#include "store/QDDump.h"
#include "store/QDImageWalk.h"

namespace {

bool LoadImageFile(const std::string& path, TQDBase& store, std::string& header,
                   std::string& reason, size_t* imageSize = nullptr) {
  std::string image;
  TError err = ReadWholeFile(path, image, kMaxImageSize);
  if (err.Failed()) {
    reason = err.Message();  // the callers name the file
    return false;
  }
  header = image.substr(0, std::min<size_t>(image.size(), 50));
  if (imageSize) *imageSize = image.size();
  if (!store.LoadFromString(image)) {
    reason = store.LoadFailure();
    return false;
  }
  return true;
}

int RunDump(const std::vector<std::string>& args) {
  if (args.size() != 1) {
    std::fprintf(stderr, "Usage: tolvane-cli dump FILE\n");
    return 2;
  }
  TQDBase store;
  std::string header, reason;
  size_t imageSize = 0;
  if (!LoadImageFile(args[0], store, header, reason, &imageSize)) {
    std::fprintf(stderr, "%s: not a valid image: %s\n", args[0].c_str(), reason.c_str());
    return 1;
  }
  size_t sigLen = std::min<size_t>(static_cast<unsigned char>(header[9]), 8);
  uint64_t sum = 0;  // the header was taken before loading cleared the checksum
  if (header.size() >= 32) std::memcpy(&sum, header.data() + 24, 8);
  std::printf("signature %s, version 0x%02X, checksum 0x%016" PRIX64 ", %zu bytes\n",
              DumpEscape(header.substr(10, sigLen)).c_str(), static_cast<unsigned char>(header[0]),
              sum, imageSize);
  DumpStoreTree(store, stdout);
  return 0;
}

int RunCheck(const std::vector<std::string>& args) {
  if (args.size() != 1) {
    std::fprintf(stderr, "Usage: tolvane-cli check FILE\n");
    return 2;
  }
  // The file is walked in place, as a load reads it, without building its tree: the pages read
  // are given back as the walk goes, so a check of any size holds a few megabytes.
  TFileImage image;
  std::string reason;
  int64_t accounted = 0;
  TError err = MapWholeFile(args[0], image, kMaxImageSize);
  if (err.Failed()) {
    reason = err.Message();
  } else {
    TImageNoVisitor none;
    if (WalkImage(image.View(), none, image.Mapped(), reason, &accounted) && image.Damaged())
      reason = "the file was truncated while it was read";
  }
  if (!reason.empty()) {
    std::printf("%s: invalid: %s\n", args[0].c_str(), reason.c_str());
    return 1;
  }
  std::printf("%s: valid image, %" PRId64 " bytes accounted\n", args[0].c_str(), accounted);
  return 0;
}

const CliCommand kDump{"dump", "dump FILE",
                       "Print the tree of a node-store image (catalog or settings file)", RunDump};
const CliCommand kCheck{"check", "check FILE",
                        "Exit 0 for a valid node-store image, 1 with the reason otherwise",
                        RunCheck};
CliRegistration regDump(kDump);
CliRegistration regCheck(kCheck);

}  // namespace
