// The language of a text buffer: settings from its profile section, the
// character classes, comment delimiters, colours and the keyword table,
// and the scanners the painting code asks line by line.
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstring>

#include "editor/text/editor_keys.h"
#include "editor/text/text_buffer.h"
#include "platform/ini_file.h"

namespace pm2 {

namespace {
constexpr size_t kMaxDelimiter = 15;
constexpr int kMaxWord = 259;
constexpr const char* kNoColour = "godzilla";

std::string Upper(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = char(std::toupper(static_cast<unsigned char>(c)));
  return out;
}

bool IsQuote(char c) { return c == '"' || c == '\''; }

std::string BaseName(const std::string& path) {
  size_t slash = path.find_last_of("/\\");
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  size_t dot = name.rfind('.');
  return dot == std::string::npos ? name : name.substr(0, dot);
}
}  // namespace

int CEditTextBuffer::LoadSettings() {
  LoadLanguage();
  m_nTabSize = ProfileInt(kKeyTabSize, 3);
  m_bKeepTabs = ProfileInt(kKeyKeepTabs, 1);
  m_bShowTabs = ProfileInt(kKeyShowTabs, 0);
  m_fontFace = ProfileString(kKeyFontFace, "Courier New");
  m_nFontSize = ProfileInt(kKeyFontSize, 9);
  m_nCharSet = ProfileInt(kKeyCharSet, 0);
  m_nFontWeight = ProfileInt(kKeyFontWeight, 400);
  m_bItalic = ProfileInt(kKeyItalic, 0);
  m_bWordWrap = ProfileInt(kKeyWordWrap, 0);
  m_bInsertMode = ProfileInt(kKeyInsertMode, 1);
  m_bLockFile = ProfileInt(kKeyLockFile, 0);
  return 0;
}

EditColour CEditTextBuffer::ParseColour(std::string_view text) {
  int v[3] = {0, 0, 0};
  for (int i = 0; i < 3 && !text.empty(); ++i) {
    size_t comma = text.find(',');
    std::string field(text.substr(0, comma));
    v[i] = std::atoi(field.c_str());
    text = comma == std::string_view::npos ? std::string_view() : text.substr(comma + 1);
  }
  return EditColour(v[0] & 0xFF) | EditColour(v[1] & 0xFF) << 8 | EditColour(v[2] & 0xFF) << 16;
}

std::string CEditTextBuffer::FormatColour(EditColour c) {
  return std::to_string(c & 0xFF) + "," + std::to_string((c >> 8) & 0xFF) + "," +
         std::to_string((c >> 16) & 0xFF);
}

void CEditTextBuffer::FreeLanguageData() { m_keywords.reset(); }

int CEditTextBuffer::LoadLanguage() {
  FreeLanguageData();
  m_keywordSection = "Keywords";
  std::string file = ProfileString("Keywords", "Default.ini");
  if (::access(file.c_str(), F_OK) != 0 && !m_env.programDir.empty()) {
    std::string dir = m_env.programDir;
    if (dir.back() != '/') dir += '/';
    file = dir + file;
  }
  m_keywordFile = file;
  m_bColouring = ProfileInt("Chroma", 0);
  m_crComment = ParseColour(ProfileString("Comment", "0,128,0"));
  m_crKeyword = ParseColour(ProfileString("Keyword", "0,0,255"));
  m_crQuote = ParseColour(ProfileString("Quote", "255,0,0"));
  m_crText = ParseColour(ProfileString("Default Text", "0,0,0"));
  m_crBackground = ParseColour(ProfileString("Background", "255,255,255"));
  m_crSQuote = ParseColour(ProfileString("SQuote", FormatColour(m_crText)));
  auto delimiter = [&](const char* key) { return ProfileString(key, "").substr(0, kMaxDelimiter); };
  m_open1 = delimiter("Comment Start 1");
  m_open2 = delimiter("Comment Start 2");
  m_close1 = delimiter("Comment End 1");
  m_close2 = delimiter("Comment End 2");
  m_bAutoIndent = ProfileInt("Autoindent", 1);
  m_bCaseSensitive = ProfileInt("Case", 0);
  LoadWordChars();
  LoadKeywords();
  return 0;
}

void CEditTextBuffer::LoadWordChars() {
  m_extraWordChars.fill(0);
  m_terminatorChars.fill(0);
  m_startChars.fill(0);
  if (m_profileSection.empty()) return;
  auto fill = [&](const char* key, std::array<uint8_t, 256>& table) {
    std::string chars = ProfileString(key, "").substr(0, 255);
    for (char c : chars) table[static_cast<unsigned char>(c)] = 1;
  };
  fill("Extra word chars", m_extraWordChars);
  fill("Terminator chars", m_terminatorChars);
  fill("Start chars", m_startChars);
}

int CEditTextBuffer::KeywordHash(const char* name, int n) {
  uint32_t h = 0;
  for (int i = 0; i < std::min(n, kMaxWord); ++i)
    h = h * 33 + uint32_t(int32_t(int8_t(name[i])));
  return int(h & (kKeywordSlots - 1));
}

void CEditTextBuffer::FillKeywordTable(const std::vector<std::string>& names) {
  if (!m_keywords) m_keywords = std::make_unique<EditKeyword[]>(kKeywordSlots);
  int used = 0;
  for (const std::string& raw : names) {
    if (raw.empty() || raw.size() >= sizeof(EditKeyword::name)) continue;
    // One slot always stays free so that every look-up ends.
    if (used >= kKeywordSlots - 1) break;
    std::string name = m_bCaseSensitive ? raw : Upper(raw);
    int slot = KeywordHash(name.data(), int(name.size()));
    bool duplicate = false;
    while (m_keywords[size_t(slot)].name[0]) {
      if (name == m_keywords[size_t(slot)].name) {
        duplicate = true;
        break;
      }
      slot = (slot + 1) & (kKeywordSlots - 1);
    }
    if (duplicate) continue;
    EditKeyword& k = m_keywords[size_t(slot)];
    std::memcpy(k.name, name.data(), name.size());
    k.length = int32_t(name.size());
    k.value = -1;
    ++used;
  }
}

int CEditTextBuffer::LoadKeywords() {
  m_keywords.reset();
  std::vector<std::string> names;
  if (m_env.pIni) {
    names = m_env.pIni->KeyNames(m_keywordFile, "Keywords");
    if (names.empty()) {
      std::string base = BaseName(m_keywordFile);
      names = m_env.pIni->KeyNames(m_keywordFile, base);
      if (!names.empty()) m_keywordSection = base;
    }
  }
  if (names.empty()) {
    m_bColouring = 0;
    return 0;
  }
  FillKeywordTable(names);
  return 1;
}

void CEditTextBuffer::GetKeywordColour(const std::string& name) {
  if (!m_env.pIni) return;
  std::string value = m_env.pIni->GetString(m_keywordFile, m_keywordSection, name, "1");
  std::string entry = m_env.pIni->GetString(m_keywordFile, "Colors", value, kNoColour);
  if (entry != kNoColour) m_crKeyword = ParseColour(entry);
}

bool CEditTextBuffer::IsWordChar(uint8_t ch) const {
  return std::isalnum(ch) || m_extraWordChars[ch] || ch == '_';
}

int CEditTextBuffer::NextWord(const char* text, int n, int* pLength) const {
  *pLength = 0;
  // The length rule looks at the whole text; a one-letter word before the
  // line end ("A\r\n") is still a word.
  if (n < 2) return -1;
  std::string_view le = GetLineEnd();
  if (n >= int(le.size()) && std::string_view(text, size_t(n)).ends_with(le)) n -= int(le.size());
  int i = 0;
  while (i < n && !IsWordChar(uint8_t(text[i]))) ++i;
  if (i >= n) return -1;
  int j = i;
  while (j < n) {
    uint8_t c = uint8_t(text[j]);
    if (m_terminatorChars[c]) {
      ++j;
      break;
    }
    if (j > i && m_startChars[c]) break;
    if (!IsWordChar(c)) break;
    ++j;
  }
  *pLength = j - i;
  return i;
}

int CEditTextBuffer::FindNextKeyword(std::string_view text, int* pFrom, int* pStart, int* pEnd) {
  if (!m_keywords && !LoadKeywords()) return 0;
  int from = std::max(*pFrom, 0);
  while (from < int(text.size())) {
    int len = 0;
    int w = NextWord(text.data() + from, int(text.size()) - from, &len);
    if (w < 0 || len <= 0) return 0;
    int start = from + w;
    std::string word(text.substr(size_t(start), size_t(std::min(len, kMaxWord))));
    if (!m_bCaseSensitive) word = Upper(word);
    bool found = false;
    if (len < 23) {
      int slot = KeywordHash(word.data(), int(word.size()));
      while (m_keywords[size_t(slot)].name[0]) {
        if (word == m_keywords[size_t(slot)].name) {
          found = true;
          break;
        }
        slot = (slot + 1) & (kKeywordSlots - 1);
      }
    } else if (m_env.pIni) {
      auto doc = m_env.pIni->Load(m_keywordFile);
      if (doc && doc->HasKey(m_keywordSection, word)) {
        found = true;
        GetKeywordColour(word);
      }
    }
    if (found) {
      *pStart = start;
      *pEnd = start + len;
      *pFrom = start;
      return 1;
    }
    from = start + len;
  }
  return 0;
}

bool CEditTextBuffer::IsInQuote(std::string_view text, int position) {
  int count = 0;
  for (int i = 0; i < position && i < int(text.size()); ++i) {
    if (!IsQuote(text[size_t(i)])) continue;
    if (count > 0 && i > 0 && text[size_t(i) - 1] == '\\') continue;
    ++count;
  }
  if (count % 2 == 0) return false;
  // Odd: inside only when the string is closed later on; an unterminated
  // quote does not hide what follows.
  for (int i = std::max(position, 0); i < int(text.size()); ++i)
    if (IsQuote(text[size_t(i)]) && !(i > 0 && text[size_t(i) - 1] == '\\')) return true;
  return false;
}

int CEditTextBuffer::FindText(std::string_view pattern, const char* text, int n) const {
  if (pattern.empty() || int(pattern.size()) > n) return -1;
  if (m_bCaseSensitive) return FindFirst(pattern, text, n);
  std::string p = Upper(pattern);
  std::string t = Upper(std::string_view(text, size_t(n)));
  return FindFirst(p, t.data(), n);
}

int CEditTextBuffer::FindLastOccurrence(std::string_view pattern, const char* text, int n) const {
  if (pattern.empty() || int(pattern.size()) > n) return -1;
  if (m_bCaseSensitive) return FindLast(pattern, text, n);
  std::string p = Upper(pattern);
  std::string t = Upper(std::string_view(text, size_t(n)));
  return FindLast(p, t.data(), n);
}

// The first occurrence at or after `from` that is not inside quotes: an
// opener within a string must not hide a real one later on the line.
int CEditTextBuffer::FindOutsideQuotes(std::string_view pattern, const char* text, int n,
                                       int from) const {
  std::string_view all(text, size_t(n));
  while (from <= n) {
    int at = FindText(pattern, text + from, n - from);
    if (at < 0) return -1;
    at += from;
    if (!IsInQuote(all, at)) return at;
    from = at + 1;
  }
  return -1;
}

int CEditTextBuffer::FindCommentStart(const char* text, int n, int* pKind) {
  int p1 = m_open1.empty() ? -1 : FindOutsideQuotes(m_open1, text, n, 0);
  int p2 = m_open2.empty() ? -1 : FindOutsideQuotes(m_open2, text, n, 0);
  if (p1 >= 0 && (p2 < 0 || p1 < p2)) {
    *pKind = 1;
    return p1;
  }
  if (p2 >= 0) {
    *pKind = 2;
    return p2;
  }
  return -1;
}

int CEditTextBuffer::FindCommentEnd(const char* text, int n, int kind) {
  const std::string& closer = CommentCloser(kind);
  if (closer.empty()) {
    m_bCommentContinues = 0;
    return n;
  }
  int at = int(closer.size()) > n ? -1 : FindText(closer, text, n);
  if (at >= 0 && kind == 2 && IsInQuote(std::string_view(text, size_t(n)), at)) at = -1;
  if (at < 0) {
    m_bCommentContinues = 1;
    return n;
  }
  m_bCommentContinues = 0;
  return at + int(closer.size());
}

int CEditTextBuffer::IsInBlockComment(const CEditLine* pLine, std::string_view opener,
                                      std::string_view closer, std::string_view lineOpener) {
  if (opener.empty() || closer.empty() || !pLine) return 0;
  for (const CEditLine* p = pLine->m_pPrev; p; p = p->m_pPrev) {
    if (p->m_text.empty()) return 0;
    const char* text = p->Text();
    int n = ContentLength(p);
    std::string_view all(text, size_t(n));
    // The last opener outside quotes and before any line comment.
    int lineComment = lineOpener.empty() ? -1 : FindOutsideQuotes(lineOpener, text, n, 0);
    int limit = lineComment >= 0 ? lineComment : n;
    int at = -1;
    while (limit > 0) {
      int cand = FindLastOccurrence(opener, text, limit);
      if (cand < 0) break;
      if (!IsInQuote(all, cand)) {
        at = cand;
        break;
      }
      limit = cand + int(opener.size()) - 1;
    }
    if (at < 0) {
      if (!p->m_pPrev) return 0;
      continue;
    }
    int from = at + int(opener.size());
    if (FindOutsideQuotes(closer, text, n, from) >= 0) return 0;
    for (const CEditLine* q = p->m_pNext; q && q != pLine; q = q->m_pNext) {
      if (q->m_text.empty()) return 0;
      if (FindOutsideQuotes(closer, q->Text(), ContentLength(q), 0) >= 0) return 0;
    }
    return 1;
  }
  return 0;
}

int CEditTextBuffer::FindCommentKind(const CEditLine* pLine, int* pKind) {
  if (IsInBlockComment(pLine, m_open1, m_close1, m_close2.empty() ? m_open2 : std::string())) {
    *pKind = 1;
    return 1;
  }
  if (IsInBlockComment(pLine, m_open2, m_close2, m_close1.empty() ? m_open1 : std::string())) {
    *pKind = 2;
    return 1;
  }
  return 0;
}

}  // namespace pm2
