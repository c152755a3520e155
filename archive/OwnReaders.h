// SPDX-License-Identifier: MIT
// Listing readers of our own for the old DOS archive formats that libarchive does not read:
// ARJ, ARC and PAK, ZOO, HA and ACE. They walk the archive's headers only (nothing is
// decompressed), check every length against the size of the source, and always move forward,
// so a damaged or hostile file ends the listing with an error text instead of a crash or a loop.
// Thread-safe as long as each thread uses its own TArcSource.
#pragma once

#include <cstdint>
#include <string>

#include "archive/ArcSource.h"
#include "archive/ArchiveEntry.h"
#include "platform/Error.h"

// Each lists the archive that begins at byte `start` of `src`, calling `sink` once per entry in
// the archive's order. Returns the empty string when the listing reached the archive's end (or
// the sink stopped it), otherwise the reason ("truncated header"...). Entries reported before a
// failure stay reported.
TError ListArj(const TArcSource& src, uint64_t start, const TEntrySink& sink);
TError ListArc(const TArcSource& src, uint64_t start, const TEntrySink& sink);  // ARC, PAK
TError ListZoo(const TArcSource& src, uint64_t start, const TEntrySink& sink);
TError ListHa(const TArcSource& src, uint64_t start, const TEntrySink& sink);
TError ListAce(const TArcSource& src, uint64_t start, const TEntrySink& sink);

// Signature checks used to recognise a format at `offset` (the start of a file, or a place inside
// a self-extractor). They look at the first header only; true iff it is well formed.
bool ProbeArj(const TArcSource& src, uint64_t offset);
// ARC or PAK; `isPak` tells whether a PAK-only method was seen in the first entry.
bool ProbeArc(const TArcSource& src, uint64_t offset, bool* isPak);
bool ProbeZoo(const TArcSource& src, uint64_t offset);
bool ProbeHa(const TArcSource& src, uint64_t offset);
bool ProbeAce(const TArcSource& src, uint64_t offset);

// CRC-32 (IEEE, reflected), as ARJ and ZIP use it.
uint32_t ArcCrc32(const void* data, size_t len);
