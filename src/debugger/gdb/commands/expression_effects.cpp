#include "debugger/gdb/commands/expression_effects.h"

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

// The positions of the last and next character that is no blank, or npos.
std::size_t PrevNonBlank(std::string_view text, std::size_t before) {
  while (before > 0) {
    --before;
    if (text[before] != ' ' && text[before] != '\t') return before;
  }
  return std::string_view::npos;
}
std::size_t NextNonBlank(std::string_view text, std::size_t from) {
  for (; from < text.size(); ++from)
    if (text[from] != ' ' && text[from] != '\t') return from;
  return std::string_view::npos;
}

// Where the quoted text starting at `at` ends (after its closing quote), or
// npos when it is not closed.
std::size_t QuoteEnd(std::string_view text, std::size_t at) {
  for (std::size_t i = at + 1; i < text.size(); ++i) {
    if (text[i] == '\\')
      ++i;
    else if (text[i] == text[at])
      return i + 1;
  }
  return std::string_view::npos;
}

// A string literal's prefix ("L", "u", "U", "u8") as the word at `at`.
bool IsStringPrefix(std::string_view text, std::size_t at, std::size_t end) {
  const std::string_view w = text.substr(at, end - at);
  return end < text.size() && text[end] == '"' && (w == "L" || w == "u" || w == "U" || w == "u8");
}

// Where the bracket pair opened at `at` closes (after it), quotes skipped;
// npos when it does not.
std::size_t PairEnd(std::string_view text, std::size_t at, char open, char close) {
  int depth = 0;
  for (std::size_t i = at; i < text.size(); ++i) {
    if (text[i] == '"' || text[i] == '\'') {
      const std::size_t end = QuoteEnd(text, i);
      if (end == std::string_view::npos) return end;
      i = end - 1;
    } else if (text[i] == open) {
      ++depth;
    } else if (text[i] == close && --depth == 0) {
      return i + 1;
    }
  }
  return std::string_view::npos;
}

// Whether the braces [open, end) hold an array ("{1, 2}", "{x}") rather
// than name the type of gdb's cast ("{int}", "{uint32_t} 0x40000000"): a
// lone name is a type when an operand follows it.
bool IsArrayLiteral(std::string_view text, std::size_t open, std::size_t end) {
  const std::string_view inside = text.substr(open + 1, end - open - 2);
  if (NamesType(inside)) return false;
  const std::size_t first = NextNonBlank(inside, 0);
  std::size_t last = first;
  while (last != std::string_view::npos && last < inside.size() && IsWordChar(inside[last])) ++last;
  const bool loneName = first != std::string_view::npos && !std::isdigit(static_cast<unsigned char>(inside[first])) &&
                        last > first && NextNonBlank(inside, last) == std::string_view::npos;
  if (!loneName) return true;
  const std::size_t next = NextNonBlank(text, end);
  return next == std::string_view::npos || !(IsWordChar(text[next]) || text[next] == '(');
}

// gdb builds a literal array ("abc", "ab" "cd", {1, 2}) in its own memory
// and keeps it there while it is shown whole, indexed ("abc"[1]) or
// measured (sizeof "abc"). Any other use (an operator, a cast, an address,
// a comparison, an element of another literal, the value of an assignment)
// makes gdb call the program's malloc and write the array into target
// memory. `whole` says whether the text may be a literal alone; the
// literal that gdb would write, "" when none.
std::string LiteralInTargetMemory(std::string_view text, bool whole) {
  // The literals' spans, adjacent strings joined; those inside an array
  // literal are spans of their own.
  std::vector<std::pair<std::size_t, std::size_t>> spans;
  for (std::size_t i = 0; i < text.size();) {
    const char c = text[i];
    if (c == '\'') {
      const std::size_t end = QuoteEnd(text, i);
      if (end == std::string_view::npos) break;
      i = end;
      continue;
    }
    if (IsWordChar(c)) {
      std::size_t end = i + 1;
      while (end < text.size() && IsWordChar(text[end])) ++end;
      if (!IsStringPrefix(text, i, end)) {
        i = end;
        continue;
      }
    }
    if (c == '"' || IsWordChar(c)) {
      const std::size_t begin = i;
      std::size_t end = i;
      for (;;) {
        std::size_t quote = end;
        while (quote < text.size() && IsWordChar(text[quote])) ++quote;
        const std::size_t close = QuoteEnd(text, quote);
        if (close == std::string_view::npos) return std::string();  // the read-only check says why
        end = close;
        const std::size_t next = NextNonBlank(text, end);
        std::size_t word = next;
        while (word != std::string_view::npos && word < text.size() && IsWordChar(text[word])) ++word;
        if (next == std::string_view::npos ||
            !(text[next] == '"' || (word > next && IsStringPrefix(text, next, word))))
          break;
        end = next;
      }
      spans.emplace_back(begin, end);
      i = end;
      continue;
    }
    if (c == '{') {
      const std::size_t end = PairEnd(text, i, '{', '}');
      if (end != std::string_view::npos && IsArrayLiteral(text, i, end)) spans.emplace_back(i, end);
    }
    ++i;
  }
  for (const auto& [literalBegin, literalEnd] : spans) {
    std::size_t begin = literalBegin, end = literalEnd;
    bool kept = false;
    for (;;) {
      const std::size_t next = NextNonBlank(text, end), prev = PrevNonBlank(text, begin);
      if (next != std::string_view::npos && text[next] == '[') {
        kept = true;  // an element is a plain value
        break;
      }
      if (prev != std::string_view::npos && IsWordChar(text[prev])) {
        std::size_t from = prev;
        while (from > 0 && IsWordChar(text[from - 1])) --from;
        kept = IsPrefixOperator(text.substr(from, prev + 1 - from));
        break;
      }
      if (prev == std::string_view::npos && next == std::string_view::npos) {
        kept = whole;
        break;
      }
      // Brackets round it change nothing.
      if (prev == std::string_view::npos || next == std::string_view::npos || text[prev] != '(' || text[next] != ')')
        break;
      begin = prev;
      end = next + 1;
    }
    if (!kept) return std::string(text.substr(literalBegin, literalEnd - literalBegin));
  }
  return std::string();
}

// Why `text` does more than read; `wholeLiteral`: a literal may be the
// whole text.
std::string Fault(std::string_view text, bool wholeLiteral) {
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
    if (c == '(' || c == '[' || c == '{') {
      open.push_back({c == '[' && wasValue ? valueAt : i});
      continue;
    }
    if ((c == ')' || c == ']' || c == '}') && !open.empty()) {
      const OpenBracket b = open.back();
      open.pop_back();
      // "(unsigned long *)" is a cast: what follows is its operand. "{int}"
      // and "{unsigned int}" (gdb's own cast) never end a value either.
      value = c == ']' || (c == ')' && !NamesType(text.substr(b.at + 1, i - b.at - 1)));
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
  if (const std::string literal = LiteralInTargetMemory(text, wholeLiteral); !literal.empty())
    return "the literal " + Quoted(literal) + " is not allowed: gdb would write it into target memory";
  return std::string();
}

}  // namespace

std::string ReadOnlyExpressionFault(std::string_view text, WholeLiteral whole) {
  return Fault(text, whole == WholeLiteral::Allowed);
}

bool SplitAssignment(std::string_view text, std::string_view* target, std::string_view* value) {
  int depth = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '"' || c == '\'') {
      const std::size_t end = QuoteEnd(text, i);
      if (end == std::string_view::npos) return false;
      i = end - 1;
      continue;
    }
    if (c == '(' || c == '[' || c == '{') ++depth;
    if ((c == ')' || c == ']' || c == '}') && depth > 0) --depth;
    if (c != '=' || depth > 0) continue;
    const char before = i > 0 ? text[i - 1] : '\0', after = i + 1 < text.size() ? text[i + 1] : '\0';
    if (after == '=' || before == '=' || before == '!' || before == '<' || before == '>') {
      if (after == '=') ++i;
      continue;
    }
    *target = text.substr(0, i);
    *value = text.substr(i + 1);
    return true;
  }
  return false;
}

}  // namespace pm2::gdb
