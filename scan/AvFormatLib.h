// SPDX-License-Identifier: MIT
// FFmpeg's demuxing library, loaded when the first video is read rather than linked: libavformat
// and what it needs bring some 130 shared libraries (window-system ones among them) whose loading
// would cost every start of the program and the command-line tool about a tenth of a second,
// though most runs read no video. The functions are those of the headers the build saw, looked up
// in the libraries of the same major versions. Thread-safe: loaded once; the functions are
// FFmpeg's, which are thread-safe for distinct contexts.
#pragma once

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/dict.h>
#include <libavutil/log.h>
#include <libavutil/mem.h>
}

struct TAvFormatLib {
  decltype(&avformat_alloc_context) AllocContext;
  decltype(&avformat_free_context) FreeContext;
  decltype(&avformat_open_input) OpenInput;
  decltype(&avformat_find_stream_info) FindStreamInfo;
  decltype(&avformat_close_input) CloseInput;
  decltype(&avio_alloc_context) AllocIo;
  decltype(&avio_context_free) FreeIo;
  decltype(&av_malloc) Malloc;
  decltype(&av_freep) Freep;
  decltype(&av_dict_set) DictSet;
  decltype(&av_dict_get) DictGet;
  decltype(&av_dict_free) DictFree;
  decltype(&avcodec_get_name) CodecName;
};

// The library, loaded on the first call with its log silenced (nothing reaches stderr); nullptr
// when it is not installed, so videos then get no description.
const TAvFormatLib* AvFormatLib();
