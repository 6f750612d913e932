// Creation of the client data file with its default lists.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "lib/LIB_Data1_ReadWrite.h"

struct THostEntry {
  uint8_t O1, O2, O3, O4;
  uint16_t Port;
};

// Blocks a.b1.c1.d1 up to and including a.b2.c2.d2.
struct TBlockedRange {
  uint8_t A, B1, C1, D1, B2, C2, D2;
};

// The digest as its 160 bits; the data file holds its Base32 text.
struct THashEntry {
  uint8_t Digest[20];
  uint32_t Size;
};

// The lists a new data file starts with.
struct TDefaultTables {
  std::vector<THostEntry> Gnutella, Tolk, KKNodeTolk, KNodeIP, KNodeGnu, KKNodeCurTolk, KNodeTolk;
  std::vector<TBlockedRange> Blocked;
  std::vector<THashEntry> Hashes;
};

// The same tables on every run and in every build, made at the first call from a fixed recipe
// (GB_KORVANE_DAT_Tables.cpp) and kept; any thread may call it. tools/gendattables checks them.
const TDefaultTables& DefaultTables();

// "192.000.002.010:6346": three digits per octet, the port without leading zeros.
std::string NodeAddrText(const THostEntry& host);
// 21 digits: b1 c1 d1 b2 c2 d2 a, three each.
std::string BlockedRangeText(const TBlockedRange& range);
// The dotted text of a host: plain decimal octets, o1 first; StrToNodeAddr gives the host back.
std::string DottedText(const THostEntry& host);
// The digest as the data file holds it: 32 Base32 characters (RFC 4648).
std::string DigestText(const THashEntry& hash);

// The client's speed figure for the connection kind chosen by the user.
int32_t ConnectionSpeedValue(int connectionType);

// The writer of the file being written; set by WriteDataFile before the list writers run.
extern TLibData1_ReadWrite* GDataWriter;

// The host lists date their entries by now(), read anew for every date.
void WriteGnutellaHosts(TDataFile& f, double (*now)());
void WriteTolkHosts(TDataFile& f, double (*now)());
void WriteSettings(TDataFile& f);
void WriteHashList(TDataFile& f);

// What a data file records of the user's choices.
struct TDataFileValues {
  std::string DataDir;
  std::string DownloadDir;
  std::string InstallerTag;
  int ConnectionType = 8;
};

// Called at 94, 95, 96, 98 and 99 per cent of the installation.
using TDataFileProgress = std::function<void(int percent)>;

// Where the varying content of a file comes from. The installer uses the system's clock and
// GUID generator; tests fix them to get a repeatable file.
struct TDataFileSources {
  double (*Now)() = NowDays;
  TGuid (*NewGuid)() = CreateGuid;
};

// Writes one complete data file. The header records the download folder as given; from the
// folder list on, one trailing "\" is dropped, and the folder so changed is returned: the
// installation keeps it for what follows. The values are UTF-8; the file holds the folders in
// the system's code page, and a folder that does not fit raises EConvertError. Failures raise
// EInOutError; the partly written file stays.
std::string WriteDataFile(const std::string& FileName, const TDataFileValues& values,
                          const TDataFileProgress& progress = {});
// The same into an already created file.
std::string WriteDataFile(std::unique_ptr<TFileSink> sink, const TDataFileValues& values,
                          const TDataFileProgress& progress = {}, const TDataFileSources& sources = {});
