#pragma once
// The HTTP library's server with limits no client can get round, since every client is local
// and any of them may be hostile:
//  - a request (line, headers, body) must arrive whole within a deadline from its first byte,
//    however slowly its bytes drip in, and may not be larger than a set size;
//  - a reply must be taken by the client within a deadline from its first byte;
//  - a connection waiting between requests gives its thread up when others are waiting for one;
//  - byte ranges are not served: a request naming ranges gets the whole content, so no request
//    can make the server assemble a reply larger than the content itself;
//  - the port is not shared (the library would set SO_REUSEPORT, letting a second server
//    listen beside this one and take half its requests);
//  - Stop ends every connection at once, whatever its client is doing.

#include <httplib.h>

#include <atomic>
#include <chrono>
#include <cstddef>

namespace cli::preview {

struct ServerLimits {
  std::size_t threads = 16;
  std::chrono::milliseconds request_time{10'000};  // line, headers and body, from the first byte
  std::chrono::milliseconds reply_time{30'000};    // the whole reply, from its first byte
  std::chrono::milliseconds idle_time{5'000};      // a kept-alive connection between requests
  std::size_t request_bytes = 128 * 1024;          // line, headers and body together
};

class GuardedServer : public httplib::Server {
 public:
  explicit GuardedServer(ServerLimits limits = {});
  ~GuardedServer() override;
  GuardedServer(const GuardedServer&) = delete;
  GuardedServer& operator=(const GuardedServer&) = delete;

  // Stops listening and ends every connection, including those in the middle of a request or
  // a reply; a handler already running finishes. From any thread.
  void Stop();

 private:
  class Connection;
  class Pool;

  bool process_and_close_socket(socket_t sock) override;

  const ServerLimits limits_;
  int stop_read_ = -1;  // a pipe that becomes readable, for good, on Stop
  int stop_write_ = -1;
  std::atomic<int> waiting_{0};  // accepted connections waiting for a thread
};

}  // namespace cli::preview
