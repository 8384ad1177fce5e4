#pragma once
// The rules of the toolbar customisation dialogs, without a window: the
// list of bars with their visibility, how it follows the bars' comings and
// goings, which bars may be renamed or deleted, how names are cut, and the
// window ids of the command groups.

#include <cstddef>
#include <string>
#include <vector>

namespace pm2 {

// Toolbar names are cut to this many characters.
constexpr std::size_t kMaxToolBarName = 128;
// The reset/delete button's two labels (string ids).
constexpr unsigned kIdsResetToolBar = 20536, kIdsDeleteToolBar = 20537;

// A bar made by the user (renamed and deleted, not reset).
bool IsUserToolBarId(unsigned id);
// The name cut to kMaxToolBarName; true when it was cut.
bool ClipToolBarName(std::string* name);
// OK of the new-toolbar dialog is enabled only for a non-empty name.
inline bool NewToolBarNameAcceptable(const std::string& name) { return !name.empty(); }
// The label id of the reset/delete button for a bar.
inline unsigned ResetDeleteLabel(unsigned barId) { return IsUserToolBarId(barId) ? kIdsDeleteToolBar : kIdsResetToolBar; }
// Window ids of `count` command groups: down from 0xE8FE, skipping
// 0xE81B..0xE81F (the frame's own bar ids).
std::vector<unsigned> CommandGroupWindowIds(std::size_t count);

// Bar notifications the list follows.
enum class BarNotify { Shown = 0, Hidden = 1, Added = 2, Removed = 3 };

struct ToolBarListRow {
  unsigned id = 0;
  std::string title;
  bool checked = false;  // the bar is visible
};

// Rows stay sorted by bar id; `selected` is -1 or a row index.
class ToolBarListModel {
 public:
  void Reset(std::vector<ToolBarListRow> rows);
  const std::vector<ToolBarListRow>& Rows() const { return m_rows; }
  int Selected() const { return m_selected; }
  void Select(int row) { m_selected = row >= 0 && row < int(m_rows.size()) ? row : -1; }
  int Find(unsigned id) const;
  // A bar shown, hidden, added (checked, before the first larger id) or
  // removed (the selection stays at its index, or the one before).
  void Notify(BarNotify code, unsigned id, const std::string& title = {});
  // The user clicked a row's check: the new check state; the menu bar stays
  // checked.
  bool ToggleCheck(int row);
  // Renames a row in place; the title is cut first. False for no such row.
  bool Rename(int row, std::string title);

 private:
  std::vector<ToolBarListRow> m_rows;
  int m_selected = -1;
};

}  // namespace pm2
