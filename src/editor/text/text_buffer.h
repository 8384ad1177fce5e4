// The editor's text object: a doubly linked list of CEditLine records, the
// per-file-type settings, the undo log, file load and save, the syntax
// colouring tables and the search, range and column-block operations.
// It is not a window; every operation can run without one.
//
// The class is large because the window engine addresses one object, but
// each concern lives in its own source file: text_buffer.cpp (life cycle,
// lines, columns), text_edit.cpp (editing primitives), undo_log.cpp,
// text_file.cpp, language.cpp (settings, keywords, comments),
// text_search.cpp (search and ranges), column_block.cpp.
//
// Invariants: the list is never empty; LineNumber() gives 1..m_nLineCount
// in list order after every public operation; every line's line end, when
// it has one, is the buffer's line-end bytes.
//
// Line numbers are kept lazily so that an edit costs nothing for the lines
// after it. Every change of the line list raises a generation and records
// the line it happened at (lines up to there keep their numbers). A line's
// stored number is true when it was set in the current generation, or when
// it lies at or above every change made since it was set; otherwise the
// line is numbered by walking on from the watermark, the last line known
// to be numbered truly. Read numbers through LineNumber().
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "editor/text/edit_line.h"
#include "editor/text/edit_profile.h"
#include "editor/text/edit_status.h"
#include "editor/text/undo_record.h"

namespace pm2 {

class CEditRegExp;

// A place in the text: a line and a byte index into its text.
struct EditPos {
  CEditLine* pLine = nullptr;
  int nIndex = 0;
};

// Line-end modes and their bytes: 0 CR LF, 1 LF CR, 2 LF, 3 CR.
enum LineEndMode : int { kLineEndCrLf = 0, kLineEndLfCr = 1, kLineEndLf = 2, kLineEndCr = 3 };
// The bytes of a mode ("" for a value outside 0..3).
std::string_view LineEndBytes(int mode);

// Bits of SearchRequest::nFlags.
enum SearchFlag : uint32_t { kSearchMatchCase = 0x4, kSearchDown = 0x8, kSearchRegex = 0x40 };

struct SearchRequest {
  uint32_t nFlags = 0;
  int nMatchLength = 0;     // set by a successful search
  std::string pattern;
  std::string replacement;  // the replacement template; never overwritten
  // A regular-expression match's replacement, built from the template.
  // Kept apart from the template so that repeated searches (backwards,
  // replace all) each substitute from the template, not from the result.
  std::string substituted;
};

// A keyword table entry (32 bytes); name[0] == 0 marks a free slot.
struct EditKeyword {
  char name[24] = {};
  int32_t length = 0;
  int32_t value = 0;
};
constexpr int kKeywordSlots = 2048;

// Colours are 0x00BBGGRR.
using EditColour = uint32_t;

class CEditTextBuffer {
 public:
  explicit CEditTextBuffer(EditEnvironment env = {});
  virtual ~CEditTextBuffer();
  CEditTextBuffer(const CEditTextBuffer&) = delete;
  CEditTextBuffer& operator=(const CEditTextBuffer&) = delete;

  // ---- flags (each setter stores its argument and returns it) ----
  virtual int IsModified() const { return m_bModified; }
  // Clearing the flag marks the present undo position as the saved state:
  // undo or redo back to it clears the flag again.
  virtual int SetModified(int b);
  virtual int SetLockFile(int b) { return m_bLockFile = b; }
  virtual int GetLockFile() const { return m_bLockFile; }
  virtual int SetReadOnly(int b) { return m_bReadOnly = b; }
  virtual int IsReadOnly() const { return m_bReadOnly; }
  virtual int SetWordWrap(int b) { return m_bWordWrap = b; }
  virtual int GetWordWrap() const { return m_bWordWrap; }
  virtual int SetInsertMode(int b) { return m_bInsertMode = b; }
  virtual int GetInsertMode() const { return m_bInsertMode; }
  virtual int SetTabSize(int n) { return m_nTabSize = n; }
  virtual int GetTabSize() const { return m_nTabSize; }

  // ---- life cycle ----
  void Init();
  void Clear();

  // ---- settings ----
  void SetProfileSection(const std::string& name) { m_profileSection = name; }
  void ClearProfileSection() { m_profileSection.clear(); }
  const std::string& GetProfileSection() const { return m_profileSection; }
  int LoadSettings();
  void SetLineEndMode(int mode);
  int GetLineEndMode() const { return m_nLineEndMode; }
  int GetLineEndLength() const { return m_nLineEndLength; }
  std::string_view GetLineEnd() const { return {m_szLineEnd, size_t(m_nLineEndLength)}; }

  // ---- lines ----
  CEditLine* FirstLine() const { return m_pFirstLine; }
  CEditLine* LastLine() const { return GetLine(0); }
  // 1-based; n beyond the end, 0 or negative gives the last line.
  CEditLine* GetLine(int n) const;
  int GetLineCount() const { return m_nLineCount; }
  // The line's 1-based number (0 for none); the line must be one of this
  // text's.
  int LineNumber(const CEditLine* pLine) const;
  // Rises each time lines are taken out of the list: a window whose count
  // is unchanged knows all its line pointers still live.
  uint64_t LinesRemovedSerial() const { return m_nRemovedSerial; }
  // The lowest line number changed by edits since `serial` (a value of
  // EditSerial() taken earlier); 0 when nothing changed. When too many
  // edits passed to tell, 1.
  int LowestChangeSince(uint64_t serial) const;
  uint64_t EditSerial() const { return m_nEditSerial; }
  // Numbers the whole list and counts it again; returns the count.
  int Renumber();
  // The whole text as it would be saved.
  std::string GetText() const;
  // Bytes of the line's text before its line end. Inline: whole-text
  // passes ask it for every line.
  int ContentLength(const CEditLine* pLine) const {
    if (!pLine) return 0;
    return pLine->Length() - (HasLineEnd(pLine) ? m_nLineEndLength : 0);
  }
  bool HasLineEnd(const CEditLine* pLine) const {
    const std::string& t = pLine->m_text;
    size_t n = t.size(), k = size_t(m_nLineEndLength);
    if (k == 0 || n < k) return false;
    return t[n - 1] == m_szLineEnd[k - 1] && (k == 1 || t[n - 2] == m_szLineEnd[0]);
  }

  // ---- columns ----
  int ColumnToIndex(const CEditLine* pLine, int column) const;
  int IndexToColumn(const CEditLine* pLine, int index) const;
  int TextColumns(const char* text, int n) const;
  // Bytes of text that fit within the column limit less the line end.
  int CharsWithinLineLimit(const char* text, int n) const;
  std::string ExpandTabs(const char* text, int n, int lineEndLength) const;
  bool IsPositionBefore(const EditPos& a, const EditPos& b) const;

  // ---- edits (status codes; the last argument asks for undo) ----
  int InsertText(EditPos pos, const char* text, int n, bool recordUndo, int* pOutN = nullptr);
  int InsertString(EditPos pos, std::string_view text, bool insertMode, bool recordUndo);
  int InsertChar(EditPos pos, uint8_t ch, bool insertMode, bool recordUndo);
  int DeleteChar(EditPos pos, bool recordUndo);
  int DeleteChars(EditPos pos, int count, bool recordUndo);
  int DeleteRange(EditPos from, EditPos to, bool recordUndo);
  int PadLine(EditPos& pos, bool recordUndo);
  int SplitLine(EditPos pos, bool recordUndo);
  int JoinLines(EditPos pos, bool recordUndo);
  int InsertColumnText(EditPos pos, const char* text, int n, bool recordUndo);
  int DeleteColumnBlock(EditPos from, EditPos to, bool recordUndo);
  // Gives whole lines new contents (their line ends stay; a new content
  // holds no line-end byte), recorded as one undo step. The lines are
  // given in text order; on return each edit holds the line's old content.
  struct LineEdit {
    CEditLine* pLine;
    std::string content;
  };
  int ReplaceLineContents(std::vector<LineEdit>& edits, bool recordUndo);

  // ---- extraction ----
  // The range as lines, line ends converted to CR LF.
  std::string CopyRange(EditPos from, EditPos to) const;
  // The column block between two positions, rows joined by CR LF.
  std::string GetRangeText(EditPos from, EditPos to) const;

  // ---- text splitting and line ends ----
  // Splits a text into a new unlinked list (null for no text); pCount gets
  // the number of lines. Over-long lines are cut and reported once.
  CEditLine* TextToLines(const char* text, int n, int* pCount);
  static int DetectLineEnd(const char* text, int n);
  // Converts the line ends of text to the mode's; returns the new length.
  static int ConvertLineEnds(std::string& text, int mode);

  // ---- undo ----
  // Adds one record; the request's row starts are kept for column blocks.
  int AddUndo(const CEditUndoRecord& request, std::string_view text);
  // Adds a record made whole by the caller (moved in, in the open group).
  int AddUndoRecord(CEditUndoRecord&& record);
  void BeginUndoGroup(int open);
  uint32_t GetUndoGroupStamp() const { return m_nUndoGroupStamp; }
  int Undo();
  int Redo();
  void ResetUndo();
  void FreeUndo();
  void DropOldestUndo();
  int GetUndoIndex() const { return m_nUndoCurrent; }
  int GetUndoTop() const { return m_nUndoTop; }
  // Where the caret goes after Undo (the record at the current index) and
  // after Redo (the record before it; after an inserted character).
  EditPos UndoCaret() const;
  EditPos RedoCaret() const;

  // ---- files ----
  int LoadFile(const std::string& path);
  int ReadFileChunks(int fd, size_t bytesPerRead);
  // With a `backupPath`, an existing old file is kept under that name when
  // the new one takes its place; a backup that cannot be taken does not stop
  // the save and is told by LastBackupWarning().
  int SaveFile(const std::string& path, const std::string& backupPath = {});
  int RenameFile(const std::string& oldPath, const std::string& newPath);
  // Splits data as a load does (line-end detection, Ctrl-Z, limits) and
  // replaces the text; used by LoadFile and by tests.
  int LoadFromBytes(std::string data);
  // With the lock setting on, a loaded or saved file stays open with a
  // shared advisory lock (editor/text/file_lock.h) until the next load,
  // save or rename; a save or rename of a file another editor of ours
  // keeps is refused with FileKeptCode() and its message here.
  // The message of the last failed save ("Cannot write 'x': ...").
  const std::string& LastFileError() const { return m_lastFileError; }
  // Why the backup of the last successful save was not taken ("" when it
  // was, or none was asked for).
  const std::string& LastBackupWarning() const { return m_backupWarning; }

  // ---- search ----
  // Searches from pos up to limit (a null limit line: to the end or start
  // of the text).
  int Search(EditPos& pos, EditPos limit, SearchRequest& request);
  // The first match in text at or after `from` (an offset into text, whose
  // beginning stays the line's start for "^"), or -1.
  static int FindFirst(std::string_view pattern, const char* text, int n);
  static int FindLast(std::string_view pattern, const char* text, int n);

  // ---- language and colouring ----
  virtual int FindCommentStart(const char* text, int n, int* pKind);
  virtual int FindCommentEnd(const char* text, int n, int kind);
  // Finds the next keyword at or after *pFrom in text; start and end are
  // offsets into text; *pFrom moves to the keyword's start.
  virtual int FindNextKeyword(std::string_view text, int* pFrom, int* pStart, int* pEnd);
  virtual int LoadKeywords();
  virtual int IsInBlockComment(const CEditLine* pLine, std::string_view opener,
                               std::string_view closer, std::string_view lineOpener);
  virtual int FindCommentKind(const CEditLine* pLine, int* pKind);
  virtual int LoadLanguage();
  void LoadWordChars();
  void FreeLanguageData();
  bool IsWordChar(uint8_t ch) const;
  // Start of the next word in text (or -1) and its length.
  int NextWord(const char* text, int n, int* pLength) const;
  static bool IsInQuote(std::string_view text, int position);
  int FindText(std::string_view pattern, const char* text, int n) const;
  int FindLastOccurrence(std::string_view pattern, const char* text, int n) const;
  static int KeywordHash(const char* name, int n);
  void FillKeywordTable(const std::vector<std::string>& names);
  void GetKeywordColour(const std::string& name);
  static EditColour ParseColour(std::string_view text);
  static std::string FormatColour(EditColour c);
  const std::string& CommentOpener(int kind) const { return kind == 1 ? m_open1 : m_open2; }
  const std::string& CommentCloser(int kind) const { return kind == 1 ? m_close1 : m_close2; }

  // ---- public settings, read by the window engine ----
  int m_bBlankPadding = 0;
  int m_bAutoIndent = 1;
  int m_bCommentContinues = 0;
  int m_bKeepTabs = 1;
  int m_bShowTabs = 0;
  std::string m_fontFace = "Courier New";
  int m_nFontSize = 9;
  int m_nFontWeight = 400;
  int m_bItalic = 0;
  int m_nCharSet = 0;
  int m_bColouring = 0;
  int m_bCaseSensitive = 0;
  EditColour m_crKeyword = 0xFF0000;
  EditColour m_crQuote = 0x0000FF;
  EditColour m_crSQuote = 0x0000FF;
  EditColour m_crComment = 0x008000;
  EditColour m_crText = 0;
  EditColour m_crBackground = 0xFFFFFF;
  std::string m_keywordFile;
  std::string m_keywordSection = "Keywords";
  std::array<uint8_t, 256> m_extraWordChars{};
  std::array<uint8_t, 256> m_terminatorChars{};
  std::array<uint8_t, 256> m_startChars{};

 private:
  friend class EditTestAccess;
  void ShowMessage(int id, const std::string& text);
  int InsertTextImpl(EditPos pos, const std::string& text, bool recordUndo);
  int InsertLines(EditPos pos, const std::string& text, bool recordUndo);
  int InsertColumnRows(EditPos pos, const char* text, int n, bool recordUndo,
                       const std::vector<int>* pRowStarts);
  // Takes an inserted column block out again, row by row where it went in.
  void RemoveColumnRows(int firstLine, const std::string& text, const std::vector<int>& rowStarts);
  int InsertCharAt(EditPos pos, uint8_t ch, bool insertMode, bool recordUndo);
  int InsertStringAt(EditPos pos, std::string_view text, bool insertMode, bool recordUndo);
  std::string CopyRangeRaw(EditPos from, EditPos to) const;
  void ReplayUndo(CEditUndoRecord& r, bool redo);
  // Swaps the contents of a lines-replaced record with the lines'.
  void SwapLineContents(CEditUndoRecord& r);
  void RemoveInsertedChar(EditPos pos, uint8_t ch);
  void FreeUndoFrom(int from, int to);
  void CloseKeptHandle();
  std::string ProfileString(const std::string& key, const std::string& def);
  int ProfileInt(const std::string& key, int def);
  int FindOutsideQuotes(std::string_view pattern, const char* text, int n, int from) const;
  // Appends the next line to pLine (dropping pLine's line end) and frees it.
  void JoinRaw(CEditLine* pLine);
  // Lines after pLine were added or removed (pLine's number is true).
  void NumbersChangedAfter(CEditLine* pLine);
  bool NumberIsTrue(const CEditLine* pLine) const;
  // Numbers on from the watermark up to pLine (or the n-th line).
  CEditLine* NumberOnTo(const CEditLine* pLine, int n) const;
  // The text changed on a line (for the windows' colouring state).
  void NoteChange(int lineNumber);
  void NoteChange(const CEditLine* pLine) { NoteChange(LineNumber(pLine)); }
  void SetFirstLine(CEditLine* pList);

  EditEnvironment m_env;
  CEditLine* m_pFirstLine = nullptr;
  std::vector<CEditUndoRecord> m_undo;
  int m_nUndoReserved1 = 0;
  int m_nUndoCurrent = 0;       // records below it can be undone
  uint32_t m_nUndoGroupStamp = 0;
  int m_nUndoTop = 0;           // records from current to top can be redone
  int m_nUndoReserved2 = 0;
  // Open groups of this buffer. One count for all buffers would let a group
  // opened on one buffer leave another buffer's group unstamped, so the
  // edits of a paste into a second window would undo one by one.
  int m_nUndoNesting = 0;
  int m_keptFd = -1;
  int m_nLineEndLength = 2;
  char m_szLineEnd[3] = {'\r', '\n', 0};
  int m_nLineCount = 1;
  mutable CEditLine* m_pNumbered = nullptr;  // the watermark line
  mutable int m_nNumbered = 0;               // its number
  mutable CEditLine* m_pCursor = nullptr;    // the line GetLine found last
  uint64_t m_nGeneration = 1;
  // (generation, line) of the list changes not yet folded into a full
  // numbering, the lines rising with the generations (a later change at a
  // lower line makes the earlier ones moot).
  std::vector<std::pair<uint64_t, int>> m_listChanges;
  uint64_t m_nRemovedSerial = 0;
  uint64_t m_nEditSerial = 0;
  // The last edits' serials and lines, in a ring.
  static constexpr int kChangeRing = 64;
  std::array<std::pair<uint64_t, int>, kChangeRing> m_changes{};
  int m_bModified = 0;
  int m_nSavedUndo = 0;  // the undo position of the saved text; -1: out of reach
  int m_bReadOnly = 0;
  int m_bWordWrap = 0;
  int m_nTabSize = 3;
  int m_bInsertMode = 1;
  int m_bLockFile = 0;
  int m_nLineEndMode = 0;
  std::string m_profileSection;
  std::string m_open1, m_close1, m_open2, m_close2;
  std::unique_ptr<EditKeyword[]> m_keywords;
  std::string m_lastFileError;
  std::string m_backupWarning;
};

}  // namespace pm2
