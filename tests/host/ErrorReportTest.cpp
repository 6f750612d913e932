#include <gtest/gtest.h>

#include "lib/LIB_ErrorReport.h"
#include "lib/LIB_Text.h"

namespace {

bool SameAscii(std::string_view a, std::string_view b) { return LowerCase(a) == LowerCase(b); }
// Bob's profile as the shell names it (with a backslash, as some do) and in its short form.
const TUserProfile kBob{{"C:\\Users\\Bob Smith\\", "C:\\Users\\BOBSMI~1"}, SameAscii};

TEST(ErrorReport, PercentEncodeKeepsOnlyUnreservedCharacters) {
  const struct {
    std::string in, out;
  } cases[] = {
      {"", ""},
      {"AZaz09-._~", "AZaz09-._~"},
      {" \"&#=?%+/\\:", "%20%22%26%23%3D%3F%25%2B%2F%5C%3A"},
      {"\xE9\xFF\x01", "%E9%FF%01"},
      {std::string("a\0b", 3), "a%00b"},
  };
  for (const auto& c : cases) EXPECT_EQ(PercentEncode(c.in), c.out) << c.in;
}

TEST(ErrorReport, FieldsInOrderEachQuoted) {
  const TReportFolders folders{.InstallDir = "C:\\K\\", .DataDir = "C:\\K\\", .AppDataDir = "C:\\A\\"};
  EXPECT_EQ(ErrorReportURL("http://127.0.0.1:1/r.php?", "Error", folders, "x & y", kBob),
            "http://127.0.0.1:1/r.php?T=Korvane&V=3&A=%22Error%22&B=%22C%3A%5CK%5C%22&C=%22%22"
            "&D=%22C%3A%5CK%5C%22&E=%22C%3A%5CA%5C%22&F=%22x%20%26%20y%22");
}

TEST(ErrorReport, ProfileFolderIsHiddenWhereAWholePathComponentStartsWithIt) {
  const struct {
    std::string in, out;
  } cases[] = {
      {"C:\\Users\\Bob Smith", "%USERPROFILE%"},
      {"C:\\Users\\Bob Smith\\", "%USERPROFILE%\\"},
      {"C:\\Users\\Bob Smith\\AppData\\Local\\Korvane P2P\\", "%USERPROFILE%\\AppData\\Local\\Korvane P2P\\"},
      {"c:\\USERS\\bob smith\\Downloads", "%USERPROFILE%\\Downloads"},
      {"C:\\Users\\BOBSMI~1\\AppData\\", "%USERPROFILE%\\AppData\\"},
      {"C:\\Users\\bobsmi~1", "%USERPROFILE%"},
      // A message quotes the file it could not write; a profile path may stand anywhere in it.
      {"Cannot create file \"C:\\Users\\Bob Smith\\a.dat\". Access is denied.",
       "Cannot create file \"%USERPROFILE%\\a.dat\". Access is denied."},
      {"\"C:\\Users\\Bob Smith\" and \"C:\\Users\\BOBSMI~1\\x\"", "\"%USERPROFILE%\" and \"%USERPROFILE%\\x\""},
      // Another user's folder whose name begins alike, or a folder above the profile, stays.
      {"C:\\Users\\Bob Smithson\\x", "C:\\Users\\Bob Smithson\\x"},
      {"C:\\Users\\BOBSMI~10", "C:\\Users\\BOBSMI~10"},
      {"C:\\Users\\Bob", "C:\\Users\\Bob"},
      {"D:\\Users\\Bob Smith\\x", "D:\\Users\\Bob Smith\\x"},
      {"C:\\Program Files\\Korvane P2P\\", "C:\\Program Files\\Korvane P2P\\"},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(HideUserProfile(c.in, kBob), c.out) << c.in;
}

TEST(ErrorReport, NoProfileFolderHidesNothing) {
  // The shell and the environment may both fail to name it: an empty form must not match everywhere.
  const TUserProfile none{{"", "\\"}, SameAscii};
  EXPECT_EQ(HideUserProfile("C:\\Users\\Bob Smith\\x", none), "C:\\Users\\Bob Smith\\x");
}

TEST(ErrorReport, ReportNamesNoUser) {
  const TReportFolders folders{.InstallDir = "C:\\Users\\Bob Smith\\Korvane\\",
                               .DownloadDir = "c:\\users\\bob smith\\Downloads\\",
                               .DataDir = "C:\\Users\\BOBSMI~1\\AppData\\Local\\Korvane P2P\\",
                               .AppDataDir = "C:\\Users\\Bob Smith\\AppData\\Roaming\\"};
  const std::string url = ErrorReportURL("http://127.0.0.1:1/r.php?", "Error", folders,
                                         "Cannot create file \"C:\\Users\\Bob Smith\\Korvane\\x\"", kBob);
  EXPECT_EQ(url,
            "http://127.0.0.1:1/r.php?T=Korvane&V=3&A=%22Error%22&B=%22%25USERPROFILE%25%5CKorvane%5C%22"
            "&C=%22%25USERPROFILE%25%5CDownloads%5C%22&D=%22%25USERPROFILE%25%5CAppData%5CLocal%5CKorvane%20P2P%5C%22"
            "&E=%22%25USERPROFILE%25%5CAppData%5CRoaming%5C%22"
            "&F=%22Cannot%20create%20file%20%22%25USERPROFILE%25%5CKorvane%5Cx%22%22");
}

}  // namespace
