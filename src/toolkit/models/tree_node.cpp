#include "toolkit/models/tree_node.h"

namespace pm2 {

SECTreeNode* const SECTreeNode::kFirst = reinterpret_cast<SECTreeNode*>(std::uintptr_t(0));
SECTreeNode* const SECTreeNode::kLast = reinterpret_cast<SECTreeNode*>(std::uintptr_t(1));

SECTreeNode::~SECTreeNode() { DeleteAllChildren(); }

bool SECTreeNode::AddChild(SECTreeNode* child, SECTreeNode* after) {
  if (!m_firstChild) {
    child->m_next = child->m_prev = nullptr;
    m_lastChild = child;
  } else if (after == kLast || after == reinterpret_cast<SECTreeNode*>(std::uintptr_t(2))) {
    SECTreeNode* last = m_lastChild;
    last->m_next = child;
    child->m_prev = last;
    child->m_next = nullptr;
    child->m_parent = this;
    m_lastChild = child;
    return true;
  } else if (after == kFirst) {
    child->m_prev = nullptr;
    child->m_next = m_firstChild;
    m_firstChild->m_prev = child;
  } else {
    // After the last one is an append too (no walk for it).
    SECTreeNode* s = after == m_lastChild ? m_lastChild : m_firstChild;
    while (s && s != after) s = s->m_next;
    if (!s) return false;
    child->m_prev = s;
    child->m_next = s->m_next;
    if (s->m_next) s->m_next->m_prev = child;
    else m_lastChild = child;
    s->m_next = child;
    child->m_parent = this;
    return true;
  }
  m_firstChild = child;
  child->m_parent = this;
  return true;
}

void SECTreeNode::Detach() {
  if (m_prev) m_prev->m_next = m_next;
  if (m_next) m_next->m_prev = m_prev;
  if (m_parent && m_parent->m_firstChild == this) m_parent->m_firstChild = m_next;
  if (m_parent && m_parent->m_lastChild == this) m_parent->m_lastChild = m_prev;
  m_parent = nullptr;
  m_next = m_prev = nullptr;
}

int SECTreeNode::DeleteAllChildren() {
  // Leaves first, without recursion; the next search starts at the
  // deleted leaf's parent so a deep chain costs linear time.
  SECTreeNode* from = m_firstChild;
  while (m_firstChild) {
    SECTreeNode* leaf = from ? from : m_firstChild;
    while (leaf->m_firstChild) leaf = leaf->m_firstChild;
    SECTreeNode* parent = leaf->m_parent;
    leaf->Detach();
    delete leaf;
    from = parent != this ? parent : m_firstChild;
  }
  return 0;
}

SECTreeNode* SECTreeNode::GetFirstLeaf() const {
  SECTreeNode* n = m_firstChild;
  if (!n) return nullptr;
  while (n->GetFirstChild()) n = n->GetFirstChild();
  return n;
}

SECTreeNode* SECTreeNode::GetLastChild() const {
  SECTreeNode* c = GetFirstChild();
  return c ? c->GetLastSibling() : nullptr;
}

SECTreeNode* SECTreeNode::GetLastSibling() const {
  const SECTreeNode* n = this;
  while (n->GetNextSibling()) n = n->GetNextSibling();
  return const_cast<SECTreeNode*>(n);
}

SECTreeNode* SECTreeNode::GetDeepestLastDescendant() const {
  const SECTreeNode* n = this;
  while (SECTreeNode* c = n->GetLastChild()) n = c;
  return const_cast<SECTreeNode*>(n);
}

SECTreeNode* SECTreeNode::GetRoot() const {
  const SECTreeNode* n = this;
  while (n->m_parent) n = n->m_parent;
  return const_cast<SECTreeNode*>(n);
}

int SECTreeNode::GetDepth() const {
  int d = 0;
  for (SECTreeNode* p = GetParent(); p; p = p->GetParent()) ++d;
  return std::int16_t(d);
}

int SECTreeNode::GetRawLevel() const {
  int d = 0;
  for (SECTreeNode* p = m_parent; p; p = p->m_parent) ++d;
  return d;
}

bool SECTreeNode::IsAncestorOf(const SECTreeNode* node) const {
  for (SECTreeNode* p = node ? node->GetParent() : nullptr; p; p = p->GetParent()) {
    if (p == this) return true;
  }
  return false;
}

SECTreeNode* SECTreeNode::GetNextInOrder() const {
  if (SECTreeNode* c = GetFirstChild()) return c;
  for (const SECTreeNode* n = this; n; n = n->GetParent()) {
    if (SECTreeNode* s = n->GetNextSibling()) return s;
  }
  return nullptr;
}

SECTreeNode* SECTreeNode::GetPrevInOrder() const {
  if (SECTreeNode* s = GetPrevSibling()) return s->GetDeepestLastDescendant();
  return GetParent();
}

int SECTreeNodeX::GetHiddenLevel() const {
  return static_cast<const SECTreeNodeX*>(GetRoot())->m_hiddenLevel;
}

SECTreeNode* SECTreeNodeX::GetParent() const {
  const int L = GetHiddenLevel();
  if (L && GetRawLevel() == L + 1 && m_parent) return m_parent->RawParent();
  return m_parent;
}

SECTreeNode* SECTreeNodeX::GetFirstChild() const {
  const int L = GetHiddenLevel();
  if (L && GetRawLevel() == L - 1 && m_firstChild) return m_firstChild->RawFirstChild();
  return m_firstChild;
}

SECTreeNode* SECTreeNodeX::GetNextSibling() const {
  const int L = GetHiddenLevel();
  if (L && GetRawLevel() == L + 1 && !m_next) {
    // Children of consecutive hidden nodes read as one list.
    for (SECTreeNode* p = m_parent ? m_parent->RawNext() : nullptr; p; p = p->RawNext()) {
      if (p->RawFirstChild()) return p->RawFirstChild();
    }
    return nullptr;
  }
  return m_next;
}

SECTreeNode* SECTreeNodeX::GetPrevSibling() const {
  const int L = GetHiddenLevel();
  if (L && GetRawLevel() == L + 1 && !m_prev) {
    for (SECTreeNode* p = m_parent ? m_parent->RawPrev() : nullptr; p; p = p->RawPrev()) {
      if (SECTreeNode* c = p->RawFirstChild()) {
        while (c->RawNext()) c = c->RawNext();
        return c;
      }
    }
    return nullptr;
  }
  return m_prev;
}

}  // namespace pm2
