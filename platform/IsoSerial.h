// SPDX-License-Identifier: MIT
// The volume serial number that Windows shows for an ISO 9660 disc.
//
// An ISO 9660 medium carries no serial number of its own. Windows makes one from the primary
// volume descriptor (the 2048-byte sector 16 of the data session, beginning with type 1 and
// "CD001"): four separate byte-wide sums, one per byte position modulo 4, each wrapping at 256
// without carry into its neighbour. The sum of the bytes at positions 0, 4, 8, ... becomes the
// most significant byte of the serial, the sum at positions 3, 7, 11, ... the least significant.
// A disc catalogued on Windows is recognised here only if both sides compute the same number.
//
// Threads: any; the functions keep no state.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/Error.h"

inline constexpr size_t kIsoSectorSize = 2048;
inline constexpr int64_t kIsoPrimaryDescriptorSector = 16;

// The serial of a volume descriptor. `descriptor` must hold exactly kIsoSectorSize bytes; any
// other length gives 0 (no serial).
uint32_t IsoDescriptorSerial(std::string_view descriptor);

// True iff `descriptor` is a primary volume descriptor: kIsoSectorSize bytes, type byte 1, then
// the standard identifier "CD001".
bool IsIsoPrimaryDescriptor(std::string_view descriptor);

// Reads the primary volume descriptor of the ISO 9660 volume in the file or device at `path`
// (sector 16 after `sessionStart`, a byte offset: the start of the last session of a
// multi-session disc, 0 otherwise) and returns its serial in `serial`. Fails with the
// reason ("not an ISO 9660 volume", or the system's text) and leaves `serial` untouched.
TError ReadIsoSerial(const std::string& path, int64_t sessionStart, uint32_t& serial);

// The byte offset of the last session of the CD in the device `path` (CDROMMULTISESSION), or 0
// for a single-session disc, for a device that is not a CD drive, and on any failure.
int64_t CdLastSessionStart(const std::string& path);
