// The main frame's document operations: the document actions, finding an
// editor document, the active source file, the open-file dialog, tool help
// and the About box.
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QProcess>
#include <QUrl>

#include "editor/document/editor_document.h"
#include "editor/ide/editor_view.h"
#include "platform/ascii_case.h"
#include "platform/win_path.h"
#include "project/environment/environment.h"
#include "project/model/project_records.h"
#include "shell/app/shell_app.h"
#include "shell/app/user_dialogs.h"
#include "shell/frame/about_dialog.h"
#include "shell/frame/about_text.h"
#include "shell/frame/addin_commands.h"
#include "shell/frame/main_frame.h"
#include "toolkit/controls/kept_header_icon_model.h"
#include "toolkit/controls/qt_bridge.h"

#ifndef PM2_VERSION
#define PM2_VERSION "0"
#endif

namespace pm2 {

int CMainFrame::RunDocumentAction(int action, const std::string& debuggerFile) {
  int result = 0;
  for (EditorDocument* doc : m_editors->Documents().Documents()) {
    if (action == kDocAnySourceOpen) {
      result |= EditorDocument::IsSourceFileType(doc->FileType()) ? 1 : 0;
      continue;
    }
    const bool matches = (action == 0 || action == 2) && IsDebuggerFile(doc->Path(), debuggerFile);
    for (uint32_t hint : DocumentActionHints(action, matches)) doc->UpdateAllViews(hint);
    result |= matches ? 1 : 0;
  }
  return result;
}

void CMainFrame::DocumentSaved(const std::string& path, int caretLine) {
  if (m_addIns && m_addIns->Logic().Running()) m_addIns->NotifyFile(path, caretLine);
}

EditorDocument* CMainFrame::FindTextDocument(const std::string& path) const {
  return m_editors->Documents().Find(path);
}

uint32_t CMainFrame::GetActiveSourceFile(SourcePosition* out) const {
  *out = SourcePosition{};
  EditorView* view = m_editors->Active();
  if (!view) return 0;
  const EditState& s = view->Engine().State();
  out->path = view->Document().Path();
  out->line = s.nCaretLine;
  out->column = s.nCaretCol;
  out->fileType = view->Document().FileType();
  return SourceFileId(out->fileType, out->path.size());
}

void CMainFrame::OnFileOpen() {
  // Not while a find or replace dialog of an editor is open.
  if (m_editors->AnyFindDialogOpen()) {
    m_app.Dialogs().Beep();
    return;
  }
  std::vector<std::string> filters;
  for (const FileFilterEntry& e : ParseFileFilter(kOpenFileFilter)) filters.push_back(DialogNameFilter(e));
  int index = m_openFilterIndex;
  // Until a file is chosen in this run, the dialog starts in the project's
  // folder (else in the current one).
  std::string folder = m_openFolder;
  if (ProjectRec* p = m_app.Project(); folder.empty() && p) folder = p->folder.str();
  std::string path;
  if (m_chooseSourceFile) {
    path = m_chooseSourceFile(folder, filters, &index);
  } else {
    QFileDialog dialog(this, "Open File", ToQString(folder));
    if (!m_openDialogIcons) m_openDialogIcons = std::make_unique<QFileIconProvider>();
    dialog.setIconProvider(m_openDialogIcons.get());
    KeepHeaderIcon(dialog);
    dialog.setFileMode(QFileDialog::ExistingFile);
    QStringList names;
    for (const std::string& f : filters) names << ToQString(f);
    dialog.setNameFilters(names);
    if (index >= 0 && index < names.size()) dialog.selectNameFilter(names[index]);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
    path = FromQString(dialog.selectedFiles().front());
    index = int(names.indexOf(dialog.selectedNameFilter()));
  }
  if (path.empty()) return;
  // The folder and the filter are offered again next time in this run.
  m_openFolder = FromQString(QFileInfo(ToQString(path)).absolutePath());
  if (index >= 0) m_openFilterIndex = index;
  if (!m_app.OpenDocumentFile(path)) m_app.Dialogs().Beep();
  UpdateTitle();
}

void CMainFrame::OpenDroppedFile(const std::string& path) {
  if (!EndsWithIgnoringCase(path, ".pm2") && !EndsWithIgnoringCase(path, ".dpt")) return OpenFileAndShow(path, 1, -1);
  m_app.OpenDocumentFile(path);
  UpdateTitle();
}

void CMainFrame::ShowToolHelp(int code, const std::string& topic) {
  int toolset = code == kHelpErrorMessage || code == kHelpToolTopic ? m_app.GetTargetToolset() : 0;
  std::string folder;
  if (toolset >= 0 && toolset < kToolsetCount)
    if (const ToolsetInfo* info = theEnvironment().toolsets[toolset].get()) folder = info->rootFolder;
  ToolHelpRequest help = ToolHelpFor(code, topic, toolset, folder);
  if (help.file.empty()) {
    if (code == kHelpToolTopic || code == kHelpErrorMessage) m_app.Dialogs().Beep();
    return;
  }
  if (m_showHelp) {
    m_showHelp(help);
    return;
  }
  // No help viewer of our own: the file opens in the desktop's viewer.
  if (!QFileInfo::exists(ToQString(help.file)) ||
      !QDesktopServices::openUrl(QUrl::fromLocalFile(ToQString(help.file))))
    m_app.Dialogs().Beep();
}

std::string CMainFrame::AboutBoxText() const {
  AboutInfo info;
  info.version = std::string("Pelmora2 V") + PM2_VERSION;
  ProjectRec* p = m_app.Project();
  TargetRec* t = p ? p->curTarget : nullptr;
  const int toolset = t ? int(t->toolset) : -1;
  if (t && toolset >= 0 && toolset < kToolsetCount) {
    info.hasTarget = true;
    if (const ToolsetInfo* env = theEnvironment().toolsets[toolset].get()) info.toolchainPath = env->rootFolder;
    info.tools = AboutToolsOf(toolset);
    // The programs the build really runs: a tool name that stands for
    // another program (a link to the installed cross tools) is shown as
    // that program, with the version it tells.
    // The path shown is the folder they run from.
    const ToolsetInfo* env = theEnvironment().toolsets[toolset].get();
    const std::string folder = env ? env->ProgramFolder() : std::string();
    if (!folder.empty()) info.toolchainPath = folder;
    bool runFolderShown = false;
    for (AboutTool& tool : info.tools) {
      QFileInfo file(ToQString(ToForwardSlashes(folder) + tool.program));
      if (!file.exists()) continue;
      const QString real = file.canonicalFilePath();
      tool.program = FromQString(QFileInfo(real).fileName());
      if (!runFolderShown) {
        info.toolchainPath = FromQString(QFileInfo(real).absolutePath()) + "/";
        runFolderShown = true;
      }
      QProcess run;
      run.start(real, {"--version"});
      if (run.waitForFinished(2000) && run.exitStatus() == QProcess::NormalExit)
        tool.version = VersionFromBanner(FromQString(QString::fromLocal8Bit(run.readAllStandardOutput()).section('\n', 0, 0)));
      else
        run.kill();
    }
    info.targetDll = t->OPTDL[4].str();
  }
  return AboutText(info);
}

void CMainFrame::ShowAboutBox() {
  ProjectRec* p = m_app.Project();
  if (!p || !p->curTarget) {
    m_app.Dialogs().Beep();
    m_app.Dialogs().MessageBox(kAboutNoTarget, kMbOk | kMbIconExclamation);
  }
  AboutDialog dialog(AboutBoxText(), this);
  dialog.exec();
}

}  // namespace pm2
