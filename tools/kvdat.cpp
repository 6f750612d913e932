// Writes and decodes client data files, for support and tests.
//   kvdat write FILE [--data-dir D] [--download-dir D] [--connection N] [--tag T]
//   kvdat dump FILE
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "lib/LIB_Data1_ReadWrite.h"
#include "lib/LIB_DataFileReader.h"
#include "payload/GB_KORVANE_DAT.h"

namespace {

class EUsage : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Texts are single-byte ANSI; bytes outside printable ASCII are written as \u00XX.
std::string Json(std::string_view s) {
  std::string out = "\"";
  for (char ch : s) {
    const unsigned char c = static_cast<unsigned char>(ch);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += ch;
    } else if (c < 0x20 || c >= 0x7F) {
      char esc[8];
      std::snprintf(esc, sizeof esc, "\\u%04X", c);
      out += esc;
    } else {
      out += ch;
    }
  }
  return out + "\"";
}

std::string Number(double v) { return std::isfinite(v) ? FloatToStr(v) : "null"; }

std::string Bool(bool b) { return b ? "true" : "false"; }

// Days since 30 December 1899 as local date and time, to the millisecond.
std::string IsoDate(double days) {
  if (!std::isfinite(days) || std::fabs(days) > 3e6) return "";
  long long ms = std::llround(days * 86400000.0);
  long long day = ms >= 0 ? ms / 86400000 : -((-ms + 86399999) / 86400000);
  ms -= day * 86400000;
  // Civil date from days since 1970-01-01 (Howard Hinnant's algorithm).
  const long long z = day - 25569 + 719468;
  const long long era = (z >= 0 ? z : z - 146096) / 146097;
  const long long doe = z - era * 146097;
  const long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const long long mp = (5 * doy + 2) / 153;
  const long long d = doy - (153 * mp + 2) / 5 + 1;
  const long long m = mp < 10 ? mp + 3 : mp - 9;
  const long long y = yoe + era * 400 + (m <= 2);
  char text[96];
  std::snprintf(text, sizeof text, "%04lld-%02lld-%02lldT%02lld:%02lld:%02lld.%03lld", y, m, d, ms / 3600000,
                ms / 60000 % 60, ms / 1000 % 60, ms % 1000);
  return text;
}

std::string Date(double days) { return "{\"days\": " + Number(days) + ", \"iso\": " + Json(IsoDate(days)) + "}"; }

std::string Address(const TNodeAddr& a) {
  return "\"address\": \"" + std::to_string(a.Octet1) + "." + std::to_string(a.Octet2) + "." + std::to_string(a.Octet3) +
         "." + std::to_string(a.Octet4) + "\", \"port\": " + std::to_string(a.Port);
}

void Dump(const TDataFileContent& c, std::ostream& out) {
  const TDataFileHeader& h = c.Header;
  out << "{\n  \"version\": " << int{c.Version} << ",\n  \"keyLength\": " << c.Key.size() << ",\n  \"header\": {\n"
      << "    \"H1\": " << Json(h.DataDir) << ",\n    \"H2\": " << Json(h.DownloadDir) << ",\n    \"H3\": " << h.H3
      << ",\n    \"H4\": " << h.H4 << ",\n    \"H5\": " << Json(h.InstallerTag) << ",\n    \"H6\": " << h.H6
      << ",\n    \"H7\": " << Json(h.H7) << ",\n    \"H8\": " << Json(h.H8) << ",\n    \"H9\": " << Json(h.H9)
      << ",\n    \"H10\": " << h.H10 << ",\n    \"H11\": " << Date(h.H11) << ",\n    \"H12\": " << Bool(h.H12)
      << ",\n    \"H13\": " << Json(h.Guid) << ",\n    \"H14\": " << Bool(h.H14) << ",\n    \"H15\": " << h.H15
      << ",\n    \"H16\": " << h.H16 << ",\n    \"H17\": " << Bool(h.H17) << ",\n    \"H18\": " << h.H18
      << ",\n    \"H19\": " << Bool(h.H19) << ",\n    \"H20\": " << Json(h.DownloadLocation1)
      << ",\n    \"H21\": " << Json(h.DownloadLocation2) << ",\n    \"H22\": " << Date(h.H22)
      << ",\n    \"H23\": " << h.ConnectionSpeed << "\n  },\n";

  out << "  \"folderList\": {\"field\": " << c.FolderListField << ", \"entries\": [";
  for (size_t i = 0; i < c.Folders.size(); ++i)
    out << (i ? ", " : "") << "{\"path\": " << Json(c.Folders[i].Path) << ", \"flag1\": " << Bool(c.Folders[i].Flag1)
        << ", \"flag2\": " << Bool(c.Folders[i].Flag2) << "}";
  out << "]},\n";

  out << "  \"gnutellaHosts\": [";
  for (size_t i = 0; i < c.GnutellaHosts.size(); ++i) {
    const TGnutellaHostEntry& e = c.GnutellaHosts[i];
    out << (i ? ",\n" : "\n") << "    {" << Address(e.Addr) << ", \"f2\": " << Date(e.Field2) << ", \"f3\": " << Date(e.Field3)
        << ", \"f4\": " << e.Field4 << ", \"f5\": " << Date(e.Field5) << ", \"f6\": " << Number(e.Field6)
        << ", \"f7\": " << Number(e.Field7) << ", \"f8\": " << Number(e.Field8) << ", \"f9\": " << e.Field9
        << ", \"f10\": " << e.Field10 << ", \"f11\": " << int{e.Field11} << ", \"f12\": " << Number(e.Field12) << "}";
  }
  out << "\n  ],\n  \"tolkHosts\": [";
  for (size_t i = 0; i < c.TolkHosts.size(); ++i)
    out << (i ? ",\n" : "\n") << "    {" << Address(c.TolkHosts[i].Addr) << ", \"seen\": " << Date(c.TolkHosts[i].Seen) << "}";

  const TRemoteSettings& r = c.RemoteSettings;
  out << "\n  ],\n  \"remoteSettings\": {\"R1\": " << Json(r.R1) << ", \"R2\": " << Json(r.R2) << ", \"R3\": " << Json(r.R3)
      << ", \"R4\": " << Json(r.R4) << ", \"R5\": " << r.R5 << ", \"R6\": " << r.R6 << ", \"R7\": " << r.R7
      << ", \"R8\": " << Number(r.R8) << ", \"R9\": " << Number(r.R9) << ", \"R10\": " << r.R10 << "},\n";

  out << "  \"settings\": [";
  for (size_t i = 0; i < c.Settings.size(); ++i)
    out << (i ? ",\n" : "\n") << "    {\"name\": " << Json(c.Settings[i].first) << ", \"value\": " << Json(c.Settings[i].second) << "}";
  out << "\n  ],\n  \"hashes\": [";
  for (size_t i = 0; i < c.Hashes.size(); ++i)
    out << (i ? ",\n" : "\n") << "    {\"digest\": " << Json(c.Hashes[i].Digest) << ", \"size\": " << c.Hashes[i].Size << "}";
  out << "\n  ]\n}\n";
}

int Write(const std::vector<std::string>& args) {
  if (args.empty() || args[0].starts_with("--")) throw EUsage("write needs a file name");
  TDataFileValues values{.InstallerTag = "03"};  // the tag the installer's program entry sets
  for (size_t i = 1; i < args.size(); i += 2) {
    const std::string& opt = args[i];
    if (opt != "--data-dir" && opt != "--download-dir" && opt != "--connection" && opt != "--tag")
      throw EUsage("unknown option " + opt);
    if (i + 1 >= args.size()) throw EUsage(opt + " needs a value");
    const std::string& value = args[i + 1];
    if (opt == "--data-dir") values.DataDir = value;
    if (opt == "--download-dir") values.DownloadDir = value;
    if (opt == "--tag") values.InstallerTag = value;
    if (opt == "--connection") {
      if (value != "0" && SafeStrToInt(value) == 0) throw EUsage("--connection needs an integer, not " + value);
      values.ConnectionType = SafeStrToInt(value);
    }
  }
  WriteDataFile(args[0], values);
  return 0;
}

int DumpFile(const std::vector<std::string>& args) {
  if (args.size() != 1) throw EUsage("dump takes exactly one file name");
  std::ifstream in(args[0], std::ios::binary);
  if (!in) throw std::runtime_error("cannot open " + args[0]);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  if (in.bad()) throw std::runtime_error("cannot read " + args[0]);
  std::ostringstream json;
  Dump(ReadDataFile(bytes.str()), json);
  std::cout << json.str();
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + std::min(argc, 2), argv + argc);
  const std::string command = argc > 1 ? argv[1] : "";
  try {
    if (command == "write") return Write(args);
    if (command == "dump") return DumpFile(args);
    throw EUsage(command.empty() ? "no command" : "unknown command " + command);
  } catch (const EUsage& e) {
    std::cerr << "kvdat: " << e.what() << " (usage: kvdat write FILE [--data-dir D] [--download-dir D] "
              << "[--connection N] [--tag T] | kvdat dump FILE)\n";
    return 2;
  } catch (const std::exception& e) {
    std::cerr << "kvdat: " << e.what() << "\n";
    return 1;
  }
}
