// The driver's line table of one source file, read one way by the editor's
// margin, the session's stored breakpoints and every other line look-up:
// a line's code address is its first statement address (the lowest address
// among its pairs; of a run of pairs with one address only the last
// counts), the place gdb's own "break file:line" takes; and each address
// from a pair's up to the next pair's belongs to that pair's line, so a
// breakpoint anywhere in a line's code shows on that line. A pair of line 0
// is no line: it marks where a run of the file's code ends (the end of a
// header's copy in one unit, before the code of another file), so the line
// before it does not take that other file's code.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <utility>
#include <vector>

#include "driver_abi/debug_interface.h"

namespace pm2 {

// [begin, end): end > begin.
struct CodeRange {
  uint32_t begin = 0;
  uint32_t end = 0;
};

class CodeLines {
 public:
  CodeLines() = default;
  // The table as the driver answered it (null or empty: no code lines).
  explicit CodeLines(const DbgLineTableRecord* table);

  bool Empty() const { return m_first.empty(); }
  // The line's code address; false when the line has none.
  bool Address(uint32_t line, uint32_t* address) const;
  // The same, a line without code taking the next line that has some.
  bool AddressAtOrAfter(uint32_t line, uint32_t* address) const;
  // The line's code, ascending; empty for a line without code.
  const std::vector<CodeRange>& Ranges(uint32_t line) const;
  // Every line with code and its address, by line.
  const std::map<uint32_t, uint32_t>& Lines() const { return m_first; }

 private:
  std::map<uint32_t, uint32_t> m_first;                  // line -> first statement address
  std::map<uint32_t, std::vector<CodeRange>> m_ranges;   // line -> its code
  std::vector<std::pair<uint32_t, uint32_t>> m_pairs;    // (address, line), ascending, one per address; line 0 an end
};

// The most bytes of one range a margin cell asks the driver about.
inline constexpr uint32_t kMaxLineScan = 4096;

// The state a margin cell shows for a code line (the bits of DbgBreakpoint
// op 7): the executed bits of the line's own address, and a breakpoint at
// any address of its code, enabled (bit 0) when one there is enabled, else
// disabled (bit 1). `query` is DbgBreakpoint (address, op).
uint32_t LineBreakState(uint32_t address, const std::vector<CodeRange>& ranges,
                        const std::function<uint32_t(uint32_t address, int32_t op)>& query);
// The addresses of the line's code that hold a breakpoint.
std::vector<uint32_t> LineBreakpoints(const std::vector<CodeRange>& ranges,
                                      const std::function<uint32_t(uint32_t address, int32_t op)>& query);

}  // namespace pm2
