// SPDX-License-Identifier: MIT
// The optional external tools of the unar package: `lsar -j` lists, and `unar` extracts,
// formats that no reader of ours extracts (ARJ, ARC, PAK, ZOO, HA, ACE...). Both are started
// without a shell. When they are missing the functions return a clear error text. Thread-safe.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "archive/ArchiveEntry.h"
#include "platform/Error.h"

// Lists `archivePath` with lsar. `indexes` (when not null) receives lsar's index of every entry
// reported, in the same order. Fails with the error text.
TError LsarList(const std::string& archivePath, const TEntrySink& sink,
                std::vector<int>* indexes = nullptr);

// Extracts the entry with the lsar index `index` of `archivePath` and hands its data to
// `write`, which pulls it through the given reader (0 at the end, -1 on an error) and returns its
// own success or failure. Fails with the error text.
TError UnarExtractEntry(
    const std::string& archivePath, int index,
    const std::function<TError(const std::function<int64_t(void*, size_t)>&)>& write);

// Turns lsar's JSON output into entries (exposed for tests). Fails with the error text.
TError ParseLsarJson(const std::string& json, const TEntrySink& sink, std::vector<int>* indexes);
