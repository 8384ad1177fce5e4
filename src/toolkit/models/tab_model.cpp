#include "toolkit/models/tab_model.h"

namespace pm2 {

std::intptr_t SECTabControlBase::Send(unsigned message, std::intptr_t wParam, TabActivateInfo* info) {
  return m_pParent ? m_pParent->OnTabMessage(message, wParam, info) : 0;
}

TabActivateInfo SECTabControlBase::MakeActivateInfo(int index) const {
  TabActivateInfo info;
  info.nCtrlID = m_nCtrlID;
  info.nNewTab = index;
  info.pNewClient = IsValidTab(index) ? GetTab(index).m_pClient : nullptr;
  info.nOldTab = m_bActiveTab && IsValidTab(m_nActiveTab) ? m_nActiveTab : -1;
  info.pOldClient = info.nOldTab >= 0 ? GetTab(info.nOldTab).m_pClient : nullptr;
  return info;
}

SECTab* SECTabControlBase::InsertTab(int index, std::string_view label, void* client, std::uint32_t data1,
                                     std::uint32_t data2) {
  if (index < 0) index = 0;
  if (index > GetTabCount()) index = GetTabCount();
  std::unique_ptr<SECTab> tab = CreateNewTab();
  tab->m_strLabel = std::string(label);
  tab->m_pClient = client;
  tab->m_dwData1 = data1;
  tab->m_dwData2 = data2;
  tab->m_bSelected = false;
  SECTab* raw = tab.get();
  m_tabs.insert(m_tabs.begin() + index, std::move(tab));
  return raw;
}

SECTab* SECTabControlBase::AddTab(std::string_view label, void* client, std::uint32_t data1,
                                  std::uint32_t data2) {
  SECTab* tab = SECTabControlBase::InsertTab(GetTabCount(), label, client, data1, data2);
  RecalcLayout();
  InvalidateTab(GetTabCount() - 1);
  return tab;
}

void SECTabControlBase::DeleteTab(int index) {
  if (!IsValidTab(index)) return;
  m_tabs.erase(m_tabs.begin() + index);
  const int count = GetTabCount();
  if (m_bActiveTab) {
    if (count == 0) {
      m_bActiveTab = false;
    } else if (m_nActiveTab == index && index < count) {
      m_bActiveTab = false;
      ActivateTab(index);
    } else if (m_nActiveTab > index) {
      // The same tab stays active at its new index. Re-activating it by the
      // new index would take the stale index as the old tab (past the end,
      // or a neighbour losing its selection), so move the index first and
      // tell the owner the tab's new place.
      --m_nActiveTab;
      TabActivateInfo info = MakeActivateInfo(m_nActiveTab);
      ScrollToTab(m_nActiveTab);
      Send(WM_TABCTRL_ACTIVATE, m_nActiveTab, &info);
    } else if (m_nActiveTab >= count) {
      m_bActiveTab = false;
      ActivateTab(count - 1);
    }
  }
  for (int i = index; i < count; ++i) InvalidateTab(i);
  RecalcLayout();
}

void SECTabControlBase::RenameTab(int index, std::string_view label) {
  if (!IsValidTab(index)) return;
  for (int i = index; i < GetTabCount(); ++i) InvalidateTab(i);
  GetTab(index).m_strLabel = std::string(label);
  RecalcLayout();
  for (int i = index; i < GetTabCount(); ++i) InvalidateTab(i);
}

void SECTabControlBase::ActivateTab(int index) {
  if (!IsValidTab(index)) return;
  TabActivateInfo info = MakeActivateInfo(index);
  if (m_bActiveTab) {
    if (m_nActiveTab == index) return;
    if (IsValidTab(m_nActiveTab)) {
      GetTab(m_nActiveTab).m_bSelected = false;
      InvalidateTab(m_nActiveTab);
    }
  }
  m_nActiveTab = index;
  m_bActiveTab = true;
  GetTab(index).m_bSelected = true;
  OnActivateTab(index);
  InvalidateTab(index);
  ScrollToTab(index);
  Send(WM_TABCTRL_ACTIVATE, index, &info);
}

void SECTabControlBase::NotifyActiveClicked() { Send(WM_TABCTRL_ACTIVECLICK, m_nActiveTab); }

void SECTabControlBase::SelectTab(int index) {
  if (!IsValidTab(index)) return;
  TabActivateInfo info = MakeActivateInfo(index);
  GetTab(index).m_bSelected = true;
  InvalidateTab(index);
  Send(WM_TABCTRL_ACTIVATE, m_nActiveTab, &info);
}

void SECTabControlBase::ClearSelection() {
  for (int i = 0; i < GetTabCount(); ++i) {
    if (GetTab(i).m_bSelected) InvalidateTab(i);
    GetTab(i).m_bSelected = false;
  }
  m_bActiveTab = false;
  Send(WM_TABCTRL_SELCLEARED, 0);
}

void SECTabControlBase::NotifyDoubleClick(int index) { Send(WM_TABCTRL_DBLCLK, index); }

bool SECTabControlBase::GetTabInfo(int index, std::string* label, bool* selected, void** client,
                                   std::uint32_t* data1, std::uint32_t* data2) const {
  if (!IsValidTab(index)) return false;
  const SECTab& tab = GetTab(index);
  const auto* tab3d = dynamic_cast<const SEC3DTab*>(&tab);
  if (label) *label = tab3d ? tab3d->m_strFullLabel : tab.m_strLabel;
  if (selected) *selected = tab.m_bSelected;
  if (client) *client = tab.m_pClient;
  if (data1) *data1 = tab.m_dwData1;
  if (data2) *data2 = tab.m_dwData2;
  return true;
}

bool SECTabControlBase::FindTab(const void* client, int* index) const {
  bool found = false;
  for (int i = 0; i < GetTabCount(); ++i) {
    if (GetTab(i).m_pClient == client) {
      found = true;
      if (index) *index = i;
    }
  }
  return found;
}

bool SECTabControlBase::GetActiveTab(int* index) const {
  if (index) *index = m_nActiveTab;
  return m_bActiveTab;
}

}  // namespace pm2
