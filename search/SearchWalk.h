// SPDX-License-Identifier: MIT
// The search engine: a depth-first walk over a scope of bdMain (all open catalogs, or one catalog,
// group, disk or folder) that tests every item against the compiled criteria and appends the
// matching items to the mark list mlFound. The scope node itself is never tested; its contents
// are. The walk reads nodes in place (cursor-free) and never changes catalog contents.
//
// Threads: the thread that owns bdMain; no other thread may use bdMain during a walk.
#pragma once

#include <cstdint>
#include <functional>
#include <string_view>

#include "catalog/CatalogText.h"
#include "search/FindParams.h"
#include "search/SearchMask.h"
#include "store/QDBase.h"

// The category filter value that no item carries: the catalog lacks the chosen category.
inline constexpr int kNoSuchCategory = -1;

// The category filter for one catalog: 0 when `name` is empty (no filter); otherwise the index of
// the first entry (from 1) of the catalog's category list whose name equals `name` exactly (letter
// case counts), or kNoSuchCategory when the list has none (or only one beyond index 255, which no
// item can carry).
// `name` is the category as shown: an entry stored in a legacy code page is compared decoded
// (`decoders`, nullptr for DefaultCatalogDecoders()).
int CategoryFilterFor(const TNodeRec* catalog, std::string_view name,
                      const TCatalogDecoders* decoders = nullptr);

// The number of items below `container`: 1 for the container itself when `countContainers`, and
// for every item a container's own count (same switch) or 1 for a file. Iterative.
int64_t CountItems(const TNodeRec* container, bool countContainers);

class TSearchWalk {
 public:
  // `bdMain` and `params` must outlive the walk.
  TSearchWalk(TQDBase& bdMain, const TFindParams& params);

  // Called at most every 20 ms during the walk with the items tested so far, the scope's total
  // and the number of results (the window's progress bar and status panel).
  std::function<void(int64_t visited, int64_t total, int found)> OnProgress;
  // The millisecond tick; a steady clock by default (tests replace it).
  std::function<uint32_t()> Tick;
  // How names and descriptions that are not UTF-8 are decoded before the masks see them (the
  // masks then ignore letter case of the decoded text); nullptr: DefaultCatalogDecoders(). Must
  // outlive the walk.
  const TCatalogDecoders* Decoders = nullptr;

  // The whole search: mlFound cleared, counters reset, Total computed, then every catalog of the
  // scope walked (Total is counted only when OnProgress is set). `scope` nullptr means all open
  // catalogs; otherwise a catalog, group, disk or
  // folder node of bdMain. `category` is the chosen category name, empty for no filter. The
  // cursor of bdMain is restored. Returns the number of results.
  int Run(const TNodeRec* scope, std::string_view category);

  // The walk of one container (the cursor-free SearchContainer): tests every item below `c` in
  // depth-first order, entering archives only when InArchives is on, and stops once mlFound
  // holds ResultLimit entries (no further item could be added).
  void SearchContainer(TNodeRec* c);
  // True iff `item` meets every criterion; TestItem also appends it to mlFound while fewer than
  // ResultLimit entries are there.
  bool Matches(const TNodeRec* item) const;
  void TestItem(TNodeRec* item);

  int CategoryFilter = 0;  // 0 none, 1..255 the index items must carry, or kNoSuchCategory
  int64_t Visited = 0;
  int64_t Total = 0;
  uint32_t LastTick = 0;

 private:
  bool MatchesFields(const TNodeRec* fields) const;

  void TestFields(TNodeRec* item, const TNodeRec* fields);
  bool LimitReached() const;
  void Progress();

  TQDBase& bd_;
  const TFindParams& p_;
  TMaskSet masks_;
  int32_t attrMask_ = 0, attrWant_ = 0;    // the attribute requirements folded into one test
  int found_ = 0;                          // entries of mlFound
  const TTextDecoder* decoder_ = nullptr;  // the page of the catalog being walked
};
