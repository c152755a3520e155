// SPDX-License-Identifier: MIT
#include "app/qt/Images.h"

#include <QApplication>
#include <QStyle>

namespace {
QIcon Std(QStyle::StandardPixmap p) { return QApplication::style()->standardIcon(p); }
}  // namespace

QIcon TreeIcon(int index) {
  if (index >= 20) return Std(index == 25 ? QStyle::SP_DriveCDIcon : QStyle::SP_DriveHDIcon);
  switch (index) {
    case 1: return Std(QStyle::SP_FileDialogDetailedView);
    case 2: return Std(QStyle::SP_DirLinkIcon);
    case 3: return Std(QStyle::SP_DriveHDIcon);
    case 4: case 10: return Std(QStyle::SP_DirClosedIcon);
    case 5: case 11: return Std(QStyle::SP_DirOpenIcon);
    case 7: return Std(QStyle::SP_FileDialogToParent);
    case 8: case 9: return Std(QStyle::SP_DriveFDIcon);
    default: return Std(QStyle::SP_FileIcon);
  }
}
QIcon DriveIcon(int driveType) { return TreeIcon(20 + driveType); }
QIcon FileIcon(std::string_view) { return Std(QStyle::SP_FileIcon); }
QIcon CommandIcon(std::string_view) { return QIcon(); }
QIcon ProgramIcon() { return Std(QStyle::SP_DriveCDIcon); }
