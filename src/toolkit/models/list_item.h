#pragma once
// Row, cell and column records of the list engine.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "toolkit/core/geometry.h"

namespace pm2 {

// A cell text: none (null), an owned copy, or supplied by the owner on
// request (the text-callback marker, -1 in the original records).
struct CellText {
  enum class Kind { None, Own, Callback };
  Kind kind = Kind::None;
  std::string text;  // Own only

  bool IsCallback() const { return kind == Kind::Callback; }
  bool IsEmpty() const { return kind == Kind::None || (kind == Kind::Own && text.empty()); }
  void Set(std::string t) { kind = Kind::Own; text = std::move(t); }
  void SetCallback() { kind = Kind::Callback; text.clear(); }
};

// One cell of columns 1 and up.
class SECListSubItem {
 public:
  SECListSubItem() = default;
  virtual ~SECListSubItem() = default;
  CellText text;
  int word = -1;
  Rect labelRect;
};

// One row. Sub-item n (1-based) is element n - 1.
class SECListItem {
 public:
  SECListItem() = default;
  SECListItem(const SECListItem&) = delete;
  SECListItem& operator=(const SECListItem&) = delete;
  virtual ~SECListItem() = default;

  std::vector<std::unique_ptr<SECListSubItem>> subItems;
  CellText text;
  unsigned state = 0;        // state bits other than selected/focused/drop
  int image = 0;             // -1: owner-supplied
  std::intptr_t param = 0;
  int height = 0;            // pixels; 0 or -1 until measured
  unsigned state2 = 0;       // second state word (used by the tree)
  bool needsMeasuring = true;
  Rect labelRect;            // relative to the cell's top-left corner
  Rect imageRect;
  Rect stateRect;
  // Bookkeeping of the engine, not item data: the record's row while the
  // engine's numbering reaches it (see SECListBaseC::RowOfRecord), and a
  // derived engine's own link from the row to what it shows.
  mutable int rowIndex = -1;
  void* link = nullptr;

  // Appends an empty sub-item; returns the count before the append.
  int AddSubItem();
  // Inserts a sub-item at array index `pos` (it becomes sub-item pos + 1).
  int InsertSubItem(int pos);
  // Removes sub-item n (1-based) when it exists; returns 1.
  int RemoveSubItem(int n);
  // Sub-item n (1-based) or null when n is 0 or beyond the count.
  SECListSubItem* GetSubItem(int n) const;
};

constexpr int LVCFMT_LEFT = 0;
constexpr int LVCFMT_RIGHT = 1;
constexpr int LVCFMT_CENTER = 2;
constexpr int LVCFMT_JUSTIFYMASK = 3;
constexpr int LVCFMT_BITMAP_ON_RIGHT = 0x1000;

// Fields of a column description (LVCOLUMN).
constexpr unsigned LVCF_FMT = 0x1;
constexpr unsigned LVCF_WIDTH = 0x2;
constexpr unsigned LVCF_TEXT = 0x4;
constexpr unsigned LVCF_SUBITEM = 0x8;
constexpr unsigned LVCF_IMAGE = 0x10;

// A column as callers describe it: only the fields named in `mask` count.
struct ListColumnDesc {
  unsigned mask = 0;
  int format = LVCFMT_LEFT;
  int width = -1;
  std::string text;
  int subItem = -1;
  int image = -1;
};

struct SECListColumn {
  unsigned mask = 0;
  int format = LVCFMT_LEFT;
  int width = 0;            // pixels; a new width of -1 becomes 10
  std::string text;
  int subItem = -1;         // -1 at creation: becomes the column's position
  int image = -1;           // header image, -1 none
};

}  // namespace pm2
