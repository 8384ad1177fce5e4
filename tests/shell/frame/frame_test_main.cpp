// The frame tests need one QApplication for the whole program; without a
// platform named they run offscreen. Each run of the program gets an
// event-interface namespace of its own (name suffix and runtime folder), so
// the frames it starts never meet another program's, and removes its
// objects at the end.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <filesystem>
#include <string>

#include "platform/ipc_namespace.h"
#include "platform/ipc_objects.h"

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  char folder[] = "/tmp/pm2-frame-test-XXXXXX";
  if (!::mkdtemp(folder)) return 2;
  const std::string suffix = "-f" + std::to_string(::getpid());
  qputenv("PM2_IPC_SUFFIX", suffix.c_str());
  qputenv("XDG_RUNTIME_DIR", folder);
  int rc = 0;
  {
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    rc = RUN_ALL_TESTS();
  }
  pm2::IpcObjects::RemoveAll(pm2::IpcNamespace::FromEnvironment());
  std::error_code ec;
  std::filesystem::remove_all(folder, ec);
  return rc;
}
