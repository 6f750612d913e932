// The data file's platform on POSIX hosts (tools and tests). The Windows build has its own
// in lib/win; this file compiles to nothing there.
#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <optional>
#include <random>

#include "lib/LIB_DataPlatform.h"
#include "lib/LIB_Errors.h"

namespace {

// The installer's errors carry Windows codes (the error panel turns 112 into "Disk Full"),
// so the common POSIX failures are reported with the Windows code of the same failure.
int WindowsCode(int err) {
  switch (err) {
    case ENOENT:
    case ENOTDIR: return 3;
    case EMFILE:
    case ENFILE: return 4;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
    case ETXTBSY: return 5;
    case ENOSPC:
    case EDQUOT:
    case EFBIG: return 112;
    case ENAMETOOLONG: return 206;
    default: return err;
  }
}

class TPosixFileSink : public TFileSink {
 public:
  explicit TPosixFileSink(int fd) : Fd(fd) {}
  ~TPosixFileSink() override {
    if (Fd >= 0) ::close(Fd);
  }
  void Write(const uint8_t* bytes, size_t count) override {
    while (count > 0) {
      const ssize_t n = ::write(Fd, bytes, count);
      if (n < 0) {
        if (errno == EINTR) continue;
        throw EInOutError(WindowsCode(errno));
      }
      bytes += n;
      count -= static_cast<size_t>(n);
    }
  }
  void Close() override {
    const int fd = Fd;
    Fd = -1;
    if (::close(fd) != 0) throw EInOutError(WindowsCode(errno));
  }

 private:
  int Fd;
};

// Days from 30 December 1899 to the given civil date (proleptic Gregorian).
long DaysFrom1899(int y, unsigned m, unsigned d) {
  y -= m <= 2;
  const long era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  const long unixDays = era * 146097 + static_cast<long>(doe) - 719468;
  return unixDays + 25569;  // 1970-01-01 is day 25569
}

}  // namespace

std::unique_ptr<TFileSink> CreateFileSink(const std::string& FileName) {
  const int fd = ::open(FileName.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) throw EInOutError(WindowsCode(errno));
  return std::make_unique<TPosixFileSink>(fd);
}

TGuid CreateGuid() {
  std::random_device rd;
  TGuid g{};
  g.Data1 = rd();
  g.Data2 = static_cast<uint16_t>(rd());
  g.Data3 = static_cast<uint16_t>((rd() & 0x0FFF) | 0x4000);  // version 4
  for (int i = 0; i < 8; ++i) g.Data4[i] = static_cast<uint8_t>(rd());
  g.Data4[0] = static_cast<uint8_t>((g.Data4[0] & 0x3F) | 0x80);  // RFC 4122 variant
  return g;
}

std::string GuidToString(const TGuid& g) {
  char text[39];
  std::snprintf(text, sizeof text, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", g.Data1, g.Data2,
                g.Data3, g.Data4[0], g.Data4[1], g.Data4[2], g.Data4[3], g.Data4[4], g.Data4[5], g.Data4[6],
                g.Data4[7]);
  return text;
}

namespace {

// The next code point of `s` from `at`, strict UTF-8 (no overlong forms, no surrogates);
// nothing on a malformed sequence.
std::optional<char32_t> NextCodePoint(std::string_view s, size_t& at) {
  const auto b0 = static_cast<unsigned char>(s[at++]);
  if (b0 < 0x80) return b0;
  const int extra = b0 >= 0xF0 && b0 <= 0xF4 ? 3 : b0 >= 0xE0 ? 2 : b0 >= 0xC2 && b0 < 0xE0 ? 1 : -1;
  if (extra < 0 || at + extra > s.size()) return std::nullopt;
  char32_t cp = b0 & (0x3F >> extra);
  for (int i = 0; i < extra; ++i) {
    const auto b = static_cast<unsigned char>(s[at++]);
    if ((b & 0xC0) != 0x80) return std::nullopt;
    cp = cp << 6 | (b & 0x3F);
  }
  constexpr char32_t kLeast[] = {0, 0x80, 0x800, 0x10000};
  if (cp < kLeast[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return std::nullopt;
  return cp;
}

// Code page 1252's bytes 80..9F; 0 where the code page has no character (the byte passes as
// the control character of the same number, as Windows converts it).
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0, 0x017D, 0,
    0, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0, 0x017E, 0x0178};

std::optional<unsigned char> Cp1252Byte(char32_t cp) {
  if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<unsigned char>(cp);
  for (int i = 0; i < 32; ++i)
    if (kCp1252High[i] == cp || (kCp1252High[i] == 0 && cp == 0x80u + i)) return static_cast<unsigned char>(0x80 + i);
  return std::nullopt;
}

}  // namespace

std::optional<std::string> ToSystemCodePage(std::string_view utf8) {
  std::string bytes;
  for (size_t at = 0; at < utf8.size();) {
    const auto cp = NextCodePoint(utf8, at);
    const auto byte = cp ? Cp1252Byte(*cp) : std::nullopt;
    if (!byte) return std::nullopt;
    bytes += static_cast<char>(*byte);
  }
  return bytes;
}

double NowDays() {
  const auto now = std::chrono::system_clock::now();
  const std::time_t t = std::chrono::system_clock::to_time_t(now);
  // A data file reads the clock thousands of times and the local time conversion is slow;
  // the local date and the whole seconds of the day change only with the second.
  thread_local std::time_t second = -1;
  thread_local double days = 0, wholeSeconds = 0;
  if (t != second) {
    std::tm local{};
    localtime_r(&t, &local);
    second = t;
    days = static_cast<double>(DaysFrom1899(local.tm_year + 1900, static_cast<unsigned>(local.tm_mon + 1),
                                            static_cast<unsigned>(local.tm_mday)));
    wholeSeconds = local.tm_hour * 3600.0 + local.tm_min * 60.0 + local.tm_sec;
  }
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
  return days + (wholeSeconds + ms / 1000.0) / 86400.0;
}
#endif
