#include "options/pages/arm_target_page.h"

#include <QFormLayout>
#include <QGridLayout>
#include <QVBoxLayout>

#include "options/core/number_entry.h"
#include "options/core/options_session.h"
#include "options/pages/options_sheet.h"
#include "options/pages/page_text.h"
#include "project/environment/environment.h"
#include "project/model/device_strings.h"
#include "project/model/project_records.h"
#include "project/text/path_text.h"

namespace pm2 {

// Where each ARM toolset keeps its target sub-record.
struct ArmTargetFields {
  PageId id;
  ArmTargetView (*view)(OptionBlock&);
  void (*writeBack)(OptionBlock& edited, const OptionBlock& page);
};

namespace {

const ArmTargetFields kTargets[] = {
    {PageId::kArmGnuTarget, [](OptionBlock& b) { return ArmView(b.tGnu); },
     [](OptionBlock& e, const OptionBlock& p) { e.tGnu = p.tGnu; }},
    {PageId::kArmAdsTarget, [](OptionBlock& b) { return ArmView(b.tAds); },
     [](OptionBlock& e, const OptionBlock& p) { e.tAds = p.tAds; }},
};

const ArmTargetFields& FieldsOf(PageId id) {
  for (const ArmTargetFields& f : kTargets)
    if (f.id == id) return f;
  return kTargets[0];
}

// The on-chip boxes: the bit each stores and the bit saying the device has it.
struct OnChipRow {
  const char* text;
  uint32_t use;
  uint32_t has;
};
const OnChipRow kOnChip[] = {
    {"Use On-chip ROM", 1u << 8, kTArmIrom},
    {"Use On-chip RAM", 1u << 9, kTArmIram},
    {"Use On-chip XRAM", 1u << 13, kTArmXram},
};
const char* const kRowNames[kArmMemRows] = {"Eprom #1", "Eprom #2", "Eprom #3", "Ram #1", "Ram #2", "Ram #3"};

}  // namespace

ArmTargetPage::ArmTargetPage(OptionsSheet& sheet, PageId id) : OptionPage(sheet, id), m_fields(FieldsOf(id)) {
  auto* layout = new QVBoxLayout(this);
  auto* form = new QFormLayout;
  layout->addLayout(form);
  m_device = new QLabel(this);
  form->addRow("Device:", m_device);
  m_clock = new QLineEdit(this);
  m_clock->setMaxLength(16);
  form->addRow("&Xtal (MHz):", m_clock);
  m_rtos = new QComboBox(this);
  form->addRow("&Operating system:", m_rtos);
  connect(m_rtos, &QComboBox::currentIndexChanged, this, [this](int row) {
    if (!Loading() && row >= 0) m_fields.view(m_copy).flags[0] = uint8_t(row);
  });
  // The device's own memories and the off-chip rows are kept by the page
  // without being offered: what the device database says stands.
  auto* grid = new QGridLayout;
  layout->addLayout(grid);
  for (std::size_t i = 0; i < m_onChip.size(); ++i) {
    m_onChip[i] = new QCheckBox(kOnChip[i].text, this);
    m_onChip[i]->hide();
    const uint32_t bit = kOnChip[i].use;
    connect(m_onChip[i], &QCheckBox::toggled, this, [this, bit](bool on) {
      if (Loading()) return;
      uint8_t* flags = m_fields.view(m_copy).flags;
      SetFirstWord(flags, on ? FirstWord(flags) | bit : FirstWord(flags) & ~bit);
    });
    grid->addWidget(m_onChip[i], 0, int(i));
  }
  for (int r = 0; r < kArmMemRows; ++r) {
    auto* label = new QLabel(kRowNames[r], this);
    m_start[std::size_t(r)] = new QLineEdit(this);
    m_size[std::size_t(r)] = new QLineEdit(this);
    for (QWidget* w : {static_cast<QWidget*>(label), static_cast<QWidget*>(m_start[std::size_t(r)]),
                       static_cast<QWidget*>(m_size[std::size_t(r)])})
      w->hide();
    m_start[std::size_t(r)]->setMaxLength(16);
    m_size[std::size_t(r)]->setMaxLength(16);
    m_start[std::size_t(r)]->setAccessibleName(QString(kRowNames[r]) + " Start");
    m_size[std::size_t(r)]->setAccessibleName(QString(kRowNames[r]) + " Size");
    grid->addWidget(label, 1 + r, 0);
    grid->addWidget(m_start[std::size_t(r)], 1 + r, 1);
    grid->addWidget(m_size[std::size_t(r)], 1 + r, 2);
  }
  layout->addStretch();
}

void ArmTargetPage::Load() {
  m_copy = *Session().TargetCopy();
  const ArmTargetView v = m_fields.view(m_copy);
  const TargetRec* t = Session().Target();
  m_device->setText(t ? ToQ(t->VENDOR.str() + " " + t->DEVICE.str()) : QString());
  m_clock->setText(ToQ(ClockEditText(*v.clock)));
  m_rtos->clear();
  m_rtos->addItem("None");
  if (const ToolsetInfo* env = Sheet().ToolsetEnvironment())
    for (const TitledPath& os : env->rtos)
      if (!os.path.empty()) m_rtos->addItem(ToQ(os.title.empty() ? os.path : os.title));
  m_rtos->setCurrentIndex(v.flags[0] < m_rtos->count() ? v.flags[0] : -1);
  const uint32_t flags = FirstWord(v.flags);
  for (std::size_t i = 0; i < m_onChip.size(); ++i)
    if (flags & kOnChip[i].has) m_onChip[i]->setChecked(flags & kOnChip[i].use);
  for (int r = 0; r < kArmMemRows; ++r) {
    const ArmRowText shown = ArmRowShown(v.ocm[r]);
    m_start[std::size_t(r)]->setText(ToQ(shown.start));
    m_size[std::size_t(r)]->setText(ToQ(shown.size));
  }
}

bool ArmTargetPage::Leave() {
  const ArmTargetView v = m_fields.view(m_copy);
  uint32_t hz = *v.clock;
  const std::string clock(TrimBlanks(FromQ(m_clock->text()).substr(0, 126)));
  if (!clock.empty() && !ParseClockMHz(clock, &hz)) return Refuse(m_clock, kBadClockMessage);
  std::array<ArmRowText, kArmMemRows> texts;
  std::array<MemRangeRec, kArmMemRows> rows;
  for (int r = 0; r < kArmMemRows; ++r) {
    texts[std::size_t(r)] = {FromQ(m_start[std::size_t(r)]->text()), FromQ(m_size[std::size_t(r)]->text())};
    rows[std::size_t(r)] = v.ocm[r];
  }
  ArmRangeResult result = ReadArmRanges(texts, rows);
  if (result.ok) result = FindArmOverlap(rows);
  if (!result.ok) {
    const std::size_t r = std::size_t(result.row);
    return Refuse(result.field == ArmRowField::kStart ? m_start[r] : m_size[r], result.message);
  }
  *v.clock = hz;
  for (int r = 0; r < kArmMemRows; ++r) v.ocm[r] = rows[std::size_t(r)];
  m_fields.writeBack(*Session().TargetCopy(), m_copy);
  return true;
}

}  // namespace pm2
