// SPDX-License-Identifier: MIT
#include "platform/Volumes.h"

#include <blkid/blkid.h>
#include <strings.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "platform/FileIO.h"
#include "platform/IsoSerial.h"

namespace fs = std::filesystem;

namespace {

bool StartsWith(std::string_view s, std::string_view prefix) {
  return s.size() >= prefix.size() && s.compare(0, prefix.size(), prefix) == 0;
}

bool EndsWith(std::string_view s, std::string_view suffix) {
  return s.size() >= suffix.size() &&
         s.compare(s.size() - suffix.size(), suffix.size(), suffix) == 0;
}

// True iff `path` is `folder` or lies below it.
bool IsAtOrBelow(std::string_view path, std::string_view folder) {
  if (folder == "/") return StartsWith(path, "/");
  return StartsWith(path, folder) && (path.size() == folder.size() || path[folder.size()] == '/');
}

bool IsOctal(char c) { return c >= '0' && c <= '7'; }

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string BaseName(std::string_view path) {
  while (path.size() > 1 && path.back() == '/') path.remove_suffix(1);
  auto slash = path.find_last_of('/');
  return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

// The first line of a small sysfs file, without trailing white space; empty when unreadable.
std::string ReadSysValue(const fs::path& file) {
  std::string text;
  if (ReadWholeFile(file.string(), text).Failed()) return {};
  auto end = text.find('\n');
  if (end != std::string::npos) text.resize(end);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\r' || text.back() == '\t'))
    text.pop_back();
  return text;
}

// The canonical form of an existing path, or empty.
fs::path Canonical(const fs::path& p) {
  std::error_code ec;
  fs::path c = fs::canonical(p, ec);
  return ec ? fs::path() : c;
}

bool IsDirectory(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Fills `dev` from the sysfs folder of a block device; follows device-mapper slaves up to
// `depth` levels so that an encrypted USB stick still counts as removable.
void ReadSysBlock(const fs::path& devDir, const std::string& sysRoot, int depth,
                  TBlockDevice& dev) {
  std::error_code ec;
  fs::path diskDir = fs::exists(devDir / "partition", ec) ? devDir.parent_path() : devDir;
  if (dev.Name.empty()) {
    dev.Found = true;
    dev.Name = devDir.filename().string();
    dev.DiskName = diskDir.filename().string();
  }
  std::string diskName = diskDir.filename().string();
  if (ReadSysValue(diskDir / "removable") == "1") dev.Removable = true;
  // The device path below sysfs runs through the bus that connects it: ".../usb2/2-1/...".
  std::string devPath = devDir.string();
  std::string sysPath = Canonical(sysRoot).string();
  if (!sysPath.empty() && StartsWith(devPath, sysPath)) devPath.erase(0, sysPath.size());
  if (devPath.find("/usb") != std::string::npos) dev.Usb = true;
  if (StartsWith(diskName, "sr") || ReadSysValue(diskDir / "device" / "type") == "5") dev.Cd = true;
  if (depth <= 0) return;
  std::vector<fs::path> slaveDirs{devDir / "slaves"};
  if (diskDir != devDir) slaveDirs.push_back(diskDir / "slaves");
  for (const fs::path& dir : slaveDirs) {
    fs::directory_iterator it(dir, ec), end;
    for (; !ec && it != end; it.increment(ec)) {
      fs::path slave = Canonical(fs::path(sysRoot) / "class" / "block" / it->path().filename());
      if (!slave.empty()) ReadSysBlock(slave, sysRoot, depth - 1, dev);
    }
  }
}

bool IsNtfsType(std::string_view t) { return t == "ntfs" || t == "ntfs3" || t == "ntfs-3g"; }

// Finds the udev link in `dir` that points at the device `base`; returns its decoded name.
std::string FindUdevLink(const fs::path& dir, const std::string& base) {
  std::error_code ec;
  fs::directory_iterator it(dir, ec), end;
  for (; !ec && it != end; it.increment(ec)) {
    std::error_code lec;
    fs::path target = fs::read_symlink(it->path(), lec);
    if (!lec && target.filename().string() == base)
      return DecodeUdevEscapes(it->path().filename().string());
  }
  return {};
}

// Label and UUID from libblkid's cache, which keeps what an earlier privileged probe found.
void ReadBlkidCache(const std::string& node, TDeviceIds& ids) {
  blkid_cache cache = nullptr;
  if (blkid_get_cache(&cache, nullptr) != 0) return;
  for (auto [tag, out] : {std::pair{"LABEL", &ids.Label}, std::pair{"UUID", &ids.Uuid}}) {
    char* value = blkid_get_tag_value(cache, tag, node.c_str());
    if (value) *out = value;
    std::free(value);
  }
  blkid_put_cache(cache);
}

}  // namespace

// ---- mount table ----------------------------------------------------------------------------

std::string DecodeMountEscapes(std::string_view field) {
  std::string out;
  out.reserve(field.size());
  for (size_t i = 0; i < field.size(); ++i) {
    if (field[i] == '\\' && i + 3 < field.size() && IsOctal(field[i + 1]) &&
        IsOctal(field[i + 2]) && IsOctal(field[i + 3])) {
      int v = (field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 + (field[i + 3] - '0');
      if (v <= 255) {
        out.push_back(static_cast<char>(v));
        i += 3;
        continue;
      }
    }
    out.push_back(field[i]);
  }
  return out;
}

std::vector<TMountEntry> ParseMountInfo(std::string_view text) {
  std::vector<TMountEntry> mounts;
  size_t pos = 0;
  std::vector<std::string_view> f;
  while (pos < text.size()) {
    size_t eol = text.find('\n', pos);
    if (eol == std::string_view::npos) eol = text.size();
    std::string_view line = text.substr(pos, eol - pos);
    pos = eol + 1;
    f.clear();
    size_t start = 0;
    for (;;) {
      size_t sp = line.find(' ', start);
      f.push_back(line.substr(start, sp == std::string_view::npos ? sp : sp - start));
      if (sp == std::string_view::npos) break;
      start = sp + 1;
    }
    // id parent major:minor root mount-point options [optional...] - type source super-options
    if (f.size() < 9) continue;
    size_t dash = 6;
    while (dash < f.size() && f[dash] != "-") ++dash;
    if (dash + 2 >= f.size()) continue;
    TMountEntry m;
    std::string_view dev = f[2];
    auto colon = dev.find(':');
    if (colon == std::string_view::npos) continue;
    char* endp = nullptr;
    std::string majorText(dev.substr(0, colon)), minorText(dev.substr(colon + 1));
    unsigned long major = std::strtoul(majorText.c_str(), &endp, 10);
    if (majorText.empty() || *endp) continue;
    unsigned long minor = std::strtoul(minorText.c_str(), &endp, 10);
    if (minorText.empty() || *endp) continue;
    m.Major = static_cast<uint32_t>(major);
    m.Minor = static_cast<uint32_t>(minor);
    m.Root = DecodeMountEscapes(f[3]);
    m.MountPoint = DecodeMountEscapes(f[4]);
    m.FsType = DecodeMountEscapes(f[dash + 1]);
    m.Source = DecodeMountEscapes(f[dash + 2]);
    if (m.MountPoint.empty() || m.MountPoint[0] != '/') continue;
    mounts.push_back(std::move(m));
  }
  return mounts;
}

TError ReadMountTable(const TSystemView& view, std::vector<TMountEntry>& mounts) {
  std::string text;
  if (TError err = ReadWholeFile(view.MountInfo, text); err.Failed()) return err;
  mounts = ParseMountInfo(text);
  return {};
}

bool IsVirtualMount(const TMountEntry& m) {
  static constexpr std::string_view kVirtualTypes[] = {
      "proc",
      "sysfs",
      "devpts",
      "devtmpfs",
      "mqueue",
      "debugfs",
      "tracefs",
      "securityfs",
      "pstore",
      "bpf",
      "configfs",
      "fusectl",
      "hugetlbfs",
      "autofs",
      "binfmt_misc",
      "efivarfs",
      "nsfs",
      "rpc_pipefs",
      "nfsd",
      "selinuxfs",
      "rootfs",
      "cpuset",
      "xenfs",
      "devfs",
      "usbfs",
      "fuse.gvfsd-fuse",
      "fuse.gvfs-fuse-daemon",
      "fuse.portal",
      "fuse.lxcfs",
      "fuse.snapfuse",
  };
  const std::string& t = m.FsType;
  if (StartsWith(t, "cgroup")) return true;
  for (auto v : kVirtualTypes)
    if (t == v) return true;
  const std::string& mp = m.MountPoint;
  if (IsAtOrBelow(mp, "/proc") || IsAtOrBelow(mp, "/sys") || IsAtOrBelow(mp, "/dev")) return true;
  if ((t == "tmpfs" || t == "ramfs") && (IsAtOrBelow(mp, "/run") || mp == "/tmp")) return true;
  if (t == "squashfs" && (IsAtOrBelow(mp, "/snap") || IsAtOrBelow(mp, "/var/lib/snapd") ||
                          EndsWith(m.Source, ".snap")))
    return true;
  if (t == "overlay" && mp != "/") return true;
  return false;
}

bool IsNetworkFsType(std::string_view t) {
  static constexpr std::string_view kNetworkTypes[] = {
      "nfs",    "nfs4",      "cifs",   "smb3",  "smbfs", "ncpfs", "afs",
      "ceph",   "glusterfs", "lustre", "coda",  "davfs", "9p",    "virtiofs",
      "vboxsf", "vmhgfs",    "afpfs",  "sshfs", "gfs2",  "ocfs2",
  };
  for (auto n : kNetworkTypes)
    if (t == n) return true;
  if (StartsWith(t, "fuse.")) {
    std::string_view sub = t.substr(5);
    static constexpr std::string_view kFuseNetwork[] = {
        "sshfs",       "rclone",  "s3fs",   "glusterfs", "curlftpfs", "davfs2",   "afpfs",
        "vmhgfs-fuse", "gcsfuse", "goofys", "smbnetfs",  "cephfs",    "ceph-fuse"};
    for (auto n : kFuseNetwork)
      if (sub == n) return true;
  }
  return false;
}

// ---- devices and drive types ----------------------------------------------------------------

TBlockDevice LookupBlockDevice(const TMountEntry& m, const std::string& sysRoot) {
  TBlockDevice dev;
  fs::path dir;
  if (m.Major != 0)
    dir = Canonical(fs::path(sysRoot) / "dev" / "block" /
                    (std::to_string(m.Major) + ":" + std::to_string(m.Minor)));
  if (dir.empty() && StartsWith(m.Source, "/dev/")) {
    std::string node = m.Source;
    char buf[PATH_MAX];
    if (::realpath(node.c_str(), buf)) node = buf;  // /dev/mapper/x -> /dev/dm-0
    dir = Canonical(fs::path(sysRoot) / "class" / "block" / BaseName(node));
  }
  if (dir.empty()) return dev;
  ReadSysBlock(dir, sysRoot, 4, dev);
  return dev;
}

int DriveTypeOf(const TMountEntry& m, const TBlockDevice& dev) {
  const std::string& t = m.FsType;
  if (t == "iso9660" || t == "udf" || dev.Cd) return dtCdRom;
  if (IsNetworkFsType(t)) return dtRemote;
  if (t == "tmpfs" || t == "ramfs") return dtRamDisk;
  if (dev.Found) return dev.Removable || dev.Usb ? dtRemovable : dtFixed;
  if (StartsWith(m.Source, "/dev/")) return dtFixed;  // a block device sysfs does not show
  return dtUnknown;
}

// ---- labels and serials ---------------------------------------------------------------------

std::string FormatVolumeSerial(uint32_t serial) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string s(9, '-');
  for (int i = 0; i < 8; ++i) s[i < 4 ? i : i + 1] = kHex[(serial >> (28 - 4 * i)) & 15];
  return s;
}

std::string SerialFromUuid(std::string_view fsType, std::string_view uuid) {
  std::string hex;
  for (char c : uuid)
    if (HexValue(c) >= 0) hex.push_back(c >= 'a' && c <= 'f' ? static_cast<char>(c - 32) : c);
  if (hex.empty()) return kNoSerialText;
  // NTFS keeps a 64-bit serial; Windows shows its low 32 bits, the last 8 of blkid's 16 digits.
  // ntfs-3g mounts say only "fuseblk"; their UUID is the telling 16 digits without dashes.
  bool ntfs = IsNtfsType(fsType) || (fsType == "fuseblk" && hex.size() == 16 && uuid.size() == 16);
  std::string digits;
  // FAT and exFAT UUIDs are the Windows serial "XXXX-XXXX" already: the general rule (the first
  // 8 digits) keeps them as they are.
  if (ntfs && hex.size() > 8)
    digits = hex.substr(hex.size() - 8);
  else
    digits = hex.substr(0, 8);
  if (digits.size() < 8) digits.insert(0, 8 - digits.size(), '0');
  return digits.substr(0, 4) + "-" + digits.substr(4);
}

std::string LabelFromMountPoint(std::string_view mp) {
  std::vector<std::string_view> parts;
  size_t pos = 0;
  while (pos < mp.size()) {
    size_t slash = mp.find('/', pos);
    if (slash == std::string_view::npos) slash = mp.size();
    if (slash > pos) parts.push_back(mp.substr(pos, slash - pos));
    pos = slash + 1;
  }
  if (parts.size() == 3 && parts[0] == "media") return std::string(parts[2]);
  if (parts.size() == 4 && parts[0] == "run" && parts[1] == "media") return std::string(parts[3]);
  return {};
}

std::string DecodeUdevEscapes(std::string_view name) {
  std::string out;
  out.reserve(name.size());
  for (size_t i = 0; i < name.size(); ++i) {
    if (name[i] == '\\' && i + 3 < name.size() && name[i + 1] == 'x') {
      int hi = HexValue(name[i + 2]), lo = HexValue(name[i + 3]);
      if (hi >= 0 && lo >= 0) {
        out.push_back(static_cast<char>(hi * 16 + lo));
        i += 3;
        continue;
      }
    }
    out.push_back(name[i]);
  }
  return out;
}

TError ProbeDeviceIds(const std::string& path, TDeviceIds& ids) {
  errno = 0;
  blkid_probe pr = blkid_new_probe_from_filename(path.c_str());
  if (!pr) return TError::Failure(errno ? std::strerror(errno) : "cannot open the device");
  blkid_probe_enable_superblocks(pr, 1);
  blkid_probe_set_superblocks_flags(pr, BLKID_SUBLKS_LABEL | BLKID_SUBLKS_UUID | BLKID_SUBLKS_TYPE);
  int rc = blkid_do_safeprobe(pr);
  std::string err;
  if (rc == 0) {
    const char* value = nullptr;
    size_t len = 0;
    // Lengths returned by libblkid count the terminating NUL.
    auto take = [&](const char* name, std::string& out) {
      if (blkid_probe_lookup_value(pr, name, &value, &len) == 0 && value)
        out.assign(value, ::strnlen(value, len));
    };
    take("LABEL", ids.Label);
    take("UUID", ids.Uuid);
    take("TYPE", ids.FsType);
  } else {
    err = rc == 1 ? "no file system found" : rc == -2 ? "ambiguous file system" : "probing failed";
  }
  blkid_free_probe(pr);
  return TError::Failure(err);
}

TDeviceIds ReadDeviceIds(const std::string& node, const TSystemView& view) {
  TDeviceIds ids;
  if (node.empty()) return ids;
  if (view.ProbeDevices && ProbeDeviceIds(node, ids).Ok()) return ids;
  ids = TDeviceIds();
  std::string real = node;
  char buf[PATH_MAX];
  if (::realpath(node.c_str(), buf)) real = buf;
  std::string base = BaseName(real);
  ids.Label = FindUdevLink(fs::path(view.DevDiskRoot) / "by-label", base);
  ids.Uuid = FindUdevLink(fs::path(view.DevDiskRoot) / "by-uuid", base);
  if (view.ProbeDevices && ids.Label.empty() && ids.Uuid.empty()) ReadBlkidCache(node, ids);
  return ids;
}

std::string VolumeSerialText(std::string_view fsType, const std::string& node,
                             std::string_view uuid, bool probe) {
  if (fsType == "iso9660" && probe && !node.empty()) {
    uint32_t serial = 0;
    if (ReadIsoSerial(node, CdLastSessionStart(node), serial).Ok())
      return FormatVolumeSerial(serial);
  }
  return SerialFromUuid(fsType, uuid);
}

TVolume DescribeVolume(const TMountEntry& m, const TSystemView& view) {
  TVolume v;
  v.Mount = m;
  v.Virtual = IsVirtualMount(m);
  TBlockDevice dev = LookupBlockDevice(m, view.SysRoot);
  if (dev.Found)
    v.DeviceNode = "/dev/" + dev.Name;
  else if (StartsWith(m.Source, "/dev/"))
    v.DeviceNode = m.Source;
  if (IsNetworkFsType(m.FsType))
    v.DriveType = dtRemote;  // no stat: an unreachable server would block the caller here
  else if (!IsDirectory(m.MountPoint))
    v.DriveType = dtNoRootDir;
  else
    v.DriveType = DriveTypeOf(m, dev);
  TDeviceIds ids = ReadDeviceIds(v.DeviceNode, view);
  v.Label = ids.Label;
  if (v.Label.empty()) {
    // An automounter names the mount point after the label, or after the UUID when there is
    // no label: a name equal to the UUID is no label.
    std::string fromPath = LabelFromMountPoint(m.MountPoint);
    if (strcasecmp(fromPath.c_str(), ids.Uuid.c_str()) != 0) v.Label = fromPath;
  }
  std::string_view fsType = m.FsType;
  if ((fsType == "fuseblk" || fsType == "fuse") && !ids.FsType.empty()) fsType = ids.FsType;
  v.SerialText = VolumeSerialText(fsType, v.DeviceNode, ids.Uuid, view.ProbeDevices);
  return v;
}

// ---- paths ----------------------------------------------------------------------------------

int FindContainingMount(const std::vector<TMountEntry>& mounts, std::string_view realPath) {
  int best = -1;
  size_t bestLen = 0;
  for (size_t i = 0; i < mounts.size(); ++i) {
    const std::string& mp = mounts[i].MountPoint;
    if (!IsAtOrBelow(realPath, mp)) continue;
    if (best < 0 || mp.size() >= bestLen) {
      best = static_cast<int>(i);
      bestLen = mp.size();
    }
  }
  return best;
}

std::string PathBelowMount(std::string_view mountPoint, std::string_view realPath,
                           bool backslashes) {
  std::string_view rest;
  if (mountPoint == "/")
    rest = realPath;
  else if (IsAtOrBelow(realPath, mountPoint))
    rest = realPath.substr(mountPoint.size());
  while (!rest.empty() && rest.front() == '/') rest.remove_prefix(1);
  while (!rest.empty() && rest.back() == '/') rest.remove_suffix(1);
  std::string out(rest);
  if (backslashes) std::replace(out.begin(), out.end(), '/', '\\');
  return out;
}

TError ResolveRealPath(const std::string& path, std::string& resolved) {
  char* r = ::realpath(path.c_str(), nullptr);
  if (!r) return TError::Failure(std::strerror(errno));
  resolved = r;
  std::free(r);
  return {};
}

int VolumeSpace(const std::string& path, int64_t& capacity, int64_t& freeBytes) {
  struct statvfs st;
  if (::statvfs(path.c_str(), &st) != 0) return errno;
  auto bytes = [&](unsigned long long blocks) -> int64_t {
    unsigned long long unit = st.f_frsize ? st.f_frsize : st.f_bsize;
    if (unit != 0 && blocks > static_cast<unsigned long long>(INT64_MAX) / unit) return INT64_MAX;
    return static_cast<int64_t>(blocks * unit);
  };
  capacity = bytes(st.f_blocks);
  freeBytes = bytes(st.f_bavail);
  return 0;
}

bool IsHiddenMount(const std::vector<TMountEntry>& mounts, size_t i) {
  for (size_t j = i + 1; j < mounts.size(); ++j)
    if (mounts[j].MountPoint == mounts[i].MountPoint) return true;
  return false;
}
