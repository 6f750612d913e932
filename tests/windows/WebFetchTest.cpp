// Winsock before anything that brings <windows.h>.
#include "tests/windows/LoopbackHttp.h"

#include <gtest/gtest.h>

#include <map>

#include "lib/win/LIB_GetMemStreamFromTheWeb.h"

namespace {

// The bodies handed to OnDone, by address.
struct TResults {
  std::map<std::string, std::string> Bodies;
  bool OnMainThread = true;

  tLibGetMemStreamFromTheWeb::TDoneEvent Handler() {
    const DWORD mainThread = GetCurrentThreadId();
    return [this, mainThread](tLibGetMemStreamFromTheWeb& Sender) {
      OnMainThread = OnMainThread && GetCurrentThreadId() == mainThread;
      std::unique_ptr<std::string> stream = std::move(Sender.Stream);  // the handler owns it now
      Bodies[Sender.URL] = *stream;
    };
  }
  bool WaitFor(size_t n) {
    for (int i = 0; i < 1000 && Bodies.size() < n; ++i) ProcessMessagesFor(10);
    return Bodies.size() >= n;
  }
};

bool WaitUntilAllFreed() {
  for (int i = 0; i < 1000 && tLibGetMemStreamFromTheWeb::Pending() > 0; ++i) ProcessMessagesFor(10);
  return tLibGetMemStreamFromTheWeb::Pending() == 0;
}

TEST(WebFetch, BodyOfAnyStatusReachesOnDoneOnTheMainThread) {
  for (int status : {200, 404, 500}) {
    SCOPED_TRACE(status);
    TLoopbackHttp server(status);
    TResults results;
    const std::string url = server.Base() + "/page?x=1";
    tLibGetMemStreamFromTheWeb::Create(url, results.Handler());
    ASSERT_TRUE(results.WaitFor(1));
    EXPECT_EQ(results.Bodies[url], "answer to /page?x=1");
    EXPECT_TRUE(results.OnMainThread);
    ASSERT_EQ(server.Requests().size(), 1u);
    EXPECT_TRUE(WaitUntilAllFreed());
  }
}

TEST(WebFetch, BodyLongerThanOneReadComesWhole) {
  TLoopbackHttp server(200, 0, 50000);
  TResults results;
  const std::string url = server.Base() + "/big";
  tLibGetMemStreamFromTheWeb::Create(url, results.Handler());
  ASSERT_TRUE(results.WaitFor(1));
  EXPECT_EQ(results.Bodies[url], "answer to /big" + std::string(50000, '#'));
  EXPECT_TRUE(WaitUntilAllFreed());
}

// Reading stops past the limit: a longer body, or one that never ends, is a failed fetch.
TEST(WebFetch, BodyIsTakenUpTo64KiBOnly) {
  const std::string head = "answer to /body";
  const size_t fits = tLibGetMemStreamFromTheWeb::MaxBody - head.size();
  const struct {
    const char* What;
    size_t Padding;
    std::string Body;
  } cases[] = {
      {"exactly 64 KiB", fits, head + std::string(fits, '#')},
      {"one byte more", fits + 1, ""},
      {"never ending", TLoopbackHttp::KEndless, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.What);
    TLoopbackHttp server(200, 0, c.Padding);
    TResults results;
    const std::string url = server.Base() + "/body";
    tLibGetMemStreamFromTheWeb::Create(url, results.Handler());
    ASSERT_TRUE(results.WaitFor(1));
    // Sizes first: a failure then reads as a number, not 64 KiB of "#".
    EXPECT_EQ(results.Bodies[url].size(), c.Body.size());
    EXPECT_TRUE(results.Bodies[url] == c.Body);
    EXPECT_TRUE(WaitUntilAllFreed());
  }
}

// The server takes the request and answers only after 5 s: the fetch gives up long before.
TEST(WebFetch, SilentServerEndsWithEmptyStreamAfterTheTimeout) {
  TLoopbackHttp server(200, TLoopbackHttp::KSilent);
  TResults results;
  const std::string url = server.Base() + "/silent";
  const DWORD start = GetTickCount();
  tLibGetMemStreamFromTheWeb::Create(url, results.Handler(), 300);
  ASSERT_TRUE(results.WaitFor(1));
  EXPECT_LT(GetTickCount() - start, 4000u);
  EXPECT_EQ(results.Bodies[url], "");
  EXPECT_EQ(server.Requests(), std::vector<std::string>{"/silent"});
  EXPECT_TRUE(WaitUntilAllFreed());
}

TEST(WebFetch, WithoutOnDoneTheFetchStillRunsAndFreesItself) {
  TLoopbackHttp server;
  tLibGetMemStreamFromTheWeb::Create(server.Base() + "/fire-and-forget", nullptr);
  EXPECT_EQ(tLibGetMemStreamFromTheWeb::Pending(), 1);
  ASSERT_TRUE(server.WaitFor(1));
  EXPECT_EQ(server.Requests()[0], "/fire-and-forget");
  EXPECT_TRUE(WaitUntilAllFreed());
}

TEST(WebFetch, TwoFetchesRunSideBySide) {
  // Neither answer is given before both requests have arrived: fetches that waited for each
  // other would time out here.
  TLoopbackHttp server(200, 2);
  TResults results;
  const std::string a = server.Base() + "/a", b = server.Base() + "/b";
  tLibGetMemStreamFromTheWeb::Create(a, results.Handler());
  tLibGetMemStreamFromTheWeb::Create(b, results.Handler());
  ASSERT_TRUE(results.WaitFor(2));
  EXPECT_EQ(results.Bodies[a], "answer to /a");
  EXPECT_EQ(results.Bodies[b], "answer to /b");
  EXPECT_TRUE(WaitUntilAllFreed());
}

TEST(WebFetch, UnreachableAddressEndsWithEmptyStream) {
  TResults results;
  const std::string url = "http://127.0.0.1:" + std::to_string(TLoopbackHttp::ClosedPort()) + "/nobody";
  tLibGetMemStreamFromTheWeb::Create(url, results.Handler());
  ASSERT_TRUE(results.WaitFor(1));
  EXPECT_EQ(results.Bodies[url], "");
  EXPECT_TRUE(WaitUntilAllFreed());
}

}  // namespace
