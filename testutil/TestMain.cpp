// SPDX-License-Identifier: MIT
// Shared main() of the core test executables: a UTF-8 C library locale (archive names and
// iconv need it; CI leaves LANG unset), then GoogleTest.
#include <gtest/gtest.h>

#include <clocale>

int main(int argc, char** argv) {
  std::setlocale(LC_CTYPE, "C.UTF-8");
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
