// The port map across two processes: a second process registers, holds and ends.
#include "runtime/system/portmap.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include "tests/support/piped_child.h"
#include "tests/support/runtime_test.h"
#include "tests/support/scoped_env.h"
#include "tests/support/temp_dir.h"

namespace {

class PortMap : public yrltest::RuntimeTest {
 protected:
  void SetUp() override {
    RuntimeTest::SetUp();
    env_.set("YRL_W32_REGISTRY", (dir_.path() + "/registry.txt").c_str());
    env_.set("YRL_W32_MUTEX_DIR", dir_.path().c_str());
  }
  yrltest::TempDir dir_;
  yrltest::ScopedEnv env_;
};

TEST_F(PortMap, LiveRegistrationStandsAndADeadOnesIsTakenOver) {
  {
    yrltest::PipedChild holder({YRL_PMAP_HOLDER_PATH, "5001"});
    ASSERT_EQ(holder.line(), "1");
    EXPECT_EQ(vek::nt_reg_pmap_get(1, 2), 5001);
    // The holder lives: its registration stands.
    EXPECT_EQ(vek::nt_reg_pmap_set(1, 2, 0, 6001), 0);
    EXPECT_EQ(vek::nt_reg_pmap_get(1, 2), 5001);
    EXPECT_EQ(holder.end("die"), 3);
  }
  // Its owner is gone: the registration is stale and taken over.
  EXPECT_EQ(vek::nt_reg_pmap_set(1, 2, 0, 6001), 1);
  EXPECT_EQ(vek::nt_reg_pmap_get(1, 2), 6001);
  {
    yrltest::PipedChild holder({YRL_PMAP_HOLDER_PATH, "7001"});
    EXPECT_EQ(holder.line(), "0");  // this process holds it now
    EXPECT_EQ(holder.end("die"), 3);
  }
  EXPECT_EQ(vek::nt_reg_pmap_unset(1, 2), 1);
  EXPECT_EQ(vek::nt_reg_pmap_get(1, 2), 0);
  EXPECT_EQ(vek::nt_reg_pmap_unset(1, 2), 0);
}

TEST_F(PortMap, MessageModuleEntry) {
  char out[1024];
  EXPECT_EQ(vek::get_msg_module_reg_entry(2, out), 0);
  ASSERT_EQ(vek::set_msg_module_reg_entry("C:\\vek\\msg.exe"), 1);
  EXPECT_EQ(vek::get_msg_module_reg_entry(2, out), 1);
  EXPECT_STREQ(out, "C:\\vek\\msg.exe");
  EXPECT_EQ(vek::get_msg_module_reg_entry(3, out), 0);
  EXPECT_EQ(vek::get_msg_module_reg_entry(2, nullptr), 0);
  EXPECT_EQ(vek::del_msg_module_reg_entry(), 1);
  EXPECT_EQ(vek::get_msg_module_reg_entry(2, out), 0);
  EXPECT_EQ(vek::set_msg_module_reg_entry(nullptr), 0);
}

}  // namespace
