// SPDX-License-Identifier: MIT
// The main window's side of the options dialog: opening it on a page and taking what Apply
// changed into every window at once.
#include <QHeaderView>
#include <QTreeView>

#include "app/qt/fmOptU.h"
#include "mainwin/qt/CatalogTreeModel.h"
#include "mainwin/qt/ItemListModel.h"
#include "mainwin/qt/fmVrtU.h"
#include "search/qt/fmFindU.h"

TfmOpt& TfmVrt::OptionsWindow() {
  if (!fmOpt) {
    fmOpt = new TfmOpt(settings_, places_.LanguageFolder, this);
    fmOpt->Applied = [this](const TOptionsApplied& applied) { OptionsApplied(applied); };
  }
  return *fmOpt;
}

void TfmVrt::ShowOptions(int page) {
  TfmOpt& dialog = OptionsWindow();
  dialog.SetTexts();  // the language may have changed since it was made
  dialog.ShowPage(page);
}

void TfmVrt::OptionsApplied(const TOptionsApplied& applied) {
  const TOptions& o = settings_.Options;
  // The catalog files' options.
  files_->Options.DefaultFolder = o.CatalogFolder;
  files_->Options.BackupCopies = o.BackupCopies;
  files_->Options.SaveAllOnExit = o.SaveAllAtExit;

  // Menus, colours and fonts; grid lines, the tray icon, sizes (the rows are repainted).
  ApplyInterfaceSettings();
  ApplyListOptions();
  trTree->viewport()->update();
  LV->viewport()->update();

  // The up row comes and goes with the option: the list is refilled when it has to change.
  const QModelIndex current = trTree->currentIndex();
  const bool upRow = o.UpLine && current.isValid() && current.parent().isValid();
  if (lvModel_->HasParentRow() != upRow) trChange(false);

  // The search window's results take the list's look and size format.
  if (fmFind) {
    fmFind->LVF->setFont(LV->font());
    fmFind->LVF->setPalette(LV->palette());
    fmFind->ResultModel()->SetFormattedSizes(o.FormatSizes);
    fmFind->ResultModel()->RefreshRows();
  }

  if (applied.LanguageChanged) {
    ChooseLanguage(QString::fromStdString(o.LanguageFile));  // loads, saves and retexts
    if (fmOpt) fmOpt->SetTexts();
  }
  UpdateStatus();
}
