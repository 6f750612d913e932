#include "lib/win/LIB_GetMemStreamFromTheWeb.h"

#include <wininet.h>

#include <algorithm>

#include "lib/win/WinApp.h"
#include "lib/win/WinHandles.h"
#include "lib/win/WinText.h"
#include "lib/win/WinThread.h"

std::atomic<int> tLibGetMemStreamFromTheWeb::pending_{0};

namespace {
// WinInet is not a Known DLL: imported, the loader would look for it beside the installer (a
// Downloads folder) before WinMain runs. So it is taken from the system folder when first used.
struct TWinInet {
  decltype(&InternetOpenW) Open = nullptr;
  decltype(&InternetCrackUrlW) CrackUrl = nullptr;
  decltype(&InternetConnectW) Connect = nullptr;
  decltype(&HttpOpenRequestW) OpenRequest = nullptr;
  decltype(&InternetSetOptionW) SetOption = nullptr;
  decltype(&HttpSendRequestW) SendRequest = nullptr;
  decltype(&InternetReadFile) Read = nullptr;
  decltype(&InternetCloseHandle) Close = nullptr;
};

template <class F>
bool Load(HMODULE dll, F& function, const char* name) {
  function = reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(dll, name)));
  return function != nullptr;
}

// Null when WinInet or one of its functions is missing.
const TWinInet* WinInet() {
  static const TWinInet api = [] {
    TWinInet a;
    const HMODULE dll = LoadLibraryExW(L"wininet.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    const bool all = dll && Load(dll, a.Open, "InternetOpenW") && Load(dll, a.CrackUrl, "InternetCrackUrlW") &&
                     Load(dll, a.Connect, "InternetConnectW") && Load(dll, a.OpenRequest, "HttpOpenRequestW") &&
                     Load(dll, a.SetOption, "InternetSetOptionW") && Load(dll, a.SendRequest, "HttpSendRequestW") &&
                     Load(dll, a.Read, "InternetReadFile") && Load(dll, a.Close, "InternetCloseHandle");
    return all ? a : TWinInet{};
  }();
  return api.Open ? &api : nullptr;
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
                                                       DWORD timeoutMs, HWND syncWindow)
    : URL(url),
      Stream(std::make_unique<std::string>()),
      OnDone(std::move(onDone)),
      timeoutMs_(timeoutMs),
      syncWindow_(syncWindow) {
  ++pending_;
}

tLibGetMemStreamFromTheWeb::~tLibGetMemStreamFromTheWeb() { --pending_; }

void tLibGetMemStreamFromTheWeb::Create(const std::string& URL, TDoneEvent OnDone, DWORD TimeoutMs) {
  // The main thread's window that runs the hand-over; it lives as long as the process.
  static const HWND syncWindow = [] {
    WNDCLASSW wc{};
    wc.lpfnWndProc = SyncProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"KvWebFetchSync";
    RegisterClassW(&wc);
    return CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
  }();
  auto* fetch = new tLibGetMemStreamFromTheWeb(URL, std::move(OnDone), TimeoutMs, syncWindow);
  try {
    TThread([fetch] {
      fetch->Execute();
      // The main thread runs DoDone while this thread waits for it.
      SendMessageW(fetch->syncWindow_, kDoDone, 0, reinterpret_cast<LPARAM>(fetch));
      delete fetch;
    }).Detach();
  } catch (...) {
    delete fetch;
    throw;
  }
}

void tLibGetMemStreamFromTheWeb::Execute() {
  try {
    const TWinInet* api = WinInet();
    const std::wstring url = Wide(URL);
    URL_COMPONENTSW parts{};
    parts.dwStructSize = sizeof parts;
    parts.dwHostNameLength = parts.dwUrlPathLength = 1;  // pointers into url
    if (!api || !api->CrackUrl(url.c_str(), 0, 0, &parts)) return;
    const std::wstring host(parts.lpszHostName, parts.dwHostNameLength);
    const std::wstring object(parts.lpszUrlPath);  // the path with its query
    TInternetHandle root(api->Open(L"InetURL:/1.0", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    TInternetHandle connection(
        root ? api->Connect(root.get(), host.c_str(), parts.nPort, nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0)
             : nullptr);
    // Only the address asked for, and nothing about the user: no cookies kept or sent, no copy
    // in the cache, no dialog, no logon answered for a challenge, no redirect followed. Over
    // https the server's certificate is checked as usual.
    const DWORD flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_NO_COOKIES |
                        INTERNET_FLAG_NO_UI | INTERNET_FLAG_NO_AUTH | INTERNET_FLAG_NO_AUTO_REDIRECT |
                        (parts.nScheme == INTERNET_SCHEME_HTTPS ? INTERNET_FLAG_SECURE : 0);
    TInternetHandle request(connection ? api->OpenRequest(connection.get(), L"GET", object.c_str(), nullptr, nullptr,
                                                          nullptr, flags, 0)
                                       : nullptr);
    if (!request) return;
    // The system's own time-outs are long: a server that takes the connection and then says
    // nothing would hold this thread, and the process at its end, for minutes. They are set on
    // the request itself, which is all that Wine heeds.
    for (DWORD option : {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT, INTERNET_OPTION_RECEIVE_TIMEOUT})
      api->SetOption(request.get(), option, &timeoutMs_, sizeof timeoutMs_);
    if (!api->SendRequest(request.get(), nullptr, 0, nullptr, 0)) return;
    char buffer[kBufferSize];
    for (;;) {
      DWORD read = 0;
      // One byte more than the limit tells a body that is too long from one that just fits.
      const DWORD ask = static_cast<DWORD>(std::min<size_t>(kBufferSize - 1, MaxBody + 1 - Stream->size()));
      // A body cut off half-way is no body: it must not pass for a whole one.
      if (!api->Read(request.get(), buffer, ask, &read)) {
        Stream->clear();
        break;
      }
      if (read == 0) break;
      Stream->append(buffer, read);
      if (Stream->size() > MaxBody) {
        Stream->clear();
        break;
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
