// Winsock before anything that brings <windows.h>.
#include "tests/windows/LoopbackHttp.h"

#include <gtest/gtest.h>

#include <map>

#include "lib/LIB_Text.h"

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

// The request goes where it was sent and nowhere else: the redirect's own answer is the body.
TEST(WebFetch, RedirectToAnotherServerIsNotFollowed) {
  TLoopbackHttp elsewhere;
  for (int status : {301, 302, 307}) {
    SCOPED_TRACE(status);
    TLoopbackHttp server(status, 0, 0, "Location: " + elsewhere.Base() + "/elsewhere\r\n");
    TResults results;
    const std::string url = server.Base() + "/report?x=1";
    tLibGetMemStreamFromTheWeb::Create(url, results.Handler());
    ASSERT_TRUE(results.WaitFor(1));
    EXPECT_EQ(results.Bodies[url], "answer to /report?x=1");
    EXPECT_EQ(server.Requests(), std::vector<std::string>{"/report?x=1"});
    EXPECT_TRUE(WaitUntilAllFreed());
  }
  EXPECT_FALSE(elsewhere.WaitFor(1, 500));
}

bool SendsHeader(const std::string& head, const std::string& name) {
  return LowerCase(head).find("\r\n" + LowerCase(name) + ":") != std::string::npos;
}

// A logon challenge is not answered: no second request carries the user's credentials.
TEST(WebFetch, LogonChallengeIsNotAnswered) {
  for (const char* challenge : {"Basic realm=\"reports\"", "NTLM", "Negotiate"}) {
    SCOPED_TRACE(challenge);
    TLoopbackHttp server(401, 0, 0, std::string("WWW-Authenticate: ") + challenge + "\r\n");
    TResults results;
    const std::string url = server.Base() + "/report";
    tLibGetMemStreamFromTheWeb::Create(url, results.Handler());
    ASSERT_TRUE(results.WaitFor(1));
    EXPECT_TRUE(WaitUntilAllFreed());
    const std::vector<std::string> heads = server.Heads();
    EXPECT_EQ(heads.size(), 1u);
    for (const std::string& head : heads) EXPECT_FALSE(SendsHeader(head, "Authorization")) << head;
  }
}

// What one answer sets is not sent back with the next request.
TEST(WebFetch, CookiesAreNeitherKeptNorSent) {
  TLoopbackHttp server(200, 0, 0, "Set-Cookie: visitor=tracked; Path=/\r\n");
  for (const char* path : {"/first", "/second"}) {
    TResults results;
    tLibGetMemStreamFromTheWeb::Create(server.Base() + path, results.Handler());
    ASSERT_TRUE(results.WaitFor(1));
    EXPECT_TRUE(WaitUntilAllFreed());
  }
  const std::vector<std::string> heads = server.Heads();
  ASSERT_EQ(heads.size(), 2u);
  for (const std::string& head : heads) EXPECT_FALSE(SendsHeader(head, "Cookie")) << head;
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
