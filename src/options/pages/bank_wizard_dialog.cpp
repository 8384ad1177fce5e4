#include "options/pages/bank_wizard_dialog.h"

#include <QDrag>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <fstream>
#include <iterator>

#include "options/core/number_entry.h"
#include "toolkit/controls/list_ctrl.h"

namespace pm2 {

namespace {

constexpr const char* kModulesMime = "application/x-pm2-bank-modules";

const char* const kInvalidNumberText =
    "You have entered an invalid number!\nThe previous value will be restored.\nExamples:\n"
    "0x12   hex number\n12H    hex number\n200    decimal number\n321O   octal number\n"
    "10101010B    binary number\n";

std::string NameWithoutFolder(const std::string& name) {
  const std::size_t cut = name.find_last_of("/\\");
  return cut == std::string::npos ? name : name.substr(cut + 1);
}

}  // namespace

// The bank rows: red when a bank is over its limit; modules dropped on a
// row move into that bank.
class BankListCtrl : public SECListCtrl {
 public:
  BankListCtrl(BankWizardDialog& dialog, QWidget* parent)
      : SECListCtrl(parent, LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS), m_dialog(dialog) {
    setAcceptDrops(true);
  }

 protected:
  void PickItemColors(SECListPaintContext& ctx) override {
    SECListCtrl::PickItemColors(ctx);
    const int bank = ctx.item.item;
    const std::vector<uint32_t> sizes = m_dialog.Model().BankSizes();
    if (bank >= 0 && bank < int(sizes.size()) && sizes[std::size_t(bank)] > m_dialog.Model().Limit(bank))
      ctx.textColor = MakeRgb(255, 0, 0);
  }
  void OnSelChanged(int item, int, bool) override {
    if (item >= 0) m_dialog.SelectBank(item);
  }
  void dragEnterEvent(QDragEnterEvent* e) override {
    if (e->mimeData()->hasFormat(kModulesMime)) e->acceptProposedAction();
  }
  void dragMoveEvent(QDragMoveEvent* e) override {
    if (e->mimeData()->hasFormat(kModulesMime)) e->acceptProposedAction();
  }
  void dropEvent(QDropEvent* e) override {
    const QPoint p = e->position().toPoint();
    unsigned flags = 0;
    int column = 0;
    const int row = HitTest(p.x(), p.y(), &flags, &column);
    if (row < 0) return;
    std::vector<int> modules;
    for (const QByteArray& n : e->mimeData()->data(kModulesMime).split(','))
      if (!n.isEmpty()) modules.push_back(n.toInt());
    m_dialog.MoveModules(modules, row);
    e->acceptProposedAction();
  }

 private:
  BankWizardDialog& m_dialog;
};

// The modules of the selected bank; a header click sorts, a drag carries
// the selected rows.
class ModuleListCtrl : public SECListCtrl {
 public:
  ModuleListCtrl(BankWizardDialog& dialog, QWidget* parent) : SECListCtrl(parent, LVS_REPORT), m_dialog(dialog) {}

 protected:
  NotifyResult NotifyColumnClick(int column) override {
    m_dialog.SortByColumn(column);
    return 0;
  }
  // A double click on a module opens its source.
  void mouseDoubleClickEvent(QMouseEvent* e) override {
    SECListCtrl::mouseDoubleClickEvent(e);
    const QPoint p = e->position().toPoint();
    unsigned flags = 0;
    int column = 0;
    const int row = HitTest(p.x(), p.y(), &flags, &column);
    if (row >= 0) m_dialog.OpenModule(int(GetItemData(row)));
  }

 public:
  // The selected rows as the list draws them, one under the other (rows
  // scrolled out of sight left out): what the user sees while dragging.
  QPixmap SelectedRowsImage() {
    std::vector<QPixmap> rows;
    int width = 0, height = 0;
    for (int i = GetNextItem(-1, LVNI_SELECTED); i >= 0; i = GetNextItem(i, LVNI_SELECTED)) {
      Rect r;
      if (!GetRowRect(i, &r)) continue;
      const QRect shown = QRect(r.left, r.top, r.Width(), r.Height()).intersected(rect());
      if (shown.isEmpty()) continue;
      rows.push_back(grab(shown));
      width = std::max(width, shown.width());
      height += shown.height();
    }
    if (rows.empty()) return {};
    QPixmap image(width, height);
    image.fill(Qt::transparent);
    QPainter p(&image);
    int y = 0;
    for (const QPixmap& row : rows) {
      p.drawPixmap(0, y, row);
      y += row.height();
    }
    return image;
  }

  // "Calls To", the last column, takes the width the others leave.
  void FitLastColumn() {
    const int last = GetColumnCount() - 1;
    if (last < 1) return;
    int used = 0;
    for (int c = 0; c < last; ++c) used += GetColumnWidth(c);
    const int rest = GetInsideRect().Width() - used;
    if (rest > 0 && rest != GetColumnWidth(last)) SetColumnWidth(last, rest);
  }

 protected:
  void resizeEvent(QResizeEvent* e) override {
    SECListCtrl::resizeEvent(e);
    FitLastColumn();
  }
  void OnBeginDrag(int, Point at) override {
    QByteArray list;
    for (int i = GetNextItem(-1, LVNI_SELECTED); i >= 0; i = GetNextItem(i, LVNI_SELECTED))
      list += QByteArray::number(qlonglong(GetItemData(i))) + ',';
    if (list.isEmpty()) return;
    auto* data = new QMimeData;
    data->setData(kModulesMime, list);
    auto* drag = new QDrag(this);
    drag->setMimeData(data);
    const QPixmap image = SelectedRowsImage();
    if (!image.isNull()) {
      drag->setPixmap(image);
      drag->setHotSpot(QPoint(std::clamp(at.x, 0, image.width() - 1), 0));
    }
    drag->exec(Qt::MoveAction);
  }

 private:
  BankWizardDialog& m_dialog;
};

BankWizardDialog::BankWizardDialog(const std::string& bankFile, uint16_t commonSize, uint16_t bankCount,
                                   Services services, QWidget* parent)
    : QDialog(parent), m_services(std::move(services)) {
  setWindowTitle("Code Banking Wizard");
  if (!m_services.message) m_services.message = [](const std::string&, const std::string&) {};
  m_model.commonSize = commonSize;
  std::ifstream in(bankFile, std::ios::binary);
  if (!in) {
    m_services.message("Code Banking Wizard", kBankFileCantOpen);
  } else {
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::string error;
    if (!ParseBankLink(bytes, m_services.storedBank, &m_model, &error)) {
      m_services.message("Code Banking Wizard", error);
      m_model.modules.clear();
    }
    m_model.commonSize = commonSize;
  }
  // Opening and closing unchanged must not shrink the target's bank count.
  m_model.GrowBankCount(bankCount);

  auto* grid = new QGridLayout(this);
  m_banks = new BankListCtrl(*this, this);
  m_banks->AddColumn("Bank", LVCFMT_LEFT, 90);
  m_banks->AddColumn("Size", LVCFMT_RIGHT, 70);
  m_banks->setMinimumSize(180, 260);
  m_modules = new ModuleListCtrl(*this, this);
  const int avg = fontMetrics().averageCharWidth();
  m_modules->AddColumn("Module", LVCFMT_LEFT, 30 * avg);
  m_modules->AddColumn("Size", LVCFMT_RIGHT, 15 * avg);
  m_modules->AddColumn("Common", LVCFMT_RIGHT, 15 * avg);
  m_modules->AddColumn("Calls From", LVCFMT_RIGHT, 20 * avg);
  m_modules->AddColumn("Calls To", LVCFMT_LEFT, 20 * avg);
  m_modules->setMinimumSize(100 * avg, 260);
  grid->addWidget(m_banks, 0, 0);
  grid->addWidget(m_modules, 0, 1);
  grid->setColumnStretch(1, 1);  // a wider dialog widens the module list
  m_stats = new QLabel(this);
  grid->addWidget(m_stats, 1, 1);
  auto* row = new QHBoxLayout;
  row->addWidget(new QLabel("Common Area Size:", this));
  m_common = new QLineEdit(QString::fromLatin1(HexText(m_model.commonSize, 4).c_str()), this);
  row->addWidget(m_common);
  m_auto = new QPushButton("Auto Placement", this);
  m_auto->setAutoDefault(false);
  row->addWidget(m_auto);
  row->addStretch();
  auto* ok = new QPushButton("OK", this);
  auto* cancel = new QPushButton("Cancel", this);
  row->addWidget(ok);
  row->addWidget(cancel);
  grid->addLayout(row, 2, 0, 1, 2);
  connect(m_common, &QLineEdit::editingFinished, this, [this] { ReadCommonSize(); });
  connect(m_auto, &QPushButton::clicked, this, &BankWizardDialog::Place);
  connect(ok, &QPushButton::clicked, this, &BankWizardDialog::accept);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  FillBanks();
  SelectBank(0);
}

BankWizardDialog::~BankWizardDialog() = default;

SECListCtrl* BankWizardDialog::Banks() const { return m_banks; }
SECListCtrl* BankWizardDialog::Modules() const { return m_modules; }
QPixmap BankWizardDialog::DragImage() const { return m_modules->SelectedRowsImage(); }

void BankWizardDialog::FillBanks() {
  m_banks->DeleteAllItems();
  const std::vector<uint32_t> sizes = m_model.BankSizes();
  const int rows = std::max<int>(1, m_model.bankCount);
  for (int b = 0; b < rows; ++b) {
    m_banks->InsertItemText(b, BankRowName(b));
    m_banks->SetItemText(b, 1, std::to_string(sizes[std::size_t(b)]));
  }
  m_banks->SetItemState(m_bank, LVIS_SELECTED, LVIS_SELECTED);
  m_banks->update();
}

void BankWizardDialog::FillModules() {
  std::vector<int> shown;
  for (std::size_t i = 0; i < m_model.modules.size(); ++i)
    if (m_model.modules[i].present && m_model.modules[i].bank == m_bank) shown.push_back(int(i));
  // Sort keys 0/1 name, 2/3 bank size, 4/5 common size, 6/7 calls from, 8/9 calls to.
  const int column = m_sortKey / 2;
  const bool reverse = m_sortKey % 2;
  auto key = [&](int i) -> std::string {
    const BankModule& m = m_model.modules[std::size_t(i)];
    char buffer[16];
    switch (column) {
      case 1: std::snprintf(buffer, sizeof buffer, "%010u", m.size); return buffer;
      case 2: std::snprintf(buffer, sizeof buffer, "%010u", m.commonSize); return buffer;
      case 3: return CallsFromText(m_model, i);
      case 4: return CallsToText(m_model, i);
      default: return NameWithoutFolder(m.name);
    }
  };
  std::stable_sort(shown.begin(), shown.end(), [&](int a, int b) { return reverse ? key(b) < key(a) : key(a) < key(b); });
  m_modules->DeleteAllItems();
  int row = 0;
  for (int i : shown) {
    const BankModule& m = m_model.modules[std::size_t(i)];
    m_modules->InsertItemText(row, NameWithoutFolder(m.name));
    m_modules->SetItemText(row, 1, std::to_string(m.size));
    m_modules->SetItemText(row, 2, std::to_string(m.commonSize));
    m_modules->SetItemText(row, 3, CallsFromText(m_model, i));
    m_modules->SetItemText(row, 4, CallsToText(m_model, i));
    m_modules->SetItemData(row, i);
    ++row;
  }
  m_stats->setText(QString::fromLatin1(BankStatistics(m_model, m_bank).c_str()));
  m_modules->update();
}

void BankWizardDialog::OpenModule(int module) {
  if (module < 0 || module >= int(m_model.modules.size()) || !m_services.openSource) return;
  const BankModule& m = m_model.modules[std::size_t(module)];
  if (m.present && !m.noName) m_services.openSource(m.name);
}

void BankWizardDialog::SelectBank(int bank) {
  if (m_selecting) return;
  m_selecting = true;
  m_bank = std::clamp(bank, 0, kMaxBanks);
  m_banks->DeselectAllExcept(m_bank);
  m_banks->SetItemState(m_bank, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  m_banks->update();
  FillModules();
  m_selecting = false;
}

void BankWizardDialog::MoveModules(const std::vector<int>& modules, int bank) {
  for (int i : modules)
    if (i >= 0 && i < int(m_model.modules.size())) m_model.modules[std::size_t(i)].bank = uint8_t(bank);
  m_model.GrowBankCount(bank);
  FillBanks();
  FillModules();
}

void BankWizardDialog::SortByColumn(int column) {
  m_sortKey = m_sortKey / 2 == column ? (m_sortKey ^ 1) : column * 2;
  FillModules();
}

bool BankWizardDialog::ReadCommonSize() {
  int64_t value = 0;
  const std::string text = m_common->text().toStdString();
  bool ok = false;
  if (!ReadSuffixedNumber(text, &value))
    m_services.message("Invalid number", kInvalidNumberText);
  else if (value < 0 || value >= 0x10000)
    m_services.message("Out of range", "You have entered a number that is out of range!\n");
  else
    ok = true;
  if (ok) m_model.commonSize = uint16_t(value);
  m_common->setText(QString::fromLatin1(HexText(m_model.commonSize, 4).c_str()));
  if (ok) FillBanks();
  return ok;
}

void BankWizardDialog::Place() {
  ReadCommonSize();
  PlaceModules(m_model);
  FillBanks();
  FillModules();
}

void BankWizardDialog::accept() {
  if (!ReadCommonSize()) return;
  if (m_services.apply) m_services.apply(m_model);
  QDialog::accept();
}

}  // namespace pm2
