// SPDX-License-Identifier: MIT
#include "mainwin/qt/ListHeader.h"

#include <QAbstractItemModel>
#include <QHeaderView>
#include <QMenu>
#include <QTreeView>
#include <algorithm>

#include "app/ColumnLayout.h"
#include "app/Options.h"
#include "app/qt/GuiText.h"
#include "store/QDBase.h"

void SaveHeaderLayout(TQDBase& bd, int rootSlot, QTreeView* view, int sortColumn, bool descending) {
  QHeaderView* header = view->header();
  int columns = header->count();
  TColumnLayout layout;
  layout.Width.resize(static_cast<size_t>(columns));
  layout.Position.resize(static_cast<size_t>(columns));
  for (int c = 0; c < columns; ++c) {
    layout.Width[static_cast<size_t>(c)] = header->sectionSize(c);
    layout.Position[static_cast<size_t>(c)] = header->visualIndex(c);
  }
  layout.SortColumn = sortColumn;
  layout.SortDirection = descending ? 1 : 0;
  bd.GoToDepth(0);
  EnterOptNode(bd, rootSlot);
  SaveColumnLayout(bd, layout);
  bd.GoToDepth(0);
}

void LoadHeaderLayout(TQDBase& bd, int rootSlot, QTreeView* view, const std::vector<int>& widths,
                      int& sortColumn, bool& descending) {
  QHeaderView* header = view->header();
  int columns = static_cast<int>(widths.size());
  TColumnLayout layout;
  layout.Width = widths;
  for (int c = 0; c < columns; ++c) layout.Position.push_back(c);
  layout.SortColumn = 0;
  layout.SortDirection = 0;
  bd.GoToDepth(0);
  if (NodeSlotType(bd.RootNode(), rootSlot) == stNode) {
    bd.EnterChild(rootSlot);
    LoadColumnLayout(bd, layout);
  }
  bd.GoToDepth(0);
  // Positions: place the columns from the first display position on.
  std::vector<int> order(static_cast<size_t>(columns));
  for (int c = 0; c < columns; ++c) order[static_cast<size_t>(c)] = c;
  std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
    return layout.Position[static_cast<size_t>(a)] < layout.Position[static_cast<size_t>(b)];
  });
  for (int p = 0; p < columns; ++p) {
    int logical = order[static_cast<size_t>(p)];
    int from = header->visualIndex(logical);
    if (from != p) header->moveSection(from, p);
  }
  for (int c = 0; c < columns; ++c)
    header->resizeSection(c, std::max(1, layout.Width[static_cast<size_t>(c)]));
  sortColumn = layout.SortColumn >= 0 && layout.SortColumn < columns ? layout.SortColumn : 0;
  descending = layout.SortDirection != 0;
}

void FitColumns(QTreeView* view, int column, int sortColumn) {
  QAbstractItemModel* model = view->model();
  QHeaderView* header = view->header();
  QFontMetrics text(view->font());
  QFontMetrics caption(header->font());
  int columns = model->columnCount();
  // The rows from the top of the visible area down to the first one below it.
  std::vector<int> rows;
  QModelIndex top = view->indexAt(QPoint(0, 0));
  int height = view->viewport()->height();
  for (int r = top.isValid() ? top.row() : 0; r < model->rowCount(); ++r) {
    rows.push_back(r);
    if (view->visualRect(model->index(r, 0)).top() > height) break;
  }
  for (int c = 0; c < columns; ++c) {
    if (column >= 0 ? c != column : header->sectionSize(c) <= 1) continue;
    int width = caption.horizontalAdvance(model->headerData(c, Qt::Horizontal).toString()) + 20;
    if (c == sortColumn) width += 24;
    for (int r : rows) {
      QString s = model->data(model->index(r, c)).toString();
      int w = text.horizontalAdvance(s) + 16 + (c == 0 ? 32 : 0);
      width = std::max(width, w);
    }
    header->resizeSection(c, width);
  }
}

void ExecColumnMenu(QWidget* owner, QTreeView* view, const QPoint& pos, const QString& styleSheet,
                    const std::function<void(int)>& fit, const std::function<void()>& changed) {
  QHeaderView* header = view->header();
  int clicked = header->logicalIndexAt(pos);
  QMenu pmColumns(owner);
  pmColumns.setObjectName(QStringLiteral("pmColumns"));
  pmColumns.setStyleSheet(styleSheet);
  QAction* nnAdjustColumns = pmColumns.addAction(LangQ(81));
  QObject::connect(nnAdjustColumns, &QAction::triggered, owner, [fit] { fit(-1); });
  QAction* nnHideColumn = pmColumns.addAction(LangQ(82));
  nnHideColumn->setEnabled(clicked >= 0);
  QObject::connect(nnHideColumn, &QAction::triggered, owner, [header, clicked, changed] {
    header->resizeSection(clicked, 1);
    changed();
  });
  QMenu* nnShowColumn = pmColumns.addMenu(LangQ(83));
  QAbstractItemModel* model = view->model();
  for (int c = 0; c < model->columnCount(); ++c) {
    if (header->sectionSize(c) >= 2) continue;
    QAction* a = nnShowColumn->addAction(model->headerData(c, Qt::Horizontal).toString());
    QObject::connect(a, &QAction::triggered, owner, [fit, c] { fit(c); });
  }
  nnShowColumn->setEnabled(!nnShowColumn->isEmpty());
  pmColumns.exec(header->mapToGlobal(pos));
}
