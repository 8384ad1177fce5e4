// Constant expressions of "#if" and "#elif" in the dependency scan: integer,
// octal, hexadecimal and character constants (suffixes u, U, l, L), the
// unary ! ~ - +, the binary * / % + - << >> < <= > >= == != & ^ | && ||,
// ?: and parentheses, evaluated in 64 bits with C's signed/unsigned rules.
// Identifiers left after macro expansion count 0; "sizeof" makes the
// expression invalid. Only evaluated operands can fail: "0 && 1/0" is 0.
#pragma once

#include <vector>

#include "builder/preprocessor/preprocessor_tokens.h"

namespace pm2::pp {

enum class CondResult { kFalse, kTrue, kInvalid };

// The tokens must already be macro-expanded (with "defined" resolved).
CondResult EvaluateCondition(const std::vector<Token>& tokens);

}  // namespace pm2::pp
