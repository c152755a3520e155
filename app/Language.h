// SPDX-License-Identifier: MIT
// Language tables: every text the program shows is looked up by number.
//
// A language file ("Language/<name>.lng") holds one line per text: the first line is the
// language's display name; an entry is a line that is not empty, is not exactly ";", and holds
// "="; before the first "=" stands the decimal number (anything else gives 0, never looked up),
// after it the text, untrimmed and unescaped. The first line with a number wins. A table counts
// as loaded when its file had more than 100 lines. Files are UTF-8 (older ones in a single-byte
// code page are shown through the legacy code page at the GUI boundary).
//
// Two tables exist: English (the fallback) and the selected language. Both are filled once at
// start-up on the GUI thread and only read afterwards.
#pragma once

#include <string>
#include <string_view>
#include <vector>

class TLangTable {
 public:
  // Clears the table and reads the file into it; an unreadable file leaves it empty. True iff the
  // file could be read.
  bool LoadFromFile(const std::string& path);
  // Parses text already in memory (lines end in CR LF or LF).
  void LoadFromText(std::string_view text);
  void Clear();
  // More than 100 lines.
  bool Loaded() const { return lines_.size() > 100; }
  int LineCount() const { return static_cast<int>(lines_.size()); }
  // The first line (the language's display name), or empty.
  std::string FirstLine() const;
  // The text of the first line with `number`, or nullptr.
  const std::string* Find(int number) const;

 private:
  struct Line {
    int number;
    std::string text;
  };
  std::vector<Line> lines_;
  std::string firstLine_;
  std::vector<std::pair<int, size_t>> index_;  // (number, line) sorted; first line of a number
};

enum class TLangKind { English, Selected };

TLangTable& LangTable(TLangKind which);

// The text of `number` from the selected table, else from the English table, else "-----".
std::string LangText(int number);

// LangText(number) used as a format string with one string argument ("%s").
std::string LangFormat(int number, std::string_view arg);
