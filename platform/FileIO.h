// SPDX-License-Identifier: MIT
// Whole-file reading and safe whole-file replacement. Neither throws: each returns the empty
// string on success and the error text of the failure otherwise ("No such file or directory").
#pragma once

#include <string>
#include <string_view>

// Reads the whole file at `path` into `data` (replaced). `data` is untouched on failure.
std::string ReadWholeFile(const std::string& path, std::string& data);

// Writes `data` to a temporary file in the folder of `path`, flushes it to the device and renames
// it over `path`. A failure at any step leaves the previous file as it was and removes the
// temporary file.
std::string WriteWholeFileAtomic(const std::string& path, std::string_view data);
