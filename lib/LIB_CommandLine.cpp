#include "lib/LIB_CommandLine.h"

#include <algorithm>
#include <optional>

#include "lib/LIB_Text.h"

std::vector<std::string> SplitCommandLine(std::string_view text) {
  std::vector<std::string> args;
  size_t i = 0;
  for (;;) {
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    if (i == text.size()) return args;
    std::string arg;
    bool quoted = false;
    for (; i < text.size() && (quoted || (text[i] != ' ' && text[i] != '\t')); ++i) {
      if (text[i] == '"') quoted = !quoted;
      else arg += text[i];
    }
    args.push_back(std::move(arg));
  }
}

std::string_view ArgumentsText(std::string_view commandLine) {
  size_t i = 0;
  bool quoted = false;
  for (; i < commandLine.size() && (quoted || (commandLine[i] != ' ' && commandLine[i] != '\t')); ++i)
    if (commandLine[i] == '"') quoted = !quoted;
  return commandLine.substr(i);
}

namespace {

bool StartsWithSwitch(const std::string& arg, std::string_view name) {
  return LowerCase(arg.substr(0, name.size())) == LowerCase(name);
}

std::string WithBackslash(std::string folder) {
  if (!folder.ends_with('\\')) folder += '\\';
  return folder;
}

// The switches of the unattended installation; `folder` is what /D= gave, if anything.
void ParseSilent(const std::vector<std::string>& args, const std::optional<std::string>& folder, TCommandLine& cl) {
  auto refuse = [&](std::string why) {
    if (cl.Error.empty()) cl.Error = std::move(why);
  };
  // The wizard's proposal is a desktop link; bundled software comes only when asked for.
  cl.State.DesktopShortcut = true;
  cl.State.InstallToolbar = false;
  for (const std::string& arg : args) {
    const std::string lower = LowerCase(arg);
    if (arg == "/S" || arg == "/s") continue;
    if (StartsWithSwitch(arg, "/LOG=")) {
      cl.LogFile = arg.substr(5);
      continue;
    }
    if (lower == "/nodesktop") {
      cl.State.DesktopShortcut = false;
    } else if (lower == "/toolbar") {
      cl.State.InstallToolbar = true;
    } else if (StartsWithSwitch(arg, "/DOWNLOAD=")) {
      cl.GivenDownloadDir = arg.substr(10);
    } else if (StartsWithSwitch(arg, "/CONNECTION=")) {
      const std::string n = arg.substr(12);
      if (n.size() != 1 || n[0] < '0' || n[0] > '8') refuse("/CONNECTION takes a number from 0 to 8, not \"" + n + "\"");
      else cl.State.ConnectionType = n[0] - '0';
    } else {
      refuse("unknown argument \"" + arg + "\"");
    }
  }
  cl.GivenInstallDir = folder;
}

}  // namespace

TCommandLine ParseCommandLine(std::string_view arguments) {
  TCommandLine cl;
  auto takeLog = [&](std::vector<std::string>& args) {
    if (!args.empty() && StartsWithSwitch(args.front(), "/LOG=")) {
      cl.LogFile = args.front().substr(5);
      args.erase(args.begin());
    }
  };

  // /D= takes the rest of the line as it stands; only what comes before it is split.
  std::string_view before = arguments;
  std::optional<std::string> folder;
  const std::string lower = LowerCase(arguments);
  auto blank = [&](size_t i) { return i == 0 || arguments[i - 1] == ' ' || arguments[i - 1] == '\t'; };
  for (size_t at = lower.find("/d="); at != std::string::npos; at = lower.find("/d=", at + 1)) {
    // Programs that build command lines quote an argument with blanks: "/D=C:\My Folder".
    const bool quoted = at > 0 && arguments[at - 1] == '"' && blank(at - 1);
    if (!quoted && !blank(at)) continue;
    before = arguments.substr(0, quoted ? at - 1 : at);
    folder = Trim(arguments.substr(at + 3));
    if (quoted && folder->ends_with('"')) folder->pop_back();
    break;
  }
  std::vector<std::string> args = SplitCommandLine(before);
  takeLog(args);
  cl.Silent = std::find_if(args.begin(), args.end(), [](const std::string& a) { return a == "/S" || a == "/s"; }) !=
              args.end();
  if (cl.Silent) {
    ParseSilent(args, folder, cl);
    return cl;
  }

  args = SplitCommandLine(arguments);
  takeLog(args);
  std::string joined;
  for (const auto& a : args) {
    if (!joined.empty()) joined += ' ';
    joined += a;
  }
  joined = Trim(joined);
  static const std::string keyword = "/autoupdate ";
  if (LowerCase(joined).starts_with(keyword)) {
    cl.State.InstallDir = WithBackslash(Trim(joined.substr(keyword.size())));
    cl.State.AutoUpdate = true;
  }
  return cl;
}
