#include "debugger/dialogs/symbols_dialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>

#include "debugger/model/symbols_mask.h"
#include "toolkit/controls/list_ctrl.h"

namespace pm2 {

namespace {

constexpr unsigned kListId = 1513;
// Symbols and scopes walked per list: a looping driver list is cut here.
constexpr int kMaxWalk = 100000;

std::string Indent(int level) { return std::string(std::size_t(2 * level), ' '); }

}  // namespace

SymbolsDialog::SymbolsDialog(DebugDialogContext ctx, SymbolsDialogState state, QWidget* parent)
    : QDialog(parent), m_ctx(std::move(ctx)), m_mode(new QComboBox(this)), m_modules(new QComboBox(this)),
      m_mask(new QLineEdit(this)), m_apply(new QPushButton("Apply", this)),
      m_case(new QCheckBox("Case sensitive", this)),
      m_list(new SECListCtrl(this, LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS, LVXS_FULLROWSELECT)),
      m_close(new QPushButton("Close", this)) {
  setObjectName("SymbolsDialog");
  setWindowTitle("Symbols");
  m_mode->setObjectName("SymbolMode");
  m_modules->setObjectName("SymbolModules");
  m_mask->setObjectName("SymbolMask");
  m_list->setObjectName("SymbolList");
  m_list->SetControlId(kListId);
  m_list->SetNotifyListener(this);
  m_list->installEventFilter(this);
  m_mask->installEventFilter(this);
  m_mask->setMaxLength(int(kSymbolMaskMax));
  m_mode->addItems({"Public Symbols", "Locals", "Line Numbers"});
  m_apply->setAutoDefault(false);
  m_close->setAutoDefault(false);
  m_appliedMask = state.mask.empty() ? "*" : state.mask;
  m_mask->setText(QString::fromStdString(m_appliedMask));
  m_case->setChecked(!state.ignoreCase);
  m_mode->setCurrentIndex(std::clamp(state.mode, 0, 2));
  FillModules();
  m_modules->setCurrentIndex(std::clamp(state.module, 0, std::max(0, m_modules->count() - 1)));
  connect(m_mode, &QComboBox::currentIndexChanged, this, [this](int mode) {
    if (mode != m_shownMode) Refresh();
  });
  connect(m_modules, &QComboBox::currentIndexChanged, this, [this] {
    if (m_mode->currentIndex() != 0) Refresh();
  });
  connect(m_apply, &QPushButton::clicked, this, [this] {
    if (ApplyMask()) Refresh();
  });
  connect(m_case, &QCheckBox::toggled, this, [this] { Refresh(); });
  connect(m_close, &QPushButton::clicked, this, [this] { close(); });
  resize(620, 440);
  Layout();
  Refresh();
}

SymbolsDialog::~SymbolsDialog() { m_list->SetNotifyListener(nullptr); }

SymbolsDialogState SymbolsDialog::State() const {
  SymbolsDialogState s;
  s.mask = m_appliedMask;
  s.module = m_modules->currentIndex();
  s.mode = m_mode->currentIndex();
  s.ignoreCase = !m_case->isChecked();
  return s;
}

const DbgScopeRecord* SymbolsDialog::ScopeTree() const {
  DebugInterface* r = m_ctx.R();
  DbgScopeRecord* head = nullptr;
  if (r && r->DbgEnum) r->DbgEnum(kDbgEnumScopes, 0, reinterpret_cast<intptr_t>(&head));
  return head;
}

void SymbolsDialog::FillModules() {
  m_modules->clear();
  m_moduleList.clear();
  m_modules->addItem("All Modules");
  int n = 0;
  for (const DbgScopeRecord* app = ScopeTree(); app && n < kMaxWalk; app = app->next, ++n)
    for (const DbgScopeRecord* m = app->children; m && n < kMaxWalk; m = m->next, ++n)
      if (m->kind == kDbgScopeModule) {
        m_moduleList.push_back(m);
        m_modules->addItem(QString::fromLocal8Bit(BoundedName(m->name).c_str()));
      }
}

void SymbolsDialog::SetupColumns() {
  m_list->DeleteAllItems();
  m_list->DeleteAllColumns();
  m_rows.clear();
  const QFontMetrics fm(m_list->font());
  const int addrW = fm.horizontalAdvance("<_FUNCTION_>");
  if (m_mode->currentIndex() == 2) {
    m_list->InsertColumn(0, "Address", LVCFMT_LEFT, addrW);
    m_list->InsertColumn(1, "Line Number", LVCFMT_LEFT, fm.horizontalAdvance("Line Number") + 20);
    return;
  }
  m_list->InsertColumn(0, "Address", LVCFMT_LEFT, addrW);
  m_list->InsertColumn(1, "Name", LVCFMT_LEFT, fm.horizontalAdvance("abcdefghijklmnopqrstuvwxyz0123456789______"));
  m_list->InsertColumn(2, "Type", LVCFMT_LEFT, fm.horizontalAdvance("struct measurement __xdata_ *"));
}

void SymbolsDialog::AddRow(const std::string& address, const std::string& name, const std::string& type, const Row& row) {
  const int index = m_list->GetItemCount();
  m_rows.push_back(row);
  m_list->InsertItemText(index, address);
  m_list->SetItemData(index, std::intptr_t(m_rows.size() - 1));
  m_list->SetItemText(index, 1, name);
  if (m_mode->currentIndex() != 2) m_list->SetItemText(index, 2, type);
}

void SymbolsDialog::AddSymbol(const DbgSymbolRecord& s, int level, Row row) {
  DebugInterface* r = m_ctx.R();
  const int family = r ? r->family : 3;
  row.symbol = &s;
  AddRow(SymbolAddressText(s, family, [this](uint32_t a) { return m_ctx.AddressText(a); }),
         Indent(level) + BoundedName(s.name), SymbolTypeText(s.type, family), row);
}

void SymbolsDialog::Refresh() {
  QApplication::setOverrideCursor(Qt::WaitCursor);
  const int mode = m_mode->currentIndex();
  m_shownMode = mode;
  SetupColumns();
  m_modules->setEnabled(mode != 0);
  m_mask->setEnabled(mode != 2);
  m_apply->setEnabled(mode != 2);
  m_case->setEnabled(mode != 2);
  if (mode == 0) ListPublics();
  if (mode == 1) ListLocals();
  if (mode == 2) ListLines();
  m_list->ReMeasureAndUpdate();
  QApplication::restoreOverrideCursor();
}

void SymbolsDialog::ListPublics() {
  DebugInterface* r = m_ctx.R();
  DbgSymbolRecord* head = nullptr;
  if (r && r->DbgEnum) r->DbgEnum(kDbgEnumPublics, 0, reinterpret_cast<intptr_t>(&head));
  const bool ignoreCase = !m_case->isChecked();
  int n = 0;
  for (const DbgSymbolRecord* lists[2] = {head, r ? static_cast<const DbgSymbolRecord*>(r->publicsList2) : nullptr};
       const DbgSymbolRecord* first : lists)
    for (const DbgSymbolRecord* s = first; s && n < kMaxWalk; s = s->next, ++n)
      if (MatchSymbolMask(m_appliedMask, BoundedName(s->name), ignoreCase)) AddSymbol(*s, 0, Row{});
  SortBy(m_sortColumn);
}

void SymbolsDialog::ListLocals() {
  const bool ignoreCase = !m_case->isChecked();
  const int chosen = m_modules->currentIndex();
  int n = 0;
  auto symbols = [&](const DbgScopeRecord* scope, int level, Row row) {
    for (const DbgSymbolRecord* s = scope->symbols; s && n < kMaxWalk; s = s->next, ++n)
      if (MatchSymbolMask(m_appliedMask, BoundedName(s->name), ignoreCase)) AddSymbol(*s, level, row);
  };
  auto module = [&](const DbgScopeRecord* m, const DbgScopeRecord* app, int indent) {
    Row row;
    row.module = m;
    row.app = app;
    AddRow("<Module>", Indent(indent) + BoundedName(m->name), "", row);
    symbols(m, indent + 1, row);
    for (const DbgScopeRecord* f = m->children; f && n < kMaxWalk; f = f->next, ++n) {
      if (f->kind != kDbgScopeFunction) continue;
      Row fr = row;
      fr.function = f;
      AddRow("<Function>", Indent(indent + 1) + BoundedName(f->name), "", fr);
      symbols(f, indent + 2, fr);
      for (const DbgScopeRecord* b = f->children; b && n < kMaxWalk; b = b->next, ++n)
        if (b->kind == kDbgScopeBlock) symbols(b, indent + 2, fr);
    }
  };
  if (chosen >= 1 && std::size_t(chosen) <= m_moduleList.size()) {
    const DbgScopeRecord* m = m_moduleList[std::size_t(chosen) - 1];
    module(m, m->parent, 0);
    return;
  }
  int apps = 0;
  for (const DbgScopeRecord* app = ScopeTree(); app && apps < kMaxWalk; app = app->next) ++apps;
  for (const DbgScopeRecord* app = ScopeTree(); app && n < kMaxWalk; app = app->next, ++n) {
    int indent = 0;
    if (apps > 1) {
      Row row;
      row.app = app;
      AddRow("<App>", BoundedName(app->name), "", row);
      indent = 2;
    }
    for (const DbgScopeRecord* m = app->children; m && n < kMaxWalk; m = m->next, ++n)
      if (m->kind == kDbgScopeModule) module(m, app, indent);
  }
}

void SymbolsDialog::ListLines() {
  const int chosen = m_modules->currentIndex();
  for (std::size_t i = 0; i < m_moduleList.size(); ++i) {
    if (chosen >= 1 && std::size_t(chosen) != i + 1) continue;
    const DbgScopeRecord* m = m_moduleList[i];
    if (!m->lines || !m->lineCount) continue;
    Row row;
    row.module = m;
    row.app = m->parent;
    AddRow("<MODULE>", BoundedName(m->name), "", row);
    const uint32_t count = std::min<uint32_t>(m->lineCount, uint32_t(kMaxWalk));
    for (uint32_t k = 0; k < count; ++k) {
      Row lr = row;
      lr.isLine = true;
      lr.line = m->lines[k].line;
      AddRow(m_ctx.AddressText(m->lines[k].address), "# " + std::to_string(m->lines[k].line), "", lr);
    }
  }
}

void SymbolsDialog::SortBy(int column) {
  if (m_mode->currentIndex() != 0) return m_ctx.Beep();
  m_sortColumn = column;
  const int count = m_list->GetItemCount();
  struct Item {
    std::string address, name, type;
    std::intptr_t data;
  };
  std::vector<Item> items;
  for (int i = 0; i < count; ++i)
    items.push_back(Item{m_list->GetItemText(i, 0), m_list->GetItemText(i, 1), m_list->GetItemText(i, 2),
                         m_list->GetItemData(i)});
  auto key = [&](const Item& it) -> uint64_t {
    const DbgSymbolRecord* s = m_rows[std::size_t(it.data)].symbol;
    if (!s) return 0;
    return column == 0 ? uint64_t(s->value) + 8ull * s->bit : s->type ? s->type->code : 0;
  };
  std::stable_sort(items.begin(), items.end(), [&](const Item& a, const Item& b) {
    if (column == 1) return a.name < b.name;
    return key(a) < key(b);
  });
  m_list->DeleteAllItems();
  for (int i = 0; i < int(items.size()); ++i) {
    m_list->InsertItemText(i, items[std::size_t(i)].address);
    m_list->SetItemData(i, items[std::size_t(i)].data);
    m_list->SetItemText(i, 1, items[std::size_t(i)].name);
    m_list->SetItemText(i, 2, items[std::size_t(i)].type);
  }
}

bool SymbolsDialog::ApplyMask() {
  std::string mask = m_mask->text().toStdString();
  if (mask.empty()) {
    mask = "*";
    m_mask->setText("*");
  }
  const int bad = CheckSymbolMask(mask);
  if (bad >= 0) {
    m_mask->setFocus();
    m_mask->setCursorPosition(bad);
    m_ctx.Beep();
    return false;
  }
  m_appliedMask = mask;
  return true;
}

std::string SymbolsDialog::QualifiedName(int row) const {
  if (row < 0 || row >= m_list->GetItemCount()) return {};
  const std::intptr_t data = m_list->GetItemData(row);
  if (data < 0 || std::size_t(data) >= m_rows.size()) return {};
  const Row& r = m_rows[std::size_t(data)];
  std::string out;
  const std::string app = r.app ? BoundedName(r.app->name) : "";
  if (r.isLine) {
    out = "\\\\" + app + "\\" + (r.module ? BoundedName(r.module->name) : "") + "\\" + std::to_string(r.line);
    return out;
  }
  if (!r.symbol) return {};
  if (m_mode->currentIndex() == 0) return BoundedName(r.symbol->name);
  if (!app.empty() && app != "unnamed") out += "\\\\" + app;
  if (r.module) out += "\\" + BoundedName(r.module->name);
  if (r.function) out += "\\" + BoundedName(r.function->name);
  return out + "\\" + BoundedName(r.symbol->name);
}

bool SymbolsDialog::CopySelected() {
  const std::string text = QualifiedName(m_list->GetNextItem(-1, LVNI_SELECTED));
  if (text.empty()) {
    m_ctx.Beep();
    return false;
  }
  QApplication::clipboard()->setText(QString::fromLocal8Bit(text.c_str()));
  return true;
}

NotifyResult SymbolsDialog::OnNotify(NotifyHeader& hdr) {
  if (hdr.code == LVN_COLUMNCLICK) SortBy(reinterpret_cast<NMLISTVIEW&>(hdr).iSubItem);
  return 0;
}

bool SymbolsDialog::eventFilter(QObject* o, QEvent* e) {
  if (e->type() == QEvent::KeyPress) {
    auto* k = static_cast<QKeyEvent*>(e);
    if (o == m_list && k->key() == Qt::Key_C) {
      CopySelected();
      return true;
    }
    if (o == m_mask && (k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter)) {
      if (ApplyMask()) Refresh();
      return true;
    }
  }
  return QDialog::eventFilter(o, e);
}

void SymbolsDialog::resizeEvent(QResizeEvent*) { Layout(); }

// The one geometry: mode and module boxes, mask row, the list, Close.
void SymbolsDialog::Layout() {
  const int w = width(), h = height(), m = 8;
  const int rowH = m_mask->sizeHint().height();
  m_mode->setGeometry(m, m, 160, rowH);
  m_modules->setGeometry(m + 170, m, std::max(100, w - 2 * m - 170), rowH);
  const int y = m + rowH + 6;
  m_mask->setGeometry(m, y, 200, rowH);
  m_apply->setGeometry(m + 206, y, 70, rowH);
  m_case->setGeometry(m + 286, y, 140, rowH);
  const int closeH = m_close->sizeHint().height();
  m_list->setGeometry(m, y + rowH + 6, w - 2 * m, std::max(40, h - (y + rowH + 6) - closeH - 2 * m));
  m_close->setGeometry(w - m - 90, h - m - closeH, 90, closeH);
}

}  // namespace pm2
