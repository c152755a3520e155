// SPDX-License-Identifier: MIT
// The compiled search criteria (TFindParams) and how the search window's control values become
// them: the masks cut from the mask text, the date bounds without their time of day, the size
// limit in bytes, the attribute requirements from three-state boxes, the result limit.
//
// Threads: any; plain values only.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

inline constexpr int kMaxMasks = 100;
inline constexpr int32_t kNoResultLimit = 2147483647;

// SizeOp values (items of the size operator box).
enum : int32_t { soEqual = 0, soGreater = 1, soLess = 2 };

struct TFindParams {
  std::vector<std::string> Masks;  // the compiled masks, at most kMaxMasks
  int32_t MaskCount = 0;           // == Masks.size()
  bool InNames = true;
  bool InDescriptions = false;
  bool InArchives = true;
  bool DateOn = false;
  double DateFrom = 0;  // midnight values: an item dated after 00:00 of DateTo does not match
  double DateTo = 0;
  bool SizeOn = false;
  int32_t SizeOp = soEqual;
  int64_t SizeLimit = 0;
  bool AttrOn = false;
  // Requirement per attribute bit: -1 none, 0 bit clear, the bit value itself bit set.
  int32_t AttrReadOnly = -1, AttrHidden = -1, AttrSystem = -1, AttrDirectory = -1,
          AttrArchive = -1;
  int32_t ResultLimit = kNoResultLimit;
};

// Cuts the mask text into masks. With no space, the text is the only mask, wrapped as "*T*" when
// it holds neither "*" nor "?" (so "" gives "**", which matches everything). With spaces, every
// part before a space is a mask exactly as typed (empty between two spaces), and a non-empty rest
// after the last space is one more mask wrapped as "*rest*". Nothing is trimmed; at most
// kMaxMasks masks are kept.
std::vector<std::string> CompileMasks(std::string_view text);

// The state of a three-state box.
enum class TCheck { Unchecked, Checked, Grayed };

// The values of the search window's criteria controls.
struct TFindControls {
  std::string MaskText;
  bool InNames = true, InDescriptions = true, InArchives = true;
  bool DateOn = false;
  double DateFrom = 0, DateTo = 0;  // date-time values of the two pickers
  bool SizeOn = false;
  int32_t SizeOp = soEqual;  // 0 "=", 1 ">", 2 "<"
  int64_t SizeValue = 1;     // the numeric edit's value
  int SizeUnit = 1;          // 0 bytes, 1 KB, 2 MB
  bool AttrOn = false;
  TCheck ReadOnly = TCheck::Grayed, Hidden = TCheck::Grayed, System = TCheck::Grayed,
         Directory = TCheck::Grayed, Archive = TCheck::Grayed;
  bool StopOn = false;
  int32_t StopCount = 1000;
};

TFindParams CompileCriteria(const TFindControls& controls);

// `value` times the unit (0 bytes, 1 KB = 1024, 2 MB = 1048576; other units count as bytes) in
// 64 bits, saturated at the 64-bit bounds.
int64_t SizeLimitOf(int64_t value, int unit);
// The date of a date-time value with its time of day removed (truncated toward zero, as the
// date-time encoding keeps the fraction positive on both sides of the epoch).
double DateOnly(double dateTime);
// The requirement of one attribute box for attribute bit `bit`.
int32_t AttrRequirement(TCheck state, int32_t bit);
