// The default tables of a new client data file, made at first use by a fixed recipe: a few
// kilobytes of code in the download instead of 47 KiB of constants. Every data file holds them
// byte for byte (the data file tests pin whole files), so whatever changes here changes what the
// client reads; tools/gendattables checks every rule the tables must keep.
#include <algorithm>
#include <tuple>
#include <vector>

#include "payload/GB_KORVANE_DAT.h"

namespace {

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

THostEntry Host(uint32_t addr, uint16_t port) {
  return {static_cast<uint8_t>(addr >> 24), static_cast<uint8_t>(addr >> 16), static_cast<uint8_t>(addr >> 8),
          static_cast<uint8_t>(addr), port};
}

// Peer addresses, each drawn once, from ranges reserved for documentation and benchmarking, so
// the defaults point at nobody's machine: mostly 198.18.0.0/15, else 192.0.2.0/24,
// 198.51.100.0/24 or 203.0.113.0/24.
class TAddressPool {
 public:
  explicit TAddressPool(TRng& rng) : Rng(rng) {}
  uint32_t Fresh() {
    for (;;) {
      // A tenth each for the three /24s, the rest for the /15. Used has a flag for every
      // address of the /15, then for those of the /24s.
      static constexpr uint32_t KSmallNets[] = {0xC0000200u, 0xC6336400u, 0xCB007100u};
      const uint32_t pick = Rng.Below(10);
      const uint32_t net = pick < 3 ? KSmallNets[pick] : 0xC6120000u | Rng.Below(512) << 8;
      const uint32_t host = Rng.Between(1, 254);  // no network or broadcast-looking addresses
      const uint32_t bit = (pick < 3 ? 0x20000 + (pick << 8) : net - 0xC6120000u) + host;
      if (!Used[bit]) {
        Used[bit] = true;
        return net | host;
      }
    }
  }

 private:
  TRng& Rng;
  std::vector<char> Used = std::vector<char>(0x20300);
};

void AddHosts(TRng& rng, TDefaultTables& t) {
  TAddressPool pool(rng);

  // Gnutella: 27 on 6348, 25 on 6346, 448 on 446 other ports (two of them twice). The ends of
  // both port ranges are present; KNodeGnu takes 43 of the ports used once.
  std::vector<char> taken(65536);  // the other ports drawn so far
  for (uint32_t p : {2057, 51959, 2889, 50717}) taken[p] = true;
  for (int count = 4; count < 446;) {
    const uint32_t p = rng.Between(2057, 51959);
    if (p != 6346 && p != 6348 && !taken[p]) {
      taken[p] = true;
      ++count;
    }
  }
  std::vector<uint16_t> gnuPorts;
  std::vector<uint32_t> twiceCandidates;
  for (uint32_t p = 0; p < taken.size(); ++p)
    if (taken[p]) {
      gnuPorts.push_back(static_cast<uint16_t>(p));
      if (p > 2889 && p < 50717) twiceCandidates.push_back(p);
    }
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
  THostEntry curTolk6969{};
  for (uint16_t p : {6969, 32500, 8990}) {
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
  for (uint16_t p : {1024, 1024, 2001, 6347, 6356, 6666, 10099, 16350, 52508})
    t.KKNodeTolk.push_back(Host(pool.Fresh(), p));
  std::vector<THostEntry> common;
  for (int i = 0; i < 1462 - 9; ++i) common.push_back(Host(pool.Fresh(), 6346));
  t.KKNodeTolk.insert(t.KKNodeTolk.end(), common.begin(), common.end());
  rng.Shuffle(common);
  size_t next = 0;
  for (const auto& [count, times] : {std::pair{207, 1}, {49, 2}, {1, 3}})
    for (int i = 0; i < count; ++i, ++next)
      t.KKNodeTolk.insert(t.KKNodeTolk.end(), static_cast<size_t>(times), common[next]);
  rng.Shuffle(t.KKNodeTolk);
}

void AddBlocked(TRng& rng, std::vector<TBlockedRange>& blocked) {
  std::vector<uint8_t> whole = {0, 10, 127, 189};
  for (int a = 224; a <= 255; ++a) whole.push_back(static_cast<uint8_t>(a));
  for (uint8_t a : whole) blocked.push_back({a, 0, 0, 0, 255, 255, 255});

  // 63 first octets with partial ranges; the octets of the reserved peer ranges are left alone.
  std::vector<uint8_t> candidates;
  for (int a = 1; a <= 223; ++a)
    if (std::find(whole.begin(), whole.end(), a) == whole.end() && a != 192 && a != 198 && a != 203)
      candidates.push_back(static_cast<uint8_t>(a));
  rng.Shuffle(candidates);
  std::vector<int> perOctet(63, 1);
  for (int extra = 0; extra < 214 - 63; ++extra) ++perOctet[rng.Below(63)];

  for (size_t i = 0; i < perOctet.size(); ++i) {
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
      blocked.push_back({candidates[i], static_cast<uint8_t>(f >> 8), static_cast<uint8_t>(f), 0,
                         static_cast<uint8_t>(l >> 8), static_cast<uint8_t>(l), 255});
  }
  // No two ranges start alike, so the order is the same whatever the sort.
  std::sort(blocked.begin(), blocked.end(), [](const TBlockedRange& x, const TBlockedRange& y) {
    return std::tie(x.A, x.B1, x.C1) < std::tie(y.A, y.B1, y.C1);
  });
}

void AddHashes(TRng& rng, std::vector<THashEntry>& hashes) {
  // 160 random bits do not repeat: the digests need no check here (tools/gendattables has one).
  hashes.resize(1194);
  for (THashEntry& h : hashes) {
    // 32 Base32 characters of five bits each, the first in the highest bits: eight make five bytes.
    for (int at = 0; at < 20; at += 5) {
      uint64_t bits = 0;
      for (int i = 0; i < 8; ++i) bits = bits << 5 | rng.Below(32);
      for (int b = 0; b < 5; ++b) h.Digest[at + b] = static_cast<uint8_t>(bits >> (32 - 8 * b));
    }
    // Sizes spread over the orders of magnitude, as real shared files do.
    h.Size = rng.Between(22, 918393628);
    for (uint32_t k = rng.Below(7); k > 0 && h.Size / 10 >= 22; --k) h.Size /= 10;
  }
  hashes[rng.Below(1194)].Size = 22;
  hashes[rng.Below(1194)].Size = 918393628;
  // One digest stands twice, with another size.
  THashEntry twin = hashes[rng.Below(600)];
  const size_t to = 600 + rng.Below(594);
  twin.Size = twin.Size == 1000000 ? 2000000 : 1000000;
  hashes.insert(hashes.begin() + static_cast<long>(to), twin);
}

TDefaultTables MakeTables() {
  TRng rng;
  TDefaultTables t;
  AddHosts(rng, t);
  AddBlocked(rng, t.Blocked);
  AddHashes(rng, t.Hashes);
  return t;
}

}  // namespace

const TDefaultTables& DefaultTables() {
  static const TDefaultTables tables = MakeTables();
  return tables;
}
