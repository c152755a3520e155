// SPDX-License-Identifier: MIT
#include "scan/DescRules.h"

#include <gtest/gtest.h>

#include "app/Language.h"
#include "scan/DescRuleSet.h"
#include "store/QDBase.h"

namespace {

std::vector<std::string> Masks(const TNodeRec* rule) {
  std::vector<std::string> out;
  const TNodeRec* m = NodeChild(rule, rsMasks);
  for (int i = 0; m && i < m->SlotCount; ++i) out.emplace_back(NodeGetStr(m, i));
  return out;
}

TNodeRec* Table(TQDBase& opt) { return NodeChild(opt.RootNode(), kDescRulesSlot); }

}  // namespace

TEST(DescRules, DefaultsOfAnEmptySettingsStore) {
  TQDBase opt;
  opt.EnterChild(2);  // somewhere else: the cursor must come back here
  TNodeRec* before = opt.CurrentNode();
  InitDescriptionRules(opt);
  EXPECT_EQ(opt.CurrentNode(), before);

  const TNodeRec* table = Table(opt);
  ASSERT_NE(table, nullptr);
  ASSERT_EQ(table->SlotCount, 19);
  TDescOptions o = ReadDescOptions(table);
  EXPECT_EQ(o.MaxDescKB, 2);
  EXPECT_TRUE(o.DropEmptyLines && o.TrimLeading && o.TrimTrailing && o.CollapseSpaces);
  EXPECT_EQ(o.MaxDescBytes(), 2048u);
  EXPECT_EQ(o.TextHeadLimit(), 2048u);

  const char* names[] = {"HTML documents",
                         "MP3 audio files",
                         "Executable files",
                         "Text files",
                         "BMP images",
                         "JPEG images",
                         "CompuServe images",
                         "PNG images",
                         "ZSoft PaintBrush files",
                         "TIFF images",
                         "File_id.diz descriptions",
                         "Files.bbs description files",
                         "4DOS/NDOS descriptions"};
  for (int k = 1; k <= 13; ++k) {
    const TNodeRec* rule = NodeChild(table, k);
    ASSERT_NE(rule, nullptr) << k;
    EXPECT_EQ(NodeGetStr(rule, rsName), names[k - 1]);
    EXPECT_EQ(NodeGetInt(rule, rsEnabled), 1);
    EXPECT_EQ(NodeGetInt(rule, rsReader), k);
    EXPECT_EQ(NodeGetInt(rule, rsTarget), k <= 10 ? dtFile : k == 11 ? dtFolder : dtList);
    EXPECT_EQ(NodeGetInt(rule, rsOemToAnsi), 0);
  }
  EXPECT_EQ(Masks(NodeChild(table, 3)).size(), 10u);
  EXPECT_EQ(Masks(NodeChild(table, 6)),
            (std::vector<std::string>{"*.JPG", "*.JPEG", "*.JPE", "*.JFIF"}));
  EXPECT_EQ(Masks(NodeChild(table, 10)), (std::vector<std::string>{"*.TIFF", "*.TIF"}));
  EXPECT_EQ(Masks(NodeChild(table, 11)), (std::vector<std::string>{"FILE_ID.DIZ"}));
  EXPECT_EQ(Masks(NodeChild(table, 13)), (std::vector<std::string>{"DESCRIPT.ION"}));
  // The media readers follow, enabled, each describing its file.
  for (int k = 14; k <= 18; ++k) {
    const TNodeRec* rule = NodeChild(table, k);
    ASSERT_NE(rule, nullptr) << k;
    EXPECT_EQ(NodeGetInt(rule, rsReader), k);
    EXPECT_EQ(NodeGetInt(rule, rsEnabled), 1);
    EXPECT_EQ(NodeGetInt(rule, rsTarget), dtFile);
    EXPECT_FALSE(Masks(rule).empty());
  }
  EXPECT_EQ(Masks(NodeChild(table, drPDF)), (std::vector<std::string>{"*.PDF"}));
}

// A settings file of the thirteen first rules, reordered, edited and partly disabled by its user,
// gains the media rules once, at its end and enabled; nothing of its own changes.
TEST(DescRules, AStoredTableOfThirteenRulesGainsTheMediaRulesOnce) {
  TQDBase opt;
  InitDescriptionRules(opt);
  opt.EnterChild(kDescRulesSlot);
  for (int k = 18; k >= 14; --k) opt.DeleteSlot(k);  // a table as the older version saved it
  opt.ExchangeSlots(1, 6);
  opt.EnterChild(1);
  opt.SetInt(rsEnabled, 0);
  opt.ChildSetStr(rsMasks, 0, "*.JPX");
  opt.Up();
  std::string before;
  opt.SaveToString(before);
  opt.GoToDepth(0);

  InitDescriptionRules(opt);
  const TNodeRec* table = Table(opt);
  ASSERT_EQ(table->SlotCount, 19);
  for (int k = 14; k <= 18; ++k) {
    EXPECT_EQ(NodeGetInt(NodeChild(table, k), rsReader), k);
    EXPECT_EQ(NodeGetInt(NodeChild(table, k), rsEnabled), 1);
  }
  // Once: the next start finds every rule there and adds nothing.
  std::string a, b;
  opt.EnterChild(kDescRulesSlot);
  opt.SaveToString(a);
  opt.GoToDepth(0);
  InitDescriptionRules(opt);
  opt.EnterChild(kDescRulesSlot);
  opt.SaveToString(b);
  EXPECT_EQ(a, b);
  // Without the new rules the table is byte for byte what the user had.
  for (int k = 18; k >= 14; --k) opt.DeleteSlot(k);
  std::string after;
  opt.SaveToString(after);
  EXPECT_EQ(after, before);
}

TEST(DescRules, AnOlderTableGainsMissingRulesAndKeepsItsOwn) {
  TQDBase opt;
  opt.EnterChild(kDescRulesSlot);
  opt.EnterChild(0);
  opt.SetInt(doMaxDescKB, 7);  // the user's options
  opt.Up();
  // Two rules, reordered and edited by the user.
  opt.EnterChild(1);
  opt.SetStr(rsName, "Mine");
  opt.SetInt(rsReader, drION);
  opt.SetInt(rsTarget, dtList);
  opt.SetInt(rsEnabled, 0);
  opt.ChildSetStr(rsMasks, 0, "*.ION");
  opt.Up();
  opt.EnterChild(2);
  opt.SetStr(rsName, "Second");
  opt.Up();
  opt.GoToDepth(0);

  InitDescriptionRules(opt);
  const TNodeRec* table = Table(opt);
  ASSERT_EQ(table->SlotCount, 19);
  EXPECT_EQ(ReadDescOptions(table).MaxDescKB, 7);
  EXPECT_FALSE(ReadDescOptions(table).DropEmptyLines);  // options are not completed one by one
  EXPECT_EQ(NodeGetStr(NodeChild(table, 1), rsName), "Mine");
  EXPECT_EQ(NodeGetInt(NodeChild(table, 1), rsEnabled), 0);
  EXPECT_EQ(Masks(NodeChild(table, 1)), (std::vector<std::string>{"*.ION"}));
  EXPECT_EQ(NodeGetStr(NodeChild(table, 2), rsName), "Second");
  EXPECT_EQ(NodeGetStr(NodeChild(table, 3), rsName), "Executable files");
  EXPECT_EQ(NodeGetStr(NodeChild(table, 13), rsName), "4DOS/NDOS descriptions");

  // Running it again changes nothing.
  std::string a, b;
  opt.EnterChild(kDescRulesSlot);
  opt.SaveToString(a);
  InitDescriptionRules(opt);
  opt.SaveToString(b);
  EXPECT_EQ(a, b);
}

TEST(DescRules, ADamagedTableSlotIsReplaced) {
  TQDBase opt;
  opt.SetStr(kDescRulesSlot, "not a table");
  InitDescriptionRules(opt);
  ASSERT_NE(Table(opt), nullptr);
  EXPECT_EQ(Table(opt)->SlotCount, 19);
}

TEST(DescRules, ResetRuleMasksRestoresTheReadersDefaults) {
  TQDBase opt;
  InitDescriptionRules(opt);
  opt.EnterChild(kDescRulesSlot);
  opt.ExchangeSlots(2, 5);  // the BMP rule now at slot 2
  opt.EnterChild(2);
  opt.NewChild(rsMasks);
  opt.ChildSetStr(rsMasks, 0, "*.XYZ");
  opt.Up();
  ResetRuleMasks(opt, 2);
  EXPECT_EQ(opt.CurrentNode(), Table(opt));
  EXPECT_EQ(Masks(NodeChild(Table(opt), 2)), (std::vector<std::string>{"*.BMP"}));

  opt.EnterChild(3);
  opt.SetInt(rsReader, 99);
  opt.ChildSetStr(rsMasks, 0, "*.KEEP");
  opt.Up();
  ResetRuleMasks(opt, 3);   // unknown reader: unchanged
  ResetRuleMasks(opt, 40);  // no rule there: nothing happens
  EXPECT_EQ(Masks(NodeChild(Table(opt), 3))[0], "*.KEEP");
  EXPECT_EQ(Table(opt)->SlotCount, 19);
}

TEST(DescRules, RuleListText) {
  LangTable(TLangKind::English).LoadFromText("English\r\n10509=no masks\r\n");
  TQDBase opt;
  InitDescriptionRules(opt);
  EXPECT_EQ(RuleListText(NodeChild(Table(opt), 1)), "HTML documents (*.HTM, *.HTML)");
  EXPECT_EQ(RuleListText(NodeChild(Table(opt), 13)), "4DOS/NDOS descriptions (DESCRIPT.ION)");
  // A media rule shows the language's name while it keeps its default one.
  LangTable(TLangKind::English)
      .LoadFromText("English\r\n10509=no masks\r\n11814=PDF-Dokumente\r\n");
  EXPECT_EQ(RuleListText(NodeChild(Table(opt), drPDF)), "PDF-Dokumente (*.PDF)");
  opt.EnterChild(kDescRulesSlot);
  opt.EnterChild(drPDF);
  opt.SetStr(rsName, "My PDFs");
  EXPECT_EQ(RuleListText(NodeChild(Table(opt), drPDF)), "My PDFs (*.PDF)");
  opt.GoToDepth(0);
  opt.EnterChild(kDescRulesSlot);
  opt.EnterChild(1);
  opt.NewChild(rsMasks);
  EXPECT_EQ(RuleListText(NodeChild(Table(opt), 1)), "HTML documents (no masks)");
  opt.SetInt(rsName, 5);  // damaged: a number where the name belongs
  EXPECT_EQ(RuleListText(NodeChild(Table(opt), 1)), " (no masks)");
  LangTable(TLangKind::English).Clear();
}
