#include "lib/win/SelfCheck.h"

#include <windows.h>

#include <vector>

#include "lib/LIB_Integrity.h"
#include "lib/win/WinApp.h"
#include "lib/win/WinHandles.h"
#include "lib/win/WinText.h"

// Filled in by the build after linking; read back from the file, never from memory, so that
// what is checked is what is on disk.
extern const volatile TIntegrityStamp KvIntegrityStamp;
const volatile TIntegrityStamp KvIntegrityStamp = UnstampedRecord();

std::string CheckOwnFile() {
  TFileHandle file(CreateFileW(Wide(ExePath()).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                               OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  LARGE_INTEGER size{};
  if (!file || !GetFileSizeEx(file.get(), &size) || size.QuadPart > 256 * 1024 * 1024)
    return "it cannot be read: " + SysErrorMessage(GetLastError());
  std::vector<uint8_t> bytes(static_cast<size_t>(size.QuadPart));
  DWORD got = 0;
  if (!ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr) || got != bytes.size())
    return "it cannot be read: " + SysErrorMessage(GetLastError());
  const auto* base = reinterpret_cast<const volatile uint8_t*>(GetModuleHandleW(nullptr));
  const auto rva = static_cast<uint32_t>(reinterpret_cast<const volatile uint8_t*>(&KvIntegrityStamp) - base);
  return CheckImage(bytes, rva);
}
