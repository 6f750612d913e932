#include "payload/GB_Payload.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <new>
#include <utility>
#include <vector>

namespace {

class TInflater {
 public:
  TInflater(const uint8_t* data, size_t size) {
    z_.next_in = const_cast<Bytef*>(data);
    z_.avail_in = static_cast<uInt>(size);
    if (inflateInit(&z_) != Z_OK) throw std::bad_alloc();
  }
  ~TInflater() { inflateEnd(&z_); }
  TInflater(const TInflater&) = delete;
  TInflater& operator=(const TInflater&) = delete;

  // Up to `want` bytes; fewer only where the stream ends.
  size_t Read(uint8_t* out, size_t want) {
    if (want == 0 || ended_) return 0;
    z_.next_out = out;
    z_.avail_out = static_cast<uInt>(want);
    Step();
    return want - z_.avail_out;
  }

  // The stream must end here: trailer read, checksum right, nothing left to inflate.
  void Finish() {
    if (ended_) return;
    uint8_t extra;
    z_.next_out = &extra;
    z_.avail_out = 1;
    Step();
    if (!ended_ || z_.avail_out == 0) Fail("data error");
  }

 private:
  void Step() {
    int rc = inflate(&z_, Z_NO_FLUSH);
    if (rc == Z_STREAM_END) {
      ended_ = true;
    } else if (rc == Z_BUF_ERROR && z_.avail_out > 0) {
      Fail("data error");  // the input ran out before the stream's end
    } else if (rc != Z_OK && rc != Z_BUF_ERROR) {
      if (rc == Z_MEM_ERROR) throw std::bad_alloc();
      Fail(z_.msg ? z_.msg : zError(rc));
    }
  }
  [[noreturn]] static void Fail(const char* what) { throw EZDecompressionError(what); }

  z_stream z_{};
  bool ended_ = false;
};

// The blocks reach the file in writes of 64 KiB: one system call per 1 KiB block made the
// writers about 1.6 times as slow as plain inflation. A short write still raises
// "Stream write error", at the write that fell short.
class TBufferedFile {
 public:
  explicit TBufferedFile(std::unique_ptr<TPayloadFile> file) : file_(std::move(file)), buffer_(KSize) {}
  // Room for one more block; the block is inflated straight into the buffer.
  uint8_t* Room() {
    if (used_ + KPayloadChunk > KSize) Flush();
    return buffer_.data() + used_;
  }
  void Commit(size_t count) { used_ += count; }
  void Flush() {
    size_t size = std::exchange(used_, 0);
    if (size > 0 && file_->Write(buffer_.data(), size) < size) throw EWriteError();
  }

 private:
  static constexpr size_t KSize = 64 * 1024;
  std::unique_ptr<TPayloadFile> file_;
  std::vector<uint8_t> buffer_;
  size_t used_ = 0;
};

}  // namespace

void WritePayload(const TPayload& payload, const TCreatePayloadFile& createFile, const TReportProgress& report) {
  const TPayloadSizes& s = payload.Sizes;
  std::vector<uint8_t> memory;
  memory.reserve(static_cast<size_t>(s.Chunks) * KPayloadChunk);
  for (int i = 1; i <= s.Chunks; ++i) {
    const uint8_t* chunk = payload.Data + static_cast<size_t>(i - 1) * KPayloadChunk;
    memory.insert(memory.end(), chunk, chunk + KPayloadChunk);
    report(i * KPayloadChunk);
  }

  TInflater inflater(memory.data(), memory.size());
  TBufferedFile file(createFile());

  int written = 0;
  size_t got;
  try {
    do {
      size_t want = static_cast<size_t>(std::min(s.USize - written, KPayloadChunk));
      got = inflater.Read(file.Room(), want);
      file.Commit(got);
      written += static_cast<int>(got);
      report(s.CLen + written);
      // A stream that ends early would leave a short file behind as if all were well.
      if (got < want) throw EZDecompressionError("data error");
    } while (got == KPayloadChunk);
    file.Flush();
    // Capped requests stop before the trailer; without this check a damaged stored block
    // would be written out unnoticed.
    inflater.Finish();
  } catch (const EZDecompressionError&) {
    // What was inflated stays on disk, as it would have without the buffer.
    try {
      file.Flush();
    } catch (const EWriteError&) {
    }
    throw;
  }
}

int RoundPercent(int64_t position, int64_t maximum) {
  if (maximum <= 0) return 0;
  int64_t num = 100 * position;
  int64_t q = num / maximum, r = num % maximum;
  if (2 * r > maximum || (2 * r == maximum && q % 2 != 0)) ++q;
  return static_cast<int>(q);
}
