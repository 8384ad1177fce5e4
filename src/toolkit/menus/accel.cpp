#include "toolkit/menus/accel.h"

#include <iterator>

namespace pm2 {
namespace {

// Names as the classic keyboard layout gives them; `ext` is the name of the
// extended key sharing the code (the navigation block), empty when the same.
struct KeyName {
  int vk;
  const char* name;
  const char* ext;
};
const KeyName kKeyNames[] = {
    {8, "Backspace", ""},   {9, "Tab", ""},          {12, "Num 5", ""},         {13, "Enter", "Num Enter"},
    {16, "Shift", ""},      {17, "Ctrl", ""},        {18, "Alt", ""},           {19, "Pause", ""},
    {20, "Caps Lock", ""},  {27, "Esc", ""},         {32, "Space", ""},         {33, "Num 9", "Page Up"},
    {34, "Num 3", "Page Down"}, {35, "Num 1", "End"}, {36, "Num 7", "Home"},    {37, "Num 4", "Left"},
    {38, "Num 8", "Up"},    {39, "Num 6", "Right"},  {40, "Num 2", "Down"},     {44, "Prnt Scrn", ""},
    {45, "Num 0", "Insert"}, {46, "Num Del", "Delete"}, {47, "Help", ""},       {91, "Left Windows", ""},
    {92, "Right Windows", ""}, {93, "Application", ""}, {106, "Num *", ""},     {107, "Num +", ""},
    {109, "Num -", ""},     {110, "Num Del", ""},    {111, "Num /", ""},        {144, "Num Lock", ""},
    {145, "Scroll Lock", ""}, {186, ";", ""},        {187, "=", ""},            {188, ",", ""},
    {189, "-", ""},         {190, ".", ""},          {191, "/", ""},            {192, "`", ""},
    {219, "[", ""},         {220, "\\", ""},         {221, "]", ""},            {222, "'", ""},
};

bool IsExtendedKey(int vk) { return (vk >= 33 && vk <= 47) || (vk >= 91 && vk <= 93) || vk == 111; }

}  // namespace

std::uint32_t GetKeyFlags(const ACCEL& a) {
  std::uint32_t flags = 0;
  if (a.fVirt & FVIRTKEY) {
    if (IsExtendedKey(a.key)) flags |= HOTKEYF_EXT;
    if (a.fVirt & FALT) flags |= HOTKEYF_ALT;
    if (a.fVirt & FCONTROL) flags |= HOTKEYF_CONTROL;
    if (a.fVirt & FSHIFT) flags |= HOTKEYF_SHIFT;
  }
  return flags * 256 + a.key;
}

void HotKeyToAccel(std::uint32_t hotKey, ACCEL* a) {
  const std::uint32_t flags = (hotKey >> 8) & 0xFF;
  a->fVirt = FVIRTKEY | FNOINVERT;
  if (flags & HOTKEYF_CONTROL) a->fVirt |= FCONTROL;
  if (flags & HOTKEYF_ALT) a->fVirt |= FALT;
  if (flags & HOTKEYF_SHIFT) a->fVirt |= FSHIFT;
  a->key = std::uint16_t(hotKey & 0xFF);
}

std::string GetVirtKeyName(int vk, bool extended) {
  if ((vk >= '0' && vk <= '9') || (vk >= 'A' && vk <= 'Z')) return std::string(1, char(vk));
  if (vk >= 96 && vk <= 105) return "Num " + std::to_string(vk - 96);
  if (vk >= 112 && vk <= 135) return "F" + std::to_string(vk - 111);
  for (const KeyName& k : kKeyNames)
    if (k.vk == vk) return extended && *k.ext ? k.ext : k.name;
  return {};
}

bool GetKeyName(std::uint32_t hotKey, std::string* name) {
  name->clear();
  if (hotKey == 0) return false;
  const std::uint32_t flags = (hotKey >> 8) & 0xFF;
  const struct {
    std::uint32_t flag;
    int vk;
  } kModifiers[] = {{HOTKEYF_CONTROL, VK_CONTROL}, {HOTKEYF_ALT, VK_MENU}, {HOTKEYF_SHIFT, VK_SHIFT}};
  for (const auto& m : kModifiers)
    if (flags & m.flag) *name += GetVirtKeyName(m.vk, false) + "+";
  *name += GetVirtKeyName(int(hotKey & 0xFF), (flags & HOTKEYF_EXT) != 0);
  return true;
}

std::uint16_t FindAccelCommand(const AccelTable& table, std::uint8_t fVirt, std::uint16_t key) {
  const std::uint8_t want = fVirt | FVIRTKEY | FNOINVERT;
  for (const ACCEL& a : table)
    if (std::uint8_t(a.fVirt | FVIRTKEY | FNOINVERT) == want && a.key == key) return a.cmd;
  return 0;
}

}  // namespace pm2
