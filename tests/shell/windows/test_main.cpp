// The window tests need one QApplication for the whole program; without a
// platform named they run offscreen (also when CTest lists the cases).
// They run in the process's own work folder and namespace (test_leftovers.h).
#include <gtest/gtest.h>

#include <QApplication>

#include "case_watch.h"
#include "test_leftovers.h"

int main(int argc, char** argv) {
  pm2::test::TestProcessScope scope;
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  pm2::test::WatchCases();
  return RUN_ALL_TESTS();
}
