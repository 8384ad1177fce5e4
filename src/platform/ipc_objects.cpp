#include "platform/ipc_objects.h"

#include "platform/termination.h"

#include <algorithm>
#include <chrono>
#include <string>

namespace pm2 {
namespace {

std::string Indexed(const char* base, int n) { return std::string(base) + std::to_string(n); }

}  // namespace

IpcObjects::IpcObjects(IpcNamespace ns) : m_ns(std::move(ns)) {
  for (int i = 0; i < kIpcSlotCount; ++i) {
    m_guards[i] = std::make_unique<IpcSemaphore>();
    m_filled[i] = std::make_unique<IpcEvent>();
    m_kill[i] = std::make_unique<IpcEvent>();
  }
}

IpcObjects::~IpcObjects() { Detach(); }

bool IpcObjects::Attach(std::string* err) {
  if (Attached()) return true;
  if (!m_ns.EnsureRuntimeDir(err)) return false;
  IpcFileLock gate;
  std::string gatePath = m_ns.LockPath(std::string(kIpcMappingName) + "_gate");
  if (!gate.Open(gatePath, err)) return false;
  if (!gate.Exclusive(kIpcGateTimeoutMs)) {
    if (err) *err = "Timed out waiting for the lock file '" + gatePath + "'";
    return false;
  }
  if (!m_live.Open(m_ns.LockPath(kIpcMappingName), err)) return false;
  bool ok;
  if (m_live.TryExclusive()) {
    // Nobody alive holds the objects: whatever exists is left over.
    UnlinkAll();
    ok = CreateAll(err);
    m_created = ok;
  } else {
    ok = OpenAll(err);
    m_created = false;
  }
  if (ok && !m_live.TryShared()) {
    if (err) *err = "Cannot lock the file '" + m_live.Path() + "'";
    ok = false;
  }
  if (!ok) {
    CloseHandles();
    m_live.Unlock();
    m_live.Close();
  }
  // Ended by a signal, the last user still removes the objects.
  if (ok) m_exitCleanup = AddTerminationCleanup([this] { RemoveIfLast(); });
  return ok;
}

void IpcObjects::RemoveIfLast() {
  // As Detach does, without unmapping: the program's other threads may
  // still read the mapping until the signal ends them.
  IpcFileLock gate;
  const bool gated = gate.Open(m_ns.LockPath(std::string(kIpcMappingName) + "_gate"), nullptr) &&
                     gate.Exclusive(kIpcGateTimeoutMs);
  m_live.Unlock();
  if (gated && m_live.TryExclusive()) {
    UnlinkAll();
    m_live.Unlock();
  }
}

bool IpcObjects::CreateAll(std::string* err) {
  if (!m_region.Create(m_ns.ObjectName(kIpcMappingName), kIpcMappingSize, err)) return false;
  for (int i = 0; i < kIpcSlotCount; ++i) {
    if (!m_guards[i]->Create(m_ns.ObjectName(Indexed(kIpcGuardName, i)), 1, err)) return false;
    if (!m_filled[i]->Create(m_ns.ObjectName(Indexed(kIpcQueueFilledName, i)), err)) return false;
    if (!m_kill[i]->Create(m_ns.ObjectName(Indexed(kIpcKillName, i)), err)) return false;
  }
  return true;
}

bool IpcObjects::OpenAll(std::string* err) {
  if (!m_region.Open(m_ns.ObjectName(kIpcMappingName), kIpcMappingSize, err)) return false;
  for (int i = 0; i < kIpcSlotCount; ++i) {
    if (!m_guards[i]->Open(m_ns.ObjectName(Indexed(kIpcGuardName, i)), err)) return false;
    if (!m_filled[i]->Open(m_ns.ObjectName(Indexed(kIpcQueueFilledName, i)), err)) return false;
    if (!m_kill[i]->Open(m_ns.ObjectName(Indexed(kIpcKillName, i)), err)) return false;
  }
  return true;
}

void IpcObjects::RemoveAll(const IpcNamespace& ns) {
  IpcObjects objects(ns);
  objects.UnlinkAll();
}

void IpcObjects::UnlinkAll() {
  ShmRegion::Unlink(m_ns.ObjectName(kIpcMappingName));
  for (int i = 0; i < kIpcSlotCount; ++i) {
    IpcSemaphore::Unlink(m_ns.ObjectName(Indexed(kIpcGuardName, i)));
    IpcSemaphore::Unlink(m_ns.ObjectName(Indexed(kIpcQueueFilledName, i)));
    IpcSemaphore::Unlink(m_ns.ObjectName(Indexed(kIpcKillName, i)));
  }
}

void IpcObjects::CloseHandles() {
  for (int i = 0; i < kIpcSlotCount; ++i) {
    m_guards[i] = std::make_unique<IpcSemaphore>();
    m_filled[i] = std::make_unique<IpcEvent>();
    m_kill[i] = std::make_unique<IpcEvent>();
  }
  m_region.Unmap();
}

void IpcObjects::Detach() {
  if (m_exitCleanup) RemoveTerminationCleanup(m_exitCleanup);
  m_exitCleanup = 0;
  for (int i = 0; i < kIpcSlotCount; ++i) ReleaseSlot(i);
  bool wasAttached = m_region.Data() != nullptr;
  CloseHandles();
  if (!wasAttached) {
    m_live.Close();
    return;
  }
  // The last process to leave removes the objects, under the gate so that
  // no attacher is opening them meanwhile. Without the gate they stay and
  // the next first attacher re-creates them.
  IpcFileLock gate;
  bool gated = gate.Open(m_ns.LockPath(std::string(kIpcMappingName) + "_gate"), nullptr) &&
               gate.Exclusive(kIpcGateTimeoutMs);
  // Unlock rather than only close: a forked child's copy of the descriptor
  // must not keep the lock.
  m_live.Unlock();
  if (gated && m_live.TryExclusive()) {
    UnlinkAll();
    m_live.Unlock();
  }
  m_live.Close();
}

bool IpcObjects::OpenSlotLock(int slot, std::string* err) {
  if (m_slotLocks[slot].IsOpen()) return true;
  return m_slotLocks[slot].Open(m_ns.LockPath(Indexed("bs_InterProcessEventHandler_slot", slot)), err);
}

bool IpcObjects::OpenGuardLock(int slot) {
  if (m_guardLocks[slot].IsOpen()) return true;
  return m_guardLocks[slot].Open(m_ns.LockPath(Indexed("bs_InterProcessEventHandler_guard", slot)), nullptr);
}

bool IpcObjects::LockGuard(int slot, int timeoutMs) {
  if (slot < 0 || slot >= kIpcSlotCount || !m_guards[slot]->IsOpen()) return false;
  using Clock = std::chrono::steady_clock;
  const Clock::time_point end = Clock::now() + std::chrono::milliseconds(timeoutMs);
  auto left = [&] {
    return int(std::max<Clock::rep>(
        0, std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()).count()));
  };
  if (!m_guardMutex[slot].try_lock_until(end)) return false;
  if (!OpenGuardLock(slot) || !m_guardLocks[slot].Exclusive(left())) {
    m_guardMutex[slot].unlock();
    return false;
  }
  // Every holder that takes the guard this way holds the lock file too. A
  // peer speaking the layout on its own takes only the semaphore, and only
  // for a moment: the wait gives it that time, not the caller's whole one.
  // Taken still after it, with the lock file ours, the guard was left by a
  // holder that died: it is taken over as it is (the semaphore stays taken,
  // now for us). A caller that does not wait (timeoutMs 0) takes nothing over.
  const IpcWaitResult r = m_guards[slot]->Wait(std::min(left(), kIpcMomentaryHoldMs));
  if (r == IpcWaitResult::Acquired || (r == IpcWaitResult::TimedOut && timeoutMs > 0)) return true;
  m_guardLocks[slot].Unlock();
  m_guardMutex[slot].unlock();
  return false;
}

void IpcObjects::UnlockGuard(int slot) {
  if (slot < 0 || slot >= kIpcSlotCount) return;
  m_guards[slot]->Release();
  m_guardLocks[slot].Unlock();
  m_guardMutex[slot].unlock();
}

bool IpcObjects::TryClaimSlot(int slot) {
  if (slot < 0 || slot >= kIpcSlotCount) return false;
  if (m_slotHeld[slot]) return false;
  if (!OpenSlotLock(slot, nullptr)) return false;
  m_slotHeld[slot] = m_slotLocks[slot].TryExclusive();
  return m_slotHeld[slot];
}

void IpcObjects::ReleaseSlot(int slot) {
  if (slot < 0 || slot >= kIpcSlotCount) return;
  if (m_slotHeld[slot]) m_slotLocks[slot].Unlock();
  m_slotHeld[slot] = false;
  m_slotLocks[slot].Close();
}

bool IpcObjects::OpenProbe(int slot, IpcFileLock* probe) {
  return probe->Open(m_ns.LockPath(Indexed("bs_InterProcessEventHandler_slot", slot)), nullptr);
}

bool IpcObjects::SlotHasLiveOwner(int slot) {
  if (slot < 0 || slot >= kIpcSlotCount) return false;
  if (m_slotHeld[slot]) return true;
  IpcFileLock probe;
  if (!OpenProbe(slot, &probe)) return false;
  if (!probe.TryExclusive()) return true;
  probe.Unlock();
  return false;
}

}  // namespace pm2
