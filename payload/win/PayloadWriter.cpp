#include "payload/win/PayloadWriter.h"

#include <commctrl.h>

#include <stdexcept>

#include "lib/win/WinApp.h"
#include "lib/win/WinHandles.h"

namespace {

class TWin32File : public TPayloadFile {
 public:
  explicit TWin32File(const std::string& name)
      : h_(CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                       nullptr)) {
    if (!h_) {
      DWORD err = GetLastError();
      throw std::runtime_error("Cannot create file \"" + name + "\". " + SysErrorMessage(err));
    }
  }
  size_t Write(const uint8_t* bytes, size_t count) override {
    DWORD done = 0;
    if (!WriteFile(h_.get(), bytes, static_cast<DWORD>(count), &done, nullptr)) return 0;
    return done;
  }

 private:
  TFileHandle h_;
};

void ReportWriteProgress(HWND bar, HWND caption, int value) {
  if (bar) {
    SendMessageA(bar, PBM_SETPOS, static_cast<WPARAM>(value), 0);
    if (caption) {
      auto position = static_cast<int>(SendMessageA(bar, PBM_GETPOS, 0, 0));
      auto maximum = static_cast<int>(SendMessageA(bar, PBM_GETRANGE, FALSE, 0));
      SetWindowTextA(caption, (std::to_string(RoundPercent(position, maximum)) + "% complete").c_str());
    }
  }
  ProcessMessages();
}

}  // namespace

std::string SysErrorMessage(DWORD code) {
  char* text = nullptr;
  DWORD n = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                           nullptr, code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
  std::string s(text ? text : "", n);
  LocalFree(text);
  while (!s.empty() && (static_cast<unsigned char>(s.back()) <= ' ' || s.back() == '.')) s.pop_back();
  return s;
}

void WritePayloadFile(const TPayload& payload, const std::string& FileName, HWND ProgressBar, HWND ProgressCaption) {
  WritePayload(
      payload, [&] { return std::make_unique<TWin32File>(FileName); },
      [&](int value) { ReportWriteProgress(ProgressBar, ProgressCaption, value); });
}
