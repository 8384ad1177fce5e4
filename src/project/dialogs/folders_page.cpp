#include "project/dialogs/folders_page.h"

#include <QGroupBox>
#include <QLabel>

#include "project/dialogs/dialog_services.h"

namespace pm2 {

namespace {

struct FolderRow {
  const char* title;  // the folder picker's title
  int limit;
};
constexpr FolderRow kFolderRows[FoldersPage::kFolderCount] = {
    {"Tool Root Path", 256},     {"Executables Path", 256},  {"Include Files Path", 13050},
    {"Library Files Path", 256}, {"Register Files Path", 256}, {"Vond Folder", 256},
    {"Cygnus Folder", 256},      {"Vond Folder", 256},        {"RealView Folder", 256},
};

struct FilterLabel {
  const char* label;
  int filter;  // SheetFilter
};
constexpr FilterLabel kFilterLabels[kSheetFilterCount] = {
    {"C Source:", kSheetFilterC},          {"C++ Source:", kSheetFilterCpp},
    {"Asm Source:", kSheetFilterAsm},      {"Object:", kSheetFilterObject},
    {"Library:", kSheetFilterLibrary},     {"Text Document:", kSheetFilterText},
};

QLabel* Label(const char* text, QWidget* parent, int x, int y, int w) {
  auto* l = new QLabel(text, parent);
  l->setGeometry(x, y, w, 21);
  return l;
}

}  // namespace

FoldersPage::FoldersPage(ProjectSheetCopy& copy, int armSelect, QWidget* parent)
    : QWidget(parent), m_copy(copy), m_armSelect(armSelect) {
  UseDialogFont(this);
  resize(560, 420);
  auto dirEdit = [this](int i, QWidget* parent, int x, int y, int w) {
    auto* e = new SECBrowseDirEdit(parent);
    e->setGeometry(x, y, w, 21);
    e->setMaxLength(kFolderRows[i].limit);
    e->SetTitle(kFolderRows[i].title);
    e->Initialize();
    m_dirs[i] = e;
  };

  auto* tools = new QGroupBox("Development Tool Folders", this);
  tools->setGeometry(10, 6, 540, 176);
  m_useEnv = new QCheckBox("Use Settings from TOOLS.INI:", tools);
  m_useEnv->setGeometry(12, 22, 240, 20);
  Label("Tool Base Folder:", tools, 30, 46, 110);
  dirEdit(kRoot, tools, 140, 46, 388);
  const char* names[] = {"BIN:", "INC:", "LIB:", "Regfile:"};
  for (int i = 0; i < 4; ++i) {
    Label(names[i], tools, 30, 72 + 25 * i, 110);
    dirEdit(kBin + i, tools, 140, 72 + 25 * i, 388);
  }
  connect(m_useEnv, &QCheckBox::toggled, this, [this] { UpdateEnabling(); });

  auto* arm = new QGroupBox("ARM Tool Chain", this);
  arm->setGeometry(10, 188, 540, 104);
  m_gnu = new QRadioButton("Use Cygnus/GNU ARM Tools", arm);
  m_gnu->setGeometry(12, 20, 250, 20);
  m_ads = new QRadioButton("Use ARM ADS/RealView Tools", arm);
  m_ads->setGeometry(278, 20, 250, 20);
  m_gnu->setAutoExclusive(false);
  m_ads->setAutoExclusive(false);
  Label("Vond Folder:", arm, 12, 44, 90);
  dirEdit(kGnuMaker, arm, 100, 44, 166);
  Label("GNU Folder:", arm, 12, 70, 90);
  dirEdit(kGnuFolder, arm, 100, 70, 166);
  Label("Vond Folder:", arm, 278, 44, 90);
  dirEdit(kAdsMaker, arm, 370, 44, 158);
  Label("RealView:", arm, 278, 70, 90);
  dirEdit(kAdsFolder, arm, 370, 70, 158);
  connect(m_gnu, &QRadioButton::clicked, this, [this] { OnRadio(true); });
  connect(m_ads, &QRadioButton::clicked, this, [this] { OnRadio(false); });

  auto* ext = new QGroupBox("File Extensions", this);
  ext->setGeometry(10, 300, 540, 104);
  for (int i = 0; i < kSheetFilterCount; ++i) {
    const int col = i % 2, row = i / 2;
    Label(kFilterLabels[i].label, ext, 12 + 270 * col, 22 + 26 * row, 100);
    auto* e = new QLineEdit(ext);
    e->setGeometry(114 + 270 * col, 22 + 26 * row, 146, 21);
    e->setMaxLength(64);
    const int filter = kFilterLabels[i].filter;
    m_filters[filter] = e;
    connect(e, &QLineEdit::textEdited, this, [this, filter] { m_edited |= 1u << filter; });
  }
  Activate();
}

void FoldersPage::Activate() {
  m_filling = true;
  const FoldersFields f = FoldersFieldsFor(m_copy, m_armSelect);
  const std::string* texts[kFolderCount] = {&f.root, &f.bin, &f.inc, &f.lib, &f.reg,
                                            &f.gnuMaker, &f.gnuFolder, &f.adsMaker, &f.adsFolder};
  for (int i = 0; i < kFolderCount; ++i) {
    m_dirs[i]->setText(FromLocal(*texts[i]));
    m_dirs[i]->setCursorPosition(0);  // a long folder shows where it begins
  }
  for (int i = 0; i < kSheetFilterCount; ++i) m_filters[i]->setText(FromLocal(m_copy.filters[i]));
  m_edited = 0;
  m_useEnv->setChecked(f.useEnvironment);
  m_gnu->setChecked(f.armGnu);
  m_ads->setChecked(!f.armGnu);
  m_filling = false;
  UpdateEnabling();
}

void FoldersPage::UpdateEnabling() {
  const TargetRec* t = m_copy.current;
  const bool armRecords = m_copy.folders[3].present && m_copy.folders[4].present;
  const bool armTarget = !t || t->toolset == 3 || t->toolset == 4;
  const bool armOn = armTarget && armRecords;
  for (QWidget* w : {static_cast<QWidget*>(m_gnu), static_cast<QWidget*>(m_ads)}) w->setEnabled(armOn);
  for (int i : {kGnuMaker, kGnuFolder, kAdsMaker, kAdsFolder}) m_dirs[i]->setEnabled(armOn);
  const bool others = t && !armTarget;
  m_useEnv->setEnabled(others);
  m_dirs[kRoot]->setEnabled(others && m_useEnv->isChecked());
  for (int i : {kBin, kInc, kLib, kReg}) m_dirs[i]->setEnabled(others && !m_useEnv->isChecked());
}

void FoldersPage::OnRadio(bool gnu) {
  m_gnu->setChecked(gnu);
  m_ads->setChecked(!gnu);
  if (FoldersChangeToolset(m_copy, gnu) && !AskYesNo(kToolsetChangeQuestion, true)) {
    m_gnu->setChecked(!gnu);
    m_ads->setChecked(gnu);
  }
}

bool FoldersPage::Leave() {
  FoldersFields f;
  std::string* texts[kFolderCount] = {&f.root, &f.bin, &f.inc, &f.lib, &f.reg,
                                      &f.gnuMaker, &f.gnuFolder, &f.adsMaker, &f.adsFolder};
  for (int i = 0; i < kFolderCount; ++i) *texts[i] = ToLocal(m_dirs[i]->text());
  for (int i = 0; i < kSheetFilterCount; ++i) f.filters[i] = ToLocal(m_filters[i]->text());
  f.editedFilters = m_edited;
  f.useEnvironment = m_useEnv->isChecked();
  f.armGnu = m_gnu->isChecked();
  std::string message;
  int bad = -1;
  if (!LeaveFoldersPage(m_copy, f, &message, &bad)) {
    RefuseWithMessage(message);
    if (bad >= 0) m_filters[bad]->setFocus();
    return false;
  }
  m_edited = 0;
  return true;
}

}  // namespace pm2
