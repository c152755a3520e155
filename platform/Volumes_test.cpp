// SPDX-License-Identifier: MIT
// Tests of the mount table, drive types, labels, serials and folder-to-volume lookup. System
// information comes from fixtures: platform/testdata/mountinfo.txt, the fake sysfs tree
// platform/testdata/sys and udev links made in a temporary folder.
#include "platform/Volumes.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/FileIO.h"

namespace fs = std::filesystem;

namespace {

const std::string kTestData = std::string(TOLVANE_SOURCE_DIR) + "/platform/testdata";
const std::string kSys = kTestData + "/sys";

std::vector<TMountEntry> FixtureMounts() {
  std::string text;
  EXPECT_EQ(ReadWholeFile(kTestData + "/mountinfo.txt", text).Message(), "");
  return ParseMountInfo(text);
}

const TMountEntry* FindMount(const std::vector<TMountEntry>& mounts, const std::string& mp) {
  for (auto& m : mounts)
    if (m.MountPoint == mp) return &m;
  return nullptr;
}

// A fresh folder below the test temporary folder, removed at the end of the test.
class TempDir {
 public:
  TempDir() {
    const char* base = std::getenv("TOLVANE_TEST_TMP");
    fs::path root = base && *base ? fs::path(base) : fs::temp_directory_path();
    fs::create_directories(root);
    std::string tmpl = (root / "volumes-XXXXXX").string();
    path_ = ::mkdtemp(tmpl.data());
  }
  ~TempDir() {
    std::error_code ec;
    fs::remove_all(path_, ec);
  }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

TMountEntry Mount(std::string mp, std::string type, std::string source, uint32_t major = 0,
                  uint32_t minor = 0) {
  TMountEntry m;
  m.MountPoint = std::move(mp);
  m.Root = "/";
  m.FsType = std::move(type);
  m.Source = std::move(source);
  m.Major = major;
  m.Minor = minor;
  return m;
}

}  // namespace

TEST(MountInfo, DecodesOctalEscapesAndKeepsOtherBackslashes) {
  EXPECT_EQ(DecodeMountEscapes("/media/a\\040b"), "/media/a b");
  EXPECT_EQ(DecodeMountEscapes("\\134\\011\\012"), "\\\t\n");
  EXPECT_EQ(DecodeMountEscapes("a\\04"), "a\\04");      // cut short at the end
  EXPECT_EQ(DecodeMountEscapes("a\\9999"), "a\\9999");  // not octal
  EXPECT_EQ(DecodeMountEscapes("a\\xyz\\"), "a\\xyz\\");
}

TEST(MountInfo, ParsesFixtureFieldsAndSkipsMalformedLines) {
  auto mounts = FixtureMounts();
  ASSERT_EQ(mounts.size(), 25u);  // 27 lines, one without fields, one cut before the type

  const TMountEntry* stick = FindMount(mounts, "/media/anna/My Stick");
  ASSERT_NE(stick, nullptr);  // optional fields "shared:400 master:7" before the "-"
  EXPECT_EQ(stick->FsType, "vfat");
  EXPECT_EQ(stick->Source, "/dev/sdb1");
  EXPECT_EQ(stick->Major, 8u);
  EXPECT_EQ(stick->Minor, 17u);
  EXPECT_EQ(stick->Root, "/");

  const TMountEntry* odd = FindMount(mounts, "/media/anna/Back\\slash\tTab\nLine");
  ASSERT_NE(odd, nullptr);
  EXPECT_EQ(odd->Root, "/photos");

  const TMountEntry* nas = FindMount(mounts, "/mnt/nas");
  ASSERT_NE(nas, nullptr);
  EXPECT_EQ(nas->Source, "nas.local:/export/media");
  EXPECT_EQ(nas->Major, 0u);
  EXPECT_EQ(FindMount(mounts, "/broken"), nullptr);
}

TEST(MountFilter, SystemMountsAreVirtualMediaAreNot) {
  auto mounts = FixtureMounts();
  std::vector<std::string> real;
  for (auto& m : mounts)
    if (!IsVirtualMount(m)) real.push_back(m.MountPoint);
  std::vector<std::string> expected = {"/",
                                       "/boot/efi",
                                       "/media/anna/My Stick",
                                       "/media/anna/DISC_2024",
                                       "/mnt/nas",
                                       "/home/anna/remote",
                                       "/mnt/ram",
                                       "/media/anna/Secret",
                                       "/data",
                                       "/mnt/over",
                                       "/mnt/over",
                                       "/media/anna/Back\\slash\tTab\nLine"};
  EXPECT_EQ(real, expected);
}

TEST(MountFilter, RulesDependOnTypeAndPlace) {
  EXPECT_TRUE(IsVirtualMount(Mount("/sys/fs/cgroup/cpu", "cgroup", "cgroup")));
  EXPECT_TRUE(IsVirtualMount(Mount("/dev/hugepages", "hugetlbfs", "hugetlbfs")));
  EXPECT_TRUE(IsVirtualMount(Mount("/devices", "debugfs", "none")));     // by type anywhere
  EXPECT_FALSE(IsVirtualMount(Mount("/devices", "ext4", "/dev/sda3")));  // "/dev" is no prefix
  EXPECT_TRUE(IsVirtualMount(Mount("/run/credentials/x", "ramfs", "ramfs")));
  EXPECT_FALSE(IsVirtualMount(Mount("/run/media/anna/STICK", "vfat", "/dev/sdb1")));
  EXPECT_FALSE(IsVirtualMount(Mount("/mnt/ramfs", "ramfs", "ramfs")));
  EXPECT_TRUE(IsVirtualMount(Mount("/var/lib/snapd/snap/x", "squashfs", "/dev/loop1")));
  EXPECT_TRUE(IsVirtualMount(Mount("/opt/app", "squashfs", "/var/lib/snapd/snaps/app_1.snap")));
  EXPECT_FALSE(IsVirtualMount(Mount("/mnt/live", "squashfs", "/dev/loop0")));
  EXPECT_FALSE(IsVirtualMount(Mount("/", "overlay", "overlay")));
  EXPECT_TRUE(IsVirtualMount(Mount("/merged", "overlay", "overlay")));

  EXPECT_TRUE(IsNetworkFsType("cifs"));
  EXPECT_TRUE(IsNetworkFsType("smb3"));
  EXPECT_TRUE(IsNetworkFsType("fuse.sshfs"));
  EXPECT_TRUE(IsNetworkFsType("fuse.rclone"));
  EXPECT_FALSE(IsNetworkFsType("fuse"));
  EXPECT_FALSE(IsNetworkFsType("fuseblk"));
  EXPECT_FALSE(IsNetworkFsType("nfsd"));
}

TEST(DriveType, FromFakeSysfsTree) {
  auto mounts = FixtureMounts();
  auto typeOf = [&](const std::string& mp) {
    const TMountEntry* m = FindMount(mounts, mp);
    EXPECT_NE(m, nullptr) << mp;
    return m ? DriveTypeOf(*m, LookupBlockDevice(*m, kSys)) : -1;
  };
  EXPECT_EQ(typeOf("/"), dtFixed);  // SATA partition
  EXPECT_EQ(typeOf("/boot/efi"), dtFixed);
  EXPECT_EQ(typeOf("/media/anna/My Stick"), dtRemovable);  // USB, removable flag 0
  EXPECT_EQ(typeOf("/media/anna/DISC_2024"), dtCdRom);
  EXPECT_EQ(typeOf("/mnt/nas"), dtRemote);
  EXPECT_EQ(typeOf("/home/anna/remote"), dtRemote);
  EXPECT_EQ(typeOf("/mnt/ram"), dtRamDisk);
  EXPECT_EQ(typeOf("/media/anna/Secret"), dtRemovable);  // dm map over a USB partition
  EXPECT_EQ(typeOf("/data"), dtRemovable);  // btrfs: anonymous 0:54, found by source; SD card

  TBlockDevice stick = LookupBlockDevice(*FindMount(mounts, "/media/anna/My Stick"), kSys);
  EXPECT_TRUE(stick.Found);
  EXPECT_EQ(stick.Name, "sdb1");
  EXPECT_EQ(stick.DiskName, "sdb");
  EXPECT_TRUE(stick.Usb);
  EXPECT_FALSE(stick.Removable);
  EXPECT_FALSE(stick.Cd);

  // A CD drive whose medium is mounted under a file-system type that says nothing of CDs.
  TBlockDevice sr1 = LookupBlockDevice(Mount("/media/x", "ext2", "/dev/sr1", 11, 1), kSys);
  EXPECT_TRUE(sr1.Cd);
  EXPECT_EQ(DriveTypeOf(Mount("/media/x", "ext2", "/dev/sr1"), sr1), dtCdRom);
  // UDF is a CD file system even on a hard disk.
  EXPECT_EQ(DriveTypeOf(Mount("/m", "udf", "/dev/sda1", 8, 1),
                        LookupBlockDevice(Mount("/m", "udf", "/dev/sda1", 8, 1), kSys)),
            dtCdRom);
  // Unknown devices: a block device sysfs does not know is fixed; a FUSE mount is unknown.
  TBlockDevice none = LookupBlockDevice(Mount("/m", "ext4", "/dev/nvme9n1", 259, 9), kSys);
  EXPECT_FALSE(none.Found);
  EXPECT_EQ(DriveTypeOf(Mount("/m", "ext4", "/dev/nvme9n1", 259, 9), none), dtFixed);
  EXPECT_EQ(DriveTypeOf(Mount("/m", "fuse.bindfs", "bindfs"), TBlockDevice()), dtUnknown);
}

TEST(VolumeSerial, RulesPerFileSystem) {
  EXPECT_EQ(FormatVolumeSerial(0x1234ABCDu), "1234-ABCD");
  EXPECT_EQ(FormatVolumeSerial(0), "0000-0000");
  EXPECT_EQ(FormatVolumeSerial(0xFFFFFFFFu), "FFFF-FFFF");

  EXPECT_EQ(SerialFromUuid("vfat", "abcd-12ef"), "ABCD-12EF");
  EXPECT_EQ(SerialFromUuid("exfat", "5E3A-0011"), "5E3A-0011");
  EXPECT_EQ(SerialFromUuid("ntfs", "0123456789ABCDEF"), "89AB-CDEF");
  EXPECT_EQ(SerialFromUuid("ntfs3", "0123456789abcdef"), "89AB-CDEF");
  EXPECT_EQ(SerialFromUuid("fuseblk", "0123456789ABCDEF"), "89AB-CDEF");  // ntfs-3g
  EXPECT_EQ(SerialFromUuid("ext4", "1b4e28ba-2fa1-11d2-883f-0016d3cca427"), "1B4E-28BA");
  EXPECT_EQ(SerialFromUuid("iso9660", "2024-03-05-10-20-30-00"), "2024-0305");
  EXPECT_EQ(SerialFromUuid("ext4", ""), "0000-0000");
  EXPECT_EQ(SerialFromUuid("ext4", "--"), "0000-0000");
  EXPECT_EQ(SerialFromUuid("xfs", "1a2b"), "0000-1A2B");
}

TEST(VolumeLabel, FromAutomounterPathsAndUdevNames) {
  EXPECT_EQ(LabelFromMountPoint("/media/anna/My Stick"), "My Stick");
  EXPECT_EQ(LabelFromMountPoint("/run/media/anna/BACKUP"), "BACKUP");
  EXPECT_EQ(LabelFromMountPoint("/media/anna/"), "");
  EXPECT_EQ(LabelFromMountPoint("/media/cdrom"), "");
  EXPECT_EQ(LabelFromMountPoint("/media/anna/STICK/sub"), "");
  EXPECT_EQ(LabelFromMountPoint("/mnt/usb"), "");

  EXPECT_EQ(DecodeUdevEscapes("My\\x20Disk"), "My Disk");
  EXPECT_EQ(DecodeUdevEscapes("a\\x2fb\\x5c"), "a/b\\");
  EXPECT_EQ(DecodeUdevEscapes("bad\\xZZ\\x2"), "bad\\xZZ\\x2");
}

TEST(VolumeDescription, LabelSerialAndTypeFromUdevLinks) {
  TempDir tmp;
  const std::string t = tmp.path();
  fs::create_directories(t + "/disk/by-label");
  fs::create_directories(t + "/disk/by-uuid");
  fs::create_symlink("../../sdb1", t + "/disk/by-label/My\\x20Stick");
  fs::create_symlink("../../sdb1", t + "/disk/by-uuid/ABCD-12EF");
  fs::create_symlink("../../sda1", t + "/disk/by-uuid/0123456789ABCDEF");
  fs::create_symlink("../../sda2", t + "/disk/by-uuid/1b4e28ba-2fa1-11d2-883f-0016d3cca427");
  for (const char* d : {"/stick", "/ntfs", "/root", "/cd", "/net", "/ram"})
    fs::create_directories(t + d);
  TSystemView view;
  view.SysRoot = kSys;
  view.DevDiskRoot = t + "/disk";
  view.ProbeDevices = false;

  TVolume stick = DescribeVolume(Mount(t + "/stick", "vfat", "/dev/sdb1", 8, 17), view);
  EXPECT_EQ(stick.DeviceNode, "/dev/sdb1");
  EXPECT_EQ(stick.DriveType, dtRemovable);
  EXPECT_EQ(stick.Label, "My Stick");
  EXPECT_EQ(stick.SerialText, "ABCD-12EF");
  EXPECT_FALSE(stick.Virtual);

  TVolume ntfs = DescribeVolume(Mount(t + "/ntfs", "fuseblk", "/dev/sda1", 8, 1), view);
  EXPECT_EQ(ntfs.DriveType, dtFixed);
  EXPECT_EQ(ntfs.Label, "");
  EXPECT_EQ(ntfs.SerialText, "89AB-CDEF");

  TVolume root = DescribeVolume(Mount(t + "/root", "ext4", "/dev/sda2", 8, 2), view);
  EXPECT_EQ(root.SerialText, "1B4E-28BA");

  // Without probing, an ISO 9660 volume takes its serial from the UUID (none here).
  TVolume cd = DescribeVolume(Mount(t + "/cd", "iso9660", "/dev/sr0", 11, 0), view);
  EXPECT_EQ(cd.DriveType, dtCdRom);
  EXPECT_EQ(cd.SerialText, "0000-0000");

  TVolume net = DescribeVolume(Mount(t + "/net", "cifs", "//srv/share"), view);
  EXPECT_EQ(net.DeviceNode, "");
  EXPECT_EQ(net.DriveType, dtRemote);
  EXPECT_EQ(net.SerialText, "0000-0000");

  TVolume ram = DescribeVolume(Mount(t + "/ram", "tmpfs", "tmpfs"), view);
  EXPECT_EQ(ram.DriveType, dtRamDisk);

  // The mount point is gone (or is a bind-mounted file): no root directory.
  TVolume gone = DescribeVolume(Mount(t + "/gone", "ext4", "/dev/sda2", 8, 2), view);
  EXPECT_EQ(gone.DriveType, dtNoRootDir);
  std::ofstream(t + "/file") << "x";
  EXPECT_EQ(DescribeVolume(Mount(t + "/file", "ext4", "/dev/sda2", 8, 2), view).DriveType,
            dtNoRootDir);
}

TEST(ContainingMount, LongestPrefixWinsAndLaterMountsHideEarlier) {
  auto mounts = FixtureMounts();
  auto mountOf = [&](std::string_view path) {
    int i = FindContainingMount(mounts, path);
    return i < 0 ? std::string("-") : mounts[static_cast<size_t>(i)].MountPoint;
  };
  EXPECT_EQ(mountOf("/"), "/");
  EXPECT_EQ(mountOf("/etc/fstab"), "/");
  EXPECT_EQ(mountOf("/boot"), "/");
  EXPECT_EQ(mountOf("/boot/efi/EFI"), "/boot/efi");
  EXPECT_EQ(mountOf("/boot/efiX"), "/");  // a prefix of the name is not a parent folder
  EXPECT_EQ(mountOf("/run/user/1000/gvfs/smb"), "/run/user/1000/gvfs");
  EXPECT_EQ(mountOf("/run/user/1000/x"), "/run/user/1000");
  EXPECT_EQ(mountOf("/tmp/a"), "/tmp");
  EXPECT_EQ(mountOf("/media/anna/My Stick/Photos/2024"), "/media/anna/My Stick");

  int over = FindContainingMount(mounts, "/mnt/over/x");
  ASSERT_GE(over, 0);
  EXPECT_EQ(mounts[static_cast<size_t>(over)].Source, "/dev/sdb2");  // the later mount

  std::vector<TMountEntry> noRoot = {Mount("/media/a", "vfat", "/dev/sdb1")};
  EXPECT_EQ(FindContainingMount(noRoot, "/home/x"), -1);
  EXPECT_EQ(FindContainingMount({}, "/"), -1);
}

TEST(ContainingMount, PathBelowMountPoint) {
  EXPECT_EQ(PathBelowMount("/media/anna/My Stick", "/media/anna/My Stick", true), "");
  EXPECT_EQ(PathBelowMount("/media/anna/My Stick", "/media/anna/My Stick/a/b c", true), "a\\b c");
  EXPECT_EQ(PathBelowMount("/media/anna/My Stick", "/media/anna/My Stick/a/b c/", false), "a/b c");
  EXPECT_EQ(PathBelowMount("/", "/", true), "");
  EXPECT_EQ(PathBelowMount("/", "/home/anna/Docs", true), "home\\anna\\Docs");
  EXPECT_EQ(PathBelowMount("/mnt/a", "/mnt/ab/c", true), "");  // not below it at all
}
