// SPDX-License-Identifier: MIT
// Running items through the desktop: the texts of shell error codes and the alternative shell
// command template (its split and the lookup of its program on the search path).
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

// The message number for the result code of a failed shell execution (2 -> 10161 ... any other ->
// 10173), and its text.
int ShellErrorNumber(int code);
std::string ShellErrorText(int code);

// The alternative shell command after the split of its template.
struct TShellCommand {
  std::string Program;                 // without quotes
  std::string Parameters;              // the parameter text with %1 and %2 replaced
  std::vector<std::string> Arguments;  // the same as an argument list (see SplitShellTemplate)
};

// Splits the template (settings 7.4): trimmed; a leading double quote makes the program the text
// up to the next double quote, otherwise the program is the text up to the first space; the rest,
// trimmed, are the parameters. Parameters that contain neither "%1" nor "%2" get " \"%1\""
// appended (also when there are none, so the item is always passed). Every "%1" becomes `first`
// and every "%2" `second`; inserted text is not searched again. `Arguments` is the parameter
// text split at blanks outside double quotes (quotes removed) BEFORE the values are inserted, so
// a name holding quotes or spaces stays one argument and cannot add arguments of its own.
TShellCommand SplitShellTemplate(std::string_view templ, std::string_view first,
                                 std::string_view second);

// Full path of `program` found on `searchPath` (colon-separated, default the PATH environment
// variable); a program given with a "/" is taken as it is. `isExecutable` decides whether a
// candidate path is a runnable file (default: a regular file with execute permission). Empty
// when not found.
std::string FindOnSearchPath(const std::string& program,
                             const std::function<bool(const std::string&)>& isExecutable = {},
                             const char* searchPath = nullptr);

// The alternative shell command ready to run: the template split as above and its program looked
// up on the search path (the program becomes the full path found). False when the program is not
// found; `error` is then text 10174 formatted with the program.
bool PrepareAlternativeShell(std::string_view templ, std::string_view first,
                             std::string_view second, TShellCommand& cmd, std::string& error,
                             const std::function<bool(const std::string&)>& isExecutable = {},
                             const char* searchPath = nullptr);
