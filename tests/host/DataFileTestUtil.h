// Helpers shared by the data file tests.
#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "lib/LIB_Data1_ReadWrite.h"
#include "lib/LIB_Errors.h"

// Collects the written bytes in memory; optionally the disk is "full" from byte FailAt on.
class TMemorySink : public TFileSink {
 public:
  TMemorySink(std::string& out, size_t failAt = SIZE_MAX) : Out(out), FailAt(failAt) {}
  void Write(const uint8_t* bytes, size_t count) override {
    for (size_t i = 0; i < count; ++i) {
      if (Out.size() >= FailAt) throw EInOutError(112);
      Out += static_cast<char>(bytes[i]);
    }
  }
  void Close() override {}

 private:
  std::string& Out;
  size_t FailAt;
};

inline TDataFile MemoryFile(std::string& out, size_t failAt = SIZE_MAX) {
  return TDataFile(std::make_unique<TMemorySink>(out, failAt));
}

// The bytes before escaping.
inline std::string Unescape(const std::string& s) {
  std::string r;
  for (size_t i = 0; i < s.size(); ++i) {
    if (static_cast<uint8_t>(s[i]) == KEscapeByte && i + 1 < s.size()) {
      r += static_cast<char>(static_cast<uint8_t>(s[++i]) - KEscapeOffset);
    } else {
      r += s[i];
    }
  }
  return r;
}

inline uint8_t At(const std::string& s, size_t i) { return static_cast<uint8_t>(s[i]); }
