// SPDX-License-Identifier: MIT
#include "scan/OfficeDesc.h"

#include <archive.h>
#include <archive_entry.h>
#include <expat.h>

#include <cstring>
#include <memory>
#include <vector>

#include "scan/ByteSource.h"
#include "scan/MediaText.h"
#include "scan/ReadBudget.h"

namespace {

constexpr uint64_t kMaxOfficeBytes = 16u << 20;
constexpr std::chrono::milliseconds kMaxOfficeTime{2000};
constexpr int kMaxMembers = 4096;
constexpr size_t kMaxMemberBytes = 1u << 20;
constexpr size_t kMaxFieldBytes = 4096;
constexpr int kMaxPackageDocuments = 4;

// ---- the metadata XML --------------------------------------------------------------------------

// Names as Expat reports them with namespace processing: the namespace, '|', the local name.
constexpr std::string_view kDcTitle = "http://purl.org/dc/elements/1.1/|title";
constexpr std::string_view kDcCreator = "http://purl.org/dc/elements/1.1/|creator";
constexpr std::string_view kOdfInitialCreator =
    "urn:oasis:names:tc:opendocument:xmlns:meta:1.0|initial-creator";
constexpr std::string_view kRootFile = "urn:oasis:names:tc:opendocument:xmlns:container|rootfile";

struct TXmlState {
  TDocMetadata meta;
  std::string initialCreator, creator;
  std::string* field = nullptr;  // the text being collected
  int fieldDepth = 0;
  int depth = 0;
};

void OnStart(void* data, const XML_Char* name, const XML_Char** attrs) {
  auto* st = static_cast<TXmlState*>(data);
  ++st->depth;
  if (st->field) return;
  std::string_view n(name);
  std::string* target = nullptr;
  if (n == kDcTitle && st->meta.Title.empty())
    target = &st->meta.Title;
  else if (n == kDcCreator && st->creator.empty())
    target = &st->creator;
  else if (n == kOdfInitialCreator && st->initialCreator.empty())
    target = &st->initialCreator;
  else if (n == kRootFile && st->meta.RootFile.empty()) {
    for (int i = 0; attrs[i] && attrs[i + 1]; i += 2)
      if (std::strcmp(attrs[i], "full-path") == 0) st->meta.RootFile = attrs[i + 1];
  }
  if (target) {
    st->field = target;
    st->fieldDepth = st->depth;
  }
}

void OnEnd(void* data, const XML_Char*) {
  auto* st = static_cast<TXmlState*>(data);
  if (st->field && st->depth == st->fieldDepth) {
    *st->field = MediaField(*st->field);
    st->field = nullptr;
  }
  --st->depth;
}

void OnText(void* data, const XML_Char* s, int len) {
  auto* st = static_cast<TXmlState*>(data);
  if (!st->field || len <= 0) return;
  size_t room = kMaxFieldBytes - std::min(kMaxFieldBytes, st->field->size());
  st->field->append(s, std::min(static_cast<size_t>(len), room));
}

struct TParserFree {
  void operator()(XML_Parser p) const { XML_ParserFree(p); }
};

}  // namespace

TDocMetadata ParseDocMetadata(std::string_view xml) {
  TXmlState st;
  std::unique_ptr<std::remove_pointer_t<XML_Parser>, TParserFree> parser(
      XML_ParserCreateNS(nullptr, '|'));
  if (!parser || xml.size() > kMaxMemberBytes) return {};
  XML_SetUserData(parser.get(), &st);
  XML_SetElementHandler(parser.get(), OnStart, OnEnd);
  XML_SetCharacterDataHandler(parser.get(), OnText);
  XML_SetParamEntityParsing(parser.get(), XML_PARAM_ENTITY_PARSING_NEVER);
  // What was read before a syntax error stands; a title then ends where the error is.
  XML_Parse(parser.get(), xml.data(), static_cast<int>(xml.size()), XML_TRUE);
  if (st.field) *st.field = MediaField(*st.field);
  st.meta.Author = !st.initialCreator.empty() ? st.initialCreator : st.creator;
  return st.meta;
}

namespace {

// ---- the ZIP container -----------------------------------------------------------------------

struct TStream {
  const TByteSource* src = nullptr;
  TReadBudget* budget = nullptr;
  uint64_t pos = 0;
  char buf[64 * 1024];
};

la_ssize_t Read(struct archive*, void* data, const void** out) {
  auto* s = static_cast<TStream*>(data);
  *out = s->buf;
  size_t want = s->budget->Grant(sizeof s->buf);
  size_t got = want ? s->src->ReadAt(s->pos, s->buf, want) : 0;
  s->pos += got;
  return static_cast<la_ssize_t>(got);
}

la_int64_t Skip(struct archive*, void* data, la_int64_t request) {
  auto* s = static_cast<TStream*>(data);
  uint64_t left = s->src->Size() - std::min(s->pos, s->src->Size());
  uint64_t step = request > 0 ? std::min<uint64_t>(static_cast<uint64_t>(request), left) : 0;
  s->pos += step;
  return static_cast<la_int64_t>(step);
}

la_int64_t Seek(struct archive*, void* data, la_int64_t offset, int whence) {
  auto* s = static_cast<TStream*>(data);
  auto size = static_cast<int64_t>(s->src->Size());
  int64_t base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? static_cast<int64_t>(s->pos) : size;
  int64_t to = base + offset;
  if (to < 0 || to > size) return ARCHIVE_FATAL;
  s->pos = static_cast<uint64_t>(to);
  return to;
}

struct TArchiveFree {
  void operator()(struct archive* a) const { archive_read_free(a); }
};

// The first kMaxMemberBytes of the member being read.
std::string ReadMember(struct archive* a) {
  std::string out;
  char buf[16 * 1024];
  while (out.size() < kMaxMemberBytes) {
    la_ssize_t n = archive_read_data(a, buf, std::min(sizeof buf, kMaxMemberBytes - out.size()));
    if (n <= 0) break;
    out.append(buf, static_cast<size_t>(n));
  }
  return out;
}

bool EndsWithNoCase(std::string_view s, std::string_view tail) {
  if (s.size() < tail.size()) return false;
  for (size_t i = 0; i < tail.size(); ++i) {
    char c = s[s.size() - tail.size() + i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    if (c != tail[i]) return false;
  }
  return true;
}

std::string Text(const TDocMetadata& m) {
  std::string text = m.Title;
  AddLine(text, LabelledLine(11808, m.Author));
  return text;
}

std::string Describe(const TByteSource& src) {
  std::string sig;
  if (!src.Ok() || !src.ReadExact(0, 4, sig) || sig != std::string_view("PK\x03\x04", 4))
    return std::string();
  TReadBudget budget(kMaxOfficeBytes, kMaxOfficeTime);
  auto stream = std::make_unique<TStream>();
  stream->src = &src;
  stream->budget = &budget;
  std::unique_ptr<struct archive, TArchiveFree> a(archive_read_new());
  if (!a || archive_read_support_format_zip_seekable(a.get()) != ARCHIVE_OK) return std::string();
  archive_read_set_read_callback(a.get(), Read);
  archive_read_set_skip_callback(a.get(), Skip);
  archive_read_set_seek_callback(a.get(), Seek);
  archive_read_set_callback_data(a.get(), stream.get());
  if (archive_read_open1(a.get()) != ARCHIVE_OK) return std::string();

  std::string odf, ooxml, container;
  std::vector<std::pair<std::string, std::string>> packages;  // EPUB package documents
  for (int i = 0; i < kMaxMembers; ++i) {
    struct archive_entry* e = nullptr;
    int r = archive_read_next_header(a.get(), &e);
    if (r != ARCHIVE_OK && r != ARCHIVE_WARN) break;
    const char* raw = archive_entry_pathname(e);
    std::string_view name = raw ? raw : "";
    if (name == "meta.xml")
      odf = ReadMember(a.get());
    else if (name == "docProps/core.xml")
      ooxml = ReadMember(a.get());
    else if (name == "META-INF/container.xml")
      container = ReadMember(a.get());
    else if (EndsWithNoCase(name, ".opf") && packages.size() < kMaxPackageDocuments)
      packages.emplace_back(name, ReadMember(a.get()));
  }
  if (!container.empty() || !packages.empty()) {
    std::string root = ParseDocMetadata(container).RootFile;
    for (const auto& [name, xml] : packages)
      if (root.empty() || name == root) return Text(ParseDocMetadata(xml));
  }
  if (!odf.empty()) return Text(ParseDocMetadata(odf));
  if (!ooxml.empty()) return Text(ParseDocMetadata(ooxml));
  return std::string();
}

}  // namespace

std::string OfficeDescription(const TByteSource& source) { return Describe(source); }

std::string OfficeDescriptionFromBytes(std::string_view data) {
  return Describe(TByteSource::OfBytes(data));
}
