// The frame tests need one QApplication for the whole program; without a
// platform named they run offscreen. Each run of the program gets an
// event-interface namespace of its own (name suffix and runtime folder), so
// the frames it starts never meet another program's; its objects and folder
// go at the end, and with the next test program when it is killed
// (test_leftovers.h).
#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <filesystem>
#include <string>

#include "case_watch.h"
#include "test_leftovers.h"

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  const std::string suffix = pm2::test::TestSuffix("f");
  qputenv("PM2_IPC_SUFFIX", suffix.c_str());
  pm2::test::TestProcessScope scope;
  const std::string folder = pm2::test::TempFolder() + "/run";
  std::filesystem::create_directories(folder);
  std::filesystem::permissions(folder, std::filesystem::perms::owner_all, std::filesystem::perm_options::replace);
  qputenv("XDG_RUNTIME_DIR", folder.c_str());
  int rc = 0;
  {
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    pm2::test::WatchCases();
    rc = RUN_ALL_TESTS();
  }
  pm2::test::RemoveShmEntries(suffix);
  return rc;
}
