// SPDX-License-Identifier: MIT
// The report options dialog as plain data.
#include "report/ReportOptionsForm.h"

#include "report/ReportText.h"

TReportOptionsForm LoadReportOptionsForm(const TReportOptions& options) {
  TReportOptionsForm form;
  form.HideBorder = options.HideBorder;
  form.Shading = options.Shading;
  form.Separator = options.Separator;
  form.Replace = options.ReplaceSeparator;
  form.Replacement = options.Replacement;
  return form;
}

void StoreReportOptionsForm(const TReportOptionsForm& form, TReportOptions& options) {
  options.HideBorder = form.HideBorder;
  options.Shading = form.Shading;
  options.Separator = form.Separator;
  options.ReplaceSeparator = form.Replace;
  options.Replacement = std::string(ReportTextPrefix(form.Replacement, kMaxReplacementLength));
}

int ReportOptionsPage(int reportType, int currentPage) {
  return reportType == 0 || reportType == 1 ? reportType : currentPage;
}
