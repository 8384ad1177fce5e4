#include "project/dialogs/device_db_editor.h"

#include "platform/atomic_file.h"

#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QTabWidget>

#include "project/dialogs/dialog_services.h"
#include "project/dialogs/tree_icons.h"

namespace pm2 {

namespace {

constexpr const char* kFamilyItems[] = {"mcs51", "MCS-251", "166/167", "ARM"};

QLabel* Label(const char* text, QWidget* parent, int x, int y, int w, QWidget* buddy) {
  auto* l = new QLabel(text, parent);
  l->setGeometry(x, y, w, 22);
  l->setBuddy(buddy);
  return l;
}

}  // namespace

DeviceDbEditor::DeviceDbEditor(const std::string& path, QWidget* parent, Disk* disk)
    : QDialog(parent), m_path(path), m_db(kPoolDeviceDb, disk) {
  UseDialogFont(this);
  setWindowTitle("Device Database");
  auto* tabs = new QTabWidget(this);
  tabs->setGeometry(8, 8, 636, 430);
  auto* page = new QWidget(tabs);
  tabs->addTab(page, "Database");

  m_tree = new SECTreeCtrl(page, TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_SHOWSELALWAYS);
  PlaceInSunkenFrame(page, 10, 10, 210, 384, m_tree);
  m_tree->SetNotifyListener(this);
  m_tree->SetImages(ImageListKind::Normal, DeviceTreeImages());
  m_tree->installEventFilter(this);

  m_vendor = new QLineEdit(page);
  m_vendor->setMaxLength(30);
  m_vendor->setGeometry(300, 10, 140, 22);
  Label("&Vendor:", page, 230, 10, 66, m_vendor);
  m_family = new QComboBox(page);
  for (const char* f : kFamilyItems) m_family->addItem(f);
  m_family->setGeometry(510, 10, 110, 22);
  Label("&Family:", page, 450, 10, 56, m_family);
  m_device = new QLineEdit(page);
  m_device->setMaxLength(128);
  m_device->setGeometry(300, 38, 320, 22);
  Label("&Device:", page, 230, 38, 66, m_device);

  m_description = new QPlainTextEdit(page);
  m_description->setGeometry(230, 88, 390, 120);
  Label("D&escription:", page, 230, 66, 120, m_description);
  m_options = new QPlainTextEdit(page);
  m_options->setGeometry(230, 236, 390, 122);
  m_options->setLineWrapMode(QPlainTextEdit::NoWrap);
  Label("&Options (one KEY=VALUE per line):", page, 230, 214, 300, m_options);

  m_add = new QPushButton("&Add", page);
  m_add->setGeometry(230, 368, 90, 26);
  m_update = new QPushButton("&Update", page);
  m_update->setGeometry(328, 368, 90, 26);
  m_update->setEnabled(false);
  for (QPushButton* b : {m_add, m_update}) b->setAutoDefault(false);
  connect(m_add, &QPushButton::clicked, this, &DeviceDbEditor::OnAdd);
  connect(m_update, &QPushButton::clicked, this, &DeviceDbEditor::OnUpdate);

  auto* ok = new QPushButton("OK", this);
  auto* cancel = new QPushButton("Cancel", this);
  ok->setGeometry(326 - 4 - 86, 446, 86, 24);
  cancel->setGeometry(326 + 4, 446, 86, 24);
  ok->setAutoDefault(false);
  cancel->setAutoDefault(false);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  setFixedSize(652, 478);

  const int result = m_db.Read(m_path);
  if (result != kDeviceDbOk) {
    std::string text = DeviceDatabase::ResultText(result, m_path);
    m_damaged = result != kDeviceDbCannotOpen;
    if (!m_db.LastReadError().empty()) text += "\n" + m_db.LastReadError() + ".";
    if (m_damaged) text += "\nThe file is left as it is unless devices are added here and saved.";
    RefuseWithMessage(text);
  }
  FillTree();
}

DeviceDbEditor::~DeviceDbEditor() { m_db.Free(); }

void DeviceDbEditor::FillTree() {
  m_tree->DeleteAllItems();
  for (const VendorNode& node : GroupDevicesByVendor(m_db)) {
    HTREEITEM v = InsertTreeRow(m_tree, node.vendor->vendor.str(), nullptr, 0, std::intptr_t(node.vendor));
    for (DeviceDbEntry* e : node.devices) {
      HTREEITEM d = InsertTreeRow(m_tree, e->device.str(), v, 2, std::intptr_t(e));
      e->hTreeItem = uint32_t(reinterpret_cast<std::uintptr_t>(d) & 0xFFFFFFFFu);
    }
  }
}

DeviceFields DeviceDbEditor::Fields() const {
  DeviceFields f;
  f.vendor = ToLocal(m_vendor->text());
  f.family = uint16_t(std::max(0, m_family->currentIndex()));
  f.device = ToLocal(m_device->text());
  f.description = ToLocal(m_description->toPlainText());
  f.options = ToLocal(m_options->toPlainText());
  return f;
}

void DeviceDbEditor::ShowFields(const DeviceDbEntry* e) {
  const DeviceFields f = FieldsOf(*e);
  m_vendor->setText(FromLocal(f.vendor));
  m_family->setCurrentIndex(f.family < 4 ? f.family : 0);
  m_device->setText(FromLocal(f.device));
  m_description->setPlainText(FromLocal(f.description));
  m_options->setPlainText(FromLocal(f.options).replace("\r\n", "\n"));
  m_update->setEnabled(true);
}

DeviceDbEntry* DeviceDbEditor::SelectedDevice() const {
  HTREEITEM item = m_tree->GetCaretItem();
  auto* e = item ? reinterpret_cast<DeviceDbEntry*>(m_tree->GetItemData(item)) : nullptr;
  return (e && !(e->nFlags & kDeviceVendorNode)) ? e : nullptr;
}

void DeviceDbEditor::SelectEntry(const DeviceDbEntry* wanted) {
  for (HTREEITEM v = m_tree->GetRootItem(); v; v = m_tree->GetNextSiblingItem(v)) {
    for (HTREEITEM d = m_tree->GetChildItem(v); d; d = m_tree->GetNextSiblingItem(d)) {
      if (reinterpret_cast<const DeviceDbEntry*>(m_tree->GetItemData(d)) != wanted) continue;
      m_tree->Expand(v, TVE_EXPAND);
      m_tree->SelectItem(d);
      m_tree->EnsureVisible(d);
      ShowFields(wanted);
      return;
    }
  }
}

void DeviceDbEditor::OnAdd() {
  std::string message;
  DeviceDbEntry* entry = nullptr;
  const DeviceAddResult r = AddDeviceEntry(
      m_db, Fields(), [](const std::string& q) { return AskYesNo(q); }, &message, &entry);
  if (r == DeviceAddResult::kRefused) {
    RefuseWithMessage(message);
    (message == "missing vendor name" ? static_cast<QWidget*>(m_vendor) : m_device)->setFocus();
    return;
  }
  if (r == DeviceAddResult::kKeptExisting) return;
  m_changed = true;
  FillTree();
  SelectEntry(entry);
}

void DeviceDbEditor::OnUpdate() {
  DeviceDbEntry* e = SelectedDevice();
  std::string message;
  if (!e) {
    Beep();
    return;
  }
  if (!UpdateDeviceEntry(m_db, e, Fields(), &message)) {
    RefuseWithMessage(message);
    return;
  }
  m_changed = true;
  FillTree();
  SelectEntry(e);
}

void DeviceDbEditor::OnDelete() {
  DeviceDbEntry* e = SelectedDevice();
  if (!e) {
    Beep();
    return;
  }
  e->nFlags |= kDeviceDeleted;
  m_changed = true;
  FillTree();
  m_update->setEnabled(false);
}

bool DeviceDbEditor::Save() {
  if (m_damaged && !m_changed) return true;
  const int result = m_db.Write(m_path, m_damaged ? BackupNameOf(m_path) : std::string());
  if (result == kDeviceDbOk) return true;
  std::string text = DeviceDatabase::ResultText(result, m_path);
  if (!m_db.LastWriteError().empty()) text += "\n" + m_db.LastWriteError();
  RefuseWithMessage(text);
  return false;
}

NotifyResult DeviceDbEditor::OnNotify(NotifyHeader& hdr) {
  if (hdr.code == TVN_SELCHANGED) {
    auto& nm = reinterpret_cast<NMTREEVIEW&>(hdr);
    auto* e = reinterpret_cast<const DeviceDbEntry*>(m_tree->GetItemData(nm.itemNew.hItem));
    if (e && !(e->nFlags & kDeviceVendorNode)) ShowFields(e);
    else m_update->setEnabled(false);
  } else if (hdr.code == NM_DBLCLK || hdr.code == NM_RETURN) {
    if (DeviceDbEntry* e = SelectedDevice()) ShowFields(e);
    else Beep();
  }
  return 0;
}

bool DeviceDbEditor::eventFilter(QObject* o, QEvent* e) {
  if (o != m_tree || e->type() != QEvent::KeyPress) return QDialog::eventFilter(o, e);
  const int key = static_cast<QKeyEvent*>(e)->key();
  if (key == Qt::Key_Delete) {
    OnDelete();
    return true;
  }
  // The tree's own Escape cancels its dialog, which would drop every edit
  // of the database made so far.
  return key == Qt::Key_Escape;
}

void DeviceDbEditor::keyPressEvent(QKeyEvent* e) {
  // Enter and Escape act inside the text fields and must not close the
  // sheet from anywhere else on the page.
  if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter || e->key() == Qt::Key_Escape) {
    e->accept();
    return;
  }
  QDialog::keyPressEvent(e);
}

}  // namespace pm2
