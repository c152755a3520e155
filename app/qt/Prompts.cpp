// SPDX-License-Identifier: MIT
#include "app/qt/Prompts.h"

#include <QMessageBox>

namespace {

TPrompter*& Current() {
  static TPrompter* prompter = nullptr;
  return prompter;
}

TAnswer Ask(QWidget* parent, TPromptKind kind, const QString& title, const QString& text) {
  if (Current()) return Current()->Prompt(parent, kind, title, text);
  QMessageBox box(parent);
  box.setWindowTitle(title);
  box.setText(text);
  switch (kind) {
    case TPromptKind::Information:
      box.setIcon(QMessageBox::Information);
      break;
    case TPromptKind::Warning:
      box.setIcon(QMessageBox::Warning);
      break;
    case TPromptKind::Error:
      box.setIcon(QMessageBox::Critical);
      break;
    case TPromptKind::Question:
      box.setIcon(QMessageBox::Question);
      box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
      box.setDefaultButton(QMessageBox::Yes);
      break;
    case TPromptKind::QuestionError:
      box.setIcon(QMessageBox::Critical);
      box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
      box.setDefaultButton(QMessageBox::No);
      break;
    case TPromptKind::QuestionYesNoCancel:
      box.setIcon(QMessageBox::Question);
      box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
      box.setDefaultButton(QMessageBox::Yes);
      box.setEscapeButton(QMessageBox::Cancel);
      break;
  }
  int r = box.exec();
  bool question = kind == TPromptKind::Question || kind == TPromptKind::QuestionError ||
                  kind == TPromptKind::QuestionYesNoCancel;
  if (!question) return TAnswer::Yes;
  if (r == QMessageBox::Yes) return TAnswer::Yes;
  if (r == QMessageBox::No) return TAnswer::No;
  return kind == TPromptKind::QuestionYesNoCancel ? TAnswer::Cancel : TAnswer::No;
}

const QString kTitle = QStringLiteral("Tolvane");

}  // namespace

void SetPrompter(TPrompter* prompter) { Current() = prompter; }

void ShowMessageQ(QWidget* parent, const QString& text, TPromptKind kind) {
  Ask(parent, kind, kTitle, text);
}

void ShowErrorQ(QWidget* parent, const QString& text) {
  Ask(parent, TPromptKind::Error, QStringLiteral("Error"), text);
}

bool AskYesNoQ(QWidget* parent, const QString& text, bool warning) {
  TPromptKind kind = warning ? TPromptKind::QuestionError : TPromptKind::Question;
  return Ask(parent, kind, kTitle, text) == TAnswer::Yes;
}

TAnswer AskYesNoCancelQ(QWidget* parent, const QString& text) {
  return Ask(parent, TPromptKind::QuestionYesNoCancel, kTitle, text);
}
