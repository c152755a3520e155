// SPDX-License-Identifier: MIT
#include "search/RowCache.h"

namespace {

void WriteRow(TQDBase& cache, const TItemRowTexts& r) {
  cache.SetStr(kRowName, r.Name);
  cache.SetStr(kRowExtension, r.Extension);
  cache.SetStr(kRowAttributes, r.Attributes);
  cache.SetStr(kRowSize, r.Size);
  cache.SetStr(kRowDate, r.Date);
  cache.SetInt(kRowIcon, r.Icon);
  cache.SetStr(kRowDescription, r.Description);
  cache.SetStr(kRowDiskType, r.DiskType);
  cache.SetStr(kRowDiskName, r.DiskName);
  cache.SetStr(kRowCapacity, r.Capacity);
  cache.SetStr(kRowFree, r.Free);
  cache.SetStr(kRowPath, r.Path);
  cache.SetStr(kRowLabel, r.Label);
  cache.SetStr(kRowCategory, r.Category);
  cache.SetStr(kRowLocation, r.Location);
}

}  // namespace

void CacheRow(TQDBase& cache, TQDBase& bdMain, int list, int index, TRowCacheMemo& memo,
              const TRowTextOptions& options) {
  cache.GoToNode(cache.RootNode());
  // The memo: one slot read on a hit.
  if (memo.Store == &cache && memo.Position >= 0 && memo.Position < cache.SlotCount() &&
      cache.SlotType(memo.Position) == stNode) {
    cache.EnterChild(memo.Position);
    if (cache.SlotType(kRowKey) == stInteger && cache.GetInt(kRowKey) == index) return;
    cache.Up();
  }
  int p = cache.FindChildInt(index, kRowKey, 0);
  if (p >= 0) {
    if (p > 5) {
      cache.MoveSlot(p, 0);
      p = 0;
    }
    memo = {&cache, p};
    cache.EnterChild(p);
    return;
  }
  while (cache.SlotCount() >= kRowCacheRows) cache.DeleteSlot(cache.SlotCount() - 1);
  cache.InsertSlot(0);
  memo = {&cache, 0};
  cache.NewChild(0);
  cache.EnterChild(0);
  cache.SetInt(kRowKey, index);
  TNodeRec* item = nullptr;
  if (index >= 0 && index < bdMain.MarkCount(list)) item = bdMain.MarkList(list)[size_t(index)];
  if (item) bdMain.GoToNode(item);
  WriteRow(cache, ItemRowTexts(item, options));
}
