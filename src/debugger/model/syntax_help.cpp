#include "debugger/model/syntax_help.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace pm2 {

namespace {

struct OperatorRow {
  int length;
  char first;
  char second;
  int cls;
};
// Searched in this order; the last match gives the class.
const OperatorRow kOperators[] = {
    {2, '+', '+', 132}, {2, '-', '-', 132}, {1, '*', 0, 131}, {1, '/', 0, 131}, {1, '%', 0, 131},
    {1, '+', 0, 131},   {1, '-', 0, 131},   {1, '?', 0, 131}, {1, ':', 0, 131}, {2, '>', '>', 132},
    {2, '<', '<', 132}, {2, '<', '=', 132}, {2, '>', '=', 132}, {1, '<', 0, 131}, {1, '>', 0, 131},
    {2, '=', '=', 132}, {2, '!', '=', 132}, {2, '&', '&', 132}, {2, '|', '|', 131}, {1, '&', 0, 131},
    {1, '|', 0, 131},   {1, '^', 0, 131},   {1, '!', 0, 131}, {1, '~', 0, 131}, {1, '$', 0, 131},
    {1, '=', 0, 130},   {1, '#', 0, 131},   {1, '(', 0, 128}, {1, '[', 0, 128}, {1, '{', 0, 128}};

bool IsDelimiter(int c) {
  return c == 0 || std::strchr(" ;,()=#!$&|[]%<>{}\n\x7f", c) != nullptr;
}

constexpr int kStop = 10;     // step result: the analysis ends
constexpr int kRefeed = 254;  // step result: feed the terminator again

int Kind(const uint8_t* r) { return r[3]; }
int Follower(const uint8_t* r) { return r[4]; }
const char* Text(const uint8_t* r) { return reinterpret_cast<const char*>(r + 5); }
int TextLength(const uint8_t* r) { return r[0]; }

// The operator class of one character on its own (a re-fed terminator).
int CharClass(int c) {
  int cls = 0;
  for (const OperatorRow& op : kOperators)
    if (op.length == 1 && op.first == c) cls = op.cls;
  return cls;
}

}  // namespace

const SyntaxWord* SyntaxSubTable(const uint8_t* record) {
  const uintptr_t end = reinterpret_cast<uintptr_t>(record) + 5 + record[0];
  const uintptr_t align = alignof(SyntaxWord);
  return reinterpret_cast<const SyntaxWord*>((end + align - 1) & ~(align - 1));
}

void SyntaxHelp::Install(const SyntaxWord* fallback1, const SyntaxWord* fallback2, const SyntaxWord* root) {
  m_fallback1 = fallback1;
  m_fallback2 = fallback2;
  m_root = m_current = root;
  m_brackets.clear();
  m_installed = root != nullptr;
  Analyse("");
}

bool SyntaxHelp::Push(const SyntaxWord* table) {
  if (m_depth + 1 >= kMaxDepth) return false;
  m_stack[++m_depth] = table;
  m_current = table;
  return true;
}

bool SyntaxHelp::ReadToken(Token* t) {
  t->text.clear();
  t->terminator = 0;
  int cls = 0;
  bool keepClass = false;
  const std::string& s = m_text;
  while (m_cursor < s.size() && (s[m_cursor] == ' ' || s[m_cursor] == '\t')) ++m_cursor;
  char quote = 0;
  for (;;) {
    const int c = m_cursor < s.size() ? static_cast<unsigned char>(s[m_cursor]) : 0;
    if (quote) {
      if (c == '\n' || c == 0) {
        t->terminator = c;
        break;
      }
      ++m_cursor;
      if (c == quote) {
        if (m_cursor < s.size() && s[m_cursor] == quote) {
          t->text.push_back(quote);
          ++m_cursor;
          continue;
        }
        const int next = m_cursor < s.size() ? static_cast<unsigned char>(s[m_cursor]) : 0;
        t->terminator = next == ' ' || next == '\n' ? next : ' ';
        break;
      }
      t->text.push_back(static_cast<char>(c));
      if (t->text.size() >= kMaxToken) {
        t->terminator = ' ';
        break;
      }
      continue;
    }
    if (c == '\'' || c == '"') {
      quote = static_cast<char>(c);
      ++m_cursor;
      continue;
    }
    if (c != ' ' && !keepClass) cls = 0;
    keepClass = false;
    if (cls == 0 && c != 0) {
      int probe = c;
      for (const OperatorRow& op : kOperators) {
        if (probe != op.first) continue;
        if (op.length == 1) {
          cls = op.cls;
        } else if (m_cursor + 1 < s.size() && s[m_cursor + 1] == op.second) {
          ++m_cursor;  // the second character is consumed, not stored
          cls = op.cls;
          keepClass = true;
          probe = op.second;
        }
      }
    }
    if (IsDelimiter(c)) {
      if (c != 0 && c != '\n') ++m_cursor;
      if (c == ' ') {
        while (m_cursor < s.size() && s[m_cursor] == ' ') ++m_cursor;
        const int next = m_cursor < s.size() ? static_cast<unsigned char>(s[m_cursor]) : 0;
        if (next != 0 && next != '\n' && IsDelimiter(next)) {
          t->terminator = next;
          ++m_cursor;
        } else {
          t->terminator = ' ';
        }
      } else {
        t->terminator = c;
      }
      break;
    }
    t->text.push_back(static_cast<char>(std::toupper(c)));
    ++m_cursor;
    if (t->text.size() >= kMaxToken) {
      t->terminator = ' ';
      break;
    }
  }
  t->opClass = cls;
  // The caret marker: an x glued on at the line feed marks an unfinished token.
  bool atCaret = false;
  if (t->terminator == '\n' && !t->text.empty() && t->text.back() == 'x') {
    t->text.pop_back();
    atCaret = true;
  }
  m_stepResult = t->terminator;
  if (atCaret || t->terminator == '\n') t->terminator = 0;
  return true;
}

bool SyntaxHelp::BracketCheck(int c) {
  static const char kOpen[] = "([{";
  static const char kClose[] = ")]}";
  if (const char* o = c ? std::strchr(kOpen, c) : nullptr) {
    if (m_brackets.size() < 255) m_brackets.push_back(kClose[o - kOpen]);
    return true;
  }
  if (c && std::strchr(kClose, c)) {
    if (m_brackets.empty()) return true;
    const char expected = m_brackets.back();
    m_brackets.pop_back();
    return expected == c;
  }
  return true;
}

int SyntaxHelp::ScoreExpression(const Token& first) {
  enum { kNone, kOperand, kOperator } phase;
  bool operandRead = false;
  m_brackets.clear();
  Token t = first;
  if (t.text.empty() && !t.opClass && t.terminator == 0) return 1;
  phase = t.text.empty() ? kNone : kOperand;
  operandRead = !t.text.empty();
  if (t.opClass) phase = kOperator;
  bool closed = !m_brackets.empty() && m_brackets.back() == t.terminator;
  if (!BracketCheck(t.terminator)) return 0;
  for (int guard = 0; guard < kMaxRefeeds; ++guard) {
    const bool ended = m_stepResult == '\n' || phase == kNone ||
                       (!t.opClass && t.terminator != ' ' && !closed);
    if (ended || t.terminator == 0) break;
    ReadToken(&t);
    m_exprRead = true;
    closed = !m_brackets.empty() && m_brackets.back() == t.terminator;
    if (closed && !t.opClass) t.opClass = 129;
    if (!t.text.empty() && phase == kOperand && !t.opClass) {
      phase = kNone;
      break;
    }
    if (!t.text.empty()) {
      phase = kOperand;
      operandRead = true;
    }
    if (t.opClass && t.opClass != 129) phase = kOperator;
    if (!BracketCheck(t.terminator)) return 0;
  }
  m_bestTerminator = t.terminator;
  if (phase == kOperand) {
    if (t.terminator == 0 || !operandRead) return m_brackets.empty() ? 1 : 3;
    if (!m_brackets.empty()) return 0;
    if (t.terminator > 32) {
      m_stepResult = kRefeed;
      return 7;
    }
    return 8;
  }
  if (phase == kOperator) return 2;
  m_brackets.clear();
  return 0;
}

int SyntaxHelp::ScoreKeyword(const uint8_t* rec, const Token& t) {
  const int kind = Kind(rec);
  const std::string& tok = t.text;
  const int significant = kind == 252 ? 1 : kind == 0 ? 255 : kind;
  if (kind >= 1 && kind <= 251 && static_cast<int>(tok.size()) > kind) return 0;
  if (kind == 252) {
    if (!tok.empty() && tok[0] != '\\' && (TextLength(rec) == 0 || tok[0] != Text(rec)[0])) return 0;
  } else {
    // Compare with the text's significant characters, lower case skipped.
    size_t i = 0;
    for (int k = 0; k < TextLength(rec) && i < tok.size(); ++k) {
      const char c = Text(rec)[k];
      if (std::islower(static_cast<unsigned char>(c))) continue;
      if (c != tok[i]) return 0;
      ++i;
    }
    if (i < tok.size()) return 0;
  }
  if (static_cast<int>(tok.size()) < std::min(significant, 1 << 30) && kind != 0) {
    if (kind == 252 ? tok.empty() : static_cast<int>(tok.size()) < significant) return 1;
  }
  const int d = t.terminator;
  const int f = Follower(rec);
  if (d == 0) return 1;
  if (d == f) return 8;
  if (f == ' ' && d > ' ') {
    m_stepResult = kRefeed;
    return 7;
  }
  if (f == ' ') return 5;
  m_stepResult = kStop;
  return 5;
}

int SyntaxHelp::Score(const uint8_t* rec, const Token& t) {
  if (std::find(m_used.begin(), m_used.end(), rec) != m_used.end()) {
    if (t.text.empty()) m_skippedUsed = true;
    return 0;
  }
  const int kind = Kind(rec);
  const int d = t.terminator;
  const int f = Follower(rec);
  switch (kind) {
    case 254:
      return m_bestScore < 4 ? ScoreExpression(t) : 0;
    case 253:
      if (!m_exprRead || !t.text.empty()) return 0;
      return d == f ? 4 : d == 0 ? 1 : 0;
    case 255:
      if (!t.text.empty()) return 0;
      return d == f ? 4 : d == 0 ? 1 : 0;
    case 0:
      if (t.text.empty()) return ScoreKeyword(rec, t);
      if (m_placeholderTaken) return 0;
      if (d == 0) return 1;
      if (d == f) return 4;
      if (f == ' ' && d > 32) {
        m_stepResult = kRefeed;
        return 4;
      }
      if (f < 33 || d != ' ') return 0;
      m_placeholderTaken = true;
      return 2;
    default:
      return ScoreKeyword(rec, t);
  }
}

void SyntaxHelp::Step(const Token& t) {
  const std::vector<const uint8_t*> previous = m_candidates;
  m_candidates.clear();
  m_bestScore = 1;
  m_best = nullptr;
  m_exprRead = false;
  m_earlierCandidates = false;
  const SyntaxWord* groupStart = nullptr;
  bool groupRestart = false;
  int endCode = 0;
  const SyntaxWord* endWord = nullptr;
  int lastScore = 0;
  for (int scans = 0; scans < kMaxScans && m_current; ++scans) {
    const SyntaxWord* w = m_current;
    bool seenGroup = false;
    for (;; ++w) {
      const SyntaxWord v = *w;
      if (v >= 0 && v <= 3) {
        endCode = static_cast<int>(v);
        break;
      }
      if (v < 0 && v >= -15) {
        for (SyntaxWord k = 0; k < -v && !m_used.empty(); ++k) m_used.pop_back();
        continue;
      }
      if (v == 4) {
        groupStart = w + 1;
        seenGroup = true;
        continue;
      }
      if (v == 5) {
        endCode = 2;
        m_stepResult = kStop;
        m_candidates = previous;
        m_earlierCandidates = true;
        break;
      }
      const auto* rec = reinterpret_cast<const uint8_t*>(v);
      const int s = Score(rec, t);
      lastScore = s;
      if (s < m_bestScore) continue;
      if (s > m_bestScore) {
        m_bestScore = s;
        m_candidates.clear();
        if (seenGroup) groupRestart = true;
      }
      // A table that leads back into itself offers its records once.
      if (m_candidates.size() < kMaxCandidates &&
          std::find(m_candidates.begin(), m_candidates.end(), rec) == m_candidates.end())
        m_candidates.push_back(rec);
      m_best = rec;
      m_bestTokenLength = t.text.size();
    }
    endWord = w;
    const bool unique = m_candidates.size() == 1 && m_bestScore > 2;
    if (unique) break;
    if ((endCode == 0 || endCode == 3) && !(lastScore == 1 && m_bestScore >= 2)) {
      if (m_depth == 0) break;
      --m_depth;
      m_current = endCode == 3 ? reinterpret_cast<const SyntaxWord*>(endWord[1]) : m_stack[m_depth];
      if (endCode == 3) m_stack[m_depth] = m_current;
      continue;
    }
    if (endCode == 1 && m_bestScore < 2 && m_depth > 0) {
      --m_depth;
      m_current = m_stack[m_depth];
      continue;
    }
    break;
  }
  const bool unique = m_candidates.size() == 1 && m_bestScore > 2;
  if (unique) {
    if (m_used.size() < kMaxUsed) m_used.push_back(m_candidates[0]);
    if (groupRestart && groupStart) m_current = groupStart;
    const uint8_t* rec = m_candidates[0];
    switch (endCode) {
      case 0:
        if (m_depth > 0) --m_depth;
        m_current = m_stack[m_depth];
        break;
      case 1:
        Push(SyntaxSubTable(rec));
        break;
      case 2:
        m_current = m_stack[m_depth] = SyntaxSubTable(rec);
        break;
      default:
        if (m_depth > 0) --m_depth;
        m_current = m_stack[m_depth] = reinterpret_cast<const SyntaxWord*>(endWord[1]);
        break;
    }
  }
  if (m_bestScore < 2) {
    if (m_tokenCount == 0 || m_latch) {
      m_latch = true;
      if (m_fallback1) m_current = m_stack[m_depth] = m_fallback1;
    } else if (m_fallback2) {
      m_current = m_stack[m_depth] = m_fallback2;
    }
  }
  ++m_tokenCount;
  if (m_stepResult == kRefeed && m_bestScore >= 8) m_stepResult = t.terminator;
}

void SyntaxHelp::RunAnalysis(const std::string& beforeCaret) {
  m_text = beforeCaret.substr(0, 256) + "\"x\"\n";
  m_cursor = 0;
  m_depth = 0;
  m_stack[0] = m_current = m_root;
  m_used.clear();
  m_candidates.clear();
  m_tokenCount = 0;
  m_latch = false;
  m_stepResult = 0;
  m_placeholderTaken = false;
  m_skippedUsed = false;
  m_earlierCandidates = false;
  m_brackets.clear();
  m_bestScore = 0;
  if (!m_installed) return;
  // Every token consumes text, so the walk ends; the re-feeds of one token
  // are bounded against tables that keep asking for them.
  for (int tokens = 0; tokens < 1024; ++tokens) {
    Token t;
    ReadToken(&t);
    const int result = m_stepResult;
    m_skippedUsed = false;
    Step(t);
    if (m_stepResult != kRefeed && result == '\n') m_stepResult = '\n';
    for (int refeed = 0; m_stepResult == kRefeed && refeed < kMaxRefeeds; ++refeed) {
      Token again;
      again.terminator = t.terminator;
      again.opClass = CharClass(t.terminator);
      m_stepResult = result;
      Step(again);
      if (m_stepResult != kRefeed && result == '\n') m_stepResult = '\n';
    }
    if (m_stepResult == kRefeed) break;  // a table that never lets go
    if (m_stepResult == '\n' || m_stepResult == kStop || m_cursor >= m_text.size()) break;
  }
}

void SyntaxHelp::BuildHelp() {
  m_help.clear();
  if (!m_installed) return;
  if (m_firstShown >= m_candidates.size()) m_firstShown = 0;
  const size_t first = m_firstShown;
  size_t i = first;
  const size_t remaining = m_candidates.size() - first;
  int reserve = 0;
  if (first == 0 && remaining == 2) reserve = std::min(11, m_candidates[1][2] + 2);
  for (; i < m_candidates.size(); ++i) {
    const uint8_t* rec = m_candidates[i];
    const int shown = std::min<int>(rec[2], TextLength(rec));
    if (shown == 0) continue;
    const std::string text(Text(rec), static_cast<size_t>(shown));
    if (text == "<< no help available ! >>") {
      m_help = text;
      ++i;
      break;
    }
    if (i != first && shown + static_cast<int>(m_help.size()) + reserve >= m_helpWidth) break;
    m_help += text + " ";
  }
  if (!m_brackets.empty()) {
    std::string closers(m_brackets.rbegin(), m_brackets.rend());
    if (closers.size() + m_help.size() + 3 >= 255)
      closers.resize(static_cast<size_t>(std::max(0, m_helpWidth - static_cast<int>(m_help.size()) - 4)));
    m_help += closers;
  }
  m_firstShown = i >= m_candidates.size() ? 0 : i;
  while (!m_help.empty() && m_help.back() == ' ') m_help.pop_back();
}

std::string SyntaxHelp::Analyse(const std::string& beforeCaret) {
  m_firstShown = 0;
  RunAnalysis(beforeCaret);
  BuildHelp();
  return m_help;
}

std::string SyntaxHelp::NextPage() {
  BuildHelp();
  return m_help;
}

std::string SyntaxHelp::Complete(const std::string& beforeCaret) {
  std::string typed;
  RunAnalysis(beforeCaret);
  if (!m_installed) return " ";
  // Past a stop word the candidates are the word before the arguments
  // ("delete 3", "g,"): what is typed at the caret stays as it is.
  if (m_earlierCandidates) return " ";
  if (!(m_candidates.size() == 1 && m_bestScore >= 1)) {
    typed.push_back(' ');
    std::string again = beforeCaret;
    again.push_back(' ');
    RunAnalysis(again);
    if (m_earlierCandidates || !(m_candidates.size() == 1 && m_bestScore >= 2)) return typed;
  }
  const uint8_t* rec = m_candidates[0];
  // The token at the caret: what follows the last delimiter.
  std::string line = beforeCaret;
  line.append(typed);
  size_t start = line.find_last_of(" ;,()=#!$&|[]%<>{}");
  std::string token = start == std::string::npos ? line : line.substr(start + 1);
  for (char& c : token) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  const int complete = rec[1];
  if (complete == 0) {
    const int f = Follower(rec);
    if (f < 32) return typed + " ";
    if (token.empty() && Kind(rec) < 255) return typed;
    if (f == '(') return typed + " ( ";
    return typed + static_cast<char>(f) + (f == ' ' ? "" : " ");
  }
  // The significant characters not typed yet.
  std::string significant;
  for (int k = 0; k < TextLength(rec) && static_cast<int>(significant.size()) < complete; ++k) {
    const char c = Text(rec)[k];
    if (std::islower(static_cast<unsigned char>(c))) continue;
    if (c == ' ') break;
    significant.push_back(c);
  }
  if (token.size() >= significant.size()) {
    typed += " ";
    return typed;
  }
  if (m_skippedUsed) return typed + " ";
  for (size_t k = token.size(); k < significant.size(); ++k)
    typed.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(significant[k]))));
  return typed;
}

}  // namespace pm2
