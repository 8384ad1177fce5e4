#include "debugger/gdb/expression_effects.h"

#include <cctype>
#include <vector>

namespace pm2::gdb {
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

// Words that make up a type without a name of the program's own.
bool IsTypeWord(std::string_view w) {
  static constexpr std::string_view kWords[] = {"void",  "char",     "short",  "int",      "long",   "float",
                                                "double", "signed",  "unsigned", "_Bool", "bool",   "const",
                                                "volatile", "struct", "union",  "enum"};
  for (std::string_view k : kWords)
    if (w == k) return true;
  return false;
}

// Whether the text between a pair of brackets names a type, so that the
// pair is a cast and what follows is its operand ("unsigned long *",
// "struct timer *", "uint32_t *", "void (*)(int)"): words of C's types and
// at most one name of the program's own with a pointer star after it. A
// lone name ("LED_On", "uint32_t") may be a function: no type here.
bool NamesType(std::string_view inside) {
  bool tagNext = false, starAfterName = false;
  int ownNames = 0;
  for (std::size_t i = 0; i < inside.size();) {
    const char c = inside[i];
    if (c == ' ' || c == '\t' || c == '(' || c == ')') {
      ++i;
      continue;
    }
    if (c == '*') {
      starAfterName = ownNames > 0;
      ++i;
      continue;
    }
    if (!IsWordChar(c) || std::isdigit(static_cast<unsigned char>(c))) return false;
    std::size_t end = i + 1;
    while (end < inside.size() && IsWordChar(inside[end])) ++end;
    const std::string_view w = inside.substr(i, end - i);
    if (tagNext)
      tagNext = false;
    else if (!IsTypeWord(w))
      ++ownNames;
    else
      tagNext = w == "struct" || w == "union" || w == "enum";
    i = end;
  }
  return !tagNext && (ownNames == 0 || (ownNames == 1 && starAfterName));
}

// One bracket pair open: where the value it closes begins (its own '(',
// or the start of the value an index '[' follows).
struct OpenBracket {
  std::size_t at = 0;
};

}  // namespace

std::string ReadOnlyExpressionFault(std::string_view text) {
  std::vector<OpenBracket> open;
  char quote = 0;
  std::string_view lastWord;  // the word before the blanks now being crossed, at depth 0
  bool afterBlank = false;    // blanks followed that word
  // What the last token ends: a value an opening bracket after it would
  // call (a name, a number, a literal, a bracket pair that is no cast, an
  // index), and that value's text from its start.
  bool value = false;
  std::size_t valueAt = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (quote) {
      if (c == '\\' && i + 1 < text.size())
        ++i;
      else if (c == quote) {
        quote = 0;
        value = true;
      }
      continue;
    }
    if (c == '"' || c == '\'') {
      quote = c;
      valueAt = i;
      lastWord = {};
      continue;
    }
    if (IsWordChar(c)) {
      std::size_t end = i + 1;
      while (end < text.size() && IsWordChar(text[end])) ++end;
      const std::string_view word = text.substr(i, end - i);
      if (open.empty() && afterBlank && !lastWord.empty() && !IsPrefixOperator(lastWord))
        return Quoted(text) + " is not one expression";
      lastWord = open.empty() ? word : std::string_view();
      afterBlank = false;
      value = !IsPrefixOperator(word) && !IsTypeWord(word);
      valueAt = i;
      i = end - 1;
      continue;
    }
    if (c == ' ' || c == '\t') {
      afterBlank = !lastWord.empty();
      continue;
    }
    lastWord = {};
    afterBlank = false;
    // Any bracket applied to a value calls it, however the callee is
    // written: "f(1)", "(f)(1)", "(*f)(1)", "(f)(1)+R0", "(main)()".
    if (c == '(' && value)
      return "the function call '" + std::string(text.substr(valueAt, i - valueAt)) + "(' is not allowed";
    const bool wasValue = value;
    value = false;
    if (c == '(' || c == '[') {
      open.push_back({c == '[' && wasValue ? valueAt : i});
      continue;
    }
    if ((c == ')' || c == ']') && !open.empty()) {
      const OpenBracket b = open.back();
      open.pop_back();
      // "(unsigned long *)" is a cast: what follows is its operand. "{int}"
      // (gdb's own cast) never ends a value either.
      value = c == ']' || !NamesType(text.substr(b.at + 1, i - b.at - 1));
      valueAt = b.at;
      continue;
    }
    if ((c == '+' || c == '-') && i + 1 < text.size() && text[i + 1] == c)
      return "an increment or decrement is not allowed";
    if (c != '=') continue;
    if (i + 1 < text.size() && text[i + 1] == '=') {
      ++i;  // "=="
      continue;
    }
    const char before = i > 0 ? text[i - 1] : '\0';
    const bool shift = (before == '<' || before == '>') && i > 1 && text[i - 2] == before;
    if (before == '!' || ((before == '<' || before == '>') && !shift)) continue;  // "!=", "<=", ">="
    return "an assignment is not allowed";
  }
  if (quote) return "the text's quotes are not closed";
  return std::string();
}

}  // namespace pm2::gdb
