#pragma once
// Tree node records: SECTreeNode (links), SECTreeNodeX (can hide one level
// from navigation) and TreeNode, the tree control's node with its item
// record. A node owns its children; deleting a node deletes its subtree
// without recursion.

#include <cstdint>
#include <string>

#include "toolkit/core/notify.h"

namespace pm2 {

class SECListItem;

class SECTreeNode {
 public:
  SECTreeNode() = default;
  SECTreeNode(const SECTreeNode&) = delete;
  SECTreeNode& operator=(const SECTreeNode&) = delete;
  virtual ~SECTreeNode();

  virtual SECTreeNode* GetParent() const { return m_parent; }
  virtual SECTreeNode* GetNextSibling() const { return m_next; }
  virtual SECTreeNode* GetPrevSibling() const { return m_prev; }
  virtual SECTreeNode* GetFirstChild() const { return m_firstChild; }
  virtual bool IsExpanded() const { return false; }
  virtual void SetExpanded(bool) {}

  // Raw links (no level skipping).
  SECTreeNode* RawParent() const { return m_parent; }
  SECTreeNode* RawNext() const { return m_next; }
  SECTreeNode* RawPrev() const { return m_prev; }
  SECTreeNode* RawFirstChild() const { return m_firstChild; }
  SECTreeNode* RawLastChild() const { return m_lastChild; }

  // position: 0 first, 1 or 2 last, else the sibling to insert after.
  // False (nothing linked) when that sibling is not a child of this node.
  bool AddChild(SECTreeNode* child, SECTreeNode* after);
  bool AddChildFirst(SECTreeNode* child) { return AddChild(child, kFirst); }
  bool AddChildLast(SECTreeNode* child) { return AddChild(child, kLast); }
  void Detach();
  int DeleteAllChildren();
  SECTreeNode* GetFirstLeaf() const;
  SECTreeNode* GetLastChild() const;
  SECTreeNode* GetLastSibling() const;
  SECTreeNode* GetDeepestLastDescendant() const;
  SECTreeNode* GetRoot() const;
  int GetDepth() const;      // ancestors through GetParent
  int GetRawLevel() const;   // raw parent links up to the root
  bool IsAncestorOf(const SECTreeNode* node) const;
  SECTreeNode* GetNextInOrder() const;
  SECTreeNode* GetPrevInOrder() const;

  static SECTreeNode* const kFirst;
  static SECTreeNode* const kLast;

 protected:
  SECTreeNode* m_parent = nullptr;
  SECTreeNode* m_next = nullptr;
  SECTreeNode* m_prev = nullptr;
  SECTreeNode* m_firstChild = nullptr;
  SECTreeNode* m_lastChild = nullptr;  // kept with m_firstChild: appending costs the same for any count
};

class SECTreeNodeX : public SECTreeNode {
 public:
  ~SECTreeNodeX() override { m_hiddenLevel = 0; }
  SECTreeNode* GetParent() const override;
  SECTreeNode* GetNextSibling() const override;
  SECTreeNode* GetPrevSibling() const override;
  SECTreeNode* GetFirstChild() const override;
  // Read on the topmost node only: nodes at that depth are skipped.
  void SetHiddenLevel(int level) { m_hiddenLevel = std::int16_t(level); }
  int GetHiddenLevel() const;

 private:
  std::int16_t m_hiddenLevel = 0;
};

// The tree control's node (the item handle is its address).
class TreeNode : public SECTreeNodeX {
 public:
  TreeNode() { item.hItem = this; }
  bool IsExpanded() const override { return (item.state & TVIS_EXPANDED) != 0; }
  void SetExpanded(bool on) override {
    if (on) item.state |= TVIS_EXPANDED;
    else item.state &= ~TVIS_EXPANDED;
  }
  TreeNode* Parent() const { return static_cast<TreeNode*>(GetParent()); }
  TreeNode* Next() const { return static_cast<TreeNode*>(GetNextSibling()); }
  TreeNode* Prev() const { return static_cast<TreeNode*>(GetPrevSibling()); }
  TreeNode* FirstChild() const { return static_cast<TreeNode*>(GetFirstChild()); }

  TreeItemDesc item;
  unsigned extState = 0;   // 0x100 grey (inherited), 0x200 hidden subtree
  unsigned rowWord = 0;
  // The tree engine's index from a node to its row: the rows that show
  // the node, and the record of one of them (null when none or unknown).
  int rowCount = 0;
  const SECListItem* rowRecord = nullptr;
};

}  // namespace pm2
