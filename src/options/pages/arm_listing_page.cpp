#include "options/pages/arm_listing_page.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <cstring>
#include <span>

#include "options/core/number_entry.h"
#include "options/core/options_session.h"
#include "options/pages/options_sheet.h"
#include "options/pages/output_fields.h"
#include "options/pages/page_text.h"
#include "project/model/option_defaults.h"
#include "project/text/path_text.h"
#include "project/text/pool.h"

namespace pm2 {

// A box of the listing word: its bit, its text, the group it sits in (0
// assembler, 1 linker) and whether it is that group's listing switch.
struct ArmListingBit {
  int bit;
  const char* text;
  int group;
  bool listing;
};

namespace {

const ArmListingBit kGnuBits[] = {
    {0, "&Assembler Listing:  ", 0, true},   {1, "High-level source", 0, false},
    {2, "Assembly code", 0, false},          {3, "Expanded macros", 0, false},
    {4, "Symbols", 0, false},                {5, "False conditionals", 0, false},
    {6, "Debug directives", 0, false},       {7, "Form feeds", 0, false},
    {8, "L&inker Listing:  ", 1, true},      {9, "Memory Map", 1, false},
    {10, "Cross Reference", 1, false},
};
const ArmListingBit kAdsBits[] = {
    {0, "&Assembler Listing:  ", 0, true},   {1, "Cross &Reference", 0, false},
    {2, "No Paging", 0, false},              {3, "No Terse Listing", 0, false},
    {4, "L&inker Listing:  ", 1, true},      {5, "Memory Map", 1, false},
    {6, "Call Graph", 1, false},             {7, "Symbols", 1, false},
    {8, "Size Info", 1, false},              {9, "Totals Info", 1, false},
    {10, "Unused Sections Info", 1, false},  {11, "Veneers Info", 1, false},
    {12, "Cross Reference", 1, false},
};
const char* const kGroups[] = {"Assembler", "Linker"};

template <std::size_t N>
std::span<const ArmListingBit> Span(const ArmListingBit (&a)[N]) {
  return {a, N};
}

}  // namespace

ArmListingPage::ArmListingPage(OptionsSheet& sheet, PageId id) : OptionPage(sheet, id) {
  auto* grid = new QGridLayout(this);
  int row = 0;
  if (Ads()) {
    m_width = new QSpinBox(this);
    m_width->setRange(72, 132);
    m_length = new QSpinBox(this);
    m_length->setRange(18, 32760);
    grid->addWidget(new QLabel("Page Width:", this), row, 0);
    grid->addWidget(m_width, row, 1);
    grid->addWidget(new QLabel("Page Length:", this), row, 2);
    grid->addWidget(m_length, row, 3);
    ++row;
  }
  m_folderButton = new QPushButton("Select Folder for List Files...", this);
  m_folderButton->setAutoDefault(false);
  grid->addWidget(m_folderButton, row++, 0, 1, 2);
  connect(m_folderButton, &QPushButton::clicked, this, [this] {
    const std::string chosen = PickStoredFolder(Sheet(), m_folder, "Folder for List Files");
    if (chosen.empty()) return;
    m_folder = chosen;
    m_folderPicked = true;
    UpdateLabels();
  });
  QGridLayout* groups[2];
  for (int g = 0; g < 2; ++g) {
    auto* box = new QGroupBox(kGroups[g], this);
    groups[g] = new QGridLayout(box);
    grid->addWidget(box, row++, 0, 1, 4);
  }
  int counts[2] = {};
  for (const ArmListingBit& r : Ads() ? Span(kAdsBits) : Span(kGnuBits)) {
    auto* box = new QCheckBox(r.text, this);
    m_bits[r.bit] = box;
    if (r.listing) {
      groups[r.group]->addWidget(box, 0, 0, 1, 3);
    } else {
      const int n = counts[r.group]++;
      groups[r.group]->addWidget(box, 1 + n / 3, n % 3);
    }
    const uint32_t mask = 1u << r.bit;
    const bool listing = r.listing;
    connect(box, &QCheckBox::toggled, this, [this, mask, listing](bool on) {
      if (Loading()) return;
      SetWord(on ? Word() | mask : Word() & ~mask);
      if (listing) EnableContents();
    });
  }
  grid->setRowStretch(row, 1);
}

QCheckBox* ArmListingPage::BitBox(int bit) const {
  auto it = m_bits.find(bit);
  return it == m_bits.end() ? nullptr : it->second;
}

uint32_t ArmListingPage::Word() const { return Ads() ? FirstWord(m_copy.lst.ADSFLGA) : m_copy.lst.GLFLAGS; }

void ArmListingPage::SetWord(uint32_t w) {
  if (Ads())
    SetFirstWord(m_copy.lst.ADSFLGA, w);
  else
    m_copy.lst.GLFLAGS = w;
}

void ArmListingPage::Load() {
  m_copy = *Session().TargetCopy();
  m_folder = m_copy.lst.LSTDIR.empty() ? m_copy.out.OUTDIR.str() : m_copy.lst.LSTDIR.str();
  m_folderPicked = false;
  if (Ads()) {
    m_width->setValue(m_copy.lst.pageWidth);
    m_length->setValue(m_copy.lst.pageLength);
  }
  const uint32_t w = Word();
  for (auto& [bit, box] : m_bits) box->setChecked((w >> bit) & 1);
  UpdateLabels();
  EnableContents();
}

void ArmListingPage::UpdateLabels() {
  const QString folder = ToQ(m_folder);
  BitBox(0)->setText("&Assembler Listing:  " + folder + "*.lst");
  BitBox(Ads() ? 4 : 8)->setText("L&inker Listing:  " + folder + ToQ(m_copy.out.OUTNAME.str()) + ".map");
}

void ArmListingPage::EnableContents() {
  const uint32_t w = Word();
  for (const ArmListingBit& r : Ads() ? Span(kAdsBits) : Span(kGnuBits)) {
    if (r.listing) continue;
    const int listingBit = r.group == 0 ? 0 : Ads() ? 4 : 8;
    BitBox(r.bit)->setEnabled((w >> listingBit) & 1);
  }
}

bool ArmListingPage::Leave() {
  uint32_t width = m_copy.lst.pageWidth, length = m_copy.lst.pageLength;
  if (Ads()) {
    const std::string w(TrimBlanks(FromQ(m_width->text()).substr(0, 30)));
    if (!w.empty() && !ReadNumberField(w, 79, 132, &width)) return Refuse(m_width, "Invalid Pagewidth");
    const std::string l(TrimBlanks(FromQ(m_length->text()).substr(0, 30)));
    if (!ReadNumberField(l, 18, 32760, &length)) return Refuse(m_length, "Invalid Pagelength");
  }
  OptionBlock& target = *Session().TargetCopy();
  // A folder picked on the page is stored even when the target had none
  // of its own, else the choice would be lost without a word; the output
  // folder shown in its place is not made the listing folder unasked.
  const bool own = !target.lst.LSTDIR.empty();
  if ((own || m_folderPicked) && m_folder != target.lst.LSTDIR.view())
    target.lst.LSTDIR = m_folder.empty() ? OptString() : OptString::Pooled(m_folder, kPoolProject);
  if (Ads()) {
    target.lst.pageWidth = uint16_t(width);
    target.lst.pageLength = uint16_t(length);
    std::memcpy(target.lst.ADSFLGA, m_copy.lst.ADSFLGA, sizeof target.lst.ADSFLGA);
  } else {
    target.lst.GLFLAGS = m_copy.lst.GLFLAGS;
  }
  return true;
}

void ArmListingPage::Defaults() {
  if (Ads()) return;
  // The target's KEY=value list is no listing option.
  OptionBlock& b = *Session().TargetCopy();
  KeyValueRec* keys = b.lst.OPTKUS;
  InitListingOpts(b, false);
  b.lst.OPTKUS = keys;
  Activate();
}

}  // namespace pm2
