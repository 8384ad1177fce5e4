// Pictures of the debugger's widgets on the offscreen platform:
// debugger_gallery <build folder>. The register page with a register set
// (a changed register highlighted, a composite register with its fields,
// a bold group) at the project bar's width and wider, the command window
// with driver output, and the command, disassembly and memory windows in
// their states (debug_windows_gallery.cpp), into <build>/gallery/debugger.
// Exits non-zero when a picture could not be made.
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <cstdio>
#include <cstring>
#include <vector>

#include "debugger/windows/command_window.h"
#include "debugger/ui/register_page.h"

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
  command.Append("GDB driver: simulation in qemu-system-arm, GDB stub at 127.0.0.1:36631\n");
  command.Append("BS main\n");
  command.Append("Breakpoint 1 at 0x000000b4: Blinky.c, line 10\n");
  command.Input()->setText("info registers");
  ok &= Save(command, folder, "command-page");
  ok &= DebugWindowsGallery(folder);
  return ok ? 0 : 1;
}

}  // namespace
}  // namespace pm2

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc < 2) {
    std::fprintf(stderr, "usage: debugger_gallery <build folder>\n");
    return 2;
  }
  return pm2::Run(argv[1]);
}
