#include "options/pages/options_sheet.h"

#include <QApplication>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <QMessageBox>
#include <QToolTip>
#include <QTabBar>
#include <QVBoxLayout>

#include "builder/commands/command_context.h"
#include "options/core/driver_caps.h"
#include "options/core/options_session.h"
#include "options/pages/option_page.h"
#include "options/pages/page_factory.h"
#include "project/environment/environment.h"
#include "project/files/stored_texts.h"
#include "project/model/app_state.h"
#include "project/model/project_records.h"
#include "project/text/path_text.h"
#include "toolkit/controls/browse_edit.h"

namespace pm2 {

OptionsSheet::OptionsSheet(OptionsSession& session, SheetServices services, const QString& caption,
                           QWidget* parent)
    : QDialog(parent), m_session(session), m_services(std::move(services)),
      m_preview(NewPreviewContext("")) {
  setWindowTitle(caption);
  if (!m_services.refuse) {
    // Over the dialog a page opened when it refuses (a driver's settings):
    // a box under the sheet would go behind that dialog.
    m_services.refuse = [this](const std::string& text) {
      QApplication::beep();
      QWidget* over = QApplication::activeModalWidget();
      QMessageBox::warning(over ? over : this, windowTitle(), QString::fromLocal8Bit(text.c_str()));
    };
  }
  if (!m_services.notice) {
    m_services.notice = [](QWidget* field, const std::string& text) {
      QApplication::beep();
      QToolTip::showText(field->mapToGlobal(QPoint(0, field->height())), QString::fromLocal8Bit(text.c_str()), field);
    };
  }
  if (!m_services.message) {
    m_services.message = [this](const std::string& title, const std::string& text) {
      QApplication::beep();
      QMessageBox::warning(this, QString::fromLocal8Bit(title.c_str()), QString::fromLocal8Bit(text.c_str()));
    };
  }
  if (!m_services.chooseFile) {
    m_services.chooseFile = [this](const std::string& title, const std::string& filter, const std::string& folder) {
      const QString path = QFileDialog::getOpenFileName(this, QString::fromLocal8Bit(title.c_str()),
                                                        QString::fromLocal8Bit(folder.c_str()),
                                                        SECBrowseFileEdit::ToQtFilter(filter));
      return path.toLocal8Bit().toStdString();
    };
  }
  if (!m_services.chooseNewFile) {
    m_services.chooseNewFile = [this](const std::string& title, const std::string& filter, const std::string& folder) {
      const QString path = QFileDialog::getSaveFileName(this, QString::fromLocal8Bit(title.c_str()),
                                                        QString::fromLocal8Bit(folder.c_str()),
                                                        SECBrowseFileEdit::ToQtFilter(filter));
      return path.toLocal8Bit().toStdString();
    };
  }
  if (!m_services.chooseFolder) {
    m_services.chooseFolder = [this](const std::string& title, const std::string& folder) {
      const QString path = QFileDialog::getExistingDirectory(this, QString::fromLocal8Bit(title.c_str()),
                                                             QString::fromLocal8Bit(folder.c_str()));
      return path.isEmpty() ? std::string() : (path + "/").toLocal8Bit().toStdString();
    };
  }
  if (!m_services.drivers) {
    // Drivers are loaded from the installation's folders only, whatever
    // the project names.
    m_ownDrivers = std::make_unique<LoadedDriverCaps>(
        [this] { return ToolsetDriverFolders(ToolsetEnvironment(), m_services.programFolder); });
    m_services.drivers = m_ownDrivers.get();
  }
  if (const ToolsetInfo* t = ToolsetEnvironment()) m_preview = NewPreviewContext(t->toolsFolder);
  m_preview->m_nCTabWidth = m_services.cTabWidth;

  auto* layout = new QVBoxLayout(this);
  m_tabs = new QTabWidget(this);
  // Every tab in sight with its whole title: the sheet is as wide as its
  // tabs need (the 166 family has eleven), never scroll arrows.
  m_tabs->setUsesScrollButtons(false);
  m_tabs->setElideMode(Qt::ElideNone);
  layout->addWidget(m_tabs);
  // OK, Cancel and Defaults in one row centred under the pages, all as
  // wide as Cancel.
  auto* row = new QHBoxLayout;
  m_ok = new QPushButton("OK", this);
  m_cancel = new QPushButton("Cancel", this);
  m_defaults = new QPushButton("Defaults", this);
  for (QPushButton* b : {m_ok, m_cancel, m_defaults}) {
    b->setAutoDefault(false);
    b->setDefault(false);
  }
  row->addStretch();
  row->addWidget(m_ok);
  row->addSpacing(6);
  row->addWidget(m_cancel);
  row->addSpacing(6);
  row->addWidget(m_defaults);
  row->addStretch();
  layout->addLayout(row);
  const int w = std::max({m_ok->sizeHint().width(), m_cancel->sizeHint().width(), m_defaults->sizeHint().width()});
  for (QPushButton* b : {m_ok, m_cancel, m_defaults}) b->setFixedWidth(w);
  connect(m_ok, &QPushButton::clicked, this, &OptionsSheet::accept);
  connect(m_cancel, &QPushButton::clicked, this, &OptionsSheet::reject);
  connect(m_defaults, &QPushButton::clicked, this, [this] {
    if (OptionPage* p = CurrentPage(); p && p->HasDefaults()) p->Defaults();
  });

  m_set = BuildPageSet(SetInput());
  AddPages(m_set.pages);
  connect(m_tabs, &QTabWidget::currentChanged, this, &OptionsSheet::PageChosen);
  m_current = -1;
  if (!m_pages.empty()) {
    m_switching = true;
    m_tabs->setCurrentIndex(m_set.startIndex);
    m_switching = false;
    m_current = m_set.startIndex;
    m_pages[std::size_t(m_current)]->Activate();
  }
}

OptionsSheet::~OptionsSheet() = default;

DriverCaps& OptionsSheet::Drivers() const { return *m_services.drivers; }

const ToolsetInfo* OptionsSheet::ToolsetEnvironment() const {
  const uint16_t t = m_session.Toolset();
  if (t >= kToolsetCount) return nullptr;
  // The toolset the build itself uses, else the environment as read.
  if (const ToolsetInfo* running = theApp().m_pToolsetInfo[t]) return running;
  return m_services.environment ? m_services.environment->toolsets[t].get() : nullptr;
}

PageSetInput OptionsSheet::SetInput() const {
  PageSetInput in;
  in.toolset = m_session.Toolset();
  in.kind = m_session.Kind();
  if (const OptionBlock* b = m_session.TargetCopy()) in.x51 = b->t51.T51FL;
  if (const FileRec* f = m_session.File()) in.fileType = f->type;
  return in;
}

OptionPage* OptionsSheet::Page(int index) const {
  return index >= 0 && index < PageCount() ? m_pages[std::size_t(index)] : nullptr;
}

OptionPage* OptionsSheet::FindPage(PageId id) const {
  for (OptionPage* p : m_pages)
    if (p->Id() == id) return p;
  return nullptr;
}

OptionPage* OptionsSheet::CurrentPage() const { return Page(m_current); }

void OptionsSheet::AddPages(const std::vector<PageEntry>& pages) {
  m_switching = true;
  for (const PageEntry& e : pages) {
    OptionPage* page = MakeOptionPage(*this, e.id);
    m_pages.push_back(page);
    m_tabs->addTab(page, QString::fromLatin1(e.title.c_str()));
  }
  m_switching = false;
  FitTabs();
}

void OptionsSheet::FitTabs() {
  // At least the width of the longest page set's usual tabs, and always
  // the width every tab of this set needs with its whole title.
  const QMargins m = layout() ? layout()->contentsMargins() : QMargins();
  const int tabs = m_tabs->tabBar()->sizeHint().width() + m.left() + m.right() + 8;
  setMinimumWidth(std::max(720, tabs));
}

void OptionsSheet::RemovePagesFrom(int first) {
  m_switching = true;
  while (PageCount() > first) {
    OptionPage* p = m_pages.back();
    m_pages.pop_back();
    m_tabs->removeTab(PageCount());
    p->deleteLater();
  }
  m_switching = false;
}

bool OptionsSheet::SelectInitialPage() {
  if (m_set.flashIndex < 0 || m_set.flashIndex >= PageCount()) return false;
  m_tabs->setCurrentIndex(m_set.flashIndex);
  return true;
}

void OptionsSheet::ResetPages() {
  // The device went into the working copy (the device page lends it to the
  // target record), so the pages are made again and the copies stay.
  RemovePagesFrom(1);
  PageSet set = BuildPageSet(SetInput());
  std::vector<PageEntry> rest;
  for (std::size_t i = 1; i < set.pages.size(); ++i) rest.push_back(set.pages[i]);
  AddPages(rest);
  m_set = set;
  m_current = 0;
}

void OptionsSheet::RebuildFilePages() {
  if (PageCount() == 0) return;
  RemovePagesFrom(1);
  AddPages(NodeToolPages(SetInput()));
  m_set = BuildPageSet(SetInput());
}

std::string OptionsSheet::ProjectFolder() const {
  const ProjectRec* p = m_session.Project();
  return p ? p->folder.str() : std::string();
}

std::string OptionsSheet::StoredPath(const std::string& path) const {
  const std::string folder = ProjectFolder();
  return folder.empty() ? path : MakeRelativePath(folder, path);
}

std::string OptionsSheet::StoredChosenPath(const std::string& chosen, const std::string& field) {
  const std::string stored = StoredPath(chosen);
  if (const std::string refusal = ChosenPathRefusal(field, chosen, stored); !refusal.empty()) {
    ShowRefusal(refusal);
    return std::string();
  }
  return stored;
}

void OptionsSheet::ShowRefusal(const std::string& message) { m_services.refuse(message); }

void OptionsSheet::ShowNotice(QWidget* field, const std::string& message) { m_services.notice(field, message); }

void OptionsSheet::ShowMessage(const std::string& title, const std::string& text) { m_services.message(title, text); }

bool OptionsSheet::LeaveCurrent() {
  OptionPage* p = CurrentPage();
  if (!p) return true;
  if (!p->TryLeave()) return false;
  p->Deactivated();
  return true;
}

void OptionsSheet::PageChosen(int index) {
  if (m_switching || index == m_current) return;
  // The page being left stays in sight while it checks its entries: a
  // refusal's message stands over the page it speaks of, not over the
  // clicked tab's page (which is not loaded yet).
  m_switching = true;
  m_tabs->setCurrentIndex(m_current);
  m_switching = false;
  if (!LeaveCurrent()) return;
  m_current = index;
  m_switching = true;
  m_tabs->setCurrentIndex(index);
  m_switching = false;
  if (OptionPage* p = CurrentPage()) p->Activate();
}

void OptionsSheet::accept() {
  if (!LeaveCurrent()) return;
  QDialog::accept();
}

void OptionsSheet::reject() { QDialog::reject(); }

void OptionsSheet::keyPressEvent(QKeyEvent* e) {
  // Enter and Escape inside a page neither press OK nor close the sheet,
  // unless the page leaves them to the dialog.
  const OptionPage* page = CurrentPage();
  const bool closes = page && page->EnterClosesSheet();
  switch (e->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      e->accept();
      if (!closes) return;
      // A button with the focus is the one Enter presses; else OK.
      if (auto* button = qobject_cast<QPushButton*>(focusWidget()); button && button->isEnabled()) {
        button->click();
        return;
      }
      accept();
      return;
    case Qt::Key_Escape: {
      e->accept();
      // Swallowed only inside an edit field, so that a page's field never
      // closes the sheet; elsewhere Escape is Cancel.
      QWidget* focus = focusWidget();
      const bool inField = qobject_cast<QLineEdit*>(focus) || qobject_cast<QPlainTextEdit*>(focus) ||
                           qobject_cast<QTextEdit*>(focus);
      if (closes || !inField) reject();
      return;
    }
    default:
      QDialog::keyPressEvent(e);
  }
}

}  // namespace pm2
