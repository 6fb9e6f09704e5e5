// The interaction callbacks of PF_InData: parameters, interruption and progress.
#include "hostsim/serve.h"
#include "hostsim/suites/suites.h"
#include "hostsim/suites/unserved.h"

namespace hostsim {

namespace {

PF_Err CheckoutParam(PF_ProgPtr effect_ref, PF_ParamIndex index, A_long what_time,
                     A_long /*time_step*/, A_u_long time_scale, PF_ParamDef* param) {
  return Serve("checkout_param", [&](HostServices& host) -> PF_Err {
    if (!host.IsEffectRef(effect_ref)) return PF_Err_BAD_CALLBACK_PARAM;
    return host.params.Checkout(index, host.Seconds(what_time, time_scale), param);
  });
}

PF_Err CheckinParam(PF_ProgPtr effect_ref, PF_ParamDef* param) {
  return ServeRelease("checkin_param", [&](HostServices& host) -> PF_Err {
    const PF_Err err = host.params.Checkin(param);
    return host.IsEffectRef(effect_ref) ? err : PF_Err_BAD_CALLBACK_PARAM;
  });
}

// Parameters can be added only while the host is setting them up.
PF_Err AddParam(PF_ProgPtr effect_ref, PF_ParamIndex index, PF_ParamDef* def) {
  return Serve("add_param", [&](HostServices& host) -> PF_Err {
    if (!host.IsEffectRef(effect_ref) || !def) return PF_Err_BAD_CALLBACK_PARAM;
    if (host.command != PF_Cmd_PARAMS_SETUP) return PF_Err_BAD_CALLBACK_PARAM;
    return host.params.Add(index, *def);
  });
}

// Once the user has interrupted, every later poll of the command says so.
PF_Err Abort(PF_ProgPtr effect_ref) {
  return Serve("abort", [&](HostServices& host) -> PF_Err {
    if (!host.IsEffectRef(effect_ref)) return PF_Err_BAD_CALLBACK_PARAM;
    if (const PF_Err err = host.faults.CountPoll()) {
      PF_Err none = PF_Err_NONE;
      host.interrupted.compare_exchange_strong(none, err);
    }
    return host.interrupted.load();
  });
}

PF_Err Progress(PF_ProgPtr effect_ref, A_long current, A_long total) {
  return Serve("progress", [&](HostServices& host) -> PF_Err {
    if (!host.IsEffectRef(effect_ref)) return PF_Err_BAD_CALLBACK_PARAM;
    host.progress_current = current;
    host.progress_total = total;
    return host.interrupted.load();
  });
}

}  // namespace

PF_InteractCallbacks MakeInteractCallbacks() {
  PF_InteractCallbacks inter{};
  inter.checkout_param = CheckoutParam;
  inter.checkin_param = CheckinParam;
  inter.add_param = AddParam;
  inter.abort = Abort;
  inter.progress = Progress;
  LeaveUnserved(inter.register_ui);
  LeaveUnserved(inter.checkout_layer_audio);
  LeaveUnserved(inter.checkin_layer_audio);
  LeaveUnserved(inter.get_audio_data);
  return inter;
}

}  // namespace hostsim
