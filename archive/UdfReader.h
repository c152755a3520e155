// SPDX-License-Identifier: MIT
// Listing of UDF disc images (DVD and Blu-ray images without an ISO 9660 file system, which
// libarchive reads) through libcdio's UDF reader. libcdio opens images by name only: a file
// source is handed over as /proc/self/fd/N of its own descriptor (the file the walk opened,
// never a path that could have changed since), bytes in memory through an anonymous memory file.
//
// Bounds: at most kMaxArchiveEntries entries and 64 folder levels (a damaged image whose folder
// points back at its parent ends there); libcdio reads only the descriptors and folders it walks.
// libcdio's messages are sent nowhere. Each call opens its own image: thread-safe for distinct
// sources.
#pragma once

#include "archive/ArcSource.h"
#include "archive/ArchiveEntry.h"
#include "platform/Error.h"

// Lists the image of `src` (it starts at offset 0), calling `sink` once per entry, folders
// before their contents. Fails with the reason when libcdio cannot open the image as UDF.
TError ListUdf(const TArcSource& src, const TEntrySink& sink);
