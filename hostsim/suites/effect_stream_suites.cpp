// "AEGP PF Interface Suite" 1, "AEGP Stream Suite" 9 and "AEGP Effect Suite" 2, as far as an
// effect needs them to read its own parameter streams: an effect reference, a stream per
// parameter, and the stream's value at a time (keyframed colours interpolated).
#include <memory>

#include "hostsim/serve.h"
#include "hostsim/suites/suites.h"
#include "hostsim/suites/unserved.h"

namespace hostsim {

namespace {

template <class Handle>
const void* Token(Handle handle) {
  return reinterpret_cast<const void*>(handle);
}

A_Err GetNewEffectForEffect(AEGP_PluginID, PF_ProgPtr effect_ref, AEGP_EffectRefH* effect) {
  return Serve<AegpErrors>("AEGP_GetNewEffectForEffect", [&](HostServices& host) -> A_Err {
    if (!effect || !host.IsEffectRef(effect_ref)) return A_Err_PARAMETER;
    auto token = std::make_unique<char>();
    *effect = reinterpret_cast<AEGP_EffectRefH>(token.get());
    host.aegp.effects.emplace(token.get(), std::move(token));
    return A_Err_NONE;
  });
}

A_Err GetNewEffectStreamByIndex(AEGP_PluginID, AEGP_EffectRefH effect, PF_ParamIndex index,
                                AEGP_StreamRefH* stream) {
  return Serve<AegpErrors>("AEGP_GetNewEffectStreamByIndex", [&](HostServices& host) -> A_Err {
    if (!stream || !host.aegp.effects.count(Token(effect))) return A_Err_PARAMETER;
    if (index < 0 || static_cast<std::size_t>(index) >= host.params.size()) return A_Err_PARAMETER;
    auto token = std::make_unique<PF_ParamIndex>(index);
    *stream = reinterpret_cast<AEGP_StreamRefH>(token.get());
    host.aegp.streams.emplace(token.get(), std::move(token));
    return A_Err_NONE;
  });
}

// The stream's value as the host's stream value record carries it.
A_Err ValueOf(const HostServices& host, PF_ParamIndex index, double seconds, AEGP_StreamVal2* val) {
  const PF_ParamDef& def = host.params[index];
  switch (def.param_type) {
    case PF_Param_COLOR:
      val->color = host.params.ColorAt(index, seconds);
      return A_Err_NONE;
    case PF_Param_SLIDER:
      val->one_d = def.u.sd.value;
      return A_Err_NONE;
    case PF_Param_FLOAT_SLIDER:
      val->one_d = def.u.fs_d.value;
      return A_Err_NONE;
    case PF_Param_CHECKBOX:
      val->one_d = def.u.bd.value;
      return A_Err_NONE;
    case PF_Param_POPUP:
      val->one_d = def.u.pd.value;
      return A_Err_NONE;
    default:
      return A_Err_PARAMETER;
  }
}

// The simulated layer starts at composition time 0, so layer and composition time agree.
A_Err GetNewStreamValue(AEGP_PluginID, AEGP_StreamRefH stream, AEGP_LTimeMode time_mode,
                        const A_Time* time, A_Boolean, AEGP_StreamValue2* value) {
  return Serve<AegpErrors>("AEGP_GetNewStreamValue", [&](HostServices& host) -> A_Err {
    auto found = host.aegp.streams.find(Token(stream));
    if (!value || !time || found == host.aegp.streams.end()) return A_Err_PARAMETER;
    if (time_mode != AEGP_LTimeMode_LayerTime && time_mode != AEGP_LTimeMode_CompTime)
      return A_Err_PARAMETER;
    AEGP_StreamValue2 result{};
    result.streamH = stream;
    if (const A_Err err =
            ValueOf(host, *found->second, host.Seconds(time->value, time->scale), &result.val))
      return err;
    *value = result;
    ++host.aegp.values;
    return A_Err_NONE;
  });
}

A_Err DisposeStreamValue(AEGP_StreamValue2* value) {
  return ServeRelease<AegpErrors>("AEGP_DisposeStreamValue", [&](HostServices& host) -> A_Err {
    if (!value || host.aegp.values == 0) {
      ++host.aegp.bad_releases;
      return A_Err_PARAMETER;
    }
    --host.aegp.values;
    return A_Err_NONE;
  });
}

template <class Tokens>
A_Err DisposeToken(HostServices& host, Tokens& tokens, const void* token) {
  if (tokens.erase(token) == 0) {
    ++host.aegp.bad_releases;
    return A_Err_PARAMETER;
  }
  return A_Err_NONE;
}

A_Err DisposeStream(AEGP_StreamRefH stream) {
  return ServeRelease<AegpErrors>("AEGP_DisposeStream", [&](HostServices& host) {
    return DisposeToken(host, host.aegp.streams, Token(stream));
  });
}

A_Err DisposeEffect(AEGP_EffectRefH effect) {
  return ServeRelease<AegpErrors>("AEGP_DisposeEffect", [&](HostServices& host) {
    return DisposeToken(host, host.aegp.effects, Token(effect));
  });
}

constexpr A_long kUnserved = A_Err_GENERIC;

}  // namespace

void RegisterEffectStreamSuites(SuiteRegistry& registry) {
  static const AEGP_PFInterfaceSuite1 pf_interface = [] {
    AEGP_PFInterfaceSuite1 table{};
    LeaveUnserved<kUnserved>(table.AEGP_GetEffectLayer);
    table.AEGP_GetNewEffectForEffect = GetNewEffectForEffect;
    LeaveUnserved<kUnserved>(table.AEGP_ConvertEffectToCompTime);
    LeaveUnserved<kUnserved>(table.AEGP_GetEffectCamera);
    LeaveUnserved<kUnserved>(table.AEGP_GetEffectCameraMatrix);
    return table;
  }();
  static const AEGP_StreamSuite4 stream = [] {
    AEGP_StreamSuite4 table{};
    LeaveUnserved<kUnserved>(table.AEGP_IsStreamLegal);
    LeaveUnserved<kUnserved>(table.AEGP_CanVaryOverTime);
    LeaveUnserved<kUnserved>(table.AEGP_GetValidInterpolations);
    LeaveUnserved<kUnserved>(table.AEGP_GetNewLayerStream);
    LeaveUnserved<kUnserved>(table.AEGP_GetEffectNumParamStreams);
    table.AEGP_GetNewEffectStreamByIndex = GetNewEffectStreamByIndex;
    LeaveUnserved<kUnserved>(table.AEGP_GetNewMaskStream);
    table.AEGP_DisposeStream = DisposeStream;
    LeaveUnserved<kUnserved>(table.AEGP_GetStreamName);
    LeaveUnserved<kUnserved>(table.AEGP_GetStreamUnitsText);
    LeaveUnserved<kUnserved>(table.AEGP_GetStreamProperties);
    LeaveUnserved<kUnserved>(table.AEGP_IsStreamTimevarying);
    LeaveUnserved<kUnserved>(table.AEGP_GetStreamType);
    table.AEGP_GetNewStreamValue = GetNewStreamValue;
    table.AEGP_DisposeStreamValue = DisposeStreamValue;
    LeaveUnserved<kUnserved>(table.AEGP_SetStreamValue);
    LeaveUnserved<kUnserved>(table.AEGP_GetLayerStreamValue);
    LeaveUnserved<kUnserved>(table.AEGP_GetExpressionState);
    LeaveUnserved<kUnserved>(table.AEGP_SetExpressionState);
    LeaveUnserved<kUnserved>(table.AEGP_GetExpression);
    LeaveUnserved<kUnserved>(table.AEGP_SetExpression);
    LeaveUnserved<kUnserved>(table.AEGP_DuplicateStreamRef);
    return table;
  }();
  static const AEGP_EffectSuite2 effect = [] {
    AEGP_EffectSuite2 table{};
    LeaveUnserved<kUnserved>(table.AEGP_GetLayerNumEffects);
    LeaveUnserved<kUnserved>(table.AEGP_GetLayerEffectByIndex);
    LeaveUnserved<kUnserved>(table.AEGP_GetInstalledKeyFromLayerEffect);
    LeaveUnserved<kUnserved>(table.AEGP_GetEffectParamUnionByIndex);
    LeaveUnserved<kUnserved>(table.AEGP_GetEffectFlags);
    LeaveUnserved<kUnserved>(table.AEGP_SetEffectFlags);
    LeaveUnserved<kUnserved>(table.AEGP_ReorderEffect);
    LeaveUnserved<kUnserved>(table.AEGP_EffectCallGeneric);
    table.AEGP_DisposeEffect = DisposeEffect;
    LeaveUnserved<kUnserved>(table.AEGP_ApplyEffect);
    LeaveUnserved<kUnserved>(table.AEGP_DeleteLayerEffect);
    LeaveUnserved<kUnserved>(table.AEGP_GetNumInstalledEffects);
    LeaveUnserved<kUnserved>(table.AEGP_GetNextInstalledEffect);
    LeaveUnserved<kUnserved>(table.AEGP_GetEffectName);
    LeaveUnserved<kUnserved>(table.AEGP_GetEffectMatchName);
    LeaveUnserved<kUnserved>(table.AEGP_GetEffectCategory);
    LeaveUnserved<kUnserved>(table.AEGP_DuplicateEffect);
    return table;
  }();
  registry.Add(kAEGPPFInterfaceSuite, kAEGPPFInterfaceSuiteVersion1, &pf_interface);
  registry.Add(kAEGPStreamSuite, kAEGPStreamSuiteVersion4, &stream);
  registry.Add(kAEGPEffectSuite, kAEGPEffectSuiteVersion2, &effect);
}

}  // namespace hostsim
