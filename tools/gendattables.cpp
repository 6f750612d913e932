// Makes the default tables of the client data file and checks every rule they must keep.
//   gendattables write FILE   generate (always the same output), check, write the C++ source
//   gendattables check        check the tables compiled into this program
// Peer addresses come only from ranges reserved for documentation and benchmarking, so the
// shipped defaults point at nobody's machine.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <map>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "payload/GB_KORVANE_DAT.h"

namespace {

struct TTables {
  std::vector<THostEntry> Gnutella, Tolk, KKNodeTolk, KNodeIP, KNodeGnu, KKNodeCurTolk, KNodeTolk;
  std::vector<TBlockedRange> Blocked;
  std::vector<std::pair<std::string, uint32_t>> Hashes;
};

// splitmix64: fixed algorithm and seed, so every run (and every compiler) gives the same tables.
class TRng {
 public:
  uint64_t Next() {
    uint64_t z = (State += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  uint32_t Below(uint32_t n) { return static_cast<uint32_t>(Next() % n); }
  uint32_t Between(uint32_t lo, uint32_t hi) { return lo + Below(hi - lo + 1); }
  template <typename T>
  void Shuffle(std::vector<T>& v) {
    for (size_t i = v.size(); i > 1; --i) std::swap(v[i - 1], v[Below(static_cast<uint32_t>(i))]);
  }

 private:
  uint64_t State = 0x4B6F7276616E6521ull;
};

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

// ---------------------------------------------------------------- generation

class TAddressPool {
 public:
  explicit TAddressPool(TRng& rng) : Rng(rng) {}
  uint32_t Fresh() {
    for (;;) {
      uint32_t a = 0;
      switch (Rng.Below(10)) {
        case 0: a = 0xC0000200u; break;
        case 1: a = 0xC6336400u; break;
        case 2: a = 0xCB007100u; break;
        default: a = 0xC6120000u | (Rng.Below(512) << 8); break;
      }
      a |= Rng.Between(1, 254);  // no network or broadcast-looking addresses
      if (Used.insert(a).second) return a;
    }
  }

 private:
  TRng& Rng;
  std::set<uint32_t> Used;
};

void GenerateHosts(TRng& rng, TTables& t) {
  TAddressPool pool(rng);

  // Gnutella: 27 on 6348, 25 on 6346, 448 on 446 other ports (two of them twice). The ends of
  // both port ranges are present; KNodeGnu takes 43 of the ports used once.
  std::set<uint32_t> ports = {2057, 51959, 2889, 50717};
  while (ports.size() < 446) {
    const uint32_t p = rng.Between(2057, 51959);
    if (p != 6346 && p != 6348) ports.insert(p);
  }
  std::vector<uint32_t> single(ports.begin(), ports.end());
  std::vector<uint16_t> gnuPorts(single.begin(), single.end());
  std::vector<uint32_t> twiceCandidates;
  for (uint32_t p : single)
    if (p > 2889 && p < 50717) twiceCandidates.push_back(p);
  rng.Shuffle(twiceCandidates);
  gnuPorts.push_back(static_cast<uint16_t>(twiceCandidates[0]));
  gnuPorts.push_back(static_cast<uint16_t>(twiceCandidates[1]));
  gnuPorts.insert(gnuPorts.end(), 27, 6348);
  gnuPorts.insert(gnuPorts.end(), 25, 6346);
  rng.Shuffle(gnuPorts);
  for (uint16_t p : gnuPorts) t.Gnutella.push_back(Host(pool.Fresh(), p));

  std::vector<THostEntry> p6348, p6346, own;
  for (const THostEntry& h : t.Gnutella) {
    if (h.Port == 6348) p6348.push_back(h);
    else if (h.Port == 6346) p6346.push_back(h);
    else if (h.Port != twiceCandidates[0] && h.Port != twiceCandidates[1] && h.Port >= 2889 && h.Port <= 50717)
      own.push_back(h);
  }
  rng.Shuffle(p6348);
  rng.Shuffle(p6346);
  std::vector<THostEntry> ends, inner;
  for (const THostEntry& h : own) (h.Port == 2889 || h.Port == 50717 ? ends : inner).push_back(h);
  rng.Shuffle(inner);
  t.KNodeGnu.assign(p6348.begin(), p6348.begin() + 6);
  t.KNodeGnu.push_back(p6346[0]);
  t.KNodeGnu.insert(t.KNodeGnu.end(), ends.begin(), ends.end());
  t.KNodeGnu.insert(t.KNodeGnu.end(), inner.begin(), inner.begin() + (43 - static_cast<long>(ends.size())));
  rng.Shuffle(t.KNodeGnu);

  // Tolk: 497 addresses; three of them twice, on 6346 and on another port.
  const uint16_t twinPorts[] = {6969, 32500, 8990};
  THostEntry curTolk6969{};
  for (uint16_t p : twinPorts) {
    const uint32_t a = pool.Fresh();
    t.Tolk.push_back(Host(a, 6346));
    t.Tolk.push_back(Host(a, p));
    if (p == 6969) curTolk6969 = Host(a, p);
  }
  t.Tolk.push_back(Host(pool.Fresh(), 5959));
  t.Tolk.push_back(Host(pool.Fresh(), 5005));
  std::vector<THostEntry> plainTolk;
  for (int i = 0; i < 492; ++i) plainTolk.push_back(Host(pool.Fresh(), 6346));
  t.Tolk.insert(t.Tolk.end(), plainTolk.begin(), plainTolk.end());
  rng.Shuffle(t.Tolk);

  // KKNodeCurTolk and 4 of KNodeTolk come from the Tolk hosts that stand there once.
  rng.Shuffle(plainTolk);
  t.KKNodeCurTolk.assign(plainTolk.begin(), plainTolk.begin() + 7);
  t.KKNodeCurTolk.push_back(curTolk6969);
  rng.Shuffle(t.KKNodeCurTolk);
  t.KNodeTolk.assign(plainTolk.begin() + 7, plainTolk.begin() + 11);
  for (int i = 0; i < 19; ++i) t.KNodeTolk.push_back(Host(pool.Fresh(), 6346));
  rng.Shuffle(t.KNodeTolk);

  t.KNodeIP.push_back(Host(pool.Fresh(), 5287));

  // KKNodeTolk: 1462 values in 1770 entries; 207 values twice, 49 three times, one four times.
  const uint16_t otherPorts[] = {1024, 1024, 2001, 6347, 6356, 6666, 10099, 16350, 52508};
  std::vector<THostEntry> values;
  for (uint16_t p : otherPorts) values.push_back(Host(pool.Fresh(), p));
  std::vector<THostEntry> common;
  for (int i = 0; i < 1462 - 9; ++i) common.push_back(Host(pool.Fresh(), 6346));
  t.KKNodeTolk = values;
  t.KKNodeTolk.insert(t.KKNodeTolk.end(), common.begin(), common.end());
  rng.Shuffle(common);
  size_t next = 0;
  for (const auto& [count, times] : {std::pair{207, 1}, {49, 2}, {1, 3}})
    for (int i = 0; i < count; ++i, ++next)
      t.KKNodeTolk.insert(t.KKNodeTolk.end(), static_cast<size_t>(times), common[next]);
  rng.Shuffle(t.KKNodeTolk);
}

void GenerateBlocked(TRng& rng, TTables& t) {
  std::vector<uint8_t> whole = {0, 10, 127, 189};
  for (int a = 224; a <= 255; ++a) whole.push_back(static_cast<uint8_t>(a));
  for (uint8_t a : whole) t.Blocked.push_back({a, 0, 0, 0, 255, 255, 255});

  // 63 first octets with partial ranges; the octets of the reserved peer ranges are left alone.
  std::vector<uint8_t> candidates;
  for (int a = 1; a <= 223; ++a)
    if (std::find(whole.begin(), whole.end(), a) == whole.end() && a != 192 && a != 198 && a != 203)
      candidates.push_back(static_cast<uint8_t>(a));
  rng.Shuffle(candidates);
  std::vector<uint8_t> partial(candidates.begin(), candidates.begin() + 63);
  std::vector<int> perOctet(63, 1);
  for (int extra = 0; extra < 214 - 63; ++extra) ++perOctet[rng.Below(63)];

  for (size_t i = 0; i < partial.size(); ++i) {
    std::vector<std::pair<uint32_t, uint32_t>> blocks;  // first and last /24 block within the octet
    while (blocks.size() < static_cast<size_t>(perOctet[i])) {
      const uint32_t len = 1u << rng.Below(9);
      const uint32_t first = rng.Below(65536 - len);
      const uint32_t last = first + len - 1;
      bool clear = true;
      for (const auto& [f, l] : blocks) clear = clear && (last + 1 < f || first > l + 1);
      if (clear) blocks.push_back({first, last});
    }
    for (const auto& [f, l] : blocks)
      t.Blocked.push_back({partial[i], static_cast<uint8_t>(f >> 8), static_cast<uint8_t>(f), 0,
                           static_cast<uint8_t>(l >> 8), static_cast<uint8_t>(l), 255});
  }
  std::sort(t.Blocked.begin(), t.Blocked.end(),
            [](const TBlockedRange& x, const TBlockedRange& y) { return BlockStart(x) < BlockStart(y); });
}

constexpr char KBase32[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ234567";

void GenerateHashes(TRng& rng, TTables& t) {
  std::set<std::string> seen;
  while (t.Hashes.size() < 1194) {
    std::string digest;
    for (int i = 0; i < 32; ++i) digest += KBase32[rng.Below(32)];
    if (!seen.insert(digest).second) continue;
    // Sizes spread over the orders of magnitude, as real shared files do.
    uint32_t size = rng.Between(22, 918393628);
    for (uint32_t k = rng.Below(7); k > 0 && size / 10 >= 22; --k) size /= 10;
    t.Hashes.push_back({digest, size});
  }
  t.Hashes[rng.Below(1194)].second = 22;
  t.Hashes[rng.Below(1194)].second = 918393628;
  // One digest stands twice, with another size.
  const size_t from = rng.Below(600);
  const size_t to = 600 + rng.Below(594);
  const uint32_t otherSize = t.Hashes[from].second == 1000000 ? 2000000 : 1000000;
  t.Hashes.insert(t.Hashes.begin() + static_cast<long>(to), {t.Hashes[from].first, otherSize});
}

// ---------------------------------------------------------------- checks

class TChecker {
 public:
  explicit TChecker(const TTables& t) : T(t) {}
  int Run();

 private:
  void Expect(bool ok, const std::string& what) {
    if (!ok) {
      std::fprintf(stderr, "rule broken: %s\n", what.c_str());
      ++Failures;
    }
  }
  const TTables& T;
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
  for (const auto& [digest, size] : T.Hashes) {
    Expect(digest.size() == 32 && digest.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZ234567") == std::string::npos,
           "digest " + digest + " is 32 Base32 characters");
    Expect(size >= 22 && size <= 918393628, "size " + std::to_string(size) + " within 22..918393628");
    ++times[digest];
    sizes[digest].insert(size);
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

// ---------------------------------------------------------------- output

std::string HostLine(const THostEntry& h) {
  char s[48];
  std::snprintf(s, sizeof s, "{%u, %u, %u, %u, %u}", h.O1, h.O2, h.O3, h.O4, h.Port);
  return s;
}

template <typename T, typename F>
void WriteArray(std::ofstream& out, const char* type, const char* name, const std::vector<T>& items, int perLine, F text) {
  out << "\nconst std::array<" << type << ", " << items.size() << "> " << name << " = {{";
  for (size_t i = 0; i < items.size(); ++i) {
    out << (i % perLine == 0 ? "\n    " : " ") << text(items[i]) << ",";
  }
  out << "\n}};\n";
}

void WriteSource(const TTables& t, const std::string& fileName) {
  std::ofstream out(fileName, std::ios::binary);
  out << "// The default lists of a new client data file. Made by tools/gendattables (deterministic);\n"
         "// regenerate with it instead of editing. Peer addresses lie in 198.18.0.0/15, 192.0.2.0/24,\n"
         "// 198.51.100.0/24 and 203.0.113.0/24, ranges that no public host uses.\n"
         "#include \"payload/GB_KORVANE_DAT.h\"\n";
  WriteArray(out, "THostEntry", "KGnutellaHosts", t.Gnutella, 4, HostLine);
  WriteArray(out, "THostEntry", "KTolkHosts", t.Tolk, 4, HostLine);
  WriteArray(out, "THostEntry", "KKNodeTolk", t.KKNodeTolk, 4, HostLine);
  WriteArray(out, "THostEntry", "KNodeIP", t.KNodeIP, 4, HostLine);
  WriteArray(out, "THostEntry", "KNodeGnu", t.KNodeGnu, 4, HostLine);
  WriteArray(out, "THostEntry", "KKNodeCurTolk", t.KKNodeCurTolk, 4, HostLine);
  WriteArray(out, "THostEntry", "KNodeTolk", t.KNodeTolk, 4, HostLine);
  WriteArray(out, "TBlockedRange", "KBlockedNode", t.Blocked, 3, [](const TBlockedRange& r) {
    char s[64];
    std::snprintf(s, sizeof s, "{%u, %u, %u, %u, %u, %u, %u}", r.A, r.B1, r.C1, r.D1, r.B2, r.C2, r.D2);
    return std::string(s);
  });
  WriteArray(out, "THashEntry", "KHashList", t.Hashes, 1, [](const std::pair<std::string, uint32_t>& h) {
    // The Base32 text's bits, five a character, into 20 bytes.
    uint8_t digest[20] = {};
    for (size_t i = 0; i < 32; ++i) {
      const auto value = static_cast<unsigned>(std::string_view(KBase32).find(h.first[i]));
      for (size_t k = 0; k < 5; ++k)
        if (value >> (4 - k) & 1) digest[(5 * i + k) / 8] |= static_cast<uint8_t>(0x80 >> ((5 * i + k) % 8));
    }
    std::string line = "{{";
    for (size_t j = 0; j < 20; ++j) line += (j ? ", " : "") + std::to_string(digest[j]);
    return line + "}, " + std::to_string(h.second) + "}";
  });
  if (!out.flush()) throw std::runtime_error("cannot write " + fileName);
}

template <typename T, size_t N>
std::vector<T> Vec(const std::array<T, N>& a) {
  return std::vector<T>(a.begin(), a.end());
}

TTables CompiledTables() {
  TTables t;
  t.Gnutella = Vec(KGnutellaHosts);
  t.Tolk = Vec(KTolkHosts);
  t.KKNodeTolk = Vec(KKNodeTolk);
  t.KNodeIP = Vec(KNodeIP);
  t.KNodeGnu = Vec(KNodeGnu);
  t.KKNodeCurTolk = Vec(KKNodeCurTolk);
  t.KNodeTolk = Vec(KNodeTolk);
  t.Blocked = Vec(KBlockedNode);
  for (const THashEntry& h : KHashList) t.Hashes.push_back({DigestText(h), h.Size});
  return t;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "";
  if (mode == "check" && argc == 2) {
    const int failures = TChecker(CompiledTables()).Run();
    if (failures == 0) std::printf("default tables: every rule holds\n");
    return failures == 0 ? 0 : 1;
  }
  if (mode == "write" && argc == 3) {
    TRng rng;
    TTables t;
    GenerateHosts(rng, t);
    GenerateBlocked(rng, t);
    GenerateHashes(rng, t);
    if (TChecker(t).Run() != 0) return 1;
    try {
      WriteSource(t, argv[2]);
    } catch (const std::exception& e) {
      std::fprintf(stderr, "gendattables: %s\n", e.what());
      return 1;
    }
    return 0;
  }
  std::fprintf(stderr, "usage: gendattables write FILE | gendattables check\n");
  return 2;
}
