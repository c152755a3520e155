// SPDX-License-Identifier: MIT
#include "scan/DescOem.h"

#include <iconv.h>

#include "platform/TextCase.h"

TOemTable::TOemTable(std::string_view codePage) {
  iconv_t cd = iconv_open("UTF-8", std::string(codePage).c_str());
  if (cd == reinterpret_cast<iconv_t>(-1)) return;
  asciiSame_ = true;
  for (int b = 0; b < 256; ++b) {
    char in = static_cast<char>(b);
    char out[8];
    char* inp = &in;
    char* outp = out;
    size_t inLeft = 1, outLeft = sizeof out;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);  // reset the shift state
    if (iconv(cd, &inp, &inLeft, &outp, &outLeft) == static_cast<size_t>(-1) || inLeft != 0 ||
        outp == out) {
      utf8_[static_cast<size_t>(b)] = "\xEF\xBF\xBD";
    } else {
      utf8_[static_cast<size_t>(b)].assign(out, static_cast<size_t>(outp - out));
    }
    if (b < 0x80 && utf8_[static_cast<size_t>(b)] != std::string(1, in)) asciiSame_ = false;
  }
  iconv_close(cd);
  valid_ = true;
}

std::string TOemTable::Convert(std::string_view bytes) const {
  if (!valid_ || (asciiSame_ && IsAsciiText(bytes))) return std::string(bytes);
  std::string out;
  out.reserve(bytes.size() + bytes.size() / 2);
  for (char c : bytes) out += utf8_[static_cast<unsigned char>(c)];
  return out;
}
