#include "debugger/dialogs/coverage_dialog.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>

#include "toolkit/controls/list_ctrl.h"

namespace pm2 {

// The coverage rows: fully executed functions white on green.
class CoverageList : public SECListCtrl {
 public:
  CoverageList(CoverageDialog& dialog, QWidget* parent)
      : SECListCtrl(parent, LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS, LVXS_FULLROWSELECT), m_dialog(dialog) {}

 protected:
  void PickItemColors(SECListPaintContext& ctx) override {
    SECListCtrl::PickItemColors(ctx);
    const int row = ctx.item.item;
    const auto& rows = m_dialog.Rows();
    if (row < 0 || row >= int(rows.size()) || IsItemSelected(row)) return;
    if (rows[std::size_t(row)].record->kind & kDbgCovFull) {
      ctx.textColor = MakeRgb(255, 255, 255);
      ctx.bkColor = ctx.fillColor = MakeRgb(0, 128, 0);
    }
  }

 private:
  CoverageDialog& m_dialog;
};

CoverageDialog::CoverageDialog(DebugDialogContext ctx, QWidget* parent)
    : QDialog(parent), m_ctx(std::move(ctx)), m_label(new QLabel("Current Module:", this)),
      m_none(new QLabel("The debugger driver of this session keeps no code coverage.", this)),
      m_modules(new QComboBox(this)), m_list(new CoverageList(*this, this)), m_reset(new QPushButton("Reset", this)),
      m_update(new QPushButton("Update", this)), m_close(new QPushButton("Close", this)) {
  setObjectName("CoverageDialog");
  setWindowTitle("Code Coverage");
  m_modules->setObjectName("CoverageModules");
  m_list->setObjectName("CoverageList");
  m_list->InsertColumn(0, "Modules/Functions", LVCFMT_LEFT, 240);
  m_list->InsertColumn(1, "Execution percentage", LVCFMT_LEFT, 420);
  for (QPushButton* b : {m_reset, m_update, m_close}) b->setAutoDefault(false);
  connect(m_modules, &QComboBox::currentIndexChanged, this, [this] { BuildTree(); });
  connect(m_reset, &QPushButton::clicked, this, [this] { Reset(); });
  connect(m_update, &QPushButton::clicked, this, [this] { Refresh(); });
  connect(m_close, &QPushButton::clicked, this, [this] { close(); });
  resize(600, 400);
  Fill();
  Layout();
}

DbgCoverageRecord* CoverageDialog::First() const {
  DebugInterface* r = m_ctx.R();
  DbgCoverageRecord* first = nullptr;
  if (r && r->DbgEnum) r->DbgEnum(kDbgEnumScopes, 1, reinterpret_cast<intptr_t>(&first));
  return first;
}

void CoverageDialog::Fill() {
  m_list->DeleteAllItems();
  m_rows.clear();
  m_shownChoice = -1;
  const QSignalBlocker block(m_modules);
  m_modules->clear();
  DbgCoverageRecord* first = First();
  m_none->setVisible(!first);
  if (!first) return;
  m_modules->addItem("<All Modules>");
  for (DbgCoverageRecord* m : CoverageModules(first)) m_modules->addItem(QString::fromLocal8Bit(CoverageName(*m).c_str()));
  if (m_modules->count() > 1) m_modules->setCurrentIndex(1);
  BuildTree();
}

void CoverageDialog::BuildTree() {
  const int choice = m_modules->currentIndex();
  if (choice < 0 || choice == m_shownChoice) return;
  m_shownChoice = choice;
  m_list->DeleteAllItems();
  DebugInterface* r = m_ctx.R();
  m_rows = CoverageRows(First(), choice);
  for (std::size_t i = 0; i < m_rows.size(); ++i) {
    DbgCoverageRecord* rec = m_rows[i].record;
    if (CoverageIsFunction(*rec) && r && r->DbgEnum) r->DbgEnum(kDbgEnumCoverageUpdate, 0, reinterpret_cast<intptr_t>(rec));
    const int row = int(i);
    m_list->InsertItemText(row, std::string(std::size_t(m_rows[i].level) * 4, ' ') + CoverageName(*rec));
    m_list->SetItemText(row, 1, CoverageText(*rec));
  }
  m_list->ReMeasureAndUpdate();
}

void CoverageDialog::Refresh() {
  DebugInterface* r = m_ctx.R();
  for (std::size_t i = 0; i < m_rows.size(); ++i) {
    DbgCoverageRecord* rec = m_rows[i].record;
    if (!CoverageIsFunction(*rec)) continue;
    if (r && r->DbgEnum) r->DbgEnum(kDbgEnumCoverageUpdate, 0, reinterpret_cast<intptr_t>(rec));
    m_list->SetItemText(int(i), 1, CoverageText(*rec));
  }
  m_list->update();
}

void CoverageDialog::Reset() {
  QApplication::setOverrideCursor(Qt::WaitCursor);
  if (DebugInterface* r = m_ctx.R(); r && r->DbgEnum) r->DbgEnum(kDbgEnumCoverageClear, 0, 0);
  QApplication::restoreOverrideCursor();
  Refresh();
  if (m_ctx.service) m_ctx.service(14, 0);
}

std::vector<std::pair<std::string, std::string>> CoverageDialog::RowTexts() const {
  std::vector<std::pair<std::string, std::string>> out;
  for (int i = 0; i < m_list->GetItemCount(); ++i) out.emplace_back(m_list->GetItemText(i, 0), m_list->GetItemText(i, 1));
  return out;
}

void CoverageDialog::resizeEvent(QResizeEvent*) { Layout(); }

// The one geometry: the module row, the list, the buttons at the bottom.
void CoverageDialog::Layout() {
  const int w = width(), h = height(), m = 8;
  const int rowH = m_modules->sizeHint().height(), bh = m_reset->sizeHint().height();
  m_label->setGeometry(m, m, 110, rowH);
  m_modules->setGeometry(m + 115, m, std::max(100, w - 2 * m - 115), rowH);
  const int top = m + rowH + m;
  const QRect listRect(m, top, w - 2 * m, std::max(40, h - top - bh - 2 * m));
  m_list->setGeometry(listRect);
  m_none->setGeometry(listRect.adjusted(10, 10, -10, -10));
  m_none->setWordWrap(true);
  m_none->raise();
  int x = m;
  for (QPushButton* b : {m_reset, m_update}) {
    b->setGeometry(x, h - m - bh, 90, bh);
    x += 96;
  }
  m_close->setGeometry(w - m - 90, h - m - bh, 90, bh);
}

}  // namespace pm2
