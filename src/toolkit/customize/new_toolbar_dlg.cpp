#include "toolkit/customize/new_toolbar_dlg.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "toolkit/controls/qt_bridge.h"
#include "toolkit/customize/toolbar_list_model.h"

namespace pm2 {

SECNewToolBar::SECNewToolBar(QWidget* parent) : QDialog(parent) {
  setWindowTitle("New Toolbar");
  setFont(DefaultGuiFont());
  auto* grid = new QGridLayout(this);
  grid->setContentsMargins(11, 11, 11, 11);
  grid->setHorizontalSpacing(11);
  auto* label = new QLabel("Toolbar &name:", this);
  m_edit = new QLineEdit(this);
  m_edit->setMinimumWidth(190);
  label->setBuddy(m_edit);
  grid->addWidget(label, 0, 0);
  grid->addWidget(m_edit, 1, 0);
  auto* buttons = new QVBoxLayout;
  m_ok = new QPushButton("OK", this);
  auto* cancel = new QPushButton("Cancel", this);
  for (QPushButton* b : {m_ok, cancel}) {
    b->setFixedSize(75, 23);
    buttons->addWidget(b);
  }
  m_ok->setDefault(true);
  buttons->addStretch();
  grid->addLayout(buttons, 0, 1, 3, 1);
  grid->setRowStretch(2, 1);
  QObject::connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);
  QObject::connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  QObject::connect(m_edit, &QLineEdit::textChanged, this, [this] { NameChanged(); });
  NameChanged();
}

void SECNewToolBar::NameChanged() {
  std::string name = FromQString(m_edit->text());
  if (ClipToolBarName(&name)) {
    const int cursor = std::min(m_edit->cursorPosition(), int(kMaxToolBarName));
    m_edit->setText(ToQString(name));
    m_edit->setCursorPosition(cursor);
  }
  m_strName = name;
  m_ok->setEnabled(NewToolBarNameAcceptable(name));
}

}  // namespace pm2
