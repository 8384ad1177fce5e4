#include "options/pages/listing_page.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>

#include "options/core/number_entry.h"
#include "options/core/options_session.h"
#include "options/pages/options_sheet.h"
#include "options/pages/output_fields.h"
#include "options/pages/page_text.h"
#include "options/core/tri_state.h"
#include "project/model/option_defaults.h"
#include "project/text/path_text.h"
#include "project/text/pool.h"

namespace pm2 {

namespace {

// Each bit of the listing word: its box's text and the group it sits in
// (0 compiler, 1 assembler, 2 linker); the three group switches are bits
// 0, 1 and 2.
struct BitRow {
  int bit;
  const char* text;
  int group;
};
const BitRow kBits[] = {
    {0, "C Compiler Listing:  ", 0},      {3, "C Preprocessor Listing:  ", 0}, {7, "Conditional", 0},
    {8, "Assembly Code", 0},              {9, "#include Files", 0},            {10, "Symbols", 0},
    {1, "Assembler Listing:  ", 1},        {4, "Conditional", 1},               {5, "Symbols", 1},
    {6, "Cross Reference", 1},             {2, "Linker Listing:  ", 2},         {11, "Memory Map", 2},
    {12, "Comment Records", 2},            {13, "Generated Symbols", 2},        {14, "Library Symbols", 2},
    {15, "Line Numbers", 2},               {16, "Local Symbols", 2},            {17, "Public Symbols", 2},
    {18, "Cross Reference", 2},            {19, "Linker Code Listing:  ", 2},
};
const char* const kGroups[] = {"C Compiler", "Assembler", "Linker"};

bool IsExtended51(const OptionBlock& b) { return (b.t51.T51FL & 0x1028000) != 0; }

}  // namespace

ListingPage::ListingPage(OptionsSheet& sheet) : OptionPage(sheet, PageId::kListing), m_bits(20, nullptr) {
  auto* grid = new QGridLayout(this);
  // The three numbers with up-down controls; page length and tab space have
  // fixed ranges, the page width's lower end follows the target's tools.
  for (UpDownEdit*& spin : m_spins) spin = new UpDownEdit(this);
  m_spins[1]->SetRange(18, 32760);
  m_spins[2]->SetRange(1, 16);
  m_width = m_spins[0]->Edit();
  m_length = m_spins[1]->Edit();
  m_tab = m_spins[2]->Edit();
  m_tab->setMaxLength(4);
  grid->addWidget(new QLabel("Page Width:", this), 0, 0);
  grid->addWidget(m_spins[0], 0, 1);
  grid->addWidget(new QLabel("Page Length:", this), 0, 2);
  grid->addWidget(m_spins[1], 0, 3);
  grid->addWidget(new QLabel("Tab Space:", this), 0, 4);
  grid->addWidget(m_spins[2], 0, 5);
  m_folderButton = new QPushButton("Select Folder for List Files...", this);
  m_folderButton->setAutoDefault(false);
  grid->addWidget(m_folderButton, 5, 0, 1, 3);
  connect(m_folderButton, &QPushButton::clicked, this, [this] {
    const std::string chosen = PickStoredFolder(Sheet(), m_folder, "Folder for List Files");
    if (chosen.empty()) return;
    m_folder = chosen;
    UpdateLabels();
  });
  QGridLayout* groups[3];
  for (int g = 0; g < 3; ++g) {
    auto* box = new QGroupBox(kGroups[g], this);
    groups[g] = new QGridLayout(box);
    grid->addWidget(box, 1 + g, 0, 1, 6);
  }
  int counts[3] = {};
  for (const BitRow& r : kBits) {
    auto* box = new QCheckBox(r.text, this);
    m_bits[std::size_t(r.bit)] = box;
    const int n = counts[r.group]++;
    groups[r.group]->addWidget(box, n / 3, n % 3);
    const int bit = r.bit;
    connect(box, &QCheckBox::toggled, this, [this, bit](bool on) {
      if (Loading()) return;
      uint32_t& w = Block().lst.listFlags;
      w = on ? w | (1u << bit) : w & ~(1u << bit);
      if (bit <= 2) EnableGroups();
    });
  }
  m_macro = new QComboBox(this);
  m_macro->addItems({"Final expansion only", "First level expansion", "All expansions"});
  groups[1]->addWidget(new QLabel("Macros:", this), 2, 0);
  groups[1]->addWidget(m_macro, 2, 1);
  connect(m_macro, &QComboBox::currentIndexChanged, this, [this](int row) {
    if (!Loading() && row >= 0) Block().lst.lstByte2 = uint8_t(row);
  });
  auto storeTab = [this] {
    uint32_t v = 0;
    if (ReadNumberField(FromQ(m_tab->text()), 1, 16, &v)) Block().lst.lstByte = uint8_t(v);
  };
  connect(m_tab, &QLineEdit::textEdited, this, storeTab);
  connect(m_spins[2], &UpDownEdit::stepped, this, storeTab);
  grid->setRowStretch(6, 1);
}

OptionBlock& ListingPage::Block() const { return *Session().TargetCopy(); }

void ListingPage::Load() {
  const OptionBlock& b = Block();
  m_folder = b.lst.LSTDIR.str();
  const int minWidth = Session().Toolset() == 0 && IsExtended51(b) ? 79 : 72;
  m_spins[0]->SetRange(minWidth, 132);
  m_width->setText(QString::number(std::max<int>(b.lst.pageWidth, minWidth)));
  m_length->setText(QString::number(b.lst.pageLength));
  m_tab->setText(QString::number(b.lst.lstByte >= 255 ? 8 : b.lst.lstByte));
  for (int bit = 0; bit < 20; ++bit) m_bits[std::size_t(bit)]->setChecked((b.lst.listFlags >> bit) & 1);
  m_macro->setCurrentIndex(b.lst.lstByte2 < 3 ? b.lst.lstByte2 : 0);
  // The code listing exists only for the extended 51 linker, and only
  // while the compiler packs the linker's code (the listing shows it).
  m_bits[19]->setVisible(Session().Toolset() == 0 && IsExtended51(b));
  m_bits[19]->setEnabled(GetBitField(b.q51.Q51FL, 26, 2) != 0);
  UpdateLabels();
  // The linker listing's own box: given back when the control file is
  // given up while the sheet is open.
  m_bits[2]->setEnabled(true);
  EnableGroups();
  // The linker's listing controls belong to its control file when it uses one.
  if (b.n51.NX51FL & 1)
    for (int bit : {2, 11, 17, 16, 15, 12, 18, 13, 14, 19}) m_bits[std::size_t(bit)]->setEnabled(false);
}

void ListingPage::UpdateLabels() {
  const OptionBlock& b = Block();
  // Alt with C, A, I or R switches a listing; the folder and name are shown
  // as they stand.
  const QString folder = Literally(ToQ(m_folder));
  m_bits[0]->setText("&C Compiler Listing:  " + folder + "*.lst");
  m_bits[1]->setText("&Assembler Listing:  " + folder + "*.lst");
  m_bits[3]->setText("C Preprocessor Listing:  " + folder + "*.i");
  m_bits[19]->setText("Linke&r Code Listing:  " + folder + "*.cod");
  const uint16_t t = Session().Toolset();
  const char* ext = t == 2 ? ".m66" : t == 1 ? ".map" : (b.t51.T51FL & 0x8000) ? ".map" : ".m51";
  m_bits[2]->setText("L&inker Listing:  " + folder + Literally(ToQ(b.out.OUTNAME.str())) + ext);
}

void ListingPage::EnableGroups() {
  const uint32_t w = Block().lst.listFlags;
  for (const BitRow& r : kBits)
    if (r.bit > 2 && r.bit != 19 && r.bit != 3) m_bits[std::size_t(r.bit)]->setEnabled((w >> r.group) & 1);
  m_macro->setEnabled(w & 2);
}

bool ListingPage::Leave() {
  uint32_t width = Block().lst.pageWidth, length = 0, tab = 0;
  if (!TrimBlanks(FromQ(m_width->text())).empty() && !ReadNumberField(FromQ(m_width->text()), 79, 132, &width))
    return Refuse(m_width, "Invalid Pagewidth");
  if (!ReadNumberField(FromQ(m_length->text()), 18, 32760, &length)) return Refuse(m_length, "Invalid Pagelength");
  if (!ReadNumberField(FromQ(m_tab->text()), 1, 16, &tab)) return Refuse(m_tab, "Bad or missing 'Tab space'");
  OptionBlock& b = Block();
  b.lst.pageWidth = uint16_t(width);
  b.lst.pageLength = uint16_t(length);
  b.lst.lstByte = uint8_t(tab);
  SetStored(b.lst.LSTDIR, m_folder);
  return true;
}

void ListingPage::Defaults() {
  // The target's KEY=value list shares the record but is no listing option
  // (the banking wizard keeps NSZCOM there).
  OptionBlock& b = Block();
  KeyValueRec* keys = b.lst.OPTKUS;
  InitListingOpts(b, false);
  b.lst.OPTKUS = keys;
  Activate();
}

}  // namespace pm2
