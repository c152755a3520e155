// SPDX-License-Identifier: MIT
// Shared helpers of every window that need no window: the text forms of sizes, dates,
// attributes, kinds and drive types; file-name pieces; shell error texts and the split of the
// alternative shell template; case-insensitive name comparison; item counting; the column
// layout record of an item list as plain data.
//
// Threads: every function may be called from any thread, except those that look up numbered
// texts (the language tables are filled once at start-up and only read afterwards, so reading
// them from the scanner thread is safe too) and those that take a TQDBase, which follow the
// store's one-thread-at-a-time rule.
#pragma once

#include "platform/Collate.h"

#include <cstdint>
#include <ctime>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

class TQDBase;
struct TNodeRec;

// ---- sizes
// ----------------------------------------------------------------------------------------

// The decimal digits of `size` with a space before every group of three counted from the right:
// 1234567 -> "1 234 567", -1234 -> "-1 234".
std::string FormatSizeBytes(int64_t size);

// Below 1024 the exact value and " " + text 10151; otherwise the value divided by 1024, 1024^2 or
// 1024^3, cut (never rounded) to two decimals below 10, one below 100 and none above, followed by
// " " and text 10152, 10153 or 10154. Negative values take the first form. `decimalSep` is the
// locale's decimal separator; when empty it is taken from the global C++ locale ("." in "C").
std::string FormatSizeUnits(int64_t size, std::string_view decimalSep = {});

// ---- dates
// ----------------------------------------------------------------------------------------
// Date-time doubles count days since 30 December 1899; the fraction is the time of day. Local time.

// "dd.mm.yyyy"; empty for a value that is not a date of the years 1 to 9999 (NaN, infinite).
std::string FormatDate(double dateTime);
// "dd.mm.yyyy, hh:mm" (24-hour clock); empty like FormatDate.
std::string FormatDateTime(double dateTime);
// The local time of a POSIX time as a date-time double (whole seconds).
double TimeToDateTime(time_t t);
// The same with the nanoseconds kept as a fraction of a second.
double TimespecToDateTime(const timespec& ts);
// The current local date and time.
double NowDateTime();
// Civil date and time of a date-time double, local; false when out of range.
struct TDateParts {
  int Year, Month, Day, Hour, Minute, Second, Millisecond;
};
bool DecodeDateTime(double dateTime, TDateParts& parts);
// The date-time double of a civil date and time.
double EncodeDateTime(const TDateParts& parts);

// ---- item texts
// -------------------------------------------------------------------------------------

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

// ---- file names
// ---------------------------------------------------------------------------------------

// Every character below 32 and each of  " * / : < > ? \ |  replaced by "_"; bytes of 128 and above
// (UTF-8 sequences) are kept.
std::string SafeFileName(std::string_view name);
// The index of the "." that starts the extension of the final component of `name` (after the last
// "/" or "\"), or npos. It is the component's last "." unless that belongs to the dots the
// component begins with: ".profile", ".", ".." and "..x" have no extension, ".tar.gz" has "gz",
// "a." an empty one. Every name/extension split of files uses it.
size_t ExtensionDot(std::string_view name);
// The name cut before the extension dot of its final component; the whole name without one.
std::string NameWithoutExt(std::string_view name);
// The text after the extension dot of the final component; empty without one.
std::string NameExt(std::string_view name);

// ---- case-insensitive comparison
// --------------------------------------------------------------------- Names compare as the user
// reads them: case-insensitive in the current (ICU default) locale, accents significant. Pure ASCII
// takes a fast path. Bytes that are not valid UTF-8 (names from catalogs written in a legacy code
// page) are compared as bytes, ASCII letters folded.

// AnsiCompareText and AnsiSameText: platform/Collate.h.

// ---- shell
// ------------------------------------------------------------------------------------------

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

// ---- counting
// --------------------------------------------------------------------------------------

// `start`, plus 1 for every file item, plus Counting(item, start) for every container item of the
// container node `container`; with start = 1 one more than the number of nodes below, with
// start = 0 the number of files below. Iterative: any depth is safe.
int64_t Counting(const TNodeRec* container, int64_t start);

// ---- column layouts
// ----------------------------------------------------------------------------------

// The column layout of an item list as plain data. Column c is the column whose index was c when
// the list was built (its build index).
struct TColumnLayout {
  std::vector<int> Width;     // pixels, by build index
  std::vector<int> Position;  // display position, by build index
  int SortColumn = 0;         // build index of the sort column
  int SortDirection = 0;      // 0 ascending, otherwise descending
};

// Writes the layout into the record node under `bd`'s cursor: slot 0 a fresh node with the width
// of column c in slot 2c and its position in slot 2c+1, slot 1 the sort column, slot 2 the
// direction. The cursor is restored.
void SaveColumnLayout(TQDBase& bd, const TColumnLayout& layout);

// Restores `layout` (which holds the list's defaults for `Width.size()` columns) from the record
// node under `bd`'s cursor. Positions start as the build indices; when slot 0 is not a node
// nothing more is done and the result is false. Otherwise for each display position p from 0 the
// column c whose slot 2c+1 holds p moves to p and takes its width from slot 2c; a missing,
// non-integer or out-of-range entry ends the restoring. Then the sort column (kept when out of
// range) and direction are read. The cursor is restored.
bool LoadColumnLayout(TQDBase& bd, TColumnLayout& layout);

// ---- item path
// ------------------------------------------------------------------------------------

// The path of the item in slot `slot` of the node under `bd`'s cursor on its medium (see
// MediumPath in catalog/CatalogLayout.h). The cursor is not moved.
std::string ItemMediumPath(TQDBase& bd, int slot);
