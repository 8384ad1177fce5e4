// The editor configuration sheet on the offscreen platform: the editor
// options reach their records and the stored sections, the colours page
// shows and sets element colours and the editors' font and the other
// windows' colours and fonts, the shortcuts page removes, assigns and
// resets keys, and Cancel keeps the stored settings.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>

#include "editor/options/sheet_rules.h"
#include "editor/wizard_ui/color_combo.h"
#include "editor/wizard_ui/colours_fonts_page.h"
#include "editor/wizard_ui/editor_config_sheet.h"
#include "editor/wizard_ui/editor_options_page.h"
#include "editor/wizard_ui/section_colours_dialog.h"
#include "editor/wizard_ui/shortcuts_page.h"
#include "platform/fault_disk.h"
#include "platform/settings_store.h"
#include "platform/temp_dir.h"
#include "toolkit/core/resources.h"
#include "toolkit/menus/command_list.h"
#include "toolkit/menus/fake_frame.h"
#include "toolkit/menus/shortcut_table.h"
#include "toolkit/qt_test_app.h"

namespace pm2 {
namespace {

class SheetTest : public ::testing::Test {
 protected:
  void SetUp() override { test::App(); }
  TempDir m_dir;
  SettingsStore m_store{m_dir / "settings"};
};

TEST_F(SheetTest, EditorOptionsReachTheStoredSections) {
  EditorConfigurationContext ctx;
  ctx.settings = &m_store;
  bool reload = false;
  int applied = 0;
  ctx.applied = [&](bool r) {
    reload = r;
    ++applied;
  };
  ctx.exec = [](CColFnt& sheet) {
    EXPECT_EQ(3, sheet.Tabs()->count());
    EXPECT_FALSE(sheet.Tabs()->isTabEnabled(2)) << "no shortcut table given";
    auto* tab = qobject_cast<QSpinBox*>(sheet.EditorPage()->Control(1489));
    auto* backup = qobject_cast<QCheckBox*>(sheet.EditorPage()->Control(1482));
    auto* reloadBox = qobject_cast<QCheckBox*>(sheet.EditorPage()->Control(1490));
    auto* otherTabs = qobject_cast<QCheckBox*>(sheet.EditorPage()->Control(1196));
    EXPECT_TRUE(tab && backup && reloadBox && otherTabs);
    if (!tab || !backup || !reloadBox || !otherTabs) return false;
    EXPECT_EQ(4, tab->value());
    tab->setValue(8);
    backup->setChecked(true);
    reloadBox->setChecked(true);
    otherTabs->setChecked(true);
    return true;
  };
  ASSERT_TRUE(RunEditorConfigurationSheet(nullptr, ctx));
  EXPECT_EQ(1, applied);
  EXPECT_TRUE(reload);
  EditorTypeSettings all{};
  LoadAllEditorTypeSettings(m_store, &all);
  EXPECT_EQ(8, all[kFtRecCFiles].TabSize());
  EXPECT_TRUE(all[kFtRecCFiles].Has(kFtBackupFiles));
  EXPECT_TRUE(all[kFtRecDefault].Has(kFtTabsToBlanks));
  EXPECT_EQ(8, m_store.GetProfileInt("Editor\\C Files", "Tab Size", 0));
  EXPECT_EQ(0, m_store.GetProfileInt("Editor\\Default Files", "Keep Tabs", 1));
}

// The colours page's "Section Colors..." opens the colour dialog of the
// chosen editor kind's profile section: its OK writes the section, the
// kind's record takes the values, and the sheet's OK keeps them.
TEST_F(SheetTest, SectionColoursFromTheColoursPage) {
  EditorConfigurationContext ctx;
  ctx.settings = &m_store;
  ctx.toolset = 3;  // ARM-GNU: the C files' section is "Editor\CArmC"
  WindowFonts fonts;
  ctx.windowFonts = &fonts;
  std::vector<std::string> sections;
  ctx.exec = [&](CColFnt& sheet) {
    CPgColFnt* page = sheet.ColoursPage();
    sheet.Tabs()->setCurrentWidget(page);
    EXPECT_FALSE(page->SectionButton()->isEnabled()) << "no kind chosen";
    page->Kinds()->setCurrentRow(kEditorWindowKindCount);  // the first other window: no section
    EXPECT_EQ(page->Kinds()->currentRow(), kEditorWindowKindCount);
    EXPECT_FALSE(page->SectionButton()->isEnabled());
    page->Kinds()->setCurrentRow(0);  // Editor C files
    EXPECT_TRUE(page->SectionButton()->isEnabled());
    sheet.execSectionDialog = [&](CEditOpt& dialog) {
      sections.push_back(dialog.Section());
      // Titled by the file kind, not by the settings path.
      EXPECT_EQ(dialog.windowTitle(), "Colors - CArmC");
      // Keyword navy, background yellow: the samples show them.
      dialog.chooseColour = [](uint32_t) { return std::optional<uint32_t>(0x800000); };
      dialog.ColourButton(CEditOpt::kKeyword)->click();
      dialog.chooseColour = [](uint32_t) { return std::optional<uint32_t>(0x00FFFF); };
      dialog.ColourButton(CEditOpt::kBackground)->click();
      EXPECT_EQ(dialog.Sample(CEditOpt::kKeyword)->palette().color(QPalette::WindowText), QColor(0, 0, 128));
      EXPECT_EQ(dialog.Sample(CEditOpt::kComment)->palette().color(QPalette::Window), QColor(255, 255, 0));
      dialog.CaseBox()->setChecked(true);
      dialog.Delimiter(0)->setText("//");
      auto* box = dialog.findChild<QDialogButtonBox*>();
      if (!box) return false;
      box->button(QDialogButtonBox::Ok)->click();
      return dialog.result() == QDialog::Accepted;
    };
    page->SectionButton()->click();
    // Cancel in the dialog changes nothing.
    sheet.execSectionDialog = [&](CEditOpt& dialog) {
      sections.push_back(dialog.Section());
      dialog.Delimiter(0)->setText("--");
      return false;
    };
    page->SectionButton()->click();
    return true;
  };
  ASSERT_TRUE(RunEditorConfigurationSheet(nullptr, ctx));
  EXPECT_EQ(sections, (std::vector<std::string>{"Editor\\CArmC", "Editor\\CArmC"}));
  EXPECT_EQ(m_store.GetProfileString("Editor\\CArmC", "Comment Start 1", ""), "//");
  EditorTypeSettings all{};
  LoadAllEditorTypeSettings(m_store, &all);
  EXPECT_EQ(all[kFtRecArmC].crKeyword, 0x800000u);
  EXPECT_EQ(all[kFtRecArmC].crBackground, 0x00FFFFu);
  EXPECT_TRUE(all[kFtRecArmC].Has(kFtCaseSensitive));
}

TEST_F(SheetTest, CancelKeepsTheStoredSettings) {
  EditorConfigurationContext ctx;
  ctx.settings = &m_store;
  int applied = 0;
  ctx.applied = [&](bool) { ++applied; };
  ctx.exec = [](CColFnt& sheet) {
    qobject_cast<QSpinBox*>(sheet.EditorPage()->Control(1489))->setValue(12);
    return false;
  };
  EXPECT_FALSE(RunEditorConfigurationSheet(nullptr, ctx));
  EXPECT_EQ(0, applied);
  EditorTypeSettings all{};
  LoadAllEditorTypeSettings(m_store, &all);
  EXPECT_EQ(4, all[kFtRecCFiles].TabSize());
}

TEST_F(SheetTest, ColoursPageShowsAndSetsElementColours) {
  EditorTypeSettings all{};
  all[kFtRecCFiles].crKeyword = 0xFF0000;  // blue, a table colour
  all[kFtRecCFiles].crComment = 0x123456;  // not a table colour
  all[kFtRecCFiles].fontSize = 10;
  CPgColFnt page(all);
  page.show();
  EXPECT_EQ(-1, page.Kinds()->currentRow()) << "nothing chosen at first";
  page.Kinds()->setCurrentRow(0);  // Editor C files
  EXPECT_EQ(kEditorColourElementCount, page.Elements()->count());
  page.Elements()->setCurrentRow(1);  // Keywords
  EXPECT_EQ(ComboColourIndex(0xFF0000), page.Colours()->currentIndex());
  EXPECT_EQ(0xFF0000u, page.Sample()->foreground);
  EXPECT_EQ("10", page.Sizes()->currentText());
  page.Elements()->setCurrentRow(2);  // Comments
  EXPECT_EQ(-1, page.Colours()->currentIndex()) << "a colour outside the table selects nothing";
  page.Colours()->setCurrentIndex(9);
  emit page.Colours()->activated(9);
  EXPECT_EQ(ComboColourAt(9), all[kFtRecCFiles].crComment);
  page.Elements()->setCurrentRow(5);  // Background
  EXPECT_EQ(all[kFtRecCFiles].crBackground, page.Sample()->background);
  // The size sets the font of the C, assembler and other files alike.
  page.Sizes()->setCurrentIndex(page.Sizes()->findText("14"));
  emit page.Sizes()->activated(page.Sizes()->currentIndex());
  page.Bold()->setChecked(true);
  for (int r : {kFtRecCFiles, kFtRecAsmPage, kFtRecDefault}) {
    EXPECT_EQ(14, all[size_t(r)].fontSize) << r;
    EXPECT_EQ(700, all[size_t(r)].fontWeight) << r;
  }
  EXPECT_EQ(-FontHeightOfPoints(14, page.PixelsPerInch()), page.Sample()->sampleFont.pixelSize());
}

// The other windows follow the editor kinds; each element edits its own
// colour of the window settings, the font is the kind's.
TEST_F(SheetTest, ColoursPageSetsTheOtherWindowsSettings) {
  EditorTypeSettings all{};
  WindowFonts fonts;
  fonts.serial[1].background = 0x808000;  // a table colour
  CPgColFnt page(all, &fonts);
  fonts.memory.height = FontHeightOfPoints(12, page.PixelsPerInch());
  page.show();
  ASSERT_EQ(kEditorWindowKindCount + kWindowSettingsKindCount, page.Kinds()->count());
  const char* const kinds[] = {"Disassembly Window", "Memory Window",    "Debug Command Window", "Build Output Window",
                               "Serial #1 Window",   "Serial #2 Window", "Serial #3 Window"};
  for (int i = 0; i < kWindowSettingsKindCount; ++i)
    EXPECT_EQ(kinds[i], page.Kinds()->item(kEditorWindowKindCount + i)->text().toStdString());
  struct Row {
    const char* kind;
    const char* element;
    int colourIndex;
    uint32_t* colour;
  };
  const Row rows[] = {
      {"Disassembly Window", "Background", 14, &fonts.disassemblyColours[kDisBack]},
      {"Disassembly Window", "Text of Source Lines", 2, &fonts.disassemblyColours[kDisSourceText]},
      {"Disassembly Window", "Current Line Background", 7, &fonts.disassemblyColours[kDisCursorBack]},
      {"Disassembly Window", "Trace Lines Background", 8, &fonts.disassemblyColours[kDisTraceBack]},
      {"Disassembly Window", "Text of Code Lines", 4, &fonts.disassemblyColours[kDisCodeText]},
      {"Memory Window", "Text", 1, &fonts.memoryText},
      {"Memory Window", "Background", 11, &fonts.memoryBackground},
      {"Serial #3 Window", "Text", 12, &fonts.serial[2].text},
      {"Serial #3 Window", "Background", 0, &fonts.serial[2].background},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(std::string(r.kind) + " / " + r.element);
    const auto kind = page.Kinds()->findItems(r.kind, Qt::MatchExactly);
    ASSERT_EQ(1, kind.size());
    page.Kinds()->setCurrentItem(kind[0]);
    const auto element = page.Elements()->findItems(r.element, Qt::MatchExactly);
    ASSERT_EQ(1, element.size());
    page.Elements()->setCurrentItem(element[0]);
    page.Colours()->setCurrentIndex(r.colourIndex);
    emit page.Colours()->activated(r.colourIndex);
    EXPECT_EQ(ComboColourAt(r.colourIndex), *r.colour);
  }
  // A stored colour and size show when the element is chosen.
  page.Kinds()->setCurrentRow(kEditorWindowKindCount + 5);  // Serial #2
  page.Elements()->setCurrentRow(1);                          // Background
  EXPECT_EQ(ComboColourIndex(0x808000), page.Colours()->currentIndex());
  EXPECT_EQ(0x808000u, page.Sample()->background);
  page.Kinds()->setCurrentRow(kEditorWindowKindCount + 1);  // Memory
  EXPECT_EQ("12", page.Sizes()->currentText());
  // The size and bold switch set the kind's font only.
  page.Kinds()->setCurrentRow(kEditorWindowKindCount + 2);  // Debug Command Window: font only
  EXPECT_EQ(-1, page.Colours()->currentIndex());
  page.Sizes()->setCurrentIndex(page.Sizes()->findText("16"));
  emit page.Sizes()->activated(page.Sizes()->currentIndex());
  page.Bold()->setChecked(true);
  EXPECT_EQ(FontHeightOfPoints(16, page.PixelsPerInch()), fonts.command.height);
  EXPECT_EQ(700, fonts.command.weight);
  EXPECT_FALSE(fonts.output.IsSet());
  EXPECT_EQ(FontHeightOfPoints(12, page.PixelsPerInch()), fonts.memory.height);
  EXPECT_EQ(-FontHeightOfPoints(16, page.PixelsPerInch()), page.Sample()->sampleFont.pixelSize());
}

TEST_F(SheetTest, WindowSettingsAreKeptOnOkAndRestoredOnCancel) {
  WindowFonts fonts;
  EditorConfigurationContext ctx;
  ctx.settings = &m_store;
  ctx.windowFonts = &fonts;
  auto setNavyDisassembly = [](CColFnt& sheet) {
    CPgColFnt* page = sheet.ColoursPage();
    page->Kinds()->setCurrentRow(kEditorWindowKindCount);  // Disassembly Window
    page->Elements()->setCurrentRow(2);                       // Background
    page->Colours()->setCurrentIndex(ComboColourIndex(0x800000));
    emit page->Colours()->activated(page->Colours()->currentIndex());
  };
  ctx.exec = [&](CColFnt& sheet) {
    setNavyDisassembly(sheet);
    EXPECT_EQ(0x800000u, fonts.disassemblyColours[kDisBack]) << "the sheet edits the program's record";
    return false;
  };
  EXPECT_FALSE(RunEditorConfigurationSheet(nullptr, ctx));
  EXPECT_EQ(WindowFonts{}, fonts);
  ctx.exec = [&](CColFnt& sheet) {
    setNavyDisassembly(sheet);
    return true;
  };
  EXPECT_TRUE(RunEditorConfigurationSheet(nullptr, ctx));
  EXPECT_EQ(0x800000u, fonts.disassemblyColours[kDisBack]);
}

TEST_F(SheetTest, DefaultsOnTheColoursPageResetTheWindowColoursButNotTheirPlaces) {
  EditorTypeSettings all{};
  WindowFonts fonts;
  fonts.memoryText = 0x0000FF;
  fonts.symbols.length = 44;
  fonts.symbols.right = fonts.symbols.bottom = 100;
  fonts.serial[0].placement = fonts.symbols;
  fonts.toolBox = ScreenRect{1, 2, 30, 40};
  CColFnt sheet(all, nullptr, nullptr, nullptr, &fonts);
  sheet.Tabs()->setCurrentWidget(sheet.ColoursPage());
  QTest::mouseClick(sheet.DefaultsButton(), Qt::LeftButton);
  EXPECT_EQ(0u, fonts.memoryText);
  EXPECT_TRUE(fonts.symbols.Valid());
  EXPECT_TRUE(fonts.serial[0].placement.Valid());
  EXPECT_EQ((ScreenRect{1, 2, 30, 40}), fonts.toolBox);
}

class ShortcutsTest : public SheetTest {
 protected:
  void SetUp() override {
    SheetTest::SetUp();
    frame.AddMenu("POPUP \"&Project\"\nITEM 32720 \"&Build target\"\nITEM 35051 \"&Options...\"\nEND\n");
    std::string err;
    ASSERT_TRUE(strings.Load("", "t", &err));
    table = std::make_unique<SECShortcutTable>(frame, ShortcutFilePaths{"/cfg/a.Mac", "/cfg/a.Mac"}, &disk);
    commands = std::make_unique<SECCommandList>(frame, strings);
    commands->BuildFromMenus();
  }
  test::FakeFrame frame{AccelTable{{FVIRTKEY | FNOINVERT, 118, 32720}, {FVIRTKEY | FNOINVERT | FALT, 118, 35051}}};
  ResourceTables strings;
  FaultDisk disk;
  std::unique_ptr<SECShortcutTable> table;
  std::unique_ptr<SECCommandList> commands;
};

TEST_F(ShortcutsTest, RemoveAssignAndReset) {
  CPgScut page(table.get(), commands.get());
  std::vector<std::string> messages;
  page.showMessage = [&](const std::string& t) { messages.push_back(t); };
  ASSERT_EQ(2, page.Commands()->count());
  // Remove with nothing chosen: the message, nothing changes.
  QTest::mouseClick(page.RemoveButton(), Qt::LeftButton);
  EXPECT_EQ(std::vector<std::string>{"No shortcut selected !"}, messages);
  EXPECT_FALSE(page.Modified());
  QTest::mouseClick(page.AssignButton(), Qt::LeftButton);
  EXPECT_EQ("Select Item first !", messages.back());
  page.Commands()->setCurrentRow(0);
  ASSERT_EQ(1, page.Keys()->count());
  EXPECT_EQ("F7", page.Keys()->item(0)->text());
  page.Keys()->setCurrentRow(0);
  QTest::mouseClick(page.RemoveButton(), Qt::LeftButton);
  EXPECT_EQ(0, page.Keys()->count());
  EXPECT_TRUE(page.Modified());
  EXPECT_EQ(1u, page.Records().size());
  // Assign: Alt+F7 moves from the other command to this one.
  page.captureKey = [] { return uint32_t(0x400 | 118); };
  QTest::mouseClick(page.AssignButton(), Qt::LeftButton);
  ASSERT_EQ(1u, page.Records().size());
  EXPECT_EQ(32720, page.Records()[0].cmd);
  EXPECT_EQ(1, page.Keys()->count());
  page.askOkCancel = [](const std::string& t) { return t == "Sure to kill all shortcuts ?"; };
  QTest::mouseClick(page.ResetButton(), Qt::LeftButton);
  EXPECT_TRUE(page.Records().empty());
  EXPECT_EQ(2u, table->Records().size()) << "the page works on a copy";
}

TEST_F(ShortcutsTest, OkInstallsAChangedTable) {
  EditorConfigurationContext ctx;
  ctx.settings = &m_store;
  ctx.shortcuts = table.get();
  ctx.commands = commands.get();
  ctx.exec = [](CColFnt& sheet) {
    EXPECT_TRUE(sheet.Tabs()->isTabEnabled(2));
    CPgScut* page = sheet.ShortcutsPage();
    page->Commands()->setCurrentRow(1);
    page->captureKey = [] { return uint32_t(0x200 | 'B'); };
    QTest::mouseClick(page->AssignButton(), Qt::LeftButton);
    return true;
  };
  const int installs = frame.installs;
  ASSERT_TRUE(RunEditorConfigurationSheet(nullptr, ctx));
  EXPECT_EQ(3u, table->Records().size());
  EXPECT_EQ(installs + 1, frame.installs);
}

}  // namespace
}  // namespace pm2
