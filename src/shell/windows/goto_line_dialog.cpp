#include "shell/windows/goto_line_dialog.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "shell/app/line_input_rules.h"

namespace pm2 {

namespace {

// Enter and Escape in the edit must not reach the dialog's default handling.
class SwallowEnterEscape : public QObject {
 public:
  using QObject::QObject;
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() != QEvent::KeyPress) return false;
    int key = static_cast<QKeyEvent*>(event)->key();
    return key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape;
  }
};

}  // namespace

GotoLineDialog::GotoLineDialog(GotoLineTarget& target, std::function<void()> beep, QWidget* parent)
    : QDialog(parent), m_target(target), m_beep(std::move(beep)) {
  setWindowTitle("Go to Line");
  setAttribute(Qt::WA_DeleteOnClose);
  setModal(false);
  auto* label = new QLabel("&Line number:", this);
  m_edit = new QLineEdit(this);
  m_edit->setObjectName(QString::number(kEditId));
  m_edit->setMaxLength(kGotoLineEditLimit);
  m_edit->installEventFilter(new SwallowEnterEscape(this));
  label->setBuddy(m_edit);
  m_go = new QPushButton("&Go To", this);
  m_go->setObjectName(QString::number(kButtonId));
  m_go->setAutoDefault(false);
  connect(m_go, &QPushButton::clicked, this, &GotoLineDialog::Go);
  auto* layout = new QHBoxLayout(this);
  layout->addWidget(label);
  layout->addWidget(m_edit, 1);
  layout->addWidget(m_go);
}

void GotoLineDialog::keyPressEvent(QKeyEvent* event) {
  int key = event->key();
  if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape) return;
  QDialog::keyPressEvent(event);
}

void GotoLineDialog::Refuse() {
  if (m_beep)
    m_beep();
  else
    QApplication::beep();
}

void GotoLineDialog::Go() {
  m_edit->selectAll();
  if (!m_target.HasActiveEditorView()) return Refuse();
  long line = ParseGotoLine(m_edit->text().toLocal8Bit().toStdString());
  if (line == 0) return Refuse();
  if (!m_target.GoToLine(line)) Refuse();
}

}  // namespace pm2
