// SPDX-License-Identifier: MIT
// The program's pictures, rendered once from the SVG files of the resources and cached: the image
// list of the catalog tree (imTR, also used for containers in the item lists), drive glyphs for the
// add-disk buttons, file icons by name, toolbar pictures and the program icon. None depends on an
// icon theme being installed, so every row has an icon on any desktop (and under the offscreen
// platform of the tests).
//
// Threads: GUI thread only.
#pragma once

#include <QIcon>
#include <string_view>

// imTR: 0 unknown kind, 1 catalog, 2 group, 3 disk recorded from a sub-folder, 4 / 5 folder
// closed / open, 7 the list's parent row "[ . . ]", 8 / 9 archive closed / open, 10 / 11 folder
// inside an archive closed / open, 20 + drive type (0..6) a disk of a whole drive.
QIcon TreeIcon(int index);
// A 32 x 32 glyph of a drive of the given drive type (0..6) for the add-disk buttons.
QIcon DriveIcon(int driveType);
// The icon of a file by its name alone (the file is never opened): the desktop's MIME type icon
// when the theme has one, else the program's own icon of the kind of file; cached per extension.
QIcon FileIcon(std::string_view name);
// Toolbar and menu pictures by command: "new", "open", "save", "saveall", "close", "adddisk",
// "addgroup", "update", "up", "find", "properties", "report", "userlist", "help", "delete",
// "rename", "run", "explore". An unknown name gives an empty icon.
QIcon CommandIcon(std::string_view command);
// The program icon (window, tray, about box).
QIcon ProgramIcon();
