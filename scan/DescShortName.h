// SPDX-License-Identifier: MIT
// Short 8.3 names ("MYDOCU~1.TXT") in description lists written by DOS tools: finding the long
// name of the folder entry a short name stands for.
//
// Linux lists only long names, so the entry is found in three steps, each tried when the one
// before finds nothing:
// 1. an entry whose name equals the short name, letter case ignored;
// 2. the file system itself: VFAT resolves short aliases, so when the short name opens an entry
//    on the medium, the entry with the same device and inode number is the one;
// 3. the alias a DOS/Windows system derives from a long name (upper case, blanks and inner dots
//    dropped, other characters that 8.3 names do not allow made "_", the base cut to the part
//    before "~", the extension to 3 characters): taken only when exactly one entry of the folder
//    can have that alias, since the "~N" number depends on the order the files were created in.
//
// Thread-safe.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// The index in `names` (the folder's entry names) of the entry that `shortName` stands for, or
// -1. `folderPath` is the folder on the medium, ending in "/"; empty skips step 2.
int FindShortNameEntry(std::string_view shortName, const std::vector<std::string_view>& names,
                       const std::string& folderPath);
// The same with step 2 asking the folder open as `dirfd` (names relative to it, each after
// `pathPrefix`; -1 skips step 2), so that the folder's depth does not matter.
int FindShortNameEntryAt(std::string_view shortName, const std::vector<std::string_view>& names,
                         int dirfd, const std::string& pathPrefix);

// True iff `name` is a valid DOS 8.3 name (letter case ignored): such a name has no alias.
bool IsDosName(std::string_view name);
