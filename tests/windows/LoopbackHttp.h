// A small HTTP server on 127.0.0.1 for the tests: it records every request and answers each with
// a fixed status, the extra header lines `headers` (each ending with CRLF) and the body
// "answer to " + target, followed by `padding` characters "#" (with KEndless, "#" for as long as
// the client reads).
#pragma once
#include <winsock2.h>
#include <ws2tcpip.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "lib/win/WinApp.h"

class TLoopbackHttp {
 public:
  static constexpr size_t KEndless = SIZE_MAX;
  // A `holdUntil` that is never reached: the server answers no one for 5 s.
  static constexpr size_t KSilent = SIZE_MAX;

  // `holdUntil`: every answer waits until that many requests have arrived (at most 5 s, or until
  // the server closes), which only works out when the requests run side by side.
  explicit TLoopbackHttp(int status = 200, size_t holdUntil = 0, size_t padding = 0, std::string headers = "")
      : status_(status), holdUntil_(holdUntil), padding_(padding), headers_(std::move(headers)) {
    WSADATA wsa;
    WSAStartup(MAKEWORD(2, 2), &wsa);
    listener_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(listener_, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    listen(listener_, 16);
    int len = sizeof addr;
    getsockname(listener_, reinterpret_cast<sockaddr*>(&addr), &len);
    port_ = ntohs(addr.sin_port);
    acceptor_ = std::thread([this] { Accept(); });
  }
  ~TLoopbackHttp() {
    {
      std::lock_guard lock(mutex_);
      closing_ = true;
    }
    arrived_.notify_all();
    closesocket(listener_);
    acceptor_.join();
    for (auto& t : handlers_) t.join();
    WSACleanup();
  }

  std::string Base() const { return "http://127.0.0.1:" + std::to_string(port_); }

  // The target of each request, in order of arrival.
  std::vector<std::string> Requests() {
    std::lock_guard lock(mutex_);
    return requests_;
  }
  // Each request's whole head: request line and header lines.
  std::vector<std::string> Heads() {
    std::lock_guard lock(mutex_);
    return heads_;
  }

  // Pumps the caller's messages until `n` requests have arrived; false after `ms` milliseconds.
  bool WaitFor(size_t n, double ms = 5000) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double, std::milli>(ms);
    while (Requests().size() < n) {
      if (std::chrono::steady_clock::now() > end) return false;
      ProcessMessagesFor(10);
    }
    return true;
  }

  // A loopback port on which nobody listens.
  static int ClosedPort() {
    WSADATA wsa;
    WSAStartup(MAKEWORD(2, 2), &wsa);
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    int len = sizeof addr;
    getsockname(s, reinterpret_cast<sockaddr*>(&addr), &len);
    closesocket(s);
    WSACleanup();
    return ntohs(addr.sin_port);
  }

 private:
  void Accept() {
    for (;;) {
      SOCKET c = accept(listener_, nullptr, nullptr);
      if (c == INVALID_SOCKET) return;
      std::lock_guard lock(mutex_);
      handlers_.emplace_back([this, c] { Serve(c); });
    }
  }

  void Serve(SOCKET c) {
    const DWORD timeout = 5000;
    setsockopt(c, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout), sizeof timeout);
    std::string request;
    char buf[4096];
    while (request.find("\r\n\r\n") == std::string::npos) {
      const int n = recv(c, buf, sizeof buf, 0);
      if (n <= 0) break;
      request.append(buf, n);
    }
    // "GET <target> HTTP/1.1"
    const size_t from = request.find(' ') + 1, to = request.find(' ', from);
    const std::string target = request.substr(from, to - from);
    {
      std::unique_lock lock(mutex_);
      requests_.push_back(target);
      heads_.push_back(request.substr(0, request.find("\r\n\r\n")));
      arrived_.notify_all();
      arrived_.wait_for(lock, std::chrono::seconds(5),
                        [this] { return requests_.size() >= holdUntil_ || closing_; });
    }
    if (padding_ == KEndless) {
      const std::string head = "HTTP/1.1 " + std::to_string(status_) + " Status\r\nContent-Type: text/plain\r\n" +
                               headers_ + "Connection: close\r\n\r\nanswer to " + target;
      const std::string block(4096, '#');
      for (int n = send(c, head.data(), static_cast<int>(head.size()), 0); n > 0 && !closing_;)
        n = send(c, block.data(), static_cast<int>(block.size()), 0);
      closesocket(c);
      return;
    }
    const std::string body = "answer to " + target + std::string(padding_, '#');
    const std::string answer = "HTTP/1.1 " + std::to_string(status_) + " Status\r\nContent-Type: text/plain\r\n" +
                               headers_ + "Content-Length: " + std::to_string(body.size()) +
                               "\r\nConnection: close\r\n\r\n" + body;
    send(c, answer.data(), static_cast<int>(answer.size()), 0);
    shutdown(c, SD_SEND);
    while (recv(c, buf, sizeof buf, 0) > 0) {
    }
    closesocket(c);
  }

  int status_;
  size_t holdUntil_;
  size_t padding_;
  std::string headers_;
  std::atomic<bool> closing_ = false;
  SOCKET listener_;
  int port_ = 0;
  std::mutex mutex_;
  std::condition_variable arrived_;
  std::vector<std::string> requests_, heads_;
  std::thread acceptor_;
  std::vector<std::thread> handlers_;
};
