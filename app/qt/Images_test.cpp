// SPDX-License-Identifier: MIT
#include "app/qt/Images.h"

#include <gtest/gtest.h>

#include <QDirIterator>
#include <QImage>
#include <QPixmap>
#include <QSvgRenderer>
#include <string>
#include <vector>

namespace {

const std::vector<int> kTreeImages = {0,  1,  2,  3,  4,  5,  7,  8,  9,
                                      10, 11, 20, 21, 22, 23, 24, 25, 26};
const std::vector<const char*> kCommands = {
    "new",      "open",   "save",   "saveall", "close",      "adddisk",
    "addgroup", "update", "up",     "find",    "properties", "report",
    "userlist", "help",   "delete", "rename",  "run",        "explore"};

QImage Image(const QIcon& icon, int size) {
  return icon.pixmap(size, size).toImage().convertToFormat(QImage::Format_ARGB32);
}

// True when the picture has visible pixels (not an empty transparent square).
bool Painted(const QImage& img) {
  int visible = 0;
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x) visible += qAlpha(img.pixel(x, y)) > 0;
  return visible > img.width() * img.height() / 8;
}

// The icon holds a rendered pixmap of every size it offers (the sizes given), each exactly that
// large and with a picture on it: a missing or unreadable SVG resource leaves the icon null or
// blank.
void ExpectRenderedAt(const QIcon& icon, const std::vector<int>& sizes) {
  ASSERT_FALSE(icon.isNull());
  QList<QSize> want;
  for (int px : sizes) want.push_back(QSize(px, px));
  EXPECT_EQ(icon.availableSizes(), want);
  for (int px : sizes) {
    SCOPED_TRACE(px);
    const QPixmap pm = icon.pixmap(px, px);
    ASSERT_FALSE(pm.isNull());
    EXPECT_EQ(pm.size(), QSize(px, px));
    EXPECT_TRUE(Painted(pm.toImage().convertToFormat(QImage::Format_ARGB32)));
  }
}

// Every icon is non-null, drawn at 16 and 32 pixels, and no two look the same at 16.
void ExpectDistinctPictures(const std::vector<QIcon>& icons,
                            const std::vector<std::string>& names) {
  std::vector<QImage> small;
  for (size_t i = 0; i < icons.size(); ++i) {
    SCOPED_TRACE(names[i]);
    ASSERT_FALSE(icons[i].isNull());
    const QImage s = Image(icons[i], 16), l = Image(icons[i], 32);
    EXPECT_EQ(s.size(), QSize(16, 16));
    EXPECT_EQ(l.size(), QSize(32, 32));
    EXPECT_TRUE(Painted(s));
    EXPECT_TRUE(Painted(l));
    small.push_back(s);
  }
  for (size_t i = 0; i < small.size(); ++i)
    for (size_t j = i + 1; j < small.size(); ++j)
      EXPECT_NE(small[i], small[j]) << names[i] << " looks like " << names[j];
}

TEST(ImagesTest, TreeImagesExistAtBothSizesAndDiffer) {
  std::vector<QIcon> icons;
  std::vector<std::string> names;
  for (int i : kTreeImages) {
    icons.push_back(TreeIcon(i));
    names.push_back("imTR " + std::to_string(i));
    // Pixmaps exist for the small size and the double-density one.
    const QList<QSize> sizes = icons.back().availableSizes();
    EXPECT_TRUE(sizes.contains(QSize(16, 16)));
    EXPECT_TRUE(sizes.contains(QSize(32, 32)));
    EXPECT_TRUE(sizes.contains(QSize(64, 64)));
  }
  ExpectDistinctPictures(icons, names);

  // Indices the tree never uses show the unknown picture rather than nothing.
  for (int i : {-1, 6, 12, 19, 27, 1000})
    EXPECT_EQ(Image(TreeIcon(i), 16), Image(TreeIcon(0), 16)) << i;
}

TEST(ImagesTest, EveryImageListIndexIsRenderedFromItsPicture) {
  const std::vector<int> sizes = {16, 32, 48, 64};
  for (int i = -1; i <= 27; ++i) {
    SCOPED_TRACE("imTR " + std::to_string(i));
    ExpectRenderedAt(TreeIcon(i), sizes);
  }
  for (int t = 0; t <= 6; ++t) {
    SCOPED_TRACE("drive type " + std::to_string(t));
    ExpectRenderedAt(DriveIcon(t), sizes);
  }
  for (const char* c : kCommands) {
    SCOPED_TRACE(c);
    ExpectRenderedAt(CommandIcon(c), sizes);
  }
  SCOPED_TRACE("program icon");
  ExpectRenderedAt(ProgramIcon(), {16, 24, 32, 48, 64, 128, 256});
}

TEST(ImagesTest, EveryPictureResourceIsAValidSixteenUnitSvg) {
  ASSERT_FALSE(TreeIcon(0).isNull());  // the first picture registers the resources
  int count = 0;
  QDirIterator it(QStringLiteral(":/tolvane/icons"), {QStringLiteral("*")}, QDir::Files,
                  QDirIterator::Subdirectories);
  while (it.hasNext()) {
    const QString path = it.next();
    SCOPED_TRACE(path.toStdString());
    ++count;
    EXPECT_TRUE(path.endsWith(QStringLiteral(".svg")));
    QSvgRenderer svg(path);
    ASSERT_TRUE(svg.isValid());
    EXPECT_EQ(svg.viewBoxF(), QRectF(0, 0, 16, 16));
    EXPECT_EQ(svg.defaultSize(), QSize(16, 16));
  }
  EXPECT_GT(count, 0);
}

TEST(ImagesTest, DriveIconsMatchTheTreeAndCoverEveryType) {
  for (int t = 0; t <= 6; ++t) {
    const QIcon icon = DriveIcon(t);
    ASSERT_FALSE(icon.isNull());
    EXPECT_EQ(Image(icon, 32), Image(TreeIcon(20 + t), 32)) << t;
  }
  EXPECT_EQ(Image(DriveIcon(-3), 32), Image(DriveIcon(0), 32));
  EXPECT_EQ(Image(DriveIcon(7), 32), Image(DriveIcon(0), 32));
}

TEST(ImagesTest, CommandIconsExistAndDiffer) {
  std::vector<QIcon> icons;
  std::vector<std::string> names;
  for (const char* c : kCommands) {
    icons.push_back(CommandIcon(c));
    names.push_back(c);
  }
  ExpectDistinctPictures(icons, names);
  EXPECT_TRUE(CommandIcon("no-such-command").isNull());
  EXPECT_TRUE(CommandIcon("").isNull());
  // Cached: the same icon object comes back.
  EXPECT_EQ(CommandIcon("find").cacheKey(), CommandIcon("find").cacheKey());
}

TEST(ImagesTest, FileIconsAreNeverNullAndCachedPerExtension) {
  for (const char* name :
       {"", "README", "noext.", ".profile", "archive.tar.gz", "x.no-such-ext-123", "Photo.JPG",
        "dir/sub.dir/file", "C:\\DOS\\COMMAND.COM", "\xff\xfe.bin"}) {
    SCOPED_TRACE(name);
    const QIcon icon = FileIcon(name);
    ASSERT_FALSE(icon.isNull());
    EXPECT_FALSE(icon.pixmap(16, 16).isNull());
  }
  // One icon per lower-case extension.
  EXPECT_EQ(FileIcon("a.TXT").cacheKey(), FileIcon("b.txt").cacheKey());
  EXPECT_EQ(FileIcon("x").cacheKey(), FileIcon("y").cacheKey());
  // A folder name with a dot does not give the file an extension.
  EXPECT_EQ(FileIcon("dir.d/file").cacheKey(), FileIcon("file").cacheKey());
  // Kinds differ from one another and from the plain document.
  std::vector<QIcon> icons;
  std::vector<std::string> names;
  for (const char* name :
       {"a.txt", "a.jpg", "a.mp3", "a.avi", "a.exe", "a.zip", "a.htm", "a.pdf", "a"}) {
    icons.push_back(FileIcon(name));
    names.push_back(name);
  }
  ExpectDistinctPictures(icons, names);
}

TEST(ImagesTest, ProgramIcon) {
  const QIcon icon = ProgramIcon();
  ASSERT_FALSE(icon.isNull());
  EXPECT_TRUE(Painted(Image(icon, 32)));
  EXPECT_TRUE(Painted(Image(icon, 16)));
}

}  // namespace
