// SPDX-License-Identifier: MIT
// The code page of each open catalog, for the texts that leave the store: a name or description
// that is valid UTF-8 is shown as it is, any other one is decoded with the legacy code page of the
// catalog that holds it (catalogs made on older systems store their texts in the system's ANSI
// page). The choice lives outside the catalog image: one page for every catalog, and per catalog
// file (the catalog header's runtime file name) where a user has chosen another.
//
// Threads: a filled set is read-only; readers follow the store's rule.
#pragma once

#include <map>
#include <string>
#include <string_view>

#include "platform/CodePage.h"
#include "store/QDBase.h"

class TCatalogDecoders {
 public:
  // Every catalog in Windows-1252.
  TCatalogDecoders() = default;
  explicit TCatalogDecoders(TTextDecoder all) : all_(std::move(all)) {}

  // The decoder of the catalogs without a choice of their own.
  const TTextDecoder& All() const { return all_; }
  void SetAll(TTextDecoder decoder) { all_ = std::move(decoder); }
  // The decoder of the catalog saved as `file` (its full path as the catalog header holds it).
  void SetForFile(const std::string& file, TTextDecoder decoder);

  // The decoder of the catalog that holds `item` (All() for nullptr and for an unknown file).
  const TTextDecoder& For(const TNodeRec* item) const;
  // The decoder of the catalog file `file` (its full path), for a catalog read without loading.
  const TTextDecoder& ForFile(std::string_view file) const;
  // `bytes`, a text of `item`, as UTF-8: itself when valid UTF-8, decoded otherwise.
  std::string Text(const TNodeRec* item, std::string_view bytes) const {
    return TTextDecoder::NeedsDecoding(bytes) ? For(item).Text(bytes) : std::string(bytes);
  }
  // As Text, without a copy for valid UTF-8; a decoded text is kept in `scratch`.
  std::string_view View(const TNodeRec* item, std::string_view bytes, std::string& scratch) const {
    if (!TTextDecoder::NeedsDecoding(bytes)) return bytes;
    For(item).DecodeInto(bytes, scratch);
    return scratch;
  }

 private:
  TTextDecoder all_;
  std::map<std::string, TTextDecoder, std::less<>> byFile_;
};

// The decoders every caller without a choice of its own uses: Windows-1252 for every catalog.
const TCatalogDecoders& DefaultCatalogDecoders();
