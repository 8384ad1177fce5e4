#include <gtest/gtest.h>

#include "platform/settings_store.h"
#include "toolkit/core/persistent_tree.h"
#include "toolkit/docking/dock_state.h"

namespace pm2 {
namespace {

void FillSample(SECDockState& st) {
  st.SetScreenSize({1280, 1024});
  ControlBarInfo* dock = st.NewBarInfo();
  dock->isDockBar = true;
  dock->barId = 0xE81E;
  dock->bars = {0xE901, 0xE902, 0, 0x1E903, 0};
  ControlBarInfo* empty = st.NewBarInfo();
  empty->isDockBar = true;
  empty->barId = 0xE81B;
  ControlBarInfo* bar = st.NewBarInfo();
  bar->barId = 0xE901;
  bar->pos = {12, 34};
  bar->docking = true;
  bar->mruDockId = 0xE81E;
  bar->mruDockPos = {0, 6, 300, 170};
  bar->mruFloatStyle = 0x2000;
  bar->mruFloatPos = {400, 300};
  bar->mruHorz = {300, 170};
  bar->mruVert = {220, 400};
  bar->mruFloat = {320, 200};
  bar->pctWidth = 0.625f;
  bar->style = 0x8214;
  bar->exStyle = 0x10F31;
  bar->dockingStyle = 0xF000;
  bar->className = "SECControlBar";
  bar->windowName = "Output Window";
  ControlBarInfo* floating = st.NewBarInfo();
  floating->barId = 0xE905;
  floating->floating = true;
  floating->horz = false;
  floating->visible = false;
  floating->mdiChild = true;
  WindowPlacement wp;
  wp.normal = {30, 30, 330, 230};
  floating->placement = EncodePlacement(wp);
}

void ExpectSample(const SECDockState& st) {
  ASSERT_EQ(st.Records().size(), 3u);  // the empty dock bar is not stored
  EXPECT_EQ(st.ScreenSize(), (Size{1280, 1024}));
  const ControlBarInfo& dock = *st.Records()[0];
  EXPECT_TRUE(dock.isDockBar);
  EXPECT_EQ(dock.bars, (std::vector<std::uint32_t>{0xE901, 0xE902, 0, 0x1E903, 0}));
  const ControlBarInfo& bar = *st.Records()[1];
  EXPECT_EQ(bar.barId, 0xE901u);
  EXPECT_EQ(bar.pos, (Point{12, 34}));
  EXPECT_TRUE(bar.docking);
  EXPECT_EQ(bar.mruDockId, 0xE81Eu);
  EXPECT_EQ(bar.mruDockPos, (Rect{0, 6, 300, 170}));
  EXPECT_EQ(bar.mruFloatPos, (Point{400, 300}));
  EXPECT_EQ(bar.mruHorz, (Size{300, 170}));
  EXPECT_EQ(bar.mruVert, (Size{220, 400}));
  EXPECT_EQ(bar.mruFloat, (Size{320, 200}));
  EXPECT_NEAR(bar.pctWidth, 0.625f, 1e-6);
  EXPECT_EQ(bar.style, 0x8214u);
  EXPECT_EQ(bar.exStyle, 0x10F31u);
  EXPECT_EQ(bar.className, "SECControlBar");
  EXPECT_EQ(bar.windowName, "Output Window");
  EXPECT_TRUE(bar.visible);
  const ControlBarInfo& fl = *st.Records()[2];
  EXPECT_TRUE(fl.floating);
  EXPECT_FALSE(fl.horz);
  EXPECT_FALSE(fl.visible);
  EXPECT_TRUE(fl.mdiChild);
  EXPECT_EQ(DecodePlacement(fl.placement.data(), fl.placement.size()).normal, (Rect{30, 30, 330, 230}));
}

TEST(DockState, TreeFormRoundTrip) {
  SECDockState st;
  FillSample(st);
  SECPTNFactory f;
  SECPersistentTreeNode* root = f.CreateNode("WorkState_v1_2");
  ASSERT_TRUE(st.SaveStateToNode(root));
  const SECPersistentTreeNode* ds = root->FindChild("DockState");
  ASSERT_NE(ds, nullptr);
  std::string v;
  ds->GetKeyValue("Bars", &v);
  EXPECT_EQ(v, "3");
  // Numbering skips the empty dock bar.
  EXPECT_NE(ds->FindChild("Bar-2"), nullptr);
  EXPECT_EQ(ds->FindChild("Bar-3"), nullptr);
  const SECPersistentTreeNode* b1 = ds->FindChild("Bar-1");
  b1->GetKeyValue("PctWidth", &v);
  EXPECT_EQ(v, "625000");
  // A docked bar stores neither "Horz" nor "Floating"; a floating one both.
  EXPECT_EQ(b1->FindKeyValuePair("Floating"), nullptr);
  EXPECT_EQ(b1->FindKeyValuePair("Horz"), nullptr);
  EXPECT_NE(ds->FindChild("Bar-2")->FindKeyValuePair("Floating"), nullptr);
  SECDockState back;
  ASSERT_TRUE(back.LoadStateFromNode(root));
  ExpectSample(back);
}

TEST(DockState, ProfileFormRoundTrip) {
  SettingsStore store("/nonexistent/settings.ini");
  SECDockState st;
  FillSample(st);
  st.SaveState(store, "MFrame-Bars");
  EXPECT_EQ(store.GetProfileInt("MFrame-Bars-Summary", "Bars", -1), 3);
  EXPECT_EQ(store.GetProfileString("MFrame-Bars-Bar1", "PctWidth"), "625000");
  std::string placement;
  ASSERT_TRUE(store.GetProfileBinary("MFrame-Bars-Bar2", "MDIChildWindowPlacement", &placement));
  EXPECT_EQ(placement.size(), 44u);
  SECDockState back;
  back.LoadState(store, "MFrame-Bars");
  ExpectSample(back);
}

// A damaged layout's counts can't run a load past what its records hold.
TEST(DockState, HugeCountsAreBoundedByTheRecords) {
  SettingsStore store("/nonexistent/settings.ini");
  SECDockState st;
  FillSample(st);
  st.SaveState(store, "MFrame-Bars");
  store.WriteProfileInt("MFrame-Bars-Summary", "Bars", 2000000000);
  store.WriteProfileInt("MFrame-Bars-Bar0", "Bars", 2000000000);
  SECDockState back;
  back.LoadState(store, "MFrame-Bars");
  // No more records than sections, no more ids than entries.
  EXPECT_EQ(back.Records().size(), 3u);
  ASSERT_FALSE(back.Records().empty());
  EXPECT_LE(back.Records()[0]->bars.size(),
            store.ValueNames(store.ProfileRoot() + "\\MFrame-Bars-Bar0").size());
  EXPECT_EQ(std::vector<std::uint32_t>(back.Records()[0]->bars.begin(), back.Records()[0]->bars.begin() + 5),
            (std::vector<std::uint32_t>{0xE901, 0xE902, 0, 0x1E903, 0}));

  SECPTNFactory f;
  SECPersistentTreeNode* root = f.CreateNode("WorkState_v1_2");
  ASSERT_TRUE(st.SaveStateToNode(root));
  SECPersistentTreeNode* ds = root->FindChild("DockState");
  ds->SetKeyValueLong("Bars", 2000000000);
  ds->FindChild("Bar-0")->SetKeyValueLong("Bars", 2000000000);
  SECDockState fromTree;
  ASSERT_TRUE(fromTree.LoadStateFromNode(root));
  EXPECT_EQ(fromTree.Records().size(), 3u);
  EXPECT_LE(fromTree.Records()[0]->bars.size(), ds->FindChild("Bar-0")->Pairs().size());
}

TEST(DockState, DefaultPlaceStoresNoPosition) {
  SECDockState st;
  ControlBarInfo* r = st.NewBarInfo();
  r->barId = 7;
  SECPTNFactory f;
  SECPersistentTreeNode* root = f.CreateNode("R");
  st.SaveStateToNode(root);
  const SECPersistentTreeNode* b = root->FindChild("DockState")->FindChild("Bar-0");
  EXPECT_EQ(b->FindKeyValuePair("XPos"), nullptr);
  EXPECT_EQ(b->FindKeyValuePair("YPos"), nullptr);
  EXPECT_EQ(b->FindKeyValuePair("Visible"), nullptr);
}

TEST(DockState, PctWidthText) {
  const struct {
    const char* text;
    float share;
    const char* back;
  } rows[] = {{"500000", 0.5f, "500000"}, {"-5", 0.0f, "0"}, {"", 0.0f, "0"}, {"1000000", 1.0f, "1000000"}};
  for (const auto& r : rows) {
    EXPECT_FLOAT_EQ(PctWidthFromText(r.text), r.share) << r.text;
    EXPECT_EQ(PctWidthText(PctWidthFromText(r.text)), r.back) << r.text;
  }
}

TEST(DockState, MissingTreeNodeAndNegativeSizes) {
  SECPTNFactory f;
  SECPersistentTreeNode* root = f.CreateNode("R");
  SECDockState st;
  EXPECT_FALSE(st.LoadStateFromNode(root));
  EXPECT_TRUE(st.Records().empty());
  SECPersistentTreeNode* ds = root->CreateChild("DockState");
  ds->SetKeyValueLong("Bars", 2);
  SECPersistentTreeNode* b = ds->CreateChild("Bar-1");  // Bar-0 missing: skipped
  b->SetKeyValueLong("BarID", 9);
  b->SetKeyValueLong("MRUFloatCX", -40);
  b->SetKeyValueLong("MRUFloatCY", 120);
  ASSERT_TRUE(st.LoadStateFromNode(root));
  ASSERT_EQ(st.Records().size(), 1u);
  EXPECT_EQ(st.Records()[0]->mruFloat, (Size{0, 120}));
  EXPECT_EQ(st.Records()[0]->pos, (Point{-1, -1}));
  EXPECT_EQ(st.Records()[0]->mruWidth, 32767);
}

TEST(DockState, RemoveStaleBarIdsKeepsRowsAndOneClosingRowEnd) {
  const struct {
    const char* name;
    std::vector<std::uint32_t> left, bottom;
    unsigned barAt;  // the MRU dock bar of bar 0xE901
    std::vector<std::uint32_t> leftAfter, bottomAfter;
  } rows[] = {
      {"held place in a foreign dock bar goes", {0x1E901, 0xE902, 0}, {0xE901, 0}, 0xE81E, {0xE902, 0}, {0xE901, 0}},
      {"held place in its own dock bar stays", {0x1E901, 0xE902, 0}, {0xE903, 0}, 0xE81C, {0x1E901, 0xE902, 0}, {0xE903, 0}},
      {"repeated ids and trailing row ends", {0xE902, 0, 0xE902, 0, 0, 0}, {}, 0, {0xE902, 0}, {}},
  };
  for (const auto& r : rows) {
    SECDockState st;
    ControlBarInfo* left = st.NewBarInfo();
    left->barId = 0xE81C;
    left->bars = r.left;
    ControlBarInfo* bottom = st.NewBarInfo();
    bottom->barId = 0xE81E;
    bottom->bars = r.bottom;
    ControlBarInfo* bar = st.NewBarInfo();
    bar->barId = 0xE901;
    bar->mruDockId = r.barAt;
    st.RemoveStaleBarIDs();
    EXPECT_EQ(left->bars, r.leftAfter) << r.name;
    EXPECT_EQ(bottom->bars, r.bottomAfter) << r.name;
  }
}

TEST(DockState, PlacementIsFortyFourLittleEndianBytes) {
  WindowPlacement wp;
  wp.flags = 2;
  wp.showCmd = 3;
  wp.normal = {1, -2, 0x01020304, 5};
  PlacementBytes b = EncodePlacement(wp);
  EXPECT_EQ(b[0], 44);
  EXPECT_EQ(b[4], 2);
  EXPECT_EQ(b[8], 3);
  EXPECT_EQ(b[12], 0xFF);  // minimised x = -1
  EXPECT_EQ(b[28], 1);
  EXPECT_EQ(b[32], 0xFE);
  EXPECT_EQ(b[36], 0x04);
  EXPECT_EQ(b[39], 0x01);
  EXPECT_EQ(DecodePlacement(b.data(), b.size()), wp);
  // A cut record keeps the defaults for what is missing.
  WindowPlacement cut = DecodePlacement(b.data(), 12);
  EXPECT_EQ(cut.showCmd, 3u);
  EXPECT_EQ(cut.normal, Rect{});
}

}  // namespace
}  // namespace pm2
