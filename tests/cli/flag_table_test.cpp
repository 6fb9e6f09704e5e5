// Each velmora flag reaches the effect control it names: a render through the command equals a
// render through the simulated host with that control set directly, by the effect's own
// parameter index.

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "effect/params/params.h"
#include "tests/cli/cli_runner.h"
#include "tests/support/host_fixture.h"

namespace velmora_test {
namespace {

using namespace velmora;  // the effect's parameter indices

constexpr int kWidth = 24, kHeight = 16;

// Straight colour, some of it above 1.0, on a dark ground.
float Source(int x, int y, int c) {
  const bool spot = x >= 8 && x < 14 && y >= 5 && y < 10;
  return spot ? 0.4f + 0.5f * static_cast<float>(c) : 0.05f * static_cast<float>((x + y + c) % 4);
}

struct FlagCase {
  std::vector<std::string> flags;
  std::function<void(hostsim::ParamStore&)> set;
};

void SetTint(hostsim::ParamStore& params) {
  params[PARAM_TINT_ENABLE].u.bd.value = 1;
  params[PARAM_TINT_COLOR].u.cd.value = PF_Pixel{255, 0x33, 0x66, 0xCC};
  params.SetColorKeyframes(
      PARAM_TINT_COLOR,
      {hostsim::ColorKey{0.0, AEGP_ColorVal{1.0, 0x33 / 255.0, 0x66 / 255.0, 0xCC / 255.0}}});
}

class FlagTable : public HostTest {};

TEST_F(FlagTable, EachFlagSetsTheControlItNames) {
  const FlagCase cases[] = {
      {{"--radius", "7"}, [](auto& p) { p[PARAM_RADIUS].u.sd.value = 7; }},
      {{"--intensity", "2.5"}, [](auto& p) { p[PARAM_INTENSITY].u.fs_d.value = 2.5; }},
      {{"--mode", "add"}, [](auto& p) { p[PARAM_GLOW_MODE].u.pd.value = 2; }},
      {{"--tint", "#3366CC"}, SetTint},
      {{"--tint", "#3366CC", "--tint-mode", "soft"},
       [](auto& p) {
         SetTint(p);
         p[PARAM_TINT_MODE].u.pd.value = 2;
       }},
      {{"--unmultiply"}, [](auto& p) { p[PARAM_UNMULTIPLY].u.bd.value = 1; }},
      {{"--gamma"}, [](auto& p) { p[PARAM_GAMMA].u.bd.value = 1; }},
      {{"--repeat-edges"}, [](auto& p) { p[PARAM_REPEAT_EDGES].u.bd.value = 1; }},
  };
  ScratchFolder folder;
  const auto input = folder / "in.exr";
  WriteFixture(input, OIIO::ImageSpec(kWidth, kHeight, 3, OIIO::TypeDesc::FLOAT), Source);
  Boot();
  hostsim::World* world = MakeWorld(hostsim::Depth::k32, kWidth, kHeight, [](A_long x, A_long y) {
    return PF_PixelFloat{1.0f, Source(x, y, 0), Source(x, y, 1), Source(x, y, 2)};
  });
  std::vector<PF_ParamDef> defaults;
  for (int index = 0; index < PARAM_COUNT; ++index) defaults.push_back(host.params()[index]);

  for (const FlagCase& row : cases) {
    SCOPED_TRACE(row.flags.front());
    // A small radius keeps the glow inside the frame, where every control shows.
    std::vector<std::string> args = {"render", input.string(), (folder / "out.exr").string()};
    if (row.flags.front() != "--radius") args.insert(args.end(), {"--radius", "3"});
    args.insert(args.end(), row.flags.begin(), row.flags.end());
    const RunResult run = RunVelmora(args);
    ASSERT_EQ(run.status, 0) << run.err;
    const Pixels file = ReadPixels(folder / "out.exr");

    for (int index = 0; index < PARAM_COUNT; ++index) host.params()[index] = defaults[index];
    host.params().SetColorKeyframes(PARAM_TINT_COLOR, {});
    host.params()[PARAM_RADIUS].u.sd.value = 3;
    row.set(host.params());
    hostsim::World* rendered = nullptr;
    ASSERT_EQ(Render(*world, hostsim::FrameSettings{}, &rendered), PF_Err_NONE);
    ASSERT_EQ(file.spec.width, rendered->width());
    ASSERT_EQ(file.spec.height, rendered->height());
    const bool alpha = file.spec.nchannels == 4;
    float worst = 0.0f;
    for (int y = 0; y < kHeight; ++y) {
      for (int x = 0; x < kWidth; ++x) {
        const PF_PixelFloat& want = *rendered->pixel<PF_PixelFloat>(x, y);
        const float a = alpha ? file.at(x, y, 3) : 1.0f;
        const float unassociate = a != 0.0f ? 1.0f / a : 1.0f;  // the file holds colour * alpha
        const float got[] = {a, file.at(x, y, 0) * unassociate, file.at(x, y, 1) * unassociate,
                             file.at(x, y, 2) * unassociate};
        const float expected[] = {want.alpha, want.red, want.green, want.blue};
        for (int c = alpha ? 0 : 1; c < 4; ++c) {
          worst = std::max(worst, std::abs(got[c] - expected[c]) / std::max(1.0f, expected[c]));
        }
      }
    }
    EXPECT_LT(worst, 1e-5f);
    Dispose(rendered);
  }
}

}  // namespace
}  // namespace velmora_test
