// SPDX-License-Identifier: MIT
// Sort keys of texts that order exactly as AnsiCompareText: for a pure-ASCII text the string of
// the collation ranks of its characters (ignorable characters left out), compared bytewise; any
// other text keeps its bytes and is compared with AnsiCompareText itself. Sorting a million names
// then costs a key build per row instead of a collation call per comparison.
//
// Threads: the rank table is built once (thread-safe); a TTextKeys is used by one thread.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "catalog/CatalogText.h"

// The keys of a column of texts, row by row. A rank key is all a row keeps; a row whose text is
// not ASCII keeps the text itself. Comparing such a row with a ranked one needs the ranked row's
// text back, which `textOf` (given at construction) returns.
class TTextKeys {
 public:
  explicit TTextKeys(std::function<std::string(size_t row)> textOf) : textOf_(std::move(textOf)) {}
  void Reserve(size_t rows, size_t bytes);
  // Appends the key of the next row's text.
  void Add(std::string_view text) { Add(text, nullptr, nullptr); }
  // The same for a stored text of `item`: a text that is not UTF-8 is keyed by its decoding with
  // the page of the item's catalog (checked only once the text turned out not to be ASCII).
  void Add(std::string_view text, const TCatalogDecoders* decoders, const TNodeRec* item);
  size_t Size() const { return start_.size(); }
  // Negative, zero or positive as the text of row a sorts before, equal to, or after row b's.
  int Compare(size_t a, size_t b) const;
  // True when every row has a rank key; then Prefix gives the first 8 * `count` key bytes of a
  // row as big-endian numbers (a shorter key padded with zero bytes, which no rank uses):
  // comparing the numbers in order compares the keys as far as they reach, and equal numbers
  // mean equal keys when `whole` is set for both rows (the key ended within the prefix).
  // Otherwise Compare decides.
  bool HasPrefixes() const { return allFast_; }
  void Prefix(size_t row, uint64_t* words, int count, bool& whole) const;

 private:
  std::string_view BytesOf(size_t row) const {
    return std::string_view(bytes_).substr(start_[row], length_[row]);
  }
  std::function<std::string(size_t row)> textOf_;
  std::string bytes_;  // per row: the rank key, or the text when it has none
  std::vector<size_t> start_;
  std::vector<uint32_t> length_;
  std::vector<bool> fast_;  // the row has a rank key
  bool allFast_ = true;
};

// True iff the ASCII rank table reproduces AnsiCompareText (checked once on character pairs;
// otherwise every text compares through AnsiCompareText).
bool AsciiRankKeysUsable();
