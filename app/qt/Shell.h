// SPDX-License-Identifier: MIT
// The desktop shell: opening a file or folder with its default program, showing an item in the
// file manager (or in a program of the user's choice), and the folder browser.
//
// Failures are shown to the user here, in the message box of the shell error texts
// (ShellErrorText in app/Helpers.h), so callers need not report them again.
//
// Threads: GUI thread.
#pragma once

#include <QString>
#include <string_view>

class QUrl;
class QWidget;

// Results of ShellOpen above this value mean success, as with the shell execution on Windows; at
// or below it they are the shell error codes of ShellErrorNumber.
inline constexpr int kShellErrorLimit = 32;
inline constexpr int kShellOpened = 33;

// Why a path cannot be opened, before asking the desktop: 0 when it exists and may be read,
// 2 the file is missing (its folder exists), 3 the folder on the way is missing, 5 access denied.
int ShellPathError(const QString& path);

// Opens `path` with the desktop's default program for it (a folder in the file manager).
// Returns kShellOpened, or the error code whose message has been shown: those of ShellPathError,
// or 31 when the desktop has no program for it.
int ShellOpen(const QString& path);

// Opens a web address or a mail link with the desktop's program for it (the web browser, the mail
// client). When there is none, error 31 is shown with the address, as ShellOpen does for a file.
// Returns kShellOpened or 31.
int ShellOpenUrl(const QUrl& url);

// Shows the item in the desktop's file manager: a file selected in its folder, a folder opened
// (org.freedesktop.FileManager1 over D-Bus). Without such a service the folder (the file's
// folder, or the folder itself) is opened through ShellOpen.
void ExploreItem(const QString& fullPath, bool isFolder);

// Shows the item with the user's own program: `templ` is the alternative shell command line
// (settings 7.4, "%1" the full path, "%2" the item's folder, see SplitShellTemplate). The program
// is looked up on the search path; when it is missing text 10174 is shown and false returned.
// The program is started detached, in the item's folder.
bool ExploreWithProgram(std::string_view templ, const QString& fullPath);

// True when `folder` is `root` or lies below it (both made absolute and canonical where they
// exist; "/a/bc" is not inside "/a/b"). An empty root contains every folder.
bool FolderInsideRoot(const QString& folder, const QString& root);

// The folder dialog: `initial` selected, `title` as its caption. A folder outside `root` (when
// given) is refused: the dialog is shown again, starting at the root. Empty when cancelled.
QString BrowseForFolder(QWidget* parent, const QString& initial, const QString& title,
                        const QString& root = {});
