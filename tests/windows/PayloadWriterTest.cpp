// The payload writers against the real file system, progress bar and message queue.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "payload/GB_Payload.h"
#include "payload/win/GB_KorvaneP2P_exe.h"
#include "payload/win/GB_Uninstall_exe.h"
#include "payload/win/GB_korvane_toolbar_exe.h"
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
    void (*Write)(const std::string&, HWND, HWND);
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
    c.Write(path, nullptr, nullptr);
    EXPECT_EQ(FileSize(path), c.Sizes.USize);
    // A program that Windows can load, with the product icon at index 0.
    EXPECT_EQ(ExtractIconA(GetModuleHandleA(nullptr), path.c_str(), UINT(-1)) != nullptr, c.Sizes.USize != KToolbarInstaller.USize);
  }
}

// Records what the caption shows at each change, with the bar's position at that moment.
struct TCaptionLog {
  HWND Bar;
  std::vector<std::pair<int, std::string>> Shown;
  static LRESULT CALLBACK Proc(HWND h, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR self) {
    LRESULT result = DefSubclassProc(h, msg, wp, lp);
    if (msg == WM_SETTEXT) {
      auto* log = reinterpret_cast<TCaptionLog*>(self);
      char text[64];
      GetWindowTextA(h, text, sizeof text);
      log->Shown.emplace_back(int(SendMessageA(log->Bar, PBM_GETPOS, 0, 0)), text);
    }
    return result;
  }
};

TEST_F(PayloadWriter, MovesBarAndCaptionAsTheInstallationShowsThem) {
  HWND host = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 700, 300, nullptr, nullptr, nullptr, nullptr);
  HWND bar = CreateWindowExA(0, PROGRESS_CLASSA, "", WS_CHILD | PBS_SMOOTH, 39, 232, 634, 26, host, nullptr, nullptr, nullptr);
  HWND caption = CreateWindowExA(0, "STATIC", "0% complete", WS_CHILD, 344, 200, 60, 13, host, nullptr, nullptr, nullptr);
  // The installation's range: both programs' sizes and a tenth more for the later steps.
  int sum = WriteProgressEnd(KClientProgram) + WriteProgressEnd(KUninstaller);
  int maximum = sum + sum / 10;
  ASSERT_EQ(maximum, 7944118);
  SendMessageA(bar, PBM_SETRANGE32, 0, maximum);
  TCaptionLog log{bar, {}};
  SetWindowSubclass(caption, TCaptionLog::Proc, 1, reinterpret_cast<DWORD_PTR>(&log));

  WriteClientProgram(dir + "Korvane.Exe", bar, caption);

  // The caption follows at most once a frame: every text it shows is the bar's position at that
  // moment, each one new, and the last one is the end of the write.
  ASSERT_GE(log.Shown.size(), 2u);
  EXPECT_EQ(log.Shown.front(), std::make_pair(1024, std::string("0% complete")));
  for (size_t i = 0; i < log.Shown.size(); ++i) {
    EXPECT_EQ(log.Shown[i].second, std::to_string(RoundPercent(log.Shown[i].first, maximum)) + "% complete");
    if (i > 0) EXPECT_NE(log.Shown[i].second, log.Shown[i - 1].second);
  }
  // 6,156,616 of 7,944,118 is 77.499 %.
  EXPECT_EQ(log.Shown.back(), std::make_pair(6156616, std::string("77% complete")));
  EXPECT_EQ(SendMessageA(bar, PBM_GETPOS, 0, 0), 6156616);
  EXPECT_TRUE(std::is_sorted(log.Shown.begin(), log.Shown.end(),
                             [](const auto& a, const auto& b) { return a.first < b.first; }));
  RemoveWindowSubclass(caption, TCaptionLog::Proc, 1);
  DestroyWindow(host);
}

TEST_F(PayloadWriter, KeepsPumpingWithoutBar) {
  // A message posted before the write is handled while the program is still being written
  // (in the copy phase the file does not exist yet).
  static std::string path;
  static long long sizeWhenHandled;
  static bool handled;
  path = dir + "Korvane.Exe";
  handled = false;
  HWND w = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
  SetWindowSubclass(
      w,
      [](HWND h, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR) -> LRESULT {
        if (msg == WM_APP) {
          handled = true;
          sizeWhenHandled = FileSize(path);
        }
        return DefSubclassProc(h, msg, wp, lp);
      },
      1, 0);
  PostMessageA(w, WM_APP, 0, 0);
  WriteClientProgram(path, nullptr, nullptr);
  ASSERT_TRUE(handled);
  EXPECT_LT(sizeWhenHandled, KClientProgram.USize);
  EXPECT_EQ(FileSize(path), KClientProgram.USize);
  DestroyWindow(w);
}

TEST_F(PayloadWriter, MissingFolderFailsBeforeDecompressing) {
  HWND bar = CreateWindowExA(0, PROGRESS_CLASSA, "", WS_POPUP, 0, 0, 100, 10, nullptr, nullptr, nullptr, nullptr);
  SendMessageA(bar, PBM_SETRANGE32, 0, WriteProgressEnd(KUninstaller));
  std::string path = dir + "missing\\Uninstall.Exe";
  try {
    WriteUninstaller(path, bar, nullptr);
    FAIL() << "no error";
  } catch (const std::runtime_error& e) {
    EXPECT_EQ(std::string(e.what()), "Cannot create file \"" + path + "\". " + SysErrorMessage(ERROR_PATH_NOT_FOUND));
  }
  EXPECT_EQ(SendMessageA(bar, PBM_GETPOS, 0, 0), KUninstaller.Chunks * 1024);  // the copy phase only
  DestroyWindow(bar);
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
  EXPECT_THROW(WritePayloadFile({data.data(), KUninstaller}, path, nullptr, nullptr), EZDecompressionError);
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
