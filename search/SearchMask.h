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

// A stored text as the masks see it: itself while it is valid UTF-8, else decoded with the
// catalog's code page. Whether it is UTF-8 is found out only when a mask's ASCII fast path does
// not settle the match, and then once for all masks; ASCII texts are never scanned twice.
class TMatchText {
 public:
  TMatchText(std::string_view stored, const TTextDecoder* decoder)
      : stored_(stored), decoder_(decoder) {}
  std::string_view Stored() const { return stored_; }
  // The text shown: the stored one or its decoding (kept in a buffer of the calling thread).
  std::string_view Shown();

 private:
  std::string_view stored_;
  std::string_view shown_;
  const TTextDecoder* decoder_;
  bool checked_ = false;
};

class TSearchMask {
 public:
  explicit TSearchMask(std::string_view mask);
  bool Match(std::string_view text) const {
    TMatchText t(text, nullptr);
    return Match(t);
  }
  bool Match(TMatchText& text) const;

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
  bool MatchesAnyMask(std::string_view text) const {
    TMatchText t(text, nullptr);
    return MatchesAnyMask(t);
  }
  // The same for a stored text that is decoded with `decoder` when it is not UTF-8.
  bool MatchesAnyMask(std::string_view stored, const TTextDecoder* decoder) const {
    TMatchText t(stored, decoder);
    return MatchesAnyMask(t);
  }
  bool MatchesAnyMask(TMatchText& text) const;
  size_t Size() const { return masks_.size(); }

 private:
  std::vector<TSearchMask> masks_;
};
