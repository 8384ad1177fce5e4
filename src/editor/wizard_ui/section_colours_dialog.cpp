#include "editor/wizard_ui/section_colours_dialog.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "toolkit/controls/window_font_qt.h"
#include "platform/settings_store.h"
#include "toolkit/controls/qt_bridge.h"

namespace pm2 {

namespace {

// The colour slots: the button's caption and the sample's text.
struct SlotRow {
  const char* button;
  const char* sample;
  uint32_t SectionColours::*field;
};
constexpr SlotRow kSlotRows[] = {
    {"&Keyword...", "Keyword", &SectionColours::keyword},
    {"&Quote...", "\"Quote\"", &SectionColours::quote},
    {"C&omment...", "/* Comment */", &SectionColours::comment},
    {"&Default Text...", "Default text", &SectionColours::text},
    {"&Background...", "Default text", &SectionColours::background},
};

struct DelimiterRow {
  const char* label;
  std::string SectionColours::*field;
};
constexpr DelimiterRow kDelimiterRows[] = {
    {"Comment Start &1:", &SectionColours::commentStart1},
    {"Comment End 1:", &SectionColours::commentEnd1},
    {"Comment Start &2:", &SectionColours::commentStart2},
    {"Comment End 2:", &SectionColours::commentEnd2},
};

// The editor reads at most this many characters of a comment delimiter.
constexpr int kDelimiterMax = 15;

uint32_t RecordOf(const QColor& c) { return uint32_t(c.red()) | uint32_t(c.green()) << 8 | uint32_t(c.blue()) << 16; }

}  // namespace

CEditOpt::CEditOpt(SettingsStore& store, std::string section, QWidget* parent)
    : QDialog(parent), m_store(store), m_section(std::move(section)) {
  setObjectName("SectionColoursDialog");
  // The title names the file kind, not the settings path it is kept under
  // ("Editor\C Files" is titled "Colors - C Files").
  const std::size_t cut = m_section.find_last_of('\\');
  setWindowTitle(ToQString("Colors - " + (cut == std::string::npos ? m_section : m_section.substr(cut + 1))));
  const SectionColours v = LoadSectionColours(m_store, m_section);
  auto* grid = new QGridLayout;
  for (int i = 0; i < kSlots; ++i) {
    m_colours[size_t(i)] = v.*kSlotRows[i].field;
    m_buttons[size_t(i)] = new QPushButton(kSlotRows[i].button, this);
    m_buttons[size_t(i)]->setAutoDefault(false);
    m_samples[size_t(i)] = new QLabel(kSlotRows[i].sample, this);
    m_samples[size_t(i)]->setAutoFillBackground(true);
    m_samples[size_t(i)]->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_samples[size_t(i)]->setMinimumWidth(140);
    grid->addWidget(m_buttons[size_t(i)], i, 0);
    grid->addWidget(m_samples[size_t(i)], i, 1);
    connect(m_buttons[size_t(i)], &QPushButton::clicked, this, [this, i] { Pick(Slot(i)); });
  }
  m_case = new QCheckBox("&Case sensitive", this);
  m_case->setChecked(v.caseSensitive != 0);
  m_colouring = new QCheckBox("&Syntax coloring", this);
  m_colouring->setChecked(v.colouring != 0);
  grid->addWidget(m_case, kSlots, 0, 1, 2);
  grid->addWidget(m_colouring, kSlots + 1, 0, 1, 2);
  for (int i = 0; i < 4; ++i) {
    auto* edit = new QLineEdit(ToQString(v.*kDelimiterRows[i].field), this);
    edit->setMaxLength(kDelimiterMax);
    auto* label = new QLabel(kDelimiterRows[i].label, this);
    label->setBuddy(edit);
    m_delimiters[size_t(i)] = edit;
    grid->addWidget(label, kSlots + 2 + i, 0);
    grid->addWidget(edit, kSlots + 2 + i, 1);
  }
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, [this] {
    Save();
    accept();
  });
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid);
  layout->addWidget(buttons);
  chooseColour = [this](uint32_t current) -> std::optional<uint32_t> {
    const QColor c = QColorDialog::getColor(ColourOfRecord(current), this);
    if (!c.isValid()) return std::nullopt;
    return RecordOf(c);
  };
  ShowSamples();
}

SectionColours CEditOpt::Values() const {
  SectionColours v;
  for (int i = 0; i < kSlots; ++i) v.*kSlotRows[i].field = m_colours[size_t(i)];
  v.caseSensitive = m_case->isChecked() ? 1 : 0;
  v.colouring = m_colouring->isChecked() ? 1 : 0;
  for (int i = 0; i < 4; ++i) v.*kDelimiterRows[i].field = FromQString(m_delimiters[size_t(i)]->text());
  return v;
}

void CEditOpt::Pick(Slot s) {
  if (!chooseColour) return;
  const std::optional<uint32_t> chosen = chooseColour(m_colours[size_t(s)]);
  if (!chosen) return;
  m_colours[size_t(s)] = *chosen & 0xFFFFFF;
  // A new background redraws every sample; another colour its own.
  ShowSamples();
}

void CEditOpt::ShowSamples() {
  const QColor back = ColourOfRecord(m_colours[kBackground]);
  for (int i = 0; i < kSlots; ++i) {
    QPalette p = m_samples[size_t(i)]->palette();
    p.setColor(QPalette::Window, back);
    p.setColor(QPalette::WindowText, ColourOfRecord(m_colours[size_t(i == kBackground ? kText : i)]));
    m_samples[size_t(i)]->setPalette(p);
  }
}

void CEditOpt::Save() { SaveSectionColours(m_store, m_section, Values()); }

}  // namespace pm2
