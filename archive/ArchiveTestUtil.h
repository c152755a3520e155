// SPDX-License-Identifier: MIT
// Helpers of the archive tests: fixture paths, fresh temporary folders, listing into a vector.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "archive/ZipTV.h"

inline std::string Fixture(const std::string& name) {
  return std::string(TOLVANE_SOURCE_DIR) + "/archive/testdata/" + name;
}

// A new empty folder for one test, removed by the destructor.
class TTempFolder {
 public:
  TTempFolder() {
    const char* base = std::getenv("TOLVANE_TEST_TMP");
    std::filesystem::path root =
        base && *base ? base : std::filesystem::temp_directory_path().string();
    std::filesystem::create_directories(root);
    std::string templ = (root / "arcXXXXXX").string();
    path_ = mkdtemp(templ.data()) ? templ : std::string();
  }
  ~TTempFolder() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  const std::string& Path() const { return path_; }
  std::string operator/(const std::string& rel) const { return path_ + "/" + rel; }

 private:
  std::string path_;
};

// Every entry (folders included) of the file at `path`; `error` receives the listing's error.
inline std::vector<TArchiveEntry> ListFile(const std::string& path, std::string* error = nullptr,
                                           int32_t* type = nullptr) {
  TZipTV reader;
  reader.SetArchiveFile(path);
  if (type) *type = reader.ArcType();
  std::vector<TArchiveEntry> out;
  TError err = reader.ListAll([&](const TArchiveEntry& e) {
    out.push_back(e);
    return true;
  });
  if (error) *error = err.Message();
  return out;
}
