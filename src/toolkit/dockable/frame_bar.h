#pragma once
// SECFrameBar: a control bar whose child is a frame window (a dockable
// frame sits in one). SECDialogBar: a control bar whose child is a dialog
// made by the application's factory from a resource id; the dialog's size
// is the bar's size in every state, and the id is kept in the bar's saved
// record so that a dock state can make the bar again.

#include <functional>

#include "toolkit/frames/control_bar.h"

namespace pm2 {

class SECFrameBar : public SECControlBar {
 public:
  std::string ClassName() const override { return "SECFrameBar"; }
  // A frame bar has no gripper of its own: its frame draws the caption.
  static constexpr std::uint32_t kExStyle = SECBAR_EX_FILLCHILD;
};

class SECDialogBar : public SECControlBar {
 public:
  using DialogFactory = std::function<QWidget*(unsigned resourceId)>;
  // The application's dialogs by resource id.
  static void SetDialogFactory(DialogFactory f);

  std::string ClassName() const override { return "SECDialogBar"; }
  bool Create(SECMDIFrameWnd* frame, unsigned resourceId, std::uint32_t style, std::uint32_t exStyle, unsigned id,
              const std::string& title = {});
  // Makes the dialog when the bar has none yet; false when the factory
  // knows no dialog of that id.
  bool CreateDialog(unsigned resourceId);
  unsigned TemplateId() const { return m_templateId; }
  QSize DialogSize() const { return m_dialogSize; }

  void OnGetBarInfoEx(ControlBarInfo* info) const override;
  void OnSetBarInfoEx(const ControlBarInfo& info, SECMDIFrameWnd* frame) override;
  // The dialog's controls that carry a command id are enabled and checked
  // as the frame's update handlers say.
  void OnUpdateCmdUI(SECMDIFrameWnd* frame) override;

 private:
  unsigned m_templateId = 0;
  QSize m_dialogSize;
};

// Bars of these classes for a dock state that names them (null for
// another class); chain it into the frame's bar factory.
SECControlBar* CreateDockableBar(const std::string& className);

}  // namespace pm2
