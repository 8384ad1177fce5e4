#include "shell/tools/ui/browse_choice_dialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace pm2 {

BrowseChoiceDialog::BrowseChoiceDialog(const std::string& name, std::vector<BrowseChoice> rows, QWidget* parent)
    : QDialog(parent), m_rows(std::move(rows)) {
  setWindowTitle("Source Browser");
  auto* layout = new QVBoxLayout(this);
  auto* label = new QLabel(QString::fromStdString("Symbols named '" + name + "':"), this);
  layout->addWidget(label);
  m_list = new QListWidget(this);
  for (const BrowseChoice& row : m_rows) m_list->addItem(QString::fromStdString(row.text));
  m_list->setMinimumWidth(360);
  label->setBuddy(m_list);
  layout->addWidget(m_list);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  m_ok = buttons->button(QDialogButtonBox::Ok);
  m_ok->setEnabled(false);
  layout->addWidget(buttons);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(m_list, &QListWidget::currentRowChanged, this, [this](int row) { m_ok->setEnabled(row >= 0); });
  connect(m_list, &QListWidget::itemDoubleClicked, this, [this] { accept(); });
}

BrowseSymbol* BrowseChoiceDialog::Chosen() const {
  const int row = m_list->currentRow();
  if (row < 0 || static_cast<size_t>(row) >= m_rows.size()) return nullptr;
  return m_rows[static_cast<size_t>(row)].symbol;
}

BrowseSymbol* DialogBrowseChooser::Choose(const BrowseName& name) {
  const BrowseModule* m = m_session.Module();
  if (!m) return nullptr;
  BrowseChoiceDialog dialog(name.text, BrowseChoices(name), m_parent);
  if (m_run(dialog) != QDialog::Accepted) return nullptr;
  return dialog.Chosen();
}

}  // namespace pm2
