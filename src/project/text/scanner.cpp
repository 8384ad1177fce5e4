#include "project/text/scanner.h"

namespace pm2 {

namespace {

// The fixed delimiter set, one flag per byte value.
struct DelimiterTable {
  bool is[256] = {};
  constexpr DelimiterTable() {
    const unsigned char set[] = {' ', ';', ',', '(', ')', '[', ']', 10, 13, 0x7F, '"', '=', '{', '}', 0x1A};
    for (unsigned char c : set) is[c] = true;
  }
};
constexpr DelimiterTable kDelimiters;

int UpperAscii(int c) { return (c >= 'a' && c <= 'z') ? c - 32 : c; }

}  // namespace

TextScanner g_Scanner;
const char*& g_pScanPos = g_Scanner.m_pPos;

void TextScanner::Start(const char* text, int extraDelimiter) {
  m_pPos = text ? text : "";
  m_nExtraDelimiter = extraDelimiter;
  m_bLineEndsAsBlanks = false;
}

int TextScanner::At(const char* p) const {
  int c = static_cast<unsigned char>(*p);
  if (m_bLineEndsAsBlanks && (c == 10 || c == 13)) return ' ';
  return c;
}

int TextScanner::Take() {
  int c = At(m_pPos);
  ++m_pPos;
  return c;
}

bool TextScanner::IsDelimiter(int c) const {
  c &= 0xFF;
  if (m_nExtraDelimiter != kNoExtraDelimiter && c == m_nExtraDelimiter) return true;
  return kDelimiters.is[c];
}

int TextScanner::SkipBlanks() {
  while (At(m_pPos) == ' ' || At(m_pPos) == '\t') ++m_pPos;
  return At(m_pPos);
}

int TextScanner::GetDelimiter() {
  int c = At(m_pPos);
  if (c == 0 || !IsDelimiter(c)) return kScanBlank;
  if (c == 10) return kScanEndOfLine;
  if (c == '"' || c == '\'') return kScanBlank;
  ++m_pPos;
  return c;
}

namespace {

// Where a token's characters go: the caller's fixed buffer, which holds
// kScanTokenMax of them, or a string that takes the whole token.
struct BufferSink {
  char* buffer;
  int& length;
  bool Full() const { return length >= kScanTokenMax; }
  bool Empty() const { return length == 0; }
  void Put(int c) { buffer[length++] = static_cast<char>(c); }
  void End() { buffer[length] = '\0'; }
};
struct StringSink {
  std::string& text;
  bool Full() const { return false; }
  bool Empty() const { return text.empty(); }
  void Put(int c) { text.push_back(static_cast<char>(c)); }
  void End() {}
};

}  // namespace

template <class Sink>
int TextScanner::ScanInto(Sink& sink, bool upperCase) {
  int quote = 0;
  SkipBlanks();
  for (;;) {
    if (sink.Full()) {
      sink.End();
      return kScanBlank;
    }
    int c = Take();
    if (c == 0) {
      --m_pPos;  // stay on the terminator
      sink.End();
      return kScanEndOfLine;
    }
    if (quote) {
      if (c == 10) {
        --m_pPos;
        sink.End();
        return kScanEndOfLine;
      }
      if (c == quote) {
        if (At(m_pPos) == quote) {  // doubled quote stands for one
          ++m_pPos;
          sink.Put(c);
          continue;
        }
        while (At(m_pPos) == ' ') ++m_pPos;
        sink.End();
        return GetDelimiter();
      }
      sink.Put(c);
      continue;
    }
    if (c == '"' || c == '\'') {
      if (sink.Empty()) {
        quote = c;
        continue;
      }
      --m_pPos;  // a quote after other characters starts the next token
      sink.End();
      return kScanBlank;
    }
    if (IsDelimiter(c)) {
      sink.End();
      if (c == ' ') {
        SkipBlanks();
        return GetDelimiter();
      }
      return c;
    }
    sink.Put(upperCase ? UpperAscii(c) : c);
  }
}

int TextScanner::ScanToken(char* buffer, bool upperCase, int& length) {
  length = 0;
  BufferSink sink{buffer, length};
  return ScanInto(sink, upperCase);
}

int TextScanner::ScanToken(std::string& token, bool upperCase) {
  char buffer[kScanBufferSize];
  int length = 0;
  int delimiter = ScanToken(buffer, upperCase, length);
  token.assign(buffer, static_cast<std::size_t>(length));
  return delimiter;
}

int TextScanner::ScanWholeToken(std::string& token, bool upperCase) {
  token.clear();
  StringSink sink{token};
  return ScanInto(sink, upperCase);
}

void TextScanner::PushState(const char* first, const char* second, int extraDelimiter) {
  m_slots[0] = Slot{first ? first : "", extraDelimiter};
  m_slots[1] = Slot{second ? second : "", extraDelimiter};
  m_nSlot = -1;
  m_bLineEndsAsBlanks = true;
}

void TextScanner::SelectText(int slot) {
  if (slot != 0 && slot != 1) return;
  if (m_nSlot >= 0) m_slots[m_nSlot] = Slot{m_pPos, m_nExtraDelimiter};
  m_nSlot = slot;
  m_pPos = m_slots[slot].pPos;
  m_nExtraDelimiter = m_slots[slot].nExtraDelimiter;
}

void SetScanText(const char* text) { g_Scanner.SetText(text); }
void SetScanTextDash(const char* text) { g_Scanner.SetTextDash(text); }
int ScanToken(char* buffer, bool upperCase, int& length) {
  return g_Scanner.ScanToken(buffer, upperCase, length);
}
int SkipScanBlanks() { return g_Scanner.SkipBlanks(); }
bool IsScanDelimiter(int c) { return g_Scanner.IsDelimiter(c); }
int GetScanDelimiter() { return g_Scanner.GetDelimiter(); }
void PushScanState(const char* first, const char* second, int extraDelimiter) {
  g_Scanner.PushState(first, second, extraDelimiter);
}
void SelectScanText(int slot) { g_Scanner.SelectText(slot); }

}  // namespace pm2
