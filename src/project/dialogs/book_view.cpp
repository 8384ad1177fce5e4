#include "project/dialogs/book_view.h"

#include <QDesktopServices>
#include <QUrl>

#include "platform/win_path.h"
#include "project/dialogs/dialog_services.h"
#include "project/dialogs/tree_icons.h"

namespace pm2 {

BookView::BookView(QWidget* parent) : QWidget(parent) {
  m_tree = new SECTreeCtrl(this, TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_SHOWSELALWAYS);
  m_tree->SetNotifyListener(this);
  m_tree->SetImages(ImageListKind::Normal, BookTreeImages());
  m_opener = [](const std::string& path) { return QDesktopServices::openUrl(QUrl::fromLocalFile(FromLocal(path))); };
}

BookView::~BookView() { m_closing = true; }

void BookView::resizeEvent(QResizeEvent*) { m_tree->setGeometry(rect()); }

void BookView::Fill(const EnvironmentInfo* env, const ProjectRec* project) {
  if (m_closing) return;
  m_env = env;
  m_project = project;
  m_tree->DeleteAllItems();
  m_items = CollectBooks(env, project);
  HTREEITEM nodes[8] = {};
  // Category nodes keep the table's order whatever order their books come in.
  for (const BookTreeItem& b : m_items) {
    const int row = BookCategoryRow(b.category);
    if (row >= 0) nodes[row] = reinterpret_cast<HTREEITEM>(1);
  }
  for (int row = 0; row < 8; ++row)
    if (nodes[row]) nodes[row] = InsertTreeRow(m_tree, kBookCategories[row].text, nullptr, 0, 0);
  for (std::size_t i = 0; i < m_items.size(); ++i) {
    const int row = BookCategoryRow(m_items[i].category);
    InsertTreeRow(m_tree, m_items[i].title, nodes[row], 1, std::intptr_t(i + 1));
  }
  for (HTREEITEM n : nodes)
    if (n) m_tree->Expand(n, TVE_EXPAND);
}

void BookView::OpenSelectedBook() {
  HTREEITEM item = m_tree->GetCaretItem();
  const std::intptr_t data = item ? m_tree->GetItemData(item) : 0;
  const TargetRec* t = m_project ? m_project->curTarget : nullptr;
  const ToolsetInfo* info = (t && m_env) ? m_env->Toolset(t->toolset) : nullptr;
  if (data <= 0 || std::size_t(data) > m_items.size() || !info) return;
  const BookTreeItem& book = m_items[std::size_t(data - 1)];
  BookOpenContext ctx;
  ctx.projectFolder = m_project->folder.str();
  ctx.installRoot = theApp().m_installRoot;
  ctx.toolsetFolder = info->rootFolder;
  if (!m_env->deviceDatabases.empty()) ctx.deviceDbFolder = std::string(FolderPart(m_env->deviceDatabases[0].path));
  ctx.deviceBooksFolder = m_env->deviceBooks;
  ctx.target = t;
  PathResolver resolver;
  ctx.exists = [&](const std::string& p) {
    std::string out;
    return resolver.ResolveStoredPath(p, ctx.projectFolder, &out);
  };
  const std::string path = ResolveBookPath(book, ctx);
  if (path.empty()) return;
  std::string local;
  if (!resolver.ResolveStoredPath(path, ctx.projectFolder, &local)) local = path;
  if (!m_opener || !m_opener(local)) {
    Beep();
    theApp().Shell().MessageBox("Can't open file '" + path + "'", kMbOk | kMbIconStop);
  }
}

NotifyResult BookView::OnNotify(NotifyHeader& hdr) {
  if (hdr.code == NM_DBLCLK) OpenSelectedBook();
  return 0;
}

}  // namespace pm2
