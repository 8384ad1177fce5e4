// The watch model of one variable window (Locals, Watch #1, Watch #2)
// without a window: its rows, the placeholder of a watch window, the locals
// rebuilt when the scope changes, refreshes that mark changed values,
// expansion of structs, unions, arrays and pointers, edits of names and
// values, and the window radix. Every evaluation goes through the driver's
// record (DbgControl with the watch codes, DbgAssign, DbgReadString,
// DbgFormatAddress); the model knows no target memory of its own.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "driver_abi/debug_interface.h"

namespace pm2 {

// Row flags.
enum WatchFlag : uint8_t {
  kWatchNoValue = 0x01,     // placeholder, or reset
  kWatchExpandable = 0x02,  // children not yet built
  kWatchTopLevel = 0x04,    // its name may be edited
  kWatchEditable = 0x08,    // its value may be edited
  kWatchChanged = 0x10,     // the value text changed at the last update
  kWatchFailed = 0x20,      // the expression could not be evaluated
  kWatchOutScope = 0x40,    // the symbol is out of scope
};

struct WatchItem {
  WatchItem* parent = nullptr;      // null for a top-level row
  std::vector<std::unique_ptr<WatchItem>> children;
  std::string name;                 // column 0
  std::string value;                // column 1
  std::string expression;           // what the driver evaluates (children: built from the chain)
  DbgWatchValue type{};             // the last evaluation's type fields
  uint8_t radix = 0;                // 10 or 16; other: the driver's default; 255 placeholder
  uint8_t flags = 0;                // WatchFlag bits
  bool expanded = false;            // shown open in the window
  bool placeholder = false;

  bool IsStructured() const { return type.code == kDbgTypeUnion || type.code == kDbgTypeStruct; }
};

// What the model asks of the program around it.
struct WatchEnvironment {
  std::function<void()> beep;                     // a refused key or edit
  std::function<void()> assignmentDone;           // deferred command 2048
  // A refusal's reason for the user (a row the project could not keep).
  std::function<void(const std::string&)> say;
};

class WatchModel {
 public:
  // `record` is the active driver record (read on every call; may change
  // between sessions).
  WatchModel(bool locals, DebugInterface* const* record, WatchEnvironment env = {});

  bool IsLocals() const { return m_locals; }
  const std::vector<std::unique_ptr<WatchItem>>& Rows() const { return m_rows; }
  // Rows in display order (children of expanded rows after their parent).
  std::vector<WatchItem*> VisibleRows() const;
  // Bumped whenever rows are added or removed (the window rebuilds then).
  uint64_t Structure() const { return m_structure; }
  uint8_t WindowRadix() const { return m_windowRadix; }

  // The service calls.
  void Attach();            // made current: placeholder, refresh
  void Refresh();           // re-evaluates; the locals follow the scope
  void ClearValues();       // all rows gone (codes 1, 3, 4)
  void Rebuild();           // all rows gone, a new placeholder (code 49)
  // Adds an expression as a new row before the placeholder (code 24);
  // false, with the reason said, for a text the project could not keep.
  bool AddExpression(const std::string& expression);
  // The top-level expressions (Watch #1 and #2 are saved from them).
  std::vector<std::string> Expressions() const;

  // Expansion (children built once).
  bool Expand(WatchItem* row);
  void Collapse(WatchItem* row) { if (row) row->expanded = false; }
  // Name edit: allowed on a top-level row of a watch window during a
  // session; the result of the edit (an empty text deletes the row or
  // restores the placeholder). A text the project could not keep with the
  // target's watch list is refused, the reason said: false, the row as it
  // was.
  bool MayEditName(const WatchItem* row) const;
  bool EndNameEdit(WatchItem* row, const std::string& text);
  // Value edit: an assignment through the driver; false (after a beep)
  // when refused.
  bool MayEditValue(const WatchItem* row) const;
  bool EndValueEdit(WatchItem* row, const std::string& text);
  // The assignable expression of a row (" `a.b"); false when none.
  bool AssignableExpression(const WatchItem* row, std::string* out) const;
  // Delete key on a row: top-level rows other than the placeholder.
  bool DeleteRow(WatchItem* row);
  // The radix commands on a context row's top-level row.
  void SetContextRow(WatchItem* row);
  WatchItem* ContextRow() const { return m_context; }
  void SetRadix(int radix);

 private:
  DebugInterface* Record() const { return *m_record; }
  bool Active() const;
  void AddPlaceholder();
  void Evaluate(WatchItem* row);
  void Format(WatchItem* row, const DbgWatchValue& v);
  void StoreValue(WatchItem* row, const std::string& text);
  void UpdateRow(WatchItem* row);
  void RebuildLocals(uint32_t key, const std::vector<std::string>& names);
  bool QueryLocals(uint32_t* key, std::vector<std::string>* names) const;
  void Beep() const { if (m_env.beep) m_env.beep(); }
  // Refuses (beep and reason) a row text the project could not keep.
  bool Keepable(const std::string& text) const;
  WatchItem* PlaceholderRow() const;

  bool m_locals;
  DebugInterface* const* m_record;
  WatchEnvironment m_env;
  std::vector<std::unique_ptr<WatchItem>> m_rows;
  uint64_t m_structure = 1;
  uint32_t m_lastScope = 0;
  int m_lastCount = 0;
  uint8_t m_windowRadix = 0;
  WatchItem* m_context = nullptr;
  int m_assignDepth = 0;   // no refresh while an assignment runs
};

}  // namespace pm2
