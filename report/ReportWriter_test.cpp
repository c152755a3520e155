// SPDX-License-Identifier: MIT
// The HTML and text report writers over hand-made report data: layouts byte for byte, alignment,
// separators and replacement, multi-line cells, shading, escaping of hostile texts.
#include "report/ReportWriter.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "catalog/CatalogTestUtil.h"
#include "platform/FileIO.h"
#include "report/ReportTestUtil.h"

namespace {

class ReportWriterTest : public ::testing::Test {
 protected:
  void SetUp() override { LoadReportTexts(); }

  // Name, size and a multi-line description: a three-line entry and a one-line entry whose
  // name holds a comma and whose description is empty.
  static TReportData Sample() {
    TReportData d;
    d.Columns.push_back(MakeColumn(0, "Name", {{"readme"}, {"a,b"}}));
    d.Columns.push_back(MakeColumn(2, "Size", {{"1 234"}, {"12"}}));
    d.Columns.push_back(
        MakeColumn(5, "Description", {{"First line", "second, with comma", "third"}, {""}}, true));
    d.Entries = 2;
    d.Totals.Files = 2;
    d.Totals.FileBytes = 1246;
    return d;
  }

  static std::string TextHead(const std::string& title) {
    std::string rule(80, '=');
    std::string program = " Tolvane 2.10" + std::string(49, ' ') + "05.03.2024, 14:07 ";
    long gap = std::max((80 - static_cast<long>(title.size())) / 2, 1L);
    return rule + "\r\n" + program + "\r\n\r\n" + std::string(static_cast<size_t>(gap - 1), ' ') +
           title + "\r\n\r\n" + rule + "\r\n\r\n";
  }
};

TEST_F(ReportWriterTest, TextReportAlignsColumnsAndCutsTrailingBlanks) {
  std::string text = BuildTextReport(Sample(), ReportTestStamp("Files"), 0, true, "_");
  EXPECT_EQ(text, TextHead("Files") +
                      "Name   Size  Description\r\n"
                      "------ ----- ------------------\r\n"
                      "readme 1 234 First line\r\n"
                      "             second, with comma\r\n"
                      "             third\r\n"
                      "a,b    12\r\n"
                      "------------------------------\r\n"
                      "Files: 2 (1.21 KB)\r\n");
  // The head line is exactly 80 characters, the date ending in column 79.
  EXPECT_EQ(ReportLines(text)[1].size(), 80u);
  // The clipboard text is the aligned report whatever the options say.
  EXPECT_EQ(ReportClipboardText(Sample(), ReportTestStamp("Files")), text);
}

TEST_F(ReportWriterTest, TextReportWithSeparators) {
  auto table = [](const std::string& text) {
    auto lines = ReportLines(text);
    return std::vector<std::string>(lines.begin() + 7, lines.end() - 2);
  };
  TReportStamp stamp = ReportTestStamp("Files");
  // Comma, replaced inside cells (captions and dashes included); only the separator after the
  // last cell is dropped, so an empty last cell keeps its field.
  EXPECT_EQ(table(BuildTextReport(Sample(), stamp, 2, true, "_")),
            (std::vector<std::string>{"Name,Size,Description", "------,-----,------------------",
                                      "readme,1 234,First line", ",,second_ with comma", ",,third",
                                      "a_b,12,"}));
  // Comma, not replaced.
  EXPECT_EQ(table(BuildTextReport(Sample(), stamp, 2, false, "_")),
            (std::vector<std::string>{"Name,Size,Description", "------,-----,------------------",
                                      "readme,1 234,First line", ",,second, with comma", ",,third",
                                      "a,b,12,"}));
  // An empty replacement removes the separators from the cells.
  auto removed = table(BuildTextReport(Sample(), stamp, 2, true, ""));
  EXPECT_EQ(removed[3], ",,second with comma");
  EXPECT_EQ(removed[5], "ab,12,");
  // TAB: trailing TABs are cut like blanks; commas inside cells stay.
  EXPECT_EQ(table(BuildTextReport(Sample(), stamp, 1, true, "_")),
            (std::vector<std::string>{
                "Name\tSize\tDescription", "------\t-----\t------------------",
                "readme\t1 234\tFirst line", "\t\tsecond, with comma", "\t\tthird", "a,b\t12"}));
}

TEST_F(ReportWriterTest, TextReportEmptyListAndTitlePlacement) {
  TReportData d;
  d.Columns.push_back(MakeColumn(2, "Size", {}));
  d.Columns.push_back(MakeColumn(0, "Name", {}));
  std::string text = BuildTextReport(d, ReportTestStamp("Files"), 0, false, "");
  // Unchecking the name column puts the size caption first; an empty list has only the heading,
  // and the totals name the files with 0 and a zero size.
  EXPECT_EQ(text, TextHead("Files") +
                      "Size Name\r\n"
                      "---- ----\r\n"
                      "------------------------------\r\n"
                      "Files: 0 (0 bytes)\r\n");

  std::string t20(20, 'T'), t100(100, 'T');
  EXPECT_EQ(ReportLines(BuildTextReport(d, ReportTestStamp(t20), 0, false, ""))[3],
            std::string(29, ' ') + t20);
  EXPECT_EQ(ReportLines(BuildTextReport(d, ReportTestStamp(t100), 0, false, ""))[3], t100);
  // Centring counts characters, not bytes.
  std::string accented = "Übersicht";  // 9 characters, 10 bytes
  EXPECT_EQ(ReportLines(BuildTextReport(d, ReportTestStamp(accented), 0, false, ""))[3],
            std::string(34, ' ') + accented);

  // A long program title is overwritten by the date; the line stays 80 characters.
  TReportStamp stamp = ReportTestStamp("x");
  stamp.ProgramTitle = std::string(90, 'P');
  std::string head = ReportLines(BuildTextReport(d, stamp, 0, false, ""))[1];
  EXPECT_EQ(head, " " + std::string(61, 'P') + "05.03.2024, 14:07 ");
}

TEST_F(ReportWriterTest, TextReportAlignsNonAsciiByCharacters) {
  TReportData d;
  d.Columns.push_back(MakeColumn(0, "Name", {{"Größe"}, {"ab"}}));
  d.Columns.push_back(MakeColumn(2, "Size", {{"1"}, {"2"}}));
  d.Entries = 2;
  auto lines = ReportLines(BuildTextReport(d, ReportTestStamp("t"), 0, false, ""));
  EXPECT_EQ(lines[7], "Name  Size");
  EXPECT_EQ(lines[8], "----- ----");
  EXPECT_EQ(lines[9], "Größe 1");
  EXPECT_EQ(lines[10], "ab    2");
}

TEST_F(ReportWriterTest, HtmlReportByteForByte) {
  TReportOptions o;  // border hidden, shading on
  std::string html = BuildHtmlReport(Sample(), ReportTestStamp("Files"), o);
  EXPECT_EQ(html,
            "<HTML>\r\n"
            "<HEAD>\r\n"
            " <TITLE>Files</TITLE>\r\n"
            " <META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=utf-8\">\r\n"
            " <META NAME=\"keywords\" CONTENT=\"Tolvane, report, catalog, disk, file\">\r\n"
            " <META NAME=\"description\" CONTENT=\"Tolvane Report Document\">\r\n"
            " <META NAME=\"generator\" CONTENT=\"Tolvane 2.10 Report Generator\">\r\n"
            "</HEAD>\r\n"
            "<BODY BGCOLOR=\"#FFFFFF\">\r\n"
            "\r\n"
            "<TABLE BORDER=\"0\" WIDTH=\"100%\"><TR>\r\n"
            "<TD ALIGN=\"left\"><FONT SIZE=\"-2\"><EM>Tolvane 2.10</EM></FONT></TD>\r\n"
            "<TD ALIGN=\"right\"><FONT SIZE=\"-2\"><EM>05.03.2024, 14:07</EM></FONT></TD>\r\n"
            "</TR></TABLE><HR>\r\n"
            "<P>\r\n"
            "\r\n"
            "<TABLE WIDTH=\"100%\" CELLSPACING=\"1\" CELLPADDING=\"2\" BORDER=\"0\">\r\n"
            "<TR BGCOLOR=\"#C5C5C5\"><TD><B>Name</B></TD><TD><B>Size</B></TD>"
            "<TD><B>Description</B></TD></TR>\r\n"
            "<TR BGCOLOR=\"#F0F0F0\"><TD>readme</TD><TD>1 234</TD>"
            "<TD>First line<BR>second, with comma<BR>third</TD></TR>\r\n"
            "<TR BGCOLOR=\"#E5E5E5\"><TD>a,b</TD><TD>12</TD><TD></TD></TR>\r\n"
            "</TABLE>\r\n"
            "\r\n"
            "------------------------------<BR>Files: 2 (1.21 KB)\r\n"
            "\r\n"
            "</P>\r\n"
            "<HR>\r\n"
            "<TABLE BORDER=\"0\" WIDTH=\"100%\"><TR><TD ALIGN=\"RIGHT\" CELLSPACING=\"0\">\r\n"
            "<FONT SIZE=\"-2\">Created by <A HREF=\"https://tolvane.org/\">Tolvane 2.10</A>"
            "</FONT>\r\n"
            "</TD></TR></TABLE>\r\n"
            "</FONT>\r\n"
            "</BODY>\r\n"
            "</HTML>\r\n");

  // Without shading the rows start plainly; a shown border is 2 wide.
  o.Shading = false;
  o.HideBorder = false;
  auto lines = ReportLines(BuildHtmlReport(Sample(), ReportTestStamp("Files"), o));
  EXPECT_EQ(lines[16], "<TABLE WIDTH=\"100%\" CELLSPACING=\"1\" CELLPADDING=\"2\" BORDER=\"2\">");
  EXPECT_EQ(lines[17].rfind("<TR><TD><B>Name", 0), 0u);
  EXPECT_EQ(lines[18].rfind("<TR><TD>readme", 0), 0u);
  EXPECT_EQ(lines[19].rfind("<TR><TD>a,b", 0), 0u);
}

TEST_F(ReportWriterTest, HtmlShadingAlternatesPerEntryNotPerLine) {
  TReportData d;
  d.Columns.push_back(MakeColumn(5, "Description", {{"1", "2", "3"}, {"x", "y"}, {"z"}}, true));
  d.Entries = 3;
  auto lines = ReportLines(BuildHtmlReport(d, ReportTestStamp("t"), TReportOptions{}));
  EXPECT_EQ(lines[18], "<TR BGCOLOR=\"#F0F0F0\"><TD>1<BR>2<BR>3</TD></TR>");
  EXPECT_EQ(lines[19], "<TR BGCOLOR=\"#E5E5E5\"><TD>x<BR>y</TD></TR>");
  EXPECT_EQ(lines[20], "<TR BGCOLOR=\"#F0F0F0\"><TD>z</TD></TR>");
  EXPECT_EQ(lines[21], "</TABLE>");
}

TEST_F(ReportWriterTest, HtmlEscapesHostileNamesTitlesAndCaptions) {
  TReportData d;
  d.Columns.push_back(MakeColumn(0, "Na<me>", {{"<script>alert(\"x\")</script>.txt"}}));
  d.Columns.push_back(
      MakeColumn(5, "Description", {{"<img src=x onerror=alert(1)>", "Tom & Jerry"}}, true));
  d.Entries = 1;
  TReportStamp stamp = ReportTestStamp("</TITLE><script>evil()</script>");
  stamp.ProgramTitle = "Tolvane \"2\"";
  std::string html = BuildHtmlReport(d, stamp, TReportOptions{});
  EXPECT_EQ(html.find("<script"), std::string::npos);
  EXPECT_EQ(html.find("<img"), std::string::npos);
  auto lines = ReportLines(html);
  EXPECT_EQ(lines[2], " <TITLE>&lt;/TITLE&gt;&lt;script&gt;evil()&lt;/script&gt;</TITLE>");
  EXPECT_EQ(lines[6],
            " <META NAME=\"generator\" CONTENT=\"Tolvane &quot;2&quot; Report Generator\">");
  EXPECT_EQ(lines[17],
            "<TR BGCOLOR=\"#C5C5C5\"><TD><B>Na&lt;me&gt;</B></TD>"
            "<TD><B>Description</B></TD></TR>");
  // The <BR> between description lines is markup and stays.
  EXPECT_EQ(lines[18],
            "<TR BGCOLOR=\"#F0F0F0\"><TD>&lt;script&gt;alert(&quot;x&quot;)&lt;/script&gt;"
            ".txt</TD><TD>&lt;img src=x onerror=alert(1)&gt;<BR>Tom &amp; Jerry</TD></TR>");
}

TEST_F(ReportWriterTest, TotalsLineParts) {
  LoadReportTexts();
  TReportTotals t;
  EXPECT_EQ(ReportTotalsLine(t), "Files: 0 (0 bytes)");
  t.Disks = 2;
  t.DiskBytes = 3LL << 30;
  EXPECT_EQ(ReportTotalsLine(t), "Disks: 2 (3.00 GB)");
  t.Folders = 1234;
  t.FolderBytes = 2048;
  EXPECT_EQ(ReportTotalsLine(t), "Disks: 2 (3.00 GB); Folders: 1 234 (2.00 KB)");
  t.Files = 5;
  t.FileBytes = 100;
  EXPECT_EQ(ReportTotalsLine(t),
            "Disks: 2 (3.00 GB); Folders: 1 234 (2.00 KB); Files: 5 (100 bytes)");
  t = {};
  t.Folders = 1;
  EXPECT_EQ(ReportTotalsLine(t), "Folders: 1 (0 bytes)");
}

TEST_F(ReportWriterTest, FileWritersReplaceTheTargetAndReportFailures) {
  std::filesystem::path dir = ScratchDir("report-writer");
  std::string path = (dir / "r.txt").string();
  TReportOptions o;
  o.Separator = 2;
  ASSERT_EQ(WriteTextReport(path, Sample(), ReportTestStamp("Files"), o).Message(), "");
  std::string got;
  ASSERT_EQ(ReadWholeFile(path, got).Message(), "");
  EXPECT_EQ(got, BuildTextReport(Sample(), ReportTestStamp("Files"), 2, true, "_"));
  ASSERT_EQ(WriteHtmlReport(path, Sample(), ReportTestStamp("Files"), o).Message(), "");
  ASSERT_EQ(ReadWholeFile(path, got).Message(), "");
  EXPECT_EQ(got, BuildHtmlReport(Sample(), ReportTestStamp("Files"), o));
  EXPECT_NE(
      WriteHtmlReport((dir / "missing" / "r.htm").string(), Sample(), ReportTestStamp("Files"), o)
          .Message(),
      "");
  std::filesystem::remove_all(dir);
}

}  // namespace
