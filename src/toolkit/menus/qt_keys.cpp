#include "toolkit/menus/qt_keys.h"

#include "toolkit/menus/accel.h"

namespace pm2 {

std::uint32_t HotKeyOf(int qtKey, Qt::KeyboardModifiers modifiers) {
  const int vk = VirtualKeyOf(qtKey, modifiers & Qt::KeypadModifier);
  if (vk == 0) return 0;
  std::uint32_t flags = 0;
  if (modifiers & Qt::ShiftModifier) flags |= HOTKEYF_SHIFT;
  if (modifiers & Qt::ControlModifier) flags |= HOTKEYF_CONTROL;
  if (modifiers & Qt::AltModifier) flags |= HOTKEYF_ALT;
  if ((vk >= 33 && vk <= 47) || (vk >= 91 && vk <= 93) || vk == 111) flags |= HOTKEYF_EXT;
  return flags << 8 | std::uint32_t(vk);
}

}  // namespace pm2

namespace pm2 {

std::uint16_t MatchKeyPress(const std::vector<ACCEL>& table, int qtKey, Qt::KeyboardModifiers modifiers,
                            char typed) {
  const int vk = VirtualKeyOf(qtKey, modifiers & Qt::KeypadModifier);
  std::uint8_t mods = 0;
  if (modifiers & Qt::ShiftModifier) mods |= FSHIFT;
  if (modifiers & Qt::ControlModifier) mods |= FCONTROL;
  if (modifiers & Qt::AltModifier) mods |= FALT;
  for (const ACCEL& a : table) {
    if (a.fVirt & FVIRTKEY) {
      if (vk != 0 && a.key == vk && (a.fVirt & (FSHIFT | FCONTROL | FALT)) == mods) return a.cmd;
    } else if (typed != 0 && a.key == std::uint8_t(typed) && bool(a.fVirt & FALT) == bool(mods & FALT)) {
      return a.cmd;
    }
  }
  return 0;
}

}  // namespace pm2
