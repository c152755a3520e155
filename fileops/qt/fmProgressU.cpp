// SPDX-License-Identifier: MIT
#include "fileops/qt/fmProgressU.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFormLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include "app/SizeTexts.h"
#include "app/qt/GuiText.h"

TfmProgress::TfmProgress(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("fmProgress"));
  setMinimumWidth(460);
  auto* main = new QVBoxLayout(this);
  auto* form = new QFormLayout();
  auto value = [this](const char* name) {
    auto* l = new QLabel(this);
    l->setObjectName(QString::fromLatin1(name));
    l->setTextFormat(Qt::PlainText);
    l->setMinimumWidth(320);
    return l;
  };
  lbDiskCap_ = new QLabel(this);
  lbDstCap_ = new QLabel(this);
  lbFileCap_ = new QLabel(this);
  lbCopiedCap_ = new QLabel(this);
  lbSpeedCap_ = new QLabel(this);
  lbDisk = value("lbDisk");
  lbDst = value("lbDst");
  lbFile = value("lbFile");
  lbCopied = value("lbCopied");
  lbSpeed = value("lbSpeed");
  form->addRow(lbDiskCap_, lbDisk);
  form->addRow(lbDstCap_, lbDst);
  form->addRow(lbFileCap_, lbFile);
  main->addLayout(form);
  pbFile = new QProgressBar(this);
  pbFile->setObjectName(QStringLiteral("pbFile"));
  pbFile->setRange(0, 100);
  main->addWidget(pbFile);
  auto* form2 = new QFormLayout();
  form2->addRow(lbCopiedCap_, lbCopied);
  form2->addRow(lbSpeedCap_, lbSpeed);
  main->addLayout(form2);
  pbar = new QProgressBar(this);
  pbar->setObjectName(QStringLiteral("pbar"));
  pbar->setRange(0, 100);
  main->addWidget(pbar);
  auto* row = new QHBoxLayout();
  bkCancel = new QPushButton(this);
  bkCancel->setObjectName(QStringLiteral("bkCancel"));
  row->addStretch(1);
  row->addWidget(bkCancel);
  row->addStretch(1);
  main->addLayout(row);
  connect(bkCancel, &QPushButton::clicked, this, &TfmProgress::Cancel);
}

void TfmProgress::Start(const QString& caption, const QString& destination) {
  setWindowTitle(caption);
  lbDiskCap_->setText(LangQ(1504));
  lbDstCap_->setText(LangQ(1505));
  lbFileCap_->setText(LangQ(1507));
  lbCopiedCap_->setText(LangQ(1506));
  lbSpeedCap_->setText(LangQ(1508));
  bkCancel->setText(LangQ(261));
  lbDisk->clear();
  lbDst->setText(destination);
  lbFile->clear();
  lbCopied->clear();
  lbSpeed->clear();
  pbFile->setValue(0);
  pbar->setValue(0);
  cancel_ = false;
  canClose_ = false;
  fileInWork_.clear();
  bytesBefore_ = fileCopied_ = 0;
  lastSpeedAt_ = 0;
  clock_.start();

  disabled_.clear();
  active_ = QApplication::activeWindow();
  for (QWidget* w : QApplication::topLevelWidgets())
    if (w != this && w->isVisible() && w->isEnabled() && !w->inherits("QMenu")) {
      w->setEnabled(false);
      disabled_.emplace_back(w);
    }
  adjustSize();
  if (QScreen* screen = QGuiApplication::primaryScreen())
    move(screen->availableGeometry().center() - rect().center());
  show();
  raise();
  QApplication::processEvents();
}

void TfmProgress::SetDisk(const QString& name) { lbDisk->setText(name); }

void TfmProgress::SetFile(const QString& source, int64_t copied, int64_t size) {
  if (source != fileInWork_) {
    bytesBefore_ += fileCopied_;
    fileCopied_ = 0;
    fileInWork_ = source;
    lbFile->setText(fontMetrics().elidedText(source, Qt::ElideMiddle, lbFile->width()));
    lbFile->setToolTip(source);
  }
  fileCopied_ = copied;
  int percent = size > 0 ? static_cast<int>(copied * 100 / size) : (copied > 0 ? 100 : 0);
  pbFile->setValue(std::clamp(percent, 0, 100));
  ShowSpeed(false);
}

void TfmProgress::SetTotal(int percent, const QString& text) {
  pbar->setValue(std::clamp(percent, 0, 100));
  lbCopied->setText(text);
  if (percent >= 100) pbFile->setValue(100);
}

void TfmProgress::ShowSpeed(bool force) {
  qint64 ms = clock_.elapsed();
  if (!force && ms - lastSpeedAt_ < 250) return;
  lastSpeedAt_ = ms;
  if (ms <= 0) return;
  int64_t bytes = bytesBefore_ + fileCopied_;
  auto perSecond =
      static_cast<int64_t>(static_cast<double>(bytes) * 1000.0 / static_cast<double>(ms));
  lbSpeed->setText(LangFormatQ(1509, FormatSizeUnits(perSecond)));
}

bool TfmProgress::Poll() {
  QApplication::processEvents();
  return cancel_;
}

void TfmProgress::Cancel() {
  if (cancel_) return;
  cancel_ = true;
  if (OnCancel) OnCancel();
}

void TfmProgress::Finish() {
  canClose_ = true;
  ShowSpeed(true);
  hide();
  for (const QPointer<QWidget>& w : disabled_)
    if (w) w->setEnabled(true);
  disabled_.clear();
  if (active_) active_->activateWindow();
  active_ = nullptr;
}

void TfmProgress::closeEvent(QCloseEvent* event) {
  if (canClose_) {
    event->accept();
    return;
  }
  event->ignore();
  Cancel();
}

void TfmProgress::reject() {
  if (canClose_)
    QDialog::reject();
  else
    Cancel();
}
