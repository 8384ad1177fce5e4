// The register page and the command page's stand-in on the offscreen
// platform: rows from a register set, a value edit that reaches the
// driver's callback, refusals, and typed commands.
#include "debugger/ui/register_page.h"
#include "toolkit/controls/list_edit.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTest>
#include <cstring>


namespace pm2 {
namespace {

std::vector<std::string> g_calls;
int g_entryRefreshes = 0;

void Refresh(RegisterEntry* e, uint32_t mode) {
  if (!e) {
    g_calls.push_back("refresh " + std::to_string(mode));
    return;
  }
  ++g_entryRefreshes;
  e->redraw = 0;
}
void SetValue(RegisterEntry* e, const uint64_t* v) {
  std::snprintf(e->value, sizeof e->value, "0x%08llX", static_cast<unsigned long long>(*v));
  e->changed = 1;
  g_calls.push_back(std::string("set ") + e->name);
}

RegisterEntry Reg(const char* name, const char* value, bool editable, uint16_t code = 0) {
  RegisterEntry e{};
  e.kind = 1;
  e.composite = code;
  e.editable = editable;
  std::strncpy(e.name, name, sizeof e.name - 1);
  std::strncpy(e.value, value, sizeof e.value - 1);
  return e;
}

class RegisterPageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_calls.clear();
    g_entryRefreshes = 0;
    regs = {Reg("R0", "0x00000001", true), Reg("CPSR", "0x600000D3", false, 0x100), Reg("N", "0", false, 0x101)};
    groups = {RegisterGroup{0, 1, "Core"}};
    set = RegisterSet{1, 3, groups.data(), regs.data(), Refresh, SetValue};
    page = std::make_unique<RegisterPage>([this] { return active; },
                                          [this](const std::string& text, uint64_t* v) {
                                            evaluated.push_back(text);
                                            if (text == "bad") return false;
                                            *v = std::strtoull(text.c_str(), nullptr, 0);
                                            return true;
                                          },
                                          [this] { ++beeps; });
    page->resize(300, 200);
    page->show();
  }
  std::vector<RegisterEntry> regs;
  std::vector<RegisterGroup> groups;
  RegisterSet set{};
  std::unique_ptr<RegisterPage> page;
  bool active = true;
  int beeps = 0;
  std::vector<std::string> evaluated;
};

TEST_F(RegisterPageTest, ShowsGroupsRegistersAndFieldsWithValues) {
  page->SetRegisterSet(&set);
  ASSERT_EQ(page->GetItemCount(), 3);  // the group expanded at load, the head collapsed
  EXPECT_EQ(page->GetItemText(page->GetItemAtRow(0), 0), "Core");
  EXPECT_EQ(page->GetItemText(page->GetItemAtRow(1), 1), "0x00000001");
  EXPECT_EQ(page->GetItemText(page->GetItemAtRow(2), 0), "CPSR");
  page->SetRegisterSet(nullptr);
  EXPECT_EQ(page->GetItemCount(), 0);
}

TEST_F(RegisterPageTest, EditedValueGoesThroughEvaluationToTheDriver) {
  page->SetRegisterSet(&set);
  ASSERT_TRUE(page->EditValue(1));
  QLineEdit* edit = page->findChild<QLineEdit*>();
  if (SECListEdit* e = page->GetEditControl()) {
    e->setPlainText("0x2A");
    QTest::keyClick(e, Qt::Key_Return);
  } else if (edit) {
    edit->setText("0x2A");
    QTest::keyClick(edit, Qt::Key_Return);
  }
  EXPECT_EQ(evaluated, std::vector<std::string>{"0x2A"});
  EXPECT_EQ(g_calls, (std::vector<std::string>{"set R0", "refresh 2147483648"}));
  EXPECT_EQ(page->GetItemText(page->GetItemAtRow(1), 1), "0x0000002A");
}

// A value's editor takes at most 128 characters: what is evaluated is
// what the user typed and saw, never a cut-off copy of it.
TEST_F(RegisterPageTest, ValueEditorStopsTypingAtItsLimit) {
  page->SetRegisterSet(&set);
  ASSERT_TRUE(page->EditValue(1));
  SECListEdit* e = page->GetEditControl();
  ASSERT_NE(e, nullptr);
  e->selectAll();
  QTest::keyClicks(e, QString(130, QChar('1')));
  EXPECT_EQ(e->toPlainText(), QString(128, QChar('1')));
  QTest::keyClick(e, Qt::Key_Escape);
  EXPECT_TRUE(evaluated.empty());
}

// A value typed as the row shows it is read as shown: eight hex digits
// without a prefix make "3E8" hex, not gdb's float 3e8; a value shown with
// its prefix, and any other text, is evaluated as typed.
TEST_F(RegisterPageTest, AValueRetypedAsShownIsReadAsShown) {
  struct Row {
    const char* name;
    const char* shown;
    const char* typed;
    const char* evaluated;
  } rows[] = {
      {"hex digits as shown", "000003E8", "3E8", "0x3E8"},
      {"lower case", "000003E8", "3e8", "0x3e8"},
      {"digits only", "0000000A", "10", "0x10"},
      {"with blanks", "0000000A", " 7F ", "0x7F"},
      {"prefix typed", "000003E8", "0x3E8", "0x3E8"},
      {"an expression", "000003E8", "R1 + 4", "R1 + 4"},
      {"decimal suffix", "000003E8", "1000T", "1000T"},
      {"shown with a prefix", "0x00000001", "3E8", "3E8"},
  };
  for (const Row& r : rows) {
    std::strncpy(regs[0].value, r.shown, sizeof regs[0].value - 1);
    evaluated.clear();
    page->SetRegisterSet(&set);
    ASSERT_TRUE(page->EditValue(1)) << r.name;
    SECListEdit* e = page->GetEditControl();
    ASSERT_NE(e, nullptr) << r.name;
    e->setPlainText(r.typed);
    QTest::keyClick(e, Qt::Key_Return);
    EXPECT_EQ(evaluated, std::vector<std::string>{r.evaluated}) << r.name;
    page->SetRegisterSet(nullptr);
  }
}

TEST_F(RegisterPageTest, EditsAreRefusedWithABeep) {
  page->SetRegisterSet(&set);
  EXPECT_FALSE(page->EditValue(2));  // CPSR is not editable
  EXPECT_EQ(beeps, 1);
  active = false;
  EXPECT_FALSE(page->EditValue(1));  // no session
  EXPECT_EQ(beeps, 2);
  EXPECT_TRUE(g_calls.empty());
}

TEST_F(RegisterPageTest, RefreshOnlyDuringASession) {
  page->SetRegisterSet(&set);
  active = false;
  page->UpdateAll();
  EXPECT_TRUE(g_calls.empty());
  active = true;
  page->UpdateAll();
  EXPECT_EQ(g_calls, std::vector<std::string>{"refresh 2147483648"});
}

// F2 on a register starts the edit of its value: the page claims the key
// before any shortcut of the frame; the new value is told to the frame with
// the register's wish for a disassembly refresh.
TEST_F(RegisterPageTest, F2EditsTheValueAndTheFrameHearsOfTheNewValue) {
  regs[0].refreshDisasm = 1;
  page->SetRegisterSet(&set);
  std::vector<bool> told;
  page->valueSet = [&](bool disassembly) { told.push_back(disassembly); };
  QKeyEvent claim(QEvent::ShortcutOverride, Qt::Key_F2, Qt::NoModifier);
  claim.ignore();
  QApplication::sendEvent(page.get(), &claim);
  EXPECT_TRUE(claim.isAccepted());
  page->SelectItem(page->GetItemAtRow(1));
  page->setFocus();
  QTest::keyClick(page.get(), Qt::Key_F2);
  SECListEdit* e = page->GetEditControl();
  ASSERT_NE(e, nullptr) << "F2 did not start the edit";
  e->setPlainText("7");
  QTest::keyClick(e, Qt::Key_Return);
  EXPECT_EQ(page->GetItemText(page->GetItemAtRow(1), 1), "0x00000007");
  EXPECT_EQ(told, std::vector<bool>{true});
  // F2 on a register that may not be edited beeps.
  page->SelectItem(page->GetItemAtRow(2));
  QTest::keyClick(page.get(), Qt::Key_F2);
  EXPECT_EQ(page->GetEditControl(), nullptr);
  EXPECT_EQ(beeps, 1);
}

// A double click on a register's value starts its edit; one on a group's
// row or on the name column does not.
TEST_F(RegisterPageTest, DoubleClickOnTheValueColumnEditsTheValue) {
  page->SetRegisterSet(&set);
  const auto valueAt = [&](int row) {
    Rect r;
    EXPECT_TRUE(page->GetRowRect(row, &r));
    return QPoint(page->GetColumnWidth(0) + 20, (r.top + r.bottom) / 2);
  };
  struct Case {
    const char* name;
    int row;
    bool valueColumn;
    bool edits;
  };
  for (const Case& c : {Case{"group row", 0, true, false}, Case{"name column", 1, false, false},
                        Case{"value column", 1, true, true}}) {
    SCOPED_TRACE(c.name);
    QPoint at = valueAt(c.row);
    if (!c.valueColumn) at.setX(page->GetColumnWidth(0) / 2);
    QTest::mouseDClick(page.get(), Qt::LeftButton, Qt::NoModifier, at);
    EXPECT_EQ(page->GetEditControl() != nullptr, c.edits);
    if (SECListEdit* e = page->GetEditControl()) QTest::keyClick(e, Qt::Key_Escape);
  }
  EXPECT_EQ(beeps, 0);
}

// While a value is edited the register's name stays in its column as it was.
TEST_F(RegisterPageTest, TheNameStaysVisibleWhileItsValueIsEdited) {
  page->SetRegisterSet(&set);
  Rect r;
  ASSERT_TRUE(page->GetRowRect(1, &r));
  // The name column up to where the value's editor may start.
  const QRect name(0, r.top, page->GetColumnWidth(0) - 8, r.bottom - r.top);
  const QImage before = page->grab(name).toImage();
  ASSERT_TRUE(page->EditValue(1));
  ASSERT_NE(page->GetEditControl(), nullptr);
  QApplication::processEvents();
  EXPECT_EQ(page->grab(name).toImage(), before);
  QTest::keyClick(page->GetEditControl(), Qt::Key_Escape);
}

// A group opened shows current values: a refresh pass over the entries,
// without the driver's leading call.
TEST_F(RegisterPageTest, AnOpenedGroupGetsItsRefreshPass) {
  groups[0].flags = 0;  // closed at load
  page->SetRegisterSet(&set);
  ASSERT_EQ(page->GetItemCount(), 1);
  g_calls.clear();
  g_entryRefreshes = 0;
  page->Expand(page->GetItemAtRow(0), TVE_EXPAND);
  EXPECT_GT(page->GetItemCount(), 1);
  EXPECT_EQ(g_entryRefreshes, 3);
  EXPECT_TRUE(g_calls.empty());
}

}  // namespace
}  // namespace pm2
