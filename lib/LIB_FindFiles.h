// The search for files by mask over drive roots and extra folders, folder by folder, with
// progress in whole per cent. The platform (drives, directory enumeration, text order) comes
// in through TFindPlatform, so the walk itself is the same everywhere.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// The drive type query's answers, numbered as the system numbers them.
enum class TDriveType : uint8_t { Unknown, NoRootDir, Removable, Fixed, Remote, CDRom, RamDisk };

struct TFindEntry {
  std::string Name;
  bool Directory = false;
  bool ReparsePoint = false;  // junction or symbolic link
};

class TFindPlatform {
 public:
  virtual ~TFindPlatform() = default;
  // Type of the root "<Letter>:\".
  virtual TDriveType DriveType(char Letter) = 0;
  virtual std::string CurrentDirectory() = 0;
  // Hands every entry that Pattern (folder + mask) matches to Each until it returns false.
  // Without IncludeHidden, hidden entries are left out. A folder that cannot be read yields nothing.
  virtual void Enumerate(const std::string& Pattern, bool IncludeHidden,
                         const std::function<bool(const TFindEntry&)>& Each) = 0;
  // Order of two paths without regard to letter case, as the user's locale sorts: <0, 0, >0.
  virtual int CompareText(const std::string& A, const std::string& B) = 0;
};

// Percent 0..100; true asks the search to stop.
using TFindProgressEvent = std::function<bool(uint8_t Percent)>;
// False rejects a find.
using TFindFilterEvent = std::function<bool(const std::string& Path)>;

// DriveKind: 0 the current directory's drive, 1 fixed drives, 2 also removable and RAM disks,
// 3 also network and CD-ROM drives, 4 and above no drive. MaxCount 0: no limit. Callbacks may
// be empty. Returns the full paths found, sorted.
std::vector<std::string> FindFiles(const std::string& FileMasks, uint8_t DriveKind, const std::string& ExtraDirs,
                                   const TFindProgressEvent& OnProgress, const TFindFilterEvent& OnFilter,
                                   int MaxCount, TFindPlatform& Platform);

// The masks and extra folders as the search reads them.
std::vector<std::string> ParseFileMasks(const std::string& FileMasks);
std::vector<std::string> ParseExtraDirs(const std::string& ExtraDirs);
