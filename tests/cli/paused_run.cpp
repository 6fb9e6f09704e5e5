#include "tests/cli/paused_run.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <thread>
#include <utility>

namespace velmora_test {

PausedRun::PausedRun(const std::vector<std::string>& args, const std::string& point,
                     const std::vector<int>& ignored) {
  std::vector<std::string> words = {VELMORA_CLI_PATH};
  words.insert(words.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  std::vector<std::string> settings = {"VELMORA_TEST_PAUSE_AT=" + point,
                                       "VELMORA_TEST_RESUME_FILE=" + resume_file().string()};
  std::vector<char*> envp;
  for (char** variable = environ; *variable; ++variable) envp.push_back(*variable);
  for (std::string& setting : settings) envp.push_back(setting.data());
  envp.push_back(nullptr);

  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  sigset_t defaults;
  sigfillset(&defaults);
  for (int signal_number : ignored) sigdelset(&defaults, signal_number);
  sigset_t none;
  sigemptyset(&none);
  posix_spawnattr_setsigdefault(&attributes, &defaults);
  posix_spawnattr_setsigmask(&attributes, &none);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
  // An ignored disposition is what the child inherits; set it only around the spawn.
  std::vector<struct sigaction> saved(ignored.size());
  for (std::size_t i = 0; i < ignored.size(); ++i) {
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigaction(ignored[i], &ignore, &saved[i]);
  }
  posix_spawn_file_actions_t files;
  posix_spawn_file_actions_init(&files);
  posix_spawn_file_actions_addopen(&files, STDERR_FILENO, (handshake_ / "err").c_str(),
                                   O_WRONLY | O_CREAT | O_TRUNC, 0644);
  const int spawned =
      posix_spawn(&pid_, VELMORA_CLI_PATH, &files, &attributes, argv.data(), envp.data());
  for (std::size_t i = 0; i < ignored.size(); ++i) sigaction(ignored[i], &saved[i], nullptr);
  posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&files);
  if (spawned != 0) pid_ = -1;
}

PausedRun::~PausedRun() {
  if (pid_ > 0) {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
}

bool PausedRun::Paused() {
  const auto waiting = std::filesystem::path(resume_file().string() + ".waiting");
  for (int tries = 0; pid_ > 0 && tries < 6000; ++tries) {
    if (std::filesystem::exists(waiting)) return true;
    if (waitpid(pid_, &status_, WNOHANG) == pid_) {
      pid_ = -1;
      return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return false;
}

void PausedRun::Signal(int signal_number) {
  kill(pid_, signal_number);
}

void PausedRun::Resume() {
  std::ofstream(resume_file()) << "";
}

std::string PausedRun::err() const {
  return ReadBytes(handshake_ / "err");
}

int PausedRun::Wait() {
  if (pid_ > 0) waitpid(std::exchange(pid_, -1), &status_, 0);
  return status_;
}

}  // namespace velmora_test
