// SPDX-License-Identifier: MIT
// Node-store image speed and memory on a catalog-shaped tree of 1,000,000 file nodes (9 slots
// each, in folders of 100). Save and load are compared with a plain memcpy of an image of the
// same size, measured in the same run; resident memory with the accounted MemoryUsed.
//
//   cmake -S . -B build/bench -DCMAKE_BUILD_TYPE=Release -DTOLVANE_BENCH=ON -DTOLVANE_TESTS=OFF
//   cmake --build build/bench --target store_bench && build/bench/bench/store_bench
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <random>
#include <string>

#include "store/QDArena.h"
#include "store/QDBase.h"

namespace {

constexpr int kFiles = 1000000;
constexpr int kPerFolder = 100;

std::string RandomName(std::mt19937& rng) {
  static const char* words[] = {"report", "holiday", "IMG",   "track",  "setup",
                                "readme", "invoice", "draft", "Backup", "photo",
                                "song",   "letter",  "data",  "final"};
  static const char* exts[] = {".txt", ".jpg", ".mp3", ".doc", ".zip", ".exe", ".pdf", ".htm"};
  std::string s = words[rng() % 14];
  s += '_';
  s += std::to_string(rng() % 100000);
  if (rng() % 3 == 0) s += " (copy)";
  s += exts[rng() % 8];
  return s;
}

void BuildCatalog(TQDBase& db) {
  std::mt19937 rng(7);
  db.Clear();
  db.ChildSetStr(0, 0, "Bench catalog");
  db.ChildSetInt(0, 1, 1);
  db.EnterChild(1);  // the disk
  db.ChildSetStr(0, 0, "Disk");
  db.ChildSetInt(0, 1, 3);
  for (int f = 0; f < kFiles / kPerFolder; ++f) {
    db.EnterChild(f + 1);
    db.ChildSetStr(0, 0, "Folder " + std::to_string(f));
    db.ChildSetInt(0, 1, 0x1004);
    for (int i = 0; i < kPerFolder; ++i) {
      db.EnterChild(i + 1);
      db.SetStr(8, rng() % 10 == 0 ? "A short description of this file" : "");
      db.SetStr(0, RandomName(rng));
      db.SetInt(1, 0x2064);
      db.SetInt64(2, static_cast<int64_t>(rng() % 50000000));
      db.SetFloat(4, 40000.0 + rng() % 9000);
      db.SetFloat(6, 40000.0 + rng() % 9000);
      db.Up();
    }
    db.Up();
  }
  db.GoToDepth(0);
}

const std::string& Image() {
  static std::string image = [] {
    TQDBase db;
    BuildCatalog(db);
    db.Signature = "Vrt base";
    std::string img;
    db.SaveToString(img);
    return img;
  }();
  return image;
}

long ResidentBytes() {
  std::ifstream statm("/proc/self/statm");
  long size = 0, resident = 0;
  statm >> size >> resident;
  return resident * 4096;
}

void BM_MemcpyImage(benchmark::State& state) {
  const std::string& image = Image();
  std::string dst(image.size(), '\0');
  for (auto _ : state) {
    std::memcpy(dst.data(), image.data(), image.size());
    benchmark::DoNotOptimize(dst.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(image.size()));
}
BENCHMARK(BM_MemcpyImage)->Unit(benchmark::kMillisecond);

// memcpy into a fresh buffer each time: includes the first touch of every page, as a load does.
void BM_MemcpyImageFresh(benchmark::State& state) {
  const std::string& image = Image();
  for (auto _ : state) {
    char* dst = static_cast<char*>(std::malloc(image.size()));
    std::memcpy(dst, image.data(), image.size());
    benchmark::DoNotOptimize(dst);
    std::free(dst);
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(image.size()));
}
BENCHMARK(BM_MemcpyImageFresh)->Unit(benchmark::kMillisecond);

// memcpy into a fresh buffer advised for huge pages: the cheapest way to fill new memory, and so
// the fair floor for a load or a first save, which must fill new memory too.
void BM_MemcpyImageFreshHuge(benchmark::State& state) {
  const std::string& image = Image();
  for (auto _ : state) {
    std::string dst;
    dst.reserve(image.size());
    TQDArena::AdviseHugePages(dst.data(), image.size());
    dst.append(image);
    benchmark::DoNotOptimize(dst.data());
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(image.size()));
}
BENCHMARK(BM_MemcpyImageFreshHuge)->Unit(benchmark::kMillisecond);

void BM_Save(benchmark::State& state) {
  TQDBase db;
  BuildCatalog(db);
  std::string image;
  for (auto _ : state) {
    db.SaveToString(image);
    benchmark::DoNotOptimize(image.data());
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(image.size()));
}
BENCHMARK(BM_Save)->Unit(benchmark::kMillisecond);

// Saving into a new string each time, as the first save of a session does.
void BM_SaveFresh(benchmark::State& state) {
  TQDBase db;
  BuildCatalog(db);
  size_t size = 0;
  for (auto _ : state) {
    std::string image;
    db.SaveToString(image);
    size = image.size();
    benchmark::DoNotOptimize(image.data());
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(size));
}
BENCHMARK(BM_SaveFresh)->Unit(benchmark::kMillisecond);

void BM_Load(benchmark::State& state) {
  TQDBase db;
  std::string image;
  for (auto _ : state) {
    state.PauseTiming();
    image = Image();
    state.ResumeTiming();
    if (!db.LoadFromString(image)) state.SkipWithError("load failed");
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(Image().size()));
}
BENCHMARK(BM_Load)->Unit(benchmark::kMillisecond);

void BM_Checksum(benchmark::State& state) {
  const std::string& image = Image();
  for (auto _ : state) benchmark::DoNotOptimize(TQDBase::Checksum(image));
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(image.size()));
}
BENCHMARK(BM_Checksum)->Unit(benchmark::kMillisecond);

// Resident memory of a loaded catalog against its accounted size (one iteration suffices).
void BM_ResidentPerNode(benchmark::State& state) {
  std::string image = Image();
  for (auto _ : state) {
    long before = ResidentBytes();
    TQDBase db;
    if (!db.LoadFromString(image)) state.SkipWithError("load failed");
    long after = ResidentBytes();
    double nodes = kFiles + kFiles / kPerFolder * 2 + 4;  // files, folders with headers, top
    state.counters["image_MB"] = double(Image().size()) / 1e6;
    state.counters["accounted_B_per_node"] = double(db.MemoryUsed()) / nodes;
    state.counters["resident_B_per_node"] = double(after - before) / nodes;
    state.counters["resident_over_accounted"] = double(after - before) / double(db.MemoryUsed());
  }
}
BENCHMARK(BM_ResidentPerNode)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
