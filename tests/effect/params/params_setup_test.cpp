// The nine controls as the host receives them from PF_Cmd_PARAMS_SETUP.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "tests/support/host_fixture.h"
#include "text/cp936.h"

namespace {

using text::Cp936ToUtf8;

class ParamsSetupTest : public HostTest {
 protected:
  void SetUp() override { ASSERT_EQ(host.GlobalSetup(), PF_Err_NONE); }
};

TEST_F(ParamsSetupTest, DeclaresNineControlsInOrder) {
  host.out_data().num_params = 0;
  ASSERT_EQ(host.ParamsSetup(), PF_Err_NONE);
  EXPECT_EQ(host.out_data().num_params, 10);

  struct Expected {
    PF_ParamType type;
    PF_ParamFlags flags;
    const char* label;
  };
  const Expected expected[] = {
      {PF_Param_SLIDER, PF_ParamFlag_SUPERVISE, "辉光半径"},
      {PF_Param_FLOAT_SLIDER, PF_ParamFlag_SUPERVISE, "辉光强度"},
      {PF_Param_POPUP, PF_ParamFlag_SUPERVISE, "辉光模式"},
      {PF_Param_CHECKBOX, 0, "启用色调"},
      {PF_Param_COLOR, PF_ParamFlag_SUPERVISE, "色调"},
      {PF_Param_POPUP, PF_ParamFlag_SUPERVISE, "色调模式"},
      {PF_Param_CHECKBOX, 0, "不相乘(所需的文本)"},
      {PF_Param_CHECKBOX, 0, "伽马校正"},
      {PF_Param_CHECKBOX, 0, "重复边缘像素"},
  };
  const auto& declared = host.params().declared();
  ASSERT_EQ(declared.size(), std::size(expected));
  for (std::size_t i = 0; i < declared.size(); ++i) {
    SCOPED_TRACE(i + 1);
    const PF_ParamDef& def = declared[i];
    EXPECT_EQ(def.uu.id, static_cast<A_long>(i + 1));
    EXPECT_EQ(def.param_type, expected[i].type);
    EXPECT_EQ(def.flags, expected[i].flags);
    EXPECT_EQ(Cp936ToUtf8(def.name), expected[i].label);
    EXPECT_EQ(def.ui_flags, 0);
    EXPECT_EQ(def.ui_width, 0);
    EXPECT_EQ(def.ui_height, 0);
    if (def.param_type == PF_Param_CHECKBOX) {
      EXPECT_EQ(def.u.bd.value, 0);
      EXPECT_EQ(def.u.bd.dephault, 0);
      ASSERT_NE(def.u.bd.u.nameptr, nullptr);
      EXPECT_STREQ(def.u.bd.u.nameptr, "");
    }
  }
}

// The ranges and defaults users are promised (README, velmora info), and what makes them
// usable: each control starts at its default, the default lies in the valid range, the slider
// shows no more than the valid range, and a popup names exactly its choices and starts on one.
TEST_F(ParamsSetupTest, RangesDefaultsAndChoices) {
  ASSERT_EQ(host.ParamsSetup(), PF_Err_NONE);
  const auto& declared = host.params().declared();
  ASSERT_EQ(declared.size(), 9u);

  struct Range {
    double valid_min, valid_max, slider_min, slider_max, value, dephault;
  };
  const PF_SliderDef& radius_def = declared[0].u.sd;
  const PF_FloatSliderDef& intensity_def = declared[1].u.fs_d;
  const struct {
    const char* name;
    Range range;
    double promised_min, promised_max, promised_default;
  } sliders[] = {
      {"radius",
       {static_cast<double>(radius_def.valid_min), static_cast<double>(radius_def.valid_max),
        static_cast<double>(radius_def.slider_min), static_cast<double>(radius_def.slider_max),
        static_cast<double>(radius_def.value), static_cast<double>(radius_def.dephault)},
       0,
       500,
       100},
      {"intensity",
       {intensity_def.valid_min, intensity_def.valid_max, intensity_def.slider_min,
        intensity_def.slider_max, intensity_def.value, intensity_def.dephault},
       0,
       11,
       1},
  };
  for (const auto& slider : sliders) {
    SCOPED_TRACE(slider.name);
    const Range& r = slider.range;
    EXPECT_EQ(r.valid_min, slider.promised_min);
    EXPECT_EQ(r.valid_max, slider.promised_max);
    EXPECT_EQ(r.dephault, slider.promised_default);
    EXPECT_EQ(r.value, r.dephault);
    EXPECT_LE(r.valid_min, r.slider_min);
    EXPECT_LE(r.slider_min, r.dephault);
    EXPECT_LE(r.dephault, r.slider_max);
    EXPECT_LE(r.slider_max, r.valid_max);
  }

  const struct {
    std::size_t at;
    const char* names;
  } popups[] = {{2, "屏幕|添加"}, {5, "标准|柔软|灯光混合"}};
  for (const auto& popup : popups) {
    SCOPED_TRACE(popup.names);
    const PF_PopupDef& pd = declared[popup.at].u.pd;
    const std::string names = Cp936ToUtf8(pd.u.namesptr);
    EXPECT_EQ(names, popup.names);
    EXPECT_EQ(pd.num_choices, std::count(names.begin(), names.end(), '|') + 1);
    EXPECT_EQ(pd.value, pd.dephault);
    EXPECT_EQ(pd.dephault, 1);  // the first choice: Screen, Standard
  }

  const PF_ColorDef& tint = declared[4].u.cd;
  for (const PF_Pixel& colour : {tint.value, tint.dephault}) {
    EXPECT_EQ(colour.alpha, 255);  // opaque red
    EXPECT_EQ(colour.red, 255);
    EXPECT_EQ(colour.green, 0);
    EXPECT_EQ(colour.blue, 0);
  }
}

TEST_F(ParamsSetupTest, RefusedThirdControlStopsTheDeclarations) {
  host.out_data().num_params = 77;
  host.faults().FailOperation("add_param", 3, PF_Err_INTERNAL_STRUCT_DAMAGED);
  EXPECT_EQ(host.ParamsSetup(), PF_Err_INTERNAL_STRUCT_DAMAGED);
  EXPECT_EQ(host.params().declared().size(), 2u);  // nothing tried after the refusal
  EXPECT_EQ(host.out_data().num_params, 77);
}

}  // namespace
