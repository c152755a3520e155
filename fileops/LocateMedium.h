// SPDX-License-Identifier: MIT
// Finding the medium of a disk: before a real file behind a catalog item is touched, the mounted
// volume that holds the medium the item was scanned from is looked up by what the disk header
// recorded (drive type slot 12, volume label slot 17, serial text slot 18), and the user is
// asked to insert it while it is missing. Capacity, free space and contents are never compared:
// another medium with the same type, label and serial is taken for the disk. A disk that
// records neither a label nor a serial (RAM disks, many network shares) matches no volume: any
// volume of its type would pass for it, so the user is always asked, with the volumes that
// could hold it offered as candidates.
//
// GUI thread (the prompt is modal); the volume list is read afresh on every call.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "fileops/FileOpsUi.h"
#include "platform/Volumes.h"
#include "store/QDBase.h"

// Lists the volumes that may hold a medium, in the order they are tried.
using TVolumeLister = std::function<std::vector<TVolume>()>;

// The mounted volumes of the running system sorted by mount point: every visible mount (the
// last one at a mount point) except the system's virtual file systems (tmpfs and ramfs are
// kept: they are RAM disks a user may have catalogued) and mounts whose folder is gone.
std::vector<TVolume> MountedVolumes(const TSystemView& view = TSystemView());

// The identity of a medium as a disk header records it.
struct TMediumId {
  int DriveType = 0;
  std::string Label;
  std::string Serial;
  std::string SubFolder;  // the scanned folder, "\"-separated, relative to the volume root

  bool operator==(const TMediumId&) const = default;
};

// The identity recorded in the header of `disk` (a node of kind ikDisk).
TMediumId MediumIdOf(const TNodeRec* disk);

// True iff the header records neither a label nor a serial (empty or "0000-0000").
bool IsUnidentifiedMedium(const TMediumId& id);

// True iff the volume carries the medium: the same drive type, and the label and serial text
// equal byte for byte (the label case-sensitively). An unidentified medium matches no volume.
bool VolumeMatches(const TVolume& volume, const TMediumId& id);

// The volumes of `volumes` that could hold the unidentified medium `id`: the same drive type,
// no label and no serial, and the scanned folder present. Each is given as the folder that
// stands for the disk's top (mount point plus scanned folder, ending in "/"), in list order.
std::vector<std::string> MediumCandidates(const std::vector<TVolume>& volumes, const TMediumId& id);

// What the insert-disk prompt shows for `disk`: its name, drive type and its text, and the name
// of its location in its catalog's list ("-" when it has none).
TInsertDiskInfo InsertDiskInfoOf(const TNodeRec* disk);

// Locates the medium of the disk of `item` (the nearest disk above it, or the item itself).
// The volumes are tried in the lister's order; of the matching ones the first whose scanned
// sub-folder exists wins (the same file system may be mounted at several points, and only some
// show the folder), else the first matching one. While none matches (always, for an
// unidentified medium, whose candidates the prompt lists) the user is asked
// (`ui.AskInsertDisk` with `skipAllowed`); OK searches again, or, when the user chose a
// folder, takes that folder as the disk's top if it exists (else asks again).
// Returns kInsertOk with `root` = the mount point, the scanned sub-folder, and a trailing "/";
// otherwise the user's answer (kInsertSkip, kInsertCancel). An item without a disk, or a disk
// whose recorded sub-folder climbs out of its volume (".." components), is never found.
int LocateMedium(const TNodeRec* item, const TVolumeLister& volumes, TFileOpsUi& ui,
                 bool skipAllowed, std::string& root);

// The root path for `id` on a matching volume: false when the recorded sub-folder is unsafe.
bool MediumRootPath(const TVolume& volume, const TMediumId& id, std::string& root);
