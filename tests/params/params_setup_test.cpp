// The nine controls as the host receives them from PF_Cmd_PARAMS_SETUP.
#include <gtest/gtest.h>

#include <bit>
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

TEST_F(ParamsSetupTest, RangesDefaultsAndChoices) {
  ASSERT_EQ(host.ParamsSetup(), PF_Err_NONE);
  const auto& declared = host.params().declared();
  ASSERT_EQ(declared.size(), 9u);

  const PF_SliderDef& radius = declared[0].u.sd;
  EXPECT_EQ(radius.valid_min, 0);
  EXPECT_EQ(radius.valid_max, 500);
  EXPECT_EQ(radius.slider_min, 0);
  EXPECT_EQ(radius.slider_max, 500);
  EXPECT_EQ(radius.value, 100);
  EXPECT_EQ(radius.dephault, 100);
  EXPECT_STREQ(radius.value_str, "");
  EXPECT_STREQ(radius.value_desc, "");

  const PF_FloatSliderDef& intensity = declared[1].u.fs_d;
  EXPECT_EQ(intensity.valid_min, 0.0f);
  EXPECT_EQ(intensity.valid_max, 11.0f);
  EXPECT_EQ(intensity.slider_min, 0.0f);
  EXPECT_EQ(intensity.slider_max, 11.0f);
  EXPECT_EQ(intensity.value, 1.0);
  EXPECT_EQ(intensity.dephault, 1.0f);
  EXPECT_EQ(intensity.precision, 2);
  EXPECT_EQ(intensity.display_flags, PF_ValueDisplayFlag_NONE);
  EXPECT_EQ(intensity.fs_flags, 0u);
  EXPECT_EQ(std::bit_cast<std::uint32_t>(intensity.curve_tolerance), 0x3D4CCCCDu);
  EXPECT_EQ(intensity.phase, 0.0);

  struct Popup {
    std::size_t at;
    A_short choices;
    const char* names;
  };
  for (const Popup& popup : {Popup{2, 2, "屏幕|添加"}, Popup{5, 3, "标准|柔软|灯光混合"}}) {
    const PF_PopupDef& pd = declared[popup.at].u.pd;
    EXPECT_EQ(pd.num_choices, popup.choices);
    EXPECT_EQ(pd.value, 1);
    EXPECT_EQ(pd.dephault, 1);
    EXPECT_EQ(Cp936ToUtf8(pd.u.namesptr), popup.names);
  }

  const PF_ColorDef& tint = declared[4].u.cd;
  for (const PF_Pixel& red : {tint.value, tint.dephault}) {
    EXPECT_EQ(red.alpha, 255);
    EXPECT_EQ(red.red, 255);
    EXPECT_EQ(red.green, 0);
    EXPECT_EQ(red.blue, 0);
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
