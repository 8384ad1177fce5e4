#pragma once
// The tab strip's model: an ordered list of tab records, the active tab and
// the selected ones. Clicks become activation and selection; every change is
// reported to the owner through TabListener with the strip's message numbers
// (synchronously, as SendMessage did). Geometry and painting belong to the
// variants (tab_layout.h) and their widgets.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "toolkit/core/geometry.h"

namespace pm2 {

constexpr unsigned WM_TABCTRL_ACTIVATE = 0x7E8;     // wParam: active index, info
constexpr unsigned WM_TABCTRL_DBLCLK = 0x7E9;       // wParam: double-clicked index
constexpr unsigned WM_TABCTRL_SELCLEARED = 0x7EA;   // selection cleared
constexpr unsigned WM_TABCTRL_ACTIVECLICK = 0x7EB;  // wParam: active index
constexpr unsigned kTabStripId = 59952;             // 0xEA30, the strip in a tab window

// Sent with WM_TABCTRL_ACTIVATE; valid only during the call.
struct TabActivateInfo {
  unsigned nCtrlID = 0;
  int nNewTab = 0;
  int nOldTab = -1;              // -1: no tab was active
  void* pNewClient = nullptr;
  void* pOldClient = nullptr;    // null when nOldTab is -1
};

class TabListener {
 public:
  virtual ~TabListener() = default;
  // `info` is non-null for WM_TABCTRL_ACTIVATE only.
  virtual std::intptr_t OnTabMessage(unsigned message, std::intptr_t wParam, TabActivateInfo* info) = 0;
};

struct SECTab {
  virtual ~SECTab() = default;
  std::string m_strLabel;        // the text shown
  int m_nWidth = 0;              // set by the layout
  int m_nHeight = 0;
  bool m_bSelected = false;
  void* m_pClient = nullptr;     // what the tab stands for; never owned
  std::uint32_t m_dwData1 = 0;   // caller words, handed back untouched
  std::uint32_t m_dwData2 = 0;
};

struct SEC3DTab : SECTab {
  SEC3DTab() { m_nWidth = 90; }
  Rect m_rect;                   // in strip coordinates, set by the layout
  const void* m_hIcon = nullptr; // icon drawn on the tab (the widget's), null: none
  bool m_bEnabled = true;
  std::string m_strFullLabel;    // the untruncated label
  bool m_bTruncated = false;     // m_strLabel is a shortened m_strFullLabel
};

class SECTabControlBase {
 public:
  explicit SECTabControlBase(unsigned ctrlId = kTabStripId, TabListener* parent = nullptr)
      : m_nCtrlID(ctrlId), m_pParent(parent) {}
  virtual ~SECTabControlBase() = default;
  SECTabControlBase(const SECTabControlBase&) = delete;
  SECTabControlBase& operator=(const SECTabControlBase&) = delete;

  virtual std::unique_ptr<SECTab> CreateNewTab() { return std::make_unique<SECTab>(); }
  virtual void RecalcLayout() {}
  virtual void OnActivateTab(int /*index*/) {}

  // Inserts without re-laying out (the variants do that).
  virtual SECTab* InsertTab(int index, std::string_view label, void* client = nullptr,
                            std::uint32_t data1 = 0, std::uint32_t data2 = 0);
  virtual SECTab* AddTab(std::string_view label, void* client = nullptr, std::uint32_t data1 = 0,
                         std::uint32_t data2 = 0);
  virtual void DeleteTab(int index);
  virtual void RenameTab(int index, std::string_view label);
  virtual void ActivateTab(int index);
  virtual void NotifyActiveClicked();
  virtual void SelectTab(int index);
  virtual void ClearSelection();
  virtual void ScrollToTab(int /*index*/) {}
  virtual void InvalidateTab(int /*index*/) {}
  void NotifyDoubleClick(int index);

  int GetTabCount() const { return int(m_tabs.size()); }
  bool IsValidTab(int index) const { return index >= 0 && index < GetTabCount(); }
  SECTab& GetTab(int index) { return *m_tabs[std::size_t(index)]; }
  const SECTab& GetTab(int index) const { return *m_tabs[std::size_t(index)]; }
  // The label given out is the full label of a 3-D tab.
  bool GetTabInfo(int index, std::string* label, bool* selected, void** client, std::uint32_t* data1,
                  std::uint32_t* data2) const;
  // The last tab standing for `client`.
  bool FindTab(const void* client, int* index) const;
  bool TabExists(const void* client) const { return FindTab(client, nullptr); }
  // Writes the (possibly stale) active index; true when a tab is active.
  bool GetActiveTab(int* index) const;

 protected:
  std::intptr_t Send(unsigned message, std::intptr_t wParam, TabActivateInfo* info = nullptr);
  TabActivateInfo MakeActivateInfo(int index) const;

  std::vector<std::unique_ptr<SECTab>> m_tabs;
  int m_nActiveTab = 0;      // meaningful only while m_bActiveTab
  bool m_bActiveTab = false;
  unsigned m_nCtrlID;
  TabListener* m_pParent;
};

}  // namespace pm2
