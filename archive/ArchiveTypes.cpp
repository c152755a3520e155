// SPDX-License-Identifier: MIT
#include "archive/ArchiveTypes.h"

#include "platform/TextCase.h"
#include "store/QDBase.h"

namespace {

struct RowDef {
  const char* name;
  const char* masks[2];
};

constexpr RowDef kRows[kArchiveTypeCount] = {
    {"ZIP", {"*.ZIP", nullptr}}, {"RAR", {"*.RAR", nullptr}}, {"CAB", {"*.CAB", nullptr}},
    {"ACE", {"*.ACE", nullptr}}, {"ARJ", {"*.ARJ", nullptr}}, {"LHA", {"*.LHA", nullptr}},
    {"ARC", {"*.ARC", nullptr}}, {"LZH", {"*.LZH", nullptr}}, {"HA", {"*.HA", nullptr}},
    {"GZIP", {"*.GZ", "*.TGZ"}}, {"JAR", {"*.JAR", nullptr}}, {"PAK", {"*.PAK", nullptr}},
    {"TAR", {"*.TAR", nullptr}}, {"ZOO", {"*.ZOO", nullptr}}, {"Self-Extract", {"*.EXE", nullptr}},
    {"7Z", {"*.7Z", nullptr}},   {"ISO", {"*.ISO", nullptr}},
};

// Enters slot `slot` as a node, replacing a value of another type (a damaged settings file).
void EnterNode(TQDBase& db, int slot) {
  if (db.SlotType(slot) != stNode && db.SlotType(slot) != stEmpty) db.ClearSlot(slot);
  db.EnterChild(slot);
}

}  // namespace

void InitArchiveTypes(TQDBase& bdOpt) {
  bdOpt.PushPos();
  try {
    bdOpt.GoToDepth(0);
    const TNodeRec* table = NodeChild(bdOpt.CurrentNode(), kOptArchiveTypes);
    bool wasEmpty = table == nullptr || table->SlotCount == 0;
    EnterNode(bdOpt, kOptArchiveTypes);
    for (int row = 1; row <= kArchiveTypeCount; ++row) {
      const RowDef& def = kRows[row - 1];
      EnterNode(bdOpt, row);
      bdOpt.SetStr(0, def.name);
      bdOpt.ClearSlot(1);
      bdOpt.EnterChild(1);
      for (int m = 0; m < 2 && def.masks[m]; ++m) bdOpt.SetStr(m, def.masks[m]);
      bdOpt.Up();
      if (wasEmpty)
        bdOpt.SetInt(2, 1);
      else if (bdOpt.SlotType(2) == stEmpty)
        bdOpt.SetInt(2, 0);
      bdOpt.Up();
    }
  } catch (...) {
    bdOpt.PopPos();
    throw;
  }
  bdOpt.PopPos();
}

std::vector<TArchiveTypeRow> ReadArchiveTypes(const TQDBase& bdOpt) {
  std::vector<TArchiveTypeRow> rows(kArchiveTypeCount);
  const TNodeRec* table = NodeChild(bdOpt.RootNode(), kOptArchiveTypes);
  if (table == nullptr) return rows;
  for (int row = 1; row <= kArchiveTypeCount; ++row) {
    const TNodeRec* r = NodeChild(table, row);
    if (r == nullptr) continue;
    TArchiveTypeRow& out = rows[static_cast<size_t>(row - 1)];
    out.Name = NodeGetStr(r, 0);
    out.Enabled = NodeGetInt(r, 2) != 0;
    if (const TNodeRec* masks = NodeChild(r, 1)) {
      for (int m = 0; m < masks->SlotCount; ++m)
        if (NodeSlotType(masks, m) == stString) out.Masks.emplace_back(NodeGetStr(masks, m));
    }
  }
  return rows;
}

void SetArchiveTypeEnabled(TQDBase& bdOpt, int row, bool enabled) {
  if (row < 1 || row > kArchiveTypeCount) return;
  bdOpt.PushPos();
  try {
    bdOpt.GoToDepth(0);
    EnterNode(bdOpt, kOptArchiveTypes);
    EnterNode(bdOpt, row);
    bdOpt.SetInt(2, enabled ? 1 : 0);
  } catch (...) {
    bdOpt.PopPos();
    throw;
  }
  bdOpt.PopPos();
}

std::vector<bool> ArchiveTypeOnFrom(const std::vector<TArchiveTypeRow>& rows, bool scanArchives) {
  std::vector<bool> on(rows.size());
  for (size_t i = 0; i < rows.size(); ++i) on[i] = scanArchives && rows[i].Enabled;
  return on;
}

bool IsArchiveName(std::string_view fileName, const std::vector<TArchiveTypeRow>& rows,
                   const std::vector<bool>& archiveTypeOn) {
  for (size_t i = 0; i < rows.size() && i < archiveTypeOn.size(); ++i) {
    if (!archiveTypeOn[i]) continue;
    for (const TWildMask& m : rows[i].Masks)
      if (m.Match(fileName)) return true;
  }
  return false;
}

TArchiveNameTest::TArchiveNameTest(const std::vector<TArchiveTypeRow>& rows,
                                   const std::vector<bool>& archiveTypeOn) {
  for (size_t i = 0; i < rows.size() && i < archiveTypeOn.size(); ++i) {
    if (!archiveTypeOn[i]) continue;
    for (const TWildMask& m : rows[i].Masks) {
      all_.push_back(m);
      std::string_view text = m.Text();
      std::string_view tail = text.empty() ? text : text.substr(1);
      bool suffix = text.size() > 1 && text[0] == '*' && IsAsciiText(tail) &&
                    tail.find_first_of("*?") == std::string_view::npos;
      if (suffix) {
        std::string upper(tail);
        for (char& c : upper) c = static_cast<char>(AsciiUpper(static_cast<unsigned char>(c)));
        suffixes_.push_back(std::move(upper));
      } else {
        others_.push_back(m);
      }
    }
  }
}

bool TArchiveNameTest::operator()(std::string_view fileName) const {
  if (fileName.empty() || fileName[0] == '*' || !IsAsciiText(fileName)) {
    for (const TWildMask& m : all_)
      if (m.Match(fileName)) return true;
    return false;
  }
  for (const std::string& suffix : suffixes_) {
    if (suffix.size() > fileName.size()) continue;
    const char* end = fileName.data() + fileName.size() - suffix.size();
    size_t k = 0;
    while (k < suffix.size() &&
           AsciiUpper(static_cast<unsigned char>(end[k])) == static_cast<unsigned char>(suffix[k]))
      ++k;
    if (k == suffix.size()) return true;
  }
  for (const TWildMask& m : others_)
    if (m.Match(fileName)) return true;
  return false;
}
