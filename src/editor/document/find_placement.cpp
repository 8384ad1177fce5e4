#include "editor/document/find_placement.h"

namespace pm2 {

int FindDialogTop(const FindPlacement& p) {
  int top = p.mainTop;
  if (top + p.dialogHeight >= p.caretRowY) top = p.viewBottom - 2 * p.lineHeight - p.dialogHeight;
  if (top + p.dialogHeight > p.screenBottom) top = p.screenBottom - p.dialogHeight;
  return top;
}

}  // namespace pm2
