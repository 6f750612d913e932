// The desktop shell as a test scripts it, in place of the real one while this lives.
#pragma once
#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "lib/win/ShellHelpers.h"

// Each request is recorded as target|arguments|folder|show, and the n-th gets the n-th answer
// (true: started), the last one standing for all later ones. Nothing is started.
class TScriptedShell {
 public:
  explicit TScriptedShell(std::vector<bool> answers = {true}) : saved_(FindDesktopShell) {
    Answers = std::move(answers);
    Asked.clear();
    FindDesktopShell = [] { return std::unique_ptr<TDesktopShell>(new TShell); };
  }
  ~TScriptedShell() { FindDesktopShell = saved_; }
  TScriptedShell(const TScriptedShell&) = delete;
  TScriptedShell& operator=(const TScriptedShell&) = delete;

  static inline std::vector<bool> Answers;
  static inline std::vector<std::string> Asked;

 private:
  struct TShell : TDesktopShell {
    bool Launch(const std::string& target, const std::string& arguments, const std::string& folder,
                 int show) override {
      Asked.push_back(target + "|" + arguments + "|" + folder + "|" + std::to_string(show));
      return Answers[std::min(Asked.size(), Answers.size()) - 1];
    }
  };
  decltype(FindDesktopShell) saved_;
};
