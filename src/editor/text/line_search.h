// One search prepared once and run line by line: the pattern folded for a
// search without match case, the expression compiled once. Search, Replace
// All and Mark All use it so that a pass over the text costs the text's
// length, not a preparation per match.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "editor/text/regexp.h"

namespace pm2 {

struct SearchRequest;

class LineSearch {
 public:
  // False when a regular expression does not compile or the pattern is
  // empty.
  bool Prepare(const SearchRequest& request);
  // The first match in line[from, to) (a line's content, without its line
  // end), or -1; "^" still means the line's start. *pLength gets the
  // match's length; pSubstituted (when given) the replacement template
  // substituted with the line's own bytes for a regular expression.
  int Forward(std::string_view line, int from, int to, int* pLength, std::string* pSubstituted);
  // The last match that starts in [from, to), or -1.
  int Backward(std::string_view line, int from, int to, int* pLength, std::string* pSubstituted);

 private:
  std::string_view Fold(std::string_view line);

  bool m_matchCase = false;
  bool m_regex = false;
  std::string m_pattern;
  std::string m_replacement;
  std::string m_folded;  // reused buffer
  std::unique_ptr<CEditRegExp> m_re;
};

}  // namespace pm2
