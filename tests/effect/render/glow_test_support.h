#pragma once
// Shared by the tests of the glow stages: a booted host with the effect's controls set in one
// call, and the host's journal with every world named by the role it plays in the render.

#include <string>
#include <vector>

#include "hostsim/host_operation.h"
#include "tests/support/host_fixture.h"

namespace velmora_test {

struct Controls {
  A_long radius = 10;
  double intensity = 1.0;
  A_long glow_mode = 1;  // 1 Screen, 2 Add
  bool tint_enable = false;
  A_long tint_mode = 1;  // 1 Standard, 2 Soft, 3 Light blend
  bool unmultiply = false;
  bool gamma = false;
  bool repeat_edges = false;
};

// One journal entry with its worlds named: "input", "output", or the working world's role
// ("source", "backdrop", "glow", "source_copy", "level", "tint"); "" when none was given.
struct RoleCall {
  hostsim::HostCall call;
  std::string src, dst;
};

// The render makes its working worlds in this order, each with AEGP_New followed by
// AEGP_FillOutPFEffectWorld; a disposed world's memory may come back for a later role, so a
// role is bound at each creation.
inline std::vector<RoleCall> NameWorlds(const std::vector<hostsim::HostCall>& journal,
                                        const void* input, const void* output) {
  static const char* const kRoles[] = {"source",      "backdrop", "glow",
                                       "source_copy", "level",    "tint"};
  std::vector<std::pair<const void*, std::string>> bound;
  std::size_t created = 0;
  const auto name = [&](const void* world) -> std::string {
    if (world == nullptr) return "";
    for (auto it = bound.rbegin(); it != bound.rend(); ++it)
      if (it->first == world) return it->second;
    if (world == input) return "input";
    if (world == output) return "output";
    return "?";
  };
  std::vector<RoleCall> named;
  for (const hostsim::HostCall& call : journal) {
    if (call.op == "AEGP_FillOutPFEffectWorld" && created < std::size(kRoles)) {
      bound.emplace_back(call.src_world, kRoles[created++]);
    }
    named.push_back({call, name(call.src_world), name(call.dst_world)});
  }
  return named;
}

class GlowRenderTest : public HostTest {
 protected:
  void SetUp() override { Boot(); }

  void Set(const Controls& controls) {
    auto& params = host.params();
    params[1].u.sd.value = controls.radius;
    params[2].u.fs_d.value = controls.intensity;
    params[3].u.pd.value = controls.glow_mode;
    params[4].u.bd.value = controls.tint_enable;
    params[6].u.pd.value = controls.tint_mode;
    params[7].u.bd.value = controls.unmultiply;
    params[8].u.bd.value = controls.gamma;
    params[9].u.bd.value = controls.repeat_edges;
  }

  // Renders `input` with `controls`, asserting success; the journal of that frame alone.
  std::vector<RoleCall> RenderJournal(const hostsim::World& input, const Controls& controls,
                                      hostsim::World** output = nullptr,
                                      const hostsim::FrameSettings& settings = {}) {
    Set(controls);
    host.ClearJournal();
    hostsim::World* out = nullptr;
    EXPECT_EQ(Render(input, settings, &out), PF_Err_NONE);
    if (output) *output = out;
    return NameWorlds(host.journal(), &input, out);
  }

  // An opaque world whose colour varies smoothly, so that shifts and swaps show.
  hostsim::World* Gradient(hostsim::Depth depth, A_long width, A_long height) {
    return MakeWorld(depth, width, height, [=](A_long x, A_long y) {
      return PF_PixelFloat{1.0f, 0.1f + 0.8f * static_cast<float>(x) / static_cast<float>(width),
                           0.1f + 0.8f * static_cast<float>(y) / static_cast<float>(height), 0.3f};
    });
  }
};

// The calls of one op between worlds with these roles ("" matches any world).
inline std::vector<hostsim::HostCall> CallsOf(const std::vector<RoleCall>& journal,
                                              const std::string& op, const std::string& src = "",
                                              const std::string& dst = "") {
  std::vector<hostsim::HostCall> calls;
  for (const RoleCall& entry : journal) {
    if (entry.call.op == op && (src.empty() || entry.src == src) &&
        (dst.empty() || entry.dst == dst)) {
      calls.push_back(entry.call);
    }
  }
  return calls;
}

inline bool SameRect(const PF_Rect& a, const PF_Rect& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

}  // namespace velmora_test
