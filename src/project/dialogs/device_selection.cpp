#include "project/dialogs/device_selection.h"

#include <QDialogButtonBox>
#include <QGroupBox>
#include <QPushButton>
#include <QTabWidget>

#include "project/dialogs/dialog_services.h"
#include "project/dialogs/tree_icons.h"
#include "project/model/device_strings.h"
#include "project/model/project_records.h"

namespace pm2 {

namespace {

int ReadFile(const std::vector<TitledPath>& paths, int index, DeviceDatabase& db) {
  if (index < 0 || index >= int(paths.size())) return kDeviceDbCannotOpen;
  return db.Read(paths[index].path);
}

}  // namespace

DeviceSelector::DeviceSelector(const std::vector<TitledPath>& databases, int armSelect, TargetRec* target,
                               Mode mode, QWidget* parent, DatabaseReader reader)
    : QWidget(parent), m_paths(databases), m_armSelect(armSelect), m_target(target), m_mode(mode),
      m_reader(std::move(reader)), m_db(kPoolDeviceDb) {
  UseDialogFont(this);
  resize(560, 400);
  if (!m_reader) m_reader = [this](int index, DeviceDatabase& db) { return ReadFile(m_paths, index, db); };

  auto* dbLabel = new QLabel("Database:", this);
  dbLabel->setGeometry(10, 10, 70, 22);
  m_databases = new QComboBox(this);
  m_databases->setGeometry(80, 10, 230, 22);
  for (const TitledPath& p : m_paths) m_databases->addItem(FromLocal(p.title));
  m_databases->setEnabled(m_paths.size() > 1);
  dbLabel->setVisible(mode == kOptionsPage);
  m_databases->setVisible(mode == kOptionsPage);

  // Without the database row (sheet) everything moves up by its height.
  const int dy = mode == kSheet ? -30 : 0;
  auto* vendorL = new QLabel("Vendor:", this);
  vendorL->setGeometry(10, 40 + dy, 60, 18);
  m_vendor = new QLabel(this);
  m_vendor->setGeometry(70, 40 + dy, 240, 18);
  auto* deviceL = new QLabel("Device:", this);
  deviceL->setGeometry(10, 60 + dy, 60, 18);
  m_device = new QLabel(this);
  m_device->setGeometry(70, 60 + dy, 240, 18);
  auto* familyL = new QLabel("Family:", this);
  familyL->setGeometry(10, 80 + dy, 60, 18);
  m_family = new QLabel(this);
  m_family->setGeometry(70, 80 + dy, 120, 18);
  auto* toolsetL = new QLabel("Toolset:", this);
  toolsetL->setGeometry(320, 40 + dy, 60, 22);
  m_toolsets = new QComboBox(this);
  m_toolsets->setGeometry(380, 40 + dy, 170, 22);

  m_tree = new SECTreeCtrl(this, TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_SHOWSELALWAYS);
  PlaceInSunkenFrame(this, 10, 104 + dy, 220, 286 - dy, m_tree);
  m_tree->SetNotifyListener(this);
  m_tree->SetImages(ImageListKind::Normal, DeviceTreeImages());

  auto* descBox = new QGroupBox("Description", this);
  descBox->setGeometry(240, 100 + dy, 310, 230 - dy);
  m_description = new QPlainTextEdit(descBox);
  m_description->setReadOnly(true);
  m_description->setGeometry(8, 20, 294, 202 - dy);

  m_linker = new QCheckBox("Use Extended Linker (NX51) instead of NB51", this);
  m_linker->setGeometry(236, 340, 322, 20);
  m_assembler = new QCheckBox("Use Extended Assembler (WX51) instead of W51", this);
  m_assembler->setGeometry(236, 364, 322, 20);
  m_linker->hide();
  m_assembler->hide();

  connect(m_linker, &QCheckBox::clicked, this, &DeviceSelector::OnToolBoxes);
  connect(m_assembler, &QCheckBox::clicked, this, &DeviceSelector::OnToolBoxes);
  connect(m_toolsets, &QComboBox::activated, this, &DeviceSelector::OnToolsetChosen);
  connect(m_databases, &QComboBox::activated, this, [this](int index) {
    LoadDatabase(index);
    if (m_target) SelectDevice(m_target->VENDOR.str(), m_target->DEVICE.str());
  });

  const std::string vendor = m_target ? m_target->VENDOR.str() : std::string();
  const std::string device = m_target ? m_target->DEVICE.str() : std::string();
  // Only the database finally kept may report a failure: the others were
  // merely searched for the target's device.
  int result = kDeviceDbCannotOpen;
  int lastIndex = 0;
  DatabaseReader recording = [&](int index, DeviceDatabase& db) {
    lastIndex = index;
    return result = m_reader(index, db);
  };
  m_dbIndex = ChooseDatabaseFor(int(m_paths.size()), recording, m_db, vendor, device);
  m_databases->setCurrentIndex(m_dbIndex);
  if (result != kDeviceDbOk)
    RefuseWithMessage(WithReadError(DeviceDatabase::ResultText(
        result, lastIndex < int(m_paths.size()) ? m_paths[lastIndex].path : std::string())));
  FillTree();
  if (m_target) SelectDevice(vendor, device);
}

DeviceSelector::~DeviceSelector() { m_db.Free(); }

std::string DeviceSelector::WithReadError(const std::string& text) const {
  return m_db.LastReadError().empty() ? text : text + "\n" + m_db.LastReadError() + ".";
}

void DeviceSelector::LoadDatabase(int index) {
  m_dbIndex = index;
  const int result = m_reader(index, m_db);
  if (result != kDeviceDbOk)
    RefuseWithMessage(
        WithReadError(DeviceDatabase::ResultText(result, index < int(m_paths.size()) ? m_paths[index].path : "")));
  FillTree();
}

void DeviceSelector::FillTree() {
  m_filling = true;
  m_chosen = nullptr;
  m_tree->DeleteAllItems();
  for (const VendorNode& node : GroupDevicesByVendor(m_db)) {
    HTREEITEM v = InsertTreeRow(m_tree, node.vendor->vendor.str(), nullptr, 0, std::intptr_t(node.vendor));
    for (DeviceDbEntry* e : node.devices) InsertTreeRow(m_tree, e->device.str(), v, 2, std::intptr_t(e));
  }
  m_filling = false;
  // The tree marks its first row as the current one: the labels show what
  // the tree shows selected (a vendor row names only its vendor).
  HTREEITEM current = m_tree->GetCaretItem();
  ShowEntry(current ? reinterpret_cast<const DeviceDbEntry*>(m_tree->GetItemData(current)) : nullptr);
}

bool DeviceSelector::SelectDevice(const std::string& vendor, const std::string& device) {
  for (HTREEITEM v = m_tree->GetRootItem(); v; v = m_tree->GetNextSiblingItem(v)) {
    for (HTREEITEM d = m_tree->GetChildItem(v); d; d = m_tree->GetNextSiblingItem(d)) {
      auto* e = reinterpret_cast<const DeviceDbEntry*>(m_tree->GetItemData(d));
      if (!e || !DeviceMatches(*e, vendor, device)) continue;
      m_filling = true;
      m_tree->Expand(v, TVE_EXPAND);
      m_tree->SelectItem(d);
      m_tree->EnsureVisible(d);
      m_filling = false;
      ShowEntry(e);
      return true;
    }
  }
  return false;
}

void DeviceSelector::ShowEntry(const DeviceDbEntry* e) {
  const bool device = e && !(e->nFlags & kDeviceVendorNode);
  m_chosen = device ? e : nullptr;
  m_vendor->setText(e ? FromLocal(e->vendor.str()) : QString());
  m_device->setText(device ? FromLocal(e->device.str()) : QString());
  m_family->setText(device ? DeviceFamilyName(e->nFamily) : "");
  m_description->setPlainText(device ? FromLocal(e->description.str()) : QString());
  m_toolsets->clear();
  if (device) {
    const int targetToolset = (m_mode == kOptionsPage && m_target) ? m_target->toolset : -1;
    for (const ToolsetChoice& c : ToolsetChoicesFor(e->nFamily, m_armSelect, targetToolset)) {
      m_toolsets->addItem(c.text, int(c.toolset));
      if (m_target && c.toolset == m_target->toolset) m_toolsets->setCurrentIndex(m_toolsets->count() - 1);
    }
  }
  const bool boxes = device && ShowsExtendedToolBoxes(*e);
  m_linker->setVisible(boxes);
  m_assembler->setVisible(boxes);
  if (boxes && m_target && m_target->pOpts) {
    const uint32_t fl = m_target->pOpts->t51.T51FL;
    m_linker->setChecked(fl & kT51UseNx51);
    m_assembler->setChecked(fl & kT51UseWx51);
  }
  m_assembler->setEnabled(m_linker->isChecked());
}

int DeviceSelector::ChosenToolset() const {
  return m_toolsets->currentIndex() >= 0 ? m_toolsets->currentData().toInt() : -1;
}

NotifyResult DeviceSelector::OnNotify(NotifyHeader& hdr) {
  if (hdr.code != TVN_SELCHANGED || m_filling) return 0;
  auto& nm = reinterpret_cast<NMTREEVIEW&>(hdr);
  auto* e = reinterpret_cast<const DeviceDbEntry*>(m_tree->GetItemData(nm.itemNew.hItem));
  ShowEntry(e);
  if (m_mode == kOptionsPage && m_chosen && m_target) {
    ApplyDeviceOptions(m_target, uint16_t(ChosenToolset()), m_chosen);
    emit deviceApplied();
  }
  return 0;
}

void DeviceSelector::OnToolsetChosen() {
  if (m_mode == kOptionsPage && m_chosen && m_target) {
    ApplyDeviceOptions(m_target, uint16_t(ChosenToolset()), m_chosen);
    emit deviceApplied();
  }
}

void DeviceSelector::OnToolBoxes() {
  if (!m_linker->isChecked()) m_assembler->setChecked(false);
  m_assembler->setEnabled(m_linker->isChecked());
  if (m_mode == kOptionsPage && m_target && m_target->pOpts) {
    uint32_t& fl = m_target->pOpts->t51.T51FL;
    fl = ApplyExtendedToolBoxes(fl, m_linker->isChecked(), m_assembler->isChecked());
    emit deviceApplied();
  }
}

// ---------------------------------------------------------------- sheet

DeviceSheet::DeviceSheet(const std::vector<TitledPath>& databases, int armSelect, TargetRec* target,
                         QWidget* parent, DatabaseReader reader)
    : QDialog(parent) {
  UseDialogFont(this);
  setWindowTitle("Select Device for Target '" + FromLocal(target ? target->name.str() : std::string()) + "'");
  auto* tabs = new QTabWidget(this);
  m_selector = new DeviceSelector(databases, armSelect, target, DeviceSelector::kSheet, tabs, std::move(reader));
  tabs->addTab(m_selector, "Device");
  tabs->setGeometry(8, 8, 576, 430);
  // OK and Cancel side by side, 4 pixels from the middle.
  auto* ok = new QPushButton("OK", this);
  auto* cancel = new QPushButton("Cancel", this);
  ok->setGeometry(296 - 4 - 86, 446, 86, 24);
  cancel->setGeometry(296 + 4, 446, 86, 24);
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  setFixedSize(592, 478);
}

bool DeviceSheet::ApplyTo(TargetRec* target) const {
  const DeviceDbEntry* e = m_selector->ChosenEntry();
  if (!target || !e || m_selector->ChosenToolset() < 0) return false;
  ApplyDeviceOptions(target, uint16_t(m_selector->ChosenToolset()), e);
  if (target->pOpts && ShowsExtendedToolBoxes(*e)) {
    uint32_t& fl = target->pOpts->t51.T51FL;
    fl = ApplyExtendedToolBoxes(fl, m_selector->LinkerBox()->isChecked(), m_selector->AssemblerBox()->isChecked());
  }
  return true;
}

int ChooseDatabaseDialog(const std::vector<TitledPath>& databases, QWidget* parent) {
  QDialog dlg(parent);
  UseDialogFont(&dlg);
  dlg.setWindowTitle("Select Device Database");
  auto* label = new QLabel("&Database:", &dlg);
  label->setGeometry(10, 14, 70, 22);
  auto* combo = new QComboBox(&dlg);
  combo->setGeometry(80, 14, 260, 22);
  label->setBuddy(combo);
  for (const TitledPath& p : databases) combo->addItem(FromLocal(p.title));
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dlg);
  buttons->setGeometry(10, 50, 330, 28);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dlg, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dlg, &QDialog::reject);
  dlg.setFixedSize(350, 88);
  return dlg.exec() == QDialog::Accepted ? combo->currentIndex() : -1;
}

}  // namespace pm2
