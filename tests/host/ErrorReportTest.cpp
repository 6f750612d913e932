#include <gtest/gtest.h>

#include "lib/LIB_ErrorReport.h"

namespace {

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
  EXPECT_EQ(ErrorReportURL("http://127.0.0.1:1/r.php?", "Error", folders, "x & y"),
            "http://127.0.0.1:1/r.php?T=Korvane&V=3&A=%22Error%22&B=%22C%3A%5CK%5C%22&C=%22%22"
            "&D=%22C%3A%5CK%5C%22&E=%22C%3A%5CA%5C%22&F=%22x%20%26%20y%22");
}

}  // namespace
