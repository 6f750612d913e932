// Checks every rule the default tables of the client data file must keep, on the tables as the
// program makes them.
//   gendattables check
// Peer addresses come only from ranges reserved for documentation and benchmarking, so the
// shipped defaults point at nobody's machine.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "payload/GB_KORVANE_DAT.h"

namespace {

uint32_t Addr(const THostEntry& h) {
  return (uint32_t{h.O1} << 24) | (uint32_t{h.O2} << 16) | (uint32_t{h.O3} << 8) | h.O4;
}

THostEntry Host(uint32_t addr, uint16_t port) {
  return {static_cast<uint8_t>(addr >> 24), static_cast<uint8_t>(addr >> 16), static_cast<uint8_t>(addr >> 8),
          static_cast<uint8_t>(addr), port};
}

// 198.18.0.0/15, 192.0.2.0/24, 198.51.100.0/24, 203.0.113.0/24.
bool InReservedRange(uint32_t a) {
  return (a >> 17) == (0xC6120000u >> 17) || (a >> 8) == 0xC00002u || (a >> 8) == 0xC63364u ||
         (a >> 8) == 0xCB0071u;
}

uint32_t BlockStart(const TBlockedRange& r) { return (uint32_t{r.A} << 24) | (uint32_t{r.B1} << 16) | (uint32_t{r.C1} << 8) | r.D1; }
uint32_t BlockEnd(const TBlockedRange& r) { return (uint32_t{r.A} << 24) | (uint32_t{r.B2} << 16) | (uint32_t{r.C2} << 8) | r.D2; }
bool Whole(const TBlockedRange& r) { return r.B1 == 0 && r.C1 == 0 && r.D1 == 0 && r.B2 == 255 && r.C2 == 255 && r.D2 == 255; }

class TChecker {
 public:
  explicit TChecker(const TDefaultTables& t) : T(t) {}
  int Run();

 private:
  void Expect(bool ok, const std::string& what) {
    if (!ok) {
      std::fprintf(stderr, "rule broken: %s\n", what.c_str());
      ++Failures;
    }
  }
  const TDefaultTables& T;
  int Failures = 0;
};

std::map<uint16_t, int> PortCounts(const std::vector<THostEntry>& hosts) {
  std::map<uint16_t, int> m;
  for (const THostEntry& h : hosts) ++m[h.Port];
  return m;
}

std::map<std::string, int> ValueCounts(const std::vector<THostEntry>& hosts) {
  std::map<std::string, int> m;
  for (const THostEntry& h : hosts) ++m[NodeAddrText(h)];
  return m;
}

std::set<uint32_t> Addresses(const std::vector<THostEntry>& hosts) {
  std::set<uint32_t> s;
  for (const THostEntry& h : hosts) s.insert(Addr(h));
  return s;
}

bool Contains(const std::vector<THostEntry>& list, const THostEntry& h) {
  return std::any_of(list.begin(), list.end(), [&](const THostEntry& x) { return Addr(x) == Addr(h) && x.Port == h.Port; });
}

int TChecker::Run() {
  // Counts.
  Expect(T.Gnutella.size() == 500 && T.Tolk.size() == 500, "500 Gnutella and 500 Tolk hosts");
  Expect(T.KKNodeTolk.size() == 1770 && T.KNodeIP.size() == 1 && T.KNodeGnu.size() == 50 &&
             T.KKNodeCurTolk.size() == 8 && T.KNodeTolk.size() == 23,
         "node keys hold 1770, 1, 50, 8 and 23 entries");
  Expect(T.Blocked.size() == 250, "250 blocked ranges");
  Expect(T.Hashes.size() == 1195, "1195 hash entries");
  Expect(16 + T.KKNodeTolk.size() + T.KNodeIP.size() + T.KNodeGnu.size() + T.KKNodeCurTolk.size() +
                 T.KNodeTolk.size() + T.Blocked.size() == 2118,
         "2118 named settings");

  // Gnutella list.
  Expect(Addresses(T.Gnutella).size() == 500, "Gnutella addresses distinct");
  auto gp = PortCounts(T.Gnutella);
  Expect(gp[6348] == 27 && gp[6346] == 25, "Gnutella: 27 on 6348, 25 on 6346");
  int others = 0, twice = 0, more = 0;
  for (const auto& [port, n] : gp) {
    if (port == 6346 || port == 6348) continue;
    others += n;
    twice += n == 2;
    more += n > 2;
    Expect(port >= 2057 && port <= 51959, "Gnutella port " + std::to_string(port) + " within 2057..51959");
  }
  Expect(others == 448 && twice == 2 && more == 0, "Gnutella: 448 other ports, two of them twice");

  // Tolk list.
  Expect(Addresses(T.Tolk).size() == 497, "Tolk: 497 distinct addresses");
  std::map<uint32_t, std::set<uint16_t>> tolkPorts;
  for (const THostEntry& h : T.Tolk) tolkPorts[Addr(h)].insert(h.Port);
  int twins = 0;
  for (const auto& [a, ps] : tolkPorts) twins += ps.size() == 2;
  Expect(twins == 3, "Tolk: three addresses twice, with two different ports");
  auto tp = PortCounts(T.Tolk);
  Expect(tp.size() == 6 && tp[6346] == 495 && tp[6969] == 1 && tp[32500] == 1 && tp[8990] == 1 && tp[5959] == 1 &&
             tp[5005] == 1,
         "Tolk ports: 495 on 6346, one each on 6969, 32500, 8990, 5959, 5005");

  // KKNodeTolk.
  auto kv = ValueCounts(T.KKNodeTolk);
  int repeated = 0, maxTimes = 0;
  for (const auto& [v, n] : kv) {
    repeated += n > 1;
    maxTimes = std::max(maxTimes, n);
  }
  Expect(kv.size() == 1462 && repeated == 257 && maxTimes == 4,
         "KKNodeTolk: 1462 values, 257 repeated, at most four times");
  auto kp = PortCounts(T.KKNodeTolk);
  Expect(kp.size() == 9 && kp[6346] == 1761 && kp[1024] == 2 && kp[2001] == 1 && kp[6347] == 1 && kp[6356] == 1 &&
             kp[6666] == 1 && kp[10099] == 1 && kp[16350] == 1 && kp[52508] == 1,
         "KKNodeTolk ports");

  // KNodeGnu.
  Expect(ValueCounts(T.KNodeGnu).size() == 50, "KNodeGnu entries distinct");
  auto np = PortCounts(T.KNodeGnu);
  int own = 0;
  for (const auto& [port, n] : np)
    if (port != 6346 && port != 6348) {
      own += n;
      Expect(n == 1 && port >= 2889 && port <= 50717, "KNodeGnu own port " + std::to_string(port));
    }
  Expect(np[6348] == 6 && np[6346] == 1 && own == 43, "KNodeGnu: 6 on 6348, 1 on 6346, 43 own ports");
  for (const THostEntry& h : T.KNodeGnu) Expect(Contains(T.Gnutella, h), "KNodeGnu " + NodeAddrText(h) + " in Gnutella list");

  // KKNodeCurTolk, KNodeTolk, KNodeIP.
  Expect(ValueCounts(T.KKNodeCurTolk).size() == 8, "KKNodeCurTolk entries distinct");
  auto cp = PortCounts(T.KKNodeCurTolk);
  Expect(cp[6346] == 7 && cp[6969] == 1, "KKNodeCurTolk: 7 on 6346, 1 on 6969");
  for (const THostEntry& h : T.KKNodeCurTolk) Expect(Contains(T.Tolk, h), "KKNodeCurTolk " + NodeAddrText(h) + " in Tolk list");
  Expect(ValueCounts(T.KNodeTolk).size() == 23 && PortCounts(T.KNodeTolk)[6346] == 23, "KNodeTolk: 23 distinct on 6346");
  Expect(std::count_if(T.KNodeTolk.begin(), T.KNodeTolk.end(), [&](const THostEntry& h) { return Contains(T.Tolk, h); }) == 4,
         "KNodeTolk: exactly 4 in Tolk list");
  Expect(T.KNodeIP.size() == 1 && T.KNodeIP[0].Port == 5287, "KNodeIP on port 5287");

  const std::vector<THostEntry>* keys[] = {&T.KKNodeTolk, &T.KNodeIP, &T.KNodeGnu, &T.KKNodeCurTolk, &T.KNodeTolk};
  std::map<uint32_t, int> keyOf;
  for (int k = 0; k < 5; ++k)
    for (uint32_t a : Addresses(*keys[k])) {
      auto [it, fresh] = keyOf.emplace(a, k);
      Expect(fresh || it->second == k, "no address in two of the five keys");
    }

  // Text forms.
  for (const auto* list : {&T.KKNodeTolk, &T.KNodeIP, &T.KNodeGnu, &T.KKNodeCurTolk, &T.KNodeTolk})
    for (const THostEntry& h : *list) {
      const std::string s = NodeAddrText(h);
      unsigned o[4], port;
      int used = 0;
      const bool form = s.size() > 16 && s[3] == '.' && s[7] == '.' && s[11] == '.' && s[15] == ':' && s[16] != '0' &&
                        std::sscanf(s.c_str(), "%3u.%3u.%3u.%3u:%u%n", &o[0], &o[1], &o[2], &o[3], &port, &used) == 5 &&
                        static_cast<size_t>(used) == s.size() && Addr(Host(o[0] << 24 | o[1] << 16 | o[2] << 8 | o[3], 0)) == Addr(h) &&
                        port == h.Port;
      Expect(form, "node text " + s + " in the 3-digit form");
    }

  // Every peer address is reserved for documentation or benchmarking, and nothing blocks it.
  for (const auto* list : {&T.Gnutella, &T.Tolk, &T.KKNodeTolk, &T.KNodeIP, &T.KNodeGnu, &T.KKNodeCurTolk, &T.KNodeTolk})
    for (const THostEntry& h : *list) {
      Expect(InReservedRange(Addr(h)), DottedText(h) + " in a reserved range");
      for (const TBlockedRange& r : T.Blocked)
        Expect(Addr(h) < BlockStart(r) || Addr(h) > BlockEnd(r), DottedText(h) + " not blocked by " + BlockedRangeText(r));
    }

  // Blocked ranges.
  std::set<uint8_t> octets, wholeOctets;
  for (size_t i = 0; i < T.Blocked.size(); ++i) {
    const TBlockedRange& r = T.Blocked[i];
    const std::string s = BlockedRangeText(r);
    Expect(s.size() == 21 && s.find_first_not_of("0123456789") == std::string::npos, "blocked text " + s + " has 21 digits");
    Expect(r.D1 == 0 && r.D2 == 255 && BlockStart(r) <= BlockEnd(r), "blocked range " + s + " of whole /24 blocks");
    if (i > 0) {
      const TBlockedRange& p = T.Blocked[i - 1];
      Expect(BlockEnd(p) < BlockStart(r), "blocked ranges ascending without overlap at " + s);
      Expect(p.A == r.A || octets.count(r.A) == 0, "entries of first octet " + std::to_string(r.A) + " together");
    }
    octets.insert(r.A);
    if (Whole(r)) wholeOctets.insert(r.A);
  }
  std::set<uint8_t> expectedWhole = {0, 10, 127, 189};
  for (int a = 224; a <= 255; ++a) expectedWhole.insert(static_cast<uint8_t>(a));
  Expect(octets.size() == 99, "blocked ranges cover 99 first octets");
  Expect(wholeOctets == expectedWhole, "36 whole-octet entries: 0, 10, 127, 189, 224..255");

  // Hash list.
  std::map<std::string, std::set<uint32_t>> sizes;
  std::map<std::string, int> times;
  for (const THashEntry& h : T.Hashes) {
    const std::string digest = DigestText(h);
    Expect(digest.size() == 32 && digest.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZ234567") == std::string::npos,
           "digest " + digest + " is 32 Base32 characters");
    Expect(h.Size >= 22 && h.Size <= 918393628, "size " + std::to_string(h.Size) + " within 22..918393628");
    ++times[digest];
    sizes[digest].insert(h.Size);
  }
  int doubled = 0;
  for (const auto& [digest, n] : times) {
    Expect(n <= 2, "digest " + digest + " at most twice");
    if (n == 2) {
      ++doubled;
      Expect(sizes[digest].size() == 2, "the doubled digest has two sizes");
    }
  }
  Expect(doubled == 1 && times.size() == 1194, "one digest twice, 1193 once");
  return Failures;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2 || std::string(argv[1]) != "check") {
    std::fprintf(stderr, "usage: gendattables check\n");
    return 2;
  }
  if (TChecker(DefaultTables()).Run() != 0) return 1;
  std::printf("default tables: every rule holds\n");
  return 0;
}
