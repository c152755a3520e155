// SPDX-License-Identifier: MIT
// Tests that need a few numbered texts: the English table holds them for the test's lifetime.
#pragma once

#include "app/Language.h"

class TEnglishTexts {
 public:
  // `lines` are "NUMBER=text" lines separated by CR LF.
  explicit TEnglishTexts(const std::string& lines) {
    LangTable(TLangKind::English).LoadFromText("English\r\n" + lines);
  }
  ~TEnglishTexts() { LangTable(TLangKind::English).Clear(); }
  TEnglishTexts(const TEnglishTexts&) = delete;
  TEnglishTexts& operator=(const TEnglishTexts&) = delete;
};
