// SPDX-License-Identifier: MIT
// Tests of the language tables: the line rules of the loader, lookup with its English fallback, and
// the shipped files Language/*.lng (well formed, the same numbers in every language, the same "%s"
// arguments, and an entry for every number that the program's code looks up).
#include "app/Language.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "platform/FileIO.h"

namespace fs = std::filesystem;

namespace {

// Both tables are process-wide; every test starts and ends with them empty.
class LanguageTest : public ::testing::Test {
 protected:
  void SetUp() override { ClearTables(); }
  void TearDown() override { ClearTables(); }
  static void ClearTables() {
    LangTable(TLangKind::English).Clear();
    LangTable(TLangKind::Selected).Clear();
  }
};

// `count` comment lines, each ended by CR LF.
std::string CommentLines(int count) {
  std::string out;
  for (int i = 0; i < count; ++i) out += "comment line\r\n";
  return out;
}

// ---- loader rules --------------------------------------------------------------------------

TEST_F(LanguageTest, LineRules) {
  TLangTable t;
  t.LoadFromText(
      "Testish\r\n"      // 1: the display name, no entry
      "x=abc\r\n"        // 2: not a number: number 0, never found
      "10005=A\r\n"      // 3
      "12=\r\n"          // 4: empty text
      "5=a=b\r\n"        // 5: the text runs from the first "="
      ";\r\n"            // 6: comment
      "10005=B\r\n"      // 7: a later line with a number already seen loses
      "20=lf\n"          // 8: a lone LF ends a line too
      "21= padded \r\n"  // 9: the text is not trimmed
      " 22=x\r\n"        // 10: a blank before the number makes it invalid
      "23=a\rb\r\n"      // 11: a lone CR does not end a line
      "\r\n"             // 12: empty line
      "24=last");        // 13: the last line needs no line end
  EXPECT_EQ(t.FirstLine(), "Testish");
  EXPECT_EQ(t.LineCount(), 13);
  EXPECT_EQ(t.Find(0), nullptr);
  EXPECT_EQ(t.Find(22), nullptr);
  ASSERT_NE(t.Find(10005), nullptr);
  EXPECT_EQ(*t.Find(10005), "A");
  ASSERT_NE(t.Find(12), nullptr);
  EXPECT_EQ(*t.Find(12), "");
  ASSERT_NE(t.Find(5), nullptr);
  EXPECT_EQ(*t.Find(5), "a=b");
  ASSERT_NE(t.Find(20), nullptr);
  EXPECT_EQ(*t.Find(20), "lf");
  ASSERT_NE(t.Find(21), nullptr);
  EXPECT_EQ(*t.Find(21), " padded ");
  ASSERT_NE(t.Find(23), nullptr);
  EXPECT_EQ(*t.Find(23), "a\rb");
  ASSERT_NE(t.Find(24), nullptr);
  EXPECT_EQ(*t.Find(24), "last");
  EXPECT_EQ(t.Find(7), nullptr);

  // Loading again replaces everything.
  t.LoadFromText("Other\n1=one\n");
  EXPECT_EQ(t.FirstLine(), "Other");
  EXPECT_EQ(t.Find(5), nullptr);
  EXPECT_EQ(t.LineCount(), 2);
}

TEST_F(LanguageTest, LoadedNeedsMoreThan100Lines) {
  TLangTable t;
  t.LoadFromText("Name\r\n" + CommentLines(99));  // 100 lines, the final line end adds none
  EXPECT_EQ(t.LineCount(), 100);
  EXPECT_FALSE(t.Loaded());
  t.LoadFromText("Name\r\n" + CommentLines(99) + "\r\n");  // an empty 101st line counts
  EXPECT_EQ(t.LineCount(), 101);
  EXPECT_TRUE(t.Loaded());
  t.LoadFromText("");
  EXPECT_EQ(t.LineCount(), 0);
  EXPECT_FALSE(t.Loaded());
  EXPECT_EQ(t.FirstLine(), "");
}

TEST_F(LanguageTest, LookupFallsBackToEnglishThenDashes) {
  LangTable(TLangKind::English).LoadFromText("English\r\n1=One\r\n2=Two\r\n3=Three %s\r\n");
  LangTable(TLangKind::Selected).LoadFromText("Deutsch\r\n2=Zwei\r\n4=\r\n");
  EXPECT_EQ(LangText(1), "One");   // only English has it
  EXPECT_EQ(LangText(2), "Zwei");  // the selected table wins
  EXPECT_EQ(LangText(4), "");      // an empty selected text is still the selected text
  EXPECT_EQ(LangText(9), "-----");
  EXPECT_EQ(LangText(0), "-----");
  EXPECT_EQ(LangFormat(3, "x"), "Three x");
  EXPECT_EQ(LangFormat(9, "x"), "-----");

  // A selected file that cannot be read leaves that table empty: English answers.
  EXPECT_FALSE(LangTable(TLangKind::Selected).LoadFromFile("/nonexistent/dir/None.lng"));
  EXPECT_EQ(LangTable(TLangKind::Selected).LineCount(), 0);
  EXPECT_EQ(LangText(2), "Two");
}

TEST_F(LanguageTest, FormatTakesOneArgument) {
  LangTable(TLangKind::English)
      .LoadFromText("E\n1=Saved %s.\n2=%s then %s\n3=100%% of %s\n4=no argument\n5=%d %\n");
  EXPECT_EQ(LangFormat(1, "a.ctl"), "Saved a.ctl.");
  EXPECT_EQ(LangFormat(2, "x"), "x then %s");  // only the first %s takes the argument
  EXPECT_EQ(LangFormat(3, "disk"), "100% of disk");
  EXPECT_EQ(LangFormat(4, "x"), "no argument");
  EXPECT_EQ(LangFormat(5, "x"), "%d %");            // other directives stay as written
  EXPECT_EQ(LangFormat(1, "50%s"), "Saved 50%s.");  // the argument is not formatted again
}

// ---- shipped language files ----------------------------------------------------------------

struct LangEntry {
  int number;
  std::string text;
  int line;  // 1-based
};

struct LangFileInfo {
  std::string path;
  std::string raw;
  std::vector<std::string> lines;
  std::vector<LangEntry> entries;
};

// True iff `s` is well-formed UTF-8 (no overlong forms, no surrogates, at most U+10FFFF).
bool IsValidUtf8(std::string_view s) {
  size_t i = 0;
  while (i < s.size()) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    int extra;
    unsigned cp;
    if (c < 0x80) {
      ++i;
      continue;
    } else if (c >= 0xC2 && c <= 0xDF) {
      extra = 1, cp = c & 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
      extra = 2, cp = c & 0x0F;
    } else if (c >= 0xF0 && c <= 0xF4) {
      extra = 3, cp = c & 0x07;
    } else {
      return false;
    }
    if (i + extra >= s.size()) return false;  // truncated sequence
    for (int k = 1; k <= extra; ++k) {
      unsigned char d = static_cast<unsigned char>(s[i + k]);
      if ((d & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (d & 0x3F);
    }
    if ((extra == 2 && (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF))) ||
        (extra == 3 && (cp < 0x10000 || cp > 0x10FFFF)))
      return false;
    i += extra + 1;
  }
  return true;
}

// Reads a shipped file and splits it the way the loader does, noting every line with "=" whose
// number is a plain positive decimal (the format the files promise).
LangFileInfo ReadLangFile(const std::string& name) {
  LangFileInfo info;
  info.path = std::string(TOLVANE_SOURCE_DIR) + "/Language/" + name;
  TError err = ReadWholeFile(info.path, info.raw);
  EXPECT_EQ(err.Message(), "") << info.path;
  size_t pos = 0;
  while (pos < info.raw.size()) {
    size_t end = info.raw.find('\n', pos);
    if (end == std::string::npos) end = info.raw.size();
    std::string line = info.raw.substr(pos, end - pos);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    info.lines.push_back(line);
    pos = end + 1;
  }
  for (size_t i = 0; i < info.lines.size(); ++i) {
    const std::string& line = info.lines[i];
    size_t eq = line.find('=');
    if (eq == std::string::npos) continue;
    std::string num = line.substr(0, eq);
    bool digits = !num.empty() && num.size() <= 9 && num[0] != '0' &&
                  std::all_of(num.begin(), num.end(), [](char c) { return c >= '0' && c <= '9'; });
    EXPECT_TRUE(digits) << name << " line " << i + 1
                        << " holds \"=\" but no valid number: " << line;
    if (digits)
      info.entries.push_back({std::stoi(num), line.substr(eq + 1), static_cast<int>(i) + 1});
  }
  return info;
}

// Number of "%s" in `text`; false when the text holds any other "%" directive ("%%" is allowed).
bool CountArguments(const std::string& text, int& count) {
  count = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') continue;
    if (i + 1 < text.size() && text[i + 1] == 's') {
      ++count;
    } else if (!(i + 1 < text.size() && text[i + 1] == '%')) {
      return false;
    }
    ++i;
  }
  return true;
}

const char* const kShippedFiles[] = {"English.lng", "Russian.lng"};

TEST_F(LanguageTest, ShippedFilesAreWellFormed) {
  const std::map<std::string, std::string> displayNames = {{"English.lng", "English"},
                                                           {"Russian.lng", "Русский"}};
  for (const char* name : kShippedFiles) {
    SCOPED_TRACE(name);
    LangFileInfo f = ReadLangFile(name);
    EXPECT_TRUE(IsValidUtf8(f.raw));
    ASSERT_GE(f.raw.size(), 2u);
    EXPECT_EQ(f.raw.substr(f.raw.size() - 2), "\r\n") << "the last line must end in CR LF";
    for (size_t i = 0; i < f.raw.size(); ++i) {
      if (f.raw[i] == '\n') {
        EXPECT_TRUE(i > 0 && f.raw[i - 1] == '\r') << "lone LF at byte " << i;
      } else if (f.raw[i] == '\r') {
        EXPECT_TRUE(i + 1 < f.raw.size() && f.raw[i + 1] == '\n') << "lone CR at byte " << i;
      }
    }
    EXPECT_GT(f.lines.size(), 100u);

    std::map<int, int> firstLine;
    for (const LangEntry& e : f.entries) {
      auto [it, fresh] = firstLine.emplace(e.number, e.line);
      EXPECT_TRUE(fresh) << "number " << e.number << " on line " << e.line << " already on line "
                         << it->second;
    }

    TLangTable& t = LangTable(TLangKind::Selected);
    ASSERT_TRUE(t.LoadFromFile(f.path));
    EXPECT_TRUE(t.Loaded());
    EXPECT_EQ(t.FirstLine(), displayNames.at(name));
    EXPECT_EQ(t.FirstLine().find('='), std::string::npos);
    for (const LangEntry& e : f.entries) {
      const std::string* text = t.Find(e.number);
      ASSERT_NE(text, nullptr) << e.number;
      if (firstLine[e.number] == e.line) {
        EXPECT_EQ(*text, e.text) << e.number;
      }
    }
  }
}

TEST_F(LanguageTest, ShippedFilesAgreeOnNumbersAndArguments) {
  LangFileInfo english = ReadLangFile("English.lng");
  std::map<int, std::string> en;
  for (const LangEntry& e : english.entries) en.emplace(e.number, e.text);
  ASSERT_FALSE(en.empty());

  for (const char* name : kShippedFiles) {
    SCOPED_TRACE(name);
    LangFileInfo f = ReadLangFile(name);
    std::map<int, std::string> other;
    for (const LangEntry& e : f.entries) other.emplace(e.number, e.text);
    for (const auto& [number, text] : en)
      EXPECT_TRUE(other.count(number)) << "number " << number << " is missing";
    for (const auto& [number, text] : other) {
      auto it = en.find(number);
      if (it == en.end()) {
        ADD_FAILURE() << "number " << number << " is not in English.lng";
        continue;
      }
      int enCount = 0, count = 0;
      ASSERT_TRUE(CountArguments(it->second, enCount)) << "English " << number;
      EXPECT_LE(enCount, 1) << "English " << number << " takes more than one argument";
      EXPECT_TRUE(CountArguments(text, count)) << number << ": a \"%\" directive other than %s";
      EXPECT_EQ(count, enCount) << number << ": \"" << text << "\"";
      EXPECT_FALSE(text.empty()) << number;
    }
  }
}

// ---- numbers looked up by the code ---------------------------------------------------------

struct CodeLookup {
  int number;
  bool formatted;  // LangFormat rather than LangText
  std::string where;
};

// Every LangText(NNN / LangFormat(NNN with a literal decimal number in `source`.
void FindLookups(std::string_view source, const std::string& where, std::vector<CodeLookup>& out) {
  for (const std::string_view fn :
       {std::string_view("LangText("), std::string_view("LangFormat(")}) {
    size_t pos = 0;
    while ((pos = source.find(fn, pos)) != std::string_view::npos) {
      size_t start = pos;
      pos += fn.size();
      if (start > 0) {
        char before = source[start - 1];
        if (std::isalnum(static_cast<unsigned char>(before)) || before == '_') continue;
      }
      size_t p = pos;
      while (p < source.size() && (source[p] == ' ' || source[p] == '\t')) ++p;
      size_t digits = p;
      while (p < source.size() && source[p] >= '0' && source[p] <= '9') ++p;
      if (p == digits || p - digits > 9) continue;
      out.push_back(
          {std::stoi(std::string(source.substr(digits, p - digits))), fn[4] == 'F', where});
    }
  }
}

// Scans every .cpp and .h below the repository root, except build folders, hidden folders, the
// test helpers and the tests themselves.
std::vector<CodeLookup> ScanCodeLookups() {
  std::vector<CodeLookup> out;
  const fs::path root(TOLVANE_SOURCE_DIR);
  std::error_code ec;
  for (auto it = fs::recursive_directory_iterator(root, ec); !ec && it != fs::end(it);
       it.increment(ec)) {
    const fs::path& p = it->path();
    std::string name = p.filename().string();
    if (it->is_directory(ec)) {
      if (name.rfind("build", 0) == 0 || name.rfind(".", 0) == 0 || name == "testutil")
        it.disable_recursion_pending();
      continue;
    }
    std::string ext = p.extension().string();
    if (ext != ".cpp" && ext != ".h") continue;
    if (name.size() > 9 && name.compare(name.size() - 9, 9, "_test.cpp") == 0) continue;
    std::string text;
    if (ReadWholeFile(p.string(), text).Failed()) {
      ADD_FAILURE() << "cannot read " << p;
      continue;
    }
    FindLookups(text, fs::relative(p, root, ec).string(), out);
  }
  EXPECT_FALSE(ec) << ec.message();
  return out;
}

TEST_F(LanguageTest, LookupScannerFindsLiteralNumbersOnly) {
  std::vector<CodeLookup> found;
  FindLookups(
      "a = LangText(10122); b = LangFormat( 10123, name);\n"
      "std::string LangText(int number); MyLangText(5); LangText(kName); LangFormat(\t7,x)",
      "x.cpp", found);
  ASSERT_EQ(found.size(), 3u);
  EXPECT_EQ(found[0].number, 10122);
  EXPECT_FALSE(found[0].formatted);
  EXPECT_EQ(found[1].number, 10123);
  EXPECT_TRUE(found[1].formatted);
  EXPECT_EQ(found[2].number, 7);
  EXPECT_TRUE(found[2].formatted);
}

TEST_F(LanguageTest, EveryNumberTheCodeLooksUpIsShipped) {
  std::vector<CodeLookup> lookups = ScanCodeLookups();
  std::set<int> formatted;  // a number also formatted somewhere may hold a %s
  for (const CodeLookup& l : lookups)
    if (l.formatted) formatted.insert(l.number);
  for (const char* name : kShippedFiles) {
    SCOPED_TRACE(name);
    LangFileInfo f = ReadLangFile(name);
    std::map<int, std::string> texts;
    for (const LangEntry& e : f.entries) texts.emplace(e.number, e.text);
    for (const CodeLookup& l : lookups) {
      auto it = texts.find(l.number);
      if (it == texts.end()) {
        ADD_FAILURE() << l.where << " looks up " << l.number << ", which is missing";
        continue;
      }
      int count = 0;
      CountArguments(it->second, count);
      if (l.formatted) {
        EXPECT_EQ(count, 1) << l.where << " formats " << l.number << " with an argument, but its "
                            << "text has no %s: " << it->second;
      } else if (!formatted.count(l.number)) {
        EXPECT_EQ(count, 0) << l.where << " shows " << l.number << " as it is, so its %s would "
                            << "appear literally: " << it->second;
      }
    }
  }
}

}  // namespace
