#include "shell/tools/ui/scc_query_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>

namespace pm2 {
namespace {

std::string Taken(const QLineEdit* e, size_t limit) {
  if (!e->isEnabled()) return {};
  return e->text().trimmed().toStdString().substr(0, limit);
}

}  // namespace

SccQueryDialog::SccQueryDialog(const SccQueryFlags& flags, const std::string& comment,
                               const std::string& revision, const std::string& checkPoint, QWidget* parent)
    : QDialog(parent) {
  setWindowTitle("Source Control");
  m_comment = new QLineEdit(QString::fromStdString(comment), this);
  m_comment->setMaxLength(256);
  m_revision = new QLineEdit(QString::fromStdString(revision), this);
  m_revision->setMaxLength(128);
  m_checkPoint = new QLineEdit(QString::fromStdString(checkPoint), this);
  m_checkPoint->setMaxLength(128);
  m_comment->setEnabled(flags.comment);
  m_revision->setEnabled(flags.revision);
  m_checkPoint->setEnabled(flags.checkPoint);
  m_comment->setMinimumWidth(320);
  auto* form = new QFormLayout(this);
  form->addRow("&Comment:", m_comment);
  form->addRow("&Revision:", m_revision);
  form->addRow("Check &Point:", m_checkPoint);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  form->addRow(buttons);
}

void SccQueryDialog::Texts(std::string* comment, std::string* revision, std::string* checkPoint) const {
  *comment = Taken(m_comment, 298);
  *revision = Taken(m_revision, 126);
  *checkPoint = Taken(m_checkPoint, 126);
}

}  // namespace pm2
