// SPDX-License-Identifier: MIT
// What every command does with wrong arguments, a missing catalog file and a damaged one: the
// usage or a clear reason on stderr, nothing on stdout, a non-zero exit, and no file written or
// changed. The tables name every command of the command list, so a new command needs its cases.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "cli/CliTestUtil.h"

namespace fs = std::filesystem;

namespace {

using TArgs = std::vector<std::string>;

// The command names of `tolvane-cli --help`.
std::vector<std::string> ListedCommands() {
  TCliResult help = RunCli({"--help"});
  EXPECT_EQ(help.Status, 0);
  std::vector<std::string> names;
  bool inList = false;
  for (const std::string& line : Lines(help.Out)) {
    if (line == "Commands:") {
      inList = true;
    } else if (inList && line.size() > 2 && line[0] == ' ') {
      names.push_back(line.substr(2, line.find(' ', 2) - 2));
    } else if (inList && !names.empty()) {
      break;
    }
  }
  return names;
}

// `args` with "{C}" replaced by `catalog`, "{M}" by `medium` and "{D}" by `dest`.
TArgs Fill(TArgs args, const std::string& catalog, const std::string& medium,
           const std::string& dest) {
  for (std::string& a : args) {
    if (a == "{C}") a = catalog;
    if (a == "{M}") a = medium;
    if (a == "{D}") a = dest;
  }
  return args;
}

// One call of each command that reads or changes catalog {C}.
const std::map<std::string, TArgs>& CatalogCalls() {
  static const std::map<std::string, TArgs> calls{
      {"add", {"add", "{C}", "{M}", "--quiet"}},
      {"cp", {"cp", "{C}", "Disk1", "{D}", "--quiet"}},
      {"find", {"find", "{C}", ""}},
      {"info", {"info", "{C}"}},
      {"ls", {"ls", "{C}", "-R", "--tsv"}},
      {"mkgroup", {"mkgroup", "{C}", "", "G"}},
      {"mv", {"mv", "{C}", "Disk1", "{C}", ""}},
      {"rename", {"rename", "{C}", "Disk1", "D"}},
      {"report", {"report", "{C}", "--format", "txt", "-o", "{D}/r.txt"}},
      {"rm", {"rm", "{C}", "Disk1"}},
      {"set-category", {"set-category", "{C}", "Disk1", "Music"}},
      {"set-desc", {"set-desc", "{C}", "Disk1", "text"}},
      {"sort", {"sort", "{C}"}},
      {"update", {"update", "{C}", "Disk1", "{M}", "--quiet"}},
  };
  return calls;
}

class CliErrorsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    c_ = MakeSmallCatalog("cli-errors");
    dest_ = c_.Dir + "/dest";
    fs::create_directories(dest_);
    good_ = ReadWhole(c_.Catalog);
  }

  // Runs `args`, expecting exit status `status`, nothing on stdout unless `out` is given, and
  // the folder and the catalog as they were, but for `allowedNew`.
  TCliResult RunChangingNothing(const TArgs& args, int status,
                                const std::set<std::string>& allowedNew = {},
                                const std::string& out = "") {
    auto entries = [&] {
      std::vector<std::string> names;
      for (const std::string& name : FolderEntries(c_.Dir))
        if (!allowedNew.count(name)) names.push_back(name);
      return names;
    };
    std::vector<std::string> before = entries();
    TCliResult r = RunCli(args);
    EXPECT_EQ(r.Status, status) << args[0] << ": " << r.Err;
    EXPECT_EQ(r.Out, out) << args[0];
    EXPECT_EQ(ReadWhole(c_.Catalog), good_) << args[0];
    EXPECT_TRUE(fs::is_empty(dest_)) << args[0];
    EXPECT_EQ(entries(), before) << args[0];
    return r;
  }

  TSmallCatalog c_;
  std::string dest_, good_;
};

TEST_F(CliErrorsTest, WrongArgumentsGiveTheUsage) {
  const std::map<std::string, TArgs> wrong{
      {"add", {"{C}"}},
      {"check", {}},
      {"cp", {"{C}", "Disk1"}},
      {"dump", {"{C}", "{C}"}},
      {"find", {"{C}"}},
      {"info", {}},
      {"ls", {"{C}", "Disk1", "sub"}},
      {"mkgroup", {"{C}", ""}},
      {"mv", {"{C}", "Disk1", "{C}"}},
      {"new", {"{C}", "--name"}},
      {"rename", {"{C}", "Disk1"}},
      {"report", {"{C}", "--format", "pdf", "-o", "{D}/r.pdf"}},
      {"rm", {"{C}"}},
      {"set-category", {"{C}", "Disk1", "Music", "--bogus"}},
      {"set-desc", {"{C}", "Disk1"}},
      {"sort", {"{C}", "Disk1", "sub"}},
      {"update", {"{C}", "Disk1"}},
  };
  for (const std::string& name : ListedCommands()) {
    auto it = wrong.find(name);
    ASSERT_NE(it, wrong.end()) << "no usage case for command " << name;
    // The usage of `help COMMAND` (all but its summary line), at the end of stderr.
    std::string help = RunCli({"help", name}).Out;
    help.resize(help.rfind('\n', help.size() - 2) + 1);
    ASSERT_EQ(help.rfind("Usage: tolvane-cli " + name, 0), 0u) << help;
    TArgs args{name};
    for (const std::string& a : Fill(it->second, c_.Catalog, c_.Medium, dest_)) args.push_back(a);
    TCliResult r = RunChangingNothing(args, 2, {"c.ctl.lock"});
    ASSERT_GE(r.Err.size(), help.size()) << name << ": " << r.Err;
    EXPECT_EQ(r.Err.substr(r.Err.size() - help.size()), help) << name;
  }
  // Option errors say which option before the usage.
  EXPECT_EQ(RunCli({"set-category", c_.Catalog, "Disk1", "Music", "--bogus"})
                .Err.rfind("tolvane-cli set-category: unknown option --bogus\nUsage: ", 0),
            0u);
  EXPECT_EQ(RunCli({"new", c_.Dir + "/n.ctl", "--name"})
                .Err.rfind("tolvane-cli new: option --name needs a value\nUsage: ", 0),
            0u);
  EXPECT_FALSE(fs::exists(c_.Dir + "/n.ctl"));

  // Unknown commands.
  TCliResult unknown = RunChangingNothing({"frobnicate", c_.Catalog}, 2);
  EXPECT_EQ(unknown.Err.rfind("tolvane-cli: unknown command 'frobnicate'\n\nUsage: ", 0), 0u)
      << unknown.Err;
  TCliResult help = RunChangingNothing({"help", "frobnicate"}, 2);
  EXPECT_EQ(help.Err, "tolvane-cli: unknown command 'frobnicate'\n");
  EXPECT_EQ(RunCli({}).Status, 2);
}

TEST_F(CliErrorsTest, CommandListIsAligned) {
  TCliResult help = RunCli({"help"});
  EXPECT_EQ(help.Status, 0);
  std::set<size_t> summaryColumns;
  for (const std::string& line : Lines(help.Out)) {
    if (line.size() < 3 || line.rfind("  ", 0) != 0) continue;
    size_t nameEnd = line.find(' ', 2);
    summaryColumns.insert(line.find_first_not_of(' ', nameEnd));
  }
  EXPECT_EQ(summaryColumns.size(), 1u) << help.Out;
  EXPECT_EQ(ListedCommands().size(), 17u) << help.Out;
}

TEST_F(CliErrorsTest, MissingCatalogIsNamedAndNothingIsWritten) {
  const std::string missing = c_.Dir + "/missing.ctl";
  for (const std::string& name : ListedCommands()) {
    if (name == "new" || name == "add") continue;  // these make the file (CliList, CliScan)
    SCOPED_TRACE(name);
    if (name == "dump" || name == "check") {
      TCliResult r = RunChangingNothing(
          {name, missing}, 1, {},
          name == "check" ? missing + ": invalid: No such file or directory\n" : "");
      if (name == "dump") {
        EXPECT_EQ(r.Err, missing + ": not a valid image: No such file or directory\n");
      }
      continue;
    }
    auto it = CatalogCalls().find(name);
    ASSERT_NE(it, CatalogCalls().end()) << "no catalog case for command " << name;
    TCliResult r = RunChangingNothing(Fill(it->second, missing, c_.Medium, dest_), 1);
    EXPECT_EQ(r.Err, "The catalog file \"" + missing + "\" does not exist.\n");
  }
  // A missing second catalog of mv and find.
  TCliResult mv = RunChangingNothing({"mv", c_.Catalog, "Disk1", missing, ""}, 1, {"c.ctl.lock"});
  EXPECT_EQ(mv.Err, "The catalog file \"" + missing + "\" does not exist.\n");
  TCliResult find = RunChangingNothing({"find", c_.Catalog, missing, ""}, 1);
  EXPECT_EQ(find.Err, "The catalog file \"" + missing + "\" does not exist.\n");
}

TEST_F(CliErrorsTest, DamagedCatalogIsRefusedAndLeftAlone) {
  // One byte changed in the middle of the image: the checksum no longer matches.
  const std::string bad = c_.Dir + "/bad.ctl";
  std::string image = good_;
  image[image.size() / 2] ^= 0x55;
  std::ofstream(bad, std::ios::binary) << image;
  const std::set<std::string> lock{"bad.ctl.lock"};
  for (const std::string& name : ListedCommands()) {
    SCOPED_TRACE(name);
    if (name == "dump") {
      TCliResult r = RunChangingNothing({name, bad}, 1, lock);
      EXPECT_EQ(r.Err.rfind(bad + ": not a valid image: checksum mismatch", 0), 0u) << r.Err;
    } else if (name == "check") {
      TCliResult r = RunCli({name, bad});
      EXPECT_EQ(r.Status, 1);
      EXPECT_EQ(r.Out.rfind(bad + ": invalid: checksum mismatch", 0), 0u) << r.Out;
    } else if (name == "new") {
      TCliResult r = RunChangingNothing({name, bad}, 1, lock);
      EXPECT_EQ(r.Err, "tolvane-cli new: " + bad + " exists already\n");
    } else {
      auto it = CatalogCalls().find(name);
      ASSERT_NE(it, CatalogCalls().end()) << "no catalog case for command " << name;
      TCliResult r = RunChangingNothing(Fill(it->second, bad, c_.Medium, dest_), 1, lock);
      EXPECT_EQ(r.Err, "\"" + bad + "\" is not a valid Tolvane catalog.\n");
    }
    EXPECT_EQ(ReadWhole(bad), image);
  }
  // An empty file and a text file are no catalogs either.
  std::ofstream(c_.Dir + "/empty.ctl").flush();
  std::ofstream(c_.Dir + "/text.ctl") << "Disk1\tDisk\t15\n";
  for (const char* file : {"/empty.ctl", "/text.ctl"}) {
    for (const TArgs& args : {TArgs{"ls", c_.Dir + file}, TArgs{"rm", c_.Dir + file, "Disk1"}}) {
      TCliResult r = RunCli(args);
      EXPECT_EQ(r.Status, 1) << file;
      EXPECT_EQ(r.Out, "") << file;
      EXPECT_EQ(r.Err, "\"" + c_.Dir + file + "\" is not a valid Tolvane catalog.\n") << r.Err;
    }
  }
  EXPECT_EQ(ReadWhole(c_.Dir + "/text.ctl"), "Disk1\tDisk\t15\n");
  EXPECT_EQ(fs::file_size(c_.Dir + "/empty.ctl"), 0u);
}

}  // namespace

namespace {

TEST(CliOutputTest, OutputThatCannotBeWrittenFailsTheRun) {
  if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  TSmallCatalog c = MakeSmallCatalog("cli-output");
  TCliRunOptions full;
  full.OutputFile = "/dev/full";
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {"ls", c.Catalog, "-R", "--tsv"},
           {"find", c.Catalog, ""},
           {"info", c.Catalog},
           {"dump", c.Catalog},
           {"check", c.Catalog},
           {"help", "ls"},
       }) {
    TCliResult r = RunCli(args, full);
    EXPECT_EQ(r.Status, 1) << args[0];
    EXPECT_EQ(r.Err,
              "tolvane-cli " + args[0] + ": cannot write the output: No space left on device\n");
  }
  // A command that prints nothing succeeds all the same.
  EXPECT_EQ(RunCli({"set-desc", c.Catalog, "Disk1", "d"}, full).Status, 0);
}

}  // namespace
