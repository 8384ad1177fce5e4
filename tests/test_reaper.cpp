// Removes what ended test processes of this user left behind (see
// test_leftovers.h). CTest runs it after the last test of a run, so a test
// that its timeout killed leaves nothing once the run is over.
#include <cstdio>

#include "test_leftovers.h"

int main() {
  const int removed = pm2::test::ReapLeftovers(pm2::test::TempFolder());
  std::printf("removed %d leftovers of ended tests\n", removed);
  return 0;
}
