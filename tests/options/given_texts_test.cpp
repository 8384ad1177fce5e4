// A text a page is given (by the project file, or by a peer's SetOptions)
// and the user does not edit goes through the sheet's OK byte for byte, or
// the page refuses it naming the field: no page cuts, trims or re-encodes
// it. Every text field of every node's block is given a text one past the
// limit of the edit that shows it, and texts with brackets, a backslash, a
// double quote, blanks, line breaks and non-ASCII letters; the sheet is
// opened, each page made current and OK pressed. A typed or pasted text
// that would pass an edit's limit is refused naming the field, and the
// edit keeps what it held.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <cstdio>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "options/core/command_preview.h"
#include "options/pages/edit_limit.h"
#include "options/pages/folder_list_dialog.h"
#include "options/pages/option_page.h"
#include "toolkit/controls/browse_edit.h"
#include "options/sheet_rows.h"
#include "project/edit/stored_setters.h"
#include "project/files/project_file.h"
#include "project/files/project_keys.h"
#include "project/model/project_records.h"

namespace pm2 {
namespace given_texts_test {
namespace {

using test::SheetRow;

// A text of the edited node's block, by the key its file keeps it under.
struct Slot {
  std::string key;
  std::function<OptString&(TargetRec&, OptionBlock&)> field;
};

std::vector<Slot> SlotsOf(int nodeKind, uint16_t toolset, uint8_t fileType) {
  std::vector<Slot> found;
  for (int family : BlockFamilies(nodeKind, toolset, fileType)) {
    const KeyFamily& f = GetKeyFamily(family);
    for (std::size_t i = 0; i < f.count; ++i) {
      const FieldRow* row = &f.rows[i];
      const std::string key = row->key;
      if (row->kind == FieldKind::kString) {
        found.push_back({key, [row](TargetRec& t, OptionBlock& b) -> OptString& {
                           KeyContext c{&t, &b, kPoolProject};
                           return *row->str(c);
                         }});
      } else if (row->kind == FieldKind::kLine && (key == "RunUsr" || key == "BrunUsr")) {
        for (int n = 0; n < 2; ++n)
          found.push_back({key + " " + std::to_string(n + 1), [n, key](TargetRec&, OptionBlock& b) -> OptString& {
                             return (key == "RunUsr" ? b.out.RUNUSR : b.out.BRUNUSR)[n];
                           }});
      } else if (row->kind == FieldKind::kLine && key == "OPTDBG") {
        for (int n = 0; n < 10; ++n)
          found.push_back({"OPTDBG " + std::to_string(n + 1),
                           [n](TargetRec&, OptionBlock& b) -> OptString& { return b.dbg.str[n]; }});
      }
    }
  }
  return found;
}

// Where the sheet shows a slot: the page, the edit among the page's edits,
// the edit's own limit (0: none) and the field's name.
struct Place {
  int page = -1;
  int edit = -1;
  int limit = 0;
  std::string name;
};

std::vector<QWidget*> EditsOf(const QWidget* page) {
  std::vector<QWidget*> edits;
  for (QLineEdit* e : page->findChildren<QLineEdit*>()) edits.push_back(e);
  for (QPlainTextEdit* e : page->findChildren<QPlainTextEdit*>()) edits.push_back(e);
  return edits;
}

struct Variant {
  const char* name;
  std::string (*text)(int limit);  // for a field whose edit has that limit (0: none)
};

// One past the edit's limit, digits only, so that the pages' own checks
// (a list, a number, a name) take it; 300 characters where the edit has
// no limit.
std::string OnePast(int limit) { return std::string(std::size_t(limit > 0 ? limit : 299), '0') + "1"; }

const Variant kVariants[] = {
    {"OnePastTheLimit", OnePast},
    {"Brackets", [](int) { return std::string("f(a) (b) <c> x"); }},
    {"BackslashAndQuote", [](int) { return std::string("C:\\dir\\\"x\" \\\\y"); }},
    {"Blanks", [](int) { return std::string("  lead and trail  "); }},
    {"CarriageReturn", [](int) { return std::string("a\rb"); }},
    {"LineFeed", [](int) { return std::string("a\nb"); }},
    {"LineBreak", [](int) { return std::string("a\r\nb"); }},
    {"Utf8Letters", [](int) { return std::string("Gr\xC3\xBC\xC3\x9F" "e_\xCE\xA9\xCE\xBC\xCE\xAD\xCE\xB3\xCE\xB1"); }},
    {"Latin1Letters", [](int) { return std::string("Gr\xFC\xDF" "e_caf\xE9"); }},
};

// Texts the pages make themselves from other fields and store in place of
// what was given: the code and xdata ranges of the 51 linker while it takes
// the target page's memory layout (the builder then uses the layout, not
// the text).
const char* const kDerived[] = {"NX51COB", "NX51XDB"};

class GivenTexts : public test::SheetRowFixture {
 protected:
  GivenTexts() : SheetRowFixture("/tmp/given_texts/demo.pm2") {}
  void SetUp() override {
    SheetRowFixture::SetUp();
    const SheetRow& r = GetParam();
    m_slots = SlotsOf(NodeKind(), r.toolset, r.fileType);
  }
  void Fresh() {
    m_sheet.reset();
    m_session.reset();
    SheetFixture::TearDown();
    SetUp();
  }
  OptionBlock& Block() { return GetParam().node == 0 ? *m_target->pOpts : *GetNodeOptions(Node()); }
  OptString& Field(std::size_t slot) { return m_slots[slot].field(*m_target, Block()); }
  void Reopen() {
    SaveAndReopen();
    if (HasFatalFailure()) return;
    for (FileRec* f = m_group ? m_group->firstFile : nullptr; f; f = f->next)
      if (f->name.view() == "edited.x") m_file = f;
  }
  // The texts given to the slots (by index) through the project and
  // options files: what the files gave back is what the pages are given.
  std::map<std::size_t, std::string> GiveByFile(const std::map<std::size_t, std::string>& texts) {
    for (const auto& [slot, text] : texts) Field(slot) = OptString::Pooled(text, kPoolProject);
    Reopen();
    std::map<std::size_t, std::string> given;
    for (const auto& [slot, text] : texts) given[slot] = Field(slot).str();
    return given;
  }
  // Where each slot is shown: every slot is given a text of its own (a
  // number, which every field takes), and each page, activated in turn, is
  // searched for it.
  std::map<std::size_t, Place> Discover() {
    std::map<std::size_t, std::string> marks;
    for (std::size_t s = 0; s < m_slots.size(); ++s) marks[s] = "0x7" + std::to_string(1000 + s);
    GiveByFile(marks);
    Open(Node());
    std::map<std::size_t, Place> places;
    for (int p = 0; p < m_sheet->PageCount(); ++p) {
      OptionPage* page = m_sheet->Page(p);
      page->Activate();
      const std::vector<QWidget*> edits = EditsOf(page);
      for (int e = 0; e < int(edits.size()); ++e) {
        const std::string shown = OptionPage::FieldText(edits[std::size_t(e)]);
        for (const auto& [slot, mark] : marks) {
          if (shown != mark || places.count(slot)) continue;
          Place place{p, e, 0, page->FieldNameOf(edits[std::size_t(e)])};
          if (auto* line = qobject_cast<QLineEdit*>(edits[std::size_t(e)])) {
            const EditLimit* limit = EditLimit::Of(line);
            place.limit = limit ? limit->BaseLimit() : line->maxLength();
          }
          places[slot] = place;
        }
      }
      page->Deactivated();
    }
    m_sheet.reset();
    m_session.reset();
    return places;
  }
  QWidget* EditAt(const Place& place) const {
    const std::vector<QWidget*> edits = EditsOf(m_sheet->Page(place.page));
    return place.edit < int(edits.size()) ? edits[std::size_t(place.edit)] : nullptr;
  }
  // Opens the sheet, makes each page current and presses OK. "" when the
  // sheet closed; else the refusal, and the edit that had the focus.
  std::string OpenAndOk(QWidget** focus) {
    Open(Node());
    m_refusals.clear();
    for (int p = 0; p < m_sheet->PageCount() && m_refusals.empty(); ++p) m_sheet->Tabs()->setCurrentIndex(p);
    if (m_refusals.empty()) m_sheet->accept();
    *focus = m_sheet->focusWidget();
    if (m_refusals.empty() && m_sheet->result() == QDialog::Accepted) return std::string();
    return m_refusals.empty() ? std::string("(the sheet stayed open without a word)") : m_refusals.front();
  }
  // The given texts through the sheet: each is stored as it was given, or
  // the page refuses it naming its field; a refused text goes back to the
  // field's default and the rest go through the sheet again.
  void ExpectKeptOrRefused(std::map<std::size_t, std::string> given, const std::map<std::size_t, Place>& places,
                           const std::function<void()>& giveAgain) {
    std::map<std::size_t, std::string> defaults;
    for (const auto& [slot, text] : given) defaults[slot] = std::string();
    const std::size_t rounds = given.size() + 1;
    for (std::size_t round = 0; round < rounds; ++round) {
      QWidget* focus = nullptr;
      const std::string refusal = OpenAndOk(&focus);
      if (refusal.empty()) break;
      // The refused slot: the one whose edit has the focus, else the one
      // on the current page whose field the refusal names.
      std::size_t refused = m_slots.size();
      for (const auto& [slot, place] : places)
        if (given.count(slot) && focus && EditAt(place) == focus) refused = slot;
      for (const auto& [slot, place] : places)
        if (refused == m_slots.size() && given.count(slot) && m_sheet->Page(place.page) == m_sheet->CurrentPage() &&
            refusal.find("'" + place.name + "'") != std::string::npos)
          refused = slot;
      ASSERT_LT(refused, m_slots.size()) << "refused a text no field of the page was given: " << refusal;
      const Place& place = places.at(refused);
      SCOPED_TRACE(m_slots[refused].key + " shown as '" + place.name + "'");
      // Named, or (a page's own check in the words it has always used,
      // "Error in list of warning numbers") pointed at with the focus.
      EXPECT_TRUE(refusal.find("'" + place.name + "'") != std::string::npos || EditAt(place) == focus)
          << "the refusal names no field: " << refusal;
      given.erase(refused);
      m_sheet.reset();
      m_session.reset();
      giveAgain();
      // The refused field keeps its default; the others are given again.
      Field(refused) = OptString();
      for (const auto& [slot, text] : given) Field(slot) = OptString::Pooled(text, kPoolProject);
    }
    ASSERT_TRUE(m_sheet && m_sheet->result() == QDialog::Accepted);
    m_session->Commit();
    for (const char* key : kDerived)
      for (std::size_t slot = 0; slot < m_slots.size(); ++slot)
        if (m_slots[slot].key == key) given.erase(slot);
    for (const auto& [slot, text] : given) {
      SCOPED_TRACE(m_slots[slot].key);
      EXPECT_EQ(Field(slot).str(), text);
    }
    // And as the files keep them.
    Reopen();
    if (HasFatalFailure()) return;
    for (const auto& [slot, text] : given) {
      SCOPED_TRACE(m_slots[slot].key + " read back");
      EXPECT_EQ(Field(slot).str(), text);
    }
  }

  std::vector<Slot> m_slots;
};

TEST_P(GivenTexts, ByTheProjectFileKeptUnlessRefusedNamingTheField) {
  const std::map<std::size_t, Place> places = Discover();
  ASSERT_FALSE(places.empty()) << "no text of the node's block is shown";
  for (const Variant& v : kVariants) {
    SCOPED_TRACE(v.name);
    Fresh();
    std::map<std::size_t, std::string> texts;
    for (std::size_t s = 0; s < m_slots.size(); ++s) texts[s] = v.text(places.count(s) ? places.at(s).limit : 0);
    const std::map<std::size_t, std::string> given = GiveByFile(texts);
    ASSERT_NO_FATAL_FAILURE(ExpectKeptOrRefused(given, places, [] {}));
  }
}

// A peer's SetOptions sets a group's texts.
class PeerTexts : public GivenTexts {};

TEST_P(PeerTexts, BySetOptionsKeptUnlessRefusedNamingTheField) {
  const std::map<std::size_t, Place> places = Discover();
  // The peer's texts as SetOptions takes them: lists of symbols and of
  // include paths, one item past the Define edit's limit.
  struct PeerText {
    const char* name;
    std::vector<std::string> symbols;
    std::vector<std::string> paths;
  };
  std::vector<std::string> many, folders;
  for (int i = 1; i <= 40; ++i) many.push_back("SYM_" + std::string(i < 10 ? "00" : "0") + std::to_string(i) + "_X");
  for (int i = 0; i < 700; ++i) folders.push_back("inc/folder_" + std::to_string(i));
  const PeerText peer[] = {
      {"LongLists", many, folders},
      {"Brackets", {"f(a)", "<c>"}, {"x(y)"}},
      {"BackslashAndQuote", {"Q=\"x\"", "C:\\dir"}, {"C:\\dir\\inc"}},
      {"Blanks", {" A ", "B C"}, {" inc dir "}},
      {"LineBreaks", {"A\r\nB"}, {"x\ny"}},
      {"NonAsciiLetters", {"Gr\xC3\xBC\xC3\x9F" "e", "caf\xE9"}, {"\xCE\xA9/inc"}},
  };
  for (const PeerText& t : peer) {
    SCOPED_TRACE(t.name);
    Fresh();
    const std::string why = SetGroupCompilerTexts(Block(), m_group->name.str(), t.symbols, t.paths);
    if (!why.empty()) {
      // The peer is told which texts of which group cannot be stored.
      EXPECT_NE(why.find("of group '" + m_group->name.str() + "'"), std::string::npos) << why;
      continue;
    }
    std::map<std::size_t, std::string> given;
    for (std::size_t s = 0; s < m_slots.size(); ++s) given[s] = Field(s).str();
    ASSERT_NO_FATAL_FAILURE(ExpectKeptOrRefused(given, places, [&] {
      SetGroupCompilerTexts(Block(), m_group->name.str(), t.symbols, t.paths);
    }));
  }
}

// Typed or pasted into an edit up to and past its limit: the edit keeps
// what it held and a note at the field names it; nothing is cut.
TEST_P(GivenTexts, PastedOrTypedPastTheLimitRefusedNamingTheField) {
  Open(Node());
  int walked = 0;
  for (int p = 0; p < m_sheet->PageCount(); ++p) {
    m_sheet->Tabs()->setCurrentIndex(p);
    if (m_sheet->CurrentPage() != m_sheet->Page(p)) {
      // A page before refused to be left (a default it cannot take): the
      // next page is tried on a fresh sheet.
      Open(Node());
      m_sheet->Tabs()->setCurrentIndex(p);
    }
    OptionPage* page = m_sheet->CurrentPage();
    ASSERT_EQ(page, m_sheet->Page(p));
    for (QLineEdit* edit : page->findChildren<QLineEdit*>()) {
      const EditLimit* limit = EditLimit::Of(edit);
      if (!limit || !edit->isEnabled() || !edit->isVisibleTo(page)) continue;
      const std::string name = page->FieldNameOf(edit);
      SCOPED_TRACE(m_sheet->Tabs()->tabText(p).toStdString() + " / " + name);
      EXPECT_FALSE(name.empty());
      const QString held = edit->text();
      const int room = edit->maxLength() - int(held.size());
      ++walked;
      // A paste one past the room left, as the user pastes: told at the
      // field, no box (it would take the keys typed next).
      edit->setFocus();
      edit->end(false);
      QApplication::clipboard()->setText(QString(room + 1, QChar('7')));
      m_notices.clear();
      m_noticeFields.clear();
      m_refusals.clear();
      QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
      QCoreApplication::processEvents();
      ASSERT_EQ(m_notices.size(), 1u);
      EXPECT_EQ(m_notices[0], TooLongRefusal(name, edit->maxLength()));
      EXPECT_EQ(m_noticeFields[0], edit);
      EXPECT_EQ(edit->text(), held);
      EXPECT_TRUE(m_refusals.empty());
      // Filled up to the limit, then one key more.
      QApplication::clipboard()->setText(QString(room, QChar('7')));
      m_notices.clear();
      QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
      QCoreApplication::processEvents();
      EXPECT_TRUE(m_notices.empty());
      EXPECT_EQ(edit->text().size(), edit->maxLength());
      QTest::keyClick(edit, Qt::Key_7);
      QCoreApplication::processEvents();
      ASSERT_EQ(m_notices.size(), 1u);
      EXPECT_EQ(m_notices[0], TooLongRefusal(name, edit->maxLength()));
      EXPECT_EQ(edit->text().size(), edit->maxLength());
      edit->setText(held);
    }
  }
  EXPECT_GT(walked, 0);
}

INSTANTIATE_TEST_SUITE_P(Rows, GivenTexts, ::testing::ValuesIn(test::SheetRows()),
                         [](const auto& info) { return std::string(info.param.name); });

std::vector<SheetRow> GroupRows() {
  std::vector<SheetRow> rows;
  for (const SheetRow& r : test::SheetRows())
    if (r.node == 1) rows.push_back(r);
  return rows;
}
INSTANTIATE_TEST_SUITE_P(Groups, PeerTexts, ::testing::ValuesIn(GroupRows()),
                         [](const auto& info) { return std::string(info.param.name); });

// The Define list of 407 characters a peer or the project file gave the
// target, a group or the assembler, through Options (the page made current
// and OK without an edit) and Save: stored whole, and the build defines
// every symbol (before, the list was cut at 256 characters: the build
// defined "SYM_025_" and dropped the rest).
struct DefineRow {
  const char* name;
  bool group;
  PageId page;
  PreviewTool tool;
  OptString& (*field)(OptionBlock&);
  const char* last;  // how the build defines the list's last symbol
};

const DefineRow kDefineRows[] = {
    {"TargetCompiler", false, PageId::kArmGnuCompiler, PreviewTool::kGnuCc,
     [](OptionBlock& b) -> OptString& { return b.cGnu.ACDEFN; }, "-DSYM_040_X"},
    {"GroupCompiler", true, PageId::kArmGnuCompiler, PreviewTool::kGnuCc,
     [](OptionBlock& b) -> OptString& { return b.cGnu.ACDEFN; }, "-DSYM_040_X"},
    {"TargetAssembler", false, PageId::kArmGnuAsm, PreviewTool::kGnuAs,
     [](OptionBlock& b) -> OptString& { return b.aGnu.AADEFN; }, "--defsym SYM_040_X"},
    {"GroupAssembler", true, PageId::kArmGnuAsm, PreviewTool::kGnuAs,
     [](OptionBlock& b) -> OptString& { return b.aGnu.AADEFN; }, "--defsym SYM_040_X"},
};

class LongDefine : public test::SheetFixture, public ::testing::WithParamInterface<DefineRow> {
 protected:
  LongDefine() : SheetFixture("/tmp/long_define/demo.pm2") {}
  void SetUp() override {
    SheetFixture::SetUp();
    UseToolset(kToolsetArmGnu);
    AddFileToGroup(m_group, "start.s", ".\\", kFileAsm);
  }
  NodeRec* Node() const { return GetParam().group ? static_cast<NodeRec*>(m_group) : m_target; }
  OptString& Field() {
    return GetParam().field(GetParam().group ? *GetNodeOptions(m_group) : *m_target->pOpts);
  }
  // The line the build gives a file of the group for the row's tool.
  std::string BuildLine() {
    FileRec* file = nullptr;
    for (FileRec* f = m_group->firstFile; f; f = f->next)
      if ((f->type == kFileAsm) == (GetParam().tool == PreviewTool::kGnuAs)) file = f;
    OptionsSession session;
    std::string error;
    EXPECT_TRUE(session.Begin(m_project, file, &error)) << error;
    PreviewContextPtr ctx = NewPreviewContext("");
    return std::string(BuildPreview(*ctx, session, GetParam().tool, nullptr));
  }
};

TEST_P(LongDefine, OkWithoutAnEditKeepsTheWholeList) {
  std::string list = "DEBUG=1";
  for (int i = 1; i <= 40; ++i) {
    char symbol[16];
    std::snprintf(symbol, sizeof symbol, ",SYM_%03d_X", i);
    list += symbol;
  }
  ASSERT_EQ(list.size(), 407u);
  Field() = OptString::Pooled(list, kPoolProject);
  SaveAndReopen();
  ASSERT_EQ(Field().str(), list);
  Open(Node());
  ASSERT_NE(Go<OptionPage>(GetParam().page), nullptr);
  m_sheet->accept();
  ASSERT_TRUE(m_refusals.empty()) << m_refusals.front();
  ASSERT_EQ(m_sheet->result(), QDialog::Accepted);
  m_session->Commit();
  m_sheet.reset();
  m_session.reset();
  EXPECT_EQ(Field().str(), list);
  SaveAndReopen();
  EXPECT_EQ(Field().str(), list);
  const std::string line = BuildLine();
  EXPECT_NE(line.find(GetParam().last), std::string::npos) << line;
}

INSTANTIATE_TEST_SUITE_P(Rows, LongDefine, ::testing::ValuesIn(kDefineRows),
                         [](const auto& info) { return std::string(info.param.name); });

// A folder list longer than the include paths' limit comes back from the
// folder list dialog: refused naming the field, the edit keeps its text
// (Qt's edit would have cut the list at its limit).
class FolderListResult : public test::SheetFixture {
 protected:
  FolderListResult() : SheetFixture("/tmp/folder_list_result/demo.pm2") {}
};

TEST_F(FolderListResult, LongerThanTheLimitRefusedNotCut) {
  UseToolset(kToolsetArmGnu);
  // A list just short of the limit; the user adds a folder in the dialog.
  std::string folders = "inc";
  while (folders.size() < 13040) folders += ";f" + std::to_string(folders.size());
  m_runDialog = [](QDialog& dialog) {
    auto* folderList = dynamic_cast<FolderListDialog*>(&dialog);
    EXPECT_NE(folderList, nullptr);
    if (!folderList) return int(QDialog::Rejected);
    dialog.show();
    SECListBoxDirEditor* list = folderList->List();
    list->setFocus();
    list->SetCurSel(list->GetCount() - 1);
    QTest::keyClick(list, Qt::Key_X, Qt::NoModifier);
    EXPECT_NE(list->InPlaceEdit(), nullptr);
    if (!list->InPlaceEdit()) return int(QDialog::Rejected);
    list->InPlaceEdit()->setText("x/one/more/folder");
    QTest::keyClick(list->InPlaceEdit(), Qt::Key_Return);
    dialog.accept();
    return dialog.result();
  };
  Open(m_target);
  auto* page = Go<OptionPage>(PageId::kArmGnuCompiler);
  ASSERT_NE(page, nullptr);
  QLineEdit* include = nullptr;
  for (const OptionPage::TextField& f : page->TextFields())
    if (f.name == "Include Paths") include = qobject_cast<QLineEdit*>(f.edit);
  ASSERT_NE(include, nullptr);
  include->setText(QString::fromStdString(folders));
  ASSERT_EQ(include->text().toStdString(), folders);
  QPushButton* button = nullptr;
  for (QPushButton* b : page->findChildren<QPushButton*>())
    if (b->text() == "...") button = b;
  ASSERT_NE(button, nullptr);
  m_refusals.clear();
  button->click();
  ASSERT_EQ(m_refusals.size(), 1u);
  EXPECT_EQ(m_refusals[0], TooLongRefusal("Include Paths", 13050));
  EXPECT_EQ(include->text().toStdString(), folders);
}

}  // namespace
}  // namespace given_texts_test
}  // namespace pm2
