#include "payload/GB_KORVANE_DAT.h"

#include <charconv>
#include <cmath>
#include <string_view>

#include "lib/LIB_DataPlatform.h"
#include "lib/LIB_kvHosts.h"
#include "lib/LIB_kvURL.h"

TLibData1_ReadWrite* GDataWriter = nullptr;

namespace {

constexpr uint8_t KMarkerGnutella = 3;
constexpr uint8_t KMarkerTolk = 30;
constexpr uint8_t KMarkerSettings = 203;
constexpr uint8_t KMarkerHashes = 44;
constexpr uint8_t KMarkerFolders = 8;
constexpr uint8_t KMarkerGroup22 = 22;
constexpr uint8_t KMarkerGroup32 = 32;
constexpr uint8_t KMarkerGroup27 = 27;
constexpr uint8_t KMarkerEnd = 0;

const std::string KInstallerPath = "/Install_Korvane.exe";
const std::string KRemSetPath = "/REMSET/";
const std::string KRemSetFile = "korvane.rms";

// Address and range texts, built on the stack: a file holds thousands of them.
struct TShortText {
  char Chars[24];
  size_t Length = 0;
  void Add(char c) { Chars[Length++] = c; }
  void Add3(unsigned v) {
    Add(static_cast<char>('0' + v / 100));
    Add(static_cast<char>('0' + v / 10 % 10));
    Add(static_cast<char>('0' + v % 10));
  }
  void AddNumber(unsigned v) {
    Length = static_cast<size_t>(std::to_chars(Chars + Length, Chars + sizeof Chars, v).ptr - Chars);
  }
  std::string_view View() const { return {Chars, Length}; }
};

TShortText NodeText(const THostEntry& h) {
  TShortText s;
  s.Add3(h.O1);
  for (unsigned o : {h.O2, h.O3, h.O4}) {
    s.Add('.');
    s.Add3(o);
  }
  s.Add(':');
  s.AddNumber(h.Port);
  return s;
}

TShortText RangeText(const TBlockedRange& r) {
  TShortText s;
  for (unsigned v : {r.B1, r.C1, r.D1, r.B2, r.C2, r.D2, r.A}) s.Add3(v);
  return s;
}

// The address the dotted text of the host turns into through StrToNodeAddr: plain decimal
// octets parse back to the same numbers, so it is taken from them without the round trip.
TNodeAddr NodeAddr(const THostEntry& h) {
  TNodeAddr addr;
  addr.Octet1 = h.O1;
  addr.Octet2 = h.O2;
  addr.Octet3 = h.O3;
  addr.Octet4 = h.O4;
  addr.Port = h.Port;
  return addr;
}

void WriteNodeKey(TDataFile& f, const char* name, const std::vector<THostEntry>& hosts) {
  for (const THostEntry& h : hosts) {
    GDataWriter->WriteMarker(f, KMarkerSettings);
    GDataWriter->WriteText(f, name);
    GDataWriter->WriteText(f, NodeText(h).View());
  }
}

void Report(const TDataFileProgress& progress, int percent) {
  if (progress) progress(percent);
}

// GDataWriter lives only while its file is written, even when a write fails.
struct TWriterScope {
  explicit TWriterScope(TLibData1_ReadWrite* w) { GDataWriter = w; }
  ~TWriterScope() { GDataWriter = nullptr; }
};

// The client reads its folders in the system's code page; a folder that cannot be spelt there
// would lead it elsewhere.
std::string SystemCodePageText(const std::string& utf8) {
  if (auto bytes = ToSystemCodePage(utf8)) return *bytes;
  throw EConvertError("The folder \"" + utf8 + "\" has characters that the system's code page cannot hold");
}

// Five bits a character, the most significant first.
void Base32(const uint8_t (&digest)[20], char (&text)[32]) {
  static constexpr char KAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ234567";
  for (int i = 0; i < 32; ++i) {
    const int byte = 5 * i / 8, shift = 5 * i % 8;
    const unsigned pair = static_cast<unsigned>(digest[byte] << 8 | (byte < 19 ? digest[byte + 1] : 0));
    text[i] = KAlphabet[(pair >> (11 - shift)) & 31];
  }
}

}  // namespace

std::string DigestText(const THashEntry& hash) {
  char text[32];
  Base32(hash.Digest, text);
  return std::string(text, sizeof text);
}

std::string NodeAddrText(const THostEntry& h) { return std::string(NodeText(h).View()); }

std::string BlockedRangeText(const TBlockedRange& r) { return std::string(RangeText(r).View()); }

std::string DottedText(const THostEntry& h) {
  return std::to_string(h.O1) + "." + std::to_string(h.O2) + "." + std::to_string(h.O3) + "." +
         std::to_string(h.O4);
}

int32_t ConnectionSpeedValue(int connectionType) {
  static constexpr int32_t values[] = {6, 10, 45, 80, 90, 90, 90, 90};
  if (connectionType < 0 || connectionType > 7) return 77;
  return values[connectionType];
}

void WriteGnutellaHosts(TDataFile& f, double (*now)()) {
  TLibData1_ReadWrite& w = *GDataWriter;
  w.WriteMarker(f, KMarkerGnutella);
  for (const THostEntry& h : DefaultTables().Gnutella) {
    w.WriteMarker(f, KMarkerGnutella);
    w.WriteNodeAddr(f, NodeAddr(h));
    w.WriteFloat(f, now() - 1);
    w.WriteFloat(f, now() - 1);
    w.WriteInteger(f, 0);
    w.WriteFloat(f, now() - 1);
    w.WriteFloat(f, 0);
    w.WriteFloat(f, 0);
    w.WriteFloat(f, 0);
    w.WriteCardinal(f, 0);
    w.WriteCardinal(f, 0);
    w.WriteMarker(f, 0);  // a field of the entry in marker form, not its end: one more field follows
    w.WriteFloat(f, 0);
  }
  w.WriteMarker(f, KMarkerEnd);
}

void WriteTolkHosts(TDataFile& f, double (*now)()) {
  TLibData1_ReadWrite& w = *GDataWriter;
  w.WriteMarker(f, KMarkerTolk);
  for (const THostEntry& h : DefaultTables().Tolk) {
    w.WriteMarker(f, KMarkerTolk);
    w.WriteNodeAddr(f, NodeAddr(h));
    w.WriteFloat(f, now() - 1);
  }
  w.WriteMarker(f, KMarkerEnd);
}

void WriteSettings(TDataFile& f) {
  TLibData1_ReadWrite& w = *GDataWriter;
  const std::string maker(KMakerHostRoot), mirror(KMirrorHostRoot), counter(KCounterHostRoot);
  w.WriteMarker(f, KMarkerSettings);
  w.WritePlainText(f, PackURL(maker + KRemSetPath));
  w.WritePlainText(f, PackURL(maker + KRemSetPath));
  w.WritePlainText(f, PackURL(""));
  w.WritePlainText(f, PackURL(KRemSetFile));
  w.WriteInteger(f, 10);
  w.WriteInteger(f, 7200);
  w.WriteInteger(f, 15);
  w.WriteFloat(f, 0);
  w.WriteFloat(f, 0);
  w.WriteInteger(f, 10);

  const std::pair<const char*, std::string> named[] = {
      {"VerLatestVersion", "4.38"},
      {"VerLatestExpired", "4.21"},
      {"RemSetPath1", mirror + KRemSetPath},
      {"PathDownloadLocation2", mirror + KInstallerPath},
      {"CntInstallPath", counter + "/TEL/INSTALL/CNTINST"},
      {"CntSuspendedTill", "01/01/1900"},
      {"CntUsePath", counter + "/TEL/GEBRUIK/CNTUSE"},
      {"CntUseTreshold", "120"},
      {"PathDownloadLocation1", maker + KInstallerPath},
      {"RemSetDelay", "10"},
      {"RemSetFile", KRemSetFile},
      {"RemSetInterval", "7200"},
      {"RemSetPath2", maker + KRemSetPath},
      {"RemSetPath3", ""},
      {"RemSetRetryInterval", "15"},
      {"RemSetSuspendedTill", "01/01/1900"},
  };
  for (const auto& [name, value] : named) {
    w.WriteMarker(f, KMarkerSettings);
    w.WriteText(f, name);
    w.WriteText(f, value);
  }
  const TDefaultTables& t = DefaultTables();
  WriteNodeKey(f, "KKNodeTolk", t.KKNodeTolk);
  WriteNodeKey(f, "KNodeIP", t.KNodeIP);
  WriteNodeKey(f, "KNodeGnu", t.KNodeGnu);
  WriteNodeKey(f, "KKNodeCurTolk", t.KKNodeCurTolk);
  WriteNodeKey(f, "KNodeTolk", t.KNodeTolk);
  for (const TBlockedRange& r : t.Blocked) {
    w.WriteMarker(f, KMarkerSettings);
    w.WriteText(f, "KBlockedNode");
    w.WriteText(f, RangeText(r).View());
  }
  w.WriteMarker(f, KMarkerEnd);
}

void WriteHashList(TDataFile& f) {
  TLibData1_ReadWrite& w = *GDataWriter;
  w.WriteMarker(f, KMarkerHashes);
  for (const THashEntry& h : DefaultTables().Hashes) {
    w.WriteMarker(f, KMarkerHashes);
    char digest[32];
    Base32(h.Digest, digest);
    w.WriteText(f, std::string_view(digest, sizeof digest));
    w.WriteCardinal(f, h.Size);
  }
  w.WriteMarker(f, KMarkerEnd);
}

std::string WriteDataFile(const std::string& FileName, const TDataFileValues& values,
                          const TDataFileProgress& progress) {
  return WriteDataFile(CreateFileSink(FileName), values, progress);
}

std::string WriteDataFile(std::unique_ptr<TFileSink> sink, const TDataFileValues& values,
                          const TDataFileProgress& progress, const TDataFileSources& sources) {
  // On a failed write the writer and the file are released on the way out; the bytes
  // already on disk stay.
  auto writer = std::make_unique<TLibData1_ReadWrite>();
  TDataFile f(std::move(sink));
  TLibData1_ReadWrite& w = *writer;

  w.WriteRawByte(f, 0);  // format version
  w.WritePlainText(f, NewScrambleKey());

  w.WriteText(f, SystemCodePageText(values.DataDir));
  w.WriteText(f, SystemCodePageText(values.DownloadDir));
  w.WriteInteger(f, 3);
  w.WriteInteger(f, 3);
  w.WriteText(f, values.InstallerTag);
  w.WriteInteger(f, 100);
  w.WriteText(f, "");
  w.WriteText(f, "");
  w.WriteText(f, "");
  w.WriteInteger(f, 0);
  w.WriteFloat(f, std::floor(sources.Now()) + 25);
  w.WriteBoolean(f, true);
  w.WriteGuid(f, sources.NewGuid());
  w.WriteBoolean(f, false);
  w.WriteInteger(f, 0);
  w.WriteInteger(f, 0);
  w.WriteBoolean(f, false);
  w.WriteInteger(f, 120);
  w.WriteBoolean(f, true);
  w.WriteText(f, std::string(KMakerHostRoot) + KInstallerPath);
  w.WriteText(f, std::string(KMirrorHostRoot) + KInstallerPath);
  w.WriteTruncated(f, sources.Now() - 100);
  w.WriteInteger(f, ConnectionSpeedValue(values.ConnectionType));

  Report(progress, 94);

  TWriterScope scope(writer.get());
  std::string downloadDir = values.DownloadDir;
  if (!downloadDir.empty() && downloadDir.back() == '\\') downloadDir.pop_back();

  w.WriteMarker(f, KMarkerFolders);
  w.WriteInteger(f, 1);
  w.WriteMarker(f, KMarkerFolders);
  w.WriteText(f, SystemCodePageText(downloadDir));
  w.WriteBoolean(f, true);
  w.WriteBoolean(f, true);
  w.WriteMarker(f, KMarkerEnd);
  Report(progress, 95);

  w.WriteMarker(f, KMarkerGroup22);
  w.WriteMarker(f, KMarkerGroup32);
  WriteGnutellaHosts(f, sources.Now);
  Report(progress, 96);

  w.WriteMarker(f, KMarkerEnd);
  w.WriteMarker(f, KMarkerGroup27);
  WriteTolkHosts(f, sources.Now);
  Report(progress, 98);

  w.WriteMarker(f, KMarkerEnd);
  WriteSettings(f);
  Report(progress, 99);

  w.WriteMarker(f, KMarkerEnd);
  WriteHashList(f);
  w.WriteMarker(f, KMarkerEnd);
  f.Close();
  return downloadDir;
}
