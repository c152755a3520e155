// SPDX-License-Identifier: MIT
// tolvane-cli report: the report of the main window's item list for one container of a catalog,
// as an HTML or text file.
#include <cstdio>

#include "catalog/CatalogLayout.h"
#include "cli/CliCatalog.h"
#include "cli/Command.h"
#include "platform/DateTime.h"
#include "report/ReportExport.h"
#include "report/ReportTitle.h"

namespace {

const char* kReportUsage =
    "report CATALOG [PATH] --format html|txt|txt-tab|txt-comma -o FILE [--title TEXT] [--units]";

int Usage() {
  std::fprintf(stderr, "Usage: tolvane-cli %s\n", kReportUsage);
  return 2;
}

int RunReport(const std::vector<std::string>& args) {
  TCliArgs a;
  std::string err;
  if (!ParseCliArgs(args, {"units"}, {"format", "o", "output", "title"}, a, err) ||
      a.Positional.empty() || a.Positional.size() > 2) {
    if (!err.empty()) std::fprintf(stderr, "tolvane-cli report: %s\n", err.c_str());
    return Usage();
  }
  TReportFileFormat format;
  if (!ParseReportFormat(a.Get("format", "html"), format)) {
    std::fprintf(stderr, "tolvane-cli report: unknown format \"%s\"\n", a.Get("format").c_str());
    return Usage();
  }
  std::string out = a.Get("o", a.Get("output"));
  if (out.empty()) {
    std::fprintf(stderr, "tolvane-cli report: no output file (-o FILE)\n");
    return Usage();
  }

  TCliSession s;
  std::string path = a.Positional.size() > 1 ? a.Positional[1] : "";
  TNodeRec* node = s.OpenItem("report", a.Positional[0], path).Item;
  if (!node) return 1;
  if (!IsContainer(node)) {
    std::fprintf(stderr,
                 "tolvane-cli report: \"%s\" is a file, not a catalog, group, disk or folder\n",
                 path.c_str());
    return 1;
  }

  TReportStamp stamp;
  stamp.Title = a.Has("title")
                    ? a.Get("title")
                    : DefaultReportTitle(TReportSource::MainWindow, node, &CliDecoders());
  stamp.ProgramTitle = ReportProgramTitle(TOLVANE_VERSION);
  stamp.Now = NowDateTime();
  TError error = WriteContainerReport(out, node, format, stamp, a.Has("units"), &CliDecoders());
  if (error.Failed()) {
    std::fprintf(stderr, "tolvane-cli report: %s: %s\n", out.c_str(), error.Message().c_str());
    return 1;
  }
  return 0;
}

const CliCommand kReport{
    "report", kReportUsage,
    "Write the report of the items of a catalog, group, disk or folder (HTML or text)", RunReport};
CliRegistration regReport(kReport);

}  // namespace
