#include "lib/win/LIB_GetMemStreamFromTheWeb.h"

#include <wininet.h>

#include <thread>

#include "lib/win/WinApp.h"
#include "lib/win/WinHandles.h"
#include "lib/win/WinText.h"

std::atomic<int> tLibGetMemStreamFromTheWeb::pending_{0};

namespace {
using TInternetHandle = TOwned<THandleTraits<HINTERNET, InternetCloseHandle>>;
constexpr UINT kDoDone = WM_APP + 1;
constexpr DWORD kBufferSize = 4096;
}  // namespace

tLibGetMemStreamFromTheWeb::tLibGetMemStreamFromTheWeb(const std::string& url, TDoneEvent onDone,
                                                       HWND syncWindow)
    : URL(url), Stream(std::make_unique<std::string>()), OnDone(std::move(onDone)), syncWindow_(syncWindow) {
  ++pending_;
}

tLibGetMemStreamFromTheWeb::~tLibGetMemStreamFromTheWeb() { --pending_; }

void tLibGetMemStreamFromTheWeb::Create(const std::string& URL, TDoneEvent OnDone) {
  // The main thread's window that runs the hand-over; it lives as long as the process.
  static const HWND syncWindow = [] {
    WNDCLASSW wc{};
    wc.lpfnWndProc = SyncProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"KvWebFetchSync";
    RegisterClassW(&wc);
    return CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
  }();
  auto* fetch = new tLibGetMemStreamFromTheWeb(URL, std::move(OnDone), syncWindow);
  try {
    std::thread([fetch] {
      fetch->Execute();
      // The main thread runs DoDone while this thread waits for it.
      SendMessageW(fetch->syncWindow_, kDoDone, 0, reinterpret_cast<LPARAM>(fetch));
      delete fetch;
    }).detach();
  } catch (...) {
    delete fetch;
    throw;
  }
}

void tLibGetMemStreamFromTheWeb::Execute() {
  try {
    TInternetHandle root(InternetOpenW(L"InetURL:/1.0", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    if (root) {
      TInternetHandle file(InternetOpenUrlW(root.get(), Wide(URL).c_str(), nullptr, 0, INTERNET_FLAG_RELOAD, 0));
      if (file) {
        char buffer[kBufferSize];
        for (;;) {
          DWORD read = 0;
          if (!InternetReadFile(file.get(), buffer, kBufferSize - 1, &read)) {
            // A body cut off half-way is no body: it must not pass for a whole one.
            Stream->clear();
            break;
          }
          if (read == 0) break;
          Stream->append(buffer, read);
        }
      }
    }
  } catch (...) {
    Stream->clear();
    Stream->shrink_to_fit();
  }
}

void tLibGetMemStreamFromTheWeb::DoDone() {
  if (OnDone) OnDone(*this);
  else Stream.reset();
}

LRESULT CALLBACK tLibGetMemStreamFromTheWeb::SyncProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) noexcept {
  if (msg != kDoDone) return DefWindowProcW(hwnd, msg, wp, lp);
  Dispatch([lp] { reinterpret_cast<tLibGetMemStreamFromTheWeb*>(lp)->DoDone(); });
  return 0;
}
