// SPDX-License-Identifier: MIT
#include "search/SearchWalk.h"

#include <chrono>
#include <vector>

#include "catalog/CatalogLayout.h"

int CategoryFilterFor(const TNodeRec* catalog, std::string_view name,
                      const TCatalogDecoders* decoders) {
  if (name.empty()) return 0;
  const TCatalogDecoders& d = decoders ? *decoders : DefaultCatalogDecoders();
  std::string scratch;
  const TNodeRec* header = catalog ? NodeChild(catalog, 0) : nullptr;
  const TNodeRec* list = header ? NodeChild(header, kCatCategories) : nullptr;
  if (!list) return kNoSuchCategory;
  for (int k = 1; k < list->SlotCount && k <= 255; ++k) {
    const TNodeRec* e = NodeChild(list, k);
    if (e && d.View(catalog, FieldStr(e, kEntryName), scratch) == name) return k;
  }
  return kNoSuchCategory;
}

int64_t CountItems(const TNodeRec* container, bool countContainers) {
  if (!container) return 0;
  int64_t n = countContainers ? 1 : 0;
  std::vector<const TNodeRec*> stack{container};
  while (!stack.empty()) {
    const TNodeRec* c = stack.back();
    stack.pop_back();
    for (int k = 1; k < c->SlotCount; ++k) {
      const TNodeRec* item = NodeChild(c, k);
      if (!item) continue;
      if (NodeSlotType(item, 0) == stNode) {
        if (countContainers) ++n;
        stack.push_back(item);
      } else {
        ++n;
      }
    }
  }
  return n;
}

TSearchWalk::TSearchWalk(TQDBase& bdMain, const TFindParams& params)
    : bd_(bdMain), p_(params), masks_(params.Masks) {
  const int32_t bits[5] = {0x01, 0x02, 0x04, 0x10, 0x20};
  const int32_t want[5] = {params.AttrReadOnly, params.AttrHidden, params.AttrSystem,
                           params.AttrDirectory, params.AttrArchive};
  for (int i = 0; i < 5; ++i) {
    if (want[i] == -1) continue;
    attrMask_ |= bits[i];
    // A requirement other than 0 or the bit itself can never be met by (A and bit).
    if (want[i] != 0 && want[i] != bits[i]) {
      attrMask_ = -1;
      break;
    }
    attrWant_ |= want[i];
  }
  Tick = [] {
    using namespace std::chrono;
    return static_cast<uint32_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
  };
}

bool TSearchWalk::LimitReached() const { return found_ >= p_.ResultLimit; }

bool TSearchWalk::Matches(const TNodeRec* item) const { return MatchesFields(FieldNode(item)); }

bool TSearchWalk::MatchesFields(const TNodeRec* f) const {
  int32_t flags = FieldInt(f, kFieldFlags);
  // The cheap numeric tests first; the outcome is the same in any order.
  if (CategoryFilter != 0 && ItemCategory(flags) != CategoryFilter) return false;
  if (p_.DateOn) {
    double d = FieldFloat(f, kFieldChanged);
    if (!(p_.DateFrom <= d && d <= p_.DateTo)) return false;
  }
  if (p_.SizeOn) {
    int64_t s = FieldInt64(f, kFieldSize);
    if (p_.SizeOp == soEqual && s != p_.SizeLimit) return false;
    if (p_.SizeOp == soGreater && !(s > p_.SizeLimit)) return false;
    if (p_.SizeOp == soLess && !(s < p_.SizeLimit)) return false;
  }
  if (p_.AttrOn) {
    if (attrMask_ == -1) return false;
    int a = ItemKind(flags) >= ikFolder ? ItemAttributes(flags) : kAttrDirectory;
    if ((a & attrMask_) != attrWant_) return false;
  }
  // UTF-8 (all ASCII names among them) is matched as stored; only legacy text is decoded.
  const TTextDecoder* decoder =
      decoder_ ? decoder_ : &(Decoders ? *Decoders : DefaultCatalogDecoders()).For(f);
  if (p_.InNames && masks_.MatchesAnyMask(FieldStr(f, kFieldName), decoder)) return true;
  return p_.InDescriptions && masks_.MatchesAnyMask(FieldStr(f, kFieldDescription), decoder);
}

void TSearchWalk::TestItem(TNodeRec* item) {
  found_ = bd_.MarkCount(mlFound);
  TestFields(item, FieldNode(item));
}

void TSearchWalk::TestFields(TNodeRec* item, const TNodeRec* fields) {
  if (!MatchesFields(fields) || LimitReached()) return;
  bd_.GoToNode(item);
  bd_.AddMark(mlFound);
  ++found_;
}

void TSearchWalk::Progress() {
  // The clock is read every 64 items: reading it costs more than testing an item.
  if ((Visited & 63) != 0) return;
  uint32_t now = Tick();
  if (now - LastTick > 20u) {  // unsigned: a wrapped tick still counts as later
    LastTick = now;
    if (OnProgress) OnProgress(Visited, Total, found_);
  }
}

void TSearchWalk::SearchContainer(TNodeRec* c) {
  found_ = bd_.MarkCount(mlFound);  // nothing else changes the list during the walk
  if (!c || !IsContainer(c) || LimitReached()) return;
  // Everything below `c` belongs to one catalog: its page is looked up once.
  decoder_ = &(Decoders ? *Decoders : DefaultCatalogDecoders()).For(c);
  struct TReset {
    const TTextDecoder*& d;
    ~TReset() { d = nullptr; }
  } reset{decoder_};
  struct Frame {
    TNodeRec* node;
    int next;
  };
  std::vector<Frame> stack{{c, 1}};
  while (!stack.empty()) {
    Frame& fr = stack.back();
    if (fr.next >= fr.node->SlotCount) {
      stack.pop_back();
      continue;
    }
    TNodeRec* item = NodeChild(fr.node, fr.next++);
    if (!item) continue;
    const TNodeRec* header = NodeChild(item, 0);
    TestFields(item, header ? header : item);
    ++Visited;
    Progress();
    if (LimitReached()) return;  // nothing more can be added: end the walk
    if (header &&
        (p_.InArchives || (FieldInt(header, kFieldFlags) & (ifArchive | ifInArchive)) == 0))
      stack.push_back({item, 1});
  }
}

int TSearchWalk::Run(const TNodeRec* scope, std::string_view category) {
  TNodeRec* keep = bd_.CurrentNode();
  bd_.ClearMarkList(mlFound);
  Visited = 0;
  LastTick = 0;
  TNodeRec* root = bd_.RootNode();
  std::vector<TNodeRec*> catalogs;
  // Total only feeds the progress report; counting costs a walk of its own.
  const bool count = static_cast<bool>(OnProgress);
  Total = 0;
  if (!scope) {
    for (int k = 1; k < root->SlotCount; ++k)
      if (TNodeRec* cat = NodeChild(root, k)) {
        catalogs.push_back(cat);
        if (count) Total += CountItems(cat, true);
      }
    for (TNodeRec* cat : catalogs) {
      CategoryFilter = CategoryFilterFor(cat, category, Decoders);
      SearchContainer(cat);
    }
  } else {
    if (count) Total = CountItems(scope, false);
    CategoryFilter = CategoryFilterFor(CatalogNodeOf(scope), category, Decoders);
    SearchContainer(const_cast<TNodeRec*>(scope));
  }
  bd_.GoToNode(keep);
  return bd_.MarkCount(mlFound);
}
