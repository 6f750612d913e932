// The carried programs: their sizes, and the portable core of the payload writers
// (copy phase, inflation in 1024-byte blocks, progress values).
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>

// One carried program: Chunks × 1024 bytes hold a zlib stream of CLen bytes, then filler;
// the stream inflates to exactly USize bytes.
struct TPayloadSizes {
  int Chunks;
  int CLen;
  int USize;
};

inline constexpr int KPayloadChunk = 1024;

inline constexpr TPayloadSizes KClientProgram{2139, 2189640, 3966976};     // GB_KorvaneP2P_exe
inline constexpr TPayloadSizes KUninstaller{420, 429918, 635392};          // GB_Uninstall_exe
inline constexpr TPayloadSizes KToolbarInstaller{1268, 1297827, 1311504};  // GB_korvane_toolbar_exe

// The last progress value a writer reports.
constexpr int WriteProgressEnd(const TPayloadSizes& s) { return s.CLen + s.USize; }

// Bar range of the installation: what the client program and the uninstaller report, plus a
// tenth of it for the steps after them.
constexpr int InstallProgressMaximum() {
  const int written = WriteProgressEnd(KClientProgram) + WriteProgressEnd(KUninstaller);
  return written + written / 10;
}
// Bar range of the upgrade: both programs' writer ranges, of which only the client's moves the bar.
inline constexpr int KUpgradeProgressMaximum = WriteProgressEnd(KClientProgram) + WriteProgressEnd(KUninstaller);

struct TPayload {
  const uint8_t* Data;  // Chunks × 1024 bytes
  TPayloadSizes Sizes;
};

// The runtime's stream errors.
class EWriteError : public std::runtime_error {
 public:
  EWriteError() : std::runtime_error("Stream write error") {}
};
class EZDecompressionError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The output file, created by the platform; Write returns how many bytes the file took.
class TPayloadFile {
 public:
  virtual ~TPayloadFile() = default;
  virtual size_t Write(const uint8_t* bytes, size_t count) = 0;
};
using TCreatePayloadFile = std::function<std::unique_ptr<TPayloadFile>()>;
using TReportProgress = std::function<void(int value)>;

// Copies the chunks to memory, creates the file and inflates into it, reporting after every
// chunk and every block. The stream must end, with a good checksum, exactly at USize bytes:
// anything else is a damaged stream, reported after what was inflated has been written.
void WritePayload(const TPayload& payload, const TCreatePayloadFile& createFile, const TReportProgress& report);

// 100 × position ÷ maximum to the nearest whole number, halves to even; 0 without a range.
int RoundPercent(int64_t position, int64_t maximum);
