// SPDX-License-Identifier: MIT
// Applying the interface settings: the menu style, and the colours and fonts of the catalog tree
// and the item lists.
//
// Colours are stored as platform colour values (red in bits 0-7, green 8-15, blue 16-23); fonts
// as name, size in points, style bits (1 bold, 2 italic, 4 underline, 8 strike-out) and colour.
// The stored default font (Arial, 8 points, plain) stands for "the desktop's own font": Arial at
// 8 points is what the settings have always said, but on desktops without Arial it is a small
// substitute, and the desktop's font is what a native program shows.
//
// Threads: GUI thread only.
#pragma once

#include <QColor>
#include <QFont>
#include <QVariant>
#include <cstdint>

#include "app/Options.h"

class QAbstractItemView;

// A stored colour value as a QColor.
QColor ColorFromValue(int32_t value);

struct TViewLook {
  QColor Background;
  QFont Font;
  QColor Text;
};
// The look of a view from its stored colour and font; `desktopFont` stands in for the default.
TViewLook ViewLook(int32_t color, const TFontOption& font, const QFont& desktopFont);
void ApplyViewLook(QAbstractItemView* view, const TViewLook& look);

// The font and text colour a model gives its rows once the interface settings are applied.
class TRowAppearance {
 public:
  void Set(const QFont& font, const QColor& text) {
    font_ = font;
    text_ = text;
    set_ = true;
  }
  // The font for Qt::FontRole, the colour for Qt::ForegroundRole; an invalid value otherwise.
  QVariant ForRole(int role) const;

 private:
  QFont font_;
  QColor text_;
  bool set_ = false;
};

// The style sheet of menu style `style` for the menu bar, the toolbars and the pop-up menus.
// 0 (or any unknown value): empty, the desktop's native look; 1 and 2: flat menus and toolbars
// with horizontal gradient backgrounds and vertical gradient pop-ups (1 with its own pair of
// colours); 3: the alternative colour set with vertical gradients. It is given to those widgets
// only: a style sheet on the window would take over the palettes of the tree and the lists.
QString MenuStyleSheet(int style);
