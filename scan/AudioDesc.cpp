// SPDX-License-Identifier: MIT
#include "scan/AudioDesc.h"

#include <taglib/aifffile.h>
#include <taglib/apefile.h>
#include <taglib/asffile.h>
#include <taglib/flacfile.h>
#include <taglib/id3v2framefactory.h>
#include <taglib/mp4file.h>
#include <taglib/mpcfile.h>
#include <taglib/oggflacfile.h>
#include <taglib/opusfile.h>
#include <taglib/speexfile.h>
#include <taglib/tdebuglistener.h>
#include <taglib/tiostream.h>
#include <taglib/vorbisfile.h>
#include <taglib/wavfile.h>
#include <taglib/wavpackfile.h>

#include <algorithm>
#include <memory>
#include <mutex>

#include "app/Language.h"
#include "scan/ByteSource.h"
#include "scan/MediaText.h"
#include "scan/ReadBudget.h"

namespace {

constexpr uint64_t kMaxAudioBytes = 16u << 20;
constexpr std::chrono::milliseconds kMaxAudioTime{2000};

class TQuietListener : public TagLib::DebugListener {
 public:
  void printMessage(const TagLib::String&) override {}
};

void InitTagLib() {
  static std::once_flag once;
  static TQuietListener quiet;
  std::call_once(once, [] { TagLib::setDebugListener(&quiet); });
}

// TagLib's view of a TByteSource: read-only, every read granted by the budget.
class TSourceStream : public TagLib::IOStream {
 public:
  TSourceStream(const TByteSource& src, TReadBudget& budget) : src_(src), budget_(budget) {}

  TagLib::FileName name() const override { return ""; }
  TagLib::ByteVector readBlock(unsigned long length) override {
    uint64_t left = src_.Size() - std::min(pos_, src_.Size());
    size_t want = budget_.Grant(static_cast<size_t>(std::min<uint64_t>(length, left)));
    TagLib::ByteVector data(static_cast<unsigned int>(want), '\0');
    size_t got = want ? src_.ReadAt(pos_, data.data(), want) : 0;
    data.resize(static_cast<unsigned int>(got));
    pos_ += got;
    return data;
  }
  void writeBlock(const TagLib::ByteVector&) override {}
  void insert(const TagLib::ByteVector&, unsigned long, unsigned long) override {}
  void removeBlock(unsigned long, unsigned long) override {}
  bool readOnly() const override { return true; }
  bool isOpen() const override { return true; }
  void seek(long offset, Position p) override {
    int64_t base = p == Beginning ? 0 : p == Current ? static_cast<int64_t>(pos_) : Length();
    int64_t to = std::clamp<int64_t>(base + offset, 0, Length());
    pos_ = static_cast<uint64_t>(to);
  }
  long tell() const override { return static_cast<long>(pos_); }
  long length() override { return static_cast<long>(Length()); }
  void truncate(long) override {}

 private:
  int64_t Length() const { return static_cast<int64_t>(src_.Size()); }
  const TByteSource& src_;
  TReadBudget& budget_;
  uint64_t pos_ = 0;
};

enum class TKind {
  None,
  Flac,
  Vorbis,
  Opus,
  OggFlac,
  Speex,
  Mp4,
  Asf,
  Ape,
  WavPack,
  Wav,
  Aiff,
  Mpc
};

// The format from the first bytes (after an ID3v2 tag, which FLAC, APE and others may carry).
TKind KindOf(const TByteSource& src) {
  std::string h;
  src.ReadExact(0, std::min<uint64_t>(src.Size(), 64), h);
  uint64_t skip = 0;
  if (h.size() >= 10 && h.compare(0, 3, "ID3") == 0) {
    skip = 10 + (uint64_t{static_cast<uint8_t>(h[6]) & 0x7Fu} << 21 |
                 uint64_t{static_cast<uint8_t>(h[7]) & 0x7Fu} << 14 |
                 uint64_t{static_cast<uint8_t>(h[8]) & 0x7Fu} << 7 |
                 uint64_t{static_cast<uint8_t>(h[9]) & 0x7Fu});
    if (!src.ReadExact(skip, 8, h)) return TKind::None;
  }
  auto at = [&h](size_t off, std::string_view sig) {
    return h.size() >= off + sig.size() && std::string_view(h).substr(off, sig.size()) == sig;
  };
  if (at(0, "fLaC")) return TKind::Flac;
  if (at(0, "MAC ")) return TKind::Ape;
  if (at(0, "wvpk")) return TKind::WavPack;
  if (at(0, "MPCK") || at(0, "MP+")) return TKind::Mpc;
  if (skip) return TKind::None;
  if (at(0, "OggS")) {
    // The first page's first packet tells the codec: its header sits after the segment table.
    std::string page;
    if (!src.ReadExact(0, 27, page)) return TKind::None;
    uint64_t body = 27 + static_cast<uint8_t>(page[26]);
    std::string packet;
    src.ReadExact(body, 8, packet);
    if (packet.compare(0, 7, "\x01vorbis") == 0) return TKind::Vorbis;
    if (packet.compare(0, 8, "OpusHead") == 0) return TKind::Opus;
    if (packet.compare(0, 5,
                       "\x7F"
                       "FLAC") == 0)
      return TKind::OggFlac;
    if (packet.compare(0, 8, "Speex   ") == 0) return TKind::Speex;
    return TKind::None;
  }
  if (at(4, "ftyp")) return TKind::Mp4;
  if (at(0, std::string_view("\x30\x26\xB2\x75\x8E\x66\xCF\x11", 8))) return TKind::Asf;
  if (at(0, "RIFF") && at(8, "WAVE")) return TKind::Wav;
  if (at(0, "FORM") && (at(8, "AIFF") || at(8, "AIFC"))) return TKind::Aiff;
  return TKind::None;
}

std::unique_ptr<TagLib::File> OpenFile(TKind kind, TagLib::IOStream* s) {
  constexpr auto style = TagLib::AudioProperties::Average;
  switch (kind) {
    case TKind::Flac:
      return std::make_unique<TagLib::FLAC::File>(s, TagLib::ID3v2::FrameFactory::instance(), true,
                                                  style);
    case TKind::Vorbis:
      return std::make_unique<TagLib::Ogg::Vorbis::File>(s, true, style);
    case TKind::Opus:
      return std::make_unique<TagLib::Ogg::Opus::File>(s, true, style);
    case TKind::OggFlac:
      return std::make_unique<TagLib::Ogg::FLAC::File>(s, true, style);
    case TKind::Speex:
      return std::make_unique<TagLib::Ogg::Speex::File>(s, true, style);
    case TKind::Mp4:
      return std::make_unique<TagLib::MP4::File>(s, true, style);
    case TKind::Asf:
      return std::make_unique<TagLib::ASF::File>(s, true, style);
    case TKind::Ape:
      return std::make_unique<TagLib::APE::File>(s, true, style);
    case TKind::WavPack:
      return std::make_unique<TagLib::WavPack::File>(s, true, style);
    case TKind::Wav:
      return std::make_unique<TagLib::RIFF::WAV::File>(s, true, style);
    case TKind::Aiff:
      return std::make_unique<TagLib::RIFF::AIFF::File>(s, true, style);
    case TKind::Mpc:
      return std::make_unique<TagLib::MPC::File>(s, true, style);
    case TKind::None:
      break;
  }
  return nullptr;
}

// The format's name, and whether it is lossless (its bits per sample then say more than its bit
// rate), and the bits per sample where the format tells them.
struct TFormat {
  const char* Name = nullptr;
  bool Lossless = false;
  int Bits = 0;
};

TFormat FormatOf(TKind kind, TagLib::File& file) {
  TagLib::AudioProperties* p = file.audioProperties();
  switch (kind) {
    case TKind::Flac:
      return {"FLAC", true, static_cast<TagLib::FLAC::Properties*>(p)->bitsPerSample()};
    case TKind::OggFlac:
      return {"FLAC", true, static_cast<TagLib::Ogg::FLAC::Properties*>(p)->bitsPerSample()};
    case TKind::Vorbis:
      return {"Vorbis"};
    case TKind::Opus:
      return {"Opus"};
    case TKind::Speex:
      return {"Speex"};
    case TKind::Mp4: {
      auto* mp4 = static_cast<TagLib::MP4::Properties*>(p);
      if (mp4->codec() == TagLib::MP4::Properties::ALAC)
        return {"ALAC", true, mp4->bitsPerSample()};
      return {"AAC"};
    }
    case TKind::Asf: {
      auto* asf = static_cast<TagLib::ASF::Properties*>(p);
      if (asf->codec() == TagLib::ASF::Properties::WMA9Lossless)
        return {"WMA Lossless", true, asf->bitsPerSample()};
      if (asf->codec() == TagLib::ASF::Properties::WMA9Pro) return {"WMA Pro"};
      return {"WMA"};
    }
    case TKind::Ape:
      return {"APE", true, static_cast<TagLib::APE::Properties*>(p)->bitsPerSample()};
    case TKind::WavPack: {
      auto* wv = static_cast<TagLib::WavPack::Properties*>(p);
      return {"WavPack", wv->isLossless(), wv->bitsPerSample()};
    }
    case TKind::Wav: {
      auto* wav = static_cast<TagLib::RIFF::WAV::Properties*>(p);
      return {"WAV", wav->format() == 1 || wav->format() == 3, wav->bitsPerSample()};
    }
    case TKind::Aiff:
      return {"AIFF", true, static_cast<TagLib::RIFF::AIFF::Properties*>(p)->bitsPerSample()};
    case TKind::Mpc:
      return {"Musepack"};
    case TKind::None:
      break;
  }
  return {};
}

std::string Utf8(const TagLib::String& s) { return MediaField(s.to8Bit(true)); }

std::string Describe(const TByteSource& src) {
  if (!src.Ok() || src.Size() < 12) return std::string();
  const TKind kind = KindOf(src);
  if (kind == TKind::None) return std::string();
  InitTagLib();
  TReadBudget budget(kMaxAudioBytes, kMaxAudioTime);
  TSourceStream stream(src, budget);
  try {
    std::unique_ptr<TagLib::File> file = OpenFile(kind, &stream);
    if (!file || !file->isValid() || !file->audioProperties()) return std::string();
    std::string text;
    if (TagLib::Tag* tag = file->tag()) {
      std::string artist = Utf8(tag->artist()), title = Utf8(tag->title());
      AddLine(text, !artist.empty() && !title.empty() ? artist + " - " + title : artist + title);
      AddLine(text, LabelledLine(11801, Utf8(tag->album())));
      if (tag->year() > 0) AddLine(text, LabelledLine(11802, std::to_string(tag->year())));
      AddLine(text, LabelledLine(11803, Utf8(tag->genre())));
    }
    TagLib::AudioProperties* p = file->audioProperties();
    const TFormat format = FormatOf(kind, *file);
    std::string line = DurationText(p->lengthInMilliseconds() / 1000.0);
    auto add = [&line](const std::string& part) {
      if (part.empty()) return;
      if (!line.empty()) line += ", ";
      line += part;
    };
    if (format.Name) add(format.Name);
    add(SampleRateText(p->sampleRate()));
    add(ChannelsText(p->channels()));
    if (format.Lossless && format.Bits > 0)
      add(std::to_string(format.Bits) + " " + LangText(11805));
    else if (!format.Lossless && p->bitrate() > 0)
      add(std::to_string(p->bitrate()) + " kbit/s");
    AddLine(text, line);
    return text;
  } catch (...) {
    return std::string();
  }
}

}  // namespace

std::string AudioDescription(const TByteSource& source) { return Describe(source); }

std::string AudioDescriptionFromBytes(std::string_view data) {
  return Describe(TByteSource::OfBytes(data));
}
