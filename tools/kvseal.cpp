// kvseal PROGRAM: stamps a linked program with the checksum of its own file, which the program
// checks before it installs anything. Signing, if any, comes after.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "lib/LIB_Integrity.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: kvseal PROGRAM\n");
    return 2;
  }
  std::vector<uint8_t> file;
  {
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) {
      std::fprintf(stderr, "kvseal: cannot read %s\n", argv[1]);
      return 1;
    }
    file.assign(std::istreambuf_iterator<char>(in), {});
  }
  if (const std::string error = StampImage(file, KIntegrityMagic); !error.empty()) {
    std::fprintf(stderr, "kvseal: %s: %s\n", argv[1], error.c_str());
    return 1;
  }
  std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
  if (!out.flush()) {
    std::fprintf(stderr, "kvseal: cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
