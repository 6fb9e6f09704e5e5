// "PF Fill Matte Suite" 2 (fill, fill16, fill_float, premultiply) and the utility callback
// fill, all served by one fill. A colour of any depth may fill a world of any depth: it is
// converted through its normalised value.

#include <optional>

#include "hostsim/image/fill_rect.h"
#include "hostsim/serve.h"
#include "hostsim/suites/image_suites.h"
#include "hostsim/suites/unserved.h"

namespace hostsim::suites {
namespace {

// Every fill the effect can ask for. The utility callback also checks the effect's reference.
template <class Pixel>
PF_Err FillWith(const char* op, const Pixel* color, const PF_Rect* rect, PF_EffectWorld* world,
                std::optional<PF_ProgPtr> effect_ref = std::nullopt) {
  return Serve(
      op,
      [&](HostCall& call) {
        call.dst_world = WorldStore::Of(world);
        if (rect != nullptr) call.dst_rect = *rect;
        if (color != nullptr) {
          call.color = PF_PixelFloat{
              static_cast<PF_FpShort>(color->alpha), static_cast<PF_FpShort>(color->red),
              static_cast<PF_FpShort>(color->green), static_cast<PF_FpShort>(color->blue)};
        }
      },
      [&](HostServices& host) -> PF_Err {
        if (effect_ref && !host.IsEffectRef(*effect_ref)) return PF_Err_BAD_CALLBACK_PARAM;
        const World* target = WorldStore::Of(world);
        if (target == nullptr) return PF_Err_BAD_CALLBACK_PARAM;
        if (color == nullptr) return image::FillRect(*target, nullptr, rect);
        const float scale = 1.0f / TraitsOf<Pixel>::kFullScale;
        const PF_PixelFloat normalized{color->alpha * scale, color->red * scale,
                                       color->green * scale, color->blue * scale};
        return image::FillRect(*target, &normalized, rect);
      });
}

PF_Err Fill(PF_ProgPtr, const PF_Pixel* color, const PF_Rect* rect, PF_EffectWorld* world) {
  return FillWith("fill", color, rect, world);
}
PF_Err Fill16(PF_ProgPtr, const PF_Pixel16* color, const PF_Rect* rect, PF_EffectWorld* world) {
  return FillWith("fill16", color, rect, world);
}
PF_Err FillFloat(PF_ProgPtr, const PF_PixelFloat* color, const PF_Rect* rect,
                 PF_EffectWorld* world) {
  return FillWith("fill_float", color, rect, world);
}

PF_Err PremultiplySlot(PF_ProgPtr, A_long forward, PF_EffectWorld* world) {
  return Serve(
      "premultiply", [&](HostCall& call) { call.dst_world = WorldStore::Of(world); },
      [&](HostServices&) -> PF_Err {
        const World* target = WorldStore::Of(world);
        if (target == nullptr) return PF_Err_BAD_CALLBACK_PARAM;
        return image::Premultiply(*target, forward != 0);
      });
}

const PF_FillMatteSuite2 kFillMatteSuite2 = [] {
  PF_FillMatteSuite2 table{};
  table.fill = Fill;
  table.fill16 = Fill16;
  table.fill_float = FillFloat;
  table.premultiply = PremultiplySlot;
  LeaveUnserved<kNotOffered>(table.premultiply_color);
  LeaveUnserved<kNotOffered>(table.premultiply_color16);
  LeaveUnserved<kNotOffered>(table.premultiply_color_float);
  return table;
}();

}  // namespace

const PF_FillMatteSuite2& FillMatteSuite2() {
  return kFillMatteSuite2;
}

PF_Err UtilsFill(PF_ProgPtr effect_ref, const PF_Pixel* color, const PF_Rect* rect,
                 PF_EffectWorld* world) {
  return FillWith("utils_fill", color, rect, world, effect_ref);
}

}  // namespace hostsim::suites
