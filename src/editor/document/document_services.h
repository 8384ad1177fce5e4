// What an editor document needs from outside, handed in through its
// constructor so that tests pass recording fakes: the questions it asks
// the user, the shell's state and project, and the views that show it.
#pragma once

#include <cstdint>
#include <string>

#include "editor/options/file_type_settings.h"
#include "editor/text/edit_profile.h"

namespace pm2 {

// Update hints a document sends to its views, and the ones the shell sends
// through the documents.
enum DocumentHint : uint32_t {
  kHintMarginRepaint = 0x12341000,
  kHintRememberPosition = 0x12341004,  // before a reload: keep top and caret line
  kHintBeforeSave = 0x12342110,
  kHintBeforeCloseQuestion = 0x12342111,
  kHintSettingsChanged = 0x12345678,
  kHintShowLineAtColumn = 0x12348001,  // the document's target line and column
  kHintShowLineAtWord = 0x12348002,    // the document's target line and search text
  kHintScrollSync = 0xBF9E,            // panes of one splitter keep in step
};

// Bits of the application's state word that the editor reads and writes.
enum EditorAppState : uint32_t {
  kAppSaveWithoutAsking = 0x2,
  kAppLayoutSwitch = 0x8,       // a docking-layout switch is in progress
  kAppPrintPreview = 0x400,
  kAppReloadWithoutAsking = 0x1000,
  kAppEditorHasFocus = 0x8000,
};

// Questions and errors for the user. The program shows message boxes; the
// tests record the texts and answer from a script.
class DocumentQuestions {
 public:
  enum Answer : int { kYes, kNo, kCancel };
  virtual ~DocumentQuestions() = default;
  // Yes, No and Cancel ("Save changes to 'x' ?").
  virtual Answer AskSaveChanges(const std::string& text) = 0;
  // Yes and No with a question icon (a file changed on disk).
  virtual bool AskYesNo(const std::string& text) = 0;
  // An error: a beep and a box with the text.
  virtual void ShowError(const std::string& text) = 0;
};

// The shell as the document sees it.
class DocumentShell {
 public:
  virtual ~DocumentShell() = default;
  // The current target's toolset (0..4), anything else without a project.
  virtual int TargetToolset() const { return 100; }
  // The file type the project's filters give a name (0 none).
  virtual int FileTypeOfName(const std::string& /*path*/) const { return 0; }
  // When the project holds the file, it keeps where the user was in it.
  virtual void KeepViewPosition(const std::string& /*path*/, int /*top*/, int /*caret*/,
                                int /*column*/) {}
  // The file was written: the path and the line the user looks at in the
  // document's first view (its caret line, or its top line when the caret
  // is out of sight; 1 without a view). Every save ends here, whether the
  // user, a save-all or the project's save started it.
  virtual void DocumentSaved(const std::string& /*path*/, int /*caretLine*/) {}
};

// One view of a document.
class DocumentView {
 public:
  virtual ~DocumentView() = default;
  virtual void OnDocumentHint(uint32_t hint) = 0;
  // The text was (re)loaded: caret and top line are set up again, at the
  // remembered lines when the view kept some.
  virtual void InitialUpdate() = 0;
  // Top line, caret line and caret column; false for a view that has none.
  virtual bool GetViewPosition(int* /*top*/, int* /*caret*/, int* /*column*/) const { return false; }
  // The modified flag or the name changed: the frame's title follows.
  virtual void TitleChanged() {}
  // A save wrote the text under another name (Save As): the view takes what
  // belongs to the file the text now is (the margin's breakpoints).
  virtual void Renamed() {}
};

struct DocumentEnvironment {
  EditEnvironment text;                        // the text buffer's settings, disk, messages
  const EditorTypeSettings* typeSettings = nullptr;  // null: every record at its defaults
  uint32_t* appState = nullptr;                // null: a private word
  // null: nobody to ask; changes are saved, files changed on disk are not
  // reloaded, errors are dropped.
  DocumentQuestions* questions = nullptr;
  DocumentShell* shell = nullptr;              // null: no project
};

}  // namespace pm2
