// SPDX-License-Identifier: MIT
// Inline reads of item fields straight from a node's slot arrays, for the hot loops of the search
// walk and the list sort. Same results as the safe reads of catalog/CatalogLayout.h (FieldStr,
// FieldInt...): a missing slot or one of another type reads as zero, never throws.
//
// Threads: as the store.
#pragma once

#include <cstdint>
#include <cstring>
#include <string_view>

#include "store/QDBase.h"

namespace noderead {

inline uint8_t Type(const TNodeRec* n, int slot) {
  return static_cast<unsigned>(slot) < static_cast<unsigned>(n->SlotCount) ? n->Types()[slot]
                                                                           : uint8_t(stEmpty);
}
inline TNodeRec* Child(const TNodeRec* n, int slot) {
  return Type(n, slot) == stNode ? n->Values[slot].Node : nullptr;
}
// The field node: the header of a container, the item itself for a file.
inline const TNodeRec* Fields(const TNodeRec* item) {
  const TNodeRec* h = Child(item, 0);
  return h ? h : item;
}
inline std::string_view Str(const TNodeRec* n, int slot) {
  if (Type(n, slot) != stString) return {};
  const TStrBlock* s = n->Values[slot].Str;
  return {s->Bytes(), static_cast<size_t>(s->Length)};
}
inline int32_t Int(const TNodeRec* n, int slot) {
  return Type(n, slot) == stInteger ? static_cast<int32_t>(n->Values[slot].Bits) : 0;
}
inline uint64_t Pair(const TNodeRec* n, int slot, uint8_t low, uint8_t high) {
  if (Type(n, slot) != low || Type(n, slot + 1) != high) return 0;
  return uint64_t(n->Values[slot].Bits) | (uint64_t(n->Values[slot + 1].Bits) << 32);
}
inline int64_t Int64(const TNodeRec* n, int slot) {
  return static_cast<int64_t>(Pair(n, slot, stInt64, stInt64High));
}
inline double Float(const TNodeRec* n, int slot) {
  uint64_t bits = Pair(n, slot, stFloat, stFloatHigh);
  double d;
  std::memcpy(&d, &bits, sizeof d);
  return d;
}

}  // namespace noderead
