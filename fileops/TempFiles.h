// SPDX-License-Identifier: MIT
// TTempFiles: Tolvane's own temporary folder and the files extracted into it so that they can be
// run or shown. The folder ("tolvane-XXXXXX" below std::filesystem::temp_directory_path()) is
// made on first use; the main window keeps one TTempFiles for the whole run and at exit offers
// to delete what it lists (text 10005).
//
// GUI thread only.
#pragma once

#include <string>
#include <vector>

class TTempFiles {
 public:
  TTempFiles() = default;
  // Uses `base` instead of the system's temporary folder (tests).
  explicit TTempFiles(std::string base) : base_(std::move(base)) {}
  TTempFiles(const TTempFiles&) = delete;
  TTempFiles& operator=(const TTempFiles&) = delete;

  // The folder (without a trailing "/"), created on first use. Empty, with `error` set, when it
  // cannot be created.
  const std::string& Folder(std::string* error = nullptr);

  // Remembers a file for deletion (once).
  void Add(const std::string& path);
  const std::vector<std::string>& Files() const { return files_; }
  bool Empty() const { return files_.empty(); }

  // Deletes every remembered file (failures ignored), then the folder with whatever is left in
  // it, and forgets them; a later use makes a new folder.
  void DeleteAll();

 private:
  std::string base_;
  std::string folder_;
  std::vector<std::string> files_;
};
