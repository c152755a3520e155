// SPDX-License-Identifier: MIT
// The header and trailer of a gzip member (RFC 1952): the stored file name, the modification
// time and the size of the uncompressed data modulo 2^32. Thread-safe.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "archive/ArcSource.h"

struct TGzipInfo {
  std::string StoredName;  // FNAME as UTF-8 (Latin-1 when not valid UTF-8); empty when absent
  uint32_t MTime = 0;      // Unix seconds; 0 when not stored
  uint32_t ISize = 0;      // uncompressed size modulo 2^32, from the last 4 bytes
};

// Reads the header at `start`; false when it is not a gzip header or is truncated.
bool ReadGzipHeader(const TArcSource& src, uint64_t start, TGzipInfo& info);

// The name of the single entry of a plain .gz file: the stored name, else the archive's file
// name without ".gz" ("x.tgz" gives "x.tar"; a name without either gets nothing removed).
std::string GzipEntryName(const TGzipInfo& info, std::string_view archiveName);
