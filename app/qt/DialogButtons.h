// SPDX-License-Identifier: MIT
// The OK and Cancel buttons at the foot of a dialog, built once for every dialog: one row,
// right-aligned, OK before Cancel, captioned with texts 260 and 261 of the current language.
//
// Threads: GUI thread only.
#pragma once

#include <functional>

class QDialog;
class QHBoxLayout;
class QPushButton;

struct TOkCancelRow {
  QHBoxLayout* Layout = nullptr;  // for the dialog's layout to take
  QPushButton* Ok = nullptr;
  QPushButton* Cancel = nullptr;
};

// OK runs `ok`, or accepts the dialog when `ok` is empty; Cancel rejects the dialog. With
// `enterPressesOk` OK is the dialog's default button; without it Enter presses neither button
// (for dialogs whose edits take Enter themselves).
TOkCancelRow MakeOkCancelRow(QDialog* dialog, std::function<void()> ok = {},
                             bool enterPressesOk = true);
