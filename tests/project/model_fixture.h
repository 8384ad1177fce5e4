// Shared set-up of the project-model tests: a clean application state and
// empty pools around each test, and small builders of projects and devices.
#pragma once

#include <gtest/gtest.h>

#include "project/devices/device_db.h"
#include "project/model/app_state.h"
#include "project/model/project_records.h"
#include "project/text/pool.h"

namespace pm2 {

class ModelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetAppState();
    PoolFreeAll();
  }
  void TearDown() override {
    ResetAppState();
    PoolFreeAll();
  }

  // A project with "Target 1" current (no toolset yet) and "Source Group 1",
  // made the open project, in the project's pool as New Project makes it.
  ProjectRec* OpenNewProject(const char* path = "C:\\work\\demo.pm2") {
    ProjectRec* p = NewOpenProject(nullptr, path);
    theApp().m_pProject = p;
    return p;
  }

  // A device entry with KEY=value option lines.
  DeviceDbEntry* Device(const char* vendor, const char* name, uint16_t family,
                        std::initializer_list<std::pair<const char*, const char*>> options) {
    DeviceDbEntry* e = m_db.NewEntry(vendor, name, family, "");
    for (auto& [k, v] : options) m_db.AddOption(e, k, v);
    return e;
  }

  DeviceDatabase m_db{kPoolFindInFiles};
};

}  // namespace pm2
