// Records what an engine reports, for tests that run it without a window.
#pragma once
#include <string>
#include <vector>

#include "engine/Engine.h"

struct TRecordingEvents : TEngineEvents {
  std::vector<int> Positions;
  int Maximum = 0;
  std::vector<std::string> Statuses, Lines;
  std::vector<TInstallResult> Settled;

  void Progress(int position, int maximum) override {
    Positions.push_back(position);
    Maximum = maximum;
  }
  void Status(const std::string& text) override { Statuses.push_back(text); }
  void Log(const std::string& line) override { Lines.push_back(line); }
  void FoldersSettled(const TInstallResult& folders) override { Settled.push_back(folders); }

  // A log line that starts with `step` and holds `outcome`.
  bool Logged(const std::string& step, const std::string& outcome) const {
    for (const std::string& l : Lines)
      if (l.starts_with(step) && l.find(outcome) != std::string::npos) return true;
    return false;
  }
  std::string LogText() const {
    std::string text;
    for (const std::string& l : Lines) text += l + "\n";
    return text;
  }
};
