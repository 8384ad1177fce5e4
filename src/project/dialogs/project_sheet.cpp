#include "project/dialogs/project_sheet.h"

#include "project/dialogs/books_page.h"
#include "project/dialogs/components_page.h"
#include "project/dialogs/dialog_services.h"
#include "project/dialogs/folders_page.h"

namespace pm2 {

ProjectSheet::ProjectSheet(ProjectRec* open, const std::string& toolsIniPath, EnvironmentInfo* startup,
                           QWidget* parent)
    : QDialog(parent), m_open(open), m_toolsIniPath(toolsIniPath), m_startup(startup) {
  UseDialogFont(this);
  setWindowTitle("Components, Environment and Books");
  OpenProjectSheetCopy(m_copy, open, toolsIniPath, startup);
  m_tabs = new QTabWidget(this);
  const bool hasTarget = open && open->curTarget;
  if (hasTarget) {
    m_components = new ComponentsPage(m_copy, open->curTarget, m_tabs);
    m_tabs->addTab(m_components, "Project Components");
  }
  m_folders = new FoldersPage(m_copy, startup ? startup->armSelect : 0, m_tabs);
  m_tabs->addTab(m_folders, "Folders/Extensions");
  if (hasTarget) {
    m_books = new BooksPage(m_copy, theApp().m_installRoot, m_tabs);
    m_tabs->addTab(m_books, "Books");
  }
  m_tabs->setGeometry(8, 8, 576, 452);
  connect(m_tabs, &QTabWidget::currentChanged, this, [this](int index) {
    if (m_switching || index == m_current) return;
    if (!LeavePage(m_current)) {
      m_switching = true;
      m_tabs->setCurrentIndex(m_current);
      m_switching = false;
      return;
    }
    m_current = index;
    if (m_tabs->widget(index) == m_folders) m_folders->Activate();
    if (m_books && m_tabs->widget(index) == m_books) m_books->Activate();
  });

  // Cancel centred, OK to its left and the disabled third button to its
  // right, each as wide as Cancel and 6 pixels apart.
  const int bw = 86, bh = 24, y = 468, gap = 6;
  const int cx = (592 - bw) / 2;
  m_ok = new QPushButton("OK", this);
  m_cancel = new QPushButton("Cancel", this);
  m_apply = new QPushButton("Defaults", this);
  m_ok->setGeometry(cx - bw - gap, y, bw, bh);
  m_cancel->setGeometry(cx, y, bw, bh);
  m_apply->setGeometry(cx + bw + gap, y, bw, bh);
  m_apply->setEnabled(false);
  m_ok->setDefault(true);
  connect(m_ok, &QPushButton::clicked, this, &ProjectSheet::accept);
  connect(m_cancel, &QPushButton::clicked, this, &ProjectSheet::reject);
  setFixedSize(592, 502);
}

bool ProjectSheet::LeavePage(int index) {
  QWidget* page = m_tabs->widget(index);
  if (page == m_components) return m_components->Leave();
  if (page == m_folders) return m_folders->Leave();
  if (m_books && page == m_books) m_books->Leave();
  return true;
}

void ProjectSheet::accept() {
  if (!LeavePage(m_tabs->currentIndex())) return;
  QDialog::accept();
}

SheetApplyResult ProjectSheet::ApplyToProject() {
  SheetApplyResult r = ApplyProjectSheetCopy(m_copy, m_open, m_startup, m_toolsIniPath);
  if (r.envWriteFailed) RefuseWithMessage(r.envMessage);
  return r;
}

}  // namespace pm2
