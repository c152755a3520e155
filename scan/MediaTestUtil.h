// SPDX-License-Identifier: MIT
// Helpers of the media reader tests: a scratch folder, the real tools that make the test files
// (a test whose tool is missing skips with a message) and the texts the readers write.
#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "app/Language.h"

// A fresh folder of the test's own under the test scratch folder.
inline std::string MediaScratch(const std::string& name) {
  const char* base = std::getenv("TOLVANE_TEST_TMP");
  std::filesystem::path dir = base ? base : std::filesystem::temp_directory_path().string();
  dir /= "media-" + std::to_string(::getpid()) + "-" + name;
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  return dir.string();
}

inline bool HaveTool(const std::string& tool) {
  return std::system(("command -v " + tool + " >/dev/null 2>&1").c_str()) == 0;
}

// Runs `command` through the shell in `dir`, its output discarded; true iff it exits with 0.
inline bool RunIn(const std::string& dir, const std::string& command) {
  int rc = std::system(("cd '" + dir + "' && ( " + command + " ) >/dev/null 2>&1").c_str());
  return rc != -1 && WIFEXITED(rc) && WEXITSTATUS(rc) == 0;
}

// What `command` prints on its standard output, run in `dir`, without a last line end.
inline std::string OutputIn(const std::string& dir, const std::string& command) {
  std::string out;
  FILE* p = ::popen(("cd '" + dir + "' && ( " + command + " ) 2>/dev/null").c_str(), "r");
  if (!p) return out;
  char buf[4096];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
  ::pclose(p);
  while (!out.empty() && (out.back() == '\n' || out.back() == '\r')) out.pop_back();
  return out;
}

#define REQUIRE_TOOL(tool) \
  if (!HaveTool(tool)) GTEST_SKIP() << tool << " is not installed: this test needs it"

// English texts the media readers use.
inline void LoadMediaTexts() {
  LangTable(TLangKind::Selected).Clear();
  LangTable(TLangKind::English)
      .LoadFromText(
          "English\n11801=Album:\n11802=Year:\n11803=Genre:\n11805=bits\n11806=Audio:\n"
          "11807=Pages:\n11808=Author:\n11809=%s more audio tracks\n");
}
