#include <gtest/gtest.h>

#include "lib/LIB_CommandLine.h"
#include "lib/LIB_Errors.h"
#include "lib/LIB_Random.h"

namespace {

TEST(CommandLine, SplitRemovesQuotesAndEscapesNothing) {
  const struct {
    const char* text;
    std::vector<std::string> args;
  } cases[] = {
      {"", {}},
      {"  a   b\tc ", {"a", "b", "c"}},
      {"\"C:\\Program Files\\Korvane P2P\\\"", {"C:\\Program Files\\Korvane P2P\\"}},  // no stray quote
      {"/LOG=\"C:\\my logs\\a.log\" x", {"/LOG=C:\\my logs\\a.log", "x"}},
      {"a\"\"b \"\"", {"ab", ""}},
  };
  for (const auto& c : cases) EXPECT_EQ(SplitCommandLine(c.text), c.args) << c.text;
  EXPECT_EQ(ArgumentsText("\"C:\\Program Files\\Install_Korvane.exe\" /S /D=C:\\A B"), " /S /D=C:\\A B");
  EXPECT_EQ(ArgumentsText("Install_Korvane.exe"), "");
}

TEST(CommandLine, SelfUpdate) {
  const struct {
    const char* what;
    const char* text;
    bool autoUpdate;
    std::string dir;
  } cases[] = {
      {"keyword in capitals, folder case kept, backslash added", "/AUTOUPDATE C:\\Apps\\Client", true, "C:\\Apps\\Client\\"},
      {"mixed case keyword, backslash already there", "/AutoUpdate D:\\Korvane\\", true, "D:\\Korvane\\"},
      {"keyword alone", "/autoupdate", false, ""},
      {"keyword alone with trailing blanks", "\"/autoupdate   \"", false, ""},
      {"keyword not at the start", "-x /autoupdate C:\\A", false, ""},
      {"quoted folder keeps its blanks", "/autoupdate \"C:\\Program Files\\Korvane P2P\"", true, "C:\\Program Files\\Korvane P2P\\"},
      {"quoted folder with its backslash, as the client names itself", "/autoupdate \"C:\\Program Files\\Korvane P2P\\\"",
       true, "C:\\Program Files\\Korvane P2P\\"},
      {"unquoted parts joined by one blank", "/autoupdate C:\\My    Folder", true, "C:\\My Folder\\"},
      {"blanks inside one argument after the keyword trimmed", "\"/autoupdate    C:\\X  \"", true, "C:\\X\\"},
      {"a log first", "/LOG=C:\\u.log /autoupdate C:\\X", true, "C:\\X\\"},
      {"no arguments", "", false, ""},
      {"other words", "hello world", false, ""},
  };
  for (const auto& c : cases) {
    const TCommandLine cl = ParseCommandLine(c.text);
    EXPECT_EQ(cl.State.AutoUpdate, c.autoUpdate) << c.what;
    EXPECT_EQ(cl.State.InstallDir, c.dir) << c.what;
    EXPECT_FALSE(cl.Silent) << c.what;
  }
  EXPECT_EQ(ParseCommandLine("/LOG=C:\\u.log /autoupdate C:\\X").LogFile, "C:\\u.log");
}

// The wizard's answers before the user gives any, whatever its command line.
TEST(CommandLine, TheWizardStartsFromTheDefaults) {
  for (const char* text : {"", "/autoupdate C:\\X"}) {
    const TSetupState s = ParseCommandLine(text).State;
    EXPECT_EQ(s.ConnectionType, 8) << text;
    EXPECT_TRUE(s.InstallToolbar) << text;
    EXPECT_FALSE(s.DesktopShortcut) << text;
    EXPECT_EQ(s.InstallerTag, "03") << text;
  }
}

TEST(CommandLine, SilentDefaultsAndSwitches) {
  TCommandLine cl = ParseCommandLine("/S");
  EXPECT_TRUE(cl.Silent);
  EXPECT_EQ(cl.Error, "");
  EXPECT_EQ(cl.GivenInstallDir, std::nullopt);  // the wizard's proposals
  EXPECT_EQ(cl.GivenDownloadDir, std::nullopt);
  EXPECT_EQ(cl.State.ConnectionType, 8);
  EXPECT_TRUE(cl.State.DesktopShortcut);
  EXPECT_FALSE(cl.State.InstallToolbar);  // bundled software never without being asked for

  cl = ParseCommandLine("/s /DOWNLOAD=\"D:\\My Files\" /connection=3 /NODESKTOP /TOOLBAR /LOG=C:\\i.log "
                        "/D=C:\\Program Files\\Korvane  P2P  ");
  EXPECT_EQ(cl.Error, "");
  EXPECT_EQ(cl.GivenInstallDir, "C:\\Program Files\\Korvane  P2P");  // the rest of the line, inner blanks kept
  EXPECT_EQ(cl.GivenDownloadDir, "D:\\My Files");
  EXPECT_EQ(cl.State.ConnectionType, 3);
  EXPECT_FALSE(cl.State.DesktopShortcut);
  EXPECT_TRUE(cl.State.InstallToolbar);
  EXPECT_EQ(cl.LogFile, "C:\\i.log");
  EXPECT_FALSE(cl.State.AutoUpdate);
  // The whole argument quoted, as programs that start others write it.
  EXPECT_EQ(ParseCommandLine("/S \"/D=C:\\Program Files\\Korvane P2P\"").GivenInstallDir, "C:\\Program Files\\Korvane P2P");
  // What follows /D= belongs to the folder, switches or not.
  EXPECT_FALSE(ParseCommandLine("/S /D=C:\\A /TOOLBAR").State.InstallToolbar);
  EXPECT_EQ(ParseCommandLine("/S /D=C:\\A /TOOLBAR").GivenInstallDir, "C:\\A /TOOLBAR");
}

// The folders go to the silent front end as given, to be judged there by the rule of the
// wizard's folder panels; an empty one is given all the same, not taken for no switch.
TEST(CommandLine, SilentFoldersAsGiven) {
  const struct {
    const char* text;
    std::optional<std::string> install, download;
  } cases[] = {
      {"/S /D=", "", std::nullopt},
      {"/S /DOWNLOAD= /D=C:\\a*b", "C:\\a*b", ""},
      {"/S /DOWNLOAD=D:Files /D=relative\\folder", "relative\\folder", "D:Files"},
      {"/S /DOWNLOAD=D:\\ /D=C:\\", "C:\\", "D:\\"},
      {"/S /D=C:\\Program Files\\..\\con ", "C:\\Program Files\\..\\con", std::nullopt},
  };
  for (const auto& c : cases) {
    const TCommandLine cl = ParseCommandLine(c.text);
    EXPECT_EQ(cl.Error, "") << c.text;
    EXPECT_EQ(cl.GivenInstallDir, c.install) << c.text;
    EXPECT_EQ(cl.GivenDownloadDir, c.download) << c.text;
  }
}

TEST(CommandLine, SilentRefusals) {
  const struct {
    const char* text;
    const char* error;
  } cases[] = {
      {"/S /X", "unknown argument \"/X\""},
      {"/S stray", "unknown argument \"stray\""},
      {"/S /CONNECTION=9", "/CONNECTION takes a number from 0 to 8, not \"9\""},
      {"/S /CONNECTION=", "/CONNECTION takes a number from 0 to 8, not \"\""},
  };
  for (const auto& c : cases) {
    const TCommandLine cl = ParseCommandLine(c.text);
    EXPECT_TRUE(cl.Silent) << c.text;
    EXPECT_EQ(cl.Error, c.error) << c.text;
  }
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
