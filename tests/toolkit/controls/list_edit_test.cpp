// The in-place label editor: what Return, Escape and focus loss mean to its
// owner, and how the list sizes the editor as the label grows.
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QVBoxLayout>

#include "toolkit/controls/list_ctrl.h"
#include "toolkit/controls/list_edit.h"
#include "toolkit/models/list_client.h"

namespace pm2 {
namespace {

void EnsureApp() {
  static int argc = 1;
  static char name[] = "toolkit_edits_test";
  static char* argv[] = {name, nullptr};
  if (!QApplication::instance()) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    new QApplication(argc, argv);
  }
}

// Returns whether the key event was left for the parent (not accepted).
bool Press(QWidget* w, int key, const QString& text = {}) {
  QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
  QApplication::sendEvent(w, &press);
  QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
  QApplication::sendEvent(w, &release);
  return !press.isAccepted();
}

// Runs pending deletions too: the list destroys its editor with deleteLater.
void Settle() {
  QApplication::processEvents();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void Type(QWidget* w, const std::string& s) {
  for (char c : s) Press(w, Qt::Key_A + (c - 'a'), QString(QChar(c)));
}

class RecordingClient : public SECListClient {
 public:
  bool wrap = false;
  std::vector<bool> ends;  // the commit flag of each EndLabelEdit
  bool IsLabelWrap() const override { return wrap; }
  bool EndLabelEdit(bool commit) override {
    ends.push_back(commit);
    return true;
  }
};

class ListEditTest : public ::testing::Test {
 protected:
  void SetUp() override { EnsureApp(); }
};

TEST_F(ListEditTest, ReturnAndEscapeEndTheEditAsTheLabelsAllow) {
  struct Row {
    const char* name;
    bool wrap;
    int key;
    std::vector<bool> ends;
    QString text;  // the editor's text afterwards, started from "ab"
  };
  const Row rows[] = {
      {"return on one-line labels commits", false, Qt::Key_Return, {true}, "ab"},
      {"keypad enter on one-line labels commits", false, Qt::Key_Enter, {true}, "ab"},
      {"return on wrapping labels breaks the line", true, Qt::Key_Return, {}, "ab\n"},
      {"escape cancels on one-line labels", false, Qt::Key_Escape, {false}, "ab"},
      {"escape cancels on wrapping labels", true, Qt::Key_Escape, {false}, "ab"},
      {"other keys type", false, Qt::Key_X, {}, "abx"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    RecordingClient client;
    client.wrap = row.wrap;
    QWidget owner;
    SECListEdit edit(&client, &owner);
    edit.setPlainText("ab");
    edit.moveCursor(QTextCursor::End);
    const QString typed = row.key == Qt::Key_X ? "x" : row.key == Qt::Key_Escape ? QString("\x1b") : "\r";
    const bool passedOn = Press(&edit, row.key, typed);
    EXPECT_FALSE(passedOn);  // a dialog around the owner never sees these keys
    EXPECT_EQ(client.ends, row.ends);
    EXPECT_EQ(edit.toPlainText(), row.text);
  }
}

TEST_F(ListEditTest, LosingTheFocusCommitsButAPopupDoesNot) {
  RecordingClient client;
  QWidget owner;
  SECListEdit edit(&client, &owner);
  QFocusEvent popup(QEvent::FocusOut, Qt::PopupFocusReason);
  QApplication::sendEvent(&edit, &popup);
  EXPECT_TRUE(client.ends.empty());
  QFocusEvent away(QEvent::FocusOut, Qt::MouseFocusReason);
  QApplication::sendEvent(&edit, &away);
  EXPECT_EQ(client.ends, std::vector<bool>{true});
}

// A list in a window beside a line edit, so the focus can leave it.
struct ListWindow {
  QWidget window;
  SECListCtrl* list = nullptr;
  QLineEdit* other = nullptr;
  ListWindow(NotifyListener* owner, int columns, unsigned style = LVS_REPORT | LVS_EDITLABELS | LVS_NOLABELWRAP) {
    auto* layout = new QVBoxLayout(&window);
    list = new SECListCtrl(&window, style);
    other = new QLineEdit(&window);
    layout->addWidget(list);
    layout->addWidget(other);
    list->SetNotifyListener(owner);
    list->AddColumn("Name", LVCFMT_LEFT, 120);
    if (columns > 1) list->AddColumn("Value", LVCFMT_LEFT, 100);
    for (int i = 0; i < 5; ++i) list->InsertItemText(i, "row" + std::to_string(i));
    window.resize(260, 200);
    window.show();
    QApplication::setActiveWindow(&window);
    list->setFocus();
    QApplication::processEvents();
  }
  SECListEdit* Editor() { return list->findChild<SECListEdit*>(); }
};

class ListEditOwner : public NotifyListener {
 public:
  std::vector<int> codes;
  NotifyResult beginAnswer = 0;
  NotifyResult endAnswer = 1;
  std::vector<std::string> endTexts;
  NotifyResult OnNotify(NotifyHeader& hdr) override {
    codes.push_back(hdr.code);
    if (hdr.code == LVN_BEGINLABELEDIT) return beginAnswer;
    if (hdr.code == LVN_ENDLABELEDIT) {
      auto& nm = reinterpret_cast<NMLVDISPINFO&>(hdr);
      endTexts.push_back(nm.hasText ? nm.item.text : std::string("<none>"));
      return endAnswer;
    }
    return 0;
  }
  int Count(int c) const { return int(std::count(codes.begin(), codes.end(), c)); }
};

// Where the editor's right edge belongs for the label as it stands.
int ExpectedRight(SECListCtrl* list, int item, int limit) {
  Rect label;
  list->GetCellRect(item, 0, &label, 2);
  const int left = std::max(0, label.left - 4);
  return std::min(left + label.Width() + 14, limit);
}

TEST_F(ListEditTest, EditorCoversTheLabelAndGrowsWhileTyping) {
  struct Row {
    const char* name;
    int columns;
  };
  for (const Row& row : {Row{"one column: up to the inside edge", 1}, Row{"two columns: up to the column edge", 2}}) {
    SCOPED_TRACE(row.name);
    ListEditOwner owner;
    ListWindow w(&owner, row.columns);
    const int limit = row.columns == 1 ? w.list->GetInsideRect().right : w.list->GetColumnRight(0);
    ASSERT_TRUE(w.list->EditLabel(1, 0));
    SECListEdit* editor = w.Editor();
    ASSERT_NE(editor, nullptr);
    EXPECT_TRUE(editor->isVisible());
    EXPECT_TRUE(editor->hasFocus());
    EXPECT_EQ(editor->toPlainText(), "row1");
    EXPECT_EQ(editor->textCursor().selectedText(), "row1");
    Rect label;
    w.list->GetCellRect(1, 0, &label, 2);
    EXPECT_EQ(editor->x(), std::max(0, label.left - 4));
    EXPECT_EQ(editor->geometry().right() + 1, ExpectedRight(w.list, 1, limit));
    const int startWidth = editor->width();

    Press(editor, Qt::Key_End);
    Type(editor, "abc");
    EXPECT_EQ(w.list->GetItemText(1, 0), "row1abc");  // the cell follows the typing
    EXPECT_GT(editor->width(), startWidth);
    EXPECT_EQ(editor->geometry().right() + 1, ExpectedRight(w.list, 1, limit));
    Type(editor, std::string(80, 'w'));
    EXPECT_EQ(editor->geometry().right() + 1, limit);  // never past the edge
    EXPECT_EQ(editor->x(), std::max(0, label.left - 4));  // resized, not moved
  }
}

TEST_F(ListEditTest, EndingTellsTheOwnerAndKeepsOrRestoresTheText) {
  struct Row {
    const char* name;
    int key;            // 0: the focus moves to another control
    NotifyResult answer;
    std::string stored;
    std::string told;
  };
  const Row rows[] = {
      {"return accepted", Qt::Key_Return, 1, "row2x", "row2x"},
      {"return refused by the owner", Qt::Key_Return, 0, "row2", "row2x"},
      {"escape", Qt::Key_Escape, 1, "row2", "<none>"},
      {"focus to another control", 0, 1, "row2x", "row2x"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    ListEditOwner owner;
    owner.endAnswer = row.answer;
    ListWindow w(&owner, 2);
    ASSERT_TRUE(w.list->EditLabel(2, 0));
    SECListEdit* editor = w.Editor();
    ASSERT_NE(editor, nullptr);
    Press(editor, Qt::Key_End);
    Type(editor, "x");
    if (row.key) Press(editor, row.key, row.key == Qt::Key_Escape ? QString("\x1b") : QString("\r"));
    else w.other->setFocus(Qt::TabFocusReason);
    Settle();
    EXPECT_EQ(w.list->GetEditItem(), -1);
    EXPECT_EQ(w.Editor(), nullptr);
    EXPECT_EQ(owner.Count(LVN_BEGINLABELEDIT), 1);
    EXPECT_EQ(owner.endTexts, std::vector<std::string>{row.told});
    EXPECT_EQ(w.list->GetItemText(2, 0), row.stored);
  }
}

TEST_F(ListEditTest, BeginRefusedLeavesNoEditor) {
  ListEditOwner owner;
  owner.beginAnswer = 1;
  ListWindow w(&owner, 1);
  EXPECT_FALSE(w.list->EditLabel(0, 0));
  Settle();
  EXPECT_EQ(w.Editor(), nullptr);
  EXPECT_EQ(w.list->GetEditItem(), -1);
  EXPECT_EQ(owner.Count(LVN_ENDLABELEDIT), 0);
}

TEST_F(ListEditTest, CommittedTextIsCutToTheDisplayBuffer) {
  ListEditOwner owner;
  ListWindow w(&owner, 1);
  ASSERT_TRUE(w.list->EditLabel(0, 0));
  SECListEdit* editor = w.Editor();
  ASSERT_NE(editor, nullptr);
  editor->setPlainText(QString(kTextCapacity + 100, 'q'));
  Press(editor, Qt::Key_Return, "\r");
  ASSERT_EQ(owner.endTexts.size(), 1u);
  EXPECT_EQ(owner.endTexts[0].size(), size_t(kTextCapacity - 1));
  EXPECT_EQ(w.list->GetItemText(0, 0), std::string(kTextCapacity - 1, 'q'));
}

TEST_F(ListEditTest, WrappingLabelsTakeALineBreakAndCommitOnFocusLoss) {
  ListEditOwner owner;
  ListWindow w(&owner, 1, LVS_REPORT | LVS_EDITLABELS);
  ASSERT_TRUE(w.list->EditLabel(3, 0));
  SECListEdit* editor = w.Editor();
  ASSERT_NE(editor, nullptr);
  Press(editor, Qt::Key_End);
  Press(editor, Qt::Key_Return, "\r");
  Type(editor, "b");
  EXPECT_EQ(w.list->GetEditItem(), 3);
  EXPECT_EQ(editor->toPlainText(), "row3\nb");
  w.other->setFocus(Qt::TabFocusReason);
  QApplication::processEvents();
  EXPECT_EQ(w.list->GetEditItem(), -1);
  EXPECT_EQ(w.list->GetItemText(3, 0), "row3\nb");
}

}  // namespace
}  // namespace pm2
