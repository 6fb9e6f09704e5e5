#include "cli/preview/guarded_server.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <string>
#include <utility>

namespace cli::preview {
namespace {

using Clock = std::chrono::steady_clock;

// How often a kept-alive connection looks whether others wait for its thread.
constexpr std::chrono::milliseconds kIdleCheck{100};

// Only SO_REUSEADDR: a restarted preview may take its port back from connections still closing,
// but never listen beside a server that holds it.
void ExclusivePort(socket_t sock) {
  const int yes = 1;
  setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
}

void AddressOf(int sock, bool peer, std::string& ip, int& port) {
  sockaddr_storage address{};
  socklen_t length = sizeof address;
  const int got = peer ? getpeername(sock, reinterpret_cast<sockaddr*>(&address), &length)
                       : getsockname(sock, reinterpret_cast<sockaddr*>(&address), &length);
  if (got != 0) return;
  char text[INET6_ADDRSTRLEN] = {};
  if (address.ss_family == AF_INET) {
    const auto& v4 = reinterpret_cast<const sockaddr_in&>(address);
    inet_ntop(AF_INET, &v4.sin_addr, text, sizeof text);
    port = ntohs(v4.sin_port);
  } else if (address.ss_family == AF_INET6) {
    const auto& v6 = reinterpret_cast<const sockaddr_in6&>(address);
    inet_ntop(AF_INET6, &v6.sin6_addr, text, sizeof text);
    port = ntohs(v6.sin6_port);
  }
  ip = text;
}

}  // namespace

// One client connection as the library reads and writes it, with the deadlines and the size
// limit kept over all the reads of a request and all the writes of its reply (the library's own
// timeouts start again with each byte). Every wait also ends when the server stops.
class GuardedServer::Connection final : public httplib::Stream {
 public:
  Connection(int sock, int stop_fd, const ServerLimits& limits)
      : sock_(sock), stop_fd_(stop_fd), limits_(limits) {}

  // Waits for the first byte of the next request, for the idle time at most; gives up early
  // (returning false) when give_up says so, or when the server stops.
  template <class GiveUp>
  bool AwaitRequest(GiveUp&& give_up) {
    if (buffered_ < filled_) return true;
    const Clock::time_point end = Clock::now() + limits_.idle_time;
    for (;;) {
      const Clock::time_point now = Clock::now();
      if (now >= end || give_up()) return false;
      const auto slice = std::min<Clock::duration>(end - now, kIdleCheck);
      switch (Wait(POLLIN, now + slice)) {
        case Ready::kYes:
          return true;
        case Ready::kNotYet:
          continue;
        case Ready::kNever:
          return false;
      }
    }
  }

  // From the first byte of a request: its deadline and its byte allowance start.
  void BeginRequest() {
    read_deadline_ = Clock::now() + limits_.request_time;
    read_allowance_ = limits_.request_bytes;
    replying_ = false;
  }

  bool is_readable() const override {
    return buffered_ < filled_ || Wait(POLLIN, read_deadline_) == Ready::kYes;
  }

  bool is_writable() const override {
    return Wait(POLLOUT, replying_ ? write_deadline_ : Clock::now() + limits_.reply_time) ==
           Ready::kYes;
  }

  ssize_t read(char* ptr, size_t size) override {
    size = std::min(size, read_allowance_);
    if (size == 0) return -1;  // the request is larger than any this server takes
    if (buffered_ == filled_) {
      if (Wait(POLLIN, read_deadline_) != Ready::kYes) return -1;
      ssize_t got;
      while ((got = recv(sock_, buffer_, sizeof buffer_, 0)) < 0 && errno == EINTR) {
      }
      if (got <= 0) return got;
      buffered_ = 0;
      filled_ = static_cast<size_t>(got);
    }
    const size_t taken = std::min(size, filled_ - buffered_);
    std::memcpy(ptr, buffer_ + buffered_, taken);
    buffered_ += taken;
    read_allowance_ -= taken;
    return static_cast<ssize_t>(taken);
  }

  ssize_t write(const char* ptr, size_t size) override {
    if (!replying_) {
      replying_ = true;
      write_deadline_ = Clock::now() + limits_.reply_time;
    }
    if (Wait(POLLOUT, write_deadline_) != Ready::kYes) return -1;
    ssize_t sent;
    while ((sent = send(sock_, ptr, size, MSG_NOSIGNAL | MSG_DONTWAIT)) < 0 && errno == EINTR) {
    }
    if (sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return 0;  // the caller tries again
    return sent;
  }

  void get_remote_ip_and_port(std::string& ip, int& port) const override {
    AddressOf(sock_, true, ip, port);
  }
  void get_local_ip_and_port(std::string& ip, int& port) const override {
    AddressOf(sock_, false, ip, port);
  }
  socket_t socket() const override { return sock_; }

 private:
  enum class Ready { kYes, kNotYet, kNever };

  // Whether the socket is ready for events before the deadline; kNever once the server stops
  // or the connection fails.
  Ready Wait(short events, Clock::time_point deadline) const {
    for (;;) {
      const auto left =
          std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
      if (left <= 0) return Ready::kNotYet;
      pollfd fds[2] = {{sock_, events, 0}, {stop_fd_, POLLIN, 0}};
      const int count = poll(fds, 2, static_cast<int>(std::min<long long>(left, 60'000)));
      if (count < 0 && errno == EINTR) continue;
      if (count < 0 || fds[1].revents != 0) return Ready::kNever;
      if (fds[0].revents & events) return Ready::kYes;
      if (fds[0].revents != 0) return Ready::kNever;  // an error or a hang-up only
    }
  }

  const int sock_;
  const int stop_fd_;
  const ServerLimits& limits_;
  Clock::time_point read_deadline_{};
  Clock::time_point write_deadline_{};
  size_t read_allowance_ = 0;
  bool replying_ = false;
  char buffer_[4096];
  size_t buffered_ = 0;  // bytes of buffer_ already handed out
  size_t filled_ = 0;
};

// The library's thread pool, counting the connections accepted but not yet taken by a thread.
class GuardedServer::Pool final : public httplib::TaskQueue {
 public:
  Pool(size_t threads, std::atomic<int>& waiting) : pool_(threads), waiting_(waiting) {}

  void enqueue(std::function<void()> fn) override {
    ++waiting_;
    pool_.enqueue([this, fn = std::move(fn)] {
      --waiting_;
      fn();
    });
  }
  void shutdown() override { pool_.shutdown(); }

 private:
  httplib::ThreadPool pool_;
  std::atomic<int>& waiting_;
};

GuardedServer::GuardedServer(ServerLimits limits) : limits_(limits) {
  int fds[2];
  if (pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) {
    throw std::runtime_error(std::string("cannot make a pipe: ") + std::strerror(errno));
  }
  stop_read_ = fds[0];
  stop_write_ = fds[1];
  set_socket_options(ExclusivePort);
  new_task_queue = [this] { return new Pool(limits_.threads, waiting_); };
}

GuardedServer::~GuardedServer() {
  close(stop_read_);
  close(stop_write_);
}

void GuardedServer::Stop() {
  const char byte = 1;
  [[maybe_unused]] const auto written = ::write(stop_write_, &byte, 1);
  // As the library's stop(), but also before listening has begun, so a stop asked for then is
  // not lost: listening ends as soon as it finds no socket.
  const socket_t sock = svr_sock_.exchange(INVALID_SOCKET);
  if (sock != INVALID_SOCKET) {
    shutdown(sock, SHUT_RDWR);
    close(sock);
  }
}

bool GuardedServer::process_and_close_socket(socket_t sock) {
  Connection connection(sock, stop_read_, limits_);
  bool served = false;
  bool ok = true;
  for (size_t left = keep_alive_max_count_; ok && left > 0 && svr_sock_ != INVALID_SOCKET; --left) {
    // A connection that has had its answer waits for another request only while no other
    // connection waits for its thread.
    if (!connection.AwaitRequest([&] { return served && waiting_ > 0; })) break;
    connection.BeginRequest();
    bool closed = false;
    ok = process_request(
        connection, left == 1, closed,
        // Ranges are not served (the whole content is): several ranges would have the library
        // build a reply of each range in turn, as large as the request cares to make it.
        [](httplib::Request& request) { request.ranges.clear(); });
    served = true;
    if (closed) break;
  }
  shutdown(sock, SHUT_RDWR);
  close(sock);
  return ok;
}

}  // namespace cli::preview
