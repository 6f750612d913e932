// Work by handle in folders a user can write: links put there by a user are never followed.
// Wine shows a Unix symbolic link as a reparse point, which stands in for a junction here.
#include <gtest/gtest.h>

#include <windows.h>

#include "lib/LIB_Errors.h"
#include "lib/win/FileByHandle.h"
#include "tests/windows/TestFiles.h"

namespace {

class FileByHandle : public testing::Test {
 protected:
  void SetUp() override {
    RemoveFolderLink(link);
    RemoveTree(root);
    CreateDirectoryA(root.c_str(), nullptr);
    CreateDirectoryA(target.c_str(), nullptr);
    CreateDirectoryA((root + "\\real").c_str(), nullptr);
    WriteText(target + "\\Korvane.Dat", "someone else's");
    ASSERT_TRUE(MakeFolderLink(link, target));
  }
  void TearDown() override {
    RemoveFolderLink(link);
    RemoveTree(root);
  }
  const std::string root = "C:\\kvtest handles", target = root + "\\elsewhere", link = root + "\\linked";
};

TEST_F(FileByHandle, ALinkAnywhereOnThePathIsSeen) {
  const struct {
    std::string path;
    bool link;
  } cases[] = {
      {root + "\\real", false},           {root + "\\real\\", false},
      {root + "\\real\\missing\\deeper", false}, {link, true},
      {link + "\\", true},                {link + "\\Korvane.Dat", true},
      {link + "\\missing\\deeper", true}, {"C:\\", false},
  };
  for (const auto& c : cases) EXPECT_EQ(HasLinkOnPath(c.path), c.link) << c.path;
}

TEST_F(FileByHandle, NothingIsWrittenRenamedOrDeletedThroughALink) {
  // A held folder: refused through a link, taken when real.
  EXPECT_THROW(THeldFolder{link}, EInOutError);
  EXPECT_THROW(THeldFolder{link + "\\"}, EInOutError);
  EXPECT_NO_THROW(THeldFolder{root + "\\real\\"});

  // A file made through the link is not left there.
  EXPECT_THROW(CreateNewFile(link + "\\new.tmp", 0), EInOutError);
  EXPECT_FALSE(Exists(target + "\\new.tmp"));
  // An existing file reached through it is not opened, so it cannot be renamed or replaced.
  EXPECT_FALSE(OpenPlainFile(link + "\\Korvane.Dat", DELETE));
  EXPECT_EQ(ReadAll(target + "\\Korvane.Dat"), "someone else's");

  // A folder link where a file should be is not removed, nor is anything behind it.
  EXPECT_FALSE(RemovePlainFile(link));
  EXPECT_THROW(CreateNewFile(link, 0), EInOutError);
  EXPECT_EQ(ReadAll(target + "\\Korvane.Dat"), "someone else's");
}

TEST_F(FileByHandle, APlainFileIsMadeReplacedAndRenamedByHandle) {
  const std::string dir = root + "\\real\\";
  WriteText(dir + "Korvane.Dat", "old");
  {
    const THeldFolder held(dir);
    TFileHandle h = CreateNewFile(dir + "Korvane.Dat.tmp", DELETE);
    DWORD n = 0;
    ASSERT_TRUE(WriteFile(h.get(), "new", 3, &n, nullptr));
    RenameOpenFile(h.get(), dir + "Korvane.Dat");
  }
  EXPECT_EQ(ReadAll(dir + "Korvane.Dat"), "new");
  EXPECT_FALSE(Exists(dir + "Korvane.Dat.tmp"));
  // An old file of the name is replaced by a new one; a folder of the name is left alone.
  EXPECT_TRUE(CreateNewFile(dir + "Korvane.Dat", 0));
  EXPECT_EQ(FileSize(dir + "Korvane.Dat"), 0);
  CreateDirectoryA((dir + "folder.tmp").c_str(), nullptr);
  EXPECT_THROW(CreateNewFile(dir + "folder.tmp", 0), EInOutError);
  EXPECT_TRUE(Exists(dir + "folder.tmp"));
}

}  // namespace
