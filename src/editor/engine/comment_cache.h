// The block-comment state at the start of every line, computed once in line
// order and kept until an edit, so that painting a row deep in a long file
// does not walk back over all the lines above it for every row.
#pragma once

#include <cstdint>
#include <vector>

namespace pm2 {

class CEditTextBuffer;
struct CEditLine;

class CommentCache {
 public:
  // The state at the start of line n (1-based): 0 outside a block comment,
  // else the comment kind still open. Lines up to n are scanned as needed.
  int CarryAt(CEditTextBuffer& buf, const CEditLine* pLine);
  // Lines from n on changed.
  void InvalidateFrom(int lineNumber);
  void Clear() { m_carry.clear(); }
  // The number of line starts known (for tests).
  int Known() const { return int(m_carry.size()); }

  // The state at the end of one line given the state at its start, by the
  // same comment rules the line painting uses.
  static int CarryAfter(CEditTextBuffer& buf, const CEditLine* pLine, int carryIn);

 private:
  // m_carry[i] is the state at the start of line i + 1.
  std::vector<int8_t> m_carry;
};

}  // namespace pm2
