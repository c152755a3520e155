// SPDX-License-Identifier: MIT
// Listing and extraction through libarchive for ZIP/JAR, RAR, CAB, LHA/LZH, TAR, gzip-compressed
// TAR, 7z and ISO 9660 images, on a byte range of a TArcSource (a whole file, or the archive inside
// a self-extractor). Only the reader of the expected format is enabled, so a file is never read as
// some other format by accident. libarchive needs a UTF-8 LC_CTYPE for non-ASCII names (the
// program and the tests set C.UTF-8). Each call uses its own libarchive handle: thread-safe for
// distinct sources.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "archive/ArcSource.h"
#include "archive/ArchiveEntry.h"
#include "platform/Error.h"

struct archive;

// True iff libarchive reads archives of type `type` (a TArcType code).
bool LibArchiveReadsType(int32_t type);

// Lists the archive of type `type` that starts at `start` of `src`. Fails with the error text;
// entries reported before a failure stay reported.
TError LibArchiveList(const TArcSource& src, uint64_t start, int32_t type, const TEntrySink& sink);

// Called for each entry during an extraction pass: decides from the entry (as listed) whether to
// read its data; when it returns true, `write` is handed the data reader: a function that fills
// up to `len` bytes and returns the count, 0 at the end, or -1 on an error.
using TDataReader = std::function<int64_t(void* buf, size_t len)>;
using TEntryVisitor = std::function<bool(const TArchiveEntry& entry, const TDataReader& data)>;

// Walks the archive once, calling `visit` for each entry. Fails with the error text of a failure
// of the archive itself. The visitor returns false to stop the walk.
TError LibArchiveWalk(const TArcSource& src, uint64_t start, int32_t type,
                      const TEntryVisitor& visit);
