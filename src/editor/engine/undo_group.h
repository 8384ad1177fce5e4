// An undo group of a text buffer held open for the lifetime of the object,
// so that an operation closes the group it opened on every exit.
#pragma once

#include "editor/text/text_buffer.h"

namespace pm2 {

class UndoGroup {
 public:
  explicit UndoGroup(CEditTextBuffer* t) : m_t(t) { m_t->BeginUndoGroup(1); }
  ~UndoGroup() { m_t->BeginUndoGroup(0); }
  UndoGroup(const UndoGroup&) = delete;
  UndoGroup& operator=(const UndoGroup&) = delete;

 private:
  CEditTextBuffer* m_t;
};

}  // namespace pm2
