// SPDX-License-Identifier: MIT
#include "app/ProgramFolder.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace {

std::string WithSlash(std::string folder) {
  if (!folder.empty() && folder.back() != '/') folder += '/';
  return folder;
}

bool DefaultIsWritable(const std::string& folder) {
  return !folder.empty() && ::access(folder.c_str(), W_OK) == 0;
}

bool HoldsLanguage(const std::string& folder) {
  std::error_code ec;
  return !folder.empty() && fs::is_regular_file(fs::path(folder) / "Language" / "English.lng", ec);
}

std::string EnvText(const char* name) {
  const char* v = std::getenv(name);
  return v ? std::string(v) : std::string();
}

}  // namespace

TProgramPlaces FindProgramPlaces(const TProgramInputs& in) {
  TProgramPlaces out;
  const fs::path exe = fs::path(in.ExecutablePath).lexically_normal();
  const std::string exeFolder = WithSlash(exe.parent_path().string());

  // Data: the first candidate with the English table.
  std::vector<std::string> candidates{exeFolder};
  if (exe.parent_path().has_parent_path())
    candidates.push_back(
        WithSlash((exe.parent_path().parent_path() / "share" / "tolvane").string()));
  for (const std::string& extra : in.ExtraDataFolders)
    if (!extra.empty()) candidates.push_back(WithSlash(extra));
  out.DataFolder = exeFolder;
  for (const std::string& c : candidates) {
    if (HoldsLanguage(c)) {
      out.DataFolder = c;
      break;
    }
  }

  // Settings: the executable's folder when it is a portable install. Writable alone is not
  // enough: an installed program in ~/.local/bin, or in /usr/local/bin run by root, would litter
  // its bin folder with settings and catalogs.
  const auto& writable = in.IsWritable ? in.IsWritable : DefaultIsWritable;
  if (HoldsLanguage(exeFolder) && writable(exeFolder)) {
    out.ProgramFolder = exeFolder;
    out.Portable = true;
    return out;
  }
  fs::path config;
  if (!in.XdgConfigHome.empty() && fs::path(in.XdgConfigHome).is_absolute())
    config = fs::path(in.XdgConfigHome);
  else if (!in.Home.empty())
    config = fs::path(in.Home) / ".config";
  if (config.empty()) {
    // Nowhere else to go: keep the executable's folder; saving will report the failure.
    out.ProgramFolder = exeFolder;
    out.Error = "no home folder";
    return out;
  }
  const fs::path folder = (config / "tolvane").lexically_normal();
  std::error_code ec;
  fs::create_directories(folder, ec);
  if (ec) out.Error = ec.message();
  out.ProgramFolder = WithSlash(folder.string());
  return out;
}

TProgramInputs CurrentProgramInputs(std::vector<std::string> extraDataFolders) {
  TProgramInputs in;
  std::error_code ec;
  in.ExecutablePath = fs::read_symlink("/proc/self/exe", ec).string();
  in.Home = EnvText("HOME");
  if (in.Home.empty()) {
    if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir) in.Home = pw->pw_dir;
  }
  in.XdgConfigHome = EnvText("XDG_CONFIG_HOME");
  in.ExtraDataFolders = std::move(extraDataFolders);
  return in;
}
