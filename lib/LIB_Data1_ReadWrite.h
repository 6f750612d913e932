// The byte encoding of the client data file: typed write operations, control-byte escaping
// and the per-file scramble table that offsets markers and text bytes.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "lib/LIB_DataPlatform.h"
#include "lib/LIB_DataTypes.h"

// The open data file. The encoded bytes are built in a memory block that goes to the sink in
// one piece whenever it fills, so a write error surfaces with one of those pieces or at Close;
// what went out before stays in the file.
class TDataFile {
 public:
  static constexpr size_t KBlockSize = 64 * 1024;
  explicit TDataFile(std::unique_ptr<TFileSink> sink) : Sink(std::move(sink)) {}
  // Room for n more bytes (n <= KBlockSize) at the returned position; Commit takes the end of
  // what was put there.
  uint8_t* Reserve(size_t n) {
    if (Used + n > KBlockSize) Flush();
    return Block + Used;
  }
  void Commit(const uint8_t* end) { Used = static_cast<size_t>(end - Block); }
  // Writes what is buffered and closes the file.
  void Close();

 private:
  void Flush();
  std::unique_ptr<TFileSink> Sink;
  size_t Used = 0;
  uint8_t Block[KBlockSize];
};

// 256 bytes once the first key is made; every WriteText exchanges two of its entries.
extern std::string ScrambleTable;

// A fresh key text of 879..977 bytes (each 14..253); ScrambleTable becomes its table.
std::string NewScrambleKey();
// The 256-byte table of a key text; defined for keys of any length.
std::string DeriveScrambleTable(std::string_view key);

// The exchange every scrambled text makes (positions 1-based; 0 means none). The reader
// replays it on its own copy of the table.
void SwapEntries(std::string& table, int a, int b);

// Bytes 0x00..0x1F go out as 0x1F, b + 0x54; everything else as it is.
inline constexpr uint8_t KEscapeByte = 0x1F;
inline constexpr uint8_t KEscapeOffset = 0x54;

// The general format with 15 significant digits, "." as separator in any locale,
// scientific only below 0.00001 or with more than 15 digits before the point.
std::string FloatToStr(double value);

class TLibData1_ReadWrite {
 public:
  void WriteRawByte(TDataFile& f, uint8_t b);
  void WriteMarker(TDataFile& f, uint8_t v);
  void WriteWord(TDataFile& f, uint16_t w);
  void WriteNodeAddr(TDataFile& f, const TNodeAddr& addr);
  void WriteBoolean(TDataFile& f, bool value);
  void WritePlainText(TDataFile& f, std::string_view s);
  void WriteText(TDataFile& f, std::string_view s);
  void WriteInteger(TDataFile& f, int32_t value);
  void WriteCardinal(TDataFile& f, uint32_t value);
  void WriteFloat(TDataFile& f, double value);
  void WriteTruncated(TDataFile& f, double value);
  void WriteGuid(TDataFile& f, const TGuid& guid);
  void SwapTableEntries(int a, int b);
};
