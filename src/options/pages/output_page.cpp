#include "options/pages/output_page.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>

#include "options/core/number_entry.h"
#include "options/core/options_session.h"
#include "options/pages/options_sheet.h"
#include "options/pages/output_fields.h"
#include "options/pages/page_text.h"
#include "project/model/option_defaults.h"
#include "project/text/path_text.h"
#include "project/text/pool.h"

namespace pm2 {

namespace {

constexpr uint32_t kDebugStartBit = 1u << 16;

}  // namespace

OutputPage::OutputPage(OptionsSheet& sheet) : OptionPage(sheet, PageId::kOutput) {
  auto* grid = new QGridLayout(this);
  m_name = new QLineEdit(this);
  m_name->setMaxLength(50);
  KeepsText(m_name, "Name of Executable");
  grid->addWidget(new QLabel("Name of Executable:", this), 0, 0);
  grid->addWidget(m_name, 0, 1, 1, 2);
  m_folderButton = new QPushButton("Select Folder for Objects...", this);
  m_folderButton->setAutoDefault(false);
  grid->addWidget(m_folderButton, 0, 3);
  connect(m_folderButton, &QPushButton::clicked, this, [this] {
    if (ChooseOutputFolder(Sheet(), m_folder)) UpdateRadioTexts();
  });
  m_exe = new QRadioButton(this);
  m_lib = new QRadioButton(this);
  grid->addWidget(m_exe, 1, 0, 1, 4);
  m_debug = new QCheckBox("Debug Information", this);
  m_browse = new QCheckBox("Browse Information", this);
  m_hex = new QCheckBox("Create HEX File", this);
  m_hexFormat = new QComboBox(this);
  m_merge = new QCheckBox("Merge32K Hexfile", this);
  grid->addWidget(m_debug, 2, 0);
  grid->addWidget(m_browse, 2, 1);
  grid->addWidget(m_hex, 3, 0);
  grid->addWidget(new QLabel("HEX Format:", this), 3, 1);
  grid->addWidget(m_hexFormat, 3, 2);
  grid->addWidget(m_merge, 3, 3);
  m_start = new QLineEdit(this);
  m_end = new QLineEdit(this);
  m_fill = new QLineEdit(this);
  m_fill->setMaxLength(10);
  m_offset = new QLineEdit(this);
  m_startLabel = new QLabel("Start:", this);
  m_endLabel = new QLabel("End:", this);
  m_fillLabel = new QLabel("Fill Byte:", this);
  m_offsetLabel = new QLabel("Offset:", this);
  grid->addWidget(m_startLabel, 4, 0);
  grid->addWidget(m_start, 4, 1);
  grid->addWidget(m_endLabel, 4, 2);
  grid->addWidget(m_end, 4, 3);
  grid->addWidget(m_fillLabel, 5, 0);
  grid->addWidget(m_fill, 5, 1);
  grid->addWidget(m_offsetLabel, 5, 2);
  grid->addWidget(m_offset, 5, 3);
  grid->addWidget(m_lib, 6, 0, 1, 4);
  auto* after = new QGroupBox("After Make", this);
  auto* ag = new QGridLayout(after);
  m_beep = new QCheckBox("Beep When Complete", after);
  m_startDebug = new QCheckBox("Start Debugging", after);
  m_batch = new QCheckBox("Create Batch File", after);
  m_runDebugger = new QCheckBox("Run Target Debugger", after);
  ag->addWidget(m_beep, 0, 0);
  ag->addWidget(m_startDebug, 0, 1);
  ag->addWidget(m_batch, 0, 2);
  ag->addWidget(m_runDebugger, 3, 0);
  for (int i = 0; i < 2; ++i) {
    m_run[i] = new QCheckBox(QString("Run User Program #%1").arg(i + 1), after);
    m_prog[i] = new QLineEdit(after);
    m_prog[i]->setMaxLength(300);
    KeepsText(m_prog[i], QString("Run User Program #%1").arg(i + 1).toStdString(), FieldBrackets::kAngles);
    ag->addWidget(m_run[i], 1 + i, 0);
    ag->addWidget(m_prog[i], 1 + i, 1);
    m_progBrowse[i] = new QPushButton("...", after);
    m_progBrowse[i]->setAutoDefault(false);
    ag->addWidget(m_progBrowse[i], 1 + i, 2);
    QLineEdit* program = m_prog[i];
    connect(m_progBrowse[i], &QPushButton::clicked, this, [this, program] {
      if (const QString chosen = ChooseProgram(Sheet()); !chosen.isEmpty()) PutText(program, chosen);
    });
  }
  grid->addWidget(after, 7, 0, 1, 4);
  grid->setRowStretch(8, 1);

  connect(m_name, &QLineEdit::textEdited, this, [this] { UpdateRadioTexts(); });
  connect(m_exe, &QRadioButton::toggled, this, [this](bool on) {
    if (Loading()) return;
    Block().out.flags.GENAPP = on;
    Block().out.flags.GENLIB = !on;
    EnableByKind();
  });
  struct Bit {
    QCheckBox* box;
    void (*set)(OptionBlock&, bool);
  };
  const Bit bits[] = {
      {m_debug, [](OptionBlock& b, bool v) { b.out.flags.DEBUG = v; }},
      {m_hex, [](OptionBlock& b, bool v) { b.out.flags.GENHEX = v; }},
      {m_beep, [](OptionBlock& b, bool v) { b.out.flags.bit4 = v; }},
      {m_run[0], [](OptionBlock& b, bool v) { b.out.flags.RUNUSR0 = v; }},
      {m_run[1], [](OptionBlock& b, bool v) { b.out.flags.RUNUSR1 = v; }},
      {m_browse, [](OptionBlock& b, bool v) { b.out.flags.BROWSE = v; }},
      {m_merge, [](OptionBlock& b, bool v) { b.out.flags.MG32K = v; }},
      // The target debugger run after a build: the box writes its bit too.
      {m_runDebugger, [](OptionBlock& b, bool v) { b.out.flags.bit6 = v; }},
      {m_startDebug, [](OptionBlock& b, bool v) { b.dbg.flags = v ? b.dbg.flags | kDebugStartBit : b.dbg.flags & ~kDebugStartBit; }},
      {m_batch, [](OptionBlock& b, bool v) { b.out.TGMORE = v ? b.out.TGMORE | 1 : b.out.TGMORE & ~1u; }},
  };
  for (const Bit& bit : bits) {
    auto set = bit.set;
    connect(bit.box, &QCheckBox::toggled, this, [this, set](bool on) {
      if (!Loading()) set(Block(), on);
    });
  }
  connect(m_hexFormat, &QComboBox::currentIndexChanged, this, [this](int row) {
    if (Loading() || row < 0) return;
    Block().out.HEXSEL = uint8_t(row);
    EnableByKind();
  });
}

OptionBlock& OutputPage::Block() const { return *Session().TargetCopy(); }

bool OutputPage::Extended51() const { return (Block().t51.T51FL & (0x10000 | 0x8000 | 0x20000)) != 0; }

void OutputPage::Load() {
  const OptionBlock& b = Block();
  const uint16_t t = Session().Toolset();
  m_hexFormat->clear();
  if (t == 2) {
    m_hexFormat->addItems({"HEX-86", "HEX-386 (H167)"});
  } else {
    m_hexFormat->addItem("HEX-80");
    if (t == 1 || Extended51()) m_hexFormat->addItem("HEX-386");
  }
  m_hexFormat->setCurrentIndex(b.out.HEXSEL < m_hexFormat->count() ? b.out.HEXSEL : 0);
  m_folder = b.out.OUTDIR.str();
  ShowStoredText(m_name, b.out.OUTNAME.str());
  const uint32_t start = b.out.outSpare[kHexStartWord], end = b.out.outSpare[kHexEndWord];
  m_start->setText(start || end ? ToQ(HexText(start)) : QString());
  m_end->setText(start || end ? ToQ(HexText(end)) : QString());
  m_fill->setText(b.out.outWord2 < 0xFFFF ? ToQ(HexText(b.out.outWord2, 2)) : QString());
  const int32_t offset = int32_t(b.out.outSpare[kHexOffsetWord]);
  m_offset->setText(offset == 0 ? QString()
                                : offset < 0 ? "-" + ToQ(HexText(uint32_t(-int64_t(offset)), 4))
                                             : ToQ(HexText(uint32_t(offset), 4)));
  m_exe->setChecked(b.out.flags.GENAPP);
  m_lib->setChecked(!b.out.flags.GENAPP);
  m_debug->setChecked(b.out.flags.DEBUG);
  m_hex->setChecked(b.out.flags.GENHEX);
  m_beep->setChecked(b.out.flags.bit4);
  m_run[0]->setChecked(b.out.flags.RUNUSR0);
  m_run[1]->setChecked(b.out.flags.RUNUSR1);
  m_browse->setChecked(b.out.flags.BROWSE);
  m_merge->setChecked(b.out.flags.MG32K);
  m_runDebugger->setChecked(b.out.flags.bit6);
  m_startDebug->setChecked(b.dbg.flags & kDebugStartBit);
  m_batch->setChecked(b.out.TGMORE & 1);
  ShowStoredText(m_prog[0], b.out.RUNUSR[0].str());
  ShowStoredText(m_prog[1], b.out.RUNUSR[1].str());
  EnableByKind();
  UpdateRadioTexts();
}

void OutputPage::EnableByKind() {
  const bool exe = Block().out.flags.GENAPP;
  for (QWidget* w : std::initializer_list<QWidget*>{m_hex, m_hexFormat, m_start, m_end, m_fill, m_offset, m_browse, m_merge})
    w->setEnabled(exe);
  const uint16_t t = Session().Toolset();
  // The 51 family has no fill byte, offset or range; 251 no fill byte.
  // Each label goes with its edit.
  m_fill->setVisible(t == 2);
  m_offset->setVisible(t != 0);
  m_start->setVisible(t != 0);
  m_end->setVisible(t != 0);
  m_merge->setVisible(t == 0 && Extended51());
  // A 32K merge needs the second hex format and a banked area of 0x8000 to
  // 0xFFFF; the area's second value is its end (0x10000 stands for 0xFFFF).
  const OptionBlock& b = Block();
  const MemRangeRec& banked = b.t51.RCB51;
  m_merge->setEnabled(exe && b.out.HEXSEL == 1 && (b.t51.T51FL & 0x2000) && banked.start == 0x8000 &&
                      (banked.size == 0xFFFF || banked.size == 0x10000));
  // The 251 family has an offset only with its second hex format.
  if (t == 1) m_offset->setVisible(b.out.HEXSEL > 0);
  m_fillLabel->setVisible(!m_fill->isHidden());
  m_offsetLabel->setVisible(!m_offset->isHidden());
  m_startLabel->setVisible(!m_start->isHidden());
  m_endLabel->setVisible(!m_end->isHidden());
}

bool OutputPage::RefuseNumber(QLineEdit* field) {
  // The failing field is set to 0 behind the message.
  field->setText("0");
  return Refuse(field, kBadNumberMessage);
}

void OutputPage::UpdateRadioTexts() {
  // Alt+E picks the executable; no other control of the page takes E.
  ShowOutputKinds(*m_exe, *m_lib, m_folder, *m_name, "Cr&eate Executable:  ");
}

bool OutputPage::CheckName() { return !OutputNameOf(*m_name).empty() || Refuse(m_name, kBadOutputNameMessage); }

bool OutputPage::CheckHex() {
  const OptionBlock& b = Block();
  if (!b.out.flags.GENAPP || !b.out.flags.GENHEX) return true;
  const uint16_t t = Session().Toolset();
  uint32_t fill = 0xFFFF;
  if (m_fill->isHidden() == false && !TrimBlanks(FromQ(m_fill->text())).empty() &&
      !ReadNumberField(FromQ(m_fill->text()), 0, 255, &fill))
    return RefuseNumber(m_fill);
  if (!m_start->isHidden() == false) return true;
  const int64_t upper = t == 0 ? (Extended51() ? 0xFFFFFFFFll : 0xFFFF) : 0xFFFFFF;
  const bool hasStart = !TrimBlanks(FromQ(m_start->text())).empty();
  const bool hasEnd = !TrimBlanks(FromQ(m_end->text())).empty();
  uint32_t start = 0, end = 0;
  if (hasStart || hasEnd) {
    if (!ReadNumberField(FromQ(m_start->text()), 0, upper, &start)) return RefuseNumber(m_start);
    if (!ReadNumberField(FromQ(m_end->text()), 0, upper, &end)) return RefuseNumber(m_end);
  }
  return true;
}

bool OutputPage::CheckOffset() {
  uint32_t offset = 0;
  if (m_offset->isHidden() == false && !TrimBlanks(FromQ(m_offset->text())).empty() &&
      !ReadNumberField(FromQ(m_offset->text()), INT32_MIN, UINT32_MAX, &offset))
    return Refuse(m_offset, kBadNumberMessage);
  return true;
}

bool OutputPage::Leave() {
  // Every check first: a refusal leaves the block as it was.
  if (!CheckName() || !CheckHex() || !CheckOffset()) return false;
  OptionBlock& b = Block();
  SetStored(b.out.OUTNAME, TextToStore(m_name, OutputNameOf(*m_name)));
  // A field the family hides keeps what the project stores (a range or
  // offset read from an imported project, an offset of the other hex
  // format): the user can neither see nor mend it here.
  if (b.out.flags.GENAPP && b.out.flags.GENHEX) {
    uint32_t v = 0;
    if (!m_fill->isHidden())
      b.out.outWord2 = ReadNumberField(FromQ(m_fill->text()), 0, 255, &v) ? uint16_t(v) : 0xFFFF;
    if (!m_start->isHidden()) {
      uint32_t start = 0, end = 0;
      ReadNumberField(FromQ(m_start->text()), 0, 0xFFFFFFFFll, &start);
      ReadNumberField(FromQ(m_end->text()), 0, 0xFFFFFFFFll, &end);
      b.out.outSpare[kHexStartWord] = start;
      b.out.outSpare[kHexEndWord] = end;
    }
  }
  if (!m_offset->isHidden()) {
    uint32_t offset = 0;
    ReadNumberField(FromQ(m_offset->text()), INT32_MIN, UINT32_MAX, &offset);
    b.out.outSpare[kHexOffsetWord] = offset;
  }
  SetStored(b.out.OUTDIR, m_folder);
  for (int i = 0; i < 2; ++i) {
    const std::string program = TextToStore(m_prog[i], ProgramCommandOf(*m_prog[i]));
    SetStored(b.out.RUNUSR[i], program);
    // Bit-fields: one assignment each (a conditional can't pick one to assign).
    if (program.empty() && i == 0) b.out.flags.RUNUSR0 = 0;
    if (program.empty() && i == 1) b.out.flags.RUNUSR1 = 0;
  }
  return true;
}

void OutputPage::Defaults() {
  InitOutputOpts(Block());
  Activate();
}

void OutputPage::keyPressEvent(QKeyEvent* e) {
  // Enter in a field runs that field's check at once.
  if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
    QWidget* f = focusWidget();
    if (f == m_name) CheckName();
    else if (f == m_fill || f == m_start || f == m_end) CheckHex();
    else if (f == m_offset) CheckOffset();
    e->accept();
    return;
  }
  OptionPage::keyPressEvent(e);
}

}  // namespace pm2
