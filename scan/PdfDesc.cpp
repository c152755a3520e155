// SPDX-License-Identifier: MIT
#include "scan/PdfDesc.h"

#include <poppler-document.h>
#include <poppler-global.h>
#include <sys/mman.h>

#include <memory>
#include <mutex>

#include "scan/ByteSource.h"
#include "scan/MediaText.h"

namespace {

constexpr uint64_t kMaxPdfBytes = 1ull << 30;

void Quiet(const std::string&, void*) {}

// A document that lives as long as the process. Poppler sets its global parameters up when the
// first document opens and tears them down when the last one closes; without one kept open every
// PDF would pay for that set-up (two thirds of a millisecond, ten times what reading a small PDF
// costs).
const char kKeptPdf[] =
    "%PDF-1.0\n1 0 obj<</Type/Catalog/Pages 2 0 R>>endobj\n2 0 obj<</Type/Pages/Kids[]/Count 0>>"
    "endobj\ntrailer<</Root 1 0 R>>\n%%EOF\n";

void InitPoppler() {
  static std::once_flag once;
  std::call_once(once, [] {
    poppler::set_debug_error_function(Quiet, nullptr);
    static std::unique_ptr<poppler::document> kept(
        poppler::document::load_from_raw_data(kKeptPdf, sizeof kKeptPdf - 1));
  });
}

std::string Utf8(const poppler::ustring& s) {
  poppler::byte_array bytes = s.to_utf8();
  return MediaField(std::string_view(bytes.data(), bytes.size()));
}

// The bytes of the source: the memory itself, or a read-only mapping of the file that lasts as
// long as this object.
class TMappedBytes {
 public:
  explicit TMappedBytes(const TByteSource& src) {
    if (src.Fd() < 0) {
      data_ = src.Memory();
      return;
    }
    void* p = ::mmap(nullptr, src.Size(), PROT_READ, MAP_PRIVATE, src.Fd(), 0);
    if (p == MAP_FAILED) return;
    map_ = p;
    data_ = std::string_view(static_cast<const char*>(p), src.Size());
  }
  ~TMappedBytes() {
    if (map_) ::munmap(map_, data_.size());
  }
  TMappedBytes(const TMappedBytes&) = delete;
  TMappedBytes& operator=(const TMappedBytes&) = delete;
  std::string_view Data() const { return data_; }

 private:
  void* map_ = nullptr;
  std::string_view data_;
};

std::string Describe(const TByteSource& src) {
  if (!src.Ok() || src.Size() < 16 || src.Size() > kMaxPdfBytes) return std::string();
  // Poppler repairs anything that starts like a PDF; anything else is left alone.
  std::string head;
  if (!src.ReadExact(0, 1024 < src.Size() ? 1024 : src.Size(), head) ||
      head.find("%PDF-") == std::string::npos)
    return std::string();
  InitPoppler();
  TMappedBytes bytes(src);
  if (bytes.Data().empty()) return std::string();
  try {
    std::unique_ptr<poppler::document> doc(poppler::document::load_from_raw_data(
        bytes.Data().data(), static_cast<int>(bytes.Data().size())));
    if (!doc || doc->is_locked()) return std::string();
    std::string text = Utf8(doc->get_title());
    AddLine(text, LabelledLine(11808, Utf8(doc->get_author())));
    int pages = doc->pages();
    if (pages > 0) AddLine(text, LabelledLine(11807, std::to_string(pages)));
    return text;
  } catch (...) {
    return std::string();
  }
}

}  // namespace

std::string PdfDescription(const TByteSource& source) { return Describe(source); }

std::string PdfDescriptionFromBytes(std::string_view data) {
  return Describe(TByteSource::OfBytes(data));
}
