// SPDX-License-Identifier: MIT
// The description rule table: which files give descriptions, and how.
//
// The table is the node at root slot 13 of the settings store `bdOpt`; dialogs and the scan work
// on copies of it (a store whose root holds the table's slots). Layout:
//
//   slot 0       DescOptions (node): 0 MaxDescKB (0 = no limit), 1 DropEmptyLines,
//                2 TrimLeading, 3 TrimTrailing, 4 CollapseSpaces (integers, 0/1 flags)
//   slot 1..n-1  one rule each (node), in priority order (slot 1 is tried first):
//                0 name shown to the user (string), 1 masks (node of strings, in order),
//                2 enabled (0/1), 3 target (dtFile 1, dtFolder 2, dtList 3), 4 reader id 1..18,
//                10 OemToAnsi (0/1), honoured for readers 4, 11, 12 and 13 only
//
// The rank of a description's source is rule slot * 256 + index of the matching mask (lower is
// better), which is why a rule holds at most 251 masks.
//
// Threads: plain functions over a store; the caller owns the store and its cursor.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class TQDBase;
struct TNodeRec;

// The root slot of `bdOpt` that holds the table.
inline constexpr int kDescRulesSlot = 13;

// Slots of DescOptions (table slot 0).
enum : int {
  doMaxDescKB = 0,
  doDropEmptyLines = 1,
  doTrimLeading = 2,
  doTrimTrailing = 3,
  doCollapseSpaces = 4,
};

// Slots of a rule node.
enum : int {
  rsName = 0,
  rsMasks = 1,
  rsEnabled = 2,
  rsTarget = 3,
  rsReader = 4,
  rsOemToAnsi = 10,
};

// Targets: what a rule's file describes.
enum : int { dtFile = 1, dtFolder = 2, dtList = 3 };

// Reader ids.
enum : int {
  drHTML = 1,
  drMP3 = 2,
  drEXE = 3,
  drTXT = 4,
  drBMP = 5,
  drJPG = 6,
  drGIF = 7,
  drPNG = 8,
  drPCX = 9,
  drTIFF = 10,
  drDIZ = 11,
  drBBS = 12,
  drION = 13,
  // Readers of today's media, after the thirteen of the first table: each goes through the
  // library made for its formats (scan/PhotoDesc.h, AudioDesc.h, VideoDesc.h, PdfDesc.h,
  // OfficeDesc.h).
  drPhoto = 14,
  drAudio = 15,
  drVideo = 16,
  drPDF = 17,
  drOffice = 18,
};
inline constexpr int kReaderCount = 18;
// The readers of the first table; settings files written before the media readers hold these.
inline constexpr int kFirstTableReaders = 13;

// The mask list of a rule holds at most this many masks (the settings dialog refuses more).
inline constexpr int kMaxRuleMasks = 251;

// Reads of a table that came from a settings file: a slot of another type than expected (a
// damaged file) reads as 0 or the empty text instead of raising the store's type error.
int32_t RuleSlotInt(const TNodeRec* node, int slot);
std::string_view RuleSlotStr(const TNodeRec* node, int slot);

// The default rule of a reader id (1 .. 18).
struct TDefaultRule {
  const char* Name;  // stored in the table as it stands
  int Target;
  std::vector<const char*> Masks;
  // The language text that shows the name while the rule keeps it (0: the stored name shows).
  int NameText = 0;
};
// The default rule of `reader`; nullptr for an id outside 1 .. 18.
const TDefaultRule* DefaultDescriptionRule(int reader);

// Completes the table at root slot 13 of `bdOpt`: an empty table gets the DescOptions defaults;
// a table with fewer than k + 1 slots gains the default rule k at slot k (k = 1 .. 18), so a
// table saved by an older version gains the rules it lacks at the end, enabled (a table of the
// thirteen first rules, in any order, gains the media readers at slots 14 .. 18). Existing rules
// are never changed. A root slot 13 that holds something other than a node is replaced by a new
// table. The cursor of `bdOpt` is where it was afterwards.
void InitDescriptionRules(TQDBase& bdOpt);

// Replaces the masks of the rule at `ruleSlot` of the table under the store's cursor by the
// default masks of the rule's reader id; a reader id outside 1 .. 18, or a slot that holds no
// rule, leaves everything as it is. The cursor is where it was afterwards.
void ResetRuleMasks(TQDBase& table, int ruleSlot);

// The text of a rule in the rule check lists: name + " (" + masks joined by ", " + ")", or
// name + " (" + text 10509 + ")" for a rule without masks. `rule` may be nullptr (empty text).
// A rule that keeps the default name of its reader shows that name's language text, where the
// reader has one.
std::string RuleListText(const TNodeRec* rule);
