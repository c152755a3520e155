// SPDX-License-Identifier: MIT
// Scanning speed: a synthetic tree of 300,000 files in 15,000 folders (made once under the
// temporary folder, kept warm in the page cache) scanned with descriptions and archives on,
// against `find DIR -printf '%s %T@ %p\n'` over the same tree in the same run.
//
//   cmake -S . -B build/bench -DCMAKE_BUILD_TYPE=Release -DTOLVANE_BENCH=ON -DTOLVANE_TESTS=OFF
//   cmake --build build/bench --target scan_bench && build/bench/bench/scan_bench
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "archive/ArchiveTypes.h"
#include "scan/DescRules.h"
#include "scan/DiskGraft.h"

namespace fs = std::filesystem;

namespace {

constexpr int kFolders = 15000;
constexpr int kFilesPerFolder = 20;

const std::string& Tree() {
  static std::string root = [] {
    std::string dir = (fs::temp_directory_path() / "tolvane-scan-bench").string();
    std::string stamp = dir + ".complete";  // beside the tree, not in it
    if (!fs::exists(stamp)) {
      fs::remove_all(dir);
      static const char* exts[] = {".txt", ".jpg", ".mp3", ".doc", ".dat", ".htm", ".c", ".bin"};
      for (int f = 0; f < kFolders; ++f) {
        std::string folder =
            dir + "/level" + std::to_string(f % 50) + "/folder" + std::to_string(f);
        fs::create_directories(folder);
        for (int i = 0; i < kFilesPerFolder; ++i) {
          std::string name = folder + "/file_" + std::to_string(i) + exts[(f + i) % 8];
          int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
          if (fd >= 0) {
            if (write(fd, "data\n", 5) != 5) {
            }
            ::close(fd);
          }
        }
      }
      std::ofstream(stamp) << "ok";
    }
    return dir;
  }();
  return root;
}

void BM_FindPrintf(benchmark::State& state) {
  std::string cmd = "find " + Tree() + " -printf '%s %T@ %p\\n' > /dev/null";
  for (auto _ : state) {
    if (std::system(cmd.c_str()) != 0) state.SkipWithError("find failed");
  }
  state.counters["files_per_s"] = benchmark::Counter(double(kFolders) * kFilesPerFolder,
                                                     benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_FindPrintf)->Unit(benchmark::kMillisecond)->MinTime(3)->UseRealTime();

void BM_Scan(benchmark::State& state) {
  TQDBase opt;
  InitDescriptionRules(opt);
  InitArchiveTypes(opt);
  const bool descriptions = state.range(0) != 0;
  for (auto _ : state) {
    TQDBase disk;
    TFileScan scan(disk, Tree(), MakeScanSettings(opt, descriptions, true));
    scan.Run();
    if (scan.FilesDone != kFolders * kFilesPerFolder) state.SkipWithError("files missing");
  }
  state.counters["files_per_s"] = benchmark::Counter(double(kFolders) * kFilesPerFolder,
                                                     benchmark::Counter::kIsIterationInvariantRate);
}
// Descriptions on, archives on: as a user scans (text and web files get content descriptions).
BENCHMARK(BM_Scan)->Arg(1)->Unit(benchmark::kMillisecond)->MinTime(3)->UseRealTime();
// Descriptions off: the walk itself.
BENCHMARK(BM_Scan)->Arg(0)->Unit(benchmark::kMillisecond)->MinTime(3)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
