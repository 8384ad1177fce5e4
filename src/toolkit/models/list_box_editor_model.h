#pragma once
// The behaviour of the list-box editor without a window: rows of text and
// item data, the empty last row for new entries, in-place editing, the
// strip commands (new, delete, up, down), drag moves and the notifications
// to subclasses (OnItemRenamed, OnItemAdded, OnItemMoved, OnItemDeleting)
// and to the parent dialog (code 1 selection change, 10 deleted, 11 moved).

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "toolkit/core/notify.h"

namespace pm2 {

// Options of Initialize.
constexpr unsigned LBE_BROWSE = 0x01;        // in-place edit with "..." button, F2
constexpr unsigned LBE_TYPETOEDIT = 0x02;    // a typed character starts editing
constexpr unsigned LBE_BUTTONS = 0x04;       // the strip reacts to clicks
constexpr unsigned LBE_TOOLTIPS = 0x08;      // with 0x04: bitmaps and tips
constexpr unsigned LBE_SHORTCUTS = 0x10;     // Insert, Delete, Alt+Up, Alt+Down
constexpr unsigned LBE_DRAG = 0x20;          // rows can be dragged
constexpr unsigned LBE_NOEMPTYROW = 0x40;    // no empty last row

// The count of trailing blanks that ends an entry (SetSpacesThatEnd) for
// lists whose names hold blanks ("My Target", "Check In"): no one types
// that many, so a blank is always part of the name.
constexpr int kLbeBlanksInNames = 1000;

constexpr int kLbnSelChange = 1;
constexpr int kLbeDeleted = 10;
constexpr int kLbeMoved = 11;

// What the editor needs from its window: the in-place edit control.
class ListBoxEditorHost {
 public:
  virtual ~ListBoxEditorHost() = default;
  // Opens the edit over `row`; `caretAtEnd` when an initial text was typed
  // (otherwise the whole text is selected).
  virtual void OpenEdit(int /*row*/, const std::string& /*text*/, bool /*caretAtEnd*/) {}
  virtual void CloseEdit() {}
  virtual void Repaint() {}
  virtual void MoveFocusFromList(bool /*previous*/) {}
};

class ListBoxEditorModel {
 public:
  struct Row {
    std::string text;
    std::intptr_t data = 0;
  };

  ListBoxEditorModel() = default;
  ListBoxEditorModel(const ListBoxEditorModel&) = delete;
  ListBoxEditorModel& operator=(const ListBoxEditorModel&) = delete;
  virtual ~ListBoxEditorModel() = default;

  void SetEditorHost(ListBoxEditorHost* h) { m_host = h ? h : &m_nullHost; }
  void SetParent(CommandListener* parent, unsigned listId) {
    m_parent = parent;
    m_listId = listId;
  }
  // Stores the options; appends the empty last row where one is due.
  void InitializeModel(unsigned options, bool multiSelect = false);
  unsigned Options() const { return m_options; }
  bool HasEmptyRow() const { return !(m_options & LBE_NOEMPTYROW); }

  // --- rows (the list box's own operations) ---
  int GetCount() const { return int(m_rows.size()); }
  // Items exclude the empty last row.
  int GetItemCount() const { return HasEmptyRow() ? std::max(0, GetCount() - 1) : GetCount(); }
  const std::string& GetText(int row) const;
  std::intptr_t GetData(int row) const;
  int InsertString(int row, const std::string& text, std::intptr_t data = 0);  // -1 appends
  bool DeleteString(int row);
  bool SetItemText(int row, const std::string& text);
  int GetCurSel() const { return m_cur; }
  void SetCurSel(int row);
  bool IsSelected(int row) const;
  void SetSelected(int row, bool on);  // multiple-selection lists
  // Shift+click or Shift+arrow in a multiple-selection list: exactly the
  // rows from the anchor to `row` (either order) are selected and the
  // caret moves to `row`; the anchor stays. Without an anchor the caret
  // row serves as one. Single-selection lists just select `row`.
  void ExtendSelectionTo(int row);
  // The row a Shift range starts from: the last row selected without Shift.
  int GetAnchor() const { return m_anchor; }
  bool IsMultiSelect() const { return m_multi; }
  bool IsEmptyLastRow(int row) const { return HasEmptyRow() && row == GetCount() - 1 && row >= 0; }

  // --- editing ---
  bool IsEditing() const { return m_editing; }
  int EditRow() const { return m_cur; }
  virtual bool StartEditing(char ch = 0);
  virtual void CreateInPlaceEdit(int index, bool isNew, const std::string* initial);
  // The edit's text is accepted (Enter, Tab, arrow keys, losing the focus).
  void AcceptEdit(const std::string& text);
  // Escape.
  void CancelEdit();
  // A Space typed into the edit: true when it ends the entry.
  bool SpaceEndsEntry(const std::string& textAfter, int caretBefore, bool hadSelection) const;
  void SetSpacesAllowed(bool on) { m_spacesAllowed = on; }
  bool SpacesAllowed() const { return m_spacesAllowed; }
  void SetSpacesThatEnd(int n) { m_spacesThatEnd = n; }
  virtual void EndEditing();

  // --- commands ---
  virtual bool OnNewItem();
  virtual void OnDeleteItems();
  virtual bool OnMoveUp();
  virtual bool OnMoveDown();
  bool DeleteItem(int index);
  // Moves the row at `index` one up, keeping text and data.
  bool MoveItem(int index);
  // Keys on the list (Alt given separately); true when handled.
  bool OnListKey(unsigned key, bool alt, bool ctrl);
  bool OnListChar(char ch, bool ctrl);
  // The bytes of one typed character: a character of several bytes (UTF-8
  // on this system) opens the edit with all of them as its initial text.
  bool OnListText(std::string_view typed, bool ctrl);

  // --- drag ---
  // Target of a drag with the pointer over `row` (lower half: after it);
  // -1 is the place after the last item. The empty row is never a target.
  int DragTarget(int row, bool lowerHalf) const;
  bool CanStartDrag() const;
  // Moves `from` to `target` when the drag counts; true when moved.
  bool FinishDrag(int from, int target, int heldMs, bool began, bool cancelled);

  int LastMovedFrom() const { return m_lastMovedFrom; }

  // Hooks for subclasses; the base bodies keep the list consistent.
  virtual void OnItemRenamed(int index, std::string oldText, std::string newText);
  virtual void OnItemAdded(int index, std::string text);
  virtual void OnItemMoved(int oldIndex, int newIndex, std::string text, bool dragged);
  virtual bool OnItemDeleting(int index, std::string text);
  virtual void OnBrowse() {}
  // For an OnItemAdded override that refuses the row: the list goes back to
  // what it was before the edit, as Escape would leave it (a new item's row
  // goes and the row selected before is selected again; text typed into
  // the empty last row is cleared).
  void RefuseAddedRow(int index);

  void NotifySelChange() { SendToParent(kLbnSelChange); }
  void EnsureSelection();
  void SendToParent(int code);

 private:
  void AppendEmptyRowIfDue();
  // Deletes a row opened as a new item and selects again the row selected
  // when its edit began.
  void DropNewRow(int row);
  int RowToMove() const;  // -1 when no single row is selected

  ListBoxEditorHost m_nullHost;
  ListBoxEditorHost* m_host = &m_nullHost;
  ListenerRef<CommandListener> m_parent;
  unsigned m_listId = 0;
  unsigned m_options = 0;
  bool m_multi = false;
  std::vector<Row> m_rows;
  std::vector<bool> m_selected;  // multiple-selection lists
  int m_cur = -1;
  int m_anchor = -1;
  bool m_editing = false;
  bool m_adding = false;
  bool m_cancelled = false;
  int m_selBeforeEdit = -1;
  std::string m_textBefore;
  bool m_spacesAllowed = false;
  int m_spacesThatEnd = 1;
  int m_lastMovedFrom = -1;
};

}  // namespace pm2
