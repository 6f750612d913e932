// The payload writers against the real file system.
#include <gtest/gtest.h>
#include <windows.h>

#include <shellapi.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include <zlib.h>

#include "payload/GB_Payload.h"
#include "payload/win/GB_KorvaneP2P_exe.h"
#include "payload/win/GB_Uninstall_exe.h"
#include "payload/win/GB_korvane_toolbar_exe.h"
#include "lib/win/WinApp.h"
#include "payload/win/PayloadWriter.h"

extern const unsigned char GB_Uninstall_exe_Data[];

namespace {

int64_t FileSize(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA a;
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &a)) return -1;
  return (int64_t(a.nFileSizeHigh) << 32) | a.nFileSizeLow;
}

void MakeFile(const std::string& path, size_t size) {
  HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  std::vector<char> bytes(size, '\xFF');
  DWORD done;
  WriteFile(h, bytes.data(), DWORD(size), &done, nullptr);
  CloseHandle(h);
}

class PayloadWriter : public testing::Test {
 protected:
  void SetUp() override {
    char tmp[MAX_PATH];
    GetTempPathA(sizeof tmp, tmp);
    dir = std::string(tmp) + "kvpayload" + std::to_string(GetCurrentProcessId()) + "\\";
    CreateDirectoryA(dir.c_str(), nullptr);
  }
  void TearDown() override {
    for (const char* f : {"Korvane.Exe", "Uninstall.Exe", "Korvane_toolbar.exe"}) DeleteFileA((dir + f).c_str());
    RemoveDirectoryA(dir.c_str());
  }
  std::string dir;
};

TEST_F(PayloadWriter, WritesEachProgramAtItsSize) {
  struct {
    void (*Write)(const std::string&, const TReportProgress&);
    const char* Name;
    TPayloadSizes Sizes;
  } cases[] = {{WriteClientProgram, "Korvane.Exe", KClientProgram},
               {WriteUninstaller, "Uninstall.Exe", KUninstaller},
               {WriteToolbarInstaller, "Korvane_toolbar.exe", KToolbarInstaller}};
  EXPECT_EQ(KClientProgram.USize, 3966976);
  EXPECT_EQ(KUninstaller.USize, 635392);
  EXPECT_EQ(KToolbarInstaller.USize, 1311504);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    std::string path = dir + c.Name;
    // An older, larger file of the same name must not leave a tail behind.
    MakeFile(path, c.Sizes.USize + 100000);
    c.Write(path, {});
    EXPECT_EQ(FileSize(path), c.Sizes.USize);
    // A program that Windows can load, with the product icon at index 0.
    EXPECT_EQ(ExtractIconA(GetModuleHandleA(nullptr), path.c_str(), UINT(-1)) != nullptr, c.Sizes.USize != KToolbarInstaller.USize);
  }
}

// The values a front end shows: the copy phase in chunks, then the inflation in blocks, never
// backwards, ending at the packed plus the unpacked size.
TEST_F(PayloadWriter, ReportsEveryChunkAndBlockInOrder) {
  std::vector<int> values;
  WriteClientProgram(dir + "Korvane.Exe", [&](int v) { values.push_back(v); });
  const TPayloadSizes s = KClientProgram;
  ASSERT_EQ(values.size(), size_t(s.Chunks + s.USize / KPayloadChunk + 1));
  EXPECT_EQ(values.front(), 1024);
  EXPECT_EQ(values[s.Chunks - 1], s.Chunks * 1024);
  EXPECT_EQ(values[s.Chunks], s.CLen + 1024);
  EXPECT_EQ(values.back(), 6156616);
  EXPECT_TRUE(std::is_sorted(values.begin(), values.end()));
}

TEST_F(PayloadWriter, MissingFolderFailsBeforeDecompressing) {
  int last = 0;
  std::string path = dir + "missing\\Uninstall.Exe";
  try {
    WriteUninstaller(path, [&](int v) { last = v; });
    FAIL() << "no error";
  } catch (const std::runtime_error& e) {
    EXPECT_EQ(std::string(e.what()), "Cannot create file \"" + path + "\". " + SysErrorMessage(ERROR_PATH_NOT_FOUND));
  }
  EXPECT_EQ(last, KUninstaller.Chunks * 1024);  // the copy phase only
}

TEST_F(PayloadWriter, FileInUseCannotBeCreated) {
  std::string path = dir + "Uninstall.Exe";
  HANDLE held = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  EXPECT_THROW(WriteUninstaller(path), std::runtime_error);
  CloseHandle(held);
}

TEST_F(PayloadWriter, DamagedStreamIsAnErrorAndThePartStays) {
  std::vector<unsigned char> data(GB_Uninstall_exe_Data, GB_Uninstall_exe_Data + KUninstaller.Chunks * 1024);
  data[KUninstaller.CLen / 2] ^= 0x01;
  std::string path = dir + "Uninstall.Exe";
  EXPECT_THROW(WritePayloadFile({data.data(), KUninstaller}, path), EZDecompressionError);
  EXPECT_GT(FileSize(path), 0);
  EXPECT_LE(FileSize(path), KUninstaller.USize);
}

// Runs only where the test setup has mounted a tiny disk (KV_FULL_DISK, a folder on it).
TEST_F(PayloadWriter, FullDiskIsStreamWriteError) {
  const char* full = std::getenv("KV_FULL_DISK");
  if (!full) GTEST_SKIP() << "no small disk mounted";
  std::string path = std::string(full) + "\\Korvane.Exe";
  try {
    WriteClientProgram(path);
    FAIL() << "no error";
  } catch (const EWriteError& e) {
    EXPECT_STREQ(e.what(), "Stream write error");
  }
  int64_t left = FileSize(path);
  EXPECT_GT(left, 0);  // the part that fitted stays
  EXPECT_LT(left, KClientProgram.USize);
  DeleteFileA(path.c_str());
}

}  // namespace

// The installer links its own small crc32 in place of zlib's; inflate checks gzip streams with it.
TEST(GzipCrc, MatchesTheStandardCheckValueAndInflatesGzipStreams) {
  const std::string check = "123456789";
  EXPECT_EQ(crc32(0, reinterpret_cast<const Bytef*>(check.data()), uInt(check.size())), 0xCBF43926UL);
  EXPECT_EQ(crc32(0, nullptr, 0), 0UL);
  // Split in two, the sum must come out the same.
  const uLong first = crc32(0, reinterpret_cast<const Bytef*>(check.data()), 4);
  EXPECT_EQ(crc32(first, reinterpret_cast<const Bytef*>(check.data() + 4), 5), 0xCBF43926UL);

  std::string text;
  for (int i = 0; i < 5000; ++i) text += std::to_string(i * 7919 % 1000) + ' ';
  std::vector<Bytef> packed(text.size() + 1024);
  z_stream z{};
  ASSERT_EQ(deflateInit2(&z, 9, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY), Z_OK);  // gzip wrapper
  z.next_in = reinterpret_cast<Bytef*>(text.data());
  z.avail_in = uInt(text.size());
  z.next_out = packed.data();
  z.avail_out = uInt(packed.size());
  ASSERT_EQ(deflate(&z, Z_FINISH), Z_STREAM_END);
  packed.resize(z.total_out);
  deflateEnd(&z);

  // A gzip stream ends with the CRC of its text: inflate refuses it if its crc32 sums otherwise.
  std::string out(text.size(), '\0');
  const auto inflateGzip = [&] {
    z_stream u{};
    if (inflateInit2(&u, 15 + 16) != Z_OK) return Z_MEM_ERROR;
    u.next_in = packed.data();
    u.avail_in = uInt(packed.size());
    u.next_out = reinterpret_cast<Bytef*>(out.data());
    u.avail_out = uInt(out.size());
    const int result = inflate(&u, Z_FINISH);
    inflateEnd(&u);
    return result;
  };
  EXPECT_EQ(inflateGzip(), Z_STREAM_END);
  EXPECT_EQ(out, text);
  packed[packed.size() - 8] ^= 1;  // the stored CRC, one bit off
  EXPECT_EQ(inflateGzip(), Z_DATA_ERROR);
}
