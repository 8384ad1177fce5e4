// Forward and backward search through the line list, plain or by regular
// expression, one line at a time; the search does not wrap.
#include <algorithm>
#include <cctype>

#include "editor/text/regexp.h"
#include "editor/text/text_buffer.h"

namespace pm2 {

namespace {
void LowerInPlace(std::string& s) {
  for (char& c : s) c = char(std::tolower(static_cast<unsigned char>(c)));
}
}  // namespace

int CEditTextBuffer::FindFirst(std::string_view pattern, const char* text, int n) {
  if (pattern.empty() || n < int(pattern.size())) return -1;
  size_t at = std::string_view(text, size_t(n)).find(pattern);
  return at == std::string_view::npos ? -1 : int(at);
}

int CEditTextBuffer::FindLast(std::string_view pattern, const char* text, int n) {
  if (pattern.empty() || n < int(pattern.size())) return -1;
  size_t at = std::string_view(text, size_t(n)).rfind(pattern);
  return at == std::string_view::npos ? -1 : int(at);
}

int CEditTextBuffer::FindRegexInLine(SearchRequest& request, std::string_view text,
                                     CEditRegExp& re, int from, std::string_view original) {
  size_t cr = text.find('\r');
  if (cr != std::string_view::npos) text = text.substr(0, cr);
  int at = re.Exec(text, size_t(std::max(from, 0)));
  if (at < 0) return -1;
  request.nMatchLength = int(re.MatchText().size());
  // Groups come from the line as it stands, not from a case-folded copy.
  request.substituted = re.Substitute(request.replacement.c_str(), original).value_or(std::string());
  return at;
}

int CEditTextBuffer::Search(EditPos& pos, EditPos limit, SearchRequest& request) {
  if (!pos.pLine || request.pattern.empty()) return 0;
  bool matchCase = request.nFlags & kSearchMatchCase;
  bool forward = request.nFlags & kSearchDown;
  bool regex = request.nFlags & kSearchRegex;
  std::string pattern = request.pattern;
  if (!matchCase) LowerInPlace(pattern);
  CEditRegExp re;
  if (regex && !re.Compile(pattern.c_str())) return 0;

  // Without match case each line is folded into one reused buffer; with
  // it the line is searched where it lies. Either way a pass costs the
  // text's length, not a copy per line.
  std::string folded;
  int startIndex = std::clamp(pos.nIndex, 0, ContentLength(pos.pLine));
  for (CEditLine* pLine = pos.pLine; pLine;
       pLine = forward ? pLine->m_pNext : pLine->m_pPrev) {
    std::string_view original(pLine->m_text.data(), size_t(ContentLength(pLine)));
    std::string_view text = original;
    if (!matchCase) {
      folded.assign(original);
      LowerInPlace(folded);
      text = folded;
    }
    int from = 0;
    int to = int(text.size());
    bool first = pLine == pos.pLine;
    bool last = pLine == limit.pLine;
    if (forward) {
      if (first) from = startIndex;
      if (last) to = std::clamp(limit.nIndex, from, to);
    } else {
      if (first) to = startIndex;
      if (last && !first) from = std::clamp(limit.nIndex, 0, to);
    }
    int at = -1;
    if (!regex) {
      std::string_view seg(text.data() + from, size_t(std::max(0, to - from)));
      at = forward ? FindFirst(pattern, seg.data(), int(seg.size()))
                   : FindLast(pattern, seg.data(), int(seg.size()));
      if (at >= 0) {
        at += from;
        request.nMatchLength = int(pattern.size());
      }
    } else {
      // The expression sees the line from its start, so "^" matches only
      // there and not at the search point or after an earlier match.
      std::string_view line(text.data(), size_t(std::max(from, to)));
      std::string_view source = original.substr(0, line.size());
      if (forward) {
        at = FindRegexInLine(request, line, re, from, source);
      } else {
        // The last match: search again one character after each match
        // while matches still end within the text.
        for (int s = from; s <= int(line.size());) {
          int m = FindRegexInLine(request, line, re, s, source);
          if (m < 0) break;
          at = m;
          s = m + 1;
        }
        if (at >= 0) FindRegexInLine(request, line, re, at, source);
      }
    }
    if (at >= 0) {
      pos.pLine = pLine;
      pos.nIndex = at;
      return 1;
    }
    if (last) break;
  }
  return 0;
}

}  // namespace pm2
