#include "cli/effect_session.h"

#include <unistd.h>

#include <climits>
#include <string>

#include "cli/cli_error.h"
#include "hostsim/host_operation.h"

namespace cli {
namespace {

constexpr const char* kModuleFileName = "Velmora.so";

std::filesystem::path ProgramFolder() {
  char buffer[PATH_MAX];
  const ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  if (length <= 0) return {};
  return std::filesystem::path(std::string(buffer, static_cast<std::size_t>(length))).parent_path();
}

// "AEGP_New: out of memory (error 4)": the host operation that refused, when one did.
std::string FailureText(PF_Err error, const std::string& refusal) {
  const std::string words = refusal.empty() ? hostsim::ErrorWords(error) : refusal;
  return words + " (error " + std::to_string(error) + ")";
}

void Check(PF_Err error, const char* command, const hostsim::Host& host,
           const std::filesystem::path& module) {
  if (error != PF_Err_NONE) {
    throw CliError(module.string(), std::string("the effect failed ") + command + ": " +
                                        FailureText(error, host.refusal()));
  }
}

}  // namespace

std::filesystem::path LocateEffectModule(const std::optional<std::filesystem::path>& requested) {
  if (requested) {
    if (!std::filesystem::is_regular_file(*requested)) {
      throw CliError(requested->string(), "no effect module there", kExitUsage);
    }
    return *requested;
  }
  const std::filesystem::path beside = ProgramFolder() / kModuleFileName;
  if (std::filesystem::is_regular_file(beside)) return beside;
  const std::filesystem::path built = VELMORA_DEFAULT_MODULE_PATH;
  if (std::filesystem::is_regular_file(built)) return built;
  throw CliError(kModuleFileName, "effect module not found beside this program or at " +
                                      built.string() + " (use --plugin PATH)");
}

EffectSession::EffectSession(const std::filesystem::path& module_path) : module_path_(module_path) {
  try {
    host_ = std::make_unique<hostsim::Host>(module_path);
  } catch (const std::exception& error) {
    throw CliError(module_path.string(), std::string("cannot load the effect: ") + error.what());
  }
  Check(host_->GlobalSetup(), "global setup", *host_, module_path);
  Check(host_->ParamsSetup(), "params setup", *host_, module_path);
  Check(host_->SequenceSetup(), "sequence setup", *host_, module_path);
  sequence_set_up_ = true;
}

EffectSession::~EffectSession() {
  if (!host_) return;
  if (sequence_set_up_) host_->SequenceSetdown();
  host_->GlobalSetdown();
}

OwnedWorld EffectSession::Render(const hostsim::World& input, long frame_time,
                                 const std::string& subject, A_u_long downsample) {
  hostsim::FrameSettings settings;
  settings.downsample = downsample;
  settings.current_time = static_cast<A_long>(frame_time * settings.time_step);
  hostsim::World* rendered = nullptr;
  const PF_Err error = host_->RenderFrame(input, settings, &rendered);
  // The journal of host calls serves tests; a long sequence must not keep every frame's.
  host_->ClearJournal();
  OwnedWorld output(host_->worlds(), rendered);
  if (error != PF_Err_NONE) {
    throw CliError(subject, "the effect failed to render: " + FailureText(error, host_->refusal()));
  }
  if (!rendered) throw CliError(subject, "the effect rendered no output");
  return output;
}

std::string VersionText(A_u_long packed_version) {
  const unsigned version = (packed_version >> 19) & 0x7u;
  const unsigned subversion = (packed_version >> 15) & 0xFu;
  const unsigned patch = (packed_version >> 11) & 0xFu;
  return std::to_string(version) + "." + std::to_string(subversion) + "." + std::to_string(patch);
}

}  // namespace cli
