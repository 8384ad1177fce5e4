#include "shell/frame/frame_title.h"

namespace pm2 {

std::string ComposeFrameTitle(const FrameTitleParts& t) {
  std::string title;
  if (t.hasProject) {
    title = t.projectName + " ";
    if (t.readOnly) title += "[Read Only] ";
    title += " - ";
  }
  title += kProductName;
  if (t.addDocument && !t.documentTitle.empty()) {
    title += " - " + t.documentTitle;
    if (t.windowNumber > 0) title += ":" + std::to_string(t.windowNumber);
  }
  return title;
}

}  // namespace pm2
