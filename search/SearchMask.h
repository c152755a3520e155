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

#include "platform/WildMatch.h"

class TSearchMask {
 public:
  explicit TSearchMask(std::string_view mask);
  bool Match(std::string_view text) const;

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
  bool MatchesAnyMask(std::string_view text) const;
  size_t Size() const { return masks_.size(); }

 private:
  std::vector<TSearchMask> masks_;
};
