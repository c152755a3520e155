// SPDX-License-Identifier: MIT
// Every message box of the program goes through here, so that a test can answer the questions
// a command asks (SetPrompter) and see the messages it shows. Boxes are titled with the program
// title "Tolvane"; questions have Yes and No (and Cancel) buttons, and only Yes proceeds.
//
// Threads: GUI thread only.
#pragma once

#include <QString>

#include "catalog/CatalogFiles.h"  // TAnswer

class QWidget;

enum class TPromptKind {
  Information,
  Warning,
  Error,
  Question,
  QuestionError,
  QuestionYesNoCancel
};

class TPrompter {
 public:
  virtual ~TPrompter() = default;
  // Shows `text`. For questions the answer is Yes, No or Cancel; messages return Yes.
  virtual TAnswer Prompt(QWidget* parent, TPromptKind kind, const QString& title,
                         const QString& text) = 0;
};

// Replaces the prompter (nullptr: the real message boxes). The caller keeps ownership.
void SetPrompter(TPrompter* prompter);

void ShowMessageQ(QWidget* parent, const QString& text,
                  TPromptKind kind = TPromptKind::Information);
// An error box titled "Error" (the application's error handler).
void ShowErrorQ(QWidget* parent, const QString& text);
// True only for Yes. `warning` gives the error-style question.
bool AskYesNoQ(QWidget* parent, const QString& text, bool warning = false);
TAnswer AskYesNoCancelQ(QWidget* parent, const QString& text);
