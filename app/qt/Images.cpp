// SPDX-License-Identifier: MIT
#include "app/qt/Images.h"

#include <QFile>
#include <QFont>
#include <QHash>
#include <QImageReader>
#include <QMimeDatabase>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPolygonF>

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>

#include "platform/FileNames.h"
#include "app/qt/GuiText.h"

// Every picture is drawn in a 16 x 16 unit square and rendered at 16, 32, 48 and 64 pixels (the
// larger ones also serve screens with a device pixel ratio of 2 or more). Outlines are one unit
// wide and lie on half units, so they fall on whole pixels at every size and stay sharp. The
// style is flat: a fill with a darker outline of the same hue, no gradients.

namespace {

using TDraw = std::function<void(QPainter&)>;

// ---- palette
const QColor kOutline(0x4a, 0x55, 0x63);
const QColor kFolderBack(0xe3, 0xa8, 0x2b), kFolderFront(0xff, 0xcf, 0x4d),
    kFolderLine(0xb0, 0x7a, 0x12);
const QColor kBlue(0x3f, 0x7c, 0xc5), kBlueDark(0x24, 0x51, 0x8a), kBlueLight(0xcf, 0xe0, 0xf5);
const QColor kSilver(0xdd, 0xe3, 0xea), kSilverDark(0x6b, 0x77, 0x89);
const QColor kDrive(0xb4, 0xbd, 0xc8), kDriveDark(0x5e, 0x68, 0x75);
const QColor kGreen(0x3f, 0xa3, 0x5b), kGreenDark(0x23, 0x71, 0x3a), kLed(0x5c, 0xe0, 0x6e);
const QColor kRed(0xd9, 0x44, 0x3a), kRedDark(0x9a, 0x24, 0x1c);
const QColor kBox(0xd9, 0xa5, 0x5f), kBoxLight(0xea, 0xc0, 0x84), kBoxDark(0x9c, 0x6b, 0x2e);
const QColor kTeal(0x2e, 0x9c, 0x9a), kTealDark(0x1b, 0x66, 0x65), kTealLight(0x7f, 0xcf, 0xcc);
const QColor kPaper(0xff, 0xff, 0xff), kPaperLine(0x8a, 0x94, 0xa3), kPaperText(0xb9, 0xc1, 0xcc);
const QColor kZip(0x3b, 0x3f, 0x46);

QPen Line(const QColor& c, qreal w = 1.0) {
  QPen pen(c, w);
  pen.setJoinStyle(Qt::RoundJoin);
  pen.setCapStyle(Qt::RoundCap);
  return pen;
}

void Shape(QPainter& p, const QColor& fill, const QColor& line) {
  p.setBrush(fill);
  p.setPen(Line(line));
}

QIcon Render(const TDraw& draw) {
  QIcon icon;
  for (int px : {16, 32, 48, 64}) {
    QPixmap pm(px, px);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.scale(px / 16.0, px / 16.0);
    draw(p);
    p.end();
    icon.addPixmap(pm);
  }
  return icon;
}

// Runs `draw` shrunk into the square (x, y, size) of the 16-unit canvas.
void Within(QPainter& p, qreal x, qreal y, qreal size, const TDraw& draw) {
  p.save();
  p.translate(x, y);
  p.scale(size / 16.0, size / 16.0);
  draw(p);
  p.restore();
}

// ---- parts

void Page(QPainter& p, const QColor& fill = kPaper) {
  QPolygonF page({{3.5, 1.5}, {10.5, 1.5}, {13.5, 4.5}, {13.5, 14.5}, {3.5, 14.5}});
  Shape(p, fill, kPaperLine);
  p.drawPolygon(page);
  p.setBrush(QColor(0xe4, 0xe8, 0xee));
  p.drawPolygon(QPolygonF({{10.5, 1.5}, {10.5, 4.5}, {13.5, 4.5}}));
}

void PageLines(QPainter& p, int from, int to, const QColor& c = kPaperText) {
  p.setPen(Line(c));
  for (int y = from; y <= to; y += 2) p.drawLine(QPointF(5.5, y + 0.5), QPointF(11.5, y + 0.5));
}

void Folder(QPainter& p, bool open) {
  QPainterPath back;
  back.moveTo(1.5, 13.5);
  back.lineTo(1.5, 3.5);
  back.lineTo(6, 3.5);
  back.lineTo(7.5, 5);
  back.lineTo(14.5, 5);
  back.lineTo(14.5, 13.5);
  back.closeSubpath();
  Shape(p, kFolderBack, kFolderLine);
  p.drawPath(back);
  if (open) {
    Shape(p, kPaper, kPaperLine);
    p.drawRect(QRectF(3.5, 5.5, 9, 5));
    Shape(p, kFolderFront, kFolderLine);
    p.drawPolygon(QPolygonF({{4, 7.5}, {15.5, 7.5}, {13.5, 13.5}, {1.5, 13.5}}));
  } else {
    Shape(p, kFolderFront, kFolderLine);
    p.drawRoundedRect(QRectF(1.5, 6.5, 13, 7), 0.5, 0.5);
  }
}

// A vertical zipper of teeth between y0 and y1 centred on x.
void Zipper(QPainter& p, qreal x, qreal y0, qreal y1) {
  p.setPen(Qt::NoPen);
  p.setBrush(kZip);
  p.drawRect(QRectF(x - 1, y0, 2, y1 - y0));
  p.setBrush(QColor(0xe8, 0xec, 0xf0));
  for (qreal y = y0 + 0.5; y + 1 <= y1; y += 2) {
    p.drawRect(QRectF(x - 1, y, 1, 1));
    if (y + 2 <= y1) p.drawRect(QRectF(x, y + 1, 1, 1));
  }
}

void Disc(QPainter& p, qreal cx, qreal cy, qreal r) {
  Shape(p, kSilver, kSilverDark);
  p.drawEllipse(QPointF(cx, cy), r, r);
  // A coloured sheen on the data side.
  p.setPen(Line(QColor(0x8f, 0xc8, 0xf0), r / 5));
  p.drawArc(QRectF(cx - r * 0.62, cy - r * 0.62, r * 1.24, r * 1.24), 100 * 16, 70 * 16);
  p.setPen(Line(QColor(0xf0, 0xa8, 0xd0), r / 5));
  p.drawArc(QRectF(cx - r * 0.62, cy - r * 0.62, r * 1.24, r * 1.24), 280 * 16, 70 * 16);
  Shape(p, kPaper, kSilverDark);
  p.drawEllipse(QPointF(cx, cy), r * 0.3, r * 0.3);
}

void HardDisk(QPainter& p, const QColor& body = kDrive, const QColor& line = kDriveDark) {
  Shape(p, body, line);
  p.drawRoundedRect(QRectF(1.5, 5.5, 13, 7), 1.5, 1.5);
  p.setPen(Line(line));
  p.drawLine(QPointF(2, 9.5), QPointF(14, 9.5));
  p.setPen(Qt::NoPen);
  p.setBrush(kLed);
  p.drawEllipse(QPointF(12, 11), 0.9, 0.9);
}

void UsbStick(QPainter& p) {
  Shape(p, kSilver, kSilverDark);
  p.drawRect(QRectF(10.5, 6.5, 4, 5));
  p.setPen(Qt::NoPen);
  p.setBrush(kSilverDark);
  p.drawRect(QRectF(11.5, 7.5, 1, 1));
  p.drawRect(QRectF(11.5, 9.5, 1, 1));
  Shape(p, kBlue, kBlueDark);
  p.drawRoundedRect(QRectF(1.5, 5.5, 9, 7), 1.5, 1.5);
  p.setPen(Line(kBlueLight));
  p.drawLine(QPointF(3.5, 9), QPointF(7.5, 9));
}

void NetworkDrive(QPainter& p) {
  Shape(p, kDrive, kDriveDark);
  p.drawRoundedRect(QRectF(1.5, 1.5, 13, 7), 1.5, 1.5);
  p.setPen(Line(kDriveDark));
  p.drawLine(QPointF(2, 5.5), QPointF(14, 5.5));
  p.setPen(Qt::NoPen);
  p.setBrush(kLed);
  p.drawEllipse(QPointF(12, 7), 0.9, 0.9);
  p.setPen(Line(kDriveDark));
  p.drawLine(QPointF(8, 8.5), QPointF(8, 12.5));
  p.drawLine(QPointF(2.5, 12.5), QPointF(13.5, 12.5));
  Shape(p, kBlue, kBlueDark);
  p.drawRect(QRectF(6.5, 11, 3, 3));
  p.drawRect(QRectF(0.5, 11.5, 2, 2));
  p.drawRect(QRectF(13.5, 11.5, 2, 2));
}

void RamModule(QPainter& p) {
  Shape(p, kGreen, kGreenDark);
  QPainterPath pcb;
  pcb.moveTo(1.5, 4.5);
  pcb.lineTo(14.5, 4.5);
  pcb.lineTo(14.5, 11.5);
  pcb.lineTo(9, 11.5);
  pcb.lineTo(9, 10.5);
  pcb.lineTo(7, 10.5);
  pcb.lineTo(7, 11.5);
  pcb.lineTo(1.5, 11.5);
  pcb.closeSubpath();
  p.drawPath(pcb);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0x22, 0x26, 0x2b));
  for (qreal x : {2.5, 6.5, 10.5}) p.drawRect(QRectF(x, 6, 3, 3.5));
  p.setBrush(QColor(0xf2, 0xc1, 0x3d));
  for (qreal x = 2; x < 14; x += 1.5) {
    if (x >= 6.5 && x < 9.5) continue;
    p.drawRect(QRectF(x, 12, 1, 2));
  }
}

void Catalog(QPainter& p) {
  Shape(p, kBlue, kBlueDark);
  p.drawRoundedRect(QRectF(1.5, 1.5, 11, 13), 1, 1);
  p.setPen(Line(kBlueDark));
  p.drawLine(QPointF(4, 1.5), QPointF(4, 14.5));
  p.setPen(Line(kBlueLight));
  p.drawLine(QPointF(6, 4.5), QPointF(10.5, 4.5));
  p.drawLine(QPointF(6, 6.5), QPointF(9, 6.5));
  Disc(p, 10.5, 10.5, 5);
}

void Group(QPainter& p) {
  // Three disc cases stacked, each showing the edge of its disc.
  const qreal ys[] = {1.5, 6, 10.5};
  const qreal xs[] = {3.5, 2.5, 1.5};
  for (int i = 0; i < 3; ++i) {
    Shape(p, i == 2 ? kTeal : kTealLight, kTealDark);
    p.drawRoundedRect(QRectF(xs[i], ys[i], 12, 4), 0.8, 0.8);
    Shape(p, kSilver, kSilverDark);
    p.drawEllipse(QPointF(xs[i] + 3.5, ys[i] + 2), 1.3, 1.3);
  }
}

void Box(QPainter& p, bool open) {
  if (open) {
    Shape(p, kBoxLight, kBoxDark);
    p.drawPolygon(QPolygonF({{1.5, 6.5}, {0.5, 2.5}, {6.5, 4.5}, {7.5, 6.5}}));
    p.drawPolygon(QPolygonF({{14.5, 6.5}, {15.5, 2.5}, {9.5, 4.5}, {8.5, 6.5}}));
    Shape(p, kBox, kBoxDark);
    p.drawRect(QRectF(1.5, 6.5, 13, 8));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x6e, 0x48, 0x1c));
    p.drawRect(QRectF(2, 7, 12, 1.5));
    Zipper(p, 8, 8.5, 14);
  } else {
    Shape(p, kBox, kBoxDark);
    p.drawRect(QRectF(1.5, 5.5, 13, 9));
    Shape(p, kBoxLight, kBoxDark);
    p.drawRect(QRectF(0.5, 2.5, 15, 3));
    Zipper(p, 8, 3, 14);
  }
}

void Arrow(QPainter& p, const QColor& fill, const QColor& line) {
  // An arrow pointing up, in the square (0..16).
  Shape(p, fill, line);
  p.drawPolygon(
      QPolygonF({{8, 1.5}, {14.5, 8.5}, {10.5, 8.5}, {10.5, 14.5}, {5.5, 14.5}, {5.5, 8.5}, {1.5, 8.5}}));
}

// Round badges in the lower right corner.
void Badge(QPainter& p, const QColor& fill, const QColor& line) {
  Shape(p, fill, line);
  p.drawEllipse(QPointF(12, 12), 3.5, 3.5);
}
void BadgePlus(QPainter& p) {
  Badge(p, kGreen, kGreenDark);
  p.setPen(Line(Qt::white, 1.2));
  p.drawLine(QPointF(12, 10), QPointF(12, 14));
  p.drawLine(QPointF(10, 12), QPointF(14, 12));
}
void BadgeCross(QPainter& p) {
  Badge(p, kRed, kRedDark);
  p.setPen(Line(Qt::white, 1.2));
  p.drawLine(QPointF(10.6, 10.6), QPointF(13.4, 13.4));
  p.drawLine(QPointF(13.4, 10.6), QPointF(10.6, 13.4));
}
void BadgeText(QPainter& p, const QColor& fill, const QColor& line, const QString& text) {
  Badge(p, fill, line);
  QFont f;
  f.setBold(true);
  f.setPixelSize(6);
  p.setFont(f);
  p.setPen(Qt::white);
  p.drawText(QRectF(8.5, 8.5, 7, 7), Qt::AlignCenter, text);
}
void BadgeRefresh(QPainter& p) {
  Badge(p, kGreen, kGreenDark);
  p.setPen(Line(Qt::white, 1.1));
  p.setBrush(Qt::NoBrush);
  p.drawArc(QRectF(10, 10, 4, 4), 30 * 16, 240 * 16);
  p.setPen(Qt::NoPen);
  p.setBrush(Qt::white);
  p.drawPolygon(QPolygonF({{13.3, 9.3}, {14.8, 11.6}, {12.4, 11.5}}));
}

// ---- tree pictures

void DrawTree(QPainter& p, int index) {
  switch (index) {
    case 1: Catalog(p); return;
    case 2: Group(p); return;
    case 3:
      Within(p, 0, -2, 16, [](QPainter& q) { HardDisk(q); });
      Within(p, 6, 6, 10, [](QPainter& q) { Folder(q, false); });
      return;
    case 4: Folder(p, false); return;
    case 5: Folder(p, true); return;
    case 7:
      Folder(p, false);
      Within(p, 4, 4.5, 9, [](QPainter& q) { Arrow(q, kGreen, kGreenDark); });
      return;
    case 8: Box(p, false); return;
    case 9: Box(p, true); return;
    case 10:
    case 11:
      Folder(p, index == 11);
      Zipper(p, 12, 8, 13);
      return;
    case 20:  // unknown drive
      HardDisk(p);
      BadgeText(p, kSilverDark, kOutline, QStringLiteral("?"));
      return;
    case 21:  // no root folder
      HardDisk(p, QColor(0xd3, 0xd8, 0xde), QColor(0x8a, 0x94, 0xa3));
      BadgeCross(p);
      return;
    case 22: UsbStick(p); return;
    case 23: HardDisk(p); return;
    case 24: NetworkDrive(p); return;
    case 25: Disc(p, 8, 8, 6.5); return;
    case 26: RamModule(p); return;
    default:  // unknown kind: a blank page with a question mark
      Page(p);
      p.setPen(kPaperLine);
      {
        QFont f;
        f.setBold(true);
        f.setPixelSize(8);
        p.setFont(f);
      }
      p.drawText(QRectF(3.5, 4.5, 10, 10), Qt::AlignCenter, QStringLiteral("?"));
      return;
  }
}

// ---- file pictures

enum class TFileKind { Document, Text, Image, Audio, Video, Executable, Archive, Web, Printable };

void DrawFile(QPainter& p, TFileKind kind) {
  switch (kind) {
    case TFileKind::Document:
      Page(p);
      return;
    case TFileKind::Text:
      Page(p);
      PageLines(p, 5, 13, kPaperLine);
      return;
    case TFileKind::Image:
      Page(p);
      p.setPen(Qt::NoPen);
      p.setBrush(QColor(0x8f, 0xc8, 0xf0));
      p.drawRect(QRectF(4, 6, 9, 8));
      p.setBrush(QColor(0xf2, 0xc1, 0x3d));
      p.drawEllipse(QPointF(10.5, 8), 1.2, 1.2);
      p.setBrush(kGreen);
      p.drawPolygon(QPolygonF({{4, 14}, {7, 9.5}, {9.5, 12.5}, {11, 11}, {13, 14}}));
      return;
    case TFileKind::Audio:
      Page(p);
      p.setPen(Line(QColor(0x7b, 0x4f, 0xc2), 1));
      p.drawLine(QPointF(10, 6), QPointF(10, 12));
      p.drawLine(QPointF(10, 6), QPointF(12, 7));
      p.setPen(Qt::NoPen);
      p.setBrush(QColor(0x7b, 0x4f, 0xc2));
      p.drawEllipse(QPointF(8.6, 12.2), 1.8, 1.4);
      return;
    case TFileKind::Video:
      Page(p);
      p.setPen(Qt::NoPen);
      p.setBrush(QColor(0x3b, 0x3f, 0x46));
      p.drawRect(QRectF(4, 6, 9, 7));
      p.setBrush(Qt::white);
      for (qreal y : {6.5, 11.5}) {
        for (qreal x = 4.5; x < 12.5; x += 2) p.drawRect(QRectF(x, y, 1, 1));
      }
      p.setBrush(kRed);
      p.drawPolygon(QPolygonF({{7.5, 8}, {10.5, 9.5}, {7.5, 11}}));
      return;
    case TFileKind::Executable:
      Shape(p, kPaper, kOutline);
      p.drawRoundedRect(QRectF(1.5, 2.5, 13, 11), 1, 1);
      p.setPen(Qt::NoPen);
      p.setBrush(kBlue);
      p.drawRect(QRectF(2, 3, 12, 2.5));
      p.setBrush(kGreen);
      p.drawPolygon(QPolygonF({{6, 7}, {10.5, 9.5}, {6, 12}}));
      return;
    case TFileKind::Archive:
      Page(p);
      Zipper(p, 8.5, 2, 14);
      return;
    case TFileKind::Web:
      Page(p);
      Shape(p, QColor(0x8f, 0xc8, 0xf0), kBlueDark);
      p.drawEllipse(QPointF(8.5, 9.5), 3.5, 3.5);
      p.setBrush(Qt::NoBrush);
      p.drawEllipse(QRectF(7, 6, 3, 7));
      p.drawLine(QPointF(5, 9.5), QPointF(12, 9.5));
      return;
    case TFileKind::Printable:
      Page(p);
      p.setPen(Qt::NoPen);
      p.setBrush(kRed);
      p.drawRect(QRectF(4, 10, 9.5, 3.5));
      PageLines(p, 4, 8);
      return;
  }
}

TFileKind KindOfMime(const QMimeType& mime, const QString& ext) {
  const QString name = mime.name();
  static const QStringList kArchiveExt = {"zip", "rar", "7z", "arj", "lzh", "lha", "cab", "ace",
                                          "gz", "tgz", "bz2", "xz", "tar", "zoo", "arc", "ha",
                                          "pak", "jar", "zst", "z", "cpio", "iso"};
  static const QStringList kExeExt = {"exe", "com", "bat", "cmd", "sh", "msi", "dll", "so",
                                      "appimage", "run", "bin", "scr"};
  static const QStringList kPrintExt = {"pdf", "ps", "eps", "doc", "docx", "odt", "rtf", "djvu",
                                        "xps", "epub", "wri", "xls", "xlsx", "ods", "ppt", "pptx", "odp"};
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

// ---- command pictures

void Floppy(QPainter& p) {
  Shape(p, kBlue, kBlueDark);
  p.drawPolygon(QPolygonF({{1.5, 1.5}, {12.5, 1.5}, {14.5, 3.5}, {14.5, 14.5}, {1.5, 14.5}}));
  Shape(p, kSilver, kSilverDark);
  p.drawRect(QRectF(4.5, 1.5, 7, 4));
  p.setPen(Qt::NoPen);
  p.setBrush(kSilverDark);
  p.drawRect(QRectF(9, 2.5, 1.5, 2));
  Shape(p, kPaper, kBlueDark);
  p.drawRect(QRectF(3.5, 8.5, 9, 6));
  PageLines(p, 9, 11);
}

void Magnifier(QPainter& p) {
  p.setPen(Line(kOutline, 2.5));
  p.drawLine(QPointF(10, 10), QPointF(14, 14));
  Shape(p, QColor(0xd8, 0xea, 0xfa), kOutline);
  p.setPen(Line(kOutline, 1.5));
  p.drawEllipse(QPointF(6.5, 6.5), 4.5, 4.5);
  p.setPen(Line(Qt::white, 1));
  p.drawArc(QRectF(4, 4, 5, 5), 100 * 16, 70 * 16);
}

void Pencil(QPainter& p) {
  p.save();
  p.translate(8, 8);
  p.rotate(-45);
  Shape(p, QColor(0xf2, 0xc1, 0x3d), QColor(0x9c, 0x6b, 0x2e));
  p.drawRect(QRectF(-4.5, -1.5, 8, 3));
  Shape(p, QColor(0xf0, 0xa8, 0xd0), QColor(0x9c, 0x6b, 0x2e));
  p.drawRect(QRectF(3.5, -1.5, 2, 3));
  Shape(p, QColor(0xf6, 0xe0, 0xb8), QColor(0x9c, 0x6b, 0x2e));
  p.drawPolygon(QPolygonF({{-4.5, -1.5}, {-7.5, 0}, {-4.5, 1.5}}));
  p.restore();
}

bool DrawCommand(QPainter& p, std::string_view c) {
  if (c == "new") {
    Page(p);
    BadgePlus(p);
  } else if (c == "open") {
    Folder(p, true);
  } else if (c == "save") {
    Floppy(p);
  } else if (c == "saveall") {
    Within(p, 4, 0, 12, Floppy);
    Within(p, 0, 4, 12, Floppy);
  } else if (c == "close") {
    Within(p, 0, 0, 14, Catalog);
    BadgeCross(p);
  } else if (c == "adddisk") {
    Disc(p, 7, 7, 6);
    BadgePlus(p);
  } else if (c == "addgroup") {
    Within(p, 0, 0, 14, Group);
    BadgePlus(p);
  } else if (c == "update") {
    Disc(p, 7, 7, 6);
    BadgeRefresh(p);
  } else if (c == "up") {
    Arrow(p, kGreen, kGreenDark);
  } else if (c == "find") {
    Magnifier(p);
  } else if (c == "properties") {
    Page(p);
    PageLines(p, 4, 8);
    BadgeText(p, kBlue, kBlueDark, QStringLiteral("i"));
  } else if (c == "report") {
    Page(p);
    PageLines(p, 3, 5);
    p.setPen(Qt::NoPen);
    p.setBrush(kBlue);
    p.drawRect(QRectF(5.5, 10, 1.5, 3.5));
    p.setBrush(kGreen);
    p.drawRect(QRectF(7.75, 8, 1.5, 5.5));
    p.setBrush(kRed);
    p.drawRect(QRectF(10, 11, 1.5, 2.5));
  } else if (c == "userlist") {
    Shape(p, kPaper, kPaperLine);
    p.drawRoundedRect(QRectF(1.5, 1.5, 12, 13), 1, 1);
    for (qreal y : {4.5, 7.5, 10.5}) {
      p.setPen(Qt::NoPen);
      p.setBrush(kBlue);
      p.drawRect(QRectF(3, y - 0.75, 1.5, 1.5));
      p.setPen(Line(kPaperLine));
      p.drawLine(QPointF(6, y), QPointF(11, y));
    }
    QPolygonF star;
    for (int i = 0; i < 10; ++i) {
      const qreal r = i % 2 ? 1.7 : 4.0, a = -M_PI / 2 + i * M_PI / 5;
      star << QPointF(12 + r * std::cos(a), 12.3 + r * std::sin(a));
    }
    Shape(p, QColor(0xf2, 0xc1, 0x3d), QColor(0xb0, 0x7a, 0x12));
    p.drawPolygon(star);
  } else if (c == "help") {
    Shape(p, kBlue, kBlueDark);
    p.drawEllipse(QPointF(8, 8), 6.5, 6.5);
    QFont f;
    f.setBold(true);
    f.setPixelSize(10);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(QRectF(1.5, 1.5, 13, 13), Qt::AlignCenter, QStringLiteral("?"));
  } else if (c == "delete") {
    p.setPen(Line(kRedDark, 4));
    p.drawLine(QPointF(3.5, 3.5), QPointF(12.5, 12.5));
    p.drawLine(QPointF(12.5, 3.5), QPointF(3.5, 12.5));
    p.setPen(Line(kRed, 2.5));
    p.drawLine(QPointF(3.5, 3.5), QPointF(12.5, 12.5));
    p.drawLine(QPointF(12.5, 3.5), QPointF(3.5, 12.5));
  } else if (c == "rename") {
    Shape(p, kPaper, kPaperLine);
    p.drawRect(QRectF(0.5, 8.5, 15, 6));
    p.setPen(Line(kOutline));
    p.drawLine(QPointF(3, 10.5), QPointF(3, 12.5));
    p.setPen(Line(kBlue));
    p.drawLine(QPointF(5, 11.5), QPointF(10, 11.5));
    Within(p, 3, -2, 13, Pencil);
  } else if (c == "run") {
    Shape(p, kGreen, kGreenDark);
    p.drawPolygon(QPolygonF({{3.5, 1.5}, {14, 8}, {3.5, 14.5}}));
  } else if (c == "explore") {
    Folder(p, false);
    Within(p, 5, 4, 10, [](QPainter& q) {
      q.translate(8, 8);
      q.rotate(45);
      q.translate(-8, -8);
      Arrow(q, kBlue, kBlueDark);
    });
  } else {
    return false;
  }
  return true;
}

// ---- the program icon (the picture of tolvane.svg)

void DrawProgram(QPainter& p) {
  // In the 64-unit square of the SVG.
  QLinearGradient box(0, 10, 0, 58);
  box.setColorAt(0, QColor(0x4a, 0x7f, 0xc1));
  box.setColorAt(1, QColor(0x2a, 0x56, 0x90));
  p.setBrush(box);
  p.setPen(QPen(QColor(0x1d, 0x3f, 0x6b), 2));
  p.drawRoundedRect(QRectF(6, 10, 44, 48), 4, 4);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0xcf, 0xe0, 0xf5));
  p.drawRoundedRect(QRectF(12, 18, 26, 3), 1.5, 1.5);
  p.drawRoundedRect(QRectF(12, 26, 20, 3), 1.5, 1.5);
  p.drawRoundedRect(QRectF(12, 34, 24, 3), 1.5, 1.5);
  QRadialGradient disc(QPointF(44 - 0.1 * 34, 40 - 0.15 * 34), 0.7 * 34);
  disc.setColorAt(0, Qt::white);
  disc.setColorAt(0.6, QColor(0xd8, 0xdd, 0xe6));
  disc.setColorAt(1, QColor(0xa9, 0xb3, 0xc2));
  p.setBrush(disc);
  p.setPen(QPen(QColor(0x6b, 0x77, 0x89), 1.5));
  p.drawEllipse(QPointF(44, 40), 17, 17);
  p.setBrush(Qt::white);
  p.drawEllipse(QPointF(44, 40), 5, 5);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0x6b, 0x77, 0x89));
  p.drawEllipse(QPointF(44, 40), 1.8, 1.8);
}

}  // namespace

QIcon TreeIcon(int index) {
  static QHash<int, QIcon> cache;
  if (index < 0) index = 0;
  if (index == 6 || (index > 11 && index < 20) || index > 26) index = 0;
  auto it = cache.find(index);
  if (it != cache.end()) return *it;
  return *cache.insert(index, Render([index](QPainter& p) { DrawTree(p, index); }));
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
  const QMimeType mime = ext.isEmpty() ? db.mimeTypeForName(QStringLiteral("application/octet-stream"))
                                       : db.mimeTypeForFile(QStringLiteral("x.") + ext,
                                                            QMimeDatabase::MatchExtension);
  QIcon icon;
  if (!ext.isEmpty() && !mime.isDefault()) {
    icon = ThemeIcon(mime.iconName());
    if (icon.isNull()) icon = ThemeIcon(mime.genericIconName());
  }
  if (icon.isNull()) {
    static std::array<QIcon, 9> drawn;
    const TFileKind kind = KindOfMime(mime, ext);
    QIcon& d = drawn[static_cast<size_t>(kind)];
    if (d.isNull()) d = Render([kind](QPainter& p) { DrawFile(p, kind); });
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
      "new",  "open",       "save",   "saveall",  "close", "adddisk", "addgroup", "update", "up",
      "find", "properties", "report", "userlist", "help",  "delete",  "rename",   "run",    "explore"};
  if (std::find(kCommands.begin(), kCommands.end(), command) == kCommands.end()) return {};
  const std::string c(command);
  return *cache.insert(key, Render([c](QPainter& p) { DrawCommand(p, c); }));
}

QIcon ProgramIcon() {
  static QIcon icon = [] {
    const QString resource = QStringLiteral(":/tolvane/tolvane.svg");
    if (QImageReader::supportedImageFormats().contains("svg") && QFile::exists(resource)) {
      QIcon svg(resource);
      if (!svg.pixmap(32, 32).isNull()) return svg;
    }
    QIcon drawn;
    for (int px : {16, 24, 32, 48, 64, 128, 256}) {
      QPixmap pm(px, px);
      pm.fill(Qt::transparent);
      QPainter p(&pm);
      p.setRenderHint(QPainter::Antialiasing);
      p.scale(px / 64.0, px / 64.0);
      DrawProgram(p);
      p.end();
      drawn.addPixmap(pm);
    }
    return drawn;
  }();
  return icon;
}
