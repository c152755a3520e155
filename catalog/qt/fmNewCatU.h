// SPDX-License-Identifier: MIT
// The new-catalog dialog: one name field. An empty name lets the catalog files choose the
// default name.
//
// Threads: GUI thread only.
#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

class TfmNewCat : public QDialog {
  Q_OBJECT

 public:
  explicit TfmNewCat(QWidget* parent = nullptr);
  // Sets the texts of the current language and empties the field.
  void Prepare();
  QString Name() const;

  QLabel* lbName = nullptr;
  QLineEdit* edName = nullptr;
  QPushButton* bkOk = nullptr;
  QPushButton* bkCancel = nullptr;
};
