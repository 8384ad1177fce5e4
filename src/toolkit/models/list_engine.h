#pragma once
// SECListBaseC: the owner-drawn multi-column list engine without a window.
// It keeps items, sub-items, columns and the selection, lays out rows and
// header, decides scrolling, hit tests, mouse/keyboard selection, type-ahead,
// label editing and header interaction, and notifies its owner. The widget
// (toolkit/controls/list_ctrl.h) paints from it and feeds it events through
// ListHost. Indices are 0-based; -1 means none.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "toolkit/core/notify.h"
#include "toolkit/core/sys_colors.h"
#include "toolkit/models/list_client.h"
#include "toolkit/models/list_host.h"
#include "toolkit/models/list_item.h"
#include "toolkit/models/measure_cache.h"

namespace pm2 {

// List style word (LVS_).
constexpr unsigned LVS_ICON = 0x0000;
constexpr unsigned LVS_REPORT = 0x0001;
constexpr unsigned LVS_TYPEMASK = 0x0003;
constexpr unsigned LVS_SINGLESEL = 0x0004;
constexpr unsigned LVS_SHOWSELALWAYS = 0x0008;
constexpr unsigned LVS_SHAREIMAGELISTS = 0x0040;
constexpr unsigned LVS_NOLABELWRAP = 0x0080;
constexpr unsigned LVS_EDITLABELS = 0x0200;
constexpr unsigned LVS_NOSCROLL = 0x2000;
constexpr unsigned LVS_NOCOLUMNHEADER = 0x4000;
constexpr unsigned LVS_NOSORTHEADER = 0x8000;
// List extended style word.
constexpr unsigned LVXS_HEADERDRAGDROP = 0x00000010;
constexpr unsigned LVXS_TOOLTIPS = 0x00100000;
constexpr unsigned LVXS_GRIDLINES_ROW = 0x00400000;
constexpr unsigned LVXS_GRIDLINES = 0x00800000;
constexpr unsigned LVXS_FULLROWSELECT = 0x02000000;
constexpr unsigned LVXS_FILLLABELCOLUMN = 0x04000000;
constexpr unsigned LVXS_KEEPDELETEDWIDTH = 0x08000000;
constexpr unsigned LVXS_BLEND = 0x10000000;

// Hit flags.
constexpr unsigned LVHT_NOWHERE = 0x0001;
constexpr unsigned LVHT_ONITEMICON = 0x0002;
constexpr unsigned LVHT_ONITEMLABEL = 0x0004;
constexpr unsigned LVHT_ONITEMSTATEICON = 0x0008;
constexpr unsigned LVHT_ABOVE = 0x0008;
constexpr unsigned LVHT_BELOW = 0x0010;
constexpr unsigned LVHT_TORIGHT = 0x0020;
constexpr unsigned LVHT_TOLEFT = 0x0040;
constexpr unsigned LVHT_DIVIDER = 0x0800;
constexpr unsigned LVHT_HEADER = 0x1000;
constexpr unsigned LVHT_ONROW = 0x2000;
constexpr unsigned LVHT_LEFTOFLABEL = 0x4000;
constexpr unsigned LVHT_RIGHTOFLABEL = 0x8000;

// Mouse key flags.
constexpr unsigned MK_LBUTTON = 0x1;
constexpr unsigned MK_RBUTTON = 0x2;
constexpr unsigned MK_SHIFT = 0x4;
constexpr unsigned MK_CONTROL = 0x8;
constexpr unsigned kKeyboardHit = 70;  // hit flags of keyboard selection

// Timers.
constexpr int kTimerEdit = 1;
constexpr int kTimerAutoScroll = 2;
constexpr int kTimerTypeAhead = 3;

// Scroll codes.
enum class ScrollCode { LineUp, LineDown, PageUp, PageDown, ThumbPosition, ThumbTrack, Top, Bottom };

struct ScrollBarState {
  bool shown = false;
  int min = 0;
  int max = 0;
  int page = 0;
  int pos = 0;
};

// State of one row (or cell) being painted or measured.
struct SECListPaintContext {
  ListItemDesc item;          // display description of the row
  unsigned paintFlags = 0;    // tree: 0x100 grey text, 0x200 hidden
  int column = 0;             // column index of the cell
  int view = 1;               // view kind (LVS_TYPEMASK)
  FontChoice font;
  SECListItem* record = nullptr;
  SECListSubItem* subRecord = nullptr;
  SECListColumn* columnRecord = nullptr;
  Rect cell;
  Color textColor = 0;
  Color bkColor = 0;
  Color fillColor = 0;
  Color bk2Color = 0;
  virtual ~SECListPaintContext() = default;
};

enum class ImageListKind { Normal = 0, Small = 1, State = 2, Header = 3 };

class SECListBaseC : public SECListClient {
 public:
  SECListBaseC();
  SECListBaseC(const SECListBaseC&) = delete;
  SECListBaseC& operator=(const SECListBaseC&) = delete;
  virtual ~SECListBaseC();

  // --- wiring ---
  void SetHost(ListHost* host) { m_host = host ? host : &m_nullHost; }
  ListHost& Host() const { return *m_host; }
  void SetMeasurer(TextMeasurer* m);
  void SetNotifyListener(NotifyListener* l) { m_notify = l; }
  void SetControlId(unsigned id) { m_controlId = id; }
  unsigned ControlId() const { return m_controlId; }
  // Takes the create-time style words (the LVS_ and list extended bits)
  // and sets the defaults of a new window: a non-report list gets one
  // hidden column of width 20.
  virtual void Create(unsigned style, unsigned exStyle);

  // --- styles ---
  unsigned GetListStyle() const { return m_style; }
  unsigned GetListStyleEx() const { return m_styleEx; }
  bool HasListStyle(unsigned bits) const { return (m_style & bits) == bits; }
  bool HasListStyleEx(unsigned bits) const { return (m_styleEx & bits) == bits; }
  virtual bool SetListStyle(unsigned style, bool redraw = true);
  virtual bool SetListStyleEx(unsigned exStyle, bool redraw = true);
  bool ModifyListStyle(unsigned remove, unsigned add, bool redraw = true);
  bool ModifyListStyleEx(unsigned remove, unsigned add, bool redraw = true);
  bool ModifyListStyles(unsigned remove, unsigned add, unsigned removeEx, unsigned addEx, bool redraw = true);
  // Both words at once; the extended word is set only when the first was.
  bool SetListStyles(unsigned style, unsigned exStyle, bool redraw = true);
  void GetListStyles(unsigned* style, unsigned* exStyle) const {
    if (style) *style = m_style;
    if (exStyle) *exStyle = m_styleEx;
  }
  // A create call's window style words split into the list's own: bits
  // 0xF3FF of the style and 0x1FF00000 of the extended style go to the
  // list style words (added, without redraw) and are taken out of
  // `*style` and `*exStyle`, which keep the window's bits.
  void SplitCreateStyles(unsigned* style, unsigned* exStyle);
  // The same split without a list: the list's words out, the window's
  // left in `*style` and `*exStyle`.
  static void SplitStyleBits(unsigned* style, unsigned* exStyle, unsigned* listStyle, unsigned* listExStyle);
  virtual void SetLabelWrap(bool on);
  virtual void EnableMultiSelect(bool on);
  virtual void EnableToolTips(bool on);
  virtual void SetHeaderStyle(bool show, bool clickable);
  int ViewKind() const { return int(m_style & LVS_TYPEMASK); }
  bool IsReport() const { return ViewKind() == int(LVS_REPORT); }
  bool IsHeaderVisible() const { return !(m_style & LVS_NOCOLUMNHEADER); }
  bool IsMultiSelect() const { return !(m_style & LVS_SINGLESEL); }
  bool ToolTipsEnabled() const { return (m_styleEx & LVXS_TOOLTIPS) != 0; }
  bool IsLabelWrap() const override { return !(m_style & LVS_NOLABELWRAP); }
  bool TipsActive() const { return ToolTipsEnabled() && !IsLabelWrap(); }

  // --- colours and fonts ---
  Color GetBkColor() const;
  Color GetTextColor() const override { return m_textColor; }
  Color GetTextBkColor() const override { return m_textBkColor; }
  Color GetSelTextColor() const override { return m_selTextColor; }
  Color GetSelTextBkColor() const override { return m_selTextBkColor; }
  Color GetGrayTextColor() const { return m_grayTextColor; }
  Color GetToolTipBkColor() const override { return m_tipBkColor; }
  Color GetToolTipTextColor() const override { return m_tipTextColor; }
  // The icon background behind an image (PickIconBkColor): the second
  // background, and the second selected background for a selected row of
  // a focused list.
  Color GetIconBkColor() const { return m_bk2Color; }
  Color GetSelIconBkColor() const { return m_selBk2Color; }
  bool SetBkColor(Color c) { m_bkColor = c; m_textBkColor = c; return true; }
  bool SetTextColor(Color c) { m_textColor = c; return true; }
  bool SetTextBkColor(Color c) { m_textBkColor = c; return true; }
  bool SetSelTextColor(Color c) { m_selTextColor = c; return true; }
  bool SetSelTextBkColor(Color c) { m_selTextBkColor = c; return true; }
  bool SetGrayTextColor(Color c) { m_grayTextColor = c; return true; }
  bool SetIconBkColor(Color c) { m_bk2Color = c; return true; }
  bool SetSelIconBkColor(Color c) { m_selBk2Color = c; return true; }
  bool SetToolTipBkColor(Color c) { m_tipBkColor = c; return true; }
  bool SetToolTipTextColor(Color c) { m_tipTextColor = c; return true; }
  void SetAutoSysColors(bool on) { m_autoSysColors = on; }
  bool GetAutoSysColors() const { return m_autoSysColors; }
  // Reloads the colours from the system-colour table when auto is on.
  void OnSysColorChange();
  void SetLabelFont(int font) { m_itemFont = font; }
  void SetHeaderFont(int font) { m_headerFont = font; }
  int GetLabelFont() const override { return m_itemFont; }
  int GetHeaderFont() const { return m_headerFont; }
  void SetImageList(ImageListKind kind, ImageListInfo info);
  ImageListInfo GetImageList(ImageListKind kind) const { return m_images[int(kind)]; }
  // Images of the current view: normal in icon view, small otherwise.
  ImageListInfo ViewImages() const;

  // --- items ---
  int GetItemCount() const { return int(m_items.size()); }
  SECListItem* GetItemRecord(int index) const;
  int FindItemRecord(const SECListItem* rec) const;
  // The row of a record that is in the list, found without a search: rows
  // are numbered lazily from the first row an insert or delete moved.
  int RowOfRecord(const SECListItem* rec) const;
  int InsertItem(const ListItemDesc& desc);
  int InsertItemText(int index, const std::string& text);
  int InsertItemImage(int index, const std::string& text, int image);
  int InsertItemFields(unsigned mask, int index, const std::string& text, unsigned state,
                       unsigned stateMask, int image, std::intptr_t param);
  int InsertItemAfter(const SECListItem* rec, ListItemDesc desc);
  int InsertItemAtPrevious(const SECListItem* rec, ListItemDesc desc);
  int InsertItemRecord(int index, std::unique_ptr<SECListItem> rec);
  bool DeleteItems(int index, int count);
  bool DeleteItem(int index) { return DeleteItems(index, 1); }
  bool DeleteItemRecord(const SECListItem* rec);
  virtual void DeleteAllItems();
  virtual bool SetItem(const ListItemDesc& desc, bool redraw = true);
  bool SetItemText(int index, int subItem, const std::string& text);
  bool SetItemState(int index, unsigned state, unsigned mask);
  bool SetItemData(int index, std::intptr_t value);
  // A description built from the fields and set with redraw.
  bool SetItemFields(int index, int subItem, unsigned mask, const std::string& text, int image, unsigned state,
                     unsigned stateMask, std::intptr_t param);
  // The second state word of a row (the tree keeps its extended state
  // there): LVIF_STATE sets the masked bits of `desc.state`, LVIF_TEXT
  // marks the row for measuring again. A change repaints the row.
  virtual bool SetItemStateEx(const ListItemDesc& desc);
  bool SetItemStateEx(int index, unsigned state, unsigned mask);
  // Fills desc.state with the masked bits of the second word; bits of the
  // second callback mask are asked of the owner (LVN_GETDISPINFO with
  // LVIF_STATE | LVIF_STATEEX).
  virtual bool GetItemStateEx(ListItemDesc& desc);
  unsigned GetItemStateEx(int index, unsigned mask);
  // Fills the requested fields; `ask` lets the owner supply callback fields.
  virtual bool GetItem(ListItemDesc& desc, bool ask = true);
  std::string GetItemText(int index, int subItem);
  unsigned GetItemState(int index, unsigned mask);
  std::intptr_t GetItemData(int index) const;
  virtual bool HasCallbacks(int index) const;
  bool GetItemRect(int index, Rect* r, int code);
  unsigned GetCallbackMask() const { return m_callbackMask; }
  void SetCallbackMask(unsigned m) { m_callbackMask = m; }
  unsigned GetCallbackMaskEx() const { return m_callbackMaskEx; }
  void SetCallbackMaskEx(unsigned m) { m_callbackMaskEx = m; }

  // --- columns ---
  int GetColumnCount() const { return int(m_columns.size()); }
  int GetSubItemCount() const { return m_subItemColumns; }
  SECListColumn* GetColumnRecord(int index) const;
  virtual int InsertColumn(int index, const std::string& text, int format = LVCFMT_LEFT, int width = -1,
                           int subItem = -1, int image = -1, bool redraw = true);
  int AddColumn(const std::string& text, int format = LVCFMT_LEFT, int width = -1);
  virtual int InsertColumnRecord(int index, SECListColumn col, bool redraw = true);
  // Columns described by mask: fields not named take format left, width
  // -1 (10 pixels), sub-item -1 (the column's place) and no image.
  int InsertColumnInfo(int index, const ListColumnDesc& desc, bool redraw = true);
  int AddColumnInfo(const ListColumnDesc& desc) { return InsertColumnInfo(GetColumnCount(), desc, true); }
  // Fills the fields named in desc->mask; false for a missing column.
  bool GetColumnInfo(int index, ListColumnDesc* desc) const;
  // Sets the fields named in desc.mask; with redraw the rows are measured
  // again, the label column refilled and the window repainted.
  bool SetColumnInfo(int index, const ListColumnDesc& desc, bool redraw = true);
  virtual bool DeleteColumn(int index);
  bool DeleteColumnByText(const std::string& text);
  void DeleteAllColumns();
  bool MoveColumn(int from, int to, bool redraw = true);
  int FindColumn(const std::string& text) const;
  // Column whose sub-item index is `subItem`, -1 when none.
  int FindColumnIndex(int subItem) const;
  int GetColumnSubItem(int column) const override;
  int GetColumnWidth(int index) const;
  bool SetColumnWidth(int index, int width);
  int GetColumnFormat(int index) const;
  bool SetColumnFormat(int index, int format);
  std::string GetColumnText(int index) const;
  int GetColumnLeft(int index) const;
  int GetColumnRight(int index) const { return GetColumnLeft(index) + GetColumnWidth(index); }

  // --- selection ---
  int GetSelectedCount() const { return int(m_selection.size()); }
  const std::vector<int>& Selection() const { return m_selection; }
  bool IsItemSelected(int index) const override;
  int GetFocusIndex() const { return m_focus; }
  int GetAnchor() const { return m_anchor; }
  int GetDropHiliteIndex() const { return m_dropHilite; }
  bool SetFocusItem(int index, bool select);
  bool SetCaretItem(int index);
  bool SelectItem(int index, bool select);
  void SelectRange(int first, int last, bool select);
  void DeselectAllExcept(int index);
  bool SetDropHilite(int index);
  int GetNextItem(int start, unsigned flags);

  // --- layout ---
  int GetHeaderHeight() const { return m_headerHeight; }
  Rect GetInsideRect() override;
  // code 0 whole cell, 1 image, 2 label.
  bool GetCellRect(int item, int column, Rect* r, int code) override;
  void MeasureItem(int index);
  void InvalidateAllMeasures();
  void ReMeasureAndUpdate();
  int RowHeight(int index);
  int GetItemsHeight(int first, int last, bool inclusive);
  int CountItemsInHeight(int height, int start, bool forward);
  int GetTopIndex() const { return m_top; }
  int GetCountPerPage();
  int GetCountAbove();
  int GetBottomIndex();
  int GetPageEndIndex();
  int GetLastPageTop();
  // The top row of the page above: from the top row upwards, the rows that
  // still fit in the inside height (the top row itself when none does).
  int GetPrevPageTop();
  // From row 0, how many rows it takes for their heights to reach `y`
  // (a y in the first row takes one); the item count when they never do.
  int GetRowsToOffset(int y);
  int GetRowsToPoint(Point pt) { return GetRowsToOffset(pt.y); }
  // The row whose span (stacked from row 0) holds `y`; -1 past the last.
  int GetRowAtOffset(int y);
  // Sets a row's height and takes it as measured; false for a bad index.
  bool SetItemHeight(int index, int height);
  // Measures one row afresh (its height may shrink) and returns it.
  int ReMeasureItem(int index);
  // Units the vertical scroll bar counts: rows, or lines of the icon
  // layout.
  int GetScrollRowCount();
  // The scrollable area: the total width and the height of every row.
  Size GetScrollExtent();
  int GetTotalWidth();
  int GetScrollOffset() const { return m_hOffset; }
  void FillLabelColumn();
  bool RefillLabelColumn();
  void UpdateScrollBars();
  const ScrollBarState& VertBar() const { return m_vbar; }
  const ScrollBarState& HorzBar() const { return m_hbar; }
  void ScrollLines(int delta, bool fromBottom = false);
  void ScrollHorz(int pixels);
  void SetTopIndex(int index);
  void EnsureVisible(int index);
  bool EnsureRangeVisible(int first, int last);
  void OnVScroll(ScrollCode code, int track = 0);
  void OnHScroll(ScrollCode code, int track = 0);
  void OnMouseWheel(int delta);
  void OnSize();
  void InvalidateItem(int index, bool labelOnly = false, bool now = false);
  // `toBottom` extends the area to the inside bottom (rows below changed
  // too). `erase` asked for the background as well; every repaint of this
  // list paints its background, so it changes nothing here.
  void InvalidateItem(int index, bool labelOnly, bool erase, bool toBottom, bool now);
  void InvalidateItemRange(int a, int b);
  // Rectangle of a row (full scrollable width), false above the top row;
  // in the icon layout the item's cell.
  bool GetRowRect(int index, Rect* r);

  // --- icon layout (every view but report) ---
  // Cells as wide as column 0 laid left to right from minus the horizontal
  // offset, wrapping to a new line when a cell would pass the inside right
  // edge; a line is as high as its highest item. The top index is always
  // the first item of a line, and the vertical scroll bar counts lines.
  // Painting, hit tests, keys and scrolling all use this one geometry.
  bool IsIconLayout() const { return !IsReport(); }
  int IconCellWidth() const;
  int IconsPerLine();
  int IconLineCount();
  int IconLineHeight(int line);
  // The item's cell; false outside the item range or above the top line.
  bool GetIconCellRect(int index, Rect* r);

  // --- hit testing and painting decisions ---
  int HitTest(int x, int y, unsigned* flags, int* column);
  virtual bool InitPaintContext(SECListPaintContext& ctx, int index, int column);
  virtual std::unique_ptr<SECListPaintContext> CreatePaintContext();
  virtual void PickBkColor(SECListPaintContext& ctx);
  virtual void PickIconBkColor(SECListPaintContext& ctx);
  virtual void PickItemColors(SECListPaintContext& ctx);
  virtual void PickItemFont(SECListPaintContext& ctx);
  // The shared colours.
  static Color InactiveSelTextColor() { return GetSysColor(SysColor::MenuText); }
  static Color InactiveSelBkColor() { return GetSysColor(SysColor::Menu); }
  static Color HeaderFaceColor() { return GetSysColor(SysColor::BtnFace); }

  // --- mouse and keyboard (key flags MK_*) ---
  void OnLButtonDown(int x, int y, unsigned keyFlags);
  void OnLButtonUp(int x, int y, unsigned keyFlags);
  void OnLButtonDblClk(int x, int y, unsigned keyFlags);
  void OnRButtonDown(int x, int y, unsigned keyFlags);
  void OnRButtonUp(int x, int y, unsigned keyFlags);
  void OnMouseMove(int x, int y, unsigned keyFlags);
  void OnMouseLeave();
  // True when the key was handled (else the widget does its default).
  bool OnKeyDown(unsigned key, bool shift, bool ctrl, int repeat = 1);
  void OnSysKeyDown(unsigned key) { NotifyKeyDown(key); }
  bool OnChar(char ch);
  // One typed character as the bytes of its text (several for a letter
  // beyond ASCII); the type-ahead search compares them with the labels
  // through the host's case folding.
  bool OnTypeAhead(std::string_view character);
  void OnTimer(int id);
  void OnSetFocus();
  void OnKillFocus(bool toEditor);
  void OnEnable(bool enabled);
  void OnCancelMode() { Host().TipHide(); }
  bool DividerCursorWanted() const { return m_dividerCursor; }
  bool ClickSelects(Point pt, int item, unsigned flags, bool* buttonDownPending, bool* select);
  virtual bool SelectOnClick(int item, unsigned hitFlags, unsigned keyFlags, bool byMouse);
  int GetTypeAheadFlags() const { return m_typeAheadFlags; }
  const std::string& GetTypeAheadText() const { return m_typeAheadText; }
  bool ItemDragPending() const { return m_itemDragPending; }
  // Auto-scroll while an item drag runs (for derived controls that drag).
  void SetScrollTimer(int periodMs) { Host().StartTimer(kTimerAutoScroll, periodMs); }
  void KillScrollTimer() { Host().KillTimer(kTimerAutoScroll); }
  void ClearItemDragPending() { m_itemDragPending = false; }

  // --- the rest of SECListClient ---
  const void* GetListWnd() const override { return this; }
  int GetScrollOrigin() const override { return m_hOffset; }
  std::string GetCellText(int item, int subItem) override { return GetItemText(item, subItem); }
  Rect ClientToScreen(Rect r) override { return Host().ClientToScreen(r); }
  bool CaptureMouse(bool take) override { return Host().CaptureMouse(take); }
  unsigned GetRowState(int item, unsigned mask) override { return GetItemState(item, mask); }

  // --- label editing ---
  bool EditLabel(int item, int column);
  bool EndLabelEdit(bool commit) override;
  // The editor's text changed: written into the cell at once.
  void OnEditorUpdate(const std::string& text);
  bool CancelEditTimer();
  int GetEditItem() const { return m_editItem; }
  int GetEditColumn() const { return m_editColumn; }

  // --- header ---
  int GetPressedColumn() const { return m_pressedColumn; }
  int GetHotColumn() const { return m_hotColumn; }
  bool HeaderDragActive() const { return m_headerDrag; }
  int GetHeaderDropPos() const { return m_headerDropPos; }
  // Column resize as a mouse-grab state machine.
  bool ResizeActive() const { return m_resize.active; }
  int ResizeTrackX() const { return m_resize.curX; }
  void CancelColumnResize();
  // The mouse capture went elsewhere (another window, a popup): a running
  // column resize ends with the width at the last tracked position.
  void OnCaptureLost();
  // Applies a width change made by dragging a divider.
  void ApplyColumnResize(int column, int delta);
  // Drop position for a pointer at x while dragging a header button.
  int HeaderDropPosAt(int x);

  // --- notifications (virtual so the tree can translate them) ---
  NotifyResult NotifyCode(int code);
  virtual NotifyResult NotifyInsertItem(int item);
  virtual NotifyResult NotifyDeleteItem(int item);
  virtual NotifyResult NotifyBeginLabelEdit(int item, int subItem);
  virtual NotifyResult NotifyEndLabelEdit(int item, int subItem, std::string* text, bool commit);
  virtual NotifyResult NotifyColumnClick(int column);
  virtual NotifyResult NotifyGetDispInfo(ListItemDesc& desc);
  virtual NotifyResult NotifyKeyDown(unsigned key);
  NotifyResult Send(NotifyHeader& hdr);

 protected:
  // Hooks.
  virtual bool OnSelChanging(int /*item*/, int /*oldFocus*/, bool /*byMouse*/) { return false; }
  virtual void OnSelChanged(int /*item*/, int /*oldFocus*/, bool /*byMouse*/) {}
  virtual void OnSelectDone(int /*item*/, bool /*byMouse*/) {}
  virtual void OnBeginDrag(int /*focus*/, Point /*pt*/) {}
  virtual void OnBeginRightDrag(int /*focus*/, Point /*pt*/) {}
  virtual void OnLabelEdited(int /*item*/, int /*subItem*/) {}
  virtual void OnItemChanged(const ListItemDesc& /*desc*/) {}
  virtual void OnColumnMoved(int /*from*/, int /*to*/) {}
  virtual int GetRowSpacing() const { return 0; }
  virtual std::unique_ptr<SECListItem> NewItem() { return std::make_unique<SECListItem>(); }
  // Rows [index, index + count) are about to go (DeleteItems, DeleteAllItems).
  virtual void OnRowsRemoving(int /*index*/, int /*count*/) {}
  virtual void CalcItemHeight(SECListPaintContext& ctx, int* height);
  virtual void CalcImageRect(SECListPaintContext& ctx, Rect* r);
  virtual void CalcLabelRect(SECListPaintContext& ctx, int availWidth);
  // Keyboard handlers (focus, sub-item of last hit column, shift, ctrl).
  virtual void OnKeySpace(int focus, bool shift, bool ctrl);
  virtual void OnKeyArrowUp(int focus, bool shift, bool ctrl);
  virtual void OnKeyArrowDown(int focus, bool shift, bool ctrl);
  virtual void OnKeyEditLabel(int focus);
  virtual void OnKeyReturn() { NotifyCode(NM_RETURN); }
  virtual void OnKeyHome(int focus, bool shift, bool ctrl);
  virtual void OnKeyEnd(int focus, bool shift, bool ctrl);
  virtual void OnKeyCollapse(int /*focus*/) {}
  virtual void OnKeyBack(int /*focus*/) {}
  virtual void OnKeyExpand(int /*focus*/) {}
  virtual void OnKeyExpandAll(int /*focus*/) {}
  virtual void OnKeyPageUp(int focus, bool shift, bool ctrl);
  virtual void OnKeyPageDown(int focus, bool shift, bool ctrl);
  void KeySelect(int index, bool shift, bool ctrl);
  // Label of column 0 as the type-ahead compares it.
  virtual std::string TypeAheadLabel(int index) { return GetItemText(index, 0); }
  TextMeasurer& Measurer() { return *m_measurer; }
  // Measurer().Measure, answered from the cache for a text measured before.
  Size MeasureText(std::string_view text, FontChoice font, int maxWidth, bool singleLine);
  void AddSubItems(SECListItem& rec);
  void ChangeSelected(int index, bool select);

  int m_top = 0;

 private:
  void EndAnyEdit() { EndLabelEdit(true); }
  // Scroll units: rows in report view, lines of cells in the icon layout.
  int UnitCount();
  int UnitHeight(int unit);
  int UnitOf(int index);
  int TopUnit() { return UnitOf(m_top); }
  int ItemsPerUnit() { return IsIconLayout() ? IconsPerLine() : 1; }
  // Units from `from` upwards whose heights still fit in `room` beside
  // the `*used` pixels already taken; adds their heights to `*used`.
  int CountFittingAbove(int from, int room, int* used);
  int IconHitTest(int x, int y, unsigned* flags);
  bool IconKeyDown(unsigned key, bool shift, bool ctrl);
  void EnsureIconVisible(int index);
  void StartHeaderDrag();
  void EndHeaderDrag();
  int SelPos(int index) const;

  ListHost m_nullHost;
  ListHost* m_host = &m_nullHost;
  FixedTextMeasurer m_defaultMeasurer;
  TextMeasurer* m_measurer = &m_defaultMeasurer;
  MeasureCache m_measured;  // cleared with every InvalidateAllMeasures
  ListenerRef<NotifyListener> m_notify;
  unsigned m_controlId = 0;

  int m_typeAheadPeriod = 250;
  int m_wheelDelta = 0;
  int m_headerHeight = 20;
  int m_pendingEdit = -1;
  int m_lastHitColumn = 0;
  int m_editItem = -1;
  int m_editColumn = 0;
  int m_subItemColumns = 0;
  int m_focus = -1;
  int m_dropHilite = -1;
  int m_anchor = -1;
  int m_hotColumn = -1;
  NotifyResult m_lastNotifyResult = 0;
  unsigned m_callbackMask = 0;
  unsigned m_callbackMaskEx = 0;
  int m_typeAheadFlags = 0;
  unsigned m_style = 0;
  unsigned m_styleEx = 0;
  ScrollBarState m_vbar;
  ScrollBarState m_hbar;
  int m_lastInsideWidth = -1;

  Color m_textColor = 0, m_textBkColor = 0, m_selTextColor = 0, m_selTextBkColor = 0,
        m_grayTextColor = 0, m_bk2Color = 0, m_selBk2Color = 0, m_tipBkColor = 0,
        m_tipTextColor = 0, m_bkColor = 0;

  bool m_dividerCursor = false;
  bool m_selChangingVeto = false;
  bool m_endEditGuard = false;
  bool m_itemDragPending = false;
  bool m_headerDrag = false;
  bool m_buttonDownPending = false;
  int m_pressedColumn = -1;
  int m_headerDropPos = -1;
  Point m_pressPoint;

  struct ResizeState {
    bool active = false;
    int column = -1;
    int startX = 0;
    int curX = 0;
  } m_resize;

  bool m_autoSysColors = false;
  int m_itemFont = 0;
  int m_headerFont = 0;
  ImageListInfo m_images[4];
  int m_hOffset = 0;
  std::string m_savedEditText;
  std::string m_typeAheadText;
  int m_typeAheadChars = 0;  // characters (not bytes) in the search text
  std::vector<std::unique_ptr<SECListColumn>> m_columns;
  std::vector<std::unique_ptr<SECListItem>> m_items;
  std::vector<int> m_selection;  // ascending, no duplicates
  // Every record in rows [0, m_rowsNumbered) has rowIndex equal to its row.
  mutable int m_rowsNumbered = 0;
};

// The concrete list control model.
class SECListCtrlModel : public SECListBaseC {};

}  // namespace pm2
