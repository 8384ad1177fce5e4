// Named POSIX semaphores standing in for the event interface's named
// semaphores and auto-reset events.
//
// Every object is created exclusively with mode 0600 or opened by name; an
// object that another user owns is refused. All waits are timed.
//
// Each object is a small file that every process of the user maps; another
// process may cut it short, which would make the next access to it a bus
// error. Its mapping is guarded as the event interface's shared memory is
// (mapping_cut_guard.h): an access that runs into the cut brings the object
// back to its size (it then reads zero, a count of 0) and is made again;
// the owner looks for cuts (Cut) and puts right what the lost count meant.
#pragma once

#include <semaphore.h>

#include <string>
#include <vector>

#include "platform/object_identity.h"

namespace pm2 {

// Results of a wait, numbered as the callers expect them.
enum class IpcWaitResult { Acquired = 0, Abandoned = 1, TimedOut = 2, Failed = 3 };

class IpcSemaphore {
 public:
  IpcSemaphore() = default;
  ~IpcSemaphore();
  IpcSemaphore(const IpcSemaphore&) = delete;
  IpcSemaphore& operator=(const IpcSemaphore&) = delete;

  // Creates a new object; fails when one of that name exists.
  bool Create(const std::string& name, unsigned initial, std::string* err);
  // Opens an existing object of this user.
  bool Open(const std::string& name, std::string* err);
  // Opens the object, or creates it when it does not exist.
  bool OpenOrCreate(const std::string& name, unsigned initial, std::string* err);
  void Close();
  bool IsOpen() const { return m_sem != SEM_FAILED; }

  IpcWaitResult Wait(int timeoutMs);
  bool TryWait();
  // Adds 1 unless the count is at its maximum, 1, already: every semaphore
  // of the interface is a lock or an event, and a release too many (after a
  // wait that timed out on a stopped holder) must not let two writers in.
  void Release();
  int Value() const;

  const std::string& Name() const { return m_name; }
  // True when the name still gives the object this handle opened (not one
  // that another process made after the name was removed).
  bool StillNamed() const;
  // True when the object was cut short by another process since the last
  // look and is restored now (its count reads 0); *foundSize says to what.
  // A cut that an access ran into was mended then; `lookAtSize` looks at
  // the size as well, finding a cut before any access does.
  bool Cut(long long* foundSize, bool lookAtSize);

  // Removes the name (open handles stay valid). Missing names are fine.
  static void Unlink(const std::string& name);

 private:
  // Guards the object's mapping against cuts, once it is open.
  void GuardAgainstCuts();

  sem_t* m_sem = SEM_FAILED;
  std::string m_name;
  ObjectIdentity m_identity;  // the object's file when it was opened
  int m_fd = -1;              // that file, to bring it back to its size
  int m_cutGuard = -1;        // the bus-error guard's token
};

// Holds a semaphore for one scope; Lock is true only when it was acquired.
class IpcLock {
 public:
  explicit IpcLock(IpcSemaphore& sem) : m_sem(sem) {}
  ~IpcLock() { Unlock(); }
  IpcLock(const IpcLock&) = delete;
  IpcLock& operator=(const IpcLock&) = delete;

  bool Lock(int timeoutMs);
  void Unlock();

 private:
  IpcSemaphore& m_sem;
  bool m_held = false;
};

// An auto-reset event: Set wakes one Wait; several Sets before a Wait wake
// it once (a stray extra wake-up is possible and harmless to the callers,
// who always check their state after waking).
class IpcEvent {
 public:
  bool Create(const std::string& name, std::string* err) { return m_sem.Create(name, 0, err); }
  bool Open(const std::string& name, std::string* err) { return m_sem.Open(name, err); }
  bool OpenOrCreate(const std::string& name, std::string* err) { return m_sem.OpenOrCreate(name, 0, err); }
  bool IsOpen() const { return m_sem.IsOpen(); }
  void Set();
  IpcWaitResult Wait(int timeoutMs);
  // True when the event was signalled; clears it.
  bool Poll();
  bool StillNamed() const { return m_sem.StillNamed(); }
  bool Cut(long long* foundSize, bool lookAtSize) { return m_sem.Cut(foundSize, lookAtSize); }
  const std::string& Name() const { return m_sem.Name(); }

 private:
  IpcSemaphore m_sem;
};

// Waits until one of the events is signalled, checking them in list order.
// Gives Acquired with *index set, TimedOut, or Failed for an empty list.
// The first event is waited on directly; the others are polled every few
// milliseconds, so the first should be the busy one.
IpcWaitResult WaitForAnyEvent(const std::vector<IpcEvent*>& events, int timeoutMs, int* index);

}  // namespace pm2
