#pragma once
// Notifications from controls to their owner. A control sends a record that
// starts with NotifyHeader (the codes and layouts are the list-view and
// tree-view ones) to its owner's NotifyListener synchronously; the answer
// can veto (e.g. 1 cancels a label edit or an expand). Command codes of
// dialog controls (list box selection change, the list-box editor's 10 and
// 11) go to a CommandListener.

#include <cstdint>
#include <memory>
#include <string>

namespace pm2 {

using NotifyResult = std::intptr_t;

// --- header ------------------------------------------------------------
struct NotifyHeader {
  const void* sender = nullptr;  // the control object
  unsigned id = 0;               // the control id
  int code = 0;
};

// Whether a listener is still whole. A listener is a window's second base,
// so its destructor runs after the window's own and before the window
// deletes its children: a control that loses the focus or its items then
// asks this and sends nothing to the half-destroyed window.
class ListenerLife {
 public:
  ListenerLife() = default;
  ListenerLife(const ListenerLife&) : ListenerLife() {}
  ListenerLife& operator=(const ListenerLife&) { return *this; }
  ~ListenerLife() { *m_whole = false; }
  std::shared_ptr<const bool> Token() const { return m_whole; }

 private:
  std::shared_ptr<bool> m_whole = std::make_shared<bool>(true);
};

class NotifyListener {
 public:
  virtual ~NotifyListener() = default;
  // `hdr` is the first member of the record named by hdr.code.
  virtual NotifyResult OnNotify(NotifyHeader& hdr) = 0;
  std::shared_ptr<const bool> Whole() const { return m_life.Token(); }

 private:
  ListenerLife m_life;
};

class CommandListener {
 public:
  virtual ~CommandListener() = default;
  // `code` is the notification code (LBN_SELCHANGE 1, 10 deleted, 11 moved).
  virtual void OnCommand(unsigned id, int code, const void* sender) = 0;
  std::shared_ptr<const bool> Whole() const { return m_life.Token(); }

 private:
  ListenerLife m_life;
};

// A sender's hold on its listener: the pointer, and whether it is whole.
template <class Listener>
class ListenerRef {
 public:
  ListenerRef& operator=(Listener* l) {
    m_listener = l;
    m_whole = l ? l->Whole() : nullptr;
    return *this;
  }
  // The listener while it is whole, else null.
  Listener* get() const { return m_listener && *m_whole ? m_listener : nullptr; }
  explicit operator bool() const { return get() != nullptr; }
  Listener* operator->() const { return get(); }

 private:
  Listener* m_listener = nullptr;
  std::shared_ptr<const bool> m_whole;
};

// --- common codes -------------------------------------------------------
constexpr int NM_CLICK = -2;
constexpr int NM_DBLCLK = -3;
constexpr int NM_RETURN = -4;
constexpr int NM_RCLICK = -5;
constexpr int NM_SETFOCUS = -7;
constexpr int NM_KILLFOCUS = -8;

// --- list view ------------------------------------------------------------
constexpr int LVN_INSERTITEM = -102;
constexpr int LVN_DELETEITEM = -103;
constexpr int LVN_BEGINLABELEDIT = -105;
constexpr int LVN_ENDLABELEDIT = -106;
constexpr int LVN_COLUMNCLICK = -108;
constexpr int LVN_GETDISPINFO = -150;
constexpr int LVN_KEYDOWN = -155;

constexpr unsigned LVIF_TEXT = 0x1;
constexpr unsigned LVIF_IMAGE = 0x2;
constexpr unsigned LVIF_PARAM = 0x4;
constexpr unsigned LVIF_STATE = 0x8;
constexpr unsigned LVIF_DI_SETITEM = 0x1000;
// Our own bit: the state field of the description is the second state
// word of the row (SetItemStateEx, GetItemStateEx).
constexpr unsigned LVIF_STATEEX = 0x00010000;

constexpr unsigned LVIS_FOCUSED = 0x1;
constexpr unsigned LVIS_SELECTED = 0x2;
constexpr unsigned LVIS_CUT = 0x4;
constexpr unsigned LVIS_DROPHILITED = 0x8;

constexpr unsigned LVNI_ALL = 0x0;
constexpr unsigned LVNI_FOCUSED = 0x1;
constexpr unsigned LVNI_SELECTED = 0x2;
constexpr unsigned LVNI_ABOVE = 0x100;
constexpr unsigned LVNI_BELOW = 0x200;
constexpr unsigned LVNI_TOLEFT = 0x400;
constexpr unsigned LVNI_TORIGHT = 0x800;

constexpr int kTextCapacity = 2048;  // the control's display buffer

// The item description (LVITEM). `text` is what the caller passes or gets;
// `textCallback` stands for LPSTR_TEXTCALLBACK, `image` -1 for an
// owner-supplied image.
struct ListItemDesc {
  unsigned mask = 0;
  int item = 0;
  int subItem = 0;
  unsigned state = 0;
  unsigned stateMask = 0;
  std::string text;
  bool textCallback = false;
  int textMax = kTextCapacity;
  int image = 0;
  std::intptr_t param = 0;
};

struct NMLISTVIEW {
  NotifyHeader hdr;
  int iItem = -1;
  int iSubItem = 0;
  unsigned uNewState = 0;
  unsigned uOldState = 0;
  unsigned uChanged = 0;
  int ptX = 0;
  int ptY = 0;
  std::intptr_t lParam = 0;
};

struct NMLVDISPINFO {
  NotifyHeader hdr;
  ListItemDesc item;
  bool hasText = true;  // false for an end-edit without commit (null text)
};

struct NMLVKEYDOWN {
  NotifyHeader hdr;
  unsigned wVKey = 0;
  unsigned flags = 0;
};

// --- tree view --------------------------------------------------------------
class TreeNode;
using HTREEITEM = TreeNode*;

constexpr std::uintptr_t kTviRoot = 0xFFFF0000u;
constexpr std::uintptr_t kTviFirst = 0xFFFF0001u;
constexpr std::uintptr_t kTviLast = 0xFFFF0002u;
constexpr std::uintptr_t kTviSort = 0xFFFF0003u;
constexpr std::uintptr_t kTviSortDescending = 0xFFFF0010u;
inline HTREEITEM TVI_ROOT() { return reinterpret_cast<HTREEITEM>(kTviRoot); }
inline HTREEITEM TVI_FIRST() { return reinterpret_cast<HTREEITEM>(kTviFirst); }
inline HTREEITEM TVI_LAST() { return reinterpret_cast<HTREEITEM>(kTviLast); }
inline HTREEITEM TVI_SORT() { return reinterpret_cast<HTREEITEM>(kTviSort); }
inline HTREEITEM TVI_SORT_DESCENDING() { return reinterpret_cast<HTREEITEM>(kTviSortDescending); }

constexpr unsigned TVIF_TEXT = 0x1;
constexpr unsigned TVIF_IMAGE = 0x2;
constexpr unsigned TVIF_PARAM = 0x4;
constexpr unsigned TVIF_STATE = 0x8;
constexpr unsigned TVIF_HANDLE = 0x10;
constexpr unsigned TVIF_SELECTEDIMAGE = 0x20;
constexpr unsigned TVIF_CHILDREN = 0x40;

constexpr unsigned TVIS_SELECTED = 0x2;
constexpr unsigned TVIS_CUT = 0x4;
constexpr unsigned TVIS_DROPHILITED = 0x8;
constexpr unsigned TVIS_BOLD = 0x10;
constexpr unsigned TVIS_EXPANDED = 0x20;

constexpr unsigned TVGN_ROOT = 0;
constexpr unsigned TVGN_NEXT = 1;
constexpr unsigned TVGN_PREVIOUS = 2;
constexpr unsigned TVGN_PARENT = 3;
constexpr unsigned TVGN_CHILD = 4;
constexpr unsigned TVGN_FIRSTVISIBLE = 5;
constexpr unsigned TVGN_NEXTVISIBLE = 6;
constexpr unsigned TVGN_PREVIOUSVISIBLE = 7;
constexpr unsigned TVGN_DROPHILITE = 8;
constexpr unsigned TVGN_CARET = 9;
constexpr unsigned TVGN_FIRSTSELECTED = 32;
constexpr unsigned TVGN_NEXTSELECTED = 33;
constexpr unsigned TVGN_PREVSELECTED = 34;

constexpr unsigned TVE_COLLAPSE = 1;
constexpr unsigned TVE_EXPAND = 2;
constexpr unsigned TVE_TOGGLE = 3;
constexpr unsigned TVE_COLLAPSERESET = 0x8000;

constexpr unsigned TVHT_NOWHERE = 0x1;
constexpr unsigned TVHT_ONITEMICON = 0x2;
constexpr unsigned TVHT_ONITEMLABEL = 0x4;
constexpr unsigned TVHT_ONITEMINDENT = 0x8;
constexpr unsigned TVHT_ONITEMBUTTON = 0x10;
constexpr unsigned TVHT_ONITEMRIGHT = 0x20;
constexpr unsigned TVHT_ONITEMSTATEICON = 0x40;
constexpr unsigned TVHT_ABOVE = 0x100;
constexpr unsigned TVHT_BELOW = 0x200;
constexpr unsigned TVHT_TORIGHT = 0x400;
constexpr unsigned TVHT_TOLEFT = 0x800;

constexpr unsigned TVC_UNKNOWN = 0;
constexpr unsigned TVC_BYMOUSE = 1;
constexpr unsigned TVC_BYKEYBOARD = 2;

constexpr int TVN_SELCHANGING = -401;
constexpr int TVN_SELCHANGED = -402;
constexpr int TVN_GETDISPINFO = -403;
constexpr int TVN_SETDISPINFO = -404;
constexpr int TVN_ITEMEXPANDING = -405;
constexpr int TVN_ITEMEXPANDED = -406;
constexpr int TVN_BEGINDRAG = -407;
constexpr int TVN_BEGINRDRAG = -408;
constexpr int TVN_DELETEITEM = -409;
constexpr int TVN_BEGINLABELEDIT = -410;
constexpr int TVN_ENDLABELEDIT = -411;
constexpr int TVN_KEYDOWN = -412;

// TV_ITEM. The text callback and the -1 image values mean owner-supplied.
struct TreeItemDesc {
  unsigned mask = 0;
  HTREEITEM hItem = nullptr;
  unsigned state = 0;
  unsigned stateMask = 0;
  std::string text;
  bool textCallback = false;
  int textMax = kTextCapacity;
  int image = -12;
  int selectedImage = -12;
  int children = 0;
  std::intptr_t param = 0;
};

struct NMTREEVIEW {
  NotifyHeader hdr;
  unsigned action = 0;
  TreeItemDesc itemOld;
  TreeItemDesc itemNew;
  int ptX = 0;
  int ptY = 0;
};

struct TVDISPINFO {
  NotifyHeader hdr;
  TreeItemDesc item;
  bool hasText = true;
};

struct NMTVKEYDOWN {
  NotifyHeader hdr;
  unsigned wVKey = 0;
  unsigned flags = 0;
};

// Virtual-key codes the controls react to (Windows numbering).
namespace vk {
constexpr unsigned Back = 8, Tab = 9, Return = 13, Shift = 16, Control = 17,
                   Escape = 27, Space = 32, Prior = 33, Next = 34, End = 35,
                   Home = 36, Left = 37, Up = 38, Right = 39, Down = 40,
                   Insert = 45, Delete = 46, Multiply = 106, Add = 107,
                   Subtract = 109, F2 = 113, OemPlus = 187, OemMinus = 189;
}  // namespace vk

}  // namespace pm2
