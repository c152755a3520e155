// SPDX-License-Identifier: MIT
#include "archive/JsonLite.h"

#include <charconv>

#include "platform/TextCase.h"

namespace {

constexpr int kMaxDepth = 64;

class Parser {
 public:
  explicit Parser(std::string_view s) : s_(s) {}

  std::string Run(TJsonValue& out) {
    if (!Value(out, 0)) return error_.empty() ? "bad JSON" : error_;
    Space();
    if (i_ != s_.size()) return "trailing bytes after JSON";
    return {};
  }

 private:
  void Space() {
    while (i_ < s_.size() && (s_[i_] == ' ' || s_[i_] == '\t' || s_[i_] == '\n' || s_[i_] == '\r'))
      ++i_;
  }
  bool Literal(std::string_view word) {
    if (s_.substr(i_, word.size()) != word) return false;
    i_ += word.size();
    return true;
  }
  bool Hex4(unsigned& v) {
    if (i_ + 4 > s_.size()) return false;
    v = 0;
    for (int k = 0; k < 4; ++k) {
      char c = s_[i_++];
      v <<= 4;
      if (c >= '0' && c <= '9')
        v |= static_cast<unsigned>(c - '0');
      else if (c >= 'a' && c <= 'f')
        v |= static_cast<unsigned>(c - 'a' + 10);
      else if (c >= 'A' && c <= 'F')
        v |= static_cast<unsigned>(c - 'A' + 10);
      else
        return false;
    }
    return true;
  }
  bool Str(std::string& out) {
    if (i_ >= s_.size() || s_[i_] != '"') return false;
    ++i_;
    while (i_ < s_.size()) {
      char c = s_[i_++];
      if (c == '"') return true;
      if (c != '\\') {
        out += c;
        continue;
      }
      if (i_ >= s_.size()) return false;
      char e = s_[i_++];
      switch (e) {
        case '"':
          out += '"';
          break;
        case '\\':
          out += '\\';
          break;
        case '/':
          out += '/';
          break;
        case 'b':
          out += '\b';
          break;
        case 'f':
          out += '\f';
          break;
        case 'n':
          out += '\n';
          break;
        case 'r':
          out += '\r';
          break;
        case 't':
          out += '\t';
          break;
        case 'u': {
          unsigned v;
          if (!Hex4(v)) return false;
          if (v >= 0xD800 && v < 0xDC00 && s_.substr(i_, 2) == "\\u") {
            size_t keep = i_;
            i_ += 2;
            unsigned lo;
            if (Hex4(lo) && lo >= 0xDC00 && lo < 0xE000)
              v = 0x10000 + ((v - 0xD800) << 10) + (lo - 0xDC00);
            else
              i_ = keep;
          }
          AppendUtf8(out, static_cast<char32_t>(v));
          break;
        }
        default:
          return false;
      }
    }
    return false;
  }
  bool Value(TJsonValue& v, int depth) {
    if (depth > kMaxDepth) {
      error_ = "JSON nested too deeply";
      return false;
    }
    Space();
    if (i_ >= s_.size()) return false;
    char c = s_[i_];
    if (c == '{') {
      ++i_;
      v.kind = TJsonValue::Object;
      Space();
      if (i_ < s_.size() && s_[i_] == '}') return ++i_, true;
      for (;;) {
        Space();
        std::string key;
        if (!Str(key)) return false;
        Space();
        if (i_ >= s_.size() || s_[i_] != ':') return false;
        ++i_;
        TJsonValue item;
        if (!Value(item, depth + 1)) return false;
        v.fields[key] = std::move(item);
        Space();
        if (i_ < s_.size() && s_[i_] == ',') {
          ++i_;
          continue;
        }
        if (i_ < s_.size() && s_[i_] == '}') return ++i_, true;
        return false;
      }
    }
    if (c == '[') {
      ++i_;
      v.kind = TJsonValue::Array;
      Space();
      if (i_ < s_.size() && s_[i_] == ']') return ++i_, true;
      for (;;) {
        v.items.emplace_back();
        if (!Value(v.items.back(), depth + 1)) return false;
        Space();
        if (i_ < s_.size() && s_[i_] == ',') {
          ++i_;
          continue;
        }
        if (i_ < s_.size() && s_[i_] == ']') return ++i_, true;
        return false;
      }
    }
    if (c == '"') {
      v.kind = TJsonValue::String;
      return Str(v.text);
    }
    if (Literal("true")) {
      v.kind = TJsonValue::Bool;
      v.boolean = true;
      return true;
    }
    if (Literal("false")) {
      v.kind = TJsonValue::Bool;
      return true;
    }
    if (Literal("null")) return true;
    size_t start = i_;
    while (i_ < s_.size() &&
           (std::string_view("+-.eE0123456789").find(s_[i_]) != std::string_view::npos))
      ++i_;
    if (i_ == start) return false;
    // from_chars does not depend on the C locale's decimal point.
    v.kind = TJsonValue::Number;
    const char* first = s_.data() + start;
    const char* last = s_.data() + i_;
    if (*first == '+') return false;
    auto [end, ec] = std::from_chars(first, last, v.number);
    return ec == std::errc() && end == last;
  }

  std::string_view s_;
  size_t i_ = 0;
  std::string error_;
};

}  // namespace

const TJsonValue* TJsonValue::Field(const std::string& key) const {
  auto it = fields.find(key);
  return it == fields.end() ? nullptr : &it->second;
}

double TJsonValue::AsNumber() const {
  if (kind == Number) return number;
  if (kind == Bool) return boolean ? 1.0 : 0.0;
  return 0.0;
}

TError ParseJson(std::string_view text, TJsonValue& out) {
  out = TJsonValue();
  return TError::Failure(Parser(text).Run(out));
}
