// SPDX-License-Identifier: MIT
// A readable print of a node-store tree, for the command-line tool's dump command.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>
#include <string_view>

#include "store/QDBase.h"

// Levels indented by spaces; deeper lines are indented as deep as this and carry "<depth>".
inline constexpr size_t kDumpIndentDepth = 32;

// Bytes as a C-like string literal: printable ASCII as is, valid UTF-8 sequences as they are,
// quotes, backslashes, CR, LF and TAB escaped, everything else as \xNN.
std::string DumpEscape(std::string_view s);

// Prints the whole tree of `store`, one line per slot: "[slot] type value", nodes as
// "node: N slots" with their slots one level deeper.
void DumpStoreTree(TQDBase& store, std::FILE* out);
