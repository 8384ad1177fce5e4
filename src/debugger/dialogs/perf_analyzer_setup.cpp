#include "debugger/dialogs/perf_analyzer_setup.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <cstring>

#include "driver_abi/debug_records.h"
#include "debugger/model/perf_analyzer_stats.h"
#include "debugger/model/symbols_mask.h"
#include "toolkit/controls/list_ctrl.h"

namespace pm2 {

namespace {
constexpr unsigned kRangesId = 1497, kFunctionsId = 1509;
constexpr int kMaxWalk = 100000;
}  // namespace

std::string PaRangeLine(const DbgPaRangeRecord& r, const std::string& start, const std::string& end) {
  std::string name;
  if (r.name) {
    const uint32_t len = std::min<uint32_t>(r.nameLength, 255);
    const void* nul = std::memchr(r.name, 0, len);
    name.assign(r.name, nul ? std::size_t(static_cast<const char*>(nul) - r.name) : len);
  }
  if (!name.empty() && name[0] == '`') name.erase(0, 1);
  if (!name.empty() && name.back() == ':') name.pop_back();
  std::string line = std::to_string(r.number) + "\t" + name + " (" + start;
  if (r.end) line += "-" + end;
  return line + ")";
}

PerfAnalyzerSetup::PerfAnalyzerSetup(DebugDialogContext ctx, QWidget* parent)
    : QDialog(parent), m_ctx(std::move(ctx)),
      m_ranges(new SECListCtrl(this, LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_NOCOLUMNHEADER,
                               LVXS_FULLROWSELECT)),
      m_functions(new SECListCtrl(this, LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_NOCOLUMNHEADER,
                                  LVXS_FULLROWSELECT)),
      m_edit(new QLineEdit(this)), m_define(new QPushButton("Define", this)),
      m_kill(new QPushButton("Kill Selected", this)), m_killAll(new QPushButton("Kill All", this)),
      m_close(new QPushButton("Close", this)) {
  setObjectName("AnalyserSetup");
  m_ctx.asking = static_cast<QWidget*>(this);
  setWindowTitle("Setup Performance Analyzer");
  m_ranges->setObjectName("AnalyserRanges");
  m_functions->setObjectName("AnalyserFunctions");
  m_ranges->SetControlId(kRangesId);
  m_functions->SetControlId(kFunctionsId);
  m_functions->SetNotifyListener(this);
  m_ranges->SetNotifyListener(this);
  m_ranges->InsertColumn(0, "Range", LVCFMT_LEFT, 640);
  m_functions->InsertColumn(0, "Function", LVCFMT_LEFT, 640);
  m_edit->setMaxLength(128);
  for (QPushButton* b : {m_define, m_kill, m_killAll, m_close}) b->setAutoDefault(false);
  connect(m_edit, &QLineEdit::textChanged, this, [this] { m_define->setEnabled(!m_edit->text().trimmed().isEmpty()); });
  connect(m_edit, &QLineEdit::returnPressed, this, [this] { Define(); });
  connect(m_define, &QPushButton::clicked, this, [this] { Define(); });
  connect(m_kill, &QPushButton::clicked, this, [this] { KillSelected(); });
  connect(m_killAll, &QPushButton::clicked, this, [this] { KillAll(); });
  connect(m_close, &QPushButton::clicked, this, [this] { accept(); });
  m_define->setEnabled(false);
  FillRanges();
  FillFunctions();
  resize(520, 420);
  Layout();
}

PerfAnalyzerSetup::~PerfAnalyzerSetup() {
  m_functions->SetNotifyListener(nullptr);
  m_ranges->SetNotifyListener(nullptr);
}

NotifyResult PerfAnalyzerSetup::OnNotify(NotifyHeader& hdr) {
  if (hdr.id == kFunctionsId && (hdr.code == NM_DBLCLK || hdr.code == NM_RETURN))
    PickFunction(m_functions->GetNextItem(-1, LVNI_SELECTED));
  if (hdr.id == kRangesId && (hdr.code == NM_CLICK || hdr.code == LVN_KEYDOWN))
    QTimer::singleShot(0, this, [this] { m_kill->setEnabled(m_ranges->GetNextItem(-1, LVNI_SELECTED) >= 0); });
  return 0;
}

void PerfAnalyzerSetup::FillRanges() {
  m_ranges->DeleteAllItems();
  m_rangeRecords.clear();
  DebugInterface* r = m_ctx.R();
  int n = 0;
  for (auto* range = r ? static_cast<const DbgPaRangeRecord*>(r->analyserRanges) : nullptr; range && n < kPaMaxRanges;
       range = range->next, ++n) {
    const int row = m_ranges->GetItemCount();
    m_ranges->InsertItemText(row, PaRangeLine(*range, m_ctx.AddressText(range->start), m_ctx.AddressText(range->end)));
    m_rangeRecords.push_back(range);
  }
  m_ranges->ReMeasureAndUpdate();
  m_kill->setEnabled(false);
}

void PerfAnalyzerSetup::FillFunctions() {
  m_functions->DeleteAllItems();
  m_functionPaths.clear();
  DebugInterface* r = m_ctx.R();
  // The 32-bit families list no functions here.
  if (!r || !r->DbgEnum || r->family >= 3) return;
  DbgScopeRecord* apps = nullptr;
  r->DbgEnum(kDbgEnumScopes, 0, reinterpret_cast<intptr_t>(&apps));
  int n = 0;
  for (const DbgScopeRecord* app = apps; app && n < kMaxWalk; app = app->next, ++n)
    for (const DbgScopeRecord* m = app->children; m && n < kMaxWalk; m = m->next, ++n)
      for (const DbgScopeRecord* f = m->children; f && n < kMaxWalk; f = f->next, ++n) {
        if (f->kind != kDbgScopeFunction) continue;
        const std::string appName = BoundedName(app->name);
        const std::string path = appName.empty() || appName == "unnamed"
                                     ? "\\" + BoundedName(m->name) + "\\" + BoundedName(f->name)
                                     : "\\\\" + appName + "\\" + BoundedName(m->name) + "\\" + BoundedName(f->name);
        m_functions->InsertItemText(m_functions->GetItemCount(), BoundedName(f->name));
        m_functionPaths.push_back(path);
      }
  if (m_functions->GetItemCount() > 0) m_functions->SelectItem(0, true);
  m_functions->ReMeasureAndUpdate();
}

std::vector<std::string> PerfAnalyzerSetup::RangeLines() const {
  std::vector<std::string> out;
  for (int i = 0; i < m_ranges->GetItemCount(); ++i) out.push_back(m_ranges->GetItemText(i, 0));
  return out;
}

bool PerfAnalyzerSetup::Run(const std::string& command) {
  DebugInterface* r = m_ctx.R();
  if (!r || !r->DbgExecCommand) {
    m_ctx.Beep();
    return false;
  }
  const int32_t result = r->DbgExecCommand(command.c_str(), int32_t(command.size()));
  if ((result & 0xFFFF) != 0) {
    m_ctx.Beep();
    return false;
  }
  return true;
}

bool PerfAnalyzerSetup::Define() {
  std::string text = m_edit->text().toStdString();
  const std::size_t b = text.find_first_not_of(' ');
  if (b == std::string::npos) {
    m_ctx.Beep();
    return false;
  }
  const std::string command = "PA " + text.substr(b) + "\n";
  DebugInterface* r = m_ctx.R();
  const int32_t result = r && r->DbgExecCommand ? r->DbgExecCommand(command.c_str(), int32_t(command.size())) : 1;
  if ((result & 0xFFFF) != 0) {
    m_ctx.Beep();
    char buffer[1024] = {};
    intptr_t record[2] = {result, reinterpret_cast<intptr_t>(buffer)};
    if (m_ctx.service) m_ctx.service(35, reinterpret_cast<intptr_t>(record));
    return false;
  }
  m_edit->clear();
  FillRanges();
  return true;
}

bool PerfAnalyzerSetup::KillSelected() {
  const int row = m_ranges->GetNextItem(-1, LVNI_SELECTED);
  if (row < 0 || row >= int(m_rangeRecords.size())) {
    m_ctx.Beep();
    return false;
  }
  if (!Run("PA Kill " + std::to_string(m_rangeRecords[std::size_t(row)]->number) + "\n")) return false;
  FillRanges();
  return true;
}

bool PerfAnalyzerSetup::KillAll() {
  if (!Run("PA Kill *\n")) return false;
  FillRanges();
  return true;
}

void PerfAnalyzerSetup::PickFunction(int row) {
  if (row < 0 || row >= int(m_functionPaths.size())) return m_ctx.Beep();
  m_edit->setText(QString::fromLocal8Bit(m_functionPaths[std::size_t(row)].c_str()));
}

void PerfAnalyzerSetup::resizeEvent(QResizeEvent*) { Layout(); }

// The one geometry: the ranges on top, the edit and its buttons, the
// functions below, Close at the bottom.
void PerfAnalyzerSetup::Layout() {
  const int w = width(), h = height(), m = 8;
  const int rowH = m_edit->sizeHint().height(), bh = m_define->sizeHint().height();
  const int listH = std::max(40, (h - rowH - 2 * bh - 6 * m) / 2);
  m_ranges->setGeometry(m, m, w - 2 * m, listH);
  int y = m + listH + m;
  m_edit->setGeometry(m, y, w - 2 * m, rowH);
  y += rowH + m;
  int x = m;
  for (QPushButton* b : {m_define, m_kill, m_killAll}) {
    b->setGeometry(x, y, 110, bh);
    x += 116;
  }
  y += bh + m;
  m_functions->setGeometry(m, y, w - 2 * m, std::max(30, h - y - bh - 2 * m));
  m_close->setGeometry(w - m - 90, h - m - bh, 90, bh);
}

}  // namespace pm2
