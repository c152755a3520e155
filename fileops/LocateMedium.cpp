// SPDX-License-Identifier: MIT
#include "fileops/LocateMedium.h"

#include <algorithm>

#include "catalog/CatalogLayout.h"
#include "catalog/ItemLabels.h"
#include "fileops/ProgressCopy.h"

std::vector<TVolume> MountedVolumes(const TSystemView& view) {
  std::vector<TMountEntry> mounts;
  if (ReadMountTable(view, mounts).Failed()) return {};
  std::vector<TVolume> out;
  for (size_t i = 0; i < mounts.size(); ++i) {
    const TMountEntry& m = mounts[i];
    if (IsHiddenMount(mounts, i)) continue;  // a later mount at the same point
    if (IsVirtualMount(m) && m.FsType != "tmpfs" && m.FsType != "ramfs") continue;
    TVolume v = DescribeVolume(m, view);
    if (v.DriveType == dtNoRootDir) continue;
    out.push_back(std::move(v));
  }
  std::stable_sort(out.begin(), out.end(), [](const TVolume& a, const TVolume& b) {
    return a.Mount.MountPoint < b.Mount.MountPoint;
  });
  return out;
}

TMediumId MediumIdOf(const TNodeRec* disk) {
  TMediumId id;
  if (!disk) return id;
  const TNodeRec* h = FieldNode(disk);
  id.DriveType = FieldInt(h, kDiskDriveType);
  id.Label = FieldStr(h, kDiskLabel);
  id.Serial = FieldStr(h, kDiskSerial);
  id.SubFolder = FieldStr(h, kDiskSubFolder);
  return id;
}

namespace {
bool NoSerial(const std::string& serial) { return serial.empty() || serial == kNoSerialText; }
}  // namespace

bool IsUnidentifiedMedium(const TMediumId& id) { return id.Label.empty() && NoSerial(id.Serial); }

bool VolumeMatches(const TVolume& volume, const TMediumId& id) {
  return !IsUnidentifiedMedium(id) && !volume.Mount.MountPoint.empty() &&
         volume.DriveType == id.DriveType && volume.Label == id.Label &&
         volume.SerialText == id.Serial;
}

std::vector<std::string> MediumCandidates(const std::vector<TVolume>& volumes,
                                          const TMediumId& id) {
  std::vector<std::string> out;
  for (const TVolume& v : volumes) {
    std::string path;
    if (v.Mount.MountPoint.empty() || v.DriveType != id.DriveType || !v.Label.empty() ||
        !NoSerial(v.SerialText) || !MediumRootPath(v, id, path) || !IsRealFolder(path))
      continue;
    if (std::find(out.begin(), out.end(), path) == out.end()) out.push_back(path);
  }
  return out;
}

TInsertDiskInfo InsertDiskInfoOf(const TNodeRec* disk) {
  TInsertDiskInfo info;
  if (!disk) return info;
  const TNodeRec* h = FieldNode(disk);
  info.Name = FieldStr(h, kFieldName);
  info.DriveType = FieldInt(h, kDiskDriveType);
  info.TypeText = DriveTypeText(info.DriveType);
  info.Label = FieldStr(h, kDiskLabel);
  info.Serial = FieldStr(h, kDiskSerial);
  int location = FieldInt(h, kHdrLocation);
  info.LocationText =
      location == 0 ? std::string("-") : std::string(LocationNameOf(CatalogNodeOf(disk), location));
  return info;
}

bool MediumRootPath(const TVolume& volume, const TMediumId& id, std::string& root) {
  std::string mount = volume.Mount.MountPoint;
  if (mount.empty() || mount.back() != '/') mount += '/';
  // The recorded sub-folder has no leading or trailing "\"; be lenient with ones that do.
  std::string_view sub = id.SubFolder;
  while (!sub.empty() && sub.front() == '\\') sub.remove_prefix(1);
  while (!sub.empty() && sub.back() == '\\') sub.remove_suffix(1);
  if (!RealPathBelow(mount, sub, root)) return false;
  if (root.back() != '/') root += '/';
  return true;
}

int LocateMedium(const TNodeRec* item, const TVolumeLister& volumes, TFileOpsUi& ui,
                 bool skipAllowed, std::string& root) {
  const TNodeRec* disk = DiskNodeOf(item);
  if (!disk) return kInsertCancel;
  TMediumId id = MediumIdOf(disk);
  for (;;) {
    std::string first;
    std::vector<TVolume> list = volumes ? volumes() : MountedVolumes();
    for (const TVolume& v : list) {
      std::string path;
      if (!VolumeMatches(v, id) || !MediumRootPath(v, id, path)) continue;
      if (id.SubFolder.empty() || IsRealFolder(path)) {
        root = path;
        return kInsertOk;
      }
      if (first.empty()) first = path;
    }
    if (!first.empty()) {
      root = first;
      return kInsertOk;
    }
    TInsertDiskInfo info = InsertDiskInfoOf(disk);
    if (IsUnidentifiedMedium(id)) {
      info.Unidentified = true;
      info.Candidates = MediumCandidates(list, id);
    }
    std::string chosen;
    int answer = ui.AskInsertDisk(info, skipAllowed, chosen);
    if (answer != kInsertOk)
      return answer == kInsertSkip && skipAllowed ? kInsertSkip : kInsertCancel;
    if (!chosen.empty() && IsRealFolder(chosen)) {
      root = chosen;
      if (root.back() != '/') root += '/';
      return kInsertOk;
    }
  }
}
