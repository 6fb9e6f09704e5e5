// "PF Iterate8 Suite" 1, "PF iterate16 Suite" 1 and "PF iterateFloat Suite" 1: iterate is
// offered at each depth; the origin, LUT and generic variants are not.

#include "hostsim/image/iterate.h"
#include "hostsim/serve.h"
#include "hostsim/suites/image_suites.h"
#include "hostsim/suites/unserved.h"

namespace hostsim::suites {
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
                   const PF_Rect* area, void* refcon, image::PixelFunction<Pixel> function,
                   PF_EffectWorld* dst) {
  return Serve(
      IterateOp<Pixel>::kName,
      [&](HostCall& call) {
        call.src_world = WorldStore::Of(src);
        call.dst_world = WorldStore::Of(dst);
        if (area != nullptr) call.dst_rect = *area;
        call.pixel_function = reinterpret_cast<const void*>(function);
      },
      [&](HostServices& host) -> PF_Err {
        const World* source = WorldStore::Of(src);
        const World* destination = WorldStore::Of(dst);
        if (destination == nullptr || (src != nullptr && source == nullptr)) {
          return PF_Err_BAD_CALLBACK_PARAM;
        }
        const image::IterateHooks hooks{
            [&host] { return PollAbort(host); },
            [&host](A_long current, A_long total) { ReportProgress(host, current, total); }};
        return image::Iterate<Pixel>(source, *destination, area, refcon, function, progress_base,
                                     progress_final, hooks);
      });
}

const PF_Iterate8Suite1 kIterate8Suite1 = [] {
  PF_Iterate8Suite1 table{};
  table.iterate = IterateSlot<PF_Pixel>;
  LeaveUnserved<kNotOffered>(table.iterate_origin);
  LeaveUnserved<kNotOffered>(table.iterate_lut);
  LeaveUnserved<kNotOffered>(table.iterate_origin_non_clip_src);
  LeaveUnserved<kNotOffered>(table.iterate_generic);
  return table;
}();

const PF_Iterate16Suite1 kIterate16Suite1 = [] {
  PF_Iterate16Suite1 table{};
  table.iterate = IterateSlot<PF_Pixel16>;
  LeaveUnserved<kNotOffered>(table.iterate_origin);
  LeaveUnserved<kNotOffered>(table.iterate_origin_non_clip_src);
  return table;
}();

const PF_IterateFloatSuite1 kIterateFloatSuite1 = [] {
  PF_IterateFloatSuite1 table{};
  table.iterate = IterateSlot<PF_PixelFloat>;
  LeaveUnserved<kNotOffered>(table.iterate_origin);
  LeaveUnserved<kNotOffered>(table.iterate_origin_non_clip_src);
  return table;
}();

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

}  // namespace hostsim::suites
