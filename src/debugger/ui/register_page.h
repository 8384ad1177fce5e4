// The register page of the project window: the driver's register set as a
// two-column tree (groups, registers, a composite register's fields),
// refreshed when the target stops; a register's value is edited in place
// (F2 or a double click on it) and handed to the driver.
#pragma once

#include <functional>
#include <vector>

#include "debugger/session/register_set_model.h"
#include "toolkit/controls/tree_ctrl.h"

namespace pm2 {

class RegisterPage : public SECTreeCtrl {
 public:
  static constexpr unsigned kPageId = 38003, kTreeId = 38004;
  // sessionActive: whether a session runs; evaluate: a typed value through
  // the driver's expression evaluation (false: refused); beep: a refusal.
  RegisterPage(std::function<bool()> sessionActive, std::function<bool(const std::string&, uint64_t*)> evaluate,
               std::function<void()> beep, QWidget* parent = nullptr);

  void SetRegisterSet(const RegisterSet* set);
  // The refresh pass with a mode (0x80000000 all).
  void UpdateAll();
  // The refresh pass that highlights one register item (a disassembly
  // line that refers to it).
  void UpdateItems(uint32_t item);
  const RegisterSetModel& Model() const { return m_model; }
  // Starts the edit of a row's value; false (after a beep) when refused.
  bool EditValue(int modelRow);
  // After a value went to the driver: whether the register asks for the
  // disassembly window to refresh too. The frame refreshes its windows.
  std::function<void(bool refreshDisassembly)> valueSet;

 protected:
  NotifyResult NotifyBeginLabelEdit(int item, int subItem) override;
  NotifyResult NotifyEndLabelEdit(int item, int subItem, std::string* text, bool commit) override;
  void OnKeyEditLabel(int focus) override;
  NotifyResult NotifyItemExpanded(TreeNode* node, unsigned code) override;
  // F2 is the page's own while it has the focus, before the frame's key.
  bool event(QEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  void PickItemColors(SECListPaintContext& ctx) override;
  void PickItemFont(SECListPaintContext& ctx) override;
  void mouseDoubleClickEvent(QMouseEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;

 private:
  int ModelRowOfListRow(int listRow);
  void FillValues(const std::vector<int>& rows);

  RegisterSetModel m_model;
  std::vector<HTREEITEM> m_items;  // by model row
  std::function<bool()> m_sessionActive;
  std::function<bool(const std::string&, uint64_t*)> m_evaluate;
  std::function<void()> m_beep;
  bool m_evaluating = false;
};

}  // namespace pm2
