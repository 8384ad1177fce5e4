#include "editor/text/line_search.h"

#include <algorithm>
#include <cctype>

#include "editor/text/text_buffer.h"

namespace pm2 {

namespace {
void LowerInPlace(std::string& s) {
  for (char& c : s) c = char(std::tolower(static_cast<unsigned char>(c)));
}
}  // namespace

bool LineSearch::Prepare(const SearchRequest& request) {
  m_matchCase = request.nFlags & kSearchMatchCase;
  m_regex = request.nFlags & kSearchRegex;
  m_pattern = request.pattern;
  m_replacement = request.replacement;
  if (m_pattern.empty()) return false;
  if (!m_matchCase) LowerInPlace(m_pattern);
  m_re.reset();
  if (m_regex) {
    m_re = std::make_unique<CEditRegExp>();
    if (!m_re->Compile(m_pattern.c_str())) return false;
  }
  return true;
}

std::string_view LineSearch::Fold(std::string_view line) {
  if (m_matchCase) return line;
  m_folded.assign(line);
  LowerInPlace(m_folded);
  return m_folded;
}

int LineSearch::Forward(std::string_view line, int from, int to, int* pLength, std::string* pSubstituted) {
  to = std::clamp(to, 0, int(line.size()));
  from = std::clamp(from, 0, to);
  if (!m_regex) {
    std::string_view text = Fold(line.substr(0, size_t(to)));
    size_t at = text.find(m_pattern, size_t(from));
    if (at == std::string_view::npos) return -1;
    *pLength = int(m_pattern.size());
    return int(at);
  }
  // The expression sees the line from its start, so "^" matches only there
  // and not at the search point or after an earlier match.
  std::string_view source = line.substr(0, size_t(to));
  std::string_view text = Fold(source);
  int at = m_re->Exec(text, size_t(from));
  if (at < 0) return -1;
  *pLength = int(m_re->MatchText().size());
  // Groups come from the line as it stands, not from a case-folded copy.
  if (pSubstituted) *pSubstituted = m_re->Substitute(m_replacement.c_str(), source).value_or(std::string());
  return at;
}

int LineSearch::Backward(std::string_view line, int from, int to, int* pLength, std::string* pSubstituted) {
  to = std::clamp(to, 0, int(line.size()));
  from = std::clamp(from, 0, to);
  if (!m_regex) {
    std::string_view text = Fold(line.substr(0, size_t(to)));
    if (int(text.size()) - from < int(m_pattern.size())) return -1;
    size_t at = text.rfind(m_pattern);
    if (at == std::string_view::npos || int(at) < from) return -1;
    *pLength = int(m_pattern.size());
    return int(at);
  }
  // The last match: search again one character after each match while
  // matches still start within the range.
  int at = -1;
  for (int s = from; s <= to;) {
    int length = 0;
    int m = Forward(line, s, to, &length, nullptr);
    if (m < 0) break;
    at = m;
    s = m + 1;
  }
  if (at >= 0) Forward(line, at, to, pLength, pSubstituted);
  return at;
}

}  // namespace pm2
