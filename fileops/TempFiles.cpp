// SPDX-License-Identifier: MIT
#include "fileops/TempFiles.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>

const std::string& TTempFiles::Folder(std::string* error) {
  if (!folder_.empty()) {
    std::error_code ec;
    if (std::filesystem::is_directory(folder_, ec)) return folder_;
    folder_.clear();  // removed behind our back: make a new one
  }
  std::string base = base_;
  if (base.empty()) {
    std::error_code ec;
    base = std::filesystem::temp_directory_path(ec).string();
    if (ec) {
      if (error) *error = ec.message();
      return folder_;
    }
  }
  while (base.size() > 1 && base.back() == '/') base.pop_back();
  std::string templ = base + "/tolvane-XXXXXX";
  if (::mkdtemp(templ.data()))
    folder_ = templ;
  else if (error)
    *error = base + ": " + std::strerror(errno);
  return folder_;
}

void TTempFiles::Add(const std::string& path) {
  if (std::find(files_.begin(), files_.end(), path) == files_.end()) files_.push_back(path);
}

void TTempFiles::DeleteAll() {
  for (const std::string& f : files_) ::unlink(f.c_str());
  files_.clear();
  if (!folder_.empty()) {
    std::error_code ec;
    std::filesystem::remove_all(folder_, ec);
    folder_.clear();
  }
}
