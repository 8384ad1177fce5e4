// The macro table of the dependency scan and the expansion of a token line.
//
// The table has 128 buckets; a name's bucket is the sum of its bytes modulo
// 128. Records are owned by the table and live until it goes, so tokens may
// point at them in their hide sets even after an #undef.
#pragma once

#include <array>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "builder/preprocessor/preprocessor_tokens.h"

namespace pm2::pp {

inline constexpr int kMacroBuckets = 128;

struct Macro {
  Macro* next = nullptr;  // bucket chain
  std::string name;
  bool functionLike = false;
  bool variadic = false;  // the last parameter is "__VA_ARGS__"
  std::vector<std::string> params;
  std::vector<Token> body;  // parameter references carry their index
};

class MacroTable {
 public:
  MacroTable() { buckets_.fill(nullptr); }
  MacroTable(const MacroTable&) = delete;
  MacroTable& operator=(const MacroTable&) = delete;

  const Macro* Find(std::string_view name) const;
  // Enters a definition. A name already defined keeps its old definition;
  // the result is then true only when the new one is identical.
  bool Define(Macro macro);
  void Undefine(std::string_view name);

 private:
  static unsigned Bucket(std::string_view name);
  std::array<Macro*, kMacroBuckets> buckets_;
  std::deque<Macro> store_;
};

// Parses the text after "#define" into a macro; false for a missing name, a
// bad or repeated parameter, "#" not followed by a parameter in a
// function-like macro, or a body that begins or ends with "##".
bool ParseDefine(std::string_view text, Macro* out);

// Expands macros in a token line. In a condition, "defined NAME" and
// "defined ( NAME )" become 1 or 0 before their name could be expanded.
class MacroExpander {
 public:
  MacroExpander(const MacroTable& table, bool inCondition)
      : table_(table), inCondition_(inCondition) {}

  // False when an error was met (a call whose parentheses do not close, a
  // wrong argument count, a "defined" without its closing parenthesis, a
  // paste that gives no single token, runaway expansion); out then holds
  // what was expanded so far.
  bool Expand(std::vector<Token> in, std::vector<Token>* out);

 private:
  bool ExpandInto(std::vector<Token>& reversedInput, std::vector<Token>* out, int depth);
  bool Substitute(const Macro& m, const std::vector<std::vector<Token>>& args,
                  const std::vector<const Macro*>& hideSet, std::vector<Token>* out, int depth);

  const MacroTable& table_;
  bool inCondition_;
  bool ok_ = true;
  long budget_ = 200000;  // tokens produced; guards against runaway expansion
};

}  // namespace pm2::pp
