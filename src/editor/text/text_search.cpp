// Forward and backward search through the line list, plain or by regular
// expression, one line at a time; the search does not wrap.
#include <algorithm>

#include "editor/text/line_search.h"
#include "editor/text/text_buffer.h"

namespace pm2 {

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

int CEditTextBuffer::Search(EditPos& pos, EditPos limit, SearchRequest& request) {
  if (!pos.pLine || request.pattern.empty()) return 0;
  bool forward = request.nFlags & kSearchDown;
  LineSearch search;
  if (!search.Prepare(request)) return 0;
  int startIndex = std::clamp(pos.nIndex, 0, ContentLength(pos.pLine));
  for (CEditLine* pLine = pos.pLine; pLine;
       pLine = forward ? pLine->m_pNext : pLine->m_pPrev) {
    std::string_view line(pLine->m_text.data(), size_t(ContentLength(pLine)));
    int from = 0;
    int to = int(line.size());
    bool first = pLine == pos.pLine;
    bool last = pLine == limit.pLine;
    if (forward) {
      if (first) from = startIndex;
      if (last) to = std::clamp(limit.nIndex, from, to);
    } else {
      if (first) to = startIndex;
      if (last && !first) from = std::clamp(limit.nIndex, 0, to);
    }
    int length = 0;
    int at = forward ? search.Forward(line, from, to, &length, &request.substituted)
                     : search.Backward(line, from, to, &length, &request.substituted);
    if (at >= 0) {
      request.nMatchLength = length;
      pos.pLine = pLine;
      pos.nIndex = at;
      return 1;
    }
    if (last) break;
  }
  return 0;
}

}  // namespace pm2
