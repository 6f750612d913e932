#include "engine/EngineSteps.h"

#include <shlobj.h>

#include <exception>
#include <vector>

#include "lib/LIB_Errors.h"
#include "lib/LIB_InstallPaths.h"
#include "lib/win/FileByHandle.h"
#include "lib/win/ShellHelpers.h"
#include "lib/win/WinApp.h"
#include "lib/win/WinHandles.h"
#include "lib/win/WinText.h"
#include "lib/win/WinThread.h"

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

std::vector<TShortcut> StartMenuLinks(TEngineEvents& events, const std::string& installDir,
                                      const std::string& helpPage) {
  const auto programs = KnownFolder(CSIDL_PROGRAMS);
  if (!programs) {
    events.Log("Start menu links: skipped, the Start menu folder is not available");
    return {};
  }
  const std::string group = *programs + "\\Korvane P2P";
  CreateDirectoryW(Wide(group).c_str(), nullptr);  // it may exist already
  const std::string site = KProductSite;
  return {
      {installDir + "Korvane.Exe", group + "\\Korvane P2P.Lnk", "Korvane P2P", 0},
      {site + "/p2p/", group + "\\Korvane P2P On the Web.Lnk", "Korvane P2P On the web", -1},
      {site + helpPage, group + "\\Korvane P2P Help.Lnk", "Korvane P2P Help", -1},
      {installDir + "Uninstall.Exe", group + "\\Korvane P2P Uninstall.Lnk", "Korvane P2P Uninstall", 0},
  };
}

void SaveShortcuts(TEngineEvents& events, const std::vector<TShortcut>& links) {
  // The Start menu and the desktop are the user's folders: each is held while its links are
  // written, and a link file goes in as a new file, never through whatever stands at its name.
  // The links come grouped by folder.
  std::vector<THeldFolder> held;
  std::string folder;
  for (const TShortcut& link : links)
    if (FolderPart(link.LinkFile) != folder) held.emplace_back(folder = FolderPart(link.LinkFile));
  // Each link costs the shell a few milliseconds of work of its own: they are made side by side.
  // The first failure is the step's.
  std::vector<std::exception_ptr> failure(links.size());
  {
    std::vector<TThread> savers;
    for (size_t i = 0; i < links.size(); ++i)
      savers.emplace_back([&, i] {
        try {
          CreateShortcut(links[i].Target, links[i].LinkFile, links[i].Description, links[i].Icon, "");
        } catch (...) {
          failure[i] = std::current_exception();
        }
      });
  }
  for (const std::exception_ptr& e : failure)
    if (e) std::rethrow_exception(e);
  for (const TShortcut& link : links) events.Log("Link \"" + link.LinkFile + "\": done");
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
  auto fail = [&](DWORD code) { return std::runtime_error("Cannot create file \"" + FileName + "\". " + SysErrorMessage(code)); };
  const TFileHandle file = OpenPlainFile(temp, GENERIC_WRITE | DELETE);
  if (!file || !FlushFileBuffers(file.get())) throw fail(GetLastError());
  try {
    RenameOpenFile(file.get(), FileName);
  } catch (const EInOutError& e) {
    throw fail(static_cast<DWORD>(e.ErrorCode));
  }
}

std::string StartedText(TStarted started) {
  switch (started) {
    case TStarted::AsUser: return "done, by the desktop shell with the user's own rights";
    case TStarted::Direct: return "done";
    case TStarted::Failed: break;
  }
  return "failed, no desktop shell could start it with the user's own rights (ignored)";
}
