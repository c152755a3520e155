// SPDX-License-Identifier: MIT
// The description rule table compiled for a scan: the clean-up options, the OemToAnsi flags and
// the masks of the enabled rules, prepared once so that offering a file to the rules costs a
// couple of hash lookups.
//
// Masks of the form "*.EXT" (the usual kind) are looked up by the file name's extension, masks
// without wildcards by the whole name; only the remaining masks are matched one by one with
// TWildMask. The result is the same as matching every mask with WildMatch.
//
// Threads: built once before the scan; afterwards only read (the scanner's worker thread).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/WildMatch.h"
#include "scan/DescOem.h"

struct TNodeRec;

// The clean-up options of the table (its slot 0).
struct TDescOptions {
  int32_t MaxDescKB = 0;  // 0 or less: no limit
  bool DropEmptyLines = false;
  bool TrimLeading = false;
  bool TrimTrailing = false;
  bool CollapseSpaces = false;

  // The length limit of a description in bytes; 0 for none.
  size_t MaxDescBytes() const;
  // How many bytes the text-head reader takes from a file: the description limit, or 100 KB
  // when there is none.
  size_t TextHeadLimit() const;
};

// The options of `table` (nullptr or a table without slot 0 gives all zeros).
TDescOptions ReadDescOptions(const TNodeRec* table);

// One rule that matched a file name: the rule's rank (rule slot * 256 + mask index), target and
// reader.
struct TRuleMatch {
  int32_t Rank;
  int Target;
  int Reader;
};

// DoneTargets of one file: bit (1 << target) for every target already served.
using TDoneTargets = unsigned;
inline bool HasTarget(TDoneTargets done, int target) { return (done >> target) & 1u; }
inline void AddTarget(TDoneTargets& done, int target) { done |= 1u << target; }

class TDescRuleSet {
 public:
  // An empty set: no options, no rules.
  TDescRuleSet() = default;
  // Compiles `table` (nullptr for none); the set keeps no reference to the store. Disabled rules,
  // slots that hold no rule, rules whose target is not 1, 2 or 3 and masks beyond the 256th are
  // left out: none of them could ever produce a description. `oemCodePage` is the iconv name of
  // the OEM code page of the settings.
  explicit TDescRuleSet(const TNodeRec* table, std::string_view oemCodePage = "CP437");

  const TDescOptions& Options() const { return options_; }
  // The OemToAnsi flag of the first rule (lowest slot, enabled or not) whose reader is `reader`;
  // false when no rule has that reader.
  bool OemToAnsi(int reader) const;
  const TOemTable& Oem() const { return oem_; }

  // Every compiled rule with a mask that matches `name`, each with its first matching mask, in
  // rule order (`out` is replaced).
  void Match(std::string_view name, std::vector<TRuleMatch>& out) const;

 private:
  static constexpr int kOemReaders = 14;  // reader ids 0 .. 13
  struct TMaskRef {
    int32_t Rule;  // index into rules_
    int32_t Mask;
  };
  struct TRule {
    int32_t Slot;
    int Target;
    int Reader;
  };
  struct TWildRef {
    TMaskRef Ref;
    TWildMask Mask;
  };

  TDescOptions options_;
  std::vector<TRule> rules_;
  std::unordered_map<std::string, std::vector<TMaskRef>> byExtension_;  // ".EXT", upper-cased
  std::unordered_map<std::string, std::vector<TMaskRef>> byName_;       // whole name, upper-cased
  std::vector<TWildRef> wild_;
  bool oemFlag_[kOemReaders] = {};
  TOemTable oem_;
};

// The next rule for a file: among `matches` (from TDescRuleSet::Match), the first rule after
// rule slot position / 256 whose target is not in `done`; `position` becomes its rank. Returns
// the rule's target and reader, or target 0 when no rule is left. Each rule thus fires at most
// once per file, in table order, and a served target stops later rules of that target.
struct TNextRule {
  int Target;
  int Reader;
};
TNextRule NextMatchingRule(const std::vector<TRuleMatch>& matches, TDoneTargets done,
                           int32_t& position);

// The same for a file name, matching it first; target 0 at once when `importDescriptions` is off.
TNextRule NextMatchingRule(const TDescRuleSet& rules, bool importDescriptions,
                           std::string_view name, TDoneTargets done, int32_t& position);
