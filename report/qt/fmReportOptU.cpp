// SPDX-License-Identifier: MIT
#include "report/qt/fmReportOptU.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "app/qt/DialogButtons.h"
#include "app/qt/GuiText.h"
#include "report/ReportOptionsForm.h"

TfmReportOpt::TfmReportOpt(TReportOptions& options, std::function<void()> save, QWidget* parent)
    : QDialog(parent), options_(options), save_(std::move(save)) {
  setObjectName(QStringLiteral("fmReportOpt"));
  setWindowTitle(PlainCaption(LangQ(2010)));
  TReportOptionsForm form = LoadReportOptionsForm(options_);

  pcPages = new QTabWidget(this);
  tsHTML = new QWidget;
  tsHTML->setObjectName(QStringLiteral("tsHTML"));
  cbHTMLhideBorder = new QCheckBox(LangQ(2101));
  cbHTMLhideBorder->setObjectName(QStringLiteral("cbHTMLhideBorder"));
  cbHTMLhideBorder->setChecked(form.HideBorder);
  cbHTMLshading = new QCheckBox(LangQ(2102));
  cbHTMLshading->setObjectName(QStringLiteral("cbHTMLshading"));
  cbHTMLshading->setChecked(form.Shading);
  auto* html = new QVBoxLayout(tsHTML);
  html->addWidget(cbHTMLhideBorder);
  html->addWidget(cbHTMLshading);
  html->addStretch(1);
  pcPages->addTab(tsHTML, LangQ(12102));

  tsASCII = new QWidget;
  tsASCII->setObjectName(QStringLiteral("tsASCII"));
  cbASCIItype = new QComboBox;
  cbASCIItype->setObjectName(QStringLiteral("cbASCIItype"));
  cbASCIItype->setSizeAdjustPolicy(QComboBox::AdjustToContents);
  for (int n : {12301, 12302, 12303}) cbASCIItype->addItem(LangQ(n));
  cbASCIItype->setCurrentIndex(form.Separator >= 0 && form.Separator <= 2 ? form.Separator : 0);
  auto* lbASCIIdelim = new QLabel(LangQ(2103));
  lbASCIIdelim->setBuddy(cbASCIItype);
  cbASCIIreplace = new QCheckBox(LangQ(2104));
  cbASCIIreplace->setObjectName(QStringLiteral("cbASCIIreplace"));
  cbASCIIreplace->setChecked(form.Replace);
  edreplaceStr = new QLineEdit;
  edreplaceStr->setObjectName(QStringLiteral("edreplaceStr"));
  edreplaceStr->setMaxLength(static_cast<int>(kMaxReplacementLength));
  edreplaceStr->setText(QStr(form.Replacement));
  edreplaceStr->setMaximumWidth(fontMetrics().horizontalAdvance(QLatin1Char('W')) * 9);
  auto* text = new QGridLayout(tsASCII);
  text->addWidget(lbASCIIdelim, 0, 0);
  text->addWidget(cbASCIItype, 0, 1);
  text->addWidget(cbASCIIreplace, 1, 0);
  text->addWidget(edreplaceStr, 1, 1, Qt::AlignLeft);
  text->setColumnStretch(2, 1);
  text->setRowStretch(2, 1);
  // The text page carries the caption of the text-file type.
  pcPages->addTab(tsASCII, LangQ(12103));

  TOkCancelRow buttons = MakeOkCancelRow(this);
  bkOk = buttons.Ok;
  bkCancel = buttons.Cancel;
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(pcPages);
  layout->addLayout(buttons.Layout);
  layout->setSizeConstraint(QLayout::SetFixedSize);

  connect(cbASCIItype, &QComboBox::currentIndexChanged, this, &TfmReportOpt::UpdateStates);
  connect(cbASCIIreplace, &QCheckBox::toggled, this, &TfmReportOpt::UpdateStates);
  UpdateStates();
}

void TfmReportOpt::ShowPageOf(int reportType) {
  pcPages->setCurrentIndex(ReportOptionsPage(reportType, pcPages->currentIndex()));
}

void TfmReportOpt::UpdateStates() {
  TReportOptionsForm form;
  form.Separator = cbASCIItype->currentIndex();
  form.Replace = cbASCIIreplace->isChecked();
  cbASCIIreplace->setEnabled(form.ReplaceEnabled());
  edreplaceStr->setEnabled(form.ReplacementEnabled());
}

void TfmReportOpt::accept() {
  TReportOptionsForm form;
  form.HideBorder = cbHTMLhideBorder->isChecked();
  form.Shading = cbHTMLshading->isChecked();
  form.Separator = cbASCIItype->currentIndex() < 0 ? 0 : cbASCIItype->currentIndex();
  form.Replace = cbASCIIreplace->isChecked();
  form.Replacement = StdStr(edreplaceStr->text());
  StoreReportOptionsForm(form, options_);
  if (save_) save_();
  QDialog::accept();
}
