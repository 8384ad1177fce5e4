#include "toolkit/filters/msg_filter.h"

namespace pm2 {

SECMsgFilter::SECMsgFilter(const SECMsgFilter& other) : m_wnd(other.m_wnd), m_id(other.m_id), m_enabled(other.m_enabled) {
  for (const auto& c : other.m_children) m_children.push_back(c ? c->Clone() : nullptr);
  SetWnd(m_wnd, true);
}

SECMsgFilter::~SECMsgFilter() = default;

void SECMsgFilter::SetWnd(FilterWindow* wnd, bool recursive) {
  m_wnd = wnd;
  if (!recursive) return;
  for (auto& c : m_children)
    if (c) c->SetWnd(wnd, true);
}

void SECMsgFilter::AddChild(std::unique_ptr<SECMsgFilter> child) { m_children.push_back(std::move(child)); }

unsigned SECMsgFilter::Filter(const FilterMessage& m, std::intptr_t* result) {
  return m_enabled ? OnMessage(m, result) : 0;
}

unsigned SECMsgFilter::FilterChildren(const FilterMessage& m, std::intptr_t* result) {
  if (!m_enabled) return 0;
  unsigned total = 0;
  // By index: a filter may add children while it handles a message.
  for (std::size_t i = 0; i < m_children.size(); ++i) {
    SECMsgFilter* c = m_children[i].get();
    if (!c || !c->IsEnabled()) continue;
    const unsigned r = c->Filter(m, result);
    total |= r;
    if (r & kFilterStop) break;
  }
  return total;
}

SECMsgFilter* SECMsgFilter::FindFilter(int id, const FilterFactory* create, int depth) {
  for (auto& c : m_children)
    if (c && c->Id() == id) return c.get();
  if (depth != 0)
    for (auto& c : m_children)
      if (c)
        if (SECMsgFilter* f = c->FindFilter(id, nullptr, depth - 1)) return f;
  if (!create || !*create) return nullptr;
  std::unique_ptr<SECMsgFilter> f = (*create)();
  if (!f) return nullptr;
  f->SetWnd(m_wnd, true);
  f->SetId(id);
  m_children.push_back(std::move(f));
  return m_children.back().get();
}

void SECMsgFilter::ApplyDescriptor(const Descriptor& d, bool enable) {
  SECMsgFilter* parent = d.parentId == -1 ? this : FindFilter(d.parentId, nullptr, -1);
  if (!parent) return;
  SECMsgFilter* f = parent->FindFilter(d.id, enable ? &d.create : nullptr, -1);
  if (!f) return;
  if (!enable && (d.flags & 1)) return;
  f->Enable(enable);
}

void SECMsgFilter::ApplyDescriptors(const DescriptorTable& table, const std::vector<bool>& enable) {
  for (std::size_t i = 0; i < table.size(); ++i) ApplyDescriptor(table[i], i < enable.size() && enable[i]);
}

void SECMsgFilter::ApplyDescriptors(const DescriptorTable& table, bool enable) {
  for (const Descriptor& d : table) ApplyDescriptor(d, enable);
}

}  // namespace pm2
