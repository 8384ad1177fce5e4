// Pictures of the debugger's widgets on the offscreen platform:
// debugger_gallery <build folder>. The register page with a register set
// (a changed register highlighted, a composite register with its fields,
// a bold group) at the project bar's width and wider, the command window
// with driver output, the command, disassembly and memory windows in
// their states (debug_windows_gallery.cpp), and the debug bar's pages
// (Locals, Watch #1, Call Stack) with no session, stopped, running and with
// expressions the driver cannot evaluate, into <build>/gallery/debugger.
// Exits non-zero when a picture could not be made.
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <cstdio>
#include <cstring>
#include <vector>

#include "debugger/windows/command_window.h"
#include "debugger/ui/register_page.h"
#include "debugger/windows/call_stack_window.h"
#include "debugger/windows/debug_bar_window.h"
#include "debugger/windows/watch_window.h"
#include "test_leftovers.h"
#include <map>
#include <string>

namespace pm2 {
namespace {

RegisterEntry Reg(int group, const char* name, const char* value, uint16_t code = 0, bool changed = false) {
  RegisterEntry e{};
  e.kind = 1;
  e.group = uint8_t(group);
  e.composite = code;
  e.editable = 1;
  e.changed = changed;
  std::strncpy(e.name, name, sizeof e.name - 1);
  std::strncpy(e.value, value, sizeof e.value - 1);
  return e;
}

void Refresh(RegisterEntry*, uint32_t) {}

// A driver record for the debug bar's pictures: a few values, the locals
// of main, main and its caller on the stack. `g_failing` makes every
// evaluation fail.
bool g_failing = false;
DbgCallStackEntry g_stack[] = {{0, 0x80, 0, 0, 0}, {0x94, 0xB4, 0, 0, 0}};
struct GalleryValue {
  uint8_t code, isArray, target;
  uint32_t count, address;
  const char* text;
};
const std::map<std::string, GalleryValue> kValues = {
    {"n", {kDbgTypeScalar, 0, 0xFF, 0, 0, "8"}},
    {"pattern_step", {kDbgTypeScalar, 0, 0xFF, 0, 0, "5"}},
    {"ch", {kDbgTypeChar, 0, 0xFF, 0, 0, "10"}},
    {"name", {kDbgTypePointer, 1, kDbgTypeChar, 16, 0x40000200, ""}},
    {"pt", {kDbgTypeStruct, 0, 0xFF, 0, 0x40000300, "point"}},
    {"(pt).x", {kDbgTypeScalar, 0, 0xFF, 0, 0, "3"}},
    {"(pt).y", {kDbgTypeScalar, 0, 0xFF, 0, 0, "4"}},
    {"leds", {kDbgTypePointer, 1, kDbgTypeScalar, 1000, 0x40000400, ""}}};

intptr_t GalleryControl(int32_t code, intptr_t a, intptr_t b) {
  if (code == kDbgCtlWatchEval) {
    auto* v = reinterpret_cast<DbgWatchValue*>(a);
    std::string e;
    for (const char* p = v->expression; *p; ++p)
      if (*p != '`' && *p != ' ') e += *p;
    auto it = kValues.find(e);
    if (g_failing || it == kValues.end()) return 1;
    const GalleryValue& g = it->second;
    v->code = g.code;
    v->isArray = g.isArray;
    v->targetCode = g.target;
    v->count = g.count;
    v->address = g.address;
    const bool structured = g.code == kDbgTypeStruct;
    std::snprintf(v->tag, sizeof v->tag, "%s", structured ? g.text : "");
    std::snprintf(v->text, sizeof v->text, "%s", structured ? "" : g.text);
    return 0;
  }
  if (code == kDbgCtlWatchMembers) {
    auto* out = reinterpret_cast<DbgWatchNames*>(b);
    std::memcpy(out->names, "x\0y", 4);
    out->count = 2;
    return 0;
  }
  if (code == kDbgCtlLocals) {
    auto* out = reinterpret_cast<DbgWatchNames*>(a);
    out->key = 0xB4;
    std::memcpy(out->names, "n\0ch", 5);
    out->count = 2;
    return 0;
  }
  return 1;
}
intptr_t GalleryEnum(int32_t, intptr_t a, intptr_t b) {
  const char* name = a == 0xB4 ? "main" : a == 0x80 ? "_start" : a == 0x94 ? "_start+20" : nullptr;
  if (!name) return 0;
  std::snprintf(reinterpret_cast<char*>(b), 256, "%s", name);
  return 1;
}
int32_t GalleryAddress(int32_t, uint64_t address, intptr_t, char* buffer) {
  return std::snprintf(buffer, 64, "0x%08llX", static_cast<unsigned long long>(address));
}
int32_t GalleryString(char* buffer, uint64_t, int32_t maximum) {
  return std::snprintf(buffer, std::size_t(maximum), "%s", "Blinky");
}

}  // namespace

bool SaveWidget(QWidget& w, const QString& folder, const char* name) {
  w.show();
  QApplication::processEvents();
  const QString path = folder + "/" + name + ".png";
  if (!w.grab().save(path)) {
    std::fprintf(stderr, "cannot write %s\n", path.toLocal8Bit().constData());
    return false;
  }
  return true;
}

bool DebugWindowsGallery(const QString& folder);

namespace {

bool Save(QWidget& w, const QString& folder, const char* name) { return SaveWidget(w, folder, name); }

int Run(const std::string& build) {
  const QString folder = QString::fromStdString(build + "/gallery/debugger");
  QDir().mkpath(folder);
  std::vector<RegisterGroup> groups = {{0, 1, "Core"}, {0, 3, "System"}};
  std::vector<RegisterEntry> regs = {Reg(0, "R0", "00000008", 0, true), Reg(0, "R1", "40000008"),
                                     Reg(0, "SP", "40007F48", 0, true), Reg(0, "PC", "000000BC", 0, true),
                                     Reg(1, "CPSR", "600001D3", 0x100), Reg(1, "N", "0", 0x101),
                                     Reg(1, "Z", "1", 0x102),          Reg(1, "", "", 0x100),
                                     Reg(1, "SPSR", "00000000")};
  RegisterSet set{2, uint32_t(regs.size()), groups.data(), regs.data(), Refresh, nullptr};
  bool ok = true;
  for (int width : {155, 300}) {
    RegisterPage page([] { return true; }, [](const std::string&, uint64_t*) { return false; }, [] {});
    page.resize(width, 240);
    page.SetRegisterSet(&set);
    page.Expand(page.GetItemAtRow(6), TVE_EXPAND);  // the CPSR head with its fields
    ok &= Save(page, folder, width < 200 ? "register-page-narrow" : "register-page-wide");
  }
  CommandWindowHost host;
  host.debugging = [] { return true; };
  CommandWindow command(host);
  command.resize(600, 140);
  command.Append("GDB driver: simulation in qemu-system-arm, GDB stub at /run/user/1000/pm2-gdb-Xq3v9a/stub\n");
  command.Append("BS main\n");
  command.Append("Breakpoint 1 at 0x000000b4: Blinky.c, line 10\n");
  command.Input()->setText("info registers");
  ok &= Save(command, folder, "command-page");

  // The debug bar in its states.
  DebugInterface record{};
  record.DbgControl = GalleryControl;
  record.DbgEnum = GalleryEnum;
  record.DbgFormatAddress = GalleryAddress;
  record.DbgReadString = GalleryString;
  record.callStack = g_stack;
  record.callStackTop = 1;
  DebugInterface* active = &record;
  struct State {
    const char* name;
    uint32_t flags;
    bool failing;
  };
  for (const State& st : {State{"empty", 0, false}, State{"stopped", kDbgFlagActive, false},
                          State{"running", kDbgFlagActive | kDbgFlagExecuting, false},
                          State{"error", kDbgFlagActive, true}}) {
    record.flags = st.flags;
    g_failing = st.failing;
    DebugBarWindow bar(&active, DebugBarWindow::Services{[] {}, [] {}, [](uint32_t) { return true; }, {}, {}});
    bar.resize(520, 210);
    for (const char* e : {"pattern_step", "pt", "name", "leds", "ch"}) bar.Watch(1)->AddExpression(e);
    bar.show();
    bar.ActivatePage(DebugBarWindow::kLocals);
    bar.TargetStopped();
    ok &= Save(bar, folder, (std::string("debug-bar-locals-") + st.name).c_str());
    bar.ActivatePage(DebugBarWindow::kWatch1);
    WatchWindow* w = bar.Watch(1);
    if (st.flags == kDbgFlagActive && !st.failing) {
      w->Expand(w->GetItemAtRow(1), TVE_EXPAND);  // pt's members
      // A changed value is highlighted for one refresh.
      w->Model().Rows()[0]->flags |= kWatchChanged;
      w->update();
    }
    ok &= Save(bar, folder, (std::string("debug-bar-watch-") + st.name).c_str());
    bar.ActivatePage(DebugBarWindow::kCallStack);
    ok &= Save(bar, folder, (std::string("debug-bar-call-stack-") + st.name).c_str());
  }

  ok &= DebugWindowsGallery(folder);
  return ok ? 0 : 1;
}

}  // namespace
}  // namespace pm2

int main(int argc, char** argv) {
  // Its temporary files, Qt's runtime folder and its event-interface
  // objects in folders and names of this run alone, gone at its end.
  pm2::test::TestProcessScope scope;
  QApplication app(argc, argv);
  if (argc < 2) {
    std::fprintf(stderr, "usage: debugger_gallery <build folder>\n");
    return 2;
  }
  return pm2::Run(argv[1]);
}
