// The one QApplication of a widget test program, made on first use.
#pragma once

#include <QApplication>

namespace pm2::test {

inline QApplication& App() {
  static int argc = 1;
  static char name[] = "test";
  static char* argv[] = {name, nullptr};
  // Never destroyed: Qt's teardown must not race the static destructors.
  static QApplication* app = new QApplication(argc, argv);
  return *app;
}

}  // namespace pm2::test
