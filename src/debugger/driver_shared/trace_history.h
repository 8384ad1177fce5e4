// The execution history as lines of the disassembly listing: one trace
// line (kind 35) per executed instruction, oldest first, each preceded by
// its source line (kind 37) where the source line changes. The last entry
// is where the program stands; it carries the PC state.
//
// Line fields: `line` is the history index (it drives the scroll bar),
// `item` the ordering key (index + 1; 0 marks the request for the end of
// the history), `own12` the history's generation: a line of an older
// history answers the end marker.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "driver_abi/debug_interface.h"

namespace pm2 {

// What the listing knows about an executed address.
struct TraceStep {
  std::string instruction;  // "" when it cannot be disassembled
  std::string file;         // "" without a source line
  int line = 0;
  std::string sourceText;
};

class TraceHistory {
 public:
  using Describe = std::function<TraceStep(uint32_t address)>;
  // The descriptor's words; the ninth holds the number of entries.
  static constexpr int kDescriptorWords = 12;
  static constexpr int kCountWord = 8;

  explicit TraceHistory(Describe describe) : m_describe(std::move(describe)) {}

  // A new history (oldest first); descriptions of the old one are kept
  // (the program text is the same).
  void Set(std::vector<uint32_t> addresses);
  // Forget the program's descriptions too (a new program was loaded).
  void Forget();
  uint32_t Count() const { return uint32_t(m_entries.size()); }
  // The descriptor, or null when there is no history.
  const uint32_t* Descriptor() const { return m_entries.empty() ? nullptr : m_descriptor; }

  static bool IsTraceLine(const DisasmLine& l) { return l.kind >= kDisasmTrace1 && l.kind <= kDisasmTrace3; }

  void Next(DisasmLine* l);
  void Prev(DisasmLine* l);
  void Refresh(DisasmLine* l) const;
  std::string Text(const DisasmLine& l);

 private:
  const TraceStep& Step(uint32_t index);
  // Whether the entry starts another source line than the one before it.
  bool NewSourceLine(uint32_t index);
  void SetLine(DisasmLine* l, uint32_t index, uint16_t kind) const;
  static void SetEnd(DisasmLine* l);

  Describe m_describe;
  std::vector<uint32_t> m_entries;
  std::map<uint32_t, TraceStep> m_steps;  // by address, asked once each
  uint32_t m_generation = 1;
  uint32_t m_descriptor[kDescriptorWords] = {};
};

}  // namespace pm2
