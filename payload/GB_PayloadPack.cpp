#include "payload/GB_PayloadPack.h"

#include <zlib.h>

#include <algorithm>
#include <string>

namespace {

std::string Num(size_t n) { return std::to_string(n); }

class TPadder {
 public:
  TPadder(const std::vector<uint8_t>& program, size_t size) : image_(program), programSize_(program.size()) {
    image_.resize(size);
    out_.resize(compressBound(size));
  }
  size_t MaxNoise() const { return image_.size() - programSize_; }

  // The padding is `noise` pseudo-random bytes (incompressible: each adds about one byte to
  // the stream) followed by zeros (which add almost nothing); returns the stream length.
  size_t Compress(size_t noise, uint64_t seed) {
    uint64_t x = seed;
    for (size_t i = programSize_; i < image_.size(); ++i) {
      if (i - programSize_ < noise) {
        // splitmix64: deterministic everywhere, so every build carries the same bytes.
        x += 0x9E3779B97F4A7C15ull;
        uint64_t z = x;
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        image_[i] = static_cast<uint8_t>(z ^ (z >> 31));
      } else {
        image_[i] = 0;
      }
    }
    uLongf len = out_.size();
    if (compress2(out_.data(), &len, image_.data(), image_.size(), 9) != Z_OK) throw EPackError("zlib failed");
    return len;
  }
  const uint8_t* Stream() const { return out_.data(); }

 private:
  std::vector<uint8_t> image_;
  size_t programSize_;
  std::vector<uint8_t> out_;
};

}  // namespace

std::vector<uint8_t> PackPayload(const std::vector<uint8_t>& program, const TPayloadSizes& sizes) {
  const size_t usize = sizes.USize, clen = sizes.CLen, total = size_t(sizes.Chunks) * KPayloadChunk;
  if (clen > total || clen + KPayloadChunk <= total)
    throw EPackError("a stream of " + Num(clen) + " bytes does not fill exactly " + Num(sizes.Chunks) + " chunks");
  if (program.size() > usize)
    throw EPackError("the program has grown too large for its slot: " + Num(program.size()) + " bytes, the slot holds " +
                     Num(usize));
  TPadder padder(program, usize);
  size_t least = padder.Compress(0, 1);
  if (least > clen)
    throw EPackError("the program has grown too large for its slot: it compresses to at least " + Num(least) +
                     " bytes, the slot holds " + Num(clen));
  if (padder.Compress(padder.MaxNoise(), 1) < clen)
    throw EPackError("the program compresses too well for its slot: padded to " + Num(usize) +
                     " bytes it stays below " + Num(clen) + " compressed bytes");

  // The stream grows by about one byte per noise byte, but not exactly (block boundaries,
  // matches found by chance): home in, then look nearby, then try other noise.
  for (uint64_t seed = 1; seed <= 16; ++seed) {
    size_t noise = clen - least;
    for (int step = 0; step < 8; ++step) {
      size_t len = padder.Compress(noise, seed);
      if (len == clen) break;
      long long next = static_cast<long long>(noise) + static_cast<long long>(clen) - static_cast<long long>(len);
      noise = static_cast<size_t>(std::clamp<long long>(next, 0, static_cast<long long>(padder.MaxNoise())));
    }
    for (long long d = 0; d <= 24; d = d > 0 ? -d : -d + 1) {
      long long n = static_cast<long long>(noise) + d;
      if (n < 0 || n > static_cast<long long>(padder.MaxNoise())) continue;
      if (padder.Compress(static_cast<size_t>(n), seed) == clen) {
        std::vector<uint8_t> out(padder.Stream(), padder.Stream() + clen);
        out.resize(total, 0);
        return out;
      }
    }
  }
  throw EPackError("no filler found that gives a stream of exactly " + Num(clen) + " bytes");
}
