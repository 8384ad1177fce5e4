#include "toolkit/toolbars/bmp_mgr.h"

#include "toolkit/toolbars/toolbar_resource.h"
#include "toolkit/toolbars/xp_look.h"

namespace pm2 {
namespace {

// The four greys of a classic image become the system's button colours.
void MapToSysColors(PixelBuffer& img, const SysColorTable& colors) {
  const struct {
    Color from;
    SysColor to;
  } kMap[] = {{0x000000, SysColor::BtnText},
              {0x808080, SysColor::BtnShadow},
              {0xC0C0C0, SysColor::BtnFace},
              {0xFFFFFF, SysColor::BtnHighlight}};
  for (Color& c : img.pixels) {
    for (const auto& m : kMap) {
      if (c == m.from) {
        c = colors.Get(m.to);
        break;
      }
    }
  }
}

}  // namespace

PixelBuffer StretchPixels(const PixelBuffer& src, int srcX, int srcCx, int srcCy, int cx, int cy) {
  PixelBuffer out(cx, cy);
  for (int y = 0; y < cy; ++y)
    for (int x = 0; x < cx; ++x) out.Set(x, y, src.At(srcX + x * srcCx / cx, y * srcCy / cy));
  return out;
}

SECBmpMgr::SECBmpMgr(const ResourceModule& module, const SysColorTable& colors)
    : m_module(module), m_colors(colors) {}

int SECBmpMgr::AddToolBarResource(unsigned nIDSmall, unsigned nIDLarge, bool bSysColors) {
  const auto read = [&](unsigned id, ToolbarResource* r) {
    const auto* bytes = m_module.FindResource(id, kRtToolbar);
    if (!bytes) {
      m_error = "toolbar resource " + std::to_string(id) + " not found";
      return false;
    }
    return ReadToolbarResource(*bytes, id, false, r, &m_error);
  };
  ToolbarResource small;
  if (!read(nIDSmall, &small)) return 0;
  if (m_arrInfo.empty()) {
    m_cxSmall = small.width;
    m_cySmall = small.height;
  }
  if (nIDLarge != 0 && m_arrInfo.empty()) {
    ToolbarResource large;
    if (!read(nIDLarge, &large)) return 0;
    m_cxLarge = large.width;
    m_cyLarge = large.height;
  }
  auto info = std::make_unique<BmpInfo>();
  info->nSmallID = nIDSmall;
  info->nLargeID = nIDLarge;
  info->nImages = int(small.ids.size());
  info->bSysColors = bSysColors;
  const int index = int(m_arrInfo.size());
  for (int i = 0; i < int(small.ids.size()); ++i) m_mapItems.try_emplace(small.ids[i], BmpItem{index, i});
  m_arrInfo.push_back(std::move(info));
  return LoadBitmaps(*m_arrInfo.back(), true) ? int(m_arrInfo.size()) : 0;
}

bool SECBmpMgr::GetBitmap(unsigned nID, StripHandle* strip, int* image, bool bForceSmall) const {
  const auto it = m_mapItems.find(nID);
  if (it == m_mapItems.end()) return false;
  const BmpInfo& info = *m_arrInfo[std::size_t(it->second.nInfo)];
  *strip = (!bForceSmall && !m_bSmall) ? info.hbmLarge : info.hbmSmall;
  *image = it->second.nImage;
  return true;
}

void SECBmpMgr::SetSmallImages(bool small) {
  if (small == m_bSmall) return;
  m_bSmall = small;
  for (auto& info : m_arrInfo) LoadBitmaps(*info, true);
}

void SECBmpMgr::SetKeepSmall(bool keep) {
  if (keep == m_bKeepSmall) return;
  m_bKeepSmall = keep;
  for (auto& info : m_arrInfo) LoadBitmaps(*info, false);
}

void SECBmpMgr::ReloadBitmaps() {
  for (auto& info : m_arrInfo) LoadBitmaps(*info, true);
}

bool SECBmpMgr::LoadBitmaps(BmpInfo& info, bool bReload) {
  if (!info.bSharedSmall && (m_bSmall || m_bKeepSmall)) {
    if (m_bSmall && !m_bKeepSmall && !info.bSharedLarge) info.hbmLarge.reset();
    if (bReload) info.hbmSmall.reset();
    if ((!info.hbmSmall || bReload) && !LoadSmallBitmap(info)) return false;
  }
  if (info.bSharedLarge || m_bSmall) return true;
  if (!m_bKeepSmall && !info.bSharedSmall) info.hbmSmall.reset();
  if (bReload) info.hbmLarge.reset();
  if (info.hbmLarge) return true;
  return LoadLargeBitmap(info);
}

bool SECBmpMgr::LoadStrip(unsigned id, bool sysColors, StripHandle* out) {
  auto pixels = std::make_shared<PixelBuffer>();
  if (!m_module.LoadBitmap(id, pixels.get())) {
    m_error = "bitmap " + std::to_string(id) + " of the toolbar images not found";
    return false;
  }
  if (sysColors && !SECIsXPLook()) MapToSysColors(*pixels, m_colors);
  *out = std::move(pixels);
  return true;
}

bool SECBmpMgr::LoadSmallBitmap(BmpInfo& info) {
  if (info.bSharedSmall) return true;
  return LoadStrip(info.nSmallID, info.bSysColors, &info.hbmSmall);
}

bool SECBmpMgr::LoadLargeBitmap(BmpInfo& info) {
  if (info.bSharedLarge) return true;
  if (info.nLargeID != 0) return LoadStrip(info.nLargeID, info.bSysColors, &info.hbmLarge);
  StripHandle small = info.hbmSmall;
  if (!small && !LoadStrip(info.nSmallID, info.bSysColors, &small)) return false;
  auto large = std::make_shared<PixelBuffer>(info.nImages * m_cxLarge, m_cyLarge);
  for (int i = 0; i < info.nImages; ++i) {
    const PixelBuffer one = StretchPixels(*small, i * m_cxSmall, m_cxSmall, m_cySmall, m_cxLarge, m_cyLarge);
    for (int y = 0; y < m_cyLarge; ++y)
      for (int x = 0; x < m_cxLarge; ++x) large->Set(i * m_cxLarge + x, y, one.At(x, y));
  }
  info.hbmLarge = std::move(large);
  return true;
}

}  // namespace pm2
