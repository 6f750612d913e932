// The file search on a tree held in memory: roots, masks, progress, the stop flag, limits,
// hidden and linked folders, duplicates and the order of the finds.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>

#include "lib/LIB_FindFiles.h"
#include "lib/LIB_Text.h"

namespace {

// Case-insensitive wildcard match with '*' and '?'; "*.*" matches every name, as on Windows.
bool Matches(std::string_view mask, std::string_view name) {
  if (mask == "*.*") return true;
  if (mask.empty()) return name.empty();
  if (mask[0] == '*') return Matches(mask.substr(1), name) || (!name.empty() && Matches(mask, name.substr(1)));
  if (name.empty()) return false;
  if (mask[0] != '?' && LowerCase(mask.substr(0, 1)) != LowerCase(name.substr(0, 1))) return false;
  return Matches(mask.substr(1), name.substr(1));
}

struct TMemEntry {
  TFindEntry Entry;
  bool Hidden = false;
};

// Folders by lower-cased path ending in "\"; every enumeration is logged.
class TMemoryTree : public TFindPlatform {
 public:
  std::map<char, TDriveType> Drives;
  std::string CurrentDir = "C:\\";
  std::vector<std::string> Enumerated;

  // Adds a file, or with a trailing "\" a folder, with every missing parent folder.
  void Add(const std::string& path, bool hidden = false, bool reparse = false) {
    const bool isDir = path.ends_with('\\');
    const std::string bare = isDir ? path.substr(0, path.size() - 1) : path;
    const size_t cut = bare.find_last_of('\\');
    const std::string parent = bare.substr(0, cut + 1), name = bare.substr(cut + 1);
    if (parent.size() > 3 && !folders_.count(LowerCase(parent))) Add(parent);
    folders_[LowerCase(parent)].push_back({{name, isDir, reparse}, hidden});
    if (isDir) folders_[LowerCase(path)];
  }

  TDriveType DriveType(char letter) override {
    auto it = Drives.find(letter);
    return it == Drives.end() ? TDriveType::NoRootDir : it->second;
  }
  std::string CurrentDirectory() override { return CurrentDir; }
  void Enumerate(const std::string& pattern, bool includeHidden,
                 const std::function<bool(const TFindEntry&)>& each) override {
    Enumerated.push_back(pattern);
    const size_t cut = pattern.find_last_of('\\');
    const std::string dir = LowerCase(pattern.substr(0, cut + 1)), mask = pattern.substr(cut + 1);
    auto it = folders_.find(dir);
    if (it == folders_.end()) return;
    std::vector<TMemEntry> entries;
    if (dir.size() > 3) entries = {{{".", true}}, {{"..", true}}};
    entries.insert(entries.end(), it->second.begin(), it->second.end());
    for (const TMemEntry& e : entries)
      if ((includeHidden || !e.Hidden) && Matches(mask, e.Entry.Name) && !each(e.Entry)) return;
  }
  int CompareText(const std::string& a, const std::string& b) override { return LowerCase(a).compare(LowerCase(b)); }

  bool Entered(const std::string& dir) const {
    return std::find(Enumerated.begin(), Enumerated.end(), dir + "*.*") != Enumerated.end();
  }

 private:
  std::map<std::string, std::vector<TMemEntry>> folders_;
};

class FindFilesTest : public testing::Test {
 protected:
  std::vector<std::string> Find(const std::string& masks, uint8_t kind, const std::string& extra = "",
                                int maxCount = 0) {
    return FindFiles(masks, kind, extra, [this](uint8_t p) { return Progress(p); }, Filter, maxCount, tree);
  }
  bool Progress(uint8_t percent) {
    percents.push_back(percent);
    return stopAt.count(percents.size()) != 0;
  }

  TMemoryTree tree;
  std::vector<int> percents;
  std::set<size_t> stopAt;  // report numbers (from 1) whose callback asks to stop
  TFindFilterEvent Filter;
};

TEST_F(FindFilesTest, ProgressWithOneRootGivesEachSubfolderAnEighthOfWhatIsLeft) {
  tree.Drives = {{'C', TDriveType::Fixed}};
  tree.Add("C:\\a\\");
  tree.Add("C:\\b\\");
  EXPECT_TRUE(Find("korvane.exe", 1).empty());
  // a: 1000..125750, b: 125750..234906, C: ends at 999000.
  EXPECT_EQ(percents, (std::vector<int>{1, 12, 23, 99, 99, 100}));
}

TEST_F(FindFilesTest, ProgressWithTwoRootsSplitsTheRangeInHalves) {
  tree.Drives = {{'C', TDriveType::Fixed}, {'D', TDriveType::Fixed}};
  tree.Add("C:\\a\\");
  tree.Add("D:\\x\\");
  Find("korvane.exe", 1);
  EXPECT_EQ(percents, (std::vector<int>{1, 6, 49, 56, 99, 99, 100}));
}

TEST_F(FindFilesTest, NoRootReportsOnlyStartAndEnd) {
  for (uint8_t kind : {uint8_t{1}, uint8_t{4}, uint8_t{255}}) {
    percents.clear();
    tree.Enumerated.clear();
    EXPECT_TRUE(Find("korvane.exe", kind).empty());
    EXPECT_EQ(percents, (std::vector<int>{1, 99, 100})) << int(kind);
    EXPECT_TRUE(tree.Enumerated.empty()) << int(kind);
  }
}

TEST_F(FindFilesTest, DriveKindsChooseRootsInLetterOrderThenExtraFolders) {
  tree.Drives = {{'A', TDriveType::Removable}, {'C', TDriveType::Fixed},   {'D', TDriveType::CDRom},
                 {'E', TDriveType::Remote},    {'F', TDriveType::RamDisk}, {'G', TDriveType::Fixed},
                 {'H', TDriveType::Unknown}};
  tree.CurrentDir = "G:\\work\\here";
  const std::map<int, std::vector<std::string>> cases = {
      {0, {"G:\\"}},
      {1, {"C:\\", "G:\\"}},
      {2, {"A:\\", "C:\\", "F:\\", "G:\\"}},
      {3, {"A:\\", "C:\\", "D:\\", "E:\\", "F:\\", "G:\\"}},
      {4, {}},
  };
  for (const auto& [kind, roots] : cases) {
    tree.Enumerated.clear();
    Find("k.exe", static_cast<uint8_t>(kind), " Q:\\x ;; R:\\y\\ ");
    std::vector<std::string> expected;
    for (const std::string& root : roots) expected.insert(expected.end(), {root + "k.exe", root + "*.*"});
    expected.insert(expected.end(), {"Q:\\x\\k.exe", "Q:\\x\\*.*", "R:\\y\\k.exe", "R:\\y\\*.*"});
    EXPECT_EQ(tree.Enumerated, expected) << kind;
  }
}

TEST_F(FindFilesTest, MasksAreTrimmedAndALoneAsteriskMeansEveryFile) {
  const std::vector<std::pair<std::string, std::vector<std::string>>> cases = {
      {"", {"*.*"}},
      {" ; * ;; ", {"*.*"}},
      {"  ;  ", {"*.*"}},
      {" a.exe ;b.dll;", {"a.exe", "b.dll"}},
      {"*;x.*", {"*.*", "x.*"}},
      {"**", {"**"}},
  };
  for (const auto& [text, masks] : cases) EXPECT_EQ(ParseFileMasks(text), masks) << "'" << text << "'";
  EXPECT_EQ(ParseExtraDirs(" C:\\a ; ;D:\\b\\ ;"), (std::vector<std::string>{"C:\\a\\", "D:\\b\\"}));
  EXPECT_TRUE(ParseExtraDirs(" ; ").empty());
}

TEST_F(FindFilesTest, TwoMasksScanEachFolderOncePerMaskInOrder) {
  tree.Add("C:\\p\\b.dll");
  tree.Add("C:\\p\\a.exe");
  EXPECT_EQ(Find("a.exe;b.dll", 4, "C:\\p"), (std::vector<std::string>{"C:\\p\\a.exe", "C:\\p\\b.dll"}));
  EXPECT_EQ(tree.Enumerated, (std::vector<std::string>{"C:\\p\\a.exe", "C:\\p\\b.dll", "C:\\p\\*.*"}));
}

TEST_F(FindFilesTest, EveryMatchingFileIsFoundAndTheListIsSortedWithoutRegardToCase) {
  tree.Drives = {{'D', TDriveType::Fixed}};
  tree.Add("D:\\Zeta\\korvane.exe");
  tree.Add("D:\\alpha\\deep\\down\\KORVANE.EXE");
  tree.Add("D:\\alpha\\other.exe");
  tree.Add("c:\\x\\korvane.exe");
  EXPECT_EQ(Find("korvane.exe", 1, "c:\\x"),
            (std::vector<std::string>{"c:\\x\\korvane.exe", "D:\\alpha\\deep\\down\\KORVANE.EXE",
                                      "D:\\Zeta\\korvane.exe"}));
}

TEST_F(FindFilesTest, DotEntriesAreNeverFindsNorWalked) {
  tree.Add("C:\\p\\q\\");
  EXPECT_EQ(Find("*", 4, "C:\\p"), (std::vector<std::string>{"C:\\p\\q"}));
  // A file scan and a folder scan of p and of q, nothing of "." or "..".
  EXPECT_EQ(tree.Enumerated, (std::vector<std::string>{"C:\\p\\*.*", "C:\\p\\*.*", "C:\\p\\q\\*.*",
                                                       "C:\\p\\q\\*.*"}));
}

TEST_F(FindFilesTest, FilterRejectsFinds) {
  tree.Add("C:\\p\\keep\\korvane.exe");
  tree.Add("C:\\p\\drop\\korvane.exe");
  Filter = [](const std::string& path) { return path.find("drop") == std::string::npos; };
  EXPECT_EQ(Find("korvane.exe", 4, "C:\\p"), (std::vector<std::string>{"C:\\p\\keep\\korvane.exe"}));
}

TEST_F(FindFilesTest, StopAtTheEndOfAFolderSkipsOnlyTheRestOfItsParentsFolderScan) {
  tree.Drives = {{'C', TDriveType::Fixed}};
  tree.Add("C:\\p\\s1\\");
  tree.Add("C:\\p\\s2\\korvane.exe");
  tree.Add("C:\\q\\korvane.exe");
  stopAt = {2};  // the end of s1; p's own end answers false again
  EXPECT_EQ(Find("korvane.exe", 1), (std::vector<std::string>{"C:\\q\\korvane.exe"}));
  EXPECT_TRUE(tree.Entered("C:\\p\\s1\\"));
  EXPECT_FALSE(tree.Entered("C:\\p\\s2\\"));
  EXPECT_TRUE(tree.Entered("C:\\q\\"));
  EXPECT_EQ(percents.size(), 7u);  // start, s1, p, q, C, 99, 100
}

TEST_F(FindFilesTest, StopAtTheStartWalksNoRootButStillSortsAndReports) {
  tree.Drives = {{'C', TDriveType::Fixed}};
  tree.Add("C:\\korvane.exe");
  stopAt = {1};
  EXPECT_TRUE(Find("korvane.exe", 1).empty());
  EXPECT_TRUE(tree.Enumerated.empty());
  EXPECT_EQ(percents, (std::vector<int>{1, 99, 100}));
}

TEST_F(FindFilesTest, MaxCountOneKeepsTheFirstFindAndStillWalksEveryFolder) {
  tree.Add("C:\\p\\b\\korvane.exe");
  tree.Add("C:\\p\\a\\korvane.exe");
  tree.Add("C:\\p\\a\\deeper\\");
  EXPECT_EQ(Find("korvane.exe", 4, "C:\\p", 1), (std::vector<std::string>{"C:\\p\\b\\korvane.exe"}));
  for (const char* dir : {"C:\\p\\", "C:\\p\\a\\", "C:\\p\\b\\", "C:\\p\\a\\deeper\\"})
    EXPECT_TRUE(tree.Entered(dir)) << dir;
}

TEST_F(FindFilesTest, HiddenFoldersAreNotEnteredButHiddenFilesAreFound) {
  tree.Add("C:\\p\\secret\\", true);
  tree.Add("C:\\p\\secret\\korvane.exe");
  tree.Add("C:\\p\\open\\korvane.exe", true);
  EXPECT_EQ(Find("korvane.exe", 4, "C:\\p"), (std::vector<std::string>{"C:\\p\\open\\korvane.exe"}));
  EXPECT_FALSE(tree.Entered("C:\\p\\secret\\"));
}

TEST_F(FindFilesTest, AFolderNamedLikeTheMaskIsAFindAndIsWalked) {
  tree.Add("C:\\p\\korvane.exe\\korvane.exe");
  EXPECT_EQ(Find("korvane.exe", 4, "C:\\p"),
            (std::vector<std::string>{"C:\\p\\korvane.exe", "C:\\p\\korvane.exe\\korvane.exe"}));
}

TEST_F(FindFilesTest, TheSameFileUnderTwoSpellingsIsListedOnceAsFirstFound) {
  tree.Add("C:\\Apps\\Korvane.exe");
  EXPECT_EQ(Find("korvane.exe", 4, "C:\\Apps;c:\\APPS\\"), (std::vector<std::string>{"C:\\Apps\\Korvane.exe"}));
}

TEST_F(FindFilesTest, LinkedFoldersAreNeverEntered) {
  // A junction back to the folder above: entering it would never end.
  tree.Add("C:\\p\\loop\\", false, true);
  tree.Add("C:\\p\\loop\\korvane.exe");
  tree.Add("C:\\p\\real\\korvane.exe");
  EXPECT_EQ(Find("korvane.exe", 4, "C:\\p"), (std::vector<std::string>{"C:\\p\\real\\korvane.exe"}));
  EXPECT_FALSE(tree.Entered("C:\\p\\loop\\"));
}

TEST_F(FindFilesTest, EmptyCallbacksAcceptEverythingAndNeverStop) {
  tree.Add("C:\\p\\korvane.exe");
  EXPECT_EQ(FindFiles("korvane.exe", 4, "C:\\p", {}, {}, 0, tree), (std::vector<std::string>{"C:\\p\\korvane.exe"}));
}

}  // namespace
