#include "toolkit/toolbars/bmp_mgr.h"

#include <gtest/gtest.h>

#include "toolkit/toolbars/fake_toolbar.h"
#include "toolkit/toolbars/xp_look.h"

namespace pm2 {
namespace {

using test::AddStrip;

Color ImagePixel(const SECBmpMgr& m, unsigned id, int x, int y, bool forceSmall = false) {
  StripHandle strip;
  int image = -1;
  EXPECT_TRUE(m.GetBitmap(id, &strip, &image, forceSmall));
  if (!strip) return 0xDEADBEEF;
  const int cx = (forceSmall || m.m_bSmall) ? m.m_cxSmall : m.m_cxLarge;
  return strip->At(image * cx + x, y);
}

TEST(BmpMgr, SeparatorsTakeNoImage) {
  MemoryResourceModule mod;
  AddStrip(mod, 1, 16, 15, {57600, 0, 57601});
  SECBmpMgr m(mod);
  ASSERT_EQ(m.AddToolBarResource(1), 1);
  StripHandle strip;
  int image = -1;
  ASSERT_TRUE(m.GetBitmap(57601, &strip, &image));
  EXPECT_EQ(image, 1);
  EXPECT_EQ(m.Infos()[0]->nImages, 2);
}

TEST(BmpMgr, FirstResourceWinsForSharedCommand) {
  MemoryResourceModule mod;
  AddStrip(mod, 1, 16, 15, {57600});
  AddStrip(mod, 2, 16, 15, {57601, 57600});
  SECBmpMgr m(mod);
  ASSERT_EQ(m.AddToolBarResource(1), 1);
  ASSERT_EQ(m.AddToolBarResource(2), 2);
  StripHandle first, strip;
  int image = -1;
  ASSERT_TRUE(m.GetBitmap(57600, &strip, &image));
  EXPECT_EQ(strip, m.Infos()[0]->hbmSmall);
  EXPECT_EQ(image, 0);
}

TEST(BmpMgr, UnknownIdLeavesOutputsAlone) {
  MemoryResourceModule mod;
  AddStrip(mod, 1, 16, 15, {57600});
  SECBmpMgr m(mod);
  m.AddToolBarResource(1);
  StripHandle strip;
  int image = 7;
  EXPECT_FALSE(m.GetBitmap(1234, &strip, &image));
  EXPECT_EQ(image, 7);
  EXPECT_EQ(strip, nullptr);
}

TEST(BmpMgr, FirstStripSetsTheImageSize) {
  MemoryResourceModule mod;
  AddStrip(mod, 1, 20, 18, {1});
  AddStrip(mod, 2, 16, 15, {2});
  AddStrip(mod, 3, 30, 28, {1});
  SECBmpMgr m(mod);
  ASSERT_EQ(m.AddToolBarResource(1, 3), 1);
  ASSERT_EQ(m.AddToolBarResource(2), 2);
  EXPECT_EQ(m.m_cxSmall, 20);
  EXPECT_EQ(m.m_cySmall, 18);
  EXPECT_EQ(m.m_cxLarge, 30);
  EXPECT_EQ(m.m_cyLarge, 28);
}

TEST(BmpMgr, MissingResourcesFailAndKeepEarlierStrips) {
  MemoryResourceModule mod;
  AddStrip(mod, 1, 16, 15, {57600});
  mod.AddResource(2, kRtToolbar, WriteToolbarResource(16, 15, {57601}));  // no bitmap 2
  SECBmpMgr m(mod);
  ASSERT_EQ(m.AddToolBarResource(1), 1);
  EXPECT_EQ(m.AddToolBarResource(9), 0);
  EXPECT_EQ(m.LastError(), "toolbar resource 9 not found");
  EXPECT_EQ(m.AddToolBarResource(2), 0);
  EXPECT_EQ(m.LastError(), "bitmap 2 of the toolbar images not found");
  ASSERT_EQ(m.Infos().size(), 2u);  // the strip stays, without its bitmap
  EXPECT_EQ(m.Infos()[1]->hbmSmall, nullptr);
  StripHandle strip;
  int image = 0;
  EXPECT_TRUE(m.GetBitmap(57600, &strip, &image));
  EXPECT_NE(strip, nullptr);
}

TEST(BmpMgr, LargeImagesStretchedFromSmall) {
  MemoryResourceModule mod;
  AddStrip(mod, 1, 16, 15, {57600, 57601});
  SECBmpMgr m(mod);
  ASSERT_EQ(m.AddToolBarResource(1), 1);
  m.SetSmallImages(false);
  const auto& info = *m.Infos()[0];
  ASSERT_NE(info.hbmLarge, nullptr);
  EXPECT_EQ(info.hbmLarge->width, 2 * 22);
  EXPECT_EQ(info.hbmLarge->height, 24);
  EXPECT_EQ(info.hbmSmall, nullptr);  // not kept without SetKeepSmall
  // Image 1's black corner pixel covers the first source pixel's share
  // (22/16 wide, 24/15 high) of the large image, no more.
  EXPECT_EQ(ImagePixel(m, 57601, 0, 0), 0u);
  EXPECT_EQ(ImagePixel(m, 57601, 1, 1), 0u);
  EXPECT_EQ(ImagePixel(m, 57601, 2, 0), Color(0x20) << 16);
  EXPECT_EQ(ImagePixel(m, 57601, 0, 2), Color(0x20) << 16);
  EXPECT_EQ(ImagePixel(m, 57600, 21, 23), Color(0x10) << 16);
}

TEST(BmpMgr, LargeResourceUsedWhenGiven) {
  MemoryResourceModule mod;
  AddStrip(mod, 1, 16, 15, {57600});
  AddStrip(mod, 2, 24, 24, {57600});
  SECBmpMgr m(mod);
  ASSERT_EQ(m.AddToolBarResource(1, 2), 1);
  m.SetSmallImages(false);
  EXPECT_EQ(m.Infos()[0]->hbmLarge->width, 24);
}

TEST(BmpMgr, KeepSmallKeepsBothStrips) {
  MemoryResourceModule mod;
  AddStrip(mod, 1, 16, 15, {57600});
  SECBmpMgr m(mod);
  m.AddToolBarResource(1);
  m.SetKeepSmall(true);
  m.SetSmallImages(false);
  EXPECT_NE(m.Infos()[0]->hbmSmall, nullptr);
  EXPECT_NE(m.Infos()[0]->hbmLarge, nullptr);
  EXPECT_EQ(ImagePixel(m, 57600, 3, 3, true), Color(0x10) << 16);
  m.SetSmallImages(true);
  EXPECT_NE(m.Infos()[0]->hbmLarge, nullptr);  // kept small means keep both
}

TEST(BmpMgr, SameSmallValueDoesNothing) {
  MemoryResourceModule mod;
  AddStrip(mod, 1, 16, 15, {57600});
  SECBmpMgr m(mod);
  m.AddToolBarResource(1);
  const StripHandle before = m.Infos()[0]->hbmSmall;
  m.SetSmallImages(true);
  EXPECT_EQ(m.Infos()[0]->hbmSmall, before);  // not reloaded
  m.ReloadBitmaps();
  EXPECT_NE(m.Infos()[0]->hbmSmall, before);
}

TEST(BmpMgr, ClassicGreysFollowTheSystemColours) {
  MemoryResourceModule mod;
  PixelBuffer strip(16, 15, 0xC0C0C0);
  strip.Set(1, 0, 0x808080);
  mod.AddResource(1, kRtToolbar, WriteToolbarResource(16, 15, {5}));
  mod.AddBitmap(1, strip);
  SysColorTable colors;
  colors.Set(SysColor::BtnFace, 0x123456);
  colors.Set(SysColor::BtnShadow, 0x654321);
  {
    SECBmpMgr m(mod, colors);
    m.AddToolBarResource(1);
    EXPECT_EQ(ImagePixel(m, 5, 0, 0), 0x123456u);
    EXPECT_EQ(ImagePixel(m, 5, 1, 0), 0x654321u);
  }
  {
    // The XP look draws over its own colours with light grey transparent.
    SECSetXPLook(true);
    SECBmpMgr m(mod, colors);
    m.AddToolBarResource(1);
    SECSetXPLook(false);
    EXPECT_EQ(ImagePixel(m, 5, 0, 0), 0xC0C0C0u);
  }
  {
    SECBmpMgr m(mod, colors);
    m.AddToolBarResource(1, 0, false);
    EXPECT_EQ(ImagePixel(m, 5, 1, 0), 0x808080u);
  }
}

TEST(BmpMgr, LastReleaseDeletes) {
  MemoryResourceModule mod;
  struct Counted : SECBmpMgr {
    Counted(const ResourceModule& m, bool* gone) : SECBmpMgr(m), gone(gone) {}
    ~Counted() override { *gone = true; }
    bool* gone;
  };
  bool gone = false;
  auto* m = new Counted(mod, &gone);
  m->AddRef();
  m->Release();
  EXPECT_FALSE(gone);
  EXPECT_EQ(m->RefCount(), 1);
  m->Release();
  EXPECT_TRUE(gone);
}

}  // namespace
}  // namespace pm2
