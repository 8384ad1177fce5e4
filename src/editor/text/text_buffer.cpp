#include "editor/text/text_buffer.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <algorithm>

#include "platform/settings_store.h"

namespace pm2 {

std::string_view LineEndBytes(int mode) {
  static constexpr std::string_view kBytes[] = {"\r\n", "\n\r", "\n", "\r"};
  if (mode < 0 || mode > 3) return {};
  return kBytes[mode];
}

CEditTextBuffer::CEditTextBuffer(EditEnvironment env) : m_env(std::move(env)) {
  Init();
  m_bBlankPadding = 0;
}

CEditTextBuffer::~CEditTextBuffer() {
  Clear();
  CloseKeptHandle();
}

void CEditTextBuffer::Init() {
  FreeLanguageData();
  if (m_pFirstLine) FreeEditLineList(m_pFirstLine);
  m_pFirstLine = NewEditLine(64);
  m_undo.assign(kUndoSlots, CEditUndoRecord{});
  SetModified(0);
  SetReadOnly(0);
  CloseKeptHandle();
  ResetUndo();
  m_pCursor = nullptr;
  Renumber();
  ++m_nRemovedSerial;
  NoteChange(1);
  ClearProfileSection();
  LoadSettings();
  SetLineEndMode(ProfileInt("Line end", 0));
}

void CEditTextBuffer::Clear() {
  if (m_pFirstLine) FreeEditLineList(m_pFirstLine);
  m_pFirstLine = nullptr;
  m_pNumbered = m_pCursor = nullptr;
  m_nNumbered = 0;
  m_listChanges.clear();
  ++m_nGeneration;
  ++m_nRemovedSerial;
  FreeUndo();
  m_undo.clear();
  FreeLanguageData();
}

void CEditTextBuffer::SetLineEndMode(int mode) {
  std::string_view bytes = LineEndBytes(mode);
  m_nLineEndMode = mode;
  if (bytes.empty()) return;
  m_nLineEndLength = static_cast<int>(bytes.size());
  m_szLineEnd[0] = bytes[0];
  m_szLineEnd[1] = bytes.size() > 1 ? bytes[1] : 0;
  m_szLineEnd[2] = 0;
}

void CEditTextBuffer::ShowMessage(int id, const std::string& text) {
  if (m_env.pMessages) m_env.pMessages->ShowMessage(id, text);
}

std::string CEditTextBuffer::ProfileString(const std::string& key, const std::string& def) {
  if (!m_env.pSettings || m_profileSection.empty()) return def;
  return m_env.pSettings->GetProfileString(m_profileSection, key, def);
}

int CEditTextBuffer::ProfileInt(const std::string& key, int def) {
  if (!m_env.pSettings || m_profileSection.empty()) return def;
  return m_env.pSettings->GetProfileInt(m_profileSection, key, def);
}

void CEditTextBuffer::CloseKeptHandle() {
  if (m_keptFd >= 0) ::close(m_keptFd);
  m_keptFd = -1;
}

// ---- lines ----

bool CEditTextBuffer::NumberIsTrue(const CEditLine* pLine) const {
  if (pLine->m_nNumberStamp == m_nGeneration) return true;
  // The lowest change since the number was set: the first recorded change
  // of a later generation (the lines rise with the generations).
  auto it = std::upper_bound(m_listChanges.begin(), m_listChanges.end(), pLine->m_nNumberStamp,
                             [](uint64_t g, const std::pair<uint64_t, int>& c) { return g < c.first; });
  if (it != m_listChanges.end() && pLine->m_nLine > it->second) return false;
  const_cast<CEditLine*>(pLine)->m_nNumberStamp = m_nGeneration;
  return true;
}

CEditLine* CEditTextBuffer::NumberOnTo(const CEditLine* pLine, int n) const {
  if (!m_pNumbered) {
    m_pNumbered = m_pFirstLine;
    m_nNumbered = m_pFirstLine->m_nLine = 1;
    m_pFirstLine->m_nNumberStamp = m_nGeneration;
  }
  CEditLine* q = m_pNumbered;
  int k = m_nNumbered;
  while (q != pLine && (n <= 0 || k < n) && q->m_pNext) {
    q = q->m_pNext;
    q->m_nLine = ++k;
    q->m_nNumberStamp = m_nGeneration;
  }
  m_pNumbered = q;
  m_nNumbered = k;
  return q;
}

CEditLine* CEditTextBuffer::GetLine(int n) const {
  if (!m_pFirstLine) return nullptr;
  if (n <= 0 || n > m_nLineCount) n = m_nLineCount;
  if (!m_pNumbered || n > m_nNumbered) return m_pCursor = NumberOnTo(nullptr, n);
  // Within the numbered lines: from whichever known line lies nearest.
  CEditLine* q = m_pFirstLine;
  int k = 1;
  auto consider = [&](CEditLine* c) {
    if (c && NumberIsTrue(c) && std::abs(c->m_nLine - n) < std::abs(k - n)) {
      q = c;
      k = c->m_nLine;
    }
  };
  consider(m_pNumbered);
  consider(m_pCursor);
  while (k < n && q->m_pNext) {
    q = q->m_pNext;
    ++k;
  }
  while (k > n && q->m_pPrev) {
    q = q->m_pPrev;
    --k;
  }
  return m_pCursor = q;
}

int CEditTextBuffer::LineNumber(const CEditLine* pLine) const {
  if (!pLine) return 0;
  if (m_pNumbered && NumberIsTrue(pLine)) return pLine->m_nLine;
  NumberOnTo(pLine, 0);
  return pLine->m_nLine;
}

void CEditTextBuffer::NumbersChangedAfter(CEditLine* pLine) {
  int n = pLine->m_nLine;  // true: every caller has asked for it
  ++m_nGeneration;
  while (!m_listChanges.empty() && m_listChanges.back().second >= n) m_listChanges.pop_back();
  m_listChanges.emplace_back(m_nGeneration, n);
  pLine->m_nNumberStamp = m_nGeneration;
  if (!m_pNumbered || n < m_nNumbered) {
    m_pNumbered = pLine;
    m_nNumbered = n;
  } else {
    m_pNumbered->m_nNumberStamp = m_nGeneration;
  }
  // Many changes at rising lines: one full numbering folds them all.
  if (m_listChanges.size() > 4096) Renumber();
}

void CEditTextBuffer::NoteChange(int lineNumber) {
  ++m_nEditSerial;
  m_changes[size_t(m_nEditSerial % kChangeRing)] = {m_nEditSerial, std::max(lineNumber, 1)};
}

int CEditTextBuffer::LowestChangeSince(uint64_t serial) const {
  if (serial >= m_nEditSerial) return 0;
  if (m_nEditSerial - serial > uint64_t(kChangeRing)) return 1;
  int lowest = 0;
  for (uint64_t s = serial + 1; s <= m_nEditSerial; ++s) {
    const auto& c = m_changes[size_t(s % kChangeRing)];
    if (lowest == 0 || c.second < lowest) lowest = c.second;
  }
  return lowest;
}

int CEditTextBuffer::Renumber() {
  ++m_nGeneration;
  m_listChanges.clear();
  int n = 0;
  CEditLine* pLast = nullptr;
  for (CEditLine* p = m_pFirstLine; p; p = p->m_pNext) {
    p->m_nLine = ++n;
    p->m_nNumberStamp = m_nGeneration;
    pLast = p;
  }
  m_nLineCount = n;
  m_pNumbered = pLast;
  m_nNumbered = n;
  return m_nLineCount;
}

void CEditTextBuffer::SetFirstLine(CEditLine* pList) {
  m_pFirstLine = pList;
  m_pCursor = nullptr;
  ++m_nRemovedSerial;
  Renumber();
  NoteChange(1);
}

std::string CEditTextBuffer::GetText() const {
  std::string all;
  for (const CEditLine* p = m_pFirstLine; p; p = p->m_pNext) all += p->m_text;
  return all;
}


// ---- columns ----

namespace {
int TabWidth(int column, int tabSize) {
  if (tabSize <= 0) return 1;
  return tabSize - column % tabSize;
}
}  // namespace

int CEditTextBuffer::TextColumns(const char* text, int n) const {
  int col = 0;
  for (int i = 0; i < n; ++i) col += text[i] == '\t' ? TabWidth(col, m_nTabSize) : 1;
  return col;
}

int CEditTextBuffer::ColumnToIndex(const CEditLine* pLine, int column) const {
  if (column < 0) return 0;
  if (!pLine || pLine->m_text.empty()) return column;
  int content = ContentLength(pLine);
  int col = 0;
  for (int i = 0; i < content; ++i) {
    int w = pLine->m_text[size_t(i)] == '\t' ? TabWidth(col, m_nTabSize) : 1;
    if (column < col + w) return i;
    col += w;
  }
  return content + (column - col);
}

int CEditTextBuffer::IndexToColumn(const CEditLine* pLine, int index) const {
  if (!pLine || pLine->m_text.empty()) return index;
  int content = ContentLength(pLine);
  if (index <= content) return TextColumns(pLine->Text(), index);
  return TextColumns(pLine->Text(), content) + (index - content);
}

int CEditTextBuffer::CharsWithinLineLimit(const char* text, int n) const {
  int limit = kMaxLineColumns - m_nLineEndLength;
  int col = 0;
  int i = 0;
  for (; i < n; ++i) {
    int w = text[i] == '\t' ? TabWidth(col, m_nTabSize) : 1;
    if (col + w > limit) break;
    col += w;
  }
  return i;
}

std::string CEditTextBuffer::ExpandTabs(const char* text, int n, int lineEndLength) const {
  std::string out;
  out.reserve(size_t(n));
  int col = 0;
  for (int i = 0; i < n; ++i) {
    char c = text[i];
    if (c == '\t') {
      int w = TabWidth(col, m_nTabSize);
      out.append(size_t(w), ' ');
      col += w;
    } else if (c == '\r' || c == '\n') {
      int run = lineEndLength < 1 ? 1 : lineEndLength;
      for (int k = 0; k < run && i < n; ++k, ++i) out += text[i];
      --i;
      col = 0;
    } else {
      out += c;
      ++col;
    }
  }
  return out;
}

bool CEditTextBuffer::IsPositionBefore(const EditPos& a, const EditPos& b) const {
  if (a.pLine == b.pLine) return a.nIndex <= b.nIndex;
  if (!a.pLine || !b.pLine) return false;
  return LineNumber(a.pLine) < LineNumber(b.pLine);
}

// ---- splitting and line ends ----

int CEditTextBuffer::DetectLineEnd(const char* text, int n) {
  for (int i = 0; i < n; ++i) {
    if (text[i] == '\r') return (i + 1 < n && text[i + 1] == '\n') ? kLineEndCrLf : kLineEndCr;
    if (text[i] == '\n') return (i + 1 < n && text[i + 1] == '\r') ? kLineEndLfCr : kLineEndLf;
  }
  return -1;
}

int CEditTextBuffer::ConvertLineEnds(std::string& text, int mode) {
  std::string_view target = LineEndBytes(mode);
  int source = DetectLineEnd(text.data(), int(text.size()));
  if (source < 0 || target.empty()) return int(text.size());
  // Every CR or LF starts a line end; a two-byte end swallows its partner
  // only when the partner is the other byte, so a stray CR or LF in a
  // mixed text becomes one line end of its own instead of eating the next.
  size_t srcLen = LineEndBytes(source).size();
  std::string out;
  out.reserve(text.size() + text.size() / 8 + 16);
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c != '\r' && c != '\n') {
      out += c;
      continue;
    }
    out.append(target);
    char partner = c == '\r' ? '\n' : '\r';
    if (srcLen == 2 && i + 1 < text.size() && text[i + 1] == partner) ++i;
  }
  text.swap(out);
  return int(text.size());
}

CEditLine* CEditTextBuffer::TextToLines(const char* text, int n, int* pCount) {
  if (pCount) *pCount = 0;
  if (!text || n <= 0) return nullptr;
  CEditLine* pFirst = nullptr;
  CEditLine* pLast = nullptr;
  int count = 0;
  bool reported = false;
  auto append = [&](const char* p, int len, bool lineEnd) {
    CEditLine* pLine = NewEditLine(len + m_nLineEndLength + 1);
    pLine->m_nLine = count + 1;
    pLine->m_text.assign(p, size_t(len));
    if (lineEnd) pLine->m_text.append(GetLineEnd());
    if (pLast) {
      pLast->m_pNext = pLine;
      pLine->m_pPrev = pLast;
    } else {
      pFirst = pLine;
    }
    pLast = pLine;
    ++count;
  };
  // A piece wider than the limit is cut; every cut piece but the last goes
  // without line end, so the saved file keeps the long line whole.
  auto emit = [&](const char* p, int len, bool lineEnd) {
    // 64-bit product: a large tab size from the profile must not wrap.
    // Only the piece's first limit's worth is measured, so a long line is
    // cut in one pass over it.
    while (len > 0 && int64_t(m_nTabSize) * len > kMaxLineColumns) {
      int keep = CharsWithinLineLimit(p, len);
      if (keep >= len) break;
      if (keep <= 0) keep = 1;
      if (!reported) {
        char msg[160];
        std::snprintf(msg, sizeof msg, EditStatusText(kEditMsgLinesCut), kMaxLineColumns);
        ShowMessage(kEditMsgLinesCut, msg);
        reported = true;
      }
      append(p, keep, false);
      p += keep;
      len -= keep;
    }
    if (len > 0 || lineEnd || count == 0) append(p, len, lineEnd);
  };
  int pos = 0;
  while (pos < n) {
    int e = pos;
    while (e < n && text[e] != '\r' && text[e] != '\n') ++e;
    if (e == n) {
      emit(text + pos, n - pos, false);
      break;
    }
    // A two-byte line end swallows only its partner byte: a stray CR or LF
    // of a mixed file ends a line of its own instead of eating the next
    // (empty) line. A final lone CR or LF also ends its line, since a
    // line's content never holds line-end bytes.
    emit(text + pos, e - pos, true);
    char partner = text[e] == '\r' ? '\n' : '\r';
    pos = e + 1;
    if (m_nLineEndLength == 2 && pos < n && text[pos] == partner) ++pos;
  }
  if (pCount) *pCount = count;
  return pFirst;
}

}  // namespace pm2
