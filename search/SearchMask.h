// SPDX-License-Identifier: MIT
// The masks of one search, compiled once: each is a TWildMask, with fast paths for the forms users
// type most ("*text*", "*.ext", "name*", "*") that give exactly WildMatch's result. The fast paths
// take ASCII texts without "*" (a "*" in the text would match a "*" of the mask literally);
// everything else goes through WildMatch.
//
// Threads: a compiled set is read-only; any thread may match with it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/CodePage.h"
#include "platform/WildMatch.h"

class TSearchMask {
 public:
  explicit TSearchMask(std::string_view mask);
  bool Match(std::string_view text) const {
    TFast fast = MatchFast(text);
    return fast == TFast::Undecided ? wild_.Match(text) : fast == TFast::Yes;
  }

  // The fast forms on plain ASCII text; Undecided for every other mask or text, which then goes
  // to MatchWild (with the text decoded when it is not UTF-8).
  enum class TFast { No, Yes, Undecided };
  TFast MatchFast(std::string_view text) const;
  bool MatchWild(std::string_view text) const { return wild_.Match(text); }

 private:
  enum class TForm { General, All, Contains, Suffix, Prefix };
  TWildMask wild_;
  TForm form_ = TForm::General;
  std::string literal_;  // upper-cased ASCII literal of the fast forms
};

class TMaskSet {
 public:
  TMaskSet() = default;
  explicit TMaskSet(const std::vector<std::string>& masks);
  // True iff at least one mask matches; the masks are tried in order.
  bool MatchesAnyMask(std::string_view text) const { return MatchesAnyMask(text, nullptr); }
  // The same for a stored text, decoded with `decoder` when it is not UTF-8 (the decision is
  // taken only once a mask's ASCII fast path has not settled the match, and once for all masks).
  bool MatchesAnyMask(std::string_view stored, const TTextDecoder* decoder) const;
  size_t Size() const { return masks_.size(); }

 private:
  std::vector<TSearchMask> masks_;
};
