// SPDX-License-Identifier: MIT
#include "scan/DiskGraft.h"

#include "app/Options.h"
#include "archive/ArchiveTypes.h"
#include "catalog/CatalogLayout.h"
#include "platform/Collate.h"

TScanSettings MakeScanSettings(const TQDBase& bdOpt, bool importDescriptions, bool scanArchives,
                               bool updateMode, TUpdateDescMode updateDescMode) {
  TScanSettings s;
  s.ImportDescriptions = importDescriptions;
  s.ScanArchives = scanArchives;
  s.UpdateMode = updateMode;
  s.UpdateDescMode = updateDescMode;
  s.ArchiveTypes = ReadArchiveTypes(bdOpt);
  s.ArchiveTypeOn = ArchiveTypeOnFrom(s.ArchiveTypes, scanArchives);
  s.DescRules = std::make_shared<TQDBase>();
  TQDBase& opt = const_cast<TQDBase&>(bdOpt);  // the cursor is restored below
  TNodeRec* saved = opt.CurrentNode();
  if (TNodeRec* table = NodeChild(opt.RootNode(), kOptDescRules)) {
    opt.GoToNode(table);
    s.DescRules->AppendFrom(opt);
  }
  opt.GoToNode(saved);
  return s;
}

void CarryDiskFields(const TNodeRec* oldDisk, TQDBase& bdDisk, TUpdateDescMode updateDescMode) {
  const TNodeRec* oldHeader = FieldNode(oldDisk);
  bdDisk.GoToDepth(0);
  bdDisk.EnterChild(0);
  bdDisk.SetInt(kHdrLocation, FieldInt(oldHeader, kHdrLocation));
  bdDisk.SetInt(kFieldFlags, WithCategory(bdDisk.GetInt(kFieldFlags),
                                          ItemCategory(FieldInt(oldHeader, kFieldFlags))));
  if (updateDescMode != TUpdateDescMode::DeleteAll)
    bdDisk.SetStr(kFieldDescription, FieldStr(oldHeader, kFieldDescription));
  bdDisk.GoToDepth(0);
}

TNodeRec* GraftNewDisk(TQDBase& bdMain, TNodeRec* destination, TQDBase& bdDisk) {
  bdDisk.GoToDepth(0);
  std::string name = UniqueSiblingName(bdDisk.ChildGetStr(0, kFieldName), destination);
  bdDisk.ChildSetStr(0, kFieldName, name);
  bdMain.GoToNode(destination);
  bdMain.EnterChild(bdMain.SlotCount() < 1 ? 1 : bdMain.SlotCount());
  bdMain.TakeSubtree(bdDisk);  // constant time, whatever the size of the disk
  TNodeRec* disk = bdMain.CurrentNode();
  bdDisk.Clear();
  RecomputeTotals(bdMain);
  MarkCatalogModified(bdMain);
  bdMain.GoToNode(disk);
  return disk;
}

void ReplaceDisk(TQDBase& bdMain, TNodeRec* oldDisk, TQDBase& bdDisk) {
  bdDisk.GoToDepth(0);
  std::string typed = bdDisk.ChildGetStr(0, kFieldName);
  std::string oldName(ItemName(oldDisk));
  if (!AnsiSameText(typed, oldName))
    bdDisk.ChildSetStr(0, kFieldName, UniqueSiblingName(typed, oldDisk->Parent, oldDisk));
  bdMain.GoToNode(oldDisk);
  while (bdMain.SlotCount() > 0) bdMain.DeleteSlot(0);
  bdMain.AppendFrom(bdDisk);
  bdDisk.Clear();
  RecomputeTotals(bdMain);
  MarkCatalogModified(bdMain);
  bdMain.GoToNode(oldDisk);
}
