// SPDX-License-Identifier: MIT
// Reader 18 (drOffice): the title and author of an office document or e-book, from the metadata
// its ZIP container holds: OpenDocument (meta.xml of ODT, ODS, ODP, ODG), Office Open XML
// (docProps/core.xml of DOCX, XLSX, PPTX) and EPUB (the package document that
// META-INF/container.xml names). The member is read through libarchive and parsed with Expat.
//
//   The title
//   Author: ...                 (text 11808)
//
// Each part only when the metadata has it; no description when the file is no ZIP, holds none
// of these members, or they tell neither.
//
// Bounds: at most 16 MiB are read and 2 s spent per file, at most 4,096 members looked at, and
// of a metadata member at most its first MiB is inflated (so a member that inflates without end
// costs no more); Expat loads no external entity and limits the expansion of internal ones. The
// reader may run on several scanner threads at once.
#pragma once

#include <string>
#include <string_view>

class TByteSource;

std::string OfficeDescription(const TByteSource& source);
std::string OfficeDescriptionFromBytes(std::string_view data);

// What a metadata member tells: its first Dublin Core title and, as the author, OpenDocument's
// initial creator or else the first Dublin Core creator (meta.xml, docProps/core.xml, an EPUB
// package document); of an EPUB container document (META-INF/container.xml) the path of its
// package document. A document broken off keeps what came before the break.
struct TDocMetadata {
  std::string Title, Author, RootFile;
};
TDocMetadata ParseDocMetadata(std::string_view xml);
