// SPDX-License-Identifier: MIT
// Helpers shared by the content-reader tests: fixture paths, scratch files, the language texts
// the readers put into descriptions.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

#include "app/Language.h"
#include "platform/FileIO.h"

inline std::string ReaderFixture(const std::string& name) {
  return std::string(TOLVANE_SOURCE_DIR) + "/scan/testdata/readers/" + name;
}

inline std::string ReaderFixtureBytes(const std::string& name) {
  std::string data;
  EXPECT_EQ(ReadWholeFile(ReaderFixture(name), data).Message(), "") << name;
  return data;
}

// A file under the test scratch folder holding `data`; returns its path.
inline std::string ReaderScratchFile(const std::string& name, std::string_view data) {
  const char* base = std::getenv("TOLVANE_TEST_TMP");
  std::filesystem::path dir = base ? base : std::filesystem::temp_directory_path().string();
  dir /= "readers";
  std::filesystem::create_directories(dir);
  std::string path = (dir / name).string();
  EXPECT_EQ(WriteWholeFileAtomic(path, data).Message(), "");
  return path;
}

// English texts the readers use: tag labels and the colour-depth unit.
inline void LoadReaderTexts() {
  LangTable(TLangKind::Selected).Clear();
  LangTable(TLangKind::English)
      .LoadFromText("English\n11801=Album:\n11802=Year:\n11803=Genre:\n11805=bits\n");
}
