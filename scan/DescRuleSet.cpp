// SPDX-License-Identifier: MIT
#include "scan/DescRuleSet.h"

#include <algorithm>
#include <climits>

#include "platform/TextCase.h"
#include "scan/DescRules.h"
#include "store/QDBase.h"

namespace {

// Ranks are rule slot * 256 + mask index in a signed 32-bit tag.
constexpr int kMasksPerRank = 256;
constexpr int32_t kMaxRuleSlot = INT32_MAX / kMasksPerRank - 1;

bool HasWildcard(std::string_view mask) {
  return mask.find_first_of("*?") != std::string_view::npos;
}

// True iff `mask` is "*" followed by ".EXT" with no further dot or wildcard: it then matches
// exactly the names whose extension (from the last dot) is ".EXT", letter case ignored.
bool IsExtensionMask(std::string_view mask) {
  if (mask.size() < 2 || mask[0] != '*' || mask[1] != '.') return false;
  std::string_view rest = mask.substr(2);
  return !HasWildcard(rest) && rest.find('.') == std::string_view::npos;
}

}  // namespace

size_t TDescOptions::MaxDescBytes() const {
  return MaxDescKB > 0 ? static_cast<size_t>(MaxDescKB) * 1024 : 0;
}

size_t TDescOptions::TextHeadLimit() const {
  return MaxDescKB > 0 ? static_cast<size_t>(MaxDescKB) * 1024 : 102400;
}

TDescOptions ReadDescOptions(const TNodeRec* table) {
  TDescOptions o;
  const TNodeRec* n = table ? NodeChild(table, 0) : nullptr;
  if (!n) return o;
  o.MaxDescKB = RuleSlotInt(n, doMaxDescKB);
  o.DropEmptyLines = RuleSlotInt(n, doDropEmptyLines) != 0;
  o.TrimLeading = RuleSlotInt(n, doTrimLeading) != 0;
  o.TrimTrailing = RuleSlotInt(n, doTrimTrailing) != 0;
  o.CollapseSpaces = RuleSlotInt(n, doCollapseSpaces) != 0;
  return o;
}

TDescRuleSet::TDescRuleSet(const TNodeRec* table, std::string_view oemCodePage)
    : options_(ReadDescOptions(table)), oem_(oemCodePage) {
  if (!table) return;
  bool oemSeen[kOemReaders] = {};
  int last = std::min(table->SlotCount - 1, kMaxRuleSlot);
  for (int slot = 1; slot <= last; ++slot) {
    const TNodeRec* rule = NodeChild(table, slot);
    if (!rule) continue;
    int reader = RuleSlotInt(rule, rsReader);
    if (reader >= 0 && reader < kOemReaders && !oemSeen[reader]) {
      oemSeen[reader] = true;
      oemFlag_[reader] = RuleSlotInt(rule, rsOemToAnsi) != 0;
    }
    int target = RuleSlotInt(rule, rsTarget);
    if (RuleSlotInt(rule, rsEnabled) == 0 || target < dtFile || target > dtList) continue;
    const TNodeRec* masks = NodeChild(rule, rsMasks);
    if (!masks) continue;
    int32_t index = static_cast<int32_t>(rules_.size());
    rules_.push_back({slot, target, reader});
    // A longer list (a hand-made settings file) would give ranks reaching into the next rule.
    int count = std::min(masks->SlotCount, kMasksPerRank);
    for (int i = 0; i < count; ++i) {
      std::string_view mask = RuleSlotStr(masks, i);
      if (mask.empty()) continue;  // matches no file name
      TMaskRef ref{index, i};
      if (IsExtensionMask(mask)) {
        byExtension_[Utf8Upper(mask.substr(1))].push_back(ref);
      } else if (!HasWildcard(mask)) {
        byName_[Utf8Upper(mask)].push_back(ref);
      } else {
        wild_.push_back({ref, TWildMask(mask)});
      }
    }
  }
}

bool TDescRuleSet::OemToAnsi(int reader) const {
  return reader >= 0 && reader < kOemReaders && oemFlag_[reader];
}

void TDescRuleSet::Match(std::string_view name, std::vector<TRuleMatch>& out) const {
  out.clear();
  if (rules_.empty() || name.empty()) return;
  // Collect (rule, mask) hits, then keep the first mask of each rule.
  thread_local std::vector<TMaskRef> hits;
  hits.clear();
  if (!byExtension_.empty() || !byName_.empty()) {
    std::string upper = Utf8Upper(name);
    if (!byName_.empty()) {
      auto it = byName_.find(upper);
      if (it != byName_.end()) hits.insert(hits.end(), it->second.begin(), it->second.end());
    }
    size_t dot = upper.rfind('.');
    if (dot != std::string::npos && !byExtension_.empty()) {
      auto it = byExtension_.find(upper.substr(dot));
      if (it != byExtension_.end()) hits.insert(hits.end(), it->second.begin(), it->second.end());
    }
  }
  for (const TWildRef& w : wild_)
    if (w.Mask.Match(name)) hits.push_back(w.Ref);
  if (hits.empty()) return;
  std::sort(hits.begin(), hits.end(), [](const TMaskRef& a, const TMaskRef& b) {
    return a.Rule != b.Rule ? a.Rule < b.Rule : a.Mask < b.Mask;
  });
  int32_t lastRule = -1;
  for (const TMaskRef& h : hits) {
    if (h.Rule == lastRule) continue;
    lastRule = h.Rule;
    const TRule& r = rules_[static_cast<size_t>(h.Rule)];
    out.push_back({r.Slot * kMasksPerRank + h.Mask, r.Target, r.Reader});
  }
}

TNextRule NextMatchingRule(const std::vector<TRuleMatch>& matches, TDoneTargets done,
                           int32_t& position) {
  int32_t firstSlot = position / kMasksPerRank + 1;
  for (const TRuleMatch& m : matches) {
    if (m.Rank / kMasksPerRank < firstSlot || HasTarget(done, m.Target)) continue;
    position = m.Rank;
    return {m.Target, m.Reader};
  }
  return {0, 0};
}

TNextRule NextMatchingRule(const TDescRuleSet& rules, bool importDescriptions,
                           std::string_view name, TDoneTargets done, int32_t& position) {
  if (!importDescriptions) return {0, 0};
  std::vector<TRuleMatch> matches;
  rules.Match(name, matches);
  return NextMatchingRule(matches, done, position);
}
