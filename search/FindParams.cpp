// SPDX-License-Identifier: MIT
#include "search/FindParams.h"

#include <cmath>
#include <limits>

std::vector<std::string> CompileMasks(std::string_view text) {
  std::vector<std::string> masks;
  auto add = [&](std::string m) {
    if (masks.size() < static_cast<size_t>(kMaxMasks)) masks.push_back(std::move(m));
  };
  if (text.find(' ') == std::string_view::npos) {
    if (text.find_first_of("*?") == std::string_view::npos)
      add("*" + std::string(text) + "*");
    else
      add(std::string(text));
    return masks;
  }
  size_t sp;
  while ((sp = text.find(' ')) != std::string_view::npos) {
    add(std::string(text.substr(0, sp)));
    text.remove_prefix(sp + 1);
  }
  if (!text.empty()) add("*" + std::string(text) + "*");
  return masks;
}

int64_t SizeLimitOf(int64_t value, int unit) {
  int64_t factor = unit == 1 ? 1024 : unit == 2 ? 1048576 : 1;
  constexpr int64_t kMax = std::numeric_limits<int64_t>::max();
  constexpr int64_t kMin = std::numeric_limits<int64_t>::min();
  if (value > kMax / factor) return kMax;
  if (value < kMin / factor) return kMin;
  return value * factor;
}

double DateOnly(double dateTime) { return std::trunc(dateTime); }

int32_t AttrRequirement(TCheck state, int32_t bit) {
  switch (state) {
    case TCheck::Grayed: return -1;
    case TCheck::Unchecked: return 0;
    case TCheck::Checked: return bit;
  }
  return -1;
}

TFindParams CompileCriteria(const TFindControls& c) {
  TFindParams p;
  p.Masks = CompileMasks(c.MaskText);
  p.MaskCount = static_cast<int32_t>(p.Masks.size());
  p.InNames = c.InNames;
  p.InDescriptions = c.InDescriptions;
  p.InArchives = c.InArchives;
  p.DateOn = c.DateOn;
  p.DateFrom = DateOnly(c.DateFrom);
  p.DateTo = DateOnly(c.DateTo);
  p.SizeOn = c.SizeOn;
  p.SizeOp = c.SizeOp;
  p.SizeLimit = SizeLimitOf(c.SizeValue, c.SizeUnit);
  p.AttrOn = c.AttrOn;
  p.AttrReadOnly = AttrRequirement(c.ReadOnly, 0x01);
  p.AttrHidden = AttrRequirement(c.Hidden, 0x02);
  p.AttrSystem = AttrRequirement(c.System, 0x04);
  p.AttrDirectory = AttrRequirement(c.Directory, 0x10);
  p.AttrArchive = AttrRequirement(c.Archive, 0x20);
  p.ResultLimit = c.StopOn ? c.StopCount : kNoResultLimit;
  return p;
}
