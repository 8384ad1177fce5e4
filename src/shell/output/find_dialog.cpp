#include "shell/output/find_dialog.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "toolkit/controls/qt_bridge.h"

namespace pm2 {

OutputFindDialog::OutputFindDialog(QWidget* parent, FindHandler onFindNext)
    : QDialog(parent), onFindNext_(std::move(onFindNext)) {
  setWindowTitle("Find");
  setModal(false);
  auto* label = new QLabel("Fi&nd what:");
  text_ = new QLineEdit;
  label->setBuddy(text_);
  wholeWord_ = new QCheckBox("Match &whole word only");
  matchCase_ = new QCheckBox("Match &case");
  auto* direction = new QGroupBox("Direction");
  up_ = new QRadioButton("&Up");
  down_ = new QRadioButton("&Down");
  down_->setChecked(true);
  auto* dirLayout = new QHBoxLayout(direction);
  dirLayout->addWidget(up_);
  dirLayout->addWidget(down_);
  findNext_ = new QPushButton("&Find Next");
  findNext_->setDefault(true);
  findNext_->setEnabled(false);
  auto* cancel = new QPushButton("Cancel");

  auto* grid = new QGridLayout(this);
  grid->addWidget(label, 0, 0);
  grid->addWidget(text_, 0, 1, 1, 2);
  auto* boxes = new QVBoxLayout;
  boxes->addWidget(wholeWord_);
  boxes->addWidget(matchCase_);
  grid->addLayout(boxes, 1, 0, 1, 2);
  grid->addWidget(direction, 1, 2);
  auto* buttons = new QVBoxLayout;
  buttons->addWidget(findNext_);
  buttons->addWidget(cancel);
  buttons->addStretch();
  grid->addLayout(buttons, 0, 3, 2, 1);

  connect(text_, &QLineEdit::textChanged, this, [this](const QString& t) { findNext_->setEnabled(!t.isEmpty()); });
  connect(findNext_, &QPushButton::clicked, this, [this] {
    if (onFindNext_ && !text_->text().isEmpty()) onFindNext_(Text(), Options());
  });
  connect(cancel, &QPushButton::clicked, this, &QDialog::hide);
}

void OutputFindDialog::Open() {
  if (!isVisible()) text_->clear();
  show();
  raise();
  activateWindow();
  text_->setFocus();
}

std::string OutputFindDialog::Text() const { return FromQString(text_->text()); }

FindOptions OutputFindDialog::Options() const {
  FindOptions o;
  o.down = !up_->isChecked();
  o.matchCase = matchCase_->isChecked();
  o.wholeWord = wholeWord_->isChecked();
  return o;
}

}  // namespace pm2
