// The disassembly window's line cache: exactly the lines that fit in the
// view (plus two), fetched from the driver one at a time as the view
// scrolls. Refills at an address, scrolling by lines and pages both ways,
// following the program counter, and the scroll thumb's code address.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "driver_abi/debug_interface.h"

namespace pm2 {

// The driver's line protocol.
class DisasmSource {
 public:
  virtual ~DisasmSource() = default;
  virtual void Next(DisasmLine& line) = 0;     // a kind-0 line: the first at the requested address
  virtual void Prev(DisasmLine& line) = 0;
  virtual void Refresh(DisasmLine& line) = 0;  // states in place
  virtual std::string Text(DisasmLine& line) = 0;
  virtual void Request(uint32_t address) = 0;  // the address a kind-0 line asks for
  // The address the view was filled at (the inline assembler starts there).
  virtual void Shown(uint32_t address) = 0;
};

// The protocol over a driver's record.
class RecordDisasmSource : public DisasmSource {
 public:
  // The record of the session at the time of each call (null: none).
  explicit RecordDisasmSource(std::function<DebugInterface*()> record) : m_record(std::move(record)) {}
  void Next(DisasmLine& line) override;
  void Prev(DisasmLine& line) override;
  void Refresh(DisasmLine& line) override;
  std::string Text(DisasmLine& line) override;
  void Request(uint32_t address) override;
  void Shown(uint32_t address) override;

 private:
  DebugInterface* Record() const { return m_record ? m_record() : nullptr; }
  std::function<DebugInterface*()> m_record;
};

class DisasmCache {
 public:
  static constexpr size_t kMaxText = 256;

  // `codeMask`: the bits a code address is compared by (DisasmCodeMask);
  // the bits above it are kept from the address asked for.
  DisasmCache(DisasmSource& source, uint32_t startAddress, uint32_t codeMask = 0xFFFFFF)
      : m_source(source), m_start(startAddress), m_mask(codeMask) {}

  // Visible lines (whole and partial); the cache holds two more. The first
  // line survives; a change forgets the cursor and refills.
  void Resize(int visible);
  int Visible() const { return m_visible; }
  const DisasmLine& Line(int n) const { return m_lines[size_t(n)]; }
  const std::string& Text(int n) const { return m_texts[size_t(n)]; }
  int Size() const { return int(m_lines.size()); }

  // A fill from the address, keeping the view when it is already shown.
  void Refill(uint32_t address);
  // A fill that starts n lines before the record.
  void FillBackFrom(DisasmLine record, int n);
  // The address a third of the way down (at the top for the start address).
  void ScrollToAddress(uint32_t address);
  // Shows the program counter, kept in view; pc-follow: the PC line moves
  // into the upper part of the view.
  void GotoAddress(uint32_t pc);
  // The view at the code line that holds the address; false when the
  // listing has no such line.
  bool ScrollToCodeAddress(uint32_t address);

  // false: refused (beep).
  bool LineUp();
  bool LineDown();
  bool PageUp();
  bool PageDown();

  // The recorded history: its last entry a third of the way down; false
  // when the driver has none.
  bool ShowTraceRecords();
  // The view at the history entry `index` (the trace view's scroll
  // position); false when the history has no such entry.
  bool GotoHistoryIndex(uint32_t index);
  static bool IsTrace(const DisasmLine& l) { return l.kind >= kDisasmTrace1 && l.kind <= kDisasmTrace3; }
  // The order of two lines of the listing (-1, 0, 1); history lines come
  // before the program's lines, and lines of one address or one history
  // entry in the order the driver gives them.
  int CompareRecords(const DisasmLine& a, const DisasmLine& b);

  int Cursor() const { return m_cursor; }
  void SetCursor(int n) { m_cursor = n >= 0 && n < m_visible ? n : -1; }
  // Re-reads every line's states.
  void UpdateLineStates();
  // The first line that holds the program counter, or -1.
  int PcLine() const;

 private:
  void Fetch(int slot, const DisasmLine& line);
  void FillFrom(DisasmLine record);
  static bool Ends(const DisasmLine& l) { return l.kind == kDisasmRequest || l.kind == kDisasmEnd; }

  DisasmSource& m_source;
  uint32_t m_start;
  uint32_t m_mask;
  int m_visible = 0;
  int m_cursor = -1;
  std::vector<DisasmLine> m_lines;
  std::vector<std::string> m_texts;
};

}  // namespace pm2
