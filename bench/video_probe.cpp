// SPDX-License-Identifier: MIT
// The measurement behind the choice of the video reader's library (bench/video-reader.md):
// libavformat against MediaInfo over the same files, each read through its own buffer callbacks
// from a descriptor as the scanner reads, repeated N times per file; the time per file and the
// peak memory of the process.
//
// Built by hand (it needs libmediainfo-dev, which the program does not use), then run:
//   g++ -O2 -o video_probe bench/video_probe.cpp \
//     $(pkg-config --cflags --libs libavformat libavcodec libavutil libmediainfo)
//   ./video_probe av|av-info|mi N FILE...
//     av       libavformat, headers only (avformat_open_input)
//     av-info  libavformat with avformat_find_stream_info (decodes a little where needed)
//     mi       MediaInfo, buffers fed by hand, ParseSpeed 0
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>
extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/log.h>
}
#include <MediaInfo/MediaInfo.h>

namespace {

struct TSrc {
  int fd;
  int64_t size, pos;
};

int ReadCb(void* o, uint8_t* b, int n) {
  auto* s = static_cast<TSrc*>(o);
  ssize_t r = pread(s->fd, b, static_cast<size_t>(n), s->pos);
  if (r <= 0) return AVERROR_EOF;
  s->pos += r;
  return static_cast<int>(r);
}

int64_t SeekCb(void* o, int64_t off, int whence) {
  auto* s = static_cast<TSrc*>(o);
  if (whence & AVSEEK_SIZE) return s->size;
  whence &= ~AVSEEK_FORCE;
  int64_t base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? s->pos : s->size;
  s->pos = base + off;
  return s->pos;
}

std::string WithAvformat(const char* path, bool info) {
  TSrc s{open(path, O_RDONLY), 0, 0};
  struct stat st;
  fstat(s.fd, &st);
  s.size = st.st_size;
  AVFormatContext* fc = avformat_alloc_context();
  auto* buf = static_cast<unsigned char*>(av_malloc(65536));
  AVIOContext* io = avio_alloc_context(buf, 65536, 0, &s, ReadCb, nullptr, SeekCb);
  fc->pb = io;
  fc->probesize = 2 << 20;
  fc->max_analyze_duration = 2 * AV_TIME_BASE;
  std::string out;
  if (avformat_open_input(&fc, nullptr, nullptr, nullptr) == 0) {
    if (info) avformat_find_stream_info(fc, nullptr);
    out = std::to_string(fc->duration / 1000);
    for (unsigned i = 0; i < fc->nb_streams; ++i) {
      const AVCodecParameters* c = fc->streams[i]->codecpar;
      out += std::string(" ") + avcodec_get_name(c->codec_id) + " " + std::to_string(c->width) +
             "x" + std::to_string(c->height);
    }
    avformat_close_input(&fc);
  } else {
    avformat_free_context(fc);
  }
  av_freep(&io->buffer);
  avio_context_free(&io);
  close(s.fd);
  return out;
}

std::string WithMediaInfo(const char* path) {
  MediaInfoLib::MediaInfo mi;
  mi.Option(__T("ParseSpeed"), __T("0"));
  int fd = open(path, O_RDONLY);
  struct stat st;
  fstat(fd, &st);
  mi.Open_Buffer_Init(static_cast<ZenLib::int64u>(st.st_size), 0);
  std::vector<unsigned char> b(65536);
  int64_t pos = 0;
  for (;;) {
    ssize_t r = pread(fd, b.data(), b.size(), pos);
    if (r <= 0) break;
    pos += r;
    if (mi.Open_Buffer_Continue(b.data(), static_cast<size_t>(r)) & 0x08) break;
    ZenLib::int64u to = mi.Open_Buffer_Continue_GoTo_Get();
    if (to != static_cast<ZenLib::int64u>(-1)) {
      pos = static_cast<int64_t>(to);
      mi.Open_Buffer_Init(static_cast<ZenLib::int64u>(st.st_size), to);
    }
  }
  mi.Open_Buffer_Finalize();
  close(fd);
  std::wstring w = mi.Get(MediaInfoLib::Stream_General, 0, __T("Duration")) + L" " +
                   mi.Get(MediaInfoLib::Stream_Video, 0, __T("Format")) + L" " +
                   mi.Get(MediaInfoLib::Stream_Video, 0, __T("Width")) + L"x" +
                   mi.Get(MediaInfoLib::Stream_Video, 0, __T("Height")) + L" " +
                   mi.Get(MediaInfoLib::Stream_Audio, 0, __T("Format"));
  std::string out;
  for (wchar_t c : w) out += c < 128 ? static_cast<char>(c) : '?';
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: video_probe av|av-info|mi N FILE...\n");
    return 2;
  }
  av_log_set_level(AV_LOG_QUIET);
  std::string mode = argv[1];
  int n = std::atoi(argv[2]);
  for (int a = 3; a < argc; ++a) {
    auto t0 = std::chrono::steady_clock::now();
    std::string r;
    for (int i = 0; i < n; ++i)
      r = mode == "mi" ? WithMediaInfo(argv[a]) : WithAvformat(argv[a], mode == "av-info");
    double us =
        std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - t0).count() /
        n;
    std::printf("%-8s %-10s %9.1f us  %s\n", mode.c_str(), argv[a], us, r.c_str());
  }
  struct rusage ru;
  getrusage(RUSAGE_SELF, &ru);
  std::printf("peak RSS %ld KB\n", ru.ru_maxrss);
}
