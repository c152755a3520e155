// SPDX-License-Identifier: MIT
#include "scan/MediaText.h"

#include <cmath>
#include <cstdio>

#include "app/Language.h"

std::string MediaField(std::string_view text) {
  size_t b = 0, e = text.size();
  while (b < e && static_cast<unsigned char>(text[b]) <= 32) ++b;
  while (e > b && static_cast<unsigned char>(text[e - 1]) <= 32) --e;
  std::string out(text.substr(b, e - b));
  for (char& c : out)
    if (static_cast<unsigned char>(c) < 32) c = ' ';
  return out;
}

void AddLine(std::string& text, std::string_view line) {
  if (line.empty()) return;
  if (!text.empty()) text += "\r\n";
  text += line;
}

std::string LabelledLine(int label, std::string_view value) {
  if (value.empty()) return std::string();
  return LangText(label) + " " + std::string(value);
}

std::string MediaSizeText(uint32_t width, uint32_t height, unsigned depth) {
  std::string text = std::to_string(width) + " x " + std::to_string(height);
  if (depth > 0) text += " x " + std::to_string(depth) + " " + LangText(11805);
  return text;
}

std::string DurationText(double seconds) {
  if (!(seconds > 0) || seconds > 100000.0 * 3600) return std::string();
  auto total = static_cast<uint64_t>(std::llround(seconds));
  char buf[48];
  if (total >= 3600) {
    std::snprintf(buf, sizeof buf, "%llu:%02u:%02u", static_cast<unsigned long long>(total / 3600),
                  static_cast<unsigned>(total / 60 % 60), static_cast<unsigned>(total % 60));
  } else {
    std::snprintf(buf, sizeof buf, "%u:%02u", static_cast<unsigned>(total / 60),
                  static_cast<unsigned>(total % 60));
  }
  return buf;
}

std::string SampleRateText(int hertz) {
  if (hertz <= 0) return std::string();
  // Kilohertz with as many decimals as the rate needs: 44.1, 22.05, 11.025, 48.
  std::string text = std::to_string(hertz / 1000);
  std::string decimals = std::to_string(1000 + hertz % 1000).substr(1);
  while (!decimals.empty() && decimals.back() == '0') decimals.pop_back();
  if (!decimals.empty()) text += "." + decimals;
  return text + " kHz";
}

std::string ChannelsText(int channels) {
  if (channels <= 0) return std::string();
  return std::to_string(channels) + " ch";
}
