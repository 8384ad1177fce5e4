#pragma once
// Texts of columns 1 and up of tree items, keyed by item handle; element
// n - 1 of an item's array is the text of column n.

#include <map>
#include <string>
#include <vector>

namespace pm2 {

class TreeNode;

class SECSubItemTextStorage {
 public:
  // Grows the item's array as needed; true.
  bool SetSubItemText(const TreeNode* item, int column, const std::string& text);
  // The text, or empty and false when the item or column is missing.
  bool GetSubItemText(const TreeNode* item, int column, std::string* text) const;
  bool RemoveItem(const TreeNode* item);
  // Moves the text of `from` to `to` (1-based); false when the item has none.
  bool MoveColumn(const TreeNode* item, int from, int to);
  // Inserts an empty text at column n of every stored item.
  bool InsertColumn(int column);
  // Removes column n of every stored item (later texts move left).
  bool DeleteColumn(int column);
  size_t ItemCount() const { return m_texts.size(); }

 private:
  std::map<const TreeNode*, std::vector<std::string>> m_texts;
};

}  // namespace pm2
