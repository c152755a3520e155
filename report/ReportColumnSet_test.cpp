// SPDX-License-Identifier: MIT
// The column choice over bdOpt slot 9: completion, trimming, marks, moving, taking the list
// window's order, and robustness against damaged settings; the title rules and the options form.
#include "report/ReportColumnSet.h"

#include <gtest/gtest.h>

#include "app/Options.h"
#include "report/ReportOptionsForm.h"
#include "report/ReportTestUtil.h"
#include "report/ReportTitle.h"

namespace {

std::vector<int> Ids(const std::vector<TReportColumnEntry>& entries) {
  std::vector<int> ids;
  for (const auto& e : entries) ids.push_back(e.Id);
  return ids;
}

class ReportColumnSetTest : public ::testing::Test {
 protected:
  void SetUp() override { LoadReportTexts(); }
  TQDBase bdOpt;
};

TEST_F(ReportColumnSetTest, NewSetListsEveryColumnCheckedInLogicalOrder) {
  auto entries = FillColumnList(bdOpt, TReportTable::FileView);
  ASSERT_EQ(entries.size(), 7u);
  EXPECT_EQ(Ids(entries), (std::vector<int>{0, 1, 2, 3, 4, 5, 6}));
  EXPECT_EQ(entries[0].Caption, "Name");
  EXPECT_EQ(entries[5].Caption, "Description");
  for (const auto& e : entries) EXPECT_TRUE(e.Checked);
  // The sets of the tables are separate children of slot 9.
  EXPECT_EQ(FillColumnList(bdOpt, TReportTable::DiskView).size(), 9u);
  EXPECT_EQ(FillColumnList(bdOpt, TReportTable::Found)[6].Caption, "Path");
  TNodeRec* node9 = OptNode(bdOpt, kOptReportColumns);
  ASSERT_NE(node9, nullptr);
  EXPECT_EQ(NodeChild(node9, 2)->SlotCount, 8);  // slot 0 unused, columns 1..7
  EXPECT_EQ(NodeChild(node9, 1)->SlotCount, 10);
  // The cursor is where it was.
  EXPECT_EQ(bdOpt.CurrentNode(), bdOpt.RootNode());
}

TEST_F(ReportColumnSetTest, MarksAndMovesPersistInSettings) {
  auto entries = FillColumnList(bdOpt, TReportTable::FileView);
  entries[0].Checked = false;
  // Moving stores the marks first, then exchanges the neighbours.
  EXPECT_EQ(MoveReportColumn(bdOpt, TReportTable::FileView, entries, 2, true), 1);
  EXPECT_EQ(Ids(entries), (std::vector<int>{0, 2, 1, 3, 4, 5, 6}));
  EXPECT_FALSE(entries[0].Checked);
  EXPECT_EQ(entries[1].Caption, "Size");
  EXPECT_EQ(MoveReportColumn(bdOpt, TReportTable::FileView, entries, 1, false), 2);
  EXPECT_EQ(MoveReportColumn(bdOpt, TReportTable::FileView, entries, 2, false), 3);
  EXPECT_EQ(Ids(entries), (std::vector<int>{0, 1, 3, 2, 4, 5, 6}));
  // The first cannot go up, the last not down.
  EXPECT_EQ(MoveReportColumn(bdOpt, TReportTable::FileView, entries, 0, true), 0);
  EXPECT_EQ(MoveReportColumn(bdOpt, TReportTable::FileView, entries, 6, false), 6);
  EXPECT_EQ(MoveReportColumn(bdOpt, TReportTable::FileView, entries, 9, true), 9);

  SetAllColumnChecks(entries, false);
  EXPECT_FALSE(ReportExportEnabled(entries));
  EXPECT_TRUE(CheckedReportColumns(entries).empty());
  entries[3].Checked = true;
  entries[5].Checked = true;
  EXPECT_TRUE(ReportExportEnabled(entries));
  EXPECT_EQ(CheckedReportColumns(entries), (std::vector<int>{2, 5}));
  StoreColumnChecks(bdOpt, TReportTable::FileView, entries);
  // A fresh dialog (another store image would give the same) sees the stored order and marks.
  auto again = FillColumnList(bdOpt, TReportTable::FileView);
  EXPECT_EQ(again, entries);
}

TEST_F(ReportColumnSetTest, TrimsForeignIdsAndSurvivesDamagedNodes) {
  // A set written by a version with more columns: ids beyond the table go, others stay.
  bdOpt.EnterChild(kOptReportColumns);
  bdOpt.EnterChild(static_cast<int>(TReportTable::FileView));
  for (int c = 1; c <= 9; ++c) {
    bdOpt.ChildSetInt(c, kRepColId, 9 - c);  // ids 8, 7, ..., 0
    bdOpt.ChildSetInt(c, kRepColChecked, c % 2);
  }
  bdOpt.GoToDepth(0);
  auto entries = FillColumnList(bdOpt, TReportTable::FileView);
  EXPECT_EQ(Ids(entries), (std::vector<int>{6, 5, 4, 3, 2, 1, 0}));
  EXPECT_EQ(entries[0].Caption, "Category");

  // Slot 9 holding a string, and a column child that is an integer: no exception, the set is
  // rebuilt or the entry read as zero.
  TQDBase damaged;
  damaged.SetStr(kOptReportColumns, "junk");
  EXPECT_EQ(FillColumnList(damaged, TReportTable::Found).size(), 9u);
  damaged.EnterChild(kOptReportColumns);
  damaged.EnterChild(static_cast<int>(TReportTable::Found));
  damaged.SetInt(3, 77);
  damaged.GoToDepth(0);
  auto found = FillColumnList(damaged, TReportTable::Found);
  ASSERT_EQ(found.size(), 9u);
  EXPECT_FALSE(found[2].Checked);
  EXPECT_EQ(found[2].Caption, "Name");
  StoreColumnChecks(damaged, TReportTable::Found, found);
  EXPECT_EQ(FillColumnList(damaged, TReportTable::Found), found);
}

TEST_F(ReportColumnSetTest, ColumnsFromListWindow) {
  auto entries = FillColumnList(bdOpt, TReportTable::FileView);
  TColumnLayout layout;
  layout.Width = {150, 40, 80, 1, 40, 200, 80};  // column 3 hidden
  layout.Position = {1, 0, 2, 3, 4, 6, 5};
  ASSERT_TRUE(ColumnsFromList(bdOpt, TReportTable::FileView, layout, entries));
  EXPECT_EQ(Ids(entries), (std::vector<int>{1, 0, 2, 3, 4, 6, 5}));
  EXPECT_FALSE(entries[3].Checked);
  EXPECT_TRUE(entries[0].Checked);
  EXPECT_EQ(FillColumnList(bdOpt, TReportTable::FileView), entries);

  // Not applied when the counts differ or the positions are not a permutation.
  auto shorter = entries;
  shorter.pop_back();
  EXPECT_FALSE(ColumnsFromList(bdOpt, TReportTable::FileView, layout, shorter));
  layout.Position = {0, 0, 2, 3, 4, 6, 5};
  EXPECT_FALSE(ColumnsFromList(bdOpt, TReportTable::FileView, layout, entries));
  EXPECT_EQ(Ids(entries), (std::vector<int>{1, 0, 2, 3, 4, 6, 5}));
}

TEST(ReportTitleTest, DefaultTitleHistoryAndFileName) {
  LoadReportTexts();
  EXPECT_EQ(DefaultReportTitle(TReportSource::SearchResults, nullptr), "Search results");
  EXPECT_EQ(DefaultReportTitle(TReportSource::UserList, nullptr), "User list");
  EXPECT_EQ(DefaultReportTitle(TReportSource::MainWindow, nullptr), "");
  TQDBase bd;
  bd.NewChild(0);
  bd.EnterChild(0);
  bd.SetStr(0, "Photos 2003");
  bd.SetInt(1, 3);
  bd.Up();
  EXPECT_EQ(DefaultReportTitle(TReportSource::MainWindow, bd.RootNode()), "Disk \"Photos 2003\"");

  std::vector<std::string> history = {"Old"};
  EXPECT_FALSE(AddReportTitle(history, ""));
  EXPECT_FALSE(AddReportTitle(history, "OLD"));  // letter case ignored
  EXPECT_TRUE(AddReportTitle(history, "New"));
  EXPECT_EQ(history, (std::vector<std::string>{"New", "Old"}));
  for (int i = 0; i < 30; ++i) AddReportTitle(history, "T" + std::to_string(i));
  EXPECT_EQ(history.size(), kMaxReportTitles);
  EXPECT_EQ(history.front(), "T29");

  EXPECT_EQ(ReportFileNameProposal("Disk \"a/b\": <*?|>\\\t"), "Disk _a_b__ _______");
}

TEST(ReportOptionsFormTest, DependentStatesAndStoring) {
  TReportOptions o;
  TReportOptionsForm f = LoadReportOptionsForm(o);
  EXPECT_EQ(f.Separator, 0);
  EXPECT_FALSE(f.ReplaceEnabled());
  EXPECT_FALSE(f.ReplacementEnabled());
  f.Separator = 2;
  EXPECT_TRUE(f.ReplaceEnabled());
  EXPECT_TRUE(f.ReplacementEnabled());
  f.Replace = false;
  EXPECT_FALSE(f.ReplacementEnabled());

  o.TitleHistory = {"a"};
  o.ReportType = 1;
  f.Replacement = "ÄÖÜäöüßx";  // 8 characters: the edit keeps 7
  StoreReportOptionsForm(f, o);
  EXPECT_EQ(o.Separator, 2);
  EXPECT_FALSE(o.ReplaceSeparator);
  EXPECT_EQ(o.Replacement, "ÄÖÜäöüß");
  EXPECT_EQ(o.TitleHistory, std::vector<std::string>{"a"});
  EXPECT_EQ(o.ReportType, 1);
  EXPECT_EQ(ReportOptionsPage(2, 1), 1);  // the clipboard has no page of its own
}

}  // namespace
