#include "options/pages/flash_page.h"

#include <QGridLayout>

#include "options/core/options_session.h"
#include "options/core/tool_command.h"
#include "options/pages/options_sheet.h"
#include "options/pages/page_text.h"
#include "project/environment/environment.h"
#include "project/model/debug_texts.h"
#include "project/model/option_defaults.h"
#include "project/text/path_text.h"
#include "project/text/pool.h"

namespace pm2 {

FlashPage::FlashPage(OptionsSheet& sheet) : OptionPage(sheet, PageId::kFlash) {
  auto* grid = new QGridLayout(this);
  m_driver = new QRadioButton("Use Target Driver for Flash Programming", this);
  m_drivers = new QComboBox(this);
  m_settings = new QPushButton("Settings", this);
  m_settings->setAutoDefault(false);
  connect(m_settings, &QPushButton::clicked, this, &FlashPage::RunFlashSettings);
  m_tool = new QRadioButton("Use External Tool for Flash Programming", this);
  m_command = new QLineEdit(this);
  m_command->setMaxLength(256);
  m_arguments = new QLineEdit(this);
  m_arguments->setMaxLength(256);
  KeepsProgram(m_command, "Command");
  KeepsText(m_arguments, "Arguments");
  m_independent = new QCheckBox("Run Independent", this);
  m_cpuDll = new QLabel(this);
  grid->addWidget(m_driver, 0, 0, 1, 2);
  grid->addWidget(m_drivers, 1, 1);
  grid->addWidget(m_settings, 1, 2);
  grid->addWidget(m_tool, 2, 0, 1, 2);
  grid->addWidget(new QLabel("Command:", this), 3, 0);
  grid->addWidget(m_command, 3, 1);
  grid->addWidget(new QLabel("Arguments:", this), 4, 0);
  grid->addWidget(m_arguments, 4, 1);
  grid->addWidget(m_independent, 5, 1);
  grid->addWidget(m_cpuDll, 6, 0, 1, 2);
  grid->setRowStretch(7, 1);
  connect(m_driver, &QRadioButton::toggled, this, [this](bool on) {
    if (Loading()) return;
    SetFlags((Flags() & ~3u) | (on ? 1u : 2u));
    EnableGroups();
  });
  connect(m_independent, &QCheckBox::toggled, this, [this](bool on) {
    if (!Loading()) SetFlags(on ? Flags() | 4u : Flags() & ~4u);
  });

  // Only drivers of the toolset's family that can program flash are listed.
  const ToolsetInfo* env = Sheet().ToolsetEnvironment();
  for (DriverEntry& e : ToolsetDrivers(env)) {
    const std::string path =
        DriverLoadPath(e.path, env ? env->toolsFolder : std::string(), env ? env->debuggerFlag : 0);
    int32_t family = 0, cap = 0;
    if (!Sheet().Drivers().Call(path, kCapFamily, nullptr, &family) || !FamilyMatches(Session().Toolset(), family))
      continue;
    DriverSettingsRecord record;
    record.dllPath = path.c_str();
    if (!Sheet().Drivers().Call(path, kCapFlash, &record, &cap) || cap == 0) continue;
    e.flashCap = cap;
    m_entries.push_back(e);
    m_paths.push_back(path);
    m_drivers->addItem(ToQ(e.title), ToQ(e.path));
  }
}

OptionBlock& FlashPage::Block() const { return *Session().TargetCopy(); }
uint32_t FlashPage::Flags() const { return FirstWord(Block().flash.FLASH1); }
void FlashPage::SetFlags(uint32_t flags) { SetFirstWord(Block().flash.FLASH1, flags); }

void FlashPage::Load() {
  const TargetRec* t = Session().Target();
  // The stored choice first: leaving the page stores the chosen row, so a
  // driver the user picked over the device's own stays picked when the page
  // is shown again or the sheet reopened. The device's driver only fills a
  // choice not made yet.
  const std::string flashDriver = t ? DriverFileName(t->FLASHDR.str()) : std::string();
  int selected = -1;
  for (std::size_t i = 0; i < m_entries.size() && selected < 0; ++i)
    if (!Block().flash.FLASH2.empty() && m_entries[i].path == Block().flash.FLASH2.str()) selected = int(i);
  for (std::size_t i = 0; i < m_entries.size() && selected < 0; ++i)
    if (!flashDriver.empty() && DriverFileName(m_entries[i].path) == flashDriver) selected = int(i);
  m_drivers->setCurrentIndex(selected);
  std::string stored = Block().flash.FLASH3.str();
  if (stored.empty() && t) stored = t->FLASHUT.str();
  const ToolCommand c = SplitToolLine(stored);
  ShowStoredText(m_command, c.program);
  ShowStoredText(m_arguments, c.arguments);
  uint32_t flags = Flags();
  if (!(flags & 3)) SetFlags(flags |= c.program.empty() ? 1u : 2u);
  m_driver->setChecked(flags & 1);
  m_tool->setChecked(!(flags & 1));
  m_independent->setChecked(flags & 4);
  ShowCpuDll();
  EnableGroups();
}

void FlashPage::ShowCpuDll() {
  // The DLL the debug session loads: the side the Debug page chose.
  const DebugOpts& d = Block().dbg;
  const int dll = (d.flags & 1) ? kDbgSimDll : kDbgTargetDll;
  m_cpuDll->setText("Cpu Dll:  " + ToQ(d.str[dll].str()));
}

void FlashPage::EnableGroups() {
  const bool driver = Flags() & 1;
  m_drivers->setEnabled(driver);
  m_settings->setEnabled(driver);
  m_command->setEnabled(!driver);
  m_arguments->setEnabled(!driver);
  m_independent->setEnabled(!driver);
}

void FlashPage::RunFlashSettings() {
  const int row = m_drivers->currentIndex();
  if (row < 0 || row >= int(m_entries.size())) return;
  const std::string& path = m_paths[std::size_t(row)];
  const std::string base = DriverBaseName(m_entries[std::size_t(row)].path);
  RunDriverDialog(path, kCapFlashSettings, base);
}

bool FlashPage::Leave() {
  OptionBlock& b = Block();
  const int row = m_drivers->currentIndex();
  if (row >= 0 && row < int(m_entries.size())) {
    SetStored(b.flash.FLASH2, m_entries[std::size_t(row)].path);
    uint32_t cap = uint32_t(m_entries[std::size_t(row)].flashCap);
    std::memcpy(b.flash.FLASH1 + 4, &cap, 4);
  }
  // A stored command is kept as it was given unless one of its two parts
  // was edited (the two fields show it taken apart); the device's command,
  // shown while none is stored, is stored as the fields show it.
  if (b.flash.FLASH3.empty() || Edited(m_command) || Edited(m_arguments)) {
    ToolCommand c{std::string(TrimBlanks(FromQ(m_command->text()))),
                  std::string(TrimBlanks(FromQ(m_arguments->text())))};
    SetStored(b.flash.FLASH3, c.program.empty() && c.arguments.empty() ? std::string() : JoinToolCommand(c));
  }
  return true;
}

void FlashPage::Defaults() {
  InitFlashOpts(Block().flash);
  Activate();
  ShowCpuDll();
}

}  // namespace pm2
