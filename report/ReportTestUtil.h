// SPDX-License-Identifier: MIT
// Test helpers of the report tests: the numbered texts the reports use, a fixed report stamp and
// hand-made report columns.
#pragma once

#include <string>
#include <vector>

#include "app/Language.h"
#include "platform/DateTime.h"
#include "report/ReportData.h"
#include "report/ReportText.h"
#include "report/ReportWriter.h"

// Loads the English texts of the report captions, totals, kinds, size units and drive types.
inline void LoadReportTexts() {
  LangTable(TLangKind::English)
      .LoadFromText(
          "English\r\n"
          "10101=Disk\r\n10102=Disk type\r\n10103=Volume label\r\n10104=Size\r\n"
          "10106=Free\r\n10107=Added\r\n10108=Description\r\n10109=Name\r\n10110=Ext.\r\n"
          "10111=Modified\r\n10112=Attr.\r\n10113=Name\r\n10114=Path\r\n10115=Category\r\n"
          "10116=Location\r\n"
          "10131=File\r\n10132=Catalog\r\n10133=Group\r\n10134=Disk\r\n10135=Folder\r\n"
          "10151=bytes\r\n10152=KB\r\n10153=MB\r\n10154=GB\r\n"
          "10181=No root folder\r\n10182=Removable disk\r\n10183=Hard disk\r\n"
          "10184=Network drive\r\n10185=CD-ROM\r\n10186=RAM disk\r\n"
          "12106=Search results\r\n12107=Disks:\r\n12108=Folders:\r\n12109=Files:\r\n"
          "12110=User list\r\n");
  LangTable(TLangKind::Selected).Clear();
}

// 05.03.2024, 14:07.
inline double ReportTestNow() { return EncodeDateTime({2024, 3, 5, 14, 7, 0, 0}); }

inline TReportStamp ReportTestStamp(const std::string& title) {
  TReportStamp s;
  s.Title = title;
  s.ProgramTitle = "Tolvane 2.10";
  s.Now = ReportTestNow();
  return s;
}

// A column whose entry i has the lines cells[i].
inline TReportColumn MakeColumn(int id, const std::string& caption,
                                const std::vector<std::vector<std::string>>& cells,
                                bool multiLine = false) {
  TReportColumn c;
  c.Id = id;
  c.Caption = caption;
  c.MultiLine = multiLine;
  c.First.push_back(0);
  for (const auto& lines : cells) {
    for (const auto& l : lines) {
      c.Lines.push_back(l);
      c.Width = std::max(c.Width, ReportTextLength(l));
    }
    c.First.push_back(c.Lines.size());
  }
  return c;
}

// Splits a report into its lines (CR LF ends), for comparing parts of it.
inline std::vector<std::string> ReportLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t p; (p = text.find("\r\n", start)) != std::string::npos; start = p + 2)
    lines.push_back(text.substr(start, p - start));
  if (start < text.size()) lines.push_back(text.substr(start) + "<no line end>");
  return lines;
}
