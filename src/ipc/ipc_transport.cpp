#include "ipc/ipc_transport.h"

#include <algorithm>
#include <chrono>
#include <cstdio>

#include "ipc/event_factory.h"
#include "platform/atomic_file.h"

namespace pm2 {
namespace {

class EventFiller final : public RecordFiller {
 public:
  EventFiller(const dtc_EventFactory& f, const dtc_EventBase& e, int32_t slot) : m_f(f), m_e(e), m_slot(slot) {}
  bool Fill(uint8_t* dest, size_t capacity) override { return m_f.WriteEventRecord(m_e, dest, capacity, m_slot); }

 private:
  const dtc_EventFactory& m_f;
  const dtc_EventBase& m_e;
  int32_t m_slot;
};

// Damage another process did is said on the error output, once each time
// it is found.
void SayDamage(const std::string& text) {
  std::fprintf(stderr, "%s\n", text.c_str());
  std::fflush(stderr);
}

}  // namespace

bs_InterProcessEventHandler::bs_InterProcessEventHandler(const IpcNamespace& ns, EventSink& sink,
                                                         const dtc_EventFactory& factory, IpcTransportOptions options)
    : m_objects(ns), m_sink(sink), m_factory(factory), m_options(options) {}

std::unique_ptr<bs_InterProcessEventHandler> bs_InterProcessEventHandler::Attach(const IpcNamespace& ns,
                                                                                 EventSink& sink,
                                                                                 const dtc_EventFactory& factory,
                                                                                 std::string* err,
                                                                                 IpcTransportOptions options) {
  std::unique_ptr<bs_InterProcessEventHandler> t(new bs_InterProcessEventHandler(ns, sink, factory, options));
  if (!t->AttachObjects(err)) return nullptr;
  return t;
}

bool bs_InterProcessEventHandler::AttachObjects(std::string* err) {
  // A guard taken without a mark is taken for stuck only while none of its
  // slot's ring words moves (the in-use flag and the ring's contents are
  // not what the guard protects); a takeover is said on the error output.
  m_objects.WatchGuards({[this](int s) { return RingWordsFingerprint(s); }, SayDamage});
  if (!m_objects.Attach(err)) return false;
  if (JoinMapping()) ClaimSlot();  // else attached, but silent
  return true;
}

bool bs_InterProcessEventHandler::JoinMapping() {
  uint8_t* view = m_objects.View();
  if (m_objects.Created()) {
    StoreShared(view, 1);
    StoreShared(view + 4, kIpcLayoutVersion);
  } else if (!RecountAttached(true)) {
    AddShared(view, 1);
  }
  m_counted = true;
  return LoadShared(view + 4) == kIpcLayoutVersion || VersionPutRight();
}

bool bs_InterProcessEventHandler::RecountAttached(bool joining) {
  // Counted afresh from the processes that hold the live lock: a peer
  // killed without detaching never took its one back. The count is put
  // only where nobody changed it since it was read: a peer that joins
  // between the look and the write counts itself and those before it, and
  // a plain store here would take it back (a receiver's count made before
  // that peer locked). A joiner counts again until its own count stands;
  // a receiver leaves the word to the next wake.
  uint8_t* view = m_objects.View();
  for (;;) {
    const uint32_t seen = LoadShared(view);
    const int live = m_objects.LiveUserCount();
    if (live <= 0) return false;
    if (seen == uint32_t(live) || CompareExchangeShared(view, seen, uint32_t(live))) return true;
    if (!joining) return true;
  }
}

bool bs_InterProcessEventHandler::VersionPutRight() {
  // Without a live slot owner nobody speaks any layout here: the word is
  // ours to write. A live owner of this layout puts it right at its next
  // idle wake; one of another layout leaves it, and this process silent.
  uint8_t* view = m_objects.View();
  bool owner = false;
  for (int s = 0; s < kIpcSlotCount && !owner; ++s) owner = m_objects.SlotHasLiveOwner(s);
  if (!owner) {
    StoreShared(view + 4, kIpcLayoutVersion);
    return true;
  }
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(3 * m_options.idleWakeMs);
  while (std::chrono::steady_clock::now() < until) {
    if (LoadShared(view + 4) == kIpcLayoutVersion) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return LoadShared(view + 4) == kIpcLayoutVersion;
}

void bs_InterProcessEventHandler::ClaimSlot() {
  m_nOwnSlot = ClaimFreeSlot();
  // All sixteen slots taken: attached without a slot.
  if (m_nOwnSlot >= 0) m_receiver = std::thread([this] { ReceiverLoop(); });
}

int bs_InterProcessEventHandler::ClaimFreeSlot(int preferred) {
  for (int n = preferred >= 0 ? -1 : 0; n < kIpcSlotCount; ++n) {
    const int s = n < 0 ? preferred : n;
    if (!m_objects.TryClaimSlot(s)) continue;
    SlotView slot = SlotView::At(m_objects.View(), s);
    // A writer of the previous owner's life may still hold the guard: it
    // wrote for an owner that is gone, into a ring started afresh now, so
    // the guard is taken over (a holder that does not give back its lock
    // file within the wait is its own: the slot is left for the next).
    if (!m_objects.LockGuardOfClaimedSlot(s, m_options.guardTimeoutMs)) {
      m_objects.ReleaseSlot(s);
      continue;
    }
    slot.InitialiseRing();
    slot.Set(slot_field::kInUse, 1);
    m_objects.UnlockGuard(s);
    m_objects.QueueFilled(s).Poll();
    m_objects.Kill(s).Poll();
    return s;
  }
  return -1;
}

void bs_InterProcessEventHandler::Rejoin() {
  std::unique_lock<std::shared_mutex> writers(m_objectsMutex);
  if (m_stop) return;
  const std::string name = m_objects.Namespace().ObjectName(kIpcMappingName);
  const int old = m_nOwnSlot;
  if (m_objects.Attached()) {
    // The mapping may still be a live one (only a semaphore went): this
    // process's marks in it are taken back before it joins anew.
    SlotView slot = SlotView::At(m_objects.View(), old >= 0 ? old : 0);
    bool restored = true;
    if (old >= 0 && m_objects.MappingIntact(nullptr, &restored, false)) slot.Set(slot_field::kInUse, 0);
    if (m_counted) AddShared(m_objects.View(), -1);
  }
  m_counted = false;
  if (old >= 0) m_lastSlot = old;
  m_nOwnSlot = -1;
  // The slot's lock stays held across the new attach: a peer that starts
  // meanwhile (maybe the one making the objects anew) takes another slot,
  // and the peers that keep this process's number still reach it.
  m_objects.DetachKeepingSlot(old);
  std::string err;
  if (!m_objects.Attach(&err)) {
    if (old >= 0) m_objects.ReleaseSlot(old);
    if (!m_rejoinFailureSaid) SayDamage(err + "; the event interface tries again while the program runs");
    m_rejoinFailureSaid = true;
    return;
  }
  m_rejoinFailureSaid = false;
  // The slot it had, when free, so that peers that keep its number still
  // reach it.
  if (JoinMapping()) m_nOwnSlot = ClaimFreeSlot(old >= 0 ? old : m_lastSlot);
  if (m_nOwnSlot >= 0)
    SayDamage("The shared memory '" + name +
              "' or one of its semaphores was removed by another process; they are made anew and this program "
              "is reached again in slot " +
              std::to_string(m_nOwnSlot));
}

bool bs_InterProcessEventHandler::MappingUsable(bool lookAtSize) {
  if (!m_objects.Attached()) return false;  // a rejoin that failed
  std::string report;
  bool restored = true;
  if (m_objects.MappingIntact(&report, &restored, lookAtSize)) return true;
  // Cut short by another process: damage, said once each time it is found.
  SayDamage(report);
  if (!restored) return false;
  m_damaged = true;
  // The header the cut took away; the slots are put right by their owners
  // (this process's own at the receiver's next wake).
  StoreShared(m_objects.View() + 4, kIpcLayoutVersion);
  if (m_nOwnSlot >= 0) m_objects.QueueFilled(m_nOwnSlot).Set();
  return true;
}

bs_InterProcessEventHandler::~bs_InterProcessEventHandler() {
  m_stop = true;
  bool usable;
  {
    // A rejoin under way ends first; none starts after it.
    std::unique_lock<std::shared_mutex> writers(m_objectsMutex);
    usable = MappingUsable(true);
    if (m_nOwnSlot >= 0) {
      if (usable) SlotView::At(m_objects.View(), m_nOwnSlot).Set(slot_field::kInUse, 0);
      m_objects.Kill(m_nOwnSlot).Set();
      m_objects.QueueFilled(m_nOwnSlot).Set();
    }
  }
  if (m_receiver.joinable() || m_nOwnSlot >= 0) {
    if (m_receiver.joinable()) {
      if (m_receiver.get_id() == std::this_thread::get_id())
        m_receiver.detach();  // released from inside a delivery
      else
        m_receiver.join();
    }
    m_objects.ReleaseSlot(m_nOwnSlot);
  }
  if (m_counted && usable) AddShared(m_objects.View(), -1);
  m_objects.Detach();
}

std::string bs_InterProcessEventHandler::AttachNote() const {
  // A rejoin replaces the objects under the writers' lock.
  std::shared_lock<std::shared_mutex> rejoin(m_objectsMutex);
  return m_objects.InTheWay();
}

std::string bs_InterProcessEventHandler::QueueErrorPath(int slot) const {
  return m_objects.Namespace().RuntimeFile("queue_error_" + std::to_string(slot));
}

void bs_InterProcessEventHandler::Refused(int slot) {
  if (!MappingUsable()) return;
  AddShared(SlotView::At(m_objects.View(), slot).Base() + slot_field::kOverflowCount, 1);
  // The file's content never changes, so it is written once per run of
  // refusals rather than on every refused write.
  if (!m_errorFileWritten[slot].exchange(true))
    WriteFileAtomically(QueueErrorPath(slot), "while GetSendBuffer\n", nullptr);
}

bool bs_InterProcessEventHandler::WriteEventToSlot(const dtc_EventBase& event, int s) {
  std::shared_lock<std::shared_mutex> rejoin(m_objectsMutex);
  bool guardMissed = false;
  return WriteToSlot(event, s, m_options.guardTimeoutMs, &guardMissed);
}

bool bs_InterProcessEventHandler::WriteToSlot(const dtc_EventBase& event, int s, int guardWaitMs,
                                              bool* guardMissed) {
  if (s < 0 || s >= kIpcSlotCount || !MappingUsable()) return false;
  SlotView slot = SlotView::At(m_objects.View(), s);
  if (!slot.InUse()) return true;
  uint32_t size = m_factory.GetEventRecordSize(event);
  if (size == 0) return false;
  bool ok;
  {
    IpcGuardHold lock(m_objects, s);
    if (lock.Lock(guardWaitMs)) {
      EventFiller filler(m_factory, event, m_nOwnSlot);
      ok = WriteRingRecord(slot, size, filler) == RingWrite::Written;
    } else {
      ok = false;
      *guardMissed = true;
    }
  }
  if (ok)
    m_errorFileWritten[s] = false;
  else
    Refused(s);
  m_objects.QueueFilled(s).Set();
  return ok;
}

bool bs_InterProcessEventHandler::Send(const dtc_EventBase& event) {
  if (!event.IsRemote() || m_nOwnSlot < 0) return false;
  int32_t dest = event.GetDestination();
  if (dest != -1) return WriteEventToSlot(event, dest);
  const BroadcastResult r = Broadcast(event);
  return r.tried && r.lastWritten;
}

bool bs_InterProcessEventHandler::SendToEveryPeer(const dtc_EventBase& event) {
  if (!event.IsRemote() || m_nOwnSlot < 0) return false;
  return Broadcast(event).anyWritten;
}

bs_InterProcessEventHandler::BroadcastResult bs_InterProcessEventHandler::Broadcast(const dtc_EventBase& event) {
  BroadcastResult r;
  std::shared_lock<std::shared_mutex> rejoin(m_objectsMutex);
  if (!MappingUsable()) return r;
  // A guard that kept this round waiting its whole wait is stuck (its
  // holder stopped, or dead and not yet taken for dead): the round waits so
  // once; the other slots' guards get only a moment (a live writer holds one
  // for microseconds).
  bool guardMissed = false;
  for (int s = 0; s < kIpcSlotCount; ++s) {
    // A slot is in use only while its owner lives (its flag may be stale or damaged).
    if (s == m_nOwnSlot || !SlotView::At(m_objects.View(), s).InUse() || !m_objects.SlotHasLiveOwner(s)) continue;
    const int wait = guardMissed ? std::min(kIpcMomentaryHoldMs, m_options.guardTimeoutMs) : m_options.guardTimeoutMs;
    r.lastWritten = WriteToSlot(event, s, wait, &guardMissed);
    r.anyWritten = r.anyWritten || r.lastWritten;
    r.tried = true;
  }
  return r;
}

uint64_t bs_InterProcessEventHandler::RingWordsFingerprint(int s) const {
  // FNV-1a over the words from the idle marker to reader pending: every
  // write, wrap and read moves one of them. The overflow count is left out:
  // a writer that gave up waiting for the guard raises it too.
  const SlotView slot = SlotView::At(m_objects.View(), s);
  uint64_t h = 0xCBF29CE484222325ull;
  for (uint32_t field = slot_field::kIdleMarker; field <= slot_field::kReaderPending; field += 4) {
    h ^= slot.Get(field);
    h *= 0x100000001B3ull;
  }
  return h;
}

void bs_InterProcessEventHandler::OnRecord(const uint8_t* record, size_t size) {
  std::unique_ptr<dtc_EventBase> event = m_factory.CreateEventFromRecord(record, size);
  if (event) m_sink.Deliver(*event);
}

void bs_InterProcessEventHandler::ReleaseStuckWriter(SlotView slot) {
  // A writer that died between reserving and publishing leaves the ring
  // busy for ever; with the guard ours nobody is writing. (A guard its
  // holder died with is taken over: the wait is short, on this thread.)
  if (slot.Get(slot_field::kWriterPending) == kIpcIdle) return;
  if (!m_objects.LockGuard(m_nOwnSlot, kIpcMomentaryHoldMs)) return;
  if (slot.Get(slot_field::kWriterPending) != kIpcIdle) slot.Set(slot_field::kWriterPending, kIpcIdle);
  m_objects.UnlockGuard(m_nOwnSlot);
}

void bs_InterProcessEventHandler::RepairLayoutVersion() {
  // This process attached with this layout and holds a slot: the mapping is
  // of this layout, and another word there is damage. Put right, so that
  // new peers claim the free slots (those whose lock nobody holds) instead
  // of attaching silently.
  uint8_t* view = m_objects.View();
  if (LoadShared(view + 4) != kIpcLayoutVersion) StoreShared(view + 4, kIpcLayoutVersion);
}

void bs_InterProcessEventHandler::ReceiverLoop() {
  auto nextRenewal = std::chrono::steady_clock::now();
  while (!m_stop) {
    if (m_nOwnSlot < 0) {
      // A rejoin found no objects to join or no free slot: tried again
      // as often as an idle receiver wakes.
      std::this_thread::sleep_for(std::chrono::milliseconds(m_options.idleWakeMs));
      if (!m_stop) Rejoin();
      continue;
    }
    // Looked up at every wake: a rejoin replaces them.
    SlotView slot = SlotView::At(m_objects.View(), m_nOwnSlot);
    // Only the queue's event is waited on: waiting on the kill event as well
    // would poll it every few milliseconds for the life of the program. The
    // destructor sets m_stop, then the kill and the queue's event, so its end
    // is seen at once.
    IpcEvent& filled = m_objects.QueueFilled(m_nOwnSlot);
    IpcEvent& kill = m_objects.Kill(m_nOwnSlot);
    IpcWaitResult r = filled.Wait(m_options.idleWakeMs);
    if (r == IpcWaitResult::Failed) return;
    if (m_stop) return;
    if (r == IpcWaitResult::TimedOut && !m_objects.StillNamed()) {
      Rejoin();
      continue;
    }
    // Only this program ends its own receiver, and it says so in m_stop
    // before it sets the kill event: a kill set by any other process is
    // taken back and ignored.
    kill.Poll();
    if (!MappingUsable(true)) continue;
    // A semaphore cut short by another process is mended when an access
    // runs into the cut, wherever that is; the own slot's sizes are looked
    // at when idle.
    for (const std::string& text : m_objects.MendCutSemaphores(r == IpcWaitResult::TimedOut ? m_nOwnSlot.load() : -1))
      SayDamage(text);
    // Lock files removed by hand are made anew, looked for as often as an
    // idle receiver wakes, however busy the slot.
    if (const auto now = std::chrono::steady_clock::now(); now >= nextRenewal) {
      m_objects.RenewLockFiles();
      // So is the attach count: a peer killed without detaching leaves it
      // one too high until the live processes are counted again.
      RecountAttached(false);
      nextRenewal = now + std::chrono::milliseconds(m_options.idleWakeMs);
    }
    if (m_damaged.exchange(false) || slot.Get(slot_field::kRingLimit) != kIpcRingLimit ||
        slot.Get(slot_field::kIdleMarker) != kIpcIdle) {
      // Its fixed words are not what the claim wrote: the ring is damaged
      // (or read zero after the mapping was cut): started afresh.
      IpcGuardHold lock(m_objects, m_nOwnSlot);
      if (lock.Lock(m_options.guardTimeoutMs)) {
        slot.InitialiseRing();
        slot.Set(slot_field::kInUse, 1);
      }
    }
    DrainResult d = DrainRing(slot, *this, m_scratch);
    if (d.needsReset) {
      IpcGuardHold lock(m_objects, m_nOwnSlot);
      if (lock.Lock(m_options.guardTimeoutMs)) slot.InitialiseRing();
    }
    // Writers that find the ring busy still signal it: a writer that died
    // mid-write is looked for at every wake, not only at idle ones.
    ReleaseStuckWriter(slot);
    // A wake that found records had writers getting through: no guard is
    // stuck then, but its count may be above one.
    if (d.records == 0 || m_objects.GuardOverCounted(m_nOwnSlot)) FreeOwnGuard();
    if (r == IpcWaitResult::TimedOut) {
      RepairLayoutVersion();
      FreeWhatTheDeadHeld(slot);
    }
  }
}

void bs_InterProcessEventHandler::FreeOwnGuard() {
  // The own slot's guard, found taken at a wake, is looked at for a moment
  // each time: a holder of ours that died leaves its mark and is taken over
  // at once; one without a mark when the guard stays taken while nothing in
  // the slot moves, over several looks (IpcObjects::LockGuard). Peers that
  // follow the layout alone wait on the semaphore and never take it over
  // themselves, and the writers that time out still signal this slot, so
  // the look is not kept for idle wakes, only for wakes that found nothing
  // to read. Given back at once. A count above one (a holder taken over
  // that came back and gave it back as well) is brought back to one by the
  // taking.
  if ((m_objects.GuardTaken(m_nOwnSlot) || m_objects.GuardOverCounted(m_nOwnSlot)) &&
      m_objects.LockGuard(m_nOwnSlot, kIpcMomentaryHoldMs))
    m_objects.UnlockGuard(m_nOwnSlot);
}

void bs_InterProcessEventHandler::FreeWhatTheDeadHeld(SlotView own) {
  // The own slot is in use whatever damage says.
  if (own.Get(slot_field::kInUse) != 1) own.Set(slot_field::kInUse, 1);
  // A slot whose lock nobody holds has no owner: its in-use flag (left by a
  // peer that died, or by damage) is cleared, so that a peer that follows
  // the layout finds it free. The lock is held while the flag is cleared.
  // A guard of another slot whose count went above one (taken over from a
  // holder that came back and gave it back too) is brought back to one
  // here as well: its owner may be one that speaks the layout alone, and
  // the next write to the slot may be far off.
  for (int s = 0; s < kIpcSlotCount; ++s) {
    if (s == m_nOwnSlot) continue;
    if (m_objects.GuardOverCounted(s) && m_objects.LockGuard(s, kIpcMomentaryHoldMs)) m_objects.UnlockGuard(s);
    SlotView other = SlotView::At(m_objects.View(), s);
    if (other.Get(slot_field::kInUse) == 0) continue;
    m_objects.WithSlotFree(s, [&] { other.Set(slot_field::kInUse, 0); });
  }
}

}  // namespace pm2
