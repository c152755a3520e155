// SPDX-License-Identifier: MIT
// The properties dialog TfmPropItem without its window: which items it shows, the contents of its
// pages as data, and what OK writes back for one item or for several.
//
// A single item shows one page per level of its path that has properties: its catalog, its group,
// its disk (for a disk and everything on it), its folder, or the file or archive itself. Two or
// more items show the selection page alone, which applies a category, a location or a common
// description to all of them.
//
// Threads: GUI thread only.
#pragma once

#include <string>
#include <vector>

#include "catalog/CatalogLayout.h"
#include "mainwin/CatalogEdit.h"

enum class TPropPage { Cat, Group, Disk, Folder, File, Sel };

struct TPropItems {
  std::vector<TNodeRec*> Items;     // what the dialog works on
  std::vector<TNodeRec*> Catalogs;  // their distinct catalogs in order of first appearance
};

// The items of the dialog. With `selectedRows` (the selected rows of a list view showing mark
// list `markList`, the first `rowOffset` rows being no entries, such as the parent row): the
// entries of those rows whose kind is at least 2 (never catalogs). Without: every entry of the
// mark list (the main window passes the tree selection through mlSelection).
TPropItems PrepareItems(const TQDBase& bd, int markList, const std::vector<int>* selectedRows,
                        int rowOffset);

// The pages shown, in tab order, and the page of the item itself (the active one). No pages for
// no items.
std::vector<TPropPage> PropPages(const TPropItems& items);
TPropPage ActivePropPage(const TPropItems& items);

// Choices of the category and location boxes: item 0 text 12601 (none), then the names of the
// catalog's list, so the box index equals the index in the list.
std::vector<std::string> CategoryChoices(const TNodeRec* catalog);
std::vector<std::string> LocationChoices(const TNodeRec* catalog);
// The box index showing list index `index`: item 0 when it lies beyond the list.
int ChoiceIndex(int index, const std::vector<std::string>& choices);

// ---- page contents -----------------------------------------------------------------------------

struct TCatPageData {
  std::string Name;
  int64_t FileSize = 0;  // the catalog file on disk; 0 when never saved or missing
  double Changed = 0;
  TItemCounts Counts;
  int64_t Size = 0;
  std::string Description;
};
struct TGroupPageData {
  std::string Name;
  TItemCounts Counts;
  int64_t Size = 0;
  std::string Description;
  int Category = 0, Location = 0;  // box indices
};
struct TDiskPageData {
  std::string Name;
  int DriveType = 0;
  std::string DriveTypeText, Label, Serial;
  int64_t Capacity = 0, Size = 0;
  TItemCounts Counts;
  double Changed = 0;  // added or last updated
  std::string Description;
  int Category = 0, Location = 0;
  int Image = 0;  // the disk's tree image, the tab image of the page
};
struct TFolderPageData {
  std::string Name;
  int64_t Size = 0;
  double Created = 0, Changed = 0;
  TItemCounts Counts;
  std::string Description;
  int Category = 0;
};
struct TFilePageData {
  std::string Name;
  int64_t Size = 0;
  double Created = 0, Changed = 0;
  std::string Description;
  int Category = 0;
  bool IsArchive = false;  // the apply-to-everything-inside switch is offered
};
struct TSelPageData {
  int Count = 0;
  int64_t Size = 0;
  int FilesAndArchives = 0, Folders = 0, Disks = 0;
  bool ShowLocation = false;   // a group or disk is selected
  bool HasContainers = false;  // the apply-to-items-inside switch may be offered
  // 12601 (remove), 12602 (leave unchanged, preselected), then the names of every catalog's list
  // in catalog order (duplicates possible).
  std::vector<std::string> CategoryChoices, LocationChoices;
};

// The item of each page: the catalog, the group, the disk holding the item, the folder, the file.
TNodeRec* PageItem(const TNodeRec* item, TPropPage page);

TCatPageData FillCatPage(const TNodeRec* item);
TGroupPageData FillGroupPage(const TNodeRec* item);
TDiskPageData FillDiskPage(const TNodeRec* item);
TFolderPageData FillFolderPage(const TNodeRec* item);
TFilePageData FillFilePage(const TNodeRec* item);
TSelPageData FillSelPage(const TPropItems& items);

// ---- OK ----------------------------------------------------------------------------------------

// What the user left in a page. Only filled pages are written back.
struct TPageEdit {
  bool Filled = false;
  std::string Name;  // catalogs, groups, disks
  std::string Description;
  int Category = 0;     // box index = category index
  int Location = 0;     // groups and disks
  bool CatAll = false;  // apply the category to everything inside
};
struct TPropEdits {
  TPageEdit Cat, Group, Disk, Folder, File;
};

// OK for one item: the filled pages in the order file, folder, group, disk, catalog; names by
// the main window's rename rule. Marks the catalog changed and refreshes the views when anything
// changed; true then.
bool ApplySingleItem(TCatalogEditor& ed, TNodeRec* item, const TPropEdits& edits);

// The selection page: box choices are -1 (unset), 0 (remove), 1 (leave unchanged) or a name
// entry (2 and above) whose text is given.
struct TSelEdit {
  int CatChoice = 1;
  std::string CatName;
  int LocChoice = 1;
  std::string LocName;
  bool DescAll = false;
  std::string Description;
  // With a category chosen (not unset, not "leave unchanged"): every item inside the selected
  // containers gets the category too.
  bool CatAll = false;
};

// OK for several items: locations of the selected groups and disks, categories of every selected
// item (a name missing from a catalog's list, compared in upper case, is appended to it spelled
// as chosen; with CatAll also every item inside them), and with DescAll the common description.
// Catalogs whose items or lists changed are marked changed; the views are refreshed. True when
// anything changed.
bool ApplySelection(TCatalogEditor& ed, const TPropItems& items, const TSelEdit& edit);

// The index of the entry of the list in header slot `listSlot` (kCatCategories or kCatLocations)
// of `catalog` whose name equals `name` in upper case; when there is none, `name` is appended as
// spelled and `appended` set. A category list already too long for one more 8-bit index gives 0
// and appends nothing. The store's cursor is kept.
int ListIndexOrAppendIgnoringCase(TQDBase& bd, TNodeRec* catalog, int listSlot,
                                  const std::string& name, bool& appended);

// After the catalog setup applied new lists to `catalog`: the index now held by the entry of the
// list in header slot `listSlot` that had index `oldIndex` when the setup opened (the setup keys
// each entry with that index), or 0 when it was deleted. 0 stays 0.
int ListIndexAfterSetup(const TNodeRec* catalog, int listSlot, int oldIndex);

// The OEM->ANSI button: the text of a memo read as OEM bytes and converted to UTF-8. Text that is
// not valid UTF-8 holds the raw bytes; valid UTF-8 shows them decoded through the ANSI page, so
// each character is first mapped back to its ANSI byte (characters without one stay as they are).
// An empty text stays empty.
std::string OemToAnsiText(std::string_view text, std::string_view oemPage = "CP437",
                          std::string_view ansiPage = "WINDOWS-1252");
