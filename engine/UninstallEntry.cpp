#include "engine/UninstallEntry.h"

#include <windows.h>

#include <cstdint>
#include <stdexcept>
#include <utility>

#include "lib/LIB_InstallPaths.h"
#include "lib/LIB_Version.h"
#include "lib/win/ShellHelpers.h"
#include "lib/win/WinApp.h"
#include "lib/win/WinHandles.h"
#include "lib/win/WinText.h"

namespace {

uint64_t SizeOf(const std::string& file) {
  WIN32_FILE_ATTRIBUTE_DATA a;
  if (!GetFileAttributesExW(Wide(file).c_str(), GetFileExInfoStandard, &a)) return 0;
  return (uint64_t(a.nFileSizeHigh) << 32) | a.nFileSizeLow;
}

// In KiB, as the list of installed programs shows it: the programs, the data files and the
// removal list that the installation wrote. A file that is not there (the toolbar's installer
// when it was not chosen) counts nothing; a data file in the installation folder counts once.
DWORD InstalledKiB(const std::string& installDir, const std::string& dataDir) {
  uint64_t bytes = 0;
  for (const char* name : {"Korvane.Exe", "Uninstall.Exe", "Korvane_toolbar.exe", "KVInst.Dat", "UnInstall.dat"})
    bytes += SizeOf(installDir + name);
  bytes += SizeOf(dataDir + "Korvane.Dat");
  return static_cast<DWORD>((bytes + 1023) / 1024);
}

void Check(LONG rc) {
  if (rc != ERROR_SUCCESS) throw std::runtime_error(SysErrorMessage(static_cast<DWORD>(rc)));
}

}  // namespace

void WriteUninstallEntry(const std::string& installDir, const std::string& dataDir) {
  // The texts, with the inserts %1 the installation folder, %2 the product site, %3 the version.
  static constexpr std::pair<const wchar_t*, const wchar_t*> texts[] = {
      {L"DisplayName", L"Korvane P2P"},
      {L"DisplayVersion", L"%3"},
      {L"Publisher", L"Korvane"},
      {L"InstallLocation", L"%1"},
      // The shell reads an icon location as a path, quoted or not, a comma and the icon's index.
      {L"DisplayIcon", L"\"%1Korvane.Exe\",0"},
      // Quoted: "C:\Program Files\..." unquoted would run "C:\Program.exe" first if there is one.
      {L"UninstallString", L"\"%1Uninstall.Exe\""},
      // What package managers run to remove the product without a window.
      {L"QuietUninstallString", L"\"%1Uninstall.Exe\" /S"},
      {L"URLInfoAbout", L"%2/p2p/"},
      {L"HelpLink", L"%2/p2p/help"},
  };
  // The uninstaller only removes: no Change or Repair button that would run it.
  const std::pair<const wchar_t*, DWORD> numbers[] = {
      {L"EstimatedSize", InstalledKiB(installDir, dataDir)}, {L"NoModify", 1}, {L"NoRepair", 1}};

  HKEY key;
  Check(RegCreateKeyExW(HKEY_LOCAL_MACHINE, Wide(KUninstallKey).c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr));
  TRegKey owner(key);
  const std::wstring dir = Wide(installDir), site = Wide(KProductSite), version = Wide(KProductVersion);
  const DWORD_PTR inserts[] = {reinterpret_cast<DWORD_PTR>(dir.c_str()), reinterpret_cast<DWORD_PTR>(site.c_str()),
                               reinterpret_cast<DWORD_PTR>(version.c_str())};
  for (const auto& [name, format] : texts) {
    wchar_t* text = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_FROM_STRING | FORMAT_MESSAGE_ARGUMENT_ARRAY | FORMAT_MESSAGE_ALLOCATE_BUFFER, format, 0, 0,
        reinterpret_cast<wchar_t*>(&text), 0, reinterpret_cast<va_list*>(const_cast<DWORD_PTR*>(inserts)));
    if (!length) Check(static_cast<LONG>(GetLastError()));
    const LONG rc =
        RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text), (length + 1) * sizeof(wchar_t));
    LocalFree(text);
    Check(rc);
  }
  for (const auto& [name, value] : numbers)
    Check(RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value));
}
