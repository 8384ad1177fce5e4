#include "toolkit/toolbars/xp_look.h"

namespace pm2 {
namespace {
bool g_xpLook = false;  // GUI thread only
}

void SECSetXPLook(bool on) { g_xpLook = on; }
bool SECIsXPLook() { return g_xpLook; }

}  // namespace pm2
