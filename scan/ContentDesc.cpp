// SPDX-License-Identifier: MIT
#include "scan/ContentDesc.h"

#include <algorithm>
#include <cstring>
#include <optional>

#include "app/Language.h"
#include "platform/CodePage.h"
#include "scan/ByteSource.h"
#include "scan/PeVersion.h"

namespace {

// ---- HTML title ------------------------------------------------------------------------------

constexpr size_t kHtmlBlock = 64 * 1024;
constexpr size_t kMaxTitle = 1024;
// A title belongs to the head of a page: only this much of a file is searched, so a large file
// without one is not read to its end.
constexpr uint64_t kHtmlHead = 1024 * 1024;

char AsciiUpper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; }

// The offset of the first occurrence of `needle` (upper-case ASCII) at or after `from`,
// comparing the file's ASCII letters upper-cased; read in blocks that overlap by the needle's
// length, so a match across a block boundary is found.
std::optional<uint64_t> FindUpper(const TByteSource& src, std::string_view needle, uint64_t from) {
  const uint64_t end = std::min<uint64_t>(src.Size(), kHtmlHead);
  if (from >= end) return std::nullopt;
  // A block no larger than what is to be searched: most pages are far smaller than a block.
  std::string block(static_cast<size_t>(std::min<uint64_t>(kHtmlBlock, end - from)), '\0');
  for (uint64_t pos = from; pos < end;) {
    size_t got = src.ReadAt(pos, block.data(),
                            static_cast<size_t>(std::min<uint64_t>(block.size(), end - pos)));
    if (got == 0) return std::nullopt;
    std::transform(block.begin(), block.begin() + static_cast<std::ptrdiff_t>(got), block.begin(),
                   AsciiUpper);
    std::string_view view(block.data(), got);
    size_t hit = view.find(needle);
    if (hit != std::string_view::npos) return pos + hit;
    if (got < needle.size() || pos + got >= end) return std::nullopt;
    pos += got - (needle.size() - 1);
  }
  return std::nullopt;
}

std::string HtmlTitle(const TByteSource& src) {
  if (!src.Ok()) return "";
  auto open = FindUpper(src, "<TITLE>", 0);
  if (!open) return "";
  auto close = FindUpper(src, "</TITLE>", *open + 7);
  if (!close) return "";
  uint64_t length = std::min<uint64_t>(*close - (*open + 7), kMaxTitle);
  std::string title(static_cast<size_t>(length), '\0');
  title.resize(src.ReadAt(*open + 7, title.data(), title.size()));
  size_t zero = title.find('\0');
  if (zero != std::string::npos) title.resize(zero);
  return title;
}

// ---- Text head -------------------------------------------------------------------------------

std::string TextHead(const TByteSource& src, int maxDescKB, bool oemToAnsi,
                     std::string_view oemCodePage) {
  if (!src.Ok()) return "";
  uint64_t limit = maxDescKB > 0 ? uint64_t{static_cast<unsigned>(maxDescKB)} * 1024 : 102400;
  bool cut = src.Size() > limit;
  limit = std::min(limit, src.Size());
  std::string text;
  if (!src.ReadExact(0, static_cast<size_t>(limit), text)) return "";
  if (text.empty()) return text;
  if (oemToAnsi) return OemToUtf8(text, oemCodePage);
  // UTF-8 cut in the middle of a character would no longer be valid UTF-8 as a whole and be
  // shown through the legacy code page; drop the broken character instead.
  if (cut) {
    size_t keep = Utf8CompletePrefix(text);
    if (keep < text.size() && IsValidUtf8(std::string_view(text).substr(0, keep)))
      text.resize(keep);
  }
  return text;
}

// ---- Image size ------------------------------------------------------------------------------

// Reads a file byte by byte through a buffer, for the JPEG marker walk.
class TByteReader {
 public:
  TByteReader(const TByteSource& src, uint64_t pos) : src_(src), pos_(pos) {}
  // The next byte, or nullopt at the end of the data.
  std::optional<uint8_t> Byte() {
    if (at_ == got_) {
      bufPos_ = pos_;
      got_ = src_.ReadAt(pos_, buf_, sizeof buf_);
      at_ = 0;
      if (got_ == 0) return std::nullopt;
    }
    ++pos_;
    return static_cast<uint8_t>(buf_[at_++]);
  }
  std::optional<uint16_t> U16BE() {
    auto hi = Byte();
    auto lo = Byte();
    if (!hi || !lo) return std::nullopt;
    return static_cast<uint16_t>(*hi << 8 | *lo);
  }
  void Skip(uint64_t n) {
    pos_ += n;
    if (pos_ >= bufPos_ && pos_ < bufPos_ + got_) {
      at_ = static_cast<size_t>(pos_ - bufPos_);
    } else {
      at_ = got_ = 0;
    }
  }

 private:
  const TByteSource& src_;
  uint64_t pos_;
  uint64_t bufPos_ = 0;
  char buf_[4096];
  size_t at_ = 0, got_ = 0;
};

TImageSize DecodeBmp(const TByteSource& src) {
  std::string h;
  if (!src.ReadExact(0, 29, h) || h[0] != 'B' || h[1] != 'M') return {};
  return {GetU16LE(&h[18]), GetU16LE(&h[22]), static_cast<uint8_t>(h[28])};
}

// SOF0 .. SOF15 but DHT (C4), JPG (C8) and DAC (CC): the frame headers of every coding process.
bool IsAnyFrameHeader(uint8_t m) {
  return m >= 0xC0 && m <= 0xCF && m != 0xC4 && m != 0xC8 && m != 0xCC;
}

// `anyFrame`: every frame header gives the size; otherwise only SOF0 and SOF1 do.
TImageSize DecodeJpeg(const TByteSource& src, bool anyFrame = false) {
  std::string h;
  if (!src.ReadExact(0, 2, h) || static_cast<uint8_t>(h[0]) != 0xFF ||
      static_cast<uint8_t>(h[1]) != 0xD8)
    return {};
  TByteReader r(src, 2);
  auto b = r.Byte();
  while (b && *b == 0xFF) {
    auto m = r.Byte();
    if (!m) break;
    if (*m == 0xFF) continue;  // fill bytes
    if (*m == 0xC0 || *m == 0xC1 || (anyFrame && IsAnyFrameHeader(*m))) {
      r.Skip(3);  // segment length and sample precision
      auto height = r.U16BE();
      auto width = r.U16BE();
      auto components = r.Byte();
      if (!height || !width || !components) return {};
      return {*width, *height, static_cast<uint8_t>(*components * 8)};
    }
    if (*m == 0x01 || (*m >= 0xD0 && *m <= 0xD7)) {  // markers without a length
      b = r.Byte();
      continue;
    }
    auto length = r.U16BE();
    if (!length || *length < 2) return {};
    r.Skip(*length - 2u);
    b = r.Byte();
  }
  return {};
}

TImageSize DecodeGif(const TByteSource& src) {
  std::string h;
  if (!src.ReadExact(0, 11, h) || h.compare(0, 3, "GIF") != 0) return {};
  return {GetU16LE(&h[6]), GetU16LE(&h[8]), static_cast<uint8_t>((h[10] & 7) + 1)};
}

TImageSize DecodePng(const TByteSource& src) {
  std::string h;
  if (!src.ReadExact(0, 26, h) || static_cast<uint8_t>(h[0]) != 0x89 || h[1] != 'P' || h[2] != 'N')
    return {};
  unsigned bits = static_cast<uint8_t>(h[24]);
  unsigned depth;
  switch (static_cast<uint8_t>(h[25])) {
    case 0:
      depth = bits;
      break;  // grey
    case 2:
      depth = bits * 3;
      break;  // RGB
    case 3:
      depth = 8;
      break;  // palette
    case 4:
      depth = bits * 2;
      break;  // grey and alpha
    case 6:
      depth = bits * 4;
      break;  // RGBA
    default:
      return {};
  }
  return {GetU16BE(&h[18]), GetU16BE(&h[22]), static_cast<uint8_t>(depth)};
}

TImageSize DecodePcx(const TByteSource& src) {
  std::string h;
  if (!src.ReadExact(0, 66, h) || h[0] != 0x0A) return {};
  auto width = static_cast<uint16_t>(GetU16LE(&h[8]) - GetU16LE(&h[4]) + 1);
  auto height = static_cast<uint16_t>(GetU16LE(&h[10]) - GetU16LE(&h[6]) + 1);
  return {width, height,
          static_cast<uint8_t>(static_cast<uint8_t>(h[3]) * static_cast<uint8_t>(h[65]))};
}

// The most bits-per-sample values a TIFF may list: far above any real image, and it keeps a
// hostile count from making the reader walk the whole file.
constexpr uint32_t kMaxTiffSamples = 1024;

TImageSize DecodeTiff(const TByteSource& src) {
  std::string h;
  if (!src.ReadExact(0, 8, h)) return {};
  bool little;
  if (h[0] == 'I' && h[1] == 'I' && h[2] == 0x2A)
    little = true;
  else if (h[0] == 'M' && h[1] == 'M' && h[2] == 0 && h[3] == 0x2A)
    little = false;
  else
    return {};
  auto u16 = [little](const char* p) { return little ? GetU16LE(p) : GetU16BE(p); };
  auto u32 = [little](const char* p) { return little ? GetU32LE(p) : GetU32BE(p); };
  uint64_t dir = u32(&h[4]);
  std::string count;
  if (!src.ReadExact(dir, 2, count)) return {};
  size_t entries = u16(&count[0]);
  std::string table;
  if (!src.ReadExact(dir + 2, entries * 12, table)) return {};
  TImageSize size;
  size.depth = 0;
  for (size_t k = 0; k < entries; ++k) {
    const char* e = &table[k * 12];
    uint16_t tag = u16(e);
    uint16_t type = u16(e + 2);
    uint32_t n = u32(e + 4);
    if (tag == 256 || tag == 257) {
      uint16_t value = type == 3 ? u16(e + 8) : type == 4 ? static_cast<uint16_t>(u32(e + 8)) : 0;
      (tag == 256 ? size.width : size.height) = value;
    } else if (tag == 258) {
      if (n <= 2) {
        size.depth = static_cast<uint8_t>(u16(e + 8));
      } else {
        std::string values;
        if (n > kMaxTiffSamples || !src.ReadExact(u32(e + 8), n * 2, values)) return {};
        unsigned sum = 0;
        for (uint32_t i = 0; i < n; ++i) sum += static_cast<uint8_t>(u16(&values[i * 2]));
        size.depth = static_cast<uint8_t>(sum);
      }
    }
  }
  if (size.width == 0 || size.height == 0 || size.depth == 0) return {};
  return size;
}

}  // namespace

std::string ReadHtmlTitle(const std::string& path) { return HtmlTitle(TByteSource::OfFile(path)); }

std::string HtmlTitleFromBytes(std::string_view data) {
  return HtmlTitle(TByteSource::OfBytes(data));
}

std::string HtmlTitleFromSource(const TByteSource& source) { return HtmlTitle(source); }

std::string ReadTextHead(const std::string& path, int maxDescKB, bool oemToAnsi,
                         std::string_view oemCodePage) {
  return TextHead(TByteSource::OfFile(path), maxDescKB, oemToAnsi, oemCodePage);
}

std::string TextHeadFromBytes(std::string_view data, int maxDescKB, bool oemToAnsi,
                              std::string_view oemCodePage) {
  return TextHead(TByteSource::OfBytes(data), maxDescKB, oemToAnsi, oemCodePage);
}

TImageSize ImageSizeFromSource(const TByteSource& source, int reader) {
  if (!source.Ok()) return {};
  switch (reader) {
    case 5:
      return DecodeBmp(source);
    case 6:
      return DecodeJpeg(source);
    case 7:
      return DecodeGif(source);
    case 8:
      return DecodePng(source);
    case 9:
      return DecodePcx(source);
    case 10:
      return DecodeTiff(source);
    default:
      return {};
  }
}

TImageSize JpegSizeOfAnyFrame(const TByteSource& source) {
  return source.Ok() ? DecodeJpeg(source, true) : TImageSize();
}

TImageSize ReadImageSize(const std::string& path, int reader) {
  return ImageSizeFromSource(TByteSource::OfFile(path), reader);
}

TImageSize ImageSizeFromBytes(std::string_view data, int reader) {
  return ImageSizeFromSource(TByteSource::OfBytes(data), reader);
}

std::string ImageSizeText(uint16_t width, uint16_t height, uint8_t depth) {
  return std::to_string(width) + " x " + std::to_string(height) + " x " + std::to_string(depth) +
         " " + LangText(11805);
}

namespace {
std::string ImageDescription(const TImageSize& size) {
  return size.Recognised() ? ImageSizeText(size.width, size.height, size.depth) : std::string();
}

std::string VersionText(const FileVersionInfo& info) {
  const std::string na = "n/a";
  std::string text;
  if (info.FileDescription != na) text = info.FileDescription;
  if (info.ProductName != na && info.ProductName != info.FileDescription)
    text += "\r\n" + info.ProductName;
  if (info.ProductVersion != na) text += "   (" + info.ProductVersion + ")";
  if (info.CompanyName != na) text += "\r\n" + info.CompanyName;
  return text;
}
}  // namespace

std::string ReadImageDescription(const std::string& path, int reader) {
  return ImageDescription(ReadImageSize(path, reader));
}

std::string ImageDescriptionFromBytes(std::string_view data, int reader) {
  return ImageDescription(ImageSizeFromBytes(data, reader));
}

std::string ImageDescriptionFromSource(const TByteSource& source, int reader) {
  return ImageDescription(ImageSizeFromSource(source, reader));
}

std::string ReadVersionText(const std::string& path) {
  FileVersionInfo info;
  if (ReadFileVersionInfo(path, info).Failed()) return "";
  return VersionText(info);
}

std::string VersionTextFromBytes(std::string_view data) {
  FileVersionInfo info;
  if (FileVersionInfoFromBytes(data, "", info).Failed()) return "";
  return VersionText(info);
}

std::string VersionTextFromSource(const TByteSource& source) {
  FileVersionInfo info;
  if (!source.Ok() || FileVersionInfoFromSource(source, "", info).Failed()) return "";
  return VersionText(info);
}
