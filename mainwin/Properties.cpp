// SPDX-License-Identifier: MIT
#include "mainwin/Properties.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <map>

#include "app/Language.h"
#include "catalog/ItemLabels.h"
#include "mainwin/TreeRows.h"
#include "platform/CodePage.h"
#include "platform/TextCase.h"

namespace {

int KindOf(const TNodeRec* item) { return item ? ItemKind(ItemFlagsOf(item)) : 0; }

bool IsArchive(const TNodeRec* item) {
  return IsContainer(item) && (ItemFlagsOf(item) & ifArchive) != 0;
}

std::vector<std::string> ListChoices(const TNodeRec* catalog, int listSlot) {
  std::vector<std::string> out{LangText(12601)};
  const TNodeRec* list = NodeChild(NodeChild(catalog, 0), listSlot);
  for (int i = 1; list && i < list->SlotCount; ++i)
    out.emplace_back(FieldStr(NodeChild(list, i), kEntryName));
  return out;
}

// Writes description, category and (for groups and disks) location of `item`; true when any
// differs. `location` < 0 leaves the location alone.
bool WriteFields(TQDBase& bd, TNodeRec* item, const TPageEdit& e, bool withLocation) {
  TNodeRec* field = MutableFieldNode(item);
  bool changed = false;
  bd.GoToNode(field);
  if (FieldStr(field, kFieldDescription) != e.Description) {
    bd.SetStr(kFieldDescription, e.Description);
    changed = true;
  }
  int32_t flags = FieldInt(field, kFieldFlags);
  if (ItemCategory(flags) != (e.Category & 0xFF)) {
    bd.SetInt(kFieldFlags, WithCategory(flags, e.Category));
    changed = true;
  }
  if (withLocation && FieldInt(field, kHdrLocation) != e.Location) {
    bd.SetInt(kHdrLocation, e.Location);
    changed = true;
  }
  return changed;
}

}  // namespace

int ListIndexOrAppendIgnoringCase(TQDBase& bd, TNodeRec* catalog, int listSlot,
                                  const std::string& name, bool& appended) {
  std::string wanted = Utf8Upper(name);
  TNodeRec* saved = bd.CurrentNode();
  bd.GoToNode(catalog);
  bd.EnterChild(0);
  bd.EnterChild(listSlot);
  TNodeRec* list = bd.CurrentNode();
  int index = 0;
  for (int i = 1; i < list->SlotCount && !index; ++i)
    if (Utf8Upper(FieldStr(NodeChild(list, i), kEntryName)) == wanted) index = i;
  if (!index) {
    int slot = std::max(list->SlotCount, 1);
    if (listSlot == kCatLocations || slot <= 255) {
      bd.NewChild(slot);
      bd.ChildSetStr(slot, kEntryName, name);
      index = slot;
      appended = true;
    }
  }
  bd.GoToNode(saved);
  return index;
}

TPropItems PrepareItems(const TQDBase& bd, int markList, const std::vector<int>* selectedRows,
                        int rowOffset) {
  TPropItems out;
  const std::vector<TNodeRec*>& list = bd.MarkList(markList);
  auto add = [&](TNodeRec* item) {
    if (!item) return;
    out.Items.push_back(item);
    TNodeRec* catalog = const_cast<TNodeRec*>(CatalogNodeOf(item));
    if (catalog &&
        std::find(out.Catalogs.begin(), out.Catalogs.end(), catalog) == out.Catalogs.end())
      out.Catalogs.push_back(catalog);
  };
  if (selectedRows) {
    std::vector<int> rows = *selectedRows;
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    for (int row : rows) {
      int entry = row - rowOffset;
      if (entry < 0 || entry >= static_cast<int>(list.size())) continue;
      if (KindOf(list[static_cast<size_t>(entry)]) >= ikGroup)
        add(list[static_cast<size_t>(entry)]);
    }
  } else {
    for (TNodeRec* item : list) add(item);
  }
  return out;
}

std::vector<TPropPage> PropPages(const TPropItems& items) {
  if (items.Items.empty()) return {};
  if (items.Items.size() > 1) return {TPropPage::Sel};
  const TNodeRec* item = items.Items[0];
  std::vector<TPropPage> pages{TPropPage::Cat};
  int kind = KindOf(item);
  if (kind == ikGroup) pages.push_back(TPropPage::Group);
  if (kind >= ikDisk && DiskNodeOf(item)) pages.push_back(TPropPage::Disk);
  if (IsContainer(item) && kind == ikFolder && !IsArchive(item)) pages.push_back(TPropPage::Folder);
  if (!IsContainer(item) || IsArchive(item)) pages.push_back(TPropPage::File);
  return pages;
}

TPropPage ActivePropPage(const TPropItems& items) {
  std::vector<TPropPage> pages = PropPages(items);
  return pages.empty() ? TPropPage::Cat : pages.back();
}

std::vector<std::string> CategoryChoices(const TNodeRec* catalog) {
  return ListChoices(catalog, kCatCategories);
}
std::vector<std::string> LocationChoices(const TNodeRec* catalog) {
  return ListChoices(catalog, kCatLocations);
}

int ChoiceIndex(int index, const std::vector<std::string>& choices) {
  return index > 0 && index < static_cast<int>(choices.size()) ? index : 0;
}

TNodeRec* PageItem(const TNodeRec* item, TPropPage page) {
  const TNodeRec* out = nullptr;
  switch (page) {
    case TPropPage::Cat:
      out = CatalogNodeOf(item);
      break;
    case TPropPage::Disk:
      out = DiskNodeOf(item);
      break;
    case TPropPage::Group:
    case TPropPage::Folder:
    case TPropPage::File:
    case TPropPage::Sel:
      out = item;
      break;
  }
  return const_cast<TNodeRec*>(out);
}

TCatPageData FillCatPage(const TNodeRec* item) {
  TCatPageData d;
  const TNodeRec* catalog = CatalogNodeOf(item);
  if (!catalog) return d;
  const TNodeRec* h = FieldNode(catalog);
  d.Name = FieldStr(h, kFieldName);
  std::string path(FieldStr(h, kCatFileName));
  if (!path.empty()) {
    std::error_code ec;
    auto size = std::filesystem::file_size(path, ec);
    if (!ec) d.FileSize = static_cast<int64_t>(size);
  }
  d.Changed = FieldFloat(h, kFieldChanged);
  d.Counts = CountItems(catalog);
  d.Size = FieldInt64(h, kFieldSize);
  d.Description = FieldStr(h, kFieldDescription);
  return d;
}

TGroupPageData FillGroupPage(const TNodeRec* item) {
  TGroupPageData d;
  if (!item || !IsContainer(item)) return d;
  const TNodeRec* h = FieldNode(item);
  const TNodeRec* catalog = CatalogNodeOf(item);
  d.Name = FieldStr(h, kFieldName);
  d.Counts = CountItems(item);
  d.Size = FieldInt64(h, kFieldSize);
  d.Description = FieldStr(h, kFieldDescription);
  d.Category = ChoiceIndex(ItemCategory(FieldInt(h, kFieldFlags)), CategoryChoices(catalog));
  d.Location = ChoiceIndex(FieldInt(h, kHdrLocation), LocationChoices(catalog));
  return d;
}

TDiskPageData FillDiskPage(const TNodeRec* item) {
  TDiskPageData d;
  const TNodeRec* disk = DiskNodeOf(item);
  if (!disk) return d;
  const TNodeRec* h = FieldNode(disk);
  const TNodeRec* catalog = CatalogNodeOf(disk);
  d.Name = FieldStr(h, kFieldName);
  d.DriveType = FieldInt(h, kDiskDriveType);
  d.DriveTypeText = DriveTypeText(d.DriveType);
  d.Label = FieldStr(h, kDiskLabel);
  d.Serial = FieldStr(h, kDiskSerial);
  d.Capacity = FieldInt64(h, kHdrCapacity);
  d.Size = FieldInt64(h, kFieldSize);
  d.Counts = CountItems(disk);
  d.Changed = FieldFloat(h, kFieldChanged);
  d.Description = FieldStr(h, kFieldDescription);
  d.Category = ChoiceIndex(ItemCategory(FieldInt(h, kFieldFlags)), CategoryChoices(catalog));
  d.Location = ChoiceIndex(FieldInt(h, kHdrLocation), LocationChoices(catalog));
  d.Image = TreeImageIndex(disk);
  return d;
}

TFolderPageData FillFolderPage(const TNodeRec* item) {
  TFolderPageData d;
  if (!item || !IsContainer(item)) return d;
  const TNodeRec* h = FieldNode(item);
  d.Name = FieldStr(h, kFieldName);
  d.Size = FieldInt64(h, kFieldSize);
  d.Created = FieldFloat(h, kFieldCreated);
  d.Changed = FieldFloat(h, kFieldChanged);
  d.Counts = CountItems(item);
  d.Description = FieldStr(h, kFieldDescription);
  d.Category =
      ChoiceIndex(ItemCategory(FieldInt(h, kFieldFlags)), CategoryChoices(CatalogNodeOf(item)));
  return d;
}

TFilePageData FillFilePage(const TNodeRec* item) {
  TFilePageData d;
  if (!item) return d;
  const TNodeRec* f = FieldNode(item);
  d.Name = FieldStr(f, kFieldName);
  d.Size = FieldInt64(f, kFieldSize);
  d.Created = FieldFloat(f, kFieldCreated);
  d.Changed = FieldFloat(f, kFieldChanged);
  d.Description = FieldStr(f, kFieldDescription);
  d.Category =
      ChoiceIndex(ItemCategory(FieldInt(f, kFieldFlags)), CategoryChoices(CatalogNodeOf(item)));
  d.IsArchive = IsArchive(item);
  return d;
}

TSelPageData FillSelPage(const TPropItems& items) {
  TSelPageData d;
  d.CategoryChoices = {LangText(12601), LangText(12602)};
  d.LocationChoices = d.CategoryChoices;
  for (const TNodeRec* item : items.Items) {
    ++d.Count;
    d.Size += ItemSizeOf(item);
    int kind = KindOf(item);
    if (!IsContainer(item) || IsArchive(item))
      ++d.FilesAndArchives;
    else if (kind == ikFolder)
      ++d.Folders;
    else if (kind == ikDisk)
      ++d.Disks;
    if (IsContainer(item)) d.HasContainers = true;
    if (kind == ikGroup || kind == ikDisk) d.ShowLocation = true;
  }
  for (const TNodeRec* catalog : items.Catalogs) {
    std::vector<std::string> cats = CategoryChoices(catalog), locs = LocationChoices(catalog);
    d.CategoryChoices.insert(d.CategoryChoices.end(), cats.begin() + 1, cats.end());
    d.LocationChoices.insert(d.LocationChoices.end(), locs.begin() + 1, locs.end());
  }
  return d;
}

// ---- OK ----------------------------------------------------------------------------------------

bool ApplySingleItem(TCatalogEditor& ed, TNodeRec* item, const TPropEdits& edits) {
  if (!item || !CatalogNodeOf(item)) return false;
  TQDBase& bd = ed.Store();
  TCatalogEditor::TScope scope(ed);
  bool changed = false;
  auto applyName = [&](TNodeRec* target, const std::string& typed) {
    std::string old(ItemName(target));
    std::string name = RenamedName(old, typed, target->Parent, target, TRenameRule::MainWindow);
    if (name == old) return;
    ed.SetItemName(target, name);
    changed = true;
  };
  auto applyCatAll = [&](TNodeRec* target, const TPageEdit& e) {
    if (!e.CatAll) return;
    SetItemCategory(bd, target, e.Category, true);
    changed = true;
  };
  int kind = KindOf(item);
  if (edits.File.Filled && (!IsContainer(item) || IsArchive(item))) {
    changed |= WriteFields(bd, item, edits.File, false);
    if (IsArchive(item)) applyCatAll(item, edits.File);
  }
  if (edits.Folder.Filled && IsContainer(item) && kind == ikFolder && !IsArchive(item)) {
    changed |= WriteFields(bd, item, edits.Folder, false);
    applyCatAll(item, edits.Folder);
  }
  if (edits.Group.Filled && kind == ikGroup) {
    changed |= WriteFields(bd, item, edits.Group, true);
    applyCatAll(item, edits.Group);
    applyName(item, edits.Group.Name);
  }
  if (TNodeRec* disk = PageItem(item, TPropPage::Disk); edits.Disk.Filled && disk) {
    changed |= WriteFields(bd, disk, edits.Disk, true);
    applyCatAll(disk, edits.Disk);
    applyName(disk, edits.Disk.Name);
  }
  if (TNodeRec* catalog = PageItem(item, TPropPage::Cat); edits.Cat.Filled && catalog) {
    TNodeRec* field = MutableFieldNode(catalog);
    if (FieldStr(field, kFieldDescription) != edits.Cat.Description) {
      bd.GoToNode(field);
      bd.SetStr(kFieldDescription, edits.Cat.Description);
      changed = true;
    }
    applyName(catalog, edits.Cat.Name);
  }
  if (changed) ed.MarkModified(item);
  return changed;
}

bool ApplySelection(TCatalogEditor& ed, const TPropItems& items, const TSelEdit& edit) {
  TQDBase& bd = ed.Store();
  TCatalogEditor::TScope scope(ed);
  std::vector<const TNodeRec*> noted;
  auto note = [&](const TNodeRec* catalog) {
    if (std::find(noted.begin(), noted.end(), catalog) == noted.end()) noted.push_back(catalog);
  };
  // The index each catalog uses for the chosen name (0 to remove).
  auto indices = [&](int choice, const std::string& name, int listSlot) {
    std::map<const TNodeRec*, int> out;
    for (TNodeRec* catalog : items.Catalogs) {
      bool appended = false;
      out[catalog] =
          choice == 0 ? 0 : ListIndexOrAppendIgnoringCase(bd, catalog, listSlot, name, appended);
      if (appended) note(catalog);
    }
    return out;
  };
  bool changed = false;
  if (edit.LocChoice != -1 && edit.LocChoice != 1) {
    auto index = indices(edit.LocChoice, edit.LocName, kCatLocations);
    for (TNodeRec* item : items.Items) {
      int kind = KindOf(item);
      if (!IsContainer(item) || (kind != ikGroup && kind != ikDisk)) continue;
      const TNodeRec* catalog = CatalogNodeOf(item);
      TNodeRec* header = MutableFieldNode(item);
      if (FieldInt(header, kHdrLocation) == index[catalog]) continue;
      bd.GoToNode(header);
      bd.SetInt(kHdrLocation, index[catalog]);
      note(catalog);
    }
  }
  if (edit.CatChoice != -1 && edit.CatChoice != 1) {
    auto index = indices(edit.CatChoice, edit.CatName, kCatCategories);
    for (TNodeRec* item : items.Items) {
      const TNodeRec* catalog = CatalogNodeOf(item);
      if (SetItemCategory(bd, item, index[catalog], edit.CatAll)) note(catalog);
    }
  }
  for (const TNodeRec* catalog : noted) ed.MarkModified(catalog, true);
  changed = !noted.empty();
  if (edit.DescAll) {
    for (TNodeRec* item : items.Items) {
      bd.GoToNode(MutableFieldNode(item));
      bd.SetStr(kFieldDescription, edit.Description);
    }
    for (const TNodeRec* catalog : items.Catalogs) ed.MarkModified(catalog, true);
    changed = true;
  }
  ed.Host().RefreshViews();
  return changed;
}

int ListIndexAfterSetup(const TNodeRec* catalog, int listSlot, int oldIndex) {
  if (oldIndex <= 0) return 0;
  const TNodeRec* list = NodeChild(NodeChild(catalog, 0), listSlot);
  for (int i = 1; list && i < list->SlotCount; ++i) {
    const TNodeRec* entry = NodeChild(list, i);
    if (entry && entry->SlotCount > kEntryKey && FieldInt(entry, kEntryKey) == oldIndex) return i;
  }
  return 0;
}

// ---- OEM -> ANSI -------------------------------------------------------------------------------

std::string OemToAnsiText(std::string_view text, std::string_view oemPage,
                          std::string_view ansiPage) {
  if (text.empty()) return {};
  if (!IsValidUtf8(text)) return OemToUtf8(text, oemPage);
  // The characters of the ANSI page's upper half, as UTF-8, each with its byte.
  std::map<std::string, char> ansiByte;
  for (int b = 0x80; b <= 0xFF; ++b) {
    std::string utf8 = AnsiToUtf8(std::string(1, static_cast<char>(b)), ansiPage);
    if (utf8 != "\xEF\xBF\xBD") ansiByte.emplace(utf8, static_cast<char>(b));
  }
  std::string out, run;
  auto flush = [&] {
    if (!run.empty()) out += OemToUtf8(run, oemPage);
    run.clear();
  };
  for (size_t i = 0; i < text.size();) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    size_t len = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
    std::string ch(text.substr(i, len));
    i += len;
    if (len == 1) {
      run += ch;
    } else if (auto it = ansiByte.find(ch); it != ansiByte.end()) {
      run += it->second;
    } else {
      flush();
      out += ch;
    }
  }
  flush();
  return out;
}
