// Every free-text field of every page set: a text the project file could
// not give back as it was typed is refused when the sheet's OK is pressed,
// naming the field; every other text goes through OK, the project and
// options files and a fresh read, and the page shows it again byte for
// byte (or a check of the page refuses it with its own message). An edit
// the page does not name as a free-text field must refuse such a text too,
// or never stores it as text (it is a number or a range), so no typed text
// reaches the files unchecked.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <algorithm>
#include <iterator>
#include <string>
#include <vector>

#include "options/core/field_text.h"
#include "options/pages/family_tool_page.h"
#include "options/pages/flash_page.h"
#include "options/pages/option_page.h"
#include "options/pages/properties_page.h"
#include "options/sheet_rows.h"
#include "project/files/project_file.h"
#include "project/model/project_records.h"

namespace pm2 {
namespace {

using test::SheetRow;

struct TextRow {
  const char* name;
  const char* text;
};
// Each bracket alone and in the wrong order, the comment opener, and texts
// that are fine in either bracket.
const TextRow kTexts[] = {
    {"close alone", "P1)x"},        {"open alone", "arg1 $P (x"},   {"close then open", "FOO) BAR("},
    {"comment opener", "FOO /* BAR"}, {"nested pairs", "f(a, (b)) c"}, {"angle close alone", "a>b"},
    {"angle open alone", "x <y"},
};

std::string FieldTextOf(const QWidget* w) { return OptionPage::FieldText(w); }

void SetFieldText(QWidget* w, const std::string& text) {
  if (auto* line = qobject_cast<QLineEdit*>(w)) line->setText(QString::fromLocal8Bit(text.c_str()));
  if (auto* edit = qobject_cast<QPlainTextEdit*>(w)) edit->setPlainText(QString::fromLocal8Bit(text.c_str()));
}

class FieldTexts : public test::SheetRowFixture {
 protected:
  FieldTexts() : SheetRowFixture("/tmp/field_texts/demo.pm2") {}
  // A new project and sheet for the next case.
  void Fresh() {
    m_sheet.reset();
    m_session.reset();
    SetUp();
  }
  // The project saved and read back; the edited file is found again by
  // its name.
  void SaveAndReopen() {
    SheetFixture::SaveAndReopen();
    if (HasFatalFailure()) return;
    m_file = nullptr;
    for (FileRec* f = m_group ? m_group->firstFile : nullptr; f; f = f->next)
      if (f->name.view() == "edited.x") m_file = f;
    ASSERT_NE(m_target, nullptr);
  }
  // Opens the sheet and makes page `index` current; null when the sheet
  // has no such page.
  OptionPage* OpenOn(int index) {
    Open(Node());
    if (index >= m_sheet->PageCount()) return nullptr;
    m_sheet->Tabs()->setCurrentIndex(index);
    return m_sheet->CurrentPage();
  }
  // The text fields' texts and states, in the page's order.
  static std::vector<std::string> ShownTexts(const OptionPage* page) {
    std::vector<std::string> texts;
    for (const OptionPage::TextField& f : page->TextFields()) texts.push_back(FieldTextOf(f.edit));
    return texts;
  }
  static std::vector<bool> EnabledStates(const OptionPage* page) {
    std::vector<bool> states;
    for (const OptionPage::TextField& f : page->TextFields()) states.push_back(f.edit->isEnabled());
    return states;
  }
  // A text as typed into field `field` of the page: what the field then
  // showed, whether it was enabled, what it showed when the page became
  // current.
  struct Typed {
    std::size_t field = 0;
    const char* text = "";  // the row's name
    std::string typed;
    bool enabled = true;
    std::string shown;
  };
  // After an OK that closed the sheet on page `index`: each typed field
  // stores its text, and reads it back byte for byte from the saved and
  // reopened project.
  void CheckStored(int index, const std::vector<Typed>& typed) {
    ASSERT_EQ(m_sheet->result(), QDialog::Accepted);
    m_session->Commit();
    OptionPage* now = OpenOn(index);
    ASSERT_NE(now, nullptr);
    std::vector<std::string> stored;
    for (const Typed& t : typed) {
      const OptionPage::TextField& field = now->TextFields()[t.field];
      SCOPED_TRACE(field.name + " / " + t.text + (t.enabled ? "" : " (disabled)"));
      // What OK stored, as the page shows it: the typed text (the Set and
      // Reset lists are stored in their normalised form).
      stored.push_back(FieldTextOf(field.edit));
      if (field.name != "Set" && field.name != "Reset" && stored.back() != t.typed) {
        // A field the page does not store in this state keeps its text.
        EXPECT_FALSE(t.enabled);
        EXPECT_EQ(stored.back(), t.shown);
      }
    }
    SaveAndReopen();
    if (HasFatalFailure()) return;
    OptionPage* again = OpenOn(index);
    ASSERT_NE(again, nullptr);
    for (std::size_t i = 0; i < typed.size(); ++i) {
      const OptionPage::TextField& field = again->TextFields()[typed[i].field];
      SCOPED_TRACE(field.name + " / " + typed[i].text);
      EXPECT_EQ(FieldTextOf(field.edit), stored[i]);
    }
  }
  // Text `row` typed into field `field` of page `index` alone, on a fresh
  // sheet: a page's own check may refuse it with its message (then nothing
  // is stored); else it is stored and read back.
  void TryAlone(int index, std::size_t field, const TextRow& row) {
    Fresh();
    OptionPage* p = OpenOn(index);
    ASSERT_NE(p, nullptr);
    const OptionPage::TextField& f = p->TextFields()[field];
    SetFieldText(f.edit, row.text);
    const Typed one{field, row.name, FieldTextOf(f.edit), f.edit->isEnabled(), f.shown};
    m_refusals.clear();
    m_sheet->accept();
    if (!m_refusals.empty()) return;
    CheckStored(index, {one});
  }
};

TEST_P(FieldTexts, RefusedNamingTheFieldOrReadBackByteForByte) {
  Open(Node());
  const int pages = m_sheet->PageCount();
  const std::size_t texts = std::size(kTexts);
  int walked = 0;
  for (int index = 0; index < pages; ++index) {
    Fresh();
    OptionPage* p = OpenOn(index);
    ASSERT_NE(p, nullptr);
    const std::string tab = m_sheet->Tabs()->tabText(index).toStdString();
    const std::size_t fields = p->TextFields().size();
    if (fields == 0) continue;
    const std::vector<std::string> before = ShownTexts(p);
    const std::vector<bool> enabledBefore = EnabledStates(p);
    std::vector<FieldBrackets> brackets;
    for (const OptionPage::TextField& field : p->TextFields()) brackets.push_back(field.brackets);
    // What each text shows in each field typed alone: a page may show its
    // own text in a field it fills itself.
    std::vector<std::vector<std::string>> alone(fields, std::vector<std::string>(texts));
    // Refusals, one sheet for the page: a refusal leaves the sheet open on
    // the page, as the user meets it. The field's own text goes back after
    // each text, so the next refusal is met with every other field as the
    // page showed it.
    for (std::size_t f = 0; f < fields; ++f) {
      for (std::size_t t = 0; t < texts; ++t) {
        const TextRow& row = kTexts[t];
        if (!p) {
          Fresh();
          p = OpenOn(index);
          ASSERT_NE(p, nullptr);
        }
        const OptionPage::TextField field = p->TextFields()[f];
        // A disabled field is stored all the same: its text, typed while
        // the field was offered, is checked too.
        const bool enabled = field.edit->isEnabled();
        SCOPED_TRACE(tab + " / " + field.name + " / " + row.name + (enabled ? "" : " (disabled)"));
        SetFieldText(field.edit, row.text);
        const std::string typed = FieldTextOf(field.edit);
        alone[f][t] = typed;
        const std::string fault = FieldTextFault(typed, field.brackets);
        if (!fault.empty()) {
          ++walked;
          m_refusals.clear();
          m_sheet->accept();
          ASSERT_EQ(m_refusals.size(), 1u);
          EXPECT_EQ(m_refusals[0], "The text of '" + field.name + "' cannot be stored: it holds " + fault + ".");
          EXPECT_NE(m_sheet->result(), QDialog::Accepted);
          if (enabled) {
            EXPECT_EQ(m_sheet->focusWidget(), field.edit);
          }
          EXPECT_EQ(m_sheet->CurrentPage(), p);
        }
        SetFieldText(field.edit, before[f]);
        // A page that answered the typing in another field starts over.
        if (ShownTexts(p) != before || EnabledStates(p) != enabledBefore) p = nullptr;
      }
    }
    // The texts each field takes, typed into all such fields of the page
    // at once: one OK, one save and read back per round. In round r field
    // f takes text (r + f) mod the texts, so every field meets every text
    // once and neighbouring fields hold different texts: a field that
    // stores or shows another's text is seen. The batch stands only when
    // every field then shows what it showed typed alone. When a page's own
    // check (a Define list, a range) refuses the batch, the field it points
    // at is tried alone and the rest again; with no such field, each goes
    // alone.
    for (std::size_t r = 0; r < texts; ++r) {
      const auto textOf = [&](std::size_t f) { return (r + f) % texts; };
      std::vector<std::size_t> pending;
      for (std::size_t f = 0; f < fields; ++f)
        if (FieldTextFault(alone[f][textOf(f)], brackets[f]).empty()) pending.push_back(f);
      walked += int(pending.size());
      while (!pending.empty()) {
        SCOPED_TRACE(tab + " / round " + std::to_string(r) + " of " + std::to_string(pending.size()) + " fields");
        Fresh();
        p = OpenOn(index);
        ASSERT_NE(p, nullptr);
        std::vector<Typed> batch;
        std::vector<std::string> expected = before;
        for (std::size_t f : pending) {
          const OptionPage::TextField& field = p->TextFields()[f];
          const bool enabled = field.edit->isEnabled();
          SetFieldText(field.edit, kTexts[textOf(f)].text);
          batch.push_back({f, kTexts[textOf(f)].name, FieldTextOf(field.edit), enabled, field.shown});
          expected[f] = alone[f][textOf(f)];
        }
        bool together = ShownTexts(p) == expected && EnabledStates(p) == enabledBefore;
        for (const Typed& b : batch) together = together && b.typed == expected[b.field];
        QWidget* pointed = nullptr;
        if (together) {
          m_refusals.clear();
          m_sheet->accept();
          if (m_refusals.empty()) {
            ASSERT_NO_FATAL_FAILURE(CheckStored(index, batch));
            break;
          }
          // One field typed, the others as the page showed them: this was
          // the field alone, and the page refused its text.
          if (batch.size() == 1) break;
          pointed = m_sheet->focusWidget();
        }
        std::vector<std::size_t> single;
        const auto it = std::find_if(pending.begin(), pending.end(),
                                     [&](std::size_t f) { return p->TextFields()[f].edit == pointed; });
        if (pointed && it != pending.end()) {
          single.push_back(*it);
          pending.erase(it);
        } else {
          single.swap(pending);
        }
        for (std::size_t f : single) ASSERT_NO_FATAL_FAILURE(TryAlone(index, f, kTexts[textOf(f)]));
      }
    }
  }
  EXPECT_GT(walked, 0);
}

// An edit that is no named free-text field never puts such a text into
// the files: its page refuses it (a number, an address, a range) or reads
// it as a number.
TEST_P(FieldTexts, NoOtherEditStoresAnUncheckedText) {
  Open(Node());
  const int pages = m_sheet->PageCount();
  // The page's edits in a fixed order, and what each shows.
  const auto editsOf = [](const OptionPage* page) {
    std::vector<QWidget*> edits;
    for (QLineEdit* e : page->findChildren<QLineEdit*>()) edits.push_back(e);
    for (QPlainTextEdit* e : page->findChildren<QPlainTextEdit*>()) edits.push_back(e);
    return edits;
  };
  const auto stateOf = [](const std::vector<QWidget*>& edits) {
    std::vector<std::string> state;
    for (const QWidget* e : edits)
      state.push_back(FieldTextOf(e) + (e->isEnabled() ? "|on" : "|off") + (e->isHidden() ? "|hidden" : ""));
    return state;
  };
  for (int index = 0; index < pages; ++index) {
    // One edit at a time holds the text, the others as the page showed
    // them, so a refusal or a stored text is the edit's own. A refusal
    // leaves the sheet open: the edit's text goes back and the next edit
    // is tried on the same sheet; an OK that closed it starts a fresh one.
    Fresh();
    OptionPage* p = OpenOn(index);
    ASSERT_NE(p, nullptr);
    std::vector<QWidget*> now = editsOf(p);
    std::vector<std::string> pristine = stateOf(now);
    const std::size_t count = now.size();
    for (std::size_t i = 0; i < count; ++i) {
      if (!p) {
        Fresh();
        p = OpenOn(index);
        ASSERT_NE(p, nullptr);
        now = editsOf(p);
        ASSERT_EQ(now.size(), count);
        pristine = stateOf(now);
      }
      QWidget* edit = now[i];
      bool named = false;
      for (const OptionPage::TextField& f : p->TextFields()) named = named || f.edit == edit;
      auto* line = qobject_cast<QLineEdit*>(edit);
      auto* plain = qobject_cast<QPlainTextEdit*>(edit);
      const bool readOnly = (line && line->isReadOnly()) || (plain && plain->isReadOnly());
      // Combo boxes' own edits and read-only views are no fields.
      if (named || readOnly || !edit->isEnabled() || edit->isHidden() || qobject_cast<QComboBox*>(edit->parent()))
        continue;
      SCOPED_TRACE(m_sheet->Tabs()->tabText(index).toStdString() + " / edit " + std::to_string(i) + " " +
                   edit->objectName().toStdString());
      const std::string shown = FieldTextOf(edit);
      m_refusals.clear();
      SetFieldText(edit, "P1)x");
      m_sheet->accept();
      if (!m_refusals.empty()) {
        SetFieldText(edit, shown);
        // A page that answered the typing elsewhere starts over.
        if (stateOf(now) != pristine) p = nullptr;
        continue;
      }
      p = nullptr;
      m_session->Commit();
      const std::string files = BuildProjectFileText(*m_project) + BuildOptionsFileText(*m_project);
      EXPECT_EQ(files.find("P1)x"), std::string::npos) << "stored unchecked";
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Rows, FieldTexts, ::testing::ValuesIn(test::SheetRows()),
                         [](const auto& info) { return std::string(info.param.name); });

// As a user meets them: a text typed while its field was offered, then the
// field switched off, is stored all the same and so refused with its
// message; a file name picked with Browse is stored like a typed text; a
// program's name keeps its double quotes or is refused.
class StoredFields : public test::SheetFixture {
 protected:
  StoredFields() : SheetFixture("/tmp/stored_fields/demo.pm2") {}
  // OK as the user presses it: true when the sheet closed.
  bool Ok() {
    m_refusals.clear();
    m_sheet->accept();
    if (m_sheet->result() != QDialog::Accepted) return false;
    m_session->Commit();
    return true;
  }
};

TEST_F(StoredFields, UtilitiesCommandTypedThenTheTargetDriverChosen) {
  UseToolset(kToolsetArmGnu);
  Open(m_target);
  auto* page = Go<FlashPage>(PageId::kFlash);
  page->UseTool()->click();
  page->Command()->setText("P1)x");
  page->Arguments()->setText("arg1 arg2");
  page->UseDriver()->click();
  ASSERT_FALSE(page->Command()->isEnabled());
  EXPECT_FALSE(Ok());
  ASSERT_EQ(m_refusals.size(), 1u);
  EXPECT_EQ(m_refusals[0], "The text of 'Command' cannot be stored: it holds a ')' without its '('.");
  EXPECT_EQ(m_sheet->CurrentPage(), page);
}

struct CommandRow {
  const char* name;
  const char* command;
  const char* arguments;
  const char* refusal;  // "" when the command reads back whole
};
class UtilitiesCommand : public StoredFields, public ::testing::WithParamInterface<CommandRow> {};
TEST_P(UtilitiesCommand, RefusedOrReadBackWhole) {
  const CommandRow& row = GetParam();
  UseToolset(kToolsetArmGnu);
  Open(m_target);
  auto* page = Go<FlashPage>(PageId::kFlash);
  page->UseTool()->click();
  page->Command()->setText(row.command);
  page->Arguments()->setText(row.arguments);
  if (*row.refusal) {
    EXPECT_FALSE(Ok());
    ASSERT_EQ(m_refusals.size(), 1u);
    EXPECT_EQ(m_refusals[0], row.refusal);
    EXPECT_EQ(m_sheet->focusWidget(), page->Command());
    return;
  }
  ASSERT_TRUE(Ok()) << (m_refusals.empty() ? "" : m_refusals[0]);
  SaveAndReopen();
  Open(m_target);
  page = Go<FlashPage>(PageId::kFlash);
  EXPECT_EQ(page->Command()->text().toStdString(), row.command);
  EXPECT_EQ(page->Arguments()->text().toStdString(), row.arguments);
}
const CommandRow kCommandRows[] = {
    {"QuoteInTheProgram", "C:\\Tools\\my\"prog", "-x \"a b\"",
     "The text of 'Command' cannot be stored: a program's name cannot hold a '\"'."},
    {"QuotedArguments", "C:\\Tools\\my prog", "-x \"a b\"", ""},
    {"BracketsInTheProgram", "C:\\Tools (x86)\\prog", "(a) b", ""},
};
INSTANTIATE_TEST_SUITE_P(Rows, UtilitiesCommand, ::testing::ValuesIn(kCommandRows),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(StoredFields, Nb51MiscTypedThenTheControlFileChosen) {
  UseToolset(kToolset51);
  Open(m_target);
  auto* page = Go<FamilyToolPage>(PageId::kMisc51);
  auto* misc = static_cast<QLineEdit*>(page->Control(page->Find("&Misc Controls:")));
  misc->setText("FOO) BAR(");
  static_cast<QCheckBox*>(page->Control(page->Find("use linker control file")))->click();
  ASSERT_FALSE(misc->isEnabled());
  m_chosen = "/tmp/stored_fields/good.lin";
  page->BrowseButton()->click();
  EXPECT_FALSE(Ok());
  ASSERT_EQ(m_refusals.size(), 1u);
  EXPECT_EQ(m_refusals[0], "The text of 'Misc Controls' cannot be stored: it holds a ')' without its '('.");
}

TEST_F(StoredFields, Nb51ControlFilePickedWithBrowse) {
  for (const char* name : {"a)b.lin", "a(b).lin"}) {
    SCOPED_TRACE(name);
    SetUp();
    UseToolset(kToolset51);
    Open(m_target);
    auto* page = Go<FamilyToolPage>(PageId::kMisc51);
    static_cast<QCheckBox*>(page->Control(page->Find("use linker control file")))->click();
    m_chosen = std::string("/tmp/stored_fields/") + name;
    page->BrowseButton()->click();
    const std::string fault = FieldTextFault(name);
    if (!fault.empty()) {
      // Refused where it was chosen; the field stays empty.
      ASSERT_EQ(m_refusals.size(), 1u);
      EXPECT_EQ(m_refusals[0], "The text of 'Linker control file' cannot be stored: it holds " + fault + ".");
      EXPECT_FALSE(Ok());
      EXPECT_EQ(m_sheet->CurrentPage(), page);
    } else {
      ASSERT_TRUE(Ok()) << (m_refusals.empty() ? "" : m_refusals[0]);
      SaveAndReopen();
      EXPECT_EQ(m_target->pOpts->n51.NX51LFI.str(), name);
    }
    TearDown();
  }
}

TEST_F(StoredFields, CustomArgumentsTypedThenTheFileTypeChanged) {
  m_file->type = kFileCustom;
  UseToolset(kToolsetArmGnu);
  Open(m_file);
  auto* page = Go<PropertiesPage>(PageId::kProperties);
  page->CustomArgs()->setText("a) b");
  page->FileType()->setCurrentIndex(page->FileType()->findData(int(kFileC)));
  ASSERT_EQ(m_refusals.size(), 1u);
  EXPECT_EQ(m_refusals[0], "The text of 'Custom Arguments' cannot be stored: it holds a ')' without its '('.");
  EXPECT_EQ(m_file->type, kFileCustom);
  EXPECT_EQ(page->FileType()->currentData().toInt(), int(kFileCustom));
  EXPECT_TRUE(page->CustomArgs()->isEnabled());
  // Mended, the type changes and OK stores the text.
  page->CustomArgs()->setText("(a) b");
  page->FileType()->setCurrentIndex(page->FileType()->findData(int(kFileC)));
  EXPECT_EQ(m_file->type, kFileC);
  ASSERT_TRUE(Ok()) << (m_refusals.empty() ? "" : m_refusals[0]);
  SaveAndReopen();
  EXPECT_EQ(FindTargetOptions(m_file->pOpts, m_target)->prop.CUSTARGS.str(), "(a) b");
}

TEST_F(StoredFields, Locate166RangeTypedThenSwitchedOff) {
  UseToolset(kToolset166);
  m_target->pOpts->n166.flags.USETARGSET = 0;
  m_target->pOpts->n166.flags.DPPUSE = 1;
  Open(m_target);
  auto* page = Go<FamilyToolPage>(PageId::kLocate166);
  auto* nearData = static_cast<QLineEdit*>(page->Control(page->Find("Near Data &Range:")));
  ASSERT_TRUE(nearData->isEnabled());
  nearData->setText("0x8000-0x4000");
  static_cast<QCheckBox*>(page->Control(page->Find("Assign DPP registers (DPPUSE)")))->click();
  ASSERT_FALSE(nearData->isEnabled());
  EXPECT_FALSE(Ok());
  ASSERT_EQ(m_refusals.size(), 1u);
  EXPECT_EQ(m_refusals[0], "Bad or missing address range !");
}

}  // namespace
}  // namespace pm2
