// SPDX-License-Identifier: MIT
// Search and sort speed on a catalog of 2,000,000 items with realistic names, against
// `grep -c -i` over a text file of the same names (one item per line) run as a child process in
// the same run. Each search is checked against grep's count before it is timed.
//
//   cmake -S . -B build/bench -DCMAKE_BUILD_TYPE=Release -DTOLVANE_BENCH=ON -DTOLVANE_TESTS=OFF
//   cmake --build build/bench --target search_bench && build/bench/bench/search_bench
#include <benchmark/benchmark.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "catalog/CatalogLayout.h"
#include "search/ListSort.h"
#include "search/SearchWalk.h"

extern char** environ;

namespace {

constexpr int kItems = 2000000;
constexpr int kPerFolder = 200;
constexpr int kSortRows = 1000000;

const char* kNamesFile = "/tmp/tolvane_search_bench_names.txt";
const char* kDescFile = "/tmp/tolvane_search_bench_desc.txt";

std::string RandomName(std::mt19937& rng) {
  static const char* words[] = {"report",  "holiday", "IMG",    "track",   "setup", "readme",
                                "invoice", "draft",   "Backup", "photo",   "song",  "letter",
                                "data",    "final",   "thread", "Already", "bread", "Summer",
                                "notes",   "budget",  "scan",   "Project", "mix",   "demo"};
  static const char* exts[] = {".txt", ".jpg", ".mp3", ".doc", ".zip", ".exe", ".pdf",
                               ".htm", ".JPG", ".MP3", ".cpp", ".h",   ".png", ".dll"};
  std::string s = words[rng() % std::size(words)];
  s += rng() % 2 ? '_' : ' ';
  s += std::to_string(rng() % 100000);
  if (rng() % 4 == 0) s += std::string(" - ") + words[rng() % std::size(words)];
  s += exts[rng() % std::size(exts)];
  return s;
}

std::string RandomDescription(std::mt19937& rng) {
  static const char* words[] = {"Concert", "recorded", "live",    "at",      "the",
                                "holiday", "camp",     "Scanned", "invoice", "from",
                                "March",   "version",  "final"};
  if (rng() % 5 != 0) return {};
  std::string s;
  int n = 3 + static_cast<int>(rng() % 6);
  for (int i = 0; i < n; ++i) {
    if (i) s += ' ';
    s += words[rng() % std::size(words)];
  }
  return s;
}

struct TBenchCatalog {
  TQDBase bd;
  std::vector<TNodeRec*> files;

  // Built through the cursor, then saved and loaded as an image, as a catalog is opened from its
  // file (the loaded tree lies in memory in walk order).
  TBenchCatalog() {
    Build();
    std::string image;
    bd.GoToNode(bd.RootNode());
    bd.SaveToString(image);
    if (!bd.LoadFromString(image)) std::abort();
    InitCatalogStore(bd);
    files.clear();
    std::vector<TNodeRec*> stack{bd.RootNode()};
    while (!stack.empty()) {
      TNodeRec* n = stack.back();
      stack.pop_back();
      for (int k = n->SlotCount - 1; k >= 1; --k)
        if (TNodeRec* c = NodeChild(n, k)) {
          if (IsContainer(c))
            stack.push_back(c);
          else
            files.push_back(c);
        }
    }
  }

  void Build() {
    InitCatalogStore(bd);
    std::mt19937 rng(11);
    std::ofstream names(kNamesFile), descs(kDescFile);
    auto item = [&](const std::string& name, const std::string& desc) {
      names << name << '\n';
      descs << desc << '\n';
    };
    CreateCatalogNode(bd, "Bench", 0);
    TNodeRec* cat = bd.CurrentNode();
    int made = 0, disk = 0;
    while (made < kItems) {
      bd.GoToNode(cat);
      int slot = bd.SlotCount();
      bd.EnterChild(slot);
      TDiskHeader h;
      h.Name = "Disk " + std::to_string(++disk);
      WriteDiskHeader(bd, h);
      item(h.Name, "");
      ++made;
      TNodeRec* d = bd.CurrentNode();
      for (int f = 0; f < 50 && made < kItems; ++f) {
        bd.GoToNode(d);
        bd.EnterChild(f + 1);
        std::string folder = "Folder " + std::to_string(f);
        bd.ChildSetStr(0, kFieldName, folder);
        bd.ChildSetInt(0, kFieldFlags, ikFolder | (kAttrDirectory << 8));
        item(folder, "");
        ++made;
        for (int i = 0; i < kPerFolder && made < kItems; ++i) {
          bd.EnterChild(i + 1);
          std::string name = RandomName(rng), desc = RandomDescription(rng);
          bd.SetStr(kFieldName, name);
          bd.SetInt(kFieldFlags, ikFile | (kAttrArchive << 8));
          bd.SetInt64(kFieldSize, static_cast<int64_t>(rng() % 50000000));
          bd.SetFloat(kFieldCreated, 38000.0 + rng() % 9000);
          bd.SetFloat(kFieldChanged, 38000.0 + rng() % 9000);
          bd.SetStr(kFieldDescription, desc);
          files.push_back(bd.CurrentNode());
          item(name, desc);
          ++made;
          bd.Up();
        }
      }
    }
  }
};

TBenchCatalog& Catalog() {
  static TBenchCatalog c;
  return c;
}

// Runs grep -c -i `pattern` `file` and returns the count it prints, or -1.
long GrepCount(const char* pattern, const char* file) {
  int fds[2];
  if (pipe(fds) != 0) return -1;
  posix_spawn_file_actions_t fa;
  posix_spawn_file_actions_init(&fa);
  posix_spawn_file_actions_adddup2(&fa, fds[1], 1);
  posix_spawn_file_actions_addclose(&fa, fds[0]);
  const char* argv[] = {"grep", "-c", "-i", pattern, file, nullptr};
  pid_t pid;
  int rc = posix_spawnp(&pid, "grep", &fa, nullptr, const_cast<char**>(argv), environ);
  posix_spawn_file_actions_destroy(&fa);
  close(fds[1]);
  if (rc != 0) {
    close(fds[0]);
    return -1;
  }
  std::string out;
  char buf[64];
  ssize_t n;
  while ((n = read(fds[0], buf, sizeof buf)) > 0) out.append(buf, size_t(n));
  close(fds[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  return out.empty() ? -1 : std::stol(out);
}

// With `progress`, the walk reports progress as the search window's does, which also makes it
// count the scope's items first.
int Search(const char* maskText, bool names, bool descriptions, bool progress = false) {
  TFindControls c;
  c.MaskText = maskText;
  c.InNames = names;
  c.InDescriptions = descriptions;
  TFindParams p = CompileCriteria(c);
  TSearchWalk walk(Catalog().bd, p);
  int64_t reports = 0;
  if (progress) walk.OnProgress = [&](int64_t, int64_t, int) { ++reports; };
  int found = walk.Run(nullptr, {});
  benchmark::DoNotOptimize(reports);
  return found;
}

struct TCase {
  const char* mask;
  bool names;
  const char* grepPattern;
  const char* file;
};
const TCase kCases[] = {
    {"*.mp3", true, "\\.mp3$", kNamesFile},
    {"read", true, "read", kNamesFile},
    {"holiday", false, "holiday", kDescFile},
};

void BM_Search(benchmark::State& state) {
  const TCase& tc = kCases[state.range(0)];
  Catalog();
  long expected = GrepCount(tc.grepPattern, tc.file);
  int found = Search(tc.mask, tc.names, !tc.names);
  if (found != expected) {
    state.SkipWithError(("result count " + std::to_string(found) + " differs from grep's " +
                         std::to_string(expected))
                            .c_str());
    return;
  }
  for (auto _ : state) benchmark::DoNotOptimize(Search(tc.mask, tc.names, !tc.names));
  state.counters["results"] = found;
  state.SetLabel(tc.mask);
}
BENCHMARK(BM_Search)->DenseRange(0, 2)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_SearchWithProgress(benchmark::State& state) {
  const TCase& tc = kCases[state.range(0)];
  Catalog();
  for (auto _ : state) benchmark::DoNotOptimize(Search(tc.mask, tc.names, !tc.names, true));
  state.SetLabel(tc.mask);
}
BENCHMARK(BM_SearchWithProgress)->DenseRange(0, 1)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Grep(benchmark::State& state) {
  const TCase& tc = kCases[state.range(0)];
  Catalog();
  long n = 0;
  for (auto _ : state) benchmark::DoNotOptimize(n = GrepCount(tc.grepPattern, tc.file));
  state.counters["results"] = static_cast<double>(n);
  state.SetLabel(tc.mask);
}
BENCHMARK(BM_Grep)->DenseRange(0, 2)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_SortByName(benchmark::State& state) {
  TBenchCatalog& c = Catalog();
  std::vector<TNodeRec*> rows(c.files.begin(), c.files.begin() + kSortRows);
  std::shuffle(rows.begin(), rows.end(), std::mt19937(5));
  auto refill = [&] {
    c.bd.ClearMarkList(mlFound);
    for (TNodeRec* n : rows) {
      c.bd.GoToNode(n);
      c.bd.AddMark(mlFound);
    }
  };
  for (auto _ : state) {
    state.PauseTiming();
    refill();
    state.ResumeTiming();
    SortResults(c.bd, mlFound, rcName, false);
  }
  const auto& l = c.bd.MarkList(mlFound);
  for (size_t i = 1; i < l.size(); ++i)
    if (CompareResultRows(l[i - 1], l[i], rcName, false) > 0) {
      state.SkipWithError("the sorted list is out of order");
      break;
    }
}
BENCHMARK(BM_SortByName)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
