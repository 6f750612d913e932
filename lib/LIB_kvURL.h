// Packing of short texts (web addresses, file names) into 6-bit codes: frequent fragments
// become two-character escapes, common characters one code, rare ones sit behind shift codes.
// Everything here is constexpr so that an address can be carried in packed form only
// (see KPackedURL), the plain text never reaching the program file.
#pragma once
#include <array>
#include <cstddef>
#include <string>
#include <string_view>

#include "lib/LIB_kvHosts.h"

namespace kvurl {

inline constexpr char KEscape = 'Q';

// Position k (1-based) names fragment k; position 63, the blank, marks an escaped "Q".
inline constexpr std::string_view KAlphabet =
    "ABCDEFGHIJKLMNOPQRSTUVWXabcdefghijklmnopqrstuvwx/\\:0123456789. ";
static_assert(KAlphabet.size() == 63);

// Longer fragments stand before the shorter ones they contain: the order is the matching order.
inline constexpr std::array<std::string_view, 62> KFragments = {
    KMakerSiteRoot, KImageSiteRoot, KSearchSite1Root, KSearchSite2Root,
    "http:/www.", "http://WWW.", "http://", "HTTP://", "Http://", "WWW.", "www.",
    ".com/", ".COM/", ".com", ".COM", ".net/", ".NET/", ".net", ".NET",
    ".HTML", ".html", ".htm", ".HTM",
    ".mp3", ".MP3", ".Mp3", ".wma", ".WMA", ".avi", ".AVI", ".MPG", ".mpg", ".MPEG", ".mpeg",
    ".asf", ".ASF", ".JPG", ".jpg", ".Jpg", ".GIF", ".gif", ".ZIP", ".zip", ".Zip",
    ".exe", ".EXE", ".iso", ".ISO",
    " the ", " The ", " sex", " xxx ", " XXX ", " girl", " Girl", " - ", "index", " with ", " new ",
    "01 ", "02 ", "03 "};

struct TCode {
  int Shifts;  // leading codes of value 0
  int Value;   // 1..63
};

constexpr TCode CharCode(unsigned char c) {
  if (c == 32) return {0, 1};
  if (c >= 46 && c <= 58) return {0, c - 44};
  if (c >= 65 && c <= 88) return {0, c - 50};
  if (c >= 97 && c <= 120) return {0, c - 58};
  if (c == 92) return {0, 63};
  if (c >= 121 && c <= 126) return {1, c - 120};
  if (c >= 89 && c <= 91) return {1, c - 82};
  if (c >= 93 && c <= 96) return {1, c - 83};
  if (c >= 59 && c <= 64) return {1, c - 45};
  if (c >= 33 && c <= 45) return {1, c - 13};
  if (c >= 127 && c <= 157) return {1, c - 94};
  if (c >= 158 && c <= 220) return {2, c - 157};
  if (c >= 221) return {3, c - 220};
  if (c >= 4) return {3, c + 32};
  return {4, c + 1};
}

// The character that code v (1..63) stands for after `shifts` zero codes (0..4).
constexpr char CodeChar(int shifts, int v) {
  int c = 0;
  switch (shifts) {
    case 0:
      c = v == 1 ? 32 : v <= 14 ? v + 44 : v <= 38 ? v + 50 : v <= 62 ? v + 58 : 92;
      break;
    case 1:
      c = v <= 6 ? v + 120 : v <= 9 ? v + 82 : v <= 13 ? v + 83 : v <= 19 ? v + 45 : v <= 32 ? v + 13 : v + 94;
      break;
    case 2: c = v + 157; break;
    case 3: c = v <= 35 ? v + 220 : v - 32; break;
    default: c = v - 1; break;
  }
  return static_cast<char>(static_cast<unsigned char>(c));
}

}  // namespace kvurl

constexpr std::string PackURL(std::string_view text) {
  using namespace kvurl;
  std::string s;
  for (char c : text) {
    s += c;
    if (c == KEscape) s += ' ';
  }
  // A fragment is looked for only in the plain parts of the text: one that reached into an
  // escape written here before ("Q0" followed by "1 " reading as "01 ") would decode to
  // something else. The blank that escapes a "Q" counts as plain text (documented exception).
  std::string written(s.size(), '\0');  // '\1' under each character of a fragment's escape
  for (size_t k = 0; k < KFragments.size(); ++k) {
    const std::string_view fragment = KFragments[k];
    const char escape[2] = {KEscape, KAlphabet[k]};
    for (size_t at = s.find(fragment); at != std::string::npos; at = s.find(fragment, at)) {
      if (written.find('\1', at) < at + fragment.size()) {
        ++at;
        continue;
      }
      s.replace(at, fragment.size(), escape, 2);
      written.replace(at, fragment.size(), "\1\1", 2);
    }
  }
  std::string packed;
  unsigned bits = 0;  // pending bits, right-aligned
  int count = 0;      // how many of them
  auto put = [&](int code) {
    bits = (bits << 6) | static_cast<unsigned>(code);
    count += 6;
    if (count >= 8) {
      count -= 8;
      packed += static_cast<char>(static_cast<unsigned char>(bits >> count));
      bits &= (1u << count) - 1;
    }
  };
  for (char c : s) {
    const TCode code = CharCode(static_cast<unsigned char>(c));
    for (int i = 0; i < code.Shifts; ++i) put(0);
    put(code.Value);
  }
  if (count > 0) packed += static_cast<char>(static_cast<unsigned char>(bits << (8 - count)));
  return packed;
}

constexpr std::string UnpackURL(std::string_view packed) {
  using namespace kvurl;
  std::string decoded;
  unsigned bits = 0;
  int count = 0;
  int shifts = 0;
  for (char byte : packed) {
    bits = (bits << 8) | static_cast<unsigned char>(byte);
    count += 8;
    while (count >= 6) {
      count -= 6;
      const int v = static_cast<int>((bits >> count) & 63u);
      bits &= (1u << count) - 1;
      if (v == 0) {
        ++shifts;
        continue;
      }
      if (shifts <= 4) decoded += CodeChar(shifts, v);
      shifts = 0;
    }
  }
  std::string text;
  for (size_t i = 0; i < decoded.size(); ++i) {
    if (decoded[i] == KEscape && i + 1 < decoded.size()) {
      const size_t k = KAlphabet.find(decoded[i + 1]);
      if (k != std::string_view::npos) {
        if (k == KFragments.size()) text += KEscape;
        else text += KFragments[k];
        ++i;
        continue;
      }
    }
    // A "Q" at the end or before a character outside the alphabet never comes from the
    // packer; it is kept as it stands.
    text += decoded[i];
  }
  return text;
}

// A string literal as a template argument, for KPackedURL.
template <size_t N>
struct TURLLiteral {
  char Text[N] = {};
  consteval TURLLiteral(const char (&s)[N]) {
    for (size_t i = 0; i < N; ++i) Text[i] = s[i];
  }
  constexpr std::string_view View() const { return {Text, N - 1}; }
};

template <TURLLiteral S>
consteval auto PackURLAtCompileTime() {
  // A "Q" right before a fragment that begins with a blank does not come back from packing;
  // such an address would be carried broken, so it stops the build instead.
  static_assert(UnpackURL(PackURL(S.View())) == S.View(), "this address does not survive URL packing");
  std::array<char, PackURL(S.View()).size()> bytes{};
  const std::string packed = PackURL(S.View());
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = packed[i];
  return bytes;
}

// The packed bytes of a literal address, computed by the compiler: only these bytes end up in
// the program. std::string(KPackedURL<"...">.data(), KPackedURL<"...">.size()) gives the packed text.
template <TURLLiteral S>
inline constexpr auto KPackedURL = PackURLAtCompileTime<S>();
