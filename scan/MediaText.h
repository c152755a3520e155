// SPDX-License-Identifier: MIT
// The wording shared by the media readers' descriptions: lines joined by CR LF, sizes in the
// wording of the image readers, lengths of recordings, sample rates and channels. Texts in are
// UTF-8 as the libraries give them; texts out are UTF-8. Thread-safe (no shared state).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// `text` trimmed of characters of code 32 and below at both ends, with zero bytes and other
// control characters inside replaced by spaces (a tag is one line of the description).
std::string MediaField(std::string_view text);

// Appends CR LF and `line` to `text` (no CR LF when `text` is empty); nothing for an empty line.
void AddLine(std::string& text, std::string_view line);
// Language text `label`, a space and `value`; empty when `value` is.
std::string LabelledLine(int label, std::string_view value);

// "640 x 480 x 24 bits" (the image readers' wording, text 11805 the unit), or "640 x 480" when
// the depth is not known (0).
std::string MediaSizeText(uint32_t width, uint32_t height, unsigned depth);

// The length of a recording: "0:07", "3:45", "1:02:03"; empty for lengths of 0 or below, or
// beyond 100,000 hours (a broken header).
std::string DurationText(double seconds);

// "44.1 kHz", "48 kHz", "8 kHz"; empty for 0.
std::string SampleRateText(int hertz);
// "2 ch"; empty for 0.
std::string ChannelsText(int channels);
