// Every named object of the inter-process event interface, as one process
// holds them: the shared mapping "ZARIzu_file_mapping", per slot the access
// guard "bs_InterProcessEventHandler_access_guard<n>", the queue-filled event
// "bs_InterProcessEventHandler_queue_filled_event<n>" and the kill-thread
// event "bs_InterProcessEventHandler_kill_thread_event<n>", plus the lock
// files that tell live processes from dead ones.
//
// The names are the usual ones (ipc_namespace.h) unless another user made
// one of them first: its object is neither used nor removed, and the
// processes of this user meet under private names instead (a key from the
// user's runtime folder, ipc_private_names.h). An attach joins a set under
// the private names that live processes use; else the usual names when
// none of them is another user's; else the private ones, with a new key
// when another user holds one of those too. InTheWay() then says which
// object blocks the usual names, and whose it is.
//
// A start that fails leaves nothing of its own behind: when it made the
// objects anew (nobody else used them), it removes the ones it made and
// the lock files before it gives up.
//
// POSIX objects outlive crashed processes, so attaching is guarded by lock
// files in a folder named as the objects are (user and suffix, see
// IpcNamespace::LockFolder), so that every process that shares the objects
// shares the locks:
//  - the gate lock file serialises attaching and detaching processes;
//  - every attached process holds a shared lock on the live lock file; the
//    attacher that can take it exclusively knows no live process remains
//    and removes and re-creates every object (the mapping then reads zero);
//    an attacher beside live users opens the objects and makes anew any
//    that is gone; the last to detach removes the objects and the lock
//    files. A process whose live lock file is no longer the one its path
//    names (the lock folder was removed by hand, and a later start may have
//    made new ones) is not a user of the objects at the names: leaving, it
//    removes by name only those still the very objects it opened, and only
//    when nobody else shares its old lock or holds the current one;
//  - a client may tell its use by lock files alone: objects that exist
//    while their live lock file is new (made anew after a removal by hand)
//    are taken for left over only once kIpcLockFileGraceMs passed without
//    anybody holding it;
//  - each claimed slot is backed by an exclusive lock on its slot lock file,
//    held for the owner's life; a slot whose lock can be taken is free,
//    whatever its in-use flag says;
//  - lock files can be removed by hand under live users, so the mapping
//    object carries locks of its own (ShmRegion::LockByte): every attached
//    process holds one byte shared, a slot's owner one byte of the slot's
//    exclusively. An attacher or a leaver that finds them held by others
//    takes the objects for in use and a slot for owned, whatever the lock
//    files say; a live process whose lock files went makes them anew
//    (RenewLockFiles);
//  - a slot's access guard is taken through LockGuard, which holds the
//    guard's lock file while it holds the semaphore and leaves a mark in
//    that file while it has the semaphore (and counts its releases there):
//    a waiter that gets the lock file and finds the mark knows the holder
//    died holding the guard, and takes it over. A semaphore taken without
//    the mark belongs to a peer that speaks the layout on its own (or to a
//    holder of ours that died before it could mark): it is waited for, and
//    taken over only when it stays taken for kIpcStuckGuardMs while nothing
//    the guard protects moves (see WatchGuards) and no holder of ours gives
//    it back; a holder that is merely stopped for a moment keeps it. A
//    guard of a slot that was just claimed (its owner is dead) is taken
//    over after a moment.
#pragma once

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/ipc_file_lock.h"
#include "platform/ipc_namespace.h"
#include "platform/ipc_semaphore.h"
#include "platform/shm_region.h"

namespace pm2 {

inline constexpr int kIpcSlotCount = 16;
inline constexpr size_t kIpcMappingSize = 524936;
inline constexpr char kIpcMappingName[] = "ZARIzu_file_mapping";
inline constexpr char kIpcGuardName[] = "bs_InterProcessEventHandler_access_guard";
inline constexpr char kIpcQueueFilledName[] = "bs_InterProcessEventHandler_queue_filled_event";
inline constexpr char kIpcKillName[] = "bs_InterProcessEventHandler_kill_thread_event";

// How long an attacher waits for another one to finish attaching.
inline constexpr int kIpcGateTimeoutMs = 5000;
// How long the receiver's own housekeeping waits for its slot's guard.
inline constexpr int kIpcMomentaryHoldMs = 200;
// How long a guard taken without a mark must stay taken, with nothing
// moving, before its holder is taken for dead: twice the longest pause a
// live holder is allowed (a peer stopped for 1.5 s keeps its guard).
inline constexpr int kIpcStuckGuardMs = 3000;
// How long a live lock file made anew (after the lock files were removed by
// hand) stands for no user at all while the objects exist: a live client
// that tells its use by lock files alone makes its own anew at its next
// idle wake, well within it.
inline constexpr int kIpcLockFileGraceMs = 2000;

class IpcObjects {
 public:
  explicit IpcObjects(IpcNamespace ns);
  ~IpcObjects();
  IpcObjects(const IpcObjects&) = delete;
  IpcObjects& operator=(const IpcObjects&) = delete;

  // Opens every object, or re-creates them all when no live process has
  // them attached. False with *err naming the object that failed.
  bool Attach(std::string* err);
  // True when Attach made the objects new (the mapping is all zero).
  bool Created() const { return m_created; }
  bool Attached() const { return m_region.Data() != nullptr; }
  // True while every object this process opened is still the one its name
  // gives: false once another process removed one (a peer that took itself
  // for their last user, or a removal by hand), after which this process
  // is unreachable through that name until it attaches anew.
  bool StillNamed() const;
  // Closes everything; the last process to leave removes the objects.
  void Detach();
  // The same for a process that attaches again at once (its objects were
  // removed under it): the lock file of slot `keep` stays held, so that no
  // start in between takes the slot, and TryClaimSlot(keep) after the new
  // Attach has it again. Detach or ReleaseSlot lets it go.
  void DetachKeepingSlot(int keep);
  // Removes every named object and lock file of the namespace, under its
  // usual names and under its private ones (tests clean up with it); none
  // that another user owns.
  static void RemoveAll(const IpcNamespace& ns);
  // After an attach under private names: which object blocks the usual
  // ones and whose it is, and what that means for other programs; "" when
  // the usual names are used.
  const std::string& InTheWay() const { return m_inTheWay; }
  // True while another process holds the lock that lets processes attach
  // and leave one at a time: an Attach now waits for it, and gives up when
  // that process keeps it (stopped, say).
  static bool AttachLockHeld(const IpcNamespace& ns);

  uint8_t* View() const { return m_region.Data(); }
  // True when the mapping was not cut short by another process since the
  // last look. A cut is damage: the mapping is brought back to its size (the
  // part that was cut reads zero), *report says so, and the result is
  // false; the caller then puts right what it owns. A cut that an access
  // ran into was mended then (see ShmRegion); `lookAtSize` looks at the
  // size as well, finding a cut before any access does. False with
  // *restored false when it could not be restored: the mapping must not be
  // touched then.
  bool MappingIntact(std::string* report, bool* restored, bool lookAtSize);
  // Puts right every semaphore that another process cut short since the
  // last look (see IpcSemaphore::Cut): a guard nobody of ours holds is
  // given back, a queue's event is set so that its reader looks at the ring
  // again. Gives a report for each, naming it. The sizes of the semaphores
  // of slot `lookAtSizeOf` are looked at as well (the owner looks after its
  // slot's; those of the others are mended by the accesses that run into
  // their cuts).
  std::vector<std::string> MendCutSemaphores(int lookAtSizeOf);
  IpcSemaphore& Guard(int slot) { return *m_guards[slot]; }
  IpcEvent& QueueFilled(int slot) { return *m_filled[slot]; }
  IpcEvent& Kill(int slot) { return *m_kill[slot]; }

  // Takes the slot's access guard, waiting at most timeoutMs; a guard whose
  // holder died holding it is taken over. UnlockGuard gives it back.
  bool LockGuard(int slot, int timeoutMs);
  // The same for a slot this process has just claimed: whoever holds its
  // guard past a moment wrote for an owner that is gone, and the slot is
  // about to start afresh, so the guard is taken over then.
  bool LockGuardOfClaimedSlot(int slot, int timeoutMs);
  void UnlockGuard(int slot);

  // What LockGuard looks at while it waits for a guard taken without a
  // mark: `progress` gives a number that changes whenever anything the
  // slot's guard protects changes (set before any guard is taken; without
  // it only the releases of this program's holders count), and `report`
  // says a takeover, once each time a guard is found stuck.
  struct GuardWatching {
    std::function<uint64_t(int slot)> progress;
    std::function<void(const std::string&)> report;
  };
  void WatchGuards(GuardWatching watching) { m_watching = std::move(watching); }

  // Takes the slot's lock when nobody holds it; the lock is kept until
  // ReleaseSlot or Detach, or the process's end.
  bool TryClaimSlot(int slot);
  void ReleaseSlot(int slot);
  // True when a live process holds the slot's lock (probes without keeping it).
  bool SlotHasLiveOwner(int slot);
  // How many processes are attached now (this one among them, when it is):
  // the holders of the live lock. -1 when it cannot be told.
  int LiveUserCount() const { return m_live.SharedHolderCount(); }
  // Lock files removed by hand while this process is attached are made
  // anew and held again (the live one, the claimed slots'; a guard's is
  // opened anew at its next taking), as long as the objects at the names
  // are still this process's own. Called now and then by the thread that
  // claims and releases the slots.
  void RenewLockFiles();
  // Runs `whileFree` holding the slot's lock when nobody holds it (a peer
  // that claims the slot meanwhile finds it taken and goes on to the next);
  // false, without running it, when the slot has a live owner.
  template <class F>
  bool WithSlotFree(int slot, F whileFree) {
    if (slot < 0 || slot >= kIpcSlotCount || m_slotHeld[slot]) return false;
    IpcFileLock probe;
    if (!OpenProbe(slot, &probe) || !probe.TryExclusive()) return false;
    if (!LockSlotByte(slot)) return false;
    whileFree();
    UnlockSlotByte(slot);
    probe.Unlock();
    return true;
  }
  // The slot's access guard is taken (its semaphore is at 0).
  bool GuardTaken(int slot) { return slot >= 0 && slot < kIpcSlotCount && m_guards[slot]->Value() == 0; }
  // Its count is above one: a holder that speaks the layout on its own gave
  // it back after it was taken over from it, and two writers could get in
  // at once until a taking brings it back to one.
  bool GuardOverCounted(int slot) { return slot >= 0 && slot < kIpcSlotCount && m_guards[slot]->Value() > 1; }

  const IpcNamespace& Namespace() const { return m_ns; }

 private:
  bool CreateAll(std::string* err);
  bool OpenAll(std::string* err);
  void UnlinkAll();
  // Takes the gate lock, in a lock folder made when missing; a gate file
  // that the last user removed while this process waited is left for the
  // new one.
  bool TakeGate(IpcFileLock& gate, std::string* err);
  // The last user's removal, holding the gate and the live lock.
  void RemoveAsLast();
  static void RemoveLockFiles(const IpcNamespace& ns);
  void CloseHandles();
  bool OpenSlotLock(int slot, std::string* err);
  bool OpenGuardLock(int slot);
  bool OpenProbe(int slot, IpcFileLock* probe);
  bool LockSlotByte(int slot);
  void UnlockSlotByte(int slot);
  bool TakeGuard(int slot, int timeoutMs, bool ownerGone);
  // Waits for a semaphore taken without a mark until `end`, taking it over
  // when it stays stuck (see the header's comment).
  bool WaitWatchingForProgress(int slot, std::chrono::steady_clock::time_point end);
  uint64_t Fingerprint(int slot);
  void Report(const std::string& text);
  // Gives up this process's live lock and its lock on the mapping.
  void LeaveAsUser();
  // Leaving, under the gate with the own live lock given up: removes what
  // nobody uses any more.
  void RemoveIfUnused();
  void UnlinkOwnObjects();
  // Under the gate, with m_live open: true, holding m_live exclusively,
  // when no live process uses the objects. Neither the live lock file nor
  // the mapping's lock tells of a client that uses lock files alone and
  // whose lock files were removed by hand: while the objects exist and the
  // live lock file is younger than kIpcLockFileGraceMs, such a client is
  // given until then to hold the new one.
  bool NobodyUsesTheObjects();

  IpcNamespace m_ns;     // the names attached under
  IpcNamespace m_usual;  // the names as given (no private key)
  std::string m_inTheWay;
  ShmRegion m_region;
  IpcFileLock m_live;
  // Held while the live and the slots' lock files are renewed or given up
  // at the end by a signal (another thread).
  std::mutex m_lockFilesMutex;
  std::array<std::unique_ptr<IpcSemaphore>, kIpcSlotCount> m_guards;
  std::array<std::unique_ptr<IpcEvent>, kIpcSlotCount> m_filled;
  std::array<std::unique_ptr<IpcEvent>, kIpcSlotCount> m_kill;
  std::array<IpcFileLock, kIpcSlotCount> m_slotLocks;
  std::array<bool, kIpcSlotCount> m_slotHeld {};
  // The threads of this process take a guard one at a time; its lock file
  // then stands for all of them.
  std::array<std::timed_mutex, kIpcSlotCount> m_guardMutex;
  std::array<IpcFileLock, kIpcSlotCount> m_guardLocks;
  // A guard found taken without a mark, from the first look on; guarded by
  // the slot's m_guardMutex. Invariant: `since` and `fingerprint` are those
  // of the first look that saw the guard taken with this fingerprint.
  struct GuardWatch {
    bool watching = false;
    std::chrono::steady_clock::time_point since {};
    uint64_t fingerprint = 0;
  };
  std::array<GuardWatch, kIpcSlotCount> m_watch {};
  GuardWatching m_watching;
  bool m_created = false;
  int m_exitCleanup = 0;  // the termination cleanup while attached
  // Held through an attach, and by the termination cleanup, which must not
  // look at the objects half made.
  std::mutex m_attachMutex;
  // Chooses the names (see the header's comment) and attaches under them.
  bool AttachObjects(std::string* err);
  // Attaches under the names of m_ns; a failure leaves nothing this
  // process made.
  bool AttachUnderNames(std::string* err);
  // True when live processes use the objects under the private names of `key`.
  bool PrivateSetInUse(const std::string& key) const;
  // Every file in /dev/shm that a name of `ns` stands for.
  static std::vector<std::string> ShmPaths(const IpcNamespace& ns);
  // The last user's removal at the end by a signal.
  void RemoveIfLast();
};

// Holds a slot's access guard for one scope; Lock is true only when taken.
class IpcGuardHold {
 public:
  IpcGuardHold(IpcObjects& objects, int slot) : m_objects(objects), m_slot(slot) {}
  ~IpcGuardHold() { Unlock(); }
  IpcGuardHold(const IpcGuardHold&) = delete;
  IpcGuardHold& operator=(const IpcGuardHold&) = delete;
  bool Lock(int timeoutMs) { return m_held = m_held || m_objects.LockGuard(m_slot, timeoutMs); }
  void Unlock() {
    if (m_held) m_objects.UnlockGuard(m_slot);
    m_held = false;
  }

 private:
  IpcObjects& m_objects;
  int m_slot;
  bool m_held = false;
};

}  // namespace pm2
