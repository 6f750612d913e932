// The installation log (/LOG=file): one line per step with its time, the settled folders and
// the outcome. Each line reaches the file as it happens, so a run that dies still leaves it.
#pragma once
#include <memory>
#include <string>

#include "lib/win/WinThread.h"

class TInstallLog {
 public:
  // A log that writes nothing, for runs without one.
  TInstallLog() = default;
  // Creates or replaces `file`, a plain file where its path says; a log that cannot be created
  // so (a missing folder, a link, a folder or a device in its place) writes nothing.
  explicit TInstallLog(const std::string& file);
  ~TInstallLog();
  TInstallLog(const TInstallLog&) = delete;
  TInstallLog& operator=(const TInstallLog&) = delete;

  bool IsOpen() const { return file_ != nullptr; }
  void Line(const std::string& text);

 private:
  void* file_ = nullptr;
  TLock lock_;
};

// Where a silent run without /LOG writes its log: "Korvane P2P Install.log" in a new folder of its
// own in the temporary folder, "Korvane P2P Install YYYY-MM-DD hh.mm.ss.mmm"; empty when none can
// be made.
std::string DefaultLogFile();
