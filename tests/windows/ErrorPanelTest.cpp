// The exception handler, its error report and the error panel, in the real main window.
// Winsock before anything that brings <windows.h>.
#include "tests/windows/LoopbackHttp.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>

#include <shlobj.h>

#include "lib/LIB_Errors.h"
#include "lib/LIB_Text.h"
#include "lib/LIB_kvURL.h"
#include "lib/win/ShellHelpers.h"
#include "lib/win/WinText.h"
#include "panels/PNL_Error.h"
#include "tests/windows/TestFiles.h"
#include "tests/windows/WizardTestUtil.h"
#include "wizard/Appl_Report.h"

namespace {

std::string PercentDecode(const std::string& s) {
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '%' && i + 2 < s.size()) {
      out += static_cast<char>(std::stoi(s.substr(i + 1, 2), nullptr, 16));
      i += 2;
    } else {
      out += s[i];
    }
  }
  return out;
}

// The fields of a report's query, in their order, values decoded.
std::vector<std::pair<std::string, std::string>> Fields(const std::string& target) {
  std::vector<std::pair<std::string, std::string>> fields;
  const std::string query = target.substr(target.find('?') + 1);
  for (size_t from = 0;;) {
    const size_t at = query.find('&', from);
    const std::string item = query.substr(from, at - from);
    const size_t eq = item.find('=');
    fields.emplace_back(item.substr(0, eq), PercentDecode(item.substr(eq + 1)));
    if (at == std::string::npos) break;
    from = at + 1;
  }
  return fields;
}

// A window whose every posted WM_APP fails, as a handler that throws does.
class TFailingWindow : public TWindow {
 public:
  TFailingWindow() { CreateHandle(L"KvTestFailing", 0, WS_POPUP, 0, 0, 0, 0, nullptr); }

 protected:
  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override {
    if (msg == WM_APP) throw std::runtime_error("second failure");
    return Default(msg, wp, lp);
  }
};

class ErrorReport : public TWizardTest {
 protected:
  void SetUp() override {
    saved_ = ReportAddress();
    SetReportAddress(PackURL(server.Base() + "/report.php?"));
    TWizardTest::SetUp();
  }
  void TearDown() override {
    TWizardTest::TearDown();
    SetReportAddress(saved_);
  }
  TPnlError& ErrorPanel() { return dynamic_cast<TPnlError&>(*form->Panel(TPanelId::Error)); }
  static void Fail(const std::string& message) {
    Dispatch([&] { throw std::runtime_error(message); });
  }
  std::string Shown() { return Text(ErrorPanel().StaticText1); }

  TLoopbackHttp server;
  std::string saved_;
};

TEST_F(ErrorReport, ReportCarriesThePanelTitleFoldersAndMessage) {
  form->State.InstallDir = "C:\\Program Files\\Korvane P2P\\";
  form->State.DataDir = "C:\\Program Files\\Korvane P2P\\";
  form->State.AppDataDir = "C:\\users\\me\\Local Settings\\Application Data\\";
  form->ShowPanel(TPanelId::Disclaimer, false);
  Fail("File access denied");

  EXPECT_EQ(form->HeaderCaption(), "Error");
  EXPECT_EQ(ActiveName(), "PnlError");
  EXPECT_EQ(Shown(), "File access denied");
  EXPECT_FALSE(form->Busy);
  ASSERT_TRUE(server.WaitFor(1));
  const std::string target = server.Requests()[0];
  EXPECT_EQ(target,
            "/report.php?T=Korvane&V=3&A=%22License%20agreement%20and%20disclaimer%22"
            "&B=%22C%3A%5CProgram%20Files%5CKorvane%20P2P%5C%22&C=%22%22"
            "&D=%22C%3A%5CProgram%20Files%5CKorvane%20P2P%5C%22"
            "&E=%22C%3A%5Cusers%5Cme%5CLocal%20Settings%5CApplication%20Data%5C%22"
            "&F=%22File%20access%20denied%22");
}

// The folders of a failed run lie in the user's profile as often as not; its name is the user's.
TEST_F(ErrorReport, ReportNamesNeitherTheProfileFolderNorTheUser) {
  const std::string profile = *KnownFolder(CSIDL_PROFILE);
  const std::string local = *KnownFolder(CSIDL_LOCAL_APPDATA), roaming = *KnownFolder(CSIDL_APPDATA);
  wchar_t name[256];
  DWORD size = 256;
  ASSERT_TRUE(GetUserNameW(name, &size));
  const std::string user = Utf8(name);
  form->State.InstallDir = profile + "\\Korvane P2P\\";
  form->State.DownloadDir = LowerCase(profile) + "\\Downloads\\";  // typed by hand, in other case
  form->State.DataDir = local + "\\Korvane P2P\\";
  form->State.AppDataDir = roaming + "\\";
  form->ShowPanel(TPanelId::Install, false);
  Fail("Cannot create file \"" + profile + "\\Korvane P2P\\Korvane.Exe\". Access is denied.");

  ASSERT_TRUE(server.WaitFor(1));
  const auto fields = Fields(server.Requests()[0]);
  ASSERT_EQ(fields.size(), 8u);
  EXPECT_EQ(fields[3].second, "\"%USERPROFILE%\\Korvane P2P\\\"");
  EXPECT_EQ(fields[4].second, "\"%USERPROFILE%\\Downloads\\\"");
  EXPECT_EQ(fields[5].second, "\"%USERPROFILE%" + local.substr(profile.size()) + "\\Korvane P2P\\\"");
  EXPECT_EQ(fields[6].second, "\"%USERPROFILE%" + roaming.substr(profile.size()) + "\\\"");
  EXPECT_EQ(fields[7].second, "\"Cannot create file \"%USERPROFILE%\\Korvane P2P\\Korvane.Exe\". Access is denied.\"");
  std::string sent = PercentDecode(server.Requests()[0]);
  for (size_t at; (at = sent.find("%USERPROFILE%")) != std::string::npos;) sent.erase(at, 13);
  EXPECT_EQ(LowerCase(sent).find(LowerCase(profile)), std::string::npos) << sent;
  EXPECT_EQ(LowerCase(sent).find(LowerCase(user)), std::string::npos) << user << " in " << sent;
  // The error panel shows the message as it was.
  EXPECT_EQ(Shown(), "Cannot create file \"" + profile + "\\Korvane P2P\\Korvane.Exe\". Access is denied.");
}

TEST_F(ErrorReport, MessagesAndFoldersWithAwkwardCharactersArriveWhole) {
  // été, and a Cyrillic folder: UTF-8 through the window and the report.
  const std::string message = "Can't write \"C:\\A & B\\#1\\x=1?y\" 100% \xC3\xA9t\xC3\xA9";
  form->State.DownloadDir = "D:\\Music & Films #2\\";
  form->State.InstallDir = "C:\\\xD0\x9F\xD0\xB0\xD0\xBF\xD0\xBA\xD0\xB0\\";
  form->ShowPanel(TPanelId::Install, false);
  Fail(message);
  ASSERT_TRUE(server.WaitFor(1));
  const auto fields = Fields(server.Requests()[0]);
  const std::vector<std::pair<std::string, std::string>> expected = {
      {"T", "Korvane"},
      {"V", "3"},
      {"A", "\"Install or upgrade?\""},
      {"B", "\"C:\\\xD0\x9F\xD0\xB0\xD0\xBF\xD0\xBA\xD0\xB0\\\""},
      {"C", "\"D:\\Music & Films #2\\\""},
      {"D", "\"\""},
      {"E", "\"\""},
      {"F", "\"" + message + "\""},
  };
  EXPECT_EQ(fields, expected);
  EXPECT_EQ(Shown(), message);
}

// An installation that fails after it fell back to another folder reports the folders it
// settled on, not those that were chosen: they are where its files went.
TEST_F(ErrorReport, AFailedInstallationReportsTheFoldersItSettledOn) {
  const std::string fallback = ShellFolder(CSIDL_PROGRAM_FILES) + "\\KorvaneP2P\\";
  const std::string appData = ShellFolder(CSIDL_LOCAL_APPDATA) + "\\Korvane P2P\\";
  const std::string profile = ShellFolder(CSIDL_PROFILE);
  ASSERT_TRUE(appData.starts_with(profile + "\\"));
  const std::string reportedAppData = "%USERPROFILE%" + appData.substr(profile.size());
  auto clean = [&] {
    RemoveTree(fallback.substr(0, fallback.size() - 1));
    RemoveTree(appData.substr(0, appData.size() - 1));
  };
  clean();
  // The chosen folder cannot be made; in the fallback a folder stands where the client goes.
  ASSERT_EQ(SHCreateDirectoryExA(nullptr, (fallback + "Korvane.Exe").c_str(), nullptr), ERROR_SUCCESS);
  form->State.InstallDir = "Q:\\no such drive\\Korvane P2P\\";
  form->State.DownloadDir = "C:\\kvtest_downloads\\";
  form->State.InstallToolbar = false;
  form->ShowPanel(TPanelId::InstallGo, false);
  ASSERT_TRUE(Press("&Install Now"));
  WaitUntil([&] { return !form->EngineRunning(); });
  EXPECT_EQ(ActiveName(), "PnlError");
  EXPECT_TRUE(Shown().starts_with("Cannot create file \"" + fallback + "Korvane.Exe\".")) << Shown();
  ASSERT_TRUE(server.WaitFor(1));
  const auto fields = Fields(server.Requests()[0]);
  const std::vector<std::pair<std::string, std::string>> expected = {
      {"T", "Korvane"},
      {"V", "3"},
      {"A", "\"Installing Korvane P2P\""},
      {"B", "\"" + fallback + "\""},
      {"C", "\"C:\\kvtest_downloads\\\""},
      {"D", "\"" + reportedAppData + "\""},
      {"E", "\"" + reportedAppData + "\""},
      {"F", "\"" + Shown() + "\""},
  };
  EXPECT_EQ(fields, expected);
  clean();
}

TEST_F(ErrorReport, TwoFailuresInSuccessionSendTwoReports) {
  Fail("first");
  Fail("second");
  EXPECT_EQ(Shown(), "second");
  ASSERT_TRUE(server.WaitFor(2));
  std::vector<std::string> messages;
  for (const auto& target : server.Requests()) messages.push_back(Fields(target).back().second);
  std::sort(messages.begin(), messages.end());
  EXPECT_EQ(messages, (std::vector<std::string>{"\"first\"", "\"second\""}));
  // The second one happened on the error panel.
  for (const auto& target : server.Requests()) {
    if (Fields(target).back().second == "\"second\"") EXPECT_EQ(Fields(target)[2].second, "\"Error\"");
  }
}

TEST_F(ErrorReport, FailureWhileTheErrorPanelIsBeingShownDoesNotLoop) {
  TFailingWindow failing;
  // Delivered while the handler slides the error panel in.
  PostMessageA(failing.Handle(), WM_APP, 0, 0);
  Fail("first");
  EXPECT_EQ(ActiveName(), "PnlError");
  EXPECT_EQ(Shown(), "first");
  ASSERT_TRUE(server.WaitFor(1));
  EXPECT_FALSE(server.WaitFor(2, 1000));
  // The handler is free again afterwards.
  Fail("later");
  EXPECT_EQ(Shown(), "later");
  EXPECT_TRUE(server.WaitFor(2));
}

TEST_F(ErrorReport, FullDiskReadsDiskFull) {
  const struct {
    std::string message, shown;
  } cases[] = {
      {"I/O error 112", "Disk Full"},  {"i/o error 112", "Disk Full"},       {"I/O ERROR 112", "Disk Full"},
      {"I/O Error 112", "Disk Full"},  {"I/O error 112.", "I/O error 112."}, {" I/O error 112", " I/O error 112"},
      {"I/O error 1120", "I/O error 1120"}, {"Disk full", "Disk full"},
  };
  for (const auto& c : cases) {
    ErrorPanel().SetMessage(c.message);
    EXPECT_EQ(Shown(), c.shown) << c.message;
  }
  // The runtime's own error for code 112, through the handler.
  Dispatch([] { throw EInOutError(112); });
  EXPECT_EQ(Shown(), "Disk Full");
  ASSERT_TRUE(server.WaitFor(1));
  EXPECT_EQ(Fields(server.Requests()[0]).back().second, "\"I/O error 112\"");
}

TEST_F(ErrorReport, ClipboardHoldsExactlyTheShownText) {
  Dispatch([] { throw EInOutError(112); });
  SendMessageA(ErrorPanel().btnClipboard, BM_CLICK, 0, 0);
  ASSERT_TRUE(OpenClipboard(nullptr));
  HANDLE data = GetClipboardData(CF_TEXT);
  ASSERT_NE(data, nullptr);
  const std::string copied = static_cast<const char*>(GlobalLock(data));
  GlobalUnlock(data);
  CloseClipboard();
  EXPECT_EQ(copied, "Disk Full");
}

TEST_F(ErrorReport, ErrorPanelOffersExitAndRestart) {
  Fail("x");
  const tKvButtonBar& bar = *form->PnlButtons;
  ASSERT_EQ(bar.LeftCount(), 1);
  ASSERT_EQ(bar.RightCount(), 1);
  EXPECT_EQ(bar.LeftButton(1).Caption, "&Exit");
  EXPECT_EQ(bar.RightButton(1).Caption, "&Restart");
  EXPECT_EQ(bar.RightButton(1).Tag, 2);
  ASSERT_TRUE(Press("&Exit"));
  MSG msg;
  EXPECT_TRUE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE));
}

}  // namespace
