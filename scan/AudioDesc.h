// SPDX-License-Identifier: MIT
// Reader 15 (drAudio): the description of a music or sound file from its tags and stream header,
// through TagLib: FLAC, Ogg Vorbis, Opus, Speex and FLAC in Ogg, M4A/M4B (AAC, ALAC), WMA, APE,
// WavPack, Musepack, WAV and AIFF. The format is told by the file's signature, not its name. MP3
// files keep their own tag reader (MediaTags.h).
//
//   Artist - Title
//   Album: ...                      (text 11801)
//   Year: ...                       (text 11802)
//   Genre: ...                      (text 11803)
//   3:45, FLAC, 44.1 kHz, 2 ch, 16 bits     (lossy formats: the bit rate, "128 kbit/s")
//
// Each part only when known; no description when the file is of no format above or TagLib cannot
// parse it.
//
// Bounds: at most 16 MiB are read and 2 s spent per file (tags at the end and Ogg's last page are
// reached by seeking); the file is never written. TagLib's messages are sent nowhere. TagLib
// objects are per file, so the reader may run on several scanner threads at once.
#pragma once

#include <string>
#include <string_view>

class TByteSource;

std::string AudioDescription(const TByteSource& source);
std::string AudioDescriptionFromBytes(std::string_view data);
