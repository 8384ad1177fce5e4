#include "toolkit/dockable/frame_bar.h"

#include <QAbstractButton>

#include "toolkit/controls/dialog_item.h"
#include "toolkit/core/commands.h"
#include "toolkit/docking/dock_state.h"
#include "toolkit/frames/mdi_frame.h"

namespace pm2 {

namespace {
SECDialogBar::DialogFactory& Factory() {
  static SECDialogBar::DialogFactory f;
  return f;
}
}  // namespace

void SECDialogBar::SetDialogFactory(DialogFactory f) { Factory() = std::move(f); }

bool SECDialogBar::Create(SECMDIFrameWnd* frame, unsigned resourceId, std::uint32_t style, std::uint32_t exStyle,
                          unsigned id, const std::string& title) {
  if (!SECControlBar::Create(frame, title, style, exStyle, id)) return false;
  return CreateDialog(resourceId);
}

bool SECDialogBar::CreateDialog(unsigned resourceId) {
  if (Child()) return true;
  QWidget* dialog = Factory() ? Factory()(resourceId) : nullptr;
  if (!dialog) return false;
  m_templateId = resourceId;
  dialog->adjustSize();
  m_dialogSize = dialog->size();
  SetChild(dialog);
  const Size s{m_dialogSize.width(), m_dialogSize.height()};
  State().szFloat = State().szHorz = State().szVert = s;
  return true;
}

void SECDialogBar::OnGetBarInfoEx(ControlBarInfo* info) const { info->resourceId = m_templateId; }

void SECDialogBar::OnSetBarInfoEx(const ControlBarInfo& info, SECMDIFrameWnd*) {
  if (info.resourceId) CreateDialog(info.resourceId);
}

SECControlBar* CreateDockableBar(const std::string& className) {
  if (className == "SECFrameBar") return new SECFrameBar;
  if (className == "SECDialogBar") return new SECDialogBar;
  return nullptr;
}

void SECDialogBar::OnUpdateCmdUI(SECMDIFrameWnd* frame) {
  if (!frame) return;
  for (QWidget* control : findChildren<QWidget*>()) {
    bool ok = false;
    const unsigned id = control->property(kDialogItemId).toUInt(&ok);
    if (!ok || id == 0) continue;
    const CommandState s = frame->QueryCommandState(id);
    control->setEnabled(s.enabled);
    if (auto* button = qobject_cast<QAbstractButton*>(control); button && button->isCheckable())
      button->setChecked(s.check == 1);
  }
}

}  // namespace pm2
