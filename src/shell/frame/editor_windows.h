// The main frame's editor windows: one MDI child per file, holding the
// panes of an editor document. Opens a file (or brings its window to the
// front) at a line, finds the active view, saves the modified documents
// through the documents' own questions, lets every document check its file
// on disk, and closes them. The documents' settings records, keyword files
// and the context the views share live here, once for all windows.
#pragma once

#include <QObject>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "editor/document/document_list.h"
#include "editor/document/editor_document.h"
#include "editor/document/document_services.h"
#include "editor/ide/editor_view.h"
#include "editor/options/file_type_settings.h"
#include "platform/ini_file.h"
#include "shell/frame/shell_resources.h"
#include "shell/windows/goto_line_dialog.h"

namespace pm2 {

// The property of an editor window that holds its rectangle from before it
// was maximised or minimised (a QRect).
inline constexpr char kNormalGeometryProperty[] = "pm2NormalGeometry";

class EditorDocument;
class EditorPanes;
class EditorStatusPanes;
class SECWorkbookWnd;
class SECWorksheetWnd;
class SettingsStore;

struct EditorWindowServices {
  SettingsStore* settings = nullptr;      // file-type sections, find and page set-up
  std::string programDir;                 // keyword files are looked for here too
  DocumentQuestions* questions = nullptr; // save and reload questions, errors
  DocumentShell* shell = nullptr;         // toolset and file types of the project
  EditorStatusPanes* status = nullptr;    // "L:%d C:%d" and "R/O"/"R/W"
  uint32_t* appState = nullptr;           // the editor's bits of the application state
};

class EditorWindows : public QObject, public GotoLineTarget {
  Q_OBJECT
 public:
  EditorWindows(SECWorkbookWnd& frame, EditorWindowServices services);
  ~EditorWindows() override;

  // Callbacks of the views (include files, go-to-line dialog, find history).
  EditorViewContext& ViewContext() { return m_ctx; }

  // Opens the file (a local path) or activates its window. A line above 0
  // is shown a third of the rows below the top and selected. Null when the
  // file cannot be read (the document said why through its questions).
  EditorView* Open(const std::string& path, int line = 0, int column = 0);
  // Opens the file or activates its window with the text in view (not the
  // startup wizard), the caret and the selection left as they are.
  EditorView* OpenText(const std::string& path);
  EditorDocument* Find(const std::string& path) const;
  // A new, empty text "Text<n>" in a window of its own (File > New).
  EditorView* NewDocument();
  // Writes the active text under `path`, which it is named after from now
  // on; false when it could not be written.
  bool SaveActiveAs(const std::string& path);
  // The active text was made by File > New and has no file yet.
  bool ActiveIsUntitled() const;
  // The document was made by File > New and has no file yet.
  bool IsUntitled(const EditorDocument* doc) const;
  // Closes the active window, asking first for a modified text.
  void CloseActive();
  // Closes a window whose text the user was asked about already (saved, or
  // not to be kept): no second question; false when it did not close. The
  // file counts as closed at once, though its window goes only later: an
  // open of the same file right after (a workspace reopening its own
  // files) opens a new window instead of finding the closing one.
  bool CloseAsked(SECWorksheetWnd* sheet);
  // The MDI child of a document (null when it has none).
  SECWorksheetWnd* SheetOf(const EditorDocument* doc) const;
  // The first view of a document (null when it has none).
  EditorView* ViewOf(const EditorDocument* doc) const;
  // A view of some document has its find or replace dialog open: the
  // commands that make or open documents wait for it.
  bool AnyFindDialogOpen() const;
  // The windows in the order they were opened.
  std::vector<SECWorksheetWnd*> Sheets() const;
  EditorView* Active() const;
  EditorDocument* ActiveDocument() const;
  std::string ActivePath() const;
  std::string ActiveTitle() const;
  const EditorDocumentList& Documents() const { return m_docs; }
  int Count() const { return int(m_windows.size()); }

  // Saves the active document; false when it could not be written.
  bool SaveActive();
  // Saves every modified document, asking first when `ask`; false when the
  // user cancelled or a write failed. A new text without a file is written
  // only under a name the user chooses (through `chooseSaveAs`).
  bool SaveAllModified(bool ask);
  std::function<std::string(const std::string& suggested)> chooseSaveAs;
  // Each document checks its file on disk (asking before a reload).
  int CheckChangedFiles();
  // Reloads changed files without asking.
  int ReloadChanged();
  // Closes every window without asking.
  void CloseAll();
  // The settings records changed (options sheet): every view reloads them.
  void SettingsChanged();

  // ---- GotoLineTarget: the go-to-line dialog jumps in the active view
  bool HasActiveEditorView() override { return Active() != nullptr; }
  bool GoToLine(long line) override;

 signals:
  // The active window's name or modified flag changed.
  void titleChanged();
  // A file was read into a new window, or a text was written under a new
  // name: it belongs at the top of the recent documents.
  void fileNamed(const QString& path);

 private:
  struct Window;
  // The text buffers' messages ("Lines longer than ... will be cut.") go
  // to the user as the documents' errors do.
  class TextMessages : public EditMessageSink {
   public:
    explicit TextMessages(const EditorWindowServices& services) : m_services(services) {}
    void ShowMessage(int id, const std::string& text) override;

   private:
    const EditorWindowServices& m_services;
  };
  bool eventFilter(QObject* watched, QEvent* event) override;
  void Forget(QObject* sheet);
  Window* WindowOf(const QObject* sheet) const;
  Window* ActiveWindow() const;
  Window* AddWindow(std::unique_ptr<EditorDocument> doc);
  // The file's window, opened when needed, brought out of its icon and
  // made active; null when the file can't be read. `created` tells which.
  Window* ShowWindowFor(const std::string& path, bool* created);
  DocumentEnvironment Environment() const;
  void Retitle(Window* w);
  int m_untitled = 0;

  SECWorkbookWnd& m_frame;
  EditorWindowServices m_services;
  IniFiles m_keywordFiles;
  EditorTypeSettings m_typeSettings{};
  EditorViewContext m_ctx;
  mutable TextMessages m_textMessages{m_services};
  EditorDocumentList m_docs;
  std::vector<std::unique_ptr<Window>> m_windows;
  // Closed windows whose widgets are still to be deleted; their documents
  // are no longer open, but live as long as their views.
  std::vector<std::unique_ptr<Window>> m_closing;
};

}  // namespace pm2

namespace pm2 {

// The questions the documents ask, passed on to whichever asker is set now
// (the program's message boxes; a test's script).
class ForwardingQuestions : public DocumentQuestions {
 public:
  void SetTarget(DocumentQuestions* target) { m_target = target; }
  DocumentQuestions* Target() const { return m_target; }
  Answer AskSaveChanges(const std::string& text) override { return m_target ? m_target->AskSaveChanges(text) : kYes; }
  bool AskYesNo(const std::string& text) override { return m_target && m_target->AskYesNo(text); }
  void ShowError(const std::string& text) override {
    if (m_target) m_target->ShowError(text);
  }

 private:
  DocumentQuestions* m_target = nullptr;
};

}  // namespace pm2
