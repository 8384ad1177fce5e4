#include "toolkit/toolbars/plain_toolbar.h"

#include "toolkit/toolbars/bmp_mgr.h"
#include "toolkit/toolbars/toolbar_resource.h"

namespace pm2 {

SECToolBar::SECToolBar() : SECCustomToolBar(nullptr, nullptr) {
  m_dwLockFlags = 1;
  auto* mgr = new SECBmpMgr(m_module);
  SetBmpMgr(mgr);
  mgr->Release();  // the bar holds the only reference now
}

int SECToolBar::AddReplaceBitmap(const PixelBuffer& strip, int cx, int cy, const std::vector<unsigned>& ids) {
  const int images = cx > 0 ? strip.width / cx : 0;
  if (images <= 0) return 0;
  // Each replacement is a new resource of the own module, so the manager's
  // first strip keeps the image size it was made with.
  std::vector<unsigned> imaged;
  for (unsigned id : ids)
    if (id && int(imaged.size()) < images) imaged.push_back(id);
  const unsigned res = m_nextResource++;
  m_module.AddResource(res, kRtToolbar, WriteToolbarResource(cx, cy, imaged));
  m_module.AddBitmap(res, strip);
  auto* mgr = new SECBmpMgr(m_module);
  mgr->AddToolBarResource(res);
  SetBmpMgr(mgr);
  mgr->Release();
  SetButtons(ids);
  return images;
}

}  // namespace pm2
