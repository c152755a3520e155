// SPDX-License-Identifier: MIT
#include "catalog/CatalogText.h"

#include "catalog/CatalogLayout.h"

void TCatalogDecoders::SetForFile(const std::string& file, TTextDecoder decoder) {
  byFile_.insert_or_assign(file, std::move(decoder));
}

const TTextDecoder& TCatalogDecoders::For(const TNodeRec* item) const {
  if (byFile_.empty() || !item) return all_;
  const TNodeRec* catalog = CatalogNodeOf(item);
  if (!catalog) return all_;
  auto it = byFile_.find(FieldStr(FieldNode(catalog), kCatFileName));
  return it == byFile_.end() ? all_ : it->second;
}

const TTextDecoder& TCatalogDecoders::ForFile(std::string_view file) const {
  auto it = byFile_.find(file);
  return it == byFile_.end() ? all_ : it->second;
}

const TCatalogDecoders& DefaultCatalogDecoders() {
  static const TCatalogDecoders decoders;
  return decoders;
}
