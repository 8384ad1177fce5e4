#include "shell/frame/frame_accelerators.h"

namespace pm2 {

namespace {

constexpr std::uint8_t kKey = FVIRTKEY | FNOINVERT;
constexpr std::uint8_t kCtrl = kKey | FCONTROL, kShift = kKey | FSHIFT, kAlt = kKey | FALT,
                       kCtrlShift = kCtrl | FSHIFT;
constexpr std::uint16_t F(int n) { return std::uint16_t(111 + n); }  // F1 is 112
constexpr std::uint16_t kEscape = 27;

}  // namespace

const AccelTable& DefaultFrameAccelerators() {
  static const AccelTable table = {
      {kCtrl, 'N', 57600},     {kCtrl, 'O', 57601},     {kCtrl, 'S', 57603},      {kCtrl, 'P', 57607},
      {kCtrl, 'Z', 57643},     {kCtrl, 'Y', 57644},     {kCtrl, 'X', 57635},      {kCtrl, 'C', 57634},
      {kCtrl, 'V', 57637},     {kCtrl, 'F', 57636},     {kCtrl, 'H', 57641},      {kCtrl, 'E', 35089},
      {kCtrl, 'G', 35130},     {kCtrl, F(2), 45027},    {kKey, F(2), 45028},      {kShift, F(2), 45029},
      {kKey, F(7), 32720},     {kCtrl, F(7), 32719},    {kAlt, F(7), 35051},      {kCtrl, F(5), 32802},
      {kKey, F(5), 32791},     {kKey, F(11), 32794},    {kKey, F(10), 32795},     {kCtrl, F(11), 32741},
      {kCtrl, F(10), 32796},   {kKey, kEscape, 32797},  {kAlt, F(4), 57665},
      // The editor's word and line commands.
      {kCtrl, 'L', 35086},     {kCtrl, F(3), 35087},    {kCtrlShift, F(3), 35088}, {kKey, F(12), 35099},
      {kShift, F(12), 35100},
  };
  return table;
}

std::string FrameKeyName(const ACCEL& a) {
  std::string name;
  GetKeyName(GetKeyFlags(a), &name);
  return name;
}

}  // namespace pm2
