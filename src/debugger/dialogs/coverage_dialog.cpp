#include "debugger/dialogs/coverage_dialog.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>

#include "toolkit/controls/tree_ctrl.h"

namespace pm2 {

// The modules and functions; the item data of a row is its driver record.
// A module opened shows its functions with fresh figures.
class CoverageTree : public SECTreeCtrl {
 public:
  CoverageTree(std::function<void(DbgCoverageRecord*)> update, QWidget* parent)
      : SECTreeCtrl(parent, TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_SHOWSELALWAYS, TVXS_COLUMNHEADER),
        m_update(std::move(update)) {
    EnableSubItemText(true);
    if (GetColumnCount() == 0) InsertColumn(0, "Modules/Functions", LVCFMT_LEFT, 240);
    ListColumnDesc name;
    name.mask = LVCF_TEXT | LVCF_WIDTH;
    name.text = "Modules/Functions";
    name.width = 240;
    SetColumnInfo(0, name);
    InsertColumn(1, "Execution percentage", LVCFMT_LEFT, 150);
    ModifyListStyleEx(0, LVXS_FULLROWSELECT | LVXS_FILLLABELCOLUMN);
    SetTextColor(MakeRgb(0, 0, 0));
    SetBkColor(MakeRgb(255, 255, 255));
    SetSelTextColor(MakeRgb(255, 255, 255));
    SetSelTextBkColor(MakeRgb(0, 0, 0x7D));
  }

  DbgCoverageRecord* RecordOf(HTREEITEM item) {
    return item ? reinterpret_cast<DbgCoverageRecord*>(GetItemData(item)) : nullptr;
  }

  HTREEITEM Insert(DbgCoverageRecord* rec, HTREEITEM parent) {
    if (CoverageIsFunction(*rec)) m_update(rec);
    HTREEITEM item = InsertItem(CoverageName(*rec), parent, TVI_LAST());
    SetItemData(item, reinterpret_cast<std::intptr_t>(rec));
    SetItemText(item, 1, CoverageText(*rec));
    return item;
  }

  // A function row gets the driver's current figures.
  void UpdateRow(HTREEITEM item) {
    DbgCoverageRecord* rec = RecordOf(item);
    if (!rec || !CoverageIsFunction(*rec)) return;
    m_update(rec);
    SetItemText(item, 1, CoverageText(*rec));
  }

 protected:
  void PickItemColors(SECListPaintContext& ctx) override {
    SECTreeCtrl::PickItemColors(ctx);
    const int row = ctx.item.item;
    const CoverageColors c = CoverageRowColors(RecordOf(GetItemAtRow(row)), row >= 0 && row == GetFocusIndex());
    ctx.textColor = c.text;
    ctx.bkColor = ctx.fillColor = c.back;
  }

  NotifyResult NotifyItemExpanded(TreeNode* node, unsigned code) override {
    if ((code & 3) == TVE_EXPAND)
      for (HTREEITEM child = GetChildItem(node); child; child = GetNextSiblingItem(child)) UpdateRow(child);
    return SECTreeCtrl::NotifyItemExpanded(node, code);
  }

 private:
  std::function<void(DbgCoverageRecord*)> m_update;
};

CoverageDialog::CoverageDialog(DebugDialogContext ctx, QWidget* parent)
    : QDialog(parent), m_ctx(std::move(ctx)), m_label(new QLabel("Current Module:", this)),
      m_none(new QLabel("The debugger driver of this session keeps no code coverage.", this)),
      m_modules(new QComboBox(this)),
      m_tree(new CoverageTree(
          [this](DbgCoverageRecord* rec) {
            if (DebugInterface* r = m_ctx.R(); r && r->DbgEnum)
              r->DbgEnum(kDbgEnumCoverageUpdate, 0, reinterpret_cast<intptr_t>(rec));
          },
          this)), m_reset(new QPushButton("Reset", this)),
      m_update(new QPushButton("Update", this)), m_close(new QPushButton("Close", this)) {
  setObjectName("CoverageDialog");
  setWindowTitle("Code Coverage");
  m_modules->setObjectName("CoverageModules");
  m_tree->setObjectName("CoverageTree");
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

SECTreeCtrl* CoverageDialog::Tree() const { return m_tree; }

void CoverageDialog::Fill() {
  m_tree->DeleteAllItems();
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
  m_tree->DeleteAllItems();
  // All modules: a closed module row over its functions; one module: its
  // functions at the root.
  HTREEITEM module = nullptr;
  for (const CoverageRow& row : CoverageRows(First(), choice)) {
    if (row.level == 0 && !CoverageIsFunction(*row.record)) {
      module = m_tree->Insert(row.record, nullptr);
      continue;
    }
    m_tree->Insert(row.record, row.level == 0 ? nullptr : module);
  }
  m_tree->ReMeasureAndUpdate();
}

void CoverageDialog::Refresh() {
  // Every row shown, from the top down the open modules.
  for (HTREEITEM item = m_tree->GetRootItem(); item; item = m_tree->GetNextItem(item, TVGN_NEXTVISIBLE))
    m_tree->UpdateRow(item);
  m_tree->update();
}

void CoverageDialog::Forget() {
  m_tree->DeleteAllItems();
  m_shownChoice = -1;
  const QSignalBlocker block(m_modules);
  m_modules->clear();
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
  for (int i = 0; i < m_tree->GetItemCount(); ++i) {
    HTREEITEM item = m_tree->GetItemAtRow(i);
    out.emplace_back(m_tree->GetItemText(item, 0), m_tree->GetItemText(item, 1));
  }
  return out;
}

DbgCoverageRecord* CoverageDialog::RowRecord(int row) const {
  return row >= 0 && row < m_tree->GetItemCount() ? m_tree->RecordOf(m_tree->GetItemAtRow(row)) : nullptr;
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
  m_tree->setGeometry(listRect);
  m_tree->SetColumnWidth(1, listRect.width() > 240 ? listRect.width() - 240 : 150);
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
