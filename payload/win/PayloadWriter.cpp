#include "payload/win/PayloadWriter.h"

#include <stdexcept>

#include "lib/win/WinApp.h"
#include "lib/win/WinHandles.h"
#include "lib/win/WinText.h"

namespace {

class TWin32File : public TPayloadFile {
 public:
  explicit TWin32File(const std::string& name)
      : h_(CreateFileW(Wide(name).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
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

}  // namespace

void WritePayloadFile(const TPayload& payload, const std::string& FileName, const TReportProgress& report) {
  WritePayload(payload, [&] { return std::make_unique<TWin32File>(FileName); }, report ? report : [](int) {});
}
