// SPDX-License-Identifier: MIT
#include "fileops/qt/fmInsertDiskU.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "app/qt/GuiText.h"
#include "app/qt/Shell.h"
#include "platform/Volumes.h"

TfmInsertDisk::TfmInsertDisk(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("fmInsertDisk"));
  setModal(true);
  auto* main = new QVBoxLayout(this);
  lbInsertDisk = new QLabel(this);
  main->addWidget(lbInsertDisk);
  auto* form = new QFormLayout();
  auto value = [this](const char* name) {
    auto* l = new QLabel(this);
    l->setObjectName(QString::fromLatin1(name));
    l->setTextFormat(Qt::PlainText);
    l->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return l;
  };
  lbDiskName_ = new QLabel(this);
  lbDiskLabel_ = new QLabel(this);
  lbDiskSerial_ = new QLabel(this);
  lbDiskType_ = new QLabel(this);
  lbDiskLoc_ = new QLabel(this);
  lbName = value("lbName");
  lbLabel = value("lbLabel");
  lbSerial = value("lbSerial");
  lbType = value("lbType");
  lbLoc = value("lbLoc");
  form->addRow(lbDiskName_, lbName);
  form->addRow(lbDiskLabel_, lbLabel);
  form->addRow(lbDiskSerial_, lbSerial);
  form->addRow(lbDiskType_, lbType);
  form->addRow(lbDiskLoc_, lbLoc);
  main->addLayout(form);
  lbCandidates = new QLabel(this);
  lbCandidates->setWordWrap(true);
  main->addWidget(lbCandidates);
  lvCandidates = new QListWidget(this);
  lvCandidates->setObjectName(QStringLiteral("lvCandidates"));
  main->addWidget(lvCandidates);
  bkOther = new QPushButton(this);
  bkOther->setObjectName(QStringLiteral("bkOther"));
  auto* otherRow = new QHBoxLayout();
  otherRow->addWidget(bkOther);
  otherRow->addStretch(1);
  main->addLayout(otherRow);
  lbWatch = new QLabel(this);
  lbWatch->setWordWrap(true);
  main->addWidget(lbWatch);

  auto* buttons = new QHBoxLayout();
  bkOk = new QPushButton(this);
  bkOk->setObjectName(QStringLiteral("bkOk"));
  bkOk->setDefault(true);
  bkCancel = new QPushButton(this);
  bkCancel->setObjectName(QStringLiteral("bkCancel"));
  bkSkip = new QPushButton(this);
  bkSkip->setObjectName(QStringLiteral("bkSkip"));
  buttons->addStretch(1);
  buttons->addWidget(bkOk);
  buttons->addWidget(bkCancel);
  buttons->addWidget(bkSkip);
  buttons->addStretch(1);
  main->addLayout(buttons);

  connect(bkOk, &QPushButton::clicked, this, [this] {
    if (lvCandidates->isVisible() && lvCandidates->currentItem())
      chosen_ = StdStr(lvCandidates->currentItem()->text());
    Finish(kInsertOk);
  });
  connect(bkSkip, &QPushButton::clicked, this, [this] { Finish(kInsertSkip); });
  connect(bkCancel, &QPushButton::clicked, this, [this] { Finish(kInsertCancel); });
  connect(bkOther, &QPushButton::clicked, this, [this] {
    QString folder = BrowseForFolder(this, QString(), PlainCaption(LangQ(1211)));
    if (folder.isEmpty()) return;
    chosen_ = StdStr(folder);
    Finish(kInsertOk);
  });
  watch_ = new QTimer(this);
  connect(watch_, &QTimer::timeout, this, [this] {
    if (present_ && present_()) Finish(kInsertOk);
  });
}

void TfmInsertDisk::Finish(int answer) {
  answer_ = answer;
  watch_->stop();
  if (answer == kInsertCancel)
    reject();
  else
    accept();
}

int TfmInsertDisk::Ask(const TInsertDiskInfo& disk, bool skipAllowed, std::string& chosenRoot,
                       std::function<bool()> present) {
  setWindowTitle(LangQ(1201));
  lbInsertDisk->setText(LangQ(1202));
  lbDiskName_->setText(LangQ(1204));
  lbDiskLabel_->setText(LangQ(1207));
  lbDiskSerial_->setText(LangQ(1208));
  lbDiskType_->setText(LangQ(1205));
  lbDiskLoc_->setText(LangQ(1206));
  lbCandidates->setText(LangQ(1210));
  lbWatch->setText(LangQ(1209));
  bkOther->setText(LangQ(1211));
  bkOk->setText(LangQ(260));
  bkCancel->setText(LangQ(261));
  bkSkip->setText(LangQ(1203));

  lbName->setText(QStr(disk.Name));
  lbLabel->setText(disk.Label.empty() ? QStringLiteral("-") : QStr(disk.Label));
  bool noSerial = disk.Serial.empty() || disk.Serial == kNoSerialText;
  lbSerial->setText(noSerial ? QStringLiteral("-") : QStr(disk.Serial));
  lbType->setText(QStr(disk.TypeText));
  lbLoc->setText(QStr(disk.LocationText));
  bkSkip->setVisible(skipAllowed);
  lvCandidates->clear();
  for (const std::string& c : disk.Candidates) lvCandidates->addItem(QStr(c));
  if (lvCandidates->count() > 0) lvCandidates->setCurrentRow(0);
  lbCandidates->setVisible(disk.Unidentified);
  lvCandidates->setVisible(disk.Unidentified && !disk.Candidates.empty());
  bkOther->setVisible(disk.Unidentified);
  lbWatch->setVisible(!disk.Unidentified);
  adjustSize();

  chosen_.clear();
  answer_ = kInsertCancel;
  present_ = disk.Unidentified ? std::function<bool()>() : std::move(present);
  if (present_) watch_->start(PollInterval);
  bkOk->setFocus();
  exec();
  watch_->stop();
  present_ = nullptr;
  if (answer_ == kInsertSkip && !skipAllowed) answer_ = kInsertCancel;
  if (answer_ == kInsertOk && !chosen_.empty()) chosenRoot = chosen_;
  return answer_;
}
