// SPDX-License-Identifier: MIT
// The file primitives of the file operations: a chunked copy that reports its progress and can
// be cancelled, the deletion of a file with its read-only attribute cleared first, and the
// checks that keep names taken from a catalog inside the folders they belong to.
//
// The copy writes the target under a temporary name in the target's folder and renames it over
// the target's name only when every byte is written, so an interrupted or failed copy never
// leaves a half-written file under the target's name, and an existing target stays as it was.
//
// Threads: any; nothing here keeps state. The progress callback runs on the calling thread.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "platform/Error.h"

enum class TCopyStatus { Done, Failed, Cancelled };

struct TCopyResult {
  TCopyStatus Status = TCopyStatus::Done;
  std::string Error;  // the reason when not Done
  int64_t Bytes = 0;  // bytes written
};

// Called before the first chunk and after every chunk with the bytes copied so far; returns
// false to cancel the copy.
using TCopyProgressFn = std::function<bool(int64_t copied)>;

// Copies the file `source` to `target`, replacing an existing file of that name (never an
// existing folder). The permission bits and modification time are kept. A symbolic link is
// copied as a link (never followed). With `sync` the data is flushed to the device before the
// rename (a move deletes the source afterwards). Copying a file onto itself fails.
TCopyResult CopyFileWithProgress(const std::string& source, const std::string& target,
                                 const TCopyProgressFn& progress, bool sync = false);

// True iff `path` exists (a symbolic link counts as existing, even a dangling one).
bool PathExists(const std::string& path);
// True iff `path` is a folder (not a link to one).
bool IsRealFolder(const std::string& path);

// Makes the file writable for its owner (the Windows "clear attributes"); links are left alone.
// Returns the previous permission bits, or -1 when the path cannot be read.
int ClearReadOnly(const std::string& path);
// Deletes the file (or link) `path`. Fails with the error text.
TError DeleteFileAt(const std::string& path);

// True iff `name` can stand as one component of a path: not empty, not "." or "..", and without
// "/" or a NUL byte.
bool IsSafeComponent(std::string_view name);

// The real path of the catalog path `mediumPath` ("\"-separated, as MediumPath gives it) below
// `root` (which ends in "/"): false when a component is unsafe (IsSafeComponent), so that a
// damaged or hostile catalog cannot reach outside the medium.
bool RealPathBelow(const std::string& root, std::string_view mediumPath, std::string& out);
