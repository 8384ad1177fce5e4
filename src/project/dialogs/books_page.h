// PgBooks: the books page of the sheet (general, tool-specific and
// device-specific books), and CBookDlg, the dialog that asks one book's
// title and file.
#pragma once

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QWidget>
#include <deque>
#include <functional>

#include "project/edit/books_edit.h"
#include "toolkit/controls/browse_edit.h"

namespace pm2 {

class BookDialog : public QDialog {
  Q_OBJECT
 public:
  // Why a title and file cannot be kept ("" when they can): OK refuses
  // them with this message and the dialog stays open with what was typed.
  using Checker = std::function<std::string(const QString& title, const QString& path)>;

  BookDialog(const QString& title, const QString& path, QWidget* parent = nullptr);
  void SetChecker(Checker checker) { m_checker = std::move(checker); }
  QLineEdit* TitleEdit() const { return m_title; }
  QString Title() const { return m_titleText; }
  QString Path() const { return m_pathText; }
  SECBrowseFileEdit* PathEdit() const { return m_path; }
  void accept() override;
  void reject() override;

 private:
  QLineEdit* m_title = nullptr;
  SECBrowseFileEdit* m_path = nullptr;
  QString m_titleText, m_pathText;
  Checker m_checker;
};

class BooksPage;

// CLbEd: rows are books; a new entry asks the page (kind 6) instead of
// opening an empty row.
class BookListEditor : public SECListBoxEditor {
  Q_OBJECT
 public:
  BookListEditor(BooksPage* page, int list, QWidget* parent);
  bool OnNewItem() override;
  // A title typed into the row is refused as the book dialog refuses it.
  void OnItemRenamed(int index, std::string oldText, std::string newText) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseDoubleClickEvent(QMouseEvent* e) override;

 private:
  BooksPage* m_page;
  int m_list;
};

class BooksPage : public QWidget {
  Q_OBJECT
 public:
  // Runs the book dialog; tests replace it. Gives false for Cancel.
  using BookAsker = std::function<bool(QString& title, QString& path)>;

  BooksPage(ProjectSheetCopy& copy, const std::string& installRoot, QWidget* parent = nullptr);
  void Activate();
  void Leave();

  BookListEditor* List(int list) const { return m_lists[list]; }
  QPushButton* BookButton() const { return m_button; }
  void SetBookAsker(BookAsker asker) { m_asker = std::move(asker); }

  // Starting an edit on a row (click) or a new entry (kind 6).
  void StartChange(int list, int row);
  void StartAdd(int list);
  void OnBookButton();
  // Why the book cannot be kept in the list ("" when it can): the path as
  // it would be stored.
  std::string Refusal(int list, const std::string& title, const std::string& chosenPath) const;
  QLabel* ToolsetFolderLabel() const { return m_toolsetFolder; }

 protected:
  void keyPressEvent(QKeyEvent* e) override;

 private:
  std::string BaseFolder(int list) const;
  std::string StoredPath(int list, const std::string& chosenPath) const;
  void ClearOtherSelections(int list);

  ProjectSheetCopy& m_copy;
  std::string m_installRoot;
  BookListEditor* m_lists[3] = {};
  SECBrowseDirEdit* m_deviceFolder = nullptr;
  QLabel* m_toolsetFolder = nullptr;
  QLabel* m_selectedPath = nullptr;
  QLineEdit* m_titleField = nullptr;
  QLineEdit* m_pathField = nullptr;
  QPushButton* m_button = nullptr;
  std::deque<BookListItem> m_books;  // row data point here
  int m_mode = 0;                    // 1 change, 2 add
  int m_list = -1;
  int m_row = -1;
  BookAsker m_asker;
};

}  // namespace pm2
