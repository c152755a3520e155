// SPDX-License-Identifier: MIT
// The busy cursor of a long operation: the mouse shows the hourglass while any TBusyCursor
// lives. They nest (the application's override cursors are a stack), and the cursor comes back
// however the operation ends, by an exception too.
//
// Threads: GUI thread only.
#pragma once

#include <QGuiApplication>

class TBusyCursor {
 public:
  TBusyCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
  ~TBusyCursor() { QGuiApplication::restoreOverrideCursor(); }
  TBusyCursor(const TBusyCursor&) = delete;
  TBusyCursor& operator=(const TBusyCursor&) = delete;
};
