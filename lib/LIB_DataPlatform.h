// What the data file writer needs from the operating system. Implemented once for Win32
// (lib/win) and once for POSIX hosts.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

struct TGuid {
  uint32_t Data1;
  uint16_t Data2;
  uint16_t Data3;
  uint8_t Data4[8];
};

// A file opened for writing (created, or emptied if it exists). Failures raise EInOutError
// with the system's error code (112 for a full disk). Destroying an open sink closes it
// without raising: that is how a failed write releases the file.
class TFileSink {
 public:
  virtual ~TFileSink() = default;
  virtual void Write(const uint8_t* bytes, size_t count) = 0;
  virtual void Close() = 0;
};

std::unique_ptr<TFileSink> CreateFileSink(const std::string& FileName);

// The runtime's conversion error.
class EConvertError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A new GUID from the system's generator; the nil GUID when the generator fails.
TGuid CreateGuid();

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}", upper-case, as StringFromCLSID gives it.
// Raises EConvertError when the system cannot make the text.
std::string GuidToString(const TGuid& guid);

// The client and the uninstaller read their files' texts in the system's ANSI code page, while
// the installer's texts are UTF-8. The bytes of `utf8` in that code page; nothing when a
// character has no place in it (it would be read back as another one), or `utf8` is not UTF-8.
// The POSIX side stands for a Western system: code page 1252.
std::optional<std::string> ToSystemCodePage(std::string_view utf8);

// The local date and time as days since 30 December 1899 (fraction = time of day).
double NowDays();
