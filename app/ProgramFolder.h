// SPDX-License-Identifier: MIT
// Where the program keeps its own files.
//
//  - The program folder holds the settings (bdOpt.dat, fmStorage.ini) and the default catalog
//    folder "Catalogs/". It is the executable's folder when that folder is writable and holds the
//    language files (a portable install, one folder with everything in it); otherwise the
//    per-user folder $XDG_CONFIG_HOME/tolvane/ ($HOME/.config/tolvane/ when the variable is
//    unset, empty or not an absolute path), created when missing. A writable bin folder of an
//    install (~/.local/bin, or /usr/local/bin for root) is thus not mistaken for a portable one.
//  - The data folder holds the language files ("Language/*.lng") and the help pages ("help/").
//    It is the first candidate that holds "Language/English.lng": the executable's folder (a
//    portable install), the installed layout's share folder (<prefix>/bin/tolvane beside
//    <prefix>/share/tolvane/), then the folders the caller adds (the GUI passes its compiled-in
//    install data folder and the source tree of a build-tree run).
//
// Every folder is returned with a trailing "/". The decision takes its inputs as parameters so it
// can be tested; CurrentProgramInputs() gathers them for the running process.
//
// Threads: any thread (CurrentProgramInputs reads the environment).
#pragma once

#include <functional>
#include <string>
#include <vector>

struct TProgramInputs {
  std::string ExecutablePath;                 // full path of the running executable
  std::string Home;                           // $HOME
  std::string XdgConfigHome;                  // $XDG_CONFIG_HOME (may be empty)
  std::vector<std::string> ExtraDataFolders;  // tried after the executable's and share folders
  // Whether the program may write into a folder; default: access(W_OK) on it.
  std::function<bool(const std::string&)> IsWritable;
};

struct TProgramPlaces {
  std::string ProgramFolder;  // settings and "Catalogs/"
  std::string DataFolder;     // "Language/" and "help/"; the executable's folder when no
                              // candidate holds Language/English.lng (the fatal message names it)
  bool Portable = false;      // ProgramFolder is the executable's folder
  std::string Error;          // why the per-user folder could not be created; empty when fine
};

// Decides the places from `in`; creates the per-user folder when it is the program folder.
TProgramPlaces FindProgramPlaces(const TProgramInputs& in);

// The inputs of this process: /proc/self/exe, $HOME (or the password database's home),
// $XDG_CONFIG_HOME, and `extraDataFolders` as given (empty entries are skipped).
TProgramInputs CurrentProgramInputs(std::vector<std::string> extraDataFolders);
