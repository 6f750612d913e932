#include "lib/win/LIB_GetMemStreamFromTheWeb.h"

#include <wininet.h>

#include <thread>

#include "lib/win/WinApp.h"
#include "lib/win/WinHandles.h"

std::atomic<int> tLibGetMemStreamFromTheWeb::pending_{0};

namespace {
// WinInet is not a Known DLL: imported, the loader would look for it beside the installer (a
// Downloads folder) before WinMain runs. So it is taken from the system folder when first used.
struct TWinInet {
  decltype(&InternetOpenA) Open;
  decltype(&InternetOpenUrlA) OpenUrl;
  decltype(&InternetReadFile) Read;
  decltype(&InternetCloseHandle) Close;
};

template <class F>
F Function(HMODULE dll, const char* name) {
  return dll ? reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(dll, name))) : nullptr;
}

// Null when WinInet or one of its functions is missing.
const TWinInet* WinInet() {
  static const TWinInet api = [] {
    const HMODULE dll = LoadLibraryExW(L"wininet.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    return TWinInet{Function<decltype(&InternetOpenA)>(dll, "InternetOpenA"),
                    Function<decltype(&InternetOpenUrlA)>(dll, "InternetOpenUrlA"),
                    Function<decltype(&InternetReadFile)>(dll, "InternetReadFile"),
                    Function<decltype(&InternetCloseHandle)>(dll, "InternetCloseHandle")};
  }();
  return api.Open && api.OpenUrl && api.Read && api.Close ? &api : nullptr;
}

struct TInternetTraits {
  using Handle = HINTERNET;
  static HINTERNET Invalid() { return nullptr; }
  static void Close(HINTERNET h) { WinInet()->Close(h); }
};
using TInternetHandle = TOwned<TInternetTraits>;
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
    WNDCLASSA wc{};
    wc.lpfnWndProc = SyncProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "KvWebFetchSync";
    RegisterClassA(&wc);
    return CreateWindowExA(0, wc.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
  }();
  auto* fetch = new tLibGetMemStreamFromTheWeb(URL, std::move(OnDone), syncWindow);
  try {
    std::thread([fetch] {
      fetch->Execute();
      // The main thread runs DoDone while this thread waits for it.
      SendMessageA(fetch->syncWindow_, kDoDone, 0, reinterpret_cast<LPARAM>(fetch));
      delete fetch;
    }).detach();
  } catch (...) {
    delete fetch;
    throw;
  }
}

void tLibGetMemStreamFromTheWeb::Execute() {
  try {
    const TWinInet* api = WinInet();
    if (!api) return;
    TInternetHandle root(api->Open("InetURL:/1.0", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    if (root) {
      TInternetHandle file(api->OpenUrl(root.get(), URL.c_str(), nullptr, 0, INTERNET_FLAG_RELOAD, 0));
      if (file) {
        char buffer[kBufferSize];
        for (;;) {
          DWORD read = 0;
          if (!api->Read(file.get(), buffer, kBufferSize - 1, &read)) {
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
  if (msg != kDoDone) return DefWindowProcA(hwnd, msg, wp, lp);
  Dispatch([lp] { reinterpret_cast<tLibGetMemStreamFromTheWeb*>(lp)->DoDone(); });
  return 0;
}
