// SPDX-License-Identifier: MIT
// Sorting the three item lists: the search results and the user list (CompareResultRows, nine
// columns, folders ranked first) and the main item list in its disk layout (catalogs and groups
// shown: containers first) and file layout (disks and folders shown: plain folders first). Every
// comparator breaks ties by the item names (except the name column itself, and the results' unknown
// columns), and the whole result, grouping included, is negated for a descending sort. Texts
// compare with AnsiCompareText, sizes as signed 64-bit integers, dates as date-time values.
//
// The Compare* functions are the reference comparators of two item nodes. The Sort* functions give
// the same order without calling the collation per comparison: they compute one key record per row
// first (collation ranks of the texts, numbers in order-preserving form), sort the records, and
// rewrite the mark list in the new order.
//
// Threads: the thread that owns the store.
#pragma once

#include "catalog/CatalogText.h"
#include "search/ListRows.h"
#include "store/QDBase.h"

// Columns of the search results and the user list.
enum : int {
  rcName = 0,
  rcExtension = 1,
  rcSize = 2,
  rcDate = 3,
  rcDiskName = 4,
  rcDiskType = 5,
  rcPath = 6,
  rcDescription = 7,
  rcCategory = 8,
};

// Columns of the main list's disk layout.
enum : int {
  dcName = 0,
  dcDriveType = 1,
  dcLabel = 2,
  dcSize = 3,
  dcFree = 4,
  dcDate = 5,
  dcDescription = 6,
  dcCategory = 7,
  dcLocation = 8,
};

// Columns of the main list's file layout.
enum : int {
  fcName = 0,
  fcExtension = 1,
  fcSize = 2,
  fcDate = 3,
  fcAttributes = 4,
  fcDescription = 5,
  fcCategory = 6,
};

enum class TListLayout { Results, Disk, File };

// The rank of a search result: 2 for a container, minus 2 with ifArchive, minus 1 with
// ifInArchive, never below 0 (plain folders 2, folders inside archives 1, archives and files 0).
int ResultRank(const TNodeRec* item);

// Negative, zero or positive as a sorts before, with, or after b.
int CompareResultRows(const TNodeRec* a, const TNodeRec* b, int column, bool descending);
int CompareDiskLayout(const TNodeRec* a, const TNodeRec* b, int column, bool descending);
int CompareFileLayout(const TNodeRec* a, const TNodeRec* b, int column, bool descending);
// Texts that are not UTF-8 compare as `decoders` decodes them (nullptr: DefaultCatalogDecoders()).
int CompareListRows(TListLayout layout, const TNodeRec* a, const TNodeRec* b, int column,
                    bool descending, const TCatalogDecoders* decoders = nullptr);

// Sorts mark list `list` of `bd` by the comparator of `layout`. With a view (rows = entries of
// the list), the selected and focused states follow their items to their new rows. Placeholders
// of released nodes are dropped. The cursor of `bd` is restored.
// Texts that are not UTF-8 sort as `decoders` decodes them (nullptr: DefaultCatalogDecoders()).
void SortMarkListBy(TQDBase& bd, int list, TListLayout layout, int column, bool descending,
                    TListRows* view = nullptr, const TCatalogDecoders* decoders = nullptr);

// The search results' and the user list's sort.
inline void SortResults(TQDBase& bd, int list, int column, bool descending,
                        TListRows* view = nullptr, const TCatalogDecoders* decoders = nullptr) {
  SortMarkListBy(bd, list, TListLayout::Results, column, descending, view, decoders);
}
