// Preprocessing tokens of one directive line of the dependency scan (the
// text after comments were removed and lines were joined).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace pm2::pp {

struct Macro;

enum class TokKind : uint8_t {
  kIdent,
  kNumber,   // a preprocessing number: digits, letters, '.', exponents
  kChar,     // 'x' with its quotes (and an L prefix when written)
  kString,   // "x" with its quotes
  kPunct,    // operators and punctuators, longest match
  kOther,    // any other single character
  kPlacemarker,  // an empty argument next to "##" (never leaves expansion)
};

struct Token {
  TokKind kind = TokKind::kOther;
  bool spaceBefore = false;   // white space preceded it (stringising keeps one blank)
  bool fromBody = false;      // "##" of a macro body (an operator; one from an argument is not)
  bool noExpand = false;      // an identifier that met its own macro: never expanded again
  int16_t param = -1;         // in a macro body: index of the parameter it names
  std::string text;
  // Macros whose expansion produced this token; they are not expanded again
  // inside it. Small: one entry per nested expansion.
  std::vector<const Macro*> hideSet;

  bool Is(std::string_view s) const { return text == s && kind == TokKind::kPunct; }
};

// Splits text into tokens. A character or string constant that reaches the
// end of the text is still returned (as kOther of its first character) and
// *unterminated is set when given.
std::vector<Token> Tokenize(std::string_view text, bool* unterminated = nullptr);

// The tokens written back as text, one blank where a token had white space
// before it (none before the first).
std::string SpellTokens(const std::vector<Token>& tokens, size_t from = 0);

bool IsIdentStart(char c);
bool IsIdentChar(char c);

}  // namespace pm2::pp
