// "PF ANSI Suite" 1 and the ANSI block of the utility callbacks.
#include "hostsim/suites/ansi_suite.h"

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>

#include "hostsim/serve.h"
#include "hostsim/suites/suites.h"

namespace hostsim {

namespace {

// Room left from dst to the end of the host-owned text field dst points into, if it does.
std::optional<std::size_t> HostFieldRoom(const A_char* dst) {
  return ServeValue(std::optional<std::size_t>{},
                    [&](HostServices& host) -> std::optional<std::size_t> {
                      for (const auto& [field, size] :
                           {std::pair<const A_char*, std::size_t>{host.out_data.return_msg,
                                                                  sizeof host.out_data.return_msg},
                            {host.out_data.name, sizeof host.out_data.name}}) {
                        if (dst >= field && dst < field + size)
                          return static_cast<std::size_t>(field + size - dst);
                      }
                      return std::nullopt;
                    });
}

void RecordTruncation(const char* op) {
  ServeValue(false, [&](HostServices& host) {
    HostCall call;
    call.op = std::string("text_truncated:") + op;
    RecordHostCall(host, std::move(call));
    return true;
  });
}

}  // namespace

int HostSprintf(A_char* dst, const A_char* format, ...) noexcept {
  if (!dst || !format) return -1;
  va_list args;
  va_start(args, format);
  int written = -1;
  if (const auto room = HostFieldRoom(dst)) {
    written = std::vsnprintf(dst, *room, format, args);
    if (written >= 0 && static_cast<std::size_t>(written) >= *room) {
      RecordTruncation("sprintf");
      written = static_cast<int>(*room) - 1;
    }
  } else {
    written = std::vsprintf(dst, format, args);
  }
  va_end(args);
  return written;
}

A_char* HostStrcpy(A_char* dst, const A_char* src) noexcept {
  if (!dst || !src) return dst;
  if (const auto room = HostFieldRoom(dst)) {
    const std::size_t length = std::strlen(src);
    const std::size_t kept = std::min(length, *room - 1);
    std::memcpy(dst, src, kept);
    dst[kept] = '\0';
    if (kept < length) RecordTruncation("strcpy");
    return dst;
  }
  return std::strcpy(dst, src);
}

template <class Table>
void FillAnsiTable(Table& table) {
  table.atan = [](double x) { return std::atan(x); };
  table.atan2 = [](double y, double x) { return std::atan2(y, x); };
  table.ceil = [](double x) { return std::ceil(x); };
  table.cos = [](double x) { return std::cos(x); };
  table.exp = [](double x) { return std::exp(x); };
  table.fabs = [](double x) { return std::fabs(x); };
  table.floor = [](double x) { return std::floor(x); };
  table.fmod = [](double x, double y) { return std::fmod(x, y); };
  table.hypot = [](double x, double y) { return std::hypot(x, y); };
  table.log = [](double x) { return std::log(x); };
  table.log10 = [](double x) { return std::log10(x); };
  table.pow = [](double x, double y) { return std::pow(x, y); };
  table.sin = [](double x) { return std::sin(x); };
  table.sqrt = [](double x) { return std::sqrt(x); };
  table.tan = [](double x) { return std::tan(x); };
  table.sprintf = HostSprintf;
  table.strcpy = HostStrcpy;
  table.asin = [](double x) { return std::asin(x); };
  table.acos = [](double x) { return std::acos(x); };
}

template void FillAnsiTable(PF_ANSICallbacks& table);
template void FillAnsiTable(PF_ANSICallbacksSuite1& table);

void RegisterAnsiSuite(SuiteRegistry& registry) {
  static const PF_ANSICallbacksSuite1 suite = [] {
    PF_ANSICallbacksSuite1 table{};
    FillAnsiTable(table);
    return table;
  }();
  registry.Add(kPFANSISuite, kPFANSISuiteVersion1, &suite);
}

}  // namespace hostsim
