#include "browser/ui/browse_result_dialog.h"

#include <QPushButton>
#include <QTimer>

#include "toolkit/controls/list_ctrl.h"

namespace pm2 {
namespace {

constexpr unsigned kListId = 1543;

}  // namespace

BrowseResultDialog::BrowseResultDialog(const BrowseName& name, QWidget* parent)
    : QDialog(parent), m_rows(BrowseChoices(name)) {
  setWindowTitle("Source Browser");
  m_list = new SECListCtrl(this, LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_NOCOLUMNHEADER,
                           LVXS_FULLROWSELECT);
  m_list->setObjectName("Symbols");
  m_list->SetControlId(kListId);
  m_list->SetNotifyListener(this);
  m_list->InsertColumn(0, "", LVCFMT_LEFT, 340);
  for (size_t i = 0; i < m_rows.size(); ++i) {
    const int at = m_list->InsertItemText(static_cast<int>(i), m_rows[i].text);
    m_list->SetItemData(at, reinterpret_cast<std::intptr_t>(m_rows[i].symbol));
  }
  m_ok = new QPushButton("OK", this);
  m_ok->setDefault(true);
  m_ok->setEnabled(false);
  m_cancel = new QPushButton("Cancel", this);
  connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);
  connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
  resize(380, 220);
}

BrowseResultDialog::~BrowseResultDialog() { m_list->SetNotifyListener(nullptr); }

// The one geometry of the dialog: the list above, the buttons at the
// bottom right.
void BrowseResultDialog::resizeEvent(QResizeEvent*) {
  const int gap = 8;
  const int bh = m_ok->sizeHint().height();
  const int bw = std::max(80, m_cancel->sizeHint().width());
  m_list->setGeometry(gap, gap, width() - 2 * gap, height() - bh - 3 * gap);
  m_list->SetColumnWidth(0, std::max(100, width() - 2 * gap - 4));
  m_cancel->setGeometry(width() - gap - bw, height() - gap - bh, bw, bh);
  m_ok->setGeometry(width() - 2 * gap - 2 * bw, height() - gap - bh, bw, bh);
}

void BrowseResultDialog::SelectRow(int row) {
  m_list->SetFocusItem(row, row >= 0);
  SelectionChanged();
}

void BrowseResultDialog::SelectionChanged() {
  const int row = m_list->GetNextItem(-1, LVNI_SELECTED);
  m_chosen = row >= 0 ? reinterpret_cast<BrowseSymbol*>(m_list->GetItemData(row)) : nullptr;
  m_ok->setEnabled(m_chosen != nullptr);
}

NotifyResult BrowseResultDialog::OnNotify(NotifyHeader& hdr) {
  switch (hdr.code) {
    case NM_CLICK:
      SelectionChanged();
      break;
    case LVN_KEYDOWN:
      QTimer::singleShot(0, this, [this] { SelectionChanged(); });
      break;
    case NM_DBLCLK:
    case NM_RETURN:
      SelectionChanged();
      if (m_chosen) accept();
      break;
    default:
      break;
  }
  return 0;
}

BrowseSymbol* DialogBrowseChooser::Choose(const BrowseName& name) {
  BrowseResultDialog dialog(name, m_parent);
  if (m_run(dialog) != QDialog::Accepted) return nullptr;
  return dialog.Chosen();
}

}  // namespace pm2
