// When the GDB driver tells the IDE that the target stands, on the example
// under qemu: the executing bit goes off, and the stop is posted, only once
// gdb takes commands, so that a step or run asked for at that moment goes
// (a step that found gdb still running was dropped without a word).
#include <atomic>
#include <iterator>
#include <string>

#include "debugger/gdb/target/gdb_target.h"
#include "gdb_session_fixture.h"

namespace pm2 {
namespace stop_order_test {

// What the IDE heard, and how often gdb did not take commands then.
struct Heard {
  std::atomic<int> standing{0}, standingEarly{0};
  std::atomic<int> stops{0}, stopsEarly{0};
};

class GdbStopOrderTest : public GdbSessionTest {};

TEST_F(GdbStopOrderTest, TheIdeSeesTheTargetStandOnlyOnceGdbTakesCommands) {
  Heard heard;
  gdb::GdbTarget* target = nullptr;
  gdb::TargetEvents events;
  // Both are called on the driver's reader thread, as the IDE's are.
  events.executing = [&](bool on) {
    if (on) return;
    ++heard.standing;
    if (!target->Halted()) ++heard.standingEarly;
  };
  events.stopped = [&] {
    if (!target->Halted()) ++heard.stopsEarly;
    ++heard.stops;
  };
  gdb::GdbTarget driver(std::move(events));
  target = &driver;
  std::string err;
  ASSERT_TRUE(driver.Start(gdb::ParseTargetParams("-sim"), ExampleFolder() + "Obj/Blinky.elf", &err)) << err;
  uint64_t main = 0, ledOff = 0;
  ASSERT_TRUE(driver.Evaluate("(unsigned long)&main", &main));
  ASSERT_TRUE(driver.Evaluate("(unsigned long)&LED_Off", &ledOff));
  // Runs to a place, steps of lines (the UART stand-in's stops among them)
  // and of instructions, each asked for once the one before was heard of.
  struct Command {
    int step;          // the step's mode, -1 a run
    uint64_t runTo;
  };
  const Command commands[] = {{-1, main}, {1, 0}, {0, 0}, {3, 0}, {4, 0}, {1, 0},
                              {-1, ledOff}, {1, 0}, {3, 0}};
  for (const Command& c : commands) {
    SCOPED_TRACE(c.step);
    const int stops = heard.stops;
    if (c.step < 0)
      ASSERT_TRUE(driver.Go(uint32_t(c.runTo)));
    else
      driver.Step(c.step);  // a step that runs past its wait stops later all the same
    ASSERT_TRUE(WaitFor([&] { return heard.stops > stops; }));
  }
  EXPECT_GE(heard.standing, int(std::size(commands)));
  EXPECT_EQ(heard.standingEarly, 0) << "of " << heard.standing;
  EXPECT_EQ(heard.stopsEarly, 0) << "of " << heard.stops;
  driver.Close();
}

}  // namespace stop_order_test
}  // namespace pm2
