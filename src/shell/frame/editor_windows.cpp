#include "shell/frame/editor_windows.h"

#include <QLayout>

#include <QCloseEvent>
#include <QResizeEvent>
#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>

#include "editor/document/editor_document.h"
#include "editor/ide/editor_panes.h"
#include "editor/wizard/options_parser.h"
#include "editor/wizard_ui/startup_wizard_host.h"
#include "platform/settings_store.h"
#include "shell/project_window/prj_images.h"
#include "toolkit/controls/qt_bridge.h"
#include "toolkit/frames/mdi_child.h"
#include "toolkit/frames/workbook.h"

namespace pm2 {

namespace {

std::string Canonical(const std::string& path) {
  QFileInfo fi(ToQString(path));
  QString c = fi.canonicalFilePath();
  return c.isEmpty() ? FromQString(fi.absoluteFilePath()) : FromQString(c);
}

// An editor window's child frame: its caption is the document's full path
// with "*" right after it while the text is modified; its workbook tab
// keeps the shorter file name.
class EditorSheet : public SECWorksheetWnd {
 public:
  using SECWorksheetWnd::SECWorksheetWnd;
  std::string SheetLabel() const override { return label; }
  std::string label;
};

}  // namespace

// One editor window: the document, its MDI child and the panes in it. The
// document outlives its views: it goes when the panes are gone.
struct EditorWindows::Window {
  std::unique_ptr<EditorDocument> doc;
  EditorSheet* sheet = nullptr;
  EditorPanes* panes = nullptr;
  StartupWizardHost* host = nullptr;  // the panes, or the wizard of a startup file
  bool untitled = false;  // made by File > New and not yet written
};

EditorWindows::EditorWindows(SECWorkbookWnd& frame, EditorWindowServices services)
    : QObject(&frame), m_frame(frame), m_services(std::move(services)) {
  if (m_services.settings) LoadAllEditorTypeSettings(*m_services.settings, &m_typeSettings);
  m_ctx.appState = m_services.appState;
  m_ctx.status = m_services.status;
  m_ctx.settings = m_services.settings;
  m_ctx.showMessage = [this](const std::string& text) {
    if (m_services.questions) m_services.questions->ShowError(text);
  };
  // A text with an options block offers the configuration wizard.
  m_ctx.startupEditorOffered = [](EditorView& v) { return HasOptionsBlockText(v.Document().Text().GetText()); };
  m_ctx.openStartupEditor = [this](EditorView& v) {
    for (const auto& w : m_windows)
      if (w->doc.get() == &v.Document()) w->host->ShowWizard();
  };
  m_frame.MdiClient()->viewport()->installEventFilter(this);
}

EditorWindows::~EditorWindows() { CloseAll(); }

void EditorWindows::TextMessages::ShowMessage(int, const std::string& text) {
  if (m_services.questions) m_services.questions->ShowError(text);
}

EditorWindows::Window* EditorWindows::WindowOf(const QObject* sheet) const {
  for (const auto& w : m_windows)
    if (w->sheet == sheet) return w.get();
  return nullptr;
}

EditorWindows::Window* EditorWindows::ActiveWindow() const { return WindowOf(m_frame.MdiClient()->activeSubWindow()); }

EditorDocument* EditorWindows::Find(const std::string& path) const {
  // The list compares ignoring case and also by bare name; an editor window
  // is found by its full path only.
  const std::string key = Canonical(path);
  for (const auto& w : m_windows)
    if (w->doc->Path() == key) return w->doc.get();
  return nullptr;
}

DocumentEnvironment EditorWindows::Environment() const {
  DocumentEnvironment env;
  env.text.pSettings = m_services.settings;
  env.text.pIni = const_cast<IniFiles*>(&m_keywordFiles);
  env.text.programDir = m_services.programDir;
  env.text.pMessages = &m_textMessages;
  env.typeSettings = const_cast<EditorTypeSettings*>(&m_typeSettings);
  env.appState = m_services.appState;
  env.questions = m_services.questions;
  env.shell = m_services.shell;
  return env;
}

void EditorWindows::Retitle(Window* w) {
  const bool modified = w->doc->IsModified();
  const std::string caption = (w->untitled ? w->doc->Title() : w->doc->Path()) + (modified ? "*" : "");
  w->sheet->label = (w->untitled ? w->doc->Title() : w->doc->FileName()) + (modified ? "*" : "");
  // Set only when it changed: a caption set anew repaints the frame.
  if (FromQString(w->sheet->windowTitle()) != caption) w->sheet->setWindowTitle(ToQString(caption));
}

EditorWindows::Window* EditorWindows::AddWindow(std::unique_ptr<EditorDocument> doc) {
  // A new window opens maximised when the active one is, else it fills the
  // area (a small window in a corner is of no use for editing).
  QMdiSubWindow* before = m_frame.MdiClient()->activeSubWindow();
  const bool maximised = before && before->isMaximized();
  auto owned = std::make_unique<Window>();
  Window* win = owned.get();
  win->doc = std::move(doc);
  win->sheet = new EditorSheet(&m_frame);
  win->sheet->setAttribute(Qt::WA_DeleteOnClose);
  win->sheet->SetMenuResourceId(kEditorMenuId);
  win->panes = new EditorPanes(win->doc.get(), &m_ctx);
  StartupWizardHooks hooks;
  hooks.showError = [this](const std::string& text) {
    if (m_services.questions) m_services.questions->ShowError(text);
  };
  win->host = new StartupWizardHost(win->doc.get(), win->panes, std::move(hooks));
  connect(win->host, &StartupWizardHost::viewChanged, this, &EditorWindows::titleChanged);
  win->sheet->setWidget(win->host);
  win->sheet->setObjectName(ToQString("Source:" + win->doc->Path()));
  static const QIcon kIcon(ProjectTreeImages()->images[5]);  // a translated source file
  win->sheet->setWindowIcon(kIcon);
  win->sheet->SetTabIcon(kIcon);
  win->sheet->installEventFilter(this);
  m_frame.MdiClient()->addSubWindow(win->sheet);
  Retitle(win);
  const QSize area = m_frame.MdiClient()->viewport()->size();
  win->sheet->setGeometry(QRect(QPoint(0, 0), area.width() > 200 && area.height() > 120 ? area : QSize(600, 400)));
  if (maximised)
    win->sheet->showMaximized();
  else
    win->sheet->show();
  // The panes take their size now, so that a first jump can place its line.
  for (QWidget* w : {static_cast<QWidget*>(win->sheet), static_cast<QWidget*>(win->host)})
    if (QLayout* l = w->layout()) l->activate();
  EditorView* view = win->panes->ActiveView();
  view->InitialUpdate();
  connect(view, &EditorView::titleChanged, this, [this, sheet = win->sheet] {
    if (Window* w = WindowOf(sheet)) Retitle(w);
    emit titleChanged();
  });
  // The document goes once its views are gone with the panes.
  connect(win->panes, &QObject::destroyed, this, [this, sheet = win->sheet] { Forget(sheet); });
  m_docs.Add(win->doc.get());
  m_windows.push_back(std::move(owned));
  return win;
}

EditorWindows::Window* EditorWindows::ShowWindowFor(const std::string& pathIn, bool* created) {
  const std::string path = Canonical(pathIn);
  Window* win = nullptr;
  for (const auto& w : m_windows)
    if (w->doc->Path() == path) win = w.get();
  *created = !win;
  if (!win) {
    auto doc = std::make_unique<EditorDocument>(Environment());
    if (!doc->OnOpenDocument(path)) return nullptr;
    win = AddWindow(std::move(doc));
    emit fileNamed(ToQString(path));
  }
  if (win->sheet->isMinimized()) win->sheet->showNormal();
  m_frame.MdiClient()->setActiveSubWindow(win->sheet);
  return win;
}

EditorView* EditorWindows::Open(const std::string& pathIn, int line, int column) {
  bool created = false;
  Window* win = ShowWindowFor(pathIn, &created);
  if (!win) return nullptr;
  EditorView* view = win->panes->ActiveView();
  // A jump to a line shows the text; a startup file opens in its wizard.
  if (line > 0 && win->host->ShowsWizard()) win->host->ShowText();
  if (created && line <= 0 && win->host->Offered()) win->host->ShowWizard();
  if (line > 0) {
    view->GotoLineCentered(line, column);
    // The line is selected, the caret stays at its start.
    CEditTextBuffer& text = win->doc->Text();
    CEditLine* p = text.GetLine(std::min(line, text.GetLineCount()));
    view->Engine().SetSelection({p, text.ContentLength(p)}, {p, 0}, false);
    view->viewport()->update();
  }
  m_ctx.lastCaretStatus.clear();  // the panes show this view now
  view->UpdateStatus();
  view->setFocus();
  return view;
}

EditorView* EditorWindows::OpenText(const std::string& pathIn) {
  bool created = false;
  Window* win = ShowWindowFor(pathIn, &created);
  if (!win) return nullptr;
  if (win->host->ShowsWizard()) win->host->ShowText();
  EditorView* view = win->panes->ActiveView();
  m_ctx.lastCaretStatus.clear();
  view->UpdateStatus();
  return view;
}

EditorView* EditorWindows::NewDocument() {
  auto doc = std::make_unique<EditorDocument>(Environment());
  if (!doc->OnNewDocument("Text" + std::to_string(++m_untitled))) return nullptr;
  Window* win = AddWindow(std::move(doc));
  win->untitled = true;
  Retitle(win);
  m_frame.MdiClient()->setActiveSubWindow(win->sheet);
  EditorView* view = win->panes->ActiveView();
  m_ctx.lastCaretStatus.clear();
  view->UpdateStatus();
  view->setFocus();
  emit titleChanged();
  return view;
}

bool EditorWindows::SaveActiveAs(const std::string& pathIn) {
  Window* w = ActiveWindow();
  if (!w || pathIn.empty()) return false;
  const std::string path = Canonical(pathIn);
  // From now on the document is the file it was written to: its name,
  // time and file-type settings follow the new path.
  if (!w->doc->OnSaveDocument(path)) return false;
  w->untitled = false;
  w->sheet->setObjectName(ToQString("Source:" + path));
  Retitle(w);
  emit titleChanged();
  emit fileNamed(ToQString(path));
  return true;
}

void EditorWindows::CloseActive() {
  if (Window* w = ActiveWindow()) w->sheet->close();
}

bool EditorWindows::CloseAsked(SECWorksheetWnd* sheet) {
  Window* w = WindowOf(sheet);
  if (!w) return false;
  w->doc->Text().SetModified(0);
  if (!w->sheet->close()) return false;
  // The window is deleted later: until then it must not be found as the
  // file's window.
  for (auto it = m_windows.begin(); it != m_windows.end(); ++it)
    if (it->get() == w) {
      m_docs.Remove(w->doc.get());
      m_closing.push_back(std::move(*it));
      m_windows.erase(it);
      emit titleChanged();
      break;
    }
  return true;
}

bool EditorWindows::ActiveIsUntitled() const {
  Window* w = ActiveWindow();
  return w && w->untitled;
}

bool EditorWindows::IsUntitled(const EditorDocument* doc) const {
  for (const auto& w : m_windows)
    if (w->doc.get() == doc) return w->untitled;
  return false;
}

SECWorksheetWnd* EditorWindows::SheetOf(const EditorDocument* doc) const {
  for (const auto& w : m_windows)
    if (w->doc.get() == doc) return w->sheet;
  return nullptr;
}

EditorView* EditorWindows::ViewOf(const EditorDocument* doc) const {
  for (const auto& w : m_windows)
    if (w->doc.get() == doc) return w->panes->ActiveView();
  return nullptr;
}

bool EditorWindows::AnyFindDialogOpen() const {
  for (const auto& w : m_windows)
    for (const EditorView* v : w->panes->findChildren<EditorView*>())
      if (v->IsFindDialogOpen()) return true;
  return false;
}

std::vector<SECWorksheetWnd*> EditorWindows::Sheets() const {
  std::vector<SECWorksheetWnd*> out;
  for (const auto& w : m_windows) out.push_back(w->sheet);
  return out;
}

void EditorWindows::Forget(QObject* sheet) {
  if (std::erase_if(m_closing, [sheet](const std::unique_ptr<Window>& w) { return w->sheet == sheet; })) return;
  for (auto it = m_windows.begin(); it != m_windows.end(); ++it)
    if ((*it)->sheet == sheet) {
      m_docs.Remove((*it)->doc.get());
      m_windows.erase(it);
      emit titleChanged();
      return;
    }
}

bool EditorWindows::eventFilter(QObject* watched, QEvent* event) {
  // A window that fills the area keeps filling it when a bar docks or
  // goes: left at its old size it would reach under the area's new scroll
  // bars, its caption buttons with it.
  if (event->type() == QEvent::Resize && watched == m_frame.MdiClient()->viewport()) {
    const auto* resize = static_cast<QResizeEvent*>(event);
    const QRect filled(QPoint(0, 0), resize->oldSize());
    for (const auto& w : m_windows)
      if (!w->sheet->isMaximized() && !w->sheet->isMinimized() && w->sheet->geometry() == filled)
        w->sheet->setGeometry(QRect(QPoint(0, 0), resize->size()));
    return false;
  }
  // The rectangle of a window while it is neither maximised nor minimised,
  // for its placement when it is saved maximised.
  if (event->type() == QEvent::Move || event->type() == QEvent::Resize) {
    if (auto* sheet = qobject_cast<QMdiSubWindow*>(watched); sheet && !sheet->isMaximized() && !sheet->isMinimized())
      sheet->setProperty(kNormalGeometryProperty, sheet->geometry());
    return false;
  }
  if (event->type() != QEvent::Close) return false;
  Window* w = WindowOf(watched);
  if (!w) return false;
  // A modified text asks before its window closes; Cancel keeps it open.
  if (!w->doc->SaveModified()) {
    event->ignore();
    return true;
  }
  return false;
}

EditorView* EditorWindows::Active() const {
  Window* w = ActiveWindow();
  return w && !w->host->ShowsWizard() ? w->panes->ActiveView() : nullptr;
}

EditorDocument* EditorWindows::ActiveDocument() const {
  Window* w = ActiveWindow();
  return w ? w->doc.get() : nullptr;
}

std::string EditorWindows::ActivePath() const {
  EditorDocument* d = ActiveDocument();
  return d ? d->Path() : std::string();
}

std::string EditorWindows::ActiveTitle() const {
  EditorDocument* d = ActiveDocument();
  return d ? d->FileName() : std::string();
}

bool EditorWindows::SaveActive() {
  EditorDocument* d = ActiveDocument();
  if (!d || ActiveIsUntitled()) return false;
  bool ok = d->OnSaveDocument(d->Path());
  emit titleChanged();
  return ok;
}

bool EditorWindows::SaveAllModified(bool ask) {
  // New texts first: they have no file the list could write them to.
  for (const auto& w : m_windows) {
    if (!w->untitled || !w->doc->IsModified()) continue;
    if (ask && m_services.questions) {
      const auto answer = m_services.questions->AskSaveChanges("Save changes to '" + w->doc->Title() + "' ?");
      if (answer == DocumentQuestions::kCancel) return false;
      if (answer == DocumentQuestions::kNo) continue;
    } else if (!ask) {
      continue;  // saved without asking: nothing to ask the name of
    }
    const std::string path = chooseSaveAs ? chooseSaveAs(w->doc->Title()) : std::string();
    if (path.empty()) return false;
    const std::string canonical = Canonical(path);
    if (!w->doc->OnSaveDocument(canonical)) return false;
    w->untitled = false;
    w->sheet->setObjectName(ToQString("Source:" + canonical));
    Retitle(w.get());
  }
  // The list's walk must not write a new text under its title.
  std::vector<EditorDocument*> untitled;
  for (const auto& w : m_windows)
    if (w->untitled) untitled.push_back(w->doc.get());
  for (EditorDocument* d : untitled) m_docs.Remove(d);
  std::vector<std::string> notSaved;
  bool ok = m_docs.SaveAllModified(ask, m_services.appState, &notSaved);
  for (EditorDocument* d : untitled) m_docs.Add(d);
  // Each file said why it failed; when several did, one list of them all.
  if (notSaved.size() > 1 && m_services.questions) {
    std::string text = "These files were not saved:\n";
    for (const std::string& path : notSaved) text += "\n'" + path + "'";
    m_services.questions->ShowError(text);
  }
  emit titleChanged();
  return ok;
}

int EditorWindows::CheckChangedFiles() { return m_docs.CheckChangedFiles(); }

int EditorWindows::ReloadChanged() { return m_docs.ReloadChanged(); }

void EditorWindows::CloseAll() {
  std::vector<SECWorksheetWnd*> sheets;
  for (const auto* list : {&m_windows, &m_closing})
    for (const auto& w : *list) sheets.push_back(w->sheet);
  for (SECWorksheetWnd* sheet : sheets) {
    sheet->removeEventFilter(this);
    sheet->setAttribute(Qt::WA_DeleteOnClose, false);
    m_frame.MdiClient()->removeSubWindow(sheet);
    delete sheet;  // the panes go with it, then the document
  }
}

bool EditorWindows::GoToLine(long line) {
  EditorView* v = Active();
  if (!v || line < 1 || line > v->Document().Text().GetLineCount()) return false;
  v->GotoLineCentered(int(line), 0);
  v->setFocus();
  return true;
}

void EditorWindows::SettingsChanged() {
  if (m_services.settings) LoadAllEditorTypeSettings(*m_services.settings, &m_typeSettings);
  for (EditorDocument* d : m_docs.Documents()) d->UpdateAllViews(kHintSettingsChanged);
}

}  // namespace pm2
