#include "editor/wizard/option_writeback.h"

#include <algorithm>
#include <cstdio>

#include "editor/wizard/option_rows.h"
#include "editor/wizard/options_lexer.h"
#include "editor/wizard/options_parser.h"

namespace pm2 {

namespace {

bool IsWord(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::string Sanitised(const std::string& text) {
  std::string out;
  for (char c : text)
    if (c != '"' && c != '\r' && c != '\n') out.push_back(c);
  if (int(out.size()) > OptionsLexer::kMaxString) out.resize(size_t(OptionsLexer::kMaxString));
  return out;
}

// Offset -> (line from 1, index in the line).
LineEdit EditAt(std::string_view text, size_t offset, size_t length, std::string replacement) {
  LineEdit e;
  e.line = 1 + int(std::count(text.begin(), text.begin() + std::ptrdiff_t(offset), '\n'));
  size_t lineStart = text.rfind('\n', offset == 0 ? 0 : offset - 1);
  lineStart = (lineStart == std::string_view::npos || offset == 0) ? 0 : lineStart + 1;
  e.index = int(offset - lineStart);
  e.length = int(length);
  e.text = std::move(replacement);
  return e;
}

// A number in the form of `old`: 0x prefix, H suffix (with a leading 0
// before a letter) or decimal.
std::string InFormOf(std::string_view old, uint32_t v) {
  char buf[24];
  if (old.size() > 1 && old[0] == '0' && (old[1] == 'x' || old[1] == 'X')) {
    std::snprintf(buf, sizeof buf, "0x%X", v);
  } else if (!old.empty() && (old.back() == 'H' || old.back() == 'h')) {
    std::snprintf(buf, sizeof buf, "%XH", v);
    if (buf[0] >= 'A') return "0" + std::string(buf);
  } else {
    std::snprintf(buf, sizeof buf, "%u", v);
  }
  return buf;
}

uint32_t CodeValue(const OptionRow& row) {
  if (row.kind == kRowSelection && size_t(row.value) < row.entryValues.size() && row.entryValues[size_t(row.value)] >= 0)
    return uint32_t(row.entryValues[size_t(row.value)]);
  return uint32_t(row.value);
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

size_t SkipBlanks(std::string_view line, size_t i) {
  while (i < line.size() && IsBlank(line[i])) ++i;
  return i;
}

// The word at i (letters, digits, '_', and a leading '.' or '#' kept by
// the caller), or "" when none starts there.
std::string_view WordAt(std::string_view line, size_t i) {
  size_t end = i;
  while (end < line.size() && IsWord(line[end])) ++end;
  return line.substr(i, end - i);
}

bool SameIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    const char x = char(a[i] | 0x20), y = char(b[i] | 0x20);
    if (x != y) return false;
  }
  return true;
}

// Where the value of a definition of `key` starts on the line, or npos:
// "#define KEY value", ".equ KEY, value", "KEY EQU value" (the directive
// words in any case, blanks before any of them).
size_t DefinitionValueAt(std::string_view line, const std::string& key) {
  size_t i = SkipBlanks(line, 0);
  if (i < line.size() && line[i] == '#') {
    i = SkipBlanks(line, i + 1);
    if (WordAt(line, i) != "define") return std::string_view::npos;
    i = SkipBlanks(line, i + 6);
    if (WordAt(line, i) != key) return std::string_view::npos;
    const size_t after = i + key.size();
    if (after >= line.size() || !IsBlank(line[after])) return std::string_view::npos;
    return SkipBlanks(line, after);
  }
  if (i < line.size() && line[i] == '.') {
    if (!SameIgnoringCase(WordAt(line, i + 1), "equ")) return std::string_view::npos;
    i = SkipBlanks(line, i + 4);
    if (WordAt(line, i) != key) return std::string_view::npos;
    i = SkipBlanks(line, i + key.size());
    if (i >= line.size() || line[i] != ',') return std::string_view::npos;
    return SkipBlanks(line, i + 1);
  }
  if (WordAt(line, i) != key) return std::string_view::npos;
  i += key.size();
  const size_t directive = SkipBlanks(line, i);
  if (directive == i || !SameIgnoringCase(WordAt(line, directive), "equ")) return std::string_view::npos;
  i = directive + 3;
  if (i >= line.size() || !IsBlank(line[i])) return std::string_view::npos;
  return SkipBlanks(line, i);
}

// The character that starts a comment running to the end of the line,
// besides "//": ';' in the assemblers whose files carry the block behind
// ";;" (W51, W166, the ARM assembler), '@' in the files that carry it
// behind "//;;" (the GNU assembler; C has no '@' outside its texts, and
// there ';' ends a statement).
char LineCommentOf(std::string_view text) {
  for (size_t at = 0; at < text.size();) {
    if (text.compare(at, 4, "//;;") == 0) return '@';
    if (text.compare(at, 2, ";;") == 0) return ';';
    const size_t lf = text.find('\n', at);
    if (lf == std::string_view::npos) break;
    at = lf + 1;
  }
  return '@';
}

// Whether a block comment is open at the end of the line, given whether
// one was open at its start: "/*" opens, "*/" closes, nothing counts in a
// line comment ("//" or the file's own character) or a quoted text.
bool BlockCommentOpenAfter(std::string_view line, bool open, char lineComment) {
  char quote = 0;
  for (size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    const char next = i + 1 < line.size() ? line[i + 1] : '\0';
    if (open) {
      if (c == '*' && next == '/') {
        open = false;
        ++i;
      }
    } else if (quote) {
      if (c == '\\') ++i;
      else if (c == quote) quote = 0;
    } else if (c == '"' || c == '\'') {
      quote = c;
    } else if ((c == '/' && next == '/') || c == lineComment) {
      break;
    } else if (c == '/' && next == '*') {
      open = true;
      ++i;
    }
  }
  return open;
}

// The edit of the value of the first definition of the row's key. A
// definition on a line that starts inside a block comment is none; the
// line number of the first such one goes to *commentedLine (0: none).
bool PlanKeyEdit(std::string_view text, const OptionRow& row, LineEdit* out, int* commentedLine) {
  const std::string& key = row.key;
  const bool quoted = row.kind == kRowText || row.kind == kRowFile;
  size_t lineStart = 0;
  int lineNo = 0;
  bool inComment = false;
  const char lineComment = LineCommentOf(text);
  *commentedLine = 0;
  while (lineStart < text.size()) {
    size_t lineEnd = text.find('\n', lineStart);
    if (lineEnd == std::string_view::npos) lineEnd = text.size();
    std::string_view line = text.substr(lineStart, lineEnd - lineStart);
    ++lineNo;
    const bool commented = inComment;
    inComment = BlockCommentOpenAfter(line, inComment, lineComment);
    const size_t i = DefinitionValueAt(line, key);
    if (commented) {
      if (i != std::string_view::npos && *commentedLine == 0) *commentedLine = lineNo;
      lineStart = lineEnd + 1;
      continue;
    }
    if (i != std::string_view::npos && i < line.size()) {
      if (quoted && line[i] == '"') {
        const size_t close = line.find('"', i + 1);
        if (close != std::string_view::npos) {
          *out = EditAt(text, lineStart + i, close + 1 - i, "\"" + Sanitised(row.text) + "\"");
          return true;
        }
      }
      if (!quoted && IsDigit(line[i])) {
        const std::string_view number = WordAt(line, i);
        *out = EditAt(text, lineStart + i, number.size(), InFormOf(number, CodeValue(row)));
        return true;
      }
    }
    lineStart = lineEnd + 1;
  }
  return false;
}

}  // namespace

std::string DefaultValueText(const OptionRow& row) {
  char buf[24];
  switch (row.kind) {
    case kRowHex: std::snprintf(buf, sizeof buf, "0x%X", unsigned(row.value)); return buf;
    case kRowText:
    case kRowFile: return "\"" + Sanitised(row.text) + "\"";
    default: std::snprintf(buf, sizeof buf, "%u", unsigned(row.value)); return buf;
  }
}

std::string NoDefinitionText(const std::string& key) {
  return "No definition of '" + key + "' (EQU, .equ or #define with a value) was found in this file: "
         "the value was not written.";
}

std::string CommentedDefinitionText(const std::string& key, int line) {
  return "The definition of '" + key + "' on line " + std::to_string(line) +
         " is inside a block comment (/* ... */), so it is no definition: the value was not written.";
}

WriteBackPlan PlanWriteBack(std::string_view text, const OptionRow& row) {
  WriteBackPlan plan;
  if (row.option < 0) return plan;
  OptionsIdMap map;
  const COptionNode* node = nullptr;
  try {
    node = NthOption(ParseOptionsText(map, text, false), row.option);
  } catch (const std::bad_alloc&) {
    return plan;
  }
  if (!node) return plan;
  LineEdit key;
  int commentedLine = 0;
  if (!row.key.empty() && !PlanKeyEdit(text, row, &key, &commentedLine)) {
    plan.error = commentedLine ? CommentedDefinitionText(row.key, commentedLine) : NoDefinitionText(row.key);
    return plan;
  }
  const std::string value = DefaultValueText(row);
  if (node->defaultStart != kNoPos)
    plan.edits.push_back(EditAt(text, node->defaultStart, node->defaultEnd - node->defaultStart, value));
  else if (node->typeEnd != kNoPos)
    plan.edits.push_back(EditAt(text, node->typeEnd, 0, " DEFAULT = " + value));
  if (!row.key.empty()) plan.edits.push_back(key);
  return plan;
}

}  // namespace pm2
