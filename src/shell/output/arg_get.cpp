#include "shell/output/arg_get.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QValidator>
#include <QVBoxLayout>

#include "toolkit/controls/qt_bridge.h"

namespace pm2 {
namespace {

// A character limit that refuses only edits making the text longer than
// the limit and longer than it was, as an edit control's limit does: a
// longer text put in by the program stays whole and can still be shortened.
class GrowLimit : public QValidator {
 public:
  GrowLimit(QLineEdit* edit, int limit) : QValidator(edit), limit_(limit) {
    // The edit already holds the new text while it asks, so the length
    // before is kept from its last accepted change.
    connect(edit, &QLineEdit::textChanged, this, [this](const QString& t) { before_ = t.size(); });
  }
  State validate(QString& input, int&) const override {
    return input.size() > limit_ && input.size() > before_ ? Invalid : Acceptable;
  }

 private:
  int limit_;
  qsizetype before_ = 0;
};

}  // namespace

CArgGet::CArgGet(QWidget* parent) : QDialog(parent), edit_(new QLineEdit) {
  edit_->setObjectName(QString::number(kEditId));
  limit_ = new GrowLimit(edit_, kEditLimit);
  edit_->setValidator(limit_);
  edit_->setMinimumWidth(360);
  auto* label = new QLabel("&Arguments:");
  label->setBuddy(edit_);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(label);
  layout->addWidget(edit_);
  layout->addWidget(buttons);
}

void CArgGet::showEvent(QShowEvent* e) {
  if (!initialised_) OnInitDialog();
  QDialog::showEvent(e);
}

void CArgGet::OnInitDialog() {
  initialised_ = true;
  setWindowTitle(ToQString("Application - " + m_toolName));
  m_result.clear();
  m_resultLength = 0;
  // The prepared line goes in unchecked: the limit is only for typing.
  edit_->setValidator(nullptr);
  edit_->setText(ToQString(m_prepared));
  edit_->setValidator(limit_);
  edit_->setFocus();
}

void CArgGet::done(int result) {
  initialised_ = false;  // the next opening starts afresh
  QDialog::done(result);
}

void CArgGet::accept() {
  m_result = FromQString(edit_->text());
  if (m_result.size() > kResultMax) m_result.resize(kResultMax);
  m_resultLength = static_cast<int>(m_result.size());
  QDialog::accept();
}

}  // namespace pm2
