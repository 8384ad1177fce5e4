// The IDE's editor view: the editor widget on a document, with the view
// commands (include files, the word at the caret, brackets, cut line,
// block indent, go to a line or a listing line), the context menu, the
// status panes, the wheel rules, and the find and replace dialog.
#pragma once

#include <QPointer>
#include <functional>
#include <string>

#include "editor/document/editor_document.h"
#include "editor/document/include_lookup.h"
#include "editor/view/edit_view.h"

namespace pm2 {

class EditFindDialog;
class EditorDebugLink;
class EditorMargin;
class EditorPanes;
class EditorView;
class EditorStatusPanes;
class SettingsStore;

// Command ids of the view.
enum EditorViewCommand : int {
  kCmdInsertInclude = 171,
  kCmdOpenLinkerCod = 35401,
  kCmdOpenIncludeFile = 32708,
  kCmdUnindentBlock = 35070,
  kCmdIndentBlock = 35071,
  kCmdCutLine = 35086,
  kCmdFindWordForward = 35087,
  kCmdFindWordBackward = 35088,
  kCmdMatchBracket = 35089,
  kCmdGoToLine = 35130,
  // The context menu's debugger and word entries.
  kCmdRunToCursorLine = 32796,
  kCmdToggleBreakpoint = 35012,
  kCmdEnableBreakpoint = 35017,
  kCmdClearCoverage = 317,
  kCmdAddToWatch1 = 156,
  kCmdAddToWatch2 = 157,
  kCmdGoToDefinition = 201,
  kCmdGoToReference = 200,
  kCmdDefinitionAtCaret = 35099,
  kCmdReferenceAtCaret = 35100,
  kCmdShowDisassemblyAt = 35412,
  kCmdSetProgramCounter = 35414,
  kCmdPageSetup = 45031,
  kCmdPrint = 57607,
  kCmdPrintPreview = 57609,
};

// What all editor views share with the shell. Every member may be left
// empty; a view then does without it.
struct EditorViewContext {
  uint32_t* appState = nullptr;          // the application's state word
  EditorStatusPanes* status = nullptr;   // the main frame's panes
  SettingsStore* settings = nullptr;     // find settings and page set-up
  // The project's view of include files; false when no project and target
  // are open.
  std::function<bool(IncludeContext*)> includeContext;
  // Maps a stored path to an existing file of this machine.
  std::function<bool(const std::string& stored, std::string* local)> openStored;
  // Opens a file in an editor (the include file of the context menu).
  std::function<void(const std::string& path)> openDocument;
  // The current target's register header (empty: none).
  std::function<std::string()> registerHeader;
  std::function<void()> goToLineDialog;   // the shell's modeless dialog
  std::function<void(const std::string&)> addFindHistory;  // the main frame's list
  // Shows an engine's message to the user (a beep and a box); empty: the
  // view only beeps.
  std::function<void(const std::string& text)> showMessage;
  // The configuration wizard of a text with an options block: whether the
  // context menu offers it, and opening it in the view's window.
  std::function<bool(EditorView&)> startupEditorOffered;
  std::function<void(EditorView&)> openStartupEditor;
  // Adds the source browser's items for the word at the caret to a
  // context menu (empty: none).
  std::function<void(class EditorView& view, QMenu& menu)> browserMenu;
  // Gives a built context menu the toolbar images beside its commands
  // (empty: the menu keeps the plain look).
  std::function<void(QMenu& menu)> menuImages;
  // The source browser's look-up of a word: its definition, else a
  // reference (empty: no browser).
  std::function<void(const std::string& word, bool definition)> goToSymbol;
  // A C file of the project was opened in a view: a connected add-in hears
  // of it.
  std::function<void(const std::string& path)> announceOpen;
  // The current target's linker code listing ("" when it has none).
  std::function<std::string()> linkerCodPath;
  // Opens a listing and shows line n of a file's section ("'main.c'");
  // false when the line is not there.
  std::function<bool(const std::string& path, int n, const std::string& quotedName)> showListingLine;
  std::string lastCaretStatus;            // one cache for all views
  // The debugger's side of the margin (null: marks of bookmarks only).
  EditorDebugLink* debug = nullptr;
};

// The message line's note on a paste that lost `lost` characters.
std::string PasteLossText(std::size_t lost);

class EditorView : public EditView, public DocumentView {
  Q_OBJECT
 public:
  EditorView(EditorDocument* doc, EditShared* shared, EditorViewContext* ctx, QWidget* parent = nullptr);
  ~EditorView() override;

  EditorDocument& Document() { return *m_doc; }
  EditorViewContext& Context() { return *m_ctx; }

  // Runs a view command (EditorViewCommand) or an engine command.
  bool RunViewCommand(int id);
  bool IsViewCommandEnabled(int id) const;

  // ---- operations the shell calls ----
  // The selected text inside one line, else the word at the caret.
  bool GetWordAtCaret(std::string* out) const;
  // False while print preview runs.
  bool HasSelectionShown() const;
  bool GetViewPosition(int* top, int* caret, int* column) const override;
  void RestoreViewPosition(int top, int caret, int column);
  // Shows the line a third of the rows below the top, caret at the column.
  void GotoLineCentered(int line, int column = 0);
  // Shows the line and selects the word on it when it is there.
  void ShowLineAtWord(int line, const std::string& word);
  // Goes to listing line n of a file's section ("'main.c'"); 0 when not found.
  int GotoListingLine(int n, const std::string& quotedName);
  bool IsFindDialogOpen() const;
  // The margin's marks, breakpoints and value tips.
  EditorMargin& Margin() { return *m_margin; }
  // The print preview is open: commands that change the text or its marks wait.
  bool PreviewRefuses() const;
  EditFindDialog* FindDialog() const;
  // Writes the status panes (the caret text only when it changed).
  void UpdateStatus();
  // The include file of the caret line ("" when none resolves) and the
  // file text as the line writes it.
  std::string ResolveIncludeAtCaret(std::string* spec = nullptr) const;
  // The target's register header, when it is found on the target's include
  // paths (the project's and the toolset's folders and the target's own
  // include folders); "" otherwise, with
  // *missing set to the header that is not found.
  std::string FoundRegisterHeader(std::string* missing = nullptr) const;
  // How the include lookup reaches a stored path (the context's, else the
  // path as it stands).
  std::function<bool(const std::string&, std::string*)> OpenStored() const;

  // ---- panes ----
  void SetPane(EditorPanes* panes, int row, int column);
  int PaneRow() const { return m_row; }
  int PaneColumn() const { return m_column; }

  // ---- DocumentView ----
  void OnDocumentHint(uint32_t hint) override;
  void InitialUpdate() override;
  void TitleChanged() override { emit titleChanged(); }
  void Renamed() override;

  // ---- EditHost ----
  void Notify(int hint) override;
  void ScrollBarsChanged() override;
  void RequestDialog(int command) override;
  bool LoadFindOptions(EditFindOptions* pOptions) const override;
  void StoreFindText(const std::string& text, bool matchCase) override;
  bool BuildContextMenu(QMenu& menu) override;

 signals:
  void titleChanged();

 protected:
  void wheelEvent(QWheelEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseDoubleClickEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void focusInEvent(QFocusEvent* e) override;
  void focusOutEvent(QFocusEvent* e) override;

 private:
  // The context menu's entries: the engine's, then the IDE's.
  bool BuildContextEntries(QMenu& menu);
  void ApplyTypeSettings();
  void FindWord(bool forward);
  void MatchBracket();
  void CutLine();
  void ShiftSelectedBlock(int direction);
  void InsertIncludeLine();
  void OpenIncludeFile();
  void OpenLinkerCod();
  void Beep();
  // The context menu's debugger and word entries (the menu's line is the
  // caret line).
  void AddDebugEntries(QMenu& menu, bool session);
  void AddWordEntries(QMenu& menu, bool session);
  void AddToWatch(int page);
  void GoToSymbolAtCaret(bool definition);
  bool SessionRunning() const;

  EditorDocument* m_doc;
  EditorViewContext* m_ctx;
  uint32_t m_ownState = 0;
  EditorPanes* m_panes = nullptr;
  int m_row = 0, m_column = 0;
  int m_rememberedTop = 0, m_rememberedCaret = 0;  // 0: none
  std::string m_includePath;  // what the context menu found for 32708
  std::string m_codPath;      // the listing the context menu found for 35401
  int m_codLine = 0;          // and the menu's line
  // What the last context menu found on its line; -1 none.
  int64_t m_menuCode = -1;     // the line's code address (Show Disassembly)
  int64_t m_menuPc = -1;       // the address Set Program Counter takes
  int64_t m_menuRunTo = -1;    // the address Run to Cursor line runs to
  std::string m_menuWord;      // the word the watch and browser entries take
  bool m_shownModified = false;  // the modified flag the title shows
  QPointer<EditFindDialog> m_findDialog;
  EditorMargin* m_margin = nullptr;  // a child object
  bool m_marginDoubleClick = false;  // the release of a margin double click is its own
};

}  // namespace pm2
