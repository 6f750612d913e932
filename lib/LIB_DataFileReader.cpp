#include "lib/LIB_DataFileReader.h"

#include <charconv>

#include "lib/LIB_Data1_ReadWrite.h"
#include "lib/LIB_kvURL.h"

EDataFileError::EDataFileError(size_t offset, const std::string& what)
    : std::runtime_error("damaged data file at byte " + std::to_string(offset) + ": " + what), Offset(offset) {}

namespace {

std::string Hex(unsigned b) {
  static const char digits[] = "0123456789ABCDEF";
  return std::string("0x") + digits[(b >> 4) & 15] + digits[b & 15];
}

// Readable quoting of a decoded text in an error message.
std::string Quoted(std::string_view s) {
  std::string q = "\"";
  for (char c : s.substr(0, 40)) q += static_cast<unsigned char>(c) < 32 ? '?' : c;
  return q + (s.size() > 40 ? "...\"" : "\"");
}

class TReader {
 public:
  explicit TReader(std::string_view in) : In(in) {}

  TDataFileContent Read() {
    TDataFileContent c;
    const size_t versionAt = Pos;
    c.Version = Byte("the format version");
    if (c.Version != 0)
      throw EDataFileError(versionAt, "format version " + std::to_string(c.Version) + " is not the installer's (0)");
    c.Key = PlainText("the key text");
    Table = DeriveScrambleTable(c.Key);
    ReadHeader(c.Header);

    ExpectMarker(8, "folder list");
    c.FolderListField = Integer("the folder list's field");
    while (Entry(8, "folder list")) {
      TFolderEntry e;
      e.Path = Text("a folder");
      e.Flag1 = Boolean("a folder flag");
      e.Flag2 = Boolean("a folder flag");
      c.Folders.push_back(e);
    }
    ExpectMarker(22, "group 22");
    ExpectMarker(32, "group 32");
    ExpectMarker(3, "Gnutella host list");
    while (Entry(3, "Gnutella host list")) {
      TGnutellaHostEntry e;
      e.Addr = NodeAddr();
      e.Field2 = Float("a Gnutella host date");
      e.Field3 = Float("a Gnutella host date");
      e.Field4 = Integer("a Gnutella host field");
      e.Field5 = Float("a Gnutella host date");
      e.Field6 = Float("a Gnutella host field");
      e.Field7 = Float("a Gnutella host field");
      e.Field8 = Float("a Gnutella host field");
      e.Field9 = Cardinal("a Gnutella host field");
      e.Field10 = Cardinal("a Gnutella host field");
      e.Field11 = Marker("a Gnutella host field");
      e.Field12 = Float("a Gnutella host field");
      c.GnutellaHosts.push_back(e);
    }
    ExpectMarker(0, "end of group 32");
    ExpectMarker(27, "group 27");
    ExpectMarker(30, "Tolk host list");
    while (Entry(30, "Tolk host list")) {
      TTolkHostEntry e;
      e.Addr = NodeAddr();
      e.Seen = Float("a Tolk host date");
      c.TolkHosts.push_back(e);
    }
    ExpectMarker(0, "end of group 27");
    ExpectMarker(203, "settings list");
    TRemoteSettings& r = c.RemoteSettings;
    r.R1 = UnpackURL(PlainText("a remote-settings text"));
    r.R2 = UnpackURL(PlainText("a remote-settings text"));
    r.R3 = UnpackURL(PlainText("a remote-settings text"));
    r.R4 = UnpackURL(PlainText("a remote-settings text"));
    r.R5 = Integer("a remote-settings field");
    r.R6 = Integer("a remote-settings field");
    r.R7 = Integer("a remote-settings field");
    r.R8 = Float("a remote-settings field");
    r.R9 = Float("a remote-settings field");
    r.R10 = Integer("a remote-settings field");
    while (Entry(203, "settings list")) {
      std::string name = Text("a setting's name");
      c.Settings.emplace_back(std::move(name), Text("a setting's value"));
    }
    ExpectMarker(0, "end of group 22");
    ExpectMarker(44, "hash list");
    while (Entry(44, "hash list")) {
      THashListEntry e;
      e.Digest = Text("a digest");
      e.Size = Cardinal("a file size");
      c.Hashes.push_back(e);
    }
    ExpectMarker(0, "end of the file");
    if (Pos != In.size())
      throw EDataFileError(Pos, std::to_string(In.size() - Pos) + " bytes after the end of the file");
    return c;
  }

 private:
  void ReadHeader(TDataFileHeader& h) {
    h.DataDir = Text("H1");
    h.DownloadDir = Text("H2");
    h.H3 = Integer("H3");
    h.H4 = Integer("H4");
    h.InstallerTag = Text("H5");
    h.H6 = Integer("H6");
    h.H7 = Text("H7");
    h.H8 = Text("H8");
    h.H9 = Text("H9");
    h.H10 = Integer("H10");
    h.H11 = Float("H11");
    h.H12 = Boolean("H12");
    h.Guid = Text("H13");
    h.H14 = Boolean("H14");
    h.H15 = Integer("H15");
    h.H16 = Integer("H16");
    h.H17 = Boolean("H17");
    h.H18 = Integer("H18");
    h.H19 = Boolean("H19");
    h.DownloadLocation1 = Text("H20");
    h.DownloadLocation2 = Text("H21");
    h.H22 = Integer("H22");
    h.ConnectionSpeed = Integer("H23");
  }

  uint8_t Byte(const char* what) {
    if (Pos >= In.size()) throw EDataFileError(Pos, std::string("file ends inside ") + what);
    const uint8_t b = static_cast<uint8_t>(In[Pos]);
    if (b == KEscapeByte) {
      if (Pos + 1 >= In.size()) throw EDataFileError(Pos, std::string("file ends inside an escape in ") + what);
      const uint8_t e = static_cast<uint8_t>(In[Pos + 1]);
      if (e < KEscapeOffset || e > KEscapeOffset + KEscapeByte)
        throw EDataFileError(Pos + 1, "escape followed by " + Hex(e) + " in " + what);
      Pos += 2;
      return static_cast<uint8_t>(e - KEscapeOffset);
    }
    if (b < KEscapeByte) throw EDataFileError(Pos, "control byte " + Hex(b) + " outside an escape in " + what);
    ++Pos;
    return b;
  }

  uint8_t Marker(const char* what) {
    return static_cast<uint8_t>(Byte(what) - static_cast<uint8_t>(Table[16]));
  }

  void ExpectMarker(uint8_t v, const char* what) {
    const size_t at = Pos;
    const uint8_t m = Marker(what);
    if (m != v)
      throw EDataFileError(at, "expected marker " + std::to_string(v) + " (" + what + "), found " + std::to_string(m));
  }

  // True for one more entry of the list, false at its closing marker.
  bool Entry(uint8_t type, const char* list) {
    const size_t at = Pos;
    const uint8_t m = Marker(list);
    if (m == 0) return false;
    if (m != type)
      throw EDataFileError(at, std::string("expected marker ") + std::to_string(type) + " or 0 in the " + list +
                                   ", found " + std::to_string(m));
    return true;
  }

  size_t Length(const char* what) {
    const size_t lo = Byte(what);
    return lo | (size_t{Byte(what)} << 8);
  }

  std::string PlainText(const char* what) {
    const size_t n = Length(what);
    std::string s;
    for (size_t i = 0; i < n; ++i) s += static_cast<char>(Byte(what));
    return s;
  }

  std::string Text(const char* what) {
    TextAt = Pos;
    const int k = Byte(what);
    const size_t n = Length(what);
    std::string s;
    for (size_t j = 0; j < n; ++j)
      s += static_cast<char>(Byte(what) - static_cast<uint8_t>(Table[(static_cast<size_t>(k) + j) % 256]));
    SwapEntries(Table, k, (k + 2) % 256);
    return s;
  }

  template <typename T>
  T Number(const char* what, const char* kind) {
    const std::string s = Text(what);
    T v{};
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (s.empty() || ec != std::errc() || end != s.data() + s.size())
      throw EDataFileError(TextAt, std::string(what) + " is not " + kind + ": " + Quoted(s));
    return v;
  }

  int32_t Integer(const char* what) { return Number<int32_t>(what, "an integer"); }
  uint32_t Cardinal(const char* what) { return Number<uint32_t>(what, "an unsigned integer"); }
  double Float(const char* what) { return Number<double>(what, "a number"); }

  bool Boolean(const char* what) { return Byte(what) >= 139; }

  TNodeAddr NodeAddr() {
    TNodeAddr a;
    a.Octet4 = Marker("a node address");
    a.Octet2 = Marker("a node address");
    const uint8_t high = Marker("a node address");
    a.Port = static_cast<uint16_t>(high << 8 | Marker("a node address"));
    a.Octet1 = Marker("a node address");
    a.Octet3 = Marker("a node address");
    return a;
  }

  std::string_view In;
  size_t Pos = 0;
  size_t TextAt = 0;  // where the last text began, for errors about its content
  std::string Table;
};

}  // namespace

TDataFileContent ReadDataFile(std::string_view bytes) { return TReader(bytes).Read(); }
