// The three payload writers against bare zlib inflation of the same streams into the same
// files, in the same run. The streams are packed here, into the real slot sizes, from a
// program-like image. Prints both times (median of the rounds) and their ratio.
#include <fcntl.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "payload/GB_Payload.h"
#include "payload/GB_PayloadPack.h"

namespace {

using Clock = std::chrono::steady_clock;

class TPosixFile : public TPayloadFile {
 public:
  explicit TPosixFile(const std::string& path) : fd_(open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644)) {
    if (fd_ < 0) throw std::runtime_error("cannot create " + path);
  }
  ~TPosixFile() override { close(fd_); }
  size_t Write(const uint8_t* bytes, size_t count) override {
    ssize_t n = write(fd_, bytes, count);
    return n < 0 ? 0 : size_t(n);
  }

 private:
  int fd_;
};

void BareInflate(const std::vector<uint8_t>& stream, const std::string& path) {
  TPosixFile file(path);
  z_stream z{};
  z.next_in = const_cast<Bytef*>(stream.data());
  z.avail_in = uInt(stream.size());
  inflateInit(&z);
  static uint8_t out[65536];
  int rc;
  do {
    z.next_out = out;
    z.avail_out = sizeof out;
    rc = inflate(&z, Z_NO_FLUSH);
    file.Write(out, sizeof out - z.avail_out);
  } while (rc == Z_OK);
  inflateEnd(&z);
  if (rc != Z_STREAM_END) throw std::runtime_error("bad stream");
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  namespace fs = std::filesystem;
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 11;
  const fs::path dir = fs::temp_directory_path() / "kvpayload_bench";
  fs::create_directories(dir);

  std::vector<uint8_t> program(200000);
  for (size_t i = 0; i < program.size(); ++i) program[i] = uint8_t(i % 64 < 40 ? "MZ program text "[i % 16] : i * 7919 >> 5);
  struct TSlot {
    TPayloadSizes Sizes;
    std::string Path;
    std::vector<uint8_t> Data;
  } slots[] = {{KClientProgram, (dir / "Korvane.Exe").string(), {}},
               {KUninstaller, (dir / "Uninstall.Exe").string(), {}},
               {KToolbarInstaller, (dir / "Korvane_toolbar.exe").string(), {}}};
  std::vector<uint8_t> small(program.begin(), program.begin() + 3000);  // the toolbar slot is nearly all noise
  for (TSlot& s : slots) s.Data = PackPayload(&s == &slots[2] ? small : program, s.Sizes);

  std::vector<double> writers, bare;
  for (int r = 0; r < rounds; ++r) {
    auto t0 = Clock::now();
    for (const TSlot& s : slots)
      WritePayload({s.Data.data(), s.Sizes}, [&] { return std::make_unique<TPosixFile>(s.Path); }, [](int) {});
    auto t1 = Clock::now();
    for (const TSlot& s : slots) BareInflate({s.Data.begin(), s.Data.begin() + s.Sizes.CLen}, s.Path);
    auto t2 = Clock::now();
    writers.push_back(std::chrono::duration<double, std::milli>(t1 - t0).count());
    bare.push_back(std::chrono::duration<double, std::milli>(t2 - t1).count());
  }
  double w = Median(writers), b = Median(bare);
  std::printf("host: three writers %.2f ms, bare inflation %.2f ms, ratio %.2f (goal at most 1.2)\n", w, b, w / b);
  fs::remove_all(dir);
  return 0;
}
