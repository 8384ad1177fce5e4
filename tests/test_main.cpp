// The main of every test program: the tests run inside the process's own
// work folder and event-interface namespace, which go with the program and,
// when it is killed, with the next test program or the run's last step;
// each case under the watch for hangs (case_watch.h).
#include <gtest/gtest.h>

#include "case_watch.h"
#include "test_leftovers.h"

int main(int argc, char** argv) {
  pm2::test::TestProcessScope scope;
  ::testing::InitGoogleTest(&argc, argv);
  pm2::test::WatchCases();
  return RUN_ALL_TESTS();
}
