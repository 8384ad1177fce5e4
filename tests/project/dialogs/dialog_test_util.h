// Shared set-up of the project dialog tests: one QApplication on the
// offscreen platform, clean pools and application state, a recording shell.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>

#include "project/model/app_state.h"
#include "project/model/project_records.h"
#include "project/recording_shell.h"
#include "project/text/pool.h"

namespace pm2 {

inline QApplication* TestApp() {
  static int argc = 1;
  static char name[] = "project_dialogs_test";
  static char* argv[] = {name, nullptr};
  static QApplication* app = [] {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    return new QApplication(argc, argv);
  }();
  return app;
}

class DialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TestApp();
    ResetAppState();
    PoolFreeAll();
    theApp().m_pShell = &shell;
  }
  void TearDown() override {
    theApp().m_pShell = nullptr;
    ResetAppState();
    PoolFreeAll();
  }
  ProjectRec* OpenProject(const char* path = "/work/demo/demo.pm2") {
    ProjectRec* p = NewProject(nullptr, path);
    theApp().m_pProject = p;
    return p;
  }
  RecordingShell shell;
};

inline void SendKey(QWidget* w, int key) {
  QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
  QApplication::sendEvent(w, &press);
}

// Types text into the focused widget key by key, as the user does.
inline void TypeText(QWidget* w, const QString& text) {
  for (QChar c : text) {
    QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
    QApplication::sendEvent(w, &press);
  }
}

}  // namespace pm2
