#include "toolkit/controls/virtual_key.h"

namespace pm2 {
namespace {

constexpr int kVirtualF1 = 0x70;

struct QtToVirtualKey {
  int qt;
  int vk;
};
const QtToVirtualKey kQtToVirtualKeys[] = {
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
const QtToVirtualKey kQtKeypadKeys[] = {{Qt::Key_Asterisk, 106}, {Qt::Key_Plus, 107}, {Qt::Key_Minus, 109},
                          {Qt::Key_Period, 110},   {Qt::Key_Slash, 111}};
// The characters typed with Shift, by the key that carries them.
const QtToVirtualKey kQtShiftedKeys[] = {
    {Qt::Key_Exclam, '1'},      {Qt::Key_At, '2'},          {Qt::Key_NumberSign, '3'}, {Qt::Key_Dollar, '4'},
    {Qt::Key_Percent, '5'},     {Qt::Key_AsciiCircum, '6'}, {Qt::Key_Ampersand, '7'}, {Qt::Key_Asterisk, '8'},
    {Qt::Key_ParenLeft, '9'},   {Qt::Key_ParenRight, '0'},  {Qt::Key_Underscore, 189}, {Qt::Key_Plus, 187},
    {Qt::Key_Colon, 186},       {Qt::Key_Less, 188},        {Qt::Key_Greater, 190},    {Qt::Key_Question, 191},
    {Qt::Key_AsciiTilde, 192},  {Qt::Key_BraceLeft, 219},   {Qt::Key_Bar, 220},        {Qt::Key_BraceRight, 221},
    {Qt::Key_QuoteDbl, 222},
};

}  // namespace

int VirtualKeyOf(int qtKey, bool keypad) {
  if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) return keypad ? 96 + (qtKey - Qt::Key_0) : '0' + (qtKey - Qt::Key_0);
  if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) return 'A' + (qtKey - Qt::Key_A);
  if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24) return kVirtualF1 + (qtKey - Qt::Key_F1);
  if (keypad)
    for (const QtToVirtualKey& k : kQtKeypadKeys)
      if (k.qt == qtKey) return k.vk;
  for (const QtToVirtualKey& k : kQtToVirtualKeys)
    if (k.qt == qtKey) return k.vk;
  return 0;
}

int PressedVirtualKey(int qtKey, Qt::KeyboardModifiers modifiers) {
  const bool keypad = modifiers & Qt::KeypadModifier;
  if (const int vk = VirtualKeyOf(qtKey, keypad)) return vk;
  if (keypad) return 0;
  for (const QtToVirtualKey& k : kQtShiftedKeys)
    if (k.qt == qtKey) return k.vk;
  return 0;
}

}  // namespace pm2
