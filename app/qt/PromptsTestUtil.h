// SPDX-License-Identifier: MIT
// Test helper for every window: a prompter that records each message and answers questions from
// a script. It is installed while it lives.
#pragma once

#include <QString>
#include <deque>
#include <vector>

#include "app/qt/Prompts.h"

// Records messages; questions take the next scripted answer (No, or Cancel for three-way
// questions, when the script is empty).
class TScriptedPrompter : public TPrompter {
 public:
  struct Shown {
    TPromptKind Kind;
    QString Text;
  };
  std::vector<Shown> Shown;
  std::deque<TAnswer> Answers;

  TScriptedPrompter() { SetPrompter(this); }
  ~TScriptedPrompter() override { SetPrompter(nullptr); }
  TAnswer Prompt(QWidget*, TPromptKind kind, const QString&, const QString& text) override {
    Shown.push_back({kind, text});
    bool question = kind == TPromptKind::Question || kind == TPromptKind::QuestionError ||
                    kind == TPromptKind::QuestionYesNoCancel;
    if (!question) return TAnswer::Yes;
    if (Answers.empty())
      return kind == TPromptKind::QuestionYesNoCancel ? TAnswer::Cancel : TAnswer::No;
    TAnswer a = Answers.front();
    Answers.pop_front();
    return a;
  }
  bool SawText(const QString& text) const {
    for (const auto& s : Shown)
      if (s.Text == text) return true;
    return false;
  }
};
