// The first-use construction of function-local statics (lib/win/StaticGuards.cpp), as the
// installer's threads meet it.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <vector>

#include "lib/win/WinThread.h"

namespace {

std::atomic<int> gBuilds{0};

struct TSlow {
  TSlow() {
    ++gBuilds;
    Sleep(50);  // long enough that the other threads arrive while it is being built
    value = 42;
  }
  int value = 0;
};

int SlowValue() {
  static TSlow slow;
  return slow.value;
}

std::atomic<int> gTries{0};

int FailsOnce() {
  static const int value = [] {
    if (++gTries == 1) throw std::runtime_error("first try");
    return 7;
  }();
  return value;
}

}  // namespace

// Every thread waits for the one that builds the object, and none builds it again.
TEST(StaticGuards, ThreadsMeetingAStaticBuildItOnceAndAllSeeItBuilt) {
  std::vector<int> seen(8, 0);
  {
    std::vector<TThread> threads;
    for (size_t i = 0; i < seen.size(); ++i) threads.emplace_back([&seen, i] { seen[i] = SlowValue(); });
  }
  EXPECT_EQ(gBuilds.load(), 1);
  for (int v : seen) EXPECT_EQ(v, 42);
}

TEST(StaticGuards, AConstructorThatThrowsIsTriedAgainByTheNextCaller) {
  EXPECT_THROW(FailsOnce(), std::runtime_error);
  EXPECT_EQ(FailsOnce(), 7);
  EXPECT_EQ(FailsOnce(), 7);
  EXPECT_EQ(gTries.load(), 2);
}
