#pragma once
// SECToolBar: the plain toolbar for frames that do without customising. It
// is a customisable toolbar that keeps its own image well (one strip whose
// width, divided by the image width, gives the image count) and lets no
// button be dragged in or out.

#include <vector>

#include "toolkit/toolbars/custom_toolbar.h"
#include "toolkit/toolbars/resource_module.h"

namespace pm2 {

class SECToolBar : public SECCustomToolBar {
 public:
  SECToolBar();
  std::string ClassName() const override { return "SECToolBar"; }
  bool AcceptsDrop() const override { return false; }

  // Replaces the image well with `strip` (images of `cx` x `cy`, in the
  // order of the non-zero `ids`) and shows those buttons. Answers the
  // number of images the strip holds, 0 when it holds none.
  int AddReplaceBitmap(const PixelBuffer& strip, int cx, int cy, const std::vector<unsigned>& ids);

 private:
  MemoryResourceModule m_module;
  unsigned m_nextResource = 1;
};

}  // namespace pm2
