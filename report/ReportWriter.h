// SPDX-License-Identifier: MIT
// The report writers: the HTML report, the plain-text report (aligned columns or TAB or comma
// separated) and the clipboard text, from the collected report data.
//
// Reports are UTF-8 with CR LF line ends; the HTML report declares charset=utf-8. Every text
// written into HTML (cell texts, captions, the title, the program title) is escaped, so a file
// named "<script>..." on a catalogued medium shows as text in a browser and runs nothing.
//
// Threads: the builders may run on any thread that may read the language tables; the file
// writers replace the target atomically.
#pragma once

#include <string>
#include <string_view>

#include "app/Options.h"
#include "platform/Error.h"
#include "report/ReportData.h"

// The address the footer of the HTML report links to.
inline constexpr const char* kReportHomePage = "https://tolvane.org/";

// What a report states besides its rows.
struct TReportStamp {
  std::string Title;                     // the report title (UTF-8)
  std::string ProgramTitle = "Tolvane";  // product name and version, "Tolvane 2.10"
  double Now = 0;                        // the date-time written into the head of the report
};

// The program title of a report: the product name, a space and the short version, the version's
// 1st character, ".", its 3rd and 5th ("1.0.0" gives "Tolvane 1.00"), as the main window's
// caption shows it.
std::string ReportProgramTitle(std::string_view version);

// The separator of a text report: 0 none (aligned columns), 1 TAB, 2 comma (TReportOptions).
// Any other value counts as none.
char ReportSeparatorChar(int separator);

// The HTML report, line for line as its format prescribes: the border of the table from
// options.HideBorder ("0" or "2"), the heading and alternating row colours when options.Shading
// is on. A multi-line cell is its lines joined by "<BR>".
std::string BuildHtmlReport(const TReportData& data, const TReportStamp& stamp,
                            const TReportOptions& options);

// The text report: a framed head with the program title, the date and the centred title, the
// heading row, the dash row, the entries' rows, 30 dashes and the totals line. `separator` is a
// TReportOptions separator (0 aligns the columns with spaces); with a separator and `replace`,
// every separator character inside a cell (captions and dashes included) is first replaced by
// `replacement`. Lines are cut after their last character above code 32, and with a separator a
// line ending in it loses that one separator.
std::string BuildTextReport(const TReportData& data, const TReportStamp& stamp, int separator,
                            bool replace, std::string_view replacement);

// The text for the clipboard: the text report, always with aligned columns. The GUI puts it on
// the clipboard as plain text.
std::string ReportClipboardText(const TReportData& data, const TReportStamp& stamp);

// Writes the HTML report to `path` (replacing it atomically). Fails with the error text.
TError WriteHtmlReport(const std::string& path, const TReportData& data, const TReportStamp& stamp,
                       const TReportOptions& options);
// Writes the text report with the separator and replacement of `options`. Fails with the error
// text.
TError WriteTextReport(const std::string& path, const TReportData& data, const TReportStamp& stamp,
                       const TReportOptions& options);
