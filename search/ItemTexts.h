// SPDX-License-Identifier: MIT
// The texts that describe a catalog item wherever items are listed (main item list, search
// results, user list, reports, file operations): its path inside its medium, its disk's name and
// drive type, its category and location names, the first line of its description, and the whole
// set of texts of one list row.
//
// Each text has a cursor-free form over an item node (never moves a cursor, never changes the
// store: for painting, sorting and reports) and, where the lists call it with the cursor of
// bdMain on the item, a cursor form with the same result. Items are nodes in the catalog layout
// (catalog/CatalogLayout.h); nullptr gives empty texts.
//
// Threads: as the store: one thread at a time per store. DiskTypeText and the row texts look up
// numbered texts, which are only read after start-up.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "store/QDBase.h"

class TCatalogDecoders;

// The bound of an item path in bytes, the leading backslash included.
inline constexpr size_t kItemPathMax = 9998;

// The folders that hold `item`, outermost first, each followed by "\", the whole preceded by one
// "\": "\" for an item directly on a disk, "\A\B\" for an item in folder B of folder A. Only
// containers of kind 4 and above (folders, archives, folders inside archives) are names of the
// path; catalogs, groups and disks are skipped. A catalog, group or disk has an empty path. The
// item's own name is not part of it. The path is built from the innermost name outward within
// kItemPathMax bytes: when the next outer name and its backslash no longer fit, it and all outer
// names are left out (the leading backslash always stays).
std::string ItemPath(const TNodeRec* item);
// The number of backslashes ItemPath(item) holds, without building it (the path column sorts by
// depth first).
int ItemPathDepth(const TNodeRec* item);
// ItemPath as it is shown: each name decoded on its own by `decoders` (a name that is valid UTF-8
// stays as it is), so that UTF-8 and legacy names of one path both read right.
std::string ItemPathText(const TNodeRec* item, const TCatalogDecoders& decoders);

// The name of the nearest disk at or above `item`; empty for catalogs and groups.
std::string_view ItemDiskName(const TNodeRec* item);
// The drive type of that disk (disk header slot 12: 0 unknown .. 6 RAM disk); 0 without a disk.
int ItemDiskType(const TNodeRec* item);
// Texts 10181..10186 for drive types 1..6; empty for 0 and any other code.
std::string DiskTypeText(int code);

// The name of the item's category (bits 24-31 of ItemFlags) in its catalog's category list;
// empty for index 0 and for an index the list does not hold (the list is not extended).
std::string_view ItemCategoryName(const TNodeRec* item);
// For a group or disk: the name of its location (header slot 20) in its catalog's location list;
// empty for every other item, for index 0 and for an index beyond the list.
std::string_view ItemLocationName(const TNodeRec* item);

// Cursor forms, the cursor of `bd` on the item. The category and location lookups go through
// EnterChild as the catalog layout defines them: an index beyond the list extends the list with an
// empty entry at that index (whose name reads as empty). The cursor is restored.
std::string ItemPath(const TQDBase& bd);
std::string ItemDiskName(const TQDBase& bd);
int ItemDiskType(const TQDBase& bd);
std::string ItemCategoryName(TQDBase& bd);
std::string ItemLocationName(TQDBase& bd);

// The description without leading characters of code 32 or below; when a CR remains, the text
// before it followed by " [...]"; otherwise the whole text.
std::string FirstLineText(std::string_view description);

// The display name and extension of an item as the lists show them: for a file and for an
// archive opened as a folder, the name split at its extension dot (ExtensionDot: the last "."
// that is not one of the leading dots); for any other container the whole name and no extension.
// 'archive.tar.gz' gives 'archive.tar' and 'gz', '.profile' gives '.profile' and ''.
std::string_view ItemDisplayName(const TNodeRec* item);
std::string_view ItemExtension(const TNodeRec* item);
// The text after the extension dot of a name (the extension sort key); empty without one.
std::string_view NameExtension(std::string_view name);

// How the list windows render rows.
struct TRowTextOptions {
  // Sizes of folders and files with units (settings 7.8); otherwise the byte count with digit
  // groups. Catalogs, groups and disks always show units.
  bool FormattedSizes = false;
  // The icon code of a file (the index of its icon in the system's small-icon list); 0 when
  // unset. Containers get 1000000 plus their tree image (ContainerImageIndex).
  std::function<int(const TNodeRec* file)> FileIcon;
  // How texts that are not UTF-8 are decoded; nullptr: DefaultCatalogDecoders().
  const TCatalogDecoders* Decoders = nullptr;
};

// The tree image of a container item: catalog 1, group 2, disk from a sub-folder 3, disk of a
// whole drive 20 + drive type, folder 4, archive 8, folder inside an archive 10, other kinds 0.
int ContainerImageIndex(const TNodeRec* item);

// The texts of one list row, every one UTF-8 (names, labels, descriptions, categories and
// locations decoded with TRowTextOptions::Decoders); the fields are the slots 1..15 of a row of
// the row cache.
struct TItemRowTexts {
  std::string Name;         // 1 display name
  std::string Extension;    // 2 extension (files and archives)
  std::string Attributes;   // 3 attribute letters "drhsa"
  std::string Size;         // 4 size text
  std::string Date;         // 5 last-write date "dd.mm.yyyy, hh:mm"
  int Icon = 0;             // 6 icon code
  std::string Description;  // 7 first line of the description
  std::string DiskType;     // 8 drive-type text of the item's disk
  std::string DiskName;     // 9 the item's disk
  std::string Capacity;     // 10 groups and disks: capacity (short size)
  std::string Free;         // 11 groups and disks: free space (short size)
  std::string Path;         // 12 ItemPath
  std::string Label;        // 13 groups and disks: volume label (header slot 17)
  std::string Category;     // 14 category name
  std::string Location;     // 15 groups and disks: location name
};
TItemRowTexts ItemRowTexts(const TNodeRec* item, const TRowTextOptions& options);
