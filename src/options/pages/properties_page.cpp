#include "options/pages/properties_page.h"

#include <QApplication>
#include <QFileInfo>
#include <QGridLayout>
#include <QDateTime>
#include <sys/stat.h>
#include <ctime>

#include "options/core/library_modules.h"
#include "options/core/options_session.h"
#include "options/core/tri_state.h"
#include "options/pages/options_sheet.h"
#include "options/pages/page_text.h"
#include "project/model/option_defaults.h"
#include "project/text/path_text.h"
#include "project/text/pool.h"
#include "platform/win_path.h"

namespace pm2 {

namespace {

const char* const kStopRows[] = {"Never", "Warnings", "Errors", "Fatal Errors", "Exit code >= 4", "Exit code >= 5",
                                 "Exit code >= 6", "Exit code >= 7", "Exit code >= 8", "Exit code >= 9",
                                 "Exit code >= 10", "Not specified"};
// The file-type combo's rows and the types they stand for.
struct TypeRow {
  const char* text;
  uint8_t type;
};
const TypeRow kTypeRows[] = {{"C Source file", 1},   {"Assembly language file", 2}, {"Object file", 3},
                             {"Library file", 4},    {"Text Document file", 5},    {"Custom file", 7},
                             {"C++ Source file", 8}};
const char* const kBoxTexts[] = {"Include in Target Build", "Always Build", "Generate Assembler SRC File",
                                 "Assemble SRC File", "Link Publics Only"};
const int kBoxShifts[] = {0, 2, 4, 6, 8};

// The option controls each file type leaves enabled: bit i for box i,
// then 5 stop code, 6 custom args, 7 modules.
struct TypeEnable {
  uint8_t type;
  uint8_t mask;
};
constexpr uint8_t kAllControls = 0xFF;
const TypeEnable kEnables[] = {
    {0, 0x00},
    {1, 0x3F},  // C: no custom args, no modules
    {2, 0x33},  // assembler: no gen/asm asm, args, modules
    {3, 0x11},  // object: include, publics
    {4, 0x91},  // library: include, publics, modules
    {5, 0x00},  {6, 0x00},
    {7, 0x73},  // custom: include, always, publics, stop, args
    {8, 0x3F},
};

uint16_t PropWord(const BuildPropOpts& p) { return uint16_t(FlagWord(p.flags)); }
void SetPropWord(BuildPropOpts& p, uint32_t w) { SetFlagWord(p.flags, w); }

}  // namespace

PropertiesPage::PropertiesPage(OptionsSheet& sheet) : OptionPage(sheet, PageId::kProperties) {
  auto* grid = new QGridLayout(this);
  m_path = new QLabel(this);
  m_size = new QLabel(this);
  m_date = new QLabel(this);
  m_typeName = new QLabel(this);
  m_type = new QComboBox(this);
  grid->addWidget(new QLabel("Path:", this), 0, 0);
  grid->addWidget(m_path, 0, 1, 1, 3);
  grid->addWidget(new QLabel("File Type:", this), 1, 0);
  grid->addWidget(m_type, 1, 1);
  grid->addWidget(m_typeName, 1, 2);
  grid->addWidget(new QLabel("Size:", this), 2, 0);
  grid->addWidget(m_size, 2, 1);
  grid->addWidget(new QLabel("Last Change:", this), 2, 2);
  grid->addWidget(m_date, 2, 3);
  for (int i = 0; i < 5; ++i) {
    m_boxes[i] = NewTriBox(kBoxTexts[i]);
    grid->addWidget(m_boxes[i], 3 + i, 0, 1, 2);
    const int shift = kBoxShifts[i];
    connect(m_boxes[i], &QCheckBox::stateChanged, this, [this, i, shift] {
      if (!Loading()) SetPropWord(m_prop, SetTriField(PropWord(m_prop), shift, TriOf(m_boxes[i])));
    });
  }
  m_ecpp = NewTriBox("Compile C Files with EC++");
  grid->addWidget(m_ecpp, 8, 0, 1, 2);
  connect(m_ecpp, &QCheckBox::stateChanged, this, [this] {
    if (!Loading()) m_prop.PROPFLD[0] = uint8_t((m_prop.PROPFLD[0] & ~3) | TriOf(m_ecpp));
  });
  m_bankLabel = new QLabel("Code Bank:", this);
  m_bank = new QComboBox(this);
  m_stop = new QComboBox(this);
  for (const char* row : kStopRows) m_stop->addItem(row);
  grid->addWidget(m_bankLabel, 3, 2);
  grid->addWidget(m_bank, 3, 3);
  grid->addWidget(new QLabel("Stop on Exit Code:", this), 4, 2);
  grid->addWidget(m_stop, 4, 3);
  m_custom = new QLineEdit(this);
  m_custom->setMaxLength(256);
  KeepsText(m_custom, "Custom Arguments");
  grid->addWidget(new QLabel("Custom Arguments:", this), 9, 0);
  grid->addWidget(m_custom, 9, 1, 1, 3);
  m_modules = new QListWidget(this);
  QFont bold = m_modules->font();
  bold.setWeight(QFont::Bold);
  m_modules->setFont(bold);
  grid->addWidget(new QLabel("Select Modules to Always Include:", this), 10, 0, 1, 4);
  grid->addWidget(m_modules, 11, 0, 1, 4);
  grid->setRowStretch(11, 1);
  connect(m_stop, &QComboBox::currentIndexChanged, this, [this](int row) {
    if (!Loading() && row >= 0) m_prop.STOPCODE = uint16_t(row);
  });
  connect(m_type, &QComboBox::currentIndexChanged, this, &PropertiesPage::TypeChosen);
}

OptionBlock& PropertiesPage::Edited() const { return *Session().EditedBlock(); }

void PropertiesPage::Load() {
  m_prop = Edited().prop;
  for (int i = 0; i < 5; ++i) SetTri(m_boxes[i], GetTriField(PropWord(m_prop), kBoxShifts[i]));
  // At group level "link publics only" shows its state only.
  m_boxes[4]->setTristate(Session().Kind() == kKindFile);
  m_stop->setCurrentIndex(m_prop.STOPCODE < 12 ? m_prop.STOPCODE : 11);
  FillBanks();
  const uint16_t toolset = Session().Toolset();
  FileRec* file = Session().File();
  m_ecpp->setVisible(toolset == 2 && (!file || file->type == kFileC));
  SetTri(m_ecpp, m_prop.PROPFLD[0] & 3);
  // Only a file may leave the choice to its group; a group decides it (its
  // style is set after the value, which sets the level's style).
  m_ecpp->setTristate(file != nullptr);
  m_type->blockSignals(true);
  m_type->clear();
  if (file) {
    for (const TypeRow& r : kTypeRows)
      if (r.type != 8 || toolset == 2) m_type->addItem(r.text, r.type);
    m_type->setCurrentIndex(m_type->findData(int(file->type)));
    m_typeName->setText(ToQ(GetFileTypeName(file->type)));
  }
  m_type->setEnabled(file != nullptr);
  m_type->blockSignals(false);
  ShowStoredText(m_custom, m_prop.CUSTARGS.str());
  FillFileInfo();
  FillModules();
  DisableByType();
}

void PropertiesPage::FillBanks() {
  const OptionBlock& t = *Session().TargetCopy();
  const uint16_t toolset = Session().Toolset();
  m_bank->clear();
  m_defaultBankRow = -1;
  // Code banking: the 51 tool word's bit 0x2000, the 251 target's banking flag.
  const bool banked = (toolset == 0 && (t.t51.T51FL & 0x2000)) || (toolset == 1 && (t.t251.T251FL & 0x80));
  m_bank->setVisible(toolset <= 1);
  m_bankLabel->setVisible(toolset <= 1);
  m_bank->setEnabled(banked);
  if (!banked) return;
  m_bank->addItem("Common");
  const int code = toolset == 1 ? t.t251.CBANKS2 : t.t51.CBANKS5;
  const int banks = code <= 4 ? 2 << code : 0;
  for (int i = 0; i < banks; ++i) m_bank->addItem(QString("Bank #%1").arg(i));
  const int rows = m_bank->count();
  if (Session().Kind() == kKindFile) {
    m_defaultBankRow = rows;
    m_bank->addItem("<default>");
  }
  int select = m_prop.BANKNO;
  if (m_prop.BANKNO == kNoBank)
    select = m_defaultBankRow >= 0 ? m_defaultBankRow : 0;
  else if (select >= rows)
    select = m_defaultBankRow >= 0 ? m_defaultBankRow : rows - 1;
  m_bank->setCurrentIndex(select);
}

void PropertiesPage::FillFileInfo() {
  FileRec* file = Session().File();
  if (!file) {
    m_path->clear();
    m_size->clear();
    m_date->clear();
    return;
  }
  ProjectRec* p = Session().Project();
  std::string local;
  PathResolver resolver;
  resolver.ResolveStoredPath(file->path.view(), p ? p->folder.view() : std::string_view(), &local);
  m_path->setText(ToQ(local.substr(0, 260)));
  struct stat st {};
  if (local.empty() || ::stat(local.c_str(), &st) != 0) {
    m_size->clear();
    m_date->clear();
    return;
  }
  m_size->setText(QString("%1 Bytes").arg(qlonglong(st.st_size)));
  char buffer[64] = {};
  const time_t t = st.st_mtime;
  if (ctime_r(&t, buffer)) {
    std::string s(buffer);
    while (!s.empty() && (s.back() == '\n' || s.back() == '\r')) s.pop_back();
    m_date->setText(ToQ(s));
  } else {
    m_date->setText("<unknown> !");
  }
}

void PropertiesPage::FillModules() {
  m_modules->clear();
  m_libraryFailed = false;
  FileRec* file = Session().File();
  const uint16_t toolset = Session().Toolset();
  if (!file || file->type != kFileLibrary || toolset > 2) return;
  std::vector<std::string> names;
  std::string error;
  if (!ReadLibraryModules(FromQ(m_path->text()), toolset, &names, &error)) {
    m_libraryFailed = true;
    Sheet().ShowRefusal(error);
    return;
  }
  const std::vector<std::string> chosen = SplitLibraryModules(m_prop.LIBMODS.view());
  for (const std::string& n : names) {
    auto* item = new QListWidgetItem(ToQ("  " + n), m_modules);
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    const bool on = std::find(chosen.begin(), chosen.end(), n) != chosen.end();
    item->setCheckState(on ? Qt::Checked : Qt::Unchecked);
  }
}

void PropertiesPage::DisableByType() {
  FileRec* file = Session().File();
  uint8_t mask = kAllControls;
  if (!file) {
    mask = 0x3F;  // a group: no custom args, no modules
  } else {
    for (const TypeEnable& e : kEnables)
      if (e.type == file->type) mask = e.mask;
  }
  for (int i = 0; i < 5; ++i) m_boxes[i]->setEnabled(mask & (1 << i));
  m_stop->setEnabled(mask & 0x20);
  m_custom->setEnabled(mask & 0x40);
  m_modules->setEnabled(mask & 0x80);
}

void PropertiesPage::TypeChosen(int row) {
  FileRec* file = Session().File();
  if (Loading() || !file || row < 0) return;
  const uint8_t type = uint8_t(m_type->itemData(row).toInt());
  if (type == file->type) return;
  // The page's edits go into the block first: loading the page for the
  // new type reads them back from there. A text that cannot be kept keeps
  // the file's type.
  if (!CheckTextFields()) {
    const QSignalBlocker block(m_type);
    m_type->setCurrentIndex(m_type->findData(int(file->type)));
    return;
  }
  WriteBack();
  Session().SetFileType(type);
  Activate();
  Sheet().RebuildFilePages();
}

bool PropertiesPage::Leave() {
  WriteBack();
  return true;
}

void PropertiesPage::WriteBack() {
  const uint16_t toolset = Session().Toolset();
  if (toolset <= 1 && m_bank->isEnabled() && m_bank->currentIndex() >= 0)
    m_prop.BANKNO = m_bank->currentIndex() == m_defaultBankRow ? kNoBank : uint16_t(m_bank->currentIndex());
  if (FileRec* file = Session().File()) {
    // A library whose modules could not be read keeps the modules chosen
    // before: an empty list would lose them.
    if (file->type == kFileLibrary && !m_libraryFailed && toolset <= 2) {
      std::vector<std::string> names;
      for (int i = 0; i < m_modules->count(); ++i)
        if (m_modules->item(i)->checkState() == Qt::Checked)
          names.push_back(std::string(TrimBlanks(FromQ(m_modules->item(i)->text()))));
      SetStored(m_prop.LIBMODS, JoinLibraryModules(names));
    }
    if (file->type == kFileCustom) SetStored(m_prop.CUSTARGS, TextToStore(m_custom, FromQ(m_custom->text())));
  }
  Edited().prop = m_prop;
}

void PropertiesPage::Defaults() {
  OptionBlock& b = Edited();
  InitBuildPropOpts(b.prop, Session().Level());
  b.prop.PROPFLD[0] = uint8_t((b.prop.PROPFLD[0] & ~3) | (Session().Kind() == kKindFile ? kInherit2Bit : 0));
  Activate();
}

}  // namespace pm2
