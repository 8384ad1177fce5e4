#include <gtest/gtest.h>

#include <QApplication>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QLineEdit>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include <QPushButton>

#include "platform/settings_store.h"
#include "platform/temp_dir.h"
#include "shell/tools/ui/find_in_files_dialog.h"
#include "shell/tools/ui/lint_options_dialog.h"
#include "shell/tools/ui/scc_query_dialog.h"
#include "project/model/option_block.h"
#include "project/model/project_records.h"
#include "project/text/pool.h"
#include "shell/tools/ui/svcs_template_dialog.h"

#include <cstdlib>
#include <functional>
#include <memory>
#include <unistd.h>
#include "shell/tools/ui/tools_menu_dialog.h"
#include "test_leftovers.h"

namespace pm2 {
namespace {

QApplication* App() {
  static int argc = 1;
  static char name[] = "shell_tools_ui_test";
  static char* argv[] = {name, nullptr};
  static QApplication* app = new QApplication(argc, argv);
  return app;
}

UserToolEntry Tool(const std::string& text, const std::string& program) {
  UserToolEntry e;
  e.used = true;
  e.menuText = text;
  e.program = program;
  return e;
}

TEST(ToolsMenuDialog, EditsTheSelectedToolAndSavesOnOk) {
  App();
  SettingsStore store("/nonexistent/settings.ini");
  WriteUserTools(store, {Tool("Grep", "/bin/grep"), Tool("Diff", "/usr/bin/diff")});
  ToolsMenuDialog dlg(store);
  EXPECT_EQ(dlg.ProgramEdit()->text(), "/bin/grep");
  dlg.List()->SetCurSel(1);
  dlg.List()->NotifySelChange();
  EXPECT_EQ(dlg.ProgramEdit()->text(), "/usr/bin/diff");
  dlg.ArgumentsEdit()->setFocus();
  QTest::keyClicks(dlg.ArgumentsEdit(), "-u #E");
  dlg.IndependentBox()->setChecked(true);
  dlg.accept();
  std::vector<UserToolEntry> back = ReadUserTools(store);
  ASSERT_EQ(back.size(), 2u);
  EXPECT_EQ(back[1].arguments, "-u #E");
  EXPECT_EQ(back[1].options, kToolIndependent);
  EXPECT_EQ(back[0].options, 0u);
}

TEST(ToolsMenuDialog, AToolNameMayHaveBlanks) {
  App();
  SettingsStore store("/nonexistent/settings.ini");
  WriteUserTools(store, {Tool("Grep", "/bin/grep")});
  ToolsMenuDialog dlg(store);
  dlg.show();
  dlg.List()->SetCurSel(1);  // the empty last row
  dlg.List()->setFocus();
  QTest::keyClick(dlg.List(), 'R');
  ASSERT_NE(dlg.List()->InPlaceEdit(), nullptr);
  QTest::keyClicks(dlg.List()->InPlaceEdit(), "un tests");
  ASSERT_NE(dlg.List()->InPlaceEdit(), nullptr);  // the blank did not end the entry
  QTest::keyClick(dlg.List()->InPlaceEdit(), Qt::Key_Return);
  EXPECT_EQ(dlg.List()->GetText(1), "Run tests");
  dlg.ProgramEdit()->setText("/bin/true");
  dlg.accept();
  std::vector<UserToolEntry> back = ReadUserTools(store);
  ASSERT_EQ(back.size(), 2u);
  EXPECT_EQ(back[1].menuText, "Run tests");
}

TEST(ToolsMenuDialog, CancelWritesNothing) {
  App();
  SettingsStore store("/nonexistent/settings.ini");
  WriteUserTools(store, {Tool("Grep", "/bin/grep")});
  {
    ToolsMenuDialog dlg(store);
    QTest::keyClicks(dlg.ProgramEdit(), "x");
    dlg.reject();
  }
  EXPECT_EQ(ReadUserTools(store).at(0).program, "/bin/grep");
}

TEST(FindInFilesDialog, OkNeedsAllThreeTextsAndRegexTurnsOptionsOff) {
  App();
  SettingsStore store("/nonexistent/settings.ini");
  FindInFilesDialog dlg(store, "", "");
  EXPECT_EQ(dlg.TypesCombo()->currentText().toStdString(), kDefaultFindTypes);
  EXPECT_FALSE(dlg.FindButton()->isEnabled());
  dlg.FindCombo()->setEditText("needle");
  EXPECT_FALSE(dlg.FindButton()->isEnabled());
  dlg.FolderCombo()->setEditText("/src");
  EXPECT_TRUE(dlg.FindButton()->isEnabled());
  dlg.WholeWordBox()->setChecked(true);
  dlg.RegexBox()->setChecked(true);
  EXPECT_FALSE(dlg.WholeWordBox()->isEnabled());
  dlg.accept();
  EXPECT_EQ(dlg.Request().findText, "needle");
  EXPECT_TRUE(dlg.Request().regularExpression);
  EXPECT_FALSE(dlg.Request().wholeWord);
  EXPECT_EQ(ReadHistoryList(store, "_FoldLst"), (std::vector<std::string>{"/src"}));
  EXPECT_EQ(store.GetProfileInt("_FindLst", "_Opt", 0), 0xA);
}

TEST(FindInFilesDialog, EnterMovesTextToTop) {
  App();
  SettingsStore store("/nonexistent/settings.ini");
  store.WriteProfileString("_FindLst", "_Item0", "a");
  store.WriteProfileString("_FindLst", "_Item1", "b");
  FindInFilesDialog dlg(store, "", "/proj/");
  EXPECT_EQ(dlg.FolderCombo()->currentText(), "/proj");
  dlg.FindCombo()->setEditText("b");
  QTest::keyClick(dlg.FindCombo()->lineEdit(), Qt::Key_Return);
  ASSERT_EQ(dlg.FindCombo()->count(), 2);
  EXPECT_EQ(dlg.FindCombo()->itemText(0), "b");
  EXPECT_EQ(dlg.FindCombo()->itemText(1), "a");
}

// A field typed into while its history holds an entry that extends the
// typed text in another case: the field keeps what was typed, and that is
// what is searched.
struct TypedFieldRow {
  const char* name;
  const char* section;  // the field's history
  const char* history;  // its newest entry
  const char* typed;
  Qt::Key after;  // pressed after the text (none: Qt::Key_unknown)
};

class FindInFilesTypedField : public ::testing::TestWithParam<TypedFieldRow> {};

TEST_P(FindInFilesTypedField, KeepsTheTypedTextAgainstItsHistory) {
  App();
  const TypedFieldRow& r = GetParam();
  SettingsStore store("/nonexistent/settings.ini");
  store.WriteProfileString(r.section, "_Item0", r.history);
  FindInFilesDialog dlg(store, "", "/proj/");
  const std::string section = r.section;
  QComboBox* field = section == "_FindLst"   ? dlg.FindCombo()
                     : section == "_TypeLst" ? dlg.TypesCombo()
                                             : dlg.FolderCombo();
  ASSERT_NE(nullptr, field->lineEdit());
  field->lineEdit()->clear();
  // Tabbed into (the field's completer, if any, works from its focus on).
  QFocusEvent in(QEvent::FocusIn, Qt::TabFocusReason);
  QApplication::sendEvent(field->lineEdit(), &in);
  QTest::keyClicks(field->lineEdit(), r.typed);
  if (r.after != Qt::Key_unknown) QTest::keyClick(field->lineEdit(), r.after);
  EXPECT_EQ(r.typed, field->currentText().toStdString());
  EXPECT_NE(-1, field->findText(r.history, Qt::MatchExactly | Qt::MatchCaseSensitive))
      << "the history stays in the list";
  if (dlg.FindCombo()->currentText().isEmpty()) dlg.FindCombo()->setEditText("needle");
  if (dlg.FolderCombo()->currentText().isEmpty()) dlg.FolderCombo()->setEditText("/src");
  dlg.accept();
  const FindInFilesRequest& q = dlg.Request();
  const std::string sent = section == "_FindLst" ? q.findText : section == "_TypeLst" ? q.fileTypes : q.folder;
  EXPECT_EQ(r.typed, sent);
  EXPECT_EQ(r.typed, store.GetProfileString(r.section, "_Item0", ""));
}

const TypedFieldRow kTypedFieldRows[] = {
    {"FindWhat", "_FindLst", "Serial_Init", "Serial", Qt::Key_unknown},
    {"FindWhatThenEnter", "_FindLst", "padding", "PAD", Qt::Key_Return},
    {"FileTypesThenTab", "_TypeLst", "*.c;*.h", "*.C", Qt::Key_Tab},
    {"FolderThenEnter", "_FoldLst", "/src/Drivers", "/src/d", Qt::Key_Return},
};
INSTANTIATE_TEST_SUITE_P(Rows, FindInFilesTypedField, ::testing::ValuesIn(kTypedFieldRows),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(SccQueryDialog, OnlyAskedTextsKeptTrimmed) {
  App();
  SccQueryDialog dlg({true, false, true}, "old", "1.1", "");
  EXPECT_FALSE(dlg.RevisionEdit()->isEnabled());
  dlg.CommentEdit()->setText("  fixed it  ");
  dlg.CheckPointEdit()->setText(" cp ");
  std::string c, r, p;
  dlg.Texts(&c, &r, &p);
  EXPECT_EQ(c, "fixed it");
  EXPECT_EQ(r, "");
  EXPECT_EQ(p, "cp");
}

TEST(LintOptionsDialog, OkStoresTrimmedSettingsInTheTarget) {
  App();
  ProjectRec* p = NewProject("demo", "/p/");
  {
    LintOptionsDialog dlg(*p->curTarget);
    dlg.ProgramEdit()->setText(" /opt/lint-nt ");
    dlg.ConfigEdit()->setText("std.lnt");
    dlg.Folders()->InsertString(0, "/inc");
    dlg.Folders()->InsertString(1, "   ");
    dlg.accept();
  }
  LintSettings s = LintSettingsOf(*p->curTarget);
  EXPECT_EQ(s.program, "/opt/lint-nt");
  EXPECT_EQ(s.includeFolders, (std::vector<std::string>{"/inc"}));
  PoolFreeAll();
}

TEST(AddInSetupDialog, PathWrittenTrimmed) {
  App();
  SettingsStore store("/nonexistent/settings.ini");
  store.WriteProfileString("Settings\\EasyCase", "Bin", " /opt/ec/Easy-Cpp.exe ");
  AddInSetupDialog dlg(store);
  EXPECT_EQ(dlg.PathEdit()->text(), "/opt/ec/Easy-Cpp.exe");
  dlg.PathEdit()->setText(" /usr/bin/ec  ");
  dlg.accept();
  EXPECT_EQ(store.GetProfileString("Settings\\EasyCase", "Bin"), "/usr/bin/ec");
}

TEST(SvcsTemplateDialog, ShowsCommandsAndWritesTemplateAndProfile) {
  App();
  std::string tmpl = test::TempFolder() + "/pm2svcsdlgXXXXXX";
  std::string dir = ::mkdtemp(tmpl.data());
  std::string path = dir + "/vc.SVCS";
  FILE* f = std::fopen(path.c_str(), "wb");
  std::fputs("[SVCS]\nDataBase=/repo\nMenuItem=Get\nCommand=git\nArguments=pull\nMenuItem=Put\nQueryComment=1\n", f);
  std::fclose(f);
  SettingsStore store("/nonexistent/settings.ini");
  store.WriteProfileString("Sccs", "SccsFile", path.c_str());
  store.WriteProfileString("Sccs", "SccsUser", "ann");
  SvcsTemplateDialog dlg(store);
  EXPECT_EQ(dlg.DataBaseEdit()->text(), "/repo");
  EXPECT_EQ(dlg.CommandEdit()->text(), "git");
  dlg.List()->SetCurSel(1);
  dlg.List()->NotifySelChange();
  EXPECT_TRUE(dlg.FlagBox(1)->isChecked());
  dlg.CommandEdit()->setText("  git  ");
  dlg.ArgumentsEdit()->setText("commit -F %Q");
  dlg.UserEdit()->setText(" bob ");
  dlg.accept();
  std::vector<SvcsSection> s;
  ASSERT_TRUE(ReadSvcsFile(path, &s));
  ASSERT_EQ(s.at(0).entries.size(), 2u);
  EXPECT_EQ(s[0].entries[0].arguments, "pull");
  EXPECT_EQ(s[0].entries[1].command, "git");
  EXPECT_EQ(s[0].entries[1].arguments, "commit -F %Q");
  EXPECT_EQ(store.GetProfileString("Sccs", "SccsUser"), "bob");
  std::system(("rm -rf " + dir).c_str());
}

// The project identifier of the current target: typed into the field, OK
// stores it in the target's block and Cancel leaves the block as it was;
// without a target the field is empty and closed to typing.
TEST(SvcsTemplateDialog, ProjectIdentifierFieldWithOkAndCancel) {
  App();
  SettingsStore store("/nonexistent/settings.ini");
  struct Row {
    const char* name;
    bool withTarget;
    bool ok;
    const char* typed;
    const char* expected;  // the block's text afterwards
  } rows[] = {
      {"ok stores the typed text", true, true, " PRJ-9 ", "PRJ-9"},
      {"ok with the field cleared", true, true, "", ""},
      {"cancel keeps the stored text", true, false, "OTHER", "OLD-1"},
      {"no target", false, true, "", ""},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    OptionBlock* block = NewOptionBlock(kPoolProject);
    block->lst.SVCSID = OptString::Pooled("OLD-1", kPoolProject);
    const OptString before = block->lst.SVCSID;
    SvcsTemplateDialog dlg(store, nullptr, r.withTarget ? block : nullptr);
    dlg.show();
    QLineEdit* edit = dlg.ProjectIdEdit();
    EXPECT_EQ(edit->isEnabled(), r.withTarget);
    EXPECT_EQ(edit->text(), r.withTarget ? "OLD-1" : "");
    if (r.withTarget) {
      edit->setFocus();
      edit->selectAll();
      QTest::keyClick(edit, Qt::Key_Delete);
      QTest::keyClicks(edit, r.typed);
    }
    auto* buttons = dlg.findChild<QDialogButtonBox*>();
    ASSERT_NE(buttons, nullptr);
    QTest::mouseClick(buttons->button(r.ok ? QDialogButtonBox::Ok : QDialogButtonBox::Cancel), Qt::LeftButton);
    EXPECT_EQ(dlg.result(), r.ok ? QDialog::Accepted : QDialog::Rejected);
    if (r.withTarget) {
      EXPECT_EQ(block->lst.SVCSID.str(), r.expected);
    } else {
      EXPECT_TRUE(block->lst.SVCSID.SameStored(before));
    }
    if (!r.ok) { EXPECT_TRUE(block->lst.SVCSID.SameStored(before)); }
    if (std::string(r.expected).empty() && r.withTarget) { EXPECT_TRUE(block->lst.SVCSID.IsEmptyOpt()); }
  }
  PoolFreeAll();
}

// Commands typed into the dialog before any template file was named: OK
// asks for the name and keeps the dialog (and the commands) open; with a
// name, OK writes them there.
TEST(SvcsTemplateDialog, OkWithoutTemplateNameAsksForItFirst) {
  App();
  std::string tmpl = test::TempFolder() + "/pm2svcsdlgXXXXXX";
  const std::string dir = ::mkdtemp(tmpl.data());
  SettingsStore store(dir + "/settings.ini");
  SvcsTemplateDialog dlg(store);
  dlg.show();
  // A new command typed into the list's empty last row.
  dlg.List()->SetCurSel(dlg.List()->GetCount() - 1);
  ASSERT_TRUE(dlg.List()->StartEditing());
  dlg.List()->AcceptEdit("Get");
  dlg.List()->SetCurSel(0);
  dlg.List()->NotifySelChange();
  dlg.CommandEdit()->setText("git");
  std::vector<std::string> boxes;
  QTimer closer;
  QObject::connect(&closer, &QTimer::timeout, [&boxes] {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
      boxes.push_back(box->text().toStdString());
      box->accept();
    }
  });
  closer.start(10);
  auto* buttons = dlg.findChild<QDialogButtonBox*>();
  ASSERT_NE(buttons, nullptr);
  QTest::mouseClick(buttons->button(QDialogButtonBox::Ok), Qt::LeftButton);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0], SvcsTemplateModel::NameNeededText());
  EXPECT_TRUE(dlg.isVisible());
  EXPECT_EQ(dlg.Model().Count(), 1);

  const std::string path = dir + "/vc.SVCS";
  dlg.TemplateEdit()->setText(QString::fromStdString(path));
  QTest::mouseClick(buttons->button(QDialogButtonBox::Ok), Qt::LeftButton);
  EXPECT_EQ(boxes.size(), 1u);
  EXPECT_EQ(dlg.result(), QDialog::Accepted);
  std::vector<SvcsSection> s;
  ASSERT_TRUE(ReadSvcsFile(path, &s));
  ASSERT_EQ(s.at(0).entries.size(), 1u);
  EXPECT_EQ(s[0].entries[0].menuText, "Get");
  EXPECT_EQ(s[0].entries[0].command, "git");
  EXPECT_EQ(store.GetProfileString("Sccs", "SccsFile"), path);
  std::system(("rm -rf " + dir).c_str());
}

TEST(SvcsTemplateDialog, IdentifierFieldHoldsSixtyFourCharacters) {
  App();
  SettingsStore store("/nonexistent/settings.ini");
  OptionBlock* block = NewOptionBlock(kPoolProject);
  SvcsTemplateDialog dlg(store, nullptr, block);
  dlg.show();
  QTest::keyClicks(dlg.ProjectIdEdit(), QString(70, 'k'));
  EXPECT_EQ(dlg.ProjectIdEdit()->text().size(), 64);
  dlg.accept();
  EXPECT_EQ(block->lst.SVCSID.str(), std::string(64, 'k'));
  PoolFreeAll();
}

// The "..." buttons of the template's DataBase and of the selected command
// pick a file into their edits; OK writes what was picked.
struct SvcsBrowseRow {
  const char* name;
  int button;  // 1 DataBase, 2 Command
};
class SvcsBrowseButton : public ::testing::TestWithParam<SvcsBrowseRow> {};

TEST_P(SvcsBrowseButton, PicksAFileIntoItsEditAndOkWritesIt) {
  App();
  const SvcsBrowseRow& r = GetParam();
  std::string tmpl = test::TempFolder() + "/pm2svcsdlgXXXXXX";
  const std::string dir = ::mkdtemp(tmpl.data());
  const std::string path = dir + "/vc.SVCS";
  FILE* f = std::fopen(path.c_str(), "wb");
  std::fputs("[SVCS]\nDataBase=/repo\nMenuItem=Get\nCommand=git\n", f);
  std::fclose(f);
  SettingsStore store(dir + "/settings.ini");
  store.WriteProfileString("Sccs", "SccsFile", path.c_str());
  const QString picked = QString::fromStdString(dir + "/picked/" + r.name);
  std::vector<PickerRequest> asked;
  SetPicker([&](const PickerRequest& q) -> std::optional<QString> {
    asked.push_back(q);
    return picked;
  });
  {
    SvcsTemplateDialog dlg(store);
    dlg.show();
    QLineEdit* edit = r.button == 1 ? static_cast<QLineEdit*>(dlg.DataBaseEdit()) : dlg.CommandEdit();
    ASSERT_NE(dlg.BrowseButton(r.button), nullptr);
    QTest::mouseClick(dlg.BrowseButton(r.button), Qt::LeftButton);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].kind, PickerRequest::Kind::OpenFile);
    EXPECT_EQ(edit->text(), picked);
    dlg.accept();
  }
  SetPicker(nullptr);
  std::vector<SvcsSection> s;
  ASSERT_TRUE(ReadSvcsFile(path, &s));
  ASSERT_EQ(s.at(0).entries.size(), 1u);
  const std::string& stored = r.button == 1 ? s[0].dataBase : s[0].entries[0].command;
  EXPECT_EQ(stored, picked.toStdString());
  std::system(("rm -rf " + dir).c_str());
}

const SvcsBrowseRow kSvcsBrowseRows[] = {{"DataBase", 1}, {"Command", 2}};
INSTANTIATE_TEST_SUITE_P(Rows, SvcsBrowseButton, ::testing::ValuesIn(kSvcsBrowseRows),
                         [](const auto& info) { return std::string(info.param.name); });

// The list's heading carries a mnemonic: Alt+M moves the focus into the
// list of menu entries, in both dialogs that edit menu contents.
struct MenuContentRow {
  const char* name;
  std::function<std::unique_ptr<QDialog>(SettingsStore&)> make;
  std::function<QWidget*(QDialog&)> list;
};
class MenuContentHeading : public ::testing::TestWithParam<MenuContentRow> {};

TEST_P(MenuContentHeading, AltMFocusesTheList) {
  App();
  const MenuContentRow& r = GetParam();
  std::string tmpl = test::TempFolder() + "/pm2menudlgXXXXXX";
  const std::string dir = ::mkdtemp(tmpl.data());
  SettingsStore store(dir + "/settings.ini");
  std::unique_ptr<QDialog> dlg = r.make(store);
  dlg->show();
  dlg->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(dlg.get()));
  QWidget* list = r.list(*dlg);
  QWidget* other = dlg->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Cancel);
  other->setFocus();
  ASSERT_FALSE(list->hasFocus());
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_M, Qt::AltModifier);
  EXPECT_TRUE(list->hasFocus());
  dlg.reset();
  std::system(("rm -rf " + dir).c_str());
}

const MenuContentRow kMenuContentRows[] = {
    {"VersionControl",
     [](SettingsStore& s) -> std::unique_ptr<QDialog> { return std::make_unique<SvcsTemplateDialog>(s); },
     [](QDialog& d) -> QWidget* { return static_cast<SvcsTemplateDialog&>(d).List(); }},
    {"ToolsMenu", [](SettingsStore& s) -> std::unique_ptr<QDialog> { return std::make_unique<ToolsMenuDialog>(s); },
     [](QDialog& d) -> QWidget* { return d.findChild<ToolListEditor*>(); }},
};
INSTANTIATE_TEST_SUITE_P(Rows, MenuContentHeading, ::testing::ValuesIn(kMenuContentRows),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace pm2

namespace pm2 {
namespace {

// A menu text typed key by key into the empty last row of Menu Content: the
// blank is part of it, so it stays one row and the Command field keeps
// what is typed into it afterwards.
TEST(SvcsTemplateDialog, MenuTextWithABlankStaysOneRow) {
  App();
  std::string tmpl = test::TempFolder() + "/pm2svcsdlgXXXXXX";
  const std::string dir = ::mkdtemp(tmpl.data());
  const std::string path = dir + "/vc.SVCS";
  SettingsStore store(dir + "/settings.ini");
  store.WriteProfileString("Sccs", "SccsFile", path.c_str());
  SvcsTemplateDialog dlg(store);
  dlg.show();
  SECListBoxEditor* list = dlg.List();
  list->setFocus();
  list->SetCurSel(list->GetCount() - 1);
  QTest::keyClicks(list, "C");
  ASSERT_NE(list->InPlaceEdit(), nullptr);
  QTest::keyClicks(list->InPlaceEdit(), "heck In");
  ASSERT_TRUE(list->IsEditing()) << "a blank does not end the entry";
  QTest::keyClick(list->InPlaceEdit(), Qt::Key_Return);
  ASSERT_EQ(list->GetItemCount(), 1);
  EXPECT_EQ(list->GetText(0), "Check In");
  list->SetCurSel(0);
  list->NotifySelChange();
  dlg.CommandEdit()->setFocus();
  QTest::keyClicks(dlg.CommandEdit(), "git");
  dlg.accept();
  std::vector<SvcsSection> s;
  ASSERT_TRUE(ReadSvcsFile(path, &s));
  ASSERT_EQ(s.at(0).entries.size(), 1u);
  EXPECT_EQ(s[0].entries[0].menuText, "Check In");
  EXPECT_EQ(s[0].entries[0].command, "git");
  std::system(("rm -rf " + dir).c_str());
}

}  // namespace
}  // namespace pm2

namespace pm2 {
namespace {

// The project identifier typed into the dialog: OK refuses a text the
// project file would give back as another, naming the field, and keeps
// the dialog open with the stored identifier untouched; any other text is
// stored as typed.
TEST(SvcsTemplateDialog, ProjectIdentifierTheProjectCannotKeepIsRefusedOnOk) {
  App();
  SettingsStore store("/nonexistent/settings.ini");
  const struct {
    const char* name;
    const char* typed;
    const char* refusal;  // "" when OK stores it
  } rows[] = {
      {"CommentAfterAClosingAngle", "rel>/*1",
       "The text of 'Project Identifier' cannot be stored: it holds a '>' without its '<' followed by \"/*\"."},
      {"WrittenLineBreak", "x\\~y",
       "The text of 'Project Identifier' cannot be stored: it holds the characters \"\\~\"."},
      {"LoneAngles", "a>b<c", ""},
      {"CommentInsideAngles", "<a/*b>", ""},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.name);
    OptionBlock* block = NewOptionBlock(kPoolProject);
    block->lst.SVCSID = OptString::Pooled("OLD-1", kPoolProject);
    SvcsTemplateDialog dlg(store, nullptr, block);
    dlg.show();
    QLineEdit* edit = dlg.ProjectIdEdit();
    edit->setFocus();
    edit->selectAll();
    QTest::keyClicks(edit, r.typed);
    std::vector<std::string> boxes;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&boxes] {
      if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
        boxes.push_back(box->text().toStdString());
        box->accept();
      }
    });
    closer.start(10);
    auto* buttons = dlg.findChild<QDialogButtonBox*>();
    ASSERT_NE(buttons, nullptr);
    QTest::mouseClick(buttons->button(QDialogButtonBox::Ok), Qt::LeftButton);
    if (*r.refusal) {
      ASSERT_EQ(boxes.size(), 1u);
      EXPECT_EQ(boxes[0], r.refusal);
      EXPECT_TRUE(dlg.isVisible());
      EXPECT_EQ(edit->text(), r.typed);
      EXPECT_EQ(block->lst.SVCSID.str(), "OLD-1");
    } else {
      EXPECT_TRUE(boxes.empty());
      EXPECT_EQ(dlg.result(), QDialog::Accepted);
      EXPECT_EQ(block->lst.SVCSID.str(), r.typed);
    }
  }
  PoolFreeAll();
}

}  // namespace
}  // namespace pm2

#include "project/files/project_file.h"
#include "project/files/stored_texts.h"
#include "project/model/app_state.h"
#include "project/model/option_defaults.h"

namespace pm2 {
namespace {

// Every character the project file treats as its own, typed into each text
// field of the PC-Lint and version-control dialogs: OK refuses it, naming
// the field and keeping the dialog open, or the project can still be saved
// and its files give back exactly what the dialog stored.
struct TypedTextRow {
  const char* name;
  std::string text;
};
std::vector<TypedTextRow> TypedTexts(std::size_t limit) {
  return {
      {"OpeningParenthesis", "a(b"},
      {"ClosingParenthesis", "a)b"},
      {"OpeningAngle", "a<b"},
      {"ClosingAngle", "/opt/lint/lint-nt>x"},
      {"Backslash", "a\\b"},
      {"WrittenLineBreak", "x\\~y"},
      {"Quote", "a\"b"},
      {"Blank", "a b"},
      {"CarriageReturn", "a\rb"},
      {"LineFeed", "a\nb"},
      {"CarriageReturnLineFeed", "a\r\nb"},
      {"Slash", "a/b"},
      {"CommentAfterAClosingAngle", "rel>/*1"},
      {"NonAsciiAtTheLimit", std::string(limit - 1, 'a') + "\xC3\xA4"},
  };
}

// A dialog field: how a text is typed into it and read back from a target.
struct DialogField {
  const char* name;  // as the refusal names it
  std::size_t limit;
  void (*type)(QDialog&, const QString&);
  std::string (*stored)(const TargetRec&);
};

class DialogFieldTexts : public ::testing::Test {
 protected:
  void SetUp() override {
    App();
    ProjectRec* made = NewProject("demo", "/p/");
    made->curTarget->toolset = kToolsetArmGnu;
    ResetTargetOptions(made->curTarget, kToolsetUndefined);
    // Reading a project back frees the scratch pool the new one was made in.
    project = CopyProjectTree(made, kPoolProject);
    theApp().m_pProject = project;
    PoolFree(kPoolScratch);
    QObject::connect(&closer, &QTimer::timeout, [this] {
      if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
        boxes.push_back(box->text().toStdString());
        box->accept();
      }
    });
    closer.start(0);
  }
  void TearDown() override {
    closer.stop();
    theApp().m_pProject = nullptr;
    PoolFreeAll();
  }
  // The project's target as its files give it back.
  std::string ReadBack(const DialogField& field) {
    ProjectFileIo io;
    io.pool = kPoolFindInFiles;
    const std::string pm2 = BuildProjectFileText(*project), opt = BuildOptionsFileText(*project);
    const std::string_view optView(opt);
    EXPECT_EQ(ReadProjectText(io, "/p/demo.pm2", pm2, &optView), kProjectFileOk) << io.message;
    std::string back = io.project ? field.stored(*io.project->curTarget) : std::string();
    PoolFree(kPoolFindInFiles);
    return back;
  }
  void Run(const DialogField& field, const std::function<std::unique_ptr<QDialog>()>& make) {
    int refused = 0, kept = 0;
    for (const TypedTextRow& row : TypedTexts(field.limit)) {
      SCOPED_TRACE(std::string(field.name) + ": " + row.name);
      boxes.clear();
      const std::string before = field.stored(*project->curTarget);
      std::unique_ptr<QDialog> dlg = make();
      dlg->show();
      field.type(*dlg, QString::fromStdString(row.text));
      auto* buttons = dlg->findChild<QDialogButtonBox*>();
      ASSERT_NE(buttons, nullptr);
      QTest::mouseClick(buttons->button(QDialogButtonBox::Ok), Qt::LeftButton);
      if (!boxes.empty()) {
        ++refused;
        EXPECT_EQ(boxes.size(), 1u);
        EXPECT_NE(boxes[0].find("'" + std::string(field.name) + "'"), std::string::npos) << boxes[0];
        EXPECT_TRUE(dlg->isVisible());
        EXPECT_EQ(field.stored(*project->curTarget), before);
        continue;
      }
      ++kept;
      EXPECT_EQ(dlg->result(), QDialog::Accepted);
      const std::string stored = field.stored(*project->curTarget);
      EXPECT_EQ(stored, row.text);
      EXPECT_EQ(ProjectTextRefusal(*project), "") << "no later save fails";
      EXPECT_EQ(ReadBack(field), stored);
    }
    EXPECT_GT(refused, 0);
    EXPECT_GT(kept, 0);
  }
  ProjectRec* project = nullptr;
  QTimer closer;
  std::vector<std::string> boxes;
};

LintOptionsDialog& Lint(QDialog& d) { return static_cast<LintOptionsDialog&>(d); }

TEST_F(DialogFieldTexts, PcLintOptions) {
  const DialogField fields[] = {
      {"Lint Executable", 256, [](QDialog& d, const QString& t) { Lint(d).ProgramEdit()->setText(t); },
       [](const TargetRec& t) { return t.OPTLE.str(); }},
      {"Configuration File", 256, [](QDialog& d, const QString& t) { Lint(d).ConfigEdit()->setText(t); },
       [](const TargetRec& t) { return t.OPTLC.str(); }},
      {"PC-Lint Include Folders", 256,
       [](QDialog& d, const QString& t) {
         while (Lint(d).Folders()->GetItemCount() > 0) Lint(d).Folders()->DeleteString(0);
         Lint(d).Folders()->InsertString(0, t.toStdString());
       },
       [](const TargetRec& t) { return t.OPTLI ? t.OPTLI->text.str() : std::string(); }},
  };
  for (const DialogField& f : fields)
    Run(f, [this] { return std::make_unique<LintOptionsDialog>(*project->curTarget); });
}

// An include-folder row typed with a text the options file could not give
// back is refused as the row is left, naming the list: a new row goes, a
// renamed one gets its text back; OK then stores what the list holds.
TEST_F(DialogFieldTexts, PcLintIncludeFolderRowsAreRefusedWhereTyped) {
  LintSettings s = LintSettingsOf(*project->curTarget);
  s.includeFolders = {"/inc"};
  ApplyLintSettings(*project->curTarget, s);
  LintOptionsDialog dlg(*project->curTarget);
  dlg.show();
  LintFolderListEditor* list = dlg.Folders();
  ASSERT_EQ(list->GetCount(), 2) << "the row and the empty last row";
  struct Row {
    const char* name;
    int row;
  } rows[] = {{"a new row", 1}, {"a renamed row", 0}};
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    boxes.clear();
    list->SetCurSel(r.row);
    ASSERT_TRUE(list->StartEditing());
    list->AcceptEdit("/inc>x");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].find("'PC-Lint Include Folders'"), std::string::npos) << boxes[0];
    ASSERT_EQ(list->GetCount(), 2);
    EXPECT_EQ(list->GetText(0), "/inc");
    EXPECT_EQ(list->GetText(1), "");
  }
  boxes.clear();
  QTest::mouseClick(dlg.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok), Qt::LeftButton);
  EXPECT_TRUE(boxes.empty());
  EXPECT_EQ(dlg.result(), QDialog::Accepted);
  EXPECT_EQ(LintSettingsOf(*project->curTarget).includeFolders, std::vector<std::string>{"/inc"});
}

TEST_F(DialogFieldTexts, VersionControlProjectIdentifier) {
  SettingsStore store("/nonexistent/settings.ini");
  const DialogField field{
      "Project Identifier", 64,
      [](QDialog& d, const QString& t) { static_cast<SvcsTemplateDialog&>(d).ProjectIdEdit()->setText(t); },
      [](const TargetRec& t) { return t.pOpts->lst.SVCSID.str(); }};
  Run(field, [this, &store] { return std::make_unique<SvcsTemplateDialog>(store, nullptr, project->curTarget->pOpts); });
}

}  // namespace
}  // namespace pm2
