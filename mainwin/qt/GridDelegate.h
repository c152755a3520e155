// SPDX-License-Identifier: MIT
// The item lists' cell painter: the standard look, plus grid lines between rows and columns when
// the list option asks for them (a style sheet would replace the platform's row look).
//
// Threads: GUI thread only.
#pragma once

#include <QStyledItemDelegate>

class TGridDelegate : public QStyledItemDelegate {
  Q_OBJECT

 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  void SetGridLines(bool on) { grid_ = on; }
  bool GridLines() const { return grid_; }
  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override;

 private:
  bool grid_ = false;
};
