// SPDX-License-Identifier: MIT
// One entry of an archive listing as every reader reports it, and the callback through which
// readers report entries. Plain data; thread-safe.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "catalog/CatalogLayout.h"  // attribute bits kAttrReadOnly .. kAttrArchive

struct TArchiveEntry {
  // The path inside the archive as stored (UTF-8), folder names separated by "\"; a folder entry
  // ends with "\". Absolute paths and ".." components are reported as they are.
  std::string Path;
  int64_t Size = 0;       // unpacked size in bytes
  double DateTime = 0.0;  // local date-time double (days since 30.12.1899); 0 when unknown
  uint8_t Attr = 0;       // low byte of the attributes; kAttrDirectory on folder entries
  bool IsFolder = false;  // the entry is a folder of its own
  bool IsLink = false;    // a symbolic or hard link (listed; never extracted)
};

// Receives one entry; returns false to stop the listing early.
using TEntrySink = std::function<bool(const TArchiveEntry&)>;
