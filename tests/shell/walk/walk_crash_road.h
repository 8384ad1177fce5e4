// The road a crash ends on, kept where the crash cannot lose it: each step
// is appended, quoted as the replay line takes it, to a buffer made before
// the step is taken, and a handler of the fatal signals writes the buffer
// with write(2) alone (no allocation, no stdio, nothing a damaged heap can
// stop). A tree built with a sanitizer prints the road from the
// sanitizer's death callback instead, after its own report, so the
// handler is installed only where no sanitizer is.
#pragma once

#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cstring>
#include <string>

namespace pm2::test {

class CrashRoad {
 public:
  // A walk begins: the head names its state and seed, `start` how it started.
  static void Begin(const std::string& head, const std::string& start) {
    Used().store(0);
    Overflow() = false;
    m_steps = 0;
    Append("\n*** the walk crashed in " + head + ", on the road:\n  PM2_WALK_REPLAY='");
    AppendQuoted(start + ":");
  }
  // Before the step is taken.
  static void Step(const std::string& step) {
    AppendQuoted((m_steps++ ? ";" : "") + step);
  }
  // What a crash writes: the buffer, its closing quote.
  static std::string Text() { return std::string(Buffer(), Used().load()) + Closing(); }

  // The fatal signals write the road, then die as they would have.
  static void Install() {
    struct sigaction on = {};
    on.sa_handler = &Died;
    on.sa_flags = SA_RESETHAND | SA_NODEFER;
    sigemptyset(&on.sa_mask);
    for (int sig : {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT}) sigaction(sig, &on, nullptr);
  }

 private:
  static constexpr size_t kSize = 256 * 1024;
  static char* Buffer() {
    static char buffer[kSize];
    return buffer;
  }
  static std::atomic<size_t>& Used() {
    static std::atomic<size_t> used{0};
    return used;
  }
  static bool& Overflow() {
    static bool overflow = false;
    return overflow;
  }
  static const char* Closing() {
    return Overflow() ? "' (the road went on past what the crash record keeps)\n" : "'\n";
  }
  // The text written past the end and published at once: a signal between
  // the two sees the road without the step being written.
  static void Append(const std::string& text) {
    const size_t used = Used().load();
    if (used + text.size() >= kSize) {
      Overflow() = true;
      return;
    }
    std::memcpy(Buffer() + used, text.data(), text.size());
    Used().store(used + text.size());
  }
  // A quote in the road (a menu item's text) closed, escaped and opened again.
  static void AppendQuoted(const std::string& text) {
    std::string out;
    for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    Append(out);
  }
  static void Died(int sig) {
    const size_t used = Used().load();
    [[maybe_unused]] ssize_t n = ::write(2, Buffer(), used);
    const char* closing = Closing();
    n = ::write(2, closing, std::strlen(closing));
    ::raise(sig);
  }
  static inline int m_steps = 0;
};

}  // namespace pm2::test
