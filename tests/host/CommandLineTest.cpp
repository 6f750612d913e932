#include <gtest/gtest.h>

#include "app/Appl_Globals.h"
#include "lib/LIB_Errors.h"
#include "lib/LIB_Random.h"

namespace {

struct Case {
  const char* what;
  std::vector<std::string> args;
  bool autoUpdate;
  std::string dir;
};

TEST(CommandLine, Table) {
  const Case cases[] = {
      {"keyword in capitals, folder case kept, backslash added", {"/AUTOUPDATE", "C:\\Apps\\Client"}, true, "C:\\Apps\\Client\\"},
      {"mixed case keyword, backslash already there", {"/AutoUpdate", "D:\\Korvane\\"}, true, "D:\\Korvane\\"},
      {"keyword alone", {"/autoupdate"}, false, ""},
      {"keyword alone with trailing blanks", {"/autoupdate   "}, false, ""},
      {"keyword not at the start", {"-x", "/autoupdate", "C:\\A"}, false, ""},
      {"quoted folder keeps its blanks", {"/autoupdate", "C:\\Program Files\\Korvane P2P"}, true, "C:\\Program Files\\Korvane P2P\\"},
      {"unquoted parts joined by one blank", {"/autoupdate", "C:\\My", "Folder"}, true, "C:\\My Folder\\"},
      {"blanks inside one argument after the keyword trimmed", {"/autoupdate    C:\\X  "}, true, "C:\\X\\"},
      {"no arguments", {}, false, ""},
      {"other words", {"hello", "world"}, false, ""},
  };
  for (const auto& c : cases) {
    const TCommandLine cl = ParseCommandLine(c.args);
    EXPECT_EQ(cl.AutoUpdate, c.autoUpdate) << c.what;
    EXPECT_EQ(cl.InstallDir, c.dir) << c.what;
  }
}

TEST(CommandLine, ApplyLeavesStateAloneWithoutKeyword) {
  ResetGlobals();
  ApplyCommandLine({"/autoupdate"});
  EXPECT_FALSE(GAutoUpdate);
  EXPECT_EQ(GInstallDir, "");
  ApplyCommandLine({"/autoupdate", "E:\\K"});
  EXPECT_TRUE(GAutoUpdate);
  EXPECT_EQ(GInstallDir, "E:\\K\\");
  ResetGlobals();
}

TEST(Globals, InitialChoices) {
  ResetGlobals();
  EXPECT_EQ(GConnectionType, 8);
  EXPECT_TRUE(GInstallToolbar);
  EXPECT_FALSE(GDesktopShortcut);
  EXPECT_EQ(GInstallerTag, "XX");
}

TEST(IOError, Texts) {
  EXPECT_STREQ(EInOutError(2).what(), "File not found");
  EXPECT_STREQ(EInOutError(101).what(), "Disk full");
  EXPECT_STREQ(EInOutError(112).what(), "I/O error 112");
  EXPECT_EQ(EInOutError(5).ErrorCode, 5);
}

TEST(Random, SameSequenceAfterResetAndInRange) {
  ResetRandom();
  std::vector<int> first;
  for (int i = 0; i < 50; ++i) first.push_back(Random(254));
  ResetRandom();
  for (int i = 0; i < 50; ++i) EXPECT_EQ(Random(254), first[i]);
  int seen[7] = {};
  for (int i = 0; i < 7000; ++i) {
    const int r = Random(7);
    ASSERT_GE(r, 0);
    ASSERT_LT(r, 7);
    ++seen[r];
  }
  for (int n : seen) EXPECT_GT(n, 800);
  ResetRandom();
}

}  // namespace
