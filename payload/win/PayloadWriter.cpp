#include "payload/win/PayloadWriter.h"

#include <commctrl.h>

#include <chrono>
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

// Shows a writer's progress. A report comes after every 1 KiB block, nearly 10,000 for an
// installation, and each update of a control or pump of the queue is a round trip to the window
// system: doing all of them per block made the writing many times slower than the work itself.
// So the bar, the caption and the pump follow at most once a frame (the window stays as
// responsive), and the last value is always shown, also when the write fails.
class TProgressView {
 public:
  TProgressView(HWND bar, HWND caption) : bar_(bar), caption_(bar ? caption : nullptr) {}
  ~TProgressView() { Show(); }
  void Report(int value) {
    value_ = value;
    const auto now = std::chrono::steady_clock::now();
    if (now - last_ < kFrame) return;
    last_ = now;
    Show();
    ProcessMessages();
  }

 private:
  static constexpr auto kFrame = std::chrono::milliseconds(16);
  void Show() {
    if (!bar_ || value_ < 0) return;
    SendMessageA(bar_, PBM_SETPOS, static_cast<WPARAM>(value_), 0);
    if (!caption_) return;
    auto position = static_cast<int>(SendMessageA(bar_, PBM_GETPOS, 0, 0));
    auto maximum = static_cast<int>(SendMessageA(bar_, PBM_GETRANGE, FALSE, 0));
    std::string text = std::to_string(RoundPercent(position, maximum)) + "% complete";
    if (text != shown_) SetWindowTextA(caption_, text.c_str());
    shown_ = std::move(text);
  }
  HWND bar_, caption_;
  int value_ = -1;
  std::string shown_;
  std::chrono::steady_clock::time_point last_{};
};

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
  TProgressView view(ProgressBar, ProgressCaption);
  WritePayload(
      payload, [&] { return std::make_unique<TWin32File>(FileName); }, [&](int value) { view.Report(value); });
}
