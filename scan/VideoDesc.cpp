// SPDX-License-Identifier: MIT
#include "scan/VideoDesc.h"

#include <cmath>
#include <cstring>
#include <vector>

#include "app/Language.h"
#include "scan/AvFormatLib.h"
#include "scan/ByteSource.h"
#include "scan/MediaText.h"
#include "scan/ReadBudget.h"

namespace {

constexpr uint64_t kMaxVideoBytes = 16u << 20;
constexpr std::chrono::milliseconds kMaxVideoTime{3000};
constexpr int kIoBuffer = 64 * 1024;
constexpr int kShownAudioTracks = 4;
// The demuxers that may read a file (libavformat's names).
constexpr const char* kDemuxers = "mov,matroska,avi,mpegts,mpeg,asf,flv,ogg";

struct TIo {
  const TByteSource* src;
  TReadBudget* budget;
  uint64_t pos = 0;
};

int ReadPacket(void* opaque, uint8_t* buf, int size) {
  auto* io = static_cast<TIo*>(opaque);
  if (size <= 0 || io->pos >= io->src->Size()) return AVERROR_EOF;
  size_t want = io->budget->Grant(static_cast<size_t>(size));
  size_t got = want ? io->src->ReadAt(io->pos, buf, want) : 0;
  if (got == 0) return AVERROR_EOF;
  io->pos += got;
  return static_cast<int>(got);
}

int64_t Seek(void* opaque, int64_t offset, int whence) {
  auto* io = static_cast<TIo*>(opaque);
  const auto size = static_cast<int64_t>(io->src->Size());
  if (whence & AVSEEK_SIZE) return size;
  whence &= ~AVSEEK_FORCE;
  int64_t base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? static_cast<int64_t>(io->pos) : size;
  int64_t to = base + offset;
  if (to < 0 || to > size) return AVERROR(EINVAL);
  io->pos = static_cast<uint64_t>(to);
  return to;
}

int Interrupt(void* opaque) { return static_cast<TReadBudget*>(opaque)->Spent() ? 1 : 0; }

// A file the data names (a playlist's entries, a reference movie's media) is never opened.
int RefuseOpen(AVFormatContext*, AVIOContext**, const char*, int, AVDictionary**) {
  return AVERROR(EPERM);
}

struct TCodecName {
  const char* Id;
  const char* Shown;
};
constexpr TCodecName kCodecNames[] = {
    {"h264", "H.264"},
    {"hevc", "H.265"},
    {"mpeg1video", "MPEG-1"},
    {"mpeg2video", "MPEG-2"},
    {"mpeg4", "MPEG-4 Visual"},
    {"vp8", "VP8"},
    {"vp9", "VP9"},
    {"av1", "AV1"},
    {"theora", "Theora"},
    {"vc1", "VC-1"},
    {"wmv1", "WMV7"},
    {"wmv2", "WMV8"},
    {"wmv3", "WMV9"},
    {"msmpeg4v3", "DivX 3"},
    {"mjpeg", "Motion JPEG"},
    {"prores", "ProRes"},
    {"dvvideo", "DV"},
    {"h263", "H.263"},
    {"flv1", "Sorenson H.263"},
    {"rawvideo", "uncompressed"},
    {"aac", "AAC"},
    {"mp3", "MP3"},
    {"mp2", "MPEG Audio Layer 2"},
    {"ac3", "AC-3"},
    {"eac3", "E-AC-3"},
    {"dts", "DTS"},
    {"truehd", "TrueHD"},
    {"opus", "Opus"},
    {"vorbis", "Vorbis"},
    {"flac", "FLAC"},
    {"alac", "ALAC"},
    {"wmav1", "WMA"},
    {"wmav2", "WMA"},
    {"wmapro", "WMA Pro"},
    {"amr_nb", "AMR"},
    {"amr_wb", "AMR-WB"},
};

std::string CodecText(const TAvFormatLib& av, AVCodecID id) {
  const char* name = av.CodecName(id);
  if (!name || id == AV_CODEC_ID_NONE) return std::string();
  for (const TCodecName& c : kCodecNames)
    if (std::strcmp(c.Id, name) == 0) return c.Shown;
  if (std::strncmp(name, "pcm_", 4) == 0) return "PCM";
  std::string upper(name);
  for (char& ch : upper)
    if (ch >= 'a' && ch <= 'z') ch = static_cast<char>(ch - 32);
  return upper;
}

// "25 fps", "29.97 fps", "23.976 fps"; empty for an unknown or absurd rate.
std::string FrameRateText(AVRational rate) {
  if (rate.num <= 0 || rate.den <= 0) return std::string();
  double fps = static_cast<double>(rate.num) / rate.den;
  if (!(fps > 0) || fps > 10000) return std::string();
  long thousandths = std::lround(fps * 1000);
  std::string text = std::to_string(thousandths / 1000);
  std::string decimals = std::to_string(1000 + thousandths % 1000).substr(1);
  while (!decimals.empty() && decimals.back() == '0') decimals.pop_back();
  if (!decimals.empty()) text += "." + decimals;
  return text + " fps";
}

std::string Tag(const TAvFormatLib& av, AVDictionary* dict, const char* key) {
  AVDictionaryEntry* e = av.DictGet(dict, key, nullptr, 0);
  return e && e->value ? MediaField(e->value) : std::string();
}

bool IsPicture(const AVStream* s) { return (s->disposition & AV_DISPOSITION_ATTACHED_PIC) != 0; }

// Do the headers leave out what the description needs? (Transport and program streams tell
// their streams' parameters only in the stream data.)
bool NeedsStreamInfo(const AVFormatContext* fc) {
  if (fc->nb_streams == 0 || fc->duration == AV_NOPTS_VALUE) return true;
  for (unsigned i = 0; i < fc->nb_streams; ++i) {
    const AVCodecParameters* p = fc->streams[i]->codecpar;
    if (p->codec_type == AVMEDIA_TYPE_VIDEO && !IsPicture(fc->streams[i]) &&
        (p->width <= 0 || p->height <= 0 || p->codec_id == AV_CODEC_ID_NONE))
      return true;
    if (p->codec_type == AVMEDIA_TYPE_AUDIO &&
        (p->sample_rate <= 0 || p->codec_id == AV_CODEC_ID_NONE))
      return true;
  }
  return false;
}

void FindStreamInfo(const TAvFormatLib& av, AVFormatContext* fc) {
  // One decoding thread per stream: the scanner's walkers are the program's parallelism.
  std::vector<AVDictionary*> options(fc->nb_streams, nullptr);
  for (AVDictionary*& o : options) av.DictSet(&o, "threads", "1", 0);
  av.FindStreamInfo(fc, options.empty() ? nullptr : options.data());
  for (AVDictionary*& o : options) av.DictFree(&o);
}

std::string Describe(const TAvFormatLib& av, AVFormatContext* fc) {
  std::string text = Tag(av, fc->metadata, "title");
  std::string line;
  auto add = [&line](const std::string& part) {
    if (part.empty()) return;
    if (!line.empty()) line += ", ";
    line += part;
  };
  if (fc->duration != AV_NOPTS_VALUE)
    add(DurationText(static_cast<double>(fc->duration) / AV_TIME_BASE));
  bool video = false;
  std::vector<std::string> audio;
  int audioTracks = 0;
  for (unsigned i = 0; i < fc->nb_streams; ++i) {
    const AVStream* s = fc->streams[i];
    const AVCodecParameters* p = s->codecpar;
    if (p->codec_type == AVMEDIA_TYPE_VIDEO && !IsPicture(s) && !video) {
      video = true;
      if (p->width > 0 && p->height > 0)
        add(MediaSizeText(static_cast<uint32_t>(p->width), static_cast<uint32_t>(p->height), 0));
      add(CodecText(av, p->codec_id));
      add(FrameRateText(s->avg_frame_rate.num > 0 ? s->avg_frame_rate : s->r_frame_rate));
    } else if (p->codec_type == AVMEDIA_TYPE_AUDIO) {
      if (++audioTracks > kShownAudioTracks) continue;
      std::string track = CodecText(av, p->codec_id);
      auto part = [&track](const std::string& more) {
        if (more.empty()) return;
        if (!track.empty()) track += ", ";
        track += more;
      };
      part(SampleRateText(p->sample_rate));
      part(ChannelsText(p->ch_layout.nb_channels));
      std::string language = Tag(av, s->metadata, "language");
      if (!language.empty() && language != "und") track += " (" + language + ")";
      audio.push_back(LabelledLine(11806, track));
    }
  }
  if (!video && audio.empty()) return std::string();
  AddLine(text, line);
  for (const std::string& a : audio) AddLine(text, a);
  if (audioTracks > kShownAudioTracks)
    AddLine(text, LangFormat(11809, std::to_string(audioTracks - kShownAudioTracks)));
  return text;
}

std::string Read(const TByteSource& src) {
  if (!src.Ok() || src.Size() < 16) return std::string();
  const TAvFormatLib* av = AvFormatLib();
  if (!av) return std::string();
  TReadBudget budget(kMaxVideoBytes, kMaxVideoTime);
  TIo io{&src, &budget};
  AVFormatContext* fc = av->AllocContext();
  if (!fc) return std::string();
  auto* buffer = static_cast<unsigned char*>(av->Malloc(kIoBuffer));
  AVIOContext* pb =
      buffer ? av->AllocIo(buffer, kIoBuffer, 0, &io, ReadPacket, nullptr, Seek) : nullptr;
  if (!pb) {
    av->Freep(&buffer);
    av->FreeContext(fc);
    return std::string();
  }
  fc->pb = pb;
  fc->flags |= AVFMT_FLAG_CUSTOM_IO;
  fc->io_open = RefuseOpen;
  fc->interrupt_callback = {Interrupt, &budget};
  fc->probesize = 2 << 20;
  fc->max_analyze_duration = 2 * AV_TIME_BASE;
  AVDictionary* options = nullptr;
  av->DictSet(&options, "format_whitelist", kDemuxers, 0);
  std::string text;
  // On failure avformat_open_input frees the context itself.
  if (av->OpenInput(&fc, nullptr, nullptr, &options) == 0) {
    if (NeedsStreamInfo(fc)) FindStreamInfo(*av, fc);
    text = Describe(*av, fc);
    av->CloseInput(&fc);
  }
  av->DictFree(&options);
  av->Freep(&pb->buffer);
  av->FreeIo(&pb);
  return text;
}

}  // namespace

std::string VideoDescription(const TByteSource& source) { return Read(source); }

std::string VideoDescriptionFromBytes(std::string_view data) {
  return Read(TByteSource::OfBytes(data));
}
