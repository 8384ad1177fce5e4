// Pictures of the debug dialogs and tool windows on the offscreen
// platform, filled by the scriptable test driver: debug_dialogs_gallery
// <build folder> writes them to <build>/gallery/debug_dialogs. Exits
// non-zero when a picture could not be made.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <cstdio>

#include "debug_dialogs_fixture.h"
#include "debugger/dialogs/breakpoints_check_list.h"
#include "debugger/dialogs/breakpoints_dialog.h"
#include "debugger/dialogs/coverage_dialog.h"
#include "toolkit/controls/tree_ctrl.h"
#include "debugger/dialogs/func_editor_dialog.h"
#include "debugger/dialogs/inline_asm_dialog.h"
#include "debugger/dialogs/memory_map_dialog.h"
#include "debugger/dialogs/perf_analyzer_setup.h"
#include "debugger/dialogs/perf_analyzer_view.h"
#include "debugger/dialogs/serial_window.h"
#include "debugger/dialogs/symbols_dialog.h"
#include "debugger/dialogs/tool_box.h"
#include "test_leftovers.h"

namespace pm2 {
namespace {

bool Save(QWidget& w, const QString& folder, const char* name) {
  w.show();
  QApplication::processEvents();
  QApplication::processEvents();
  const QString path = folder + "/" + name + ".png";
  if (!w.grab().save(path)) {
    std::fprintf(stderr, "cannot write %s\n", path.toLocal8Bit().constData());
    return false;
  }
  return true;
}

const char* const kScript =
    "eval main B4\n"
    "bp 10 B4 1 -\n"
    "bp 11 0 3 i==5 printf(\"x\")\n"
    "bp 52 40000000 1 - \n"
    "bp 00 1C8 1 - \n"
    "sym main f B4 15\n"
    "sym LED_On f 16C 15\n"
    "sym LED_Off f 1B8 15\n"
    "sym pattern_step 1 40000000 5\n"
    "sym ticks 1 40000004 9\n"
    "module Blinky\n"
    "local pattern_step 1 40000000 5\n"
    "func main 40 40 2\n"
    "local n 10 4 5\n"
    "func Serial_PutChar 12 9 1\n"
    "line 36 B4\n"
    "line 37 BC\n"
    "module LED\n"
    "func LED_On 10 10 0\n"
    "func LED_Off 10 0 0\n"
    "map 0 5FF 3\n"
    "map 40000000 40007FFF 6\n"
    "map E0000000 E000FFFF 6\n"
    "cycles 1000\n"
    "pa 1 `main B4 1C0 4 10 90 300\n"
    "pa 2 Timer_Delay 318 0 9 5 900 1500\n"
    "pa 3 LED_On 16C 0 9 5 20 120\n"
    "pc B4\n";

int Run(const std::string& build) {
  const QString folder = QString::fromStdString(build + "/gallery/debug_dialogs");
  QDir().mkpath(folder);
  test::ScriptedDriver d(kScript);
  if (!d.Loaded()) {
    std::fprintf(stderr, "the test driver did not load\n");
    return 1;
  }
  bool ok = true;
  {
    BreakpointsDialog first(d.Context());
    auto* access = static_cast<DbgBreakpointRecord*>(first.List()->At(2).data);
    access->access = 2;
    access->length = 4;
    access->count = 2;
  }
  {
    BreakpointsDialog dlg(d.Context());
    dlg.List()->SetChecked(3, false);
    dlg.List()->Select(1);
    dlg.Expression()->setText("pattern_step == 3");
    ok &= Save(dlg, folder, "breakpoints");
  }
  {
    SerialTerminal terminal;
    SerialWindow w(0, terminal, false, nullptr);
    w.resize(420, 200);
    std::string text = "Blinky: running\r\n";
    for (int i = 0; i < 12; ++i) text += "LED " + std::to_string(i % 8) + " on\r\n";
    text += "key: z\r\nLED 4";
    w.WriteBytes(reinterpret_cast<const uint8_t*>(text.data()), int(text.size()));
    ok &= Save(w, folder, "serial_ascii");
    w.SetHexMode(true);
    ok &= Save(w, folder, "serial_hex");
  }
  {
    SymbolsDialog dlg(d.Context(), SymbolsDialogState{});
    ok &= Save(dlg, folder, "symbols_public");
    dlg.Mask()->setText("LED*");
    dlg.ApplyMask();
    dlg.Refresh();
    ok &= Save(dlg, folder, "symbols_mask");
    dlg.Mode()->setCurrentIndex(1);
    ok &= Save(dlg, folder, "symbols_locals");
    dlg.Mode()->setCurrentIndex(2);
    ok &= Save(dlg, folder, "symbols_lines");
  }
  {
    MemoryMapDialog dlg(d.Context());
    dlg.Range()->setText("0x40008000, 0x4000FFFF");
    ok &= Save(dlg, folder, "memory_map");
  }
  {
    ToolBox box(d.Context(), {{"Go", "g"}, {"Reset", "reset"}, {"Show LEDs", "p pattern_step"}});
    ok &= Save(box, folder, "tool_box");
  }
  {
    FunctionEditor ed(d.Context(), "/tmp/x.CTmp", nullptr);
    ed.AddError(3 | (5u << 16), "*** error 7, line 3: undefined identifier");
    ok &= Save(ed, folder, "function_editor");
  }
  {
    InlineAssembler dlg(d.Context());
    ok &= Save(dlg, folder, "inline_assembler");
  }
  {
    d.Record()->family = 0;  // the 8-bit families list their functions too
    PerfAnalyzerSetup setup(d.Context());
    setup.PickFunction(1);
    ok &= Save(setup, folder, "analyser_setup");
    d.Record()->family = 3;
  }
  {
    PerfAnalyzerView v(d.Context());
    v.resize(560, 200);
    d.Record()->cycles = 2000;
    d.Record()->analyserFlags = 0x18;
    v.Refresh();
    ok &= Save(v, folder, "analyser");
    d.Record()->analyserRest = nullptr;
    PerfAnalyzerView none(d.Context());
    none.resize(560, 200);
    ok &= Save(none, folder, "analyser_no_driver");
  }
  {
    CoverageDialog dlg(d.Context());
    dlg.Modules()->setCurrentIndex(0);
    ok &= Save(dlg, folder, "coverage");
    // The first module opened, its second function focused.
    SECTreeCtrl* tree = dlg.Tree();
    tree->Expand(tree->GetItemAtRow(0), TVE_EXPAND);
    tree->SelectItem(tree->GetItemAtRow(2));
    ok &= Save(dlg, folder, "coverage_open");
  }
  {
    test::ScriptedDriver empty("");
    CoverageDialog dlg(empty.Context());
    ok &= Save(dlg, folder, "coverage_no_driver");
  }
  return ok ? 0 : 1;
}

}  // namespace
}  // namespace pm2

int main(int argc, char** argv) {
  // Its temporary files, Qt's runtime folder and its event-interface
  // objects in folders and names of this run alone, gone at its end.
  pm2::test::TestProcessScope scope;
  QApplication app(argc, argv);
  return pm2::Run(argc > 1 ? argv[1] : ".");
}
