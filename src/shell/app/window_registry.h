// The single-instance windows of the shell. A window records itself here
// when it is created and is forgotten when it is destroyed; everybody else
// asks the registry before calling it, so an entry is the only record of
// whether that window is open.
//
// Entries are opaque pointers owned by the windows; the registry never
// dereferences them. GUI thread only.
#pragma once

#include <array>

namespace pm2 {

enum class WindowSlot : int {
  ProjectView,      // the project window's tree view
  BookView,
  OutputPane,       // build page of the output window
  OutputPane2,      // find-in-files page
  DisasmView,
  PerfView,
  BrowseDoc,
  GotoLineDlg,
  SerialWindow0, SerialWindow1, SerialWindow2,
  CallStackView,
  WatchView,
  WatchPage0, WatchPage1, WatchPage2,
  RegTree,
  CommandPage,
  CoverageDlg,
  MemoryView,
  MemoryPage1, MemoryPage2, MemoryPage3, MemoryPage4,
  ToolBox,
  SymbolsDlg,
  InlineAsmDlg,
  FuncEditor,
  Count
};

class WindowRegistry {
 public:
  void Set(WindowSlot slot, void* window) { m_windows[Index(slot)] = window; }
  void* Get(WindowSlot slot) const { return m_windows[Index(slot)]; }
  bool IsOpen(WindowSlot slot) const { return Get(slot) != nullptr; }
  // Clears the slot only while it still holds this window: a window that
  // was replaced by a newer one must not forget the newer one.
  void Forget(WindowSlot slot, const void* window);
  void Clear() { m_windows.fill(nullptr); }

  static WindowSlot SerialWindow(int n) {
    return static_cast<WindowSlot>(static_cast<int>(WindowSlot::SerialWindow0) + n);
  }

 private:
  static int Index(WindowSlot slot) { return static_cast<int>(slot); }
  std::array<void*, static_cast<int>(WindowSlot::Count)> m_windows{};
};

}  // namespace pm2
