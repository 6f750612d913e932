// The web hosts the program names. All of them are under the name reserved for examples
// (RFC 2606), so no client ever contacts someone else's domain; the client that reads the data
// file and the packed texts carries the same names, so they only have to agree with it.
#pragma once
#include <string_view>

// Root addresses that the URL packing turns into two-character escapes. Their lengths are
// fixed by the packing table the client shares with us.
inline constexpr std::string_view KMakerSiteRoot = "http://korvane.example";
inline constexpr std::string_view KImageSiteRoot = "http://pixlane.example";
inline constexpr std::string_view KSearchSite1Root = "http://zoekly.example";
inline constexpr std::string_view KSearchSite2Root = "http://findorama.example";
static_assert(KMakerSiteRoot.size() == 22 && KImageSiteRoot.size() == 22);
static_assert(KSearchSite1Root.size() == 21 && KSearchSite2Root.size() == 24);

// The maker's web host is its site root, so its addresses pack small.
inline constexpr std::string_view KMakerHostRoot = KMakerSiteRoot;
inline constexpr std::string_view KMirrorHostRoot = "http://mirror.korvane.example";
inline constexpr std::string_view KCounterHostRoot = "http://count.korvane.example";
