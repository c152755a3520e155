// SPDX-License-Identifier: MIT
// tolvane-cli dump / check: debug tools for node-store images (catalogs, settings).
#include <cinttypes>
#include <cstdio>
#include <cstring>

#include "cli/Command.h"
#include "platform/FileIO.h"
#include "store/QDBase.h"

namespace {

// Prints bytes as a C-like string literal: printable ASCII as is, UTF-8 sequences as is when
// valid, everything else as \xNN.
std::string Escape(std::string_view s) {
  std::string out = "\"";
  for (size_t i = 0; i < s.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    switch (c) {
      case '"': out += "\\\""; continue;
      case '\\': out += "\\\\"; continue;
      case '\r': out += "\\r"; continue;
      case '\n': out += "\\n"; continue;
      case '\t': out += "\\t"; continue;
      default: break;
    }
    if (c >= 0x20 && c < 0x7F) {
      out += static_cast<char>(c);
      continue;
    }
    // A valid UTF-8 sequence of 2..4 bytes stays as it is.
    size_t len = c >= 0xF0 && c <= 0xF4 ? 4 : c >= 0xE0 ? 3 : c >= 0xC2 && c < 0xE0 ? 2 : 0;
    bool valid = len && i + len <= s.size();
    for (size_t k = 1; valid && k < len; ++k)
      valid = (static_cast<unsigned char>(s[i + k]) & 0xC0) == 0x80;
    if (valid && c < 0xF8) {
      out.append(s.substr(i, len));
      i += len - 1;
      continue;
    }
    char buf[8];
    std::snprintf(buf, sizeof buf, "\\x%02X", c);
    out += buf;
  }
  return out + "\"";
}

const char* TypeName(uint8_t t) {
  switch (t) {
    case stEmpty: return "empty";
    case stNode: return "node";
    case stString: return "string";
    case stInteger: return "integer";
    case stFloat: return "float";
    case stInt64: return "int64";
    case stFloatHigh: return "float-high";
    case stInt64High: return "int64-high";
  }
  return "?";
}

bool LoadImageFile(const std::string& path, TQDBase& store, std::string& header,
                   std::string& reason) {
  std::string image;
  std::string err = ReadWholeFile(path, image);
  if (!err.empty()) {
    reason = path + ": " + err;
    return false;
  }
  header = image.substr(0, std::min<size_t>(image.size(), 50));
  if (!store.LoadFromString(image)) {
    reason = store.LoadFailure();
    return false;
  }
  return true;
}

void DumpNode(TQDBase& store) {
  struct Frame {
    const TNodeRec* node;
    int next;
  };
  std::vector<Frame> stack{{store.RootNode(), 0}};
  std::printf("node: %d slots\n", store.RootNode()->SlotCount);
  while (!stack.empty()) {
    Frame& f = stack.back();
    const TNodeRec* n = f.node;
    if (f.next >= n->SlotCount) {
      stack.pop_back();
      continue;
    }
    int i = f.next++;
    std::string indent(2 * stack.size(), ' ');
    uint8_t t = NodeSlotType(n, i);
    std::printf("%s[%d] ", indent.c_str(), i);
    switch (t) {
      case stEmpty: std::printf("empty\n"); break;
      case stInteger: std::printf("integer %" PRId32 "\n", NodeGetInt(n, i)); break;
      case stString: std::printf("string %s\n", Escape(NodeGetStr(n, i)).c_str()); break;
      case stFloat:
      case stInt64: {
        bool pair = i + 1 < n->SlotCount &&
                    NodeSlotType(n, i + 1) == (t == stFloat ? stFloatHigh : stInt64High);
        if (!pair) {
          std::printf("%s (without its high half)\n", TypeName(t));
        } else if (t == stFloat) {
          std::printf("float %.10g\n", NodeGetFloat(n, i));
          ++f.next;
        } else {
          std::printf("int64 %" PRId64 "\n", NodeGetInt64(n, i));
          ++f.next;
        }
        break;
      }
      case stNode: {
        const TNodeRec* c = NodeChild(n, i);
        std::printf("node: %d slots\n", c->SlotCount);
        stack.push_back({c, 0});
        break;
      }
      default: std::printf("%s (lone)\n", TypeName(t)); break;
    }
  }
}

int RunDump(const std::vector<std::string>& args) {
  if (args.size() != 1) {
    std::fprintf(stderr, "Usage: tolvane-cli dump FILE\n");
    return 2;
  }
  TQDBase store;
  std::string header, reason;
  if (!LoadImageFile(args[0], store, header, reason)) {
    std::fprintf(stderr, "%s: not a valid image: %s\n", args[0].c_str(), reason.c_str());
    return 1;
  }
  size_t sigLen = std::min<size_t>(static_cast<unsigned char>(header[9]), 8);
  std::string image;
  std::string err = ReadWholeFile(args[0], image);
  uint64_t sum = 0;
  if (image.size() >= 32) std::memcpy(&sum, image.data() + 24, 8);
  std::printf("signature %s, version 0x%02X, checksum 0x%016" PRIX64 ", %zu bytes\n",
              Escape(header.substr(10, sigLen)).c_str(), static_cast<unsigned char>(header[0]),
              sum, image.size());
  DumpNode(store);
  return 0;
}

int RunCheck(const std::vector<std::string>& args) {
  if (args.size() != 1) {
    std::fprintf(stderr, "Usage: tolvane-cli check FILE\n");
    return 2;
  }
  TQDBase store;
  std::string header, reason;
  if (!LoadImageFile(args[0], store, header, reason)) {
    std::printf("%s: invalid: %s\n", args[0].c_str(), reason.c_str());
    return 1;
  }
  std::printf("%s: valid image, %" PRId64 " bytes accounted\n", args[0].c_str(),
              store.MemoryUsed64());
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
