// "PF Iterate8 Suite" 1, "PF iterate16 Suite" 1 and "PF iterateFloat Suite" 1: iterate is
// offered at each depth; the origin, LUT and generic variants are not.

#include "hostsim/image/image_suites.h"
#include "hostsim/image/iterate.h"
#include "hostsim/serve.h"

namespace hostsim::image {
namespace {

template <class Pixel>
struct IterateOp;
template <>
struct IterateOp<PF_Pixel> {
  static constexpr const char* kName = "iterate8";
};
template <>
struct IterateOp<PF_Pixel16> {
  static constexpr const char* kName = "iterate16";
};
template <>
struct IterateOp<PF_PixelFloat> {
  static constexpr const char* kName = "iterateFloat";
};

template <class Pixel>
PF_Err IterateSlot(PF_InData*, A_long progress_base, A_long progress_final, PF_EffectWorld* src,
                   const PF_Rect* area, void* refcon, PixelFunction<Pixel> function,
                   PF_EffectWorld* dst) {
  return Serve(
      IterateOp<Pixel>::kName,
      [&](HostCall& call) {
        call.src_world = WorldStore::Of(src);
        call.dst_world = WorldStore::Of(dst);
        if (area != nullptr) call.dst_rect = *area;
        call.pixel_function = reinterpret_cast<const void*>(function);
      },
      [&]() -> PF_Err {
        const World* source = WorldStore::Of(src);
        const World* destination = WorldStore::Of(dst);
        if (destination == nullptr || (src != nullptr && source == nullptr)) {
          return PF_Err_BAD_CALLBACK_PARAM;
        }
        return Iterate<Pixel>(source, *destination, area, refcon, function, progress_base,
                              progress_final);
      });
}

template <class Pixel>
PF_Err IterateOrigin(PF_InData*, A_long, A_long, PF_EffectWorld*, const PF_Rect*, const PF_Point*,
                     void*, PixelFunction<Pixel>, PF_EffectWorld*) {
  return NotOffered();
}

PF_Err IterateLut(PF_InData*, A_long, A_long, PF_EffectWorld*, const PF_Rect*, A_u_char*, A_u_char*,
                  A_u_char*, A_u_char*, PF_EffectWorld*) {
  return NotOffered();
}

PF_Err IterateGeneric(A_long, void*, PF_Err (*)(void*, A_long, A_long, A_long)) {
  return NotOffered();
}

const PF_Iterate8Suite1 kIterate8Suite1 = {
    .iterate = IterateSlot<PF_Pixel>,
    .iterate_origin = IterateOrigin<PF_Pixel>,
    .iterate_lut = IterateLut,
    .iterate_origin_non_clip_src = IterateOrigin<PF_Pixel>,
    .iterate_generic = IterateGeneric,
};

const PF_Iterate16Suite1 kIterate16Suite1 = {
    .iterate = IterateSlot<PF_Pixel16>,
    .iterate_origin = IterateOrigin<PF_Pixel16>,
    .iterate_origin_non_clip_src = IterateOrigin<PF_Pixel16>,
};

const PF_IterateFloatSuite1 kIterateFloatSuite1 = {
    .iterate = IterateSlot<PF_PixelFloat>,
    .iterate_origin = IterateOrigin<PF_PixelFloat>,
    .iterate_origin_non_clip_src = IterateOrigin<PF_PixelFloat>,
};

}  // namespace

const PF_Iterate8Suite1& Iterate8Suite1() {
  return kIterate8Suite1;
}
const PF_Iterate16Suite1& Iterate16Suite1() {
  return kIterate16Suite1;
}
const PF_IterateFloatSuite1& IterateFloatSuite1() {
  return kIterateFloatSuite1;
}

}  // namespace hostsim::image
