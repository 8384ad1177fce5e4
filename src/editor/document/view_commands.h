// The editor view's word, bracket, line and status arithmetic, without a
// window: the word at the caret (with "." and "->" member chains), the
// matching bracket, the line of a compiler listing, where a shown line
// stands, the status-pane texts and what a wheel turn scrolls.
#pragma once

#include <string>
#include <string_view>

#include "editor/text/text_buffer.h"

namespace pm2 {

class EditEngine;

// The word around `index` of a line: word characters (the text's own, or
// '_'); leftwards it goes on over member selections ("p -> next . count"),
// blanks and tabs allowed around the operator. False when the character at
// the index is no word character.
bool WordAtIndex(const CEditTextBuffer& text, std::string_view line, int index, std::string* out);

// The word at `index`, or, when the character there is no word character,
// the word that ends just before it: a caret behind a word (where a click
// on the right half of the word's last character puts it, or End) still
// names that word.
bool WordAtOrBefore(const CEditTextBuffer& text, std::string_view line, int index, std::string* out);

// The selected text when the selection lies inside one line (without a
// line end), else the word at or just before the caret (WordAtOrBefore).
// False when there is neither.
bool WordAtCaret(const EditEngine& engine, std::string* out);

// The partner of the bracket at `at` ("([{<" forward, ")]}>" backward),
// counted across lines. False for another character or when there is none.
bool FindMatchingBracket(const CEditTextBuffer& text, EditPos at, EditPos* partner);

// The line number (1-based) of listing line `n` of the file `quotedName`
// ("'main.c'") in a compiler listing: the section begins with a line
// " FILE: 'path'" whose last path component is the name; the line begins,
// after blanks and tabs, with "n: ". 0 when not found.
int FindListingLine(const CEditTextBuffer& text, int n, const std::string& quotedName);

// The top line that shows `line` a third of the rows below the top.
int CenteredTopLine(int line, int rows);
// The top line a view takes to show `line` without moving what the user
// sees more than needed: 0 (stay) when the line is within the visible rows
// or the whole text fits; else the line a third of the rows below the top.
int TopLineToShow(int line, int topLine, int rows, int lineCount);

// The status-pane texts: "L:%d C:%d" (the column counted from 1), "R/O" or
// "R/W".
std::string CaretStatusText(int line, int column);
const char* ReadOnlyStatusText(bool readOnly);
// The overwrite pane: "OVR" while typing overwrites, empty while it inserts.
const char* OverwriteStatusText(bool insertMode);

// What one wheel turn does: with Ctrl one page, else two lines; `forward`
// scrolls towards the start. The code is the engine's scroll request (0
// line up, 1 line down, 2 page up, 3 page down).
struct WheelStep {
  int code;
  int count;
};
WheelStep WheelScroll(bool ctrl, bool forward);

}  // namespace pm2
