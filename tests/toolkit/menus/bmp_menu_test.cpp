#include "toolkit/menus/bmp_menu.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QTest>
#include <QWidgetAction>

#include <memory>
#include <string>

#include "toolkit/controls/qt_bridge.h"
#include "toolkit/toolbars/qt_resource_module.h"
#include "toolkit/toolbars/xp_look.h"

namespace pm2 {
namespace {

class BmpMenuTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    static int argc = 1;
    static char arg0[] = "test";
    static char* argv[] = {arg0, nullptr};
    if (!QApplication::instance()) new QApplication(argc, argv);
  }
  void SetUp() override { ASSERT_TRUE(plugIn.LoadToolBarBitmap(120)); }
  void TearDown() override { SECSetXPLook(false); }
  QAction* Add(QMenu& m, const char* text, int id) {
    QAction* a = m.addAction(text);
    a->setData(id);
    return a;
  }
  void Open(QMenu& m) {
    m.popup(QPoint(10, 10));
    QApplication::processEvents();
  }
  SECBmpMenuPlugIn plugIn{ToolkitResourceModule()};
};

TEST_F(BmpMenuTest, ConvertedOnceAndLaterItemsOnNextOpening) {
  QMenu menu;
  QAction* newItem = Add(menu, "&New", 57600);
  QAction* sep = menu.addSeparator();
  plugIn.Track(&menu);
  Open(menu);
  ASSERT_NE(plugIn.ItemInfo(&menu, newItem), nullptr);
  EXPECT_EQ(plugIn.ItemInfo(&menu, newItem)->nID, 57600);
  EXPECT_EQ(plugIn.ItemInfo(&menu, newItem)->mnemonic, 'N');
  EXPECT_EQ(plugIn.ItemInfo(&menu, sep), nullptr);  // plain look: Qt's separator
  const SECBmpMenuItemInfo* first = plugIn.ItemInfo(&menu, newItem);
  menu.hide();
  QAction* later = Add(menu, "&Open", 57601);
  EXPECT_EQ(plugIn.ItemInfo(&menu, later), nullptr);
  Open(menu);
  EXPECT_EQ(plugIn.ItemInfo(&menu, newItem), first);  // not converted again
  EXPECT_NE(plugIn.ItemInfo(&menu, later), nullptr);
  menu.hide();
}

TEST_F(BmpMenuTest, XPSeparatorsAndForeignItems) {
  SECSetXPLook(true);
  QMenu menu;
  Add(menu, "&New", 57600);
  QAction* sep = menu.addSeparator();
  QAction* close = Add(menu, "&Close", 0xF060);
  QAction* afterSystem = menu.addSeparator();
  QAction* excluded = Add(menu, "&Tools", 32930);
  auto* widget = new QWidgetAction(&menu);
  widget->setData(57601);
  menu.addAction(widget);
  plugIn.ExcludeId(32930);
  plugIn.OnInitMenuPopup(&menu);
  ASSERT_NE(plugIn.ItemInfo(&menu, sep), nullptr);
  EXPECT_EQ(plugIn.ItemInfo(&menu, sep)->nID, -1);
  EXPECT_EQ(plugIn.ItemInfo(&menu, close), nullptr);
  EXPECT_EQ(plugIn.ItemInfo(&menu, afterSystem), nullptr);
  EXPECT_EQ(plugIn.ItemInfo(&menu, excluded), nullptr);
  EXPECT_EQ(plugIn.ItemInfo(&menu, widget), nullptr);
}

TEST_F(BmpMenuTest, EqualMnemonicsCycleOneMnemonicRuns) {
  QMenu menu;
  QAction* print = Add(menu, "&Print", 57607);
  Add(menu, "&Save", 57603);
  QAction* project = Add(menu, "&Project", 32702);
  QAction* open = Add(menu, "&Open", 57601);
  plugIn.Track(&menu);
  Open(menu);
  QTest::keyClick(&menu, Qt::Key_P, Qt::NoModifier);
  EXPECT_EQ(menu.activeAction(), print);
  QTest::keyClick(&menu, Qt::Key_P, Qt::NoModifier);
  EXPECT_EQ(menu.activeAction(), project);
  QTest::keyClick(&menu, Qt::Key_P, Qt::NoModifier);
  EXPECT_EQ(menu.activeAction(), print);
  int opened = 0;
  QObject::connect(open, &QAction::triggered, [&] { ++opened; });
  QTest::keyClick(&menu, Qt::Key_O, Qt::NoModifier);
  EXPECT_EQ(opened, 1);
  EXPECT_FALSE(menu.isVisible());
}

TEST_F(BmpMenuTest, DestroyedMenusArePurged) {
  auto* menu = new QMenu;
  Add(*menu, "&New", 57600);
  plugIn.OnInitMenuPopup(menu);
  EXPECT_TRUE(plugIn.IsConverted(menu));
  QMenu* gone = menu;
  delete menu;
  plugIn.PurgeMenus();
  EXPECT_FALSE(plugIn.IsConverted(gone));
}

// A menu filled anew at each opening (recent files) and a context menu made
// for each click: after many openings the plug-in keeps the items of the
// menus and actions that are there now, no more.
TEST_F(BmpMenuTest, MenusRebuiltAtEachOpeningKeepOnlyTheirPresentItems) {
  SECSetXPLook(true);  // separators are converted too
  QMenu file;
  for (int opening = 0; opening < 50; ++opening) {
    file.clear();  // deletes the actions it owns
    Add(file, "&New", 57600);
    Add(file, "&Close", 57602);
    file.addSeparator();
    const std::string name = "&1 file" + std::to_string(opening) + ".c";
    QAction* recent = Add(file, name.c_str(), 57616);
    plugIn.OnInitMenuPopup(&file);
    ASSERT_NE(plugIn.ItemInfo(&file, recent), nullptr) << opening;
    EXPECT_EQ(plugIn.ItemInfo(&file, recent)->strText, name) << "not an earlier action's item";
    auto context = std::make_unique<QMenu>();
    Add(*context, "&Undo", 57643);
    plugIn.OnInitMenuPopup(context.get());
  }
  plugIn.OnInitMenuPopup(&file);
  EXPECT_EQ(plugIn.ItemCount(), 4u) << "the file menu's three items and its separator";
}

TEST_F(BmpMenuTest, ItemsGetRoomForTheImage) {
  QMenu plain, ours;
  Add(plain, "&New", 57600);
  Add(ours, "&New", 57600);
  plugIn.OnInitMenuPopup(&ours);
  ours.ensurePolished();
  const QRect r = ours.actionGeometry(ours.actions()[0]);
  EXPECT_GE(r.height(), 15 + 4);
  EXPECT_GE(r.width(), QFontMetrics(DefaultGuiFont()).horizontalAdvance("New") + 16 + 30);
}

}  // namespace
}  // namespace pm2
