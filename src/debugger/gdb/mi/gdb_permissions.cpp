#include "debugger/gdb/mi/gdb_permissions.h"

#include <chrono>

namespace pm2::gdb {

GdbPermissions::Hold::Hold(GdbPermissions& owner, GdbAccess access, const std::function<bool()>& may)
    : m_owner(owner) {
  const Entry entry = m_owner.Enter(access, may);
  m_entered = entry != Entry::Refused;
  m_ok = entry == Entry::Ok;
  if (m_owner.m_settled) m_owner.m_settled();
}

GdbPermissions::Hold::~Hold() {
  if (m_entered) m_owner.Leave();
  if (m_owner.m_settled) m_owner.m_settled();
}

GdbPermissions::Entry GdbPermissions::Enter(GdbAccess access, const std::function<bool()>& may) {
  std::unique_lock<std::mutex> lock(m_mutex);
  const std::thread::id self = std::this_thread::get_id();
  const auto mine = [&] { return m_held.empty() || m_owner == self; };
  if (!mine() && m_busyElsewhere && m_busyElsewhere()) return Entry::Refused;
  if (!m_free.wait_for(lock, std::chrono::milliseconds(kWaitBoundMs), mine)) return Entry::Refused;
  m_owner = self;
  m_held.push_back(access);
  return (!may || may()) && Apply(access) ? Entry::Ok : Entry::Entered;
}

void GdbPermissions::Leave() {
  std::unique_lock<std::mutex> lock(m_mutex);
  m_held.pop_back();
  // The outer holder goes on with its own access.
  if (!m_held.empty()) {
    Apply(m_held.back());
    return;
  }
  m_owner = std::thread::id();
  lock.unlock();
  m_free.notify_all();
}

bool GdbPermissions::Apply(GdbAccess access) {
  const Known writes = access == GdbAccess::Read ? Known::Off : Known::On;
  const Known calls = access == GdbAccess::Run ? Known::On : Known::Off;
  // Calls go off first and come on last: no moment allows more than
  // either access.
  auto set = [this](Known* setting, Known wanted, const char* name) {
    if (*setting == wanted) return true;
    const bool taken = m_set(std::string("-gdb-set ") + name + (wanted == Known::On ? " on" : " off"));
    *setting = taken ? wanted : Known::Unknown;
    return taken;
  };
  if (calls == Known::Off && !set(&m_calls, calls, "may-call-functions")) return false;
  if (!set(&m_writes, writes, "may-write-memory")) return false;
  return calls == Known::Off || set(&m_calls, calls, "may-call-functions");
}

void GdbPermissions::Forget() {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_writes = m_calls = Known::Unknown;
}

bool GdbPermissions::MemoryWrites() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_writes == Known::On;
}

bool GdbPermissions::Calls() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_calls == Known::On;
}

}  // namespace pm2::gdb
