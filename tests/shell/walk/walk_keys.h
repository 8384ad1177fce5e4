// The keys the menus show for the walk's commands (command_walk.h): a
// command's key as a record of the frame's table and as Qt's key, and
// whether a press came to an editor's text.
#pragma once

#include <QApplication>
#include <QKeyEvent>

#include <cstdint>
#include <map>

#include "editor/ide/editor_view.h"
#include "shell/frame/frame_accelerators.h"

namespace pm2::test {

// While it lives: whether a press of the key came to an editor's text
// (the editor then runs the command its own keys name).
class KeyArrival : public QObject {
 public:
  explicit KeyArrival(int key) : m_key(key) { qApp->installEventFilter(this); }
  ~KeyArrival() override { qApp->removeEventFilter(this); }
  bool eventFilter(QObject* to, QEvent* e) override {
    if (e->type() != QEvent::KeyPress || static_cast<QKeyEvent*>(e)->key() != m_key) return false;
    const auto* around = qobject_cast<EditorView*>(to->parent());
    if (qobject_cast<EditorView*>(to) || (around && around->viewport() == to)) atEditor = true;
    return false;
  }
  bool atEditor = false;

 private:
  int m_key;
};

// The key the menus show for a command, or null.
inline const ACCEL* KeyOf(CommandId id) {
  for (const ACCEL& a : DefaultFrameAccelerators())
    if (a.cmd == id) return &a;
  return nullptr;
}
// The Qt key of a record's virtual key (letters, digits, F-keys and the
// few named keys the menus show); Qt::Key_unknown for any other.
inline Qt::Key QtKeyOf(std::uint16_t vk) {
  if (vk >= 112 && vk <= 135) return Qt::Key(Qt::Key_F1 + (vk - 112));
  if (vk >= 'A' && vk <= 'Z') return Qt::Key(Qt::Key_A + (vk - 'A'));
  if (vk >= '0' && vk <= '9') return Qt::Key(Qt::Key_0 + (vk - '0'));
  static const std::map<std::uint16_t, Qt::Key> kNamed = {
      {27, Qt::Key_Escape}, {8, Qt::Key_Backspace}, {9, Qt::Key_Tab},     {13, Qt::Key_Return},
      {32, Qt::Key_Space},  {33, Qt::Key_PageUp},   {34, Qt::Key_PageDown}, {35, Qt::Key_End},
      {36, Qt::Key_Home},   {37, Qt::Key_Left},     {38, Qt::Key_Up},     {39, Qt::Key_Right},
      {40, Qt::Key_Down},   {45, Qt::Key_Insert},   {46, Qt::Key_Delete}, {19, Qt::Key_Pause}};
  const auto it = kNamed.find(vk);
  return it == kNamed.end() ? Qt::Key_unknown : it->second;
}
inline Qt::KeyboardModifiers QtModsOf(const ACCEL& a) {
  Qt::KeyboardModifiers m;
  if (a.fVirt & FCONTROL) m |= Qt::ControlModifier;
  if (a.fVirt & FALT) m |= Qt::AltModifier;
  if (a.fVirt & FSHIFT) m |= Qt::ShiftModifier;
  return m;
}
inline bool HasKey(CommandId id) {
  const ACCEL* a = KeyOf(id);
  return a && QtKeyOf(a->key) != Qt::Key_unknown;
}

}  // namespace pm2::test
