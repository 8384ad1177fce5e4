#include "toolkit/menus/shortcut_table.h"

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "platform/atomic_file.h"
#include "platform/settings_store.h"
#include "toolkit/core/resources.h"
#include "toolkit/menus/shortcut_file.h"

namespace pm2 {
namespace {

constexpr unsigned kIdsAltPrefix = 20677;

std::string Folder(const std::string& path) {
  const auto slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

}  // namespace

SECShortcutTable::SECShortcutTable(AcceleratorFrame& frame, ShortcutFilePaths paths, Disk* disk)
    : m_frame(frame), m_paths(std::move(paths)), m_disk(disk ? disk : &RealDisk()) {
  LoadCurrentTable();
}

bool SECShortcutTable::LoadCurrentTable() {
  const auto current = m_frame.HasMainWindow() ? m_frame.Accelerators() : nullptr;
  if (!current) {
    m_table.clear();
    return false;
  }
  if (!m_frame.defaultTable) m_frame.defaultTable = current;
  m_table = *current;
  return true;
}

void SECShortcutTable::LoadFromFrame() {
  m_table = m_frame.defaultTable ? *m_frame.defaultTable : AccelTable();
}

bool SECShortcutTable::Load() {
  std::string bytes;
  std::string used = m_paths.primary;
  int rc = m_disk->ReadAll(used, &bytes);
  if (rc != 0) {
    used = m_paths.alternate;
    rc = m_disk->ReadAll(used, &bytes);
  }
  if (rc != 0) {
    // A missing file is the usual first start; either way the table stays.
    m_error = rc == ENOENT ? std::string() : "Cannot read '" + used + "': " + std::strerror(rc);
    return false;
  }
  if (!DecodeShortcutFile(bytes, used, &m_table, &m_error)) {
    LoadFromFrame();
    return false;
  }
  m_error.clear();
  return true;
}

bool SECShortcutTable::Save() {
  const std::string bytes = EncodeShortcutFile(m_table);
  AtomicFileWriter writer(m_disk);
  std::string err;
  if (m_disk == &RealDisk()) {
    // The settings folder may not exist before the first save.
    std::error_code ec;
    std::filesystem::create_directories(Folder(m_paths.primary), ec);
  }
  if (writer.Write(m_paths.primary, bytes, &err)) return true;
  if (m_paths.alternate != m_paths.primary && writer.Write(m_paths.alternate, bytes, &err)) return true;
  m_error = err;
  return false;
}

bool SECShortcutTable::CreateAccelTable() {
  if (!m_frame.HasMainWindow() || m_table.empty()) return false;
  // Replacing the frame's table drops the old one unless it is the
  // default, which stays recorded.
  m_frame.SetAccelerators(std::make_shared<const AccelTable>(m_table));
  UpdateAllMenus();
  return true;
}

void SECShortcutTable::AssignShortcut(std::uint32_t hotKey, std::uint16_t cmd) {
  ACCEL fresh;
  HotKeyToAccel(hotKey, &fresh);
  fresh.cmd = cmd;
  for (ACCEL& a : m_table) {
    if (std::uint8_t(a.fVirt | FVIRTKEY | FNOINVERT) == fresh.fVirt && a.key == fresh.key) {
      a = fresh;
      return;
    }
  }
  m_table.push_back(fresh);
}

std::string SECShortcutTable::KeyText(const ACCEL& a) const {
  if (a.fVirt & FVIRTKEY) {
    std::string name;
    GetKeyName(GetKeyFlags(a), &name);
    return name;
  }
  std::string text = (a.fVirt & FALT) ? ToolkitResources().String(kIdsAltPrefix) : std::string();
  text.push_back(char(a.key & 0xFF));
  return text;
}

void SECShortcutTable::AppendShortcutText(std::string& text, const std::string& key, bool topLevel) const {
  const auto tab = text.find('\t');
  if (tab != std::string::npos) text.erase(tab);
  if (!key.empty() && !topLevel) text += "\t" + key;
}

void SECShortcutTable::UpdateMenuShortcuts(MenuAccess& menu, bool topLevel) {
  for (int pos = 0; pos < menu.ItemCount(); ++pos) {
    std::string text = menu.ItemText(pos);
    if (text.empty()) continue;
    const int id = menu.ItemId(pos);
    if (id == -1) {
      if (MenuAccess* sub = menu.SubMenu(pos)) UpdateMenuShortcuts(*sub, false);
      continue;
    }
    std::string key;
    for (const ACCEL& a : m_table) {
      if (a.cmd == id) {
        key = KeyText(a);
        break;
      }
    }
    AppendShortcutText(text, key, topLevel);
    menu.SetItemText(pos, text);
  }
}

bool SECShortcutTable::UpdateAllMenus() {
  for (MenuAccess* menu : m_frame.Menus())
    if (menu) UpdateMenuShortcuts(*menu, true);
  return true;
}

}  // namespace pm2
