// SPDX-License-Identifier: MIT
// Opening and closing the tray of a CD/DVD drive (CDROMEJECT / CDROMCLOSETRAY on the device
// node). Failures are silent by design: a drive without a motorised tray, a medium still in use
// or a missing permission simply leave the tray where it is; the functions only say whether the
// request was carried out.
//
// Threads: any. The calls block while the drive moves its tray (a second or two).
#pragma once

#include <string>

#include "platform/Volumes.h"

// Opens (close = false) or closes the tray of the drive behind the device node `device`
// ("/dev/sr0"). True iff the drive accepted the request.
bool SetTrayClosed(const std::string& device, bool close);

// The tray control of the add-disk dialog. `drive` is a device node ("/dev/sr0") or the mount
// point of a mounted medium. Acts only for CD-ROM and removable drives. Opening the tray of a
// mounted medium fails (the kernel refuses while the medium is in use), so the medium has to be
// unmounted first.
bool SetDriveDoor(const std::string& drive, bool close, const TSystemView& view = TSystemView());
