// SPDX-License-Identifier: MIT
// The catalog commands' questions and file dialogs as the user sees them: message boxes through
// app/qt/Prompts.h and the platform's save dialog for catalog files ("*.ctl", default extension
// "ctl", asking before an existing file is replaced).
//
// Threads: GUI thread only.
#pragma once

#include <functional>
#include <string>

#include "catalog/CatalogFiles.h"

class QWidget;

class TGuiCatalogUi : public TCatalogUi {
 public:
  explicit TGuiCatalogUi(QWidget* parent) : parent_(parent) {}
  void ShowMessage(int number, const std::string& arg, const std::string& text) override;
  TAnswer AskYesNoCancel(int number, const std::string& arg, const std::string& text) override;
  bool AskYesNo(int number, const std::string& arg, const std::string& text) override;
  // Yes overwrites, No saves under another name (the text says so), Cancel cancels.
  TChangedAnswer AskFileChanged(int number, const std::string& arg,
                                const std::string& text) override;
  bool ChooseSaveFileName(const std::string& proposed, const std::string& folder,
                          std::string& chosen) override;
  // Replaces the save dialog (tests): gets the proposed name and folder, returns the chosen
  // file name or empty for Cancel.
  std::function<std::string(const std::string&, const std::string&)> SaveNameChooser;

 private:
  QWidget* parent_;
};

// The open dialog for catalog files (several may be chosen; only existing files). Empty when
// cancelled.
std::vector<std::string> ChooseCatalogFilesToOpen(QWidget* parent, const std::string& folder);
