#include "shell/frame/x_key_locks.h"

#include <QGuiApplication>
#include <xcb/xcb.h>

#include <cstdlib>

namespace pm2 {

std::optional<KeyLocks> ReadKeyLocks() {
  auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
  auto* x11 = app ? app->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  return x11 ? ReadKeyLocks(x11->connection()) : std::nullopt;
}

std::optional<KeyLocks> ReadKeyLocks(xcb_connection_t* connection) {
  if (!connection || xcb_connection_has_error(connection)) return std::nullopt;
  xcb_get_keyboard_control_reply_t* reply =
      xcb_get_keyboard_control_reply(connection, xcb_get_keyboard_control(connection), nullptr);
  if (!reply) return std::nullopt;
  const KeyLocks locks = KeyLocksFromLedMask(reply->led_mask);
  std::free(reply);
  return locks;
}

}  // namespace pm2
