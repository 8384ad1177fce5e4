// The editor's regular-expression engine: a pattern compiles into a byte
// program that a backtracking matcher runs against one line of text.
//
// Program layout: a sequence of 3-byte nodes, opcode then a signed 16-bit
// little-endian offset to the next node in sequence (0: none; subtracted
// for BACK, added otherwise). EXACTLY, ANYOF and ANYBUT are followed by a
// NUL-terminated operand; BRANCH, STAR and PLUS by the node they govern.
// Syntax: ^ $ . [list] [^list] ( ) | ? + * and backslash escapes; at most
// nine groups; no counted repetition, no back-references.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pm2 {

enum RegOpcode : uint8_t {
  kRegEnd = 0,
  kRegBol = 1,
  kRegEol = 2,
  kRegAny = 3,
  kRegAnyOf = 4,
  kRegAnyBut = 5,
  kRegBranch = 6,
  kRegBack = 7,
  kRegExactly = 8,
  kRegNothing = 9,
  kRegStar = 10,
  kRegPlus = 11,
  kRegOpen = 20,   // + group number 1..9
  kRegClose = 30,  // + group number 1..9
};

constexpr int kRegGroups = 10;  // group 0 is the whole match

class CEditRegExp {
 public:
  CEditRegExp() = default;
  CEditRegExp(const CEditRegExp&) = delete;
  CEditRegExp& operator=(const CEditRegExp&) = delete;

  // 1 when the pattern compiled, 0 on a syntax error (no program is left).
  int Compile(const char* pattern);
  // After a failed Compile: what is wrong, and the column (from 1) of the
  // pattern's character at fault: an unmatched '(' or '[' itself, a bad
  // range's start, else where it was found.
  const std::string& Error() const { return m_error; }
  int ErrorColumn() const { return m_errorColumn; }
  // Offset of the first match in text, or -1. The text's end is its
  // length; NUL bytes inside are ordinary characters.
  int Exec(std::string_view text) { return Exec(text, 0); }
  // The first match that starts at or after `from`; "^" still means the
  // text's beginning, so a search from the middle of a line does not take
  // the search point for the line's start.
  int Exec(std::string_view text, size_t from);
  int Exec(const char* text) { return text ? Exec(std::string_view(text)) : (ResetMatch(), -1); }
  // The template with "&" as the whole match, "\n" as group n, "\\" and
  // "\&" as the plain character. Nothing when there was no match.
  std::optional<std::string> Substitute(const char* tmpl) const;
  // The same, with the groups taken from `source` at the offsets the last
  // Exec found: a search of a case-folded copy of a line substitutes the
  // line's own bytes.
  std::optional<std::string> Substitute(const char* tmpl, std::string_view source) const;

  bool HasMatch() const { return m_bMatched; }
  const std::string& MatchText() const { return m_match; }
  // Offsets into the text of the last Exec; -1 for a group not matched.
  int GroupStart(int n) const { return m_start[n]; }
  int GroupEnd(int n) const { return m_end[n]; }
  // True when the last Exec gave up because the pattern backtracked too
  // much (it then reports no match).
  bool GaveUp() const { return m_bGaveUp; }

  // What the compiler worked out, for tests and diagnostics.
  char FirstChar() const { return m_firstChar; }
  bool Anchored() const { return m_bAnchored; }
  std::string_view RequiredText() const;
  const std::vector<uint8_t>& Program() const { return m_program; }

 private:
  // Records the first error and where: at `at`, the character at fault (an
  // unmatched '(' or '[', a range's start), else where parsing stands.
  void Fail(const char* why, const char* at = nullptr);
  int Reg(bool paren, int* flags);
  int Branch(int* flags);
  int Piece(int* flags);
  int Atom(int* flags);
  int Node(uint8_t op);
  void Byte(uint8_t b);
  void Insert(uint8_t op, int operand);
  void Tail(int p, int val);
  void OpTail(int p, int val);
  int Next(int p) const;
  bool Try(size_t at);
  bool Match(int scan);
  int Repeat(int node);
  void ResetMatch();

  // Compilation state.
  bool m_bEmit = false;
  bool m_bCompiled = false;
  bool m_bFailed = false;
  const char* m_parse = nullptr;
  const char* m_pattern = nullptr;
  std::string m_error;
  int m_errorColumn = 0;
  int m_nGroup = 1;
  size_t m_nSize = 0;
  std::vector<uint8_t> m_program;
  char m_firstChar = 0;
  char m_bolChar = 0;  // the first character after "^" (0: none)
  bool m_bAnchored = false;
  int m_mustAt = -1;  // offset of the required text in the program
  int m_mustLen = 0;

  // Match state.
  std::string_view m_text;
  size_t m_cursor = 0;
  int m_start[kRegGroups] = {};
  int m_end[kRegGroups] = {};
  bool m_bMatched = false;
  bool m_bGaveUp = false;
  bool m_bGroupsSet = true;  // a try may have set a group since the last reset
  std::string m_match;
  long m_nSteps = 0;
  int m_nDepth = 0;
};

// Why a pattern is no regular expression, as every search that takes one
// tells it: "'a(b' is no valid regular expression: a '(' without its ')'
// (at column 2)."; "" when it compiles.
std::string InvalidExpressionText(const std::string& pattern);

}  // namespace pm2
