// The frei0r functions the video tools call. Nothing thrown may cross into the host
// application, so each catches everything; what cannot be answered is said on stderr.

#include <cstdio>
#include <exception>
#include <string>

#include "frei0r/control_table.h"
#include "frei0r/frei0r_api.h"
#include "frei0r/glow_instance.h"
#include "frei0r/loaded_effect.h"
#include "frei0r/value_mapping.h"

namespace {

using frei0r_glow::ControlKind;
using frei0r_glow::Controls;
using frei0r_glow::kControlCount;

// A tool that calls f0r_init and then f0r_construct meets a missing effect module twice; the
// reason is said once.
void Say(const std::string& what) noexcept {
  try {
    static auto* last_said = new std::string();
    const std::lock_guard lock(frei0r_glow::EffectLock());
    if (what == *last_said) return;
    *last_said = what;
  } catch (...) {
  }
  std::fprintf(stderr, "velmora: frei0r: %s\n", what.c_str());
}

// The loaded effect held from f0r_init to f0r_deinit, so instances made one after another
// reuse it; never destroyed at exit (see AcquireEffect).
std::shared_ptr<velmora::engine::EffectSession>& InitHold() {
  static auto* hold = new std::shared_ptr<velmora::engine::EffectSession>();
  return *hold;
}

// Each parameter's explanation, made once from the effect's declarations; they must outlive
// every call, as hosts keep the pointers.
const char* ExplanationOf(int index) {
  static auto* texts = new std::array<std::string, kControlCount>();
  std::string& text = (*texts)[static_cast<std::size_t>(index)];
  if (text.empty()) {
    const frei0r_glow::Control& control = Controls()[static_cast<std::size_t>(index)];
    try {
      const std::lock_guard lock(frei0r_glow::EffectLock());
      text = frei0r_glow::Explanation(control, frei0r_glow::AcquireEffect()->declared());
    } catch (const std::exception& error) {
      Say(error.what());
      return control.help.data();
    }
  }
  return text.c_str();
}

int ParamType(ControlKind kind) {
  switch (kind) {
    case ControlKind::kSwitch:
      return F0R_PARAM_BOOL;
    case ControlKind::kColor:
      return F0R_PARAM_COLOR;
    case ControlKind::kWholeNumber:
    case ControlKind::kNumber:
    case ControlKind::kChoice:
      return F0R_PARAM_DOUBLE;
  }
  return F0R_PARAM_DOUBLE;
}

}  // namespace

extern "C" {

int f0r_init(void) {
  try {
    const std::lock_guard lock(frei0r_glow::EffectLock());
    InitHold() = frei0r_glow::AcquireEffect();
    return 1;
  } catch (const std::exception& error) {
    Say(error.what());
  } catch (...) {
    Say("cannot load the effect");
  }
  return 0;
}

void f0r_deinit(void) {
  try {
    const std::lock_guard lock(frei0r_glow::EffectLock());
    InitHold().reset();
  } catch (...) {
    Say("the effect did not unload cleanly");
  }
}

void f0r_get_plugin_info(f0r_plugin_info_t* info) {
  if (!info) return;
  info->name = "velmora";
  info->author = "Velmora";
  info->plugin_type = F0R_PLUGIN_TYPE_FILTER;
  info->color_model = F0R_COLOR_MODEL_RGBA8888;
  info->frei0r_version = FREI0R_MAJOR_VERSION;
  info->major_version = VELMORA_FREI0R_MAJOR;
  info->minor_version = VELMORA_FREI0R_MINOR;
  info->num_params = frei0r_glow::kParamCount;
  info->explanation = "Multi-level glow, rendered by the Velmora effect at 8 bits";
}

void f0r_get_param_info(f0r_param_info_t* info, int param_index) {
  if (info && param_index >= kControlCount && param_index < frei0r_glow::kParamCount) {
    const frei0r_glow::CompParam& comp = frei0r_glow::kCompParams[param_index - kControlCount];
    info->name = comp.name;
    info->type = comp.is_switch ? F0R_PARAM_BOOL : F0R_PARAM_DOUBLE;
    info->explanation = comp.explanation;
    return;
  }
  if (!info || param_index < 0 || param_index >= kControlCount) return;
  const frei0r_glow::Control& control = Controls()[static_cast<std::size_t>(param_index)];
  info->name = control.name.data();
  info->type = ParamType(control.kind);
  info->explanation = ExplanationOf(param_index);
}

f0r_instance_t f0r_construct(unsigned int width, unsigned int height) {
  try {
    return new frei0r_glow::GlowInstance(width, height);
  } catch (const std::exception& error) {
    Say(error.what());
  } catch (...) {
    Say("cannot make an instance");
  }
  return nullptr;
}

void f0r_destruct(f0r_instance_t instance) {
  try {
    delete static_cast<frei0r_glow::GlowInstance*>(instance);
  } catch (...) {
    Say("the effect did not unload cleanly");
  }
}

void f0r_set_param_value(f0r_instance_t instance, f0r_param_t param, int param_index) {
  if (!instance) return;
  static_cast<frei0r_glow::GlowInstance*>(instance)->SetParam(param_index, param);
}

void f0r_get_param_value(f0r_instance_t instance, f0r_param_t param, int param_index) {
  if (!instance) return;
  static_cast<const frei0r_glow::GlowInstance*>(instance)->GetParam(param_index, param);
}

void f0r_update(f0r_instance_t instance, double time, const uint32_t* inframe, uint32_t* outframe) {
  if (!instance) return;
  try {
    static_cast<frei0r_glow::GlowInstance*>(instance)->Update(time, inframe, outframe);
  } catch (...) {
    Say("a frame failed and was left as it is");
  }
}

}  // extern "C"
