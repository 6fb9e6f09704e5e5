// The frei0r module through its C functions, loaded as video tools load it (dlopen): what it
// reports about its parameters, how it holds values a tool sets, and instances of two sizes
// rendering at once from two threads.

#include "frei0r/frei0r_api.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <thread>
#include <vector>

namespace {

struct Frei0rModule {
  void* library = dlopen(VELMORA_FREI0R_MODULE_PATH, RTLD_NOW | RTLD_LOCAL);
  template <class Fn>
  Fn* Get(const char* name) const {
    return reinterpret_cast<Fn*>(dlsym(library, name));
  }
  decltype(&f0r_init) init = Get<decltype(f0r_init)>("f0r_init");
  decltype(&f0r_deinit) deinit = Get<decltype(f0r_deinit)>("f0r_deinit");
  decltype(&f0r_get_plugin_info) plugin_info =
      Get<decltype(f0r_get_plugin_info)>("f0r_get_plugin_info");
  decltype(&f0r_get_param_info) param_info =
      Get<decltype(f0r_get_param_info)>("f0r_get_param_info");
  decltype(&f0r_construct) construct = Get<decltype(f0r_construct)>("f0r_construct");
  decltype(&f0r_destruct) destruct = Get<decltype(f0r_destruct)>("f0r_destruct");
  decltype(&f0r_set_param_value) set = Get<decltype(f0r_set_param_value)>("f0r_set_param_value");
  decltype(&f0r_get_param_value) get = Get<decltype(f0r_get_param_value)>("f0r_get_param_value");
  decltype(&f0r_update) update = Get<decltype(f0r_update)>("f0r_update");
};

class Frei0rApi : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(module_.library, nullptr) << dlerror();
    ASSERT_EQ(module_.init(), 1);
  }
  void TearDown() override { module_.deinit(); }

  double Number(f0r_instance_t instance, int index) const {
    double value = -1.0;
    module_.get(instance, &value, index);
    return value;
  }
  void SetNumber(f0r_instance_t instance, int index, double value) const {
    module_.set(instance, &value, index);
  }

  // A frame with colour, alpha and a bright spot, so the glow has something to spread.
  static std::vector<std::uint32_t> Pattern(int width, int height) {
    std::vector<std::uint32_t> frame(static_cast<std::size_t>(width) * height);
    auto* bytes = reinterpret_cast<std::uint8_t*>(frame.data());
    for (int i = 0; i < width * height; ++i) {
      const int x = i % width, y = i / width;
      const bool spot = x == width / 2 && y == height / 2;
      bytes[i * 4 + 0] = spot ? 255 : static_cast<std::uint8_t>(x * 7);
      bytes[i * 4 + 1] = spot ? 255 : static_cast<std::uint8_t>(y * 5);
      bytes[i * 4 + 2] = spot ? 255 : 40;
      bytes[i * 4 + 3] = static_cast<std::uint8_t>(200 + (x + y) % 56);
    }
    return frame;
  }

  Frei0rModule module_;
};

TEST_F(Frei0rApi, ReportsOneParameterPerControlWithItsMapping) {
  f0r_plugin_info_t plugin{};
  module_.plugin_info(&plugin);
  EXPECT_STREQ(plugin.name, "velmora");
  EXPECT_EQ(plugin.plugin_type, F0R_PLUGIN_TYPE_FILTER);
  EXPECT_EQ(plugin.color_model, F0R_COLOR_MODEL_RGBA8888);
  EXPECT_EQ(plugin.frei0r_version, FREI0R_MAJOR_VERSION);
  ASSERT_EQ(plugin.num_params, 13);

  const struct {
    const char* name;
    int type;
    const char* mapping;  // words the explanation must hold
  } expected[] = {
      {"radius", F0R_PARAM_DOUBLE, "value x 500"},
      {"intensity", F0R_PARAM_DOUBLE, "value x 11"},
      {"mode", F0R_PARAM_DOUBLE, "screen from 0, add from 0.5"},
      {"tint", F0R_PARAM_BOOL, "on from 0.5"},
      {"tint-color", F0R_PARAM_COLOR, "0..1"},
      {"tint-mode", F0R_PARAM_DOUBLE, "3 equal steps"},
      {"unmultiply", F0R_PARAM_BOOL, "on from 0.5"},
      {"gamma", F0R_PARAM_BOOL, "on from 0.5"},
      {"repeat-edges", F0R_PARAM_BOOL, "on from 0.5"},
      // The options around the effect come last, so positional uses keep their meaning.
      {"threshold", F0R_PARAM_DOUBLE, "0..1 as it is"},
      {"softness", F0R_PARAM_DOUBLE, "0..1 as it is"},
      {"mix", F0R_PARAM_DOUBLE, "0..1 as it is"},
      {"glow-pass", F0R_PARAM_BOOL, "on from 0.5"},
  };
  for (int i = 0; i < plugin.num_params; ++i) {
    f0r_param_info_t info{};
    module_.param_info(&info, i);
    EXPECT_STREQ(info.name, expected[i].name);
    EXPECT_EQ(info.type, expected[i].type) << info.name;
    EXPECT_NE(std::string(info.explanation).find(expected[i].mapping), std::string::npos)
        << info.explanation;
  }
}

TEST_F(Frei0rApi, HoldsValuesToZeroToOneAndIgnoresNaN) {
  f0r_instance_t instance = module_.construct(16, 8);
  ASSERT_NE(instance, nullptr);
  EXPECT_DOUBLE_EQ(Number(instance, 0), 0.2);  // the effect's default radius, 100 of 500
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  const struct {
    double set, read;
  } cases[] = {{0.3, 0.3}, {-3.0, 0.0}, {7.0, 1.0}, {0.6, 0.6},
               {nan, 0.6}, {-inf, 0.0}, {inf, 1.0}};
  for (const auto& c : cases) {
    SetNumber(instance, 0, c.set);
    EXPECT_DOUBLE_EQ(Number(instance, 0), c.read) << "set " << c.set;
  }
  f0r_param_color_t color{0.25f, 0.5f, 0.75f};
  module_.set(instance, &color, 4);
  color = {2.0f, -1.0f, std::numeric_limits<float>::quiet_NaN()};
  module_.set(instance, &color, 4);
  module_.get(instance, &color, 4);
  EXPECT_FLOAT_EQ(color.r, 1.0f);
  EXPECT_FLOAT_EQ(color.g, 0.0f);
  EXPECT_FLOAT_EQ(color.b, 0.75f);

  // Indices it does not have and null records are ignored.
  SetNumber(instance, 13, 0.5);
  SetNumber(instance, -1, 0.5);
  module_.set(instance, nullptr, 0);
  module_.get(instance, nullptr, 0);
  module_.update(nullptr, 0.0, nullptr, nullptr);
  module_.destruct(instance);
}

TEST_F(Frei0rApi, RefusesSizesTheHostCannotHold) {
  for (const auto& [width, height] : {std::pair{0u, 8u}, {8u, 0u}, {30001u, 8u}}) {
    f0r_instance_t instance = module_.construct(width, height);
    EXPECT_EQ(instance, nullptr) << width << " x " << height;
    module_.destruct(instance);
  }
}

// Two instances of two sizes share the one loaded effect; frames rendered from two threads at
// once equal each instance's frame rendered alone.
TEST_F(Frei0rApi, InstancesOfTwoSizesRenderFromTwoThreads) {
  struct Case {
    int width, height;
    double radius;
    f0r_instance_t instance = nullptr;
    std::vector<std::uint32_t> input, alone;
  };
  Case cases[] = {{40, 24, 0.02, nullptr, {}, {}}, {24, 40, 0.05, nullptr, {}, {}}};
  for (Case& c : cases) {
    c.instance = module_.construct(static_cast<unsigned>(c.width), static_cast<unsigned>(c.height));
    ASSERT_NE(c.instance, nullptr);
    SetNumber(c.instance, 0, c.radius);
    c.input = Pattern(c.width, c.height);
    c.alone.resize(c.input.size());
    module_.update(c.instance, 0.0, c.input.data(), c.alone.data());
    ASSERT_NE(c.alone, c.input) << "the glow changed nothing";
  }
  std::vector<std::thread> threads;
  std::vector<int> mismatches(2, 0);
  for (int t = 0; t < 2; ++t) {
    threads.emplace_back([&, t] {
      Case& c = cases[t];
      std::vector<std::uint32_t> output(c.input.size());
      for (int frame = 0; frame < 10; ++frame) {
        module_.update(c.instance, frame / 25.0, c.input.data(), output.data());
        if (output != c.alone) ++mismatches[static_cast<std::size_t>(t)];
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(mismatches, (std::vector<int>{0, 0}));
  for (Case& c : cases) module_.destruct(c.instance);
}

// The options around the effect: a threshold above every pixel and a mix of 0 give the frame
// back; mix 1 (its default) is the effect's frame.
TEST_F(Frei0rApi, HighlightsAndMixAroundTheEffect) {
  f0r_instance_t instance = module_.construct(32, 16);
  ASSERT_NE(instance, nullptr);
  const std::vector<std::uint32_t> input = Pattern(32, 16);
  std::vector<std::uint32_t> glowed(input.size()), output(input.size());
  module_.update(instance, 0.0, input.data(), glowed.data());
  ASSERT_NE(glowed, input);
  EXPECT_DOUBLE_EQ(Number(instance, 11), 1.0);
  const struct {
    int index;
    double value;
  } back_to_input[] = {{9, 1.0}, {11, 0.0}};
  for (const auto& c : back_to_input) {
    SetNumber(instance, c.index, c.value);
    module_.update(instance, 0.0, input.data(), output.data());
    EXPECT_EQ(output, input) << "parameter " << c.index;
    SetNumber(instance, c.index, c.index == 11 ? 1.0 : 0.0);
  }
  module_.update(instance, 0.0, input.data(), output.data());
  EXPECT_EQ(output, glowed);
  // Only the spot is above 0.9: it glows, and the pass holds light.
  SetNumber(instance, 9, 0.9);
  SetNumber(instance, 12, 1.0);
  module_.update(instance, 0.0, input.data(), output.data());
  EXPECT_NE(output, input);
  module_.destruct(instance);
}

// The input and output may be one buffer.
TEST_F(Frei0rApi, RendersInPlace) {
  f0r_instance_t instance = module_.construct(32, 16);
  ASSERT_NE(instance, nullptr);
  std::vector<std::uint32_t> input = Pattern(32, 16), apart(input.size());
  module_.update(instance, 0.0, input.data(), apart.data());
  module_.update(instance, 0.0, input.data(), input.data());
  EXPECT_EQ(input, apart);
  module_.destruct(instance);
}

// A frame the effect fails on (too wide once its edges are repeated), from a tool that gave it
// no timestamp: told once, by its number.
TEST_F(Frei0rApi, AFailedFrameWithoutATimeIsToldByItsNumber) {
  constexpr int kWidth = 29984;
  f0r_instance_t instance = module_.construct(kWidth, 2);
  ASSERT_NE(instance, nullptr);
  SetNumber(instance, 0, 1.0);  // the widest radius
  SetNumber(instance, 8, 1.0);  // edges repeated
  std::vector<std::uint32_t> input = Pattern(kWidth, 2), output(input.size());
  testing::internal::CaptureStderr();
  module_.update(instance, -3.68935e+20, input.data(), output.data());
  module_.update(instance, 0.04, input.data(), output.data());
  const std::string told = testing::internal::GetCapturedStderr();
  EXPECT_EQ(output, input);
  EXPECT_EQ(told.rfind("velmora: frei0r: frame 1 (no timestamp): ", 0), 0u) << told;
  EXPECT_EQ(std::count(told.begin(), told.end(), '\n'), 1) << told;
  module_.destruct(instance);
}

}  // namespace
