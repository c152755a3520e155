// SPDX-License-Identifier: MIT
// Tolvane's own reader of the version resource of Windows executables (PE32 and PE32+: EXE,
// DLL, SYS, OCX, ...), standing in for the Win32 version API on every platform.
//
// The resource is found through the PE headers: the resource directory (data directory 2) is
// walked type 16 (RT_VERSION) -> name (id 1, else the first) -> first language -> data entry,
// whose RVA is mapped to a file offset through the section table. The data is a VS_VERSIONINFO
// block tree of 16-bit little-endian records {wLength, wValueLength, wType, UTF-16 key, padding
// to 4 bytes, value, padding, children}: "StringFileInfo" holds one string table per
// translation, keyed by 8 hexadecimal digits (language and code page), with the named strings;
// "VarFileInfo" holds "Translation", an array of (language, code page) word pairs.
//
// Every offset and length read from the file is checked against the data before use; a file
// that lies about them gives an error text, never a read outside the data. Only header bytes
// and the resource itself are read. Pure functions, usable from any thread.
#pragma once

#include <string>
#include <string_view>

#include "platform/Error.h"

class TByteSource;

// The values of a version resource. A value the resource does not have (or has empty) reads
// "n/a"; texts are UTF-8.
struct FileVersionInfo {
  std::string fileName;      // the name it was read from
  std::string LanguageInfo;  // language and code page of the first translation, "040904B0"
  std::string CompanyName = "n/a";
  std::string FileDescription = "n/a";
  std::string FileVersion = "n/a";
  std::string InternalName = "n/a";
  std::string LegalCopyright = "n/a";
  std::string OriginalFilename = "n/a";
  std::string ProductName = "n/a";
  std::string ProductVersion = "n/a";
  std::string Comments = "n/a";
};

// Reads the version resource of the file at `path` into `info` (reset first). Fails with one of
// the error texts "File not found: " + path,
// "Invalid version info record in file " + path (no version resource: also for files that are
// not PE executables or cannot be read) and "Invalid language info in file " + path (the
// translation table holds fewer than 4 bytes).
TError ReadFileVersionInfo(const std::string& path, FileVersionInfo& info);

// As ReadFileVersionInfo over bytes already in memory; `name` is used in the error texts.
TError FileVersionInfoFromBytes(std::string_view bytes, const std::string& name,
                                FileVersionInfo& info);

// As ReadFileVersionInfo over any source (which must be Ok()).
TError FileVersionInfoFromSource(const TByteSource& source, const std::string& name,
                                 FileVersionInfo& info);
