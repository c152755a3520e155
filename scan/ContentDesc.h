// SPDX-License-Identifier: MIT
// Content readers: the short description the scan records for a recognised file, read from its
// content. Reader ids are those of the description rule table: 1 HTML title, 3 version resource
// of an executable, 4 and 11 head of a text file, 5 .. 10 image size (BMP, JPEG, GIF, PNG, PCX,
// TIFF). Reader 2 (MP3 tags) lives in MediaTags.h.
//
// Every reader opens its file read-only, reads only the bytes it needs, never throws, and
// returns the empty text when it finds nothing (a missing or unreadable file, another format, a
// truncated or corrupt header). Each has a twin over bytes in memory, for tests and fuzzing.
// All functions are free of shared state and may run on the scanner's worker thread.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

class TByteSource;

// ---- HTML title (reader 1) --------------------------------------------------------------------

// The bytes between the first "<TITLE>" and the following "</TITLE>", the tags matched with ASCII
// letters in any case and without attributes; at most 1024 bytes, ending early at a zero byte.
// Entities, inner tags and line breaks are kept as they are. Empty when either tag is missing.
// Only the first MiB of the file is searched (both tags must lie in it), in blocks, so a large
// file costs no more memory or reading than a small one.
std::string ReadHtmlTitle(const std::string& path);
std::string HtmlTitleFromBytes(std::string_view data);
std::string HtmlTitleFromSource(const TByteSource& source);

// ---- Text head (readers 4 and 11) -----------------------------------------------------------

// The head of a text file: its first `maxDescKB` KB (100 KB when `maxDescKB` is 0 or less), or
// the whole file when it is shorter, as the bytes stand (zero bytes included). With `oemToAnsi`
// the bytes are converted from the OEM code page `oemCodePage` to UTF-8. Without it, UTF-8 text
// cut at the limit loses the incomplete character at the cut, so that the head stays valid
// UTF-8. Empty when the file cannot be opened or read.
std::string ReadTextHead(const std::string& path, int maxDescKB, bool oemToAnsi,
                         std::string_view oemCodePage = "CP437");
std::string TextHeadFromBytes(std::string_view data, int maxDescKB, bool oemToAnsi,
                              std::string_view oemCodePage = "CP437");

// ---- Image size (readers 5 .. 10) -----------------------------------------------------------

// Width and height are the low 16 bits of the stored fields, the depth in bits per pixel is
// kept modulo 256; depth 255 marks a file that was not recognised.
struct TImageSize {
  uint16_t width = 0;
  uint16_t height = 0;
  uint8_t depth = 255;
  bool Recognised() const { return depth != 255; }
};

// Decodes the header of the format of `reader` (5 BMP, 6 JPEG, 7 GIF, 8 PNG, 9 PCX, 10 TIFF;
// any other id recognises nothing). A short file or a wrong signature gives depth 255; so do a
// JPEG without a baseline or extended sequential frame header (SOF0, SOF1), a PNG of an unknown
// colour type, and a TIFF whose width, height or depth is 0.
TImageSize ReadImageSize(const std::string& path, int reader);
TImageSize ImageSizeFromBytes(std::string_view data, int reader);
TImageSize ImageSizeFromSource(const TByteSource& source, int reader);

// The size of a JPEG from its first frame header of any coding process (progressive,
// lossless, arithmetic-coded ones too), for the photo reader; depth 255 when there is none.
TImageSize JpegSizeOfAnyFrame(const TByteSource& source);

// "640 x 480 x 24 " followed by language text 11805 (the unit of the colour depth).
std::string ImageSizeText(uint16_t width, uint16_t height, uint8_t depth);

// ImageSizeText of the image, or empty when it was not recognised.
std::string ReadImageDescription(const std::string& path, int reader);
std::string ImageDescriptionFromBytes(std::string_view data, int reader);
std::string ImageDescriptionFromSource(const TByteSource& source, int reader);

// ---- Version resource (reader 3) -------------------------------------------------------------

// The description of an executable from its version resource: FileDescription; CR LF and
// ProductName when it differs from the description; "   (" ProductVersion ")"; CR LF and
// CompanyName; each part only when the resource has it. Empty when the file has no readable
// version resource.
std::string ReadVersionText(const std::string& path);
std::string VersionTextFromBytes(std::string_view data);
std::string VersionTextFromSource(const TByteSource& source);
