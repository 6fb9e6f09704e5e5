#pragma once
// SuiteScoper: holds one host suite for a scope. Unlike SuiteHandler it throws nothing: a
// failure is a returned 516 with the caller's message shown by the host, so a handler that
// keeps a running error (the render) can carry it on its own road.

#include "hostapi/host_api.h"

namespace velmora {

inline constexpr const char* kSuiteAcquireFailedMessage = "Not able to acquire AEFX Suite.";
inline constexpr const char* kSuiteReleaseFailedMessage = "Not able to release AEFX Suite.";

// Acquires name/version through in_data's basic suite into *suite. With no basic suite, a
// refusal or a null suite: *suite is null, out_data (when given) gets the message and
// PF_OutFlag_DISPLAY_ERROR_MESSAGE, and the result is PF_Err_BAD_CALLBACK_PARAM.
PF_Err AcquireSuiteOrReport(const PF_InData* in_data, PF_OutData* out_data, const char* name,
                            A_long version, const char* message, const void** suite);

// Releases name/version; failures are reported as for the acquire.
PF_Err ReleaseSuiteOrReport(const PF_InData* in_data, PF_OutData* out_data, const char* name,
                            A_long version, const char* message);

template <typename Suite>
class SuiteScoper {
 public:
  SuiteScoper(const PF_InData* in_data, PF_OutData* out_data, const char* name, A_long version,
              const char* acquire_failed = kSuiteAcquireFailedMessage,
              const char* release_failed = kSuiteReleaseFailedMessage)
      : in_data_(in_data),
        out_data_(out_data),
        name_(name),
        version_(version),
        release_failed_(release_failed) {
    const void* suite = nullptr;
    error_ = AcquireSuiteOrReport(in_data, out_data, name, version, acquire_failed, &suite);
    suite_ = static_cast<Suite*>(const_cast<void*>(suite));
  }
  ~SuiteScoper() { Release(); }
  SuiteScoper(const SuiteScoper&) = delete;
  SuiteScoper& operator=(const SuiteScoper&) = delete;

  // PF_Err_NONE when the suite is held.
  PF_Err error() const { return error_; }
  Suite* get() const { return suite_; }
  Suite* operator->() const { return suite_; }

  // Gives the suite back now and says how that went; later calls do nothing.
  PF_Err Release() {
    if (!suite_) return PF_Err_NONE;
    suite_ = nullptr;
    return ReleaseSuiteOrReport(in_data_, out_data_, name_, version_, release_failed_);
  }

 private:
  const PF_InData* in_data_;
  PF_OutData* out_data_;
  const char* name_;
  A_long version_;
  const char* release_failed_;
  Suite* suite_ = nullptr;
  PF_Err error_ = PF_Err_NONE;
};

}  // namespace velmora
