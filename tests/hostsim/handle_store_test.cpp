// Handles the host lends: counted while alive, refusable on request, movable on resize.
#include "hostsim/handle_store.h"

#include <gtest/gtest.h>

#include <cstring>

#include "hostsim/faults.h"
#include "tests/hostsim/suite_access.h"

namespace {

class HandleStoreTest : public ::testing::Test {
 protected:
  hostsim::Host host{VELMORA_MODULE_PATH};
  const PF_HandleSuite1& handles =
      *AcquireSuite<PF_HandleSuite1>(host, kPFHandleSuite, kPFHandleSuiteVersion1);
  void TearDown() override { ReleaseSuite(host, kPFHandleSuite, kPFHandleSuiteVersion1); }
};

TEST_F(HandleStoreTest, LiveHandlesAreCountedUntilDisposed) {
  PF_Handle a = handles.host_new_handle(1);
  PF_Handle b = host.in_data().utils->host_new_handle(16);  // the utility slot, same store
  ASSERT_NE(a, nullptr);
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(host.leaks().handles, 2u);

  // A handle is a pointer to the pointer to its bytes; locking gives those bytes.
  auto* bytes = static_cast<char*>(handles.host_lock_handle(a));
  ASSERT_NE(bytes, nullptr);
  EXPECT_EQ(bytes, *a);
  EXPECT_EQ(handles.host_get_handle_size(b), 16u);
  handles.host_unlock_handle(a);

  handles.host_dispose_handle(a);
  host.in_data().utils->host_dispose_handle(b);
  EXPECT_EQ(host.leaks().handles, 0u);

  handles.host_dispose_handle(a);  // twice: the host notices instead of freeing again
  EXPECT_EQ(host.leaks().bad_releases, 1u);
}

TEST_F(HandleStoreTest, FailsTheNthAllocationAndLockFromNow) {
  host.faults().FailHandleAlloc(2);
  host.faults().FailHandleLock(1);
  PF_Handle first = handles.host_new_handle(4);
  EXPECT_EQ(handles.host_new_handle(4), nullptr);
  PF_Handle third = handles.host_new_handle(4);
  ASSERT_NE(first, nullptr);
  ASSERT_NE(third, nullptr);
  EXPECT_EQ(handles.host_lock_handle(first), nullptr);
  EXPECT_NE(handles.host_lock_handle(first), nullptr);
  handles.host_dispose_handle(first);
  handles.host_dispose_handle(third);
  EXPECT_EQ(host.leaks().handles, 0u);
}

TEST_F(HandleStoreTest, ResizeKeepsTheHandleAndItsBytes) {
  PF_Handle handle = handles.host_new_handle(4);
  std::memcpy(handles.host_lock_handle(handle), "abc", 4);
  PF_Handle same = handle;
  ASSERT_EQ(handles.host_resize_handle(1 << 20, &handle), PF_Err_NONE);
  EXPECT_EQ(handle, same);
  EXPECT_STREQ(static_cast<char*>(*handle), "abc");
  EXPECT_EQ(handles.host_get_handle_size(handle), 1u << 20);
  handles.host_dispose_handle(handle);
}

}  // namespace
