// SPDX-License-Identifier: MIT
#include "platform/CodePage.h"

#include <iconv.h>

#include <array>
#include <cerrno>
#include <map>
#include <memory>
#include <mutex>

// The UTF-8 text of every byte of a single-byte code page, built once per page through iconv
// and then shared read-only. `singleByte` is false for a page with multi-byte characters, which
// is then converted by streaming through iconv.
struct TCodePageTable {
  bool singleByte = true;
  std::array<std::string, 256> utf8;
};

namespace {

using TByteTable = TCodePageTable;
constexpr char32_t kReplacement = 0xFFFD;

std::string NormalisePage(std::string_view page) {
  bool digits = !page.empty();
  for (char c : page)
    if (c < '0' || c > '9') digits = false;
  return digits ? "CP" + std::string(page) : std::string(page);
}

std::shared_ptr<const TByteTable> BuildTable(const std::string& page) {
  iconv_t cd = iconv_open("UTF-8", page.c_str());
  if (cd == reinterpret_cast<iconv_t>(-1)) return nullptr;
  auto table = std::make_shared<TByteTable>();
  for (int b = 0; b < 256; ++b) {
    char in = static_cast<char>(b);
    char out[16];
    char* inp = &in;
    size_t inLeft = 1;
    char* outp = out;
    size_t outLeft = sizeof out;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    size_t r = iconv(cd, &inp, &inLeft, &outp, &outLeft);
    if (r == static_cast<size_t>(-1) && errno == EINVAL) table->singleByte = false;
    if (r == static_cast<size_t>(-1) || outp == out)
      AppendUtf8(table->utf8[b], kReplacement);
    else
      table->utf8[b].assign(out, static_cast<size_t>(outp - out));
  }
  iconv_close(cd);
  return table;
}

// The table of `page`, or nullptr when iconv does not know it.
std::shared_ptr<const TByteTable> TableFor(const std::string& page) {
  static std::mutex mutex;
  static std::map<std::string, std::shared_ptr<const TByteTable>> tables;
  std::lock_guard<std::mutex> lock(mutex);
  auto it = tables.find(page);
  if (it != tables.end()) return it->second;
  auto table = BuildTable(page);
  tables.emplace(page, table);
  return table;
}

// Streams `bytes` through iconv, replacing each byte that starts no valid character.
std::string StreamConvert(std::string_view bytes, const std::string& page) {
  std::string out;
  iconv_t cd = iconv_open("UTF-8", page.c_str());
  if (cd == reinterpret_cast<iconv_t>(-1)) return out;
  char* inp = const_cast<char*>(bytes.data());
  size_t inLeft = bytes.size();
  char buf[4096];
  while (inLeft > 0) {
    char* outp = buf;
    size_t outLeft = sizeof buf;
    size_t r = iconv(cd, &inp, &inLeft, &outp, &outLeft);
    out.append(buf, static_cast<size_t>(outp - buf));
    if (r == static_cast<size_t>(-1) && errno != E2BIG) {
      AppendUtf8(out, kReplacement);
      ++inp;
      --inLeft;
      iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
  }
  iconv_close(cd);
  return out;
}

void ConvertWith(std::string_view bytes, const TByteTable* table, const std::string& page,
                 std::string& out) {
  out.clear();
  if (!table) {  // iconv without the page at all: keep the bytes
    out.assign(bytes);
    return;
  }
  if (!table->singleByte) {
    out = StreamConvert(bytes, page);
    return;
  }
  out.reserve(bytes.size() + bytes.size() / 4);
  for (unsigned char c : bytes) {
    if (c < 0x80 && table->utf8[c].size() == 1 && table->utf8[c][0] == static_cast<char>(c))
      out.push_back(static_cast<char>(c));
    else
      out += table->utf8[c];
  }
}

std::string Convert(std::string_view bytes, std::string_view codepage, const char* fallback) {
  std::string page = NormalisePage(codepage);
  auto table = TableFor(page);
  if (!table) {
    page = fallback;
    table = TableFor(page);
  }
  std::string out;
  ConvertWith(bytes, table.get(), page, out);
  return out;
}

bool AllDigits(std::string_view s) {
  if (s.empty()) return false;
  for (char c : s)
    if (c < '0' || c > '9') return false;
  return true;
}

}  // namespace

std::string OemToUtf8(std::string_view bytes, std::string_view codepage) {
  return Convert(bytes, codepage, "CP437");
}

std::string AnsiToUtf8(std::string_view bytes, std::string_view codepage) {
  return Convert(bytes, codepage, "WINDOWS-1252");
}

std::string CodePageName(std::string_view name) {
  std::string up;
  for (char c : name)
    if (c != ' ') up += static_cast<char>(AsciiUpper(static_cast<unsigned char>(c)));
  std::string_view number;
  std::string_view u(up);
  if (AllDigits(u))
    number = u;
  else if (u.starts_with("CP-") && AllDigits(u.substr(3)))
    number = u.substr(3);
  else if (u.starts_with("CP") && AllDigits(u.substr(2)))
    number = u.substr(2);
  else if (u.starts_with("WINDOWS-") && AllDigits(u.substr(8)))
    number = u.substr(8);
  else if (u.starts_with("WINDOWS") && AllDigits(u.substr(7)))
    number = u.substr(7);
  std::string page = up;
  if (!number.empty()) {
    while (number.size() > 1 && number.front() == '0') number.remove_prefix(1);
    int n = number.size() <= 5 ? std::stoi(std::string(number)) : -1;
    page = (n == 874 || (n >= 1250 && n <= 1258)) ? "WINDOWS-" + std::string(number)
                                                  : "CP" + std::string(number);
  }
  if (page.empty() || page.find('/') != std::string::npos || !TableFor(page)) return {};
  return page;
}

TTextDecoder::TTextDecoder() : TTextDecoder("WINDOWS-1252") {}

TTextDecoder::TTextDecoder(std::string_view codepage) {
  page_ = CodePageName(codepage);
  if (page_.empty()) page_ = "WINDOWS-1252";
  table_ = TableFor(page_);
}

std::string TTextDecoder::Text(std::string_view bytes) const {
  if (!NeedsDecoding(bytes)) return std::string(bytes);
  std::string out;
  DecodeInto(bytes, out);
  return out;
}

void TTextDecoder::DecodeInto(std::string_view bytes, std::string& out) const {
  ConvertWith(bytes, table_.get(), page_, out);
}

std::string Utf16ToUtf8(std::string_view bytes, bool bigEndian) {
  std::string out;
  size_t units = bytes.size() / 2;
  auto unit = [&](size_t k) -> char32_t {
    auto b0 = static_cast<unsigned char>(bytes[2 * k]);
    auto b1 = static_cast<unsigned char>(bytes[2 * k + 1]);
    return bigEndian ? (b0 << 8 | b1) : (b1 << 8 | b0);
  };
  for (size_t k = 0; k < units; ++k) {
    char32_t u = unit(k);
    if (u == 0) break;
    if (u >= 0xD800 && u <= 0xDBFF && k + 1 < units) {
      char32_t low = unit(k + 1);
      if (low >= 0xDC00 && low <= 0xDFFF) {
        AppendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00));
        ++k;
        continue;
      }
    }
    AppendUtf8(out, u);  // an unpaired surrogate becomes U+FFFD there
  }
  return out;
}

size_t Utf8CompletePrefix(std::string_view text) {
  size_t n = text.size();
  // Look back over at most three continuation bytes for the lead byte of the last sequence.
  for (size_t back = 1; back <= 4 && back <= n; ++back) {
    unsigned char c = static_cast<unsigned char>(text[n - back]);
    if ((c & 0xC0) == 0x80) continue;  // a continuation byte
    size_t need = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
    return need > back ? n - back : n;
  }
  return n;
}
