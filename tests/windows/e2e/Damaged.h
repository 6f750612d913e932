// Copies of the installer under test, damaged as a download can be: cut short, or with one
// byte changed inside the stream of each program it carries.
#pragma once
#include <algorithm>
#include <string>
#include <vector>

#include "payload/GB_Payload.h"
#include "tests/windows/TestFiles.h"

extern const unsigned char GB_KorvaneP2P_exe_Data[];
extern const unsigned char GB_Uninstall_exe_Data[];
extern const unsigned char GB_korvane_toolbar_exe_Data[];

struct TDamagedInstaller {
  std::string What, Path;
};

// Writes the copies into `folder` (ending with "\"); the installer's own bytes are `installer`.
inline std::vector<TDamagedInstaller> WriteDamagedInstallers(const std::string& installer, const std::string& folder) {
  const std::string bytes = ReadAll(installer);
  std::vector<TDamagedInstaller> copies{{"cut short by 300 KB", folder + "cut.exe"}};
  WriteText(copies.back().Path, bytes.substr(0, bytes.size() - 300 * 1024));
  const struct {
    const char* name;
    const unsigned char* data;
    TPayloadSizes sizes;
  } carried[] = {{"client", GB_KorvaneP2P_exe_Data, KClientProgram},
                 {"uninstaller", GB_Uninstall_exe_Data, KUninstaller},
                 {"toolbar installer", GB_korvane_toolbar_exe_Data, KToolbarInstaller}};
  for (const auto& c : carried) {
    // This program carries the same streams: their first bytes find them in the installer.
    const std::string head(reinterpret_cast<const char*>(c.data), 256);
    const size_t at = bytes.find(head);
    if (at == std::string::npos) continue;
    std::string damaged = bytes;
    damaged[at + c.sizes.CLen / 2] ^= 0x20;
    copies.push_back({std::string("a byte changed in the ") + c.name, folder + "flip-" + std::to_string(copies.size()) + ".exe"});
    WriteText(copies.back().Path, damaged);
  }
  return copies;
}
