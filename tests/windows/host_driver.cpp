// velmora_host_driver MODULE FOLDER
//
// Drives the effect module through the simulated host the way the real host would: reads the
// property list, runs the life-cycle commands and renders a few small synthetic frames at 8, 16
// and 32 bits. It writes what it saw into FOLDER (life_cycle.txt and one .raw file per frame) so
// that the Windows module under wine and the Linux module can be compared byte for byte.
// Built in both builds, without GoogleTest; exits non-zero with a message on the first fault.

#include <cstdint>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "effect/params/params.h"
#include "hostsim/host.h"
#include "hostsim/param_store.h"
#include "hostsim/property_list.h"
#include "hostsim/world_store.h"
#include "tests/windows/frame_file.h"

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#endif

namespace {

[[noreturn]] void Fail(const std::string& what) {
  throw std::runtime_error(what);
}

void Expect(bool condition, const std::string& what) {
  if (!condition) Fail(what);
}

void ExpectNoError(PF_Err err, const char* command) {
  if (err != PF_Err_NONE) Fail(std::string(command) + " returned " + std::to_string(err));
}

std::string Hex(std::uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08x", static_cast<unsigned>(value));
  return text;
}

std::string HexBytes(const std::string& bytes) {
  std::string hex;
  for (unsigned char c : bytes) {
    char pair[3];
    std::snprintf(pair, sizeof pair, "%02x", c);
    hex += pair;
  }
  return hex;
}

#ifdef _WIN32
// What only the Windows loader can tell: the resource's language and the export's ordinal.
void CheckWindowsModule(const std::filesystem::path& module, const std::string& entry_point) {
  const HMODULE library = LoadLibraryW(module.c_str());
  Expect(library != nullptr, module.string() + ": LoadLibrary failed");
  const HRSRC chinese = FindResourceExW(library, L"PIPL", MAKEINTRESOURCEW(16000),
                                        MAKELANGID(LANG_CHINESE, SUBLANG_NEUTRAL));
  const FARPROC by_name = GetProcAddress(library, entry_point.c_str());
  const FARPROC by_ordinal = GetProcAddress(library, MAKEINTRESOURCEA(1));
  FreeLibrary(library);
  Expect(chinese != nullptr, "resource PIPL 16000 is not in language 4");
  Expect(by_name != nullptr, "the module does not export " + entry_point);
  Expect(by_name == by_ordinal, entry_point + " is not export ordinal 1");
}
#endif

void WriteLifeCycle(hostsim::Host& host, const hostsim::PropertyList& list,
                    const std::filesystem::path& folder) {
  std::ostringstream out;
  out << "pipl " << list.name << " | " << list.category << " | " << list.match_name << " | "
      << list.entry_point << " | " << Hex(list.version) << ' ' << Hex(list.out_flags) << ' '
      << Hex(list.out_flags2) << '\n';

  ExpectNoError(host.GlobalSetup(), "GlobalSetup");
  const PF_OutData& out_data = host.out_data();
  Expect(out_data.my_version == list.version, "my_version differs from the property list");
  Expect(static_cast<std::uint32_t>(out_data.out_flags) == list.out_flags,
         "out_flags differ from the property list");
  Expect(static_cast<std::uint32_t>(out_data.out_flags2) == list.out_flags2,
         "out_flags2 differ from the property list");
  out << "global_setup " << Hex(out_data.my_version) << ' ' << Hex(out_data.out_flags) << ' '
      << Hex(out_data.out_flags2) << '\n';

  ExpectNoError(host.ParamsSetup(), "ParamsSetup");
  out << "params_setup num_params " << host.out_data().num_params << '\n';
  for (const PF_ParamDef& def : host.params().declared())
    out << "  param id " << def.uu.id << " type " << def.param_type << " flags " << def.flags
        << " ui_flags " << def.ui_flags << " name " << HexBytes(def.name) << '\n';

  ExpectNoError(host.SequenceSetup(), "SequenceSetup");
  std::string about;
  ExpectNoError(host.About(&about), "About");
  out << "about " << HexBytes(about) << '\n';
  ExpectNoError(host.UpdateParamsUI(), "UpdateParamsUI");
  out << "update_params_ui ok\n";

  std::ofstream(folder / "life_cycle.txt", std::ios::binary) << out.str();
}

// Straight colour on the 0..1 scale: a bright block and a soft ramp on a partly transparent
// ground, with values above 1 in float.
PF_PixelFloat Pattern(A_long x, A_long y, A_long width, A_long height, bool over_range) {
  const bool block = x > width / 3 && x < width / 2 + 2 && y > height / 4 && y < height * 3 / 4;
  const float ramp = static_cast<float>(x) / static_cast<float>(width - 1);
  PF_PixelFloat c{};
  c.alpha = y < 2 ? 0.0f : (x % 7 == 0 ? 0.5f : 1.0f);
  c.red = block ? (over_range ? 1.5f : 1.0f) : ramp * 0.6f;
  c.green = block ? 0.9f : 0.2f + 0.1f * static_cast<float>(y % 3);
  c.blue = block ? 0.3f : 1.0f - ramp;
  return c;
}

template <class Pixel>
Pixel Quantize(const PF_PixelFloat& c);
template <>
PF_Pixel Quantize(const PF_PixelFloat& c) {
  auto q = [](float v) { return static_cast<A_u_char>(v >= 1.0f ? 255 : v * 255.0f + 0.5f); };
  return {q(c.alpha), q(c.red), q(c.green), q(c.blue)};
}
template <>
PF_Pixel16 Quantize(const PF_PixelFloat& c) {
  auto q = [](float v) { return static_cast<A_u_short>(v >= 1.0f ? 32768 : v * 32768.0f + 0.5f); };
  return {q(c.alpha), q(c.red), q(c.green), q(c.blue)};
}
template <>
PF_PixelFloat Quantize(const PF_PixelFloat& c) {
  return c;
}

template <class Pixel>
void Paint(hostsim::World& world) {
  const bool over_range = world.depth == hostsim::Depth::k32;
  for (A_long y = 0; y < world.height(); ++y)
    for (A_long x = 0; x < world.width(); ++x)
      *world.pixel<Pixel>(x, y) =
          Quantize<Pixel>(Pattern(x, y, world.width(), world.height(), over_range));
}

struct Variant {
  const char* name;
  bool repeat_edges;
  bool everything_on;  // tint, Add, gamma and unmultiply: the pow and division paths
  int radius = 12;     // 100: the widest levels blur on the host's decimated path
};

void SetControls(hostsim::ParamStore& params, const Variant& variant) {
  params[velmora::PARAM_RADIUS].u.sd.value = variant.radius;
  params[velmora::PARAM_REPEAT_EDGES].u.bd.value = variant.repeat_edges;
  params[velmora::PARAM_TINT_ENABLE].u.bd.value = variant.everything_on;
  params[velmora::PARAM_GAMMA].u.bd.value = variant.everything_on;
  params[velmora::PARAM_UNMULTIPLY].u.bd.value = variant.everything_on;
  params[velmora::PARAM_GLOW_MODE].u.pd.value =
      variant.everything_on ? velmora::GLOW_MODE_ADD : velmora::GLOW_MODE_SCREEN;
  params[velmora::PARAM_TINT_MODE].u.pd.value = velmora::TINT_MODE_SOFT;
}

void RenderFrames(hostsim::Host& host, const std::filesystem::path& folder) {
  const Variant variants[] = {{"plain", false, false},
                              {"edges", true, false},
                              {"everything", true, true},
                              {"wide", false, false, 100}};
  const hostsim::Depth depths[] = {hostsim::Depth::k8, hostsim::Depth::k16, hostsim::Depth::k32};
  for (const hostsim::Depth depth : depths) {
    for (const Variant& variant : variants) {
      SetControls(host.params(), variant);
      hostsim::World* input = host.worlds().Create(depth, 40, 24);
      Expect(input != nullptr, "the host refused a 40 x 24 world");
      switch (depth) {
        case hostsim::Depth::k8:
          Paint<PF_Pixel>(*input);
          break;
        case hostsim::Depth::k16:
          Paint<PF_Pixel16>(*input);
          break;
        case hostsim::Depth::k32:
          Paint<PF_PixelFloat>(*input);
          break;
      }
      hostsim::World* output = nullptr;
      const PF_Err err = host.RenderFrame(*input, hostsim::FrameSettings{}, &output);
      host.worlds().Dispose(input);
      ExpectNoError(err, "RenderFrame");
      const std::string name =
          "frame_" + std::to_string(FrameFile::BitsOf(depth)) + "_" + variant.name + ".raw";
      FrameFile::Write(*output, folder / name);
      host.worlds().Dispose(output);
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: velmora_host_driver MODULE FOLDER\n");
    return 2;
  }
  const std::filesystem::path module = argv[1];
  const std::filesystem::path folder = argv[2];
  try {
    std::filesystem::create_directories(folder);
    const hostsim::PropertyList list = hostsim::ReadPropertyList(module);
    Expect(list.kind == "eFKT", "the property list does not describe an effect");
    Expect(list.entry_point == "EntryPointFunc",
           "the property list names the entry point '" + list.entry_point + "'");
#ifdef _WIN32
    CheckWindowsModule(module, list.entry_point);
#endif
    hostsim::Host host(module);
    WriteLifeCycle(host, list, folder);
    RenderFrames(host, folder);
    ExpectNoError(host.SequenceSetdown(), "SequenceSetdown");
    ExpectNoError(host.GlobalSetdown(), "GlobalSetdown");
    Expect(!host.leaks().any(), "the effect left something behind in the host");
  } catch (const std::exception& error) {
    std::fprintf(stderr, "velmora_host_driver: %s: %s\n", module.string().c_str(), error.what());
    return 1;
  }
  return 0;
}
