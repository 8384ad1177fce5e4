#include "toolkit/menus/key_assign_model.h"

#include "toolkit/menus/command_list.h"

namespace pm2 {

std::uint32_t ApplyHotKeyRules(std::uint32_t hotKey, std::uint16_t invalid, std::uint16_t defaultModifiers) {
  if (hotKey == 0) return 0;
  const std::uint32_t flags = (hotKey >> 8) & 0xFF;
  const bool s = flags & HOTKEYF_SHIFT, c = flags & HOTKEYF_CONTROL, a = flags & HOTKEYF_ALT;
  const std::uint16_t combination = !s && !c && !a ? HKCOMB_NONE
                                    : s && !c && !a ? HKCOMB_S
                                    : !s && c && !a ? HKCOMB_C
                                    : !s && !c && a ? HKCOMB_A
                                    : s && c && !a  ? HKCOMB_SC
                                    : s && !c && a  ? HKCOMB_SA
                                    : !s && c && a  ? HKCOMB_CA
                                                    : HKCOMB_SCA;
  if (!(invalid & combination)) return hotKey;
  const std::uint32_t modifiers = defaultModifiers & (HOTKEYF_SHIFT | HOTKEYF_CONTROL | HOTKEYF_ALT);
  return (hotKey & 0xFF) | ((flags & HOTKEYF_EXT) | modifiers) << 8;
}

AssignKeyView DescribeHotKey(std::uint32_t hotKey, const AccelTable& table, const SECCommandList& commands,
                             const std::string& noDescription, const std::string& unassigned) {
  AssignKeyView v;
  ACCEL key;
  HotKeyToAccel(hotKey, &key);
  if (key.key == VK_PAUSE || key.key == VK_NUMLOCK || key.key == VK_SCROLL) {
    v.clearControl = true;
    key.key = 0;
  }
  if (key.key == 0) return v;
  v.showAssignment = true;
  v.okEnabled = true;
  v.assignedTo = unassigned;
  for (const ACCEL& a : table) {
    if (std::uint8_t(a.fVirt | FVIRTKEY | FNOINVERT) == key.fVirt && a.key == key.key) {
      const int at = commands.Find(a.cmd);
      v.assignedTo = at >= 0 ? commands.Commands()[std::size_t(at)].strName : noDescription;
      break;
    }
  }
  return v;
}

bool IsReservedKey(std::uint32_t hotKey) {
  ACCEL key;
  HotKeyToAccel(hotKey, &key);
  const bool modified = key.fVirt & (FSHIFT | FCONTROL | FALT);
  return key.key == VK_F1 || (modified && (key.key == VK_F4 || key.key == VK_F6));
}

}  // namespace pm2
