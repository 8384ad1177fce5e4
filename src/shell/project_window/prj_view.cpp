#include "shell/project_window/prj_view.h"

#include "toolkit/controls/list_edit.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QCursor>
#include <QMouseEvent>
#include <QStyle>
#include <QTimer>

#include "platform/ascii_case.h"
#include "project/edit/stored_setters.h"
#include "project/files/project_lines.h"
#include "project/model/project_records.h"
#include "project/text/character_cut.h"
#include "project/text/pool.h"
#include "shell/app/shell_app.h"
#include "shell/app/user_dialogs.h"
#include "shell/project_window/prj_images.h"
#include "toolkit/controls/qt_bridge.h"
#include "toolkit/controls/tree_ctrl.h"

namespace pm2 {

namespace {
constexpr int kMaxLabel = 40;

// True when a target or group other than `renamed`, of its kind, has the
// name (in any letter case).
bool NameOfAnother(const ProjectRec& project, const NodeRec* renamed, std::string_view name) {
  if (renamed->kind == kKindTarget) {
    for (const TargetRec* t = project.firstTarget; t; t = t->next)
      if (t != renamed && !(t->flags & kTargetDeleted) && EqualIgnoringCase(t->name.view(), name)) return true;
  } else {
    for (const GroupRec* g = project.firstGroup; g; g = g->next)
      if (g != renamed && !(g->flags & kGroupDeleted) && EqualIgnoringCase(g->name.view(), name)) return true;
  }
  return false;
}

}  // namespace

CPrjView::CPrjView(ShellApp& app, ProjectViewOwner& owner, QWidget* parent)
    : QWidget(parent), m_app(app), m_owner(owner), m_probe(RealFileProbe()) {
  setObjectName("Prj");
  m_tree = new SECTreeCtrl(this, TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_EDITLABELS | TVS_SHOWSELALWAYS);
  m_tree->setObjectName("ProjectTree");
  m_tree->SetNotifyListener(this);
  m_tree->SetImageList(ProjectTreeImages(), ImageListKind(0));
  m_tree->installEventFilter(this);
  m_app.m_windows.Set(WindowSlot::ProjectView, this);
}

CPrjView::~CPrjView() {
  m_closing = true;
  m_app.m_windows.Forget(WindowSlot::ProjectView, this);
  if (m_app.m_pSelItem) m_app.m_pSelItem = nullptr;
}

void CPrjView::resizeEvent(QResizeEvent*) { m_tree->setGeometry(rect()); }

HTREEITEM CPrjView::ItemOf(const NodeRec* record) const {
  auto it = m_items.find(record);
  return it == m_items.end() ? nullptr : it->second;
}

NodeRec* CPrjView::RecordOf(HTREEITEM item) const {
  return item ? reinterpret_cast<NodeRec*>(m_tree->GetItemData(item)) : nullptr;
}

void CPrjView::FillTree(int flags) {
  if (m_closing) return;
  m_filling = true;
  // A record still in the tree keeps the selection, so that the menus,
  // which follow the selection, name what the tree shows.
  const NodeRec* kept = m_app.m_pSelItem;
  m_app.m_pSelItem = nullptr;
  ProjectRec* p = m_app.Project();
  // The wait cursor only where the fill can last long enough to be seen: a
  // small project's fill ends before the cursor would show, and its first
  // use loads the cursor theme from disk (milliseconds at every start).
  constexpr int kWaitCursorFiles = 200;
  int files = 0;
  for (GroupRec* g = p ? p->firstGroup : nullptr; g && files < kWaitCursorFiles; g = g->next)
    for (FileRec* f = g->firstFile; f && files < kWaitCursorFiles; f = f->next) ++files;
  const bool waitCursor = files >= kWaitCursorFiles;
  if (waitCursor) QApplication::setOverrideCursor(Qt::WaitCursor);
  m_tree->setUpdatesEnabled(false);
  m_tree->DeleteAllItems();
  m_items.clear();
  m_includePaths.clear();
  // Each file is scanned for its include files, so that they show before
  // the first build; an ARM target asked to keep its include lists (after
  // its build updated them) shows them as they stand.
  TargetRec* t = p ? p->curTarget : nullptr;
  while (t && (t->flags & kTargetDeleted)) t = t->next;
  const bool keepLists = t && (t->toolset == 3 || t->toolset == 4) && (flags & 16);
  if (m_includes && m_scan && t && !keepLists && !m_app.HasState(kStateBusy))
    for (GroupRec* g = p->firstGroup; g; g = g->next) {
      if (g->flags & kGroupDeleted) continue;
      for (FileRec* f = g->firstFile; f; f = f->next)
        if (!(f->flags & kFileRemoved)) m_scan(p, t, f);
    }
  ProjectTree tree = BuildProjectTree(p, m_includes, m_probe);
  std::vector<HTREEITEM> items(tree.rows.size(), nullptr);
  for (std::size_t i = 0; i < tree.rows.size(); ++i) {
    const ProjectTreeRow& row = tree.rows[i];
    TreeInsert ins;
    ins.parent = row.parent >= 0 ? items[row.parent] : nullptr;
    ins.insertAfter = TVI_LAST();
    ins.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM;
    ins.item.text = row.text;
    ins.item.image = ins.item.selectedImage = row.image;
    ins.item.param = reinterpret_cast<std::intptr_t>(row.record);
    items[i] = m_tree->InsertItem(ins);
    if (row.record) {
      m_items[row.record] = items[i];
      if (row.record->kind == kKindFile) static_cast<FileRec*>(row.record)->treeItem = reinterpret_cast<uintptr_t>(items[i]);
    } else {
      m_includePaths[items[i]] = row.includePath;
    }
  }
  for (std::size_t i = 0; i < tree.rows.size(); ++i)
    if (tree.rows[i].expanded) m_tree->Expand(items[i], TVE_EXPAND, false);
  int selected = tree.selected;
  for (std::size_t i = 0; kept && i < tree.rows.size(); ++i)
    if (tree.rows[i].record == kept) selected = int(i);
  if (selected >= 0) m_tree->SelectItem(items[size_t(selected)]);
  m_tree->setUpdatesEnabled(true);
  m_tree->update();
  if (waitCursor) QApplication::restoreOverrideCursor();
  m_filling = false;
  if (selected >= 0) m_app.m_pSelItem = tree.rows[size_t(selected)].record;
}

void CPrjView::Expanded(HTREEITEM item, bool open) {
  NodeRec* rec = RecordOf(item);
  ProjectRec* p = m_app.Project();
  if (!rec || !p) return;
  if (rec->kind == kKindTarget) {
    auto* t = static_cast<TargetRec*>(rec);
    t->flags = open ? (t->flags | kNodeExpanded) : (t->flags & ~kNodeExpanded);
  } else if (rec->kind == kKindGroup) {
    auto* g = static_cast<GroupRec*>(rec);
    g->flags = open ? (g->flags | kNodeExpanded) : (g->flags & ~uint32_t(kNodeExpanded));
  } else if (rec->kind == kKindFile) {
    auto* f = static_cast<FileRec*>(rec);
    f->flags = open ? (f->flags | kFileIncludesShown) : (f->flags & ~kFileIncludesShown);
    if (!m_tree->ItemHasChildren(item)) f->flags &= ~kFileIncludesShown;
    return;  // a file's image does not open
  }
  TreeItemDesc d;
  d.mask = TVIF_IMAGE | TVIF_SELECTEDIMAGE;
  d.hItem = item;
  d.image = d.selectedImage = GetNodeImage(*p, rec, open, p->curTarget, m_probe);
  m_tree->SetTreeItem(d);
}

void CPrjView::RemoveSelected() {
  ProjectRec* p = m_app.Project();
  HTREEITEM item = m_tree->GetCaretItem();
  NodeRec* rec = RecordOf(item);
  UserDialogs& dlg = m_app.Dialogs();
  if (!p || !item || !rec || rec->kind == kKindTarget || (p->flags & kProjectReadOnly)) {
    dlg.Beep();
    return;
  }
  if (rec->kind == kKindGroup) {
    auto* g = static_cast<GroupRec*>(rec);
    dlg.Beep();
    if (dlg.MessageBox("Are you sure to remove Group '" + g->name.str() + "' and it's Files ?",
                       kMbOkCancel | kMbIconExclamation) != kIdOk)
      return;
    g->flags |= kGroupDeleted;
  } else {
    auto* f = static_cast<FileRec*>(rec);
    if (!f->group) {
      dlg.Beep();
      return;
    }
    dlg.Beep();
    if (dlg.MessageBox("Are you sure to remove File '" + f->name.str() + "' ?", kMbOkCancel | kMbIconExclamation) !=
        kIdOk)
      return;
    f->flags |= kFileRemoved;
  }
  m_app.m_pSelItem = nullptr;
  m_items.erase(rec);
  m_tree->DeleteItem(item);
  m_tree->setFocus();
}

bool CPrjView::DropFile(HTREEITEM dragged, HTREEITEM target) {
  if (!dragged || target == dragged) return false;
  auto* file = static_cast<FileRec*>(RecordOf(dragged));
  NodeRec* onto = RecordOf(target);
  if (!file || file->kind != kKindFile || !file->group || !onto) {
    m_app.Dialogs().Beep();
    return false;
  }
  FileRec* copy = nullptr;
  if (onto->kind == kKindGroup) {
    auto* g = static_cast<GroupRec*>(onto);
    copy = CopyFileRecord(file);
    copy->group = g;
    InsertFileAtHead(g, copy);
  } else if (onto->kind == kKindFile && static_cast<FileRec*>(onto)->group) {
    auto* before = static_cast<FileRec*>(onto);
    GroupRec* g = before->group;
    copy = CopyFileRecord(file);
    copy->group = g;
    FileRec* first = g->firstFile;
    while (first && (first->flags & kFileRemoved)) first = first->next;
    if (first == before)
      InsertFileAtHead(g, copy);
    else
      InsertFileBefore(g, before, copy);
  } else {
    m_app.Dialogs().Beep();
    return false;
  }
  file->flags |= kFileRemoved;
  FillTree(0);
  return true;
}

void CPrjView::DragScrollTick() {
  if (!m_dragging) return;
  m_dragTicks = (m_dragTicks + 1) % 3;
  const int bottom = m_tree->height();
  int beyond = 0;
  ScrollCode code = ScrollCode::LineUp;
  if (m_dragPos.y() < 0) {
    beyond = -m_dragPos.y();
  } else if (m_dragPos.y() > bottom) {
    beyond = m_dragPos.y() - bottom;
    code = ScrollCode::LineDown;
  } else {
    return;
  }
  const int band = m_tree->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, m_tree);
  if (beyond <= band && m_dragTicks != 0) return;
  m_tree->OnVScroll(code);
  // The drop goes where the mouse points into the tree: its first or last
  // row in view.
  const int top = m_tree->GetTopIndex();
  const int last = top + std::max(0, m_tree->GetCountPerPage() - 1);
  HTREEITEM target = m_tree->GetItemAtRow(code == ScrollCode::LineUp ? top : last);
  for (int row = last - 1; !target && row >= top; --row) target = m_tree->GetItemAtRow(row);
  if (target && target != m_dropItem) {
    m_dropItem = target;
    m_tree->SelectDropTarget(target, true);
  }
  m_tree->update();
}

void CPrjView::EndDrag(QPoint pos, bool drop) {
  if (m_dragTimer) m_dragTimer->stop();
  m_dragging = false;
  m_tree->releaseMouse();
  m_tree->SelectDropTarget(nullptr, false);
  HTREEITEM target = nullptr;
  if (drop) {
    unsigned flags = 0;
    target = m_tree->HitTest(pos.x(), pos.y(), &flags);
  }
  HTREEITEM dragged = m_dragItem;
  m_dragItem = m_dropItem = nullptr;
  if (drop && target != dragged) DropFile(dragged, target);
}

bool CPrjView::eventFilter(QObject* watched, QEvent* event) {
  // Right button or the menu key: the item under the mouse is selected
  // first, then the project commands show (never the bar's own menu).
  if (watched == m_tree && event->type() == QEvent::ContextMenu) {
    auto* e = static_cast<QContextMenuEvent*>(event);
    if (e->reason() == QContextMenuEvent::Mouse) {
      unsigned flags = 0;
      if (HTREEITEM hit = m_tree->HitTest(e->pos().x(), e->pos().y(), &flags)) m_tree->SelectItem(hit);
    }
    m_owner.ShowProjectContextMenu(e->globalPos());
    e->accept();
    return true;
  }
  if (watched != m_tree || !m_dragging) return QWidget::eventFilter(watched, event);
  if (event->type() == QEvent::MouseMove) {
    QPoint pos = static_cast<QMouseEvent*>(event)->position().toPoint();
    m_dragPos = pos;
    unsigned flags = 0;
    HTREEITEM hit = m_tree->HitTest(pos.x(), pos.y(), &flags);
    if (hit != m_dropItem) {
      m_dropItem = hit;
      m_tree->SelectDropTarget(hit, true);
    }
    return true;
  }
  if (event->type() == QEvent::MouseButtonRelease) {
    EndDrag(static_cast<QMouseEvent*>(event)->position().toPoint(), true);
    return true;
  }
  if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
    EndDrag({}, false);
    return true;
  }
  return QWidget::eventFilter(watched, event);
}

NotifyResult CPrjView::OnNotify(NotifyHeader& hdr) {
  switch (hdr.code) {
    case TVN_SELCHANGED: {
      auto& nm = reinterpret_cast<NMTREEVIEW&>(hdr);
      if (!m_filling) m_app.m_pSelItem = reinterpret_cast<NodeRec*>(nm.itemNew.param);
      return 0;
    }
    case TVN_ITEMEXPANDED: {
      auto& nm = reinterpret_cast<NMTREEVIEW&>(hdr);
      if (!m_filling) Expanded(nm.itemNew.hItem, nm.action == TVE_EXPAND);
      return 0;
    }
    case NM_DBLCLK: {
      HTREEITEM item = m_tree->GetCaretItem();
      if (!item) {
        m_app.Dialogs().Beep();
        return 0;
      }
      NodeRec* rec = RecordOf(item);
      if (!rec) {
        auto it = m_includePaths.find(item);
        if (it != m_includePaths.end() && !it->second.empty()) m_owner.OpenIncludeFile(it->second);
      } else if (rec->kind == kKindFile) {
        m_app.m_pSelItem = rec;
        m_owner.OpenSelectedFile();
      }
      return 0;
    }
    case TVN_KEYDOWN: {
      auto& nm = reinterpret_cast<NMTVKEYDOWN&>(hdr);
      if (nm.wVKey == vk::Delete) RemoveSelected();
      if (nm.wVKey == 113 /* F2 */) m_app.Dialogs().Beep();
      return 0;
    }
    case TVN_BEGINLABELEDIT: {
      auto& nm = reinterpret_cast<TVDISPINFO&>(hdr);
      NodeRec* rec = reinterpret_cast<NodeRec*>(nm.item.param);
      if (!rec || (rec->kind != kKindTarget && rec->kind != kKindGroup)) {
        m_app.Dialogs().Beep();
        return 1;
      }
      m_editRecord = rec;
      // A name takes at most 40 characters: the edit stops typing there.
      if (SECListEdit* edit = m_tree->GetEditControl()) edit->SetLimitText(kMaxLabel);
      return 0;
    }
    case TVN_ENDLABELEDIT: {
      auto& nm = reinterpret_cast<TVDISPINFO&>(hdr);
      NodeRec* rec = m_editRecord;
      m_editRecord = nullptr;
      if (!rec || !nm.hasText || nm.item.text.empty()) return 0;
      std::string text(CutToCharacters(nm.item.text, kMaxLabel));
      // Two targets or groups of one name cannot be told apart by the
      // options file or by a peer that names a group: refused as the
      // components page refuses it.
      if (ProjectRec* p = m_app.Project(); p && NameOfAnother(*p, rec, text)) {
        ShowError(m_app.Dialogs(), rec->kind == kKindTarget ? "Target item already exists" : "Group item already exists");
        return 0;
      }
      // The model refuses a name its files or the build could not keep
      // (one read back as another, a target "a/b" no file can be named after).
      if (std::string why = SetComponentName(*rec, text); !why.empty()) {
        ShowError(m_app.Dialogs(), why);
        return 0;
      }
      nm.item.text = text;
      m_owner.TargetNamesChanged();
      return 1;
    }
    case TVN_BEGINDRAG: {
      auto& nm = reinterpret_cast<NMTREEVIEW&>(hdr);
      auto* rec = reinterpret_cast<NodeRec*>(nm.itemNew.param);
      if (!rec || rec->kind != kKindFile || !static_cast<FileRec*>(rec)->group) {
        m_app.Dialogs().Beep();
        return 0;
      }
      m_dragItem = nm.itemNew.hItem;
      m_dropItem = nullptr;
      m_dragging = true;
      m_dragPos = m_tree->mapFromGlobal(QCursor::pos());
      m_dragTicks = 0;
      m_tree->grabMouse(Qt::DragMoveCursor);
      if (!m_dragTimer) {
        m_dragTimer = new QTimer(this);
        connect(m_dragTimer, &QTimer::timeout, this, [this] { DragScrollTick(); });
      }
      m_dragTimer->start(50);
      return 0;
    }
    default:
      return 0;
  }
}

}  // namespace pm2
