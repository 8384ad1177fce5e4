#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "platform/atomic_file.h"
#include "project/dialogs/device_db_editor.h"
#include "project/dialogs/device_selection.h"
#include "project/dialogs/dialog_test_util.h"
#include "project/model/option_block.h"

namespace pm2 {
namespace {

class DeviceDialogsTest : public DialogTest {
 protected:
  void SetUp() override {
    DialogTest::SetUp();
    ASSERT_TRUE(dir.isValid());
    WriteDb("generic.cdb", {{"Intel", "8051", 0, "CPU=IRAM(0-0x7F) CLOCK(12000000)"},
                            {"Philips", "80C51MX2", 0, "CPU=IRAM(0-0xFF) MX"},
                            {"Intel", "80251SB", 1, "CPU=IRAM(0-0x3FF)"}});
    WriteDb("arm.cdb", {{"NXP", "LPC2138", 3, "CPU=IRAM(0x40000000-0x40007FFF) CLOCK(12000000)"},
                        {"nxp", "LPC2148", 3, "CPU=IRAM(0x40000000-0x40007FFF)"}});
    databases = {{Path("generic.cdb"), "Generic CPU Data Base"}, {Path("arm.cdb"), "ARM Devices"}};
  }
  struct Dev {
    const char* vendor;
    const char* device;
    uint16_t family;
    const char* option;  // KEY=value
  };
  std::string Path(const char* name) { return dir.filePath(name).toStdString(); }
  void WriteDb(const char* name, std::initializer_list<Dev> devices) {
    DeviceDatabase db(kPoolFindInFiles);
    for (const Dev& d : devices) {
      DeviceDbEntry* e = db.NewEntry(d.vendor, d.device, d.family, std::string(d.device) + " description");
      std::string opt = d.option;
      db.AddOption(e, opt.substr(0, opt.find('=')), opt.substr(opt.find('=') + 1));
      db.Append(e);
    }
    ASSERT_EQ(db.Write(Path(name)), kDeviceDbOk);
    db.Free();
  }
  QTemporaryDir dir;
  std::vector<TitledPath> databases;
};

TEST_F(DeviceDialogsTest, SheetOpensTheDatabaseHoldingTheTargetsDevice) {
  ProjectRec* p = OpenProject();
  p->curTarget->VENDOR = OptString("NXP");
  p->curTarget->DEVICE = OptString("lpc2148");
  DeviceSheet sheet(databases, 0, p->curTarget);
  sheet.show();
  DeviceSelector* s = sheet.Selector();
  EXPECT_EQ(s->DatabaseIndex(), 1);
  ASSERT_NE(s->ChosenEntry(), nullptr);
  EXPECT_EQ(s->ChosenEntry()->device.str(), "LPC2148");
  EXPECT_EQ(s->FamilyLabel()->text(), "ARM");
  EXPECT_EQ(s->Toolsets()->count(), 1);
  EXPECT_EQ(s->Toolsets()->itemText(0), "ARM-Tools");
  // Choose the LPC2138 and confirm.
  ASSERT_TRUE(s->SelectDevice("NXP", "LPC2138"));
  sheet.accept();
  ASSERT_TRUE(sheet.ApplyTo(p->curTarget));
  EXPECT_EQ(p->curTarget->DEVICE.str(), "LPC2138");
  EXPECT_EQ(p->curTarget->toolset, 3);
  EXPECT_TRUE(shell.boxes.empty());
}

// A target without a device opens the tree on its first vendor row, shown
// selected: the labels name that vendor and nothing more, and no device is
// chosen.
TEST_F(DeviceDialogsTest, SheetWithoutDeviceShowsTheVendorTheTreeSelects) {
  ProjectRec* p = OpenProject();
  DeviceSheet sheet(databases, 0, p->curTarget);
  sheet.show();
  DeviceSelector* s = sheet.Selector();
  HTREEITEM current = s->Tree()->GetCaretItem();
  ASSERT_NE(current, nullptr);
  EXPECT_NE(s->Tree()->GetItemState(current, TVIS_SELECTED), 0u);
  EXPECT_EQ(s->Tree()->GetItemText(current), "Intel");
  EXPECT_EQ(s->VendorLabel()->text(), "Intel");
  EXPECT_EQ(s->FamilyLabel()->text(), "");
  EXPECT_EQ(s->ChosenEntry(), nullptr);
  EXPECT_EQ(s->Toolsets()->count(), 0);
}

TEST_F(DeviceDialogsTest, DevicePageAppliesAtOnceAndKeepsExtendedToolBits) {
  ProjectRec* p = OpenProject();
  p->curTarget->VENDOR = OptString("Intel");
  p->curTarget->DEVICE = OptString("8051");
  DeviceSheet prepare(databases, 0, p->curTarget);
  ASSERT_TRUE(prepare.ApplyTo(p->curTarget));
  int applied = 0;
  DeviceSelector page(databases, 0, p->curTarget, DeviceSelector::kOptionsPage);
  QObject::connect(&page, &DeviceSelector::deviceApplied, [&] { ++applied; });
  page.show();
  EXPECT_TRUE(page.LinkerBox()->isVisible());
  EXPECT_FALSE(page.AssemblerBox()->isEnabled());
  page.LinkerBox()->click();
  page.AssemblerBox()->click();
  EXPECT_EQ(p->curTarget->pOpts->t51.T51FL & (kT51UseNx51 | kT51UseWx51), kT51UseNx51 | kT51UseWx51);
  page.LinkerBox()->click();
  EXPECT_FALSE(page.AssemblerBox()->isChecked());
  EXPECT_EQ(p->curTarget->pOpts->t51.T51FL & (kT51UseNx51 | kT51UseWx51), 0u);
  EXPECT_EQ(applied, 3);
  page.SelectDevice("Philips", "80C51MX2");
  EXPECT_FALSE(page.LinkerBox()->isVisible()) << "an MX device has no extended-tool boxes";
  EXPECT_EQ(page.Databases()->count(), 2);
  EXPECT_TRUE(page.Databases()->isEnabled());
}

TEST_F(DeviceDialogsTest, MissingDatabaseIsReportedAndTreeStaysEmpty) {
  std::vector<TitledPath> missing = {{Path("none.cdb"), "Generic CPU Data Base"}};
  DeviceSheet sheet(missing, 0, nullptr);
  ASSERT_EQ(shell.boxes.size(), 1u);
  EXPECT_EQ(shell.boxes[0], "Database file '" + Path("none.cdb") + "' not found !");
  EXPECT_EQ(sheet.Selector()->Tree()->GetRootItem(), nullptr);
}

// A damaged database in the editor: the message names the file and the
// record that is wrong; OK without an edit leaves the file as it was, and
// a saved edit keeps the damaged file as its backup.
TEST_F(DeviceDialogsTest, DamagedDatabaseIsNamedAndNotReplacedByAnEmptyList) {
  const std::string path = Path("generic.cdb");
  QFile f(QString::fromStdString(path));
  ASSERT_TRUE(f.open(QIODevice::ReadWrite));
  QByteArray damaged = f.readAll();
  damaged[40] = char(damaged[40] ^ 0x55);  // inside the first entry: its checksum no longer holds
  f.seek(0);
  f.write(damaged);
  f.close();
  auto onDisk = [](const std::string& p) {
    QFile g(QString::fromStdString(p));
    return g.open(QIODevice::ReadOnly) ? g.readAll() : QByteArray("(missing)");
  };
  {
    DeviceDbEditor editor(path);
    editor.show();
    ASSERT_EQ(shell.boxes.size(), 1u);
    EXPECT_EQ(shell.boxes[0], "Error while reading database file '" + path +
                                  "' !\nThe record at byte 34 has a wrong checksum.\n"
                                  "The file is left as it is unless devices are added here and saved.");
    EXPECT_EQ(editor.Tree()->GetRootItem(), nullptr);
    editor.accept();
    EXPECT_TRUE(editor.Save());
  }
  EXPECT_EQ(onDisk(path), damaged) << "OK without an edit writes nothing";
  EXPECT_EQ(onDisk(BackupNameOf(path)), QByteArray("(missing)"));

  DeviceDbEditor editor(path);
  editor.Vendor()->setText("Atmel");
  editor.Device()->setText("AT89C51");
  editor.OnAdd();
  editor.accept();
  ASSERT_TRUE(editor.Save());
  EXPECT_EQ(onDisk(BackupNameOf(path)), damaged) << "the damaged devices are kept";
  DeviceDatabase back(kPoolFindInFiles);
  ASSERT_EQ(back.Read(path), kDeviceDbOk);
  EXPECT_EQ(back.Count(), 1u);
  back.Free();

  // The device sheet names the file and the record as well.
  shell.boxes.clear();
  std::vector<TitledPath> one = {{BackupNameOf(path), "Generic CPU Data Base"}};
  DeviceSheet sheet(one, 0, nullptr);
  ASSERT_EQ(shell.boxes.size(), 1u);
  EXPECT_EQ(shell.boxes[0],
            "Error while reading database file '" + BackupNameOf(path) + "' !\nThe record at byte 34 has a wrong checksum.");
}

TEST_F(DeviceDialogsTest, EditorAddsDeletesAndWritesOnOkOnly) {
  const std::string path = Path("generic.cdb");
  QFile f(QString::fromStdString(path));
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  const QByteArray before = f.readAll();
  f.close();
  {
    DeviceDbEditor editor(path);
    editor.show();
    editor.OnAdd();
    ASSERT_EQ(shell.boxes.size(), 1u);
    EXPECT_EQ(shell.boxes[0], "missing vendor name");
    editor.Vendor()->setText("Intel");
    editor.Device()->setText("8051");
    shell.answer = kIdNo;
    editor.OnAdd();
    ASSERT_EQ(shell.boxes.size(), 2u);
    EXPECT_EQ(shell.boxes[1], "Intel 8051 already exists, overwrite ?");
    editor.reject();
  }
  QFile again(QString::fromStdString(path));
  ASSERT_TRUE(again.open(QIODevice::ReadOnly));
  EXPECT_EQ(again.readAll(), before) << "Cancel writes nothing";

  DeviceDbEditor editor(path);
  editor.show();
  editor.Vendor()->setText("Atmel");
  editor.Device()->setText("AT89C51");
  editor.OptionsEdit()->setPlainText("CPU = IRAM(0-0x7F)\nbroken line\n");
  editor.OnAdd();
  const DeviceDbEntry* intel = editor.Database().First();
  editor.SelectEntry(intel);
  SendKey(editor.Tree(), Qt::Key_Delete);
  editor.accept();
  ASSERT_TRUE(editor.Save());
  DeviceDatabase back(kPoolFindInFiles);
  ASSERT_EQ(back.Read(path), kDeviceDbOk);
  ASSERT_EQ(back.Count(), 3u);
  EXPECT_EQ(back.First()->device.str(), "80C51MX2") << "the deleted 8051 is not written";
  const DeviceDbEntry* atmel = back.Find("Atmel", "AT89C51", 0);
  ASSERT_NE(atmel, nullptr);
  EXPECT_EQ(FormatDeviceOptions(*atmel), "CPU=IRAM(0-0x7F)\r\n");
  back.Free();
}

}  // namespace
}  // namespace pm2

namespace pm2 {
namespace {

// Enter and Escape typed anywhere in the editor keep it open with what was
// typed: closing it would drop the edits of the database.
struct EditorKeyRow {
  const char* name;
  int key;
  QWidget* (*field)(DeviceDbEditor&);
};

class EditorKeys : public DeviceDialogsTest, public ::testing::WithParamInterface<EditorKeyRow> {};

TEST_P(EditorKeys, NeitherClosesTheEditorNorDropsTheTypedText) {
  const EditorKeyRow& r = GetParam();
  DeviceDbEditor editor(Path("generic.cdb"));
  editor.show();
  editor.Vendor()->setText("Atmel");
  QWidget* field = r.field(editor);
  field->setFocus();
  QTest::keyClick(field, Qt::Key(r.key));
  EXPECT_TRUE(editor.isVisible());
  EXPECT_EQ(editor.result(), 0);
  EXPECT_EQ(editor.Vendor()->text(), "Atmel");
}

const EditorKeyRow kEditorKeyRows[] = {
    {"EscapeInVendor", Qt::Key_Escape, [](DeviceDbEditor& e) -> QWidget* { return e.Vendor(); }},
    {"EnterInVendor", Qt::Key_Return, [](DeviceDbEditor& e) -> QWidget* { return e.Vendor(); }},
    {"EscapeInDevice", Qt::Key_Escape, [](DeviceDbEditor& e) -> QWidget* { return e.Device(); }},
    {"EnterInDevice", Qt::Key_Enter, [](DeviceDbEditor& e) -> QWidget* { return e.Device(); }},
    {"EscapeInFamily", Qt::Key_Escape, [](DeviceDbEditor& e) -> QWidget* { return e.Family(); }},
    {"EnterInFamily", Qt::Key_Return, [](DeviceDbEditor& e) -> QWidget* { return e.Family(); }},
    {"EscapeInTree", Qt::Key_Escape, [](DeviceDbEditor& e) -> QWidget* { return e.Tree(); }},
    {"EnterInTree", Qt::Key_Return, [](DeviceDbEditor& e) -> QWidget* { return e.Tree(); }},
    {"EscapeInOptions", Qt::Key_Escape, [](DeviceDbEditor& e) -> QWidget* { return e.OptionsEdit(); }},
    {"EscapeOnAdd", Qt::Key_Escape, [](DeviceDbEditor& e) -> QWidget* { return e.AddButton(); }},
};
INSTANTIATE_TEST_SUITE_P(Rows, EditorKeys, ::testing::ValuesIn(kEditorKeyRows),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace pm2
