#include "debugger/dialogs/memory_map_dialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <cstring>

#include "driver_abi/debug_records.h"
#include "debugger/model/memory_map_walker.h"
#include "toolkit/controls/list_ctrl.h"

namespace pm2 {

namespace {
constexpr unsigned kListId = 1474;
}  // namespace

MemoryMapDialog::MemoryMapDialog(DebugDialogContext ctx, QWidget* parent)
    : QDialog(parent), m_ctx(std::move(ctx)),
      m_list(new SECListCtrl(this, LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_NOCOLUMNHEADER,
                             LVXS_FULLROWSELECT)),
      m_example(new QLabel(this)), m_range(new QLineEdit(this)), m_read(new QCheckBox("Read", this)),
      m_write(new QCheckBox("Write", this)), m_exec(new QCheckBox("Execute", this)), m_vnm(new QCheckBox("VNM", this)),
      m_map(new QPushButton("Map Range", this)), m_clear(new QPushButton("Kill Selected Range", this)),
      m_close(new QPushButton("Close", this)) {
  setObjectName("MemoryMapDialog");
  setWindowTitle("Memory Map");
  m_list->setObjectName("MapList");
  m_range->setObjectName("MapRange");
  m_clear->setObjectName("KillRange");
  m_list->SetControlId(kListId);
  m_list->SetNotifyListener(this);
  m_list->InsertColumn(0, "Range", LVCFMT_LEFT, 600);
  m_range->setMaxLength(66);
  m_range->installEventFilter(this);
  for (QPushButton* b : {m_map, m_clear, m_close}) b->setAutoDefault(false);
  DebugInterface* r = m_ctx.R();
  const int family = r ? r->family : 3;
  m_example->setText(MapExampleText(family));
  m_vnm->setVisible(family <= 1);
  connect(m_range, &QLineEdit::textChanged, this, [this] { UpdateButtons(); });
  connect(m_map, &QPushButton::clicked, this, [this] { MapRange(); });
  connect(m_clear, &QPushButton::clicked, this, [this] { ClearSelected(); });
  connect(m_close, &QPushButton::clicked, this, [this] { accept(); });
  resize(520, 380);
  Layout();
  Refresh();
}

MemoryMapDialog::~MemoryMapDialog() { m_list->SetNotifyListener(nullptr); }

void MemoryMapDialog::Refresh() {
  QApplication::setOverrideCursor(Qt::WaitCursor);
  m_list->DeleteAllItems();
  DebugInterface* r = m_ctx.R();
  int number = 1;
  if (r && r->DbgControl) {
    for (const MapSpace& space : MapSpaces(r->family, r->version)) {
      DbgMemorySpaceRecord rec{};
      r->DbgControl(4, intptr_t(space.base), reinterpret_cast<intptr_t>(&rec));
      if (!rec.attributes) continue;
      // The driver's array is read no further than it says it holds.
      const uint32_t cells = std::min(space.cells, rec.count);
      for (const MapRun& run : WalkMapRuns(rec.attributes, cells, space.base)) {
        const int row = m_list->GetItemCount();
        m_list->InsertItemText(
            row, MapRunLine(number++, run, space.wide, [this](uint32_t a) { return m_ctx.AddressText(a); }));
        m_list->SetItemData(row, std::intptr_t(run.start));
      }
    }
  }
  // Nothing is selected after a fill (the list would take its first line).
  for (int row = m_list->GetNextItem(-1, LVNI_SELECTED); row >= 0; row = m_list->GetNextItem(row, LVNI_SELECTED))
    m_list->SelectItem(row, false);
  m_list->ReMeasureAndUpdate();
  m_map->setEnabled(false);
  m_clear->setEnabled(false);
  UpdateButtons();
  QApplication::restoreOverrideCursor();
}

std::vector<std::string> MemoryMapDialog::Lines() const {
  std::vector<std::string> out;
  for (int i = 0; i < m_list->GetItemCount(); ++i) out.push_back(m_list->GetItemText(i, 0));
  return out;
}

void MemoryMapDialog::UpdateButtons() {
  m_map->setEnabled(!m_range->text().trimmed().isEmpty());
  m_clear->setEnabled(m_list->GetNextItem(-1, LVNI_SELECTED) >= 0);
}

void MemoryMapDialog::MapRange() {
  if (!m_map->isEnabled()) return;
  const std::string command = MapCommand(m_range->text().toStdString(), m_read->isChecked(), m_write->isChecked(),
                                         m_exec->isChecked(), m_vnm->isVisible() && m_vnm->isChecked());
  if (m_ctx.sendCommand && m_ctx.sendCommand(command) == 0) {
    Refresh();
    return;
  }
  m_ctx.Beep();
  // The driver's own reason when it gave one (a driver without a MAP
  // command says so).
  const std::string reason = m_ctx.lastRefusal ? m_ctx.lastRefusal() : std::string();
  m_ctx.Message(reason.empty() ? std::string("Error: invalid address range given.") : "Error: " + reason);
}

void MemoryMapDialog::ClearSelected() {
  const int row = m_list->GetNextItem(-1, LVNI_SELECTED);
  DebugInterface* r = m_ctx.R();
  const std::string command = row >= 0 ? MapClearCommand(m_list->GetItemText(row, 0)) : std::string();
  if (command.empty() || !r || !r->DbgExecCommand) return m_ctx.Beep();
  if ((r->DbgExecCommand(command.c_str(), int(command.size())) & 0xFFFF) == 0)
    Refresh();
  else
    m_ctx.Beep();
}

NotifyResult MemoryMapDialog::OnNotify(NotifyHeader& hdr) {
  if (hdr.code == NM_CLICK || hdr.code == LVN_KEYDOWN) QTimer::singleShot(0, this, [this] { UpdateButtons(); });
  return 0;
}

bool MemoryMapDialog::eventFilter(QObject* o, QEvent* e) {
  if (o == m_range && e->type() == QEvent::KeyPress) {
    auto* k = static_cast<QKeyEvent*>(e);
    if ((k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter) && m_map->isEnabled()) {
      MapRange();
      return true;
    }
  }
  return QDialog::eventFilter(o, e);
}

void MemoryMapDialog::resizeEvent(QResizeEvent*) { Layout(); }

// The one geometry: the list above, the example and range with its access
// boxes below, the buttons at the bottom.
void MemoryMapDialog::Layout() {
  const int w = width(), h = height(), m = 8;
  const int rowH = m_range->sizeHint().height();
  const int bh = m_map->sizeHint().height();
  const int below = rowH * 3 + bh + 4 * m;
  m_list->setGeometry(m, m, w - 2 * m, std::max(40, h - below - m));
  int y = h - below + m;
  m_example->setGeometry(m, y, w - 2 * m, rowH);
  y += rowH + 2;
  m_range->setGeometry(m, y, w - 2 * m, rowH);
  y += rowH + 2;
  int x = m;
  for (QCheckBox* b : {m_read, m_write, m_exec, m_vnm}) {
    b->setGeometry(x, y, 90, rowH);
    x += 95;
  }
  y = h - m - bh;
  m_map->setGeometry(m, y, 120, bh);
  m_clear->setGeometry(m + 128, y, 160, bh);
  m_close->setGeometry(w - m - 90, y, 90, bh);
}

}  // namespace pm2
