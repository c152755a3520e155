// SPDX-License-Identifier: MIT
// Volume information for the add-disk workflow: what a drive (a mount point, or any folder of
// a mounted volume) reports, the disk header built from it, and the list of drives the add-disk
// dialog offers.
//
// Threads: any; the functions read the system's mount table and devices each time they are
// called and keep no state. PrepareDiskHeader writes only the store it is given.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/Volumes.h"
#include "store/QDBase.h"

// What ReadVolumeInfo reports.
struct TVolumeInfo {
  int ErrorCode = 0;  // 0 on success, else the errno of the failure
  int DriveType = dtUnknown;
  std::string Label;                       // empty on failure
  std::string SerialText = kNoSerialText;  // "0000-0000" on failure
  std::string MountPoint;                  // the root of the volume that holds the drive's folder
  std::string SubFolder;  // that folder relative to MountPoint, "\"-separated; empty for the root
};

// Volume information of `drive`, a mount point or any folder of a mounted volume (symbolic
// links resolved). A folder that does not exist gives ENOENT and drive type 1 (no root
// directory); a volume that cannot be read (a dead network mount, a stale handle) gives the
// error of statvfs. On failure the label is empty and the serial text "0000-0000".
TVolumeInfo ReadVolumeInfo(const std::string& drive, const TSystemView& view = TSystemView());

// Clears `bdDisk` and builds the disk header of its root for scanning `folder` (a mount point
// or a folder of a volume): slot 0 `diskName`, 1 ikDisk (3), 2-3 total 0, 6-7 `now`, 8 empty
// description, 12 drive type, 13-14 capacity, 15-16 free bytes for the user, 17 label,
// 18 serial text, 19 `folder` relative to its volume root without leading or trailing "\"
// (empty for the whole volume), 20 location 0. `now` is a date-time double (days since
// 30.12.1899, local time). Returns 0, or the error code of ReadVolumeInfo or of the space
// query; on failure `bdDisk` stays empty. The cursor of `bdDisk` is left at its root.
int PrepareDiskHeader(TQDBase& bdDisk, const std::string& folder, std::string_view diskName,
                      double now, const TSystemView& view = TSystemView());
// The same with the current local time.
int PrepareDiskHeader(TQDBase& bdDisk, const std::string& folder, std::string_view diskName);

// The drives the add-disk dialog shows, sorted by mount point: every mounted volume except the
// system's virtual ones and bind-mounted single files, always including the volume that holds
// `homeFolder` (the user's home folder when empty); each mount point once (the visible, last
// mount). CD/DVD drives without a mounted medium follow, with an empty mount point, their device
// node and drive type 5, so that the dialog can close their tray.
std::vector<TVolume> ListDrives(const TSystemView& view = TSystemView(),
                                const std::string& homeFolder = std::string());
