// Korvane.Exe: the client as far as this repository goes. Its window shows what the user's
// data file holds, so that an installation can be checked by eye.
#include <shlobj.h>
#include <windows.h>

#include <string>

#include "lib/win/WinApp.h"
#include "lib/win/Window.h"

namespace {

std::string DataFilePath() {
  char buf[MAX_PATH];
  if (SUCCEEDED(SHGetFolderPathA(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, buf))) {
    std::string user = std::string(buf) + "\\Korvane P2P\\Korvane.Dat";
    if (GetFileAttributesA(user.c_str()) != INVALID_FILE_ATTRIBUTES) return user;
  }
  std::string exe = ExePath();
  return exe.substr(0, exe.find_last_of('\\') + 1) + "KVInst.Dat";
}

std::string Describe(const std::string& path) {
  if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES)
    return "No data file was found (" + path + ").";
  return "Data file: " + path;
}

class TClientWindow : public TWindow {
 public:
  TClientWindow() {
    CreateHandle("KorvaneP2P", 0, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, Scale(640), Scale(480), nullptr);
    SetWindowTextA(Handle(), "Korvane P2P");
    text_ = CreateWindowExA(WS_EX_CLIENTEDGE, "EDIT", "",
                            WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE | ES_READONLY, 0, 0, 0, 0,
                            Handle(), nullptr, GetModuleHandleA(nullptr), nullptr);
    SendMessageA(text_, WM_SETFONT, reinterpret_cast<WPARAM>(GetFont({"Courier New", -13})), FALSE);
    SetWindowTextA(text_, Describe(DataFilePath()).c_str());
  }

 protected:
  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override {
    switch (msg) {
      case WM_SIZE:
        MoveWindow(text_, 0, 0, LOWORD(lp), HIWORD(lp), TRUE);
        return 0;
      case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return Default(msg, wp, lp);
  }

 private:
  HWND text_ = nullptr;
};

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int show) {
  InitApplication();
  TClientWindow window;
  ShowWindow(window.Handle(), show);
  return RunMessageLoop();
}
