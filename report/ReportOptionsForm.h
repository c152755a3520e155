// SPDX-License-Identifier: MIT
// The report options dialog (TfmReportOpt) as plain data: the five values it edits, which of its
// controls are enabled, and the page it opens on. The values themselves live in TReportOptions
// (app/Options.h), bdOpt node 10.
//
// Threads: plain data.
#pragma once

#include <string>

#include "app/Options.h"

// The longest replacement string the edit accepts, in characters.
inline constexpr size_t kMaxReplacementLength = 7;

// The controls of the dialog.
struct TReportOptionsForm {
  bool HideBorder = true;         // cbHTMLhideBorder
  bool Shading = true;            // cbHTMLshading
  int Separator = 0;              // cbASCIItype: 0 spaces, 1 TAB, 2 comma
  bool Replace = true;            // cbASCIIreplace
  std::string Replacement = "_";  // edreplaceStr

  // cbASCIIreplace is enabled only with a separator (TAB or comma).
  bool ReplaceEnabled() const { return Separator > 0; }
  // edreplaceStr is enabled only while cbASCIIreplace is enabled and checked.
  bool ReplacementEnabled() const { return ReplaceEnabled() && Replace; }
};

// The controls loaded from the settings values.
TReportOptionsForm LoadReportOptionsForm(const TReportOptions& options);
// OK: the five values taken from the controls (the replacement as typed, cut to
// kMaxReplacementLength characters); the title history, report type and open-after-export mark
// are kept.
void StoreReportOptionsForm(const TReportOptionsForm& form, TReportOptions& options);

// The page shown when the dialog opens: 0 (HTML) for the HTML type, 1 (text) for the text type,
// `currentPage` otherwise (the clipboard has no page).
int ReportOptionsPage(int reportType, int currentPage);
