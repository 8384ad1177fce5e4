#include "editor/ide/editor_view.h"

#include "editor/ide/margin_view.h"

#include <QString>
#include <cstdio>

#include <QApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QWheelEvent>

#include "editor/document/view_commands.h"
#include "editor/engine/find_settings.h"
#include "editor/engine/undo_group.h"
#include "editor/ide/editor_panes.h"
#include "editor/ide/editor_status.h"
#include "editor/ide/editor_printer.h"
#include "editor/ide/find_dialog.h"
#include "editor/ide/page_setup_dialog.h"
#include "platform/settings_store.h"

namespace pm2 {

namespace {

QString Latin1(const std::string& s) { return QString::fromLatin1(s.data(), qsizetype(s.size())); }
}  // namespace

std::string PasteLossText(std::size_t lost) {
  return "Pasted with " + std::to_string(lost) + (lost == 1 ? " character" : " characters") +
         " as '?': the text holds Windows-1252 characters only";
}

EditorView::EditorView(EditorDocument* doc, EditShared* shared, EditorViewContext* ctx, QWidget* parent)
    : EditView(&doc->Text(), shared, parent), m_doc(doc), m_ctx(ctx) {
  if (!m_ctx->appState) m_ctx->appState = &m_ownState;
  m_doc->AddView(this);
  connect(this, &EditView::caretMoved, this, &EditorView::UpdateStatus);
  connect(this, &EditView::textChanged, this, &EditorView::UpdateStatus);
  // The engine's messages ("not found", read-only, ...) go to the shell's box.
  if (m_ctx->showMessage)
    connect(this, &EditView::message, this, [this](int, const QString& text) {
      const QByteArray bytes = text.toLatin1();  // the view made it from these bytes
      if (m_ctx->showMessage) m_ctx->showMessage(std::string(bytes.constData(), std::size_t(bytes.size())));
    });
  // Characters a paste could not keep are said on the message line, once
  // per paste.
  SetPasteLossHandler([this](std::size_t lost) {
    if (m_ctx->status) m_ctx->status->ShowStatusText(PasteLossText(lost));
  });
  SetFindOnlyDialogQuery([this] { return IsFindDialogOpen() && !m_findDialog->IsReplace(); });
  m_margin = new EditorMargin(*this, &m_ctx->debug);
  SetMarginPainter([this](QPainter& p, const QRect& cell, const CEditLine& line) { m_margin->Paint(p, cell, line); });
  ApplyTypeSettings();
}

EditorView::~EditorView() {
  // The margin watches the viewport and paints through this view; the
  // viewport outlives this part of the view, and events it gets while it
  // goes must not reach them.
  viewport()->removeEventFilter(m_margin);
  SetMarginPainter({});
  if (m_findDialog) delete m_findDialog.data();
  if (m_panes) m_panes->Forget(this);
  m_doc->RemoveView(this);
}

void EditorView::Beep() { QApplication::beep(); }

bool EditorView::PreviewRefuses() const { return (*m_ctx->appState & kAppPrintPreview) != 0; }

// ---- settings ----

void EditorView::ApplyTypeSettings() {
  const EditFileTypeSettings& rec = m_doc->TypeSettings();
  if (rec.TabSize() > 0) Text().SetTabSize(rec.TabSize());
  Text().m_bShowTabs = rec.Has(kFtShowTabs);
  Text().m_bAutoIndent = rec.Has(kFtAutoIndent);
  Engine().SetFreeColumn(rec.Has(kFtVirtualSpace));
  Engine().TextChangedFrom(1);
  ApplyTextFont();
}

void EditorView::InitialUpdate() {
  // The lines were replaced: the engine lets go of the old ones first.
  ResetView();
  ApplyTypeSettings();
  m_margin->LoadMarks(true);
  if (m_rememberedTop > 0) {
    Engine().SetTopLine(m_rememberedTop);
    CEditLine* line = Text().GetLine(std::max(m_rememberedCaret, 1));
    Engine().SetCaret(line, 0);
    Engine().UpdateCaret();
    m_rememberedTop = m_rememberedCaret = 0;
  }
  UpdateStatus();
  // A connected add-in follows the C files of the project the user opens.
  if (m_margin->InProject() && m_doc->FileType() == 1 && m_ctx->announceOpen) m_ctx->announceOpen(m_doc->Path());
}

void EditorView::Renamed() { m_margin->Renamed(); }

void EditorView::OnDocumentHint(uint32_t hint) {
  const EditState& s = Engine().State();
  if (m_margin->OnHint(hint)) return;
  switch (hint) {  // the hints a view acts on; any other repaints
    case kHintRememberPosition:
      m_rememberedTop = s.nTopLine;
      m_rememberedCaret = s.nCaretLine;
      return;
    case kHintShowLineAtColumn:
      GotoLineCentered(m_doc->targetLine, m_doc->targetColumn);
      return;
    case kHintShowLineAtWord:
      ShowLineAtWord(m_doc->targetLine, m_doc->searchText);
      return;
    case kHintSettingsChanged:
      Text().LoadSettings();
      ApplyTypeSettings();
      return;
    case kHintTextChanged:
    case kHintLinesDeleted:
      Engine().OnOtherViewChanged(int(hint));
      return;
    default:
      viewport()->update();
  }
}

// ---- engine host ----

void EditorView::Notify(int hint) {
  EditView::Notify(hint);
  if (hint != kHintCaretMoved) m_doc->UpdateAllViews(uint32_t(hint), this);
}

void EditorView::ScrollBarsChanged() {
  EditView::ScrollBarsChanged();
  if (m_panes) m_panes->SyncFrom(this);
}

void EditorView::RequestDialog(int command) {
  if (command == kCmdCloseFindDialog) {
    if (m_findDialog) m_findDialog->close();
    return;
  }
  // An open dialog, find or replace, is brought forward with the focus in
  // its find field.
  if (IsFindDialogOpen()) {
    m_findDialog->raise();
    m_findDialog->activateWindow();
    m_findDialog->TakeFocus();
    return;
  }
  bool replace = command == kCmdEditReplace;
  if (m_findDialog && m_findDialog->IsReplace() != replace) delete m_findDialog.data();
  if (!m_findDialog) m_findDialog = new EditFindDialog(this, replace, m_ctx->settings, [this] { UpdateStatus(); });
  m_findDialog->Prepare();
  m_findDialog->show();
  m_findDialog->raise();
  m_findDialog->activateWindow();
}

bool EditorView::LoadFindOptions(EditFindOptions* pOptions) const {
  if (!m_ctx->settings) return false;
  FindHistory history;
  LoadFindSettings(*m_ctx->settings, pOptions, &history);
  return true;
}

void EditorView::StoreFindText(const std::string& text, bool matchCase) {
  if (!m_ctx->settings) return;
  EditFindOptions opt;
  FindHistory history;
  LoadFindSettings(*m_ctx->settings, &opt, &history);
  // Entry 1 is overwritten, not pushed.
  if (history.find.empty())
    history.find.push_back(text);
  else
    history.find[0] = text;
  opt.text = text;
  opt.matchCase = matchCase;
  SaveFindSettings(*m_ctx->settings, opt, history);
}

EditFindDialog* EditorView::FindDialog() const { return m_findDialog.data(); }

bool EditorView::IsFindDialogOpen() const { return m_findDialog && m_findDialog->isVisible(); }

// ---- status ----

void EditorView::UpdateStatus() {
  // The frame's title shows the modified flag; undo may clear it again.
  bool modified = Text().IsModified() != 0;
  if (modified != m_shownModified) {
    m_shownModified = modified;
    emit titleChanged();
  }
  if (!m_ctx->status) return;
  const EditState& s = Engine().State();
  std::string caret = CaretStatusText(s.nCaretLine, s.nCaretCol);
  if (caret != m_ctx->lastCaretStatus) {
    m_ctx->lastCaretStatus = caret;
    m_ctx->status->SetCaretPosition(caret);
    emit titleChanged();
  }
  m_ctx->status->SetReadOnly(ReadOnlyStatusText(Text().IsReadOnly() != 0));
  m_ctx->status->SetOverwrite(OverwriteStatusText(Text().GetInsertMode() != 0));
}

// ---- positions ----

bool EditorView::GetWordAtCaret(std::string* out) const { return WordAtCaret(Engine(), out); }

bool EditorView::HasSelectionShown() const { return !PreviewRefuses() && Engine().HasSelection(); }

bool EditorView::GetViewPosition(int* top, int* caret, int* column) const {
  const EditState& s = Engine().State();
  *top = s.nTopLine;
  bool visible = s.nCaretLine >= s.nTopLine && s.nCaretLine < s.nTopLine + Engine().Rows();
  *caret = visible ? s.nCaretLine : s.nTopLine;
  *column = s.nCaretCol;
  return true;
}

void EditorView::RestoreViewPosition(int top, int caret, int column) {
  Engine().ClearSelection();
  Engine().SetTopLine(std::max(top, 1));
  Engine().SetCaret(Text().GetLine(std::max(caret, 1)), std::max(column, 0));
  Engine().UpdateCaret();
  UpdateStatus();
}

void EditorView::GotoLineCentered(int line, int column) {
  if (Engine().HasSelection()) Engine().ClearSelection();
  line = std::clamp(line, 1, Text().GetLineCount());
  Engine().SetTopLine(CenteredTopLine(line, Engine().Rows()));
  Engine().GotoLine(line, column);
  UpdateStatus();
}

void EditorView::ShowLineAtWord(int line, const std::string& word) {
  GotoLineCentered(line, 0);
  if (word.empty()) return;
  CEditLine* p = Text().GetLine(std::max(line, 1));
  size_t at = p->m_text.find(word);
  if (at == std::string::npos || at > size_t(Text().ContentLength(p))) return;
  int start = Text().IndexToColumn(p, int(at));
  int end = Text().IndexToColumn(p, int(at + word.size()));
  Engine().SelectText({p, int(at)}, end - start);
}

int EditorView::GotoListingLine(int n, const std::string& quotedName) {
  int line = FindListingLine(Text(), n, quotedName);
  if (line > 0) GotoLineCentered(line, 0);
  return line;
}

// ---- commands ----

bool EditorView::IsViewCommandEnabled(int id) const {
  switch (id) {  // the view's own rules; the engine's commands keep theirs
    case kCmdIndentBlock:
    case kCmdUnindentBlock:
      // A read-only text says so when the block is shifted.
      return Engine().HasSelection();
    case kCmdCutLine:
      return !m_doc->Text().IsReadOnly();
    case kCmdInsertInclude:
      // An include of a header the compiler would not find is never offered.
      return !m_doc->Text().IsReadOnly() && !FoundRegisterHeader().empty();
    case kCmdFindWordForward:
    case kCmdFindWordBackward:
    case kCmdMatchBracket:
    case kCmdGoToLine:
    case kCmdOpenIncludeFile:
    case kCmdOpenLinkerCod:
    case kCmdPageSetup:
    case kCmdPrint:
    case kCmdPrintPreview:
      return true;
    case kCmdShowDisassemblyAt:
      return m_menuCode >= 0 && m_ctx->debug && m_ctx->debug->SessionRecord();
    case kCmdSetProgramCounter:
      return m_menuPc >= 0 && m_ctx->debug && m_ctx->debug->SessionRecord();
    case kCmdRunToCursorLine:
      return m_menuRunTo >= 0 && m_ctx->debug && m_ctx->debug->SessionRecord() && !SessionRunning();
    case kCmdToggleBreakpoint:
      return m_margin->CanInsertBreakpoint();
    case kCmdEnableBreakpoint:
      return m_margin->CanEnableBreakpoint();
    case kCmdClearCoverage:
      return m_ctx->debug && m_ctx->debug->SessionRecord() && m_margin->HasLineInfo();
    case kCmdAddToWatch1:
    case kCmdAddToWatch2:
      return m_ctx->debug && m_ctx->debug->SessionRecord();
    case kCmdDefinitionAtCaret:
    case kCmdReferenceAtCaret:
      return m_ctx->goToSymbol != nullptr;
    case kCmdGoToDefinition:
    case kCmdGoToReference:
      return m_ctx->goToSymbol != nullptr && !m_menuWord.empty();
    default:
      return Engine().IsCommandEnabled(id);
  }
}

bool EditorView::RunViewCommand(int id) {
  switch (id) {  // one handler per command
    case kCmdIndentBlock: ShiftSelectedBlock(0); return true;
    case kCmdUnindentBlock: ShiftSelectedBlock(1); return true;
    case kCmdCutLine: CutLine(); return true;
    case kCmdFindWordForward: FindWord(true); return true;
    case kCmdFindWordBackward: FindWord(false); return true;
    case kCmdMatchBracket: MatchBracket(); return true;
    case kCmdInsertInclude: InsertIncludeLine(); return true;
    case kCmdOpenIncludeFile: OpenIncludeFile(); return true;
    case kCmdOpenLinkerCod: OpenLinkerCod(); return true;
    case kCmdGoToLine:
      if (m_ctx->goToLineDialog) m_ctx->goToLineDialog();
      return true;
    case kCmdShowDisassemblyAt:
      if (!IsViewCommandEnabled(id)) Beep();
      else m_ctx->debug->ShowDisassemblyAt(uint32_t(m_menuCode));
      return true;
    case kCmdSetProgramCounter:
      if (!IsViewCommandEnabled(id)) Beep();
      else m_ctx->debug->SetProgramCounter(uint32_t(m_menuPc));
      return true;
    case kCmdRunToCursorLine: {
      uint32_t address = 0;
      if (m_menuRunTo >= 0) address = uint32_t(m_menuRunTo);
      const bool known = m_menuRunTo >= 0 || m_margin->CaretLineAddress(&address);
      if (!known || !m_ctx->debug || !m_ctx->debug->SessionRecord() || SessionRunning()) Beep();
      else m_ctx->debug->RunToAddress(address);
      return true;
    }
    case kCmdToggleBreakpoint:
      if (!m_margin->ToggleBreakpoint()) Beep();
      return true;
    case kCmdEnableBreakpoint:
      if (!m_margin->ToggleBreakpointEnable()) Beep();
      return true;
    case kCmdClearCoverage:
      if (!IsViewCommandEnabled(id)) Beep();
      else m_ctx->debug->ClearCoverage();
      return true;
    case kCmdAddToWatch1: AddToWatch(1); return true;
    case kCmdAddToWatch2: AddToWatch(2); return true;
    case kCmdDefinitionAtCaret: GoToSymbolAtCaret(true); return true;
    case kCmdReferenceAtCaret: GoToSymbolAtCaret(false); return true;
    case kCmdGoToDefinition:
    case kCmdGoToReference:
      // The current word of the last context menu.
      if (m_menuWord.empty() || !m_ctx->goToSymbol) Beep();
      else m_ctx->goToSymbol(m_menuWord, id == kCmdGoToDefinition);
      return true;
    case kCmdPrint: PrintView(*this, m_ctx->settings, window()); return true;
    case kCmdPrintPreview: PreviewView(*this, m_ctx->settings, window()); return true;
    case kCmdPageSetup:
      if (m_ctx->settings) RunPageSetup(*m_ctx->settings, window());
      return true;
    default: {
      bool ran = Engine().RunCommand(id);
      // Undo and redo: the document's modified flag follows the text's.
      if (ran && (id == kCmdEditUndo || id == kCmdEditRedo)) emit titleChanged();
      return ran;
    }
  }
}

void EditorView::ShiftSelectedBlock(int direction) {
  if (!Engine().HasSelection()) {
    Beep();
    return;
  }
  // Recorded in the undo log like any other edit, so that later undos
  // still find their positions.
  int rc = Engine().ShiftBlock(direction, true);
  if (rc != kEditOk) {
    ShowMessage(rc, EditEngineStatusText(rc));
    return;
  }
  Text().SetModified(1);
  Engine().TextChangedFrom(1);
  viewport()->update();
  Engine().UpdateCaret();
  Notify(kHintTextChanged);
}

void EditorView::FindWord(bool forward) {
  std::string word;
  if (PreviewRefuses() || !GetWordAtCaret(&word)) {
    Beep();
    return;
  }
  if (m_ctx->addFindHistory) m_ctx->addFindHistory(word);
  EditFindOptions opt;
  FindHistory history;
  if (m_ctx->settings) LoadFindSettings(*m_ctx->settings, &opt, &history);
  EditShared& shared = Engine().Shared();
  shared.find.text = word;
  shared.find.matchCase = opt.matchCase;
  shared.find.wrap = opt.wrap;
  shared.find.regex = false;
  shared.find.forward = forward;
  Engine().FindAgain();
  UpdateStatus();
}

void EditorView::MatchBracket() {
  if (PreviewRefuses() || Engine().HasSelection()) {
    Beep();
    return;
  }
  EditPos at = Engine().CaretPos(), partner;
  if (!FindMatchingBracket(Text(), at, &partner)) {
    Beep();
    return;
  }
  Engine().SetSelection(at, partner, false);
  UpdateStatus();
}

void EditorView::CutLine() {
  const EditState& s = Engine().State();
  bool visible = s.nCaretLine >= s.nTopLine && s.nCaretLine < s.nTopLine + std::max(Engine().Rows(), 1);
  if (PreviewRefuses() || !visible || Engine().HasSelection() || Text().IsReadOnly()) {
    Beep();
    return;
  }
  CEditLine* line = s.pCaretLine;
  int number = s.nCaretLine;
  Clipboard().SetText(line->m_text.substr(0, size_t(Text().ContentLength(line))));
  if (!line->m_pNext) {
    Beep();  // the last line is copied, not deleted
    return;
  }
  {
    UndoGroup group(&Text());
    Text().DeleteRange({line, 0}, {line->m_pNext, 0}, true);
  }
  Text().SetModified(1);
  Engine().SyncLineCount();
  Engine().RepairLinePointers();
  Engine().SetCaret(Text().GetLine(number), 0);
  Engine().TextChangedFrom(1);
  viewport()->update();
  Engine().UpdateCaret();
  Notify(kHintLinesDeleted);
}

std::string EditorView::FoundRegisterHeader(std::string* missing) const {
  std::string header = m_ctx->registerHeader ? m_ctx->registerHeader() : std::string();
  if (missing) missing->clear();
  if (header.empty()) return {};
  IncludeContext ctx;
  if (m_ctx->includeContext && m_ctx->includeContext(&ctx)) {
    ctx.documentPath = m_doc->Path();
    IncludeLine inc;
    inc.angle = true;
    inc.name = header;
    inc.spec = "<" + header + ">";
    if (!FindIncludeFile(inc, ctx, OpenStored()).empty()) return header;
  }
  if (missing) *missing = header;
  return {};
}

void EditorView::InsertIncludeLine() {
  std::string header = FoundRegisterHeader();
  if (header.empty() || Text().IsReadOnly()) {
    Beep();
    return;
  }
  std::string visible = "#include <" + header + ">";
  std::string text = visible + std::string(Text().GetLineEnd());
  if (Engine().HasSelection()) Engine().ClearSelection();
  int number = Engine().State().nCaretLine;
  {
    UndoGroup group(&Text());
    Text().InsertText({Engine().State().pCaretLine, 0}, text.data(), int(text.size()), true);
  }
  Text().SetModified(1);
  Engine().SyncLineCount();
  Engine().RepairLinePointers();
  Engine().SetCaret(Text().GetLine(number), int(visible.size()));
  Engine().TextChangedFrom(1);
  viewport()->update();
  Engine().UpdateCaret();
  Notify(kHintTextChanged);
}

std::string EditorView::ResolveIncludeAtCaret(std::string* spec) const {
  IncludeContext ctx;
  if (!m_ctx->includeContext || !m_ctx->includeContext(&ctx)) return {};
  IncludeLine inc;
  if (!ParseIncludeLine(Engine().State().pCaretLine->m_text, &inc)) return {};
  if (spec) *spec = inc.spec;
  ctx.documentPath = m_doc->Path();
  return FindIncludeFile(inc, ctx, OpenStored());
}

std::function<bool(const std::string&, std::string*)> EditorView::OpenStored() const {
  if (m_ctx->openStored) return m_ctx->openStored;
  return [](const std::string& p, std::string* local) {
    *local = p;
    return StatFile(p).exists;
  };
}

void EditorView::OpenLinkerCod() {
  std::string path = m_codPath;
  int line = m_codLine;
  m_codPath.clear();
  std::string quoted = "'" + m_doc->FileName() + "'";
  if (path.empty() || !m_ctx->showListingLine || !m_ctx->showListingLine(path, line, quoted)) Beep();
}

void EditorView::OpenIncludeFile() {
  std::string path = m_includePath.empty() ? ResolveIncludeAtCaret() : m_includePath;
  m_includePath.clear();
  if (path.empty() || !m_ctx->openDocument) {
    Beep();
    return;
  }
  m_ctx->openDocument(path);
}

// ---- context menu ----

bool EditorView::SessionRunning() const {
  DebugInterface* r = m_ctx->debug ? m_ctx->debug->SessionRecord() : nullptr;
  return r && (r->flags & kDbgFlagExecuting);
}

namespace {
// The longest word the word entries take, with room for its end.
constexpr std::size_t kMenuWordMax = 120;

QAction* AddViewAction(EditorView& view, QMenu& to, const QString& label, int id, bool enabled) {
  QAction* a = to.addAction(label);
  a->setData(id);
  a->setEnabled(enabled && view.IsViewCommandEnabled(id));
  QObject::connect(a, &QAction::triggered, &view, [&view, id] { view.RunViewCommand(id); });
  return a;
}
}  // namespace

bool EditorView::BuildContextMenu(QMenu& menu) {
  if (!BuildContextEntries(menu)) return false;
  if (m_ctx->menuImages) m_ctx->menuImages(menu);
  return true;
}

bool EditorView::BuildContextEntries(QMenu& menu) {
  EditView::BuildContextMenu(menu);
  // What the last menu found is forgotten: its commands act on this one's line.
  m_includePath.clear();
  m_codPath.clear();
  m_menuCode = m_menuPc = m_menuRunTo = -1;
  m_menuWord.clear();
  auto add = [&](const QString& label, int id, bool enabled = true) {
    return AddViewAction(*this, menu, label, id, enabled);
  };
  IncludeContext probe;
  const bool project = m_ctx->includeContext && m_ctx->includeContext(&probe);
  // Without the toolset's folder nothing of the project can be looked up:
  // the engine's entries are all.
  if (project && probe.toolsetRoot.empty()) return true;
  const bool session = m_ctx->debug && m_ctx->debug->SessionRecord();
  const CEditLine* line = Engine().State().pCaretLine;
  bool openAdded = false;
  if (project) {
    std::string spec;
    m_includePath = ResolveIncludeAtCaret(&spec);
    if (!m_includePath.empty()) {
      menu.addSeparator();
      add(QStringLiteral("&Open document %1").arg(Latin1(spec)), kCmdOpenIncludeFile);
      openAdded = true;
    }
    m_codPath = m_doc->FileType() == 1 && m_ctx->linkerCodPath ? m_ctx->linkerCodPath() : std::string();
    m_codLine = Engine().State().nCaretLine;
    if (!m_codPath.empty()) add(QStringLiteral("Open Linker COD File"), kCmdOpenLinkerCod);
    // In a session a line with code offers its disassembly, and, in sight,
    // to make it the next statement.
    if (session && line && (line->m_nFlags & kLineHasCode)) {
      m_menuCode = line->m_nCodeAddress;
      char label[48];
      std::snprintf(label, sizeof label, "Show Disassembly at 0x%X", unsigned(m_menuCode));
      add(QString::fromLatin1(label), kCmdShowDisassemblyAt);
      if (m_margin->CaretLineVisible()) {
        m_menuPc = line->m_nCodeAddress;
        add(QStringLiteral("Set Program Counter"), kCmdSetProgramCounter);
      }
    }
  }
  // Greyed during a debug session; a header not found on the target's
  // include paths is greyed with the reason (the compiler would not find it).
  std::string missing;
  const std::string header = FoundRegisterHeader(&missing);
  if (!header.empty()) add(QStringLiteral("Insert '#include <%1>'").arg(Latin1(header)), kCmdInsertInclude, !session);
  if (!missing.empty()) {
    QAction* a = menu.addAction(
        QStringLiteral("Insert '#include <%1>' (not on the target's include paths)").arg(Latin1(missing)));
    a->setEnabled(false);
  }
  if (m_ctx->startupEditorOffered && m_ctx->openStartupEditor && m_ctx->startupEditorOffered(*this)) {
    menu.addSeparator();
    connect(menu.addAction(QStringLiteral("Open in Startup Editor")), &QAction::triggered, this,
            [this] { m_ctx->openStartupEditor(*this); });
  }
  if (openAdded || !project) return true;
  if (session) {
    menu.addSeparator();
    uint32_t address = 0;
    if (m_margin->CaretLineAddress(&address)) m_menuRunTo = address;
    add(QStringLiteral("Run to Cursor line"), kCmdRunToCursorLine);
  }
  menu.addSeparator();
  add(QStringLiteral("Go To Line"), kCmdGoToLine);
  add(QStringLiteral("Insert/Remove Breakpoint"), kCmdToggleBreakpoint);
  add(QStringLiteral("Enable/Disable Breakpoint"), kCmdEnableBreakpoint);
  add(QStringLiteral("Clear complete Code Coverage Info"), kCmdClearCoverage);
  AddWordEntries(menu, session);
  return true;
}

void EditorView::AddWordEntries(QMenu& menu, bool session) {
  std::string word;
  if (!GetWordAtCaret(&word) || word.empty() || word.size() >= kMenuWordMax) return;
  m_menuWord = word;
  if (m_ctx->browserMenu) m_ctx->browserMenu(*this, menu);
  if (!session) return;
  menu.addSeparator();
  QMenu* watch = menu.addMenu(QStringLiteral("Add \"%1\" to Watch Window...").arg(Latin1(word)));
  AddViewAction(*this, *watch, QStringLiteral("#&1"), kCmdAddToWatch1, true);
  AddViewAction(*this, *watch, QStringLiteral("#&2"), kCmdAddToWatch2, true);
}

void EditorView::AddToWatch(int page) {
  std::string word = m_menuWord;
  if (word.empty() && (!GetWordAtCaret(&word) || word.size() >= kMenuWordMax)) word.clear();
  if (word.empty() || !m_ctx->debug || !m_ctx->debug->SessionRecord() || !m_ctx->debug->AddToWatch(page, word)) Beep();
}

void EditorView::GoToSymbolAtCaret(bool definition) {
  std::string word;
  if (PreviewRefuses() || !GetWordAtCaret(&word) || word.empty() || word.size() >= kMenuWordMax || !m_ctx->goToSymbol) {
    Beep();
    return;
  }
  m_ctx->goToSymbol(word, definition);
}

// ---- input ----

void EditorView::wheelEvent(QWheelEvent* e) {
  int notches = e->angleDelta().y() / 120;
  bool ctrl = e->modifiers() & Qt::ControlModifier;
  for (int i = 0; i < std::abs(notches); ++i) {
    WheelStep step = WheelScroll(ctrl, notches > 0);
    for (int k = 0; k < step.count; ++k) Engine().OnVScroll(step.code, 0);
  }
  e->accept();
}

void EditorView::mousePressEvent(QMouseEvent* e) {
  const EditState& s = Engine().State();
  int rows = Engine().Rows();
  QPointF pos = e->position();
  if (e->button() == Qt::LeftButton && s.nLineHeight > 0 && pos.y() >= rows * s.nLineHeight) {
    // Below the last whole row: the partly shown line comes into view.
    if (s.nTopLine + rows - 1 < Text().GetLineCount()) Engine().ScrollLineDown();
    pos.setY(pos.y() - s.nLineHeight);
    QMouseEvent moved(e->type(), pos, e->globalPosition(), e->button(), e->buttons(), e->modifiers());
    EditView::mousePressEvent(&moved);
    return;
  }
  EditView::mousePressEvent(e);
}

void EditorView::mouseDoubleClickEvent(QMouseEvent* e) {
  // While the print preview shows the text, a double click selects nothing.
  if (PreviewRefuses()) return;
  // In the margin a double click is the breakpoint toggle, nothing else.
  if (e->position().x() < Engine().State().nLeftMargin) {
    // The first click's line selection goes: the double click selects
    // nothing, and its release selects no line either.
    if (Engine().HasSelection()) Engine().ClearSelection();
    Engine().PointToCaretNearest(int(e->position().x()) + Engine().State().nLeftMargin, int(e->position().y()));
    m_marginDoubleClick = e->button() == Qt::LeftButton;
    if (!m_margin->ToggleBreakpoint()) Beep();
    UpdateStatus();
    return;
  }
  EditView::mouseDoubleClickEvent(e);
  // A double click that selects no word (a blank, the end of a line) is
  // the breakpoint toggle of its line, where the line may take one.
  if (e->button() == Qt::LeftButton && !Engine().HasSelection() && m_margin->CanInsertBreakpoint()) {
    m_margin->ToggleBreakpoint();
    UpdateStatus();
  }
}

void EditorView::mouseReleaseEvent(QMouseEvent* e) {
  if (m_marginDoubleClick && e->button() == Qt::LeftButton) {
    m_marginDoubleClick = false;
    return;
  }
  EditView::mouseReleaseEvent(e);
}

void EditorView::focusInEvent(QFocusEvent* e) {
  *m_ctx->appState |= kAppEditorHasFocus;
  EditView::focusInEvent(e);
  if (m_panes) m_panes->SetActive(this);
  UpdateStatus();
}

void EditorView::focusOutEvent(QFocusEvent* e) {
  *m_ctx->appState &= ~uint32_t(kAppEditorHasFocus);
  EditView::focusOutEvent(e);
}

void EditorView::SetPane(EditorPanes* panes, int row, int column) {
  m_panes = panes;
  m_row = row;
  m_column = column;
}

}  // namespace pm2
