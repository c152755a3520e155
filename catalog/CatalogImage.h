// SPDX-License-Identifier: MIT
// The items of a catalog image, read in place by the image walk (store/QDImageWalk.h) without
// building the catalog: for a command that only looks (counts, a summary), the file is read once,
// in the order it lies, and nothing of its size is allocated.
//
// The image's top record is the catalog. Its items, and those of every container below it, are
// met in the order of a tree listing, as CountItems walks a loaded catalog: a container (its slot
// 0 a node: the header) when its header has been read, before what it holds; a file when its
// record has been read. Nodes inside headers and files are no items and are passed over. Field
// reads follow the safe reads of CatalogLayout.h: a slot of another type reads as zero or empty.
//
// The item visitor (its calls are inlined):
//   void Item(const TImageItem& item)  the catalog itself (depth 0), then every item below it;
//   void Leave()                       a container's items are all met (also for the catalog).
#pragma once

#include <string_view>
#include <utility>
#include <vector>

#include "catalog/CatalogLayout.h"
#include "store/QDImageWalk.h"

// An item as the walk meets it; valid during the call.
struct TImageItem {
  int Depth = 0;  // 0 the catalog, 1 the items on its first level, ...
  bool Container = false;
  // The field record: the header of a container, the file's own record.
  const TImageRecord* Fields = nullptr;
  // The names of the containers that hold the item, from the catalog's first level down (the
  // catalog itself not included).
  const std::vector<std::string_view>* Folders = nullptr;
  // The strings of the field record, by slot.
  const std::vector<std::pair<int, std::string_view>>* Strings = nullptr;

  std::string_view Str(int slot) const {
    for (const auto& s : *Strings)
      if (s.first == slot) return s.second;
    return {};
  }
  std::string_view Name() const { return Str(kFieldName); }
  int32_t Flags() const { return Fields->Int(kFieldFlags); }
};

// The walk's visitor that turns records into items for `ItemVisitor`.
template <class ItemVisitor>
class TCatalogImageItems {
 public:
  explicit TCatalogImageItems(ItemVisitor& items) : items_(items) {}

  // After the walk: whether the top record is a container (a catalog has its header there).
  bool TopIsContainer() const { return topIsContainer_; }

  void Record(int slot, const TImageRecord& r) {
    TRole role = TRole::Other;
    if (open_.empty()) {
      role = r.Type(0) == stNode ? TRole::Container : TRole::File;
      topIsContainer_ = role == TRole::Container;
    } else if (open_.back().role == TRole::Container) {
      if (slot == 0)
        role = TRole::Header;
      else
        role = r.Type(0) == stNode ? TRole::Container : TRole::File;
    }
    open_.push_back({role, r});
    if (role == TRole::File || role == TRole::Header) strings_.clear();
  }

  void String(int slot, std::string_view bytes) {
    const TRole role = open_.back().role;
    if (role == TRole::File || role == TRole::Header) strings_.emplace_back(slot, bytes);
  }

  void EndRecord() {
    const TOpen done = open_.back();
    open_.pop_back();
    switch (done.role) {
      case TRole::File:
        if (!open_.empty()) Emit(done.record, false, static_cast<int>(open_.size()));
        break;
      case TRole::Header: {
        // open_.back() is the container whose header this is.
        const int depth = static_cast<int>(open_.size()) - 1;
        Emit(done.record, true, depth);
        if (depth >= 1) {
          std::string_view name;
          for (const auto& s : strings_)
            if (s.first == kFieldName) name = s.second;
          folders_.push_back(name);
        }
        open_.back().entered = true;
        break;
      }
      case TRole::Container:
        if (done.entered) {
          if (!open_.empty() && !folders_.empty()) folders_.pop_back();
          items_.Leave();
        }
        break;
      case TRole::Other:
        break;
    }
  }

  void Progress(size_t) {}

 private:
  enum class TRole : uint8_t { Container, Header, File, Other };
  struct TOpen {
    TRole role;
    TImageRecord record;
    bool entered = false;  // a container whose header was met
  };

  void Emit(const TImageRecord& fields, bool container, int depth) {
    TImageItem item;
    item.Depth = depth;
    item.Container = container;
    item.Fields = &fields;
    item.Folders = &folders_;
    item.Strings = &strings_;
    items_.Item(item);
  }

  ItemVisitor& items_;
  bool topIsContainer_ = false;
  std::vector<TOpen> open_;
  std::vector<std::string_view> folders_;
  std::vector<std::pair<int, std::string_view>> strings_;
};

// What CountItems adds for one item (TItemCounts: disks, folders, files, capacity, free).
inline void CountImageItem(const TImageItem& item, TItemCounts& c) {
  if (!item.Container) {
    ++c.Files;
    return;
  }
  const int kind = ItemKind(item.Flags());
  if (kind == ikDisk) {
    ++c.Disks;
    c.Capacity = SaturatingAdd(c.Capacity, item.Fields->Int64(kHdrCapacity));
    c.Free = SaturatingAdd(c.Free, item.Fields->Int64(kHdrFree));
  } else if (kind == ikFolder) {
    ++c.Folders;
  }
}
