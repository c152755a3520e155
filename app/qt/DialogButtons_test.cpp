// SPDX-License-Identifier: MIT
#include "app/qt/DialogButtons.h"

#include <gtest/gtest.h>

#include <QDialog>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QVBoxLayout>

#include "app/Language.h"
#include "app/Options.h"
#include "app/qt/GuiText.h"
#include "catalog/qt/fmNewCatU.h"
#include "scan/DescRules.h"
#include "scan/qt/fmDescOptU.h"
#include "store/QDBase.h"

namespace {

void LoadEnglishTable() { LangTable(TLangKind::English).LoadFromFile("Language/English.lng"); }

}  // namespace

TEST(OkCancelRowTest, EnterRunsOksCommandCancelRejects) {
  LoadEnglishTable();
  QDialog dlg;
  auto* edit = new QLineEdit(&dlg);
  int okRuns = 0;
  TOkCancelRow row = MakeOkCancelRow(&dlg, [&okRuns] { ++okRuns; });
  auto* layout = new QVBoxLayout(&dlg);
  layout->addWidget(edit);
  layout->addLayout(row.Layout);
  EXPECT_EQ(row.Ok->text(), LangQ(260));
  EXPECT_EQ(row.Cancel->text(), LangQ(261));
  EXPECT_LT(row.Layout->indexOf(row.Ok), row.Layout->indexOf(row.Cancel));

  dlg.show();
  QTest::keyClick(edit, Qt::Key_Return);
  EXPECT_EQ(okRuns, 1);  // the command decides; OK alone does not close the dialog
  EXPECT_TRUE(dlg.isVisible());
  row.Cancel->click();
  EXPECT_EQ(okRuns, 1);
  EXPECT_FALSE(dlg.isVisible());
  EXPECT_EQ(dlg.result(), QDialog::Rejected);
}

TEST(OkCancelRowTest, DialogsAcceptOnEnterUnlessEnterBelongsToAnEdit) {
  LoadEnglishTable();
  // The new-catalog dialog: Enter in the name field is OK.
  TfmNewCat newCat;
  newCat.show();
  newCat.edName->setText(QStringLiteral("Films"));
  QTest::keyClick(newCat.edName, Qt::Key_Return);
  EXPECT_EQ(newCat.result(), QDialog::Accepted);
  EXPECT_EQ(newCat.Name(), QStringLiteral("Films"));
  EXPECT_EQ(newCat.bkOk->text(), LangQ(260));

  // The description-rule options: Enter in the mask field adds the mask and the dialog stays.
  TQDBase table;
  InitDescriptionRules(table);
  TQDBase rules;
  table.GoToDepth(0);
  table.EnterChild(kOptDescRules);
  rules.AppendFrom(table);
  TfmDescOpt descOpt(rules, drTXT);
  descOpt.show();
  descOpt.MaskEdit()->setText(QStringLiteral("*.log"));
  QTest::keyClick(descOpt.MaskEdit(), Qt::Key_Return);
  EXPECT_TRUE(descOpt.isVisible());
  EXPECT_TRUE(descOpt.MaskEdit()->text().isEmpty());
}
