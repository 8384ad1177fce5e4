#pragma once
// Texts of the frames and bars by string id.

#include <string>

namespace pm2 {

constexpr unsigned kIdsHideBarTip = 20655, kIdsExpandBarTip = 20657, kIdsContractBarTip = 20658,
                   kIdsDragBarHint = 20535, kIdsIdlePrompt = 57345, kIdsCloseFloating = 61457;

// Empty for an unknown id.
const std::string& FrameString(unsigned id);

}  // namespace pm2
