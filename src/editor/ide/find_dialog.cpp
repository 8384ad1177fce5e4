#include "editor/ide/find_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHideEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QVBoxLayout>

#include "editor/document/find_placement.h"
#include "editor/view/edit_view.h"
#include "editor/view/qt_clipboard.h"
#include "platform/settings_store.h"

namespace pm2 {

namespace {
QString Latin1(const std::string& s) { return EditFieldText(s); }
std::string Bytes(const QString& s) { return EditFieldBytes(s); }

void FillCombo(QComboBox* combo, const std::vector<std::string>& items) {
  combo->clear();
  for (const std::string& item : items) combo->addItem(Latin1(item));
}
}  // namespace

EditFindDialog::EditFindDialog(EditView* view, bool replace, SettingsStore* settings, std::function<void()> searched)
    : QDialog(view, Qt::Dialog), m_view(view), m_searched(std::move(searched)), m_replace(replace), m_settings(settings) {
  setModal(false);
  setWindowTitle(replace ? QStringLiteral("Replace") : QStringLiteral("Find"));
  auto* grid = new QGridLayout;
  m_find = new QComboBox(this);
  m_find->setEditable(true);
  // What is typed is what is searched: the history stays in the drop-down
  // list and never completes a typed prefix (case-insensitively at that).
  m_find->setCompleter(nullptr);
  m_find->setMinimumWidth(220);
  m_find->setInsertPolicy(QComboBox::NoInsert);
  auto* findLabel = new QLabel(QStringLiteral("Fi&nd what:"), this);
  findLabel->setBuddy(m_find);
  grid->addWidget(findLabel, 0, 0);
  grid->addWidget(m_find, 0, 1);
  if (replace) {
    m_replaceWith = new QComboBox(this);
    m_replaceWith->setEditable(true);
    m_replaceWith->setCompleter(nullptr);
    m_replaceWith->setInsertPolicy(QComboBox::NoInsert);
    auto* replaceLabel = new QLabel(QStringLiteral("Re&place with:"), this);
    replaceLabel->setBuddy(m_replaceWith);
    grid->addWidget(replaceLabel, 1, 0);
    grid->addWidget(m_replaceWith, 1, 1);
  }
  m_matchCase = new QCheckBox(QStringLiteral("Match &case"), this);
  m_regex = new QCheckBox(QStringLiteral("Regular &expression"), this);
  m_wrap = new QCheckBox(QStringLiteral("&Wrap around"), this);
  auto* checks = new QVBoxLayout;
  checks->addWidget(m_matchCase);
  checks->addWidget(m_regex);
  checks->addWidget(m_wrap);
  auto* options = new QHBoxLayout;
  options->addLayout(checks);
  m_up = new QRadioButton(QStringLiteral("&Up"), this);
  m_down = new QRadioButton(QStringLiteral("&Down"), this);
  if (!replace) {
    auto* direction = new QGroupBox(QStringLiteral("Direction"), this);
    auto* dl = new QHBoxLayout(direction);
    dl->addWidget(m_up);
    dl->addWidget(m_down);
    options->addWidget(direction);
  } else {
    m_up->hide();
    m_down->hide();
  }
  auto* left = new QVBoxLayout;
  left->addLayout(grid);
  left->addLayout(options);
  left->addStretch();

  auto* buttons = new QVBoxLayout;
  auto button = [&](const char* text, void (EditFindDialog::*run)()) {
    auto* b = new QPushButton(QString::fromLatin1(text), this);
    connect(b, &QPushButton::clicked, this, [this, run] { (this->*run)(); });
    buttons->addWidget(b);
    return b;
  };
  QPushButton* next = button("&Find Next", &EditFindDialog::FindNext);
  next->setDefault(true);
  button("&Mark All", &EditFindDialog::MarkAll);
  if (replace) {
    m_replaceButton = button("&Replace", &EditFindDialog::ReplaceOne);
    m_replaceAllButton = button("Replace &All", &EditFindDialog::ReplaceAll);
  }
  auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  buttons->addWidget(cancel);
  buttons->addStretch();

  auto* top = new QHBoxLayout(this);
  top->addLayout(left);
  top->addLayout(buttons);
}

void EditFindDialog::Prepare() {
  EditFindOptions opt;
  if (m_settings) LoadFindSettings(*m_settings, &opt, &m_history);
  m_matchCase->setChecked(opt.matchCase);
  m_regex->setChecked(opt.regex);
  m_wrap->setChecked(opt.wrap);
  (opt.forward ? m_down : m_up)->setChecked(true);
  FillCombo(m_find, m_history.find);
  std::string word;
  if (m_view->Engine().GetFindText(&word) && !word.empty())
    m_find->setCurrentText(Latin1(word));
  else if (!m_history.find.empty())
    m_find->setCurrentIndex(0);
  if (m_replaceWith) {
    FillCombo(m_replaceWith, m_history.replace);
    if (!m_history.replace.empty()) m_replaceWith->setCurrentIndex(0);
    m_replaceButton->setEnabled(true);
    m_replaceAllButton->setEnabled(true);
  }
  adjustSize();
  Place();
  TakeFocus();
}

void EditFindDialog::TakeFocus() {
  // Every opening starts in the find field with its text selected, so that
  // what is typed replaces it, wherever the focus was when it last closed.
  m_find->setFocus(Qt::OtherFocusReason);
  if (QLineEdit* edit = m_find->lineEdit()) edit->selectAll();
}

void EditFindDialog::Place() {
  QWidget* main = m_view->window();
  const EditState& s = m_view->Engine().State();
  QRect viewRect(m_view->viewport()->mapToGlobal(QPoint(0, 0)), m_view->viewport()->size());
  FindPlacement p;
  p.mainTop = main->frameGeometry().top();
  p.viewTop = viewRect.top();
  p.viewBottom = viewRect.bottom();
  p.lineHeight = s.nLineHeight;
  p.caretRowY = viewRect.top() + (s.nCaretLine - s.nTopLine) * s.nLineHeight;
  p.dialogHeight = frameGeometry().height();
  QScreen* screen = main->screen();
  p.screenBottom = screen ? screen->availableGeometry().bottom() : p.viewBottom;
  move(pos().x() == 0 && pos().y() == 0 ? main->frameGeometry().left() : pos().x(), FindDialogTop(p));
}

bool EditFindDialog::Apply() {
  std::string text = Bytes(m_find->currentText());
  if (text.empty()) return false;
  EditShared& shared = m_view->Engine().Shared();
  shared.find.text = text;
  shared.find.matchCase = m_matchCase->isChecked();
  shared.find.regex = m_regex->isChecked();
  shared.find.wrap = m_wrap->isChecked();
  shared.find.forward = m_replace || !m_up->isChecked();
  PushHistory(m_history.find, text, false);
  if (m_replaceWith) {
    shared.replacement = Bytes(m_replaceWith->currentText());
    PushHistory(m_history.replace, shared.replacement, true);
  }
  if (m_settings) SaveFindSettings(*m_settings, shared.find, m_history);
  // The lists show the new order; the texts stay as typed.
  QString find = m_find->currentText();
  FillCombo(m_find, m_history.find);
  m_find->setCurrentText(find);
  if (m_replaceWith) {
    QString with = m_replaceWith->currentText();
    FillCombo(m_replaceWith, m_history.replace);
    m_replaceWith->setCurrentText(with);
  }
  KeepCaretVisible();
  return true;
}

void EditFindDialog::KeepCaretVisible() {
  if (!isVisible()) return;
  QWidget* port = m_view->viewport();
  int top = port->mapFromGlobal(frameGeometry().topLeft()).y();
  int bottom = port->mapFromGlobal(frameGeometry().bottomLeft()).y();
  if (bottom > 0 && top < port->height()) m_view->Engine().SetDialogRect(top, bottom);
}

void EditFindDialog::FindNext() {
  if (!Apply()) return;
  ShowOutcome(m_view->Engine().FindFromDialog());
}

void EditFindDialog::ReplaceOne() {
  if (!Apply()) return;
  ShowOutcome(m_view->Engine().ReplaceNext());
}

void EditFindDialog::ShowOutcome(EditEngine::FindOutcome outcome) {
  if (m_searched) m_searched();
  if (outcome == EditEngine::FindOutcome::kPassDone) return;  // the engine closed the dialog
  bool found = outcome == EditEngine::FindOutcome::kFound;
  // A wrapped search that found nothing leaves nothing to replace.
  if (m_replaceButton && (found || m_wrap->isChecked())) {
    m_replaceButton->setEnabled(found);
    m_replaceAllButton->setEnabled(found);
  }
  if (!found) m_find->setFocus();
}

void EditFindDialog::ReplaceAll() {
  if (!Apply()) return;
  m_view->Engine().ReplaceAll();
  if (m_searched) m_searched();
}

void EditFindDialog::hideEvent(QHideEvent* e) {
  QDialog::hideEvent(e);
  // Not when the system hides it with the minimised main window: the user
  // comes back to the same search.
  if (!e->spontaneous()) m_view->Engine().FindDialogClosed();
}

void EditFindDialog::MarkAll() {
  if (!Apply()) return;
  if (m_view->Engine().MarkAll() < 0) {
    // The engine told why the expression is invalid: the dialog stays for
    // the user to mend it.
    m_find->setFocus();
    return;
  }
  m_view->viewport()->update();
  accept();
}

}  // namespace pm2
