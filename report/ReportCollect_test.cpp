// SPDX-License-Identifier: MIT
// Report cells and collection over a small catalog, byte-exact reports of it, the export flow of
// the report dialog and the report files of tolvane-cli.
#include "report/ReportCollect.h"

#include <gtest/gtest.h>

#include "catalog/CatalogTestUtil.h"
#include "platform/FileIO.h"
#include "report/ReportExport.h"
#include "report/ReportTestUtil.h"
#include "report/ReportTitle.h"

namespace {

// Catalog "Cat" (categories: 1 "Photos"; locations: 1 "Shelf A"):
//   group "Archive" (location 1; capacity 700 MiB, free 0)
//     disk "CD 1" (CD-ROM, label "PHOTOS_03", category 1, added 01.02.2003 10:30,
//                  description "Holiday\r\nphotos")
//       folder "Docs" (3000 bytes)
//         readme.txt (1234 bytes, read-only and archive, "Read me first")
//       pics.zip (archive, 5000 bytes)
//         a.jpg (4000 bytes, category 1)
//       setup.exe (2048 bytes, three-line description)
class ReportCatalogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    LoadReportTexts();
    InitCatalogStore(bd);
    CreateCatalogNode(bd, "Cat", Date(2003, 1, 1, 9, 0));
    catalog = bd.CurrentNode();
    bd.EnterChild(0);
    bd.EnterChild(kCatCategories);
    bd.ChildSetStr(1, kEntryName, "Photos");
    bd.Up();
    bd.EnterChild(kCatLocations);
    bd.ChildSetStr(1, kEntryName, "Shelf A");
    bd.GoToNode(catalog);

    group = AddContainer(bd, "Archive", ikGroup, 700LL << 20);
    bd.GoToNode(group);
    bd.EnterChild(0);
    bd.SetFloat(kFieldChanged, Date(2003, 1, 5, 8, 0));
    bd.SetInt64(kHdrCapacity, 700LL << 20);
    bd.SetInt64(kHdrFree, 0);
    bd.SetInt(kHdrLocation, 1);
    bd.GoToNode(group);

    disk = AddContainer(bd, "CD 1", WithCategory(ikDisk, 1), 12282);
    bd.GoToNode(disk);
    bd.EnterChild(0);
    bd.SetFloat(kFieldChanged, Date(2003, 2, 1, 10, 30));
    bd.SetStr(kFieldDescription, "Holiday\r\nphotos");
    bd.SetInt(kDiskDriveType, 5);
    bd.SetInt64(kHdrCapacity, 700LL << 20);
    bd.SetInt64(kHdrFree, 0);
    bd.SetStr(kDiskLabel, "PHOTOS_03");
    bd.GoToNode(disk);

    docs = AddContainer(bd, "Docs", MakeItemFlags(kAttrDirectory, ikFolder), 1234);
    zip = AddContainer(bd, "pics.zip", MakeItemFlags(kAttrArchive, ikFolder, ifArchive), 5000);
    setup = AddFile(bd, "setup.exe", 2048, MakeItemFlags(kAttrArchive | kAttrReadOnly, ikFile));
    bd.GoToNode(setup);
    bd.SetFloat(kFieldChanged, Date(2002, 12, 24, 18, 5));
    bd.SetStr(kFieldDescription, "Installer\r\nVersion 2\nACME");
    bd.GoToNode(docs);
    readme = AddFile(bd, "readme.txt", 1234, MakeItemFlags(kAttrArchive | kAttrReadOnly, ikFile));
    bd.GoToNode(readme);
    bd.SetFloat(kFieldChanged, Date(2003, 1, 31, 23, 59));
    bd.SetStr(kFieldDescription, "Read me first");
    bd.GoToNode(zip);
    jpg = AddFile(bd, "a.jpg", 4000, WithCategory(MakeItemFlags(0, ikFile, ifInArchive), 1));
    bd.GoToDepth(0);
  }

  static double Date(int y, int m, int d, int h, int min) {
    return EncodeDateTime({y, m, d, h, min, 0, 0});
  }
  static std::vector<std::string> Cells(const TNodeRec* item, TReportTable table) {
    std::vector<std::string> cells;
    for (int id = 0; id < ReportColumnCount(table); ++id)
      cells.push_back(ReportCell(item, table, id, false).Text);
    return cells;
  }
  std::vector<TNodeRec*> DiskItems() const { return {docs, zip, setup}; }

  TQDBase bd;
  TNodeRec *catalog, *group, *disk, *docs, *zip, *setup, *readme, *jpg;
};

TEST_F(ReportCatalogTest, CellsOfEachTable) {
  using V = std::vector<std::string>;
  EXPECT_EQ(Cells(disk, TReportTable::DiskView),
            (V{"CD 1", "CD-ROM", "PHOTOS_03", "11.9 KB", "0 bytes", "01.02.2003, 10:30",
               "Holiday\r\nphotos", "Photos", ""}));
  // A group has no drive type of its own but a location; its free space is shown.
  EXPECT_EQ(Cells(group, TReportTable::DiskView),
            (V{"Archive", "", "", "700 MB", "0 bytes", "05.01.2003, 08:00", "", "", "Shelf A"}));
  EXPECT_TRUE(ReportCell(disk, TReportTable::DiskView, 6, false).MultiLine);
  EXPECT_FALSE(ReportCell(disk, TReportTable::DiskView, 0, false).MultiLine);

  EXPECT_EQ(Cells(readme, TReportTable::FileView),
            (V{"readme", "txt", "1 234", "31.01.2003, 23:59", "ra", "Read me first", ""}));
  // Containers keep their whole name and have no extension, archives included.
  EXPECT_EQ(Cells(zip, TReportTable::FileView)[0], "pics.zip");
  EXPECT_EQ(Cells(zip, TReportTable::FileView)[1], "");
  EXPECT_EQ(Cells(docs, TReportTable::FileView)[4], "d");
  // Sizes by option: units when formatted.
  EXPECT_EQ(ReportCell(readme, TReportTable::FileView, 2, true).Text, "1.20 KB");

  EXPECT_EQ(Cells(jpg, TReportTable::Found), (V{"a", "jpg", "4 000", "30.12.1899, 00:00", "CD 1",
                                                "CD-ROM", "\\pics.zip\\", "", "Photos"}));
  EXPECT_EQ(Cells(readme, TReportTable::UserList)[6], "\\Docs\\");
  // Ids beyond a table, and no item, give empty cells.
  EXPECT_EQ(ReportCell(readme, TReportTable::FileView, 7, false).Text, "");
  EXPECT_EQ(ReportCell(readme, TReportTable::Found, -1, false).Text, "");
  EXPECT_EQ(ReportCell(nullptr, TReportTable::Found, 0, false).Text, "");
  // The lookups do not extend the catalog's lists.
  EXPECT_EQ(NodeChild(NodeChild(catalog, 0), kCatCategories)->SlotCount, 2);
}

// A catalog may claim any size (zip64 entries, damaged files): the totals stop at the int64 range.
TEST_F(ReportCatalogTest, TotalsSaturateInsteadOfOverflowing) {
  bd.GoToNode(docs);
  TNodeRec* huge = AddFile(bd, "huge.bin", INT64_MAX);
  TReportData d = CollectReportColumns({huge, setup, huge}, TReportTable::Found, {0}, false);
  EXPECT_EQ(d.Totals.Files, 3);
  EXPECT_EQ(d.Totals.FileBytes, INT64_MAX);
}

TEST_F(ReportCatalogTest, CollectsLinesWidthsAndTotals) {
  std::vector<TNodeRec*> entries = {docs, nullptr, zip, setup, disk, group, jpg};
  TReportData d = CollectReportColumns(entries, TReportTable::Found, {0, 7, 2}, false);
  ASSERT_EQ(d.Entries, 6u);  // the placeholder is skipped
  ASSERT_EQ(d.Columns.size(), 3u);
  EXPECT_EQ(d.Columns[0].Caption, "Name");
  EXPECT_EQ(d.Columns[1].Caption, "Description");
  EXPECT_TRUE(d.Columns[1].MultiLine);
  EXPECT_EQ(d.Columns[1].Lines, (std::vector<std::string>{"", "", "Installer", "Version 2", "ACME",
                                                          "Holiday", "photos", "", ""}));
  EXPECT_EQ(d.RowLines(2), 3u);
  EXPECT_EQ(d.RowLines(3), 2u);
  EXPECT_EQ(d.Columns[0].Width, 8u);  // "pics.zip"
  EXPECT_EQ(d.Columns[1].Width, 9u);
  // Disks with capacities, folders (archives too) with their sizes, files with theirs; groups not.
  TReportTotals t;
  t.Disks = 1;
  t.DiskBytes = 700LL << 20;
  t.Folders = 2;
  t.FolderBytes = 6234;
  t.Files = 2;
  t.FileBytes = 6048;
  EXPECT_EQ(d.Totals, t);

  // With no multi-line column the rows follow the first column; the first column unchecked.
  TReportData d2 = CollectReportColumns(entries, TReportTable::Found, {2, 4}, false);
  EXPECT_EQ(d2.Entries, 6u);
  EXPECT_EQ(d2.Columns[0].Lines.size(), 6u);
  for (size_t i = 0; i < d2.Entries; ++i) EXPECT_EQ(d2.RowLines(i), 1u);

  // At most 20 columns.
  std::vector<int> many(25, 0);
  EXPECT_EQ(CollectReportColumns(entries, TReportTable::Found, many, false).Columns.size(), 20u);
}

TEST_F(ReportCatalogTest, LegacyBytesAndLineBreaksInNames) {
  bd.GoToNode(readme);
  bd.SetStr(kFieldName, "caf\xE9\nmenu.txt");
  bd.SetStr(kFieldDescription, "na\xEFve");
  TReportData d = CollectReportColumns({readme}, TReportTable::FileView, {0, 5}, false);
  EXPECT_EQ(d.Columns[0].Lines[0], "café menu");
  EXPECT_EQ(d.Columns[1].Lines[0], "naïve");
  EXPECT_EQ(d.Columns[0].Width, 9u);
}

TEST_F(ReportCatalogTest, LegacyTextsInTheCatalogsCodePage) {
  bd.GoToNode(readme);
  bd.SetStr(kFieldName, "\xCF\xF0\xE8\xEC\xE5\xF0.txt");  // "Пример" in Windows-1251
  bd.SetStr(kFieldDescription, "\xCE\xF2\xF7\xB8\xF2");   // "Отчёт"
  TCatalogDecoders russian{TTextDecoder("1251")};
  TReportData d = CollectReportColumns({readme}, TReportTable::FileView, {0, 5}, false, &russian);
  EXPECT_EQ(d.Columns[0].Lines[0], "Пример");
  EXPECT_EQ(d.Columns[1].Lines[0], "Отчёт");
  EXPECT_EQ(d.Columns[0].Width, 6u);
  // Without a choice the bytes read as Windows-1252.
  EXPECT_EQ(CollectReportColumns({readme}, TReportTable::FileView, {0}, false).Columns[0].Lines[0],
            "Ïðèìåð");
  EXPECT_EQ(DefaultReportTitle(TReportSource::MainWindow, readme, &russian), "File \"Пример.txt\"");
  // A path of a UTF-8 folder and a legacy one: each name decoded by itself.
  bd.GoToNode(docs);
  bd.EnterChild(0);
  bd.SetStr(kFieldName, "Тексты");
  bd.GoToNode(docs);
  TNodeRec* inner = AddContainer(bd, "\xCF\xE0\xEF\xEA\xE0", ikFolder);  // "Папка"
  bd.GoToNode(inner);
  TNodeRec* deep = AddFile(bd, "a.txt", 1);
  EXPECT_EQ(
      CollectReportColumns({deep}, TReportTable::Found, {6}, false, &russian).Columns[0].Lines[0],
      "\\Тексты\\Папка\\");
}

TEST_F(ReportCatalogTest, TextReportOfADiskByteForByte) {
  TReportData d = CollectReportColumns(DiskItems(), TReportTable::FileView,
                                       AllReportColumns(TReportTable::FileView), false);
  std::string text = BuildTextReport(d, ReportTestStamp("Disk \"CD 1\""), 0, true, "_");
  std::string rule(80, '=');
  EXPECT_EQ(
      text,
      rule +
          "\r\n"
          " Tolvane 2.10                                                 05.03.2024, 14:07 \r\n"
          "\r\n"
          "                                 Disk \"CD 1\"\r\n"
          "\r\n" +
          rule +
          "\r\n"
          "\r\n"
          "Name     Ext. Size  Modified          Attr. Description Category\r\n"
          "-------- ---- ----- ----------------- ----- ----------- --------\r\n"
          "Docs          1 234 30.12.1899, 00:00 d\r\n"
          "pics.zip      5 000 30.12.1899, 00:00 a\r\n"
          "setup    exe  2 048 24.12.2002, 18:05 ra    Installer\r\n"
          "                                            Version 2\r\n"
          "                                            ACME\r\n"
          "------------------------------\r\n"
          "Folders: 2 (6.08 KB); Files: 1 (2.00 KB)\r\n");
}

TEST_F(ReportCatalogTest, HtmlReportOfACatalogByteForByte) {
  TReportData d = CollectReportColumns({group}, TReportTable::DiskView, {0, 3, 8, 6}, false);
  TReportOptions o;
  o.Shading = false;
  std::string html = BuildHtmlReport(d, ReportTestStamp("Catalog \"Cat\""), o);
  auto lines = ReportLines(html);
  ASSERT_EQ(lines.size(), 31u);
  EXPECT_EQ(lines[2], " <TITLE>Catalog &quot;Cat&quot;</TITLE>");
  EXPECT_EQ(lines[17],
            "<TR><TD><B>Disk</B></TD><TD><B>Size</B></TD><TD><B>Location</B></TD>"
            "<TD><B>Description</B></TD></TR>");
  EXPECT_EQ(lines[18], "<TR><TD>Archive</TD><TD>700 MB</TD><TD>Shelf A</TD><TD></TD></TR>");
  EXPECT_EQ(lines[21], "------------------------------<BR>Files: 0 (0 bytes)");

  TReportData disks = CollectReportColumns({disk}, TReportTable::DiskView, {0, 6}, false);
  lines = ReportLines(BuildHtmlReport(disks, ReportTestStamp("x"), o));
  EXPECT_EQ(lines[18], "<TR><TD>CD 1</TD><TD>Holiday<BR>photos</TD></TR>");
  EXPECT_EQ(lines[21], "------------------------------<BR>Disks: 1 (700 MB)");
}

// Records what the export asks of the window system.
class TFakeReportUi : public TReportUi {
 public:
  std::string Answer;  // empty: the save dialog is cancelled
  std::vector<std::string> Asked, Errors, Clipboard, Opened;
  bool ChooseReportFile(const std::string& folder, const std::string& fileName,
                        const std::string& extension, const std::string& filter,
                        std::string& chosen) override {
    Asked.push_back(folder + "|" + fileName + "|" + extension + "|" + filter);
    chosen = Answer;
    return !Answer.empty();
  }
  void ShowReportError(const std::string& reason) override { Errors.push_back(reason); }
  void PutOnClipboard(const std::string& text) override { Clipboard.push_back(text); }
  void OpenReport(const std::string& path) override { Opened.push_back(path); }
};

TEST_F(ReportCatalogTest, ExportFlowOfTheReportDialog) {
  std::string dir = ScratchDir("report-export");
  TQDBase bdOpt;
  TOptions options;
  options.ReportFolder = "/reports/";
  for (TNodeRec* item : DiskItems()) {
    bd.GoToNode(item);
    bd.AddMark(mlView);
  }
  TReportDialogState st;
  st.Source = TReportSource::MainWindow;
  st.DiskLayout = false;
  st.Title = "Disk \"CD 1\"";
  st.Columns = FillColumnList(bdOpt, TReportTable::FileView);
  st.Columns[1].Checked = false;
  TReportStamp stamp = ReportTestStamp("");
  TFakeReportUi ui;

  // No type: nothing. Cancelled save dialog: the title is remembered, nothing written.
  st.Type = -1;
  EXPECT_FALSE(ExportReport(bd, bdOpt, options, st, ui, stamp));
  EXPECT_TRUE(options.Report.TitleHistory.empty());
  st.Type = kReportHtml;
  EXPECT_FALSE(ExportReport(bd, bdOpt, options, st, ui, stamp));
  EXPECT_EQ(ui.Asked.back(), "/reports/|Disk _CD 1_|.htm|HTML files (*.htm;*.html)|*.htm;*.html");
  EXPECT_EQ(options.Report.TitleHistory, std::vector<std::string>{"Disk \"CD 1\""});

  // A text file: written with the options' separator, the marks stored, the folder remembered,
  // the file opened.
  st.Type = kReportTextFile;
  options.Report.Separator = 2;
  ui.Answer = dir + "/cd1.txt";
  ASSERT_TRUE(ExportReport(bd, bdOpt, options, st, ui, stamp));
  EXPECT_EQ(ui.Asked.back(), "/reports/|Disk _CD 1_|.txt|TXT files (*.txt)|*.txt");
  std::string text;
  ASSERT_EQ(ReadWholeFile(ui.Answer, text).Message(), "");
  EXPECT_NE(text.find("setup,2 048,24.12.2002_ 18:05,ra,Installer,\r\n"), std::string::npos);
  EXPECT_EQ(options.ReportFolder, dir + "/");
  EXPECT_EQ(ui.Opened, std::vector<std::string>{ui.Answer});
  EXPECT_FALSE(FillColumnList(bdOpt, TReportTable::FileView)[1].Checked);
  EXPECT_EQ(options.Report.TitleHistory.size(), 1u);

  // The clipboard: aligned whatever the separator, no dialog, nothing opened, the report folder
  // kept for the next file export.
  st.Type = kReportClipboard;
  size_t asked = ui.Asked.size();
  ASSERT_TRUE(ExportReport(bd, bdOpt, options, st, ui, stamp));
  EXPECT_EQ(ui.Asked.size(), asked);
  ASSERT_EQ(ui.Clipboard.size(), 1u);
  EXPECT_NE(ui.Clipboard[0].find("setup    2 048 24.12.2002, 18:05 ra    Installer\r\n"),
            std::string::npos);
  EXPECT_EQ(ui.Opened.size(), 1u);
  EXPECT_EQ(options.ReportFolder, dir + "/");

  // A file that cannot be written: the reason is shown, nothing opened.
  st.Type = kReportHtml;
  ui.Answer = dir + "/missing/r.htm";
  EXPECT_FALSE(ExportReport(bd, bdOpt, options, st, ui, stamp));
  EXPECT_EQ(ui.Errors.size(), 1u);
  EXPECT_EQ(ui.Opened.size(), 1u);
  // Not opened when cbRun is off.
  st.OpenAfterExport = false;
  ui.Answer = dir + "/r.htm";
  EXPECT_TRUE(ExportReport(bd, bdOpt, options, st, ui, stamp));
  EXPECT_EQ(ui.Opened.size(), 1u);
}

TEST_F(ReportCatalogTest, DialogOpenSourceChangeAndClose) {
  TQDBase bdOpt;
  TOptions options;
  options.Report.ReportType = kReportTextFile;
  options.Report.OpenAfterExport = false;
  TReportDialogState st = OpenReportDialog(bdOpt, options, TReportSource::MainWindow, false, disk);
  EXPECT_EQ(st.Type, kReportTextFile);
  EXPECT_FALSE(st.OpenAfterExport);
  EXPECT_EQ(st.Title, "Disk \"CD 1\"");
  ASSERT_EQ(st.Columns.size(), 7u);
  // Another source refills without storing the marks of the previous one.
  st.Columns[0].Checked = false;
  ChooseReportSource(bdOpt, st, TReportSource::SearchResults, false, disk);
  EXPECT_EQ(st.Title, "Search results");
  EXPECT_EQ(st.Columns.size(), 9u);
  ChooseReportSource(bdOpt, st, TReportSource::MainWindow, false, disk);
  EXPECT_TRUE(st.Columns[0].Checked);
  // Closing stores the marks, the type and the open mark.
  st.Columns[0].Checked = false;
  st.Type = kReportClipboard;
  CloseReportDialog(bdOpt, options, st);
  EXPECT_EQ(options.Report.ReportType, kReportClipboard);
  EXPECT_FALSE(OpenReportDialog(bdOpt, options, TReportSource::MainWindow, false, nullptr)
                   .Columns[0]
                   .Checked);
}

TEST_F(ReportCatalogTest, ReportFilesOfTheCommandLine) {
  TReportFileFormat f;
  EXPECT_TRUE(ParseReportFormat("txt-comma", f));
  EXPECT_FALSE(f.Html);
  EXPECT_EQ(f.Separator, 2);
  EXPECT_TRUE(ParseReportFormat("html", f));
  EXPECT_TRUE(f.Html);
  EXPECT_FALSE(ParseReportFormat("pdf", f));

  std::string path = ScratchDir("report-cli") + "/found.txt";
  ASSERT_TRUE(ParseReportFormat("txt-tab", f));
  ASSERT_EQ(WriteSearchReport(path, {jpg, readme}, f, ReportTestStamp("Search results")).Message(),
            "");
  std::string text;
  ASSERT_EQ(ReadWholeFile(path, text).Message(), "");
  auto lines = ReportLines(text);
  ASSERT_EQ(lines.size(), 13u);
  EXPECT_EQ(lines[7], "Name\tExt.\tSize\tModified\tDisk\tDisk type\tPath\tDescription\tCategory");
  EXPECT_EQ(lines[9], "a\tjpg\t4 000\t30.12.1899, 00:00\tCD 1\tCD-ROM\t\\pics.zip\\\t\tPhotos");
  EXPECT_EQ(lines[10],
            "readme\ttxt\t1 234\t31.01.2003, 23:59\tCD 1\tCD-ROM\t\\Docs\\\tRead me first");
  EXPECT_EQ(lines[12], "Files: 2 (5.11 KB)");
}

TEST_F(ReportCatalogTest, ContainerReportOfTheCommandLine) {
  EXPECT_EQ(ReportProgramTitle("1.0.0"), "Tolvane 1.00");
  EXPECT_EQ(ReportProgramTitle("2.1.0"), "Tolvane 2.10");
  EXPECT_EQ(ReportProgramTitle(""), "Tolvane .");

  // A disk: its items in stored order in the file layout, every column.
  std::string dir = ScratchDir("report-container");
  TReportFileFormat f;
  ASSERT_TRUE(ParseReportFormat("txt", f));
  TReportStamp stamp = ReportTestStamp("CD 1");
  ASSERT_EQ(WriteContainerReport(dir + "/disk.txt", disk, f, stamp, false).Message(), "");
  ASSERT_EQ(
      WriteReportFile(dir + "/expected.txt", DiskItems(), TReportTable::FileView,
                      AllReportColumns(TReportTable::FileView), f, stamp, TReportOptions{}, false)
          .Message(),
      "");
  std::string written, expected;
  ASSERT_EQ(ReadWholeFile(dir + "/disk.txt", written).Message(), "");
  ASSERT_EQ(ReadWholeFile(dir + "/expected.txt", expected).Message(), "");
  EXPECT_EQ(written, expected);
  EXPECT_NE(written.find("setup "), std::string::npos);

  // A group: the disk layout.
  ASSERT_EQ(WriteContainerReport(dir + "/group.txt", group, f, stamp, false).Message(), "");
  ASSERT_EQ(ReadWholeFile(dir + "/group.txt", written).Message(), "");
  auto lines = ReportLines(written);
  ASSERT_GT(lines.size(), 9u);
  EXPECT_EQ(lines[7].substr(0, 5), "Disk ");
  EXPECT_NE(lines[9].find("PHOTOS_03"), std::string::npos);
}

}  // namespace
