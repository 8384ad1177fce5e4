// Runs one whole-file write against a FaultDisk that crashes at every step
// in turn, and again with each disk operation failing once, and checks what
// a user would find afterwards: the old file whole or the new one complete,
// the failure reported in a message that names the file, no temporary file.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "fault_disk.h"

namespace pm2::test {

// The write under test: true on success, *message what it reported (an
// error text or the line it printed).
using FaultedWrite = std::function<bool(FaultDisk& disk, std::string* message)>;

inline void CrashAtEveryStep(const std::string& path, const std::string& old,
                             const std::string& fresh, const FaultedWrite& write) {
  ASSERT_NE(old, fresh);
  bool sawOld = false;
  for (int step = 1; step < 100; ++step) {
    SCOPED_TRACE("crash at step " + std::to_string(step));
    FaultDisk disk;
    disk.Put(path, old);
    disk.CrashAt(step);
    std::string message;
    bool ok = write(disk, &message);
    const bool crashed = disk.Crashed();
    if (crashed) {
      EXPECT_FALSE(ok);
      EXPECT_NE(message.find(path), std::string::npos) << message;
    }
    disk.Crash();
    disk.Reboot();
    const std::string after = disk.Get(path);
    EXPECT_TRUE(after == old || after == fresh) << after;
    sawOld |= after == old;
    EXPECT_EQ(disk.Names(), std::vector<std::string>{path});
    if (!crashed) {
      // The write ran to its end before the crash step: it is durable.
      EXPECT_TRUE(ok) << message;
      EXPECT_EQ(after, fresh);
      EXPECT_TRUE(sawOld);
      return;
    }
  }
  ADD_FAILURE() << "the write never finished";
}

// Each step failing once (no crash): before the rename the old file stays,
// a failed folder sync leaves the new file named; either way it is reported.
inline void FailEachStepOnce(const std::string& path, const std::string& old,
                             const std::string& fresh, const FaultedWrite& write) {
  struct Row {
    const char* name;
    FaultDisk::Op op;
    bool newFileNamed;
  } rows[] = {
      {"create", FaultDisk::kCreate, false}, {"write", FaultDisk::kWrite, false},
      {"sync", FaultDisk::kSync, false},     {"close", FaultDisk::kClose, false},
      {"rename", FaultDisk::kRename, false}, {"folder sync", FaultDisk::kSyncFolder, true},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    FaultDisk disk;
    disk.Put(path, old);
    disk.FailAt(r.op, 1, ENOSPC);
    std::string message;
    EXPECT_FALSE(write(disk, &message));
    EXPECT_NE(message.find(path), std::string::npos) << message;
    EXPECT_EQ(disk.Get(path), r.newFileNamed ? fresh : old);
    EXPECT_EQ(disk.Names(), std::vector<std::string>{path});
  }
}

}  // namespace pm2::test
