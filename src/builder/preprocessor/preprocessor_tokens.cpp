#include "builder/preprocessor/preprocessor_tokens.h"

#include <cstring>

namespace pm2::pp {

bool IsIdentStart(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == '$';
}

bool IsIdentChar(char c) { return IsIdentStart(c) || (c >= '0' && c <= '9'); }

namespace {

// Longest punctuators first.
const char* const kPuncts[] = {
    "%:%:", "...", "<<=", ">>=", "->", "++", "--", "<<", ">>", "<=", ">=", "==", "!=", "&&",
    "||", "*=", "/=", "%=", "+=", "-=", "&=", "^=", "|=", "##", "<:", ":>", "<%", "%>", "%:",
};
const char kSinglePuncts[] = "[](){}.&*+-~!/%<>^|?:;=,#";

size_t PunctLength(std::string_view s) {
  for (const char* p : kPuncts) {
    size_t n = std::strlen(p);
    if (s.size() >= n && s.compare(0, n, p) == 0) return n;
  }
  if (!s.empty() && std::strchr(kSinglePuncts, s[0])) return 1;
  return 0;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

std::vector<Token> Tokenize(std::string_view text, bool* unterminated) {
  std::vector<Token> out;
  size_t i = 0, n = text.size();
  bool space = false;
  while (i < n) {
    char c = text[i];
    if (c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v') {
      space = true;
      ++i;
      continue;
    }
    Token t;
    t.spaceBefore = space;
    space = false;
    size_t start = i;
    bool wide = (c == 'L' || c == 'u' || c == 'U') && i + 1 < n && (text[i + 1] == '\'' || text[i + 1] == '"');
    if (wide || c == '\'' || c == '"') {
      size_t q = wide ? i + 1 : i;
      char quote = text[q];
      size_t j = q + 1;
      while (j < n && text[j] != quote) j += (text[j] == '\\' && j + 1 < n) ? 2 : 1;
      if (j >= n) {
        if (unterminated) *unterminated = true;
        t.kind = TokKind::kOther;
        t.text.assign(1, text[i]);
        ++i;
      } else {
        t.kind = quote == '"' ? TokKind::kString : TokKind::kChar;
        t.text.assign(text.substr(start, j + 1 - start));
        i = j + 1;
      }
    } else if (IsIdentStart(c)) {
      while (i < n && IsIdentChar(text[i])) ++i;
      t.kind = TokKind::kIdent;
      t.text.assign(text.substr(start, i - start));
    } else if (IsDigit(c) || (c == '.' && i + 1 < n && IsDigit(text[i + 1]))) {
      ++i;
      while (i < n) {
        char d = text[i];
        if ((d == '+' || d == '-') && (text[i - 1] == 'e' || text[i - 1] == 'E' ||
                                       text[i - 1] == 'p' || text[i - 1] == 'P')) {
          ++i;
        } else if (IsIdentChar(d) || d == '.') {
          ++i;
        } else {
          break;
        }
      }
      t.kind = TokKind::kNumber;
      t.text.assign(text.substr(start, i - start));
    } else if (size_t len = PunctLength(text.substr(i)); len > 0) {
      t.kind = TokKind::kPunct;
      t.text.assign(text.substr(i, len));
      if (t.text == "%:%:") t.text = "##";
      if (t.text == "%:") t.text = "#";
      i += len;
    } else {
      t.kind = TokKind::kOther;
      t.text.assign(1, c);
      ++i;
    }
    out.push_back(std::move(t));
  }
  return out;
}

std::string SpellTokens(const std::vector<Token>& tokens, size_t from) {
  std::string s;
  for (size_t i = from; i < tokens.size(); ++i) {
    if (tokens[i].kind == TokKind::kPlacemarker) continue;
    if (i > from && tokens[i].spaceBefore) s += ' ';
    s += tokens[i].text;
  }
  return s;
}

}  // namespace pm2::pp
