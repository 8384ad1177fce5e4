#include "toolkit/models/subitem_text_storage.h"

#include <algorithm>

namespace pm2 {

bool SECSubItemTextStorage::SetSubItemText(const TreeNode* item, int column, const std::string& text) {
  if (column < 1) return false;
  auto& arr = m_texts[item];
  if (int(arr.size()) < column) arr.resize(column);
  arr[column - 1] = text;
  return true;
}

bool SECSubItemTextStorage::GetSubItemText(const TreeNode* item, int column, std::string* text) const {
  text->clear();
  auto it = m_texts.find(item);
  if (it == m_texts.end() || column < 1 || column > int(it->second.size())) return false;
  *text = it->second[column - 1];
  return true;
}

bool SECSubItemTextStorage::RemoveItem(const TreeNode* item) { return m_texts.erase(item) != 0; }

bool SECSubItemTextStorage::MoveColumn(const TreeNode* item, int from, int to) {
  auto it = m_texts.find(item);
  if (it == m_texts.end() || from < 1 || to < 1) return false;  // column 0 is the label, not stored here
  auto& arr = it->second;
  // A column past the stored texts holds an empty text.
  const int need = std::max(from, to);
  if (int(arr.size()) < need) arr.resize(need);
  std::string t = std::move(arr[from - 1]);
  arr.erase(arr.begin() + (from - 1));
  arr.insert(arr.begin() + (to - 1), std::move(t));
  return true;
}

bool SECSubItemTextStorage::InsertColumn(int column) {
  if (column < 1) return false;
  for (auto& [item, arr] : m_texts) {
    if (column - 1 <= int(arr.size())) arr.insert(arr.begin() + (column - 1), std::string());
  }
  return true;
}

bool SECSubItemTextStorage::DeleteColumn(int column) {
  for (auto& [item, arr] : m_texts) {
    if (column >= 1 && column <= int(arr.size())) arr.erase(arr.begin() + (column - 1));
  }
  return true;
}

}  // namespace pm2
