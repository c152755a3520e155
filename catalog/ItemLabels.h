// SPDX-License-Identifier: MIT
// The short texts of an item: attribute letters, the kind, the drive type and the first line of
// its description. The kind and drive type come from the language tables.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// "d", "r", "h", "s", "a" for the attribute bits 0x10, 0x01, 0x02, 0x04, 0x20 of bits 8-15 of the
// item flags, in that order, each present or absent.
std::string AttributeLetters(int32_t itemFlags);
// Text 10131 for a kind of 100 or more, 10132..10135 for kinds 1..4, empty otherwise.
std::string KindText(int32_t itemFlags);
// Texts 10181..10186 for drive types 1..6, empty otherwise.
std::string DriveTypeText(int driveType);
// The description without leading characters of code 32 or below; when a CR remains, the text
// before the first CR followed by " [...]".
std::string FirstLine(std::string_view description);
