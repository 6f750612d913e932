#include <gtest/gtest.h>
#include <zlib.h>

#include <string>
#include <vector>

#include "payload/GB_Payload.h"
#include "payload/GB_PayloadPack.h"

namespace {

// Something shaped like a program: a header, repeated structures, some text.
std::vector<uint8_t> FakeProgram(size_t size) {
  std::vector<uint8_t> p(size);
  uint32_t x = 12345;
  for (size_t i = 0; i < size; ++i) {
    x = x * 1103515245u + 12345u;
    p[i] = (i % 64 < 40) ? static_cast<uint8_t>("MZ program text "[i % 16]) : static_cast<uint8_t>(x >> 24);
  }
  return p;
}

class TMemoryFile : public TPayloadFile {
 public:
  TMemoryFile(std::vector<uint8_t>& out, size_t room) : out_(out), room_(room) {}
  size_t Write(const uint8_t* bytes, size_t count) override {
    size_t n = std::min(count, room_ - out_.size());
    out_.insert(out_.end(), bytes, bytes + n);
    return n;
  }

 private:
  std::vector<uint8_t>& out_;
  size_t room_;
};

struct TRun {
  std::vector<uint8_t> File;
  std::vector<int> Reports;
  bool Created = false;
};

// Writes the payload into memory (a disk of `room` bytes) and records every report.
void WriteToMemory(const TPayload& payload, TRun& run, size_t room = SIZE_MAX) {
  WritePayload(
      payload,
      [&] {
        run.Created = true;
        return std::make_unique<TMemoryFile>(run.File, room);
      },
      [&](int v) { run.Reports.push_back(v); });
}

std::vector<uint8_t> Inflate(const std::vector<uint8_t>& stream, size_t size) {
  std::vector<uint8_t> out(size + 1);
  uLongf len = out.size();
  EXPECT_EQ(uncompress(out.data(), &len, stream.data(), stream.size()), Z_OK);
  out.resize(len);
  return out;
}

struct TSlot {
  const char* Name;
  TPayloadSizes Sizes;
  int LastReport;
};

class PayloadSlot : public testing::TestWithParam<TSlot> {};

// The real slots: the packer fills each exactly and the writer gives back every byte,
// reporting 1,024 … CLEN + USIZE without ever going backwards.
TEST_P(PayloadSlot, PacksExactlyAndWritesBack) {
  const TPayloadSizes& s = GetParam().Sizes;
  std::vector<uint8_t> program = FakeProgram(6000);
  std::vector<uint8_t> packed = PackPayload(program, s);
  ASSERT_EQ(packed.size(), size_t(s.Chunks) * 1024);
  EXPECT_EQ(packed[0], 0x78);
  EXPECT_EQ(packed[1], 0xDA);

  std::vector<uint8_t> stream(packed.begin(), packed.begin() + s.CLen);
  std::vector<uint8_t> image = Inflate(stream, s.USize);
  ASSERT_EQ(image.size(), size_t(s.USize));  // the stream is exactly CLEN bytes long and complete
  EXPECT_TRUE(std::equal(program.begin(), program.end(), image.begin()));

  TRun run;
  WriteToMemory({packed.data(), s}, run);
  EXPECT_EQ(run.File, image);
  ASSERT_FALSE(run.Reports.empty());
  EXPECT_EQ(run.Reports.front(), 1024);
  EXPECT_EQ(run.Reports.back(), GetParam().LastReport);
  EXPECT_EQ(run.Reports.back(), WriteProgressEnd(s));
  EXPECT_EQ(run.Reports[s.Chunks - 1], s.Chunks * 1024);
  EXPECT_EQ(run.Reports[s.Chunks], s.CLen + std::min(1024, s.USize));
  EXPECT_TRUE(std::is_sorted(run.Reports.begin(), run.Reports.end()));
  // One report per chunk, one per block, and the closing empty read when USIZE is whole blocks.
  size_t blocks = size_t(s.USize) / 1024 + 1;
  EXPECT_EQ(run.Reports.size(), size_t(s.Chunks) + blocks);
}

INSTANTIATE_TEST_SUITE_P(Programs, PayloadSlot,
                         testing::Values(TSlot{"client", KClientProgram, 6156616}, TSlot{"uninstaller", KUninstaller, 1065310},
                                         TSlot{"toolbar", KToolbarInstaller, 2609331}),
                         [](const auto& info) { return std::string(info.param.Name); });

// A small slot keeps the failure cases fast; 20,000 is not whole blocks, so the loop ends
// with one short block.
constexpr TPayloadSizes KSmall{12, 11800, 20000};

class PayloadFailure : public testing::Test {
 protected:
  void SetUp() override { packed = PackPayload(FakeProgram(5000), KSmall); }
  std::vector<uint8_t> packed;
};

TEST_F(PayloadFailure, DiskFullIsStreamWriteErrorAndKeepsWhatWasWritten) {
  TRun run;
  try {
    WriteToMemory({packed.data(), KSmall}, run, 5000);
    FAIL() << "no error";
  } catch (const EWriteError& e) {
    EXPECT_STREQ(e.what(), "Stream write error");
  }
  EXPECT_EQ(run.File.size(), 5000u);
  EXPECT_LE(run.Reports.back(), WriteProgressEnd(KSmall));
}

TEST_F(PayloadFailure, FileThatCannotBeCreatedStopsBeforeDecompression) {
  std::vector<int> reports;
  auto create = []() -> std::unique_ptr<TPayloadFile> { throw std::runtime_error("Cannot create file"); };
  EXPECT_THROW(WritePayload({packed.data(), KSmall}, create, [&](int v) { reports.push_back(v); }), std::runtime_error);
  ASSERT_EQ(reports.size(), size_t(KSmall.Chunks));  // only the copy phase
  EXPECT_EQ(reports.back(), KSmall.Chunks * 1024);
}

// Each damage must be reported, never end as a complete-looking file.
TEST_F(PayloadFailure, DamagedStreams) {
  struct TCase {
    const char* What;
    size_t Offset;  // byte to flip, or none
    int USize;      // the size the writer expects
    bool ReachesFile;
  } cases[] = {
      {"header", 0, KSmall.USize, true},
      {"noise in a stored block (only the checksum sees it)", 9000, KSmall.USize, true},
      {"checksum", size_t(KSmall.CLen) - 1, KSmall.USize, true},
      {"stream shorter than expected", SIZE_MAX, KSmall.USize + 100, true},
      {"stream longer than expected", SIZE_MAX, KSmall.USize - 100, true},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.What);
    std::vector<uint8_t> data = packed;
    if (c.Offset != SIZE_MAX) data[c.Offset] ^= 0x40;
    TRun run;
    EXPECT_THROW(WriteToMemory({data.data(), {KSmall.Chunks, KSmall.CLen, c.USize}}, run), EZDecompressionError);
    EXPECT_EQ(run.Created, c.ReachesFile);
    EXPECT_LE(run.File.size(), size_t(c.USize));
  }
}

TEST(PayloadPack, RefusesProgramsThatDoNotFit) {
  struct TCase {
    const char* What;
    std::vector<uint8_t> Program;
    TPayloadSizes Sizes;
    const char* Message;
  } cases[] = {
      {"larger than the slot", FakeProgram(20001), KSmall, "grown too large"},
      {"compresses above CLEN", FakeProgram(19000), {5, 4200, 20000}, "grown too large"},
      {"compresses too well", std::vector<uint8_t>(1000, 'A'), {20, 19900, 20000}, "compresses too well"},
      {"CLEN not in the last chunk", FakeProgram(100), {13, 11800, 20000}, "does not fill exactly"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.What);
    try {
      PackPayload(c.Program, c.Sizes);
      ADD_FAILURE() << "packed";
    } catch (const EPackError& e) {
      EXPECT_NE(std::string(e.what()).find(c.Message), std::string::npos) << e.what();
    }
  }
}

TEST(PayloadProgress, RoundPercentHalvesToEven) {
  struct {
    int64_t Position, Maximum;
    int Percent;
  } cases[] = {
      // The installation's bar: end of the client's copy phase, end of its write (77.499 %,
      // so 77 and not 78), full.
      {0, 7944118, 0},         {2139 * 1024, 7944118, 28}, {6156616, 7944118, 77}, {7944118, 7944118, 100},
      {1, 200, 0},             {3, 200, 2},                {5, 200, 2},            {7, 200, 4},
      {1, 3, 33},              {2, 3, 67},                 {5, 0, 0},
  };
  for (const auto& c : cases) EXPECT_EQ(RoundPercent(c.Position, c.Maximum), c.Percent) << c.Position << "/" << c.Maximum;
}

}  // namespace
