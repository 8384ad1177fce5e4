#include "toolkit/menus/qt_keys.h"

#include "toolkit/menus/accel.h"

namespace pm2 {
namespace {

struct KeyRow {
  int qt;
  int vk;
};
const KeyRow kKeys[] = {
    {Qt::Key_Backspace, 8}, {Qt::Key_Tab, 9},       {Qt::Key_Backtab, 9},     {Qt::Key_Clear, 12},
    {Qt::Key_Return, 13},   {Qt::Key_Enter, 13},    {Qt::Key_Pause, 19},      {Qt::Key_CapsLock, 20},
    {Qt::Key_Escape, 27},   {Qt::Key_Space, 32},    {Qt::Key_PageUp, 33},     {Qt::Key_PageDown, 34},
    {Qt::Key_End, 35},      {Qt::Key_Home, 36},     {Qt::Key_Left, 37},       {Qt::Key_Up, 38},
    {Qt::Key_Right, 39},    {Qt::Key_Down, 40},     {Qt::Key_Print, 44},      {Qt::Key_Insert, 45},
    {Qt::Key_Delete, 46},   {Qt::Key_Help, 47},     {Qt::Key_Menu, 93},       {Qt::Key_NumLock, 144},
    {Qt::Key_ScrollLock, 145}, {Qt::Key_Semicolon, 186}, {Qt::Key_Equal, 187}, {Qt::Key_Comma, 188},
    {Qt::Key_Minus, 189},   {Qt::Key_Period, 190},  {Qt::Key_Slash, 191},     {Qt::Key_QuoteLeft, 192},
    {Qt::Key_BracketLeft, 219}, {Qt::Key_Backslash, 220}, {Qt::Key_BracketRight, 221}, {Qt::Key_Apostrophe, 222},
};
const KeyRow kKeypad[] = {{Qt::Key_Asterisk, 106}, {Qt::Key_Plus, 107}, {Qt::Key_Minus, 109},
                          {Qt::Key_Period, 110},   {Qt::Key_Slash, 111}};

}  // namespace

int VirtualKeyOf(int qtKey, bool keypad) {
  if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) return keypad ? 96 + (qtKey - Qt::Key_0) : '0' + (qtKey - Qt::Key_0);
  if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) return 'A' + (qtKey - Qt::Key_A);
  if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24) return VK_F1 + (qtKey - Qt::Key_F1);
  if (keypad)
    for (const KeyRow& k : kKeypad)
      if (k.qt == qtKey) return k.vk;
  for (const KeyRow& k : kKeys)
    if (k.qt == qtKey) return k.vk;
  return 0;
}

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
