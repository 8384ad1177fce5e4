// Items, columns, selection, styles and notifications of the list engine.
#include <algorithm>

#include "toolkit/models/list_engine.h"

namespace pm2 {

SECListBaseC::SECListBaseC() {
  m_autoSysColors = true;
  OnSysColorChange();
  m_autoSysColors = false;
}

SECListBaseC::~SECListBaseC() = default;

void SECListBaseC::SetMeasurer(TextMeasurer* m) {
  m_measurer = m ? m : &m_defaultMeasurer;
  InvalidateAllMeasures();
}

void SECListBaseC::Create(unsigned style, unsigned exStyle) {
  ModifyListStyle(0, style & 0xF3FF, false);
  ModifyListStyleEx(0, exStyle, false);
  if ((style & LVS_TYPEMASK) != LVS_REPORT && !IsReport()) {
    ModifyListStyle(0, LVS_NOCOLUMNHEADER, false);
    InsertColumn(0, "", LVCFMT_LEFT, 20, 0, 0, true);
  }
}

// --- styles ---------------------------------------------------------------

bool SECListBaseC::SetListStyle(unsigned style, bool redraw) {
  unsigned old = m_style;
  m_style = style;
  EndAnyEdit();
  Host().TipHide();
  CancelEditTimer();
  if ((old ^ style) & LVS_NOLABELWRAP) InvalidateAllMeasures();
  if (redraw) {
    ReMeasureAndUpdate();
    Host().Invalidate(nullptr, false);
  }
  return true;
}

bool SECListBaseC::SetListStyleEx(unsigned exStyle, bool redraw) {
  EndAnyEdit();
  Host().TipHide();
  bool fillNew = (exStyle & LVXS_FILLLABELCOLUMN) && !(m_styleEx & LVXS_FILLLABELCOLUMN);
  m_styleEx = exStyle;
  if (fillNew) FillLabelColumn();
  if (redraw) {
    ReMeasureAndUpdate();
    Host().Invalidate(nullptr, false);
  }
  return true;
}

bool SECListBaseC::ModifyListStyle(unsigned remove, unsigned add, bool redraw) {
  return SetListStyle((m_style & ~remove) | add, redraw);
}

bool SECListBaseC::ModifyListStyleEx(unsigned remove, unsigned add, bool redraw) {
  return SetListStyleEx((m_styleEx & ~remove) | add, redraw);
}

bool SECListBaseC::ModifyListStyles(unsigned remove, unsigned add, unsigned removeEx, unsigned addEx,
                                    bool redraw) {
  return ModifyListStyle(remove, add, redraw) && ModifyListStyleEx(removeEx, addEx, redraw);
}

bool SECListBaseC::SetListStyles(unsigned style, unsigned exStyle, bool redraw) {
  return SetListStyle(style, redraw) && SetListStyleEx(exStyle, redraw);
}

void SECListBaseC::SplitStyleBits(unsigned* style, unsigned* exStyle, unsigned* listStyle, unsigned* listExStyle) {
  constexpr unsigned kListStyleBits = 0xF3FF, kListExStyleBits = 0x1FF00000;
  *listStyle = *style & kListStyleBits;
  *listExStyle = *exStyle & kListExStyleBits;
  *style &= ~kListStyleBits;
  *exStyle &= ~kListExStyleBits;
}

void SECListBaseC::SplitCreateStyles(unsigned* style, unsigned* exStyle) {
  unsigned listStyle = 0, listEx = 0;
  SplitStyleBits(style, exStyle, &listStyle, &listEx);
  ModifyListStyle(0, listStyle, false);
  ModifyListStyleEx(0, listEx, false);
}

void SECListBaseC::SetLabelWrap(bool on) {
  if (on) ModifyListStyle(LVS_NOLABELWRAP, 0);
  else ModifyListStyle(0, LVS_NOLABELWRAP);
}

void SECListBaseC::EnableMultiSelect(bool on) {
  if (on) {
    ModifyListStyle(LVS_SINGLESEL, 0);
    return;
  }
  if (m_selection.size() > 1) DeselectAllExcept(-1);
  ModifyListStyle(0, LVS_SINGLESEL);
}

void SECListBaseC::EnableToolTips(bool on) {
  if (on) ModifyListStyleEx(0, LVXS_TOOLTIPS);
  else ModifyListStyleEx(LVXS_TOOLTIPS, 0);
}

void SECListBaseC::SetHeaderStyle(bool show, bool clickable) {
  unsigned remove = (show ? LVS_NOCOLUMNHEADER : 0) | (clickable ? LVS_NOSORTHEADER : 0);
  unsigned add = (show ? 0 : LVS_NOCOLUMNHEADER) | (clickable ? 0 : LVS_NOSORTHEADER);
  ModifyListStyle(remove, add);
}

// --- colours ----------------------------------------------------------------

Color SECListBaseC::GetBkColor() const {
  return Host().IsEnabled() ? m_bkColor : GetSysColor(SysColor::Menu);
}

void SECListBaseC::OnSysColorChange() {
  if (!m_autoSysColors) return;
  m_textColor = GetSysColor(SysColor::WindowText);
  m_textBkColor = GetSysColor(SysColor::Window);
  m_selTextColor = GetSysColor(SysColor::HighlightText);
  m_selTextBkColor = GetSysColor(SysColor::Highlight);
  m_grayTextColor = GetSysColor(SysColor::GrayText);
  m_bk2Color = GetSysColor(SysColor::Window);
  m_selBk2Color = GetSysColor(SysColor::Window);
  m_tipBkColor = GetSysColor(SysColor::InfoBk);
  m_tipTextColor = GetSysColor(SysColor::InfoText);
  m_bkColor = GetSysColor(SysColor::Window);
}

void SECListBaseC::SetImageList(ImageListKind kind, ImageListInfo info) {
  m_images[int(kind)] = info;
  InvalidateAllMeasures();
}

ImageListInfo SECListBaseC::ViewImages() const {
  if (ViewKind() == int(LVS_ICON)) return m_images[int(ImageListKind::Normal)];
  if (IsReport()) return m_images[int(ImageListKind::Small)];
  return {};
}

// --- items ------------------------------------------------------------------

SECListItem* SECListBaseC::GetItemRecord(int index) const {
  return (index >= 0 && index < int(m_items.size())) ? m_items[index].get() : nullptr;
}

int SECListBaseC::FindItemRecord(const SECListItem* rec) const {
  for (size_t i = 0; i < m_items.size(); ++i) {
    if (m_items[i].get() == rec) return int(i);
  }
  return -1;
}

int SECListBaseC::RowOfRecord(const SECListItem* rec) const {
  if (!rec) return -1;
  const int known = rec->rowIndex;
  if (known >= 0 && known < m_rowsNumbered && m_items[known].get() == rec) return known;
  // Number the rows on from where the numbering stopped until the record
  // shows up; a run of inserts or deletes in one place costs no more than
  // the rows it moved.
  const int n = int(m_items.size());
  while (m_rowsNumbered < n) {
    SECListItem* r = m_items[m_rowsNumbered].get();
    r->rowIndex = m_rowsNumbered++;
    if (r == rec) return r->rowIndex;
  }
  return FindItemRecord(rec);
}

void SECListBaseC::AddSubItems(SECListItem& rec) {
  while (int(rec.subItems.size()) < m_subItemColumns) rec.AddSubItem();
}

int SECListBaseC::InsertItem(const ListItemDesc& desc) {
  auto rec = NewItem();
  AddSubItems(*rec);
  int index = InsertItemRecord(desc.item, std::move(rec));
  ListItemDesc d = desc;
  d.item = index;
  SetItem(d, false);
  return index;
}

int SECListBaseC::InsertItemText(int index, const std::string& text) {
  return InsertItemFields(LVIF_TEXT, index, text, 0, 0, 0, 0);
}

int SECListBaseC::InsertItemImage(int index, const std::string& text, int image) {
  return InsertItemFields(LVIF_TEXT | LVIF_IMAGE, index, text, 0, 0, image, 0);
}

int SECListBaseC::InsertItemFields(unsigned mask, int index, const std::string& text, unsigned state,
                                   unsigned stateMask, int image, std::intptr_t param) {
  ListItemDesc d;
  d.mask = mask;
  d.item = index;
  d.text = text;
  d.state = state;
  d.stateMask = stateMask;
  d.image = image;
  d.param = param;
  return InsertItem(d);
}

int SECListBaseC::InsertItemAfter(const SECListItem* rec, ListItemDesc desc) {
  if (!rec) desc.item = 0;
  else if (int i = FindItemRecord(rec); i >= 0) desc.item = i + 1;
  return InsertItem(desc);
}

int SECListBaseC::InsertItemAtPrevious(const SECListItem* rec, ListItemDesc desc) {
  if (!rec) desc.item = 0;
  else if (int i = FindItemRecord(rec); i >= 0) desc.item = std::max(0, i - 1);
  return InsertItem(desc);
}

int SECListBaseC::InsertItemRecord(int index, std::unique_ptr<SECListItem> rec) {
  // An index past the end appends; a negative one would corrupt the
  // selection bookkeeping, so it is taken as 0.
  index = std::clamp(index, 0, int(m_items.size()));
  while (int(rec->subItems.size()) < int(m_columns.size()) - 1) rec->AddSubItem();
  rec->rowIndex = index;
  m_items.insert(m_items.begin() + index, std::move(rec));
  // Rows after the new one moved; the ones before it did not.
  m_rowsNumbered = std::min(m_rowsNumbered, index);
  if (m_rowsNumbered == index) ++m_rowsNumbered;
  if (m_focus >= index) ++m_focus;
  if (m_dropHilite >= index) ++m_dropHilite;
  if (m_anchor >= index) ++m_anchor;
  for (int& s : m_selection) {
    if (s >= index) ++s;
  }
  if (m_focus < 0) SetFocusItem(0, true);
  return index;
}

bool SECListBaseC::DeleteItems(int index, int count) {
  if (index < 0 || index >= int(m_items.size())) return false;
  count = std::clamp(count, 0, int(m_items.size()) - index);
  if (count == 0) return false;
  if (m_editItem >= index && m_editItem < index + count) EndLabelEdit(false);
  Host().Invalidate(nullptr, false);
  NotifyDeleteItem(index);
  OnRowsRemoving(index, count);
  m_items.erase(m_items.begin() + index, m_items.begin() + index + count);
  m_rowsNumbered = std::min(m_rowsNumbered, index);
  const int n = int(m_items.size());
  m_top = std::clamp(m_top, 0, std::max(0, n - 1));
  auto adjust = [&](int& v) {
    if (v < index) return;
    if (v >= index + count) v -= count;      // after the run
    else if (v > index || v >= n) v = index - 1;  // inside the run
    // the run's first item, still valid: names the item that moved up
  };
  adjust(m_focus);
  adjust(m_dropHilite);
  adjust(m_anchor);
  std::vector<int> sel;
  for (int s : m_selection) {
    if (s < index) sel.push_back(s);
    else if (s >= index + count) sel.push_back(s - count);
  }
  m_selection = std::move(sel);
  if (m_editItem >= index + count) m_editItem -= count;
  if (m_pendingEdit >= index) m_pendingEdit = -1;
  if (m_selection.empty() && m_focus >= 0) SetFocusItem(m_focus, true);
  UpdateScrollBars();
  return true;
}

bool SECListBaseC::DeleteItemRecord(const SECListItem* rec) {
  int i = FindItemRecord(rec);
  return i >= 0 && DeleteItems(i, 1);
}

void SECListBaseC::DeleteAllItems() {
  EndAnyEdit();
  OnRowsRemoving(0, int(m_items.size()));
  m_items.clear();
  m_rowsNumbered = 0;
  m_selection.clear();
  m_top = 0;
  m_focus = -1;
  m_anchor = -1;
  m_dropHilite = -1;
  m_pendingEdit = -1;
  UpdateScrollBars();
  Host().Invalidate(nullptr, false);
}

void SECListBaseC::ChangeSelected(int index, bool select) {
  auto it = std::lower_bound(m_selection.begin(), m_selection.end(), index);
  bool present = it != m_selection.end() && *it == index;
  if (select && !present) m_selection.insert(it, index);
  if (!select && present) m_selection.erase(it);
}

int SECListBaseC::SelPos(int index) const {
  // Linear for short selections, binary search otherwise.
  if (m_selection.size() <= 6) {
    int i = 0;
    while (i < int(m_selection.size()) && m_selection[i] < index) ++i;
    return i;
  }
  return int(std::lower_bound(m_selection.begin(), m_selection.end(), index) - m_selection.begin());
}

bool SECListBaseC::IsItemSelected(int index) const {
  int p = SelPos(index);
  return p < int(m_selection.size()) && m_selection[p] == index;
}

bool SECListBaseC::SetItem(const ListItemDesc& desc, bool redraw) {
  SECListItem* rec = GetItemRecord(desc.item);
  if (!rec) return false;
  unsigned reportBits = 0;
  bool changed = false;
  bool dropMoved = false;
  if (desc.mask & LVIF_TEXT) {
    CellText* target = nullptr;
    if (desc.subItem == 0) target = &rec->text;
    else if (SECListSubItem* sub = rec->GetSubItem(desc.subItem)) target = &sub->text;
    if (target) {
      if (target->IsCallback() && !(desc.mask & LVIF_DI_SETITEM)) {
        reportBits |= LVIF_TEXT;
      } else if (desc.textCallback) {
        target->SetCallback();
        reportBits |= LVIF_TEXT;
        changed = true;
      } else {
        target->Set(desc.text);
        changed = true;
      }
    }
  }
  if (desc.mask & LVIF_IMAGE) {
    if (rec->image == -1 && !(desc.mask & LVIF_DI_SETITEM)) {
      reportBits |= LVIF_IMAGE;
    } else if (rec->image != desc.image) {
      rec->image = desc.image;
      changed = true;
    }
  }
  if (desc.mask & LVIF_STATE) {
    const unsigned m = desc.stateMask;
    if (m & LVIS_SELECTED) {
      bool want = desc.state & LVIS_SELECTED;
      if (want != IsItemSelected(desc.item)) {
        ChangeSelected(desc.item, want);
        changed = true;
      }
    }
    if (m & LVIS_FOCUSED) {
      if (desc.state & LVIS_FOCUSED) {
        if (m_focus != desc.item) { m_focus = desc.item; changed = true; }
      } else if (m_focus == desc.item) {
        m_focus = -1;
        changed = true;
      }
    }
    if (m & LVIS_DROPHILITED) {
      int old = m_dropHilite;
      if (desc.state & LVIS_DROPHILITED) m_dropHilite = desc.item;
      else if (m_dropHilite == desc.item) m_dropHilite = -1;
      if (old != m_dropHilite) {
        changed = true;
        dropMoved = true;
      }
    }
    const unsigned other = m & ~(LVIS_SELECTED | LVIS_FOCUSED | LVIS_DROPHILITED);
    unsigned ns = (rec->state & ~other) | (desc.state & other);
    if (ns != rec->state) {
      rec->state = ns;
      changed = true;
    }
  }
  if (desc.mask & LVIF_PARAM) rec->param = desc.param;
  if (reportBits) {
    ListItemDesc copy = desc;
    copy.mask = reportBits;
    OnItemChanged(copy);
  }
  if (desc.mask & (LVIF_TEXT | LVIF_STATE)) {
    if (desc.mask & LVIF_TEXT) rec->needsMeasuring = true;
    if (redraw && changed && desc.item != m_editItem) InvalidateItem(desc.item, false, dropMoved);
  }
  return true;
}

bool SECListBaseC::SetItemText(int index, int subItem, const std::string& text) {
  ListItemDesc d;
  d.mask = LVIF_TEXT;
  d.item = index;
  d.subItem = subItem;
  d.text = text;
  return SetItem(d, true);
}

bool SECListBaseC::SetItemState(int index, unsigned state, unsigned mask) {
  ListItemDesc d;
  d.mask = LVIF_STATE;
  d.item = index;
  d.state = state;
  d.stateMask = mask;
  return SetItem(d, true);
}

bool SECListBaseC::SetItemData(int index, std::intptr_t value) {
  ListItemDesc d;
  d.mask = LVIF_PARAM;
  d.item = index;
  d.param = value;
  return SetItem(d, true);
}

bool SECListBaseC::SetItemFields(int index, int subItem, unsigned mask, const std::string& text, int image,
                                 unsigned state, unsigned stateMask, std::intptr_t param) {
  ListItemDesc d;
  d.mask = mask;
  d.item = index;
  d.subItem = subItem;
  d.text = text;
  d.image = image;
  d.state = state;
  d.stateMask = stateMask;
  d.param = param;
  return SetItem(d, true);
}

bool SECListBaseC::SetItemStateEx(const ListItemDesc& desc) {
  SECListItem* rec = GetItemRecord(desc.item);
  if (!rec) return false;
  bool changed = false;
  if (desc.mask & LVIF_STATE) {
    const unsigned ns = (rec->state2 & ~desc.stateMask) | (desc.state & desc.stateMask);
    changed = ns != rec->state2;
    rec->state2 = ns;
  }
  if (desc.mask & LVIF_TEXT) {
    rec->needsMeasuring = true;
    changed = true;
  }
  if (changed && desc.item != m_editItem) InvalidateItem(desc.item);
  return true;
}

bool SECListBaseC::SetItemStateEx(int index, unsigned state, unsigned mask) {
  ListItemDesc d;
  d.mask = LVIF_STATE;
  d.item = index;
  d.state = state;
  d.stateMask = mask;
  return SetItemStateEx(d);
}

bool SECListBaseC::GetItemStateEx(ListItemDesc& desc) {
  SECListItem* rec = GetItemRecord(desc.item);
  if (!rec) return false;
  if (!(desc.mask & LVIF_STATE)) return true;
  desc.state = rec->state2 & desc.stateMask;
  if (m_callbackMaskEx & desc.stateMask) {
    // The owner keeps these bits: ask it, as for the first word.
    ListItemDesc q = desc;
    q.mask = LVIF_STATE | LVIF_STATEEX;
    q.stateMask = desc.stateMask & m_callbackMaskEx;
    q.param = rec->param;
    NotifyGetDispInfo(q);
    desc.state = (desc.state & ~q.stateMask) | (q.state & q.stateMask);
  }
  return true;
}

unsigned SECListBaseC::GetItemStateEx(int index, unsigned mask) {
  ListItemDesc d;
  d.mask = LVIF_STATE;
  d.item = index;
  d.stateMask = mask;
  return GetItemStateEx(d) ? d.state : 0;
}

bool SECListBaseC::GetItem(ListItemDesc& desc, bool ask) {
  SECListItem* rec = GetItemRecord(desc.item);
  if (!rec) return false;
  unsigned requested = 0;
  if (desc.mask & LVIF_TEXT) {
    const CellText* t = nullptr;
    if (desc.subItem == 0) t = &rec->text;
    else if (SECListSubItem* sub = rec->GetSubItem(desc.subItem)) t = &sub->text;
    desc.textCallback = false;
    if (t && t->IsCallback()) {
      requested |= LVIF_TEXT;
      desc.text.clear();
      desc.textCallback = true;
    } else {
      desc.text = (t && t->kind == CellText::Kind::Own) ? t->text : std::string();
      if (int(desc.text.size()) > desc.textMax) desc.text.resize(std::max(0, desc.textMax));
    }
  }
  if (desc.mask & LVIF_IMAGE) {
    desc.image = rec->image;
    if (rec->image == -1) requested |= LVIF_IMAGE;
  }
  if (desc.mask & LVIF_STATE) {
    if (m_callbackMask) requested |= LVIF_STATE;
    unsigned s = rec->state & desc.stateMask;
    if (IsItemSelected(desc.item)) s |= LVIS_SELECTED;
    if (m_focus == desc.item) s |= LVIS_FOCUSED;
    if (m_dropHilite == desc.item) s |= LVIS_DROPHILITED;
    desc.state = s & (desc.stateMask | LVIS_SELECTED | LVIS_FOCUSED | LVIS_DROPHILITED);
  }
  if (requested || (desc.mask & LVIF_PARAM)) desc.param = rec->param;
  if (ask && requested) {
    ListItemDesc q = desc;
    q.mask = requested;
    q.text.clear();
    NotifyGetDispInfo(q);
    if (requested & LVIF_TEXT) {
      desc.text = q.text;
      desc.textCallback = false;
    }
    if (requested & LVIF_IMAGE) desc.image = q.image;
    if (requested & LVIF_STATE) desc.state = q.state;
    if (q.mask & LVIF_DI_SETITEM) desc.mask |= LVIF_DI_SETITEM;
  }
  return true;
}

std::string SECListBaseC::GetItemText(int index, int subItem) {
  ListItemDesc d;
  d.mask = LVIF_TEXT;
  d.item = index;
  d.subItem = subItem;
  if (!GetItem(d, true)) return {};
  return d.text;
}

unsigned SECListBaseC::GetItemState(int index, unsigned mask) {
  ListItemDesc d;
  d.mask = LVIF_STATE;
  d.item = index;
  d.stateMask = mask;
  if (!GetItem(d, true)) return 0;
  return d.state & mask;
}

std::intptr_t SECListBaseC::GetItemData(int index) const {
  SECListItem* rec = GetItemRecord(index);
  return rec ? rec->param : 0;
}

bool SECListBaseC::HasCallbacks(int index) const {
  SECListItem* rec = GetItemRecord(index);
  if (!rec) return false;
  if (rec->text.IsCallback() || rec->image == -1 || m_callbackMask || m_callbackMaskEx) return true;
  return std::any_of(rec->subItems.begin(), rec->subItems.end(),
                     [](const auto& s) { return s->text.IsCallback(); });
}

bool SECListBaseC::GetItemRect(int index, Rect* r, int code) {
  int col = FindColumnIndex(0);
  return GetCellRect(index, col < 0 ? 0 : col, r, code);
}

// --- columns ------------------------------------------------------------------

SECListColumn* SECListBaseC::GetColumnRecord(int index) const {
  return (index >= 0 && index < int(m_columns.size())) ? m_columns[index].get() : nullptr;
}

int SECListBaseC::InsertColumn(int index, const std::string& text, int format, int width, int subItem,
                               int image, bool redraw) {
  SECListColumn c;
  c.format = format;
  c.width = width;
  c.text = text;
  c.subItem = subItem < 0 ? -1 : (subItem == 0 && index > 0 ? -1 : subItem);
  c.image = image;
  return InsertColumnRecord(index, c, redraw);
}

int SECListBaseC::InsertColumnInfo(int index, const ListColumnDesc& desc, bool redraw) {
  const unsigned m = desc.mask;
  return InsertColumn(index, (m & LVCF_TEXT) ? desc.text : std::string(), (m & LVCF_FMT) ? desc.format : LVCFMT_LEFT,
                      (m & LVCF_WIDTH) ? desc.width : -1, (m & LVCF_SUBITEM) ? desc.subItem : -1,
                      (m & LVCF_IMAGE) ? desc.image : -1, redraw);
}

bool SECListBaseC::GetColumnInfo(int index, ListColumnDesc* desc) const {
  const SECListColumn* c = GetColumnRecord(index);
  if (!c || !desc) return false;
  if (desc->mask & LVCF_FMT) desc->format = c->format;
  if (desc->mask & LVCF_WIDTH) desc->width = c->width;
  if (desc->mask & LVCF_TEXT) desc->text = c->text;
  if (desc->mask & LVCF_SUBITEM) desc->subItem = c->subItem;
  if (desc->mask & LVCF_IMAGE) desc->image = c->image;
  return true;
}

bool SECListBaseC::SetColumnInfo(int index, const ListColumnDesc& desc, bool redraw) {
  SECListColumn* c = GetColumnRecord(index);
  if (!c) return false;
  if (desc.mask & LVCF_TEXT) c->text = desc.text;
  if (desc.mask & LVCF_FMT) c->format = desc.format;
  if (desc.mask & LVCF_SUBITEM) c->subItem = desc.subItem;
  if (desc.mask & LVCF_WIDTH) c->width = desc.width == -1 ? 10 : desc.width;
  if (desc.mask & LVCF_IMAGE) c->image = desc.image;
  if (redraw) {
    InvalidateAllMeasures();
    RefillLabelColumn();
    ReMeasureAndUpdate();
    Host().Invalidate(nullptr, false);
  }
  return true;
}

int SECListBaseC::AddColumn(const std::string& text, int format, int width) {
  return InsertColumn(GetColumnCount(), text, format, width, -1, -1, true);
}

int SECListBaseC::InsertColumnRecord(int index, SECListColumn col, bool redraw) {
  const int count = int(m_columns.size());
  if (index > count || index < 0) index = count;
  EndAnyEdit();
  Host().TipHide();
  if (col.width == -1) col.width = 10;
  if (index == 0) {
    col.format = LVCFMT_LEFT;
    col.subItem = 0;
  }
  const bool later = index < count;
  if (index == 0 && count > 0) {
    // A new label column: the old columns' cells all move one to the right
    // and the old label text becomes sub-item 1.
    for (auto& rec : m_items) {
      rec->InsertSubItem(0);
      std::swap(rec->text, rec->subItems[0]->text);
      rec->text.kind = CellText::Kind::None;
      rec->text.text.clear();
      rec->needsMeasuring = true;
    }
    for (auto& c : m_columns) ++c->subItem;
    ++m_subItemColumns;
  } else if (col.subItem < 0 || col.subItem > m_subItemColumns || later) {
    // The new cell goes in the new column's place; later columns keep their
    // texts because their sub-items move up with them.
    int newSub = index;
    if (count > 0) {
      for (auto& rec : m_items) {
        rec->InsertSubItem(newSub - 1);
        rec->subItems[newSub - 1]->text = CellText{};
      }
      for (auto& c : m_columns) {
        if (c->subItem >= newSub) ++c->subItem;
      }
      ++m_subItemColumns;
    }
    col.subItem = newSub;
  }
  if (count == 0) m_subItemColumns = 0;
  m_columns.insert(m_columns.begin() + index, std::make_unique<SECListColumn>(col));
  for (auto& rec : m_items) rec->needsMeasuring = true;
  // Like item insertion, the owner brings the scroll bars up to date
  // (UpdateScrollBars or ReMeasureAndUpdate) once it has added its columns.
  if (redraw) Host().Invalidate(nullptr, false);
  return index;
}

bool SECListBaseC::DeleteColumn(int index) {
  const int count = int(m_columns.size());
  if (index < 0 || index >= count) return false;
  if (index == 0 && count > 1) return false;
  EndAnyEdit();
  const int sub = m_columns[index]->subItem;
  const int width = m_columns[index]->width;
  if (sub > 0) {
    for (auto& rec : m_items) rec->RemoveSubItem(sub);
  }
  m_columns.erase(m_columns.begin() + index);
  if (!(m_styleEx & LVXS_KEEPDELETEDWIDTH)) {
    int label = FindColumnIndex(0);
    if (label >= 0) m_columns[label]->width += width;
  }
  for (auto& c : m_columns) {
    if (c->subItem > sub) --c->subItem;
  }
  if (sub > 0) --m_subItemColumns;
  if (m_columns.empty()) {
    m_subItemColumns = 0;
    DeleteAllItems();
  }
  InvalidateAllMeasures();
  UpdateScrollBars();
  Host().Invalidate(nullptr, false);
  return true;
}

bool SECListBaseC::DeleteColumnByText(const std::string& text) {
  int i = FindColumn(text);
  return i >= 0 && DeleteColumn(i);
}

void SECListBaseC::DeleteAllColumns() {
  DeleteAllItems();
  m_columns.clear();
  m_subItemColumns = 0;
  UpdateScrollBars();
}

bool SECListBaseC::MoveColumn(int from, int to, bool redraw) {
  const int count = int(m_columns.size());
  if (from <= 0 || to <= 0 || from >= count) return false;
  if (to >= count) to = count;
  auto rec = std::move(m_columns[from]);
  m_columns.erase(m_columns.begin() + from);
  int newPos = (to > from && to < count) ? to - 1 : std::min(to, count - 1);
  m_columns.insert(m_columns.begin() + newPos, std::move(rec));
  // Cells move with their column: reorder every row's sub-items so that
  // column i keeps showing sub-item i.
  for (auto& item : m_items) {
    if (from - 1 < int(item->subItems.size()) && newPos - 1 < int(item->subItems.size())) {
      auto sub = std::move(item->subItems[from - 1]);
      item->subItems.erase(item->subItems.begin() + (from - 1));
      item->subItems.insert(item->subItems.begin() + (newPos - 1), std::move(sub));
    }
  }
  for (int i = 1; i < count; ++i) m_columns[i]->subItem = i;
  OnColumnMoved(from, newPos);
  if (redraw) {
    ReMeasureAndUpdate();
    Host().Invalidate(nullptr, false);
  }
  return true;
}

int SECListBaseC::FindColumn(const std::string& text) const {
  for (size_t i = 0; i < m_columns.size(); ++i) {
    if (m_columns[i]->text == text) return int(i);
  }
  return -1;
}

int SECListBaseC::FindColumnIndex(int subItem) const {
  for (size_t i = 0; i < m_columns.size(); ++i) {
    if (m_columns[i]->subItem == subItem) return int(i);
  }
  return -1;
}

int SECListBaseC::GetColumnSubItem(int column) const {
  SECListColumn* c = GetColumnRecord(column);
  return c ? c->subItem : -1;
}

int SECListBaseC::GetColumnWidth(int index) const {
  if (m_columns.empty()) return const_cast<SECListBaseC*>(this)->GetInsideRect().Width();
  SECListColumn* c = GetColumnRecord(index);
  return c ? c->width : 0;
}

bool SECListBaseC::SetColumnWidth(int index, int width) {
  SECListColumn* c = GetColumnRecord(index);
  if (!c) return false;
  c->width = width == -1 ? 10 : width;
  if (IsLabelWrap()) InvalidateAllMeasures();
  Host().Invalidate(nullptr, false);
  return true;
}

int SECListBaseC::GetColumnFormat(int index) const {
  SECListColumn* c = GetColumnRecord(index);
  return c ? c->format : 0;
}

bool SECListBaseC::SetColumnFormat(int index, int format) {
  SECListColumn* c = GetColumnRecord(index);
  if (!c) return false;
  c->format = format;
  Host().Invalidate(nullptr, false);
  return true;
}

std::string SECListBaseC::GetColumnText(int index) const {
  SECListColumn* c = GetColumnRecord(index);
  return c ? c->text : std::string();
}

int SECListBaseC::GetColumnLeft(int index) const {
  int x = -m_hOffset;
  for (int i = 0; i < index && i < int(m_columns.size()); ++i) x += m_columns[i]->width;
  return x;
}

// --- selection --------------------------------------------------------------

bool SECListBaseC::SetFocusItem(int index, bool select) {
  if (index >= int(m_items.size())) return false;
  if (m_style & LVS_SINGLESEL) DeselectAllExcept(index);
  if (m_focus >= 0 && m_focus != index) {
    int old = m_focus;
    m_focus = -1;
    InvalidateItem(old);
  }
  if (index >= 0) {
    ListItemDesc d;
    d.mask = LVIF_STATE;
    d.item = index;
    d.stateMask = LVIS_FOCUSED | LVIS_SELECTED;
    d.state = LVIS_FOCUSED | (select ? LVIS_SELECTED : 0);
    SetItem(d, true);
  }
  m_anchor = m_focus;
  return true;
}

bool SECListBaseC::SetCaretItem(int index) {
  if (index >= int(m_items.size())) return false;
  int old = m_focus;
  m_focus = index;
  if (old >= 0) InvalidateItem(old);
  if (index >= 0) InvalidateItem(index);
  m_anchor = index;
  return true;
}

bool SECListBaseC::SelectItem(int index, bool select) {
  if (index < 0 || index >= int(m_items.size())) return false;
  if (m_style & LVS_SINGLESEL) DeselectAllExcept(index);
  return SetItemState(index, select ? LVIS_SELECTED : 0, LVIS_SELECTED);
}

void SECListBaseC::SelectRange(int first, int last, bool select) {
  if (first > last) std::swap(first, last);
  for (int i = first; i <= last; ++i) SelectItem(i, select);
}

void SECListBaseC::DeselectAllExcept(int index) {
  for (int p = int(m_selection.size()) - 1; p >= 0; --p) {
    if (p >= int(m_selection.size())) continue;
    int s = m_selection[p];
    if (s != index) SetItemState(s, 0, LVIS_SELECTED);
  }
}

bool SECListBaseC::SetDropHilite(int index) {
  if (index == m_dropHilite) return true;
  if (m_dropHilite >= 0) SetItemState(m_dropHilite, 0, LVIS_DROPHILITED);
  if (index >= 0 && index < int(m_items.size())) SetItemState(index, LVIS_DROPHILITED, LVIS_DROPHILITED);
  else m_dropHilite = -1;
  return true;
}

int SECListBaseC::GetNextItem(int start, unsigned flags) {
  const unsigned stateBits = flags & 0xF;
  const int n = int(m_items.size());
  if (flags & (LVNI_ABOVE | LVNI_TOLEFT)) {
    if (start < 1) return -1;
    for (int i = std::min(start, n) - 1; i >= 0; --i) {
      if (!stateBits || (GetItemState(i, stateBits) & stateBits)) return i;
    }
    return -1;
  }
  if ((flags & ~0xFu) && !(flags & (LVNI_BELOW | LVNI_TORIGHT))) return -1;
  for (int i = start < 0 ? 0 : start + 1; i < n; ++i) {
    if (!stateBits || (GetItemState(i, stateBits) & stateBits)) return i;
  }
  return -1;
}

// --- notifications -------------------------------------------------------------

NotifyResult SECListBaseC::Send(NotifyHeader& hdr) {
  hdr.sender = this;
  hdr.id = m_controlId;
  NotifyListener* to = m_notify.get();
  return to ? to->OnNotify(hdr) : 0;
}

NotifyResult SECListBaseC::NotifyCode(int code) {
  NotifyHeader hdr;
  hdr.code = code;
  m_lastNotifyResult = Send(hdr);
  return m_lastNotifyResult;
}

NotifyResult SECListBaseC::NotifyInsertItem(int item) {
  NMLISTVIEW nm;
  nm.hdr.code = LVN_INSERTITEM;
  nm.iItem = item;
  return Send(nm.hdr);
}

NotifyResult SECListBaseC::NotifyDeleteItem(int item) {
  NMLISTVIEW nm;
  nm.hdr.code = LVN_DELETEITEM;
  nm.iItem = item;
  return Send(nm.hdr);
}

NotifyResult SECListBaseC::NotifyBeginLabelEdit(int item, int subItem) {
  NMLVDISPINFO nm;
  nm.hdr.code = LVN_BEGINLABELEDIT;
  nm.item.mask = LVIF_TEXT;
  nm.item.item = item;
  nm.item.subItem = subItem;
  nm.item.param = GetItemData(item);
  return Send(nm.hdr);
}

NotifyResult SECListBaseC::NotifyEndLabelEdit(int item, int subItem, std::string* text, bool commit) {
  NMLVDISPINFO nm;
  nm.hdr.code = LVN_ENDLABELEDIT;
  nm.item.mask = LVIF_TEXT;
  nm.item.item = item;
  nm.item.subItem = subItem;
  nm.item.param = GetItemData(item);
  nm.hasText = commit;
  if (commit) nm.item.text = text->substr(0, kTextCapacity - 1);
  NotifyResult r = Send(nm.hdr);
  if (commit) *text = nm.item.text;
  return r;
}

NotifyResult SECListBaseC::NotifyColumnClick(int column) {
  NMLISTVIEW nm;
  nm.hdr.code = LVN_COLUMNCLICK;
  nm.iItem = -1;
  nm.iSubItem = column;
  return Send(nm.hdr);
}

NotifyResult SECListBaseC::NotifyGetDispInfo(ListItemDesc& desc) {
  NMLVDISPINFO nm;
  nm.hdr.code = LVN_GETDISPINFO;
  nm.item = desc;
  NotifyResult r = Send(nm.hdr);
  desc = nm.item;
  return r;
}

NotifyResult SECListBaseC::NotifyKeyDown(unsigned key) {
  NMLVKEYDOWN nm;
  nm.hdr.code = LVN_KEYDOWN;
  nm.wVKey = key;
  return Send(nm.hdr);
}

}  // namespace pm2
