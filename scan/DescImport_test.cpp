// SPDX-License-Identifier: MIT
#include "scan/DescImport.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <stdexcept>

#include "catalog/CatalogLayout.h"
#include "platform/FileIO.h"
#include "scan/DescRules.h"
#include "scan/DescShortName.h"
#include "store/QDBase.h"

namespace {

const std::string kTree = std::string(TOLVANE_SOURCE_DIR) + "/scan/testdata/importers/tree/";

// Readers as the scanner fills them: the text head reads the real file, the others are fakes
// that name the reader and the file.
TContentReaders FakeReaders() {
  TContentReaders r;
  r.TextHead = [](const std::string& path, size_t limit) {
    std::string data;
    (void)ReadDescriptionFile(path, limit, data);
    return data;
  };
  r.Html = [](const std::string& path) { return "  HTML  " + path.substr(path.rfind('/') + 1); };
  r.Version = [](const std::string&) -> std::string { throw std::runtime_error("broken"); };
  r.Mp3 = [](const std::string&) { return std::string(); };
  return r;
}

// A scan of the fixture tree into a disk store, entry by entry, as the scanner calls the import.
class TScanSim {
 public:
  explicit TScanSim(TQDBase& table) : rules_(table.RootNode()), readers_(FakeReaders()) {
    ctx.Rules = &rules_;
    ctx.Readers = &readers_;
    disk.ChildSetStr(0, 0, "Disk");
    disk.ChildSetInt(0, 1, 3);
  }

  // Adds a file to the folder under the cursor and imports its descriptions.
  void File(const std::string& folderPath, const std::string& name, TFolderDescLists& lists,
            const TNodeRec* oldFile = nullptr) {
    disk.EnterChild(disk.SlotCount());
    disk.SetStr(0, name);
    disk.SetInt(1, MakeItemFlags(kAttrArchive, ikFile));
    TNodeRec* node = disk.CurrentNode();
    Done += ImportFileDescriptions(disk, folderPath, oldFile, lists, ctx);
    EXPECT_EQ(disk.CurrentNode(), node);
    disk.Up();
  }

  // The fixture tree: a sub-folder with its own FILE_ID.DIZ, then the root's files in `order`.
  void ScanTree(const std::vector<std::string>& order) {
    TFolderDescLists rootLists;
    disk.EnterChild(disk.SlotCount());
    disk.ChildSetStr(0, 0, "Sub Folder");
    disk.ChildSetInt(0, 1, MakeItemFlags(kAttrDirectory, ikFolder));
    TFolderDescLists subLists;
    File(kTree + "Sub Folder/", "FILE_ID.DIZ", subLists);
    ApplyListDescriptions(disk, kTree + "Sub Folder/", subLists, ctx);
    disk.Up();
    for (const std::string& name : order) File(kTree, name, rootLists);
    TNodeRec* root = disk.CurrentNode();
    ApplyListDescriptions(disk, kTree, rootLists, ctx);
    EXPECT_EQ(disk.CurrentNode(), root);
  }

  // The description of the root item called `name` ("" for the disk header).
  std::string Desc(const std::string& name) {
    const TNodeRec* root = disk.RootNode();
    if (name.empty()) return std::string(NodeGetStr(NodeChild(root, 0), 8));
    for (int i = 1; i < root->SlotCount; ++i) {
      const TNodeRec* item = NodeChild(root, i);
      const TNodeRec* field = NodeChild(item, 0) ? NodeChild(item, 0) : item;
      if (NodeGetStr(field, 0) == name) return std::string(NodeGetStr(field, 8));
    }
    return "<missing>";
  }
  int32_t Tag(const std::string& name) {
    const TNodeRec* root = disk.RootNode();
    for (int i = 1; i < root->SlotCount; ++i) {
      const TNodeRec* item = NodeChild(root, i);
      const TNodeRec* field = NodeChild(item, 0) ? NodeChild(item, 0) : item;
      if (NodeGetStr(field, 0) == name) return item->NodeTag;
    }
    return -1;
  }

  TQDBase disk;
  TDescImportContext ctx;
  int Done = 0;

 private:
  TDescRuleSet rules_;
  TContentReaders readers_;
};

void DefaultTable(TQDBase& table) {
  TQDBase opt;
  InitDescriptionRules(opt);
  opt.EnterChild(kDescRulesSlot);
  table.Clear();
  table.AppendFrom(opt);
}

const std::vector<std::string> kRootFiles = {"DESCRIPT.ION",     "FILES.BBS", "FILE_ID.DIZ",
                                             "My Documents.txt", "notes.txt", "other.dat",
                                             "readme.txt",       "index.htm"};

}  // namespace

TEST(DescImport, DefaultOrderMergesByRankWhateverTheListingOrder) {
  TQDBase table;
  DefaultTable(table);
  std::vector<std::string> reversed(kRootFiles.rbegin(), kRootFiles.rend());
  for (const auto& order : {kRootFiles, reversed}) {
    TScanSim sim(table);
    sim.ScanTree(order);
    // Own content wins over list lines.
    EXPECT_EQ(sim.Desc("readme.txt"), "The head of readme.txt");
    EXPECT_EQ(sim.Tag("readme.txt"), 4 * 256);
    EXPECT_EQ(sim.Desc("index.htm"), "HTML index.htm");
    // An empty text file gives nothing of its own: the better list (FILES.BBS) wins.
    EXPECT_EQ(sim.Desc("notes.txt"), "Notes from files.bbs");
    EXPECT_EQ(sim.Desc("other.dat"), "From files.bbs");
    EXPECT_EQ(sim.Tag("notes.txt"), 0);  // list descriptions leave the tag alone
    // A short DOS name stands for the only entry that can have it.
    EXPECT_EQ(sim.Desc("My Documents.txt"), "Letters from DOS");
    // The folder's own FILE_ID.DIZ wins over its line in the parent's DESCRIPT.ION.
    EXPECT_EQ(sim.Desc("Sub Folder"), "Sub folder from its own FILE_ID.DIZ");
    EXPECT_EQ(sim.Tag("Sub Folder"), 11 * 256);
    // FILE_ID.DIZ at the top describes the disk, cleaned.
    EXPECT_EQ(sim.Desc(""), "TREE DEMO v1.0\r\nThe demo tree");
    EXPECT_EQ(sim.Done, 4);  // readme, index, two FILE_ID.DIZ
  }
}

TEST(DescImport, MovingTheListRuleAboveFileIdDizLetsTheListWin) {
  TQDBase table;
  DefaultTable(table);
  table.ExchangeSlots(11, 13);  // DESCRIPT.ION now before FILE_ID.DIZ
  TScanSim sim(table);
  sim.ScanTree(kRootFiles);
  EXPECT_EQ(sim.Desc("Sub Folder"), "The sub folder from descript.ion");
  EXPECT_EQ(sim.Desc("notes.txt"), "Notes from descript.ion");  // now ranked before FILES.BBS
}

TEST(DescImport, AnEarlierFolderSourceIsNeverReplacedByALaterOne) {
  TQDBase table;
  DefaultTable(table);
  // A worse-ranked folder rule for any .DIZ file.
  table.EnterChild(14);
  table.SetStr(rsName, "Other DIZ");
  table.SetInt(rsEnabled, 1);
  table.SetInt(rsTarget, dtFolder);
  table.SetInt(rsReader, drDIZ);
  table.ChildSetStr(rsMasks, 0, "*.DIZ");
  table.GoToDepth(0);
  for (bool dizFirst : {true, false}) {
    TScanSim sim(table);
    TFolderDescLists lists;
    if (dizFirst) {
      sim.File(kTree, "FILE_ID.DIZ", lists);
      sim.File(kTree + "Sub Folder/", "FILE_ID.DIZ", lists);  // also *.DIZ, same folder node
    } else {
      sim.File(kTree + "Sub Folder/", "FILE_ID.DIZ", lists);
      sim.File(kTree, "FILE_ID.DIZ", lists);
    }
    // Both files rank 11 * 256 by the first mask: the first one processed keeps the folder.
    EXPECT_EQ(sim.Desc(""),
              dizFirst ? "TREE DEMO v1.0\r\nThe demo tree" : "Sub folder from its own FILE_ID.DIZ");
    EXPECT_EQ(sim.disk.RootNode()->NodeTag, 11 * 256);
  }
  // A file only the worse rule matches is taken first, then the better rule replaces it.
  std::string tmp = std::filesystem::temp_directory_path().string() + "/descimport_other.diz";
  ASSERT_EQ(WriteWholeFileAtomic(tmp, "from other.diz").Message(), "");
  TScanSim sim(table);
  TFolderDescLists lists;
  std::string dir = tmp.substr(0, tmp.rfind('/') + 1);
  sim.File(dir, "descimport_other.diz", lists);
  EXPECT_EQ(sim.Desc(""), "from other.diz");
  EXPECT_EQ(sim.disk.RootNode()->NodeTag, 14 * 256);
  sim.File(kTree, "FILE_ID.DIZ", lists);
  EXPECT_EQ(sim.Desc(""), "TREE DEMO v1.0\r\nThe demo tree");
  sim.File(dir, "descimport_other.diz", lists);  // worse again: dropped
  EXPECT_EQ(sim.Desc(""), "TREE DEMO v1.0\r\nThe demo tree");
  EXPECT_EQ(sim.Done, 2);
  std::filesystem::remove(tmp);
}

TEST(DescImport, FailingReadersAndSwitchedOffImport) {
  TQDBase table;
  DefaultTable(table);
  {
    TScanSim sim(table);
    TFolderDescLists lists;
    sim.File(kTree, "setup.exe", lists);    // the version reader throws
    sim.File(kTree, "song.mp3", lists);     // finds nothing
    sim.File(kTree, "image.png", lists);    // no reader given
    sim.File(kTree, "missing.txt", lists);  // cannot be opened
    EXPECT_EQ(sim.Desc("setup.exe"), "");
    EXPECT_EQ(sim.Desc("missing.txt"), "");
    EXPECT_EQ(sim.Done, 0);
  }
  {
    TScanSim sim(table);
    sim.ctx.ImportDescriptions = false;
    sim.ScanTree(kRootFiles);
    EXPECT_EQ(sim.Desc("readme.txt"), "");
    EXPECT_EQ(sim.Desc("other.dat"), "");
    EXPECT_EQ(sim.Desc("Sub Folder"), "");
    EXPECT_EQ(sim.Done, 0);
  }
  for (int k = 1; k <= 13; ++k) table.ChildSetInt(k, rsEnabled, 0);
  TScanSim sim(table);
  sim.ScanTree(kRootFiles);
  EXPECT_EQ(sim.Desc("readme.txt"), "");
  EXPECT_EQ(sim.Desc(""), "");
}

TEST(DescImport, TextHeadsHonourTheOemFlagAndTheLimit) {
  TQDBase table;
  DefaultTable(table);
  table.ChildSetInt(4, rsOemToAnsi, 1);
  table.ChildSetInt(0, doMaxDescKB, 1);
  std::string dir = std::filesystem::temp_directory_path().string() + "/";
  ASSERT_EQ(WriteWholeFileAtomic(dir + "descimport_oem.txt",
                                 "Gr\x81\xE1"
                                 "e\r\n" +
                                     std::string(3000, 'y'))
                .Message(),
            "");
  TScanSim sim(table);
  TFolderDescLists lists;
  std::string name = "descimport_oem.txt";
  sim.File(dir, name, lists);
  std::string d = sim.Desc(name);
  EXPECT_EQ(d.substr(0, 9), "Grüße\r\n");
  EXPECT_EQ(d.size(), 1024u);  // 1024 bytes read, two bytes longer converted, cut again
  std::filesystem::remove(dir + name);
}

TEST(DescImport, UpdateModes) {
  TQDBase table;
  DefaultTable(table);
  // The old disk: a folder with a description holding a described file and a bare one.
  TQDBase old;
  old.ChildSetStr(0, 8, "old folder text");
  old.EnterChild(1);
  old.SetStr(0, "readme.txt");
  old.SetStr(8, "old readme text");
  const TNodeRec* oldReadme = old.CurrentNode();
  old.GoToDepth(0);
  old.EnterChild(2);
  old.SetStr(0, "other.dat");
  const TNodeRec* oldOther = old.CurrentNode();

  for (int mode : {0, 1, 2, 3}) {
    TScanSim sim(table);
    sim.ctx.UpdateMode = true;
    sim.ctx.UpdateDescMode = UpdateDescModeFromSetting(mode);
    TFolderDescLists lists;
    sim.File(kTree, "readme.txt", lists, oldReadme);
    sim.File(kTree, "other.dat", lists, oldOther);
    sim.File(kTree, "FILES.BBS", lists);
    sim.File(kTree, "FILE_ID.DIZ", lists, oldOther);  // its old folder has a description
    ApplyListDescriptions(sim.disk, kTree, lists, sim.ctx);
    SCOPED_TRACE(mode);
    if (mode <= 1) {  // keep: nothing replaces a carried-over description
      EXPECT_EQ(sim.Desc("readme.txt"), "old readme text");
      EXPECT_EQ(sim.Desc(""), "");  // the folder text is the update rules' business
    } else {
      EXPECT_EQ(sim.Desc("readme.txt"), "The head of readme.txt");
      EXPECT_EQ(sim.Desc(""), "TREE DEMO v1.0\r\nThe demo tree");
    }
    EXPECT_EQ(sim.Desc("other.dat"), "From files.bbs");  // old one empty: the list fills it
  }
  // Keep mode: a carried-over text stands against a list line; replace mode takes the line.
  for (int mode : {1, 2}) {
    old.SetStr(8, "old other text");
    TScanSim sim(table);
    sim.ctx.UpdateMode = true;
    sim.ctx.UpdateDescMode = UpdateDescModeFromSetting(mode);
    TFolderDescLists lists;
    sim.File(kTree, "other.dat", lists, oldOther);
    sim.File(kTree, "FILES.BBS", lists);
    ApplyListDescriptions(sim.disk, kTree, lists, sim.ctx);
    EXPECT_EQ(sim.Desc("other.dat"), mode == 1 ? "old other text" : "From files.bbs");
  }
}

TEST(DescShortName, FindsTheEntryAShortNameStandsFor) {
  std::vector<std::string_view> names = {"My Documents.txt", "Mydocs.txt",      "Program Files",
                                         "Programme.old",    "Report 1999.doc", "Report 2000.doc",
                                         "Tilde~name.txt",   "über alles.txt"};
  EXPECT_EQ(FindShortNameEntry("MYDOCU~1.TXT", names, ""), 0);  // "Mydocs.txt" is a DOS name
  EXPECT_EQ(FindShortNameEntry("PROGRA~1", names, ""), 2);
  EXPECT_EQ(FindShortNameEntry("PROGRA~2.OLD", names, ""), 3);
  EXPECT_EQ(FindShortNameEntry("REPORT~1.DOC", names, ""), -1);   // two candidates
  EXPECT_EQ(FindShortNameEntry("TILDE~NAME.TXT", names, ""), 6);  // the name itself
  EXPECT_EQ(FindShortNameEntry("_BERAL~1.TXT", names, ""), 7);
  EXPECT_EQ(FindShortNameEntry("NOSUCH~1.TXT", names, ""), -1);
  EXPECT_EQ(FindShortNameEntry("MYDOCU~X.TXT", names, ""), -1);  // not a short name
  EXPECT_TRUE(IsDosName("readme.txt"));
  EXPECT_TRUE(IsDosName("PROGRA~1"));
  EXPECT_FALSE(IsDosName("readme.text"));
  EXPECT_FALSE(IsDosName("a b.txt"));
  EXPECT_FALSE(IsDosName("a.b.c"));
  EXPECT_FALSE(IsDosName(".profile"));
}

// A fresh folder `name` under the temporary folder with "Report 1999.doc" and "Report 2000.doc",
// the second also under the alias "REPORT~2.DOC" (a hard link), as a file system that resolves
// short names shows them; empty when it cannot be made.
static std::string ShortNameFolder(const std::string& name) {
  std::string dir = std::filesystem::temp_directory_path().string() + "/" + name + "/";
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  if (WriteWholeFileAtomic(dir + "Report 1999.doc", "x").Failed() ||
      WriteWholeFileAtomic(dir + "Report 2000.doc", "y").Failed() ||
      ::link((dir + "Report 2000.doc").c_str(), (dir + "REPORT~2.DOC").c_str()) != 0)
    return {};
  return dir;
}

TEST(DescShortName, AsksTheFileSystemFirst) {
  // A file system that resolves aliases is imitated by a hard link under the short name.
  std::string dir = ShortNameFolder("descshort");
  ASSERT_FALSE(dir.empty());
  std::vector<std::string_view> names = {"Report 1999.doc", "Report 2000.doc"};
  EXPECT_EQ(FindShortNameEntry("REPORT~2.DOC", names, dir), 1);
  EXPECT_EQ(FindShortNameEntry("REPORT~1.DOC", names, dir), -1);
  std::filesystem::remove_all(dir);
}

// The scanner asks through the folder's descriptor, so a folder deeper than a path can name is
// asked too.
TEST(DescShortName, AsksTheFolderOpenAsADescriptor) {
  std::string dir = ShortNameFolder("descshortfd");
  ASSERT_FALSE(dir.empty());
  std::vector<std::string_view> names = {"Report 1999.doc", "Report 2000.doc"};
  int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  ASSERT_GE(fd, 0);
  EXPECT_EQ(FindShortNameEntryAt("REPORT~2.DOC", names, fd, ""), 1);
  EXPECT_EQ(FindShortNameEntryAt("REPORT~2.DOC", names, -1, ""), -1);  // step 2 skipped
  ::close(fd);
  std::filesystem::remove_all(dir);
}

// Mended: a UTF-8 text cut at the head limit kept half a character (invalid UTF-8 in the
// catalog); the head now ends at the last whole character. Legacy-code-page bytes stay as read.
TEST(DescImport, TextHeadCutKeepsWholeUtf8Characters) {
  TQDBase table;
  DefaultTable(table);
  table.ChildSetInt(0, doMaxDescKB, 1);
  std::string dir = std::filesystem::temp_directory_path().string() + "/";
  const std::string utf8 = std::string(1023, 'a') + "\xC3\xA9" + "tail";    // é across the cut
  const std::string legacy = std::string(1023, 'b') + "\xE9\xE9" + "tail";  // not UTF-8
  ASSERT_EQ(WriteWholeFileAtomic(dir + "descimport_utf8.txt", utf8).Message(), "");
  ASSERT_EQ(WriteWholeFileAtomic(dir + "descimport_legacy.txt", legacy).Message(), "");
  TScanSim sim(table);
  TFolderDescLists lists;
  sim.File(dir, "descimport_utf8.txt", lists);
  sim.File(dir, "descimport_legacy.txt", lists);
  EXPECT_EQ(sim.Desc("descimport_utf8.txt"), std::string(1023, 'a'));
  EXPECT_EQ(sim.Desc("descimport_legacy.txt"), legacy.substr(0, 1024));
  std::filesystem::remove(dir + "descimport_utf8.txt");
  std::filesystem::remove(dir + "descimport_legacy.txt");
}

// A photo rule refines the size an image rule gave: the camera and date join it, the rank stays.
TEST(DescImport, APhotoRuleRefinesAnImageSize) {
  TContentReaders readers;
  int jpegCalls = 0;
  readers.Jpeg = [&jpegCalls](const std::string& path) {
    ++jpegCalls;
    return path.find("progressive") != std::string::npos ? std::string() : "64 x 48 x 24 bits";
  };
  readers.Photo = [](const std::string& path) {
    return path.find("plain") != std::string::npos ? std::string()
                                                   : "Canon EOS 80D\r\n64 x 48 x 24 bits";
  };
  auto import = [&readers](TQDBase& table, const std::string& name, int32_t* tag = nullptr) {
    TDescRuleSet rules(table.RootNode());
    TDescImportContext ctx;
    ctx.Rules = &rules;
    ctx.Readers = &readers;
    TQDBase disk;
    disk.EnterChild(1);
    disk.SetStr(0, name);
    TFolderDescLists lists;
    ImportFileDescriptions(disk, "/m/", nullptr, lists, ctx);
    if (tag) *tag = disk.CurrentNode()->NodeTag;
    return std::string(disk.GetStr(8));
  };
  TQDBase table;
  DefaultTable(table);
  int32_t tag = 0;
  EXPECT_EQ(import(table, "photo.jpg", &tag), "Canon EOS 80D\r\n64 x 48 x 24 bits");
  EXPECT_EQ(tag, drJPG * 256);
  EXPECT_EQ(import(table, "plain.jpg"), "64 x 48 x 24 bits");
  EXPECT_EQ(import(table, "progressive.jpg", &tag), "Canon EOS 80D\r\n64 x 48 x 24 bits");
  EXPECT_EQ(tag, drPhoto * 256);
  // Disabled, the photo rule adds nothing; moved first, it serves the file alone.
  table.EnterChild(drPhoto);
  table.SetInt(rsEnabled, 0);
  table.Up();
  EXPECT_EQ(import(table, "photo.jpg"), "64 x 48 x 24 bits");
  table.EnterChild(drPhoto);
  table.SetInt(rsEnabled, 1);
  table.Up();
  table.ExchangeSlots(drJPG, drPhoto);
  jpegCalls = 0;
  EXPECT_EQ(import(table, "photo.jpg"), "Canon EOS 80D\r\n64 x 48 x 24 bits");
  EXPECT_EQ(jpegCalls, 0);
}
