// SPDX-License-Identifier: MIT
// Running and showing items: the command handed to the GUI, missing files and folders,
// files inside archives extracted into Tolvane's own temporary folder, the alternative shell.
#include "archive/ArchiveTestUtil.h"
#include "fileops/FileOpsTestUtil.h"

namespace {

class RunItemTest : public TFileOpsFixture {
 protected:
  void SetUp() override {
    TFileOpsFixture::SetUp();
    M = AddMedium("m", dtCdRom, "RUN", "1234-5678");
    WriteFile(M + "/docs/readme.txt", "read me");
    fs::copy_file(Fixture("sample.zip"), M + "/docs/sample.zip");
    Disk = AddDisk(Bd, "Run", dtCdRom, "RUN", "1234-5678");
    Docs = AddFolderIn(Bd, Disk, "docs");
    Zip = AddFolderIn(Bd, Docs, "sample.zip", MakeItemFlags(0, ikFolder, ifArchive), 745);
    TNodeRec* a = AddFolderIn(Bd, Zip, "a", MakeItemFlags(0, ikFolder, ifInArchive), 12);
    TNodeRec* b = AddFolderIn(Bd, a, "b", MakeItemFlags(0, ikFolder, ifInArchive), 12);
    Inner = AddFileIn(Bd, b, "c.txt", 12, MakeItemFlags(0, ikFile, ifInArchive));
    Readme = AddFileIn(Bd, Docs, "readme.txt", 7);
    Gone = AddFileIn(Bd, Docs, "gone.txt", 1);
    GoneFolder = AddFolderIn(Bd, Disk, "gone");
  }
  std::string M;
  TNodeRec *Disk, *Docs, *Zip, *Inner, *Readme, *Gone, *GoneFolder;
};

TEST_F(RunItemTest, RunAndShowPlainItems) {
  TShellAction a = Engine.RunOrExplore(Readme, false);
  EXPECT_EQ(a.Kind, TShellActionKind::Open);
  EXPECT_EQ(a.Path, M + "/docs/readme.txt");
  EXPECT_EQ(a.Folder, M + "/docs");

  a = Engine.RunOrExplore(Docs, true);
  EXPECT_EQ(a.Kind, TShellActionKind::ShowInFolder);
  EXPECT_EQ(a.Path, M + "/docs");
  a = Engine.RunOrExplore(Disk, true);
  EXPECT_EQ(a.Path, M);

  EXPECT_EQ(Engine.RunOrExplore(Gone, false).Kind, TShellActionKind::None);
  EXPECT_EQ(Engine.RunOrExplore(GoneFolder, true).Kind, TShellActionKind::None);
  EXPECT_EQ(Ui.Messages, (std::vector<std::pair<int, std::string>>{{10002, M + "/docs/gone.txt"},
                                                                   {10003, M + "/gone"}}));

  // The alternative shell: the template split into program and arguments; the path stays one
  // argument whatever it holds.
  Engine.Settings.AlternativeShell = true;
  Engine.Settings.ShellTemplate = "/bin/sh -c 'echo'";
  a = Engine.RunOrExplore(Readme, true);
  ASSERT_EQ(a.Kind, TShellActionKind::RunProgram);
  EXPECT_EQ(a.Command.Program, "/bin/sh");
  ASSERT_FALSE(a.Command.Arguments.empty());
  EXPECT_EQ(a.Command.Arguments.back(), M + "/docs/readme.txt");
  Engine.Settings.ShellTemplate = "no-such-file-manager-here %2";
  Ui.Messages.clear();
  EXPECT_EQ(Engine.RunOrExplore(Readme, true).Kind, TShellActionKind::None);
  ASSERT_EQ(Ui.Messages.size(), 1u);
  EXPECT_EQ(Ui.Messages[0].first, 10174);

  // A missing medium is asked for without Skip; Cancel ends the command.
  Volumes.clear();
  Ui.InsertAnswers = {kInsertCancel};
  EXPECT_EQ(Engine.RunOrExplore(Readme, false).Kind, TShellActionKind::None);
  ASSERT_EQ(Ui.InsertSkipOffered.size(), 1u);
  EXPECT_FALSE(Ui.InsertSkipOffered[0]);
}

TEST_F(RunItemTest, FilesInsideArchivesRunFromTheTemporaryFolder) {
  // Showing an archive entry, or running a folder inside an archive, does nothing.
  EXPECT_EQ(Engine.RunOrExplore(Inner, true).Kind, TShellActionKind::None);
  EXPECT_EQ(Engine.RunOrExplore(Inner->Parent, false).Kind, TShellActionKind::None);
  EXPECT_TRUE(Temp.Empty());

  TShellAction a = Engine.RunOrExplore(Inner, false);
  ASSERT_EQ(a.Kind, TShellActionKind::Open);
  EXPECT_EQ(a.Path, Temp.Folder() + "/c.txt");  // without the archive's folders
  EXPECT_EQ(ReadFile(a.Path), "deep file c\n");
  EXPECT_EQ(Temp.Files(), std::vector<std::string>{a.Path});
  EXPECT_EQ(fs::path(Temp.Folder()).parent_path(),
            fs::path(Dir).parent_path() / TestScratchName("tmp"));

  // ExtractForRun: a missing medium leaves the path as it was; a vanished entry empties it.
  std::string path = "unchanged";
  Volumes.clear();
  Ui.InsertAnswers = {kInsertCancel};
  EXPECT_EQ(Engine.ExtractForRun(Inner, path), 1);
  EXPECT_EQ(path, "unchanged");
  Volumes.push_back(FakeVolume(M, dtCdRom, "RUN", "1234-5678"));
  TNodeRec* vanished = AddFileIn(Bd, Zip, "vanished.txt", 3, MakeItemFlags(0, ikFile, ifInArchive));
  EXPECT_LT(Engine.ExtractForRun(vanished, path), 0);
  EXPECT_EQ(path, "");
  Ui.Messages.clear();
  EXPECT_EQ(Engine.RunOrExplore(vanished, false).Kind, TShellActionKind::None);
  ASSERT_EQ(Ui.Messages.size(), 1u);
  EXPECT_EQ(Ui.Messages[0].first, 10004);

  // At exit the files and the folder go.
  std::string folder = Temp.Folder();
  Temp.DeleteAll();
  EXPECT_FALSE(PathExists(folder));
  EXPECT_TRUE(Temp.Empty());
}

}  // namespace
