#include "platform/ipc_objects.h"

#include "platform/ipc_foreign_object.h"
#include "platform/ipc_private_names.h"
#include "platform/termination.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <chrono>
#include <string>
#include <thread>

namespace pm2 {
namespace {

std::string Indexed(const char* base, int n) { return std::string(base) + std::to_string(n); }

constexpr char kGateLock[] = "ZARIzu_file_mapping_gate";
constexpr const char* kLiveLock = kIpcMappingName;
constexpr char kSlotLock[] = "bs_InterProcessEventHandler_slot";
constexpr char kGuardLock[] = "bs_InterProcessEventHandler_guard";

// The bytes of the mapping object that its users lock (past its end, where
// no peer reads or writes): every attached process holds the first one
// shared, a slot's owner the slot's own exclusively.
constexpr size_t kUsersByte = kIpcMappingSize;
size_t SlotByte(int slot) { return kIpcMappingSize + 1 + static_cast<size_t>(slot); }

// The state letter of a process ('R', 'S', 'T' stopped by a signal, 't'
// stopped by a tracer ...), '?' when it cannot be read.
char ProcessState(int pid) {
  // The state in /proc/<pid>/stat follows the command's name in brackets.
  char state = '?';
  if (std::FILE* stat = std::fopen(("/proc/" + std::to_string(pid) + "/stat").c_str(), "re")) {
    char text[512] = {};
    const size_t n = std::fread(text, 1, sizeof text - 1, stat);
    std::fclose(stat);
    const char* close = std::strrchr(text, ')');
    if (close && close + 2 < text + n) state = close[2];
  }
  return state;
}

// Why the gate was not had: who holds it, and whether that process is
// stopped (then it will not let go until it goes on or ends).
std::string GateHeldReport(const IpcFileLock& gate) {
  const int pid = gate.HolderPid();
  if (pid == 0) return "Timed out waiting for the lock file '" + gate.Path() + "'";
  const char state = ProcessState(pid);
  const bool stopped = state == 'T' || state == 't';
  return "The lock file '" + gate.Path() + "' is held by process " + std::to_string(pid) +
         (stopped ? ", which is stopped: it keeps every start from joining the event interface until it goes on or ends"
                  : ", which did not let it go within " + std::to_string(kIpcGateTimeoutMs / 1000) + " s");
}

int MsLeft(std::chrono::steady_clock::time_point end) {
  return int(std::max<std::chrono::steady_clock::rep>(
      0, std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now()).count()));
}

// Waits for the gate until `end`. A holder stopped by a signal (kill -STOP,
// Ctrl+Z) lets go only once it goes on: the wait ends as soon as one is
// seen, so that a start it keeps out says so at once rather than after the
// whole wait. (A tracer's stop, 't', comes and goes with every system call
// of a traced holder, which does let go: it is waited for.)
bool WaitForGate(IpcFileLock& gate, std::chrono::steady_clock::time_point end) {
  constexpr int kLookMs = 100;
  for (bool first = true;; first = false) {
    if (gate.Exclusive(first ? 0 : std::min(MsLeft(end), kLookMs))) return true;
    if (MsLeft(end) == 0) return false;
    const int holder = gate.HolderPid();
    if (holder != 0 && ProcessState(holder) == 'T') return false;
  }
}

}  // namespace

IpcObjects::IpcObjects(IpcNamespace ns) : m_ns(std::move(ns)), m_usual(m_ns) {
  for (int i = 0; i < kIpcSlotCount; ++i) {
    m_guards[i] = std::make_unique<IpcSemaphore>();
    m_filled[i] = std::make_unique<IpcEvent>();
    m_kill[i] = std::make_unique<IpcEvent>();
  }
}

IpcObjects::~IpcObjects() { Detach(); }

bool IpcObjects::Attach(std::string* err) {
  if (Attached()) return true;
  // Registered before the first object exists: a signal that ends the
  // program in the middle of the attach waits for it, then removes what it
  // made as their last user. (Registered or removed outside the attach's
  // lock: the cleanups run under a lock of their own.)
  if (!m_exitCleanup)
    m_exitCleanup = AddTerminationCleanup([this] {
      std::lock_guard<std::mutex> attaching(m_attachMutex);
      if (Attached()) RemoveIfLast();
    });
  bool ok;
  {
    std::lock_guard<std::mutex> attaching(m_attachMutex);
    ok = AttachObjects(err);
  }
  if (!ok) {
    RemoveTerminationCleanup(m_exitCleanup);
    m_exitCleanup = 0;
  }
  return ok;
}

bool IpcObjects::AttachUnderNames(std::string* err) {
  IpcFileLock gate;
  if (!TakeGate(gate, err)) return false;
  if (!m_live.Open(m_ns.LockPath(kLiveLock), err)) return false;
  bool ok;
  // A live user holds the live lock file, and a lock on the mapping itself:
  // the lock files may have been removed by hand under it.
  const bool anew = NobodyUsesTheObjects();
  if (anew) {
    // Nobody alive holds the objects: whatever exists is left over.
    UnlinkAll();
    ok = CreateAll(err);
    m_created = ok;
  } else {
    // Live users share the objects; one that is gone (removed by hand, or
    // by a program that took itself for their last user) is made anew.
    ok = OpenAll(err);
  }
  if (ok && !m_live.TryShared()) {
    if (err) *err = "Cannot lock the file '" + m_live.Path() + "'";
    ok = false;
  }
  if (ok && !m_region.LockByte(kUsersByte, false)) {
    if (err) *err = "Cannot lock the shared memory '" + m_ns.ObjectName(kIpcMappingName) + "'";
    ok = false;
  }
  if (!ok) {
    // Nobody else uses objects made anew (this process holds the live lock
    // file alone, under the gate): what it made goes, and the lock files,
    // rather than stay in /dev/shm after the program ends.
    if (anew) {
      UnlinkOwnObjects();
      RemoveLockFiles(m_ns);
    }
    CloseHandles();
    m_live.Unlock();
    m_live.Close();
  }
  return ok;
}

bool IpcObjects::NobodyUsesTheObjects() {
  const std::string mapping = m_ns.ObjectName(kIpcMappingName);
  const auto liveLockFree = [&] {
    if (!m_live.TryExclusive()) return false;
    if (!ShmRegion::NamedByteLocked(mapping, kUsersByte, true)) return true;
    m_live.Unlock();
    return false;
  };
  if (!liveLockFree()) return false;
  const long long age = m_live.AgeMs();
  if (age >= kIpcLockFileGraceMs || !ShmRegion::Exists(mapping)) return true;
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(kIpcLockFileGraceMs - age);
  while (std::chrono::steady_clock::now() < until) {
    // Let go between the looks, so that the client can take it shared.
    m_live.Unlock();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    if (!liveLockFree()) return false;
  }
  return true;
}

bool IpcObjects::StillNamed() const {
  if (!m_region.StillNamed()) return false;
  for (int i = 0; i < kIpcSlotCount; ++i)
    if (!m_guards[i]->StillNamed() || !m_filled[i]->StillNamed() || !m_kill[i]->StillNamed()) return false;
  return true;
}

bool IpcObjects::TakeGate(IpcFileLock& gate, std::string* err) {
  const std::string path = m_ns.LockPath(kGateLock);
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(kIpcGateTimeoutMs);
  for (;;) {
    if (!m_ns.EnsureLockFolder(err)) return false;
    if (!gate.Open(path, err)) {
      // The folder went with the last user between the look and the open.
      struct stat st {};
      if (lstat(m_ns.LockFolder().c_str(), &st) == 0 || MsLeft(end) == 0) return false;
      continue;
    }
    if (!WaitForGate(gate, end)) {
      if (err) *err = GateHeldReport(gate);
      return false;
    }
    if (gate.StillLinked()) return true;
    gate.Close();
  }
}

void IpcObjects::RemoveAsLast() {
  UnlinkAll();
  RemoveLockFiles(m_ns);
}

void IpcObjects::RemoveLockFiles(const IpcNamespace& ns) {
  // Another user's folder at the name is not this user's to empty.
  if (!OwnedOrMissing(ns.LockFolder(), ns.uid)) return;
  // The gate goes last: an attacher waiting for it finds it removed and
  // starts over with a new folder.
  ::unlink(ns.LockPath(kLiveLock).c_str());
  for (int i = 0; i < kIpcSlotCount; ++i) {
    ::unlink(ns.LockPath(Indexed(kSlotLock, i)).c_str());
    ::unlink(ns.LockPath(Indexed(kGuardLock, i)).c_str());
  }
  ::unlink(ns.LockPath(kGateLock).c_str());
  ::rmdir(ns.LockFolder().c_str());
}

void IpcObjects::RemoveIfLast() {
  // As Detach does, without unmapping: the program's other threads may
  // still read the mapping until the signal ends them.
  IpcFileLock gate;
  const bool gated = TakeGate(gate, nullptr);
  std::lock_guard<std::mutex> files(m_lockFilesMutex);
  LeaveAsUser();
  if (gated) RemoveIfUnused();
}

void IpcObjects::LeaveAsUser() {
  // Both marks of a user go under the gate, before the look for others: two
  // processes leaving at once each see the other's marks otherwise (the
  // mapping's lock lasts until the handle closes, after the gate), and
  // both leave the objects behind.
  m_live.Unlock();
  m_region.UnlockByte(kUsersByte);
}

void IpcObjects::RemoveIfUnused() {
  // Whether the live lock file is still the one at its path is asked first:
  // a lock taken on a file removed with its folder says only that nobody
  // else joined this process's own (old) set of objects.
  const bool current = m_live.StillLinked();
  if (!m_live.TryExclusive()) return;  // others share the objects: they stay
  if (m_region.ByteLockedByOthers(kUsersByte, true)) {
    // Others use the mapping, though not through this live lock file (the
    // lock files were removed by hand under one of them): they stay too.
    m_live.Unlock();
    return;
  }
  if (current) {
    RemoveAsLast();
  } else {
    // The names may give objects that a later start made and uses: only
    // this process's own are removed, and nothing while another process
    // holds the current live lock file (the folder may have been made just
    // now, by taking the gate): a client that tells its use by lock files
    // alone may have made it anew for these very objects.
    IpcFileLock live;
    if (live.Open(m_ns.LockPath(kLiveLock), nullptr) && live.TryExclusive()) {
      UnlinkOwnObjects();
      RemoveLockFiles(m_ns);
      live.Unlock();
    }
  }
  m_live.Unlock();
}

void IpcObjects::UnlinkOwnObjects() {
  if (m_region.StillNamed()) ShmRegion::Unlink(m_ns.ObjectName(kIpcMappingName));
  for (int i = 0; i < kIpcSlotCount; ++i) {
    if (m_guards[i]->StillNamed()) IpcSemaphore::Unlink(m_guards[i]->Name());
    if (m_filled[i]->StillNamed()) IpcSemaphore::Unlink(m_filled[i]->Name());
    if (m_kill[i]->StillNamed()) IpcSemaphore::Unlink(m_kill[i]->Name());
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
  bool created = false;
  if (!m_region.OpenOrCreate(m_ns.ObjectName(kIpcMappingName), kIpcMappingSize, &created, err)) return false;
  m_created = created;
  for (int i = 0; i < kIpcSlotCount; ++i) {
    if (!m_guards[i]->OpenOrCreate(m_ns.ObjectName(Indexed(kIpcGuardName, i)), 1, err)) return false;
    if (!m_filled[i]->OpenOrCreate(m_ns.ObjectName(Indexed(kIpcQueueFilledName, i)), err)) return false;
    if (!m_kill[i]->OpenOrCreate(m_ns.ObjectName(Indexed(kIpcKillName, i)), err)) return false;
  }
  return true;
}

namespace {

// True when another process holds the lock file at `path` (a file that is
// not there is not made).
bool LockFileHeld(const std::string& path, bool exclusive) {
  struct stat st {};
  IpcFileLock probe;
  if (lstat(path.c_str(), &st) != 0 || !probe.Open(path, nullptr)) return false;
  if (!(exclusive ? probe.TryExclusive() : probe.TryShared())) return true;
  probe.Unlock();
  return false;
}

}  // namespace

bool IpcObjects::AttachLockHeld(const IpcNamespace& ns) {
  // The gate of the usual names, and of the private ones when there are any.
  IpcNamespace named = ns;
  named.privateKey.clear();
  if (LockFileHeld(named.LockPath(kGateLock), true)) return true;
  return ReadPrivateKey(ns, &named.privateKey) && LockFileHeld(named.LockPath(kGateLock), true);
}

bool IpcObjects::PrivateSetInUse(const std::string& key) const {
  IpcNamespace named = m_usual;
  named.privateKey = key;
  // Only a folder of this user's tells: another user's says nothing of ours.
  return OwnedOrMissing(named.LockFolder(), named.uid) && LockFileHeld(named.LockPath(kLiveLock), true);
}

std::vector<std::string> IpcObjects::ShmPaths(const IpcNamespace& ns) {
  std::vector<std::string> semaphores;
  for (int i = 0; i < kIpcSlotCount; ++i)
    for (const char* base : {kIpcGuardName, kIpcQueueFilledName, kIpcKillName}) semaphores.push_back(Indexed(base, i));
  return ns.ShmPaths({kIpcMappingName}, semaphores);
}

void IpcObjects::RemoveAll(const IpcNamespace& ns) {
  IpcNamespace named = ns;
  std::string key;
  for (bool privateNames : {false, true}) {
    if (privateNames && !ReadPrivateKey(ns, &key)) break;
    named.privateKey = privateNames ? key : "";
    IpcObjects objects(named);
    objects.UnlinkAll();
    RemoveLockFiles(named);
  }
}

bool IpcObjects::MappingIntact(std::string* report, bool* restored, bool lookAtSize) {
  size_t found = kIpcMappingSize;
  *restored = true;
  const long long mended = m_region.TakeMendedCut();
  if (mended >= 0)
    found = static_cast<size_t>(mended);
  else if (!lookAtSize || m_region.IntactSize(&found, restored))
    return true;
  const std::string name = m_ns.ObjectName(kIpcMappingName);
  if (report)
    *report = *restored ? "The shared memory '" + name + "' was cut to " + std::to_string(found) +
                              " bytes by another process; it is restored to " + std::to_string(kIpcMappingSize) +
                              " bytes and its damaged contents are put right"
                        : "The shared memory '" + name + "' was cut to " + std::to_string(found) +
                              " bytes by another process and cannot be restored; the event interface stops using it";
  return false;
}

std::vector<std::string> IpcObjects::MendCutSemaphores(int lookAtSizeOf) {
  std::vector<std::string> reports;
  if (!Attached()) return reports;
  const auto report = [&](const std::string& name, long long found, const char* putRight) {
    reports.push_back("The semaphore '" + name + "' was cut to " + std::to_string(found) +
                      " bytes by another process; it is restored and " + putRight);
  };
  long long found = 0;
  for (int i = 0; i < kIpcSlotCount; ++i) {
    const bool lookAtSize = i == lookAtSizeOf;
    if (m_guards[i]->Cut(&found, lookAtSize)) {
      // Its count now says taken. A holder of ours (of this process, or
      // one that marks the guard's lock file) gives it back itself; without
      // one it is given back here. A holder that speaks the layout alone
      // gives back one too many then, which the next taking trims.
      if (m_guardMutex[i].try_lock()) {
        if (OpenGuardLock(i) && m_guardLocks[i].TryExclusive()) {
          m_guards[i]->Release();
          m_guardLocks[i].Unlock();
        }
        m_guardMutex[i].unlock();
      }
      report(m_guards[i]->Name(), found, "its guard given back");
    }
    if (m_filled[i]->Cut(&found, lookAtSize)) {
      // A signal it held is lost: the reader looks again.
      m_filled[i]->Set();
      report(m_filled[i]->Name(), found, "its reader woken");
    }
    if (m_kill[i]->Cut(&found, lookAtSize)) report(m_kill[i]->Name(), found, "left clear");
  }
  return reports;
}

void IpcObjects::UnlinkAll() {
  // Another user's object at one of the names stays (root could remove
  // it): it is in the way, and said so, but it is not this user's.
  const auto own = [this](const std::string& shmFile) { return OwnedOrMissing("/dev/shm/" + shmFile, m_ns.uid); };
  const std::string mapping = m_ns.ObjectName(kIpcMappingName);
  if (own(mapping.substr(1))) ShmRegion::Unlink(mapping);
  for (int i = 0; i < kIpcSlotCount; ++i)
    for (const char* base : {kIpcGuardName, kIpcQueueFilledName, kIpcKillName}) {
      const std::string name = m_ns.ObjectName(Indexed(base, i));
      if (own("sem." + name.substr(1))) IpcSemaphore::Unlink(name);
    }
}

void IpcObjects::CloseHandles() {
  for (int i = 0; i < kIpcSlotCount; ++i) {
    m_guards[i] = std::make_unique<IpcSemaphore>();
    m_filled[i] = std::make_unique<IpcEvent>();
    m_kill[i] = std::make_unique<IpcEvent>();
    m_guardLocks[i].Close();
  }
  m_region.Unmap();
}

void IpcObjects::Detach() { DetachKeepingSlot(-1); }

void IpcObjects::DetachKeepingSlot(int keep) {
  if (m_exitCleanup) RemoveTerminationCleanup(m_exitCleanup);
  m_exitCleanup = 0;
  const bool keeping = keep >= 0 && keep < kIpcSlotCount && m_slotHeld[keep];
  for (int i = 0; i < kIpcSlotCount; ++i) {
    if (i != keep || !keeping) {
      ReleaseSlot(i);
      continue;
    }
    // The byte lock belongs to the mapping that goes; the lock file is
    // the slot's across mappings.
    UnlockSlotByte(i);
    m_slotHeld[i] = false;
  }
  if (m_region.Data() != nullptr) {
    // The last process to leave removes the objects, under the gate so that
    // no attacher is opening them meanwhile. Without the gate they stay and
    // the next first attacher re-creates them. The handles stay open until
    // then: they tell which objects are this process's own.
    IpcFileLock gate;
    const bool gated = TakeGate(gate, nullptr);
    std::lock_guard<std::mutex> files(m_lockFilesMutex);
    // Unlock rather than only close: a forked child's copy of the
    // descriptor must not keep the lock.
    LeaveAsUser();
    // A process that attaches again at once removes nothing: its attach
    // clears what is left at the names, and the lock files stay (the kept
    // slot's among them, which a removal would leave held on no name).
    if (gated && !keeping) RemoveIfUnused();
  }
  CloseHandles();
  m_live.Close();
}

bool IpcObjects::OpenSlotLock(int slot, std::string* err) {
  if (m_slotLocks[slot].IsOpen()) return true;
  return m_slotLocks[slot].Open(m_ns.LockPath(Indexed(kSlotLock, slot)), err);
}

bool IpcObjects::OpenGuardLock(int slot) {
  if (m_guardLocks[slot].IsOpen()) return true;
  return m_guardLocks[slot].Open(m_ns.LockPath(Indexed(kGuardLock, slot)), nullptr);
}

bool IpcObjects::LockGuard(int slot, int timeoutMs) { return TakeGuard(slot, timeoutMs, false); }

bool IpcObjects::LockGuardOfClaimedSlot(int slot, int timeoutMs) { return TakeGuard(slot, timeoutMs, true); }

bool IpcObjects::TakeGuard(int slot, int timeoutMs, bool ownerGone) {
  if (slot < 0 || slot >= kIpcSlotCount || !m_guards[slot]->IsOpen()) return false;
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  if (!m_guardMutex[slot].try_lock_until(end)) return false;
  IpcFileLock& file = m_guardLocks[slot];
  IpcSemaphore& sem = *m_guards[slot];
  if (!OpenGuardLock(slot) || !file.Exclusive(MsLeft(end))) {
    m_guardMutex[slot].unlock();
    return false;
  }
  // The lock file is ours. A holder of ours marks the file while it has the
  // semaphore and clears the mark only after giving the semaphore back: a
  // mark found now was left by a holder that died. Its semaphore (if it did
  // not get to give it back) is taken over as it is, now for us. Without a
  // mark a taken semaphore belongs to a peer that takes only the semaphore
  // (or to a holder of ours killed before it marked): it is waited for, and
  // taken over only when it stays stuck. A caller that does not wait takes
  // nothing over.
  bool held = sem.TryWait();
  if (!held && timeoutMs > 0) {
    if (file.Word() != 0) {
      held = true;
    } else if (ownerGone) {
      // A live writer gives it back within the moment; one that does not
      // wrote for the owner that is gone.
      held = sem.Wait(std::min(MsLeft(end), kIpcMomentaryHoldMs)) == IpcWaitResult::Acquired;
      if (!held)
        Report("The access guard '" + sem.Name() +
               "' was held for a slot whose owner is gone; it is taken over for the slot's new owner");
      held = true;
    } else {
      held = WaitWatchingForProgress(slot, end);
    }
  }
  if (held) {
    m_watch[slot].watching = false;
    // A count above one (a holder taken for dead was not, and gave back what
    // it no longer held) is brought back to one holder: this one.
    while (sem.Value() > 0 && sem.TryWait()) {
    }
    file.SetWord(static_cast<uint32_t>(::getpid()));
    return true;
  }
  file.Unlock();
  m_guardMutex[slot].unlock();
  return false;
}

bool IpcObjects::WaitWatchingForProgress(int slot, std::chrono::steady_clock::time_point end) {
  // Looked at every few tens of milliseconds: the semaphore taken, and
  // nothing the guard protects moved since the first look that found it so.
  // The window counts from that look, also across waits that ended.
  constexpr int kLookMs = 50;
  GuardWatch& watch = m_watch[slot];
  IpcSemaphore& sem = *m_guards[slot];
  for (;;) {
    const uint64_t fingerprint = Fingerprint(slot);
    const auto now = std::chrono::steady_clock::now();
    if (!watch.watching || watch.fingerprint != fingerprint) {
      watch.watching = true;
      watch.since = now;
      watch.fingerprint = fingerprint;
    } else if (now - watch.since >= std::chrono::milliseconds(kIpcStuckGuardMs)) {
      Report("The access guard '" + sem.Name() + "' stayed taken for " + std::to_string(kIpcStuckGuardMs / 1000) +
             " s while nothing in its slot moved; its holder is taken for dead and the guard is taken over");
      return true;
    }
    const int left = MsLeft(end);
    if (left == 0) return false;
    const IpcWaitResult r = sem.Wait(std::min(left, kLookMs));
    if (r == IpcWaitResult::Acquired) return true;
    if (r == IpcWaitResult::Failed) return false;
  }
}

uint64_t IpcObjects::Fingerprint(int slot) {
  // The releases that this program's holders counted in the guard's lock
  // file, and what the caller watches in the slot.
  const uint64_t released = m_guardLocks[slot].Word(1);
  const uint64_t moved = m_watching.progress ? m_watching.progress(slot) : 0;
  return moved * 0x100000001B3ull ^ released;
}

void IpcObjects::Report(const std::string& text) {
  if (m_watching.report) m_watching.report(text);
}

void IpcObjects::UnlockGuard(int slot) {
  if (slot < 0 || slot >= kIpcSlotCount) return;
  IpcFileLock& file = m_guardLocks[slot];
  // Counted before the release: a waiter that looks at the lock file after
  // the semaphore is taken again sees that the guard moved meanwhile.
  file.SetWord(file.Word(1) + 1, 1);
  m_guards[slot]->Release();
  file.SetWord(0);
  file.Unlock();
  m_guardMutex[slot].unlock();
}

bool IpcObjects::TryClaimSlot(int slot) {
  if (slot < 0 || slot >= kIpcSlotCount) return false;
  if (m_slotHeld[slot]) return false;
  if (!OpenSlotLock(slot, nullptr) || !m_slotLocks[slot].TryExclusive()) return false;
  // The slot's lock file may be new under a live owner (removed by hand):
  // the owner's lock on the mapping tells.
  if (!LockSlotByte(slot)) {
    m_slotLocks[slot].Unlock();
    return false;
  }
  m_slotHeld[slot] = true;
  return true;
}

void IpcObjects::ReleaseSlot(int slot) {
  if (slot < 0 || slot >= kIpcSlotCount) return;
  if (m_slotHeld[slot]) {
    UnlockSlotByte(slot);
    m_slotLocks[slot].Unlock();
  }
  m_slotHeld[slot] = false;
  m_slotLocks[slot].Close();
}

bool IpcObjects::LockSlotByte(int slot) { return m_region.LockByte(SlotByte(slot), true); }

void IpcObjects::UnlockSlotByte(int slot) { m_region.UnlockByte(SlotByte(slot)); }

void IpcObjects::RenewLockFiles() {
  std::lock_guard<std::mutex> files(m_lockFilesMutex);
  // A process whose objects were removed by hand (and maybe made anew by a
  // later start) is no user of the objects at the names: it joins no lock
  // file of theirs.
  if (!Attached() || !m_region.StillNamed()) return;
  const auto renew = [this](IpcFileLock& held, const std::string& path, bool exclusive) {
    if (held.StillLinked()) return;
    // Held anew before the old one is given up; a start that holds the new
    // file for a moment leaves it for the next look.
    IpcFileLock fresh;
    if (!m_ns.EnsureLockFolder(nullptr) || !fresh.Open(path, nullptr)) return;
    if (!(exclusive ? fresh.TryExclusive() : fresh.TryShared())) return;
    held.Unlock();
    held = std::move(fresh);
  };
  renew(m_live, m_ns.LockPath(kLiveLock), false);
  for (int i = 0; i < kIpcSlotCount; ++i) {
    if (m_slotHeld[i]) renew(m_slotLocks[i], m_ns.LockPath(Indexed(kSlotLock, i)), true);
    // A guard's lock file holds the marks that tell a dead holder: it is
    // opened anew, at its next taking, when it is no longer the one named.
    if (m_guardMutex[i].try_lock()) {
      if (m_guardLocks[i].IsOpen() && !m_guardLocks[i].StillLinked()) m_guardLocks[i].Close();
      m_guardMutex[i].unlock();
    }
  }
}

bool IpcObjects::OpenProbe(int slot, IpcFileLock* probe) {
  return probe->Open(m_ns.LockPath(Indexed(kSlotLock, slot)), nullptr);
}

bool IpcObjects::SlotHasLiveOwner(int slot) {
  if (slot < 0 || slot >= kIpcSlotCount) return false;
  if (m_slotHeld[slot] || m_region.ByteLockedByOthers(SlotByte(slot), true)) return true;
  IpcFileLock probe;
  if (!OpenProbe(slot, &probe)) return false;
  if (!probe.TryExclusive()) return true;
  probe.Unlock();
  return false;
}

}  // namespace pm2
