// What a user expects of a command, judged against what the user asked
// for: the walk keeps its own account of the request (the row clicked, the
// line typed, the text the editor held, the word pointed at) and compares
// the program's outcome with it. The program's own report is never the
// reference: a wrong deletion, a short save or a caret on the next line
// would agree with itself.
//
// CommandOutcomes() writes each judged command's outcome down once, in a
// user's words; walk_never_ran.sh names the offered commands it leaves out
// as unjudged (they are held only to the walk's general checks: an answer,
// no hang, no unexplained message or process, the project as kept).
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "shell/frame/command_table.h"
#include "walk_text_outcomes.h"

namespace pm2::test {

struct CommandOutcome {
  CommandId id;
  const char* expected;  // as a user expects it
};
inline const std::vector<CommandOutcome>& CommandOutcomes() {
  static const std::vector<CommandOutcome> rows = {
      {cmd::kFileSave, "the file holds the editor's text byte for byte"},
      {57604, "the file named holds the editor's text byte for byte"},
      {cmd::kSaveAll, "each text saved holds its editor's text byte for byte, the project file what the fields held"},
      {57602, "a changed text saved on closing holds the editor's text byte for byte; one closed unasked keeps its "
              "changes in its file"},
      {cmd::kCloseAll, "each changed text saved on closing holds its editor's text byte for byte"},
      {cmd::kAppExit, "each changed text saved on leaving holds its editor's text byte for byte"},
      {35130, "the caret stands on the line typed into Go to Line"},
      {35041, "Kill Selected removes the row clicked, and the driver's breakpoint of that row, and no other"},
      {35051, "a text typed into a kept field is stored as typed (case and letters outside ASCII included)"},
      {57636, "Find Next selects the next match of the text typed after the caret or selection (the first of the text "
              "when it wraps around), as the walk counts the matches in the text; the first in the dialog closed and "
              "opened again begins a pass of its own, which it never ends"},
      {57641, "Replace replaces the match Find Next selected and nothing else; Replace All replaces exactly the "
              "matches the walk counted in the text before, and nothing else; Undo brings the text back"},
      {45027, "the bookmark is turned over on the caret's line, and no other line's changes"},
      {35012, "outside a debug session, the breakpoint is turned over on the caret's line, and no other line's "
              "changes (unless the program says why it cannot set one)"},
      {35017, "outside a debug session, the breakpoint on the caret's line is enabled where it was disabled and "
              "disabled where it was enabled; no other line's state changes, and every breakpoint stays"},
  };
  return rows;
}
// The context-menu items judged, by the start of their text.
struct ItemOutcome {
  const char* start;
  const char* expected;
};
inline const std::vector<ItemOutcome>& ItemOutcomes() {
  static const std::vector<ItemOutcome> rows = {
      {"Add \"", "the Watch row added names the word the editor's menu named, on the page chosen"},
  };
  return rows;
}
inline const CommandOutcome* OutcomeOf(CommandId id) {
  for (const CommandOutcome& o : CommandOutcomes())
    if (o.id == id) return &o;
  return nullptr;
}

// Where two texts first differ, for a failure: the byte and a few around it.
inline std::string FirstByteDifference(const std::string& want, const std::string& got) {
  size_t at = 0;
  while (at < want.size() && at < got.size() && want[at] == got[at]) ++at;
  const auto around = [at](const std::string& s) {
    const size_t from = at > 12 ? at - 12 : 0;
    std::string out;
    for (char c : s.substr(from, 24)) out += c == '\n' ? std::string("\\n") : c == '\r' ? std::string("\\r") : std::string(1, c);
    return "'" + out + "'";
  };
  return "at byte " + std::to_string(at) + " of " + std::to_string(want.size()) + " (expected " + around(want) +
         ", found " + around(got) + ", " + std::to_string(got.size()) + " bytes)";
}

// A save: the file holds the text the editor held, byte for byte. `how`
// says why the walk takes it for saved ("asked to save it").
inline std::string JudgeSaved(const std::string& path, const std::string& editorText, const std::string& disk,
                              const std::string& how = "saved it") {
  if (disk == editorText) return {};
  return "'" + path + "' is not the text its editor held (the user " + how + "): " +
         FirstByteDifference(editorText, disk);
}

// What the walk saw of a text over a step, from which it tells whether the
// user saved it: the program's word (its changed mark) counts only beside
// the file written; what the user asked counts on its own.
struct SaveSeen {
  bool changedBefore = false;  // the text was changed when the step began
  bool typedBefore = false;    // the walk's own keys had changed it since its file last held it
  bool hasFile = false;        // it had a file then
  bool closed = false;         // its window closed in the step
  bool renamed = false;        // its editor names another file now (Save As)
  bool saveAsked = false;      // the step, alone, was Save of this text or Save All
  bool messages = false;       // a message box came up in the step
  bool asked = false;          // "Save changes to '<title>' ?" came up
  bool answeredYes = false;    // and was answered Yes
  bool saysChanged = true;     // the program's changed mark after the step
  bool fileWritten = false;    // the file differs from what it held before
};
// Why the walk takes the text for saved ("" where it does not): the file
// must then hold the text the editor held. A text the walk's keys changed
// counts as changed whatever the program's mark says; closed without the
// question, its changes must be in its file (saved without asking), never
// lost unasked.
inline std::string SavedBecause(const SaveSeen& s) {
  const bool changed = s.changedBefore || s.typedBefore;
  if (s.closed) {
    if (!changed || !s.hasFile) return {};
    if (s.answeredYes) return "answered Yes to save it on closing";
    if (s.typedBefore && !s.asked) return "changed it, and it closed without asking whether to save it";
    return s.fileWritten ? "closed it, and its file was written" : "";
  }
  if (s.renamed) return "saved it under that name";
  if (!changed || !s.hasFile) return {};
  if (s.saveAsked && !s.messages) return "asked to save it";
  // An Undo back to the text saved clears the mark too, the file as it was.
  return !s.saysChanged && s.fileWritten ? "was told it is saved" : "";
}

// Go to Line given `asked` in an editor of `lines` lines: the caret stands
// on that line.
inline std::string JudgeCaretLine(long asked, long lines, long caret) {
  if (asked < 1 || asked > lines || caret == asked) return {};
  return "Go to Line was given line " + std::to_string(asked) + " (of " + std::to_string(lines) +
         "), and the caret stands on line " + std::to_string(caret);
}

// A row of a list as the user saw it, with the record it stands for.
struct ListRow {
  std::string text;
  uintptr_t record = 0;
};
// Kill Selected with row `selected` of `before` clicked: the list shows the
// other rows in their order, and the driver keeps the others' records.
inline std::string JudgeKillSelected(const std::vector<ListRow>& before, int selected,
                                     const std::vector<std::string>& shownAfter,
                                     const std::vector<uintptr_t>& keptAfter) {
  if (selected < 0 || selected >= int(before.size())) return {};
  std::vector<std::string> shown;
  std::vector<uintptr_t> kept;
  for (int i = 0; i < int(before.size()); ++i)
    if (i != selected) shown.push_back(before[size_t(i)].text), kept.push_back(before[size_t(i)].record);
  const std::string asked = "Kill Selected with row " + std::to_string(selected + 1) + " '" +
                            before[size_t(selected)].text + "' clicked (of " + std::to_string(before.size()) + ")";
  if (shownAfter != shown) {
    std::string rows;
    for (const std::string& r : shownAfter) rows += (rows.empty() ? "'" : ", '") + r + "'";
    return asked + " left the list showing " + (rows.empty() ? std::string("nothing") : rows);
  }
  std::vector<uintptr_t> sortedKept = kept, sortedAfter = keptAfter;
  std::sort(sortedKept.begin(), sortedKept.end());
  std::sort(sortedAfter.begin(), sortedAfter.end());
  if (sortedAfter != sortedKept)
    return asked + " left the driver " + std::to_string(keptAfter.size()) +
           " breakpoints that are not the other rows' (" + std::to_string(kept.size()) + " expected)";
  return {};
}

// "Add "<word>" to Watch Window...>#<page>" chosen: the page's rows are
// those it had and the word (added once), the other page's are as they were.
inline std::string JudgeWatchAdded(const std::string& word, int page, const std::vector<std::string> before[2],
                                   const std::vector<std::string> after[2]) {
  if (page != 1 && page != 2) return {};
  const std::string asked = "'" + word + "' was added to Watch Window #" + std::to_string(page);
  const std::vector<std::string>& was = before[page - 1];
  const std::vector<std::string>& is = after[page - 1];
  if (std::find(is.begin(), is.end(), word) == is.end()) {
    std::string rows;
    for (const std::string& r : is) rows += (rows.empty() ? "'" : ", '") + r + "'";
    return asked + ", and the page shows no such row (its rows: " + (rows.empty() ? std::string("none") : rows) + ")";
  }
  std::vector<std::string> expected = was;
  if (std::find(was.begin(), was.end(), word) == was.end()) expected.push_back(word);
  if (is != expected && !(is.size() == was.size() + 1 && std::equal(was.begin(), was.end(), is.begin())))
    return asked + ", and the page's other rows changed";
  if (after[2 - page] != before[2 - page])
    return asked + ", and Watch Window #" + std::to_string(3 - page) + " changed";
  return {};
}

// A word chosen from the editor's menu item "Add "<word>" to Watch
// Window...>#<n>": the word and the page (0 where the item is another).
inline int WatchItemAsked(const std::string& item, std::string* word) {
  const std::string head = "Add \"", tail = "\" to Watch Window...>#";
  const size_t end = item.rfind(tail);
  if (item.rfind(head, 0) != 0 || end == std::string::npos || end < head.size()) return 0;
  *word = item.substr(head.size(), end - head.size());
  const std::string page = item.substr(end + tail.size());
  return page == "1" ? 1 : page == "2" ? 2 : 0;
}

}  // namespace pm2::test
