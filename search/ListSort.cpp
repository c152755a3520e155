// SPDX-License-Identifier: MIT
#include "search/ListSort.h"

#include <algorithm>
#include <bit>
#include <climits>
#include <cmath>
#include <functional>
#include <string>

#include "catalog/CatalogLayout.h"
#include "catalog/ItemLabels.h"
#include "platform/Collate.h"
#include "search/ItemTexts.h"
#include "search/SortKeys.h"

namespace {

enum class TKeyKind { None, Int, Float, Text, Path };

struct TSpec {
  TKeyKind kind = TKeyKind::None;
  bool tieByName = false;
};

TSpec SpecOf(TListLayout layout, int column) {
  if (column == 0) return {TKeyKind::Text, false};  // the name alone
  switch (layout) {
    case TListLayout::Results:
      switch (column) {
        case rcSize:
          return {TKeyKind::Int, true};
        case rcDate:
          return {TKeyKind::Float, true};
        case rcPath:
          return {TKeyKind::Path, true};
        case rcExtension:
        case rcDiskName:
        case rcDiskType:
        case rcDescription:
        case rcCategory:
          return {TKeyKind::Text, true};
        default:
          return {};
      }
    case TListLayout::Disk:
      switch (column) {
        case dcSize:
        case dcFree:
          return {TKeyKind::Int, true};
        case dcDate:
          return {TKeyKind::Float, true};
        case dcDriveType:
        case dcLabel:
        case dcDescription:
        case dcCategory:
        case dcLocation:
          return {TKeyKind::Text, true};
        default:
          return {};
      }
    case TListLayout::File:
      switch (column) {
        case fcSize:
          return {TKeyKind::Int, true};
        case fcDate:
          return {TKeyKind::Float, true};
        case fcExtension:
        case fcAttributes:
        case fcDescription:
        case fcCategory:
          return {TKeyKind::Text, true};
        default:
          return {};
      }
  }
  return {};
}

// Groups in ascending order: the lower group sorts first.
int GroupOf(TListLayout layout, const TNodeRec* item) {
  const TNodeRec* header = NodeChild(item, 0);
  switch (layout) {
    case TListLayout::Results:
      return -ResultRank(item);
    case TListLayout::Disk:
      return header ? 0 : 1;
    case TListLayout::File:
      return header && (FieldInt(header, kFieldFlags) & ifArchive) == 0 ? 0 : 1;
  }
  return 0;
}

int64_t IntKey(TListLayout layout, int column, const TNodeRec* item) {
  const TNodeRec* f = FieldNode(item);
  if (layout == TListLayout::Disk && column == dcFree) return FieldInt64(f, kHdrFree);
  return FieldInt64(f, kFieldSize);
}

// A date-time value as an unsigned number of the same order; every NaN sorts after +infinity
// and -0 equals 0, so the order stays total whatever a damaged file holds.
uint64_t FloatOrder(double v) {
  if (v == 0) v = 0;
  if (std::isnan(v)) return UINT64_MAX;
  uint64_t bits = std::bit_cast<uint64_t>(v);
  return (bits & (1ull << 63)) ? ~bits : bits | (1ull << 63);
}

std::string RawTextKey(TListLayout layout, int column, const TNodeRec* item) {
  const TNodeRec* f = FieldNode(item);
  if (column == 0) return std::string(ItemName(item));
  switch (layout) {
    case TListLayout::Results:
      switch (column) {
        case rcExtension:
          return std::string(NameExtension(ItemName(item)));
        case rcDiskName:
          return std::string(ItemDiskName(item));
        case rcDiskType:
          return DiskTypeText(ItemDiskType(item));
        case rcPath:
          return ItemPath(item);
        case rcDescription:
          return FirstLineText(FieldStr(f, kFieldDescription));
        case rcCategory:
          return std::string(ItemCategoryName(item));
      }
      break;
    case TListLayout::Disk:
      switch (column) {
        case dcDriveType:
          return DiskTypeText(ItemDiskType(item));
        case dcLabel:
          return std::string(FieldStr(f, kDiskLabel));
        case dcDescription:
          return FirstLineText(FieldStr(f, kFieldDescription));
        case dcCategory:
          return std::string(ItemCategoryName(item));
        case dcLocation:
          return std::string(ItemLocationName(item));
      }
      break;
    case TListLayout::File:
      switch (column) {
        case fcExtension:
          return std::string(ItemExtension(item));
        case fcAttributes:
          return AttributeLetters(FieldInt(f, kFieldFlags));
        case fcDescription:
          return FirstLineText(FieldStr(f, kFieldDescription));
        case fcCategory:
          return std::string(ItemCategoryName(item));
      }
      break;
  }
  return {};
}

// The text of a column as shown: a text that is not UTF-8 decoded with its catalog's page.
std::string TextKey(TListLayout layout, int column, const TNodeRec* item,
                    const TCatalogDecoders& decoders) {
  if (layout == TListLayout::Results && column == rcPath) return ItemPathText(item, decoders);
  std::string raw = RawTextKey(layout, column, item);
  if (!TTextDecoder::NeedsDecoding(raw)) return raw;
  return decoders.For(item).Text(raw);
}

template <class T>
int Cmp(T a, T b) {
  return a < b ? -1 : (b < a ? 1 : 0);
}
int Sign(int v) { return v < 0 ? -1 : v > 0; }

}  // namespace

int ResultRank(const TNodeRec* item) {
  const TNodeRec* header = NodeChild(item, 0);
  int32_t flags = FieldInt(header ? header : item, kFieldFlags);
  int rank = header ? 2 : 0;
  if (flags & ifArchive) rank -= 2;
  if (flags & ifInArchive) rank -= 1;
  return std::max(rank, 0);
}

int CompareListRows(TListLayout layout, const TNodeRec* a, const TNodeRec* b, int column,
                    bool descending, const TCatalogDecoders* decoders) {
  const TCatalogDecoders& d = decoders ? *decoders : DefaultCatalogDecoders();
  int c = Cmp(GroupOf(layout, a), GroupOf(layout, b));
  TSpec spec = SpecOf(layout, column);
  if (c == 0) {
    switch (spec.kind) {
      case TKeyKind::None:
        break;
      case TKeyKind::Int:
        c = Cmp(IntKey(layout, column, a), IntKey(layout, column, b));
        break;
      case TKeyKind::Float:
        c = Cmp(FloatOrder(FieldFloat(FieldNode(a), kFieldChanged)),
                FloatOrder(FieldFloat(FieldNode(b), kFieldChanged)));
        break;
      case TKeyKind::Path:
        c = Cmp(ItemPathDepth(a), ItemPathDepth(b));
        if (c == 0) c = Sign(AnsiCompareText(ItemPathText(a, d), ItemPathText(b, d)));
        break;
      case TKeyKind::Text:
        c = Sign(AnsiCompareText(TextKey(layout, column, a, d), TextKey(layout, column, b, d)));
        break;
    }
  }
  if (c == 0 && spec.tieByName)
    c = Sign(AnsiCompareText(d.Text(a, ItemName(a)), d.Text(b, ItemName(b))));
  return descending ? -c : c;
}

int CompareResultRows(const TNodeRec* a, const TNodeRec* b, int column, bool descending) {
  return CompareListRows(TListLayout::Results, a, b, column, descending);
}
int CompareDiskLayout(const TNodeRec* a, const TNodeRec* b, int column, bool descending) {
  return CompareListRows(TListLayout::Disk, a, b, column, descending);
}
int CompareFileLayout(const TNodeRec* a, const TNodeRec* b, int column, bool descending) {
  return CompareListRows(TListLayout::File, a, b, column, descending);
}

namespace {

// One row's precomputed keys. Fields compare in order: group, k0, the key words (a number in
// sort order, or the text key's first 16 bytes), then the text keys themselves unless both ended
// within those bytes, then the name (first 8 bytes, then whole) when the column ties by names.
struct TSortRow {
  int32_t group;
  uint32_t row;  // index into the nodes (in memory order) and the text keys
  uint32_t k0;   // path depth
  bool keyWhole, nameWhole;
  uint64_t k[2];
  uint64_t n;
};

}  // namespace

void SortMarkListBy(TQDBase& bd, int list, TListLayout layout, int column, bool descending,
                    TListRows* view, const TCatalogDecoders* decoders) {
  const TCatalogDecoders& d = decoders ? *decoders : DefaultCatalogDecoders();
  const std::vector<TNodeRec*>& marks = bd.MarkList(list);
  const size_t oldSize = marks.size();
  // The live entries with their list index, in the nodes' memory order: that is close to the
  // order they were made in, so reading their keys streams through memory instead of jumping.
  std::vector<std::pair<TNodeRec*, uint32_t>> nodes;
  nodes.reserve(oldSize);
  for (size_t i = 0; i < oldSize; ++i)
    if (marks[i]) nodes.emplace_back(marks[i], static_cast<uint32_t>(i));
  std::sort(nodes.begin(), nodes.end(), [](const auto& a, const auto& b) {
    return std::less<const TNodeRec*>()(a.first, b.first);
  });
  const size_t n = nodes.size();
  TSpec spec = SpecOf(layout, column);
  const bool textKey = spec.kind == TKeyKind::Text || spec.kind == TKeyKind::Path;

  TTextKeys keys([&](size_t row) {
    const TNodeRec* item = nodes[row].first;
    return spec.kind == TKeyKind::Path ? ItemPathText(item, d) : TextKey(layout, column, item, d);
  });
  TTextKeys names([&](size_t row) {
    const TNodeRec* item = nodes[row].first;
    return d.Text(item, ItemName(item));
  });
  std::vector<TSortRow> rows(n);
  if (textKey) keys.Reserve(n, n * 20);
  if (spec.tieByName) names.Reserve(n, n * 20);
  for (size_t i = 0; i < n; ++i) {
    const TNodeRec* item = nodes[i].first;
    const TNodeRec* f = FieldNode(item);
    TSortRow& r = rows[i];
    r = {GroupOf(layout, item), static_cast<uint32_t>(i), 0, false, false, {0, 0}, 0};
    switch (spec.kind) {
      case TKeyKind::None:
        break;
      case TKeyKind::Int:
        r.k[0] = static_cast<uint64_t>(IntKey(layout, column, item)) ^ (1ull << 63);
        break;
      case TKeyKind::Float:
        r.k[0] = FloatOrder(FieldFloat(f, kFieldChanged));
        break;
      case TKeyKind::Path:
        r.k0 = static_cast<uint32_t>(ItemPathDepth(item));
        keys.Add(ItemPathText(item, d));
        break;
      case TKeyKind::Text:
        if (column == 0)
          keys.Add(FieldStr(f, kFieldName), &d, item);
        else
          keys.Add(TextKey(layout, column, item, d));
        break;
    }
    if (spec.tieByName) names.Add(FieldStr(f, kFieldName), &d, item);
  }
  const bool keyPrefix = textKey && keys.HasPrefixes();
  const bool namePrefix = spec.tieByName && names.HasPrefixes();
  for (size_t i = 0; i < n; ++i) {
    TSortRow& r = rows[i];
    if (keyPrefix) keys.Prefix(i, r.k, 2, r.keyWhole);
    if (namePrefix) names.Prefix(i, &r.n, 1, r.nameWhole);
  }

  auto compare = [&](const TSortRow& a, const TSortRow& b) -> int {
    if (a.group != b.group) return a.group < b.group ? -1 : 1;
    if (a.k0 != b.k0) return a.k0 < b.k0 ? -1 : 1;
    if (a.k[0] != b.k[0]) return a.k[0] < b.k[0] ? -1 : 1;
    if (a.k[1] != b.k[1]) return a.k[1] < b.k[1] ? -1 : 1;
    if (textKey && !(a.keyWhole && b.keyWhole)) {
      if (int c = keys.Compare(a.row, b.row)) return c;
    }
    if (spec.tieByName) {
      if (a.n != b.n) return a.n < b.n ? -1 : 1;
      if (a.nameWhole && b.nameWhole) return 0;
      return names.Compare(a.row, b.row);
    }
    return 0;
  };
  if (descending)
    std::sort(rows.begin(), rows.end(),
              [&](const TSortRow& a, const TSortRow& b) { return compare(b, a) < 0; });
  else
    std::sort(rows.begin(), rows.end(),
              [&](const TSortRow& a, const TSortRow& b) { return compare(a, b) < 0; });

  // The selection before the sort, by old row.
  std::vector<uint8_t> state;  // bit 0 selected, bit 1 focused
  if (view) {
    int count = std::min<int>(view->RowCount(), static_cast<int>(oldSize));
    state.assign(oldSize, 0);
    for (int r = 0; r < count; ++r)
      state[size_t(r)] =
          uint8_t((view->IsRowSelected(r) ? 1 : 0) | (view->IsRowFocused(r) ? 2 : 0));
  }

  // Rewrite the list in the new order.
  TNodeRec* keep = bd.CurrentNode();
  bool defer = bd.DeferMarkPack;
  bd.DeferMarkPack = false;
  bd.ClearMarkList(list);
  for (const TSortRow& r : rows) {
    bd.GoToNode(nodes[r.row].first);
    bd.AddMark(list);
  }
  bd.DeferMarkPack = defer;
  bd.GoToNode(keep);

  if (view) {
    int count = std::min<int>(view->RowCount(), static_cast<int>(oldSize));
    for (int i = 0; i < count; ++i) {
      uint8_t now = size_t(i) < n ? state[nodes[rows[size_t(i)].row].second] : 0;
      if (now != state[size_t(i)]) view->SetRowState(i, (now & 2) != 0, (now & 1) != 0);
    }
  }
}
