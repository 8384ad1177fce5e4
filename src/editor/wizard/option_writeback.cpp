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

bool IsLeaderLine(std::string_view line) {
  return line.substr(0, 2) == ";;" || line.substr(0, 4) == "//;;";
}

// The edit of the value after `key` on the first code line that has one.
bool PlanKeyEdit(std::string_view text, const OptionRow& row, LineEdit* out) {
  const std::string& key = row.key;
  const bool quoted = row.kind == kRowText || row.kind == kRowFile;
  size_t lineStart = 0;
  while (lineStart < text.size()) {
    size_t lineEnd = text.find('\n', lineStart);
    if (lineEnd == std::string_view::npos) lineEnd = text.size();
    std::string_view line = text.substr(lineStart, lineEnd - lineStart);
    if (!IsLeaderLine(line)) {
      for (size_t at = line.find(key); at != std::string_view::npos; at = line.find(key, at + 1)) {
        const size_t after = at + key.size();
        if ((at > 0 && IsWord(line[at - 1])) || (after < line.size() && IsWord(line[after]))) continue;
        for (size_t i = after; i < line.size(); ++i) {
          if (quoted && line[i] == '"') {
            size_t close = line.find('"', i + 1);
            if (close == std::string_view::npos) break;
            *out = EditAt(text, lineStart + i, close + 1 - i, "\"" + Sanitised(row.text) + "\"");
            return true;
          }
          if (!quoted && IsDigit(line[i]) && !IsWord(line[i - 1])) {
            size_t end = i;
            while (end < line.size() && IsWord(line[end])) ++end;
            *out = EditAt(text, lineStart + i, end - i, InFormOf(line.substr(i, end - i), CodeValue(row)));
            return true;
          }
        }
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

std::vector<LineEdit> PlanWriteBack(std::string_view text, const OptionRow& row) {
  std::vector<LineEdit> edits;
  if (row.option < 0) return edits;
  OptionsIdMap map;
  const COptionNode* node = nullptr;
  try {
    node = NthOption(ParseOptionsText(map, text, false), row.option);
  } catch (const std::bad_alloc&) {
    return edits;
  }
  if (!node) return edits;
  const std::string value = DefaultValueText(row);
  if (node->defaultStart != kNoPos)
    edits.push_back(EditAt(text, node->defaultStart, node->defaultEnd - node->defaultStart, value));
  else if (node->typeEnd != kNoPos)
    edits.push_back(EditAt(text, node->typeEnd, 0, " DEFAULT = " + value));
  LineEdit key;
  if (!row.key.empty() && PlanKeyEdit(text, row, &key)) edits.push_back(key);
  return edits;
}

std::string ApplyLineEdits(std::string_view text, std::vector<LineEdit> edits) {
  std::vector<size_t> starts{0};
  for (size_t i = 0; i < text.size(); ++i)
    if (text[i] == '\n') starts.push_back(i + 1);
  std::string out(text);
  std::sort(edits.begin(), edits.end(), [](const LineEdit& a, const LineEdit& b) {
    return a.line != b.line ? a.line > b.line : a.index > b.index;
  });
  for (const LineEdit& e : edits) {
    if (e.line < 1 || size_t(e.line) > starts.size()) continue;
    const size_t at = starts[size_t(e.line - 1)] + size_t(e.index);
    if (at + size_t(e.length) > out.size()) continue;
    out.replace(at, size_t(e.length), e.text);
  }
  return out;
}

}  // namespace pm2
