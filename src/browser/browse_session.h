// The loaded browse table of the current target, the last error, and the
// location that the add-in's look-ups fill. One session serves the add-in
// and the editor so that both move the same cursor.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "browser/browse_table.h"

namespace pm2 {

// The place last found for the add-in; empty when any part is missing.
struct BrowseAddInLocation {
  const BrowseFile* file = nullptr;
  uint32_t line = 0;
  const BrowseName* name = nullptr;
  bool Complete() const { return file && line != 0 && name; }
};

class BrowseSession {
 public:
  BrowseSession() = default;
  BrowseSession(const BrowseSession&) = delete;
  BrowseSession& operator=(const BrowseSession&) = delete;

  // Makes sure the table of `file` is loaded: nothing is read when it was
  // loaded from exactly that name (compared case-sensitively). Else the old
  // table is freed and the file read; relative source names in it are
  // taken against `baseFolder`. Returns "" on success, else the message
  // naming the file (also kept in ErrorText()); after a failure no table is
  // loaded.
  std::string Open(const std::string& file, std::string_view baseFolder);
  // Drops the table, its cursor and the add-in location.
  void Free();
  // Called before a loaded table goes (freed, or replaced by another
  // file's): windows that show its records let go of them.
  std::function<void()> m_beforeFree;

  // The loaded table, or null.
  BrowseModule* Module() const { return m_module && m_module->loaded ? m_module.get() : nullptr; }
  int Error() const { return m_error; }
  const std::string& ErrorText() const { return m_errorText; }
  BrowseAddInLocation& AddInLocation() { return m_addIn; }

 private:
  std::unique_ptr<BrowseModule> m_module;
  int m_error = 0;
  std::string m_errorText;
  BrowseAddInLocation m_addIn;
};

}  // namespace pm2
