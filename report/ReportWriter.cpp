// SPDX-License-Identifier: MIT
// The HTML, text and clipboard report writers.
#include "report/ReportWriter.h"

#include <algorithm>
#include <vector>

#include "platform/DateTime.h"
#include "platform/FileIO.h"
#include "report/ReportText.h"

namespace {

constexpr const char* kCrLf = "\r\n";
constexpr size_t kTextWidth = 80;

void AddLine(std::string& out, std::string_view line) {
  out += line;
  out += kCrLf;
}

// A cell of the HTML table: its lines escaped and joined by "<BR>".
void AppendHtmlCell(std::string& out, const TReportColumn& column, size_t entry) {
  out += "<TD>";
  for (size_t k = 0; k < column.LineCount(entry); ++k) {
    if (k) out += "<BR>";
    AppendHtmlEscaped(out, column.Line(entry, k));
  }
  out += "</TD>";
}

void AppendSpaces(std::string& out, size_t n) { out.append(n, ' '); }

}  // namespace

std::string ReportProgramTitle(std::string_view version) {
  std::string title = "Tolvane ";
  if (!version.empty()) title += version[0];
  title += '.';
  if (version.size() > 2) title += version[2];
  if (version.size() > 4) title += version[4];
  return title;
}

char ReportSeparatorChar(int separator) {
  switch (separator) {
    case 1:
      return '\t';
    case 2:
      return ',';
  }
  return 0;
}

std::string BuildHtmlReport(const TReportData& data, const TReportStamp& stamp,
                            const TReportOptions& options) {
  std::string program = HtmlEscape(stamp.ProgramTitle);
  std::string out;
  AddLine(out, "<HTML>");
  AddLine(out, "<HEAD>");
  AddLine(out, " <TITLE>" + HtmlEscape(stamp.Title) + "</TITLE>");
  AddLine(out, " <META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=utf-8\">");
  AddLine(out, " <META NAME=\"keywords\" CONTENT=\"Tolvane, report, catalog, disk, file\">");
  AddLine(out, " <META NAME=\"description\" CONTENT=\"Tolvane Report Document\">");
  AddLine(out, " <META NAME=\"generator\" CONTENT=\"" + program + " Report Generator\">");
  AddLine(out, "</HEAD>");
  AddLine(out, "<BODY BGCOLOR=\"#FFFFFF\">");
  AddLine(out, "");
  AddLine(out, "<TABLE BORDER=\"0\" WIDTH=\"100%\"><TR>");
  AddLine(out, "<TD ALIGN=\"left\"><FONT SIZE=\"-2\"><EM>" + program + "</EM></FONT></TD>");
  AddLine(out, "<TD ALIGN=\"right\"><FONT SIZE=\"-2\"><EM>" + FormatDateTime(stamp.Now) +
                   "</EM></FONT></TD>");
  AddLine(out, "</TR></TABLE><HR>");
  AddLine(out, "<P>");
  AddLine(out, "");
  AddLine(out, std::string("<TABLE WIDTH=\"100%\" CELLSPACING=\"1\" CELLPADDING=\"2\" BORDER=\"") +
                   (options.HideBorder ? "0" : "2") + "\">");

  std::string line = options.Shading ? "<TR BGCOLOR=\"#C5C5C5\">" : "<TR>";
  for (const auto& c : data.Columns) {
    line += "<TD><B>";
    AppendHtmlEscaped(line, c.Caption);
    line += "</B></TD>";
  }
  line += "</TR>";
  AddLine(out, line);

  for (size_t i = 0; i < data.Entries; ++i) {
    line.clear();
    if (!options.Shading)
      line += "<TR>";
    else
      line += i % 2 == 0 ? "<TR BGCOLOR=\"#F0F0F0\">" : "<TR BGCOLOR=\"#E5E5E5\">";
    for (const auto& c : data.Columns) AppendHtmlCell(line, c, i);
    line += "</TR>";
    CutTrailingBlanks(line);
    AddLine(out, line);
  }

  AddLine(out, "</TABLE>");
  AddLine(out, "");
  std::string totals = "------------------------------<BR>";
  AppendHtmlEscaped(totals, ReportTotalsLine(data.Totals));
  AddLine(out, totals);
  AddLine(out, "");
  AddLine(out, "</P>");
  AddLine(out, "<HR>");
  AddLine(out, "<TABLE BORDER=\"0\" WIDTH=\"100%\"><TR><TD ALIGN=\"RIGHT\" CELLSPACING=\"0\">");
  AddLine(out, std::string("<FONT SIZE=\"-2\">Created by <A HREF=\"") + kReportHomePage + "\">" +
                   program + "</A></FONT>");
  AddLine(out, "</TD></TR></TABLE>");
  AddLine(out, "</FONT>");
  AddLine(out, "</BODY>");
  AddLine(out, "</HTML>");
  return out;
}

namespace {

// Writes the rows of the text table.
class TTextTable {
 public:
  TTextTable(const TReportData& data, char separator, bool replace, std::string_view replacement)
      : data_(data),
        sep_(separator),
        replace_(separator != 0 && replace),
        replacement_(replacement) {
    for (const auto& c : data.Columns)
      width_.push_back(std::max(c.Width, ReportTextLength(c.Caption)));
  }

  void Write(std::string& out) {
    std::vector<std::string_view> cells(data_.Columns.size());
    std::vector<std::string> dashes;
    for (size_t c = 0; c < cells.size(); ++c) cells[c] = data_.Columns[c].Caption;
    WriteLine(out, cells);
    for (size_t c = 0; c < cells.size(); ++c) dashes.emplace_back(width_[c], '-');
    for (size_t c = 0; c < cells.size(); ++c) cells[c] = dashes[c];
    WriteLine(out, cells);
    for (size_t i = 0; i < data_.Entries; ++i) {
      size_t lines = data_.RowLines(i);
      for (size_t k = 0; k < lines; ++k) {
        for (size_t c = 0; c < cells.size(); ++c) {
          const TReportColumn& col = data_.Columns[c];
          cells[c] = k < col.LineCount(i) ? std::string_view(col.Line(i, k)) : std::string_view();
        }
        WriteLine(out, cells);
      }
    }
  }

 private:
  void WriteLine(std::string& out, const std::vector<std::string_view>& cells) {
    line_.clear();
    for (size_t c = 0; c < cells.size(); ++c) {
      if (sep_ == 0) {
        line_ += cells[c];
        size_t len = ReportTextLength(cells[c]);
        if (len <= width_[c]) AppendSpaces(line_, width_[c] + 1 - len);
        continue;
      }
      if (replace_)
        line_ += ReplaceSeparator(cells[c], sep_, replacement_);
      else
        line_ += cells[c];
      line_ += sep_;
    }
    CutTrailingBlanks(line_);
    if (sep_ != 0 && !line_.empty() && line_.back() == sep_) line_.pop_back();
    AddLine(out, line_);
  }

  const TReportData& data_;
  char sep_;
  bool replace_;
  std::string_view replacement_;
  std::vector<size_t> width_;
  std::string line_;
};

}  // namespace

std::string BuildTextReport(const TReportData& data, const TReportStamp& stamp, int separator,
                            bool replace, std::string_view replacement) {
  std::string out;
  std::string rule(kTextWidth, '=');
  AddLine(out, rule);

  // The program title from column 2, the date ending in column 79, a space in column 80; the date
  // overwrites the title where they would overlap.
  std::string date = FormatDateTime(stamp.Now);
  size_t dateLen = std::min(ReportTextLength(date), kTextWidth - 2);
  size_t titleRoom = kTextWidth - 2 - dateLen;
  std::string line = " ";
  std::string_view program = ReportTextPrefix(stamp.ProgramTitle, titleRoom);
  line += program;
  AppendSpaces(line, titleRoom - ReportTextLength(program));
  line += ReportTextPrefix(date, dateLen);
  line += ' ';
  AddLine(out, line);
  AddLine(out, "");

  long titleLen = static_cast<long>(ReportTextLength(stamp.Title));
  long gap = std::max((static_cast<long>(kTextWidth) - titleLen) / 2, 1L);
  line.assign(static_cast<size_t>(gap - 1), ' ');
  line += stamp.Title;
  AddLine(out, line);
  AddLine(out, "");
  AddLine(out, rule);
  AddLine(out, "");

  TTextTable(data, ReportSeparatorChar(separator), replace, replacement).Write(out);

  AddLine(out, std::string(30, '-'));
  AddLine(out, ReportTotalsLine(data.Totals));
  return out;
}

std::string ReportClipboardText(const TReportData& data, const TReportStamp& stamp) {
  return BuildTextReport(data, stamp, 0, false, {});
}

TError WriteHtmlReport(const std::string& path, const TReportData& data, const TReportStamp& stamp,
                       const TReportOptions& options) {
  return WriteWholeFileAtomic(path, BuildHtmlReport(data, stamp, options));
}

TError WriteTextReport(const std::string& path, const TReportData& data, const TReportStamp& stamp,
                       const TReportOptions& options) {
  return WriteWholeFileAtomic(path, BuildTextReport(data, stamp, options.Separator,
                                                    options.ReplaceSeparator, options.Replacement));
}
