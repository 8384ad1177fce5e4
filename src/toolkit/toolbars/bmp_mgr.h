#pragma once
// SECBmpMgr: the button images of all toolbars of a frame. A command id maps
// to one image of one strip; every strip is kept in a small and a large form
// (the large one stretched from the small one when no large resource
// exists). Shared by reference count between the toolbar manager, the
// toolbars, the menu bar and the bitmap menus; the last Release deletes it,
// so it is only ever made with `new`.

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "toolkit/core/bitmap_effects.h"
#include "toolkit/core/sys_colors.h"
#include "toolkit/toolbars/resource_module.h"

namespace pm2 {

using StripHandle = std::shared_ptr<const PixelBuffer>;

class SECBmpMgr {
 public:
  // Where a command's image lives.
  struct BmpItem {
    int nInfo = 0;   // index into m_arrInfo
    int nImage = 0;  // image index inside that strip
  };
  // One strip. A shared strip belongs to somebody else: never loaded,
  // reloaded or dropped here.
  struct BmpInfo {
    unsigned nSmallID = 0;  // the toolbar resource id
    unsigned nLargeID = 0;  // 0 for none
    StripHandle hbmSmall;
    StripHandle hbmLarge;
    int nImages = 0;
    bool bSysColors = true;
    bool bSharedSmall = false;
    bool bSharedLarge = false;
  };

  // `module` and `colors` must outlive the manager.
  explicit SECBmpMgr(const ResourceModule& module, const SysColorTable& colors = SysColors());
  virtual ~SECBmpMgr() = default;
  SECBmpMgr(const SECBmpMgr&) = delete;
  SECBmpMgr& operator=(const SECBmpMgr&) = delete;

  // Number of strips (> 0) on success, 0 when a resource or bitmap is missing
  // (earlier strips stay; a strip whose bitmap failed stays without it).
  int AddToolBarResource(unsigned nIDSmall, unsigned nIDLarge = 0, bool bSysColors = true);
  // The strip and image of `nID`: the large strip unless `bForceSmall` or
  // small images are on. False, outputs untouched, for an id without image.
  bool GetBitmap(unsigned nID, StripHandle* strip, int* image, bool bForceSmall = false) const;
  void SetSmallImages(bool small);
  void SetKeepSmall(bool keep);
  // Reloads every strip (system colours or the XP look changed).
  void ReloadBitmaps();

  void AddRef() { ++m_nRef; }
  void Release() {
    if (--m_nRef == 0) delete this;
  }
  int RefCount() const { return m_nRef; }

  // The reason of the last failure, naming the resource.
  const std::string& LastError() const { return m_error; }
  const std::vector<std::unique_ptr<BmpInfo>>& Infos() const { return m_arrInfo; }

  int m_cxSmall = 16, m_cySmall = 15;
  int m_cxLarge = 22, m_cyLarge = 24;
  bool m_bSmall = true;
  bool m_bKeepSmall = false;

 protected:
  virtual bool LoadBitmaps(BmpInfo& info, bool bReload);
  virtual bool LoadSmallBitmap(BmpInfo& info);
  virtual bool LoadLargeBitmap(BmpInfo& info);

 private:
  bool LoadStrip(unsigned id, bool sysColors, StripHandle* out);

  const ResourceModule& m_module;
  const SysColorTable& m_colors;
  std::map<unsigned, BmpItem> m_mapItems;
  std::vector<std::unique_ptr<BmpInfo>> m_arrInfo;
  int m_nRef = 1;
  std::string m_error;
};

// `src` resized to `cx` x `cy` by taking the nearest source pixel, as a
// plain stretching copy does.
PixelBuffer StretchPixels(const PixelBuffer& src, int srcX, int srcCx, int srcCy, int cx, int cy);

}  // namespace pm2
