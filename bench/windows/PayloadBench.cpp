// Under Wine: the three payload writers against bare zlib inflation of the same carried streams
// into the same files, in the same run. Prints both times (median of the rounds) and their ratio.
#include <windows.h>
#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <vector>

#include "bench/windows/BareInflate.h"
#include "payload/GB_Payload.h"
#include "payload/win/GB_KorvaneP2P_exe.h"
#include "payload/win/GB_Uninstall_exe.h"
#include "payload/win/GB_korvane_toolbar_exe.h"

extern const unsigned char GB_KorvaneP2P_exe_Data[];
extern const unsigned char GB_Uninstall_exe_Data[];
extern const unsigned char GB_korvane_toolbar_exe_Data[];

namespace {

using Clock = std::chrono::steady_clock;

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 11;
  char tmp[MAX_PATH];
  GetTempPathA(sizeof tmp, tmp);
  const std::string dir = std::string(tmp) + "kvpayload_bench\\";
  CreateDirectoryA(dir.c_str(), nullptr);
  const std::string client = dir + "Korvane.Exe", uninstaller = dir + "Uninstall.Exe", toolbar = dir + "Korvane_toolbar.exe";

  std::vector<double> writers, bare;
  for (int r = 0; r < rounds; ++r) {
    auto t0 = Clock::now();
    WriteClientProgram(client);
    WriteUninstaller(uninstaller);
    WriteToolbarInstaller(toolbar);
    auto t1 = Clock::now();
    BareInflate(GB_KorvaneP2P_exe_Data, KClientProgram, client);
    BareInflate(GB_Uninstall_exe_Data, KUninstaller, uninstaller);
    BareInflate(GB_korvane_toolbar_exe_Data, KToolbarInstaller, toolbar);
    auto t2 = Clock::now();
    writers.push_back(std::chrono::duration<double, std::milli>(t1 - t0).count());
    bare.push_back(std::chrono::duration<double, std::milli>(t2 - t1).count());
  }
  double w = Median(writers), b = Median(bare);
  std::printf("wine: three writers %.2f ms, bare inflation %.2f ms, ratio %.2f\n", w, b, w / b);
  for (const std::string& f : {client, uninstaller, toolbar}) DeleteFileA(f.c_str());
  RemoveDirectoryA(dir.c_str());
  return 0;
}
