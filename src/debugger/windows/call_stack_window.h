// The "Call Stack" page of the debug bar: one row per active call,
// innermost first, the called function and the calling place; a double
// click shows the calling place in the source.
#pragma once

#include <functional>
#include <vector>

#include "debugger/model/call_stack_fill.h"
#include "toolkit/controls/tree_ctrl.h"

namespace pm2 {

class CallStackWindow : public SECTreeCtrl {
  Q_OBJECT
 public:
  static constexpr unsigned kTreeId = 367;
  // showSource: IDE service 21 (an address's source; false when none);
  // askDriver: has the driver bring its call stack up to date (the
  // session's, which then knows the stack is the stop's; empty: DbgControl
  // 0x1001 on the record).
  CallStackWindow(DebugInterface* const* record, std::function<bool(uint32_t)> showSource,
                  std::function<void()> beep, std::function<void()> askDriver = nullptr, QWidget* parent = nullptr);

  // Asks the driver for its call stack and shows it.
  void Refresh();
  void Clear();
  const std::vector<CallStackRow>& Rows() const { return m_rows; }
  // The double click's action on a row; false (after a beep) when the row
  // has no calling place.
  bool ShowCallingPlace(int row);

 protected:
  void mouseDoubleClickEvent(QMouseEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;

 private:
  void Show();

  DebugInterface* const* m_record;
  std::function<bool(uint32_t)> m_showSource;
  std::function<void()> m_beep;
  std::function<void()> m_askDriver;
  std::vector<CallStackRow> m_rows;
};

}  // namespace pm2
