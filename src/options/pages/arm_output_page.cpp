#include "options/pages/arm_output_page.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>

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

// The user programs: their run bit and their command text.
struct ProgramRow {
  const char* text;
  bool adsOnly;
  bool (*get)(const OutputFlags&);
  void (*set)(OutputFlags&, bool);
  OptString& (*command)(OptionBlock&);
};
const ProgramRow kPrograms[] = {
    {"Run User Program #1", false, [](const OutputFlags& f) -> bool { return f.RUNUSR0; },
     [](OutputFlags& f, bool v) { f.RUNUSR0 = v; }, [](OptionBlock& b) -> OptString& { return b.out.RUNUSR[0]; }},
    {"Run User Program #2", false, [](const OutputFlags& f) -> bool { return f.RUNUSR1; },
     [](OutputFlags& f, bool v) { f.RUNUSR1 = v; }, [](OptionBlock& b) -> OptString& { return b.out.RUNUSR[1]; }},
    {"Run User Program #1", true, [](const OutputFlags& f) -> bool { return f.BRUNUSR0; },
     [](OutputFlags& f, bool v) { f.BRUNUSR0 = v; }, [](OptionBlock& b) -> OptString& { return b.out.BRUNUSR[0]; }},
    {"Run User Program #2", true, [](const OutputFlags& f) -> bool { return f.BRUNUSR1; },
     [](OutputFlags& f, bool v) { f.BRUNUSR1 = v; }, [](OptionBlock& b) -> OptString& { return b.out.BRUNUSR[1]; }},
};

}  // namespace

ArmOutputPage::ArmOutputPage(OptionsSheet& sheet, PageId id) : OptionPage(sheet, id) {
  auto* grid = new QGridLayout(this);
  m_name = new QLineEdit(this);
  m_name->setMaxLength(50);
  KeepsText(m_name, "Name of Executable");
  auto* nameLabel = new QLabel("&Name of Executable:", this);
  nameLabel->setBuddy(m_name);
  grid->addWidget(nameLabel, 0, 0);
  grid->addWidget(m_name, 0, 1, 1, 2);
  m_folderButton = new QPushButton("Select Folder for Objects...", this);
  m_folderButton->setAutoDefault(false);
  grid->addWidget(m_folderButton, 0, 3);
  connect(m_folderButton, &QPushButton::clicked, this, [this] {
    if (ChooseOutputFolder(Sheet(), m_folder)) UpdateRadioTexts();
  });
  m_exe = new QRadioButton(this);
  m_lib = new QRadioButton(this);
  m_lib->hide();  // ARM targets build executables only
  grid->addWidget(m_exe, 1, 0, 1, 4);
  grid->addWidget(m_lib, 7, 0, 1, 4);
  m_debug = new QCheckBox("&Debug Information", this);
  m_bigEndian = new QCheckBox("Big &Endian", this);
  m_hex = new QCheckBox("Create &HEX File", this);
  m_hexFormat = new QComboBox(this);
  m_hexFormat->setEnabled(false);
  grid->addWidget(m_debug, 2, 0);
  grid->addWidget(m_bigEndian, 2, 1);
  grid->addWidget(m_hex, 3, 0);
  auto* formatLabel = new QLabel("HEX Format:", this);
  grid->addWidget(formatLabel, 3, 1);
  grid->addWidget(m_hexFormat, 3, 2);
  if (Ads()) {
    formatLabel->hide();
    m_hexFormat->hide();
    m_hex->setEnabled(false);
  }
  auto* after = new QGroupBox("After Make", this);
  auto* ag = new QGridLayout(after);
  m_beep = new QCheckBox("Beep When Complete", after);
  m_startDebug = new QCheckBox("Start Debugging", after);
  m_runDebugger = new QCheckBox("Run Target Debugger", after);
  m_runDebugger->hide();  // its bit is kept as stored
  m_batch = new QCheckBox("Create Batch File", after);
  ag->addWidget(m_beep, 0, 0);
  ag->addWidget(m_startDebug, 0, 1);
  ag->addWidget(m_batch, 0, 2);
  QGroupBox* before = nullptr;
  QGridLayout* bg = nullptr;
  if (Ads()) {
    before = new QGroupBox("Before Make", this);
    bg = new QGridLayout(before);
  }
  for (std::size_t i = 0; i < std::size(kPrograms); ++i) {
    const ProgramRow& row = kPrograms[i];
    if (row.adsOnly && !Ads()) continue;
    QGroupBox* box = row.adsOnly ? before : after;
    QGridLayout* g = row.adsOnly ? bg : ag;
    const int line = 1 + int(i % 2);
    m_run[i] = new QCheckBox(row.text, box);
    m_prog[i] = new QLineEdit(box);
    m_prog[i]->setMaxLength(300);
    KeepsText(m_prog[i], std::string(row.adsOnly ? "Before Make: " : "After Make: ") + row.text, FieldBrackets::kAngles);
    m_browseProg[i] = new QPushButton("...", box);
    m_browseProg[i]->setAutoDefault(false);
    g->addWidget(m_run[i], line, 0);
    g->addWidget(m_prog[i], line, 1);
    g->addWidget(m_browseProg[i], line, 2);
    QLineEdit* program = m_prog[i];
    connect(m_browseProg[i], &QPushButton::clicked, this, [this, program] {
      if (const QString chosen = ChooseProgram(Sheet()); !chosen.isEmpty()) PutText(program, chosen);
    });
    auto set = row.set;
    connect(m_run[i], &QCheckBox::toggled, this, [this, set](bool on) {
      if (!Loading()) set(Block().out.flags, on);
    });
  }
  if (before) grid->addWidget(before, 4, 0, 1, 4);
  grid->addWidget(after, 5, 0, 1, 4);
  grid->setRowStretch(6, 1);

  connect(m_name, &QLineEdit::textEdited, this, [this] { UpdateRadioTexts(); });
  struct Bit {
    QCheckBox* box;
    void (*set)(OptionBlock&, bool);
  };
  const Bit bits[] = {
      {m_debug, [](OptionBlock& b, bool v) { b.out.flags.DEBUG = v; }},
      {m_hex, [](OptionBlock& b, bool v) { b.out.flags.GENHEX = v; }},
      {m_beep, [](OptionBlock& b, bool v) { b.out.flags.bit4 = v; }},
      {m_runDebugger, [](OptionBlock& b, bool v) { b.out.flags.bit6 = v; }},
      {m_bigEndian, [](OptionBlock& b, bool v) {
         b.lst.GLFLAGS = v ? b.lst.GLFLAGS | kGlFlagsBigEndian : b.lst.GLFLAGS & ~kGlFlagsBigEndian;
       }},
      {m_startDebug, [](OptionBlock& b, bool v) {
         b.dbg.flags = v ? b.dbg.flags | kDebugStartBit : b.dbg.flags & ~kDebugStartBit;
       }},
      {m_batch, [](OptionBlock& b, bool v) { b.out.TGMORE = v ? b.out.TGMORE | 1 : b.out.TGMORE & ~1u; }},
  };
  for (const Bit& bit : bits) {
    auto set = bit.set;
    connect(bit.box, &QCheckBox::toggled, this, [this, set](bool on) {
      if (!Loading()) set(Block(), on);
    });
  }
}

OptionBlock& ArmOutputPage::Block() const { return *Session().TargetCopy(); }

void ArmOutputPage::Load() {
  const OptionBlock& b = Block();
  m_hexFormat->clear();
  if (!Ads()) m_hexFormat->addItems({"HEX-80", "HEX-386"});
  m_hexFormat->setCurrentIndex(b.out.HEXSEL < m_hexFormat->count() ? b.out.HEXSEL : -1);
  m_folder = b.out.OUTDIR.str();
  ShowStoredText(m_name, b.out.OUTNAME.str());
  m_exe->setChecked(true);
  m_debug->setChecked(b.out.flags.DEBUG);
  m_hex->setChecked(b.out.flags.GENHEX);
  m_beep->setChecked(b.out.flags.bit4);
  m_runDebugger->setChecked(b.out.flags.bit6);
  m_startDebug->setChecked(b.dbg.flags & kDebugStartBit);
  m_batch->setChecked(b.out.TGMORE & 1);
  m_bigEndian->setChecked(b.lst.GLFLAGS & kGlFlagsBigEndian);
  OptionBlock& w = Block();
  for (std::size_t i = 0; i < std::size(kPrograms); ++i) {
    if (!m_run[i]) continue;
    m_run[i]->setChecked(kPrograms[i].get(b.out.flags));
    ShowStoredText(m_prog[i], kPrograms[i].command(w).str());
  }
  UpdateRadioTexts();
}

void ArmOutputPage::UpdateRadioTexts() { ShowOutputKinds(*m_exe, *m_lib, m_folder, *m_name); }

bool ArmOutputPage::CheckName() { return !OutputNameOf(*m_name).empty() || Refuse(m_name, kBadOutputNameMessage); }

bool ArmOutputPage::Leave() {
  if (!CheckName()) return false;
  OptionBlock& b = Block();
  SetStored(b.out.OUTNAME, TextToStore(m_name, OutputNameOf(*m_name)));
  SetStored(b.out.OUTDIR, m_folder);
  for (std::size_t i = 0; i < std::size(kPrograms); ++i) {
    if (!m_prog[i]) continue;
    const std::string program = TextToStore(m_prog[i], ProgramCommandOf(*m_prog[i]));
    SetStored(kPrograms[i].command(b), program);
    if (program.empty()) kPrograms[i].set(b.out.flags, false);
  }
  return true;
}

void ArmOutputPage::Defaults() {
  InitOutputOpts(Block());
  Activate();
}

void ArmOutputPage::keyPressEvent(QKeyEvent* e) {
  // Enter in the name checks it at once; nothing closes the sheet.
  if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
    if (focusWidget() == m_name) {
      CheckName();
      UpdateRadioTexts();
    }
    e->accept();
    return;
  }
  OptionPage::keyPressEvent(e);
}

}  // namespace pm2
