// The tool box: an update-windows button and up to 16 user buttons, each
// a label and a debugger command the driver defined (IDE services 32 and
// 33); a click runs the command.
#pragma once

#include <QWidget>
#include <functional>
#include <vector>

#include "debugger/dialogs/dialog_context.h"
#include "debugger/model/tool_box_buttons.h"

class QLabel;
class QPushButton;

namespace pm2 {

class ToolBox : public QWidget {
 public:
  ToolBox(DebugDialogContext ctx, const std::vector<ToolButton>& buttons, QWidget* parent = nullptr);

  int AddButton(const std::string& label, const std::string& command);
  int RemoveButton(uint32_t n);
  const ToolBoxButtons& Buttons() const { return m_buttons; }
  QPushButton* UpdateButton() const { return m_update; }
  QPushButton* Button(int slot) const { return m_slots[std::size_t(slot)]; }
  void Click(int slot);
  void ClickUpdate();
  // Sizes the box to its buttons and shows the occupied ones.
  void Layout();
  // The box is being closed (its title bar's button, or a close of the
  // window): the buttons it holds, for the next time it opens.
  std::function<void(const ToolBoxButtons&)> closing;

 protected:
  void closeEvent(QCloseEvent* e) override;

 private:
  DebugDialogContext m_ctx;
  ToolBoxButtons m_buttons;
  QPushButton* m_update;
  std::vector<QPushButton*> m_slots;
  std::vector<QLabel*> m_numbers;
};

}  // namespace pm2
