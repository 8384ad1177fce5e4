#include "options/pages/family_target_page.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QVBoxLayout>
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "options/core/family_entries.h"
#include "options/core/number_entry.h"
#include "options/core/options_session.h"
#include "options/pages/bank_wizard_dialog.h"
#include "options/pages/options_sheet.h"
#include "options/pages/page_text.h"
#include "platform/win_path.h"
#include "project/model/option_defaults.h"
#include "project/model/project_records.h"
#include "project/text/path_text.h"
#include "project/text/pool.h"

namespace pm2 {

namespace {


QString Format(const char* format, unsigned a, unsigned b) {
  char text[96];
  std::snprintf(text, sizeof text, format, a, b);
  return text;
}

// T51FL bits the page shows or edits.
enum : uint32_t {
  kUseRom = 0x1, kUseArith = 0x2, kUseDptr = 0x4, kUseXram = 0x8, kHasXram = 0x20, kHasRom = 0x40,
  kManyDptr = 0x800780, kHasArith = 0x800, kBanking = 0x2000, kFar = 0x4000, kExtLinker = 0x8000,
  kExtAsm = 0x10000, kExtCompiler = 0x20000, kContiguous = 0x80000, kNp51 = 0x100000, kSaveSfr = 0x200000,
  kAccelerator = 0x400000, kMx51 = 0x1000000, kHasXram2 = 0x2000000, kUseXram2 = 0x4000000,
};

}  // namespace

// ---------------------------------------------------------------- shared

FamilyTargetPage::FamilyTargetPage(OptionsSheet& sheet, PageId id) : OptionPage(sheet, id) {
  auto* layout = new QVBoxLayout(this);
  auto* top = new QHBoxLayout;
  m_device = new QLabel(this);
  top->addWidget(m_device, 1);
  top->addWidget(new QLabel("&Xtal (MHz):", this));
  m_clock = NewEdit(id == PageId::kTarget166 ? 12 : 16);
  static_cast<QLabel*>(top->itemAt(1)->widget())->setBuddy(m_clock);
  m_clock->setMaximumWidth(100);
  top->addWidget(m_clock);
  layout->addLayout(top);
  m_grid = new QGridLayout;
  layout->addLayout(m_grid);
  layout->addStretch();
}

void FamilyTargetPage::LoadHeader(uint32_t clock) {
  const TargetRec* t = Session().Target();
  if (t) m_device->setText(ToQ(t->VENDOR.str() + " " + t->DEVICE.str()));
  m_clock->setText(ToQ(ClockEditText(clock)));
}

bool FamilyTargetPage::ReadClock(uint32_t* clock) {
  const std::string text(TrimBlanks(Text(m_clock)));
  if (text.empty()) return true;
  uint32_t hz = 0;
  if (!ParseClockMHz(text, &hz)) return Refuse(m_clock, kBadClockMessage);
  *clock = hz;
  return true;
}

bool FamilyTargetPage::ReadThreshold(QLineEdit* edit, uint32_t max, uint32_t* value) {
  const std::string text(TrimBlanks(Text(edit)));
  uint32_t v = 0;
  if (!text.empty() && !ReadNumberInRange(text, 0, max, &v))
    return Refuse(edit, "Invalid threshold size: '" + Text(edit) + "'");
  *value = v;
  return true;
}

void FamilyTargetPage::FillKernels(QComboBox* combo) {
  const QSignalBlocker block(combo);
  combo->clear();
  combo->addItem("None");
  if (const ToolsetInfo* env = Sheet().ToolsetEnvironment())
    for (const TitledPath& k : env->rtos)
      if (!k.title.empty()) combo->addItem(ToQ(k.title));
}

QLineEdit* FamilyTargetPage::NewEdit(int limit) {
  auto* edit = new QLineEdit(this);
  edit->setMaxLength(limit);
  return edit;
}

QComboBox* FamilyTargetPage::NewList(std::initializer_list<const char*> rows) {
  auto* combo = new QComboBox(this);
  for (const char* r : rows) combo->addItem(r);
  return combo;
}

QCheckBox* FamilyTargetPage::NewBox(const QString& text) { return new QCheckBox(text, this); }

MemRowEdits FamilyTargetPage::NewRow(QGridLayout* grid, int row, const QString& label, bool typed, int limit) {
  MemRowEdits r;
  int column = 0;
  grid->addWidget(new QLabel(label, this), row, column++);
  if (typed) {
    r.type = NewList({"RAM", "ROM"});
    grid->addWidget(r.type, row, column);
  }
  ++column;
  r.start = NewEdit(limit);
  r.second = NewEdit(limit);
  // The names a refusal gives the two edits: "Eprom #1 Start", "Bank Area
  // end", "Memory #2 Size".
  QString name = QString::fromStdString(FieldNameOfLabel(label.toStdString()));
  const bool area = name.endsWith(" (start, end)");
  if (area) name.chop(int(std::strlen(" (start, end)")));
  if (name.startsWith('#')) name.prepend("Memory ");
  r.start->setAccessibleName(name + (area ? " start" : " Start"));
  r.second->setAccessibleName(name + (area ? " end" : " Size"));
  grid->addWidget(r.start, row, column++);
  grid->addWidget(r.second, row, column++);
  return r;
}

void FamilyTargetPage::ShowRange(const MemRowEdits& edits, uint32_t start, uint32_t second, const char* format) {
  char text[32];
  std::snprintf(text, sizeof text, format, unsigned(start));
  edits.start->setText(text);
  std::snprintf(text, sizeof text, format, unsigned(second));
  edits.second->setText(text);
}

std::string FamilyTargetPage::Text(const QLineEdit* edit) { return edit->text().toLocal8Bit().toStdString(); }

// ---------------------------------------------------------------- 51

Target51Page::Target51Page(OptionsSheet& sheet) : FamilyTargetPage(sheet, PageId::kTarget51) {
  QGridLayout* g = Grid();
  m_model = NewList({"Small: variables in DATA", "Compact: variables in PDATA", "Large: variables in XDATA"});
  m_rom = NewList({"Small: program 2K or less", "Compact: 2K functions, 64K program", "Large: 64K program"});
  m_rtos = NewList({"None"});
  g->addWidget(new QLabel("Memory Model:", this), 0, 0);
  g->addWidget(m_model, 0, 1, 1, 3);
  g->addWidget(new QLabel("Code Rom Size:", this), 1, 0);
  g->addWidget(m_rom, 1, 1, 1, 3);
  g->addWidget(new QLabel("Operating system:", this), 2, 0);
  g->addWidget(m_rtos, 2, 1, 1, 3);
  m_dhold = NewEdit(16);
  m_xhold = NewEdit(16);
  g->addWidget(new QLabel("Data threshold:", this), 3, 0);
  g->addWidget(m_dhold, 3, 1);
  g->addWidget(new QLabel("Xdata threshold:", this), 3, 2);
  g->addWidget(m_xhold, 3, 3);
  m_onRom = NewBox("Use On-chip ROM");
  m_arith = NewBox("Use On-chip Arithmetic Unit");
  m_dptr = NewBox("Use multiple DPTR registers");
  m_onXram = NewBox("Use On-chip XRAM");
  m_onXram2 = NewBox("Use On-chip XRAM");
  int row = 4;
  for (QCheckBox* b : {m_onRom, m_arith, m_dptr, m_onXram, m_onXram2}) g->addWidget(b, row++, 0, 1, 4);
  g->addWidget(new QLabel("Start", this), row, 2);
  g->addWidget(new QLabel("Size", this), row++, 3);
  for (int i = 0; i < 3; ++i) m_eprom[std::size_t(i)] = NewRow(g, row++, QString("Eprom #%1").arg(i + 1), false, 16);
  for (int i = 0; i < 3; ++i) m_ram[std::size_t(i)] = NewRow(g, row++, QString("Ram #%1").arg(i + 1), false, 16);
  m_banking = NewBox("Code Banking");
  m_banks = NewList({"2", "4", "8", "16", "32", "64"});
  m_manage = new QPushButton("Manage...", this);
  m_manage->setAutoDefault(false);
  g->addWidget(m_banking, row, 0);
  g->addWidget(m_banks, row, 1);
  g->addWidget(m_manage, row++, 3);
  m_bankArea = NewRow(g, row++, "Bank Area (start, end):", false, 16);
  auto* far = new QGroupBox("'far' memory", this);
  m_farGroup = far;
  auto* fg = new QGridLayout(far);
  m_far = new QCheckBox("'far' memory type support", far);
  m_farBanks = NewList({"2", "4", "8", "16", "32"});
  m_sfr = new QCheckBox("Save address extension SFR in interrupts", far);
  fg->addWidget(m_far, 0, 0);
  fg->addWidget(m_farBanks, 0, 1);
  fg->addWidget(m_sfr, 1, 0, 1, 2);
  m_farArea = NewRow(fg, 2, "'far' Area (start, end):", false, 16);
  g->addWidget(far, row++, 0, 1, 4);

  auto bit = [this](QCheckBox* box, uint32_t mask) {
    connect(box, &QCheckBox::toggled, this, [this, box, mask] { Bit(box, mask); });
  };
  bit(m_onRom, kUseRom);
  bit(m_arith, kUseArith);
  bit(m_dptr, kUseDptr);
  bit(m_onXram, kUseXram);
  bit(m_onXram2, kUseXram2);
  bit(m_far, kFar);
  bit(m_sfr, kSaveSfr);
  bit(m_banking, kBanking);
  connect(m_model, &QComboBox::currentIndexChanged, this, [this](int i) {
    if (Loading() || i < 0) return;
    // Another model has other thresholds.
    m_t.MODEL5 = uint16_t(i);
    m_t.DHOLD5 = m_t.XHOLD5 = 0;
    m_dhold->setText("0");
    m_xhold->setText("0");
  });
  auto store = [this](QComboBox* combo, uint16_t Target51Opts::*field) {
    connect(combo, &QComboBox::currentIndexChanged, this, [this, field](int i) {
      if (!Loading() && i >= 0) m_t.*field = uint16_t(i);
    });
  };
  store(m_rom, &Target51Opts::ROMSZ5);
  store(m_rtos, &Target51Opts::RTOS5);
  store(m_banks, &Target51Opts::CBANKS5);
  store(m_farBanks, &Target51Opts::XBANKS5);
  connect(m_manage, &QPushButton::clicked, this, &Target51Page::RunBankWizard);
}

void Target51Page::Bit(QCheckBox* box, uint32_t mask) {
  if (Loading()) return;
  m_t.T51FL = box->isChecked() ? (m_t.T51FL | mask) : (m_t.T51FL & ~mask);
  if (mask == kBanking) ApplyBanking();
}

void Target51Page::ApplyBanking() {
  const bool on = (m_t.T51FL & kBanking) != 0;
  for (QWidget* w : {static_cast<QWidget*>(m_banks), static_cast<QWidget*>(m_bankArea.start),
                     static_cast<QWidget*>(m_bankArea.second), static_cast<QWidget*>(m_manage)})
    w->setEnabled(on);
}

void Target51Page::Load() {
  if (!m_keepCopy) m_t = Session().EditedBlock()->t51;
  m_keepCopy = false;
  LoadControls();
}

void Target51Page::LoadControls() {
  const uint32_t fl = m_t.T51FL;
  m_manage->setVisible((fl & kNp51) && (fl & kExtLinker));
  const bool farOk = (fl & kExtLinker) && !(fl & kExtCompiler);
  // The 'far' rows are the extended linker's.
  for (QWidget* w : {static_cast<QWidget*>(m_far), static_cast<QWidget*>(m_sfr), static_cast<QWidget*>(m_farBanks),
                     static_cast<QWidget*>(m_farArea.start), static_cast<QWidget*>(m_farArea.second)})
    w->setEnabled(farOk);
  // The code-size list: the three fixed rows, then what the tools allow.
  while (m_rom->count() > 3) m_rom->removeItem(m_rom->count() - 1);
  if ((fl & (kExtLinker | kExtAsm | kContiguous)) == (kExtLinker | kExtAsm | kContiguous)) {
    m_rom->addItem("Contiguous Mode: 512 KB program");
    m_rom->addItem("Contiguous Mode: 16MB program");
  }
  if ((fl & (kExtCompiler | kMx51)) && m_rom->count() < 4) m_rom->addItem("Huge: 8MB program");
  LoadHeader(m_t.clock);
  FillKernels(m_rtos);
  m_model->setCurrentIndex(m_t.MODEL5);
  m_rtos->setCurrentIndex(m_t.RTOS5);
  m_rom->setCurrentIndex(m_t.ROMSZ5);
  m_banks->setCurrentIndex(m_t.CBANKS5);
  m_farBanks->setCurrentIndex(m_t.XBANKS5);
  m_dhold->setText(QString::number(m_t.DHOLD5));
  m_xhold->setText(QString::number(m_t.XHOLD5));
  auto onChip = [](QCheckBox* box, bool shown, const MemRangeRec& r, bool checked) {
    box->setVisible(shown);
    if (!shown) return;
    box->setText(Format("Use On-chip XRAM (0x%X-0x%X)", r.start, unsigned(uint64_t(r.start) + r.size - 1)));
    box->setChecked(checked);
  };
  m_onRom->setVisible(fl & kHasRom);
  if (fl & kHasRom) {
    m_onRom->setText(Format("Use On-chip ROM (0x%X-0x%X)", m_t.IRO51.start,
                            unsigned(uint64_t(m_t.IRO51.start) + m_t.IRO51.size - 1)));
    m_onRom->setChecked(fl & kUseRom);
  }
  onChip(m_onXram, fl & kHasXram, m_t.XRA51, fl & kUseXram);
  onChip(m_onXram2, fl & kHasXram2, m_t.XRA512, fl & kUseXram2);
  m_arith->setVisible((fl & kHasArith) || (fl & kAccelerator));
  m_arith->setText(fl & kAccelerator ? "Use On-chip Arithmetic Accelerator" : "Use On-chip Arithmetic Unit");
  m_arith->setChecked(fl & kUseArith);
  m_dptr->setVisible(fl & kManyDptr);
  m_dptr->setChecked(fl & kUseDptr);
  CompleteFirstRange51(m_t.OCM51);
  CompleteFirstRange51(m_t.OCR51);
  for (int i = 0; i < 3; ++i) {
    const std::size_t k = std::size_t(i);
    for (const MemRowEdits* e : {&m_eprom[k], &m_ram[k]}) {
      e->start->clear();
      e->second->clear();
    }
    if (m_t.OCM51[k].size) ShowRange(m_eprom[k], m_t.OCM51[k].start, m_t.OCM51[k].size, "0x%04X");
    if (m_t.OCR51[k].size) ShowRange(m_ram[k], m_t.OCR51[k].start, m_t.OCR51[k].size, "0x%04X");
  }
  m_banking->setChecked(fl & kBanking);
  auto area = [](const MemRowEdits& e, const MemRangeRec& r) {
    ShowRange(e, r.start, r.size == 0x10000 ? 0xFFFF : r.size, "0x%04X");
  };
  area(m_bankArea, m_t.RCB51);
  ApplyBanking();
  m_far->setChecked(fl & kFar);
  m_sfr->setChecked(fl & kSaveSfr);
  area(m_farArea, m_t.RXB51);
  m_farGroup->setVisible(!(fl & (kExtCompiler | kMx51)));
}

bool Target51Page::ReadRange(RangeRow51 kind, const MemRowEdits& edits, MemRangeRec* out, uint32_t limit) {
  const RangeCheck c =
      CheckRange51(kind, Text(edits.start), Text(edits.second), limit, (m_t.T51FL & kBanking) != 0);
  if (!c.ok) return Refuse(c.focus ? edits.second : edits.start, c.message);
  out->start = c.value.start;
  out->size = c.value.size;
  return true;
}

bool Target51Page::Leave() {
  Target51Opts t = m_t;
  if (!ReadThreshold(m_dhold, 65536, &t.DHOLD5) || !ReadThreshold(m_xhold, 65536, &t.XHOLD5)) return false;
  const uint32_t limit = Range51Limit(t.T51FL);
  if (!ReadRange(RangeRow51::kCodeBank, m_bankArea, &t.RCB51, limit)) return false;
  const RangeRow51 kinds[2][3] = {{RangeRow51::kFirstCode, RangeRow51::kCode, RangeRow51::kCode},
                                  {RangeRow51::kFirstXdata, RangeRow51::kXdata, RangeRow51::kXdata}};
  MemRangeRec* rows[2] = {t.OCM51, t.OCR51};
  const std::array<MemRowEdits, 3>* edits[2] = {&m_eprom, &m_ram};
  if (!(t.T51FL & kExtLinker)) {
    for (const auto* group : edits) {
      std::string message;
      if (!CheckFirstStart51(Text((*group)[0].start), &message)) return Refuse((*group)[0].start, message);
    }
  }
  for (int g = 0; g < 2; ++g)
    for (int i = 0; i < 3; ++i)
      if (!ReadRange(kinds[g][i], (*edits[g])[std::size_t(i)], &rows[g][i], limit)) return false;
  if (t.T51FL & kExtLinker) {
    if (!ReadRange(RangeRow51::kFarBank, m_farArea, &t.RXB51, limit)) return false;
  } else {
    const char* spaces[2] = {"Code", "Xdata"};
    for (int g = 0; g < 2; ++g) {
      const OverlapCheck o = CheckOverlaps(rows[g], 3, 0x10000, spaces[g]);
      if (!o.ok) return Refuse((*edits[g])[std::size_t(o.focusRow)].start, o.message);
    }
    // The locate page's ranges follow the layout when it takes it from here.
    Linker51Opts& l = Session().EditedBlock()->n51;
    if (l.NX51FL & 4) {
      const std::string code = UsedRangesText(t.OCM51, 3), xdata = UsedRangesText(t.OCR51, 3);
      if (l.NX51COB.view() != code) l.NX51COB = OptString::Pooled(code, kPoolProject);
      if (l.NX51XDB.view() != xdata) l.NX51XDB = OptString::Pooled(xdata, kPoolProject);
    }
  }
  if (!ReadClock(&t.clock)) return false;
  m_t = t;
  Session().EditedBlock()->t51 = m_t;
  return true;
}

void Target51Page::Defaults() {
  InitTarget51Opts(m_t, Session().Target());
  m_keepCopy = true;
  Activate();
}

void Target51Page::RunBankWizard() {
  OptionsSession& session = Session();
  OptionBlock& target = *session.TargetCopy();
  std::string stored = GetKeyValue(target.lst.OPTKUS, "NSZCOM");
  uint16_t common = kDefaultCommonSize;
  if (!stored.empty()) common = uint16_t(std::strtoul(stored.c_str(), nullptr, 16));
  std::string file;
  PathResolver resolver;
  ProjectRec* p = session.Project();
  resolver.ResolveStoredPath(GetOutputFileBase(target), p ? p->folder.view() : std::string_view(), &file);
  BankWizardDialog::Services services;
  // The wizard's messages keep their own titles ("Invalid number").
  services.message = [this](const std::string& title, const std::string& text) { Sheet().ShowMessage(title, text); };
  services.storedBank = [&session](const std::string& name) { return uint8_t(session.FileBank(name)); };
  // A module's source is the project's file of that name (as its bank is).
  services.openSource = [this, p](const std::string& name) {
    FileRec* f = p ? FindProjectFile(p, name.c_str(), kFileC) : nullptr;
    if (!f || !Sheet().Services().openFile) return;
    std::string path;
    PathResolver().ResolveStoredPath(f->path.view(), p->folder.view(), &path);
    Sheet().Services().openFile(path);
  };
  services.apply = [&session](const BankModel& model) {
    for (const BankModule& m : model.modules)
      if (m.present && !m.noName) session.SetPendingFileBank(m.name, m.bank);
    char value[16];
    std::snprintf(value, sizeof value, "0x%X", unsigned(model.commonSize));
    session.SetTargetOption("NSZCOM", value);
  };
  BankWizardDialog dialog(file, common, uint16_t(2u << std::min<uint16_t>(m_t.CBANKS5, 5)), services, this);
  const int result = Sheet().Services().runDialog ? Sheet().Services().runDialog(dialog) : dialog.exec();
  if (result != QDialog::Accepted) return;
  m_t.CBANKS5 = BankCountIndex(dialog.Model().bankCount);
  const QSignalBlocker block(m_banks);
  m_banks->setCurrentIndex(m_t.CBANKS5);
}

// ---------------------------------------------------------------- 251

Target251Page::Target251Page(OptionsSheet& sheet) : FamilyTargetPage(sheet, PageId::kTarget251) {
  QGridLayout* g = Grid();
  m_mode = NewList({"Binary mode (8051 compatible)", "Source mode (251 native)"});
  m_model = NewList({"Tiny", "XTiny", "Small", "XSmall", "Large"});
  m_rom = NewList({"Small: up to 2K", "Compact: 2K modules, 64K program", "Compact: 2K functions, 64K program",
                   "Large: 64K program", "Huge: 64K functions, 16M program"});
  m_rtos = NewList({"None"});
  int row = 0;
  for (auto [label, w] : {std::pair<const char*, QWidget*>{"CPU Mode:", m_mode}, {"Memory Model:", m_model},
                          {"Code Rom Size:", m_rom}, {"Operating system:", m_rtos}}) {
    g->addWidget(new QLabel(label, this), row, 0);
    g->addWidget(w, row++, 1, 1, 3);
  }
  const char* holds[3] = {"Data threshold:", "Xdata threshold:", "Far threshold:"};
  for (int i = 0; i < 3; ++i) {
    m_hold[std::size_t(i)] = NewEdit(16);
    g->addWidget(new QLabel(holds[i], this), row, 0);
    g->addWidget(m_hold[std::size_t(i)], row++, 1);
  }
  m_onRom = NewBox("Use On-chip ROM");
  m_frame4 = NewBox("4 Byte Interrupt Frame Size");
  g->addWidget(m_onRom, row++, 0, 1, 4);
  g->addWidget(m_frame4, row++, 0, 1, 4);
  m_codeBase = NewEdit(16);
  m_xdataBase = NewEdit(16);
  m_codeBase->setReadOnly(true);
  m_xdataBase->setReadOnly(true);
  g->addWidget(new QLabel("'OFFS' code base:", this), row, 0);
  g->addWidget(m_codeBase, row, 1);
  g->addWidget(new QLabel("'OFFS' xdata base:", this), row, 2);
  g->addWidget(m_xdataBase, row++, 3);
  g->addWidget(new QLabel("Start", this), row, 2);
  g->addWidget(new QLabel("Size", this), row++, 3);
  for (int i = 0; i < 6; ++i) m_ext[std::size_t(i)] = NewRow(g, row++, QString("#%1").arg(i + 1), true, 16);
  m_banking = NewBox("Code Banking");
  m_banks = NewList({"2", "4", "8", "16", "32", "64"});
  g->addWidget(m_banking, row, 0);
  g->addWidget(m_banks, row++, 1);
  m_bankArea = NewRow(g, row++, "Bank Area (start, end):", false, 16);

  connect(m_onRom, &QCheckBox::toggled, this, [this](bool on) {
    if (!Loading()) m_t.T251FL = on ? m_t.T251FL | 0x1 : m_t.T251FL & ~0x1u;
  });
  connect(m_frame4, &QCheckBox::toggled, this, [this](bool on) {
    if (!Loading()) m_t.T251FL = on ? m_t.T251FL | 0x8 : m_t.T251FL & ~0x8u;
  });
  connect(m_banking, &QCheckBox::toggled, this, [this](bool on) {
    if (!Loading()) m_t.T251FL = on ? m_t.T251FL | 0x80 : m_t.T251FL & ~0x80u;
    for (QWidget* w : {static_cast<QWidget*>(m_banks), static_cast<QWidget*>(m_bankArea.start),
                       static_cast<QWidget*>(m_bankArea.second)})
      w->setEnabled(on);
  });
  connect(m_mode, &QComboBox::currentIndexChanged, this, [this](int i) {
    if (!Loading() && i >= 0) m_t.T251FL = i == 1 ? m_t.T251FL | 0x4 : m_t.T251FL & ~0x4u;
  });
  connect(m_model, &QComboBox::currentIndexChanged, this, [this](int i) {
    if (Loading() || i < 0) return;
    m_t.MODEL25 = uint16_t(i);
    m_t.DHOLD25 = m_t.XHOLD25 = m_t.FHOLD25 = 0;
    for (QLineEdit* e : m_hold) e->setText("0");
  });
  connect(m_rom, &QComboBox::currentIndexChanged, this, [this](int i) {
    if (!Loading() && i >= 0) m_t.ROMSZ25 = uint16_t(i);
  });
  connect(m_rtos, &QComboBox::currentIndexChanged, this, [this](int i) {
    if (!Loading() && i >= 0) m_t.RTOS25 = uint16_t(i);
  });
  connect(m_banks, &QComboBox::currentIndexChanged, this, [this](int i) {
    if (!Loading() && i >= 0) m_t.CBANKS2 = uint16_t(i);
  });
}

void Target251Page::Load() {
  if (!m_keepCopy) m_t = Session().EditedBlock()->t251;
  m_keepCopy = false;
  LoadControls();
}

void Target251Page::LoadControls() {
  LoadHeader(m_t.clock);
  FillKernels(m_rtos);
  m_mode->setCurrentIndex(m_t.T251FL & 0x4 ? 1 : 0);
  m_model->setCurrentIndex(m_t.MODEL25);
  m_rom->setCurrentIndex(m_t.ROMSZ25);
  m_rtos->setCurrentIndex(m_t.RTOS25);
  m_banks->setCurrentIndex(m_t.CBANKS2);
  const uint32_t holds[3] = {m_t.DHOLD25, m_t.XHOLD25, m_t.FHOLD25};
  for (int i = 0; i < 3; ++i) m_hold[std::size_t(i)]->setText(QString::number(holds[i]));
  m_onRom->setVisible(m_t.T251FL & 0x40);
  m_onRom->setChecked(m_t.T251FL & 0x1);
  m_frame4->setChecked(m_t.T251FL & 0x8);
  auto base = [](QLineEdit* e, uint32_t v) {
    e->setText(v ? Format("0x%06X", v, 0) : QString());
  };
  base(m_codeBase, m_t.t251Words[0]);
  base(m_xdataBase, m_t.t251Words[1]);
  for (std::size_t i = 0; i < 6; ++i) {
    m_ext[i].type->setCurrentIndex(m_t.OCM251[i].kind ? 1 : 0);
    m_ext[i].start->clear();
    m_ext[i].second->clear();
    if (m_t.OCM251[i].size) ShowRange(m_ext[i], m_t.OCM251[i].start, m_t.OCM251[i].size, "0x%04X");
  }
  ShowRange(m_bankArea, m_t.RCB25.start, m_t.RCB25.size, "0x%04X");
  m_banking->setChecked(m_t.T251FL & 0x80);
  for (QWidget* w : {static_cast<QWidget*>(m_banks), static_cast<QWidget*>(m_bankArea.start),
                     static_cast<QWidget*>(m_bankArea.second)})
    w->setEnabled(m_t.T251FL & 0x80);
}

bool Target251Page::Leave() {
  Target251Opts t = m_t;
  if (!ReadThreshold(m_hold[0], 128, &t.DHOLD25) || !ReadThreshold(m_hold[1], 65536, &t.XHOLD25) ||
      !ReadThreshold(m_hold[2], 32, &t.FHOLD25))
    return false;
  if (t.T251FL & 0x80) {
    // Banked code needs its area: an emptied area is refused, not
    // silently replaced by the one stored before.
    const std::string start(TrimBlanks(Text(m_bankArea.start))), end(TrimBlanks(Text(m_bankArea.second)));
    if (start.empty()) return Refuse(m_bankArea.start, "Missing start address !");
    if (end.empty()) return Refuse(m_bankArea.second, "Missing size !");
    uint32_t s = 0, e = 0;
    if (!ReadNumberInRange(start, 0, 65536, &s)) return Refuse(m_bankArea.start, "Missing start address !");
    if (!ReadNumberInRange(end, 0, 65536, &e)) return Refuse(m_bankArea.second, "Invalid end address given !");
    t.RCB25.start = s;
    t.RCB25.size = e;
  }
  if (!ReadClock(&t.clock)) return false;
  for (std::size_t i = 0; i < 6; ++i) {
    const RangeCheck c = CheckExternalRow(Text(m_ext[i].start), Text(m_ext[i].second));
    if (!c.ok) return Refuse(c.focus ? m_ext[i].second : m_ext[i].start, c.message);
    t.OCM251[i].start = c.value.start;
    t.OCM251[i].size = c.value.size;
    t.OCM251[i].kind = uint8_t(m_ext[i].type->currentIndex() == 1 ? 1 : 0);
  }
  const OverlapCheck o = CheckOverlaps(t.OCM251, 6, 0, "");
  if (!o.ok) return Refuse(m_ext[std::size_t(o.focusRow)].start, o.message);
  m_t = t;
  Session().EditedBlock()->t251 = m_t;
  return true;
}

void Target251Page::Defaults() {
  InitTarget251Opts(m_t, Session().Target());
  m_keepCopy = true;
  Activate();
}

// ---------------------------------------------------------------- 166

Target166Page::Target166Page(OptionsSheet& sheet) : FamilyTargetPage(sheet, PageId::kTarget166) {
  QGridLayout* g = Grid();
  m_model = NewList({"Tiny: program up to 64K", "Small", "Compact", "Medium", "Large", "HCompact", "HLarge"});
  m_rtos = NewList({"None"});
  m_hold = NewEdit(80);
  m_nearRam = NewList({"16 KB", "32 KB", "48 KB"});
  m_nearRom = NewList({"16 KB", "32 KB", "48 KB"});
  int row = 0;
  for (auto [label, w] : {std::pair<const char*, QWidget*>{"Memory Model:", m_model},
                          {"Operating system:", m_rtos}, {"Data Threshold:", m_hold},
                          {"Near Memory RAM:", m_nearRam}, {"Near Memory ROM:", m_nearRom}}) {
    g->addWidget(new QLabel(label, this), row, 0);
    g->addWidget(w, row++, 1, 1, 3);
  }
  m_onRom = NewBox("Use On-chip ROM");
  m_onXcan = NewBox("Use On-chip XRAM");
  m_onXram2 = NewBox("Use On-chip XRAM");
  for (QCheckBox* b : {m_onRom, m_onXcan, m_onXram2}) g->addWidget(b, row++, 0, 1, 4);
  g->addWidget(new QLabel("Start", this), row, 2);
  g->addWidget(new QLabel("Size", this), row++, 3);
  for (int i = 0; i < 6; ++i) {
    m_ext[std::size_t(i)] = NewRow(g, row++, QString("#%1").arg(i + 1), true, 10);
    connect(m_ext[std::size_t(i)].start, &QLineEdit::textEdited, this, [this, i] { m_startChanged[std::size_t(i)] = true; });
    connect(m_ext[std::size_t(i)].second, &QLineEdit::textEdited, this, [this, i] { m_sizeChanged[std::size_t(i)] = true; });
  }
  connect(ClockEdit(), &QLineEdit::textEdited, this, [this] { m_clockChanged = true; });
  connect(m_hold, &QLineEdit::textEdited, this, [this] { m_holdChanged = true; });
  connect(m_model, &QComboBox::currentIndexChanged, this, [this](int i) {
    if (!Loading() && i >= 0) T().MODEL = uint8_t(i);
  });
  connect(m_rtos, &QComboBox::currentIndexChanged, this, [this](int i) {
    if (!Loading() && i >= 0) T().RTOS = uint8_t(i);
  });
  connect(m_nearRam, &QComboBox::currentIndexChanged, this,
          [this] { NearChosen(m_nearRam, m_nearRom, T().NEARRAM, T().NEARROM); });
  connect(m_nearRom, &QComboBox::currentIndexChanged, this,
          [this] { NearChosen(m_nearRom, m_nearRam, T().NEARROM, T().NEARRAM); });
  connect(m_onRom, &QCheckBox::toggled, this, [this](bool on) {
    if (!Loading()) T().flags.USEONCHIPROM = on;
  });
  connect(m_onXcan, &QCheckBox::toggled, this, [this](bool on) {
    if (!Loading()) T().flags.USEONCHIPXCAN = on;
  });
  connect(m_onXram2, &QCheckBox::toggled, this, [this](bool on) {
    if (!Loading()) T().flags.USEONCHIPXRAM2 = on;
  });
}

Target166Opts& Target166Page::T() const { return Session().EditedBlock()->t166; }

void Target166Page::NearChosen(QComboBox* mine, QComboBox* other, uint8_t& mineField, uint8_t& otherField) {
  if (Loading() || mine->currentIndex() < 0) return;
  mineField = uint8_t(mine->currentIndex());
  // The two near areas share 64K.
  otherField = NearOtherIndex(mineField, otherField);
  const QSignalBlocker block(other);
  other->setCurrentIndex(otherField);
}

void Target166Page::Load() {
  Target166Opts& t = T();
  LoadHeader(t.clock);
  FillKernels(m_rtos);
  m_model->setCurrentIndex(t.MODEL);
  m_rtos->setCurrentIndex(t.RTOS);
  Thresholds166 holds;
  holds.value[0] = t.NHOLD;
  holds.value[1] = t.IHOLD;
  holds.value[2] = t.SHOLD;
  holds.value[3] = t.BHOLD;
  m_hold->setText(ToQ(FormatThresholds166(holds)));
  m_nearRam->setCurrentIndex(t.NEARRAM);
  m_nearRom->setCurrentIndex(t.NEARROM);
  m_onRom->setVisible(t.flags.hasOnChipRom);
  m_onRom->setText(QString("Use On-chip ROM (%1KB)").arg(t.IROM.size / 1024));
  m_onRom->setChecked(t.flags.USEONCHIPROM);
  const bool xram = t.flags.hasOnChipXram, can = t.flags.hasCan;
  m_onXcan->setVisible(xram || can);
  const unsigned xEnd = unsigned(uint64_t(t.XRAM.start) + t.XRAM.size - 1);
  if (xram && can)
    m_onXcan->setText(Format("Use On-chip CAN+XRAM (0x%X - 0x%X)", t.XRAM.start, xEnd));
  else if (xram)
    m_onXcan->setText(Format("Use On-chip XRAM (0x%X - 0x%X)", t.XRAM.start, xEnd));
  else
    m_onXcan->setText("Use On-chip CAN");
  m_onXcan->setChecked(t.flags.USEONCHIPXCAN);
  m_onXram2->setVisible(t.XRAM2.size != 0);
  m_onXram2->setText(Format("Use On-chip XRAM (0x%X - 0x%X)", t.XRAM2.start,
                            unsigned(uint64_t(t.XRAM2.start) + t.XRAM2.size - 1)));
  m_onXram2->setChecked(t.flags.USEONCHIPXRAM2);
  for (std::size_t i = 0; i < 6; ++i) {
    m_ext[i].type->setCurrentIndex(t.EXTMEM[i].kind ? 1 : 0);
    m_ext[i].start->clear();
    m_ext[i].second->clear();
    if (t.EXTMEM[i].size) ShowRange(m_ext[i], t.EXTMEM[i].start, t.EXTMEM[i].size, "0x%X");
  }
  m_clockChanged = m_holdChanged = false;
  m_startChanged.fill(false);
  m_sizeChanged.fill(false);
}

bool Target166Page::Leave() {
  Target166Opts& t = T();
  if (m_holdChanged) {
    Thresholds166 holds;
    std::string message;
    if (!ParseThresholds166(Text(m_hold), &holds, &message)) return Refuse(m_hold, message);
    t.NHOLD = holds.value[0];
    t.IHOLD = holds.value[1];
    t.SHOLD = holds.value[2];
    t.BHOLD = holds.value[3];
  }
  MemRangeRec rows[6];
  for (std::size_t i = 0; i < 6; ++i) {
    rows[i] = t.EXTMEM[i];
    rows[i].kind = uint8_t(m_ext[i].type->currentIndex() == 1 ? 1 : 0);
    if (!m_startChanged[i] && !m_sizeChanged[i]) continue;
    const RangeCheck c = CheckExternalRow(Text(m_ext[i].start), Text(m_ext[i].second));
    if (!c.ok) return Refuse(c.focus ? m_ext[i].second : m_ext[i].start, c.message);
    rows[i].start = c.value.start;
    rows[i].size = c.value.size;
  }
  const OverlapCheck o = CheckOverlaps(rows, 6, 0, "");
  if (!o.ok) return Refuse(m_ext[std::size_t(o.focusRow)].start, o.message);
  for (std::size_t i = 0; i < 6; ++i) t.EXTMEM[i] = rows[i];
  if (m_clockChanged && !ReadClock(&t.clock)) return false;
  return true;
}

void Target166Page::Defaults() {
  InitTarget166Opts(T(), Session().Target());
  Activate();
}

}  // namespace pm2
