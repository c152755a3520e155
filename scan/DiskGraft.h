// SPDX-License-Identifier: MIT
// The window-free half of adding and updating a disk: the scan settings taken from the settings
// store, the update carry-over of the disk's own fields, and grafting the scanned disk into a
// catalog of bdMain. The add-disk dialog and tolvane-cli both run a scan this way:
//
//   PrepareDiskHeader(bdDisk, folder, name)        scan/VolumeInfo.h
//   [update: CarryDiskFields(old disk -> bdDisk); scan.TakeOldDisk(bdMain at the old disk)]
//   TFileScan scan(bdDisk, folder, MakeScanSettings(bdOpt, ...)); scan.Run() or Start()/Join()
//   if (scan.Completed()) GraftNewDisk(...) or ReplaceDisk(...)
//
// Threads: GUI thread (bdMain, bdOpt); only the scan itself runs on the worker.
#pragma once

#include "scan/FileScan.h"
#include "store/QDBase.h"

// The settings of a scan from bdOpt: the description rule table (a copy of root slot 13), the
// archive type table (root slot 11), and the switches given.
TScanSettings MakeScanSettings(const TQDBase& bdOpt, bool importDescriptions, bool scanArchives,
                               bool updateMode = false,
                               TUpdateDescMode updateDescMode = TUpdateDescMode::Keep);

// Update mode, before the scan: copies the old disk's location (header slot 20) and category byte
// into the new header at bdDisk's root, and unless `updateDescMode` is DeleteAll its description.
void CarryDiskFields(const TNodeRec* oldDisk, TQDBase& bdDisk, TUpdateDescMode updateDescMode);

// Moves the disk at bdDisk's root as the last item of the container `destination` (a catalog or
// group of bdMain) under a name unique among its container items, recomputes the catalog's
// totals and marks it modified. bdDisk is left empty. Returns the new disk node; bdMain's cursor
// is left on it.
TNodeRec* GraftNewDisk(TQDBase& bdMain, TNodeRec* destination, TQDBase& bdDisk);

// Update mode, after a completed scan: every slot of `oldDisk` is deleted (its nodes leave every
// mark list) and the scanned slots appended in their place, so the disk node itself (and its
// user-list membership) stays. The name stays as typed when it equals the old name ignoring
// case, otherwise it is made unique. Totals recomputed, catalog marked modified, bdDisk emptied.
void ReplaceDisk(TQDBase& bdMain, TNodeRec* oldDisk, TQDBase& bdDisk);
