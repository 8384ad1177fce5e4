#include "debugger/ui/debug_windows.h"

#include <QApplication>
#include <QClipboard>
#include <QFontInfo>
#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QMdiArea>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <QVBoxLayout>

#include "debugger/model/memory_format.h"
#include "debugger/session/debug_session.h"
#include "debugger/ui/settings_placement.h"
#include "debugger/windows/command_window.h"
#include "debugger/windows/disassembly_window.h"
#include "debugger/windows/memory_window.h"
#include "project/model/app_state.h"
#include "project/model/option_block.h"
#include "project/model/project_records.h"
#include "shell/app/shell_app.h"
#include "shell/app/user_dialogs.h"
#include "shell/frame/document_lookup.h"
#include "shell/frame/main_frame.h"
#include "shell/output/find_dialog.h"
#include "shell/output/out_win.h"
#include "shell/windows/progress_dialog.h"
#include "toolkit/frames/control_bar.h"
#include "toolkit/frames/mdi_child.h"

namespace pm2 {

namespace {
constexpr CommandId kCmdMemoryWindow = 32758, kCmdMemoryDecimal = 35067, kCmdModifyMemory = 35090;
constexpr uint32_t kWritesWhileRunning = 0x800;
// A window refresh by flags leaves the memory and watch windows alone.
constexpr intptr_t kRefreshNoData = 0x8000;
// The refresh after a write of the IDE's own (Modify Memory): the data
// windows read the target again; the disassembly stays where it is.
constexpr intptr_t kRefreshAfterWrite = 0x2;
}  // namespace

DebugWindows::DebugWindows(CMainFrame& frame, ShellApp& app, DebugSession& session)
    : m_frame(frame), m_app(app), m_session(session) {
  InstallCommandPage();
  RegisterCommands();
  if (const char* path = std::getenv("PM2_DEBUG_WINDOWS_DUMP")) {
    auto* timer = new QTimer(&m_frame);
    QObject::connect(timer, &QTimer::timeout, &m_frame, [this, file = std::string(path)] { WriteDump(file.c_str()); });
    timer->start(250);
  }
}

void DebugWindows::WriteDump(const char* path) const {
  std::string out;
  if (m_command) {
    out += "help: " + m_command->HelpText().toStdString() + "\n";
    out += "edit: " + m_command->Input()->text().toStdString() + "\n";
    out += "command-lines: " + std::to_string(m_command->Output().LineCount()) + "\n";
    if (QWidget* list = m_command->findChild<QWidget*>("CommandOutputList"); list && list->isVisible()) {
      const QPoint at = list->mapToGlobal(list->rect().center());
      out += "command-centre: " + std::to_string(at.x()) + " " + std::to_string(at.y()) + "\n";
    }
  }
  // The window commands shown checked.
  out += "checked:";
  for (CommandId id : {32752u, 32749u, 32758u, 32735u, 32728u, 35418u, 32732u, 35047u, 35048u, 35073u, 35081u})
    if (m_frame.QueryCommand(id).check == 1) out += " " + std::to_string(id);
  out += "\n";
  if (m_disassembly) {
    DisasmCache& c = m_disassembly->Cache();
    for (int i = 0; i < c.Visible() && i < c.Size(); ++i) {
      const DisasmLine& l = c.Line(i);
      char head[40];
      if (l.state & kDisasmPc) {
        std::snprintf(head, sizeof head, "disasm-pc: 0x%08X ", l.address);
        out += head + c.Text(i) + "\n";
      }
      if (l.kind == kDisasmSource) out += "disasm-source: " + c.Text(i) + "\n";
      if (DisasmCache::IsTrace(l)) out += "disasm-trace: " + c.Text(i) + "\n";
    }
    out += std::string("disasm-active: ") + (ActiveDisassembly() ? "1" : "0") + "\n";
    if (const int cursor = m_disassembly->CursorLine(); cursor >= 0) {
      char line[64];
      std::snprintf(line, sizeof line, "disasm-cursor: %d %u 0x%08X ", cursor, unsigned(c.Line(cursor).kind),
                    c.Line(cursor).address);
      out += line + c.Text(cursor) + "\n";
    }
    out += "disasm-background: " + m_disassembly->Colour(kDisBack).name().toStdString() + "\n";
    out += "disasm-font: " + std::to_string(QFontInfo(m_disassembly->font()).pixelSize()) + "\n";
    // Where the window's lines lie on the screen, for a click.
    const QPoint at = m_disassembly->mapToGlobal(m_disassembly->rect().center());
    out += "disasm-centre: " + std::to_string(at.x()) + " " + std::to_string(at.y()) + "\n";
  }
  if (m_memory) {
    MemoryPage* page = m_memory->ActivePage();
    out += "memory-page: " + page->SavedText() + " " + std::to_string(page->SavedFormat()) + "\n";
    for (const std::string& row : page->Rows()) out += "memory: " + row + "\n";
    out += "memory-background: " + page->BackColour().name().toStdString() + "\n";
    // Where the first value lies on the screen, for a click.
    const QPoint at = page->mapToGlobal(page->FirstValueCentre());
    out += "memory-value: " + std::to_string(at.x()) + " " + std::to_string(at.y()) + "\n";
  }
  // A box the program asks or tells in (a session's refusal, a question
  // before it runs a program), its lines joined with " | ", and the button
  // Enter presses.
  if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
    out += "box: " + box->text().replace('\n', " | ").toStdString() + "\n";
    if (QPushButton* enter = box->defaultButton()) out += "box-default: " + enter->text().toStdString() + "\n";
  }
  const std::string temp = std::string(path) + ".tmp";
  if (FILE* f = std::fopen(temp.c_str(), "w")) {
    std::fwrite(out.data(), 1, out.size(), f);
    std::fclose(f);
    std::rename(temp.c_str(), path);
  }
}

DebugWindows::~DebugWindows() {
  m_app.m_windows.Forget(WindowSlot::CommandPage, m_command);
  if (m_disassemblySheet) delete m_disassemblySheet.data();
}

DisassemblyView* DebugWindows::Disassembly() const { return m_disassembly; }
MemoryWindow* DebugWindows::Memory() const { return m_memory; }
DisassemblyView* DebugWindows::ActiveDisassembly() const {
  // The current child, also while a menu of the frame has the keyboard.
  return m_disassemblySheet && m_frame.MdiClient()->currentSubWindow() == m_disassemblySheet ? m_disassembly.data()
                                                                                              : nullptr;
}

void DebugWindows::InstallCommandPage() {
  COutWin* out = m_frame.Output();
  if (!out || !out->CommandPage()) return;
  CommandWindowHost host;
  // The window has shown the typed line itself (selected: the history).
  host.execute = [this](const std::string& line) { m_app.ExecDebugCommand(line.c_str(), int(line.size())); };
  host.debugging = [this] { return m_session.SessionActive(); };
  host.noCompletion = [this] { return m_session.SessionActive() && m_session.Record()->noCompletion != 0; };
  host.escape = [this] {
    if (m_session.SessionActive()) m_session.Control(8, 0, 0);
  };
  host.beep = [this] { m_app.Dialogs().Beep(); };
  host.toolHelp = [this](const std::string& word) { m_frame.ShowToolHelp(kHelpToolTopic, word); };
  host.sized = [this](int lines, int columns) {
    m_app.m_cmdWindowValues[0] = lines;
    m_app.m_cmdWindowValues[1] = columns;
  };
  m_command = new CommandWindow(host, out->CommandPage());
  auto* layout = new QVBoxLayout(out->CommandPage());
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(m_command);
  m_command->ApplySettings(m_frame.WindowSettings());
  m_app.m_windows.Set(WindowSlot::CommandPage, m_command);
  // Edit > Copy and Edit > Find with the page in front: its lines.
  COutWin::PageLines lines;
  lines.lines = [this] { return m_command->LineTexts(); };
  lines.firstSelected = [this] { return m_command->FirstSelected(); };
  lines.selectOnly = [this](int line) { m_command->SelectOnly(std::size_t(line)); };
  lines.canCopy = [this] { return m_command->HasSelectedLines(); };
  lines.copy = [this] { m_command->Copy(); };
  out->SetCommandPageLines(std::move(lines));
  // A right click on the page offers the Output Window's docking entries
  // first, as on its other pages.
  m_command->barMenu = [out] { return out->BarMenu(); };
  m_command->find = [out] {
    out->SelectPage(COutWin::kCommandPage);
    out->OnFind();
  };
}

void DebugWindows::RegisterCommands() {
  // The memory window's one handler; its rule (enabled in a session, checked
  // when shown) is the debug bar's.
  m_frame.OnCommand(kCmdMemoryWindow, [this](CommandId) { ToggleMemoryWindow(); });
  // The memory window's display formats, the decimal switch and Modify
  // Memory as the frame's commands: they act on the page in front (Modify
  // Memory at its first value); the page's context menu does the same.
  auto page = [this]() -> MemoryPage* {
    return m_memory && m_session.SessionActive() ? m_memory->ActivePage() : nullptr;
  };
  for (int format = 0; format < kMemFormatCount; ++format) {
    const CommandId id = CommandId(MemFormatInfo(format).command);
    m_frame.OnCommand(id, [page, format](CommandId) {
      if (MemoryPage* p = page()) p->SetFormat(format);
    });
    m_frame.OnUpdate(id, [page, format](CommandState& s) {
      MemoryPage* p = page();
      s.Enable(p != nullptr);
      s.SetCheck(p && p->Look().format == format ? 1 : 0);
    });
  }
  m_frame.OnCommand(kCmdMemoryDecimal, [page](CommandId) {
    if (MemoryPage* p = page()) p->SetFormat(kMemToggleDecimal);
  });
  m_frame.OnUpdate(kCmdMemoryDecimal, [page](CommandState& s) {
    MemoryPage* p = page();
    s.Enable(p != nullptr);
    s.SetCheck(p && p->Look().decimal ? 1 : 0);
  });
  m_frame.OnCommand(kCmdModifyMemory, [this, page](CommandId) {
    MemoryPage* p = page();
    uint64_t address = 0;
    if (!p || !p->Valid() || !p->HitTest(p->FirstValueCentre(), &address)) return m_app.Dialogs().Beep();
    p->ModifyMemory(address);
  });
  m_frame.OnUpdate(kCmdModifyMemory, [this, page](CommandState& s) {
    MemoryPage* p = page();
    // While the target runs only a driver that writes memory then may.
    s.Enable(p && p->Valid() && (!m_session.TargetExecuting() || (m_session.Record()->flags & kWritesWhileRunning)));
  });
}

void DebugWindows::ToggleMemoryWindow() {
  SECControlBar* bar = m_frame.MemoryBar();
  if (bar && m_memory && bar->IsBarVisible())
    m_frame.ShowControlBar(bar, false, false);
  else
    OpenMemoryWindow();
}

void DebugWindows::CloseDisassemblyWindow() {
  if (m_disassemblySheet) m_disassemblySheet->close();
}

void DebugWindows::ToggleDisassemblyWindow() {
  // Closed: it opens at the program counter (service 26 with the address
  // of the record's current-position word). Open behind another window:
  // it comes to the front. In front: it closes.
  if (!m_disassembly) {
    if (m_session.SessionActive()) m_app.IdeServiceCall(26, reinterpret_cast<intptr_t>(&m_session.Record()->pc));
    return;
  }
  if (!ActiveDisassembly()) {
    OpenDisassemblyWindow();
    return;
  }
  if (m_session.SessionActive()) m_session.Record()->windowFlags &= ~uint32_t(kDbgWinDisassembly);
  CloseDisassemblyWindow();
}

CommandWindow* DebugWindows::ShowCommandWindow() {
  if (!m_command) return nullptr;
  if (m_frame.OutputBar()) m_frame.ShowControlBar(m_frame.OutputBar(), true, false);
  if (COutWin* out = m_frame.Output()) out->SelectPage(COutWin::kCommandPage);
  m_command->Input()->setFocus();
  return m_command;
}

namespace {

// A window's long operation shown in the program's progress dialog.
class DialogProgress : public OperationProgress {
 public:
  DialogProgress(const std::string& title, const std::string& cancelText, QWidget* mainWindow,
                 MillisecondClock clock)
      : m_dialog(QString::fromLocal8Bit(title.c_str()), QString::fromLocal8Bit(cancelText.c_str()), mainWindow,
                 std::move(clock)) {}
  void SetText(const std::string& text) override { m_dialog.SetText(QString::fromLocal8Bit(text.c_str())); }
  bool Update(int position, int maximum) override { return m_dialog.Update(position, maximum) != 0; }

 private:
  ProgressDialog m_dialog;
};

}  // namespace

DisassemblyView* DebugWindows::OpenDisassemblyWindow() {
  if (m_disassembly) {
    if (m_disassemblySheet) m_frame.MdiClient()->setActiveSubWindow(m_disassemblySheet);
    m_disassembly->setFocus();
    return m_disassembly;
  }
  DisassemblyHost host;
  host.record = [this] { return m_session.SessionActive() ? m_session.Record() : nullptr; };
  host.active = [this] { return m_session.SessionActive(); };
  host.beep = [this] { m_app.Dialogs().Beep(); };
  host.runToCursor = [this](uint32_t address) {
    DebugInterface* r = m_session.Record();
    if (m_session.SessionActive() && !m_session.TargetExecuting() && r->DbgGo) r->DbgGo(address);
  };
  host.breakpointsChanged = [this] { m_app.IdeServiceCall(14, 0); };
  host.askText = [this](const std::string& title, const std::string& label, std::string* text) {
    bool ok = false;
    const QString t = QInputDialog::getText(&m_frame, QString::fromStdString(title), QString::fromStdString(label),
                                            QLineEdit::Normal, QString(), &ok);
    *text = t.toLocal8Bit().toStdString();
    return ok;
  };
  host.askFile = [this](std::string* path) {
    const QString p = QFileDialog::getOpenFileName(&m_frame, "Select Hex/absolute object file", QString(),
                                                   "All Files (*.*);;Hex Files (*.hex)");
    *path = p.toLocal8Bit().toStdString();
    return !p.isEmpty();
  };
  host.execute = [this](const std::string& command) { m_app.ExecDebugCommand(command.c_str(), -1); };
  host.message = [this](const std::string& text) { m_app.Dialogs().MessageBox(text, kMbOk | kMbIconExclamation); };
  host.question = [this](const std::string& text) {
    return m_app.Dialogs().MessageBox(text, kMbYesNo | kMbIconQuestion) == kIdYes;
  };
  host.copy = [](const std::string& text) { QApplication::clipboard()->setText(QString::fromLocal8Bit(text.c_str())); };
  host.frameCommandEnabled = [this](int id) { return m_frame.QueryCommand(CommandId(id)).enabled; };
  host.runFrameCommand = [this](int id) { m_frame.ExecuteCommand(CommandId(id)); };
  // One list of bookmarks for the project's windows: a window opened for
  // another project starts without them.
  const std::string project = m_app.Project() ? m_app.Project()->folder.str() + m_app.Project()->name.str() : "";
  if (project != m_bookmarkProject) {
    m_bookmarks.clear();
    m_bookmarkProject = project;
  }
  host.bookmarks = &m_bookmarks;
  host.openFind = [this] { OpenFindDialog(); };
  host.waitCursor = [this](bool on) { m_frame.SetWaitCursor(on); };
  host.progress = [this](const std::string& title, const std::string& cancelText) {
    return std::unique_ptr<OperationProgress>(
        std::make_unique<DialogProgress>(title, cancelText, &m_frame, progressClock));
  };
  host.registerTie = [this](int64_t item) {
    if (m_registerTie) m_registerTie(item);
  };
  auto* sheet = new SECWorksheetWnd(&m_frame);
  sheet->setAttribute(Qt::WA_DeleteOnClose);
  sheet->setObjectName("DisassemblyFrame");
  m_disassembly = new DisassemblyView(host);
  sheet->setWidget(m_disassembly);
  sheet->setWindowTitle("Disassembly");
  sheet->setWindowIcon(DisassemblyWindowIcon());
  sheet->SetTabIcon(DisassemblyWindowIcon());
  m_disassemblySheet = sheet;
  m_frame.MdiClient()->addSubWindow(sheet);
  // The right half of the client area, beside the source it disassembles.
  const QRect area = m_frame.MdiClient()->viewport()->rect();
  sheet->setGeometry(area.width() / 2, 0, std::max(320, area.width() / 2), std::max(240, area.height()));
  sheet->showNormal();
  KeepSettingsPlacement(sheet, &m_frame.WindowSettings().disassemblyFrame);
  m_disassembly->ApplySettings(m_frame.WindowSettings());
  if (m_session.SessionActive()) {
    m_session.Record()->windowFlags |= kDbgWinDisassembly;
    m_disassembly->GotoAddress(m_session.Record()->pc);
  }
  m_disassembly->setFocus();
  return m_disassembly;
}

void DebugWindows::MakeMemoryWindow() {
  SECControlBar* bar = m_frame.MemoryBar();
  if (!bar || m_memory) return;
  MemoryHost host;
  host.record = [this] { return m_session.SessionActive() ? m_session.Record() : nullptr; };
  host.active = [this] { return m_session.SessionActive(); };
  host.toolset = [this] {
    ProjectRec* p = m_app.Project();
    return p && p->curTarget ? int(p->curTarget->toolset) : 3;
  };
  host.bigEndian = [this] {
    ProjectRec* p = m_app.Project();
    return p && p->curTarget && p->curTarget->pOpts && (p->curTarget->pOpts->lst.GLFLAGS & kGlFlagsBigEndian);
  };
  host.beep = [this] { m_app.Dialogs().Beep(); };
  host.say = [this](const std::string& text) { m_app.Dialogs().MessageBox(text, kMbOk | kMbIconExclamation); };
  host.askValues = [this](const std::string& title, const std::string& example, std::string* text) {
    bool ok = false;
    const QString t = QInputDialog::getText(&m_frame, QString::fromStdString(title), QString::fromStdString(example),
                                            QLineEdit::Normal, QString(), &ok);
    *text = t.toLocal8Bit().toStdString();
    return ok;
  };
  host.written = [this] { m_app.IdeServiceCall(22, kRefreshAfterWrite); };
  m_memory = new MemoryWindow(host);
  m_memory->ApplySettings(m_frame.WindowSettings());
  QWidget* placeholder = bar->Child();
  bar->SetChild(m_memory);
  if (placeholder && placeholder != m_memory) placeholder->deleteLater();
  // A window made in the middle of a session takes the pages the target kept.
  m_app.IdeServiceCall(29, 0);
}

MemoryWindow* DebugWindows::OpenMemoryWindow() {
  SECControlBar* bar = m_frame.MemoryBar();
  if (!bar) return nullptr;
  MakeMemoryWindow();
  m_frame.ShowControlBar(bar, true, false);
  m_memory->UpdateAll();
  // A page without an address takes the keys in its address bar.
  MemoryPage* page = m_memory->ActivePage();
  if (page->AddressEdit()->text().isEmpty()) page->AddressEdit()->setFocus();
  return m_memory;
}

void DebugWindows::OpenFindDialog() {
  if (!m_find) {
    m_find = new OutputFindDialog(&m_frame, [this](const std::string& text, const FindOptions& options) {
      if (m_disassembly) m_disassembly->Find(text, options.down, options.matchCase, options.wholeWord);
    });
    m_find->setObjectName("DisassemblyFind");
  }
  m_find->Open();
}

void DebugWindows::ApplySettings(const WindowFonts& settings) {
  if (m_command) m_command->ApplySettings(settings);
  if (m_disassembly) m_disassembly->ApplySettings(settings);
  if (m_memory) m_memory->ApplySettings(settings);
}

void DebugWindows::Append(const char* text) {
  if (m_command) m_command->Append(text);
}

bool DebugWindows::DisassemblyInFront() const { return ActiveDisassembly() != nullptr; }

void DebugWindows::AppendEcho(const char* text) {
  if (!m_command || !text || !*text) return;
  m_command->Output().SetEcho();
  m_command->Append(text);
}

void DebugWindows::TargetStopped() {
  // The PC is shown: the inline assembler's address is the driver's again.
  if (m_session.SessionActive()) m_session.Record()->shownAddress = 0xFFFFFFFFu;
  if (m_disassembly && m_session.SessionActive()) m_disassembly->GotoAddress(m_session.Record()->pc);
  if (m_memory) m_memory->UpdateAll();
}

void DebugWindows::SetSyntaxTables(const void* fallback1, const void* fallback2, const void* root) {
  if (m_command) m_command->SetSyntaxTables(fallback1, fallback2, root);
}

bool DebugWindows::Service(int code, intptr_t arg, intptr_t* result) {
  *result = 0;
  switch (code) {
    case 36: {  // a typed line for the driver: (length*, buffer*, prompt*, capacity)
      if (!m_command || !arg) return true;
      struct Request {
        uint32_t* length;
        char* buffer;
        const char* prompt;
        uint32_t capacity;
      };
      const auto* r = reinterpret_cast<const Request*>(arg);
      m_command->RequestInput({r->length, r->buffer, r->prompt, r->capacity});
      *result = 1;
      return true;
    }
    case 37:  // the prompt
      if (m_command) m_command->SetPrompt(reinterpret_cast<const char*>(arg));
      return true;
    case 6:
    case 28:
      if (m_disassembly && m_session.SessionActive()) m_disassembly->ScrollToAddress(m_session.Record()->pc);
      // The debug layout may show the memory bar before its window was ever
      // made (the first session after the program's start): it gets it.
      if (code == 6 && !m_memory && m_session.SessionActive() && m_frame.MemoryBar() &&
          m_frame.MemoryBar()->IsBarVisible()) {
        MakeMemoryWindow();
        if (m_memory) m_memory->UpdateAll();
      }
      return false;
    case 22:
      // The argument is the refresh's flags: 0 also brings the PC into view;
      // after a write the lines are read again where they stand (the write
      // may have been to code).
      if (m_disassembly && m_session.SessionActive() && arg == 0)
        m_disassembly->ScrollToAddress(m_session.Record()->pc);
      else if (m_disassembly && m_session.SessionActive() && arg == kRefreshAfterWrite)
        m_disassembly->ScrollToAddressAndSelect(0, 2);
      if (m_memory && !(arg & kRefreshNoData)) m_memory->UpdateAll();
      return false;
    case 14:
      // A breakpoint changed: the shown lines take their new marks where
      // they are (the editors' marks are the debug bar's).
      if (m_disassembly) m_disassembly->UpdateLineStates();
      return false;
    case 26:
    case 27:
    case 40: {
      // [address]: the window opens when needed and shows the address.
      const auto* address = reinterpret_cast<const uint32_t*>(arg);
      if (!m_session.SessionActive() || (code != 27 && !address)) return true;
      // An open window follows without taking the focus (the inline
      // assembler keeps it while the window shows its address).
      DisassemblyView* view = m_disassembly ? m_disassembly.data() : OpenDisassemblyWindow();
      // Asked to show an address (the editor's Show Disassembly at, a
      // stop without source): the window comes in front of the editors.
      if (code == 26 && m_disassemblySheet) m_frame.MdiClient()->setActiveSubWindow(m_disassemblySheet);
      if (code == 40)
        view->GotoAddressIfCached(*address);
      else
        view->ScrollToAddressAndSelect(code == 26 ? *address : 0, code == 26 ? 0 : 2);
      *result = code == 26 ? intptr_t(*address) : 0;
      return true;
    }
    case 31:
    case 310:
      if (m_memory && !(arg & kRefreshNoData)) m_memory->UpdateAll();
      return false;
    case 5:
    case 45:
      // The watch pages refresh on these too (debug_bar_commands.cpp).
      if (m_memory) m_memory->UpdateAll();
      return false;
    default:
      return false;
  }
}

}  // namespace pm2
