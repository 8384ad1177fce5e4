#include "debugger/dialogs/debug_dialogs.h"

#include <QEvent>
#include <QFileDialog>
#include <QLineEdit>
#include <QMdiArea>

#include "debugger/dialogs/breakpoints_dialog.h"
#include "debugger/dialogs/coverage_dialog.h"
#include "debugger/dialogs/func_editor_dialog.h"
#include "debugger/dialogs/inline_asm_dialog.h"
#include "debugger/dialogs/memory_map_dialog.h"
#include "debugger/dialogs/perf_analyzer_setup.h"
#include "debugger/dialogs/perf_analyzer_view.h"
#include "debugger/dialogs/serial_window.h"
#include "debugger/dialogs/tool_box.h"
#include "debugger/ui/settings_placement.h"
#include "project/model/project_records.h"
#include "shell/app/shell_app.h"
#include "shell/frame/main_frame.h"
#include "toolkit/frames/mdi_child.h"

namespace pm2 {

namespace {

constexpr CommandId kCmdBreakpoints = 35041, kCmdMemoryMap = 35069, kCmdAnalyserSetup = 35079;

// What the driver sets in its record's flags when it offers a window.
constexpr uint32_t kOffersAnalyser = 0x8000, kOffersMemoryMap = 0x10000;

// The View and Debug menus' window toggles: enabled in a session (and, with
// a capability, when the driver offers it), checked while the window is open.
struct ToggleRow {
  CommandId id;
  DebugWindow window;
  uint32_t offers;  // 0: any driver
};
const ToggleRow kToggles[] = {
    {32735, DebugWindow::Serial1, 0},          {32728, DebugWindow::Serial2, 0},
    {35418, DebugWindow::Serial3, 0},          {32732, DebugWindow::Analyser, kOffersAnalyser},
    {35047, DebugWindow::Coverage, 0},         {35048, DebugWindow::Symbols, 0},
    {35073, DebugWindow::ToolBox, 0},          {35082, DebugWindow::InlineAsm, 0},
    {35083, DebugWindow::FuncEditor, 0},
};

// The hex mode of serial window n in the record's window flags.
constexpr uint32_t HexBit(int n) { return 0x10000u << n; }

const struct {
  DebugWindow window;
  int serial;  // -1: not a serial window
} kSerialWindows[] = {{DebugWindow::Serial1, 0}, {DebugWindow::Serial2, 1}, {DebugWindow::Serial3, 2}};

int SerialOf(DebugWindow w) {
  for (const auto& s : kSerialWindows)
    if (s.window == w) return s.serial;
  return -1;
}

}  // namespace

DebugDialogs::DebugDialogs(CMainFrame& frame, ShellApp& app, DebugSession& session,
                           std::function<void(const char*)> appendCommand)
    : m_frame(frame), m_app(app), m_session(session), m_appendCommand(std::move(appendCommand)) {
  for (auto& t : m_terminals) t = std::make_unique<SerialTerminal>();
  RegisterCommands();
}

DebugDialogs::~DebugDialogs() {
  for (int n = 0; n < 3; ++n)
    if (m_serialSheets[std::size_t(n)]) delete m_serialSheets[std::size_t(n)].data();
  CloseToolBox();
  for (QWidget* w : std::initializer_list<QWidget*>{m_symbols, m_funcEditor, m_inlineAsm, m_coverage}) delete w;
  if (m_analyserSheet) delete m_analyserSheet.data();
}

SerialWindow* DebugDialogs::Serial(int n) const { return m_serial[std::size_t(n)]; }
ToolBox* DebugDialogs::Box() const { return m_toolBox; }
FunctionEditor* DebugDialogs::FuncEditor() const { return m_funcEditor; }
InlineAssembler* DebugDialogs::InlineAsm() const { return m_inlineAsm; }
PerfAnalyzerView* DebugDialogs::Analyser() const { return m_analyser; }
CoverageDialog* DebugDialogs::Coverage() const { return m_coverage; }

DebugDialogContext DebugDialogs::Context() {
  DebugDialogContext c;
  c.record = [this] { return m_session.Record(); };
  c.dialogs = &m_app.Dialogs();
  c.service = [this](int code, intptr_t arg) { return m_app.IdeServiceCall(code, arg); };
  c.sendCommand = [this](const std::string& text) { return SendToCommandWindow(text); };
  c.lastRefusal = [this] { return m_session.LastCommandRefusal(); };
  c.refusalOf = [this](const std::function<void()>& call) { return m_session.RefusalOf(call); };
  c.typeCommand = [this](const std::string& text) { return TypeToCommandWindow(text); };
  return c;
}

int DebugDialogs::SendToCommandWindow(const std::string& text) {
  // The command window shows the line; the driver runs the command at once
  // (IDE service 34), which keeps the reason of a refusal.
  if (m_appendCommand) m_appendCommand(text.c_str());
  return int(m_app.IdeServiceCall(34, reinterpret_cast<intptr_t>(text.c_str())));
}

int DebugDialogs::TypeToCommandWindow(const std::string& text) {
  // As a line typed on the command page: shown there, then the driver's
  // command interpreter takes it.
  if (!m_session.SessionActive()) return 1;
  if (m_appendCommand) m_appendCommand(text.c_str());
  m_app.ExecDebugCommand(text.c_str(), -1);
  return 0;
}

void DebugDialogs::RegisterCommands() {
  m_frame.OnCommand(kCmdBreakpoints, [this](CommandId) { OpenBreakpoints(); });
  m_frame.OnCommand(kCmdMemoryMap, [this](CommandId) { OpenMemoryMap(); });
  m_frame.OnUpdate(kCmdMemoryMap, [this](CommandState& s) { s.Enable(Offers(kOffersMemoryMap)); });
  m_frame.OnCommand(kCmdAnalyserSetup, [this](CommandId) {
    PerfAnalyzerSetup dialog(Context(), &m_frame);
    dialog.exec();
    if (m_analyser) m_analyser->Refresh();
  });
  m_frame.OnUpdate(kCmdAnalyserSetup, [this](CommandState& s) { s.Enable(HasAnalyser()); });
  for (const ToggleRow& row : kToggles) {
    m_frame.OnCommand(row.id, [this, w = row.window](CommandId) { Toggle(w); });
    m_frame.OnUpdate(row.id, [this, row](CommandState& s) {
      s.Enable(row.window == DebugWindow::Coverage ? HasCoverage() : Offers(row.offers));
      // A driver without an assembler says why its inline assembler is greyed.
      if (row.window == DebugWindow::InlineAsm && s.enabled)
        if (const std::string why = AssemblerMissing(); !why.empty()) s.Grey(why);
      s.SetCheck(m_session.SessionActive() && WindowOpen(row.window) ? 1 : 0);
    });
  }
}

bool DebugDialogs::Offers(uint32_t capability) const {
  return m_session.SessionActive() && (Record()->flags & capability) == capability;
}

void DebugDialogs::Toggle(DebugWindow w) {
  // An open window closes, but the function editor comes to the front:
  // closing it would ask about its text.
  if (WindowOpen(w) && w != DebugWindow::FuncEditor)
    CloseWindow(w);
  else
    OpenWindow(w);
}

bool DebugDialogs::HasAnalyser() const { return Offers(kOffersAnalyser); }

std::string DebugDialogs::AssemblerMissing() const {
  DebugInterface* r = Record();
  if (!m_session.SessionActive() || !r->DbgControl) return "";
  char why[257] = {};
  if (r->DbgControl(kDbgCtlAssemblerMissing, 0, reinterpret_cast<intptr_t>(why)) == 0) return "";
  why[256] = 0;
  return why;
}

bool DebugDialogs::HasCoverage() const {
  DebugInterface* r = Record();
  if (!m_session.SessionActive() || !r->DbgEnum) return false;
  DbgCoverageRecord* first = nullptr;
  r->DbgEnum(kDbgEnumScopes, 1, reinterpret_cast<intptr_t>(&first));
  return first != nullptr;
}

// ------------------------------------------------------------------ windows

void DebugDialogs::CloseSheet(QPointer<SECWorksheetWnd>& sheet) {
  // Taken out of the MDI area and deleted at once: the session's end
  // must not leave a window whose terminal is reset behind it.
  if (!sheet) return;
  SECWorksheetWnd* s = sheet.data();
  sheet = nullptr;
  m_frame.MdiClient()->removeSubWindow(s);
  delete s;
}

namespace {

// Stores the window's place when it goes.
class PlacementKeeper : public QObject {
 public:
  PlacementKeeper(QWidget* window, QRect* slot) : QObject(window), m_window(window), m_slot(slot) {
    window->installEventFilter(this);
  }
  bool eventFilter(QObject* o, QEvent* e) override {
    if (o == m_window && (e->type() == QEvent::Close || e->type() == QEvent::Hide || e->type() == QEvent::Move ||
                          e->type() == QEvent::Resize) &&
        m_window->isVisible())
      *m_slot = m_window->geometry();
    return false;
  }

 private:
  QWidget* m_window;
  QRect* m_slot;
};

}  // namespace

void DebugDialogs::KeepPlacement(QWidget* window, DebugWindow which) {
  QRect& slot = m_placements[int(which)];
  if (slot.isValid()) window->setGeometry(slot);
  new PlacementKeeper(window, &slot);
}

WindowFonts& DebugDialogs::Settings() { return m_frame.WindowSettings(); }

void DebugDialogs::ApplySettings(const WindowFonts& settings) {
  for (int n = 0; n < 3; ++n)
    if (SerialWindow* view = m_serial[std::size_t(n)]) view->ApplySettings(settings.serial[std::size_t(n)]);
  if (m_analyser) m_analyser->ApplySettings(settings);
}

bool DebugDialogs::WindowOpen(DebugWindow w) const {
  const int n = SerialOf(w);
  if (n >= 0) return m_serial[std::size_t(n)] != nullptr;
  switch (w) {
    case DebugWindow::Symbols: return m_symbols != nullptr;
    case DebugWindow::ToolBox: return m_toolBox != nullptr;
    case DebugWindow::InlineAsm: return m_inlineAsm != nullptr;
    case DebugWindow::FuncEditor: return m_funcEditor != nullptr;
    case DebugWindow::Analyser: return m_analyser != nullptr;
    case DebugWindow::Coverage: return m_coverage != nullptr;
    default: return false;
  }
}

void DebugDialogs::OpenWindow(DebugWindow w) {
  const int n = SerialOf(w);
  if (n >= 0) {
    if (!m_serial[std::size_t(n)]) ToggleSerial(n);
    return;
  }
  switch (w) {
    case DebugWindow::Symbols: return OpenSymbols();
    case DebugWindow::ToolBox: return OpenToolBox();
    case DebugWindow::InlineAsm: return OpenInlineAssembler();
    case DebugWindow::FuncEditor: return OpenFunctionEditor();
    case DebugWindow::Analyser: return OpenAnalyser();
    case DebugWindow::Coverage: return OpenCoverage();
    default: return;
  }
}

void DebugDialogs::CloseWindow(DebugWindow w) {
  const int n = SerialOf(w);
  if (n >= 0) {
    CloseSheet(m_serialSheets[std::size_t(n)]);
    return;
  }
  switch (w) {
    case DebugWindow::Symbols:
      if (m_symbols) m_symbols->close();
      return;
    case DebugWindow::ToolBox: return CloseToolBox();
    case DebugWindow::InlineAsm:
      if (m_inlineAsm) m_inlineAsm->close();
      return;
    case DebugWindow::FuncEditor:
      if (m_funcEditor) m_funcEditor->close();
      return;
    case DebugWindow::Analyser:
      CloseSheet(m_analyserSheet);
      return;
    case DebugWindow::Coverage:
      if (m_coverage) {
        // Its rows are the driver's records: none is read again, though the
        // dialog goes only at the next turn of the event loop.
        m_coverage->Forget();
        m_coverage->close();
      }
      return;
    default: return;
  }
}

void DebugDialogs::SerialTerminals(bool create) {
  // A debugging run starts with empty terminals; at its end the windows go.
  if (create) {
    for (auto& t : m_terminals) t->Reset();
    return;
  }
  for (auto& sheet : m_serialSheets) CloseSheet(sheet);
}

void DebugDialogs::WriteSerial(int window, const void* chars, int count, bool wide) {
  if (window < 0 || window > 2 || !chars || count <= 0) return;
  SerialWindow* view = m_serial[std::size_t(window)];
  SerialTerminal& term = *m_terminals[std::size_t(window)];
  if (wide) {
    const auto* w = static_cast<const uint16_t*>(chars);
    if (view) return view->WriteWords(w, count);
    for (int i = 0; i < count; ++i) term.PutChar(w[i]);
  } else {
    const auto* b = static_cast<const uint8_t*>(chars);
    if (view) return view->WriteBytes(b, count);
    for (int i = 0; i < count; ++i) term.PutChar(b[i]);
  }
}

bool DebugDialogs::Service(int code, intptr_t arg, intptr_t* result) {
  switch (code) {
    case 2:  // the target stopped: the windows refresh, the session goes on
      if (m_coverage) m_coverage->Refresh();
      if (m_analyser) m_analyser->Refresh();
      return false;
    case 4:
      if (m_symbols) m_symbols->Refresh();
      return false;
    case 5:
      if (m_analyser) m_analyser->ResetCounts();
      return false;
    case 17:
      if (m_analyser) m_analyser->RestartTimeBase();
      return false;
    case 16:
    case 18:
    case 19:
      if (m_analyser) m_analyser->Refresh();
      return false;
    case 35: {
      // [result, buffer]: the driver writes the text for a refused command.
      const auto* words = reinterpret_cast<const intptr_t*>(arg);
      if (!words) return true;
      if (m_session.SessionActive()) m_session.Control(7, words[0], words[1]);
      *result = words[0];
      return true;
    }
    case 14:
      // Breakpoints changed (a peer's, a typed one's): the open dialog shows them.
      if (m_breakpoints) m_breakpoints->Refresh();
      return false;
    case 20:
      if (m_symbols) m_symbolsState = m_symbols->State();
      // The session ends (a peer stopped it): the dialog hands its boxes
      // on while the driver is there and closes.
      if (m_breakpoints) m_breakpoints->Close();
      return false;
    case 32: {
      auto** words = reinterpret_cast<const char**>(arg);
      if (!m_toolBox || !words || !words[0] || !words[1]) return false;
      *result = m_toolBox->AddButton(words[0], words[1]);
      return true;
    }
    case 33:
      if (!m_toolBox) return false;
      *result = m_toolBox->RemoveButton(uint32_t(arg));
      return true;
    case 41: {
      if (!m_funcEditor || !arg) return false;
      const auto* rec = reinterpret_cast<const intptr_t*>(arg);
      const char* text = reinterpret_cast<const char*>(rec[1]);
      m_funcEditor->AddError(uint32_t(rec[0]), text ? text : "");
      return true;
    }
    case 22:
    case 31:
    case 310:
      // The refresh by flags: 0x1 is a refresh after the target ran.
      if (!(arg & 0x1)) return false;
      if (m_coverage) m_coverage->Refresh();
      if (m_analyser) m_analyser->Refresh();
      if (m_symbols && code == 310) m_symbols->Refresh();
      return false;
    default:
      return false;
  }
}

// ------------------------------------------------------------------ commands

void DebugDialogs::OpenBreakpoints() {
  BreakpointsDialog dialog(Context(), &m_frame);
  m_breakpoints = &dialog;
  dialog.exec();
  m_breakpoints = nullptr;
}

void DebugDialogs::OpenMemoryMap() {
  MemoryMapDialog dialog(Context(), &m_frame);
  dialog.exec();
}

void DebugDialogs::ToggleSerial(int n) {
  if (n < 0 || n > 2) return;
  if (m_serialSheets[std::size_t(n)]) {
    m_frame.MdiClient()->setActiveSubWindow(m_serialSheets[std::size_t(n)]);
    m_serial[std::size_t(n)]->setFocus();
    return;
  }
  DebugInterface* r = Record();
  auto* view = new SerialWindow(n, *m_terminals[std::size_t(n)], (r->windowFlags & HexBit(n)) != 0,
                                [this](int window, uint16_t c) { m_session.SerialInput(uint32_t(window), c); });
  view->beep = [this] { Context().Beep(); };
  auto* sheet = new SECWorksheetWnd(&m_frame);
  sheet->setAttribute(Qt::WA_DeleteOnClose);
  sheet->setObjectName(QString("SerialFrame%1").arg(n + 1));
  sheet->setWidget(view);
  sheet->setWindowTitle(view->windowTitle());
  sheet->setWindowIcon(SerialWindowIcon());
  sheet->SetTabIcon(SerialWindowIcon());
  QObject::connect(view, &QObject::destroyed, &m_frame, [this, n] {
    m_serial[std::size_t(n)] = nullptr;
    m_app.m_windows.Set(WindowRegistry::SerialWindow(n), nullptr);
  });
  QObject::connect(sheet, &QObject::destroyed, &m_frame, [this, n] { m_serialSheets[std::size_t(n)] = nullptr; });
  m_serial[std::size_t(n)] = view;
  m_serialSheets[std::size_t(n)] = sheet;
  m_app.m_windows.Set(WindowRegistry::SerialWindow(n), view);
  m_frame.MdiClient()->addSubWindow(sheet);
  sheet->resize(480, 260);
  sheet->showNormal();
  KeepSettingsPlacement(sheet, &Settings().serial[std::size_t(n)].placement);
  view->ApplySettings(Settings().serial[std::size_t(n)]);
  m_frame.MdiClient()->setActiveSubWindow(sheet);
  view->setFocus();
  // The mode is kept in the window flags for the next opening.
  view->modeChanged = [this, n](bool hex) {
    DebugInterface* rec = Record();
    if (hex)
      rec->windowFlags |= HexBit(n);
    else
      rec->windowFlags &= ~HexBit(n);
  };
}

void DebugDialogs::OpenSymbols() {
  if (m_symbols) {
    m_symbols->raise();
    m_symbols->activateWindow();
    return;
  }
  auto* dialog = new SymbolsDialog(Context(), m_symbolsState, &m_frame);
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  dialog->setModal(false);
  QObject::connect(dialog, &QDialog::finished, &m_frame, [this, dialog] { m_symbolsState = dialog->State(); });
  QObject::connect(dialog, &QObject::destroyed, &m_frame, [this] {
    m_symbols = nullptr;
    m_app.m_windows.Set(WindowSlot::SymbolsDlg, nullptr);
  });
  m_symbols = dialog;
  m_app.m_windows.Set(WindowSlot::SymbolsDlg, dialog);
  dialog->show();
  KeepSettingsPlacement(dialog, &Settings().symbols);
  dialog->activateWindow();
  dialog->Mask()->setFocus();
}

void DebugDialogs::OpenToolBox() {
  if (m_toolBox) {
    m_toolBox->raise();
    return;
  }
  std::vector<ToolButton> buttons;
  for (const ShellApp::ToolBoxButton& b : m_app.SavedToolBox())
    buttons.push_back(ToolButton{b.text, b.command, b.fromProject});
  auto* box = new ToolBox(Context(), buttons, &m_frame);
  box->setAttribute(Qt::WA_DeleteOnClose);
  // Closed by its title bar's button as by the command: the buttons stay.
  box->closing = [this](const ToolBoxButtons& buttons) { KeepToolBoxButtons(buttons); };
  QObject::connect(box, &QObject::destroyed, &m_frame, [this] {
    m_toolBox = nullptr;
    m_app.m_windows.Set(WindowSlot::ToolBox, nullptr);
  });
  m_toolBox = box;
  m_app.m_windows.Set(WindowSlot::ToolBox, box);
  box->move(m_frame.geometry().topRight() - QPoint(box->width() + 40, -80));
  box->show();
  KeepToolBoxRect(box, &Settings().toolBox);
}

void DebugDialogs::KeepToolBoxButtons(const ToolBoxButtons& buttons) {
  // The buttons stay with the shell while the box is closed.
  std::vector<ShellApp::ToolBoxButton> kept;
  for (const ToolButton& b : buttons.Buttons()) kept.push_back({b.label, b.command, b.fromProject});
  m_app.SetSavedToolBox(std::move(kept));
}

void DebugDialogs::CloseToolBox() {
  if (!m_toolBox) return;
  KeepToolBoxButtons(m_toolBox->Buttons());
  ToolBox* box = m_toolBox;
  m_toolBox = nullptr;
  m_app.m_windows.Set(WindowSlot::ToolBox, nullptr);
  delete box;
}

void DebugDialogs::OpenFunctionEditor() {
  if (m_funcEditor) {
    m_funcEditor->raise();
    m_funcEditor->activateWindow();
    m_funcEditor->Editor()->setFocus();
    return;
  }
  std::string temp;
  if (ProjectRec* p = m_app.Project()) {
    temp = p->folder.str() + (p->curTarget ? p->curTarget->name.str() : std::string("Target")) + ".CTmp";
  }
  auto* editor = new FunctionEditor(
      Context(), temp,
      [this](bool open) {
        const QString filter = "Ini Files (*.ini);;All Files (*)";
        // The editor asks: the keyboard goes back to it.
        QWidget* asker = m_funcEditor ? static_cast<QWidget*>(m_funcEditor) : &m_frame;
        const QString path = open ? QFileDialog::getOpenFileName(asker, "Open Ini File", QString(), filter)
                                  : QFileDialog::getSaveFileName(asker, "Save As", QString(), filter);
        std::string s = path.toStdString();
        if (!open && !s.empty() && s.find('.', s.find_last_of('/') + 1) == std::string::npos) s += ".ini";
        return s;
      },
      &m_frame);
  editor->setAttribute(Qt::WA_DeleteOnClose);
  QObject::connect(editor, &QObject::destroyed, &m_frame, [this] {
    m_funcEditor = nullptr;
    m_app.m_windows.Set(WindowSlot::FuncEditor, nullptr);
  });
  m_funcEditor = editor;
  m_app.m_windows.Set(WindowSlot::FuncEditor, editor);
  editor->show();
  KeepSettingsPlacement(editor, &Settings().funcEditor);
  // The target's initialisation file; with none named the editor asks for
  // one, as its menu entry says (Cancel leaves an empty text to save).
  const std::string file = m_session.Settings().initFile;
  if (!file.empty())
    editor->LoadFile(file);
  else
    editor->OpenFile();
}

void DebugDialogs::OpenInlineAssembler() {
  if (m_inlineAsm) {
    m_inlineAsm->raise();
    m_inlineAsm->activateWindow();
    return;
  }
  // The assembler starts at the active view's cursor line; without one at
  // the address the driver keeps (the PC after a stop).
  uint32_t cursor = 0;
  if (m_cursorAddress && m_cursorAddress(&cursor)) Record()->shownAddress = cursor;
  auto* dialog = new InlineAssembler(Context(), &m_frame);
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  QObject::connect(dialog, &QObject::destroyed, &m_frame, [this] {
    m_inlineAsm = nullptr;
    m_app.m_windows.Set(WindowSlot::InlineAsmDlg, nullptr);
  });
  m_inlineAsm = dialog;
  m_app.m_windows.Set(WindowSlot::InlineAsmDlg, dialog);
  dialog->show();
  KeepSettingsPlacement(dialog, &Settings().inlineAsm);
}

void DebugDialogs::OpenAnalyser() {
  // A session on the target driver measures nothing here.
  if (m_session.Settings().flags & kDbgSettingsTargetDriver) return;
  if (m_analyserSheet) {
    m_frame.MdiClient()->setActiveSubWindow(m_analyserSheet);
    return;
  }
  auto* view = new PerfAnalyzerView(Context());
  auto* sheet = new SECWorksheetWnd(&m_frame);
  sheet->setAttribute(Qt::WA_DeleteOnClose);
  sheet->setObjectName("AnalyserFrame");
  sheet->setWidget(view);
  sheet->setWindowTitle("Performance Analyzer");
  QObject::connect(view, &QObject::destroyed, &m_frame, [this] {
    m_analyser = nullptr;
    m_app.m_windows.Set(WindowSlot::PerfView, nullptr);
  });
  m_analyser = view;
  m_analyserSheet = sheet;
  m_app.m_windows.Set(WindowSlot::PerfView, view);
  m_frame.MdiClient()->addSubWindow(sheet);
  sheet->resize(560, 300);
  sheet->showNormal();
  KeepSettingsPlacement(sheet, &Settings().analyserFrame);
  // A new view starts on a white background with its selected name on
  // dark blue, whatever an earlier one was given.
  Settings().analyserColours[kPaBack] = Rgb(255, 255, 255);
  Settings().analyserColours[kPaSelectedBack] = Rgb(0, 0, 125);
  view->ApplySettings(Settings());
  m_frame.MdiClient()->setActiveSubWindow(sheet);
}

void DebugDialogs::OpenCoverage() {
  if (m_coverage) {
    // The command closes an open dialog.
    m_coverage->close();
    return;
  }
  auto* dialog = new CoverageDialog(Context(), &m_frame);
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  QObject::connect(dialog, &QObject::destroyed, &m_frame, [this] {
    m_coverage = nullptr;
    m_app.m_windows.Set(WindowSlot::CoverageDlg, nullptr);
  });
  m_coverage = dialog;
  m_app.m_windows.Set(WindowSlot::CoverageDlg, dialog);
  dialog->show();
  KeepPlacement(dialog, DebugWindow::Coverage);
}

}  // namespace pm2
