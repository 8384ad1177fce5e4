// The wait for a stopped build's end (Stop Build, and Exit or a close
// during a build): the build's thread reads the project until its end is
// told on this thread, so nothing the user does meanwhile may close or
// change the project. The window goes on taking the user's keys and clicks
// while it waits; they are refused there (the commands greyed, the input
// dropped at the widgets, a close from the title bar ignored), not held
// back and replayed once the wait is over on whatever it left.
#pragma once

#include <functional>

namespace pm2 {

class BuildStopWait {
 public:
  // Runs the event loop until `ended` holds, refusing the user meanwhile.
  static void Run(const std::function<bool()>& ended);
  // Whether a wait runs: every command is refused then.
  static bool Waiting();
};

}  // namespace pm2
