// SPDX-License-Identifier: MIT
// The about box: the program icon and name, the version (lbVer), the build number padded to
// three digits (lbBuild), and links to the product's web page and to a new mail to the makers.
//
// Threads: GUI thread only.
#pragma once

#include <QDialog>

class QLabel;

class TfmAbout : public QDialog {
  Q_OBJECT

 public:
  // `versionText` as in the caption ("1.00").
  TfmAbout(const QString& versionText, QWidget* parent = nullptr);
  QLabel* lbVer = nullptr;
  QLabel* lbBuild = nullptr;
};

// The build number of this program, padded with zeros to three digits.
QString BuildNumberText();
// Opens the product's web page, or (mail) a new mail message to the makers whose subject is
// `caption` in double quotes. A missing browser or mail client is reported as for the help
// (ShellOpenUrl).
void OpenProductPage(bool mail, const QString& caption = QString());
