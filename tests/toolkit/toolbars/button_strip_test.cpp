#include "toolkit/toolbars/button_strip.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>

#include "toolkit/controls/qt_bridge.h"
#include "toolkit/core/resources.h"
#include "toolkit/toolbars/qt_resource_module.h"
#include "toolkit/toolbars/toolbar_resource.h"

namespace pm2 {
namespace {

class ButtonStripTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    static int argc = 1;
    static char arg0[] = "test";
    static char* argv[] = {arg0, nullptr};
    if (!QApplication::instance()) new QApplication(argc, argv);
  }
  void SetUp() override {
    mgr = new SECBmpMgr(ToolkitResourceModule());
    ASSERT_EQ(mgr->AddToolBarResource(120), 1) << mgr->LastError();
  }
  void TearDown() override { mgr->Release(); }
  SECBmpMgr* mgr = nullptr;
};

TEST_F(ButtonStripTest, EveryDefaultToolbarButtonHasAnImage) {
  for (unsigned bar : {59392u, 59397u, 59398u}) {
    const auto* ids = ToolkitResources().Toolbar(bar);
    ASSERT_NE(ids, nullptr) << bar;
    for (unsigned id : *ids) {
      if (id == 0) continue;
      StripHandle strip;
      int image = 0;
      EXPECT_TRUE(mgr->GetBitmap(id, &strip, &image)) << "command " << id << " of toolbar " << bar;
    }
  }
  EXPECT_EQ(mgr->m_cxSmall, 16);
  EXPECT_EQ(mgr->m_cySmall, 15);
}

TEST_F(ButtonStripTest, StripImagesMatchTheirTable) {
  MemoryResourceModule module;
  std::string err;
  EXPECT_TRUE(BuildResourceModule(ToolkitResources(), &module, &err)) << err;
  ResourceTables wrong;
  ASSERT_TRUE(wrong.Load("TOOLBAR 120 1 2 3 4 5\n", "test", &err));
  MemoryResourceModule bad;
  EXPECT_FALSE(BuildResourceModule(wrong, &bad, &err));
  EXPECT_EQ(err.rfind("toolbar strip 120: ", 0), 0u) << err;
  EXPECT_EQ(bad.FindResource(120, kRtToolbar), nullptr);
}

TEST_F(ButtonStripTest, CheckButtonClickTogglesEveryButtonOfItsCommand) {
  SECButtonStrip file(mgr, 59392);
  file.SetButtons({57600, 0, 35037, 32720, 35037}, TBBS_CHECKBOX);
  std::vector<unsigned> commands;
  file.onCommand = [&](unsigned id) { commands.push_back(id); };
  file.resize(file.sizeHint());
  file.show();
  const QPoint at = ToQRect(file.Button(2)->BtnRect()).center();
  QTest::mouseMove(&file, at);
  EXPECT_TRUE(file.Button(2)->m_nStyle & TBBS_HOT);
  QTest::mouseClick(&file, Qt::LeftButton, {}, at);
  EXPECT_EQ(commands, std::vector<unsigned>{35037});
  EXPECT_TRUE(file.Button(2)->m_nStyle & TBBS_CHECKED);
  EXPECT_TRUE(file.Button(4)->m_nStyle & TBBS_CHECKED);
  EXPECT_FALSE(file.Button(3)->m_nStyle & TBBS_CHECKED);
}

TEST_F(ButtonStripTest, DropDownSendsItsNotification) {
  SECButtonStrip bar(mgr, 59398);
  bar.SetButtons({35404}, TBSTYLE_DROPDOWN);
  std::vector<ToolbarNotify> notes;
  std::vector<unsigned> commands;
  bar.onNotify = [&](const ToolbarNotify& n) { notes.push_back(n); };
  bar.onCommand = [&](unsigned id) { commands.push_back(id); };
  bar.resize(bar.sizeHint());
  bar.show();
  QTest::mouseClick(&bar, Qt::LeftButton, {}, ToQRect(bar.Button(0)->BtnRect()).center());
  ASSERT_EQ(notes.size(), 1u);
  EXPECT_EQ(notes[0].barId, 59398u);
  EXPECT_EQ(notes[0].code, kTbnDropDown);
  EXPECT_TRUE(commands.empty());
}

TEST_F(ButtonStripTest, SizeFollowsTheButtons) {
  SECButtonStrip bar(mgr, 59398);
  bar.SetButtons({32719, 32720, 0, 35051});
  EXPECT_EQ(bar.sizeHint(), QSize(2 + 23 * 3 + 8 + 2, 22 + 4));
  mgr->SetSmallImages(false);
  bar.Layout();
  EXPECT_EQ(bar.sizeHint().height(), 24 + 7 + 4);
}

}  // namespace
}  // namespace pm2
