// The editor document: one text buffer with the file it was read from,
// its per-file-type settings, saving with a backup when the settings ask
// for one, the question before a modified text is closed or reloaded, and
// the check for a file changed on disk by another program.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "editor/document/document_services.h"
#include "editor/text/text_buffer.h"

namespace pm2 {

// Size and hash of a file's bytes; `read` false when it could not be read.
struct FileBytesPrint {
  bool read = false;
  uint64_t size = 0;
  uint64_t hash = 0;
};
FileBytesPrint FileBytesPrintOf(const std::string& path);

// File status as the document reads it: modification time (seconds; 0 when
// the file cannot be read) and whether it has no write permission.
struct DiskFileStatus {
  bool exists = false;
  int64_t modTime = 0;
  bool readOnly = false;
};
DiskFileStatus StatFile(const std::string& path);

class EditorDocument {
 public:
  explicit EditorDocument(DocumentEnvironment env);
  ~EditorDocument();
  EditorDocument(const EditorDocument&) = delete;
  EditorDocument& operator=(const EditorDocument&) = delete;

  // The documents alive in this process: a closed window's document goes
  // with its window, so hours of opening and closing keep this flat.
  static long LiveCount();

  CEditTextBuffer& Text() { return *m_text; }
  const CEditTextBuffer& Text() const { return *m_text; }

  // ---- views ----
  void AddView(DocumentView* view);
  void RemoveView(DocumentView* view);
  const std::vector<DocumentView*>& Views() const { return m_views; }
  // Hands the hint to every view but the sender.
  void UpdateAllViews(uint32_t hint, DocumentView* sender = nullptr);

  // ---- the framework's steps ----
  // A new, empty text named `title`, with the default settings. False when
  // an earlier text was modified and its save was refused.
  bool OnNewDocument(const std::string& title);
  // Settings for the file's type, then the file. A load error shows
  // "Invalid Ascii text file -\n\n'<path>'" and fails.
  bool OnOpenDocument(const std::string& path);
  // Writes the text (with a backup "<name>_<ext>.Bak" when the C files' settings
  // keep backups); false after "Could not write file -\n\n'<path>'".
  bool OnSaveDocument(const std::string& path);
  // Before the document closes: true to go on, false to keep it open.
  bool SaveModified();
  // The last save of this document was tried and failed (SaveModified's
  // false is then no Cancel).
  bool LastSaveFailed() const { return m_lastSaveFailed; }

  // ---- the shell's operations ----
  // Reads the file again (asking first to save a modified text). Cancel
  // keeps the text and its edits and answers false; so does a load error.
  bool ReloadFile(const std::string& path);
  // 1 when the file changed on disk since it was read or saved and the
  // text was reloaded (after a question unless the application reloads
  // without asking); 0 otherwise.
  int CheckModifiedOnDisk();
  // Without a question: reloads when the file's time differs from the one
  // kept (views keep their lines), else takes over a changed read-only
  // attribute. True when it reloaded.
  bool ReloadIfChanged();
  // Settings for a path (none: the document's own): name, time, file type,
  // section; the text buffer loads the section's settings.
  void ApplyFileTypeSettings(const std::string* path = nullptr);

  // The debugger's current source module is `moduleFileName` (compared
  // with the document's file name ignoring case): sends the margin hint
  // plus 1 (kind 0) or plus 3 (kind 1) on a match, plain otherwise, to
  // every view; returns 1 on a match.
  int UpdateDebugFileHint(int kind, const std::string& moduleFileName);

  static bool IsSourceFileType(int type) { return type == 1 || type == 2 || type == 8; }

  // ---- fields ----
  const std::string& Path() const { return m_path; }
  // The part after the last '\', '/' or ':'.
  std::string FileName() const;
  const std::string& Title() const { return m_title; }
  int FileType() const { return m_fileType; }
  const std::string& Section() const { return m_section; }
  int64_t ModificationTime() const { return m_modTime; }
  bool IsModified() const { return m_text->IsModified() != 0; }
  // The settings record of the document's file type.
  const EditFileTypeSettings& TypeSettings() const;

  int pcLine = 0;          // the program counter's line as last drawn
  bool reloaded = false;   // set by ReloadFile
  bool inProject = false;  // a file of the project, or one the debugger knows
  int targetLine = 0;      // the line a jump (kHintShowLineAt...) goes to
  int targetColumn = 0;    // where a jump to a line puts the caret
  std::string searchText;  // the word a jump to a line looks for

  uint32_t& AppState() { return *m_state; }

 private:
  bool Reload();  // clears the text, applies the settings, loads, updates views
  // The file's time differs from the one kept and so do its bytes.
  bool ChangedOnDisk(const DiskFileStatus& st);
  bool Ask(DocumentQuestions::Answer* answer, const std::string& text);
  void Error(const std::string& text);

  DocumentEnvironment m_env;
  uint32_t m_ownState = 0;
  bool m_lastSaveFailed = false;
  uint32_t* m_state;
  std::unique_ptr<CEditTextBuffer> m_text;
  std::vector<DocumentView*> m_views;
  std::string m_path;
  std::string m_title;
  std::string m_section;
  int m_fileType = 0;
  int m_record = 9;
  int64_t m_modTime = 0;  // 0: no time taken
  FileBytesPrint m_bytes;  // the file's bytes when the time was taken
};

// "dir/main.c" -> "dir/main_c.Bak" (BackupNameOf).
std::string BackupPathOf(const std::string& path);

}  // namespace pm2
