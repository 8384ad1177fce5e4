#include "debugger/ipc/request_text.h"

#include <cctype>

namespace pm2 {
namespace {

bool IsWordChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '$'; }

// Words that take the expression after them without brackets.
bool IsPrefixOperator(std::string_view word) { return word == "sizeof" || word == "alignof" || word == "_Alignof"; }

// The text as the refusal quotes it: at most 40 characters.
std::string Quoted(std::string_view text) {
  std::string q(text.substr(0, 40));
  if (text.size() > 40) q += "...";
  return "'" + q + "'";
}

}  // namespace

std::string ReadOnlyExpressionRefusal(std::string_view request, std::string_view text) {
  const std::string name(request);
  if (text.size() > kIpcRequestTextMax)
    return name + ": the text is longer than " + std::to_string(kIpcRequestTextMax) + " characters";
  for (char c : text) {
    if (c == '\n' || c == '\r') return name + ": the text holds a line end";
    if (c == '\0') return name + ": the text holds a NUL character";
  }
  if (text.find_first_not_of(" \t") == std::string_view::npos) return name + ": an expression expected";
  int depth = 0;
  char quote = 0;
  std::string_view lastWord;    // the word before the blanks now being crossed, at depth 0
  bool afterBlank = false;      // blanks followed that word
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (quote) {
      if (c == '\\' && i + 1 < text.size())
        ++i;
      else if (c == quote)
        quote = 0;
      continue;
    }
    if (c == '"' || c == '\'') {
      quote = c;
      lastWord = {};
      continue;
    }
    if (IsWordChar(c)) {
      std::size_t end = i + 1;
      while (end < text.size() && IsWordChar(text[end])) ++end;
      const std::string_view word = text.substr(i, end - i);
      if (depth == 0 && afterBlank && !lastWord.empty() && !IsPrefixOperator(lastWord))
        return name + ": " + Quoted(text) + " is not one expression";
      // A word before an opening bracket is a call (sizeof excepted).
      std::size_t next = end;
      while (next < text.size() && (text[next] == ' ' || text[next] == '\t')) ++next;
      const bool number = std::isdigit(static_cast<unsigned char>(word[0])) != 0;
      if (next < text.size() && text[next] == '(' && !number && !IsPrefixOperator(word))
        return name + ": the function call '" + std::string(word) + "(' is not allowed";
      lastWord = depth == 0 ? word : std::string_view();
      afterBlank = false;
      i = end - 1;
      continue;
    }
    if (c == ' ' || c == '\t') {
      afterBlank = !lastWord.empty();
      continue;
    }
    lastWord = {};
    afterBlank = false;
    if (c == '(' || c == '[') ++depth;
    if ((c == ')' || c == ']') && depth > 0) --depth;
    if ((c == '+' || c == '-') && i + 1 < text.size() && text[i + 1] == c)
      return name + ": an increment or decrement is not allowed";
    if (c != '=') continue;
    if (i + 1 < text.size() && text[i + 1] == '=') {
      ++i;  // "=="
      continue;
    }
    const char before = i > 0 ? text[i - 1] : '\0';
    const bool shift = (before == '<' || before == '>') && i > 1 && text[i - 2] == before;
    if (before == '!' || ((before == '<' || before == '>') && !shift)) continue;  // "!=", "<=", ">="
    return name + ": an assignment is not allowed";
  }
  if (quote) return name + ": the text's quotes are not closed";
  return std::string();
}

}  // namespace pm2
