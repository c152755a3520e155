// SPDX-License-Identifier: MIT
// The media readers' cost: a folder of 10,000 media files (photos with EXIF, music, videos, PDFs
// and office files, made once by ffmpeg, exiftool, sox, flac, opusenc and python under the
// temporary folder and kept warm in the page cache) scanned with the full rule table against the
// same scan with only the thirteen first rules, in the same run. `process_cpu_ms` is the CPU
// time of all threads per scan (the figure a busy machine disturbs least), `peak_rss_mb` the peak
// memory of the process so far. BM_Reader gives each reader's cost per file of its kind.
//
//   cmake -S . -B build/bench -DCMAKE_BUILD_TYPE=Release -DTOLVANE_BENCH=ON -DTOLVANE_TESTS=OFF
//   cmake --build build/bench --target media_bench && build/bench/bench/media_bench
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "archive/ArchiveTypes.h"
#include "scan/AudioDesc.h"
#include "scan/ByteSource.h"
#include "scan/DescRules.h"
#include "scan/DiskGraft.h"
#include "scan/OfficeDesc.h"
#include "scan/PdfDesc.h"
#include "scan/PhotoDesc.h"
#include "scan/VideoDesc.h"

namespace fs = std::filesystem;

namespace {

constexpr int kFiles = 10000;
constexpr int kFolders = 100;

bool Run(const std::string& dir, const std::string& command) {
  return std::system(("cd '" + dir + "' && ( " + command + " ) >/dev/null 2>&1").c_str()) == 0;
}

// Sixteen different files of each kind, then copies of them under other names up to kFiles, in
// kFolders folders: 40% photos, 30% music, 15% videos, 15% documents.
const std::string& Tree() {
  static std::string root = [] {
    std::string dir = (fs::temp_directory_path() / "tolvane-media-bench").string();
    std::string stamp = dir + ".complete";
    if (fs::exists(stamp)) return dir;
    fs::remove_all(dir);
    std::string t = dir + "/templates";
    fs::create_directories(t);
    // A PDF of one page with a title, its cross-reference table correct.
    std::ofstream(t + "/mkpdf.py") << R"(import sys
n = sys.argv[1]
objs = ['<< /Type /Catalog /Pages 2 0 R >>', '<< /Type /Pages /Kids [3 0 R] /Count 1 >>',
        '<< /Type /Page /Parent 2 0 R /MediaBox [0 0 10 10] >>', '<< /Title (Report %s) >>' % n]
pdf, offsets = '%PDF-1.4\n', []
for i, o in enumerate(objs):
    offsets.append(len(pdf))
    pdf += '%d 0 obj\n%s\nendobj\n' % (i + 1, o)
xref = len(pdf)
pdf += 'xref\n0 5\n0000000000 65535 f \n' + ''.join('%010d 00000 n \n' % o for o in offsets)
pdf += 'trailer\n<< /Size 5 /Root 1 0 R /Info 4 0 R >>\nstartxref\n%d\n%%%%EOF\n' % xref
open('d%s.pdf' % n, 'w').write(pdf)
)";
    bool ok = true;
    for (int i = 0; i < 16; ++i) {
      std::string n = std::to_string(i);
      std::string size = std::to_string(640 + 16 * i) + "x480";
      ok = ok &&
           Run(t, "ffmpeg -v error -f lavfi -i testsrc=size=" + size + " -frames:v 1 -y p" + n +
                      ".jpg && exiftool -q -overwrite_original "
                      "-Make=Canon '-Model=Canon EOS " +
                      n + "D' '-DateTimeOriginal=2023:05:" + (i < 9 ? "0" : "") +
                      std::to_string(i + 1) + " 12:00:00' p" + n + ".jpg") &&
           Run(t, "sox -n -r 44100 -c 2 -b 16 t" + n + ".wav synth 2 sine " +
                      std::to_string(300 + 20 * i) + " && flac -s -f --tag=ARTIST=Band" + n +
                      " --tag=TITLE=Song" + n + " -o m" + n + ".flac t" + n +
                      ".wav && opusenc "
                      "--quiet --artist Band" +
                      n + " t" + n + ".wav m" + n +
                      ".opus && ffmpeg "
                      "-v error -i t" +
                      n + ".wav -c:a aac -y m" + n + ".m4a && rm t" + n + ".wav") &&
           Run(t,
               "ffmpeg -v error -f lavfi -i testsrc=size=320x240:rate=25 -f lavfi -i "
               "sine=sample_rate=44100 -t 2 -c:v libx264 -pix_fmt yuv420p -c:a aac -y v" +
                   n + ".mp4 && ffmpeg -v error -i v" + n + ".mp4 -c copy -y v" + n + ".mkv") &&
           Run(t, "python3 -c \"import zipfile; z = zipfile.ZipFile('d" + n +
                      ".docx', 'w', zipfile.ZIP_DEFLATED); z.writestr('docProps/core.xml', "
                      "'<cp:coreProperties xmlns:cp=\\\"x\\\" xmlns:dc=\\\"http://purl.org/dc/"
                      "elements/1.1/\\\"><dc:title>Plan " +
                      n +
                      "</dc:title></cp:coreProperties>');"
                      " z.writestr('word/document.xml', 'x' * 20000); z.close()\"") &&
           Run(t, "python3 mkpdf.py " + n);
    }
    if (!ok) return std::string();
    // Of every 20 files: 8 photos, 6 music (flac, opus, m4a), 3 videos (mp4, mkv), 3 documents.
    static const char* kinds[20] = {"p.jpg",  "p.jpg",  "p.jpg", "p.jpg",  "p.jpg",
                                    "p.jpg",  "p.jpg",  "p.jpg", "m.flac", "m.flac",
                                    "m.opus", "m.opus", "m.m4a", "m.m4a",  "v.mp4",
                                    "v.mp4",  "v.mkv",  "d.pdf", "d.pdf",  "d.docx"};
    for (int i = 0; i < kFiles; ++i) {
      std::string kind = kinds[i % 20];
      std::string from = t + "/" + kind.substr(0, 1) + std::to_string(i % 16) + kind.substr(1);
      std::string folder = dir + "/media/folder" + std::to_string(i % kFolders);
      fs::create_directories(folder);
      fs::copy_file(from, folder + "/file" + std::to_string(i) + kind.substr(1));
    }
    std::ofstream(stamp) << "ok";
    return dir;
  }();
  return root;
}

// User and system time of the whole process (every walker), in milliseconds.
double ProcessCpuMs() {
  struct rusage ru;
  getrusage(RUSAGE_SELF, &ru);
  auto ms = [](const timeval& t) { return t.tv_sec * 1000.0 + t.tv_usec / 1000.0; };
  return ms(ru.ru_utime) + ms(ru.ru_stime);
}

double PeakRssMb() {
  struct rusage ru;
  getrusage(RUSAGE_SELF, &ru);
  return static_cast<double>(ru.ru_maxrss) / 1024.0;
}

// Arg: the rules the scan has, 13 (the first table) or 18 (with the media readers).
void BM_ScanMedia(benchmark::State& state) {
  if (Tree().empty()) {
    state.SkipWithError("the media files could not be made (ffmpeg, exiftool, sox, flac, opusenc)");
    return;
  }
  TQDBase opt;
  InitDescriptionRules(opt);
  InitArchiveTypes(opt);
  opt.EnterChild(kDescRulesSlot);
  for (int k = kReaderCount; k > state.range(0); --k) opt.DeleteSlot(k);
  opt.GoToDepth(0);
  int32_t described = 0;
  const double cpuBefore = ProcessCpuMs();
  for (auto _ : state) {
    TQDBase disk;
    TFileScan scan(disk, Tree() + "/media", MakeScanSettings(opt, true, true));
    scan.Run();
    if (scan.FilesDone != kFiles) state.SkipWithError("files missing");
    described = scan.DescriptionsDone;
  }
  state.counters["described"] = described;
  state.counters["process_cpu_ms"] =
      (ProcessCpuMs() - cpuBefore) / static_cast<double>(state.iterations());
  state.counters["files_per_s"] =
      benchmark::Counter(kFiles, benchmark::Counter::kIsIterationInvariantRate);
  state.counters["peak_rss_mb"] = PeakRssMb();
}
BENCHMARK(BM_ScanMedia)->Arg(13)->Unit(benchmark::kMillisecond)->MinTime(3)->UseRealTime();
BENCHMARK(BM_ScanMedia)->Arg(18)->Unit(benchmark::kMillisecond)->MinTime(3)->UseRealTime();

// One reader over the sixteen templates of its kind: what a file of that kind costs.
void BM_Reader(benchmark::State& state) {
  if (Tree().empty()) {
    state.SkipWithError("the media files could not be made");
    return;
  }
  static const char* files[] = {"p%.jpg", "m%.flac", "m%.opus", "m%.m4a",
                                "v%.mp4", "v%.mkv",  "d%.pdf",  "d%.docx"};
  std::string pattern = files[state.range(0)];
  state.SetLabel(pattern);
  std::vector<std::string> paths;
  for (int i = 0; i < 16; ++i) {
    std::string p = pattern;
    p.replace(p.find('%'), 1, std::to_string(i));
    paths.push_back(Tree() + "/templates/" + p);
  }
  for (auto _ : state) {
    for (const std::string& path : paths) {
      TByteSource src = TByteSource::OfFile(path);
      std::string text;
      switch (pattern[0]) {
        case 'p':
          text = PhotoDescription(src);
          break;
        case 'm':
          text = AudioDescription(src);
          break;
        case 'v':
          text = VideoDescription(src);
          break;
        default:
          text = pattern.back() == 'f' ? PdfDescription(src) : OfficeDescription(src);
      }
      if (text.empty()) state.SkipWithError("no description");
      benchmark::DoNotOptimize(text);
    }
  }
  state.counters["us_per_file"] = benchmark::Counter(
      16, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_Reader)->DenseRange(0, 7)->Unit(benchmark::kMillisecond)->MinTime(1);

}  // namespace

BENCHMARK_MAIN();
