// The main of every test program: the tests run inside the process's own
// work folder and event-interface namespace, which go with the program and,
// when it is killed, with the next test program or the run's last step.
#include <gtest/gtest.h>

#include "test_leftovers.h"

int main(int argc, char** argv) {
  pm2::test::TestProcessScope scope;
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
