// The folder check and the folder texts of the installation road, and the removal list.
#include <gtest/gtest.h>

#include "lib/LIB_InstallPaths.h"
#include "lib/LIB_Text.h"
#include "payload/GB_Payload.h"

namespace {

TEST(IsValidFolderPath, Cases) {
  const struct {
    const char* path;
    bool valid;
  } cases[] = {
      {"C:\\a", true},
      {"C:\\Program Files\\Korvane P2P", true},
      {"C:\\a|b", true},     // the vertical bar is let through
      {"1:\\x", true},       // the first character may be anything
      {"C:\\", true},        // a root passes here; Next refuses it for its length
      {"D:\\Apps\\Korvane P2P\\", true},
      {"C:", false},
      {"", false},
      {"C:\\a\\\\b", false},
      {"C:\\a*b", false},
      {"C:\\a?b", false},
      {"C:\\a:b", false},
      {"C:\\a\"b", false},
      {"C:\\a<b", false},
      {"C:\\a>b", false},
      {"C:\\a/b", false},
      {"C:/a", false},
      {"CC:\\a", false},
      {" C:\\a", false},
      {"C:\\a ", false},
      {"C:\\a\t", false},
      {"%~~+71-45QQz", false},
      {"03", false},
  };
  for (const auto& c : cases) EXPECT_EQ(IsValidFolderPath(c.path), c.valid) << '"' << c.path << '"';
}

// The rule for a named folder, on the text as typed and as the system makes it a full path.
TEST(FolderFault, Cases) {
  const std::string longest = "C:\\" + std::string(KLongestFolder - 3, 'k');
  ASSERT_EQ(longest.size(), 239u);
  // 239 bytes in the system's code page (1252 here), 240 in UTF-8: the code page's count decides.
  const std::string cafe = "C:\\Caf\xC3\xA9" + std::string(KLongestFolder - 7, 'k');
  const struct {
    std::string typed, full;
    TFolderFault fault;
  } cases[] = {
      {"C:\\Program Files\\Korvane P2P", "C:\\Program Files\\Korvane P2P", TFolderFault::None},
      {"D:\\Apps\\Korvane P2P\\", "D:\\Apps\\Korvane P2P\\", TFolderFault::None},
      {"C:\\Program Files\\..\\Escaped", "C:\\Escaped", TFolderFault::None},
      {"C:\\a\\.\\b", "C:\\a\\b", TFolderFault::None},
      {"C:\\Caf\xC3\xA9", "C:\\Caf\xC3\xA9", TFolderFault::None},
      {"C:\\Games\\console\\com10\\auxiliary\\lpt0", "C:\\Games\\console\\com10\\auxiliary\\lpt0", TFolderFault::None},
      // the rule's own syntax, as the wizard always had it
      {"", "", TFolderFault::NotAFolderPath},
      {"C:\\", "C:\\", TFolderFault::NotAFolderPath},
      {"D:\\", "D:\\", TFolderFault::NotAFolderPath},
      {"C:\\a*b", "C:\\a*b", TFolderFault::NotAFolderPath},
      {"C:\\a?b", "C:\\a?b", TFolderFault::NotAFolderPath},
      {"D:Files", "D:\\Files", TFolderFault::NotAFolderPath},                  // relative to D:'s own folder
      {"relative\\folder", "C:\\cwd\\relative\\folder", TFolderFault::NotAFolderPath},
      {"C:/Korvane", "C:\\Korvane", TFolderFault::NotAFolderPath},            // as typed, not as made full
      {"C:\\A /TOOLBAR", "C:\\A \\TOOLBAR", TFolderFault::NotAFolderPath},
      // ".." that climbs to the drive root
      {"C:\\Program Files\\..", "C:\\", TFolderFault::NotAFolderPath},
      {"C:\\a\\..\\..\\..", "C:\\", TFolderFault::NotAFolderPath},
      // network and \\?\ paths
      {"\\\\server\\share\\Korvane", "\\\\server\\share\\Korvane", TFolderFault::UncPath},
      {"\\\\?\\C:\\Korvane", "\\\\?\\C:\\Korvane", TFolderFault::UncPath},
      {"//server/share", "\\\\server\\share", TFolderFault::UncPath},
      // device names, in any case, with an extension, in any part
      {"C:\\con\\Korvane", "C:\\con\\Korvane", TFolderFault::DeviceName},
      {"C:\\Korvane\\CON", "\\\\.\\CON", TFolderFault::DeviceName},  // made full, the device's own path
      {"C:\\Korvane\\con.txt", "\\\\.\\con", TFolderFault::DeviceName},
      {"C:\\x\\Nul .log\\y", "C:\\x\\Nul .log\\y", TFolderFault::DeviceName},
      {"C:\\x\\prn", "\\\\.\\prn", TFolderFault::DeviceName},
      {"C:\\x\\aux.tar.gz", "C:\\x\\aux.tar.gz", TFolderFault::DeviceName},
      {"C:\\COM1\\x", "C:\\COM1\\x", TFolderFault::DeviceName},
      {"C:\\x\\lPt9", "\\\\.\\lPt9", TFolderFault::DeviceName},
      // parts ending in dots or blanks, also where making the path full drops them
      {"C:\\Trail. \\Korvane", "C:\\Trail. \\Korvane", TFolderFault::EndsInDotOrBlank},
      {"C:\\Trail.\\Korvane", "C:\\Trail\\Korvane", TFolderFault::EndsInDotOrBlank},
      {"C:\\Korvane.", "C:\\Korvane", TFolderFault::EndsInDotOrBlank},
      {"C:\\Korvane \\x", "C:\\Korvane \\x", TFolderFault::EndsInDotOrBlank},
      {"C:\\a\\...\\b", "C:\\a\\b", TFolderFault::EndsInDotOrBlank},
      // what the system's code page cannot hold (表)
      {"C:\\\xE8\xA1\xA8\\Korvane P2P", "C:\\\xE8\xA1\xA8\\Korvane P2P", TFolderFault::CodePage},
      // room for the longest file name in a classic path
      {longest, longest, TFolderFault::None},
      {longest + "\\", longest + "\\", TFolderFault::None},
      {cafe, cafe, TFolderFault::None},
      {longest + "k", longest + "k", TFolderFault::TooLong},
      {cafe + "k", cafe + "k", TFolderFault::TooLong},
      {"C:\\" + std::string(269, 'k'), "C:\\" + std::string(269, 'k'), TFolderFault::TooLong},
      {"C:\\x\\..\\" + longest.substr(3), longest, TFolderFault::None},  // the full path's length counts
  };
  for (const auto& c : cases) EXPECT_EQ(FolderFault(c.typed, c.full), c.fault) << '"' << c.typed << "\" made \"" << c.full << '"';
  // The longest name still fits: folder, backslash, name and the terminating zero.
  EXPECT_EQ(longest.size() + 1 + std::string(KLongestFileName).size() + 1, KClassicPathRoom);
}

TEST(FolderPart, KeepsTheDriveRootAndDropsOneTrailingBackslash) {
  const std::pair<const char*, const char*> cases[] = {
      {"C:\\Korvane P2P", "C:\\"},
      {"C:\\", "C:\\"},
      {"C:\\Program Files\\Korvane P2P", "C:\\Program Files"},
      {"C:\\Program Files\\Korvane P2P\\", "C:\\Program Files\\Korvane P2P"},
      {"D:\\Downloads", "D:\\"},
      {"nothing", ""},
  };
  for (auto [path, folder] : cases) EXPECT_EQ(FolderPart(path), folder) << path;
}

// Paths are UTF-8: "\\" and ASCII never occur inside a multi-byte sequence, so the rules that
// look for them see only the real ones. Letter case folds for ASCII only; other letters are
// left as they are, and compare as bytes.
TEST(PathRules, Utf8Text) {
  const char* const cyrillic = "C:\\\xD0\x9F\xD0\xB0\xD0\xBF\xD0\xBA\xD0\xB0";  // Папка under the root
  const char* const table = "C:\\\xE8\xA1\xA8\\Korvane P2P\\";                      // 表 in a folder path
  EXPECT_TRUE(IsValidFolderPath(cyrillic));
  EXPECT_TRUE(IsValidFolderPath(table));
  EXPECT_FALSE(IsValidFolderPath(std::string(cyrillic) + "?"));
  EXPECT_FALSE(IsValidFolderPath(std::string(cyrillic) + "\\\\x"));

  const std::pair<std::string, std::string> folders[] = {
      {cyrillic, "C:\\"},                                          // drive root kept
      {std::string(cyrillic) + "\\", cyrillic},                     // one trailing backslash dropped
      {table, "C:\\\xE8\xA1\xA8\\Korvane P2P"},
      {"C:\\\xE8\xA1\xA8\\Korvane.Exe", "C:\\\xE8\xA1\xA8"},
  };
  for (const auto& [path, folder] : folders) EXPECT_EQ(FolderPart(path), folder) << path;
  EXPECT_EQ(InstallDirForSelection(cyrillic), std::string(cyrillic) + "\\Korvane P2P");

  EXPECT_EQ(LowerCase("C:\\\xD0\x9F\xD0\x90\xD0\x9F\\KORVANE.EXE"), "c:\\\xD0\x9F\xD0\x90\xD0\x9F\\korvane.exe");
  EXPECT_EQ(LowerCase("\xC3\x84"), "\xC3\x84");  // Ä: not folded, not damaged
  EXPECT_EQ(Trim(" \xC2\xA0x\xC2\xA0 "), "\xC2\xA0x\xC2\xA0");  // a no-break space is no blank byte
}

TEST(FolderSelection, InstallFolderGetsItsSubFolderNearTheRoot) {
  const std::pair<const char*, const char*> cases[] = {
      {"C:\\", "C:\\Korvane P2P"},
      {"C:\\Games", "C:\\Games\\Korvane P2P"},
      {"C:\\Games\\Old", "C:\\Games\\Old"},
      {"D:\\a\\b\\c", "D:\\a\\b\\c"},
  };
  for (auto [selected, proposal] : cases) EXPECT_EQ(InstallDirForSelection(selected), proposal) << selected;
}

TEST(FolderSelection, DownloadFolderGetsDownloadsOnADriveRootOnly) {
  EXPECT_EQ(DownloadDirForSelection("D:\\"), "D:\\Downloads");
  EXPECT_EQ(DownloadDirForSelection("D:\\Music"), "D:\\Music");
  EXPECT_EQ(DownloadDirForSelection("D:\\a"), "D:\\a");
}

TEST(InstallProgress, FixedStepsOfTheBar) {
  const int max = InstallProgressMaximum();
  EXPECT_EQ(max, 7944118);
  EXPECT_EQ(PercentPosition(max, 90), 7149706);
  EXPECT_EQ(PercentPosition(max, 92), 7308589);
  EXPECT_EQ(PercentPosition(max, 93), 7388030);
  EXPECT_EQ(PercentPosition(max, 99), 7864677);
  EXPECT_EQ(PercentPosition(200, 1), 2);
  EXPECT_EQ(PercentPosition(250, 1), 2);  // 2.5: halves to even
  EXPECT_EQ(PercentPosition(350, 1), 4);  // 3.5
}

TEST(QuotedCommand, PathInQuotesArgumentsAfterIt) {
  EXPECT_EQ(QuotedCommand("C:\\Program Files\\Korvane P2P\\Korvane_toolbar.exe", "/s -silent"),
            "\"C:\\Program Files\\Korvane P2P\\Korvane_toolbar.exe\" /s -silent");
  EXPECT_EQ(QuotedCommand("C:\\K\\Korvane.Exe", ""), "\"C:\\K\\Korvane.Exe\"");
}

TEST(RemovalList, EighteenLinesWithTheDesktopLinkSeventeenWithout) {
  const std::string inst = "C:\\Program Files\\Korvane P2P\\", data = "C:\\Users\\u\\Local\\Korvane P2P\\";
  const auto lines = RemovalList(inst, data, data, true);
  const std::vector<std::string> expected = {
      "Korvane P2P",
      "<P" + data + "*.ZCF>",
      "<P" + data + "*.ZCV>",
      "<P" + data + "*.ZTH>",
      "<P" + data + "*.DAT>",
      "<P" + data + "*.GET>",
      "<E" + data + ">",
      "<F" + inst + "Korvane.Exe>",
      "<F" + data + "Korvane.dat>",
      "<F" + data + "Korvane.bak>",
      "<F" + inst + "KVInst.dat>",
      "<F" + inst + "Uninstall.Exe>",
      "<F" + inst + "Uninstall.Dat>",
      "<E" + inst + ">",
      "<E" + data + ">",
      "<RSoftware\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Korvane P2P>",
      "<SKorvane P2P>",
      "<TKorvane P2P.Lnk>",
  };
  EXPECT_EQ(lines, expected);
  auto without = RemovalList(inst, data, data, false);
  EXPECT_EQ(without, std::vector<std::string>(expected.begin(), expected.end() - 1));
}

}  // namespace

TEST(InstallDirFromUninstallString, TheUninstallersFolderOrNothing) {
  const struct {
    const char* command;
    std::optional<std::string> folder;
  } cases[] = {
      {"\"C:\\Program Files\\Korvane P2P\\Uninstall.Exe\"", "C:\\Program Files\\Korvane P2P\\"},
      {"\"D:\\Apps\\Korvane P2P\\uninstall.exe\" /S", "D:\\Apps\\Korvane P2P\\"},
      {"C:\\Korvane\\Uninstall.Exe", "C:\\Korvane\\"},
      {"C:\\Korvane\\Uninstall.Exe /quiet", "C:\\Korvane\\"},
      {"\"C:\\Korvane\\Uninstall.Exe", std::nullopt},  // unclosed quote
      {"\"C:\\Korvane\\Other.Exe\"", std::nullopt},
      {"\"\\\\server\\share\\Uninstall.Exe\"", std::nullopt},
      {"Uninstall.Exe", std::nullopt},
      {"", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(InstallDirFromUninstallString(c.command), c.folder) << c.command;
}

TEST(IsProductFileName, TheInstallationsOwnFilesOnly) {
  for (const char* ours : {"Korvane.Exe", "korvane.exe", "Uninstall.Exe", "UnInstall.dat", "KVInst.Dat",
                           "Korvane_toolbar.exe", "Korvane.Dat", "Korvane.bak", "Korvane.Exe.tmp", "KVInst.Dat.tmp"})
    EXPECT_TRUE(IsProductFileName(ours)) << ours;
  for (const char* other : {"Other.exe", "Korvane.Exe.old", "notes.txt", "Korvane", ".tmp", "Korvane.Exe.tmp.tmp"})
    EXPECT_FALSE(IsProductFileName(other)) << other;
}
