// The utility callbacks of PF_InData: the fill the effect clears worlds with, the ANSI
// block, and the host's handles. The image slots the effect reaches through suites instead
// are not served here.
#include "hostsim/suites/ansi_suite.h"
#include "hostsim/suites/handle_suite.h"
#include "hostsim/suites/image_suites.h"
#include "hostsim/suites/suites.h"
#include "hostsim/suites/unserved.h"

namespace hostsim {

void FillUtilCallbacks(PF_UtilCallbacks& utils) {
  utils = PF_UtilCallbacks{};
  LeaveUnserved(utils.begin_sampling);
  LeaveUnserved(utils.subpixel_sample);
  LeaveUnserved(utils.area_sample);
  LeaveUnserved(utils.end_sampling);
  LeaveUnserved(utils.composite_rect);
  LeaveUnserved(utils.blend);
  LeaveUnserved(utils.convolve);
  LeaveUnserved(utils.copy);
  utils.fill = suites::UtilsFill;
  LeaveUnserved(utils.gaussian_kernel);
  LeaveUnserved(utils.iterate);
  LeaveUnserved(utils.premultiply);
  LeaveUnserved(utils.premultiply_color);
  LeaveUnserved(utils.new_world);
  LeaveUnserved(utils.dispose_world);
  LeaveUnserved(utils.iterate_origin);
  LeaveUnserved(utils.iterate_lut);
  LeaveUnserved(utils.transfer_rect);
  LeaveUnserved(utils.transform_world);
  utils.host_new_handle = HostNewHandle;
  utils.host_lock_handle = HostLockHandle;
  utils.host_unlock_handle = HostUnlockHandle;
  utils.host_dispose_handle = HostDisposeHandle;
  LeaveUnserved(utils.get_callback_addr);
  LeaveUnserved(utils.app);
  FillAnsiTable(utils.ansi);
  LeaveUnserved(utils.colorCB.RGBtoHLS);
  LeaveUnserved(utils.colorCB.HLStoRGB);
  LeaveUnserved(utils.colorCB.RGBtoYIQ);
  LeaveUnserved(utils.colorCB.YIQtoRGB);
  LeaveUnserved(utils.colorCB.Luminance);
  LeaveUnserved(utils.colorCB.Hue);
  LeaveUnserved(utils.colorCB.Lightness);
  LeaveUnserved(utils.colorCB.Saturation);
  LeaveUnserved(utils.get_platform_data);
  utils.host_get_handle_size = HostGetHandleSize;
  LeaveUnserved(utils.iterate_origin_non_clip_src);
  LeaveUnserved(utils.iterate_generic);
  utils.host_resize_handle = HostResizeHandle;
  LeaveUnserved(utils.subpixel_sample16);
  LeaveUnserved(utils.area_sample16);
  LeaveUnserved(utils.fill16);
  LeaveUnserved(utils.premultiply_color16);
  LeaveUnserved(utils.iterate16);
  LeaveUnserved(utils.iterate_origin16);
  LeaveUnserved(utils.iterate_origin_non_clip_src16);
  LeaveUnserved(utils.get_pixel_data8);
  LeaveUnserved(utils.get_pixel_data16);
}

}  // namespace hostsim
