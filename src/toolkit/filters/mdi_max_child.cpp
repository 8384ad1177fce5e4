#include "toolkit/filters/mdi_max_child.h"

namespace pm2 {

namespace {
// The child's filter `id` exists and is on.
bool ChildFilterOn(const MaxChildSource* source, int id) {
  FilterWindow* child = source ? source->MaximisedChild() : nullptr;
  SECMsgFilter* filters = child ? source->ChildFilters(child) : nullptr;
  SECMsgFilter* f = filters ? filters->FindFilter(id, nullptr, -1) : nullptr;
  return f && f->IsEnabled();
}
}  // namespace

bool ScxButtonMDIMaxChildMsgFilter::IsVisible(bool* disabled) const {
  *disabled = false;
  return m_wnd && ChildFilterOn(m_source, 258);
}

unsigned ScxButtonMDIMaxChildMsgFilter::OnMessage(const FilterMessage& m, std::intptr_t* result) {
  bool disabled = false;
  if (!IsVisible(&disabled)) {
    m_rect = {};
    return 0;
  }
  return ScxButtonMsgFilter::OnMessage(m, result);
}

unsigned ScxNCRDBLClkMDIMaxChildMsgFilter::OnMessage(const FilterMessage& m, std::intptr_t* result) {
  if (m.msg != wm::NcRButtonDblClk || !ChildFilterOn(m_source, 259)) return SECNcMsgFilter::OnMessage(m, result);
  if (int(m.wParam) != kHitMenu) return FilterChildren(m, result);
  FilterWindow* child = m_source->MaximisedChild();
  SysCommandExRecord rec;
  rec.window = child;
  child->SendMessage(SysCommandExMessage(), kScxExecute, reinterpret_cast<std::intptr_t>(&rec));
  return 15;
}

SECMsgFilter::DescriptorTable MdiFrameDescriptors(PlacementHost* host, const MaxChildSource* source) {
  return {
      {257, -1, [host] { return std::make_unique<ScxMsgFilter>(host); }, 0},
      {256, -1, MakeFilter<SECCapConLstMDIMaxChildMsgFilter>(), 0},
      {260, 256, [source] { return std::make_unique<ScxButtonMDIMaxChildMsgFilter>(source); }, 0},
      {261, -1, [source] { return std::make_unique<ScxNCRDBLClkMDIMaxChildMsgFilter>(source); }, 0},
  };
}

}  // namespace pm2
