// A client of the event interface for the frame's end-to-end test:
//   shell_frame_ipc_client <name suffix> <runtime folder> <mode>
// It attaches, asks WhoIs until the IDE answers with its identity, asks for
// a build (mode 0) or a rebuild (mode 1), counts the build lines it
// receives and prints "identity <name>", "lines <n>" and "end <result>".
// A refusal prints "status <code> <text>".
#include <cstdlib>
#include <string>

#include "ipc/ipc_test_client.h"

using namespace pm2;
using test::On;

int main(int argc, char** argv) {
  if (argc != 4) return 2;
  test::IpcTestClient c(argv[1], argv[2]);
  On<dtc_Identify::Identity> id(c, [](auto& e) { return "identity " + e.m_strName; });
  On<dtc_Make::SetStatus> status(c, [](auto& e) { return "status " + std::to_string(e.m_nStatus) + " " + e.m_strText; });
  On<dtc_Make::BuildInfo> info(c, [](auto&) { return std::string("line"); });
  On<dtc_Make::BuildEnd> end(c, [](auto& e) { return "end " + std::to_string(e.m_nResult); });
  if (!c.Activate()) return 3;
  std::string s = c.Identify(50);
  c.Say(s);
  if (s.rfind("identity ", 0) != 0) return 4;
  c.Send(dtc_Make::Build(uint8_t(std::atoi(argv[3]))));
  int lines = 0;
  for (;;) {
    s = c.Next(120000);
    if (s == "line") {
      ++lines;
      continue;
    }
    if (s.rfind("status 0", 0) == 0) continue;  // "Ok.": the build started
    if (s.rfind("status ", 0) == 0 || s == "timeout") {
      c.Say(s);
      return 5;
    }
    break;
  }
  c.Say("lines " + std::to_string(lines));
  c.Say(s);
  return 0;
}
