// The command window's syntax help: walks the syntax tables a driver hands
// over over the text left of the caret, lists what may follow there (the
// help line, paged) and completes an unambiguous keyword.
//
// A syntax record (bytes): [0] n, the text's length; [1] completion length;
// [2] shown length (0: never shown); [3] kind: 1..251 keyword with that
// many significant characters, 0 placeholder, 252 one-character keyword or
// backslash form, 253 punctuation after an expression, 254 expression, 255
// punctuation; [4] the character that must follow (below 32: any); [5..]
// the text (upper case, digits and signs significant, lower case the
// optional rest). The record's sub-table follows the text, aligned to a
// pointer. Table words are pointer-sized: a record's address or a control
// word: 0 back to the parent, 1 into the matched record's sub-table, 2 on
// in it at the same depth, 3 back one level and on with the table in the
// next word, 4 a group in any order follows, 5 no help beyond, -1..-15
// forget that many used records.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace pm2 {

using SyntaxWord = intptr_t;

// The sub-table of a record.
const SyntaxWord* SyntaxSubTable(const uint8_t* record);

class SyntaxHelp {
 public:
  static constexpr size_t kMaxCandidates = 150;
  static constexpr size_t kMaxUsed = 150;
  static constexpr int kMaxDepth = 20;
  static constexpr size_t kMaxToken = 126;
  // Guards against tables that never let the walk end.
  static constexpr int kMaxRefeeds = 256;
  static constexpr int kMaxScans = 1024;

  void Install(const SyntaxWord* fallback1, const SyntaxWord* fallback2, const SyntaxWord* root);
  void Uninstall() { m_installed = false; }
  bool Installed() const { return m_installed; }
  void SetHelpWidth(int chars) { m_helpWidth = chars > 0 ? chars : 1; }

  // Mode 1: analyse the text left of the caret and build the first page;
  // mode 2: the next page of the last analysis.
  std::string Analyse(const std::string& beforeCaret);
  std::string NextPage();
  // The characters a blank typed at the caret inserts.
  std::string Complete(const std::string& beforeCaret);

  const std::vector<const uint8_t*>& Candidates() const { return m_candidates; }
  const std::string& HelpText() const { return m_help; }

 private:
  struct Token {
    std::string text;
    int terminator = 0;
    int opClass = 0;
  };
  void RunAnalysis(const std::string& beforeCaret);
  bool ReadToken(Token* t);
  void Step(const Token& t);
  int Score(const uint8_t* rec, const Token& t);
  int ScoreKeyword(const uint8_t* rec, const Token& t);
  int ScoreExpression(const Token& t);
  bool BracketCheck(int c);
  bool Push(const SyntaxWord* table);
  void BuildHelp();

  bool m_installed = false;
  const SyntaxWord* m_fallback1 = nullptr;
  const SyntaxWord* m_fallback2 = nullptr;
  const SyntaxWord* m_root = nullptr;
  const SyntaxWord* m_current = nullptr;
  const SyntaxWord* m_stack[kMaxDepth] = {};
  int m_depth = 0;
  int m_helpWidth = 30;
  int m_tokenCount = 0;
  bool m_latch = false;
  const uint8_t* m_best = nullptr;
  int m_bestScore = 0;
  size_t m_bestTokenLength = 0;
  int m_bestTerminator = 0;
  bool m_skippedUsed = false;
  int m_stepResult = 0;
  // The last step met a stop word: its candidates are those of the token
  // before, not of the one at the caret.
  bool m_earlierCandidates = false;
  bool m_placeholderTaken = false;
  bool m_exprRead = false;
  std::vector<const uint8_t*> m_candidates;
  std::vector<const uint8_t*> m_used;
  std::string m_brackets;  // expected closers, the last the most recent
  size_t m_firstShown = 0;
  std::string m_help;
  // tokenizer
  std::string m_text;
  size_t m_cursor = 0;
};

}  // namespace pm2
