// SPDX-License-Identifier: MIT
#include "mainwin/qt/VrtLayoutFile.h"

#include <QGuiApplication>
#include <QMainWindow>
#include <QScreen>
#include <QSettings>
#include <QSplitter>
#include <QToolBar>
#include <algorithm>
#include <map>

namespace {

struct TDock {
  const char* Name;
  Qt::ToolBarArea Area;
};
const TDock kDocks[] = {{"tbDockUp", Qt::TopToolBarArea},
                        {"tbDockDown", Qt::BottomToolBarArea},
                        {"tbDockLeft", Qt::LeftToolBarArea},
                        {"tbDockRight", Qt::RightToolBarArea}};

bool DockArea(const QString& parent, Qt::ToolBarArea& area) {
  for (const TDock& d : kDocks)
    if (parent == QLatin1String(d.Name)) {
      area = d.Area;
      return true;
    }
  return false;
}

bool Horizontal(Qt::ToolBarArea area) {
  return area == Qt::TopToolBarArea || area == Qt::BottomToolBarArea;
}

}  // namespace

TToolBarPlace ReadToolBarPlace(QSettings& ini, const QString& section, int defaultDockPos) {
  TToolBarPlace p;
  ini.beginGroup(section);
  p.Parent = ini.value(QStringLiteral("Parent"), QStringLiteral("tbDockUp")).toString();
  p.DockPos = ini.value(QStringLiteral("DockPos"), defaultDockPos).toInt();
  p.DockRow = ini.value(QStringLiteral("DockRow"), 0).toInt();
  p.FloatPosX = ini.value(QStringLiteral("FloatPosX"), 0).toInt();
  p.FloatPosY = ini.value(QStringLiteral("FloatPosY"), 0).toInt();
  ini.endGroup();
  return p;
}

void WriteToolBarPlace(QSettings& ini, const QString& section, const TToolBarPlace& p) {
  ini.beginGroup(section);
  ini.setValue(QStringLiteral("Parent"), p.Parent);
  ini.setValue(QStringLiteral("DockPos"), p.DockPos);
  ini.setValue(QStringLiteral("DockRow"), p.DockRow);
  ini.setValue(QStringLiteral("FloatPosX"), p.FloatPosX);
  ini.setValue(QStringLiteral("FloatPosY"), p.FloatPosY);
  ini.endGroup();
}

TToolBarPlace ToolBarPlaceOf(QMainWindow* window, QToolBar* bar) {
  TToolBarPlace p;
  if (bar->isFloating()) {
    p.Parent = QStringLiteral("Desktop");
    QPoint pos = bar->pos();
    p.FloatPosX = pos.x();
    p.FloatPosY = pos.y();
    return p;
  }
  Qt::ToolBarArea area = window->toolBarArea(bar);
  for (const TDock& d : kDocks)
    if (d.Area == area) p.Parent = QLatin1String(d.Name);
  bool h = Horizontal(area);
  p.DockPos = h ? bar->x() : bar->y();
  // The row: how many distinct rows of the same dock lie before this toolbar's.
  int mine = h ? bar->y() : bar->x();
  std::vector<int> rows;
  for (QToolBar* other : window->findChildren<QToolBar*>()) {
    if (other->isFloating() || window->toolBarArea(other) != area || !other->isVisible()) continue;
    rows.push_back(h ? other->y() : other->x());
  }
  std::sort(rows.begin(), rows.end());
  rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
  p.DockRow = static_cast<int>(std::lower_bound(rows.begin(), rows.end(), mine) - rows.begin());
  return p;
}

void PlaceToolBars(QMainWindow* window,
                   const std::vector<std::pair<QToolBar*, TToolBarPlace>>& bars) {
  // Docked toolbars: per area, rows in order, and within a row by position.
  std::map<int, std::vector<std::pair<QToolBar*, TToolBarPlace>>> byArea;
  std::vector<std::pair<QToolBar*, TToolBarPlace>> floating;
  for (const auto& b : bars) {
    Qt::ToolBarArea area;
    if (DockArea(b.second.Parent, area))
      byArea[area].push_back(b);
    else
      floating.push_back(b);
  }
  for (auto& [area, list] : byArea) {
    std::sort(list.begin(), list.end(), [](const auto& a, const auto& b) {
      if (a.second.DockRow != b.second.DockRow) return a.second.DockRow < b.second.DockRow;
      return a.second.DockPos < b.second.DockPos;
    });
    int row = -1;
    for (const auto& [bar, place] : list) {
      window->removeToolBar(bar);
      if (row >= 0 && place.DockRow != row)
        window->addToolBarBreak(static_cast<Qt::ToolBarArea>(area));
      row = place.DockRow;
      window->addToolBar(static_cast<Qt::ToolBarArea>(area), bar);
      bar->show();
    }
  }
  for (const auto& [bar, place] : floating) {
    // A floating toolbar is a tool window of its own at the stored screen position.
    bar->setWindowFlags(Qt::Tool | Qt::FramelessWindowHint);
    bar->move(place.FloatPosX, place.FloatPosY);
    bar->adjustSize();
    bar->show();
  }
}

QRect KeepOnScreen(QRect r) {
  // The screen the window is mostly on, else the one nearest to its centre.
  QScreen* best = nullptr;
  qint64 bestArea = 0;
  for (QScreen* screen : QGuiApplication::screens()) {
    QRect common = screen->availableGeometry().intersected(r);
    qint64 area = qint64(common.width()) * common.height();
    if (area > bestArea) {
      bestArea = area;
      best = screen;
    }
  }
  if (!best) {
    qint64 nearest = -1;
    for (QScreen* screen : QGuiApplication::screens()) {
      QPoint d = screen->availableGeometry().center() - r.center();
      qint64 dist = qint64(d.x()) * d.x() + qint64(d.y()) * d.y();
      if (nearest < 0 || dist < nearest) {
        nearest = dist;
        best = screen;
      }
    }
  }
  if (!best) return r;
  QRect avail = best->availableGeometry();
  r.setWidth(std::clamp(r.width(), 200, std::max(200, avail.width())));
  r.setHeight(std::clamp(r.height(), 150, std::max(150, avail.height())));
  // Wholly on the screen; a window already there keeps its place to the pixel.
  r.moveLeft(
      std::clamp(r.left(), avail.left(), std::max(avail.left(), avail.right() + 1 - r.width())));
  r.moveTop(
      std::clamp(r.top(), avail.top(), std::max(avail.top(), avail.bottom() + 1 - r.height())));
  return r;
}

void ReadWindowPlacement(QSettings& ini, const QString& section, QMainWindow* window,
                         QSplitter* splitter) {
  ini.beginGroup(section);
  if (ini.contains(QStringLiteral("Width")) && ini.contains(QStringLiteral("Height"))) {
    QRect r(ini.value(QStringLiteral("Left")).toInt(), ini.value(QStringLiteral("Top")).toInt(),
            ini.value(QStringLiteral("Width")).toInt(),
            ini.value(QStringLiteral("Height")).toInt());
    // The keys hold the client area in its normal state (WriteWindowPlacement); setGeometry puts
    // the client area back there. Moving the window would place its frame there instead and
    // push the client down by the title bar on every start.
    window->setGeometry(KeepOnScreen(r));
  }
  int state = ini.value(QStringLiteral("State"), 0).toInt();
  if (state == 1) window->setWindowState(window->windowState() | Qt::WindowMaximized);
  int treeWidth = ini.value(QStringLiteral("tr.Width"), 0).toInt();
  if (treeWidth > 0 && splitter) {
    QList<int> sizes = splitter->sizes();
    int total = 0;
    for (int s : sizes) total += s;
    if (total <= 0) total = window->width();
    splitter->setSizes({treeWidth, std::max(100, total - treeWidth)});
  }
  ini.endGroup();
}

void WriteWindowPlacement(QSettings& ini, const QString& section, QMainWindow* window,
                          QSplitter* splitter) {
  ini.beginGroup(section);
  // The client area in the normal state, as ReadWindowPlacement restores it.
  QRect r = window->normalGeometry().isValid() ? window->normalGeometry() : window->geometry();
  ini.setValue(QStringLiteral("Left"), r.left());
  ini.setValue(QStringLiteral("Top"), r.top());
  ini.setValue(QStringLiteral("Width"), r.width());
  ini.setValue(QStringLiteral("Height"), r.height());
  ini.setValue(QStringLiteral("State"), window->isMaximized() ? 1 : window->isMinimized() ? 2 : 0);
  if (splitter && !splitter->sizes().isEmpty())
    ini.setValue(QStringLiteral("tr.Width"), splitter->sizes().first());
  ini.endGroup();
}
