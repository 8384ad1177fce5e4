#include "debugger/gdb/breakpoints/breakpoint_expression.h"

namespace pm2::gdb {

namespace {

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

// Walks the text and calls `top(i)` for each character outside quotes and
// brackets; stops early when it returns true. False for unbalanced text.
template <class F>
bool WalkTopLevel(std::string_view s, F top) {
  int depth = 0;
  char quote = 0;
  for (std::size_t i = 0; i < s.size(); ++i) {
    const char c = s[i];
    if (quote) {
      if (c == '\\' && i + 1 < s.size())
        ++i;
      else if (c == quote)
        quote = 0;
      continue;
    }
    if (c == '"' || c == '\'') {
      quote = c;
      continue;
    }
    if (c == '(' || c == '[') {
      ++depth;
      continue;
    }
    if (c == ')' || c == ']') {
      if (--depth < 0) return false;
      continue;
    }
    if (depth == 0 && top(i)) return true;
  }
  return depth == 0 && !quote;
}

// The parentheses around the whole text, taken off: "((a == 1))" -> "a == 1".
std::string_view Unwrapped(std::string_view s) {
  for (s = Trim(s); s.size() >= 2 && s.front() == '(' && s.back() == ')';) {
    int depth = 0;
    bool wholeText = true;
    for (std::size_t i = 0; i + 1 < s.size() && wholeText; ++i) {
      if (s[i] == '(') ++depth;
      if (s[i] == ')') --depth;
      wholeText = depth > 0;
    }
    if (!wholeText) break;
    s = Trim(s.substr(1, s.size() - 2));
  }
  return s;
}

}  // namespace

bool IsTruthExpression(std::string_view expression) {
  const std::string_view s = Unwrapped(expression);
  if (s.empty()) return false;
  if (s[0] == '!' && (s.size() < 2 || s[1] != '=')) return true;
  bool truth = false;
  WalkTopLevel(s, [&](std::size_t i) {
    const char c = s[i], next = i + 1 < s.size() ? s[i + 1] : '\0', prev = i > 0 ? s[i - 1] : '\0';
    if ((c == '=' || c == '!') && next == '=') truth = true;                     // == !=
    else if ((c == '&' && next == '&') || (c == '|' && next == '|')) truth = true;  // && ||
    else if (c == '<' || c == '>') {
      // "<<", ">>" and "->" are no comparisons.
      const bool shift = next == c || prev == c;
      const bool arrow = c == '>' && prev == '-';
      truth = !shift && !arrow;
    }
    return truth;
  });
  return truth;
}

bool SplitCondition(std::string_view text, std::string* location, std::string* condition) {
  std::size_t at = std::string_view::npos;
  WalkTopLevel(text, [&](std::size_t i) {
    const bool before = i > 0 && (text[i - 1] == ' ' || text[i - 1] == '\t');
    const bool word = text.substr(i, 2) == "if" && i + 2 < text.size() && (text[i + 2] == ' ' || text[i + 2] == '\t');
    if (before && word) at = i;
    return at != std::string_view::npos;
  });
  if (at == std::string_view::npos) return false;
  const std::string_view loc = Trim(text.substr(0, at)), cond = Trim(text.substr(at + 2));
  if (loc.empty() || cond.empty()) return false;
  location->assign(loc);
  condition->assign(cond);
  return true;
}

}  // namespace pm2::gdb
