// What a posted notification's argument points at, copied when it is
// posted. A poster goes on at once and may free or reuse the memory before
// the GUI thread handles the notification: a driver's texts live in the
// driver library, which the session's end unloads while its posts still
// wait in the queue. The handler gets the copy, which lives as long as the
// posted notification.
//
// Copied: the texts of codes 2, 6, 12 and 13 (whole, up to their NUL), the
// serial output records of codes 3 and 4 with their characters, the driver
// input record of code 11 and the service record of code 10 (its result
// then reaches no one: a caller that needs it sends). Code 16's texts are
// the IDE's own command-text pool buffers, claimed by the poster and given
// back by the handler by their address, and pass as they are; a driver's
// code-16 text is taken into the pool before it is posted. Other codes
// carry numbers.
#pragma once

#include <cstdint>
#include <memory>

namespace pm2 {

class PostedArgument {
 public:
  PostedArgument() = default;
  PostedArgument(int code, intptr_t arg);
  // The argument to hand the handler: the copy's address, or the number.
  intptr_t Arg() const;
  // True when the argument pointed at something that is now copied.
  bool Copied() const { return m_copy != nullptr; }

 private:
  struct Copy;
  intptr_t m_arg = 0;
  // Shared so that a posted notification may be handed on by value (a
  // queued call's functor); the copy itself never moves.
  std::shared_ptr<const Copy> m_copy;
};

}  // namespace pm2
