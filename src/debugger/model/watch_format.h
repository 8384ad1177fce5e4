// The watch window's texts without a window: the character form of a
// value, radix suffixes of an expression, an array's child names, the
// assignable expression of a row and the rules for storing a value text.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace pm2 {

// The placeholder's text and the texts of rows that have no value.
inline constexpr const char* kWatchPlaceholder = "<type F2 to edit>";
inline constexpr const char* kWatchNotEvaluated = "????????";
// Shown for a symbol (and its children) out of scope, spelt as the
// program has always shown it.
inline constexpr const char* kWatchOutOfScopeText = "<out ot scope>";

// The children an array row gets at most; one more "[ ... ]" follows.
inline constexpr int kWatchMaxArrayChildren = 300;
// Levels an assignable expression may have, and its length.
inline constexpr int kWatchMaxAssignDepth = 30;
inline constexpr std::size_t kWatchMaxAssignText = 256;
// Rows one refresh walk updates at most.
inline constexpr int kWatchMaxRefreshRows = 9999;

// The text of a row that was not evaluated: "????????", followed by the
// driver's reason in brackets when it refused the expression.
std::string WatchNotEvaluatedText(const std::string& reason);

// " '\n'" for a character code with a printable form, "" otherwise.
std::string WatchCharSuffix(uint32_t code);

// The expression with its radix suffix (",0x10" or ",0x0A") removed; any
// other comma is the expression's own.
std::string StripRadixSuffix(const std::string& expression);
// The expression with its suffix set for a radix (10: ",0x0A", 16: ",0x10").
std::string WithRadixSuffix(const std::string& expression, int radix);
// The radix a suffix names (10 or 16), -1 without one.
int RadixOfSuffix(const std::string& expression);

// The names of an array's children: "[0]" .. "[n-1]", at most 300, then
// "[ ... ]" when there are more.
std::vector<std::string> ArrayChildNames(uint32_t count);

// A name typed over a row is empty when it has no text or is the
// placeholder's text (a leading blank makes it not empty).
bool IsEmptyWatchName(const std::string& text);

// One component of a row's chain, from the top-level row down.
struct WatchChainPart {
  std::string name;        // the row's name
  bool structOrUnion = false;   // the row's type is a struct or union
  bool pointerToStruct = false; // a pointer (not an array) to a struct or union
};
// The expression an assignment writes to (" `a.b[2]"); false when the chain
// is deeper than 30 levels or the text longer than 256 characters.
bool BuildAssignableExpression(const std::vector<WatchChainPart>& chain, std::string* out);

// Stores a new value text over an old one: true when it differs (the row's
// changed flag).
bool WatchValueChanged(const std::string& oldText, const std::string& newText);

// The value column's text: padded with blanks to 16 characters.
std::string WatchValueCell(const std::string& text);

}  // namespace pm2
