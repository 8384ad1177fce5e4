#pragma once
// The saved docking layout: one record per control bar and per dock bar,
// stored in the application profile or in a settings tree.
//
// Profile form: section "<name>-Summary" holds "Bars" (records stored),
// "ScreenCX", "ScreenCY"; section "<name>-Bar<i>" holds record i: first the
// base entries, under the same names as in the tree form ("BarID",
// "Visible", "Horz", "Floating", "XPos", "YPos", "MRUWidth", "Docking",
// "MRUDockID", "MRUDockLeftPos" .. "MRUDockBottomPos", "MRUFloatStyle",
// "MRUFloatXPos", "MRUFloatYPos", "Bars", "Bar#<n>"), then "Style",
// "ExStyle", "PrevFloating", "MDIChild", "MDIChildWindowPlacement" (binary,
// 44 bytes, only for an MDI child), "PctWidth" (share x 1000000, decimal
// text), "MRUFloatCX", "MRUFloatCY", "MRUHorzDockCX", "MRUHorzDockCY",
// "MRUVertDockCX", "MRUVertDockCY", "MRUDockingState", "DockingStyle",
// "TypeID", "ClassName", "WindowName", "ResourceID". Booleans are 0/1.
// Tree form: child "DockState" with "Bars", "ScreenCX", "ScreenCY" and a
// child "Bar-<i>" per record holding the same entries (booleans
// "True"/"False"); base entries are written only when they differ from
// their defaults (see SaveBase).
// A visible, docked dock bar at the default place that lists fewer than two
// ids is not stored and does not advance the numbering. Missing entries
// read as their defaults; a share below 0 reads as 0; a stored size below 1
// reads as 0.

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "toolkit/core/geometry.h"

namespace pm2 {

class SettingsStore;
class SECPersistentTreeNode;

// The 44-byte window placement record, little-endian: length, flags, show
// command, minimised position, maximised position, normal rectangle.
struct WindowPlacement {
  std::uint32_t length = 44;
  std::uint32_t flags = 0;
  std::uint32_t showCmd = 1;
  Point minPosition{-1, -1};
  Point maxPosition{-1, -1};
  Rect normal;
  friend bool operator==(const WindowPlacement&, const WindowPlacement&) = default;
};
using PlacementBytes = std::array<std::uint8_t, 44>;
PlacementBytes EncodePlacement(const WindowPlacement& wp);
// Short input is read as far as it goes; the rest keeps its defaults.
WindowPlacement DecodePlacement(const std::uint8_t* data, std::size_t size);

// Hooks for a bar's own extra entries; the base stores nothing.
class ControlBarInfoEx {
 public:
  virtual ~ControlBarInfoEx() = default;
  virtual bool LoadFromNode(const SECPersistentTreeNode* node) { return node != nullptr; }
  virtual bool LoadFromProfile(const SettingsStore&, const std::string& /*section*/) { return false; }
  virtual bool SaveToNode(SECPersistentTreeNode* node) { return node != nullptr; }
  virtual bool SaveToProfile(SettingsStore&, const std::string& /*section*/) { return false; }
};

class ControlBarInfoExSource {
 public:
  virtual ~ControlBarInfoExSource() = default;
  virtual std::unique_ptr<ControlBarInfoEx> CreateInfoEx() = 0;
  // The bars are being customised (their buttons dragged about): the frame
  // refuses to close meanwhile.
  virtual bool IsCustomizing() const { return false; }
};

constexpr std::uint32_t kHiddenBarIdFlag = 0x10000;

class SECDockState;

// A frame whose bars a dock state can be taken from and applied to.
class DockStateFrame {
 public:
  virtual ~DockStateFrame() = default;
  // Fills the records from the frame's bars (after clearing them).
  virtual bool GetDockState(SECDockState& state) const = 0;
  // Applies the records, creating bars the frame lacks and dropping
  // records whose bar can be neither found nor made.
  virtual bool SetDockState(SECDockState& state) = 0;
};

struct ControlBarInfo {
  // Base entries.
  unsigned barId = 0;
  bool visible = true;
  bool floating = false;
  bool horz = true;
  bool isDockBar = false;
  Point pos{-1, -1};
  int mruWidth = 32767;
  bool docking = false;
  unsigned mruDockId = 0;
  Rect mruDockPos;
  std::uint32_t mruFloatStyle = 0;
  Point mruFloatPos;
  // A dock bar's entries: bar ids, 0 for a row end, id | 0x10000 for a place
  // held for a bar that is not there.
  std::vector<std::uint32_t> bars;
  // Added entries.
  Size mruHorz, mruVert, mruFloat;
  std::uint32_t mruDockingState = 0;
  std::uint32_t dockingStyle = 0;
  float pctWidth = 0.0f;
  std::uint32_t style = 0;
  std::uint32_t exStyle = 0;
  bool prevFloating = false;
  bool mdiChild = false;
  PlacementBytes placement{};
  std::string className;
  std::string windowName;
  std::uint32_t resourceId = 0;
  std::uint32_t typeId = 0;
  std::unique_ptr<ControlBarInfoEx> ext;

  // True when the record is worth storing (see the header comment).
  bool IsStored() const;
  bool SaveToNode(SECPersistentTreeNode* parent, int index) const;
  void LoadFromNode(const SECPersistentTreeNode* node);
  bool SaveToProfile(SettingsStore& store, const std::string& profile, int index) const;
  void LoadFromProfile(const SettingsStore& store, const std::string& profile, int index);
};

std::string PctWidthText(float share);
float PctWidthFromText(const std::string& text);

class SECDockState {
 public:
  SECDockState() = default;
  explicit SECDockState(ControlBarInfoExSource* source) : m_source(source) {}
  SECDockState(const SECDockState&) = delete;
  SECDockState& operator=(const SECDockState&) = delete;

  std::vector<std::unique_ptr<ControlBarInfo>>& Records() { return m_records; }
  const std::vector<std::unique_ptr<ControlBarInfo>>& Records() const { return m_records; }
  ControlBarInfo* NewBarInfo();  // appended
  void ClearRecords() { m_records.clear(); }
  Size ScreenSize() const { return m_screen; }
  void SetScreenSize(Size s) { m_screen = s; }

  // False for a null frame.
  bool GetFrameState(const DockStateFrame* frame) { return frame && frame->GetDockState(*this); }
  bool SetFrameState(DockStateFrame* frame) { return frame && frame->SetDockState(*this); }

  bool SaveStateToNode(SECPersistentTreeNode* parent) const;
  bool LoadStateFromNode(const SECPersistentTreeNode* parent);
  bool SaveState(SettingsStore& store, const std::string& profile) const;
  void LoadState(const SettingsStore& store, const std::string& profile);
  // Drops ids that a bar no longer holds: the hidden-place form of a bar
  // that is docked elsewhere, and repeated ids; a dock bar's list ends with
  // exactly one row end.
  void RemoveStaleBarIDs();

 private:
  std::vector<std::unique_ptr<ControlBarInfo>> m_records;
  Size m_screen;
  ControlBarInfoExSource* m_source = nullptr;
};

}  // namespace pm2
