#pragma once
// A `velmora preview` server run as a real process for a test: started with the arguments
// given, its address read from the line it prints, stopped with SIGTERM as a user's Ctrl-C
// would be, and killed at the end of the scope if it is still there.

#include <sys/types.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace velmora_test {

class PreviewProcess {
 public:
  // Runs `velmora preview <args>` with the environment variables added; stderr goes to a file.
  explicit PreviewProcess(const std::vector<std::string>& args,
                          const std::map<std::string, std::string>& environment = {});
  ~PreviewProcess();
  PreviewProcess(const PreviewProcess&) = delete;
  PreviewProcess& operator=(const PreviewProcess&) = delete;

  // What the server printed on its first line, and the port of the address in it (0 when it
  // printed none: it failed to start; see err()).
  const std::string& line() const { return line_; }
  int port() const { return port_; }
  std::string url() const { return "http://127.0.0.1:" + std::to_string(port_) + "/"; }
  std::string err() const;

  // SIGTERM, then the exit status (-1 when a signal ended it).
  int Stop();

 private:
  pid_t pid_ = -1;
  int out_fd_ = -1;
  std::string line_;
  int port_ = 0;
  std::filesystem::path err_path_;
};

}  // namespace velmora_test
