// SPDX-License-Identifier: MIT
// tolvane-cli find: the search of the search window on the command line. Opens the catalogs,
// walks them with the criteria given as options, sorts the results by a column and prints them
// as TSV rows.
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "catalog/CatalogLayout.h"
#include "cli/CliCatalog.h"
#include "cli/Command.h"
#include "platform/DateTime.h"
#include "report/ReportExport.h"
#include "report/ReportTitle.h"
#include "search/FindOptions.h"
#include "search/ListSort.h"
#include "search/SearchWalk.h"

namespace {

const char* kFindUsage =
    "find CATALOG... MASKS [options]\n"
    "  MASKS is the mask text of the search window: cut at spaces; a text without \"*\" or \"?\"\n"
    "  is searched as *text*; \"\" finds everything.\n"
    "  --in names|desc|both     what the masks are matched against (default names)\n"
    "  --no-archives            do not descend into archives (an archive itself is still tested)\n"
    "  --category NAME          only items of this category (exact name)\n"
    "  --date-from DD.MM.YYYY   last change on or after 00:00 of this day\n"
    "  --date-to DD.MM.YYYY     last change up to 00:00 of this day (as in the search window)\n"
    "  --size =N|>N|<N[B|KB|MB] size equal to, above or below N bytes, KB or MB\n"
    "  --attr SPEC              attributes: r h s d a (read-only, hidden, system, directory,\n"
    "                           archive), each followed by + (set) or - (clear); letters not\n"
    "                           given are ignored. Example: --attr r+h-\n"
    "  --limit N                stop after N results\n"
    "  --scope PATH             search below this item (\"Disk\\Folder\"; one catalog only)\n"
    "  --sort name|ext|size|date|disk|type|path|desc|category   sort column (default name)\n"
    "  --desc                   sort descending\n"
    "  --catalog-column         put the catalog's name in front of every row\n"
    "  --codepage NAME          code page of names and descriptions that are not UTF-8\n"
    "                           (1251, windows-1252, cp866, ...); masks match the decoded text\n"
    "  --report html|txt|txt-tab|txt-comma -o FILE [--title TEXT]\n"
    "                           write the results as a report file instead of TSV rows\n"
    "  Output: one TSV row per result (path, kind, size, attributes, modified, category,\n"
    "  description).";

int Usage() {
  std::fprintf(stderr, "Usage: tolvane-cli %s\n", kFindUsage);
  return 2;
}

int Fail(const std::string& what) {
  std::fprintf(stderr, "tolvane-cli find: %s\n", what.c_str());
  return 2;
}

// The output of the sorted results (mark list mlFound of the session's bdMain). Other output forms
// (reports) receive the same sorted list here.
int EmitFindResults(TCliSession& s, const TCliArgs& a) {
  if (a.Has("report")) {
    TReportFileFormat format;
    ParseReportFormat(a.Get("report"), format);  // checked before the search
    TReportStamp stamp;
    stamp.Title =
        a.Has("title") ? a.Get("title") : DefaultReportTitle(TReportSource::SearchResults, nullptr);
    stamp.Now = NowDateTime();
    std::string out = a.Get("o", a.Get("output"));
    TError error =
        WriteSearchReport(out, s.bdMain.MarkList(mlFound), format, stamp, &CliDecoders());
    if (error.Ok()) return 0;
    std::fprintf(stderr, "tolvane-cli find: %s: %s\n", out.c_str(), error.Message().c_str());
    return 1;
  }
  const bool catalogColumn = a.Has("catalog-column");
  TItemPaths paths;
  for (const TNodeRec* item : s.bdMain.MarkList(mlFound)) {
    if (!item) continue;
    if (catalogColumn) {
      const TNodeRec* catalog = CatalogNodeOf(item);
      std::printf("%s\t", TsvEscape(CliDecoders().Text(catalog, ItemName(catalog))).c_str());
    }
    std::printf("%s\n", TsvRow(item, &paths).c_str());
  }
  return 0;  // a failed write of the rows fails the run in main
}

int RunFind(const std::vector<std::string>& args) {
  TCliArgs a;
  std::string err;
  if (!ParseCliArgs(args, {"no-archives", "desc", "catalog-column"},
                    {"in", "category", "date-from", "date-to", "size", "attr", "limit", "scope",
                     "sort", "report", "o", "output", "title"},
                    a, err)) {
    std::fprintf(stderr, "tolvane-cli find: %s\n", err.c_str());
    return Usage();
  }
  if (a.Positional.size() < 2) return Usage();
  std::vector<std::string> files(a.Positional.begin(), a.Positional.end() - 1);
  const std::string& maskText = a.Positional.back();

  TFindControls controls;
  controls.MaskText = maskText;
  std::string in = a.Get("in", "names");
  if (in != "names" && in != "desc" && in != "both") return Fail("--in takes names, desc or both");
  controls.InNames = in != "desc";
  controls.InDescriptions = in != "names";
  controls.InArchives = !a.Has("no-archives");
  TFindParams p = CompileCriteria(controls);

  if (a.Has("date-from") || a.Has("date-to")) {
    p.DateOn = true;
    p.DateFrom = std::numeric_limits<double>::lowest();  // an open end reaches every date
    p.DateTo = std::numeric_limits<double>::max();
    if (a.Has("date-from") && !ParseDayDate(a.Get("date-from"), p.DateFrom))
      return Fail("--date-from takes a date DD.MM.YYYY");
    if (a.Has("date-to") && !ParseDayDate(a.Get("date-to"), p.DateTo))
      return Fail("--date-to takes a date DD.MM.YYYY");
  }
  if (a.Has("size")) {
    p.SizeOn = true;
    if (!ParseSizeCriterion(a.Get("size"), p.SizeOp, p.SizeLimit))
      return Fail("--size takes =N, >N or <N with an optional unit B, KB or MB");
  }
  if (a.Has("attr") && !ParseAttrCriterion(a.Get("attr"), p))
    return Fail("--attr takes letters of r h s d a each followed by + or -, such as r+h-");
  if (a.Has("limit")) {
    const std::string v = a.Get("limit");
    char* end = nullptr;
    long long n = std::strtoll(v.c_str(), &end, 10);
    if (v.empty() || *end != '\0' || n < 0 || n > kNoResultLimit)
      return Fail("--limit takes a whole number from 0 to 2147483647");
    p.ResultLimit = static_cast<int32_t>(n);
  }
  int column = ResultColumnByName(a.Get("sort", "name"));
  if (column < 0)
    return Fail("--sort takes name, ext, size, date, disk, type, path, desc or category");
  if (a.Has("scope") && files.size() != 1) return Fail("--scope needs exactly one catalog");
  if (a.Has("report")) {
    TReportFileFormat format;
    if (!ParseReportFormat(a.Get("report"), format))
      return Fail("--report takes html, txt, txt-tab or txt-comma");
    if (a.Get("o", a.Get("output")).empty()) return Fail("--report needs an output file (-o FILE)");
  } else if (a.Has("o") || a.Has("output") || a.Has("title")) {
    return Fail("-o and --title belong to --report");
  }

  TCliSession s;
  std::vector<TNodeRec*> catalogs;
  for (const auto& f : files) {
    TNodeRec* catalog = s.OpenCatalog(f).Catalog;
    if (!catalog) return 1;
    catalogs.push_back(catalog);
  }
  const TNodeRec* scope = nullptr;
  if (a.Has("scope")) {
    std::string path = a.Get("scope");
    TNodeRec* node = FindCatalogItem(catalogs.front(), path);
    if (!node || !IsContainer(node))
      return Fail("no container \"" + path + "\" in " + files.front());
    scope = node;
  }

  TSearchWalk walk(s.bdMain, p);
  walk.Decoders = &CliDecoders();
  walk.Run(scope, a.Get("category"));
  SortResults(s.bdMain, mlFound, column, a.Has("desc"), nullptr, &CliDecoders());
  return EmitFindResults(s, a);
}

const CliCommand kFind{"find", kFindUsage,
                       "Search catalogs by masks, size, date, attributes, category", RunFind};
CliRegistration regFind(kFind);

}  // namespace
