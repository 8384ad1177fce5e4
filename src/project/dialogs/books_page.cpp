#include "project/dialogs/books_page.h"

#include <QDialogButtonBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QMouseEvent>

#include "project/dialogs/dialog_services.h"
#include "project/environment/environment_lines.h"
#include "project/text/path_text.h"

namespace pm2 {

// ---------------------------------------------------------------- book dialog

BookDialog::BookDialog(const QString& title, const QString& path, QWidget* parent) : QDialog(parent) {
  UseDialogFont(this);
  setWindowTitle("Book");
  resize(420, 116);
  auto* l1 = new QLabel("&Title:", this);
  l1->setGeometry(10, 12, 60, 21);
  m_title = new QLineEdit(title, this);
  m_title->setGeometry(74, 12, 336, 21);
  m_title->setMaxLength(64);
  l1->setBuddy(m_title);
  auto* l2 = new QLabel("&File:", this);
  l2->setGeometry(10, 42, 60, 21);
  m_path = new SECBrowseFileEdit(this);
  m_path->setGeometry(74, 42, 336, 21);
  m_path->setMaxLength(256);
  m_path->setText(path);
  m_path->SetTitle("Select Book");
  m_path->Initialize();
  l2->setBuddy(m_path);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->setGeometry(10, 78, 400, 28);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

void BookDialog::accept() {
  const QString title = m_title->text().left(64), path = m_path->text().left(256);
  if (m_checker) {
    if (const std::string refusal = m_checker(title, path); !refusal.empty()) {
      RefuseWithMessage(refusal);
      (refusal.find("'Title'") != std::string::npos ? static_cast<QWidget*>(m_title) : m_path)->setFocus();
      return;
    }
  }
  m_titleText = title;
  m_pathText = path;
  QDialog::accept();
}

void BookDialog::reject() {
  m_titleText.clear();
  m_pathText.clear();
  QDialog::reject();
}

// ---------------------------------------------------------------- list editor

BookListEditor::BookListEditor(BooksPage* page, int list, QWidget* parent)
    : SECListBoxEditor(parent), m_page(page), m_list(list) {}

bool BookListEditor::OnNewItem() {
  m_page->StartAdd(m_list);
  return true;
}

void BookListEditor::OnItemRenamed(int index, std::string oldText, std::string newText) {
  auto* b = reinterpret_cast<BookListItem*>(GetData(index));
  if (b) {
    std::string title = newText;
    while (!title.empty() && (title.back() == ' ' || title.back() == '\t')) title.pop_back();
    if (const std::string refusal = BookRefusal(m_list, title, b->path); !title.empty() && !refusal.empty()) {
      RefuseWithMessage(refusal);
      SetItemText(index, oldText);
      return;
    }
  }
  SECListBoxEditor::OnItemRenamed(index, oldText, newText);
}

void BookListEditor::mousePressEvent(QMouseEvent* e) {
  SECListBoxEditor::mousePressEvent(e);
  const int row = RowAt(e->pos());
  if (row >= 0 && row < GetItemCount()) m_page->StartChange(m_list, row);
}

void BookListEditor::mouseDoubleClickEvent(QMouseEvent* e) {
  SECListBoxEditor::mouseDoubleClickEvent(e);
  const int row = GetCurSel();
  if (row >= 0 && row < GetItemCount()) m_page->StartChange(m_list, row);
}

// ---------------------------------------------------------------- page

namespace {

constexpr const char* kListCaptions[3] = {"General Books", "Tool Specific", "Device Specific"};
constexpr int kListKinds[3] = {kBookGeneral, kBookTool, kBookDevice};

}  // namespace

BooksPage::BooksPage(ProjectSheetCopy& copy, const std::string& installRoot, QWidget* parent)
    : QWidget(parent), m_copy(copy), m_installRoot(WithTrailingSeparator(installRoot)) {
  UseDialogFont(this);
  resize(560, 420);
  const int w = 174;
  for (int i = 0; i < 3; ++i) {
    m_lists[i] = new BookListEditor(this, i, this);
    m_lists[i]->setGeometry(10 + i * (w + 9), 10, w, 184);
    m_lists[i]->SetCaption(kListCaptions[i]);
    m_lists[i]->Initialize(LBE_BUTTONS | LBE_TOOLTIPS | LBE_SHORTCUTS | LBE_DRAG);
    m_lists[i]->SetSpacesThatEnd(kLbeBlanksInNames);  // titles are words
  }
  auto* base = new QGroupBox("Base Folders", this);
  base->setGeometry(10, 210, 540, 108);
  auto* l1 = new QLabel("Pelmora2:", base);
  l1->setGeometry(12, 20, 110, 21);
  auto* root = new QLabel(FromLocal(m_installRoot), base);
  root->setGeometry(126, 20, 400, 21);
  auto* l3 = new QLabel("Toolset:", base);
  l3->setGeometry(12, 46, 110, 21);
  m_toolsetFolder = new QLabel(FromLocal(BaseFolder(kBooksTool)), base);
  m_toolsetFolder->setGeometry(126, 46, 400, 21);
  auto* l2 = new QLabel("Device Books:", base);
  l2->setGeometry(12, 74, 110, 21);
  m_deviceFolder = new SECBrowseDirEdit(base);
  m_deviceFolder->setGeometry(126, 74, 402, 21);
  m_deviceFolder->setMaxLength(256);
  m_deviceFolder->SetTitle("Device Books Root Path");
  m_deviceFolder->Initialize();

  auto* book = new QGroupBox("Selected Book", this);
  book->setGeometry(10, 322, 540, 92);
  auto* t = new QLabel("Title:", book);
  t->setGeometry(12, 20, 50, 21);
  m_titleField = new QLineEdit(book);
  m_titleField->setGeometry(66, 20, 330, 21);
  m_titleField->setMaxLength(256);
  auto* p = new QLabel("Path:", book);
  p->setGeometry(12, 46, 50, 21);
  m_pathField = new QLineEdit(book);
  m_pathField->setGeometry(66, 46, 330, 21);
  m_pathField->setMaxLength(256);
  m_button = new QPushButton("Change Book", book);
  m_button->setGeometry(408, 20, 120, 24);
  m_button->setEnabled(false);
  m_selectedPath = new QLabel(book);
  m_selectedPath->setGeometry(66, 68, 462, 18);
  connect(m_button, &QPushButton::clicked, this, &BooksPage::OnBookButton);
  m_asker = [this](QString& title, QString& path) {
    BookDialog dlg(title, path, this);
    const int list = m_list;
    dlg.SetChecker([this, list](const QString& t, const QString& p) { return Refusal(list, ToLocal(t), ToLocal(p)); });
    if (dlg.exec() != QDialog::Accepted) return false;
    title = dlg.Title();
    path = dlg.Path();
    return true;
  };
  Activate();
}

void BooksPage::Activate() {
  BooksLists l = BooksListsFor(m_copy);
  m_deviceFolder->setText(FromLocal(l.deviceBooksFolder));
  m_toolsetFolder->setText(FromLocal(BaseFolder(kBooksTool)));  // the folders page may have changed it
  for (int i = 0; i < 3; ++i) {
    while (m_lists[i]->GetItemCount() > 0) m_lists[i]->DeleteString(0);
    int at = 0;
    for (const BookListItem& b : l.lists[i]) {
      m_books.push_back(b);
      m_lists[i]->InsertString(at++, b.title, std::intptr_t(&m_books.back()));
    }
    m_lists[i]->SetCurSel(-1);
  }
}

std::string BooksPage::BaseFolder(int list) const {
  if (list == kBooksGeneral) return m_installRoot;
  if (list == kBooksTool) {
    const TargetRec* t = m_copy.current;
    return (t && t->toolset < kToolsetCount) ? WithTrailingSeparator(m_copy.folders[t->toolset].rootFolder)
                                             : std::string();
  }
  return WithTrailingSeparator(ToLocal(m_deviceFolder->text()));
}

std::string BooksPage::StoredPath(int list, const std::string& chosenPath) const {
  // Blanks around a path are not kept by the environment file's line.
  const std::string chosen(TrimBlanks(chosenPath));
  const std::string folder =
      (list == kBooksDevice && m_copy.project) ? m_copy.project->folder.str() : std::string();
  return BookStoredPath(chosen, folder, BaseFolder(list));
}

std::string BooksPage::Refusal(int list, const std::string& title, const std::string& chosenPath) const {
  return BookRefusal(list, title, StoredPath(list, chosenPath));
}

void BooksPage::ClearOtherSelections(int list) {
  for (int i = 0; i < 3; ++i)
    if (i != list) m_lists[i]->SetCurSel(-1);
}

void BooksPage::StartChange(int list, int row) {
  auto* b = reinterpret_cast<BookListItem*>(m_lists[list]->GetData(row));
  m_mode = 1;
  m_list = list;
  m_row = row;
  ClearOtherSelections(list);
  m_lists[list]->SetCurSel(row);
  m_titleField->setText(FromLocal(b ? b->title : m_lists[list]->GetText(row)));
  m_pathField->setText(FromLocal(b ? BookShownPath(b->path, BaseFolder(list)) : std::string()));
  m_selectedPath->setText(FromLocal(b ? b->path : std::string()));
  m_button->setText("Change Book");
  m_button->setEnabled(true);
  m_titleField->setFocus();
  m_titleField->selectAll();
}

void BooksPage::StartAdd(int list) {
  m_mode = 2;
  m_list = list;
  m_row = -1;
  ClearOtherSelections(list);
  m_titleField->clear();
  m_pathField->setText(FromLocal(BaseFolder(list)));
  m_button->setText("Add Book");
  m_button->setEnabled(true);
  m_titleField->setFocus();
  OnBookButton();
}

void BooksPage::OnBookButton() {
  if (m_list < 0) return;
  QString title = m_titleField->text().left(256);
  QString path = m_pathField->text().left(256);
  if (!m_asker || !m_asker(title, path)) return;
  // Whatever asked for the book, the list takes none that its file could
  // not give back as it was typed.
  if (const std::string refusal = Refusal(m_list, ToLocal(title), ToLocal(path)); !refusal.empty()) {
    RefuseWithMessage(refusal);
    return;
  }
  m_button->setEnabled(false);
  BookListItem item{ToLocal(title), StoredPath(m_list, ToLocal(path)), kListKinds[m_list]};
  m_books.push_back(item);
  BookListEditor* list = m_lists[m_list];
  if (m_mode == 1 && m_row >= 0 && m_row < list->GetItemCount()) {
    list->DeleteString(m_row);
    list->InsertString(m_row, item.title, std::intptr_t(&m_books.back()));
    list->SetCurSel(m_row);
  } else if (m_mode == 2) {
    list->InsertString(list->GetItemCount(), item.title, std::intptr_t(&m_books.back()));
  }
  list->update();
}

void BooksPage::keyPressEvent(QKeyEvent* e) {
  // Enter and Break typed on the page must not close the sheet.
  if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter || e->key() == Qt::Key_Pause) {
    e->accept();
    return;
  }
  QWidget::keyPressEvent(e);
}

void BooksPage::Leave() {
  BooksLists l;
  l.deviceBooksFolder = ToLocal(m_deviceFolder->text()).substr(0, 256);
  for (int i = 0; i < 3; ++i) {
    for (int row = 0; row < m_lists[i]->GetItemCount(); ++row) {
      auto* b = reinterpret_cast<BookListItem*>(m_lists[i]->GetData(row));
      l.lists[i].push_back({m_lists[i]->GetText(row), b ? b->path : std::string(), kListKinds[i]});
    }
  }
  LeaveBooksPage(m_copy, l);
}

}  // namespace pm2
