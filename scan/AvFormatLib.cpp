// SPDX-License-Identifier: MIT
#include "scan/AvFormatLib.h"

#include <dlfcn.h>

#include <mutex>
#include <string>

namespace {

#define TOLVANE_STR2(x) #x
#define TOLVANE_STR(x) TOLVANE_STR2(x)

void* Open(const char* soname) { return ::dlopen(soname, RTLD_NOW | RTLD_LOCAL); }

template <class F>
bool Find(void* lib, const char* name, F& out) {
  out = reinterpret_cast<F>(::dlsym(lib, name));
  return out != nullptr;
}

void Quiet(void*, int, const char*, va_list) {}

TAvFormatLib* Load() {
  void* util = Open("libavutil.so." TOLVANE_STR(LIBAVUTIL_VERSION_MAJOR));
  void* codec = Open("libavcodec.so." TOLVANE_STR(LIBAVCODEC_VERSION_MAJOR));
  void* format = Open("libavformat.so." TOLVANE_STR(LIBAVFORMAT_VERSION_MAJOR));
  if (!util || !codec || !format) return nullptr;
  static TAvFormatLib lib;
  decltype(&av_log_set_level) setLevel = nullptr;
  decltype(&av_log_set_callback) setCallback = nullptr;
  bool ok = Find(format, "avformat_alloc_context", lib.AllocContext) &&
            Find(format, "avformat_free_context", lib.FreeContext) &&
            Find(format, "avformat_open_input", lib.OpenInput) &&
            Find(format, "avformat_find_stream_info", lib.FindStreamInfo) &&
            Find(format, "avformat_close_input", lib.CloseInput) &&
            Find(format, "avio_alloc_context", lib.AllocIo) &&
            Find(format, "avio_context_free", lib.FreeIo) && Find(util, "av_malloc", lib.Malloc) &&
            Find(util, "av_freep", lib.Freep) && Find(util, "av_dict_set", lib.DictSet) &&
            Find(util, "av_dict_get", lib.DictGet) && Find(util, "av_dict_free", lib.DictFree) &&
            Find(codec, "avcodec_get_name", lib.CodecName) &&
            Find(util, "av_log_set_level", setLevel) &&
            Find(util, "av_log_set_callback", setCallback);
  if (!ok) return nullptr;
  setLevel(AV_LOG_QUIET);
  setCallback(Quiet);
  return &lib;
}

}  // namespace

const TAvFormatLib* AvFormatLib() {
  static std::once_flag once;
  static const TAvFormatLib* lib = nullptr;
  std::call_once(once, [] { lib = Load(); });
  return lib;
}
