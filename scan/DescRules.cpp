// SPDX-License-Identifier: MIT
#include "scan/DescRules.h"

#include "app/Language.h"
#include "store/QDBase.h"

namespace {

const TDefaultRule kDefaultRules[kReaderCount] = {
    {"HTML documents", dtFile, {"*.HTM", "*.HTML"}},
    {"MP3 audio files", dtFile, {"*.MP3"}},
    {"Executable files",
     dtFile,
     {"*.EXE", "*.DLL", "*.CPL", "*.VBX", "*.OCX", "*.VXD", "*.SYS", "*.DRV", "*.SCR", "*.ACM"}},
    {"Text files", dtFile, {"*.TXT", "*.NFO"}},
    {"BMP images", dtFile, {"*.BMP"}},
    {"JPEG images", dtFile, {"*.JPG", "*.JPEG", "*.JPE", "*.JFIF"}},
    {"CompuServe images", dtFile, {"*.GIF"}},
    {"PNG images", dtFile, {"*.PNG"}},
    {"ZSoft PaintBrush files", dtFile, {"*.PCX"}},
    {"TIFF images", dtFile, {"*.TIFF", "*.TIF"}},
    {"File_id.diz descriptions", dtFolder, {"FILE_ID.DIZ"}},
    {"Files.bbs description files", dtList, {"FILES.BBS"}},
    {"4DOS/NDOS descriptions", dtList, {"DESCRIPT.ION"}},
    {"Photos",
     dtFile,
     {"*.JPG",  "*.JPEG", "*.JPE", "*.JFIF", "*.TIF", "*.TIFF", "*.PNG", "*.WEBP", "*.HEIC",
      "*.HEIF", "*.AVIF", "*.DNG", "*.CR2",  "*.CR3", "*.CRW",  "*.NEF", "*.NRW",  "*.ARW",
      "*.SR2",  "*.SRW",  "*.ORF", "*.RW2",  "*.RAF", "*.PEF",  "*.MRW"},
     11811},
    {"Music and audio files",
     dtFile,
     {"*.FLAC", "*.OGG", "*.OGA", "*.OPUS", "*.M4A", "*.M4B", "*.WMA", "*.APE", "*.WV", "*.WAV",
      "*.AIF", "*.AIFF", "*.MPC"},
     11812},
    {"Video files",
     dtFile,
     {"*.MP4", "*.M4V", "*.MOV", "*.MKV", "*.WEBM", "*.AVI", "*.TS", "*.M2TS", "*.MTS", "*.VOB",
      "*.MPG", "*.MPEG", "*.WMV", "*.FLV", "*.3GP", "*.OGV"},
     11813},
    {"PDF documents", dtFile, {"*.PDF"}, 11814},
    {"Office documents and e-books",
     dtFile,
     {"*.ODT", "*.ODS", "*.ODP", "*.ODG", "*.DOCX", "*.XLSX", "*.PPTX", "*.EPUB"},
     11815},
};

// Writes the default masks of `def` into a new mask node at slot rsMasks of the rule under the
// cursor (the cursor stays on the rule).
void WriteMasks(TQDBase& store, const TDefaultRule& def) {
  store.NewChild(rsMasks);  // releases the old mask node, if any
  store.EnterChild(rsMasks);
  for (size_t i = 0; i < def.Masks.size(); ++i) store.SetStr(static_cast<int>(i), def.Masks[i]);
  store.Up();
}

}  // namespace

int32_t RuleSlotInt(const TNodeRec* node, int slot) {
  return node && NodeSlotType(node, slot) == stInteger ? NodeGetInt(node, slot) : 0;
}

std::string_view RuleSlotStr(const TNodeRec* node, int slot) {
  return node && NodeSlotType(node, slot) == stString ? NodeGetStr(node, slot) : std::string_view();
}

const TDefaultRule* DefaultDescriptionRule(int reader) {
  if (reader < 1 || reader > kReaderCount) return nullptr;
  return &kDefaultRules[reader - 1];
}

void InitDescriptionRules(TQDBase& bdOpt) {
  TNodeRec* saved = bdOpt.CurrentNode();
  bdOpt.GoToNode(bdOpt.RootNode());
  uint8_t t = bdOpt.SlotType(kDescRulesSlot);
  if (t != stEmpty && t != stNode) bdOpt.ClearSlot(kDescRulesSlot);  // a damaged settings file
  bdOpt.EnterChild(kDescRulesSlot);
  if (bdOpt.SlotCount() == 0) {
    bdOpt.EnterChild(0);
    bdOpt.SetInt(doMaxDescKB, 2);
    bdOpt.SetInt(doDropEmptyLines, 1);
    bdOpt.SetInt(doTrimLeading, 1);
    bdOpt.SetInt(doTrimTrailing, 1);
    bdOpt.SetInt(doCollapseSpaces, 1);
    bdOpt.Up();
  }
  for (int k = 1; k <= kReaderCount; ++k) {
    if (bdOpt.SlotCount() >= k + 1) continue;
    const TDefaultRule& def = kDefaultRules[k - 1];
    bdOpt.NewChild(k);
    bdOpt.EnterChild(k);
    bdOpt.SetStr(rsName, def.Name);
    WriteMasks(bdOpt, def);
    bdOpt.SetInt(rsEnabled, 1);
    bdOpt.SetInt(rsTarget, def.Target);
    bdOpt.SetInt(rsReader, k);
    bdOpt.SetInt(rsOemToAnsi, 0);
    bdOpt.Up();
  }
  bdOpt.GoToNode(saved);
}

void ResetRuleMasks(TQDBase& table, int ruleSlot) {
  if (ruleSlot < 1 || table.SlotType(ruleSlot) != stNode) return;
  TNodeRec* saved = table.CurrentNode();
  table.EnterChild(ruleSlot);
  if (const TDefaultRule* def = DefaultDescriptionRule(RuleSlotInt(table.CurrentNode(), rsReader)))
    WriteMasks(table, *def);
  table.GoToNode(saved);
}

std::string RuleListText(const TNodeRec* rule) {
  if (!rule) return std::string();
  std::string text(RuleSlotStr(rule, rsName));
  const TDefaultRule* def = DefaultDescriptionRule(RuleSlotInt(rule, rsReader));
  if (def && def->NameText != 0 && text == def->Name) text = LangText(def->NameText);
  text += " (";
  const TNodeRec* masks = NodeChild(rule, rsMasks);
  int count = masks ? masks->SlotCount : 0;
  if (count == 0) {
    text += LangText(10509);
  } else {
    for (int i = 0; i < count; ++i) {
      if (i > 0) text += ", ";
      text += RuleSlotStr(masks, i);
    }
  }
  text += ')';
  return text;
}
