// SPDX-License-Identifier: MIT
// The places of this run (app/ProgramFolder.h): the executable of this process, its environment,
// and the data folders compiled into the GUI (the install data folder, then the source tree for a
// build-tree run). Decided once, on first use.
//
// Threads: GUI thread.
#pragma once

#include "app/ProgramFolder.h"

const TProgramPlaces& ProgramPlaces();
