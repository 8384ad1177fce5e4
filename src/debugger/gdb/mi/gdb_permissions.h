// What gdb itself lets a command do to the target. gdb runs whatever an
// expression asks for (an assignment writes memory, a call runs the
// program's code, a string literal is placed in target memory through the
// program's malloc); its own settings "may-write-memory" and
// "may-call-functions" refuse that, whatever the text looks like. Every
// command the driver sends to gdb holds one of three kinds of access for as
// long as it runs:
//   - Read: neither (what the user only asked to see: a watch row, a value
//     tip, an address, a breakpoint's location or definition);
//   - Write: memory writes, no calls (a write the user asked for: a value
//     edit, Modify Memory, a download);
//   - Run: both, gdb's own defaults (the target runs, and gdb's commands the
//     user typed). gdb refuses to resume a target while memory writes are
//     off, and a breakpoint's commands run at its stop with what the run had.
// gdb is told only when the kind changes. One thread holds at a time (gdb
// answers one command after the other anyway); a thread that holds may
// hold again, and its inner kind lasts as long as its inner holder.
#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace pm2::gdb {

enum class GdbAccess { Read, Write, Run };

class GdbPermissions {
 public:
  // Sends one of gdb's settings ("-gdb-set may-write-memory off"): true
  // when gdb took it.
  using Setter = std::function<bool(const std::string& command)>;
  // Runs after a hold's settings were sent, outside the lock (a report of
  // a setting gdb did not answer may reach the IDE, which may read again).
  using Settled = std::function<void()>;
  explicit GdbPermissions(Setter set, Settled settled = nullptr)
      : m_set(std::move(set)), m_settled(std::move(settled)) {}
  GdbPermissions(const GdbPermissions&) = delete;
  GdbPermissions& operator=(const GdbPermissions&) = delete;

  // Holds an access while it lives; ok() false when `may` (asked once the
  // hold is this thread's) said no, or gdb did not take the settings:
  // nothing may then be sent under it. gdb reads no command while the
  // target runs, so a hold asks whether the target is stopped only when no
  // other thread can set it running.
  class Hold {
   public:
    Hold(GdbPermissions& owner, GdbAccess access, const std::function<bool()>& may = nullptr);
    ~Hold();
    Hold(const Hold&) = delete;
    Hold& operator=(const Hold&) = delete;
    bool ok() const { return m_ok; }

   private:
    GdbPermissions& m_owner;
    bool m_entered = false;
    bool m_ok = false;
  };
  // A thread that would wait for another's hold is refused at once while
  // `busy` says so (a run of the IDE's under way on the driver's request
  // thread: the target runs for the IDE); any other wait for a hold ends
  // at kWaitBoundMs, refused.
  void SetBusyElsewhere(std::function<bool()> busy) { m_busyElsewhere = std::move(busy); }
  static constexpr int kWaitBoundMs = 6000;

  // A command of gdb's own was typed: it may have changed any of gdb's
  // settings, so what gdb has is not known, and the next hold tells it
  // again whatever it was told last.
  void Forget();

  // What gdb was last told (for tests).
  bool MemoryWrites() const;
  bool Calls() const;

 private:
  // One known setting of gdb's: on, off, or not known (gdb did not answer).
  enum class Known { Off, On, Unknown };
  bool Apply(GdbAccess access);  // under m_mutex
  // Refused: the hold was not taken (another thread's stays); Entered:
  // taken, but `may` said no or gdb did not take the settings; Ok.
  enum class Entry { Refused, Entered, Ok };
  Entry Enter(GdbAccess access, const std::function<bool()>& may);
  void Leave();

  Setter m_set;
  Settled m_settled;
  std::function<bool()> m_busyElsewhere;
  mutable std::mutex m_mutex;
  std::condition_variable m_free;
  // gdb starts with both on.
  Known m_writes = Known::On, m_calls = Known::On;
  // The holding thread and its accesses, innermost last.
  std::thread::id m_owner;
  std::vector<GdbAccess> m_held;
};

}  // namespace pm2::gdb
