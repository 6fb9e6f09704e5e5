// "PF World Transform Suite" 1: copy, copy_hq and transfer_rect. The other slots are not
// offered by this host and say so with an error.

#include <optional>

#include "hostsim/image/copy_rect.h"
#include "hostsim/image/transfer_rect.h"
#include "hostsim/serve.h"
#include "hostsim/suites/image_suites.h"
#include "hostsim/suites/unserved.h"

namespace hostsim::suites {
namespace {

std::optional<PF_Rect> RectOf(const PF_Rect* rect) {
  return rect != nullptr ? std::optional<PF_Rect>(*rect) : std::nullopt;
}

PF_Err CopyWith(image::Sampling sampling, const char* op, PF_EffectWorld* src, PF_EffectWorld* dst,
                PF_Rect* src_rect, PF_Rect* dst_rect) {
  return Serve(
      op,
      [&](HostCall& call) {
        call.src_world = WorldStore::Of(src);
        call.dst_world = WorldStore::Of(dst);
        call.src_rect = RectOf(src_rect);
        call.dst_rect = RectOf(dst_rect);
      },
      [&](HostServices&) -> PF_Err {
        const World* source = WorldStore::Of(src);
        const World* destination = WorldStore::Of(dst);
        if (source == nullptr || destination == nullptr) return PF_Err_BAD_CALLBACK_PARAM;
        return image::CopyRect(*source, *destination, src_rect, dst_rect, sampling);
      });
}

PF_Err Copy(PF_ProgPtr, PF_EffectWorld* src, PF_EffectWorld* dst, PF_Rect* src_rect,
            PF_Rect* dst_rect) {
  return CopyWith(image::Sampling::kNearest, "copy", src, dst, src_rect, dst_rect);
}

PF_Err CopyHq(PF_ProgPtr, PF_EffectWorld* src, PF_EffectWorld* dst, PF_Rect* src_rect,
              PF_Rect* dst_rect) {
  return CopyWith(image::Sampling::kBilinear, "copy_hq", src, dst, src_rect, dst_rect);
}

// Quality and field do not change the result here: placement is whole-pixel and frames are
// rendered whole.
PF_Err Transfer(PF_ProgPtr, PF_Quality quality, PF_ModeFlags flags, PF_Field field,
                const PF_Rect* src_rect, const PF_EffectWorld* src,
                const PF_CompositeMode* comp_mode, const PF_MaskWorld* mask, A_long dest_x,
                A_long dest_y, PF_EffectWorld* dst) {
  return Serve(
      "transfer_rect",
      [&](HostCall& call) {
        call.src_world = WorldStore::Of(src);
        call.dst_world = WorldStore::Of(dst);
        call.src_rect = RectOf(src_rect);
        call.dest_x = dest_x;
        call.dest_y = dest_y;
        if (comp_mode != nullptr) call.comp_mode = *comp_mode;
        call.quality = quality;
        call.mode_flags = flags;
        call.field = field;
      },
      [&](HostServices&) -> PF_Err {
        const World* source = WorldStore::Of(src);
        const World* destination = WorldStore::Of(dst);
        // Masks are not offered: an error rather than an unmasked image.
        if (source == nullptr || destination == nullptr || comp_mode == nullptr ||
            mask != nullptr) {
          return PF_Err_BAD_CALLBACK_PARAM;
        }
        return image::TransferRect(*source, *destination, src_rect, *comp_mode, flags, dest_x,
                                   dest_y);
      });
}

const PF_WorldTransformSuite1 kWorldTransformSuite1 = [] {
  PF_WorldTransformSuite1 table{};
  LeaveUnserved<kNotOffered>(table.composite_rect);
  LeaveUnserved<kNotOffered>(table.blend);
  LeaveUnserved<kNotOffered>(table.convolve);
  table.copy = Copy;
  table.copy_hq = CopyHq;
  table.transfer_rect = Transfer;
  LeaveUnserved<kNotOffered>(table.transform_world);
  return table;
}();

}  // namespace

const PF_WorldTransformSuite1& WorldTransformSuite1() {
  return kWorldTransformSuite1;
}

}  // namespace hostsim::suites
