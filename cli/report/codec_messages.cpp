#include "cli/report/codec_messages.h"

#include <dlfcn.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <regex>
#include <sstream>
#include <vector>

namespace cli {

std::string CodecReason(const std::string& what, const std::string& message) {
  // The codecs name the file, often more than once; the tool's line names it already. Their
  // messages come as lines, sometimes the same line again.
  static const std::regex kQuotedFile(R"(( for| in)? ?\(?"[^" ]*\.[A-Za-z0-9]+"\)?)");
  std::vector<std::string> lines;
  std::istringstream text(std::regex_replace(message, kQuotedFile, ""));
  for (std::string line; std::getline(text, line);) {
    while (!line.empty() && (line.back() == ' ' || line.back() == '.')) line.pop_back();
    line.erase(0, line.find_first_not_of(' '));
    if (!line.empty() && std::find(lines.begin(), lines.end(), line) == lines.end()) {
      lines.push_back(line);
    }
  }
  if (lines.empty()) return what + " (the reader gave no reason)";
  std::string reason = what + " (";
  for (std::size_t i = 0; i < lines.size(); ++i) reason += (i ? "; " : "") + lines[i];
  return reason + ")";
}

std::unique_lock<std::recursive_mutex> LockStderr() {
  static std::recursive_mutex mutex;
  return std::unique_lock(mutex);
}

}  // namespace cli

// libpng prints every error and warning on stderr ("libpng error: ...") unless the program
// that made the decoder gave handlers that never return, and OpenImageIO's return (they only
// keep the message for its error API). stderr itself stays open to everything else, a crash
// report above all, so the handlers are mended where libpng receives them: OpenImageIO's own
// handler still gets each error, then the decoder unwinds as libpng would, without a word;
// warnings are dropped. These definitions take the place of libpng's for the whole process
// (the program's own symbols come first), and pass on to libpng's through RTLD_NEXT.
namespace {

struct PngStruct;
using PngMessageFn = void (*)(PngStruct*, const char*);

template <class Fn>
Fn Libpng(const char* name) {
  return reinterpret_cast<Fn>(dlsym(RTLD_NEXT, name));
}

[[noreturn]] void Unwind(PngStruct* png) {
  using LongJmp = void (*)(PngStruct*, int);
  static const auto longjmp_fn = Libpng<LongJmp>("png_longjmp");
  longjmp_fn(png, 1);
  __builtin_unreachable();  // png_longjmp never returns
}

void DropWarning(PngStruct*, const char*) {}

// One quiet handler per distinct handler of the caller's (OpenImageIO has one for reading and
// one for writing), each calling it and then unwinding.
constexpr int kHandlerSlots = 8;
std::array<std::atomic<PngMessageFn>, kHandlerSlots> g_caller_handlers{};

template <int kSlot>
void QuietError(PngStruct* png, const char* message) {
  if (const PngMessageFn handler = g_caller_handlers[kSlot].load()) handler(png, message);
  Unwind(png);
}

template <int... kSlots>
constexpr std::array<PngMessageFn, sizeof...(kSlots)> QuietErrors(
    std::integer_sequence<int, kSlots...>) {
  return {&QuietError<kSlots>...};
}
constexpr auto kQuietErrors = QuietErrors(std::make_integer_sequence<int, kHandlerSlots>());

void QuietUnwind(PngStruct* png, const char*) {
  Unwind(png);
}

// The quiet stand-in for the caller's error handler (none: unwind without a word).
PngMessageFn QuietErrorFor(PngMessageFn handler) {
  if (!handler) return &QuietUnwind;
  for (int slot = 0; slot < kHandlerSlots; ++slot) {
    PngMessageFn expected = nullptr;
    if (g_caller_handlers[slot].compare_exchange_strong(expected, handler) || expected == handler) {
      return kQuietErrors[static_cast<std::size_t>(slot)];
    }
  }
  return handler;  // more handlers than anyone installs: leave the rest as they were
}

PngMessageFn QuietWarningFor(PngMessageFn handler) {
  return handler ? handler : &DropWarning;
}

}  // namespace

extern "C" {

PngStruct* png_create_read_struct(const char* version, void* error_ptr, PngMessageFn error_fn,
                                  PngMessageFn warn_fn) {
  using Create = PngStruct* (*)(const char*, void*, PngMessageFn, PngMessageFn);
  static const auto create = Libpng<Create>("png_create_read_struct");
  return create(version, error_ptr, QuietErrorFor(error_fn), QuietWarningFor(warn_fn));
}

PngStruct* png_create_write_struct(const char* version, void* error_ptr, PngMessageFn error_fn,
                                   PngMessageFn warn_fn) {
  using Create = PngStruct* (*)(const char*, void*, PngMessageFn, PngMessageFn);
  static const auto create = Libpng<Create>("png_create_write_struct");
  return create(version, error_ptr, QuietErrorFor(error_fn), QuietWarningFor(warn_fn));
}

void png_set_error_fn(PngStruct* png, void* error_ptr, PngMessageFn error_fn,
                      PngMessageFn warn_fn) {
  using Set = void (*)(PngStruct*, void*, PngMessageFn, PngMessageFn);
  static const auto set = Libpng<Set>("png_set_error_fn");
  set(png, error_ptr, QuietErrorFor(error_fn), QuietWarningFor(warn_fn));
}

}  // extern "C"
