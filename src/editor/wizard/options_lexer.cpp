#include "editor/wizard/options_lexer.h"

#include <array>

namespace pm2 {

namespace {

struct Keyword {
  int code;
  const char* spelling;
};

constexpr Keyword kKeywords[] = {
    {kTokBlock, "PELMORA_OPTIONS_BLOCK"}, {kTokId, "ID"}, {kTokName, "NAME"}, {kTokOption, "OPTION"},
    {kTokHelp, "HELP"}, {kTokDefault, "DEFAULT"}, {kTokType, "TYPE"}, {kTokFile, "FILE"},
    {kTokStyle, "STYLE"}, {kTokReadOnly, "READONLY"}, {kTokKey, "KEY"}, {kTokText, "TEXT"},
    {kTokDisabled, "DISABLED"}, {kTokFolder, "FOLDER"}, {kTokDecimal, "DECIMAL"}, {kTokMin, "MIN"},
    {kTokMax, "MAX"}, {kTokHideValue, "HIDEVALUE"}, {kTokSelection, "SELECTION"}, {kTokItems, "ITEMS"},
    {kTokItem, "ITEM"}, {kTokEntry, "ENTRY"}, {kTokValue, "VALUE"}, {kTokBool, "BOOL"},
    {kTokEnabledBy, "ENABLEDBY"}, {kTokExpand, "EXPAND"}, {kTokHexadecimal, "HEXADECIMAL"},
};
constexpr int kKeywordCount = int(sizeof kKeywords / sizeof kKeywords[0]);
constexpr int kBuckets = 128;

// 128 buckets of chains through the keyword rows (-1 ends a chain).
struct KeywordHash {
  std::array<int, kBuckets> head;
  std::array<int, kKeywordCount> link;
  KeywordHash() {
    head.fill(-1);
    for (int i = 0; i < kKeywordCount; ++i) {
      int b = OptionsKeywordBucket(kKeywords[i].spelling);
      link[size_t(i)] = head[size_t(b)];
      head[size_t(b)] = i;
    }
  }
};

const KeywordHash& Hash() {
  static const KeywordHash h;
  return h;
}

char Upper(char c) { return (c >= 'a' && c <= 'z') ? char(c - 32) : c; }
bool IsDigit(int c) { return c >= '0' && c <= '9'; }
bool IsAlpha(int c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsWordChar(int c) { return IsAlpha(c) || IsDigit(c) || c == '_'; }
int HexValue(int c) {
  if (IsDigit(c)) return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool EqualsIgnoringCase(std::string_view a, const char* b) {
  size_t i = 0;
  for (; i < a.size(); ++i)
    if (b[i] == 0 || Upper(a[i]) != Upper(b[i])) return false;
  return b[i] == 0;
}

}  // namespace

int OptionsKeywordBucket(std::string_view spelling) {
  unsigned sum = 0;
  for (char c : spelling) sum += unsigned(static_cast<unsigned char>(c)) - 32u;
  return int(sum % kBuckets);
}

int LookupOptionsKeyword(std::string_view spelling) {
  const KeywordHash& h = Hash();
  for (int i = h.head[size_t(OptionsKeywordBucket(spelling))]; i >= 0; i = h.link[size_t(i)])
    if (EqualsIgnoringCase(spelling, kKeywords[i].spelling)) return kKeywords[i].code;
  return 0;
}

const char* OptionsTokenName(int token) {
  switch (token) {
    case kTokEquals: return "=";
    case kTokOpen: return "{";
    case kTokClose: return "}";
    case kTokNumber: return "number";
    case kTokString: return "string";
    case kTokIdentifier: return "identifer";
    case kTokEnd: return "<EOF>";
    case kTokEnabledBy: return "ENBALEDBY";
    default: break;
  }
  for (const Keyword& k : kKeywords)
    if (k.code == token) return k.spelling;
  return "<unknown>";
}

std::string LexErrorMessage(int code, std::string_view tokenText) {
  switch (code) {
    case kLexBadNumber: return "Invalid numeric number.";
    case kLexBadString: return "Invalid string constant.";
    case kLexIllegalToken: return "Illegal token '" + std::string(tokenText) + "'";
    default: return "Unknown error.";
  }
}

OptionsLexer::OptionsLexer(std::string_view text, OptionsReportSink* sink) : m_src(text), m_sink(sink) { Advance(); }

void OptionsLexer::Advance() {
  const size_t n = m_src.size();
  for (;;) {
    if (m_pos >= n) {
      m_ch = -1;
      m_chPos = n;
      m_chLine = m_line;
      return;
    }
    const char c = m_src[m_pos];
    if (!m_leader) {
      // Column 1 of a line: only a leader makes it a comment line; a
      // leader too close to the end of the file is not one.
      if (c == '\r') {
        ++m_pos;
        continue;
      }
      if (c == '\n') {
        ++m_pos;
        ++m_line;
        continue;
      }
      const size_t left = n - m_pos;
      if (left >= 8 && m_src.compare(m_pos, 4, "//;;") == 0) {
        m_pos += 4;
        m_leader = true;
        continue;
      }
      if (left >= 4 && m_src.compare(m_pos, 2, ";;") == 0) {
        m_pos += 2;
        m_leader = true;
        continue;
      }
      const size_t lf = m_src.find('\n', m_pos);
      if (lf == std::string_view::npos) {
        m_pos = n;
      } else {
        m_pos = lf + 1;
        ++m_line;
      }
      continue;
    }
    if (c == '\r') {
      // Dropped. Before a line feed the leader stays, so the line feed
      // ends the comment line (separating tokens, ending a string) exactly
      // as in a file with bare line feeds.
      ++m_pos;
      if (m_pos >= n || m_src[m_pos] != '\n') m_leader = false;
      continue;
    }
    m_ch = static_cast<unsigned char>(c);
    m_chPos = m_pos;
    m_chLine = m_line;
    ++m_pos;
    if (c == '\n') {
      m_leader = false;
      ++m_line;
    }
    return;
  }
}

void OptionsLexer::LexError(int code, std::string_view tokenText) {
  ++m_errors;
  if (m_sink) m_sink->Report(m_tokenLine, LexErrorMessage(code, tokenText));
}

int OptionsLexer::Next() {
  while (m_ch == ' ' || m_ch == '\t' || m_ch == '\n') Advance();
  m_tokenLine = m_chLine;
  m_tokenStart = m_chPos;
  m_text.clear();
  m_number = 0;
  if (m_ch < 0) {
    m_tokenEnd = m_src.size();
    return m_token = kTokEnd;
  }
  if (IsDigit(m_ch)) {
    m_token = ReadNumber();
  } else if (IsAlpha(m_ch) || m_ch == '_') {
    m_token = ReadIdentifier();
  } else if (m_ch == '"') {
    m_token = ReadString();
  } else {
    const int c = m_ch;
    m_tokenEnd = m_chPos + 1;
    Advance();
    if (c != kTokEquals && c != kTokOpen && c != kTokClose) {
      m_text.assign(1, char(c));
      if (m_inside) LexError(kLexIllegalToken, m_text);
    }
    m_token = c;
  }
  return m_token;
}

int OptionsLexer::ReadNumber() {
  auto take = [this] {
    m_tokenEnd = m_chPos + 1;
    Advance();
  };
  uint32_t dec = 0, hex = 0;
  bool letter = false, bad = false;
  const int first = m_ch;
  dec = uint32_t(first - '0');
  hex = dec;
  take();
  if (first == '0' && (m_ch == 'x' || m_ch == 'X')) {
    take();
    if (HexValue(m_ch) < 0) {
      bad = true;
      LexError(kLexBadNumber, {});
      m_number = 0;
    } else {
      while (HexValue(m_ch) >= 0) {
        hex = hex * 16u + uint32_t(HexValue(m_ch));
        take();
      }
      m_number = hex;
      if (m_ch == 'H' || m_ch == 'h') take();  // both prefix and suffix: still hexadecimal
    }
  } else {
    while (HexValue(m_ch) >= 0) {
      if (IsDigit(m_ch)) {
        dec = dec * 10u + uint32_t(m_ch - '0');
      } else {
        letter = true;
      }
      hex = hex * 16u + uint32_t(HexValue(m_ch));
      take();
    }
    if (m_ch == 'H' || m_ch == 'h') {
      take();
      m_number = hex;
    } else {
      m_number = letter ? hex : dec;
    }
  }
  if (!bad) {
    if (m_ch == 'L' || m_ch == 'l') {
      take();
      if (m_ch == 'U' || m_ch == 'u') take();
    } else if (m_ch == 'U' || m_ch == 'u') {
      take();
      if (m_ch == 'L' || m_ch == 'l') take();
    }
    if (IsWordChar(m_ch)) {
      LexError(kLexBadNumber, {});
      m_number = 0;
      while (IsWordChar(m_ch)) take();
    }
  }
  return kTokNumber;
}

int OptionsLexer::ReadIdentifier() {
  while (IsWordChar(m_ch)) {
    if (int(m_text.size()) < kMaxIdentifier) m_text.push_back(char(m_ch));
    m_tokenEnd = m_chPos + 1;
    Advance();
  }
  const int keyword = LookupOptionsKeyword(m_text);
  return keyword ? keyword : kTokIdentifier;
}

int OptionsLexer::ReadString() {
  m_tokenEnd = m_chPos + 1;
  Advance();  // the opening quote
  bool reported = false;
  for (;;) {
    if (m_ch < 0 || m_ch == '\n') {
      if (m_ch == '\n') Advance();
      if (!reported) LexError(kLexBadString, {});
      break;
    }
    const int c = m_ch;
    m_tokenEnd = m_chPos + 1;
    Advance();
    if (c == '"') break;
    if (int(m_text.size()) < kMaxString) {
      m_text.push_back(char(c));
    } else if (!reported) {
      reported = true;
      LexError(kLexBadString, {});
    }
  }
  return kTokString;
}

}  // namespace pm2
