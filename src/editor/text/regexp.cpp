#include "editor/text/regexp.h"

#include <cstring>

namespace pm2 {

namespace {
enum RegFlag : int { kWorst = 0, kHasWidth = 1, kSimple = 2, kSpStart = 4 };
constexpr const char kMeta[] = "^$.[()|?+*\\";
constexpr int kDummy = -1;
// Bounds that keep a hostile pattern from hanging the editor or
// exhausting the stack; a search that hits them reports no match.
constexpr long kMaxSteps = 5'000'000;
constexpr int kMaxDepth = 4000;

bool IsRepeat(char c) { return c == '*' || c == '+' || c == '?'; }
}  // namespace

// ---- program building ----

int CEditRegExp::Node(uint8_t op) {
  if (!m_bEmit) {
    m_nSize += 3;
    return kDummy;
  }
  int at = int(m_program.size());
  m_program.push_back(op);
  m_program.push_back(0);
  m_program.push_back(0);
  return at;
}

void CEditRegExp::Byte(uint8_t b) {
  if (!m_bEmit)
    ++m_nSize;
  else
    m_program.push_back(b);
}

void CEditRegExp::Insert(uint8_t op, int operand) {
  if (!m_bEmit) {
    m_nSize += 3;
    return;
  }
  uint8_t node[3] = {op, 0, 0};
  m_program.insert(m_program.begin() + operand, node, node + 3);
}

int CEditRegExp::Next(int p) const {
  if (p < 0 || size_t(p) + 3 > m_program.size()) return kDummy;
  int16_t off = int16_t(uint16_t(m_program[size_t(p) + 1]) | uint16_t(m_program[size_t(p) + 2]) << 8);
  if (off == 0) return kDummy;
  return m_program[size_t(p)] == kRegBack ? p - off : p + off;
}

void CEditRegExp::Tail(int p, int val) {
  if (!m_bEmit || p == kDummy) return;
  int scan = p;
  for (int n = Next(scan); n != kDummy; n = Next(scan)) scan = n;
  int off = m_program[size_t(scan)] == kRegBack ? scan - val : val - scan;
  if (off > 32767 || off < -32768) {
    Fail("the expression is too long");
    return;
  }
  m_program[size_t(scan) + 1] = uint8_t(off & 0xFF);
  m_program[size_t(scan) + 2] = uint8_t((off >> 8) & 0xFF);
}

void CEditRegExp::OpTail(int p, int val) {
  if (!m_bEmit || p == kDummy || m_program[size_t(p)] != kRegBranch) return;
  Tail(p + 3, val);
}

void CEditRegExp::Fail(const char* why, const char* at) {
  if (!m_bFailed && m_error.empty()) {
    m_error = why;
    if (!at) at = m_parse;
    m_errorColumn = m_pattern && at ? int(at - m_pattern) + 1 : 0;
  }
  m_bFailed = true;
}

// ---- parser (each returns the node it made, or kDummy; m_bFailed on error) ----

int CEditRegExp::Reg(bool paren, int* flags) {
  *flags = kHasWidth;
  int ret = kDummy;
  int group = 0;
  // The group's "(", named when its ")" is missing.
  const char* open = paren ? m_parse - 1 : nullptr;
  if (paren) {
    if (m_nGroup >= kRegGroups) {
      --m_parse;  // at the group's "("
      Fail("more than nine groups");
      return kDummy;
    }
    group = m_nGroup++;
    ret = Node(uint8_t(kRegOpen + group));
  }
  int f = 0;
  int br = Branch(&f);
  if (m_bFailed) return kDummy;
  if (ret != kDummy)
    Tail(ret, br);
  else
    ret = br;
  if (!(f & kHasWidth)) *flags &= ~kHasWidth;
  *flags |= f & kSpStart;
  while (*m_parse == '|') {
    ++m_parse;
    br = Branch(&f);
    if (m_bFailed) return kDummy;
    Tail(ret, br);
    if (!(f & kHasWidth)) *flags &= ~kHasWidth;
    *flags |= f & kSpStart;
  }
  int ender = Node(paren ? uint8_t(kRegClose + group) : uint8_t(kRegEnd));
  Tail(ret, ender);
  if (m_bEmit)
    for (int b = ret; b != kDummy; b = Next(b)) OpTail(b, ender);
  if (paren) {
    if (*m_parse != ')') Fail("a '(' without its ')'", open);
    else ++m_parse;
  } else if (*m_parse != '\0') {
    Fail("a ')' without its '('");
  }
  return m_bFailed ? kDummy : ret;
}

int CEditRegExp::Branch(int* flags) {
  *flags = kWorst;
  int ret = Node(kRegBranch);
  int chain = kDummy;
  bool any = false;
  while (*m_parse != '\0' && *m_parse != '|' && *m_parse != ')') {
    int f = 0;
    int latest = Piece(&f);
    if (m_bFailed) return kDummy;
    *flags |= f & kHasWidth;
    if (!any)
      *flags |= f & kSpStart;
    else
      Tail(chain, latest);
    chain = latest;
    any = true;
  }
  if (!any) Node(kRegNothing);
  return ret;
}

int CEditRegExp::Piece(int* flags) {
  int f = 0;
  int ret = Atom(&f);
  if (m_bFailed) return kDummy;
  char op = *m_parse;
  if (!IsRepeat(op)) {
    *flags = f;
    return ret;
  }
  if (!(f & kHasWidth) && op != '?') {
    Fail("a '*' or '+' after something that can be empty");
    return kDummy;
  }
  *flags = op == '*' ? (kWorst | kSpStart) : op == '+' ? (kHasWidth | kSpStart) : kWorst;
  if (op == '*' && (f & kSimple)) {
    Insert(kRegStar, ret);
  } else if (op == '*') {
    // x* becomes (x BACK | NOTHING)
    Insert(kRegBranch, ret);
    OpTail(ret, Node(kRegBack));
    OpTail(ret, ret);
    Tail(ret, Node(kRegBranch));
    Tail(ret, Node(kRegNothing));
  } else if (op == '+' && (f & kSimple)) {
    Insert(kRegPlus, ret);
  } else if (op == '+') {
    // x+ becomes x (BACK to x | NOTHING)
    int next = Node(kRegBranch);
    Tail(ret, next);
    Tail(Node(kRegBack), ret);
    Tail(next, Node(kRegBranch));
    Tail(ret, Node(kRegNothing));
  } else {
    // x? becomes (x | NOTHING)
    Insert(kRegBranch, ret);
    Tail(ret, Node(kRegBranch));
    int next = Node(kRegNothing);
    Tail(ret, next);
    OpTail(ret, next);
  }
  ++m_parse;
  if (IsRepeat(*m_parse)) Fail("a repetition of a repetition");
  return m_bFailed ? kDummy : ret;
}

int CEditRegExp::Atom(int* flags) {
  *flags = kWorst;
  int ret = kDummy;
  const char* at = m_parse;
  char c = *m_parse++;
  switch (c) {
    case '^':
      return Node(kRegBol);
    case '$':
      return Node(kRegEol);
    case '.':
      *flags |= kHasWidth | kSimple;
      return Node(kRegAny);
    case '[': {
      if (*m_parse == '^') {
        ret = Node(kRegAnyBut);
        ++m_parse;
      } else {
        ret = Node(kRegAnyOf);
      }
      if (*m_parse == ']' || *m_parse == '-') Byte(uint8_t(*m_parse++));
      while (*m_parse != '\0' && *m_parse != ']') {
        if (*m_parse == '-') {
          ++m_parse;
          if (*m_parse == ']' || *m_parse == '\0') {
            Byte('-');
          } else {
            int from = int(int8_t(m_parse[-2]));
            int to = int(int8_t(*m_parse));
            if (to < from) {
              Fail("a range whose end comes before its start", m_parse - 2);
              return kDummy;
            }
            // A range through NUL (from a byte above 127) must not end the
            // operand early: NUL is never a member anyway.
            for (int k = from + 1; k <= to; ++k)
              if (k != 0) Byte(uint8_t(k));
            ++m_parse;
          }
        } else {
          Byte(uint8_t(*m_parse++));
        }
      }
      Byte(0);
      if (*m_parse != ']') {
        Fail("a '[' without its ']'", at);
        return kDummy;
      }
      ++m_parse;
      *flags |= kHasWidth | kSimple;
      return ret;
    }
    case '(': {
      int f = 0;
      ret = Reg(true, &f);
      if (m_bFailed) return kDummy;
      *flags |= f & (kHasWidth | kSpStart);
      return ret;
    }
    case '\0':
    case '|':
    case ')':
    case '?':
    case '+':
    case '*':
      --m_parse;
      Fail(c == '\0' ? "the expression ends where more is needed" : "nothing before the operator");
      return kDummy;
    case '\\':
      if (*m_parse == '\0') {
        Fail("a '\\' at the end");
        return kDummy;
      }
      ret = Node(kRegExactly);
      Byte(uint8_t(*m_parse++));
      Byte(0);
      *flags |= kHasWidth | kSimple;
      return ret;
    default: {
      --m_parse;
      size_t len = std::strcspn(m_parse, kMeta);
      if (len == 0) {
        Fail("a character that cannot stand here");
        return kDummy;
      }
      if (len > 1 && IsRepeat(m_parse[len])) --len;
      *flags |= kHasWidth;
      if (len == 1) *flags |= kSimple;
      ret = Node(kRegExactly);
      for (size_t i = 0; i < len; ++i) Byte(uint8_t(*m_parse++));
      Byte(0);
      return ret;
    }
  }
}

int CEditRegExp::Compile(const char* pattern) {
  m_program.clear();
  m_bCompiled = false;
  m_firstChar = 0;
  m_bolChar = 0;
  m_bAnchored = false;
  m_mustAt = -1;
  m_mustLen = 0;
  ResetMatch();
  if (!pattern) return 0;

  // Sizing pass, then the emitting pass into a program of that size.
  m_bEmit = false;
  m_bFailed = false;
  m_error.clear();
  m_errorColumn = 0;
  m_pattern = pattern;
  m_parse = pattern;
  m_nGroup = 1;
  m_nSize = 0;
  int flags = 0;
  Reg(false, &flags);
  if (m_bFailed) return 0;

  m_bEmit = true;
  m_parse = pattern;
  m_nGroup = 1;
  m_program.reserve(m_nSize);
  Reg(false, &flags);
  if (m_bFailed || m_program.size() != m_nSize) {
    m_program.clear();
    return 0;
  }
  m_bCompiled = true;

  // One top-level alternative: its first node may fix the first character
  // or anchor the match, and the longest literal on its path (every node
  // on it must match) is looked for before any try: a line without it is
  // passed over at the speed of a memory search. A literal of one
  // character is worth it only after a leading repetition (else the first
  // character already does that work).
  int scan = 0;
  if (m_program[size_t(Next(0))] == kRegEnd) {
    scan = 3;
    if (m_program[size_t(scan)] == kRegExactly)
      m_firstChar = char(m_program[size_t(scan) + 3]);
    else if (m_program[size_t(scan)] == kRegBol)
      m_bAnchored = true;
    // An anchored match whose first literal follows the anchor: a line
    // that does not begin with its first character is never tried.
    if (m_bAnchored && Next(scan) != kDummy && m_program[size_t(Next(scan))] == kRegExactly)
      m_bolChar = char(m_program[size_t(Next(scan)) + 3]);
    for (; scan != kDummy; scan = Next(scan)) {
      if (m_program[size_t(scan)] != kRegExactly) continue;
      int len = int(std::strlen(reinterpret_cast<const char*>(&m_program[size_t(scan) + 3])));
      if (len >= m_mustLen) {
        m_mustAt = scan + 3;
        m_mustLen = len;
      }
    }
    if (m_mustLen < 2 && !(flags & kSpStart)) {
      m_mustAt = -1;
      m_mustLen = 0;
    }
  }
  return 1;
}

std::string_view CEditRegExp::RequiredText() const {
  if (m_mustAt < 0) return {};
  return {reinterpret_cast<const char*>(&m_program[size_t(m_mustAt)]), size_t(m_mustLen)};
}

// ---- matching ----

void CEditRegExp::ResetMatch() {
  m_bMatched = false;
  m_bGaveUp = false;
  m_match.clear();
  // Most lines of a search are never tried: their groups are still unset.
  if (!m_bGroupsSet) return;
  for (int i = 0; i < kRegGroups; ++i) m_start[i] = m_end[i] = -1;
  m_bGroupsSet = false;
}

int CEditRegExp::Exec(std::string_view text, size_t from) {
  ResetMatch();
  if (!m_bCompiled || m_program.empty() || from > text.size()) return -1;
  m_text = text;
  if (m_mustAt >= 0 && text.find(RequiredText(), from) == std::string_view::npos) return -1;
  m_nSteps = 0;
  size_t found = std::string_view::npos;
  if (m_bAnchored) {
    if (from == 0 && (!m_bolChar || (!text.empty() && text[0] == m_bolChar)) && Try(0)) found = 0;
  } else if (m_firstChar) {
    for (size_t s = text.find(m_firstChar, from); s != std::string_view::npos && !m_bGaveUp;
         s = text.find(m_firstChar, s + 1))
      if (Try(s)) {
        found = s;
        break;
      }
  } else {
    for (size_t s = from; s <= text.size() && !m_bGaveUp; ++s)
      if (Try(s)) {
        found = s;
        break;
      }
  }
  if (found == std::string_view::npos) {
    // Groups a failed try set are unset again; GaveUp() still tells.
    for (int i = 0; i < kRegGroups; ++i) m_start[i] = m_end[i] = -1;
    m_bGroupsSet = false;
    return -1;
  }
  m_bMatched = true;
  m_match.assign(text.substr(size_t(m_start[0]), size_t(m_end[0] - m_start[0])));
  return int(found);
}

bool CEditRegExp::Try(size_t at) {
  // Groups the pattern has not are still unset from the start of Exec.
  for (int i = 0; i < m_nGroup; ++i) m_start[i] = m_end[i] = -1;
  m_bGroupsSet = true;
  m_cursor = at;
  m_nDepth = 0;
  if (!Match(0)) return false;
  m_start[0] = int(at);
  m_end[0] = int(m_cursor);
  return true;
}

int CEditRegExp::Repeat(int node) {
  const char* opnd = reinterpret_cast<const char*>(&m_program[size_t(node) + 3]);
  size_t n = 0;
  size_t left = m_text.size() - m_cursor;
  const char* s = m_text.data() + m_cursor;
  switch (m_program[size_t(node)]) {
    case kRegAny:
      n = left;
      break;
    case kRegExactly:
      while (n < left && s[n] == *opnd) ++n;
      break;
    case kRegAnyOf:
      while (n < left && s[n] != 0 && std::strchr(opnd, s[n])) ++n;
      break;
    case kRegAnyBut:
      while (n < left && (s[n] == 0 || !std::strchr(opnd, s[n]))) ++n;
      break;
    default:
      break;
  }
  m_cursor += n;
  return int(n);
}

bool CEditRegExp::Match(int scan) {
  if (++m_nDepth > kMaxDepth) {
    m_bGaveUp = true;
    --m_nDepth;
    return false;
  }
  struct DepthGuard {
    int& d;
    ~DepthGuard() { --d; }
  } guard{m_nDepth};
  while (scan != kDummy) {
    if (++m_nSteps > kMaxSteps || m_bGaveUp) {
      m_bGaveUp = true;
      return false;
    }
    uint8_t op = m_program[size_t(scan)];
    int next = Next(scan);
    const char* opnd = reinterpret_cast<const char*>(&m_program[size_t(scan) + 3]);
    bool atEnd = m_cursor >= m_text.size();
    char cur = atEnd ? 0 : m_text[m_cursor];
    switch (op) {
      case kRegBol:
        if (m_cursor != 0) return false;
        break;
      case kRegEol:
        if (!atEnd) return false;
        break;
      case kRegAny:
        if (atEnd) return false;
        ++m_cursor;
        break;
      case kRegExactly: {
        size_t len = std::strlen(opnd);
        if (m_text.size() - m_cursor < len || m_text.compare(m_cursor, len, opnd, len) != 0)
          return false;
        m_cursor += len;
        break;
      }
      case kRegAnyOf:
        if (atEnd || cur == 0 || !std::strchr(opnd, cur)) return false;
        ++m_cursor;
        break;
      case kRegAnyBut:
        if (atEnd || (cur != 0 && std::strchr(opnd, cur))) return false;
        ++m_cursor;
        break;
      case kRegNothing:
      case kRegBack:
        break;
      case kRegBranch:
        if (next == kDummy || m_program[size_t(next)] != kRegBranch) {
          next = scan + 3;  // only one choice: no need to recurse
        } else {
          size_t save = m_cursor;
          for (int b = scan; b != kDummy && m_program[size_t(b)] == kRegBranch; b = Next(b)) {
            if (Match(b + 3)) return true;
            m_cursor = save;
          }
          return false;
        }
        break;
      case kRegStar:
      case kRegPlus: {
        bool hasNextCh = next != kDummy && m_program[size_t(next)] == kRegExactly;
        char nextCh = hasNextCh ? char(m_program[size_t(next) + 3]) : 0;
        int min = op == kRegStar ? 0 : 1;
        size_t save = m_cursor;
        int no = Repeat(scan + 3);
        while (no >= min) {
          if (!hasNextCh || (m_cursor < m_text.size() && m_text[m_cursor] == nextCh))
            if (Match(next)) return true;
          if (m_bGaveUp) return false;
          --no;
          m_cursor = save + size_t(no);
        }
        return false;
      }
      case kRegEnd:
        return true;
      default:
        if (op > kRegOpen && op < kRegOpen + kRegGroups) {
          int n = op - kRegOpen;
          size_t save = m_cursor;
          if (!Match(next)) return false;
          if (m_start[n] < 0) m_start[n] = int(save);
          return true;
        }
        if (op > kRegClose && op < kRegClose + kRegGroups) {
          int n = op - kRegClose;
          size_t save = m_cursor;
          if (!Match(next)) return false;
          if (m_end[n] < 0) m_end[n] = int(save);
          return true;
        }
        return false;  // not an opcode of ours
    }
    scan = next;
  }
  return false;  // the program ran off its end
}

std::optional<std::string> CEditRegExp::Substitute(const char* tmpl) const {
  return Substitute(tmpl, {});
}

std::optional<std::string> CEditRegExp::Substitute(const char* tmpl, std::string_view source) const {
  if (!tmpl || !m_bMatched) return std::nullopt;
  auto group = [&](int n) -> std::string_view {
    if (m_start[n] < 0 || m_end[n] <= m_start[n]) return {};
    size_t len = size_t(m_end[n] - m_start[n]);
    if (!source.empty()) {
      size_t at = size_t(m_start[n]);
      if (at + len > source.size()) return {};
      return source.substr(at, len);
    }
    size_t off = size_t(m_start[n] - m_start[0]);
    if (off + len > m_match.size()) return {};
    return std::string_view(m_match).substr(off, len);
  };
  std::string out;
  for (const char* s = tmpl; *s;) {
    char c = *s++;
    if (c == '&') {
      out += group(0);
    } else if (c == '\\' && *s >= '0' && *s <= '9') {
      out += group(*s++ - '0');
    } else if (c == '\\' && (*s == '\\' || *s == '&')) {
      out += *s++;
    } else {
      out += c;
    }
  }
  return out;
}

std::string InvalidExpressionText(const std::string& pattern) {
  CEditRegExp re;
  if (re.Compile(pattern.c_str())) return std::string();
  return "'" + pattern + "' is no valid regular expression: " + re.Error() + " (at column " +
         std::to_string(re.ErrorColumn()) + ").";
}

}  // namespace pm2
