// The cell editors on the offscreen platform: a typed start key replaces
// the text, the Enter that opened an edit does not close it, Escape gives
// back the start text, and the result reaches the owner once.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QPointer>
#include <QTest>
#include <functional>

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

// A start text that no entry holds stays what the list reports while the
// user chooses nothing; the first entry does not take its place.
TEST_F(InPlaceList, AStartTextOfNoEntryIsKeptWhenNothingIsChosen) {
  QWidget owner;
  owner.resize(300, 200);
  owner.show();
  InPlaceResultSeen r;
  auto* list = new CInPlaceList(&owner, QRect(10, 10, 60, 20), 9, {"one", "two"}, "five", kInPlaceMouse, Into(r));
  EXPECT_EQ(list->currentIndex(), -1);
  QTest::keyClick(list, Qt::Key_Tab);
  EXPECT_EQ(r.calls, 1);
  EXPECT_EQ(r.text, "five");
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

// Tab ends every editor with Tab as its end key, even when the owner's
// window has another control the focus could move on to, and the focus
// goes back to the owner rather than to that control.
struct TabRow {
  const char* name;
  std::function<QWidget*(QWidget* owner, InPlaceResult)> make;
  const char* text;  // what the editor reports
};

TEST_F(InPlaceEditors, TabEndsWithTabAndGivesTheFocusBackToTheOwner) {
  const TabRow rows[] = {
      {"edit",
       [](QWidget* o, InPlaceResult r) {
         return new CInPlaceEdit(o, QRect(10, 10, 80, 20), 1, "abc", kInPlaceMouse, std::move(r));
       },
       "abc"},
      {"spin edit",
       [](QWidget* o, InPlaceResult r) {
         return new CInPlaceSpinEdit(o, QRect(10, 10, 80, 20), 2, 0, 99, "42", kInPlaceMouse, std::move(r));
       },
       "42"},
      {"list",
       [](QWidget* o, InPlaceResult r) {
         return new CInPlaceList(o, QRect(10, 10, 80, 20), 3, {"one", "two"}, "two", kInPlaceMouse, std::move(r));
       },
       "two"},
  };
  for (const TabRow& row : rows) {
    SCOPED_TRACE(row.name);
    QWidget owner;
    owner.resize(300, 200);
    auto* next = new QLineEdit(&owner);  // where Tab would otherwise go
    next->setGeometry(10, 100, 80, 20);
    owner.show();
    QApplication::setActiveWindow(&owner);
    InPlaceResultSeen r;
    QWidget* editor = row.make(&owner, Into(r));
    ASSERT_TRUE(editor->hasFocus() || editor->isAncestorOf(QApplication::focusWidget()));
    QTest::keyClick(editor, Qt::Key_Tab);
    EXPECT_EQ(r.calls, 1);
    EXPECT_EQ(r.key, 9);
    EXPECT_EQ(r.text, row.text);
    EXPECT_FALSE(next->hasFocus());
    EXPECT_TRUE(owner.hasFocus());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
}

}  // namespace
}  // namespace pm2
