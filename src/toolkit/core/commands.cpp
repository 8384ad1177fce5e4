#include "toolkit/core/commands.h"

#include <algorithm>

namespace pm2 {

void CommandTarget::OnCommandRange(CommandId first, CommandId last, Handler h) {
  if (first > last) std::swap(first, last);
  m_ranges.push_back({first, last, std::move(h)});
}

bool CommandTarget::Execute(CommandId id) {
  auto it = m_handlers.find(id);
  if (it != m_handlers.end()) {
    it->second(id);
    return true;
  }
  for (const Range& r : m_ranges) {
    if (id >= r.first && id <= r.last) {
      r.handler(id);
      return true;
    }
  }
  return false;
}

bool CommandTarget::Update(CommandState& state) {
  auto it = m_updates.find(state.id);
  if (it == m_updates.end()) return false;
  it->second(state);
  return true;
}

bool CommandTarget::HasHandler(CommandId id) const {
  if (m_handlers.count(id)) return true;
  return std::any_of(m_ranges.begin(), m_ranges.end(),
                     [id](const Range& r) { return id >= r.first && id <= r.last; });
}

void CommandRouter::Remove(CommandTarget* t) {
  m_chain.erase(std::remove(m_chain.begin(), m_chain.end(), t), m_chain.end());
}

bool CommandRouter::Route(CommandId id) {
  if (!QueryState(id).enabled) return false;
  for (CommandTarget* t : m_chain) {
    if (t && t->Execute(id)) return true;
  }
  return false;
}

CommandState CommandRouter::QueryState(CommandId id) const {
  CommandState state;
  state.id = id;
  for (CommandTarget* t : m_chain) {
    if (t && t->Update(state)) break;
  }
  if (state.enableSet) return state;
  bool runnable = std::any_of(m_chain.begin(), m_chain.end(),
                              [id](CommandTarget* t) { return t && t->HasHandler(id); });
  state.enabled = runnable;
  return state;
}

}  // namespace pm2
