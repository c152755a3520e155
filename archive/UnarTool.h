// SPDX-License-Identifier: MIT
// The optional external tools of the unar package: `lsar -j` lists, and `unar` extracts,
// formats that no reader of ours extracts (ARJ, ARC, PAK, ZOO, HA, ACE...). Both are started
// without a shell. When they are missing the functions return a clear error text. Thread-safe.
#pragma once

#include <string>
#include <vector>

#include "archive/ArchiveEntry.h"

// Lists `archivePath` with lsar. `indexes` (when not null) receives lsar's index of every entry
// reported, in the same order. Returns the error text, empty on success.
std::string LsarList(const std::string& archivePath, const TEntrySink& sink,
                     std::vector<int>* indexes = nullptr);

// Extracts the entries of `archivePath` with the given lsar indexes into the existing folder
// `outDir` (which should be a fresh, private folder: unar writes there with the stored folder
// structure). Returns the error text, empty on success.
std::string UnarExtract(const std::string& archivePath, const std::vector<int>& indexes,
                        const std::string& outDir);

// Turns lsar's JSON output into entries (exposed for tests). Returns the error text.
std::string ParseLsarJson(const std::string& json, const TEntrySink& sink, std::vector<int>* indexes);
