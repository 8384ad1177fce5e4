// The cell editors on the offscreen platform: a typed start key replaces
// the text, the Enter that opened an edit does not close it, Escape gives
// back the start text, and the result reaches the owner once.
#include <gtest/gtest.h>

#include <QApplication>
#include <QPointer>
#include <QTest>

#include "toolkit/controls/inplace_edit.h"
#include "toolkit/qt_test_app.h"

namespace pm2 {
namespace {

struct InPlaceResultSeen {
  int calls = 0;
  unsigned id = 0;
  int key = -1;
  std::string text;
};

InPlaceResult Into(InPlaceResultSeen& r) {
  return [&r](unsigned id, int key, const std::string& text) {
    ++r.calls;
    r.id = id;
    r.key = key;
    r.text = text;
  };
}

// The widgets need the program's QApplication.
class InPlaceEditors : public ::testing::Test {
 protected:
  InPlaceEditors() {
    if (!QApplication::instance()) test::App();
  }
};
using InPlaceEdit = InPlaceEditors;
using InPlaceList = InPlaceEditors;
using InPlaceSpinEdit = InPlaceEditors;

TEST_F(InPlaceEdit, TypedStartKeyReplacesTheTextAndEnterEnds) {
  QWidget owner;
  owner.resize(300, 200);
  owner.show();
  InPlaceResultSeen r;
  QPointer<CInPlaceEdit> edit = new CInPlaceEdit(&owner, QRect(10, 10, 80, 20), 77, "1234", '7', Into(r));
  EXPECT_EQ(edit->text().toStdString(), "7");
  QTest::keyClick(edit, Qt::Key_5);
  QTest::keyPress(edit, Qt::Key_Return);
  EXPECT_EQ(r.calls, 1);
  EXPECT_EQ(r.id, 77u);
  EXPECT_EQ(r.key, 13);
  EXPECT_EQ(r.text, "75");
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(edit.isNull());
}

TEST_F(InPlaceEdit, TheOpeningEnterDoesNotCloseAndEscapeRestores) {
  QWidget owner;
  owner.resize(300, 200);
  owner.show();
  InPlaceResultSeen r;
  auto* edit = new CInPlaceEdit(&owner, QRect(10, 10, 80, 20), 5, "abc", 13, Into(r));
  QTest::keyRelease(edit, Qt::Key_Return);  // the release of the key that opened it
  EXPECT_EQ(r.calls, 0);
  QTest::keyClick(edit, Qt::Key_X);
  QTest::keyPress(edit, Qt::Key_Escape);
  EXPECT_EQ(r.calls, 1);
  EXPECT_EQ(r.key, 27);
  EXPECT_EQ(r.text, "abc");
}

TEST_F(InPlaceEdit, ArrowMovesTheCaretWhenStartedWithTheMouse) {
  QWidget owner;
  owner.resize(300, 200);
  owner.show();
  InPlaceResultSeen r;
  auto* edit = new CInPlaceEdit(&owner, QRect(10, 10, 80, 20), 5, "abc", kInPlaceMouse, Into(r));
  QTest::keyClick(edit, Qt::Key_Left);
  EXPECT_EQ(r.calls, 0);
  QTest::keyClick(edit, Qt::Key_Down, Qt::ControlModifier);
  EXPECT_EQ(r.calls, 1);
  EXPECT_EQ(r.key, 40);
}

TEST_F(InPlaceList, SelectsTheStartTextAndEscapeRestoresIt) {
  QWidget owner;
  owner.resize(300, 200);
  owner.show();
  InPlaceResultSeen r;
  auto* list = new CInPlaceList(&owner, QRect(10, 10, 60, 20), 9, {"one", "two", "three"}, "two", kInPlaceMouse,
                                Into(r));
  EXPECT_EQ(list->currentText().toStdString(), "two");
  list->setCurrentIndex(2);
  QTest::keyClick(list, Qt::Key_Escape);
  EXPECT_EQ(r.calls, 1);
  EXPECT_EQ(r.text, "two");
  EXPECT_EQ(r.key, 27);
}

TEST_F(InPlaceSpinEdit, RangeFallsBackWhenMinimumIsNotBelowMaximum) {
  QWidget owner;
  InPlaceResultSeen r;
  auto* spin = new CInPlaceSpinEdit(&owner, QRect(0, 0, 60, 20), 3, 10, 10, "12", kInPlaceMouse, Into(r));
  EXPECT_EQ(spin->minimum(), 0);
  EXPECT_EQ(spin->maximum(), 32767);
  auto* ranged = new CInPlaceSpinEdit(&owner, QRect(0, 0, 60, 20), 4, 1, 99, "12", kInPlaceMouse, Into(r));
  EXPECT_EQ(ranged->maximum(), 99);
}

}  // namespace
}  // namespace pm2
