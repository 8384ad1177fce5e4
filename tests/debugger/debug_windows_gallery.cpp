// Pictures of the command, disassembly and memory windows in their states:
// empty (no session), stopped, running and error, over an in-process record.
#include <QApplication>
#include <QLineEdit>
#include <QTest>

#include "driver_abi/syntax_table_builder.h"
#include "debugger/windows/command_window.h"
#include "debugger/windows/disassembly_window.h"
#include "debugger/windows/memory_window.h"
#include "fake_debug_record.h"

namespace pm2 {

bool SaveWidget(QWidget& w, const QString& folder, const char* name);

namespace {

const SyntaxTableBuilder::Word* Syntax(SyntaxTableBuilder& b, const SyntaxTableBuilder::Word** fallback) {
  using B = SyntaxTableBuilder;
  const uint8_t* expr = b.Record("<expression>", 0, 12, 254, ' ');
  std::vector<B::Word> root;
  for (const char* k : {"BS", "BK", "BL", "G"})
    root.push_back(B::Ref(b.Record(k, 1 + (k[1] != 0), int(std::strlen(k)), 1 + (k[1] != 0), ' ', {B::Ref(expr), 2})));
  root.push_back(B::Ref(b.Record("PRINT", 5, 5, 5, ' ', {B::Ref(expr), 2})));
  root.push_back(1);
  *fallback = b.Table({B::Ref(b.Record("<< no help available ! >>", 0, 25, 255, ' ')), 0});
  return b.Table(root);
}

}  // namespace

bool DebugWindowsGallery(const QString& folder) {
  bool ok = true;
  test::FakeListing(80);
  test::Fake().pc = 0x10C;
  test::Fake().enabledBreak = 0x104;
  test::Fake().disabledBreak = 0x118;
  DebugInterface* record = test::FakeRecord();
  struct State {
    const char* name;
    bool session;
    bool running;
    bool error;
  };
  const State kStates[] = {{"empty", false, false, false},
                           {"stopped", true, false, false},
                           {"running", true, true, false},
                           {"error", true, false, true}};
  SyntaxTableBuilder b;
  const SyntaxTableBuilder::Word* fallback = nullptr;
  const SyntaxTableBuilder::Word* root = Syntax(b, &fallback);
  for (const State& s : kStates) {
    test::FakeRunning(s.running);
    test::Fake().listingOn = !s.error;
    const std::string suffix = s.name;
    // The command window.
    CommandWindowHost ch;
    ch.debugging = [&s] { return s.session; };
    CommandWindow command(ch);
    command.resize(640, 170);
    if (s.session) {
      command.Append("GDB driver: simulation in qemu-system-arm\n");
      command.SetSyntaxTables(fallback, fallback, root);
      command.Append("BS main\nBreakpoint 1 at 0x104: file Blinky.c, line 10.\n");
      if (s.running) command.Append("Running...\n");
      if (s.error) command.Append("*** Error: not in debugging mode !\n");
      command.show();
      QTest::keyClicks(command.Input(), s.running ? "PR" : "B");
    }
    ok &= SaveWidget(command, folder, ("command-window-" + suffix).c_str());
    // The disassembly window.
    DisassemblyHost dh;
    dh.record = [&s, record] { return s.session ? record : nullptr; };
    dh.active = [&s] { return s.session; };
    DisassemblyView disasm(dh);
    disasm.resize(520, 300);
    disasm.show();
    QApplication::processEvents();
    if (s.session) {
      disasm.GotoAddress(0x10C);
      disasm.Cache().SetCursor(disasm.Cache().PcLine() + 2);
      disasm.ToggleBookmark();
    }
    ok &= SaveWidget(disasm, folder, ("disassembly-window-" + suffix).c_str());
    // The recorded history up to the PC (the target stopped).
    if (s.session && !s.running) {
      std::vector<uint32_t> history;
      for (uint32_t a = 0x100; a < 0x10C; a += 4) history.push_back(a);
      for (int loop = 0; loop < 3; ++loop)
        for (uint32_t a = 0x110; a < 0x11C; a += 4) history.push_back(a);
      history.push_back(0x10C);
      test::FakeTrace(history);
      disasm.ShowTraceRecords();
      ok &= disasm.InTraceView();
      ok &= SaveWidget(disasm, folder, ("disassembly-trace-" + suffix).c_str());
      test::FakeTrace({});
    }
    // The memory window.
    MemoryHost mh;
    mh.record = [&s, record] { return s.session ? record : nullptr; };
    mh.active = [&s] { return s.session; };
    MemoryWindow memory(mh);
    memory.resize(640, 190);
    memory.show();
    QApplication::processEvents();
    if (s.session) {
      MemoryPage* page = memory.Page(0);
      page->AddressEdit()->setText(s.error ? "nosuch" : "0x40000000");
      page->EvaluateEntered();
    }
    ok &= SaveWidget(memory, folder, ("memory-window-" + suffix).c_str());
  }
  // The stopped memory page in words and ASCII too.
  test::FakeRunning(false);
  MemoryHost mh;
  mh.record = [record] { return record; };
  mh.active = [] { return true; };
  MemoryWindow memory(mh);
  memory.resize(640, 190);
  memory.show();
  QApplication::processEvents();
  memory.Page(0)->AddressEdit()->setText("0x40000000");
  memory.Page(0)->EvaluateEntered();
  memory.Page(0)->SetFormat(kMemULong);
  ok &= SaveWidget(memory, folder, "memory-window-words");
  memory.Page(0)->SetFormat(kMemAscii);
  ok &= SaveWidget(memory, folder, "memory-window-ascii");
  return ok;
}

}  // namespace pm2
