// SPDX-License-Identifier: MIT
// Reader 14 (drPhoto): the description of a photo from its image header and its EXIF data,
// through Exiv2: JPEG (progressive ones too), TIFF, PNG, WebP, HEIC/HEIF/AVIF and the common
// camera RAW formats (DNG, CR2, CR3, CRW, NEF, NRW, ARW, SR2, SRW, ORF, RW2, RAF, PEF, MRW).
//
//   Canon EOS 80D              the camera: the model, after the make when the model lacks it
//   2023-05-01 12:34:56        the date taken (DateTimeOriginal, else DateTimeDigitized)
//   6000 x 4000 x 24 bits      the size in the image readers' wording ("W x H" where the format
//                              tells no colour depth: HEIF and RAW)
//
// Each line only when known; no description when the file is no image Exiv2 knows, or tells
// none of them.
//
// Bounds: at most 16 MiB are read and 2 s spent per file; TIFF-based files (TIFF and most RAW
// formats) are mapped read-only instead, so only the pages that hold their directories are read.
// The file is never written. Exiv2's messages are muted and its XMP parser is initialised once,
// guarded by a lock, so the reader may run on several scanner threads at once.
#pragma once

#include <string>
#include <string_view>

class TByteSource;

std::string PhotoDescription(const TByteSource& source);
std::string PhotoDescriptionFromBytes(std::string_view data);
