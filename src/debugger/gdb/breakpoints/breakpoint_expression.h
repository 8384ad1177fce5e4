// What kind of breakpoint an expression of the IDE asks for. An address
// ("main", "0x200", "\"LED.h\":12") is an execution breakpoint; a truth
// ("U == 3", "!(n & 4)", "a < b && c") is a conditional one: it stops when
// the expression becomes true, wherever the program runs. An address may
// carry a condition of gdb's own form ("LED_On if n > 2").
#pragma once

#include <string>
#include <string_view>

namespace pm2::gdb {

// True when the expression (gdb's form) is a truth: its outermost operator,
// outside brackets and quotes and the parentheses around the whole, is a
// comparison (== != < > <= >=), a logical one (&& ||) or a leading '!'.
bool IsTruthExpression(std::string_view expression);

// "location if condition" split at the first " if " outside brackets and
// quotes; false (and nothing written) for a text without one.
bool SplitCondition(std::string_view text, std::string* location, std::string* condition);

}  // namespace pm2::gdb
