// SPDX-License-Identifier: MIT
#include "mainwin/qt/VrtLayoutFile.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QGuiApplication>
#include <QMainWindow>
#include <QScreen>
#include <QSettings>
#include <QSplitter>
#include <QToolBar>

#include "catalog/CatalogTestUtil.h"
#include "mainwin/qt/InterfaceStyle.h"

namespace {

QString IniPath(const char* test) {
  return QString::fromStdString(ScratchDir(test) + "/fmStorage.ini");
}

TEST(LayoutFileTest, MissingKeysReadAsTheirDefaults) {
  QSettings ini(IniPath("LayoutDefaults"), QSettings::IniFormat);
  TToolBarPlace file = ReadToolBarPlace(ini, "FileBar", 0);
  TToolBarPlace main = ReadToolBarPlace(ini, "MainBar", 50);
  EXPECT_EQ(file.Parent, "tbDockUp");
  EXPECT_EQ(file.DockPos, 0);
  EXPECT_EQ(main.DockPos, 50);
  EXPECT_EQ(main.DockRow, 0);
  EXPECT_EQ(main.FloatPosX, 0);
}

TEST(LayoutFileTest, ToolbarsGoToTheirDocksAndRowsAndComeBackTheSame) {
  QMainWindow w;
  w.setCentralWidget(new QSplitter(&w));
  QToolBar* a = w.addToolBar("A");
  QToolBar* b = w.addToolBar("B");
  a->addAction("x");
  b->addAction("y");
  TToolBarPlace pa, pb;
  pa.Parent = "tbDockLeft";
  pb.Parent = "tbDockUp";
  pb.DockRow = 1;
  PlaceToolBars(&w, {{a, pa}, {b, pb}});
  w.resize(600, 400);
  w.show();
  QApplication::processEvents();
  EXPECT_EQ(w.toolBarArea(a), Qt::LeftToolBarArea);
  EXPECT_EQ(w.toolBarArea(b), Qt::TopToolBarArea);
  QString path = IniPath("LayoutRoundTrip");
  {
    QSettings ini(path, QSettings::IniFormat);
    WriteToolBarPlace(ini, "A", ToolBarPlaceOf(&w, a));
    WriteToolBarPlace(ini, "B", ToolBarPlaceOf(&w, b));
  }
  QSettings ini(path, QSettings::IniFormat);
  EXPECT_EQ(ini.value("A/Parent").toString(), "tbDockLeft");
  EXPECT_EQ(ini.value("B/Parent").toString(), "tbDockUp");
  EXPECT_EQ(ini.value("B/DockRow").toInt(), 0);  // the only row of its dock now
}

TEST(LayoutFileTest, WindowPlacementAndTreeWidthRoundTrip) {
  QString path = IniPath("LayoutPlacement");
  int treeWidth = 0;
  {
    QMainWindow w;
    auto* s = new QSplitter(&w);
    s->addWidget(new QWidget);
    s->addWidget(new QWidget);
    w.setCentralWidget(s);
    w.resize(500, 300);
    w.show();
    s->setSizes({123, 300});
    QApplication::processEvents();
    treeWidth = s->sizes().first();
    QSettings ini(path, QSettings::IniFormat);
    WriteWindowPlacement(ini, "fmVrtpos", &w, s);
  }
  QSettings ini(path, QSettings::IniFormat);
  EXPECT_EQ(ini.value("fmVrtpos/Width").toInt(), 500);
  EXPECT_EQ(ini.value("fmVrtpos/Height").toInt(), 300);
  EXPECT_EQ(ini.value("fmVrtpos/tr.Width").toInt(), treeWidth);
  QMainWindow w;
  auto* s = new QSplitter(&w);
  s->addWidget(new QWidget);
  s->addWidget(new QWidget);
  w.setCentralWidget(s);
  ReadWindowPlacement(ini, "fmVrtpos", &w, s);
  w.show();
  QApplication::processEvents();
  EXPECT_EQ(w.size(), QSize(500, 300));
  EXPECT_NEAR(s->sizes().first(), treeWidth, 8);  // the handle's width is shared out
}

// A main window with a splitter, placed from the ini file and shown.
struct TPlacedWindow {
  QMainWindow w;
  QSplitter* s = new QSplitter(&w);
  explicit TPlacedWindow(QSettings& ini) {
    s->addWidget(new QWidget);
    s->addWidget(new QWidget);
    w.setCentralWidget(s);
    ReadWindowPlacement(ini, "fmVrtpos", &w, s);
    w.show();
    QApplication::processEvents();
  }
};

QRect StoredPlacement(QSettings& ini) {
  return QRect(ini.value("fmVrtpos/Left").toInt(), ini.value("fmVrtpos/Top").toInt(),
               ini.value("fmVrtpos/Width").toInt(), ini.value("fmVrtpos/Height").toInt());
}

TEST(LayoutFileTest, ThePlacementComesBackToThePixelStartAfterStart) {
  QString path = IniPath("LayoutStable");
  QRect avail = QGuiApplication::primaryScreen()->availableGeometry();
  {
    QSettings ini(path, QSettings::IniFormat);
    ini.setValue("fmVrtpos/Left", avail.left() + 60);
    ini.setValue("fmVrtpos/Top", avail.top() + 70);
    ini.setValue("fmVrtpos/Width", 420);
    ini.setValue("fmVrtpos/Height", 260);
  }
  // Three starts: each reads what the last one wrote; nothing drifts.
  for (int start = 0; start < 3; ++start) {
    QSettings ini(path, QSettings::IniFormat);
    TPlacedWindow p(ini);
    EXPECT_EQ(p.w.geometry(), QRect(avail.left() + 60, avail.top() + 70, 420, 260))
        << "start " << start;
    WriteWindowPlacement(ini, "fmVrtpos", &p.w, p.s);
    EXPECT_EQ(StoredPlacement(ini), QRect(avail.left() + 60, avail.top() + 70, 420, 260))
        << "start " << start;
  }
  // Maximised: the normal placement is kept beside the state, and comes back with it.
  {
    QSettings ini(path, QSettings::IniFormat);
    TPlacedWindow p(ini);
    p.w.showMaximized();
    QApplication::processEvents();
    WriteWindowPlacement(ini, "fmVrtpos", &p.w, p.s);
    EXPECT_EQ(ini.value("fmVrtpos/State").toInt(), 1);
    EXPECT_EQ(StoredPlacement(ini), QRect(avail.left() + 60, avail.top() + 70, 420, 260));
  }
  QSettings ini(path, QSettings::IniFormat);
  TPlacedWindow p(ini);
  EXPECT_TRUE(p.w.isMaximized());
  p.w.showNormal();
  QApplication::processEvents();
  EXPECT_EQ(p.w.geometry(), QRect(avail.left() + 60, avail.top() + 70, 420, 260));
}

TEST(LayoutFileTest, AWindowOffTheScreenIsBroughtBack) {
  QRect avail = QGuiApplication::primaryScreen()->availableGeometry();
  QString path = IniPath("LayoutOffScreen");
  for (QPoint far : {QPoint(avail.right() + 5000, avail.bottom() + 3000), QPoint(-9000, -9000),
                     QPoint(avail.left() + 10, avail.bottom() - 20)}) {
    {
      QSettings ini(path, QSettings::IniFormat);
      ini.setValue("fmVrtpos/Left", far.x());
      ini.setValue("fmVrtpos/Top", far.y());
      ini.setValue("fmVrtpos/Width", 400);
      ini.setValue("fmVrtpos/Height", 250);
    }
    QSettings ini(path, QSettings::IniFormat);
    TPlacedWindow p(ini);
    EXPECT_TRUE(avail.contains(p.w.geometry())) << far.x() << "," << far.y();
    EXPECT_EQ(p.w.size(), QSize(400, 250));
  }
  // Larger than the screen: shrunk onto it.
  EXPECT_EQ(KeepOnScreen(QRect(avail.left(), avail.top(), avail.width() + 900, 300)).width(),
            avail.width());
  QRect inside(avail.left() + 3, avail.top() + 4, 300, 200);
  EXPECT_EQ(KeepOnScreen(inside), inside);
}

TEST(InterfaceStyleTest, StoredColoursAndFonts) {
  EXPECT_EQ(ColorFromValue(16314087), QColor(231, 238, 248));  // red in the low byte
  EXPECT_EQ(ColorFromValue(0x0000FF), QColor(255, 0, 0));
  QFont desktop("Sans", 11);
  TFontOption stored;  // Arial 8: stands for the desktop's font
  EXPECT_EQ(ViewLook(0, stored, desktop).Font, desktop);
  stored.Name = "Courier";
  stored.Size = 12;
  stored.Style = 1 | 2;
  stored.Color = 0x00FF00;
  TViewLook look = ViewLook(0, stored, desktop);
  EXPECT_EQ(look.Font.family(), "Courier");
  EXPECT_EQ(look.Font.pointSize(), 12);
  EXPECT_TRUE(look.Font.bold());
  EXPECT_TRUE(look.Font.italic());
  EXPECT_FALSE(look.Font.underline());
  EXPECT_EQ(look.Text, QColor(0, 255, 0));
  EXPECT_TRUE(MenuStyleSheet(0).isEmpty());
  EXPECT_TRUE(MenuStyleSheet(7).isEmpty());
  EXPECT_NE(MenuStyleSheet(1), MenuStyleSheet(3));
}

}  // namespace
