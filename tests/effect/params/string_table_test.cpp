#include "effect/params/string_table.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "text/cp936.h"

namespace velmora {
namespace {

using text::Cp936ToUtf8;

struct Row {
  A_long index;
  const char* utf8;
};

// The labels as the effect's users read them.
constexpr Row kLabels[] = {
    {STR_NONE, ""},
    {STR_NAME, "Velmora"},
    {STR_GLOW_RADIUS, "辉光半径"},
    {STR_GLOW_INTENSITY, "辉光强度"},
    {STR_GLOW_QUALITY, "辉光质量"},
    {STR_GLOW_FALLOFF, "辉光衰减"},
    {STR_TINT_COLOR, "色调"},
    {STR_GLOW_MODE, "辉光模式"},
    {STR_GLOW_MODE_CHOICES, "屏幕|添加"},
    {STR_TINT_ENABLE, "启用色调"},
    {STR_TINT_MODE, "色调模式"},
    {STR_TINT_MODE_CHOICES, "标准|柔软|灯光混合"},
    {STR_REPEAT_EDGES, "重复边缘像素"},
    {STR_PREMULTIPLY, "Premultiply"},
    {STR_UNMULTIPLY, "不相乘(所需的文本)"},
    {STR_GAMMA, "伽马校正"},
};

TEST(StringTable, EveryLabelDecodesToItsText) {
  for (const Row& row : kLabels) {
    SCOPED_TRACE(row.index);
    EXPECT_EQ(Cp936ToUtf8(GetStringPtr(row.index)), row.utf8);
  }
}

TEST(StringTable, DescriptionOpensWithItsSentenceAndFourCreditLines) {
  const std::string description = Cp936ToUtf8(GetStringPtr(STR_DESCRIPTION));
  const std::string sentence =
      "\rVelmora是一个基于物理的辉光模拟器，模仿光物理和光的行为，与发光的方式.";
  ASSERT_EQ(description.substr(0, sentence.size()), sentence);
  std::string credits = description.substr(sentence.size());
  int lines = 0;
  for (char c : credits) lines += c == '\r';
  EXPECT_EQ(lines, 4);
  EXPECT_EQ(credits.front(), '\r');
}

TEST(StringTable, EveryLabelFitsTheHostsNameField) {
  // PF_ParamDef::name holds 31 bytes and a terminator.
  for (const Row& row : kLabels) EXPECT_LT(std::strlen(GetStringPtr(row.index)), 32u) << row.index;
}

}  // namespace
}  // namespace velmora
