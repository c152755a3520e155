// SPDX-License-Identifier: MIT
#include "store/QDDump.h"

#include <cinttypes>
#include <cstring>
#include <vector>

// Prints bytes as a C-like string literal: printable ASCII as is, UTF-8 sequences as is when
// valid, everything else as \xNN.
std::string DumpEscape(std::string_view s) {
  std::string out = "\"";
  for (size_t i = 0; i < s.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    switch (c) {
      case '"':
        out += "\\\"";
        continue;
      case '\\':
        out += "\\\\";
        continue;
      case '\r':
        out += "\\r";
        continue;
      case '\n':
        out += "\\n";
        continue;
      case '\t':
        out += "\\t";
        continue;
      default:
        break;
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

namespace {

const char* TypeName(uint8_t t) {
  switch (t) {
    case stEmpty:
      return "empty";
    case stNode:
      return "node";
    case stString:
      return "string";
    case stInteger:
      return "integer";
    case stFloat:
      return "float";
    case stInt64:
      return "int64";
    case stFloatHigh:
      return "float-high";
    case stInt64High:
      return "int64-high";
  }
  return "?";
}

}  // namespace

void DumpStoreTree(TQDBase& store, std::FILE* out) {
  struct Frame {
    const TNodeRec* node;
    int next;
  };
  std::vector<Frame> stack{{store.RootNode(), 0}};
  std::fprintf(out, "node: %d slots\n", store.RootNode()->SlotCount);
  while (!stack.empty()) {
    Frame& f = stack.back();
    const TNodeRec* n = f.node;
    if (f.next >= n->SlotCount) {
      stack.pop_back();
      continue;
    }
    int i = f.next++;
    // Two spaces per level up to kDumpIndentDepth; deeper lines carry their depth as a number,
    // so that the output of a deep chain grows with its depth, not with its square.
    const size_t depth = stack.size();
    if (depth <= kDumpIndentDepth)
      std::fprintf(out, "%*s[%d] ", static_cast<int>(2 * depth), "", i);
    else
      std::fprintf(out, "%*s<%zu>[%d] ", static_cast<int>(2 * kDumpIndentDepth), "", depth, i);
    uint8_t t = NodeSlotType(n, i);
    switch (t) {
      case stEmpty:
        std::fprintf(out, "empty\n");
        break;
      case stInteger:
        std::fprintf(out, "integer %" PRId32 "\n", NodeGetInt(n, i));
        break;
      case stString:
        std::fprintf(out, "string %s\n", DumpEscape(NodeGetStr(n, i)).c_str());
        break;
      case stFloat:
      case stInt64: {
        bool pair = i + 1 < n->SlotCount &&
                    NodeSlotType(n, i + 1) == (t == stFloat ? stFloatHigh : stInt64High);
        if (!pair) {
          std::fprintf(out, "%s (without its high half)\n", TypeName(t));
        } else if (t == stFloat) {
          std::fprintf(out, "float %.10g\n", NodeGetFloat(n, i));
          ++f.next;
        } else {
          std::fprintf(out, "int64 %" PRId64 "\n", NodeGetInt64(n, i));
          ++f.next;
        }
        break;
      }
      case stNode: {
        const TNodeRec* c = NodeChild(n, i);
        std::fprintf(out, "node: %d slots\n", c->SlotCount);
        stack.push_back({c, 0});
        break;
      }
      default:
        std::fprintf(out, "%s (lone)\n", TypeName(t));
        break;
    }
  }
}
