// SPDX-License-Identifier: MIT
// Sort keys of texts that order exactly as AnsiCompareText: for a pure-ASCII text the string of
// the collation ranks of its characters (ignorable characters left out), compared bytewise; any
// other text keeps its bytes and is compared with AnsiCompareText itself. Sorting a million names
// then costs a key build per row instead of a collation call per comparison.
//
// Threads: the rank table is built once (thread-safe); a TTextKeys is used by one thread.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The keys of a column of texts, row by row.
class TTextKeys {
 public:
  void Reserve(size_t rows, size_t bytes);
  // Appends the key of the next row's text.
  void Add(std::string_view text);
  size_t Size() const { return start_.size(); }
  // Negative, zero or positive as the text of row a sorts before, equal to, or after row b's.
  int Compare(size_t a, size_t b) const;
  // The first 8 key bytes of a row as a big-endian number (shorter keys padded with zero bytes),
  // when every row has a rank key: then a smaller prefix means an earlier text, and equal
  // prefixes need Compare. False when some row needs AnsiCompareText.
  bool HasPrefixes() const { return allFast_; }
  uint64_t Prefix(size_t row) const;

 private:
  std::string_view KeyOf(size_t row) const {
    return std::string_view(bytes_).substr(start_[row], length_[row]);
  }
  std::string_view TextOf(size_t row) const {
    return std::string_view(bytes_).substr(start_[row] + length_[row], textLength_[row]);
  }
  std::string bytes_;  // per row: the rank key (empty when not fast), then the original text
  std::vector<size_t> start_;
  std::vector<uint32_t> length_;      // of the rank key
  std::vector<uint32_t> textLength_;  // of the original text
  std::vector<bool> fast_;            // the row has a rank key
  bool allFast_ = true;
};

// True iff the ASCII rank table reproduces AnsiCompareText (checked once on character pairs;
// otherwise every text compares through AnsiCompareText).
bool AsciiRankKeysUsable();
