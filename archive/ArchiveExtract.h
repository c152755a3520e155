// SPDX-License-Identifier: MIT
// Extracting entries of an archive for the file operations: one entry spec (a file, or a folder
// with everything below it) into a target folder, with or without the stored folder structure.
// libarchive extracts what it reads; the optional `unar` tool extracts the other formats.
// Nothing is ever written outside the target folder: entries with ".." components are refused,
// absolute paths are taken as relative to the target, symbolic and hard links are not
// extracted, and existing links below the target are never written through. Each file is
// written under a temporary name and renamed when complete.
//
// GUI thread (or any one thread per TZipTV).
#pragma once

#include <cstdint>
#include <string>

#include "archive/ZipTV.h"

struct TExtractResult {
  // 0 success (at least one file written, no error); -1 an error (Error says which; Files may
  // still count what was written); -2 no extractor for the archive's format; -3 nothing matched.
  int Code = 0;
  int Files = 0;      // files written
  int64_t Bytes = 0;  // their sizes
  std::string Error;  // the reason when Code is not 0
};

// Extracts `entrySpec` (a path inside the archive with "\" separators, as listed, without a
// trailing "\") from `archiveFile` into the existing folder `targetFolder`. `reader` is pointed
// at `archiveFile` unless it already is. With `withFolders` an entry is written at its full path
// below the target; without, every file matched is written directly into the target.
TExtractResult ExtractEntry(TZipTV& reader, const std::string& archiveFile,
                            const std::string& entrySpec, bool withFolders,
                            const std::string& targetFolder);
