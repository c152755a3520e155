// SPDX-License-Identifier: MIT
// The window layout file fmStorage.ini (INI format, read and written with QSettings):
//
//   [fmVrtpos]   the main window: Left, Top, Width, Height (its client area, without the frame,
//                in the normal state), State (0 normal, 1 maximised, 2 minimised) and tr.Width,
//                the width of the catalog tree pane
//   [FileBar]    one section per toolbar:
//   [MainBar]      Parent    "tbDockUp", "tbDockDown", "tbDockLeft", "tbDockRight", or
//                            "Desktop" for a floating toolbar (any other text floats too)
//                  DockPos   position within the dock row (pixels from the row's start)
//                  DockRow   row within the dock, from 0
//                  FloatPosX, FloatPosY   screen position when floating
//
// A missing key reads as its default: Parent "tbDockUp", DockPos 0 for FileBar and 50 for
// MainBar, DockRow 0, FloatPos 0, 0. A missing file leaves the window as it is.
//
// Threads: GUI thread only.
#pragma once

#include <QRect>
#include <QString>
#include <utility>
#include <vector>

class QMainWindow;
class QSettings;
class QSplitter;
class QToolBar;

struct TToolBarPlace {
  QString Parent = QStringLiteral("tbDockUp");
  int DockPos = 0;
  int DockRow = 0;
  int FloatPosX = 0;
  int FloatPosY = 0;
};

TToolBarPlace ReadToolBarPlace(QSettings& ini, const QString& section, int defaultDockPos);
void WriteToolBarPlace(QSettings& ini, const QString& section, const TToolBarPlace& place);
// Where a toolbar of `window` stands now.
TToolBarPlace ToolBarPlaceOf(QMainWindow* window, QToolBar* bar);
// Puts the toolbars into their docks, rows in DockRow order and, within a row, in DockPos
// order; a toolbar whose Parent is no dock name floats at its FloatPos.
void PlaceToolBars(QMainWindow* window,
                   const std::vector<std::pair<QToolBar*, TToolBarPlace>>& bars);

// The client area moved (and, when larger, shrunk) wholly into the available area of the screen it
// is mostly on, or of the nearest screen when it is on none; an area already inside is unchanged.
QRect KeepOnScreen(QRect clientArea);
// The window's position, size and state and the first pane width of `splitter`. What is read is
// what was written, to the pixel, unless it would lie off the screen (KeepOnScreen).
void ReadWindowPlacement(QSettings& ini, const QString& section, QMainWindow* window,
                         QSplitter* splitter);
void WriteWindowPlacement(QSettings& ini, const QString& section, QMainWindow* window,
                          QSplitter* splitter);
