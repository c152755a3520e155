// SPDX-License-Identifier: MIT
#include "mainwin/qt/InterfaceStyle.h"

#include <QAbstractItemView>
#include <QPalette>

QColor ColorFromValue(int32_t value) {
  uint32_t v = static_cast<uint32_t>(value);
  return QColor(static_cast<int>(v & 0xFF), static_cast<int>((v >> 8) & 0xFF),
                static_cast<int>((v >> 16) & 0xFF));
}

TViewLook ViewLook(int32_t color, const TFontOption& font, const QFont& desktopFont) {
  TViewLook look;
  look.Background = ColorFromValue(color);
  const TFontOption defaults;
  if (font.Name == defaults.Name && font.Size == defaults.Size && font.Style == 0) {
    look.Font = desktopFont;
  } else {
    look.Font = QFont(QString::fromStdString(font.Name));
    if (font.Size > 0) look.Font.setPointSize(font.Size);
    look.Font.setBold(font.Style & 1);
    look.Font.setItalic(font.Style & 2);
    look.Font.setUnderline(font.Style & 4);
    look.Font.setStrikeOut(font.Style & 8);
  }
  look.Text = ColorFromValue(font.Color);
  return look;
}

void ApplyViewLook(QAbstractItemView* view, const TViewLook& look) {
  QPalette p = view->palette();
  p.setColor(QPalette::Base, look.Background);
  p.setColor(QPalette::AlternateBase, look.Background.darker(104));
  p.setColor(QPalette::Text, look.Text);
  view->setPalette(p);
  view->setFont(look.Font);
}

QVariant TRowAppearance::ForRole(int role) const {
  if (!set_) return QVariant();
  if (role == Qt::FontRole) return font_;
  if (role == Qt::ForegroundRole) return text_;
  return QVariant();
}

namespace {

QString Hex(const QColor& c) { return c.name(QColor::HexRgb); }

QString FlatStyle(const QColor& light, const QColor& dark, const QColor& highlight) {
  // Menus and toolbars: a horizontal gradient behind the bars, a vertical one in the pop-ups
  // with a soft border standing in for the shadow.
  return QStringLiteral(
             "QMenuBar { background: qlineargradient(x1:0, y1:0, x2:1, y2:0, stop:0 %1, stop:1 "
             "%2); }"
             "QMenuBar::item { background: transparent; padding: 4px 8px; }"
             "QMenuBar::item:selected { background: %3; border-radius: 2px; }"
             "QToolBar { background: qlineargradient(x1:0, y1:0, x2:1, y2:0, stop:0 %1, stop:1 "
             "%2); border: none; spacing: 2px; padding: 1px; }"
             "QMenu { background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #ffffff, "
             "stop:1 %1); border: 1px solid %4; padding: 2px; }"
             "QMenu::item { padding: 4px 24px 4px 28px; }"
             "QMenu::item:selected { background: %3; color: black; }"
             "QMenu::item:disabled { color: #8a8a8a; }"
             "QMenu::separator { height: 1px; background: %4; margin: 3px 6px; }"
             "QMenu::icon { padding-left: 6px; }")
      .arg(Hex(light), Hex(dark), Hex(highlight), Hex(dark.darker(130)));
}

}  // namespace

QString MenuStyleSheet(int style) {
  QString sheet;
  switch (style) {
    case 1:
      sheet = FlatStyle(ColorFromValue(15651777).lighter(112), ColorFromValue(14923931),
                        QColor(193, 210, 238));
      break;
    case 2:
      sheet = FlatStyle(QColor(246, 246, 246), QColor(222, 222, 222), QColor(200, 214, 238));
      break;
    case 3:
      sheet = FlatStyle(QColor(233, 238, 246), QColor(181, 197, 223), QColor(255, 231, 162));
      break;
    default:
      break;
  }
  return sheet;
}
