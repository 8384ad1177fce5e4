#pragma once
// Keyboard shortcuts as records: the accelerator record (flags, key,
// command), the hot-key value of the key-assignment dialog (virtual key in
// the low byte, modifier flags in the next), conversions between the two,
// and the display names of keys ("Ctrl+Shift+F5").

#include <cstdint>
#include <string>
#include <vector>

namespace pm2 {

constexpr std::uint8_t FVIRTKEY = 0x01;
constexpr std::uint8_t FNOINVERT = 0x02;
constexpr std::uint8_t FSHIFT = 0x04;
constexpr std::uint8_t FCONTROL = 0x08;
constexpr std::uint8_t FALT = 0x10;

constexpr std::uint32_t HOTKEYF_SHIFT = 0x01;
constexpr std::uint32_t HOTKEYF_CONTROL = 0x02;
constexpr std::uint32_t HOTKEYF_ALT = 0x04;
constexpr std::uint32_t HOTKEYF_EXT = 0x08;

// One shortcut. `key` is a virtual-key code with FVIRTKEY, else a character.
struct ACCEL {
  std::uint8_t fVirt = 0;
  std::uint16_t key = 0;
  std::uint16_t cmd = 0;
  friend bool operator==(const ACCEL&, const ACCEL&) = default;
};
using AccelTable = std::vector<ACCEL>;

// Virtual keys the rules name.
constexpr int VK_SHIFT = 16, VK_CONTROL = 17, VK_MENU = 18, VK_PAUSE = 19;
constexpr int VK_F1 = 112, VK_F4 = 115, VK_F6 = 117;
constexpr int VK_NUMLOCK = 144, VK_SCROLL = 145;

// Record to hot-key value: 0 flags for a character record; the extended
// flag for the keys 33-47, 91-93 and 111.
std::uint32_t GetKeyFlags(const ACCEL& a);
// Sets fVirt (always FVIRTKEY | FNOINVERT, plus the modifiers) and key;
// the extended flag is dropped and `cmd` left alone.
void HotKeyToAccel(std::uint32_t hotKey, ACCEL* a);
// "Ctrl+", "Alt+", "Shift+" in that order, then the key's name; false and
// an empty text for 0.
bool GetKeyName(std::uint32_t hotKey, std::string* name);
// The keyboard's name of one key; the extended form names the navigation
// block instead of the number pad ("Page Up" rather than "Num 9").
std::string GetVirtKeyName(int vk, bool extended);

// The command of the first record that a key with these flags matches
// (flags compared with FVIRTKEY and FNOINVERT added), 0 when none.
std::uint16_t FindAccelCommand(const AccelTable& table, std::uint8_t fVirt, std::uint16_t key);

}  // namespace pm2
