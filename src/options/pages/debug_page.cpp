#include "options/pages/debug_page.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>

#include <cstring>

#include "driver_abi/driver_settings_form.h"
#include "options/core/options_session.h"
#include "options/pages/driver_settings_dialog.h"
#include "options/pages/options_sheet.h"
#include "options/pages/page_text.h"
#include "platform/ascii_case.h"
#include "project/environment/driver_location.h"
#include "project/environment/environment.h"
#include "project/files/stored_texts.h"
#include "project/model/option_defaults.h"
#include "project/text/path_text.h"
#include "project/text/pool.h"

namespace pm2 {

namespace {

// The flag bits of the two columns: simulator (bits 2-8), target (9-15).
const char* const kColumnTexts[] = {"Load Application at Startup", "Go till main()", "Breakpoints",
                                    "Watchpoints", "Memory Display", "Functions", "Toolbox"};
const char* const kDllLabels[] = {"CPU DLL:", "Parameter:", "Dialog DLL:", "Parameter:",
                                  "Driver DLL:", "Parameter:", "Dialog DLL:", "Parameter:"};
// The same fields as a refusal names them (after the column's name).
const char* const kDllFieldNames[] = {"CPU DLL", "CPU DLL Parameter", "Dialog DLL", "Dialog DLL Parameter",
                                      "Driver DLL", "Driver DLL Parameter", "Dialog DLL", "Dialog DLL Parameter"};

}  // namespace

DebugPage::DebugPage(OptionsSheet& sheet) : OptionPage(sheet, PageId::kDebug), m_flags(16, nullptr) {
  auto* grid = new QGridLayout(this);
  m_sim = new QRadioButton("Use Simulator", this);
  m_target = new QRadioButton("Use:", this);
  m_drivers = new QComboBox(this);
  m_settings = new QPushButton("Settings", this);
  m_settings->setAutoDefault(false);
  grid->addWidget(m_sim, 0, 0);
  auto* driverRow = new QHBoxLayout;
  driverRow->addWidget(m_target);
  driverRow->addWidget(m_drivers, 1);
  driverRow->addWidget(m_settings);
  grid->addLayout(driverRow, 0, 1);
  for (int column = 0; column < 2; ++column) {
    auto* box = new QGroupBox(column == 0 ? "Simulator" : "Target Debugger", this);
    auto* g = new QGridLayout(box);
    for (int i = 0; i < 7; ++i) {
      const int bit = 2 + column * 7 + i;
      auto* check = new QCheckBox(kColumnTexts[i], box);
      m_flags[std::size_t(bit)] = check;
      g->addWidget(check, i, 0, 1, 2);
      connect(check, &QCheckBox::toggled, this, [this, bit](bool on) {
        if (Loading()) return;
        uint32_t& w = Block().dbg.flags;
        w = on ? w | (1u << bit) : w & ~(1u << bit);
        EnableGoMain();
      });
    }
    const std::string side = column == 0 ? "Simulator " : "Target Debugger ";
    m_ini[column] = new QLineEdit(box);
    m_ini[column]->setMaxLength(260);
    KeepsText(m_ini[column], side + "Initialization File");
    m_iniBrowse[column] = new QPushButton("...", box);
    m_iniEdit[column] = new QPushButton("Edit...", box);
    for (QPushButton* b : {m_iniBrowse[column], m_iniEdit[column]}) {
      b->setAutoDefault(false);
      b->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    }
    m_iniBrowse[column]->setFixedWidth(m_iniBrowse[column]->fontMetrics().horizontalAdvance("...") + 16);
    g->addWidget(new QLabel("Initialization File:", box), 7, 0);
    auto* iniRow = new QHBoxLayout;
    iniRow->addWidget(m_ini[column], 1);
    iniRow->addWidget(m_iniBrowse[column]);
    iniRow->addWidget(m_iniEdit[column]);
    g->addLayout(iniRow, 8, 0, 1, 2);
    QLineEdit* ini = m_ini[column];
    QPushButton* edit = m_iniEdit[column];
    connect(ini, &QLineEdit::textChanged, edit, [edit](const QString& t) { edit->setEnabled(!t.trimmed().isEmpty()); });
    connect(edit, &QPushButton::clicked, this, [this, ini] {
      if (Sheet().Services().openFile) Sheet().Services().openFile(FromQ(ini->text().trimmed()));
    });
    const char* title = column == 0 ? "Select Simulator Initialization File" : "Select Target Debugger Initialization File";
    connect(m_iniBrowse[column], &QPushButton::clicked, this, [this, ini, title] {
      const std::string chosen =
          Sheet().Services().chooseFile(title, "Ini Files (*.ini)|*.ini|All Files (*.*)|*.*||", Sheet().ProjectFolder());
      if (chosen.empty()) return;
      const std::string stored = Sheet().StoredChosenPath(chosen, "Initialization File");
      if (!stored.empty()) PutText(ini, ToQ(stored));
    });
    for (int i = 0; i < 4; ++i) {
      QLineEdit*& edit = m_dll[column * 4 + i];
      edit = new QLineEdit(box);
      edit->setMaxLength(i % 2 ? 128 : 260);
      KeepsText(edit, side + kDllFieldNames[column * 4 + i]);
      g->addWidget(new QLabel(kDllLabels[column * 4 + i], box), 9 + i, 0);
      g->addWidget(edit, 9 + i, 1);
    }
    auto* settings = new QPushButton(column == 0 ? "CPU DLL Settings" : "Driver DLL Settings", box);
    settings->setAutoDefault(false);
    m_dllSettings[column] = settings;
    connect(settings, &QPushButton::clicked, this, [this, column] { RunDllSettings(column); });
    g->addWidget(settings, 13, 0);
    if (column == 0) {
      auto* dialogSettings = new QPushButton("Dialog DLL Settings", box);
      dialogSettings->setAutoDefault(false);
      connect(dialogSettings, &QPushButton::clicked, this, &DebugPage::RunDialogDllSettings);
      g->addWidget(dialogSettings, 13, 1);
    }
    grid->addWidget(box, 1, column);
  }
  grid->setRowStretch(2, 1);
  connect(m_sim, &QRadioButton::toggled, this, [this](bool on) {
    if (Loading()) return;
    uint32_t& w = Block().dbg.flags;
    w = (w & ~3u) | (on ? 1u : 2u);
  });
  connect(m_settings, &QPushButton::clicked, this, &DebugPage::RunDriverSettings);

  // The driver list of the environment file, selected by the target side's
  // DLL (what the session loads), else by the stored driver path, else by
  // the file name of the device's driver.
  m_entries = ToolsetDrivers(Sheet().ToolsetEnvironment());
  for (const DriverEntry& e : m_entries) m_drivers->addItem(ToQ(e.title), ToQ(e.path));
  m_dll[4]->setText(ToQ(Block().dbg.str[kDbgTargetDll].str()));
  int selected = RowOfTargetDll();
  const std::string stored = Block().dbg.str11.str();
  for (std::size_t i = 0; i < m_entries.size() && selected < 0; ++i)
    if (!stored.empty() && m_entries[i].path == stored) selected = int(i);
  if (selected < 0 && Session().Target()) {
    const std::string flashDriver = DriverFileName(Session().Target()->FLASHDR.str());
    for (std::size_t i = 0; i < m_entries.size() && selected < 0; ++i)
      if (!flashDriver.empty() && EqualIgnoringCase(DriverFileName(m_entries[i].path), flashDriver)) selected = int(i);
  }
  m_syncing = true;
  m_drivers->setCurrentIndex(selected);
  m_syncing = false;
  // A driver chosen under "Use:" becomes the target side's DLL; a DLL typed
  // there selects its driver (or none).
  connect(m_drivers, &QComboBox::currentIndexChanged, this, [this](int row) {
    if (m_syncing || row < 0 || row >= int(m_entries.size())) return;
    m_syncing = true;
    PutText(m_dll[4], ToQ(m_entries[std::size_t(row)].path));
    m_syncing = false;
  });
  connect(m_dll[4], &QLineEdit::textChanged, this, [this] {
    if (m_syncing || Loading()) return;
    m_syncing = true;
    m_drivers->setCurrentIndex(RowOfTargetDll());
    m_syncing = false;
  });
  // Each settings button follows the library it opens.
  for (QLineEdit* dll : {m_dll[0], m_dll[4]})
    connect(dll, &QLineEdit::editingFinished, this, [this] { OfferSettings(); });
  connect(m_drivers, &QComboBox::currentIndexChanged, this, [this] { OfferSettings(); });
}

int DebugPage::RowOfTargetDll() const {
  // By base name, as the session finds the library ("GDBDRV" is GdbDrv.so).
  const std::string dll = DriverBaseName(std::string(TrimBlanks(FromQ(m_dll[4]->text()))));
  if (dll.empty()) return -1;
  for (std::size_t i = 0; i < m_entries.size(); ++i)
    if (EqualIgnoringCase(DriverBaseName(m_entries[i].path), dll)) return int(i);
  return -1;
}

OptionBlock& DebugPage::Block() const { return *Session().TargetCopy(); }

void DebugPage::Load() {
  const OptionBlock& b = Block();
  m_sim->setChecked(b.dbg.flags & 1);
  m_target->setChecked(!(b.dbg.flags & 1));
  for (int bit = 2; bit < 16; ++bit) m_flags[std::size_t(bit)]->setChecked((b.dbg.flags >> bit) & 1);
  for (int side = 0; side < 2; ++side) {
    ShowStoredText(m_ini[side], b.dbg.str[TextOfIni(side)].str());
    m_iniEdit[side]->setEnabled(!m_ini[side]->text().trimmed().isEmpty());
  }
  for (int i = 0; i < 8; ++i) ShowStoredText(m_dll[i], b.dbg.str[TextOfDll(i)].str());
  if (const int row = RowOfTargetDll(); row >= 0) {
    m_syncing = true;
    m_drivers->setCurrentIndex(row);
    m_syncing = false;
  }
  EnableGoMain();
  OfferSettings();
}

void DebugPage::EnableGoMain() {
  m_flags[3]->setEnabled(m_flags[2]->isChecked());
  m_flags[10]->setEnabled(m_flags[9]->isChecked());
}

std::string DebugPage::ToolsetFolder() const {
  const ToolsetInfo* env = Sheet().ToolsetEnvironment();
  return env ? env->toolsFolder : std::string();
}

int DebugPage::FolderKind() const {
  const ToolsetInfo* env = Sheet().ToolsetEnvironment();
  return env ? env->debuggerFlag : 0;
}

std::string DebugPage::DllLibrary(int which, std::string* refusal) const {
  const std::string name(TrimBlanks(FromQ(m_dll[which == 0 ? 0 : 4]->text())));
  if (name.empty()) return std::string();
  // The session loads the driver from the toolset's folder, else from the
  // program's: its settings come from the same library. A name that leads
  // out of the installation's driver folders is not loaded at all (its
  // code would run): the refusal says why.
  std::string tried;
  for (const std::string& folder : {ToolsetFolder(), Sheet().Services().programFolder}) {
    const std::string path = DriverPathBelow(name, folder);
    if (folder.empty() || path == tried) continue;
    tried = path;
    if (std::string why = Sheet().Drivers().Refusal(path); !why.empty()) {
      if (refusal) *refusal = "The " + std::string(which == 0 ? "CPU" : "driver") + " DLL '" + name +
                              "' is not loaded: " + why + ".";
      return std::string();
    }
    int32_t family = 0;
    if (Sheet().Drivers().Call(path, kCapFamily, nullptr, &family)) return path;
  }
  return std::string();
}

int DebugPage::SettingsKind(const std::string& path) const {
  int32_t kind = kDrvSettingsNone;
  if (path.empty() || !Sheet().Drivers().Call(path, kDrvCapSettingsKind, nullptr, &kind)) return -1;
  return kind;
}

namespace {

std::string NoSettingsTip(const std::string& base) {
  return "The driver '" + base + "' has no settings of its own.";
}

}  // namespace

void DebugPage::OfferSettings() {
  auto offer = [](QPushButton* button, int kind, const std::string& base) {
    // A library that does not load keeps its button: a click says why.
    const bool none = kind == kDrvSettingsNone;
    button->setEnabled(!none);
    button->setToolTip(none ? ToQ(NoSettingsTip(base)) : kind > 0 ? ToQ("The settings of driver '" + base + "'") : QString());
  };
  for (int which = 0; which < 2; ++which) {
    std::string refusal;
    const std::string path = DllLibrary(which, &refusal);
    offer(m_dllSettings[which], SettingsKind(path),
          DriverBaseName(std::string(TrimBlanks(FromQ(m_dll[which == 0 ? 0 : 4]->text())))));
    if (!refusal.empty()) m_dllSettings[which]->setToolTip(ToQ(refusal));
  }
  const int row = m_drivers->currentIndex();
  if (row < 0 || row >= int(m_entries.size())) {
    offer(m_settings, -1, std::string());
    return;
  }
  const ToolsetInfo* env = Sheet().ToolsetEnvironment();
  const std::string entry = m_entries[std::size_t(row)].path;
  offer(m_settings, SettingsKind(DriverLoadPath(entry, env ? env->toolsFolder : std::string(), env ? env->debuggerFlag : 0)),
        DriverBaseName(entry));
}

bool DebugPage::RunSettingsForm(const std::string& path, const std::string& base, QLineEdit* parameter,
                                const std::string& parameterName) {
  const std::string before = FromQ(parameter->text());
  DriverSettingsForm form;
  std::memset(&form, 0, sizeof form);
  form.parameter = before.c_str();
  int32_t answer = 0;
  if (!Sheet().Drivers().Call(path, kDrvCapSettingsForm, &form, &answer) || answer != 1 || form.count == 0 ||
      form.count > kDrvFormFields)
    return Refuse(parameter, "The driver '" + base + "' did not describe its settings.");
  std::string text;
  auto check = [&](DriverSettingsForm& edited) -> std::string {
    edited.parameter = before.c_str();
    edited.text[0] = edited.error[0] = '\0';
    int32_t made = 0;
    if (!Sheet().Drivers().Call(path, kDrvCapSettingsText, &edited, &made))
      return "Error: Can't load driver '" + path + "' !";
    if (made != 1 && !edited.error[0] && strnlen(edited.text, sizeof edited.text) == sizeof edited.text - 1)
      return "The settings of driver '" + base + "' make a text of more than " +
             std::to_string(sizeof edited.text - 1) + " characters; the " + parameterName + " keeps at most " +
             std::to_string(parameter->maxLength()) + ".";
    if (made != 1)
      return "The settings of driver '" + base + "' are refused: " +
             (edited.error[0] ? std::string(edited.error, strnlen(edited.error, sizeof edited.error))
                              : std::string("the driver gave no reason")) + ".";
    text.assign(edited.text, strnlen(edited.text, sizeof edited.text));
    // The text goes into the page's field, which the project keeps.
    if (text.size() > std::size_t(parameter->maxLength()))
      return "The settings of driver '" + base + "' make a text of " + std::to_string(text.size()) +
             " characters; the " + parameterName + " keeps at most " + std::to_string(parameter->maxLength()) + ".";
    return FieldTextRefusal(parameterName, text);
  };
  DriverSettingsDialog dialog(form, check, [this](const std::string& why) { Refuse(nullptr, why); }, this);
  const int result = Sheet().Services().runDialog ? Sheet().Services().runDialog(dialog) : dialog.exec();
  if (result != QDialog::Accepted) return false;
  parameter->setText(ToQ(text));
  return true;
}

void DebugPage::RunDllSettings(int which) {
  QLineEdit* field = m_dll[which == 0 ? 0 : 4];
  const std::string name(TrimBlanks(FromQ(field->text())));
  if (name.empty()) {
    Refuse(field, "Select a dll first !");
    return;
  }
  std::string refusal;
  const std::string path = DllLibrary(which, &refusal);
  if (path.empty()) {
    Refuse(field, refusal.empty() ? std::string("Invalid Target Driver !") : refusal);
    return;
  }
  const std::string base = DriverBaseName(name);
  switch (SettingsKind(path)) {
    case kDrvSettingsForm:
      RunSettingsForm(path, base, m_dll[which == 0 ? 1 : 5],
                      which == 0 ? "Simulator CPU DLL Parameter" : "Target Debugger Driver DLL Parameter");
      return;
    case kDrvSettingsDialog: {
      const std::string folder = ToolsetFolder();
      DriverShortRecord record;
      record.parentWindow = this;
      record.toolsetFolder = folder.c_str();
      int32_t answer = 0;
      Sheet().Drivers().Call(path, kCapSettings, &record, &answer);
      return;
    }
    default:
      Refuse(field, NoSettingsTip(base));
  }
}

void DebugPage::RunDialogDllSettings() {
  const std::string name(TrimBlanks(FromQ(m_dll[2]->text())));
  if (name.empty()) {
    Refuse(m_dll[2], "Dialog DLL not specified !");
    return;
  }
  SetStored(Block().dbg.str[kDbgSimDialog], name);
  const ToolsetInfo* env = Sheet().ToolsetEnvironment();
  const std::string path = DialogLoadPath(name, env ? env->rootFolder : std::string(), FolderKind());
  if (const std::string why = Sheet().Drivers().Refusal(path); !why.empty()) {
    Refuse(m_dll[2], "The Dialog DLL '" + name + "' is not loaded: " + why + ".");
    return;
  }
  int32_t family = 0;
  if (!Sheet().Drivers().Call(path, kCapFamily, nullptr, &family)) {
    Refuse(m_dll[2], "Error: Can't find Dialog DLL '" + path + "' !");
    return;
  }
  if (!DialogFamilyMatches(Session().Toolset(), family)) {
    Refuse(m_dll[2], "Invalid Target Driver !");
    return;
  }
  std::string parameter = FromQ(m_dll[3]->text());
  int32_t hasOptions = 0;
  Sheet().Drivers().Call(path, kCapHasConfig, parameter.data(), &hasOptions);
  if (hasOptions == 0) {
    Refuse(m_dll[2], "The selected device has no configuration options!");
    return;
  }
  RunDriverDialog(path, kCapConfigDialog, DriverBaseName(name));
}

void DebugPage::RunDriverSettings() {
  const int row = m_drivers->currentIndex();
  if (row < 0 || row >= int(m_entries.size())) return;
  const ToolsetInfo* env = Sheet().ToolsetEnvironment();
  const std::string entry = m_entries[std::size_t(row)].path;
  const std::string base = DriverBaseName(entry);
  const std::string path = DriverLoadPath(entry, env ? env->toolsFolder : std::string(), env ? env->debuggerFlag : 0);
  int32_t family = 0;
  if (!Sheet().Drivers().Call(path, kCapFamily, nullptr, &family)) {
    Refuse(m_drivers, "Error: Can't load driver '" + path + "' !");
    return;
  }
  if (!FamilyMatches(Session().Toolset(), family)) {
    Refuse(m_drivers, "Invalid Target Driver !");
    return;
  }
  // The driver chosen here is the target side's library: its settings
  // form edits that side's parameter.
  switch (SettingsKind(path)) {
    case kDrvSettingsForm:
      RunSettingsForm(path, base, m_dll[5], "Target Debugger Driver DLL Parameter");
      return;
    case kDrvSettingsDialog:
      RunDriverDialog(path, kCapSettings, base);
      return;
    default:
      Refuse(m_drivers, NoSettingsTip(base));
  }
}

bool DebugPage::Leave() {
  OptionBlock& b = Block();
  for (int side = 0; side < 2; ++side)
    SetStored(b.dbg.str[TextOfIni(side)], TextToStore(m_ini[side], std::string(TrimBlanks(FromQ(m_ini[side]->text())))));
  for (int i = 0; i < 8; ++i) SetStored(b.dbg.str[TextOfDll(i)], TextToStore(m_dll[i], FromQ(m_dll[i]->text())));
  // The chosen driver by path and by its row, so the session finds it
  // either way; a record that already names it (the session takes the row
  // when the path is empty) stays as stored.
  const int row = m_drivers->currentIndex();
  const bool chosen = row >= 0 && row < int(m_entries.size());
  const std::string path = chosen ? m_entries[std::size_t(row)].path : std::string();
  const int storedRow = int32_t(b.dbg.word2);
  const bool storedRowValid = storedRow >= 0 && storedRow < int(m_entries.size());
  const bool named = b.dbg.str11.empty() ? (chosen ? storedRow == row : !storedRowValid) : b.dbg.str11.view() == path;
  if (!named) {
    SetStored(b.dbg.str11, path);
    b.dbg.word2 = chosen ? uint32_t(row) : 0xFFFFFFFFu;
  }
  return true;
}

void DebugPage::Defaults() {
  // The flags, the initialisation files and the chosen driver go back to
  // their defaults; the DLLs of both sides and their parameters (the
  // device's drivers, or the user's) stay, so that the target still debugs.
  DebugOpts& d = Block().dbg;
  OptString dlls[2 * kDbgSideTexts];
  for (int i = 0; i < 2 * kDbgSideTexts; ++i) dlls[i] = d.str[i];
  InitDebugOpts(d);
  for (int i = 0; i < 2 * kDbgSideTexts; ++i)
    if (i % kDbgSideTexts != kDbgSimIni) d.str[i] = dlls[i];
  Activate();
}

}  // namespace pm2
