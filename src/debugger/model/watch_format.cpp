#include "debugger/model/watch_format.h"

#include <cctype>
#include <cstdio>

namespace pm2 {

std::string WatchNotEvaluatedText(const std::string& reason) {
  return reason.empty() ? std::string(kWatchNotEvaluated) : std::string(kWatchNotEvaluated) + " (" + reason + ")";
}

std::string WatchCharSuffix(uint32_t code) {
  static const char* const kEscapes[] = {"\\a", "\\b", "\\t", "\\n", "\\v", "\\f", "\\r"};
  if (code >= 7 && code <= 13) return std::string(" '") + kEscapes[code - 7] + "'";
  if (code >= 32 && code <= 127) return std::string(" '") + char(code) + "'";
  return "";
}

std::string StripRadixSuffix(const std::string& expression) {
  // Only the suffixes a radix choice writes: a comma of the expression
  // itself ("$r0, U", "f(a,b)") is its own.
  const std::size_t comma = expression.rfind(',');
  if (comma == std::string::npos) return expression;
  const std::string suffix = expression.substr(comma);
  if (suffix != ",0x10" && suffix != ",0x0A" && suffix != ",0x0a") return expression;
  return expression.substr(0, comma);
}

std::string WithRadixSuffix(const std::string& expression, int radix) {
  return StripRadixSuffix(expression) + (radix == 16 ? ",0x10" : ",0x0A");
}

int RadixOfSuffix(const std::string& expression) {
  const std::string base = StripRadixSuffix(expression);
  if (base.size() == expression.size()) return -1;
  return expression.compare(base.size(), std::string::npos, ",0x10") == 0 ? 16 : 10;
}

std::vector<std::string> ArrayChildNames(uint32_t count) {
  std::vector<std::string> names;
  const uint32_t shown = count > uint32_t(kWatchMaxArrayChildren) ? uint32_t(kWatchMaxArrayChildren) : count;
  names.reserve(shown + 1);
  char b[24];
  for (uint32_t i = 0; i < shown; ++i) {
    std::snprintf(b, sizeof b, "[%u]", i);
    names.push_back(b);
  }
  if (count > shown) names.push_back("[ ... ]");
  return names;
}

bool IsEmptyWatchName(const std::string& text) { return text.empty() || text == kWatchPlaceholder; }

bool BuildAssignableExpression(const std::vector<WatchChainPart>& chain, std::string* out) {
  if (chain.empty() || chain.size() > std::size_t(kWatchMaxAssignDepth)) return false;
  std::string text = " ";
  bool arrow = false;  // the component before wrote "->"
  for (std::size_t i = 0; i < chain.size(); ++i) {
    const WatchChainPart& part = chain[i];
    const bool last = i + 1 == chain.size();
    if (i > 0 && !part.name.empty() && part.name[0] == '*') {
      // A dereference child: the expression so far is dereferenced, unless
      // a "->" already did it (a member follows directly then).
      if (!arrow) {
        if (!text.empty() && text[0] == ' ')
          text[0] = '*';
        else
          text.insert(text.begin(), '*');
      }
      arrow = false;
      continue;
    }
    arrow = false;
    if (i == 0 && !part.name.empty() &&
        (std::isalpha(static_cast<unsigned char>(part.name[0])) || part.name[0] == '_'))
      text += '`';
    text += i == 0 ? StripRadixSuffix(part.name) : part.name;
    if (!last) {
      if (part.pointerToStruct) {
        text += "->";
        arrow = true;
      } else if (part.structOrUnion) {
        text += ".";
      }
    }
  }
  if (text.size() > kWatchMaxAssignText) return false;
  *out = text;
  return true;
}

bool WatchValueChanged(const std::string& oldText, const std::string& newText) {
  // A first value (no old text) is not a change.
  return !oldText.empty() && oldText != newText;
}

std::string WatchValueCell(const std::string& text) {
  std::string cell = text;
  if (cell.size() < 16) cell.append(16 - cell.size(), ' ');
  return cell;
}

}  // namespace pm2
