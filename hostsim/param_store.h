#pragma once
// The effect instance's parameters as the host keeps them: the definitions add_param
// received, the current value of each, colour keyframes, and the checkouts still open.

#include <cstddef>
#include <map>
#include <set>
#include <vector>

#include "hostapi/host_api.h"

namespace hostsim {

struct ColorKey {
  double seconds;
  AEGP_ColorVal color;  // 0..1 per channel
};

// One call of PF_UpdateParamUI: the index and a copy of the definition it carried.
struct ParamUIUpdate {
  PF_ParamIndex index = 0;
  PF_ParamDef def{};
};

class ParamStore {
 public:
  ParamStore();  // holds the input layer at index 0

  // What add_param received, in the order it arrived.
  const std::vector<PF_ParamDef>& declared() const { return declared_; }
  // The current definition and value by parameter index (0 is the input layer).
  // Throws std::out_of_range for an index the effect never declared.
  PF_ParamDef& operator[](int index);
  const PF_ParamDef& operator[](int index) const;
  std::size_t size() const { return current_.size(); }

  // Animates a colour parameter: linear between keys, held before the first and after the last.
  void SetColorKeyframes(int index, std::vector<ColorKey> keys);
  // The colour at a time, 0..1 per channel: keyframed, or the current value / 255.
  AEGP_ColorVal ColorAt(int index, double seconds) const;

  std::size_t checked_out() const { return checked_out_.size(); }
  std::size_t bad_checkins() const { return bad_checkins_; }

  // The host's side.
  void BeginDeclaring();  // a new PARAMS_SETUP: forget earlier declarations
  PF_Err Add(PF_ParamIndex index, const PF_ParamDef& def);
  PF_Err Checkout(PF_ParamIndex index, double seconds, PF_ParamDef* out);
  PF_Err Checkin(const PF_ParamDef* def);

 private:
  std::vector<PF_ParamDef> declared_;
  std::vector<PF_ParamDef> current_;
  std::map<int, std::vector<ColorKey>> color_keys_;
  std::multiset<const PF_ParamDef*> checked_out_;
  std::size_t bad_checkins_ = 0;
};

}  // namespace hostsim
