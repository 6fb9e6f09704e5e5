// "PF Fill Matte Suite" 2 (fill, fill16, fill_float, premultiply) and the utility callback
// fill. A colour of any depth may fill a world of any depth: it is converted through its
// normalised value.

#include "hostsim/image/fill_rect.h"
#include "hostsim/image/image_suites.h"
#include "hostsim/image_services.h"
#include "hostsim/serve.h"

namespace hostsim::image {
namespace {

template <class Pixel>
PF_Err FillWith(const char* op, const Pixel* color, float full_scale, const PF_Rect* rect,
                PF_EffectWorld* world) {
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
      [&]() -> PF_Err {
        const World* target = WorldStore::Of(world);
        if (target == nullptr) return PF_Err_BAD_CALLBACK_PARAM;
        if (color == nullptr) return FillRect(*target, nullptr, rect);
        const float scale = 1.0f / full_scale;
        const PF_PixelFloat normalized{color->alpha * scale, color->red * scale,
                                       color->green * scale, color->blue * scale};
        return FillRect(*target, &normalized, rect);
      });
}

PF_Err Fill(PF_ProgPtr, const PF_Pixel* color, const PF_Rect* rect, PF_EffectWorld* world) {
  return FillWith("fill", color, 255.0f, rect, world);
}
PF_Err Fill16(PF_ProgPtr, const PF_Pixel16* color, const PF_Rect* rect, PF_EffectWorld* world) {
  return FillWith("fill16", color, 32768.0f, rect, world);
}
PF_Err FillFloat(PF_ProgPtr, const PF_PixelFloat* color, const PF_Rect* rect,
                 PF_EffectWorld* world) {
  return FillWith("fill_float", color, 1.0f, rect, world);
}

PF_Err PremultiplySlot(PF_ProgPtr, A_long forward, PF_EffectWorld* world) {
  return Serve(
      "premultiply", [&](HostCall& call) { call.dst_world = WorldStore::Of(world); },
      [&]() -> PF_Err {
        const World* target = WorldStore::Of(world);
        if (target == nullptr) return PF_Err_BAD_CALLBACK_PARAM;
        return Premultiply(*target, forward != 0);
      });
}

PF_Err PremultiplyColor(PF_ProgPtr, PF_EffectWorld*, const PF_Pixel*, A_long, PF_EffectWorld*) {
  return NotOffered();
}
PF_Err PremultiplyColor16(PF_ProgPtr, PF_EffectWorld*, const PF_Pixel16*, A_long, PF_EffectWorld*) {
  return NotOffered();
}
PF_Err PremultiplyColorFloat(PF_ProgPtr, PF_EffectWorld*, const PF_PixelFloat*, A_long,
                             PF_EffectWorld*) {
  return NotOffered();
}

const PF_FillMatteSuite2 kFillMatteSuite2 = {
    .fill = Fill,
    .fill16 = Fill16,
    .fill_float = FillFloat,
    .premultiply = PremultiplySlot,
    .premultiply_color = PremultiplyColor,
    .premultiply_color16 = PremultiplyColor16,
    .premultiply_color_float = PremultiplyColorFloat,
};

}  // namespace

const PF_FillMatteSuite2& FillMatteSuite2() {
  return kFillMatteSuite2;
}

}  // namespace hostsim::image

namespace hostsim {

// The utility callback's fill; its caller has already counted and journalled the call.
PF_Err FillWorld8(const PF_Pixel* color, const PF_Rect* rect, PF_EffectWorld* world) {
  try {
    const World* target = WorldStore::Of(world);
    if (target == nullptr) return PF_Err_BAD_CALLBACK_PARAM;
    if (color == nullptr) return image::FillRect(*target, nullptr, rect);
    const PF_PixelFloat normalized{color->alpha / 255.0f, color->red / 255.0f,
                                   color->green / 255.0f, color->blue / 255.0f};
    return image::FillRect(*target, &normalized, rect);
  } catch (...) {
    return PF_Err_INTERNAL_STRUCT_DAMAGED;
  }
}

}  // namespace hostsim
