// SPDX-License-Identifier: MIT
#include "scan/PhotoDesc.h"

#include <sys/mman.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <mutex>

#include "scan/ByteSource.h"
#include "scan/ContentDesc.h"
#include "scan/MediaText.h"
#include "scan/ReadBudget.h"

// Exiv2 0.27 hands images around in std::auto_ptr.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#include <exiv2/exiv2.hpp>
#include <exiv2/webpimage.hpp>

namespace {

constexpr uint64_t kMaxPhotoBytes = 16u << 20;
constexpr std::chrono::milliseconds kMaxPhotoTime{2000};
// A mapping is refused beyond this size: no photo's directories need more address space.
constexpr uint64_t kMaxMappedBytes = 2ull << 30;

std::mutex xmpMutex;
void XmpLock(void* data, bool lock) {
  auto* m = static_cast<std::mutex*>(data);
  if (lock)
    m->lock();
  else
    m->unlock();
}

// Once per process: Exiv2 says nothing, knows the BMFF family (HEIF, AVIF, CR3), and its XMP
// toolkit, whose start is not thread-safe, is started here and locked around every use.
void InitExiv2() {
  static std::once_flag once;
  std::call_once(once, [] {
    Exiv2::LogMsg::setLevel(Exiv2::LogMsg::mute);
    Exiv2::LogMsg::setHandler(nullptr);
    Exiv2::XmpParser::initialize(XmpLock, &xmpMutex);
    Exiv2::enableBMFF(true);
  });
}

// Exiv2's view of a TByteSource: read-only, every read granted by the budget; a mapping is a
// real read-only mapping of the file (or the bytes themselves), so a TIFF-based file is parsed
// where its directories lie without being read whole.
class TSourceIo : public Exiv2::BasicIo {
 public:
  TSourceIo(const TByteSource& src, TReadBudget& budget) : src_(src), budget_(budget) {}
  ~TSourceIo() override { munmap(); }

  int open() override {
    pos_ = 0;
    eof_ = false;
    return 0;
  }
  int close() override {
    munmap();
    return 0;
  }
  long write(const Exiv2::byte*, long) override { return 0; }
  long write(Exiv2::BasicIo&) override { return 0; }
  int putb(Exiv2::byte) override { return EOF; }
  Exiv2::DataBuf read(long rcount) override {
    uint64_t left = src_.Size() - std::min(pos_, src_.Size());
    long n = static_cast<long>(std::min<uint64_t>(std::max(rcount, 0L), left));
    Exiv2::DataBuf buf(n);
    buf.size_ = read(buf.pData_, n);
    return buf;
  }
  long read(Exiv2::byte* buf, long rcount) override {
    if (rcount <= 0) return 0;
    size_t want = budget_.Grant(static_cast<size_t>(rcount));
    size_t got = want ? src_.ReadAt(pos_, buf, want) : 0;
    pos_ += got;
    if (got < static_cast<size_t>(rcount)) eof_ = true;
    return static_cast<long>(got);
  }
  int getb() override {
    Exiv2::byte b;
    return read(&b, 1) == 1 ? b : EOF;
  }
  void transfer(Exiv2::BasicIo&) override { throw Exiv2::Error(Exiv2::kerInputDataReadFailed); }
  int seek(long offset, Position pos) override {
    int64_t base = pos == beg ? 0 : pos == cur ? static_cast<int64_t>(pos_) : Size();
    int64_t to = base + offset;
    if (to < 0) return 1;
    if (to > Size()) {
      eof_ = true;
      return 1;
    }
    pos_ = static_cast<uint64_t>(to);
    eof_ = false;
    return 0;
  }
  Exiv2::byte* mmap(bool isWriteable) override {
    if (isWriteable || src_.Size() > kMaxMappedBytes || budget_.Spent())
      throw Exiv2::Error(Exiv2::kerFailedToMapFileForReadWrite);
    if (src_.Fd() < 0) {
      std::string_view mem = src_.Memory();
      return reinterpret_cast<Exiv2::byte*>(const_cast<char*>(mem.data()));
    }
    if (!map_ && src_.Size() > 0) {
      void* p = ::mmap(nullptr, src_.Size(), PROT_READ, MAP_PRIVATE, src_.Fd(), 0);
      if (p == MAP_FAILED) throw Exiv2::Error(Exiv2::kerFailedToMapFileForReadWrite);
      map_ = p;
    }
    return static_cast<Exiv2::byte*>(map_);
  }
  int munmap() override {
    if (map_) ::munmap(map_, src_.Size());
    map_ = nullptr;
    return 0;
  }
  long tell() const override { return static_cast<long>(pos_); }
  size_t size() const override { return static_cast<size_t>(src_.Size()); }
  bool isopen() const override { return true; }
  int error() const override { return 0; }
  bool eof() const override { return eof_; }
  std::string path() const override { return std::string(); }

 private:
  int64_t Size() const { return static_cast<int64_t>(src_.Size()); }

  const TByteSource& src_;
  TReadBudget& budget_;
  uint64_t pos_ = 0;
  bool eof_ = false;
  void* map_ = nullptr;
};

std::string ExifText(const Exiv2::ExifData& exif, const char* key) {
  auto it = exif.findKey(Exiv2::ExifKey(key));
  if (it == exif.end() || it->typeId() != Exiv2::asciiString) return std::string();
  return MediaField(it->toString());
}

// "Canon" and "Canon EOS 80D" give the model alone, "SONY" and "ILCE-7M3" both; the first word
// of the make is compared letter case aside ("NIKON CORPORATION", "NIKON D750").
std::string CameraText(const std::string& make, const std::string& model) {
  if (model.empty()) return make;
  if (make.empty()) return model;
  std::string word = make.substr(0, make.find(' '));
  if (model.size() >= word.size() &&
      std::equal(word.begin(), word.end(), model.begin(), [](char a, char b) {
        return std::tolower(static_cast<unsigned char>(a)) ==
               std::tolower(static_cast<unsigned char>(b));
      }))
    return model;
  return make + " " + model;
}

// "2023:05:01 12:34:56" as "2023-05-01 12:34:56"; empty for anything else (blank dates, as
// cameras without a clock write them, included).
std::string DateTaken(const std::string& exifDate) {
  static const char kPattern[] = "dddd:dd:dd dd:dd:dd";
  if (exifDate.size() < sizeof kPattern - 1) return std::string();
  for (size_t i = 0; i + 1 < sizeof kPattern; ++i) {
    char c = exifDate[i], p = kPattern[i];
    if (p == 'd' ? (c < '0' || c > '9') : c != p) return std::string();
  }
  if (exifDate.compare(0, 4, "0000") == 0) return std::string();
  std::string out = exifDate.substr(0, sizeof kPattern - 1);
  out[4] = out[7] = '-';
  return out;
}

// The colour depth of a WebP from its first chunk: 32 with an alpha channel, else 24.
unsigned WebpDepth(const TByteSource& src) {
  std::string h;
  if (!src.ReadExact(0, 30, h) || h.compare(0, 4, "RIFF") != 0 || h.compare(8, 4, "WEBP") != 0)
    return 0;
  if (h.compare(12, 4, "VP8 ") == 0) return 24;
  if (h.compare(12, 4, "VP8L") == 0) return (static_cast<uint8_t>(h[24]) & 0x10) ? 32 : 24;
  if (h.compare(12, 4, "VP8X") == 0) return (static_cast<uint8_t>(h[20]) & 0x10) ? 32 : 24;
  return 0;
}

// Does a JPEG carry EXIF or XMP (an APP1 segment before its image data)? Most JPEGs that do not
// are pictures of documents and web pages, not photos: they are measured without Exiv2.
bool JpegHasMetadata(const TByteSource& src) {
  uint64_t pos = 2;
  for (int segments = 0; segments < 64; ++segments) {
    std::string h;
    if (!src.ReadExact(pos, 4, h) || static_cast<uint8_t>(h[0]) != 0xFF) return false;
    const auto marker = static_cast<uint8_t>(h[1]);
    if (marker == 0xE1) return true;
    if (marker == 0xDA || marker == 0xD9) return false;  // the image data, or its end
    if (marker == 0xFF) {
      ++pos;  // a fill byte
      continue;
    }
    pos += 2 + GetU16BE(&h[2]);
  }
  return false;
}

// Does a PNG carry EXIF or text chunks (where EXIF may also lie) before its image data? Icons and
// screenshots, most of the PNGs there are, have none and are measured without Exiv2.
bool PngHasMetadata(const TByteSource& src) {
  uint64_t pos = 8;
  for (int chunks = 0; chunks < 64; ++chunks) {
    std::string h;
    if (!src.ReadExact(pos, 8, h)) return false;
    std::string_view type = std::string_view(h).substr(4, 4);
    if (type == "eXIf" || type == "tEXt" || type == "zTXt" || type == "iTXt") return true;
    if (type == "IDAT" || type == "IEND") return false;
    pos += 12 + uint64_t{GetU32BE(&h[0])};
  }
  return false;
}

struct TPhotoSize {
  uint32_t width = 0, height = 0;
  unsigned depth = 0;
};

// The size of the image: our own header readers where they know the format (they give the
// colour depth as the image readers do), else what Exiv2 found.
TPhotoSize PhotoSize(const TByteSource& src, int type, const Exiv2::Image& image) {
  TImageSize own;
  if (type == Exiv2::ImageType::jpeg)
    own = JpegSizeOfAnyFrame(src);
  else if (type == Exiv2::ImageType::png)
    own = ImageSizeFromSource(src, 8);
  if (own.Recognised()) return {own.width, own.height, own.depth};
  TPhotoSize size;
  int w = image.pixelWidth(), h = image.pixelHeight();
  if (w <= 0 || h <= 0) return size;
  size.width = static_cast<uint32_t>(w);
  size.height = static_cast<uint32_t>(h);
  if (type == Exiv2::ImageType::webp) size.depth = WebpDepth(src);
  // A plain TIFF's first directory is its image; in camera RAW files it is often a preview.
  if (type == Exiv2::ImageType::tiff) {
    TImageSize tiff = ImageSizeFromSource(src, 10);
    if (tiff.Recognised() && tiff.width == (size.width & 0xFFFF) &&
        tiff.height == (size.height & 0xFFFF))
      size.depth = tiff.depth;
  }
  return size;
}

std::string Describe(const TByteSource& src) {
  if (!src.Ok() || src.Size() < 8) return std::string();
  // Pictures without metadata get their size from our own header readers alone.
  std::string sig;
  if (!src.ReadExact(0, 8, sig)) return std::string();
  TImageSize bare;
  if (sig.compare(0, 2, "\xFF\xD8") == 0 && !JpegHasMetadata(src))
    bare = JpegSizeOfAnyFrame(src);
  else if (sig.compare(0, 8, "\x89PNG\r\n\x1A\n") == 0 && !PngHasMetadata(src))
    bare = ImageSizeFromSource(src, 8);
  if (bare.Recognised()) return MediaSizeText(bare.width, bare.height, bare.depth);
  InitExiv2();
  TReadBudget budget(kMaxPhotoBytes, kMaxPhotoTime);
  try {
    Exiv2::BasicIo::AutoPtr io(new TSourceIo(src, budget));
    Exiv2::Image::AutoPtr image = Exiv2::ImageFactory::open(io);  // throws for no image
    if (!image.get()) return std::string();
    const int type = image->imageType();
    if (type == Exiv2::ImageType::xmp) return std::string();
    image->readMetadata();
    const Exiv2::ExifData& exif = image->exifData();
    std::string text =
        CameraText(ExifText(exif, "Exif.Image.Make"), ExifText(exif, "Exif.Image.Model"));
    std::string date = DateTaken(ExifText(exif, "Exif.Photo.DateTimeOriginal"));
    if (date.empty()) date = DateTaken(ExifText(exif, "Exif.Photo.DateTimeDigitized"));
    AddLine(text, date);
    TPhotoSize size = PhotoSize(src, type, *image);
    if (size.width && size.height)
      AddLine(text, MediaSizeText(size.width, size.height, size.depth));
    return text;
  } catch (...) {
    return std::string();  // Exiv2 throws for every file it cannot parse
  }
}

}  // namespace

#pragma GCC diagnostic pop

std::string PhotoDescription(const TByteSource& source) { return Describe(source); }

std::string PhotoDescriptionFromBytes(std::string_view data) {
  return Describe(TByteSource::OfBytes(data));
}
