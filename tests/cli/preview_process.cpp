#include "tests/cli/preview_process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>

#include "tests/cli/cli_runner.h"

extern char** environ;

namespace velmora_test {

PreviewProcess::PreviewProcess(const std::vector<std::string>& args,
                               const std::map<std::string, std::string>& environment) {
  static int count = 0;
  err_path_ =
      std::filesystem::temp_directory_path() /
      ("velmora-preview-" + std::to_string(getpid()) + "-" + std::to_string(++count) + ".err");
  std::vector<std::string> words = {VELMORA_CLI_PATH, "preview"};
  words.insert(words.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  std::vector<std::string> settings;
  for (const auto& [name, value] : environment) settings.push_back(name + "=" + value);
  std::vector<char*> envp;
  for (char** variable = environ; *variable; ++variable) envp.push_back(*variable);
  for (std::string& setting : settings) envp.push_back(setting.data());
  envp.push_back(nullptr);

  int out[2];
  if (pipe2(out, O_CLOEXEC) != 0) return;
  posix_spawn_file_actions_t files;
  posix_spawn_file_actions_init(&files);
  posix_spawn_file_actions_adddup2(&files, out[1], STDOUT_FILENO);
  posix_spawn_file_actions_addopen(&files, STDERR_FILENO, err_path_.c_str(),
                                   O_WRONLY | O_CREAT | O_TRUNC, 0644);
  const int spawned =
      posix_spawn(&pid_, VELMORA_CLI_PATH, &files, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&files);
  close(out[1]);
  if (spawned != 0) {
    pid_ = -1;
    close(out[0]);
    return;
  }
  // The first line, or whatever came before the process ended.
  char c;
  out_fd_ = out[0];  // kept open: a write to a closed pipe would end the server
  while (read(out_fd_, &c, 1) == 1 && c != '\n') line_.push_back(c);
  const std::string prefix = "http://127.0.0.1:";
  if (const auto at = line_.find(prefix); at != std::string::npos) {
    port_ = std::atoi(line_.c_str() + at + prefix.size());
  }
}

PreviewProcess::~PreviewProcess() {
  if (pid_ > 0) {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
  if (out_fd_ >= 0) close(out_fd_);
  std::error_code ignored;
  std::filesystem::remove(err_path_, ignored);
}

std::string PreviewProcess::err() const {
  return ReadBytes(err_path_);
}

int PreviewProcess::Stop() {
  if (pid_ <= 0) return -1;
  kill(pid_, SIGTERM);
  int status = 0;
  waitpid(pid_, &status, 0);
  pid_ = -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace velmora_test
