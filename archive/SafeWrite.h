// SPDX-License-Identifier: MIT
// Writing extracted entries only inside the target folder. A stored path is reduced to plain
// relative components; a path that climbs out (".." components) is refused. Folders below the
// target are created and opened one level at a time without following symbolic links, so an
// existing link (from an earlier entry or already on disk) is never written through. A file is
// written under a temporary name in its final folder and renamed over the final name only when
// complete. Thread-safe for distinct targets.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Error.h"

// Splits `stored` (separators "\" and "/") into components, dropping empty and "." components
// and a leading drive ("C:"), so that absolute paths become relative. Fails with an error text when
// a component is "..", or when nothing is left; `parts` holds the components otherwise.
TError SafeRelativeParts(std::string_view stored, std::vector<std::string>& parts);

// Produces the data of a file: fills up to `len` bytes, returns the count, 0 at the end, -1 on
// an error.
using TDataSource = std::function<int64_t(void* buf, size_t len)>;

struct TWriteOptions {
  double DateTime = 0.0;  // modification time to set (local date-time double); 0 leaves it
  bool ReadOnly = false;  // remove the write permissions
};

// Creates the folders `parts` below the existing folder `target`. Fails with the error text.
TError SafeMakeFolders(const std::string& target, const std::vector<std::string>& parts);

// Writes a file at `parts` below `target` (its folders created as by SafeMakeFolders) from
// `data`. An existing file of that name is replaced; an existing folder is not. Fails with the
// error text; on failure nothing is left behind but created folders.
TError SafeWriteFile(const std::string& target, const std::vector<std::string>& parts,
                     const TDataSource& data, const TWriteOptions& options);
