#include "effect/host_calls/suite_scoper.h"

#include <cstring>

namespace velmora {

namespace {

PF_Err Report(PF_OutData* out_data, const char* message) {
  if (out_data) {
    out_data->out_flags |= PF_OutFlag_DISPLAY_ERROR_MESSAGE;
    std::strncpy(out_data->return_msg, message, sizeof out_data->return_msg - 1);
    out_data->return_msg[sizeof out_data->return_msg - 1] = '\0';
  }
  return PF_Err_BAD_CALLBACK_PARAM;
}

}  // namespace

PF_Err AcquireSuiteOrReport(const PF_InData* in_data, PF_OutData* out_data, const char* name,
                            A_long version, const char* message, const void** suite) {
  *suite = nullptr;
  SPBasicSuite* basic = in_data ? in_data->pica_basicP : nullptr;
  if (!basic) return Report(out_data, message);
  const void* acquired = nullptr;
  const SPErr err = basic->AcquireSuite(name, version, &acquired);
  if (err) return Report(out_data, message);
  if (!acquired) {
    // Acquired as far as the host knows: give it back before reporting.
    basic->ReleaseSuite(name, version);
    return Report(out_data, message);
  }
  *suite = acquired;
  return PF_Err_NONE;
}

PF_Err ReleaseSuiteOrReport(const PF_InData* in_data, PF_OutData* out_data, const char* name,
                            A_long version, const char* message) {
  SPBasicSuite* basic = in_data ? in_data->pica_basicP : nullptr;
  if (!basic || basic->ReleaseSuite(name, version)) return Report(out_data, message);
  return PF_Err_NONE;
}

}  // namespace velmora
