#include "toolkit/docking/sdi_layout.h"

#include "toolkit/docking/bar_styles.h"

namespace pm2 {

std::uint32_t SdiDockLayoutMode(std::uint32_t style) {
  std::uint32_t mode = LM_VERTDOCK;
  if ((style & CBRS_SIZE_DYNAMIC) && (style & CBRS_FLOATING)) mode = LM_HORZ | LM_MRUWIDTH | LM_LENGTHY;
  else if (style & CBRS_ORIENT_HORZ) mode = LM_HORZ | LM_HORZDOCK | LM_LENGTHY;
  return mode | LM_COMMIT;
}

}  // namespace pm2
