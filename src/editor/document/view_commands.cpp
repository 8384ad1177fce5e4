#include "editor/document/view_commands.h"

#include <strings.h>

#include <algorithm>
#include <cstdio>

#include "editor/engine/edit_engine.h"

namespace pm2 {

namespace {
bool IsWord(const CEditTextBuffer& text, char c) { return c == '_' || text.IsWordChar(uint8_t(c)); }
bool IsBlank(char c) { return c == ' ' || c == '\t'; }

struct BracketPair {
  char open, close;
};
constexpr BracketPair kBrackets[] = {{'(', ')'}, {'[', ']'}, {'{', '}'}, {'<', '>'}};
}  // namespace

bool WordAtIndex(const CEditTextBuffer& text, std::string_view line, int index, std::string* out) {
  int n = int(line.size());
  while (n > 0 && (line[size_t(n - 1)] == '\r' || line[size_t(n - 1)] == '\n')) --n;
  if (index < 0 || index >= n || !IsWord(text, line[size_t(index)])) return false;
  int s = index, e = index;
  while (e < n && IsWord(text, line[size_t(e)])) ++e;
  while (s > 0 && IsWord(text, line[size_t(s - 1)])) --s;
  // Member selections to the left: blanks, "." or "->", blanks, a word.
  for (;;) {
    int k = s;
    while (k > 0 && IsBlank(line[size_t(k - 1)])) --k;
    if (k > 0 && line[size_t(k - 1)] == '.') {
      --k;
    } else if (k > 1 && line[size_t(k - 1)] == '>' && line[size_t(k - 2)] == '-') {
      k -= 2;
    } else {
      break;
    }
    while (k > 0 && IsBlank(line[size_t(k - 1)])) --k;
    if (k == 0 || !IsWord(text, line[size_t(k - 1)])) break;  // an operator without a name before it
    while (k > 0 && IsWord(text, line[size_t(k - 1)])) --k;
    s = k;
  }
  *out = std::string(line.substr(size_t(s), size_t(e - s)));
  return true;
}

bool WordAtOrBefore(const CEditTextBuffer& text, std::string_view line, int index, std::string* out) {
  return WordAtIndex(text, line, index, out) || (index > 0 && WordAtIndex(text, line, index - 1, out));
}

bool WordAtCaret(const EditEngine& engine, std::string* out) {
  const CEditTextBuffer& text = *engine.Text();
  EditPos a, b;
  bool column = false;
  if (engine.GetSelection(&a, &b, &column) && a.pLine == b.pLine && !column) {
    int from = std::min(a.nIndex, b.nIndex), to = std::max(a.nIndex, b.nIndex);
    to = std::min(to, text.ContentLength(a.pLine));
    if (to > from) {
      *out = a.pLine->m_text.substr(size_t(from), size_t(to - from));
      return true;
    }
  }
  const EditState& s = engine.State();
  if (!s.pCaretLine) return false;
  return WordAtOrBefore(text, s.pCaretLine->m_text, engine.CaretIndex(), out);
}

bool FindMatchingBracket(const CEditTextBuffer& text, EditPos at, EditPos* partner) {
  if (!at.pLine || at.nIndex < 0 || at.nIndex >= text.ContentLength(at.pLine)) return false;
  char c = at.pLine->m_text[size_t(at.nIndex)];
  char same = 0, other = 0;
  bool forward = true;
  for (const BracketPair& p : kBrackets) {
    if (c == p.open) same = p.open, other = p.close, forward = true;
    if (c == p.close) same = p.close, other = p.open, forward = false;
  }
  if (!same) return false;
  int count = 0;
  CEditLine* line = at.pLine;
  int i = at.nIndex;
  while (line) {
    int len = text.ContentLength(line);
    for (; i >= 0 && i < len; i += forward ? 1 : -1) {
      char ch = line->m_text[size_t(i)];
      if (ch == same) ++count;
      if (ch == other && --count == 0) {
        *partner = {line, i};
        return true;
      }
    }
    line = forward ? line->m_pNext : line->m_pPrev;
    if (line) i = forward ? 0 : text.ContentLength(line) - 1;
  }
  return false;
}

namespace {
// " FILE: 'C:\p\main.c'" -> "'main.c'"; "" for other lines.
std::string ListingFileName(std::string_view line) {
  if (line.size() < 7 || line.substr(0, 6) != " FILE:") return {};
  size_t i = 6;
  while (i < line.size() && IsBlank(line[i])) ++i;
  if (i >= line.size() || (line[i] != '\'' && line[i] != '"')) return {};
  char q = line[i];
  size_t end = line.find(q, i + 1);
  if (end == std::string_view::npos) return {};
  std::string_view path = line.substr(i + 1, end - i - 1);
  size_t cut = path.find_last_of("\\/:");
  std::string_view name = cut == std::string_view::npos ? path : path.substr(cut + 1);
  return std::string(1, q) + std::string(name) + std::string(1, q);
}
}  // namespace

int FindListingLine(const CEditTextBuffer& text, int n, const std::string& quotedName) {
  char prefix[24];
  std::snprintf(prefix, sizeof prefix, "%d: ", n);
  std::string_view want(prefix);
  bool inSection = false;
  for (const CEditLine* p = text.FirstLine(); p; p = p->m_pNext) {
    std::string_view line(p->m_text);
    std::string file = ListingFileName(line);
    if (!file.empty() || line.substr(0, 6) == " FILE:") {
      inSection = !file.empty() && ::strcasecmp(file.c_str(), quotedName.c_str()) == 0;
      continue;
    }
    if (!inSection) continue;
    size_t i = 0;
    while (i < line.size() && IsBlank(line[i])) ++i;
    if (line.substr(i, want.size()) == want) return text.LineNumber(p);
  }
  return 0;
}

int CenteredTopLine(int line, int rows) { return std::max(line - rows / 3, 1); }

int TopLineToShow(int line, int topLine, int rows, int lineCount) {
  rows = std::max(rows, 1);
  if (line >= topLine && line < topLine + rows) return 0;
  if (lineCount <= rows) return topLine == 1 ? 0 : 1;
  return CenteredTopLine(line, rows);
}

std::string CaretStatusText(int line, int column) {
  char buf[40];
  std::snprintf(buf, sizeof buf, "L:%d C:%d", line, column + 1);
  return buf;
}

const char* ReadOnlyStatusText(bool readOnly) { return readOnly ? "R/O" : "R/W"; }

const char* OverwriteStatusText(bool insertMode) { return insertMode ? "" : "OVR"; }

WheelStep WheelScroll(bool ctrl, bool forward) {
  if (ctrl) return {forward ? 2 : 3, 1};
  return {forward ? 0 : 1, 2};
}

}  // namespace pm2
