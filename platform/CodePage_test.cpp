// SPDX-License-Identifier: MIT
#include "platform/CodePage.h"

#include <gtest/gtest.h>

namespace {

TEST(CodePageTest, OemPages) {
  EXPECT_EQ(OemToUtf8("Gr\x81\xE1"
                      "e \xC9\xCD\xBB"),
            "Grüße ╔═╗");
  EXPECT_EQ(OemToUtf8("\x82t\x82", "CP850"), "été");
  EXPECT_EQ(OemToUtf8("\x8F\xE0\xA8\xA2\xA5\xE2", "866"), "Привет");
  EXPECT_EQ(OemToUtf8("\x81", "NO-SUCH-PAGE"), "ü");  // falls back to CP437
  EXPECT_EQ(OemToUtf8(std::string("a\0b", 3)), std::string("a\0b", 3));
  EXPECT_EQ(OemToUtf8(""), "");
}

TEST(CodePageTest, AnsiPages) {
  EXPECT_EQ(AnsiToUtf8("\x80 caf\xE9"), "€ café");
  EXPECT_EQ(AnsiToUtf8("\xCF\xF0\xE8\xE2\xE5\xF2", "1251"), "Привет");
  EXPECT_EQ(AnsiToUtf8("a\x81z"), "a\uFFFDz");                     // no character in Windows-1252
  EXPECT_EQ(AnsiToUtf8("\x82\xA0\x82", "SHIFT_JIS"), "あ\uFFFD");  // a multi-byte page streams
}

TEST(CodePageTest, Utf16) {
  EXPECT_EQ(Utf16ToUtf8(std::string("A\0\xE9\0=\xD8\x00\xDE", 8), false), "Aé😀");
  EXPECT_EQ(Utf16ToUtf8(std::string("\xD8=\xDE\x00\0B", 6), true), "😀B");
  EXPECT_EQ(Utf16ToUtf8(std::string("\x00\xDCx\0", 4), false), "\uFFFDx");  // lone low half
  EXPECT_EQ(Utf16ToUtf8(std::string("=\xD8", 2), false), "\uFFFD");         // lone high half
  EXPECT_EQ(Utf16ToUtf8(std::string("a\0\0\0b\0", 6), false), "a");         // stops at zero
  EXPECT_EQ(Utf16ToUtf8(std::string("a\0b", 3), false), "a");               // odd byte dropped
}

TEST(CodePageTest, Utf8Checks) {
  EXPECT_TRUE(IsValidUtf8("plain é 😀"));
  for (const char* bad :
       {"\xC0\xAF", "\xE0\x80\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\x80", "\xE2\x82", "\xFF"})
    EXPECT_FALSE(IsValidUtf8(bad)) << bad;
  EXPECT_EQ(Utf8CompletePrefix("ab\xE2\x82"), 2u);
  EXPECT_EQ(Utf8CompletePrefix("ab\xE2\x82\xAC"), 5u);
  EXPECT_EQ(Utf8CompletePrefix("ab\xF0"), 2u);
  EXPECT_EQ(Utf8CompletePrefix("abc"), 3u);
  EXPECT_EQ(Utf8CompletePrefix(""), 0u);
}

}  // namespace

namespace {

TEST(CodePageTest, CodePageNamesAsUsersWriteThem) {
  for (const char* name : {"1251", "cp1251", "CP1251", "cp-1251", "windows-1251", "Windows1251"})
    EXPECT_EQ(CodePageName(name), "WINDOWS-1251") << name;
  EXPECT_EQ(CodePageName("1252"), "WINDOWS-1252");
  EXPECT_EQ(CodePageName("874"), "WINDOWS-874");
  EXPECT_EQ(CodePageName("866"), "CP866");
  EXPECT_EQ(CodePageName("koi8-r"), "KOI8-R");
  for (const char* bad : {"", "no-such-page", "99999", "cp", "UTF-8//TRANSLIT"})
    EXPECT_EQ(CodePageName(bad), "") << bad;
}

TEST(CodePageTest, DecoderKeepsUtf8AndDecodesTheRest) {
  const std::string cyrillic = "\xCF\xF0\xE8\xEC\xE5\xF0";  // "Пример" in Windows-1251
  TTextDecoder ru("1251"), west;
  EXPECT_EQ(ru.CodePage(), "WINDOWS-1251");
  EXPECT_EQ(west.CodePage(), "WINDOWS-1252");
  EXPECT_EQ(ru.Text(cyrillic), "Пример");
  EXPECT_EQ(west.Text(cyrillic), "Ïðèìåð");
  EXPECT_EQ(west.Text("caf\xE9"), "café");
  // Valid UTF-8 is never decoded again, whatever the page.
  EXPECT_EQ(ru.Text("Пример"), "Пример");
  EXPECT_EQ(ru.Text("plain"), "plain");
  EXPECT_FALSE(TTextDecoder::NeedsDecoding("plain ascii"));
  EXPECT_FALSE(TTextDecoder::NeedsDecoding("café"));
  EXPECT_TRUE(TTextDecoder::NeedsDecoding(cyrillic));
  std::string scratch;
  std::string_view plain = "name.txt";
  EXPECT_EQ(ru.View(plain, scratch).data(), plain.data());  // no copy for UTF-8
  EXPECT_EQ(ru.View(cyrillic, scratch), "Пример");
  EXPECT_EQ(TTextDecoder("no-such-page").CodePage(), "WINDOWS-1252");
}

}  // namespace
