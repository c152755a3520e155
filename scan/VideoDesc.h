// SPDX-License-Identifier: MIT
// Reader 16 (drVideo): the description of a video from its container's headers, through FFmpeg's
// libavformat (loaded on first use, AvFormatLib.h): MP4/MOV/3GP, Matroska/WebM, AVI, MPEG
// transport streams (TS, M2TS, MTS), MPEG program streams (MPG, DVD VOB), ASF/WMV, FLV and Ogg.
//
//   Holiday 2023                          the title, where the container names one
//   1:23, 1920 x 1080, H.264, 25 fps      length, and the first video stream's size, codec, rate
//   Audio: AAC, 48 kHz, 2 ch (eng)        one line per audio track (text 11806), at most four,
//   2 more audio tracks                   then how many more there are (text 11809)
//
// Each part only when known; no description when libavformat cannot open the file as one of the
// formats above, or finds no stream in it.
//
// Bounds: at most 16 MiB are read and 3 s spent per file; nothing is decoded unless the headers
// lack a stream's parameters (transport and program streams), and then one thread decodes at most
// what 16 MiB and 3 s allow. Only the demuxers of the formats above may open the file, and any
// other file or URL the data names (a playlist, a reference movie) is refused, so a file cannot
// make the reader open something else. FFmpeg's log is silenced. A context per file: the reader
// may run on several scanner threads at once.
#pragma once

#include <string>
#include <string_view>

class TByteSource;

std::string VideoDescription(const TByteSource& source);
std::string VideoDescriptionFromBytes(std::string_view data);
