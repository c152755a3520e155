// SPDX-License-Identifier: MIT
// The main window's speed on large catalogs, on the offscreen platform:
//  - selecting a folder of 100,000 files: the list is refilled, sorted by name and its first
//    screen painted; the baseline sorts the same 100,000 names as std::strings without case;
//  - opening a catalog of 1,000,000 items: read, loaded, grafted and the tree painted; the
//    baseline reads the file into memory;
//  - expanding a disk of 5,000 folders in the tree and scrolling to its end.
//
//   cmake -S . -B build/bench -DCMAKE_BUILD_TYPE=Release -DTOLVANE_BENCH=ON -DTOLVANE_TESTS=OFF
//   cmake --build build/bench --target gui_bench && build/bench/bench/gui_bench
#include <benchmark/benchmark.h>
#include <strings.h>

#include <QApplication>
#include <QTreeView>
#include <algorithm>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "app/Language.h"
#include "catalog/CatalogLayout.h"
#include "mainwin/qt/CatalogTreeModel.h"
#include "mainwin/qt/ItemListModel.h"
#include "mainwin/qt/fmVrtU.h"

namespace {

constexpr int kFolderFiles = 100000;
constexpr int kBigFolders = 5000;
constexpr int kBigFilesPerFolder = 199;  // with the folders: 1,000,000 items

const std::string kDir = "/tmp/tolvane_gui_bench";

std::string RandomName(std::mt19937& rng) {
  static const char* words[] = {"report",  "holiday", "IMG",    "track", "setup", "readme",
                                "invoice", "draft",   "Backup", "photo", "song",  "letter"};
  static const char* exts[] = {".txt", ".jpg", ".mp3", ".doc", ".zip", ".exe", ".pdf"};
  std::string s = words[rng() % std::size(words)];
  s += '_';
  s += std::to_string(rng() % 1000000);
  s += exts[rng() % std::size(exts)];
  return s;
}

// Appends a container or file item to the node under the cursor.
void Add(TQDBase& bd, const std::string& name, int32_t flags, bool container, int64_t size) {
  int slot = std::max(bd.SlotCount(), 1);
  bd.NewChild(slot);
  bd.EnterChild(slot);
  if (container) {
    bd.NewChild(0);
    bd.EnterChild(0);
  }
  bd.SetStr(kFieldName, name);
  bd.SetInt(kFieldFlags, flags);
  bd.SetInt64(kFieldSize, size);
  bd.SetFloat(kFieldChanged, 45000.5);
  if (container) bd.Up();
  bd.Up();
}

void WriteCatalog(const std::string& path, int folders, int filesPerFolder, int flatFiles,
                  std::vector<std::string>* names) {
  std::mt19937 rng(7);
  TQDBase bd;
  InitCatalogStore(bd);
  CreateCatalogNode(bd, "Bench", 45000.0);
  Add(bd, "Disk", ikDisk, true, 0);
  bd.EnterChild(bd.SlotCount() - 1);
  for (int f = 0; f < folders; ++f) Add(bd, "folder " + std::to_string(f), ikFolder, true, 0);
  for (int f = 0; f < folders; ++f) {
    bd.EnterChild(f + 1);
    for (int i = 0; i < filesPerFolder; ++i) Add(bd, RandomName(rng), ikFile, false, i);
    bd.Up();
  }
  for (int i = 0; i < flatFiles; ++i) {
    std::string name = RandomName(rng);
    if (names) names->push_back(name);
    Add(bd, name, ikFile, false, i);
  }
  bd.GoToDepth(1);
  bd.Signature = "Vrt base";
  std::string image;
  bd.SaveToString(image);
  std::ofstream(path, std::ios::binary) << image;
}

struct TFixture {
  std::string FolderCatalog = kDir + "/folder.ctl";
  std::string BigCatalog = kDir + "/big.ctl";
  std::vector<std::string> Names;
  TFixture() {
    std::filesystem::create_directories(kDir + "/settings");
    WriteCatalog(FolderCatalog, 0, 0, kFolderFiles, &Names);
    WriteCatalog(BigCatalog, kBigFolders, kBigFilesPerFolder, 0, nullptr);
    LangTable(TLangKind::English)
        .LoadFromFile(std::string(TOLVANE_SOURCE_DIR) + "/Language/English.lng");
  }
};

TFixture& Fixture() {
  static TFixture f;
  return f;
}

// The window over stores of its own, built before it and destroyed after it.
class TBenchStores {
 protected:
  TAppStores stores_;
};
class TBenchWindow : private TBenchStores, public TfmVrt {
 public:
  explicit TBenchWindow(const TVrtPlaces& places) : TfmVrt(stores_, places) {}
};

std::unique_ptr<TfmVrt> MakeWindow() {
  std::filesystem::remove(kDir + "/settings/bdOpt.dat");
  TVrtPlaces places;
  places.SettingsFolder = kDir + "/settings/";
  places.LanguageFolder = std::string(TOLVANE_SOURCE_DIR) + "/Language/";
  std::unique_ptr<TfmVrt> w = std::make_unique<TBenchWindow>(places);
  w->resize(1280, 800);
  w->show();
  QApplication::processEvents();
  return w;
}

void Paint(QTreeView* view) {
  view->viewport()->repaint();
  QApplication::processEvents();
}

void BM_Baseline_SortNames(benchmark::State& state) {
  const std::vector<std::string>& names = Fixture().Names;
  for (auto _ : state) {
    std::vector<std::string> copy = names;
    std::sort(copy.begin(), copy.end(), [](const std::string& a, const std::string& b) {
      return strcasecmp(a.c_str(), b.c_str()) < 0;
    });
    benchmark::DoNotOptimize(copy.data());
  }
}
BENCHMARK(BM_Baseline_SortNames)->Unit(benchmark::kMillisecond);

void BM_SelectFolderOf100000Files(benchmark::State& state) {
  auto w = MakeWindow();
  w->OpenCatalogFiles({Fixture().FolderCatalog});
  QModelIndex catalog = w->TreeModel()->index(0, 0);
  QModelIndex disk = w->TreeModel()->index(0, 0, catalog);
  int rows = 0;
  for (auto _ : state) {
    w->SelectTreeNode(disk);
    Paint(w->List());
    state.PauseTiming();
    rows = w->ListModel()->rowCount();
    w->SelectTreeNode(catalog);
    Paint(w->List());
    state.ResumeTiming();
  }
  state.counters["rows"] = rows;
  w->CloseAllCatalogs();
}
BENCHMARK(BM_SelectFolderOf100000Files)->Unit(benchmark::kMillisecond);

void BM_Baseline_ReadCatalogFile(benchmark::State& state) {
  const std::string& path = Fixture().BigCatalog;
  for (auto _ : state) {
    std::ifstream in(path, std::ios::binary);
    std::string bytes(std::filesystem::file_size(path), '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    benchmark::DoNotOptimize(bytes.data());
  }
  state.counters["MB"] = static_cast<double>(std::filesystem::file_size(path)) / (1024.0 * 1024.0);
}
BENCHMARK(BM_Baseline_ReadCatalogFile)->Unit(benchmark::kMillisecond);

void BM_OpenCatalogOf1000000Items(benchmark::State& state) {
  auto w = MakeWindow();
  for (auto _ : state) {
    w->OpenCatalogFiles({Fixture().BigCatalog});
    Paint(w->Tree());
    Paint(w->List());
    state.PauseTiming();
    w->CloseAllCatalogs();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_OpenCatalogOf1000000Items)->Unit(benchmark::kMillisecond);

// Expanding a disk of 5,000 folders in the tree and showing its last rows.
void BM_ExpandDiskOf5000Folders(benchmark::State& state) {
  auto w = MakeWindow();
  w->OpenCatalogFiles({Fixture().BigCatalog});
  QModelIndex catalog = w->TreeModel()->index(0, 0);
  w->Tree()->expand(catalog);
  QModelIndex disk = w->TreeModel()->index(0, 0, catalog);
  QModelIndex last = w->TreeModel()->index(kBigFolders - 1, 0, disk);
  for (auto _ : state) {
    w->Tree()->expand(disk);
    w->Tree()->scrollTo(last);
    Paint(w->Tree());
    state.PauseTiming();
    w->Tree()->collapse(disk);
    Paint(w->Tree());
    state.ResumeTiming();
  }
  w->CloseAllCatalogs();
}
BENCHMARK(BM_ExpandDiskOf5000Folders)->Unit(benchmark::kMillisecond);

}  // namespace

// The offscreen platform warns about window features it lacks; those lines would break up the
// benchmark table.
void QuietOffscreenWarnings(QtMsgType, const QMessageLogContext&, const QString& msg) {
  if (!msg.startsWith(QLatin1String("This plugin does not support")))
    fprintf(stderr, "%s\n", qPrintable(msg));
}

int main(int argc, char** argv) {
  qInstallMessageHandler(QuietOffscreenWarnings);
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  std::setlocale(LC_CTYPE, "C.UTF-8");
  QApplication app(argc, argv);
  Fixture();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
