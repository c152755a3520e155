// SPDX-License-Identifier: MIT
#include "scan/qt/fmScanU.h"

#include <QDialogButtonBox>
#include <QFontMetrics>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <atomic>
#include <cmath>
#include <string>
#include <thread>
#include <vector>

#include "app/qt/GuiText.h"
#include "app/qt/Prompts.h"
#include "platform/Tray.h"

namespace {

constexpr int kTickMs = 100;       // display and completion timers
constexpr int kCancelPollMs = 50;  // waiting for a cancelled worker to unwind
constexpr int kCancelPolls = 70;   // 3.5 s before the user is asked to stop waiting

std::atomic<int> gAbandoned{0};

// Joins an abandoned worker in the background and frees it and the store it writes. The worker
// never touches anything else, so nothing of the program is at risk while it runs on.
void Abandon(std::unique_ptr<TQDBase> store, std::unique_ptr<TFileScan> worker) {
  ++gAbandoned;
  std::thread([store = std::move(store), worker = std::move(worker)]() mutable {
    worker->Join();
    worker.reset();
    store.reset();
    --gAbandoned;
  }).detach();
}

QLabel* CountLabel() {
  auto* l = new QLabel(QStringLiteral("0"));
  l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  l->setMinimumWidth(QFontMetrics(l->font()).horizontalAdvance(QStringLiteral("0000000000")));
  return l;
}

}  // namespace

TfmScan::TfmScan(QWidget* parent) : QDialog(parent) {
  setWindowTitle(LangQ(1701));
  setModal(true);

  lbCap = new QLabel(LangQ(11704));
  lbPath = new QLabel;
  // The path is elided to the label's width, so the label must never ask for more.
  lbPath->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  lbPath->setMinimumHeight(lbPath->fontMetrics().height());
  lbPath->setTextFormat(Qt::PlainText);
  pbW = new QProgressBar;
  pbW->setRange(0, 100);
  pbW->setValue(0);

  gbDone = new QGroupBox(LangQ(1703));
  auto* grid = new QGridLayout(gbDone);
  lbFiles = CountLabel();
  lbFolders = CountLabel();
  lbArc = CountLabel();
  lbDesc = CountLabel();
  const std::pair<int, QLabel*> rows[] = {
      {1704, lbFiles}, {1705, lbFolders}, {1708, lbArc}, {1706, lbDesc}};
  int r = 0;
  for (const auto& [text, count] : rows) {
    grid->addWidget(new QLabel(LangQ(text)), r, 0);
    grid->addWidget(count, r, 1);
    ++r;
  }
  grid->setColumnStretch(0, 1);

  bkCancel = new QPushButton(LangQ(261));
  connect(bkCancel, &QPushButton::clicked, this, &TfmScan::reject);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(bkCancel);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(lbCap);
  layout->addWidget(lbPath);
  layout->addWidget(pbW);
  layout->addWidget(gbDone);
  layout->addLayout(buttons);
  setMinimumWidth(440);

  tmstat.setInterval(kTickMs);
  tmDone.setInterval(kTickMs);
  cancelWait_.setInterval(kCancelPollMs);
  connect(&tmstat, &QTimer::timeout, this, &TfmScan::tmstatTimer);
  connect(&tmDone, &QTimer::timeout, this, &TfmScan::tmDoneTimer);
  connect(&cancelWait_, &QTimer::timeout, this, &TfmScan::cancelWaitTimer);
}

TfmScan::~TfmScan() = default;  // a worker still owned here is cancelled and joined

int TfmScan::AbandonedScans() { return gAbandoned.load(); }

bool TfmScan::RunScan(TQDBase& bdDisk, TQDBase* oldDiskStore) {
  finished_ = completed_ = asking_ = cancelling_ = false;
  cancelPolls_ = 0;
  // The worker writes a store of its own, so that an abandoned worker never outlives what it
  // writes into; the header is copied in, the result moved out.
  store_ = std::make_unique<TQDBase>();
  bdDisk.GoToDepth(0);
  store_->AppendFrom(bdDisk);
  store_->GoToDepth(0);
  worker_ = std::make_unique<TFileScan>(*store_, RootPath, settings_);
  if (oldDiskStore) worker_->TakeOldDisk(*oldDiskStore);

  lbCap->setText(LangQ(11704));
  lbPath->clear();
  for (QLabel* l : {lbFiles, lbFolders, lbArc, lbDesc}) l->setText(QStringLiteral("0"));
  pbW->setRange(0, UsedBytes > 0 ? 100 : 0);  // an unknown total: a busy bar
  pbW->setValue(0);
  bkCancel->setEnabled(true);
  if (pauseAtStart_) worker_->Paused = true;
  worker_->Start();
  tmstat.start();
  tmDone.start();
  exec();
  tmstat.stop();
  tmDone.stop();
  cancelWait_.stop();

  if (worker_) {
    // Finished, or cancelled and unwound: the thread is at its end or about to be.
    worker_->Join();
    if (completed_) {
      bdDisk.GoToDepth(0);
      store_->GoToDepth(0);
      bdDisk.TakeSubtree(*store_);  // constant time, whatever the size of the disk
      bdDisk.GoToDepth(0);
    }
  }
  worker_.reset();
  store_.reset();
  return completed_;
}

void TfmScan::ShowCounts() {
  if (!worker_) return;
  lbFiles->setText(QString::number(worker_->FilesDone.load()));
  lbFolders->setText(QString::number(worker_->FoldersDone.load()));
  lbArc->setText(QString::number(worker_->ArchivesDone.load()));
  lbDesc->setText(QString::number(worker_->DescriptionsDone.load()));
  const QString path = QStr(worker_->CurrentFolder());
  lbPath->setText(lbPath->fontMetrics().elidedText(path, Qt::ElideMiddle, lbPath->width()));
  if (UsedBytes > 0) {
    double ratio =
        100.0 * static_cast<double>(worker_->BytesDone.load()) / static_cast<double>(UsedBytes);
    pbW->setValue(static_cast<int>(std::lround(std::clamp(ratio, 0.0, 100.0))));
  }
}

void TfmScan::tmstatTimer() { ShowCounts(); }

void TfmScan::tmDoneTimer() {
  if (!worker_ || asking_ || cancelling_) return;
  if (!worker_->Done.load() || worker_->CancelRequested.load()) return;
  tmstat.stop();
  tmDone.stop();
  ShowCounts();
  // Folders that could not be read are stored as empty: say how many, and which.
  if (const int unreadable = worker_->FoldersUnreadable.load(); unreadable > 0) {
    QString text = LangFormatQ(11705, std::to_string(unreadable));
    const std::vector<std::string> names = worker_->UnreadableFolders();
    const size_t shown = std::min<size_t>(names.size(), 20);
    for (size_t i = 0; i < shown; ++i) text += QLatin1Char('\n') + QStr(names[i]);
    if (names.size() > shown) text += QStringLiteral("\n...");
    ShowMessageQ(this, text, TPromptKind::Warning);
  }
  if (eject_) {
    lbCap->setText(LangQ(11701));
    repaint();
    SetDriveDoor(DriveLetter, false);  // failures are silent
  }
  FinishClose(true);
}

void TfmScan::reject() {
  if (finished_ || !worker_) {
    QDialog::reject();
    return;
  }
  if (asking_ || cancelling_) return;  // the question is open, or the worker is stopping
  asking_ = true;
  worker_->Paused = true;
  const bool yes = AskYesNoQ(this, LangQ(11702));
  asking_ = false;
  if (!yes) {
    worker_->Paused = false;
    return;
  }
  worker_->CancelRequested = true;
  worker_->Paused = false;
  tmstat.stop();
  tmDone.stop();
  bkCancel->setEnabled(false);
  cancelling_ = true;
  cancelPolls_ = 0;
  if (worker_->Done.load())
    FinishClose(false);
  else
    cancelWait_.start();
}

void TfmScan::cancelWaitTimer() {
  if (!worker_) return;
  if (worker_->Done.load()) {
    cancelWait_.stop();
    FinishClose(false);
    return;
  }
  if (++cancelPolls_ >= kCancelPolls) {
    cancelWait_.stop();
    AskStopByForce();
  }
}

void TfmScan::AskStopByForce() {
  asking_ = true;
  const bool yes = AskYesNoQ(this, LangQ(11703), true);
  asking_ = false;
  if (worker_->Done.load()) {
    FinishClose(false);
    return;
  }
  if (yes) {
    Abandon(std::move(store_), std::move(worker_));
    FinishClose(false);
    return;
  }
  // Keep waiting; the cancel stays requested (see the file comment).
  cancelPolls_ = 0;
  cancelWait_.start();
}

void TfmScan::FinishClose(bool finished) {
  finished_ = finished;
  completed_ = finished;
  cancelling_ = false;
  tmstat.stop();
  tmDone.stop();
  cancelWait_.stop();
  done(finished ? QDialog::Accepted : QDialog::Rejected);
}
