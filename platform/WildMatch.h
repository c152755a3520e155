// SPDX-License-Identifier: MIT
// Wildcard matching of names and descriptions: "*" any run of characters, "?" one character,
// letter case ignored. The search, the description rules and the archive type table all match
// with it. Thread-safe.
//
// The matcher is deliberately not a full glob: after a "*" the next literal group is taken at
// its first occurrence, and a final group is compared with the end of the whole text. So
// 'ABC*BCD' matches 'ABCD' and 'ABC*D*' matches 'ABC'; users' saved masks rely on this.
#pragma once

#include <string>
#include <string_view>

// A mask prepared once for matching many texts.
class TWildMask {
 public:
  TWildMask() = default;
  explicit TWildMask(std::string_view mask);
  bool Match(std::string_view text) const;
  const std::string& Text() const { return original_; }

 private:
  std::string original_;
  std::string asciiUpper_;  // collapsed and upper-cased, when the mask is ASCII
  std::u32string upper_;    // collapsed and upper-cased code points
  bool ascii_ = true;
  bool star_ = false;   // the collapsed mask is "*"
  bool empty_ = false;  // the collapsed mask is empty
};

// True iff `text` matches `mask`.
bool WildMatch(std::string_view text, std::string_view mask);
