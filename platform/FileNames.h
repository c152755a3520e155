// SPDX-License-Identifier: MIT
// Pieces of file names: the safe form of a name for a file system, and the name/extension split.
// Pure functions of their arguments.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Every character below 32 and each of  " * / : < > ? \ |  replaced by "_"; bytes of 128 and above
// (UTF-8 sequences) are kept.
std::string SafeFileName(std::string_view name);
// The index of the "." that starts the extension of the final component of `name` (after the last
// "/" or "\"), or npos. It is the component's last "." unless that belongs to the dots the
// component begins with: ".profile", ".", ".." and "..x" have no extension, ".tar.gz" has "gz",
// "a." an empty one. Every name/extension split of files uses it.
size_t ExtensionDot(std::string_view name);
// The name cut before the extension dot of its final component; the whole name without one.
std::string NameWithoutExt(std::string_view name);
// The text after the extension dot of the final component; empty without one.
std::string NameExt(std::string_view name);
