#include "editor/document/editor_document.h"

#include <cstring>

#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>

#include "editor/document/editor_section.h"
#include "platform/atomic_file.h"

namespace pm2 {

namespace {

// Counted for the check that closed windows leave no document behind.
std::atomic<long> g_liveDocuments{0};

const EditorTypeSettings& DefaultTypeSettings() {
  static const EditorTypeSettings defaults{};
  return defaults;
}

std::string Format(const char* format, const std::string& arg) {
  std::string out = format;
  size_t at = out.find("%s");
  if (at != std::string::npos) out.replace(at, 2, arg);
  return out;
}
}  // namespace

DiskFileStatus StatFile(const std::string& path) {
  DiskFileStatus st;
  struct stat s {};
  if (path.empty() || ::stat(path.c_str(), &s) != 0) return st;
  st.exists = true;
  st.modTime = int64_t(s.st_mtime);
  st.readOnly = (s.st_mode & 0222) == 0;
  return st;
}

FileBytesPrint FileBytesPrintOf(const std::string& path) {
  FileBytesPrint print;
  // Only a plain file has a print: a named pipe opened for reading waits
  // for a writer, and a device may never end.
  const int fd = path.empty() ? -1 : ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return print;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return print;
  }
  std::FILE* f = ::fdopen(fd, "rb");
  if (!f) {
    ::close(fd);
    return print;
  }
  // FNV-1a over every byte; with the size it tells a touched file from an edited one.
  uint64_t hash = 1469598103934665603ull;
  unsigned char buf[65536];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) {
    for (size_t i = 0; i < n; ++i) hash = (hash ^ buf[i]) * 1099511628211ull;
    print.size += n;
  }
  print.read = !std::ferror(f);
  std::fclose(f);
  print.hash = hash;
  return print;
}

std::string BackupPathOf(const std::string& path) { return BackupNameOf(path); }

EditorDocument::EditorDocument(DocumentEnvironment env)
    : m_env(std::move(env)),
      m_state(m_env.appState ? m_env.appState : &m_ownState),
      m_text(std::make_unique<CEditTextBuffer>(m_env.text)) {
  ++g_liveDocuments;
}

EditorDocument::~EditorDocument() { --g_liveDocuments; }

long EditorDocument::LiveCount() { return g_liveDocuments.load(); }

void EditorDocument::AddView(DocumentView* view) { m_views.push_back(view); }

void EditorDocument::RemoveView(DocumentView* view) {
  m_views.erase(std::remove(m_views.begin(), m_views.end(), view), m_views.end());
}

void EditorDocument::UpdateAllViews(uint32_t hint, DocumentView* sender) {
  // A view may go away while it handles a hint; walk a copy.
  std::vector<DocumentView*> views = m_views;
  for (DocumentView* v : views)
    if (v != sender) v->OnDocumentHint(hint);
}

std::string EditorDocument::FileName() const {
  size_t cut = m_path.find_last_of("\\/:");
  return cut == std::string::npos ? m_path : m_path.substr(cut + 1);
}

const EditFileTypeSettings& EditorDocument::TypeSettings() const {
  const EditorTypeSettings& all = m_env.typeSettings ? *m_env.typeSettings : DefaultTypeSettings();
  return all[size_t(std::clamp(m_record, 0, kFileTypeRecords - 1))];
}

bool EditorDocument::Ask(DocumentQuestions::Answer* answer, const std::string& text) {
  *answer = m_env.questions ? m_env.questions->AskSaveChanges(text) : DocumentQuestions::kYes;
  return *answer != DocumentQuestions::kCancel;
}

void EditorDocument::Error(const std::string& text) {
  if (m_env.questions) m_env.questions->ShowError(text);
}

void EditorDocument::ApplyFileTypeSettings(const std::string* path) {
  if (path) m_path = *path;
  m_title = FileName();
  m_modTime = StatFile(m_path).modTime;
  m_bytes = FileBytesPrintOf(m_path);
  m_fileType = 0;
  int toolset = m_env.shell ? m_env.shell->TargetToolset() : 100;
  int filtered = m_env.shell ? m_env.shell->FileTypeOfName(m_path) : 0;
  EditorSectionChoice choice = SelectEditorSection(m_path, filtered, toolset);
  m_fileType = choice.fileType;
  m_section = choice.section;
  m_record = choice.record;
  m_text->SetProfileSection(m_section);
  m_text->LoadSettings();
}

bool EditorDocument::OnNewDocument(const std::string& title) {
  if (m_text->IsModified() && !SaveModified()) return false;
  m_text->Clear();
  m_text->Init();
  m_path = title;
  m_title = title;
  m_modTime = 0;
  m_bytes = {};
  m_fileType = 0;
  m_section = kDefaultEditorSection;
  m_record = kFtRecDefault;
  m_text->SetProfileSection(m_section);
  m_text->LoadSettings();
  for (DocumentView* v : m_views) v->InitialUpdate();
  return true;
}

bool EditorDocument::OnOpenDocument(const std::string& path) {
  ApplyFileTypeSettings(&path);
  int rc = m_text->LoadFile(path);
  m_text->SetModified(0);
  // The views let go of the old lines whether or not the load worked.
  for (DocumentView* v : m_views) v->InitialUpdate();
  if (rc != kEditOk) {
    const std::string& why = m_text->LastFileError();
    Error(Format("Invalid Ascii text file -\n\n'%s'", path) + (why.empty() ? std::string() : "\n\n" + why));
    return false;
  }
  return true;
}

bool EditorDocument::OnSaveDocument(const std::string& path) {
  // Saved under another name, the text leaves the file it was read from as
  // that file is on disk.
  const bool renamed = path != m_path;
  DiskFileStatus before = StatFile(path);
  const EditorTypeSettings& all = m_env.typeSettings ? *m_env.typeSettings : DefaultTypeSettings();
  // The backup setting of the C files' record serves every file type.
  std::string backup;
  if (before.exists && !before.readOnly && all[kFtRecCFiles].Has(kFtBackupFiles))
    backup = BackupPathOf(path);
  m_lastSaveFailed = false;
  if (const int rc = m_text->SaveFile(path, backup); rc != kEditOk) {
    // The system's own reason (no space, permission) is said with the
    // name: without it the user cannot tell what to mend.
    std::string reason = m_text->LastFileError();
    if (reason.empty())
      reason = rc == kEditReadOnly ? std::string("The file is read-only.")
                                   : rc > 0 && rc < 4096 ? std::string(std::strerror(rc)) : std::string();
    Error(Format("Could not write file -\n\n'%s'", path) + (reason.empty() ? std::string() : "\n\n" + reason));
    m_lastSaveFailed = true;
    return false;
  }
  // The views settle their breakpoints on the lines as saved; a failed
  // write leaves them as the file on disk has them, and so does a save
  // under another name: the file read keeps its text, and its stored
  // breakpoints their lines.
  if (!renamed) UpdateAllViews(kHintBeforeSave);
  if (!m_text->LastBackupWarning().empty()) Error(Format("Could not create file -\n\n'%s'", backup));
  DiskFileStatus after = StatFile(path);
  m_text->SetReadOnly(after.readOnly ? 1 : 0);
  // A "Save As" may change the type: the views take its settings too.
  std::string section = m_section;
  ApplyFileTypeSettings(&path);
  if (m_section != section) UpdateAllViews(kHintSettingsChanged);
  for (DocumentView* v : m_views) {
    if (renamed) v->Renamed();
    v->TitleChanged();
  }
  if (m_env.shell) {
    int top = 1, caret = 1, column = 1;
    if (m_views.empty() || !m_views.front()->GetViewPosition(&top, &caret, &column)) caret = 1;
    m_env.shell->DocumentSaved(path, caret);
  }
  return true;
}

bool EditorDocument::SaveModified() {
  if (*m_state & kAppLayoutSwitch) return false;
  if (m_env.shell && !m_views.empty()) {
    int top = 1, caret = 1, column = 1;
    if (!m_views.front()->GetViewPosition(&top, &caret, &column)) top = caret = column = 1;
    m_env.shell->KeepViewPosition(m_path, top, caret, column);
  }
  if (!m_text->IsModified()) return true;
  UpdateAllViews(kHintBeforeCloseQuestion);
  if (*m_state & kAppSaveWithoutAsking) return OnSaveDocument(m_path);
  DocumentQuestions::Answer answer;
  if (!Ask(&answer, Format("Save changes to '%s' ?", m_title))) return false;
  if (answer == DocumentQuestions::kYes) return OnSaveDocument(m_path);
  return true;
}

bool EditorDocument::Reload() {
  m_text->Clear();
  m_text->Init();
  ApplyFileTypeSettings();
  int rc = m_text->LoadFile(m_path);
  if (rc != kEditOk) Error(Format("Invalid Ascii text file -\n\n'%s'", m_path));
  m_text->SetModified(0);
  for (DocumentView* v : m_views) {
    v->InitialUpdate();
    v->TitleChanged();
  }
  return rc == kEditOk;
}

bool EditorDocument::ReloadFile(const std::string& path) {
  *m_state &= ~uint32_t(kAppSaveWithoutAsking);
  // Cancel keeps the text with its edits: reading the file over it would
  // lose them.
  if (!SaveModified()) return false;
  m_path = path;
  bool loaded = Reload();
  reloaded = true;
  return loaded;
}

int EditorDocument::CheckModifiedOnDisk() {
  if (m_modTime == 0 || m_path.empty()) return 0;
  DiskFileStatus st = StatFile(m_path);
  if (!st.exists || !ChangedOnDisk(st)) return 0;
  if (!(*m_state & kAppReloadWithoutAsking)) {
    const char* format = m_text->IsModified()
                             ? "%s\n\nFile has been changed outside the editor, cancel changes and reload ?"
                             : "%s\n\nFile has been changed outside the editor, reload ?";
    // Declined: the stored time stays, so the question comes again.
    if (!m_env.questions || !m_env.questions->AskYesNo(Format(format, m_path))) return 0;
  }
  UpdateAllViews(kHintRememberPosition);
  Reload();
  return 1;
}

}  // namespace pm2

namespace pm2 {

int EditorDocument::UpdateDebugFileHint(int kind, const std::string& moduleFileName) {
  int match = !moduleFileName.empty() && ::strcasecmp(FileName().c_str(), moduleFileName.c_str()) == 0;
  UpdateAllViews(kHintMarginRepaint + uint32_t(kind == 0 ? match : 3 * match));
  return match;
}

bool EditorDocument::ChangedOnDisk(const DiskFileStatus& st) {
  if (st.modTime == m_modTime) return false;
  // Only the time moved (a touch, a checkout of the same text): the new
  // time is taken and nothing is offered.
  FileBytesPrint now = FileBytesPrintOf(m_path);
  if (now.read && m_bytes.read && now.size == m_bytes.size && now.hash == m_bytes.hash) {
    m_modTime = st.modTime;
    return false;
  }
  return true;
}

bool EditorDocument::ReloadIfChanged() {
  DiskFileStatus st = StatFile(m_path);
  if (!st.exists) return false;
  if (!ChangedOnDisk(st)) {
    m_text->SetReadOnly(st.readOnly ? 1 : 0);
    return false;
  }
  UpdateAllViews(kHintRememberPosition);
  Reload();
  m_text->SetReadOnly(st.readOnly ? 1 : 0);
  return true;
}

}  // namespace pm2
