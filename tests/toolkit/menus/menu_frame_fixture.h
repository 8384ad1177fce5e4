// The frame the menu-bar tests on the offscreen platform start from: a
// docking MDI frame with its menus loaded from a resource text, and the
// application they need.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>

#include <string>

#include "toolkit/docking/bar_styles.h"
#include "toolkit/frames/mdi_frame.h"
#include "toolkit/menus/menu_bar.h"

namespace pm2::test {

class MenuFrameTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    static int argc = 1;
    static char arg0[] = "toolkit_menus_ui_test";
    static char* argv[] = {arg0, nullptr};
    if (!QApplication::instance()) new QApplication(argc, argv);
  }
  // Loads `rc` (named `name` in its errors) and makes a frame of the given
  // size that docks bars on every side.
  void MakeFrame(const char* rc, const char* name, int width, int height) {
    std::string err;
    ASSERT_TRUE(tables.Load(rc, name, &err)) << err;
    frame = new SECMDIFrameWnd;
    frame->resize(width, height);
    frame->EnableDocking(CBRS_ALIGN_ANY);
  }
  // A popup left open must not outlive the frame it belongs to.
  void TearDown() override {
    if (QWidget* p = QApplication::activePopupWidget()) p->close();
    delete frame;
  }

  ResourceTables tables;
  SECMDIFrameWnd* frame = nullptr;
};

}  // namespace pm2::test
