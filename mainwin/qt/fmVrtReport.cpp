// SPDX-License-Identifier: MIT
// The main window's report command.
#include <QTreeView>

#include "mainwin/qt/fmVrtU.h"
#include "report/qt/fmReportU.h"

void TfmVrt::ActReportExecute() {
  if (!IsForeground() || !trTree->currentIndex().isValid()) return;
  TfmReport dlg(*this, this);
  dlg.ShowFor(TReportSource::MainWindow);
}
