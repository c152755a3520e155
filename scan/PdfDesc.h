// SPDX-License-Identifier: MIT
// Reader 17 (drPDF): the description of a PDF document from its information dictionary and page
// tree, through Poppler:
//
//   The title                   (the document's Title)
//   Author: ...                 (text 11808)
//   Pages: 12                   (text 11807)
//
// Each part only when known; no description when Poppler cannot open the file (not a PDF,
// damaged beyond repair, or locked by a password).
//
// Bounds: the file is mapped read-only, not read, and Poppler touches through the mapping only
// what it parses: the cross-reference data, the catalog, the root of the page tree and the
// information dictionary (a document whose cross-reference data is damaged is scanned once to
// rebuild it). Files above 1 GiB get no description; nothing is rendered. Poppler's error output
// goes nowhere. A document per file: the reader may run on several scanner threads at once.
#pragma once

#include <string>
#include <string_view>

class TByteSource;

std::string PdfDescription(const TByteSource& source);
std::string PdfDescriptionFromBytes(std::string_view data);
