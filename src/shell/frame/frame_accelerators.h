// The main frame's default keyboard shortcuts: every key its menus show,
// as accelerator records. The user's shortcut file may replace them.
#pragma once

#include "toolkit/menus/accel.h"

namespace pm2 {

const AccelTable& DefaultFrameAccelerators();

// The menu text of a record's key ("Ctrl+F7").
std::string FrameKeyName(const ACCEL& a);

}  // namespace pm2
