#pragma once
// The simulated host's state behind every suite and callback. Suites carry no context, so
// each service reaches it through Serve (serve.h), which finds the state of the one current
// Host with CurrentServices().

#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "hostapi/host_api.h"
#include "hostsim/faults.h"
#include "hostsim/handle_store.h"
#include "hostsim/host_call.h"
#include "hostsim/layer_checkout.h"
#include "hostsim/param_store.h"
#include "hostsim/suite_registry.h"
#include "hostsim/world_store.h"

namespace hostsim {

// The frame a SmartFX command works on.
struct FrameState {
  PF_EffectWorld input{};  // the description checkout_layer_pixels hands out (null data: none)
  bool has_input = false;
  PF_Rect input_extent{};                  // the input placed at its origin, in layer coordinates
  A_long full_width = 0, full_height = 0;  // the layer at full resolution
  World* output = nullptr;
  std::set<A_long> requested_ids;    // checked out during the pre-render
  std::multiset<A_long> pixels_out;  // checkout_layer_pixels not yet checked in
};

// AEGP references the effect holds: effect refs, streams, and stream values.
// Each reference is a token the host allocates; the effect sees its address.
struct AegpRefs {
  std::map<const void*, std::unique_ptr<char>> effects;
  std::map<const void*, std::unique_ptr<PF_ParamIndex>> streams;  // token holds its parameter
  std::size_t values = 0;
  std::size_t bad_releases = 0;
  std::size_t live() const { return effects.size() + streams.size() + values; }
};

class HostServices {
 public:
  HostServices();
  ~HostServices();
  HostServices(const HostServices&) = delete;
  HostServices& operator=(const HostServices&) = delete;

  PF_ProgPtr effect_ref() { return reinterpret_cast<PF_ProgPtr>(this); }
  bool IsEffectRef(PF_ProgPtr ref) { return ref == effect_ref(); }
  double Seconds(A_long time, A_u_long scale) const {
    return scale ? static_cast<double>(time) / scale : 0.0;
  }

  Faults faults;
  SuiteRegistry suites;
  HandleStore handles{faults};
  ParamStore params;
  WorldStore worlds;

  PF_InData in_data{};
  PF_OutData out_data{};
  PF_UtilCallbacks utils{};

  std::atomic<PF_Err> interrupted{PF_Err_NONE};  // the user's interruption during this command
  // An interruption the user asked for from outside the effect's calls (Host::Interrupt): it
  // holds for every command until Host::ClearInterruption.
  std::atomic<PF_Err> requested_interruption{PF_Err_NONE};
  PF_Cmd command = -1;  // the command being sent, -1 between commands

  std::mutex journal_mutex;
  std::vector<HostCall> journal;
  std::string refusal;  // the first host operation that refused during this command, and why
  std::atomic<A_long> progress_current{0}, progress_total{0};

  std::vector<ParamUIUpdate> ui_updates;
  AegpRefs aegp;
  FrameState frame;
  LayerAnswer layer_answer;
  std::vector<LayerCheckout> layer_checkouts;
  std::size_t leaked_pre_render_data = 0;  // released by no delete function
  std::size_t leaked_layer_pixels = 0;     // still checked out when their frame ended
  std::set<const void*> blocks;            // memory lent through the basic suite's AllocateBlock
};

// The state of the current Host, or null when none exists.
HostServices* CurrentServices();
void SetCurrentServices(HostServices* services);

}  // namespace hostsim
