// The walk's hand in a window left open beside the main window: every field
// typed into key by key, every button pressed but the one that closes it,
// and the window still open after; its closing step closes it.
#include <gtest/gtest.h>

#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <memory>
#include <string>

#include "frame/frame_fixture.h"
#include "walk_modeless_windows.h"

namespace pm2 {
namespace {

// A modeless window as the program's are: a field, a button that acts on
// it, and Close.
struct OpenWindow {
  OpenWindow() {
    dialog = new QDialog;
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    auto* layout = new QVBoxLayout(dialog);
    field = new QLineEdit(dialog);
    auto* go = new QPushButton("&Go To", dialog);
    auto* close = new QPushButton("Close", dialog);
    layout->addWidget(field);
    layout->addWidget(go);
    layout->addWidget(close);
    QObject::connect(go, &QPushButton::clicked, [this] { pressedWith.push_back(field->text().toStdString()); });
    QObject::connect(close, &QPushButton::clicked, dialog, &QDialog::close);
    dialog->show();
  }
  ~OpenWindow() { delete dialog.data(); }
  QPointer<QDialog> dialog;
  QLineEdit* field = nullptr;
  std::vector<std::string> pressedWith;
};

struct ModelessRow {
  const char* name;
  const char* step;    // after "modeless:"
  const char* typed;   // what the button met in the field
  bool open;           // the window is still open after the step
};

const ModelessRow kModelessRows[] = {
    {"ANumberOutOfAnyRange", "QDialog/f6", "99999999999", true},
    {"TheCharactersTheFilesQuote", "QDialog/f2", "( ) < > \\ \"", true},
    {"LettersOutsideAscii", "QDialog/f5", "\xC3\x84rger Walk \xC3\xBC\xE2\x82\xAC", true},
    {"Emptied", "QDialog/f0", "", true},
    {"Closed", "QDialog/x", nullptr, false},
};

class WalkModelessTest : public ::testing::TestWithParam<ModelessRow> {};

TEST_P(WalkModelessTest, FieldsTypedButtonsPressedWindowLeftOpen) {
  const ModelessRow& row = GetParam();
  OpenWindow w;
  w.field->setText("12");
  ASSERT_TRUE(test::WaitFor([&] { return w.dialog->isVisible(); }));
  ASSERT_EQ(test::WalkModeless::Named("QDialog"), w.dialog.data());
  test::WalkAnswers answers("/tmp/");
  EXPECT_EQ(test::WalkModeless::Run(row.step, answers), "");
  test::WaitFor([&] { return !w.dialog || w.dialog->isVisible() == row.open; });
  EXPECT_EQ(w.dialog && w.dialog->isVisible(), row.open);
  if (row.typed) {
    ASSERT_EQ(w.pressedWith.size(), 1u) << "the window's own button was not pressed once";
    EXPECT_EQ(w.pressedWith[0], row.typed);
  } else {
    EXPECT_TRUE(w.pressedWith.empty());
  }
}

INSTANTIATE_TEST_SUITE_P(Steps, WalkModelessTest, ::testing::ValuesIn(kModelessRows),
                         [](const auto& info) { return std::string(info.param.name); });

// A window the road names that is no longer open is passed over, and a
// step that names no text is refused.
TEST(WalkModeless, AWindowNoLongerOpenIsPassedOverAStepWithoutATextRefused) {
  test::WalkAnswers answers("/tmp/");
  EXPECT_EQ(test::WalkModeless::Run("GotoLineDialog/f1", answers), "");
  OpenWindow w;
  EXPECT_NE(test::WalkModeless::Run("QDialog/", answers), "");
  EXPECT_NE(test::WalkModeless::Run("QDialog/z", answers), "");
}

}  // namespace
}  // namespace pm2
