// What gdb is told of its permissions as the driver's commands hold their
// access: only changes are sent, calls are never on while writes go off,
// an inner hold lasts as long as it lives, and a hold gdb did not take (or
// whose target runs) lets nothing through.
#include "debugger/gdb/mi/gdb_permissions.h"

#include <gtest/gtest.h>

#include <future>
#include <string>
#include <thread>
#include <vector>

namespace pm2::gdb {
namespace {

struct Gdb {
  std::vector<std::string> told;
  bool takes = true;
  GdbPermissions permissions{[this](const std::string& setting) {
    told.push_back(setting);
    return takes;
  }};
};

const std::string kCallsOff = "-gdb-set may-call-functions off", kCallsOn = "-gdb-set may-call-functions on",
                  kWritesOff = "-gdb-set may-write-memory off", kWritesOn = "-gdb-set may-write-memory on";

TEST(GdbPermissions, OnlyChangesAreSentAndCallsStayOffUnlessTheTargetRuns) {
  Gdb gdb;
  { const GdbPermissions::Hold run(gdb.permissions, GdbAccess::Run); }  // gdb's own defaults
  EXPECT_TRUE(gdb.told.empty());
  {
    const GdbPermissions::Hold read(gdb.permissions, GdbAccess::Read);
    EXPECT_TRUE(read.ok());
    EXPECT_EQ(gdb.told, (std::vector<std::string>{kCallsOff, kWritesOff}));
  }
  { const GdbPermissions::Hold read(gdb.permissions, GdbAccess::Read); }
  EXPECT_EQ(gdb.told.size(), 2u);
  gdb.told.clear();
  { const GdbPermissions::Hold write(gdb.permissions, GdbAccess::Write); }
  EXPECT_EQ(gdb.told, (std::vector<std::string>{kWritesOn}));
  EXPECT_FALSE(gdb.permissions.Calls());
  gdb.told.clear();
  { const GdbPermissions::Hold run(gdb.permissions, GdbAccess::Run); }
  EXPECT_EQ(gdb.told, (std::vector<std::string>{kCallsOn}));
  gdb.told.clear();
  { const GdbPermissions::Hold write(gdb.permissions, GdbAccess::Write); }
  EXPECT_EQ(gdb.told, (std::vector<std::string>{kCallsOff}));
}

TEST(GdbPermissions, AnInnerHoldLastsAsLongAsItLives) {
  Gdb gdb;
  const GdbPermissions::Hold write(gdb.permissions, GdbAccess::Write);
  EXPECT_TRUE(gdb.permissions.MemoryWrites());
  {
    const GdbPermissions::Hold read(gdb.permissions, GdbAccess::Read);
    EXPECT_FALSE(gdb.permissions.MemoryWrites());
  }
  EXPECT_TRUE(gdb.permissions.MemoryWrites());
  EXPECT_FALSE(gdb.permissions.Calls());
}

TEST(GdbPermissions, AfterATypedCommandEachSettingIsToldAgain) {
  Gdb gdb;
  { const GdbPermissions::Hold write(gdb.permissions, GdbAccess::Write); }
  gdb.told.clear();
  // The user typed "set may-write-memory off" (or anything else of gdb's).
  gdb.permissions.Forget();
  { const GdbPermissions::Hold write(gdb.permissions, GdbAccess::Write); }
  EXPECT_EQ(gdb.told, (std::vector<std::string>{kCallsOff, kWritesOn}));
  gdb.told.clear();
  gdb.permissions.Forget();
  { const GdbPermissions::Hold run(gdb.permissions, GdbAccess::Run); }
  EXPECT_EQ(gdb.told, (std::vector<std::string>{kWritesOn, kCallsOn}));
}

TEST(GdbPermissions, AHoldGdbDidNotTakeLetsNothingThroughAndIsToldAgain) {
  Gdb gdb;
  gdb.takes = false;
  {
    const GdbPermissions::Hold read(gdb.permissions, GdbAccess::Read);
    EXPECT_FALSE(read.ok());
  }
  gdb.takes = true;
  gdb.told.clear();
  {
    // What gdb has is not known: it is told again.
    const GdbPermissions::Hold read(gdb.permissions, GdbAccess::Read);
    EXPECT_TRUE(read.ok());
    EXPECT_EQ(gdb.told, (std::vector<std::string>{kCallsOff, kWritesOff}));
  }
  gdb.told.clear();
  {
    const GdbPermissions::Hold read(gdb.permissions, GdbAccess::Read, [] { return false; });
    EXPECT_FALSE(read.ok());
  }
  {
    const GdbPermissions::Hold run(gdb.permissions, GdbAccess::Run, [] { return false; });
    EXPECT_FALSE(run.ok());
  }
  EXPECT_TRUE(gdb.told.empty());
}

// While another thread's run holds gdb (the driver's request thread) a
// second thread is refused at once, without waiting for that hold, and the
// hold it did not take is left as it was; once the run is over the second
// thread holds as before.
TEST(GdbPermissions, AThreadIsRefusedAtOnceWhileAnotherThreadsRunIsBusy) {
  Gdb gdb;
  bool busy = true;
  gdb.permissions.SetBusyElsewhere([&busy] { return busy; });
  std::promise<void> held, release;
  std::thread runner([&] {
    const GdbPermissions::Hold run(gdb.permissions, GdbAccess::Run);
    held.set_value();
    release.get_future().wait();
  });
  held.get_future().wait();
  {
    const GdbPermissions::Hold read(gdb.permissions, GdbAccess::Read);
    EXPECT_FALSE(read.ok());
  }
  // The refused hold sent nothing and left the run's settings.
  EXPECT_TRUE(gdb.told.empty());
  EXPECT_TRUE(gdb.permissions.Calls());
  release.set_value();
  runner.join();
  busy = false;
  const GdbPermissions::Hold read(gdb.permissions, GdbAccess::Read);
  EXPECT_TRUE(read.ok());
  EXPECT_FALSE(gdb.permissions.MemoryWrites());
}

}  // namespace
}  // namespace pm2::gdb
