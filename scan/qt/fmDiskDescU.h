// SPDX-License-Identifier: MIT
// TfmDiskDesc: the question for a new disk's description after a scan (the add-disk dialog's
// "ask for a disk description"): a multi-line edit of the description, OK and Cancel.
//
// Threads: GUI thread only.
#pragma once

#include <QDialog>
#include <string>
#include <string_view>

class QPlainTextEdit;

class TfmDiskDesc : public QDialog {
  Q_OBJECT

 public:
  // `diskName` is shown in the prompt; `description` is the stored text (lines joined by CR LF).
  TfmDiskDesc(const QString& diskName, std::string_view description, QWidget* parent = nullptr);

  // The edited text as stored: UTF-8, lines joined by CR LF, no line end after the last line.
  std::string Description() const;

 private:
  QPlainTextEdit* mmDesc;
};

// Stored description (CR LF, LF or CR between lines) to the editor's text (LF) and back.
QString DescriptionToEditor(std::string_view stored);
std::string DescriptionFromEditor(const QString& text);
