// SPDX-License-Identifier: MIT
// Recognising an archive's format from its first bytes, and finding the archive inside a
// self-extractor (an archive appended to a DOS or Windows program). Thread-safe for distinct
// sources.
#pragma once

#include <cstdint>
#include <string_view>

#include "archive/ArcSource.h"
#include "archive/ArcType.h"

struct TArcDetection {
  int32_t Type = atUnknown;
  uint64_t Offset = 0;  // where the archive begins (non-zero inside a self-extractor)
};

// Examines `src`. `fileName` only tells apart formats that share a signature (ZIP and JAR,
// LHA and LZH, ARC and PAK). Never fails: a source that matches no signature is atUnknown.
TArcDetection DetectArchive(const TArcSource& src, std::string_view fileName);

// atIso9660 or atUdf when `src` holds the volume descriptors of a disc image, else atUnknown.
int32_t DiscImageType(const TArcSource& src);

// The end of the program image of a DOS or PE executable at the start of `src` (the offset of
// its first byte after the last section), or 0 when `src` is not such a program.
uint64_t ProgramImageEnd(const TArcSource& src);

// True iff the 512 bytes at `p` are a tar header (ustar magic or a valid checksum).
bool IsTarHeader(const unsigned char* p);
