// SPDX-License-Identifier: MIT
#include "store/QDDump.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>

namespace {

std::string Dump(TQDBase& bd) {
  char* buf = nullptr;
  size_t len = 0;
  std::FILE* out = ::open_memstream(&buf, &len);
  DumpStoreTree(bd, out);
  std::fclose(out);
  std::string text(buf, len);
  std::free(buf);
  return text;
}

}  // namespace

TEST(QDDump, ShallowTreesAreIndentedBySpaces) {
  TQDBase bd;
  bd.SetInt(0, 7);
  bd.EnterChild(1);
  bd.SetStr(0, "a\tb\xC3\xA4\x01");
  bd.SetInt64(1, -5);
  EXPECT_EQ(Dump(bd),
            "node: 2 slots\n"
            "  [0] integer 7\n"
            "  [1] node: 3 slots\n"
            "    [0] string \"a\\tb\xC3\xA4\\x01\"\n"
            "    [1] int64 -5\n");
}

TEST(QDDump, ADeepChainPrintsOutputLinearInItsDepth) {
  constexpr int kDepth = 10000;
  TQDBase bd;
  for (int i = 0; i < kDepth; ++i) bd.EnterChild(0);
  bd.SetInt(1, 42);
  std::string text = Dump(bd);
  // One line per level, each at most the indentation limit plus a depth number and a slot.
  EXPECT_LT(text.size(), size_t(kDepth) * (2 * kDumpIndentDepth + 32));
  std::istringstream lines(text);
  std::string line;
  int n = 0;
  size_t longest = 0;
  while (std::getline(lines, line)) {
    ++n;
    longest = std::max(longest, line.size());
  }
  EXPECT_EQ(n, kDepth + 3);  // the root, one line per level, the deepest node's two slots
  EXPECT_LE(longest, 2 * kDumpIndentDepth + 32);
  // Deep lines say how deep they are.
  EXPECT_NE(text.find(std::string(2 * kDumpIndentDepth, ' ') + "<10001>[1] integer 42\n"),
            std::string::npos);
  EXPECT_NE(text.find(std::string(2 * kDumpIndentDepth, ' ') + "[0] node: 1 slots\n"),
            std::string::npos);
}
