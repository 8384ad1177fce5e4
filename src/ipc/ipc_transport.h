// The shared-memory transport: this process's attachment to the mapping
// "ZARIzu_file_mapping", its slot and the receiver thread that drains it.
//
// Attaching opens (or, when no live process has them, re-creates) the
// named objects, counts the process in the mapping's attach count and
// claims the first slot whose locks nobody holds; a slot left by a
// crashed owner is therefore claimed again. A mapping of another layout
// version is attached without a slot: nothing is sent or received. (A
// damaged version word is put right by a live slot owner of this layout,
// or by the attacher when no slot has a live owner.)
//
// Writing into slot s: a slot not in use counts as written; otherwise the
// slot's access guard is taken (timed: a timeout is a refused write), the
// record is written by the ring's rule, and the slot's queue-filled event is
// signalled whatever the outcome. A refused write raises the slot's
// overflow count and leaves "while GetSendBuffer\n" in the file
// "queue_error_<s>" of the runtime folder. A guard that a dead holder left
// taken is taken over within a few seconds (IpcObjects::LockGuard); until
// then a broadcast waits its whole wait for one guard at most.
//
// Objects that another process removes under this one (a peer that took
// itself for their last user, or a removal by hand) are looked for at every
// idle wake of the receiver: this process then leaves what it still holds
// and attaches anew, making the objects and their lock files again, and
// claims a slot in them, so that peers reach it again. The writers wait
// meanwhile.
//
// The receiver thread ends only when this process releases its slot: the
// slot's kill event, which any process of the user can set, is taken back
// and ignored otherwise.
//
// A mapping or a semaphore that another process cuts short is damage, never
// the end of this program: it is brought back to its size, reported on the
// error output, and put right (each owner starts its slot afresh; a guard
// nobody holds is given back, a queue's reader woken).
#pragma once

#include <array>
#include <atomic>
#include <memory>
#include <shared_mutex>
#include <string>
#include <thread>
#include <vector>

#include "ipc/event_dispatcher.h"
#include "ipc/ipc_layout.h"
#include "ipc/ipc_ring.h"
#include "platform/ipc_objects.h"

namespace pm2 {

class dtc_EventFactory;

struct IpcTransportOptions {
  int guardTimeoutMs = 2000;  // longest wait for a slot's access guard
  int idleWakeMs = 200;       // the receiver looks at its ring at least this often
};

class bs_InterProcessEventHandler final : public EventTransport, private RecordReceiver {
 public:
  // AttachSharedMapping: null with *err when the objects cannot be opened.
  static std::unique_ptr<bs_InterProcessEventHandler> Attach(const IpcNamespace& ns, EventSink& sink,
                                                             const dtc_EventFactory& factory, std::string* err,
                                                             IpcTransportOptions options = {});
  // DetachSharedMapping: frees the slot (waiting for the receiver thread to
  // leave its delivery), uncounts the process and unmaps.
  ~bs_InterProcessEventHandler() override;

  // BroadcastEvent: to the destination slot, or with destination -1 to every
  // other slot in use in ascending order; the result of the last write,
  // false when there was none.
  bool Send(const dtc_EventBase& event) override;
  // To every other slot in use, as Send with destination -1 does (the
  // event's own destination is not looked at): true when any write
  // succeeded.
  bool SendToEveryPeer(const dtc_EventBase& event) override;
  bool HasSlot() const override { return m_nOwnSlot >= 0; }
  int OwnSlot() const override { return m_nOwnSlot; }
  // Which object of another user's blocks the usual names (IpcObjects::InTheWay).
  std::string AttachNote() const override;

  bool WriteEventToSlot(const dtc_EventBase& event, int slot);

  uint8_t* MappingView() const { return m_objects.View(); }
  std::string QueueErrorPath(int slot) const;

 private:
  bs_InterProcessEventHandler(const IpcNamespace& ns, EventSink& sink, const dtc_EventFactory& factory,
                              IpcTransportOptions options);
  bool AttachObjects(std::string* err);
  // Checked before the mapping is used: false when it must not be touched
  // (cut short by another process and not restorable). A cut that was
  // restored is reported and the own slot is started afresh. The writers
  // look for a cut that an access ran into; the receiver, at every wake,
  // at the size too (`lookAtSize`).
  bool MappingUsable(bool lookAtSize = false);
  // A layout version word that is not this layout's: true when it was put
  // right (and a slot may be claimed).
  bool VersionPutRight();
  // Sets the attach count to the processes that hold the live lock, unless
  // a peer changed it meanwhile (a joiner then counts again); false when
  // the live lock cannot be counted.
  bool RecountAttached(bool joining);
  // Counts this process in the mapping: false when it must stay silent (a
  // mapping of another layout).
  bool JoinMapping();
  // Claims a free slot, `preferred` first, else the first one, and starts
  // its ring afresh; -1 when none is free.
  int ClaimFreeSlot(int preferred = -1);
  void ClaimSlot();
  // At an idle wake, once the objects were removed under this process (or
  // after a rejoin that failed): leaves and attaches anew. The writers are
  // held off meanwhile.
  void Rejoin();
  void ReceiverLoop();
  void ReleaseStuckWriter(SlotView slot);
  void RepairLayoutVersion();
  // At a wake: the own slot's guard, when a holder left it stuck or its
  // count above one.
  void FreeOwnGuard();
  // At an idle wake: what dead peers left held is freed (see the .cpp).
  void FreeWhatTheDeadHeld(SlotView own);
  void Refused(int slot);
  // A write whose wait for the slot's guard is at most guardWaitMs;
  // *guardMissed is set when the guard was not had within it.
  bool WriteToSlot(const dtc_EventBase& event, int slot, int guardWaitMs, bool* guardMissed);
  // Changes whenever a word of the slot's ring that a writer or the reader
  // moves changes (the guards' watch, see IpcObjects::WatchGuards).
  uint64_t RingWordsFingerprint(int slot) const;
  struct BroadcastResult {
    bool tried = false;    // a slot was written to
    bool anyWritten = false;
    bool lastWritten = false;  // the write to the highest slot written to
  };
  BroadcastResult Broadcast(const dtc_EventBase& event);
  void OnRecord(const uint8_t* record, size_t size) override;

  IpcObjects m_objects;
  EventSink& m_sink;
  const dtc_EventFactory& m_factory;
  IpcTransportOptions m_options;
  std::atomic<int> m_nOwnSlot {-1};
  bool m_counted = false;
  // Held shared by every writer, exclusively by a rejoin, which replaces
  // the objects under them.
  mutable std::shared_mutex m_objectsMutex;
  bool m_rejoinFailureSaid = false;
  int m_lastSlot = -1;  // the slot held before a rejoin that failed
  std::thread m_receiver;
  std::atomic<bool> m_stop {false};
  std::atomic<bool> m_damaged {false};  // the mapping was cut and restored
  std::vector<uint8_t> m_scratch;
  std::array<std::atomic<bool>, kIpcSlotCount> m_errorFileWritten {};
};

}  // namespace pm2
