// SPDX-License-Identifier: MIT
#include "catalog/qt/GuiCatalogUi.h"

#include <QFileDialog>
#include <QFileInfo>

#include "app/qt/GuiText.h"
#include "app/qt/Prompts.h"

namespace {
const QString kFilter = QStringLiteral("*.ctl (*.ctl)");
}

void TGuiCatalogUi::ShowMessage(int, const std::string&, const std::string& text) {
  ShowMessageQ(parent_, QString::fromStdString(text), TPromptKind::Warning);
}

TAnswer TGuiCatalogUi::AskYesNoCancel(int, const std::string&, const std::string& text) {
  return AskYesNoCancelQ(parent_, QString::fromStdString(text));
}

bool TGuiCatalogUi::AskYesNo(int, const std::string&, const std::string& text) {
  return AskYesNoQ(parent_, QString::fromStdString(text));
}

TChangedAnswer TGuiCatalogUi::AskFileChanged(int, const std::string&, const std::string& text) {
  switch (AskYesNoCancelQ(parent_, QString::fromStdString(text))) {
    case TAnswer::Yes:
      return TChangedAnswer::Overwrite;
    case TAnswer::No:
      return TChangedAnswer::SaveAs;
    case TAnswer::Cancel:
      break;
  }
  return TChangedAnswer::Cancel;
}

bool TGuiCatalogUi::ChooseSaveFileName(const std::string& proposed, const std::string& folder,
                                       std::string& chosen) {
  if (SaveNameChooser) {
    chosen = SaveNameChooser(proposed, folder);
    return !chosen.empty();
  }
  QString start = QString::fromStdString(folder);
  if (!proposed.empty()) {
    QFileInfo fi(QString::fromStdString(proposed));
    start =
        fi.isAbsolute() ? fi.filePath() : QDir(start).filePath(QString::fromStdString(proposed));
  }
  QFileDialog dialog(parent_, PlainCaption(LangQ(5)), start, kFilter);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setDefaultSuffix(QStringLiteral("ctl"));
  dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
  chosen = dialog.selectedFiles().first().toStdString();
  return true;
}

std::vector<std::string> ChooseCatalogFilesToOpen(QWidget* parent, const std::string& folder) {
  QStringList files = QFileDialog::getOpenFileNames(parent, PlainCaption(LangQ(3)),
                                                    QString::fromStdString(folder), kFilter);
  std::vector<std::string> out;
  for (const QString& f : files) out.push_back(f.toStdString());
  return out;
}
