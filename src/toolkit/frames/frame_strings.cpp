#include "toolkit/frames/frame_strings.h"

#include <map>

#include "toolkit/docking/bar_styles.h"

namespace pm2 {

const std::string& FrameString(unsigned id) {
  static const std::map<unsigned, std::string> kTexts = {
      {kIdsHideBarTip, "Hide the docking window"},
      {kIdsExpandBarTip, "Expand the docking window"},
      {kIdsContractBarTip, "Contract the docking window"},
      {kIdsDragBarHint, "Press CTRL to prevent docking, SHIFT to change the orientation"},
      {kIdsIdlePrompt, "Ready"},
      {kIdsCloseFloating, "&Hide"},
      {kIdAllowDocking, "&Allow Docking"},
      {kIdHideBar, "&Hide"},
      {kIdFloatInMainWindow, "Float In &Main Window"},
  };
  static const std::string kEmpty;
  auto it = kTexts.find(id);
  return it == kTexts.end() ? kEmpty : it->second;
}

}  // namespace pm2
