#include "shell/frame/source_windows.h"

#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <cstring>

#include "editor/view/edit_view.h"
#include "platform/win_path.h"
#include "shell/project_window/prj_images.h"
#include "toolkit/controls/qt_bridge.h"
#include "toolkit/frames/mdi_child.h"
#include "toolkit/frames/workbook.h"

namespace pm2 {

namespace {

// The editor's language section by the file's extension.
const char* LanguageOf(const std::string& path) {
  std::string ext = QFileInfo(ToQString(path)).suffix().toLower().toStdString();
  if (ext == "c" || ext == "h" || ext == "cpp" || ext == "hpp" || ext == "cc") return "Editor\\C Files";
  if (ext == "s" || ext == "a51" || ext == "asm" || ext == "inc") return "Editor\\ASM Files";
  return "Editor\\Default Files";
}

std::string Canonical(const std::string& path) {
  QFileInfo fi(ToQString(path));
  QString c = fi.canonicalFilePath();
  return c.isEmpty() ? FromQString(fi.absoluteFilePath()) : FromQString(c);
}

}  // namespace

SourceWindows::SourceWindows(SECWorkbookWnd& frame, SettingsStore* settings, std::string programDir)
    : QObject(&frame), m_frame(frame) {
  m_env.pSettings = settings;
  m_env.pIni = &m_keywordFiles;
  m_env.programDir = std::move(programDir);
}

EditControl* SourceWindows::Find(const std::string& path) const {
  std::string key = Canonical(path);
  for (const Window& w : m_windows)
    if (w.path == key) return w.edit;
  return nullptr;
}

EditControl* SourceWindows::Open(const std::string& pathIn, int line, std::string* error) {
  std::string path = Canonical(pathIn);
  EditControl* edit = Find(path);
  SECWorksheetWnd* sheet = nullptr;
  if (edit) {
    for (const Window& w : m_windows)
      if (w.edit == edit) sheet = w.sheet;
  } else {
    edit = new EditControl(nullptr, m_env);
    edit->SetLanguage(LanguageOf(path));
    int rc = edit->Open(path);
    if (rc != 0) {
      if (error) *error = "Cannot open file '" + path + "' (" + std::string(std::strerror(rc)) + ")";
      delete edit;
      return nullptr;
    }
    sheet = new SECWorksheetWnd(&m_frame);
    sheet->setAttribute(Qt::WA_DeleteOnClose);
    sheet->setWidget(edit);
    sheet->setWindowTitle(QFileInfo(ToQString(path)).fileName());
    sheet->setObjectName(ToQString("Source:" + path));
    static const QIcon kIcon(ProjectTreeImages()->images[5]);  // a translated source file
    sheet->setWindowIcon(kIcon);
    sheet->SetTabIcon(kIcon);
    m_frame.MdiClient()->addSubWindow(sheet);
    sheet->resize(560, 380);
    sheet->show();
    connect(sheet, &QObject::destroyed, this, [this](QObject* o) { Forget(o); });
    m_windows.push_back({path, sheet, edit});
  }
  if (sheet) {
    if (sheet->isMinimized()) sheet->showNormal();
    m_frame.MdiClient()->setActiveSubWindow(sheet);
  }
  if (line > 0) {
    edit->GotoLine(line, 0);
    edit->SelectLine(line);
  }
  edit->setFocus();
  return edit;
}

void SourceWindows::Forget(QObject* sheet) {
  for (auto it = m_windows.begin(); it != m_windows.end(); ++it)
    if (it->sheet == sheet) {
      m_windows.erase(it);
      return;
    }
}

EditControl* SourceWindows::Active() const {
  QMdiSubWindow* a = m_frame.MdiClient()->activeSubWindow();
  for (const Window& w : m_windows)
    if (w.sheet == a) return w.edit;
  return nullptr;
}

std::string SourceWindows::ActivePath() const {
  QMdiSubWindow* a = m_frame.MdiClient()->activeSubWindow();
  for (const Window& w : m_windows)
    if (w.sheet == a) return w.path;
  return {};
}

std::string SourceWindows::ActiveTitle() const {
  std::string p = ActivePath();
  return p.empty() ? std::string() : FromQString(QFileInfo(ToQString(p)).fileName());
}

bool SourceWindows::AnyModified() const {
  for (const Window& w : m_windows)
    if (w.edit->IsModified()) return true;
  return false;
}

bool SourceWindows::SaveModified(std::string* error) {
  bool ok = true;
  for (const Window& w : m_windows) {
    if (!w.edit->IsModified()) continue;
    int rc = w.edit->Save(w.path);
    if (rc != 0) {
      ok = false;
      if (error) *error = "Can't write file '" + w.path + "' (" + std::string(std::strerror(rc)) + ")";
    }
  }
  return ok;
}

void SourceWindows::CloseAll() {
  std::vector<Window> all = m_windows;
  m_windows.clear();
  for (const Window& w : all) {
    w.sheet->setAttribute(Qt::WA_DeleteOnClose, false);
    m_frame.MdiClient()->removeSubWindow(w.sheet);
    delete w.sheet;
  }
}

const std::vector<std::string> SourceWindows::Paths() const {
  std::vector<std::string> out;
  for (const Window& w : m_windows) out.push_back(w.path);
  return out;
}

}  // namespace pm2
