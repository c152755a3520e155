// SPDX-License-Identifier: MIT
// Description import while a medium is scanned: offering each real file to the description rule
// table, and merging the descriptions of a folder's list files into its items.
//
// Ranks. The rank of a description's source is rule slot * 256 + mask index (lower is better).
// During a scan the disk store keeps in each item node's NodeTag the rank of the source that gave
// the item its description (0: none yet; for a folder, the node of the folder itself, while the
// text lies in its header's slot 8). A description from a better-ranked source is never replaced
// by one from a worse-ranked source.
//
// Threads: everything here runs on the scanner's worker thread; the settings and readers are
// only read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "scan/DescFiles.h"
#include "scan/DescRuleSet.h"

// What an update does with the descriptions the catalog already holds. The values are those the
// settings store (general option 15).
enum class TUpdateDescMode : int32_t {
  Keep = 1,       // keep them; new ones go only where there is none
  Replace = 2,    // replace them with new ones where available
  DeleteAll = 3,  // delete them all
};

// The mode of the stored setting: 2 and 3 as they are, anything else (0 included) keeps.
inline TUpdateDescMode UpdateDescModeFromSetting(int32_t value) {
  if (value == 2) return TUpdateDescMode::Replace;
  if (value == 3) return TUpdateDescMode::DeleteAll;
  return TUpdateDescMode::Keep;
}
// The value the settings store for `mode`.
inline int32_t UpdateDescModeSetting(TUpdateDescMode mode) { return static_cast<int32_t>(mode); }

class TQDBase;
struct TNodeRec;

// A content reader: (full path of the file) -> its description text, empty when it finds
// nothing. A reader opens the file read-only; an exception it raises counts as finding nothing.
using TContentReader = std::function<std::string(const std::string& path)>;
// The text-head reader: the first `maxBytes` bytes of the file exactly as stored (no code page
// conversion: the importer converts with the OemToAnsi flag of the rule in use).
using TTextHeadReader = std::function<std::string(const std::string& path, size_t maxBytes)>;

// The content readers of a scan, one per reader kind of the rule table, filled by the scanner.
// An empty entry gives no description.
struct TContentReaders {
  TContentReader Html;       // reader 1 drHTML: the HTML title
  TContentReader Mp3;        // reader 2 drMP3: the ID3 tags
  TContentReader Version;    // reader 3 drEXE: the version resource of an executable
  TTextHeadReader TextHead;  // readers 4 drTXT and 11 drDIZ: the head of a text file
  TContentReader Bmp;        // reader 5 drBMP: width x height x depth
  TContentReader Jpeg;       // reader 6 drJPG
  TContentReader Gif;        // reader 7 drGIF
  TContentReader Png;        // reader 8 drPNG
  TContentReader Pcx;        // reader 9 drPCX
  TContentReader Tiff;       // reader 10 drTIFF
  TContentReader Photo;      // reader 14 drPhoto: camera, date taken and size of a photo
  TContentReader Audio;      // reader 15 drAudio: tags and format of music
  TContentReader Video;      // reader 16 drVideo: length, size, codecs of a video
  TContentReader Pdf;        // reader 17 drPDF: title, author and pages of a PDF
  TContentReader Office;     // reader 18 drOffice: title and author of ODF, OOXML and EPUB
  // Readers 12 drBBS and 13 drION: the bytes of a list file (at most `maxBytes`). Empty: the
  // list file is read by its path.
  TTextHeadReader ListFile;
};

// What the import needs of a scan's settings. The pointers must outlive the scan.
struct TDescImportContext {
  const TDescRuleSet* Rules = nullptr;       // the compiled rule table of the scan (required)
  const TContentReaders* Readers = nullptr;  // nullptr: no content readers
  bool ImportDescriptions = true;
  bool UpdateMode = false;
  // Update mode only: what becomes of the existing descriptions.
  TUpdateDescMode UpdateDescMode = TUpdateDescMode::Keep;
  // The descriptor of the folder being imported (the scanner sets it; -1: the folder is reached
  // by its path), for finding the entries short names stand for.
  int FolderFd = -1;

  bool KeepExisting() const {
    return UpdateMode && UpdateDescMode != TUpdateDescMode::Replace &&
           UpdateDescMode != TUpdateDescMode::DeleteAll;
  }
};

// The description of a file by its own content: reader 1 .. 10 or 14 .. 18 on the file at
// `path`, cleaned;
// empty for other readers, a reader that finds nothing or raises an exception. The text head
// (reader 4) is converted from the OEM code page when the first rule with reader 4 says so.
std::string ReadContentDescription(const std::string& path, int reader,
                                   const TDescImportContext& ctx);

// The description of a folder from a file in it: reader 11 only (the head of FILE_ID.DIZ,
// converted when the first rule with reader 11 says so), cleaned; empty otherwise.
std::string ReadFolderDescription(const std::string& path, int reader,
                                  const TDescImportContext& ctx);

// Imports the descriptions of one real file. The disk store's cursor is on the new file node
// (whose slot 0 holds the name), which lies in the folder node of `folderPath` (the folder on
// the medium, ending in "/"). `oldFile` is the old counterpart's node in update mode (nullptr
// when there is none); it is only read. Content descriptions go to the file's slot 8, a folder
// description (FILE_ID.DIZ) to the header of the folder, list files are parsed into `lists`.
// A photo rule refines an image size: when an image-size reader (5 .. 10) served the file and a
// later photo rule (reader 14) matches it too, the photo text, which holds the same size line
// and adds the camera and the date taken, replaces the size (its rank stays the size's).
// The cursor is on the file node again afterwards, also when a store operation throws.
// Returns the number of descriptions imported (the scanner adds it to DescriptionsDone).
int ImportFileDescriptions(TQDBase& disk, const std::string& folderPath, const TNodeRec* oldFile,
                           TFolderDescLists& lists, const TDescImportContext& ctx);

// Merges the descriptions collected in `lists` into the items of the folder node under the disk
// store's cursor, after the folder's last entry. Short "~" names are first resolved to the long
// names of the folder's entries (scan/DescShortName.h). An item takes a list's text unless it has
// a description from a source ranked the same or better, or (update mode, keep) a carried-over
// one. List descriptions are not counted and leave NodeTag as it is. The cursor stays on the
// folder.
void ApplyListDescriptions(TQDBase& disk, const std::string& folderPath, TFolderDescLists& lists,
                           const TDescImportContext& ctx);
