// What both roads share: how a step is run and logged, and the Start-menu group.
#pragma once
#include <functional>
#include <string>
#include <vector>

#include "engine/Engine.h"
#include "lib/win/ShellHelpers.h"

// Runs a step whose failure ends the run: logged, then raised again.
void EssentialStep(TEngineEvents& events, const std::string& step, const std::function<void()>& work);
// Runs a step whose failure is ignored, as the roads have always done, but never silently: the
// log keeps the error.
void OptionalStep(TEngineEvents& events, const std::string& step, const std::function<void()>& work);

struct TShortcut {
  std::string Target, LinkFile, Description;
  int Icon;  // -1: no icon of the target
};

// Makes the group "Korvane P2P" in the Start menu and returns its four links; `helpPage` is the
// path of the help page on the product site. Without a Start menu folder there are none, and the
// log says so.
std::vector<TShortcut> StartMenuLinks(TEngineEvents& events, const std::string& installDir,
                                      const std::string& helpPage);
// Saves the links side by side; the first failure is raised once all have been tried.
void SaveShortcuts(TEngineEvents& events, const std::vector<TShortcut>& links);

// Puts a complete temporary file in FileName's place: its bytes reach the disk first, and the
// move is written through, so that a cut at any moment leaves the old file or the new one.
void FlushAndMove(const std::string& temp, const std::string& FileName);

// Writes a program through a temporary file beside FileName and replaces FileName only with a
// complete file. On any failure the temporary file goes and FileName stays as it was; a
// FileName in use fails with "Cannot create file "%s". %s".
void WriteReplacing(const std::string& FileName, const std::function<void(const std::string&)>& write);

// Program folders that an elevated installation makes outside the program files folder get its
// access rights, so that a standard user cannot replace a program that an administrator runs
// later. The per-user folder (a fallback of the installation folder) stays its user's: the
// client keeps its data there. A standard user's own installation keeps the rights it
// inherits, or the user could not write into the folder just made.
TFolderAccess InstallFolderAccess(const std::string& folder, bool elevated);

// How a program was started, for the log.
std::string StartedText(TStarted started);
