// SPDX-License-Identifier: MIT
// The main window's catalog tree: mapping between rows and store nodes, selection changes that
// refill the list, the status bar and window title, the enabling of the actions, going up, and
// the tree's pop-up menu and keys.
#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QTreeView>

#include "app/SizeTexts.h"
#include "app/qt/GuiText.h"
#include "catalog/CatalogLayout.h"
#include "mainwin/TreeRows.h"
#include "mainwin/qt/CatalogTreeModel.h"
#include "mainwin/qt/ItemListModel.h"
#include "mainwin/qt/fmVrtU.h"
#include "platform/DateTime.h"
#include "store/CursorGuard.h"

namespace {

// The private event that carries the deferred status update.
constexpr QEvent::Type kStatusEvent = static_cast<QEvent::Type>(QEvent::User + 199);

}  // namespace

void TfmVrt::GoToTreeNode(const QModelIndex& node) {
  TNodeRec* n = trModel_->NodeOf(node);
  bdMain.GoToNode(n ? n : bdMain.RootNode());
}

QModelIndex TfmVrt::TreeNodeOfCursor(bool expand) {
  TNodeRec* node = bdMain.CurrentNode();
  while (node && node != bdMain.RootNode() && !IsContainer(node)) node = node->Parent;
  QModelIndex index = trModel_->IndexOf(node);
  if (expand && index.isValid()) {
    std::vector<QModelIndex> path;
    for (QModelIndex p = index.parent(); p.isValid(); p = p.parent()) path.push_back(p);
    for (auto it = path.rbegin(); it != path.rend(); ++it) trTree->expand(*it);
  }
  return index;
}

void TfmVrt::SelectTreeNode(const QModelIndex& node) {
  selecting_ = true;
  trTree->selectionModel()->setCurrentIndex(node, QItemSelectionModel::ClearAndSelect);
  selecting_ = false;
  if (node.isValid()) trTree->scrollTo(node);
  trChange(true);
}

void TfmVrt::RefreshTreeChild(int slot) {
  TNodeRec* item = NodeChild(bdMain.CurrentNode(), slot);
  if (!item) return;
  trModel_->RowChanged(item);
  trChange(true);
}

bool TfmVrt::TreeNodeIfBuilt(QModelIndex& node) {
  QModelIndex index = trModel_->IndexOf(bdMain.CurrentNode());
  if (!index.isValid()) return false;
  for (QModelIndex p = index.parent(); p.isValid(); p = p.parent())
    if (!trTree->isExpanded(p)) return false;
  node = index;
  return true;
}

void TfmVrt::ExpandToDisks(const QModelIndex& node) {
  int kind = ItemKindOf(trModel_->NodeOf(node));
  if (kind != ikCatalog && kind != ikGroup) return;
  trTree->expand(node);
  int rows = trModel_->rowCount(node);
  for (int r = 0; r < rows; ++r) ExpandToDisks(trModel_->index(r, 0, node));
}

// ---- selection change ---------------------------------------------------------------------

void TfmVrt::trChange(bool userAction) {
  if (!trTree || !LV) return;
  TCursorKeeper keep(bdMain);
  QModelIndex selected = trTree->currentIndex();
  TNodeRec* node = trModel_->NodeOf(selected);
  bdMain.ClearMarkList(mlView);
  if (node) {
    bdMain.GoToNode(node);
    int count = bdMain.SlotCount();
    for (int slot = 1; slot < count; ++slot) {
      bdMain.EnterChild(slot);
      bdMain.AddMark(mlView);
      bdMain.Up();
    }
    int kind = ItemKindOf(node);
    SetListLayout(kind == ikCatalog || kind == ikGroup, false);
  }
  lvModel_->SetParentRow(node && node->Parent != bdMain.RootNode() && settings_.Options.UpLine);
  SortList();  // resets the rows
  if (lvModel_->rowCount() > 0) {
    QModelIndex first = lvModel_->index(0, 0);
    LV->selectionModel()->setCurrentIndex(
        first, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    LV->scrollToTop();
  }
  if (userAction && settings_.Options.AdjustColumns) AdjustColumns(-1);
  if (userAction && settings_.Options.AutoExpand && selected.isValid()) trTree->expand(selected);
  UpdateStatus();
}

// ---- status bar, title, actions -------------------------------------------------------------

int TfmVrt::CountDisks(const TNodeRec* container) const {
  int disks = 0;
  std::vector<const TNodeRec*> stack{container};
  while (!stack.empty()) {
    const TNodeRec* c = stack.back();
    stack.pop_back();
    int rows = TreeRowCount(c);
    for (int r = 0; r < rows; ++r) {
      const TNodeRec* item = TreeRowNode(c, r);
      int kind = ItemKindOf(item);
      if (kind == ikDisk)
        ++disks;
      else if (kind == ikGroup)
        stack.push_back(item);
    }
  }
  return disks;
}

QString TfmVrt::ItemSummaryText() {
  const TNodeRec* item = bdMain.CurrentNode();
  if (!item || item == bdMain.RootNode()) return QString();
  int32_t flags = ItemFlagsOf(item);
  int kind = ItemKind(flags);
  int kindText = kind == ikCatalog  ? 10132
                 : kind == ikGroup  ? 10133
                 : kind == ikDisk   ? 10134
                 : kind == ikFolder ? 10135
                                    : 0;
  QString text;
  if (kind >= ikFile)
    text = LangQ(10131);
  else if (kindText)
    text = LangQ(kindText);
  text += QStringLiteral(" \"") + QStr(decoders_.Text(item, ItemName(item))) + QStringLiteral("\"");
  if (kind == ikCatalog) {
    std::string_view path = FieldStr(FieldNode(item), kCatFileName);
    if (!path.empty()) text += QStringLiteral(" (") + QStr(path) + QStringLiteral(")");
  }
  const TNodeRec* fields = FieldNode(item);
  text += QStringLiteral(",  ") +
          QString::fromStdString(FormatSizeUnits(FieldInt64(fields, kFieldSize)));
  text +=
      QStringLiteral(",  ") + QString::fromStdString(FormatDate(FieldFloat(fields, kFieldChanged)));
  return text;
}

void TfmVrt::PostStatusUpdate() {
  if (statusPosted_) return;
  statusPosted_ = true;
  QApplication::postEvent(this, new QEvent(kStatusEvent));
}

void TfmVrt::customEvent(QEvent* event) {
  if (event->type() == kStatusEvent) {
    statusPosted_ = false;
    UpdateStatus();
    return;
  }
  QMainWindow::customEvent(event);
}

int TfmVrt::FocusedRow() const {
  QModelIndex current = LV->currentIndex();
  return current.isValid() ? current.row() : -1;
}

std::vector<int> TfmVrt::SelectedRows() const {
  std::vector<int> rows;
  for (const QModelIndex& i : LV->selectionModel()->selectedRows()) rows.push_back(i.row());
  std::sort(rows.begin(), rows.end());
  return rows;
}

void TfmVrt::UpdateStatus() {
  if (!trTree || !LV || !stPanels_[0]) return;
  TCursorKeeper keep(bdMain);
  TNodeRec* node = trModel_->NodeOf(trTree->currentIndex());
  // Title.
  QString title = caption_;
  const TNodeRec* catalog = node ? CatalogNodeOf(node) : nullptr;
  if (catalog) {
    title += QStringLiteral("  -  ") + QStr(decoders_.Text(catalog, ItemName(catalog))) +
             QLatin1Char(' ') + LangFormatQ(10136, std::to_string(CountDisks(catalog)));
  }
  if (windowTitle() != title) setWindowTitle(title);
  if (Tray) Tray->setToolTip(title);
  // Panel 0: the catalog's state. A new catalog that never had a file is not "Saved".
  bool modified = catalog && FieldInt(FieldNode(catalog), kCatModified) != 0;
  bool hasFile = catalog && !FieldStr(FieldNode(catalog), kCatFileName).empty();
  stPanels_[0]->setText(QStringLiteral("   ") + LangQ(modified   ? 10137
                                                      : !catalog ? 10139
                                                      : hasFile  ? 10138
                                                                 : 10150));
  // Panel 1: the summary of the item in focus.
  QString summary;
  if (node) {
    int focused = FocusedRow();
    if (trTree->hasFocus()) {
      bdMain.GoToNode(node);
      summary = ItemSummaryText();
    } else if (LV->hasFocus() && focused >= 0) {
      if (TNodeRec* item = lvModel_->ItemAt(focused)) {
        bdMain.GoToNode(item);
        summary = ItemSummaryText();
      } else {
        summary = PlainCaption(ActGotoUp->text());
      }
    }
  }
  stPanels_[1]->setText(summary);
  // Panel 2: the selected rows and their total size (the parent row never counts).
  int count = 0;
  int64_t sum = 0;
  for (int row : SelectedRows()) {
    TNodeRec* item = lvModel_->ItemAt(row);
    if (!item) continue;
    ++count;
    sum += ItemSizeOf(item);
  }
  stPanels_[2]->setText(LangFormatQ(10140, std::to_string(count)) + QStringLiteral(" (") +
                        QString::fromStdString(FormatSizeUnits(sum)) + QStringLiteral(")"));
  UpdateActions();
}

TNodeRec* TfmVrt::GoToCurrentItem() {
  TNodeRec* treeNode = trModel_->NodeOf(trTree->currentIndex());
  if (LV->hasFocus() && FocusedRow() >= 0) {
    int focused = FocusedRow();
    if (TNodeRec* item = lvModel_->ItemAt(focused)) return item;
    for (int row : SelectedRows())
      if (TNodeRec* item = lvModel_->ItemAt(row)) return item;
  }
  return treeNode;
}

void TfmVrt::UpdateActions() {
  UpdateUserListActions();
  TNodeRec* treeNode = trModel_->NodeOf(trTree->currentIndex());
  auto enable = [](QAction* a, bool on) {
    a->setEnabled(on && !a->property("tolvaneUnavailable").toBool());
  };
  if (!treeNode) {
    for (QAction* a : {ActSaveCatalog,   ActSaveAll,      ActCloseCatalog,
                       ActFind,          ActAddNewDisk,   ActAddNewDiskGroup,
                       ActReport,        ActUser,         ActUserView,
                       nnMMSaveCatAs,    nnMMCloseAllCat, nnSearchAllCatalogs,
                       ActUpdateDisk,    ActRenameDisk,   ActDeleteDisk,
                       ActRenameCatalog, ActExploreItem,  ActRemoveFromCatalog,
                       ActFiles,         ActRunItem,      ActProperties,
                       ActGotoUp,        ActSortDisk,     ActCatMan,
                       ActCatSetup})
      a->setEnabled(false);
    ActFilesExtract->setVisible(false);
    ActRunItem->setText(LangQ(28));
    return;
  }
  TNodeRec* item = GoToCurrentItem();
  int32_t flags = item ? ItemFlagsOf(item) : 0;
  int k = ItemKindOf(item);
  std::vector<int> selected = SelectedRows();
  bool p = LV->hasFocus() && lvModel_->HasParentRow() && FocusedRow() == 0 && selected.size() == 1;
  const TNodeRec* catalog = CatalogNodeOf(treeNode);
  // A catalog that never had a file is saved under a name asked for.
  enable(ActSaveCatalog, catalog && (FieldInt(FieldNode(catalog), kCatModified) != 0 ||
                                     FieldStr(FieldNode(catalog), kCatFileName).empty()));
  enable(ActSaveAll, files_->AnyModified());
  for (QAction* a : {ActCloseCatalog, ActFind, ActAddNewDisk, ActReport, ActUser, ActUserView,
                     nnMMSaveCatAs, nnMMCloseAllCat, nnSearchAllCatalogs})
    enable(a, true);
  // Groups go into the catalog, group or disk shown in the tree; the same nodes sort their disks.
  int treeKind = ItemKindOf(treeNode);
  enable(ActAddNewDiskGroup, treeKind >= ikCatalog && treeKind <= ikDisk);
  enable(ActUpdateDisk, k > 2);
  enable(ActRenameDisk, k == ikGroup || k == ikDisk);  // folders and files are not renamed
  enable(ActDeleteDisk, k > 1);
  enable(ActRenameCatalog, k == ikCatalog);
  enable(ActExploreItem, k >= 3 && !p && !(flags & ifInArchive));
  enable(ActRemoveFromCatalog, k >= 4 && !p);
  enable(ActFiles, k >= 4 && !p);
  bool run = k >= ikFile || (flags & ifArchive);
  enable(ActRunItem, run);
  ActRunItem->setText(LangQ(run && (flags & ifInArchive) ? 32 : 28));
  ActFilesExtract->setVisible(true);
  enable(ActProperties, !p);
  enable(ActGotoUp, treeNode->Parent != bdMain.RootNode());
  enable(ActSortDisk, treeKind == ikCatalog || treeKind == ikGroup);
  enable(ActCatMan, k > 0);
  enable(ActCatSetup, k > 0);
}

// ---- go up ----------------------------------------------------------------------------------

void TfmVrt::GoUp() {
  QModelIndex current = trTree->currentIndex();
  TNodeRec* node = trModel_->NodeOf(current);
  if (!node || node->Parent == bdMain.RootNode()) return;
  std::string name(ItemName(node));
  QModelIndex parent = current.parent();
  SelectTreeNode(parent);
  LV->selectionModel()->clearSelection();
  LV->setFocus();
  const std::vector<TNodeRec*>& view = bdMain.MarkList(mlView);
  for (size_t i = 0; i < view.size(); ++i) {
    if (view[i] && ItemName(view[i]) == name) {
      QModelIndex row = lvModel_->index(lvModel_->RowOfEntry(static_cast<int>(i)), 0);
      LV->selectionModel()->setCurrentIndex(
          row, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
      LV->scrollTo(row);
      break;
    }
  }
  UpdateStatus();
}

// ---- pop-up menu and keys -------------------------------------------------------------------

void TfmVrt::trContextMenu(const QPoint& pos) {
  QModelIndex at = trTree->indexAt(pos);
  if (at.isValid() && at != trTree->currentIndex()) SelectTreeNode(at);
  TNodeRec* node = trModel_->NodeOf(at);
  int32_t flags = node ? ItemFlagsOf(node) : 0;
  int k = ItemKindOf(node);
  UpdateActions();
  QMenu pmTR(this);
  pmTR.setObjectName(QStringLiteral("pmTR"));
  pmTR.setStyleSheet(menuSheet_);
  bool disk = false;
  auto add = [&pmTR](QAction* a, bool shown) {
    if (shown) pmTR.addAction(a);
    return shown;
  };
  disk |= add(ActAddNewDisk, k == 1 || k == 2);
  disk |= add(ActAddNewDiskGroup, k >= 1 && k <= 3);
  disk |= add(ActUpdateDisk, k == 3);
  add(ActSortDisk, k == 1 || k == 2);
  add(ActRenameDisk, k == 2 || k == 3);
  disk |= add(ActDeleteDisk, k == 2 || k == 3);
  if (disk) pmTR.addSeparator();
  bool catalog = add(ActNewCatalog, k < 2);
  add(ActOpenCatalog, k < 2);
  catalog |= add(ActSaveCatalog, k == 1);
  add(ActCloseCatalog, k == 1);
  add(ActRenameCatalog, k == 1);
  if (catalog) pmTR.addSeparator();
  add(ActExploreItem, k >= 3 && !(flags & ifInArchive));
  add(ActRunItem, flags & ifArchive);
  add(ActFind, k != 0);
  add(ActProperties, k != 0);
  add(ActUser, k != 0);
  add(ActFiles, k > 3);
  add(ActRemoveFromCatalog, k == 4);
  add(ActCatMan, k == 1);
  add(ActCatSetup, k == 1);
  if (pmTR.isEmpty()) return;
  pmTR.exec(trTree->viewport()->mapToGlobal(pos + QPoint(5, 0)));
}

void TfmVrt::trKeyPressed(QKeyEvent* event, bool& handled) {
  handled = false;
  QModelIndex current = trTree->currentIndex();
  TNodeRec* node = trModel_->NodeOf(current);
  switch (event->key()) {
    case Qt::Key_Backspace:
      GoUp();
      handled = true;
      break;
    case Qt::Key_Delete:
      if (node && node->Parent != bdMain.RootNode()) ActDeleteDiskExecute();
      handled = true;
      break;
    case Qt::Key_F2:
      if (node) ActRenameExecute();
      handled = true;
      break;
    case Qt::Key_Menu:
      if (current.isValid()) {
        QRect r = trTree->visualRect(current);
        trContextMenu(r.topLeft() + QPoint(10, 8));
      }
      handled = true;
      break;
    default:
      break;
  }
}

bool TfmVrt::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    bool handled = false;
    if (watched == trTree)
      trKeyPressed(key, handled);
    else if (watched == LV)
      LVKeyPressed(key, handled);
    if (handled) return true;
  }
  if (event->type() == QEvent::FocusIn && (watched == trTree || watched == LV)) UpdateStatus();
  return QMainWindow::eventFilter(watched, event);
}
