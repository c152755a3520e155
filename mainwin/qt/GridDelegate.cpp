// SPDX-License-Identifier: MIT
#include "mainwin/qt/GridDelegate.h"

#include <QPainter>

void TGridDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const {
  QStyledItemDelegate::paint(painter, option, index);
  if (!grid_) return;
  painter->save();
  QColor line = option.palette.color(QPalette::Mid);
  line.setAlpha(110);
  painter->setPen(line);
  const QRect& r = option.rect;
  painter->drawLine(r.bottomLeft(), r.bottomRight());
  painter->drawLine(r.topRight(), r.bottomRight());
  painter->restore();
}
