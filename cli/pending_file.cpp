#include "cli/pending_file.h"

#include <unistd.h>

#include <csignal>
#include <cstring>
#include <string>
#include <system_error>

#include "cli/cli_error.h"

namespace cli {
namespace {

// The temporary file in progress, for the signal handler: a fixed buffer, since a handler
// may only call async-signal-safe functions such as unlink.
char g_temp_in_progress[4096];
volatile std::sig_atomic_t g_has_temp = 0;

extern "C" void RemoveTempAndExit(int signal_number) {
  if (g_has_temp) unlink(g_temp_in_progress);
  _exit(128 + signal_number);
}

void InstallSignalHandlers() {
  static const bool installed = [] {
    for (int signal_number : {SIGINT, SIGTERM, SIGHUP})
      std::signal(signal_number, RemoveTempAndExit);
    return true;
  }();
  (void)installed;
}

std::filesystem::path TempPathFor(const std::filesystem::path& target) {
  // Keep the extension last: writers choose the format by the target's name, and some check it.
  std::string name = ".";
  name += target.stem().string();
  name += ".velmora-tmp-" + std::to_string(getpid());
  name += target.extension().string();
  return target.parent_path() / name;
}

}  // namespace

PendingFile::PendingFile(std::filesystem::path target)
    : target_(std::move(target)), temp_(TempPathFor(target_)) {
  InstallSignalHandlers();
  const std::string text = temp_.string();
  if (text.size() < sizeof(g_temp_in_progress)) {
    g_has_temp = 0;
    std::memcpy(g_temp_in_progress, text.c_str(), text.size() + 1);
    g_has_temp = 1;
  }
}

PendingFile::~PendingFile() {
  g_has_temp = 0;
  if (!committed_) {
    std::error_code ignored;
    std::filesystem::remove(temp_, ignored);
  }
}

void PendingFile::Commit() {
  std::error_code error;
  std::filesystem::rename(temp_, target_, error);
  if (error) throw CliError(target_.string(), "cannot write: " + error.message());
  committed_ = true;
  g_has_temp = 0;
}

}  // namespace cli
