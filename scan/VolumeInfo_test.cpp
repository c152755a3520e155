// SPDX-License-Identifier: MIT
// Tests of ReadVolumeInfo, PrepareDiskHeader and the add-disk drive list on a made-up system:
// a mount table written for folders of a temporary tree, the fake sysfs tree of
// platform/testdata/sys and udev links in the temporary tree.
#include "scan/VolumeInfo.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

const std::string kSys = std::string(TOLVANE_SOURCE_DIR) + "/platform/testdata/sys";

// The mount table escapes spaces, tabs, newlines and backslashes as three octal digits.
std::string Escaped(const std::string& path) {
  std::string out;
  for (char c : path) {
    if (c == ' ')
      out += "\\040";
    else if (c == '\\')
      out += "\\134";
    else
      out += c;
  }
  return out;
}

class FakeSystem : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* base = std::getenv("TOLVANE_TEST_TMP");
    fs::path root = base && *base ? fs::path(base) : fs::temp_directory_path();
    fs::create_directories(root);
    std::string tmpl = (root / "volinfo-XXXXXX").string();
    ASSERT_NE(::mkdtemp(tmpl.data()), nullptr);
    top_ = fs::canonical(tmpl).string();
    vol_ = top_ + "/My Stick";  // a mount point with a space
    for (const std::string& d :
         {vol_ + "/sub/deeper", vol_ + "/inner/x", top_ + "/cd", top_ + "/home/anna",
          top_ + "/docker", top_ + "/over", top_ + "/disk/by-label", top_ + "/disk/by-uuid"})
      fs::create_directories(d);
    std::ofstream(top_ + "/hostname") << "box\n";
    fs::create_directory_symlink(vol_ + "/sub", top_ + "/link");
    fs::create_symlink("../../sdb1", top_ + "/disk/by-label/My\\x20Stick");
    fs::create_symlink("../../sdb1", top_ + "/disk/by-uuid/abcd-12ef");
    fs::create_symlink("../../sda2", top_ + "/disk/by-uuid/1b4e28ba-2fa1-11d2-883f-0016d3cca427");

    const std::string t = Escaped(top_);
    std::ofstream(top_ + "/mountinfo")
        << "20 1 8:2 / / rw,relatime shared:1 - ext4 /dev/sda2 rw\n"
        << "21 20 0:20 / /proc rw shared:2 - proc proc rw\n"
        << "30 20 8:17 / " << Escaped(vol_) << " rw shared:3 - vfat /dev/sdb1 rw\n"
        << "31 30 8:2 / " << Escaped(vol_) << "/inner rw shared:4 - ext4 /dev/sda2 rw\n"
        << "32 20 11:0 / " << t << "/cd ro shared:5 - iso9660 /dev/sr0 ro\n"
        << "33 20 0:40 / " << t << "/home rw - overlay overlay rw,lowerdir=/l\n"
        << "34 20 0:41 / " << t << "/docker rw - overlay overlay rw,lowerdir=/l\n"
        << "35 20 8:2 /etc/hostname " << t << "/hostname rw - ext4 /dev/sda2 rw\n"
        << "36 20 0:42 / " << t << "/nas rw - nfs4 nas:/export rw\n"
        << "37 20 8:1 / " << t << "/over rw - ext4 /dev/sda1 rw\n"
        << "38 37 8:17 / " << t << "/over rw - vfat /dev/sdb1 rw\n";
    view_.MountInfo = top_ + "/mountinfo";
    view_.SysRoot = kSys;
    view_.DevDiskRoot = top_ + "/disk";
    view_.ProbeDevices = false;
  }
  void TearDown() override {
    std::error_code ec;
    fs::remove_all(top_, ec);
  }

  std::string top_, vol_;
  TSystemView view_;
};

}  // namespace

TEST_F(FakeSystem, ReadVolumeInfoOfMountPointsAndFolders) {
  TVolumeInfo stick = ReadVolumeInfo(vol_, view_);
  EXPECT_EQ(stick.ErrorCode, 0);
  EXPECT_EQ(stick.DriveType, dtRemovable);
  EXPECT_EQ(stick.Label, "My Stick");
  EXPECT_EQ(stick.SerialText, "ABCD-12EF");
  EXPECT_EQ(stick.MountPoint, vol_);
  EXPECT_EQ(stick.SubFolder, "");

  // A folder inside a nested mount belongs to the inner volume.
  TVolumeInfo inner = ReadVolumeInfo(vol_ + "/inner/x", view_);
  EXPECT_EQ(inner.ErrorCode, 0);
  EXPECT_EQ(inner.DriveType, dtFixed);
  EXPECT_EQ(inner.Label, "");
  EXPECT_EQ(inner.SerialText, "1B4E-28BA");
  EXPECT_EQ(inner.MountPoint, vol_ + "/inner");
  EXPECT_EQ(inner.SubFolder, "x");

  // Reached through a symbolic link: the real place counts.
  TVolumeInfo linked = ReadVolumeInfo(top_ + "/link/deeper", view_);
  EXPECT_EQ(linked.MountPoint, vol_);
  EXPECT_EQ(linked.SubFolder, "sub\\deeper");

  TVolumeInfo missing = ReadVolumeInfo(top_ + "/no-such-folder", view_);
  EXPECT_EQ(missing.ErrorCode, ENOENT);
  EXPECT_EQ(missing.DriveType, dtNoRootDir);
  EXPECT_EQ(missing.Label, "");
  EXPECT_EQ(missing.SerialText, "0000-0000");

  TSystemView noTable = view_;
  noTable.MountInfo = top_ + "/no-mountinfo";
  TVolumeInfo failed = ReadVolumeInfo(vol_, noTable);
  EXPECT_NE(failed.ErrorCode, 0);
  EXPECT_EQ(failed.SerialText, "0000-0000");
}

TEST_F(FakeSystem, PrepareDiskHeaderFillsTheDiskSlots) {
  TQDBase bdDisk;
  ASSERT_EQ(PrepareDiskHeader(bdDisk, vol_ + "/sub/deeper/", "Holiday photos", 45000.75, view_), 0);
  TNodeRec* root = bdDisk.RootNode();
  EXPECT_EQ(bdDisk.CurrentNode(), root);
  ASSERT_EQ(root->SlotCount, 1);
  TNodeRec* h = NodeChild(root, 0);
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(NodeGetStr(h, 0), "Holiday photos");
  EXPECT_EQ(NodeSlotType(h, 1), stInteger);
  EXPECT_EQ(NodeGetInt(h, 1), 3);
  EXPECT_EQ(NodeSlotType(h, 2), stInt64);
  EXPECT_EQ(NodeGetInt64(h, 2), 0);
  EXPECT_EQ(NodeSlotType(h, 6), stFloat);
  EXPECT_EQ(NodeGetFloat(h, 6), 45000.75);
  EXPECT_EQ(NodeGetStr(h, 8), "");
  EXPECT_EQ(NodeGetInt(h, 12), dtRemovable);
  int64_t capacity = 0, freeBytes = 0;
  ASSERT_EQ(VolumeSpace(vol_, capacity, freeBytes), 0);
  EXPECT_EQ(NodeSlotType(h, 13), stInt64);
  EXPECT_EQ(NodeGetInt64(h, 13), capacity);
  EXPECT_EQ(NodeSlotType(h, 15), stInt64);
  EXPECT_GE(NodeGetInt64(h, 15), 0);
  EXPECT_LE(NodeGetInt64(h, 15), capacity);
  EXPECT_EQ(NodeGetStr(h, 17), "My Stick");
  EXPECT_EQ(NodeGetStr(h, 18), "ABCD-12EF");
  EXPECT_EQ(NodeGetStr(h, 19), "sub\\deeper");  // no leading or trailing backslash
  EXPECT_EQ(NodeSlotType(h, 20), stInteger);
  EXPECT_EQ(NodeGetInt(h, 20), 0);

  // The whole volume: no sub-folder; the previous header is replaced.
  ASSERT_EQ(PrepareDiskHeader(bdDisk, vol_, "Stick", 45001.0, view_), 0);
  h = NodeChild(bdDisk.RootNode(), 0);
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(NodeGetStr(h, 0), "Stick");
  EXPECT_EQ(NodeGetStr(h, 19), "");
  EXPECT_EQ(bdDisk.RootNode()->SlotCount, 1);
}

TEST_F(FakeSystem, PrepareDiskHeaderFailureLeavesTheStoreEmpty) {
  TQDBase bdDisk;
  ASSERT_EQ(PrepareDiskHeader(bdDisk, vol_, "Stick", 45000.0, view_), 0);
  EXPECT_EQ(PrepareDiskHeader(bdDisk, top_ + "/gone", "Gone", 45000.0, view_), ENOENT);
  EXPECT_EQ(bdDisk.RootNode()->SlotCount, 0);
}

TEST_F(FakeSystem, DriveListShowsMediaHomeAndNetworkOnly) {
  std::vector<TVolume> drives = ListDrives(view_, top_ + "/home/anna");
  std::vector<std::string> points, nodes;
  for (const TVolume& v : drives) {
    points.push_back(v.Mount.MountPoint);
    nodes.push_back(v.DeviceNode);
  }
  // Left out: /proc, the docker overlay, the bind-mounted file; /over appears once, as the
  // visible (later) mount; the home folder's overlay is kept. The empty CD drive sr1 comes last.
  std::vector<std::string> expected = {"/",
                                       top_ + "/My Stick",
                                       top_ + "/My Stick/inner",
                                       top_ + "/cd",
                                       top_ + "/home",
                                       top_ + "/nas",
                                       top_ + "/over",
                                       ""};
  EXPECT_EQ(points, expected);
  ASSERT_EQ(drives.size(), expected.size());
  EXPECT_EQ(drives[4].Virtual, true);  // home's overlay
  EXPECT_EQ(drives[5].DriveType, dtRemote);
  EXPECT_EQ(nodes[6], "/dev/sdb1");
  EXPECT_EQ(drives[6].DriveType, dtRemovable);
  EXPECT_EQ(drives[3].DriveType, dtCdRom);
  EXPECT_EQ(nodes[7], "/dev/sr1");
  EXPECT_EQ(drives[7].DriveType, dtCdRom);
  EXPECT_EQ(drives[7].Label, "");

  // Without the home folder on it, the overlay is hidden like any other.
  drives = ListDrives(view_, top_ + "/My Stick");
  for (const TVolume& v : drives) EXPECT_NE(v.Mount.MountPoint, top_ + "/home");
}
