// SPDX-License-Identifier: MIT
// Mounted volumes: the Linux realisation of drives, drive types, volume labels and serials.
//
// A "drive" is a mount point of /proc/self/mountinfo. Virtual file systems of the system (proc,
// sysfs, cgroups, the tmpfs mounts below /run, /dev and /sys, snap images...) are marked, so that
// lists shown to the user leave them out, while the lookup of the volume that holds a folder
// still sees every mount (a folder below /tmp belongs to the tmpfs there, not to "/").
//
// Drive types follow the Windows numbering stored in catalogs: 0 unknown, 1 no root directory
// (the mount point is gone), 2 removable, 3 fixed, 4 remote, 5 CD-ROM, 6 RAM disk.
//
// The serial text is "XXXX-XXXX" (upper-case hex). It is derived so that a medium catalogued on
// Windows is recognised here: FAT and exFAT UUIDs are the Windows serial itself; NTFS shows the
// low 32 bits of its 64-bit serial; ISO 9660 has no serial and Windows computes one from the
// primary volume descriptor (platform/IsoSerial.h); other file systems take the first 8 hex
// digits of their UUID; a volume without UUID gets "0000-0000".
//
// Every source of system information (mountinfo, the sysfs tree, udev's /dev/disk links, device
// probing) is named by a TSystemView, so tests run on fixture trees without root or devices.
//
// Threads: any; nothing here keeps state. Calls may block on an unresponsive network mount
// (stat, statvfs), as every file access there does.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Error.h"

// Windows drive types (GetDriveType numbering, stored in disk headers).
enum : int {
  dtUnknown = 0,
  dtNoRootDir = 1,
  dtRemovable = 2,
  dtFixed = 3,
  dtRemote = 4,
  dtCdRom = 5,
  dtRamDisk = 6,
};

inline constexpr const char* kNoSerialText = "0000-0000";

// Where system information is read from. The defaults are the running system.
struct TSystemView {
  std::string MountInfo = "/proc/self/mountinfo";
  std::string SysRoot = "/sys";           // holds dev/block/<major>:<minor> and class/block/<name>
  std::string DevDiskRoot = "/dev/disk";  // udev's by-label/ and by-uuid/ links
  // Open device nodes to read labels, UUIDs (libblkid) and ISO volume descriptors. Off in tests.
  bool ProbeDevices = true;
};

// One line of mountinfo.
struct TMountEntry {
  std::string MountPoint;  // absolute, escapes decoded
  std::string Root;        // folder of the file system mounted there; "/" for all of it
  std::string FsType;      // "ext4", "vfat", "fuse.sshfs"
  std::string Source;      // "/dev/sdb1", "server:/export", "tmpfs"
  uint32_t Major = 0;      // device number; 0 for file systems without a block device
  uint32_t Minor = 0;
};

// Decodes the octal escapes mountinfo writes for space, tab, newline and backslash ("\040").
// Anything that is not a backslash and three octal digits is kept as it is.
std::string DecodeMountEscapes(std::string_view field);

// Parses mountinfo text, one mount per line, in mount order. Malformed lines are skipped.
std::vector<TMountEntry> ParseMountInfo(std::string_view text);

// Reads and parses view.MountInfo. Fails with the error text of a failed read.
TError ReadMountTable(const TSystemView& view, std::vector<TMountEntry>& mounts);

// True iff the mount is one of the system's own virtual file systems, never a medium a user
// catalogues: kernel interfaces (proc, sysfs, cgroup*, devpts, debugfs...), anything mounted
// below /proc, /sys or /dev, tmpfs and ramfs below /run or at /tmp, snap images, container
// overlays (an overlay at "/" is the root of the system and counts as real), desktop helper
// file systems (gvfs, document portal).
bool IsVirtualMount(const TMountEntry& mount);

// True for network file systems (nfs, cifs, smb3, sshfs and other FUSE network clients...).
bool IsNetworkFsType(std::string_view fsType);

// What sysfs tells about the block device behind a mount.
struct TBlockDevice {
  bool Found = false;      // the device is known to sysfs
  std::string Name;        // kernel name of the mounted device ("sdb1", "sr0", "dm-0")
  std::string DiskName;    // the whole disk ("sdb" for "sdb1")
  bool Removable = false;  // /sys/block/<disk>/removable is 1 (also for any device below a dm map)
  bool Usb = false;        // the device hangs off a USB bus
  bool Cd = false;         // an sr device or a SCSI device of type 5 (CD/DVD)
};

// Finds the mount's block device in the sysfs tree under `sysRoot`: by major:minor
// (dev/block/M:m), else by the kernel name of a "/dev/..." mount source (class/block/<name>;
// btrfs reports an anonymous device number). Device-mapper devices inherit Removable/Usb from
// the devices they map (slaves/).
TBlockDevice LookupBlockDevice(const TMountEntry& mount, const std::string& sysRoot);

// The drive type of a mount whose mount point exists: 5 for iso9660/udf or a CD device, 4 for
// network file systems, 6 for tmpfs/ramfs, 2 for a removable or USB block device, 3 for other
// block devices, 0 otherwise.
int DriveTypeOf(const TMountEntry& mount, const TBlockDevice& device);

// "XXXX-XXXX" of a 32-bit serial, upper case.
std::string FormatVolumeSerial(uint32_t serial);

// The serial text derived from a file system's UUID (see the file comment). `fsType` is the
// file-system type (mountinfo's or blkid's). Returns kNoSerialText when `uuid` has no hex digit.
std::string SerialFromUuid(std::string_view fsType, std::string_view uuid);

// The label that a desktop automounter put into the mount point: the last component of
// /media/<user>/<label> or /run/media/<user>/<label>; empty for other mount points.
std::string LabelFromMountPoint(std::string_view mountPoint);

// Decodes udev's "\xNN" escapes of /dev/disk/by-label names ("My\x20Disk").
std::string DecodeUdevEscapes(std::string_view name);

// Label, UUID and type of the file system on a device.
struct TDeviceIds {
  std::string Label;
  std::string Uuid;
  std::string FsType;  // only when the device could be probed
};

// Reads the ids of `deviceNode` ("/dev/sdb1"): by probing the device with libblkid when
// view.ProbeDevices and the device can be opened; else from udev's by-label/by-uuid links under
// view.DevDiskRoot; else (ProbeDevices) from libblkid's cache. Missing ids stay empty.
TDeviceIds ReadDeviceIds(const std::string& deviceNode, const TSystemView& view);

// Probes a device or image file with libblkid. Fails with the reason.
TError ProbeDeviceIds(const std::string& path, TDeviceIds& ids);

// The serial text of a volume: for iso9660 with `probe` the checksum of the primary volume
// descriptor read from `deviceNode` (a device or image file), else SerialFromUuid.
std::string VolumeSerialText(std::string_view fsType, const std::string& deviceNode,
                             std::string_view uuid, bool probe);

// A mount with everything the catalog records about it.
struct TVolume {
  TMountEntry Mount;
  std::string DeviceNode;  // "/dev/sdb1"; empty when the mount has no block device
  int DriveType = dtUnknown;
  std::string Label;
  std::string SerialText = kNoSerialText;
  bool Virtual = false;  // IsVirtualMount
};

// Describes one mount: device, drive type (1 when the mount point is no longer a folder),
// label (device label, else LabelFromMountPoint) and serial text.
TVolume DescribeVolume(const TMountEntry& mount, const TSystemView& view);

// The index of the mount that holds `realPath` (absolute, symlinks resolved): the longest mount
// point that is `realPath` or one of its ancestor folders; of equal mount points the later one
// (it hides the earlier). -1 when none matches (no "/" mount in the list).
int FindContainingMount(const std::vector<TMountEntry>& mounts, std::string_view realPath);

// True iff a later entry of `mounts` is mounted at the same point as entry `i` (and hides it).
bool IsHiddenMount(const std::vector<TMountEntry>& mounts, size_t i);

// `realPath` relative to `mountPoint` (which must hold it), without leading or trailing
// separator; empty for the mount point itself. With `backslashes` the separators are "\", as
// catalogs store paths.
std::string PathBelowMount(std::string_view mountPoint, std::string_view realPath,
                           bool backslashes);

// The absolute path of `path` with every symbolic link, "." and ".." resolved. Fails with the
// error text when the path does not exist or cannot be resolved.
TError ResolveRealPath(const std::string& path, std::string& resolved);

// Capacity (f_blocks) and free space for an unprivileged user (f_bavail) in bytes of the file
// system holding `path`. Returns the errno of a failure, 0 on success.
int VolumeSpace(const std::string& path, int64_t& capacity, int64_t& freeBytes);
