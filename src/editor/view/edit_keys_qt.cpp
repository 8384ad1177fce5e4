#include "editor/view/edit_keys_qt.h"

#include <Qt>

namespace pm2 {

namespace {
struct KeyRow {
  int qt;
  EditKey key;
};
constexpr KeyRow kKeys[] = {
    {Qt::Key_Up, kKeyUp},         {Qt::Key_Down, kKeyDown},         {Qt::Key_Left, kKeyLeft},
    {Qt::Key_Right, kKeyRight},   {Qt::Key_Home, kKeyHome},         {Qt::Key_End, kKeyEnd},
    {Qt::Key_PageUp, kKeyPageUp}, {Qt::Key_PageDown, kKeyPageDown}, {Qt::Key_Tab, kKeyTab}, {Qt::Key_Backtab, kKeyTab},
    {Qt::Key_Backspace, kKeyBackspace}, {Qt::Key_Delete, kKeyDelete}, {Qt::Key_Insert, kKeyInsert},
    {Qt::Key_F2, kKeyF2},         {Qt::Key_F3, kKeyF3},             {Qt::Key_A, kKeyA},
    {Qt::Key_C, kKeyC},           {Qt::Key_F, kKeyF},               {Qt::Key_H, kKeyH},
    {Qt::Key_V, kKeyV},           {Qt::Key_X, kKeyX},               {Qt::Key_Y, kKeyY},
    {Qt::Key_Z, kKeyZ},
};
}  // namespace

EditKey EditKeyFromQt(int qtKey) {
  for (const KeyRow& r : kKeys)
    if (r.qt == qtKey) return r.key;
  return kKeyNone;
}

uint32_t EditModsFromQt(unsigned qtModifiers) {
  uint32_t m = kModNone;
  if (qtModifiers & Qt::ShiftModifier) m |= kModShift;
  if (qtModifiers & Qt::ControlModifier) m |= kModCtrl;
  if (qtModifiers & Qt::AltModifier) m |= kModAlt;
  return m;
}

}  // namespace pm2
