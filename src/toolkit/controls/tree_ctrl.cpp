#include "toolkit/controls/tree_ctrl.h"

#include "toolkit/controls/dialog_item.h"
#include "toolkit/core/theme.h"


namespace pm2 {

// The tree's window half: its label column has indent, lines and buttons.
class TreeViewImpl : public ListViewImpl {
 public:
  TreeViewImpl(QWidget* w, SECTreeBaseC* tree) : ListViewImpl(w, tree), m_tree(tree) {}

  void LeftButtonDown(int x, int y, unsigned kf) override {
    if (Tip()->isVisible()) Tip()->Hide();
    m_tree->TreeLButtonDown(x, y, kf);
  }
  void LeftDoubleClick(int x, int y, unsigned kf) override { m_tree->TreeLButtonDblClk(x, y, kf); }
  bool Char(char ch) override { return m_tree->TreeChar(ch); }
  // Overlay n (1 to 15) draws normal image `image`; -1 draws none.
  bool SetOverlayImage(int image, int overlay) {
    if (overlay < 1 || overlay > 15 || image < -1) return false;
    m_overlays[overlay] = image;
    return true;
  }
  void EngineTimer(int id) override { m_tree->TreeTimer(id); }

  void PaintLabelCell(QPainter& p, SECListPaintContext& ctx, const QRect& cell) override {
    SECListItem* rec = ctx.record;
    TreeNode* node = reinterpret_cast<TreeNode*>(rec->param);
    const int row = ctx.item.item;
    const unsigned style = m_tree->GetTreeStyle();
    const int indent = m_tree->GetIndent();
    const TreeRowLayout layout = m_tree->RowLayout(row);
    const int mid = cell.top() + cell.height() / 2;
    if (style & TVS_HASLINES) PaintLines(p, node, rec, row, cell, layout, indent, mid);
    if (!layout.button.IsEmpty()) PaintButton(p, ToQRect(layout.button).translated(cell.topLeft()), node->IsExpanded());
    const ImageStrip& states = Images(ImageListKind::State);
    if (!rec->stateRect.IsEmpty() && !states.images.empty()) {
      // An index at or past the image count counts as 0: no state image.
      const unsigned idx = (node->item.state >> 12) & 0xF;
      if (idx > 0 && idx < states.images.size()) p.drawPixmap(ToQRect(rec->stateRect).translated(cell.topLeft()).topLeft(), states.images[idx]);
    }
    const ImageStrip& normal = Images(ImageListKind::Normal);
    if (!rec->imageRect.IsEmpty() && !normal.images.empty()) {
      int idx = ctx.item.image;
      if (idx < 0 || idx >= int(normal.images.size())) idx = 0;
      const bool selected = (ctx.item.state & LVIS_SELECTED) && HasFocus();
      const bool blend = (m_tree->GetListStyleEx() & LVXS_BLEND) && (selected || row == m_tree->GetDropHiliteIndex());
      const QPoint at = ToQRect(rec->imageRect).translated(cell.topLeft()).topLeft();
      p.drawPixmap(at, blend ? Blended(normal.images[idx]) : normal.images[idx]);
      // The overlay (state bits 8 to 11) goes over the image, tinted with it.
      const int overlay = m_overlays[(node->item.state >> 8) & 0xF];
      if (overlay >= 0 && overlay < int(normal.images.size())) {
        p.drawPixmap(at, blend ? Blended(normal.images[overlay]) : normal.images[overlay]);
      }
    }
    // The label gives way to the editor only when the label itself is edited.
    if (row == m_tree->GetEditItem() && m_tree->GetEditColumn() == 0) return;
    QRect label = ToQRect(rec->labelRect).translated(cell.topLeft());
    label.setRight(std::min(label.right(), cell.right()));
    QRect text = label.adjusted(2, 0, -1, 0);
    // A whole-row selection runs on from the label to the cell's end, as
    // in the other cells of the row.
    if (m_tree->GetListStyleEx() & LVXS_FULLROWSELECT) label.setRight(cell.right());
    PaintLabel(p, ctx, label, text, ToQString(ctx.item.text));
    if (row == m_tree->GetFocusIndex() && HasFocus() &&
        !((m_tree->GetListStyleEx() & LVXS_FULLROWSELECT) && m_tree->GetColumnCount() > 1)) {
      PaintFocusRect(p, label);
    }
  }

 private:
  // Dotted lines: every second pixel, starting on an even coordinate;
  // solid on a printer.
  void DottedH(QPainter& p, int x1, int x2, int y) {
    if (Printing()) {
      if (x1 <= x2) p.drawLine(x1, y, x2, y);
      return;
    }
    for (int x = x1 + ((x1 + m_tree->GetScrollOffset()) & 1); x <= x2; x += 2) p.drawPoint(x, y);
  }
  void DottedV(QPainter& p, int x, int y1, int y2) {
    if (Printing()) {
      if (y1 <= y2) p.drawLine(x, y1, x, y2);
      return;
    }
    // Rows start at the top of the inside rectangle and have even heights,
    // so counting from there keeps the dots steady while rows scroll.
    const int origin = m_tree->GetInsideRect().top;
    for (int y = y1 + ((y1 - origin) & 1); y <= y2; y += 2) p.drawPoint(x, y);
  }
  bool HasVisibleNext(TreeNode* n) {
    for (TreeNode* s = n->Next(); s; s = s->Next()) {
      if (!(s->extState & 0x200)) return true;
    }
    return false;
  }

  void PaintLines(QPainter& p, TreeNode* node, const SECListItem* rec, int row, const QRect& cell,
                  const TreeRowLayout& l, int indent, int mid) {
    p.save();
    p.setPen(SysQColor(SysColor::BtnShadow));
    const bool rootLines = m_tree->GetTreeStyle() & TVS_LINESATROOT;
    const int top = cell.top();
    const int bottom = cell.bottom();
    if (l.xOrigin > 0) {
      const int cx = cell.left() + l.xOrigin - indent / 2;
      DottedH(p, cx, cell.left() + l.xOrigin - 1, mid);
      if (row > 0) DottedV(p, cx, top, mid);
      if (HasVisibleNext(node)) DottedV(p, cx, mid, bottom);
      // Ancestors that have a next sibling continue their line through.
      int ax = cx - indent;
      for (TreeNode* a = node->Parent(); a && a->Parent() && ax > cell.left(); a = a->Parent(), ax -= indent) {
        const bool topLevel = a->Parent() && !a->Parent()->Parent();
        if ((!topLevel || rootLines) && HasVisibleNext(a)) DottedV(p, ax, top, bottom);
      }
    }
    if (node->IsExpanded() && SECTreeBaseC::HasVisibleChild(node)) {
      const int cx = cell.left() + l.xOrigin + indent / 2;
      // From below the item's image (or the middle of the row) downwards.
      const int from = rec->imageRect.IsEmpty() ? mid : cell.top() + rec->imageRect.bottom;
      DottedV(p, cx, from, bottom);
    }
    p.restore();
  }

  // The image half covered by the highlight colour where it is opaque,
  // as a selected icon is shown.
  static QPixmap Blended(const QPixmap& image) {
    QPixmap out = image;
    QPainter p(&out);
    p.setCompositionMode(QPainter::CompositionMode_SourceAtop);
    QColor c = SysQColor(SysColor::Highlight);
    c.setAlpha(128);
    p.fillRect(out.rect(), c);
    return out;
  }

  void PaintButton(QPainter& p, const QRect& b, bool expanded) {
    if (PaintThemedButton(p, b, expanded)) return;
    p.save();
    p.setPen(SysQColor(SysColor::BtnShadow));
    p.setBrush(m_tree->Host().IsEnabled() ? QColor(Qt::white) : ToQColor(m_tree->GetBkColor()));
    p.drawRect(b.adjusted(0, 0, -1, -1));
    const int cx = b.left() + b.width() / 2;
    const int cy = b.top() + b.height() / 2;
    const int arm = b.width() / 3;
    p.setPen(SysQColor(SysColor::WindowText));
    p.drawLine(cx - arm, cy, cx + arm, cy);
    if (!expanded) p.drawLine(cx, cy - arm, cx, cy + arm);
    p.restore();
  }

  // The visual style's glyph, when the desktop has one on.
  bool PaintThemedButton(QPainter& p, const QRect& b, bool expanded) {
    if (Printing() || !SECThemeUseThemedPath()) return false;
    const HTHEME theme = SECThemeOpenThemeData(m_widget->window(), L"TREEVIEW");
    if (!theme) return false;
    constexpr int kGlyph = 2, kClosed = 1, kOpened = 2;
    const HRESULT hr = SECThemeDrawThemeBackground(theme, &p, kGlyph, expanded ? kOpened : kClosed, FromQRect(b), nullptr);
    SECThemeCloseThemeData(theme);
    return hr >= 0;
  }

  SECTreeBaseC* m_tree;
  int m_overlays[16] = {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1};  // [0] stays -1
};

SECTreeCtrl::SECTreeCtrl(QWidget* parent, unsigned style, unsigned exStyle) : ListWindow(parent) {
  setObjectName("SECTreeCtrl");
  m_view = std::make_unique<TreeViewImpl>(this, this);
  Create(style, exStyle);
}

SECTreeCtrl::~SECTreeCtrl() {
  // The items go without a word: the listener is most often the parent
  // whose own destruction is taking this control along, and is no longer
  // whole (a notification reached a destroyed view's pure virtual handler).
  SetNotifyListener(nullptr);
  DeleteItem(nullptr);
  m_view.reset();
}

QPixmap SECTreeCtrl::CreateDragImage(HTREEITEM item) {
  const int row = item && item != TVI_ROOT() ? GetRowOfItem(item) : -1;
  if (row < 0) return {};
  SECListItem* rec = GetItemRecord(row);
  MeasureItem(row);
  auto ctx = CreatePaintContext();
  if (!InitPaintContext(*ctx, row, 0)) return {};
  // The label as a bitmap of its own, the icon as another, then the two
  // merged with the label 6 pixels right of the icon.
  const QString text = ToQString(DisplayLabel(ctx->item.text));
  const QFont font = m_view->Measurer().FontFor(ctx->font);
  const QFontMetrics fm(font);
  QPixmap label(std::max(1, fm.horizontalAdvance(text) + 4), std::max(rec->labelRect.Height(), fm.height()));
  label.fill(Qt::transparent);
  {
    QPainter p(&label);
    p.setFont(font);
    p.setPen(SysQColor(SysColor::WindowText));
    p.drawText(label.rect(), Qt::AlignCenter | Qt::TextSingleLine, text);
  }
  QPixmap icon;
  const ImageStrip& normal = m_view->Images(ImageListKind::Normal);
  if (!rec->imageRect.IsEmpty() && !normal.images.empty()) {
    const int idx = ctx->item.image < 0 || ctx->item.image >= int(normal.images.size()) ? 0 : ctx->item.image;
    icon = normal.images[idx];
  }
  if (icon.isNull()) return label;
  QPixmap merged(icon.width() + 6 + label.width(), std::max(icon.height(), label.height()));
  merged.fill(Qt::transparent);
  QPainter p(&merged);
  p.drawPixmap(0, (merged.height() - icon.height()) / 2, icon);
  p.drawPixmap(icon.width() + 6, (merged.height() - label.height()) / 2, label);
  return merged;
}

bool SECTreeCtrl::SetOverlayImage(int image, int overlay) {
  const bool ok = static_cast<TreeViewImpl*>(m_view.get())->SetOverlayImage(image, overlay);
  if (ok) update();
  return ok;
}

void SECTreeCtrl::SetImages(ImageListKind kind, ImageStrip strip) {
  m_view->SetImages(kind, std::move(strip));
  SetTreeImageList(kind, GetImageList(kind));
}

void SECTreeCtrl::ImagesChanged(ImageListKind kind) { SetTreeImageList(kind, GetImageList(kind)); }

SECTreeCtrl* SECTreeCtrl::CreateFromDialogItem(QWidget* placeholder) {
  DialogItem item;
  if (!TakeDialogItem(placeholder, &item)) return nullptr;
  constexpr unsigned kTreeBits = 0x43F, kTreeExBits = 0x3F00000, kNoToolTips = 0x80, kToolTips = 0x00800000;
  unsigned style = item.style, ex = item.exStyle;
  if (!(style & kNoToolTips)) ex |= kToolTips;
  const unsigned treeStyle = style & kTreeBits, treeEx = ex & kTreeExBits;
  style &= ~(kTreeBits | kNoToolTips);
  ex &= ~kTreeExBits;
  unsigned listStyle = 0, listEx = 0;
  SECListBaseC::SplitStyleBits(&style, &ex, &listStyle, &listEx);
  auto* tree = new SECTreeCtrl(item.parent, treeStyle | listStyle, treeEx | listEx);
  tree->SetControlId(item.id);
  PutInPlace(tree, item);
  return tree;
}

}  // namespace pm2
