#include "effect/host_calls/suite_handler.h"

#include <type_traits>

namespace velmora {

// Name and version each slot is acquired and released under.
struct SuiteHandler::Slot {
  const char* name;
  A_long version;
  static constexpr int kCount = 12;
  static const Slot kAll[kCount];
};

// Same order as suites_ and as the accessors below.
const SuiteHandler::Slot SuiteHandler::Slot::kAll[kCount] = {
    {kPFHandleSuite, kPFHandleSuiteVersion1},
    {kPFANSISuite, kPFANSISuiteVersion1},
    {kPFFillMatteSuite, kPFFillMatteSuiteVersion2},
    {kPFIterate8Suite, kPFIterate8SuiteVersion1},
    {kPFIterate16Suite, kPFIterate16SuiteVersion1},
    {kPFIterateFloatSuite, kPFIterateFloatSuiteVersion1},
    {kPFWorldTransformSuite, kPFWorldTransformSuiteVersion1},
    {kAEGPWorldSuite, kAEGPWorldSuiteVersion3},
    {kAEGPPFInterfaceSuite, kAEGPPFInterfaceSuiteVersion1},
    {kAEGPStreamSuite, kAEGPStreamSuiteVersion4},
    {kAEGPEffectSuite, kAEGPEffectSuiteVersion2},
    {kPFParamUtilsSuite, kPFParamUtilsSuiteVersion1},
};

namespace {

// The host hands suites out as const void*; the SDK declares the suites' slots non-const.
template <typename Suite>
Suite* As(const void* suite) {
  return static_cast<Suite*>(const_cast<void*>(suite));
}

}  // namespace

SuiteHandler::SuiteHandler(SPBasicSuite* basic) : basic_(basic) {
  if (!basic_) throw MissingSuite{PF_Err_BAD_CALLBACK_PARAM};
}

SuiteHandler::~SuiteHandler() {
  static_assert(std::extent_v<decltype(suites_)> == Slot::kCount);
  for (int i = 0; i < Slot::kCount; ++i) {
    if (suites_[i]) basic_->ReleaseSuite(Slot::kAll[i].name, Slot::kAll[i].version);
  }
}

const void* SuiteHandler::Acquire(int slot) {
  if (suites_[slot]) return suites_[slot];
  const void* suite = nullptr;
  const SPErr err = basic_->AcquireSuite(Slot::kAll[slot].name, Slot::kAll[slot].version, &suite);
  if (err || !suite) {
    // A null suite handed over with success still counts as acquired by the host; the
    // slot stays empty, so its release is made here rather than in the destructor.
    if (!err) basic_->ReleaseSuite(Slot::kAll[slot].name, Slot::kAll[slot].version);
    throw MissingSuite{PF_Err_BAD_CALLBACK_PARAM};
  }
  suites_[slot] = suite;
  return suite;
}

PF_HandleSuite1* SuiteHandler::HandleSuite1() {
  return As<PF_HandleSuite1>(Acquire(0));
}
PF_ANSICallbacksSuite1* SuiteHandler::ANSICallbacksSuite1() {
  return As<PF_ANSICallbacksSuite1>(Acquire(1));
}
PF_FillMatteSuite2* SuiteHandler::FillMatteSuite2() {
  return As<PF_FillMatteSuite2>(Acquire(2));
}
PF_Iterate8Suite1* SuiteHandler::Iterate8Suite1() {
  return As<PF_Iterate8Suite1>(Acquire(3));
}
PF_Iterate16Suite1* SuiteHandler::Iterate16Suite1() {
  return As<PF_Iterate16Suite1>(Acquire(4));
}
PF_IterateFloatSuite1* SuiteHandler::IterateFloatSuite1() {
  return As<PF_IterateFloatSuite1>(Acquire(5));
}
PF_WorldTransformSuite1* SuiteHandler::WorldTransformSuite1() {
  return As<PF_WorldTransformSuite1>(Acquire(6));
}
AEGP_WorldSuite3* SuiteHandler::WorldSuite3() {
  return As<AEGP_WorldSuite3>(Acquire(7));
}
AEGP_PFInterfaceSuite1* SuiteHandler::PFInterfaceSuite1() {
  return As<AEGP_PFInterfaceSuite1>(Acquire(8));
}
AEGP_StreamSuite4* SuiteHandler::StreamSuite4() {
  return As<AEGP_StreamSuite4>(Acquire(9));
}
AEGP_EffectSuite2* SuiteHandler::EffectSuite2() {
  return As<AEGP_EffectSuite2>(Acquire(10));
}
PF_ParamUtilsSuite1* SuiteHandler::ParamUtilsSuite1() {
  return As<PF_ParamUtilsSuite1>(Acquire(11));
}

}  // namespace velmora
