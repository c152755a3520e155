// SPDX-License-Identifier: MIT
#include "scan/VolumeInfo.h"

#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <filesystem>

namespace {

constexpr int32_t kIkDisk = 3;

// The current local time as a date-time double.
double LocalNow() {
  std::time_t t = std::time(nullptr);
  std::tm tm{};
  localtime_r(&t, &tm);
  // Days from 30.12.1899 to the civil date (proleptic Gregorian).
  auto daysFromCivil = [](int y, int m, int d) -> long {
    y -= m <= 2;
    long era = (y >= 0 ? y : y - 399) / 400;
    long yoe = y - era * 400;
    long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;  // days since 1970-01-01
  };
  long days = daysFromCivil(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday) + 25569;
  return static_cast<double>(days) + (tm.tm_hour * 3600.0 + tm.tm_min * 60.0 + tm.tm_sec) / 86400.0;
}

std::string HomeFolder() {
  if (const char* h = std::getenv("HOME"); h && *h) return h;
  if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir) return pw->pw_dir;
  return {};
}

}  // namespace

TVolumeInfo ReadVolumeInfo(const std::string& drive, const TSystemView& view) {
  TVolumeInfo info;
  std::string real;
  if (ResolveRealPath(drive, real).Failed()) {
    info.ErrorCode = errno ? errno : ENOENT;
    info.DriveType = dtNoRootDir;
    return info;
  }
  std::vector<TMountEntry> mounts;
  if (ReadMountTable(view, mounts).Failed()) {
    info.ErrorCode = errno ? errno : EIO;
    return info;
  }
  int i = FindContainingMount(mounts, real);
  if (i < 0) {
    info.ErrorCode = ENOENT;
    return info;
  }
  const TMountEntry& m = mounts[static_cast<size_t>(i)];
  info.MountPoint = m.MountPoint;
  info.SubFolder = PathBelowMount(m.MountPoint, real, true);
  TVolume v = DescribeVolume(m, view);
  info.DriveType = v.DriveType;
  int64_t capacity = 0, freeBytes = 0;
  if (int err = VolumeSpace(real, capacity, freeBytes); err != 0) {
    info.ErrorCode = err;
    return info;
  }
  info.Label = v.Label;
  info.SerialText = v.SerialText;
  return info;
}

int PrepareDiskHeader(TQDBase& bdDisk, const std::string& folder, std::string_view diskName,
                      double now, const TSystemView& view) {
  bdDisk.Clear();
  TVolumeInfo info = ReadVolumeInfo(folder, view);
  if (info.ErrorCode != 0) return info.ErrorCode;
  int64_t capacity = 0, freeBytes = 0;
  if (int err = VolumeSpace(folder, capacity, freeBytes); err != 0) return err;
  bdDisk.GoToNode(bdDisk.RootNode());
  bdDisk.EnterChild(0);
  bdDisk.SetStr(0, diskName);
  bdDisk.SetInt(1, kIkDisk);
  bdDisk.SetInt64(2, 0);
  bdDisk.SetFloat(6, now);
  bdDisk.SetStr(8, "");
  bdDisk.SetInt(12, info.DriveType);
  bdDisk.SetInt64(13, capacity);
  bdDisk.SetInt64(15, freeBytes);
  bdDisk.SetStr(17, info.Label);
  bdDisk.SetStr(18, info.SerialText);
  bdDisk.SetStr(19, info.SubFolder);
  bdDisk.SetInt(20, 0);
  bdDisk.Up();
  return 0;
}

int PrepareDiskHeader(TQDBase& bdDisk, const std::string& folder, std::string_view diskName) {
  return PrepareDiskHeader(bdDisk, folder, diskName, LocalNow());
}

std::vector<TVolume> ListDrives(const TSystemView& view, const std::string& homeFolder) {
  std::vector<TVolume> drives;
  std::vector<TMountEntry> mounts;
  if (ReadMountTable(view, mounts).Failed()) mounts.clear();

  std::string home = homeFolder.empty() ? HomeFolder() : homeFolder;
  std::string realHome;
  int homeMount = -1;
  if (!home.empty() && ResolveRealPath(home, realHome).Ok())
    homeMount = FindContainingMount(mounts, realHome);

  for (size_t i = 0; i < mounts.size(); ++i) {
    const TMountEntry& m = mounts[i];
    if (IsHiddenMount(mounts, i)) continue;  // a later mount at the same point
    if (IsVirtualMount(m) && static_cast<int>(i) != homeMount) continue;
    TVolume v = DescribeVolume(m, view);
    if (v.DriveType == dtNoRootDir) continue;  // a bind-mounted file, or the folder is gone
    drives.push_back(std::move(v));
  }
  std::sort(drives.begin(), drives.end(), [](const TVolume& a, const TVolume& b) {
    return a.Mount.MountPoint < b.Mount.MountPoint;
  });

  // Optical drives without a mounted medium.
  namespace fs = std::filesystem;
  std::vector<std::string> empty;
  std::error_code ec;
  fs::directory_iterator it(fs::path(view.SysRoot) / "block", ec), end;
  for (; !ec && it != end; it.increment(ec)) {
    std::string name = it->path().filename().string();
    if (name.rfind("sr", 0) != 0) continue;
    std::string node = "/dev/" + name;
    bool mounted = std::any_of(drives.begin(), drives.end(),
                               [&](const TVolume& v) { return v.DeviceNode == node; });
    if (!mounted) empty.push_back(node);
  }
  std::sort(empty.begin(), empty.end());
  for (const std::string& node : empty) {
    TVolume v;
    v.DeviceNode = node;
    v.DriveType = dtCdRom;
    drives.push_back(std::move(v));
  }
  return drives;
}
