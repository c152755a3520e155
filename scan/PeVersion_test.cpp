// SPDX-License-Identifier: MIT
#include "scan/PeVersion.h"

#include <gtest/gtest.h>

#include "ReadersTestUtil.h"
#include "scan/ByteSource.h"
#include "scan/ContentDesc.h"

namespace {

// The offset of the UTF-16 key `key` in `data`.
size_t KeyAt(const std::string& data, const std::string& key) {
  std::string wide;
  for (char c : key) wide += {c, '\0'};
  size_t at = data.find(wide);
  EXPECT_NE(at, std::string::npos) << key;
  return at;
}

TEST(PeVersionTest, AllValuesOf32And64BitExecutables) {
  for (const char* name : {"version64.exe", "version32.exe"}) {
    FileVersionInfo info;
    std::string path = ReaderFixture(name);
    ASSERT_EQ(ReadFileVersionInfo(path, info).Message(), "") << name;
    EXPECT_EQ(info.fileName, path);
    EXPECT_EQ(info.LanguageInfo, "040904B0");
    EXPECT_EQ(info.CompanyName, "Tolvane Test Works");
    EXPECT_EQ(info.FileDescription, "Fixture Tool");
    EXPECT_EQ(info.FileVersion, "1.2.3.4");
    EXPECT_EQ(info.InternalName, "fixture");
    EXPECT_EQ(info.LegalCopyright, "(c) 2024 Tolvane");
    EXPECT_EQ(info.OriginalFilename, "fixture.exe");
    EXPECT_EQ(info.ProductName, "Fixture Suite");
    EXPECT_EQ(info.ProductVersion, "1.2");
    EXPECT_EQ(info.Comments, "Grüße");  // UTF-16 in the file, UTF-8 here
  }
  FileVersionInfo info;
  ASSERT_EQ(ReadFileVersionInfo(ReaderFixture("company64.dll"), info).Message(), "");
  EXPECT_EQ(info.LanguageInfo, "040704E4");
  EXPECT_EQ(info.CompanyName, "Only Company");
  EXPECT_EQ(info.FileDescription, "n/a");
  EXPECT_EQ(info.ProductVersion, "n/a");
}

TEST(PeVersionTest, ErrorTexts) {
  FileVersionInfo info;
  std::string missing = ReaderFixture("missing.exe");
  EXPECT_EQ(ReadFileVersionInfo(missing, info).Message(), "File not found: " + missing);
  std::string nover = ReaderFixture("nover64.exe");
  EXPECT_EQ(ReadFileVersionInfo(nover, info).Message(),
            "Invalid version info record in file " + nover);
  std::string bmp = ReaderFixture("rgb24.bmp");
  EXPECT_EQ(ReadFileVersionInfo(bmp, info).Message(), "Invalid version info record in file " + bmp);
  EXPECT_EQ(info.CompanyName, "n/a");  // reset before reading

  // A translation table of 2 bytes.
  std::string exe = ReaderFixtureBytes("version64.exe");
  size_t key = KeyAt(exe, "Translation");
  exe[key - 4] = 2;
  EXPECT_EQ(FileVersionInfoFromBytes(exe, "x.exe", info).Message(),
            "Invalid language info in file x.exe");
  // A block that is not VS_VERSION_INFO.
  exe = ReaderFixtureBytes("version64.exe");
  exe[KeyAt(exe, "VS_VERSION_INFO")] = 'X';
  EXPECT_EQ(FileVersionInfoFromBytes(exe, "x.exe", info).Message(),
            "Invalid version info record in file x.exe");
}

// Changed: a translation naming a table the file does not have used to read the first table;
// only the first translation's own table is read, so such a file has no values and no description.
TEST(PeVersionTest, TranslationWithoutItsTableHasNoValues) {
  std::string exe = ReaderFixtureBytes("version64.exe");
  size_t value =
      KeyAt(exe, "Translation") + 26;  // the record's 6-byte head and 12-unit key, 4-aligned
  ASSERT_EQ(GetU16LE(&exe[value]), 0x0409);
  exe[value + 2] = '\xE4';  // code page 1252 instead of 1200
  exe[value + 3] = '\x04';
  FileVersionInfo info;
  ASSERT_EQ(FileVersionInfoFromBytes(exe, "x.exe", info).Message(), "");
  EXPECT_EQ(info.LanguageInfo, "040904E4");
  EXPECT_EQ(info.ProductName, "n/a");
  EXPECT_EQ(info.FileDescription, "n/a");
  EXPECT_EQ(VersionTextFromBytes(exe), "");
  // With the translation of its table the same file is described.
  exe[value + 2] = '\xB0';
  ASSERT_EQ(FileVersionInfoFromBytes(exe, "x.exe", info).Message(), "");
  EXPECT_EQ(info.ProductName, "Fixture Suite");
  EXPECT_NE(VersionTextFromBytes(exe), "");
}

TEST(PeVersionTest, LyingLengthsStayInsideTheData) {
  const std::string original = ReaderFixtureBytes("version64.exe");
  FileVersionInfo info;
  // A string record claiming to run far past its table: its text ends at the table's end.
  std::string exe = original;
  size_t comments = KeyAt(exe, "Comments");
  exe[comments - 6] = '\xFF';
  exe[comments - 5] = '\x7F';
  ASSERT_EQ(FileVersionInfoFromBytes(exe, "x", info).Message(), "");
  EXPECT_EQ(info.Comments, "Grüße");
  // The root record's length 0: no record at all.
  exe = original;
  size_t root = KeyAt(exe, "VS_VERSION_INFO") - 6;
  exe[root] = exe[root + 1] = 0;
  EXPECT_NE(FileVersionInfoFromBytes(exe, "x", info).Message(), "");
}

}  // namespace
