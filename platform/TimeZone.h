// SPDX-License-Identifier: MIT
// The local time zone, read once per process.
#pragma once

// While TZ is unset, the C library checks the zone file /etc/localtime again on every mktime
// call (libarchive makes one per archive entry). When TZ is unset, this sets it to
// ":/etc/localtime", the same zone, so the file is read once. A TZ the user set is kept. Call at
// start-up, before other threads run.
void PinLocalTimeZone();
