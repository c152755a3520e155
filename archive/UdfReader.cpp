// SPDX-License-Identifier: MIT
#include "archive/UdfReader.h"

#include <cdio/logging.h>
#include <cdio/udf.h>
#include <sys/mman.h>
#include <unistd.h>

#include <mutex>
#include <string>

#include "archive/ArcText.h"
#include "archive/ReaderUtil.h"

namespace {

constexpr int kMaxDepth = 64;

void Quiet(cdio_log_level_t, const char*) {}

// A descriptor that names the source's bytes: its own file, or a memory file filled with them.
class TSourceFile {
 public:
  explicit TSourceFile(const TArcSource& src) {
    if (!src.IsMemory()) {
      fd_ = src.Fd();
      return;
    }
    own_ = ::memfd_create("udf", MFD_CLOEXEC);
    if (own_ < 0) return;
    std::string_view data = src.Memory();
    for (size_t done = 0; done < data.size();) {
      ssize_t n = ::write(own_, data.data() + done, data.size() - done);
      if (n <= 0) return;
      done += static_cast<size_t>(n);
    }
    fd_ = own_;
  }
  ~TSourceFile() {
    if (own_ >= 0) ::close(own_);
  }
  TSourceFile(const TSourceFile&) = delete;
  TSourceFile& operator=(const TSourceFile&) = delete;
  // The name under which libcdio opens it; empty when there is none.
  std::string Path() const {
    return fd_ >= 0 ? "/proc/self/fd/" + std::to_string(fd_) : std::string();
  }

 private:
  int fd_ = -1;
  int own_ = -1;
};

struct TWalk {
  const TArcSource& src;
  const TEntrySink& sink;
  uint64_t entries = 0;
  bool stopped = false;
};

// Lists the folder `dir` (consumed: libcdio frees it at its end) under `prefix`.
void ListFolder(TWalk& w, udf_dirent_t* dir, const std::string& prefix, int depth) {
  while (udf_readdir(dir)) {
    if (w.stopped || w.src.Cancelled() || ++w.entries > kMaxArchiveEntries) {
      w.stopped = true;
      udf_dirent_free(dir);
      return;
    }
    const char* raw = udf_get_filename(dir);
    std::string name = raw ? raw : "";
    if (name.empty() || name == "." || name == "..") continue;
    TArchiveEntry e;
    e.IsFolder = udf_is_dir(dir);
    e.Path = prefix + ArcStoredPath(name);
    if (e.IsFolder) EndWithBackslash(e.Path);
    e.Size = e.IsFolder ? 0 : static_cast<int64_t>(udf_get_file_length(dir));
    e.DateTime = ArcUnixTimeToDateTime(udf_get_modification_time(dir));
    e.Attr = e.IsFolder ? kAttrDirectory : kAttrArchive;
    if (!w.sink(e)) {
      w.stopped = true;
      udf_dirent_free(dir);
      return;
    }
    if (e.IsFolder && depth < kMaxDepth) {
      if (udf_dirent_t* sub = udf_opendir(dir)) ListFolder(w, sub, e.Path, depth + 1);
    }
  }
}

}  // namespace

TError ListUdf(const TArcSource& src, const TEntrySink& sink) {
  static std::once_flag once;
  std::call_once(once, [] { cdio_log_set_handler(Quiet); });
  TSourceFile file(src);
  std::string path = file.Path();
  if (path.empty()) return TError::Failure("cannot open the image");
  udf_t* udf = udf_open(path.c_str());
  if (!udf) return TError::Failure("not a UDF image");
  udf_dirent_t* root = udf_get_root(udf, true, 0);
  if (!root) {
    udf_close(udf);
    return TError::Failure("the UDF image has no root folder");
  }
  TWalk w{src, sink};
  ListFolder(w, root, std::string(), 1);
  udf_close(udf);
  if (src.Cancelled()) return TError::Failure("cancelled");
  return {};
}
