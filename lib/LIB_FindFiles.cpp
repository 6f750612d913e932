#include "lib/LIB_FindFiles.h"

#include <algorithm>
#include <cmath>

#include "lib/LIB_Text.h"

namespace {

std::vector<std::string> SplitTrimmed(const std::string& list) {
  std::vector<std::string> pieces;
  size_t start = 0;
  while (start <= list.size()) {
    const size_t end = std::min(list.find(';', start), list.size());
    std::string piece = Trim(std::string_view(list).substr(start, end - start));
    if (!piece.empty()) pieces.push_back(std::move(piece));
    start = end + 1;
  }
  return pieces;
}

bool DriveWanted(uint8_t kind, TDriveType type) {
  switch (type) {
    case TDriveType::Fixed:
      return kind >= 1 && kind <= 3;
    case TDriveType::Removable:
    case TDriveType::RamDisk:
      return kind == 2 || kind == 3;
    case TDriveType::Remote:
    case TDriveType::CDRom:
      return kind == 3;
    default:
      return false;
  }
}

// Rounds halves to the even neighbour, as the default floating-point mode does.
int RoundEven(double x) { return static_cast<int>(std::nearbyint(x)); }

class TSearch {
 public:
  TSearch(const TFindProgressEvent& onProgress, const TFindFilterEvent& onFilter, int maxCount,
          TFindPlatform& platform)
      : onProgress_(onProgress), onFilter_(onFilter), maxCount_(maxCount), platform_(platform) {}

  std::vector<std::string> Run(const std::vector<std::string>& masks, const std::vector<std::string>& roots) {
    Report(10000);
    const double n = static_cast<double>(roots.size());
    for (size_t i = 1; i <= roots.size(); ++i) {
      if (stop_) continue;
      const int lo = RoundEven(998000 / n * static_cast<double>(i - 1)) + 1000;
      const int hi = RoundEven(998000 / n * static_cast<double>(i));
      Walk(roots[i - 1], lo, hi, masks);
    }
    Report(999000);
    std::stable_sort(result_.begin(), result_.end(),
                     [this](const std::string& a, const std::string& b) { return platform_.CompareText(a, b) < 0; });
    Report(1000000);
    return std::move(result_);
  }

 private:
  void Report(int value) {
    if (onProgress_) stop_ = onProgress_(static_cast<uint8_t>(value / 10000));
  }

  void Walk(const std::string& dir, int lo, int hi, const std::vector<std::string>& masks) {
    int cur = lo, span = hi - lo;
    for (const std::string& mask : masks) {
      platform_.Enumerate(dir + mask, true, [&](const TFindEntry& e) {
        if (maxCount_ != 0 && result_.size() >= static_cast<size_t>(maxCount_)) return false;
        Consider(dir, e.Name);
        return true;
      });
    }
    platform_.Enumerate(dir + "*.*", false, [&](const TFindEntry& e) {
      if (stop_) return false;
      // A link may lead back to a folder above it; only real folders are entered.
      if (!e.Directory || e.ReparsePoint || e.Name == "." || e.Name == "..") return true;
      const int subLo = cur;
      const int step = span / 8;
      cur += step;
      span -= step;
      if (cur > hi) cur = hi;
      if (!stop_) Walk(dir + e.Name + "\\", subLo, cur, masks);
      return true;
    });
    Report(hi);
  }

  void Consider(const std::string& dir, const std::string& name) {
    if (name == "." || name == "..") return;
    const std::string path = dir + name;
    const std::string lower = LowerCase(path);
    for (const std::string& found : result_)
      if (LowerCase(found) == lower) return;
    if (!onFilter_ || onFilter_(path)) result_.push_back(path);
  }

  const TFindProgressEvent& onProgress_;
  const TFindFilterEvent& onFilter_;
  const int maxCount_;
  TFindPlatform& platform_;
  std::vector<std::string> result_;
  bool stop_ = false;
};

}  // namespace

std::vector<std::string> ParseFileMasks(const std::string& FileMasks) {
  std::vector<std::string> masks = SplitTrimmed(FileMasks);
  for (std::string& mask : masks)
    if (mask == "*") mask = "*.*";
  if (masks.empty()) masks.push_back("*.*");
  return masks;
}

std::vector<std::string> ParseExtraDirs(const std::string& ExtraDirs) {
  std::vector<std::string> dirs = SplitTrimmed(ExtraDirs);
  for (std::string& dir : dirs)
    if (!dir.ends_with('\\')) dir += '\\';
  return dirs;
}

std::vector<std::string> FindFiles(const std::string& FileMasks, uint8_t DriveKind, const std::string& ExtraDirs,
                                   const TFindProgressEvent& OnProgress, const TFindFilterEvent& OnFilter,
                                   int MaxCount, TFindPlatform& Platform) {
  std::vector<std::string> roots;
  if (DriveKind == 0) {
    roots.push_back(Platform.CurrentDirectory().substr(0, 3));
  } else {
    for (char letter = 'A'; letter <= 'Z'; ++letter)
      if (DriveWanted(DriveKind, Platform.DriveType(letter))) roots.push_back(std::string(1, letter) + ":\\");
  }
  for (std::string& dir : ParseExtraDirs(ExtraDirs)) roots.push_back(std::move(dir));
  return TSearch(OnProgress, OnFilter, MaxCount, Platform).Run(ParseFileMasks(FileMasks), roots);
}
