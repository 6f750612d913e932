// Decodes a client data file written by the installer (format version 0) back into its
// logical content. Damaged or cut-off input ends in EDataFileError naming the byte offset;
// the reader never reads past its input.
#pragma once
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "lib/LIB_DataTypes.h"

class EDataFileError : public std::runtime_error {
 public:
  EDataFileError(size_t offset, const std::string& what);
  size_t Offset;  // in the file, escapes counted
};

struct TDataFileHeader {
  std::string DataDir;        // H1
  std::string DownloadDir;    // H2
  int32_t H3 = 0, H4 = 0;
  std::string InstallerTag;   // H5
  int32_t H6 = 0;
  std::string H7, H8, H9;
  int32_t H10 = 0;
  double H11 = 0;             // a date
  bool H12 = false;
  std::string Guid;           // H13
  bool H14 = false;
  int32_t H15 = 0, H16 = 0;
  bool H17 = false;
  int32_t H18 = 0;
  bool H19 = false;
  std::string DownloadLocation1;  // H20
  std::string DownloadLocation2;  // H21
  int32_t H22 = 0;            // a whole-day date
  int32_t ConnectionSpeed = 0;  // H23
};

struct TFolderEntry {
  std::string Path;
  bool Flag1 = false, Flag2 = false;
};

struct TGnutellaHostEntry {
  TNodeAddr Addr;
  double Field2 = 0, Field3 = 0;  // dates
  int32_t Field4 = 0;
  double Field5 = 0;              // a date
  double Field6 = 0, Field7 = 0, Field8 = 0;
  uint32_t Field9 = 0, Field10 = 0;
  uint8_t Field11 = 0;            // marker-encoded
  double Field12 = 0;
};

struct TTolkHostEntry {
  TNodeAddr Addr;
  double Seen = 0;  // a date
};

// The settings list's own fields; R1 to R4 already unpacked.
struct TRemoteSettings {
  std::string R1, R2, R3, R4;
  int32_t R5 = 0, R6 = 0, R7 = 0;
  double R8 = 0, R9 = 0;
  int32_t R10 = 0;
};

struct THashListEntry {
  std::string Digest;
  uint32_t Size = 0;
};

struct TDataFileContent {
  uint8_t Version = 0;
  std::string Key;
  TDataFileHeader Header;
  int32_t FolderListField = 0;
  std::vector<TFolderEntry> Folders;
  std::vector<TGnutellaHostEntry> GnutellaHosts;
  std::vector<TTolkHostEntry> TolkHosts;
  TRemoteSettings RemoteSettings;
  std::vector<std::pair<std::string, std::string>> Settings;
  std::vector<THashListEntry> Hashes;
};

TDataFileContent ReadDataFile(std::string_view bytes);
