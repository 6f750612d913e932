// Writing one client data file against writing the same bytes with one buffered write,
// both into the same folder in the same run. Prints the file size, both times and their ratio,
// and the time the default tables take to be made (once, before the first file) against one file.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "payload/GB_KORVANE_DAT.h"

namespace {

using Clock = std::chrono::steady_clock;

double Millis(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

}  // namespace

int main(int argc, char** argv) {
  namespace fs = std::filesystem;
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 21;
  const fs::path dir = fs::temp_directory_path() / "kvdat_bench";
  fs::create_directories(dir);
  const std::string datPath = (dir / "Korvane.Dat").string(), rawPath = (dir / "same-bytes.bin").string();
  const TDataFileValues values{.DataDir = "C:\\Users\\User\\AppData\\Local\\Korvane P2P\\",
                               .DownloadDir = "C:\\Users\\User\\Downloads\\Korvane\\",
                               .InstallerTag = "03"};

  const auto t = Clock::now();
  DefaultTables();
  const double tables = Millis(Clock::now() - t);

  std::vector<double> writer, single;
  size_t size = 0;
  for (int i = 0; i < rounds; ++i) {
    const auto t0 = Clock::now();
    WriteDataFile(datPath, values);
    writer.push_back(Millis(Clock::now() - t0));

    std::ifstream in(datPath, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    size = bytes.size();
    const auto t1 = Clock::now();
    FILE* f = std::fopen(rawPath.c_str(), "wb");
    if (!f || std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size() || std::fclose(f) != 0) {
      std::fprintf(stderr, "cannot write %s\n", rawPath.c_str());
      return 1;
    }
    single.push_back(Millis(Clock::now() - t1));
  }
  fs::remove_all(dir);
  std::sort(writer.begin(), writer.end());
  std::sort(single.begin(), single.end());
  const double w = writer[writer.size() / 2], s = single[single.size() / 2];
  std::printf("data file: %zu bytes; median of %d rounds: WriteDataFile %.3f ms, one buffered write %.3f ms; "
              "ratio %.2f (goal: at most 2.0)\n",
              size, rounds, w, s, w / s);
  std::printf("default tables made once in %.3f ms: %.2f of one WriteDataFile\n", tables, tables / w);
  return 0;
}
