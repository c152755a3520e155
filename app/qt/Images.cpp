// SPDX-License-Identifier: MIT
#include "app/qt/Images.h"

#include <QHash>
#include <QMimeDatabase>
#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>
#include <QtDebug>
#include <algorithm>
#include <array>
#include <initializer_list>

#include "app/qt/GuiText.h"
#include "platform/FileNames.h"

// The pictures are SVG files in the resources under :/tolvane/icons/ (the folder app/qt/icons/):
// tree/ the catalog tree, drive/ the drive types, file/ the kinds of file, command/ the toolbar and
// menu commands. Each is drawn in a 16 x 16 unit square and rendered here at 16, 32, 48 and 64
// pixels (the larger ones also serve screens with a device pixel ratio of 2 or more). Outlines are
// one unit wide and lie on half units, so they fall on whole pixels at every size and stay sharp.
// The style is flat: a fill with a darker outline of the same hue, no gradients; letters are paths,
// so no picture depends on the fonts installed.

// The resources are compiled into the static GUI library, where nothing in the program refers to
// them and the linker would leave them out: they are registered before the first picture.
static void RegisterResources() { Q_INIT_RESOURCE(tolvane); }

namespace {

// Renders one SVG resource into pixmaps of the given sizes. A missing or malformed file gives a
// null icon.
QIcon Render(const QString& name, std::initializer_list<int> sizes = {16, 32, 48, 64}) {
  static const bool registered = (RegisterResources(), true);
  (void)registered;
  const QString resource = name.startsWith(u':')
                               ? name
                               : QStringLiteral(":/tolvane/icons/") + name + QStringLiteral(".svg");
  QSvgRenderer svg(resource);
  if (!svg.isValid()) {
    qWarning() << "Images: cannot render" << resource;
    return {};
  }
  QIcon icon;
  for (int px : sizes) {
    QPixmap pm(px, px);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    svg.render(&p);
    p.end();
    icon.addPixmap(pm);
  }
  return icon;
}

// The picture of each imTR index; indices the tree never uses have none.
QString TreeResource(int index) {
  static const std::array<const char*, 27> kNames = {
      "tree/unknown", "tree/catalog", "tree/group", "tree/folder-disk", "tree/folder",
      "tree/folder-open", nullptr, "tree/parent", "tree/archive", "tree/archive-open",
      "tree/archive-folder", "tree/archive-folder-open", nullptr, nullptr, nullptr, nullptr,
      nullptr, nullptr, nullptr, nullptr,
      // 20 + drive type
      "drive/unknown", "drive/no-root", "drive/removable", "drive/fixed", "drive/remote",
      "drive/cdrom", "drive/ramdisk"};
  if (index < 0 || index >= static_cast<int>(kNames.size()) || !kNames[static_cast<size_t>(index)])
    return {};
  return QString::fromLatin1(kNames[static_cast<size_t>(index)]);
}

enum class TFileKind { Document, Text, Image, Audio, Video, Executable, Archive, Web, Printable };
const std::array<const char*, 9> kFileKindNames = {
    "document", "text", "image", "audio", "video", "executable", "archive", "web", "printable"};

TFileKind KindOfMime(const QMimeType& mime, const QString& ext) {
  const QString name = mime.name();
  static const QStringList kArchiveExt = {"zip", "rar", "7z",  "arj", "lzh",  "lha", "cab", "ace",
                                          "gz",  "tgz", "bz2", "xz",  "tar",  "zoo", "arc", "ha",
                                          "pak", "jar", "zst", "z",   "cpio", "iso"};
  static const QStringList kExeExt = {"exe", "com", "bat",      "cmd", "sh",  "msi",
                                      "dll", "so",  "appimage", "run", "bin", "scr"};
  static const QStringList kPrintExt = {"pdf",  "ps",   "eps", "doc",  "docx", "odt",
                                        "rtf",  "djvu", "xps", "epub", "wri",  "xls",
                                        "xlsx", "ods",  "ppt", "pptx", "odp"};
  if (kArchiveExt.contains(ext)) return TFileKind::Archive;
  if (kExeExt.contains(ext)) return TFileKind::Executable;
  if (kPrintExt.contains(ext)) return TFileKind::Printable;
  if (name == "text/html" || name == "application/xhtml+xml" || ext == "htm" || ext == "html" ||
      ext == "url" || ext == "mht")
    return TFileKind::Web;
  if (name.startsWith("image/")) return TFileKind::Image;
  if (name.startsWith("audio/")) return TFileKind::Audio;
  if (name.startsWith("video/")) return TFileKind::Video;
  if (mime.inherits("application/x-executable") || mime.inherits("application/x-sharedlib") ||
      mime.inherits("application/x-ms-dos-executable"))
    return TFileKind::Executable;
  if (mime.inherits("application/pdf") || mime.inherits("application/postscript"))
    return TFileKind::Printable;
  if (mime.inherits("application/zip") || mime.inherits("application/x-tar") ||
      name.contains("compressed") || name.contains("archive"))
    return TFileKind::Archive;
  static const QStringList kTextExt = {"txt", "ion", "bbs", "diz", "nfo", "log", "ini", "cfg"};
  if (name.startsWith("text/") || mime.inherits("text/plain") || kTextExt.contains(ext))
    return TFileKind::Text;
  return TFileKind::Document;
}

// A theme icon that really gives pixels (an SVG-only theme without the SVG engine gives none).
QIcon ThemeIcon(const QString& name) {
  if (name.isEmpty() || !QIcon::hasThemeIcon(name)) return {};
  QIcon icon = QIcon::fromTheme(name);
  if (icon.isNull() || icon.pixmap(16, 16).isNull()) return {};
  return icon;
}

}  // namespace

QIcon TreeIcon(int index) {
  static QHash<int, QIcon> cache;
  if (TreeResource(index).isEmpty()) index = 0;
  auto it = cache.find(index);
  if (it != cache.end()) return *it;
  return *cache.insert(index, Render(TreeResource(index)));
}

QIcon DriveIcon(int driveType) {
  if (driveType < 0 || driveType > 6) driveType = 0;
  return TreeIcon(20 + driveType);
}

QIcon FileIcon(std::string_view name) {
  static QHash<QString, QIcon> cache;
  const QString ext = QStr(NameExt(name)).toLower();
  auto it = cache.find(ext);
  if (it != cache.end()) return *it;
  static QMimeDatabase db;
  const QMimeType mime =
      ext.isEmpty() ? db.mimeTypeForName(QStringLiteral("application/octet-stream"))
                    : db.mimeTypeForFile(QStringLiteral("x.") + ext, QMimeDatabase::MatchExtension);
  QIcon icon;
  if (!ext.isEmpty() && !mime.isDefault()) {
    icon = ThemeIcon(mime.iconName());
    if (icon.isNull()) icon = ThemeIcon(mime.genericIconName());
  }
  if (icon.isNull()) {
    static std::array<QIcon, 9> drawn;
    const TFileKind kind = KindOfMime(mime, ext);
    QIcon& d = drawn[static_cast<size_t>(kind)];
    if (d.isNull()) d = Render(QStringLiteral("file/") + kFileKindNames[static_cast<size_t>(kind)]);
    icon = d;
  }
  return *cache.insert(ext, icon);
}

QIcon CommandIcon(std::string_view command) {
  static QHash<QString, QIcon> cache;
  const QString key = QString::fromUtf8(command.data(), static_cast<qsizetype>(command.size()));
  auto it = cache.find(key);
  if (it != cache.end()) return *it;
  static const std::array<std::string_view, 18> kCommands = {
      "new",      "open",   "save",   "saveall", "close",      "adddisk",
      "addgroup", "update", "up",     "find",    "properties", "report",
      "userlist", "help",   "delete", "rename",  "run",        "explore"};
  if (std::find(kCommands.begin(), kCommands.end(), command) == kCommands.end()) return {};
  return *cache.insert(key, Render(QStringLiteral("command/") + key));
}

QIcon ProgramIcon() {
  static const QIcon icon =
      Render(QStringLiteral(":/tolvane/tolvane.svg"), {16, 24, 32, 48, 64, 128, 256});
  return icon;
}
