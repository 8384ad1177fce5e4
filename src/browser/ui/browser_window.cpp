#include "browser/ui/browser_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QResizeEvent>
#include <QSplitter>
#include <QTimer>

#include "browser/browse_navigation.h"
#include "browser/ui/browser_images.h"
#include "toolkit/controls/list_ctrl.h"
#include "toolkit/controls/tree_ctrl.h"

namespace pm2 {
namespace {

constexpr unsigned kListId = 166;
constexpr unsigned kTreeId = 165;
constexpr int kMaskLimit = 45;
constexpr int kDefaultListHeight = 300;
constexpr int kDefaultResultsHeight = 200;

struct KindBoxRow {
  const char* caption;
  uint32_t bit;
};
constexpr KindBoxRow kKindBoxes[] = {
    {"&Macros", kKindMacros}, {"&Functions", kKindFunctions}, {"&Data", kKindData},
    {"&Types", kKindTypes},   {"&Parameters", kKindParameters}, {"sfr/s&bit", kKindSfr},
};

QString Q(const std::string& s) { return ToQString(s); }

HTREEITEM InsertRow(SECTreeCtrl* tree, const std::string& text, HTREEITEM parent, int image, std::intptr_t data) {
  TreeInsert ins;
  ins.parent = parent;
  ins.insertAfter = TVI_LAST();
  ins.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM;
  ins.item.text = text;
  ins.item.image = ins.item.selectedImage = image;
  ins.item.param = data;
  return tree->InsertItem(ins);
}

}  // namespace

BrowserWindow::BrowserWindow(BrowseSession& session, BrowserHost& host, BrowseFilterMemory& filters,
                             BrowserLayoutMemory& layout, int toolset, QWidget* parent)
    : QWidget(parent), m_session(session), m_host(host), m_filterMemory(filters), m_layout(layout), m_toolset(toolset) {
  m_filterMemory.Load(m_toolset, &m_filter.kinds, &m_filter.spaces);
  m_runMenu = [](QMenu& menu, const QPoint& at) { menu.exec(at); };
  Build();
}

BrowserWindow::~BrowserWindow() {
  m_filterMemory.Store(m_toolset, m_filter.kinds, m_filter.spaces);
  // The boxes still speak while their children go (a losing focus
  // activates the name box): nothing of theirs reaches this half-gone
  // window.
  for (QObject* child : findChildren<QObject*>()) QObject::disconnect(child, nullptr, this, nullptr);
  for (QObject* child : findChildren<QObject*>()) child->removeEventFilter(this);
  // The tree's rows point into the graph: they go first.
  if (m_tree) m_tree->SetNotifyListener(nullptr);
  if (m_list) m_list->SetNotifyListener(nullptr);
}

void BrowserWindow::Build() {
  setObjectName("SourceBrowser");
  m_bar = new QWidget(this);
  m_maskLabel = new QLabel("&Symbol:", m_bar);
  m_mask = new QComboBox(m_bar);
  m_mask->setObjectName("NameMask");
  m_mask->setEditable(true);
  m_mask->setInsertPolicy(QComboBox::NoInsert);
  m_mask->lineEdit()->setMaxLength(kMaskLimit);
  m_mask->addItem("*");
  m_mask->setCurrentIndex(0);
  m_mask->installEventFilter(this);
  m_mask->lineEdit()->installEventFilter(this);
  m_maskLabel->setBuddy(m_mask);
  connect(m_mask, &QComboBox::activated, this, [this](int index) {
    m_filter.mask = FromQString(m_mask->itemText(index));
    Fill(Hint::kAll);
  });
  m_filesLabel = new QLabel("File &Outline:", m_bar);
  m_files = new QComboBox(m_bar);
  m_files->setObjectName("FileFilter");
  m_filesLabel->setBuddy(m_files);
  connect(m_files, &QComboBox::activated, this, [this](int index) {
    m_filter.file = static_cast<uint32_t>(index < 0 ? 0 : index);
    Fill(Hint::kAll);
  });
  for (size_t i = 0; i < m_kindBoxes.size(); ++i) {
    auto* box = new QCheckBox(kKindBoxes[i].caption, m_bar);
    box->setChecked((m_filter.kinds & kKindBoxes[i].bit) != 0);
    connect(box, &QCheckBox::toggled, this, [this, i](bool on) { KindToggled(static_cast<int>(i), on); });
    m_kindBoxes[i] = box;
  }
  m_spacesLabel = new QLabel("Memory Spaces:", m_bar);
  const BrowseSpaceFlags flags = SpaceFlags(m_filter.spaces);
  for (int i = 0; i < kSpaceButtons; ++i) {
    auto* b = new QPushButton(m_bar);
    b->setCheckable(true);
    b->setEnabled(false);
    b->setChecked(flags[static_cast<size_t>(i + 1)]);
    b->setFocusPolicy(Qt::NoFocus);
    connect(b, &QPushButton::clicked, this, [this, i] { SpaceToggled(i); });
    m_spaceButtons[static_cast<size_t>(i)] = b;
  }

  m_splitter = new QSplitter(Qt::Vertical, this);
  m_splitter->setChildrenCollapsible(false);
  m_list = new SECListCtrl(m_splitter, LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS, LVXS_FULLROWSELECT);
  m_list->setObjectName("SymbolList");
  m_list->SetControlId(kListId);
  m_list->SetNotifyListener(this);
  m_list->SetImages(ImageListKind::Header, BrowserSortImages());
  m_list->installEventFilter(this);
  const QFontMetrics fm(m_list->font());
  for (int c = 0; c < kBrowseColumns; ++c) {
    int w = m_layout.widths[static_cast<size_t>(c)];
    if (w <= 0)
      w = fm.horizontalAdvance(c == kColName ? "abcdefghijklmnopqrstuvwxyz0123456789______" : "data (sfrbit)para");
    m_list->InsertColumn(c, BrowseColumnTitle(c), LVCFMT_LEFT, w);
  }
  m_results = new QWidget(m_splitter);
  m_resultsTitle = new QLabel(m_results);
  m_resultsTitle->setObjectName("ResultsTitle");
  m_resultsTitle->setFrameStyle(QFrame::Panel | QFrame::Raised);
  m_resultsTitle->setIndent(4);
  m_tree = new SECTreeCtrl(m_results, TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_SHOWSELALWAYS);
  m_tree->setObjectName("ResultsTree");
  m_tree->SetControlId(kTreeId);
  m_tree->SetNotifyListener(this);
  m_tree->SetImages(ImageListKind::Normal, BrowserResultImages());
  m_tree->installEventFilter(this);
  m_results->installEventFilter(this);
  m_splitter->addWidget(m_list);
  m_splitter->addWidget(m_results);
  ClearResults();
  resize(720, 560);
}

// The one geometry of the window: the filter bar's rows at the top (mask
// and file boxes, the kind boxes, the memory-space buttons wrapping as
// wide as the window), the splitter below; in the results pane the title
// as high as it asks and the tree one pixel below it.
void BrowserWindow::Layout() {
  const int w = width();
  const int gap = 6;
  const int rowH = m_mask->sizeHint().height();
  int y = 4;
  int x = gap;
  const int maskLabelW = m_maskLabel->sizeHint().width();
  m_maskLabel->setGeometry(x, y, maskLabelW, rowH);
  x += maskLabelW + 4;
  m_mask->setGeometry(x, y, 200, rowH);
  x += 200 + 2 * gap;
  const int filesLabelW = m_filesLabel->sizeHint().width();
  m_filesLabel->setGeometry(x, y, filesLabelW, rowH);
  x += filesLabelW + 4;
  m_files->setGeometry(x, y, std::max(120, w - x - gap), rowH);
  y += rowH + 4;
  x = gap;
  for (QCheckBox* box : m_kindBoxes) {
    const int bw = box->sizeHint().width();
    box->setGeometry(x, y, bw, box->sizeHint().height());
    x += bw + 2 * gap;
  }
  y += m_kindBoxes[0]->sizeHint().height() + 4;
  const int labelW = m_spacesLabel->sizeHint().width();
  const int buttonH = m_spaceButtons[0]->sizeHint().height();
  x = gap;
  bool any = false;
  for (QPushButton* b : m_spaceButtons) any = any || !b->isHidden();
  m_spacesLabel->setVisible(any);
  if (any) {
    m_spacesLabel->setGeometry(x, y, labelW, buttonH);
    x += labelW + gap;
    for (QPushButton* b : m_spaceButtons) {
      if (b->isHidden()) continue;
      const int bw = std::max(48, b->sizeHint().width());
      if (x + bw > w - gap && x > labelW + 2 * gap) {
        x = labelW + 2 * gap;
        y += buttonH + 2;
      }
      b->setGeometry(x, y, bw, buttonH);
      x += bw + 2;
    }
    y += buttonH + 4;
  }
  m_bar->setGeometry(0, 0, w, y);
  m_splitter->setGeometry(0, y, w, std::max(0, height() - y));
  if (!m_splitPlaced && isVisible() && m_splitter->height() > 0) {
    // The list pane gets its saved height once the splitter has a size
    // to share; the results pane the rest.
    const int list = m_layout.listHeight > 0 ? m_layout.listHeight : kDefaultListHeight;
    const int rest = m_splitter->height() - m_splitter->handleWidth() - list;
    m_splitter->setSizes({list, std::max(kDefaultResultsHeight / 4, rest)});
    m_splitPlaced = true;
  }
  const int th = m_resultsTitle->sizeHint().height();
  m_resultsTitle->setGeometry(0, 0, m_results->width(), th);
  m_tree->setGeometry(0, th + 1, m_results->width(), std::max(0, m_results->height() - th - 1));
}

void BrowserWindow::resizeEvent(QResizeEvent*) { Layout(); }

void BrowserWindow::showEvent(QShowEvent*) { Layout(); }

bool BrowserWindow::eventFilter(QObject* watched, QEvent* event) {
  // The frame around the window closes: its layout is kept; the frame
  // itself stays while the main window switches its layouts.
  if (event->type() == QEvent::Close && watched != this && watched->isWidgetType() &&
      static_cast<QWidget*>(watched)->isAncestorOf(this)) {
    SaveLayout();
    const QRect r = static_cast<QWidget*>(watched)->geometry();
    m_layout.placement = {r.x(), r.y(), r.width(), r.height()};
    if (m_host.FrameMayClose()) return false;
    event->ignore();
    return true;
  }
  if (watched == m_results && event->type() == QEvent::Resize) {
    Layout();
    return false;
  }
  if ((watched == m_mask || watched == m_mask->lineEdit()) && event->type() == QEvent::KeyPress) {
    auto* k = static_cast<QKeyEvent*>(event);
    if (k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter) {
      MaskEntered();
      return true;
    }
  }
  if (event->type() == QEvent::ContextMenu) {
    auto* c = static_cast<QContextMenuEvent*>(event);
    if (watched == m_list) {
      ListContextMenu(c->globalPos());
      return true;
    }
    if (watched == m_tree) {
      // The row under the mouse is selected first.
      unsigned flags = 0;
      if (HTREEITEM item = m_tree->HitTest(c->pos().x(), c->pos().y(), &flags)) m_tree->SelectItem(item);
      TreeContextMenu(c->globalPos());
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

// ---- the filter bar

void BrowserWindow::MaskEntered() {
  const std::string typed = FromQString(m_mask->currentText()).substr(0, 255);
  const std::string mask = m_history.Enter(typed);
  {
    const QSignalBlocker block(m_mask);
    m_mask->clear();
    for (const std::string& e : m_history.Entries()) m_mask->addItem(Q(e));
    m_mask->setCurrentIndex(typed.empty() ? 0 : -1);
    m_mask->setEditText(Q(mask));
  }
  m_filter.mask = mask;
  Fill(Hint::kAll);
}

void BrowserWindow::KindToggled(int i, bool on) {
  const uint32_t bit = kKindBoxes[static_cast<size_t>(i)].bit;
  // "Everything" is all bits; a box changes its own bit only.
  if (m_filter.kinds == kFilterEverything) m_filter.kinds = kKindAllBits;
  m_filter.kinds = on ? (m_filter.kinds | bit) : (m_filter.kinds & ~bit);
  UpdateSpaceEnabling();
  Fill(Hint::kAll);
}

void BrowserWindow::SetSymbolKind(uint32_t kinds) {
  m_filter.kinds = kinds;
  for (size_t i = 0; i < m_kindBoxes.size(); ++i) {
    const QSignalBlocker block(m_kindBoxes[i]);
    m_kindBoxes[i]->setChecked((kinds & kKindBoxes[i].bit) != 0);
  }
  UpdateSpaceEnabling();
  Fill(Hint::kAll);
}

void BrowserWindow::SpaceToggled(int i) {
  m_filter.spaces ^= 1u << i;
  Fill(Hint::kAll);
}

void BrowserWindow::UpdateSpaceEnabling() {
  const bool on = m_kindBoxes[1]->isChecked() || m_kindBoxes[2]->isChecked();
  for (QPushButton* b : m_spaceButtons) b->setEnabled(on);
}

void BrowserWindow::SetUpSpaceButtons() {
  const BrowseModule* m = m_session.Module();
  const int shown = m ? ShownSpaceButtons(*m) : 0;
  const BrowseSpaceFlags flags = SpaceFlags(m_filter.spaces);
  for (int i = 0; i < kSpaceButtons; ++i) {
    QPushButton* b = m_spaceButtons[static_cast<size_t>(i)];
    b->setHidden(i >= shown);
    if (i < shown) b->setText(Q(m->spaceNames[static_cast<size_t>(i + 1)]));
    b->setChecked(flags[static_cast<size_t>(i + 1)]);
  }
  UpdateSpaceEnabling();
  Layout();
}

void BrowserWindow::FillFileBox() {
  m_files->clear();
  m_files->addItem("<All Files>");
  m_filter.file = 0;
  const BrowseModule* m = m_session.Module();
  if (!m) return;
  for (uint32_t n = 1; n <= m->FileCount(); ++n) m_files->addItem(Q(m->FileByNumber(n)->path));
}

// ---- the list

void BrowserWindow::Refresh() {
  const BrowseModule* m = m_session.Module();
  m_title = m ? "Browse - " + m->fileName : "Browse - No File";
  setWindowTitle(Q(m_title));
  emit titleChanged();
  Fill(Hint::kClear);
  m_context = nullptr;
  SetUpSpaceButtons();
  FillFileBox();
  m_only = nullptr;
  Fill(Hint::kAll);
}

void BrowserWindow::ShowName(const BrowseName* name) {
  Refresh();
  SelectName(name);
}

void BrowserWindow::SelectName(const BrowseName* name) {
  m_only = name;
  Fill(name ? Hint::kOnlyName : Hint::kAll);
}

void BrowserWindow::Fill(Hint hint) {
  ClearResults();
  m_context = nullptr;
  m_rows.clear();
  if (hint != Hint::kOnlyName) m_only = nullptr;
  const BrowseModule* m = m_session.Module();
  if (hint != Hint::kClear && m) {
    m_rows = FilterSymbols(*m, m_filter, hint == Hint::kOnlyName ? m_only : nullptr);
    SortSymbols(m_rows, kColName, false);
  }
  m_sort.Refilled();
  ShowRows();
}

void BrowserWindow::ShowRows() {
  m_filling = true;
  m_list->setUpdatesEnabled(false);
  m_list->DeleteAllItems();
  const BrowseModule* m = m_session.Module();
  int row = 0;
  for (BrowseSymbol* s : m_rows) {
    const int at = m_list->InsertItemText(row, std::string(s->owner->text));
    if (at < 0) break;  // the list is full
    m_list->SetItemData(at, reinterpret_cast<std::intptr_t>(s));
    for (int c = 1; c < kBrowseColumns; ++c) m_list->SetItemText(at, c, ColumnText(*m, *s, c));
    ++row;
  }
  for (int c = 0; c < kBrowseColumns; ++c)
    if (SECListColumn* col = m_list->GetColumnRecord(c)) col->image = c == m_sort.column ? (m_sort.descending ? 1 : 0) : -1;
  m_list->setUpdatesEnabled(true);
  m_list->update();
  m_filling = false;
}

void BrowserWindow::SortBy(int column) {
  if (column < 0 || column >= kBrowseColumns) return;
  m_sort.Clicked(column);
  const BrowseSymbol* selected = RowSymbol(m_list->GetNextItem(-1, LVNI_SELECTED));
  SortSymbols(m_rows, column, m_sort.descending);
  ShowRows();
  for (size_t i = 0; i < m_rows.size(); ++i)
    if (m_rows[i] == selected) {
      m_filling = true;
      m_list->SetFocusItem(static_cast<int>(i), true);
      m_list->EnsureVisible(static_cast<int>(i));
      m_filling = false;
    }
}

const BrowseSymbol* BrowserWindow::RowSymbol(int row) const {
  if (row < 0 || row >= m_list->GetItemCount()) return nullptr;
  return reinterpret_cast<const BrowseSymbol*>(m_list->GetItemData(row));
}

void BrowserWindow::SelectionChanged() {
  if (m_filling) return;
  const BrowseSymbol* s = RowSymbol(m_list->GetNextItem(-1, LVNI_SELECTED));
  if (!s) return;
  if (s != m_context) {
    m_context = s;
    ShowSymbol(s);
  }
  SetBrowseCursor(m_session, const_cast<BrowseSymbol*>(s), 0);
}

void BrowserWindow::GoToListDefinition(int row) {
  const BrowseSymbol* s = RowSymbol(row);
  const BrowseModule* m = m_session.Module();
  if (!s || !m) return m_host.Beep();
  // The definition, else the first reference.
  for (bool definition : {true, false})
    for (size_t i = 0; i < s->occurrences.size(); ++i) {
      const BrowseOccurrence& o = s->occurrences[i];
      const bool wanted = definition ? (o.kind == kOccDefinition || o.kind == kOccMemberDefinition)
                                     : (o.kind == kOccReference || o.kind == kOccMemberReference);
      const BrowseFile* f = wanted ? m->FileByNumber(o.file) : nullptr;
      if (!f || f->path.empty()) continue;
      SetBrowseCursor(m_session, const_cast<BrowseSymbol*>(s), i);
      m_host.ShowSourceLocation(f->path, o.line, std::string(s->owner->text));
      return;
    }
  m_host.Beep();
}

NotifyResult BrowserWindow::OnNotify(NotifyHeader& hdr) {
  if (hdr.id == kListId) {
    switch (hdr.code) {
      case LVN_COLUMNCLICK:
        SortBy(reinterpret_cast<NMLISTVIEW&>(hdr).iSubItem);
        break;
      case NM_CLICK:
        SelectionChanged();
        break;
      case LVN_KEYDOWN:
      case NM_SETFOCUS:
        // The key moves the selection after this notification; a list
        // taking the focus selects its focused row after it.
        QTimer::singleShot(0, this, [this] { SelectionChanged(); });
        break;
      case NM_DBLCLK:
      case NM_RETURN:
        SelectionChanged();
        GoToListDefinition(m_list->GetNextItem(-1, LVNI_SELECTED));
        break;
      default:
        break;
    }
  } else if (hdr.id == kTreeId && (hdr.code == NM_DBLCLK || hdr.code == NM_RETURN)) {
    if (HTREEITEM item = m_tree->GetCaretItem()) OpenTreeRow(m_tree->GetItemData(item));
  }
  return 0;
}

void BrowserWindow::ListContextMenu(const QPoint& global) {
  const BrowseSymbol* s = RowSymbol(m_list->GetNextItem(-1, LVNI_SELECTED));
  if (!s) return m_host.Beep();
  QMenu menu(this);
  const QString name = Q(std::string(s->owner->text));
  auto add = [&](const QString& text, int id, bool enabled) {
    QAction* a = menu.addAction(text);
    a->setEnabled(enabled);
    connect(a, &QAction::triggered, this, [this, id] { RunCommand(id); });
  };
  if (s->type == 17) {
    add(QStringLiteral("Show Call Graph for '%1'").arg(name), kBrwListCallGraph, m_mode != kResultsCallGraph);
    add(QStringLiteral("Show Callers Graph for '%1'").arg(name), kBrwListCallers, m_mode != kResultsCallers);
  }
  add(QStringLiteral("Show Definitions/References of '%1'").arg(name), kBrwListDefRef, m_mode != kResultsDefRef);
  m_runMenu(menu, global);
}

void BrowserWindow::RunCommand(int id) {
  struct ModeRow {
    int id;
    int mode;
  };
  static constexpr ModeRow kModes[] = {
      {kBrwListDefRef, kResultsDefRef},  {kBrwListCallGraph, kResultsCallGraph}, {kBrwListCallers, kResultsCallers},
      {kBrwResDefRef, kResultsDefRef},   {kBrwResCallGraph, kResultsCallGraph},  {kBrwResCallers, kResultsCallers},
  };
  for (const ModeRow& r : kModes)
    if (r.id == id) {
      m_mode = r.mode;
      RebuildResults();
      return;
    }
  if (id == kBrwShowFile || id == kBrwShowFileTop) {
    if (m_menuPath.empty()) return m_host.Beep();
    const std::string name = m_context && m_context->owner ? std::string(m_context->owner->text) : std::string();
    m_host.ShowSourceLocation(m_menuPath, id == kBrwShowFile ? m_menuLine : 1, name);
  }
}

// ---- the results pane

const BrowserWindow::ResultRow* BrowserWindow::RowOf(std::intptr_t data) const {
  if (data <= 0 || static_cast<size_t>(data) > m_resultRows.size()) return nullptr;
  return &m_resultRows[static_cast<size_t>(data - 1)];
}

void BrowserWindow::ClearResults() {
  m_tree->DeleteAllItems();
  m_resultRows.clear();
  m_graph.reset();
  m_resultsTitle->setText(Q(ResultsTitle(m_mode, nullptr)));
}

void BrowserWindow::ShowSymbol(const BrowseSymbol* s) {
  if (!s) return ClearResults();
  if (s->cls != kClassFunction) m_mode = kResultsDefRef;
  RebuildResults();
}

void BrowserWindow::RebuildResults() {
  m_tree->setUpdatesEnabled(false);
  m_tree->DeleteAllItems();
  m_resultRows.clear();
  m_graph.reset();
  m_resultsTitle->setText(Q(ResultsTitle(m_mode, m_context)));
  const BrowseModule* m = m_session.Module();
  if (m_context && m) {
    if (m_mode == kResultsDefRef) {
      const std::vector<BrowseFileRows> files = DefinitionRows(*m, *m_context);
      // Every row's record first: the tree keeps indexes into the table.
      for (const BrowseFileRows& f : files) {
        m_resultRows.push_back(ResultRow{nullptr, f.file, nullptr});
        for (const BrowseOccurrence* o : f.rows) m_resultRows.push_back(ResultRow{o, nullptr, nullptr});
      }
      std::intptr_t data = 0;
      for (const BrowseFileRows& f : files) {
        HTREEITEM fileRow = InsertRow(m_tree, f.file->path, nullptr, 2, ++data);
        for (const BrowseOccurrence* o : f.rows) InsertRow(m_tree, OccurrenceRowText(*o), fileRow, OccurrenceImage(*o), ++data);
        m_tree->Expand(fileRow, TVE_EXPAND, false);
      }
    } else {
      m_graph = std::make_unique<BrowseGraphNode>(BuildGraph(*m_context, m_mode));
      // Records first, in the order InsertGraph walks the nodes.
      std::function<void(const BrowseGraphNode&)> collect = [&](const BrowseGraphNode& n) {
        m_resultRows.push_back(ResultRow{nullptr, nullptr, &n});
        for (const BrowseGraphNode& c : n.children) collect(c);
      };
      collect(*m_graph);
      InsertGraph(*m_graph, nullptr, 0);
    }
    if (HTREEITEM first = m_tree->GetRootItem()) m_tree->EnsureVisible(first);
  }
  m_tree->setUpdatesEnabled(true);
  m_tree->update();
}

void BrowserWindow::InsertGraph(const BrowseGraphNode& node, void* parent, int depth) {
  // The node's place in m_resultRows: rows were collected in this order.
  std::intptr_t data = 0;
  for (size_t i = 0; i < m_resultRows.size(); ++i)
    if (m_resultRows[i].node == &node) data = static_cast<std::intptr_t>(i + 1);
  const int image = m_mode == kResultsCallers ? 4 : 3;
  HTREEITEM item = InsertRow(m_tree, node.name, static_cast<HTREEITEM>(parent), image, data);
  for (const BrowseGraphNode& c : node.children) InsertGraph(c, item, depth + 1);
  if (!node.children.empty() && depth < kGraphExpandDepth) m_tree->Expand(item, TVE_EXPAND, false);
}

void BrowserWindow::OpenTreeRow(std::intptr_t data) {
  const ResultRow* r = RowOf(data);
  const BrowseModule* m = m_session.Module();
  if (!r || !m) return m_host.Beep();
  const std::string name = m_context && m_context->owner ? std::string(m_context->owner->text) : std::string();
  const BrowseOccurrence* o = r->occurrence ? r->occurrence : r->node ? r->node->via : nullptr;
  const BrowseFile* f = r->file ? r->file : o ? m->FileByNumber(o->file) : nullptr;
  if (!f || f->path.empty()) return m_host.Beep();
  m_host.ShowSourceLocation(f->path, o && !r->file ? o->line : 1, r->node ? r->node->name : name);
}

void BrowserWindow::TreeContextMenu(const QPoint& global) {
  HTREEITEM item = m_tree->GetCaretItem();
  const ResultRow* r = item ? RowOf(m_tree->GetItemData(item)) : nullptr;
  const BrowseModule* m = m_session.Module();
  if (!r || !m || !m_context) return m_host.Beep();
  QMenu menu(this);
  auto add = [&](const QString& text, int id) {
    QAction* a = menu.addAction(text);
    connect(a, &QAction::triggered, this, [this, id] { RunCommand(id); });
  };
  const QString name = Q(m_context->owner ? std::string(m_context->owner->text) : std::string());
  m_menuPath.clear();
  m_menuLine = 0;
  if (r->occurrence) {
    const BrowseFile* f = m->FileByNumber(r->occurrence->file);
    if (f && !f->path.empty()) {
      m_menuPath = f->path;
      m_menuLine = r->occurrence->line;
      add(QStringLiteral("Open '%1' at Line %2").arg(Q(f->path)).arg(m_menuLine), kBrwShowFile);
    }
    if (m_context->cls == kClassFunction) {
      add(QStringLiteral("Show Call Graph for '%1'").arg(name), kBrwResCallGraph);
      add(QStringLiteral("Show Callers Graph for '%1'").arg(name), kBrwResCallers);
    }
  } else if (r->file) {
    m_menuPath = r->file->path;
    add(QStringLiteral("Open '%1'").arg(Q(r->file->path)), kBrwShowFileTop);
  } else {
    const BrowseGraphNode& n = *r->node;
    add(QStringLiteral("Show Definitions/References of '%1'").arg(name), kBrwResDefRef);
    if (m_mode != kResultsCallGraph)
      add(QStringLiteral("Show Call Graph for '%1'").arg(name), kBrwResCallGraph);
    else
      add(QStringLiteral("Show Callers Graph for '%1'").arg(name), kBrwResCallers);
    const BrowseFile* f = n.via ? m->FileByNumber(n.via->file) : nullptr;
    if (f) {
      m_menuPath = f->path;
      m_menuLine = n.via->line;
    }
    if (n.kind == kOccCalls || n.kind == kOccCalledBy) {
      const char* form = n.kind == kOccCalls ? "Show Callee '%1 (%2)'" : "Show Caller '%1 (%2)'";
      add(QString(form).arg(Q(m_menuPath)).arg(m_menuLine), kBrwShowFile);
    }
    if (!m_menuPath.empty()) add(QStringLiteral("Open '%1'").arg(Q(m_menuPath)), kBrwShowFileTop);
  }
  m_runMenu(menu, global);
}

void BrowserWindow::SaveLayout() {
  for (int c = 0; c < kBrowseColumns; ++c) m_layout.widths[static_cast<size_t>(c)] = m_list->GetColumnWidth(c);
  // The list pane's height, so that the next window opens with the same
  // split (not the list's width).
  m_layout.listHeight = m_splitter->sizes().front();
}

}  // namespace pm2
