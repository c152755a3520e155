// SPDX-License-Identifier: MIT
// The two application stores: bdMain, every open catalog under its root, and the settings
// (bdOpt with the options read from it). The program makes one before its main window and drops
// it after, so every window, view and model that reads the stores is gone before they are.
// The main window fills them: it gives bdMain its reserved root slot and loads the settings.
//
// Threads: GUI thread only.
#pragma once

#include "app/Settings.h"
#include "store/QDBase.h"

struct TAppStores {
  TQDBase bdMain;
  TSettings Settings;
};
