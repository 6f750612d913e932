// Under Wine: the file search over a synthetic tree (10,000 folders, 100,000 files by default;
// arguments: folders and files per folder) against a bare one-pass recursive
// FindFirstFileA walk of the same tree, in the same run. The search scans each folder twice
// (once for the mask, once for subfolders), so the ratio to aim for is at most 2.0.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "lib/win/FindFilesWin.h"

namespace {

using Clock = std::chrono::steady_clock;
const std::string kRoot = "C:\\kvbench_find";

// 10 top folders, each with subfolders of its own, three levels deep, `folders` in all.
void MakeTree(int folders, int filesPerFolder) {
  CreateDirectoryA(kRoot.c_str(), nullptr);
  std::vector<std::string> made = {kRoot};
  for (size_t i = 0; static_cast<int>(made.size()) <= folders; ++i) {
    for (int k = 0; k < 10 && static_cast<int>(made.size()) <= folders; ++k) {
      made.push_back(made[i] + "\\d" + std::to_string(k));
      CreateDirectoryA(made.back().c_str(), nullptr);
    }
  }
  for (size_t i = 1; i < made.size(); ++i)
    for (int f = 0; f < filesPerFolder; ++f) {
      const std::string name = made[i] + (f == 0 && i % 1000 == 0 ? "\\korvane.exe" : "\\f" + std::to_string(f) + ".dat");
      HANDLE h = CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
      CloseHandle(h);
    }
}

void RemoveTree(const std::string& dir) {
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA((dir + "\\*").c_str(), &fd);
  if (h != INVALID_HANDLE_VALUE) {
    do {
      const std::string name = fd.cFileName;
      if (name == "." || name == "..") continue;
      if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        RemoveTree(dir + "\\" + name);
      else
        DeleteFileA((dir + "\\" + name).c_str());
    } while (FindNextFileA(h, &fd));
    FindClose(h);
  }
  RemoveDirectoryA(dir.c_str());
}

size_t BareWalk(const std::string& dir) {
  size_t finds = 0;
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA((dir + "\\*").c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return 0;
  do {
    const std::string name = fd.cFileName;
    if (name == "." || name == "..") continue;
    if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
      finds += BareWalk(dir + "\\" + name);
    else if (lstrcmpiA(fd.cFileName, "korvane.exe") == 0)
      ++finds;
  } while (FindNextFileA(h, &fd));
  FindClose(h);
  return finds;
}

template <class F>
double MedianMs(int rounds, F&& f) {
  std::vector<double> ms;
  for (int r = 0; r < rounds; ++r) {
    const auto t0 = Clock::now();
    f();
    ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - t0).count());
  }
  std::sort(ms.begin(), ms.end());
  return ms[ms.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  const int folders = argc > 1 ? std::atoi(argv[1]) : 10000;
  const int files = argc > 2 ? std::atoi(argv[2]) : 10;
  MakeTree(folders, files);
  TWin32FindPlatform platform;
  size_t found = 0, bare = 0;
  const double search = MedianMs(3, [&] { found = FindFiles("korvane.exe", 4, kRoot, {}, {}, 0, platform).size(); });
  const double walk = MedianMs(3, [&] { bare = BareWalk(kRoot); });
  std::printf("tree: %d folders, %d files each; finds %zu (bare walk %zu)\n", folders, files, found, bare);
  std::printf("FindFiles %.1f ms, bare walk %.1f ms, ratio %.2f\n", search, walk, search / walk);
  RemoveTree(kRoot);
  return found == bare ? 0 : 1;
}
