#include "engine/EngineSteps.h"

#include <shlobj.h>

#include <exception>
#include <stdexcept>

#include "lib/win/ShellHelpers.h"
#include "lib/win/WinApp.h"
#include "lib/win/WinHandles.h"
#include "lib/win/WinText.h"

namespace {
std::string ErrorText(std::exception_ptr error) {
  try {
    std::rethrow_exception(error);
  } catch (const std::exception& e) {
    return e.what();
  } catch (...) {
    return "Unknown exception";
  }
}
}  // namespace

void EssentialStep(TEngineEvents& events, const std::string& step, const std::function<void()>& work) {
  try {
    work();
  } catch (...) {
    events.Log(step + ": failed, " + ErrorText(std::current_exception()));
    throw;
  }
  events.Log(step + ": done");
}

void OptionalStep(TEngineEvents& events, const std::string& step, const std::function<void()>& work) {
  try {
    work();
  } catch (...) {
    events.Log(step + ": failed, " + ErrorText(std::current_exception()) + " (ignored)");
    return;
  }
  events.Log(step + ": done");
}

void CreateStartMenuLinks(TEngineEvents& events, const std::string& installDir, const std::string& helpPage) {
  const auto programs = KnownFolder(CSIDL_PROGRAMS);
  if (!programs) {
    events.Log("Start menu links: skipped, the Start menu folder is not available");
    return;
  }
  const std::string group = *programs + "\\Korvane P2P";
  CreateDirectoryW(Wide(group).c_str(), nullptr);  // it may exist already
  const std::string site = KProductSite;
  CreateShortcut(installDir + "Korvane.Exe", group + "\\Korvane P2P.Lnk", "Korvane P2P", 0, "");
  CreateShortcut(site + "/p2p/", group + "\\Korvane P2P On the Web.Lnk", "Korvane P2P On the web", -1, "");
  CreateShortcut(site + helpPage, group + "\\Korvane P2P Help.Lnk", "Korvane P2P Help", -1, "");
  CreateShortcut(installDir + "Uninstall.Exe", group + "\\Korvane P2P Uninstall.Lnk", "Korvane P2P Uninstall", 0, "");
  events.Log("Start menu links in \"" + group + "\": done");
}

void WriteReplacing(const std::string& FileName, const std::function<void(const std::string&)>& write) {
  const std::string temp = FileName + ".tmp";
  try {
    write(temp);
  } catch (...) {
    DeleteFileW(Wide(temp).c_str());
    throw;
  }
  try {
    FlushAndMove(temp, FileName);
  } catch (...) {
    DeleteFileW(Wide(temp).c_str());
    throw;
  }
}

void FlushAndMove(const std::string& temp, const std::string& FileName) {
  {
    TFileHandle file(CreateFileW(Wide(temp).c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file || !FlushFileBuffers(file.get()))
      throw std::runtime_error("Cannot create file \"" + FileName + "\". " + SysErrorMessage(GetLastError()));
  }
  if (!MoveFileExW(Wide(temp).c_str(), Wide(FileName).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    throw std::runtime_error("Cannot create file \"" + FileName + "\". " + SysErrorMessage(GetLastError()));
}
