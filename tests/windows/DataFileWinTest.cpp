// The data file's Win32 platform: GUIDs through CoCreateGuid and StringFromCLSID, the local
// clock, and file output whose errors carry the system's codes.
#include <gtest/gtest.h>
#include <windows.h>

#include <cmath>
#include <fstream>
#include <iterator>

#include <zlib.h>

#include "lib/LIB_DataFileReader.h"
#include "lib/LIB_Errors.h"
#include "lib/LIB_Random.h"
#include "payload/GB_KORVANE_DAT.h"
#include "tests/host/DataFileTestUtil.h"

namespace {

std::string TempFolder() {
  char path[MAX_PATH];
  GetTempPathA(MAX_PATH, path);
  return path;
}

TEST(DataFileWin, GuidsAreFreshAndInTheSystemsForm) {
  const std::string a = GuidToString(CreateGuid()), b = GuidToString(CreateGuid());
  EXPECT_NE(a, b);
  ASSERT_EQ(a.size(), 38u);
  EXPECT_EQ(a.find_first_not_of("{}-0123456789ABCDEF"), std::string::npos) << a;
  const TGuid known{0x12345678, 0x9ABC, 0xDEF0, {1, 2, 3, 4, 0xA5, 0x6B, 7, 0xF8}};
  EXPECT_EQ(GuidToString(known), "{12345678-9ABC-DEF0-0102-0304A56B07F8}");
}

TEST(DataFileWin, ClockCountsDaysFrom1899InLocalTime) {
  SYSTEMTIME t;
  GetLocalTime(&t);
  double variant = 0;
  ASSERT_TRUE(SystemTimeToVariantTime(&t, &variant));  // the same day count, to the second
  EXPECT_NEAR(NowDays(), variant, 2.0 / 86400);
}

TEST(DataFileWin, WrittenFileReadsBack) {
  const std::string path = TempFolder() + "kv_win_test.dat";
  EXPECT_EQ(WriteDataFile(path, {"C:\\Data\\", "D:\\Shared\\", "03", 8}), "D:\\Shared");
  std::ifstream in(path, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  in.close();
  DeleteFileA(path.c_str());
  const TDataFileContent c = ReadDataFile(bytes);
  EXPECT_EQ(c.Header.DownloadDir, "D:\\Shared\\");
  EXPECT_EQ(c.Folders.at(0).Path, "D:\\Shared");
  EXPECT_EQ(c.Header.Guid.size(), 38u);
  EXPECT_EQ(c.Hashes.size(), 1195u);
}

double GFixedClock = 0;
double FixedClock() { return GFixedClock += 0.00000017; }
TGuid FixedGuid() { return TGuid{0x12345678, 0x9ABC, 0xDEF0, {1, 2, 3, 4, 0xA5, 0x6B, 7, 0xF8}}; }

// The default tables are made by the program as it runs, here by this compiler: from the same
// clock, GUID and random sequence it writes the very file that the host build's test pins.
TEST(DataFileWin, FileFromFixedSourcesIsTheOneTheHostBuildPins) {
  ResetRandom();
  GFixedClock = 46365.2692366551;
  std::string out;
  const TDataFileValues values{"C:\\Users\\Ann\\AppData\\Local\\Korvane P2P\\", "D:\\Shared\\", "03", 2};
  WriteDataFile(std::make_unique<TMemorySink>(out), values, {}, {FixedClock, FixedGuid});
  EXPECT_EQ(out.size(), 238426u);
  EXPECT_EQ(crc32(0, reinterpret_cast<const Bytef*>(out.data()), static_cast<uInt>(out.size())), 0x7A8436CCu);
}

TEST(DataFileWin, CreateFailuresCarryTheSystemCode) {
  try {
    WriteDataFile(TempFolder() + "no-such-folder\\x\\Korvane.Dat", {});
    FAIL() << "no error";
  } catch (const EInOutError& e) {
    EXPECT_EQ(e.ErrorCode, ERROR_PATH_NOT_FOUND);
    EXPECT_STREQ(e.what(), "Invalid filename");
  }
}

}  // namespace
