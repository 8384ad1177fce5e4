#include "toolkit/core/registry.h"

#include <unistd.h>

#include <algorithm>
#include <cstring>

#include "platform/settings_store.h"

namespace pm2 {
namespace {

struct HiveRow {
  HKEY hive;
  const char* name;
};
constexpr HiveRow kHives[] = {
    {HKEY_CLASSES_ROOT, "HKEY_CLASSES_ROOT"},     {HKEY_CURRENT_USER, "HKEY_CURRENT_USER"},
    {HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE"},   {HKEY_USERS, "HKEY_USERS"},
    {HKEY_CURRENT_CONFIG, "HKEY_CURRENT_CONFIG"}, {HKEY_DYN_DATA, "HKEY_DYN_DATA"},
};

std::string TrimSlashes(std::string_view s) {
  while (!s.empty() && s.front() == '\\') s.remove_prefix(1);
  while (!s.empty() && s.back() == '\\') s.remove_suffix(1);
  return std::string(s);
}

// What a caller's buffer receives: text values with their closing zero.
std::string BufferBytes(std::uint32_t type, const std::string& data) {
  return type == REG_SZ ? data + '\0' : data;
}

}  // namespace

std::string HiveName(HKEY hive) {
  for (const HiveRow& row : kHives)
    if (row.hive == hive) return row.name;
  return {};
}

std::string NormalizeKeyName(std::string_view name) {
  if (!name.empty() && name.back() == '\\') name.remove_suffix(1);
  return std::string(name);
}

std::string JoinKeyNames(std::string_view parent, std::string_view child) {
  while (!parent.empty() && parent.back() == '\\') parent.remove_suffix(1);
  while (!child.empty() && child.back() == '\\') child.remove_suffix(1);
  if (!child.empty() && child.front() == '\\') child.remove_prefix(1);
  if (parent.empty()) return std::string(child);
  if (child.empty()) return std::string(parent);
  return std::string(parent) + "\\" + std::string(child);
}

SECRegistry::SECRegistry(SettingsStore& store) : m_store(store) { Initialize(); }

SECRegistry::~SECRegistry() {
  if (m_bKeyOpen || m_hRoot) Close();
}

void SECRegistry::Initialize() {
  m_lError = 0;
  m_hRoot = 0;
  m_bKeyOpen = false;
  m_strCurrentKey.clear();
  m_strKeyName.clear();
  m_strRegistryName.clear();
  m_strComputerName.clear();
  m_strClassName.clear();
  m_nSubKeys = m_nValues = m_nMaxSubKeyName = m_nMaxValueName = m_nMaxValueData = 0;
  m_bRemote = false;
  m_bCloseRootOnClose = true;
}

std::string SECRegistry::StorePath(std::string_view keyUnderRoot) const {
  const std::string key = TrimSlashes(keyUnderRoot);
  if (m_hRoot == HKEY_CURRENT_USER) return key;
  return JoinKeyNames(HiveName(m_hRoot), key);
}

bool SECRegistry::Connect(HKEY hive, const char* computer, bool closeRootOnClose) {
  if (m_bKeyOpen || m_hRoot) Close();
  const bool remote = computer && *computer;
  if (HiveName(hive).empty()) return Result(kRegInvalidHandle);
  // No remote registry exists here: every remote connection is refused.
  if (remote) return Result(kRegInvalidHandle);
  m_bCloseRootOnClose = closeRootOnClose;
  m_hRoot = hive;
  m_bKeyOpen = true;
  m_strCurrentKey.clear();
  m_bRemote = false;
  char host[260] = {};
  if (gethostname(host, sizeof host - 1) == 0) m_strComputerName = host;
  m_strRegistryName = HiveName(hive);
  return Result(kRegOk);
}

bool SECRegistry::Open(const char* name) {
  if (!name) return Result(kRegInvalidParameter);
  if (!m_hRoot) m_hRoot = HKEY_CLASSES_ROOT, m_strRegistryName = HiveName(m_hRoot);
  const std::string key = NormalizeKeyName(name);
  if (!m_store.KeyExists(StorePath(key))) {
    m_bKeyOpen = false;
    m_strCurrentKey.clear();
    return Result(kRegNotFound);
  }
  m_bKeyOpen = true;
  m_strCurrentKey = TrimSlashes(key);
  m_strKeyName = name;
  QueryInfo();
  return Result(kRegOk);
}

bool SECRegistry::Create(const char* name, bool* created) {
  if (!name) return Result(kRegInvalidParameter);
  if (!m_hRoot) return Result(kRegInvalidHandle);
  const std::string key = NormalizeKeyName(name);
  const std::string path = StorePath(key);
  const bool existed = m_store.KeyExists(path);
  if (!existed && !m_store.CreateKey(path)) return Result(kRegInvalidParameter);
  if (created) *created = !existed;
  m_bKeyOpen = true;
  m_strCurrentKey = TrimSlashes(key);
  m_strKeyName = name;
  return Result(kRegOk);
}

bool SECRegistry::Close() {
  Initialize();
  return true;
}

bool SECRegistry::DeleteTree(const std::string& storePath) {
  return m_store.DeleteKey(storePath);
}

bool SECRegistry::DeleteKey(const char* name, bool recursive) {
  if (!name) return Result(kRegInvalidParameter);
  const std::string n = NormalizeKeyName(name);
  if (TrimSlashes(n).empty()) return Result(kRegInvalidParameter);  // never a whole hive
  std::string path;
  if (n.front() != '\\' && m_store.KeyExists(StorePath(JoinKeyNames(m_strCurrentKey, n))))
    path = StorePath(JoinKeyNames(m_strCurrentKey, n));
  else if (m_store.KeyExists(StorePath(n)))
    path = StorePath(n);
  else
    return Result(kRegNotFound);
  // Without recursion a key that still has subkeys stays, as the registry
  // refuses to delete it.
  if (!recursive && !m_store.SubKeys(path).empty()) return Result(5);
  return Result(DeleteTree(path) ? kRegOk : kRegNotFound);
}

bool SECRegistry::DeleteValue(const char* name) {
  if (!name) return Result(kRegInvalidParameter);
  return Result(m_store.DeleteValue(CurrentPath(), name) ? kRegOk : kRegNotFound);
}

bool SECRegistry::Flush() {
  std::string err;
  return Result(m_store.Save(&err) ? kRegOk : 29 /* write fault */);
}

bool SECRegistry::QueryInfo() {
  if (!m_bKeyOpen) return Result(kRegInvalidHandle);
  const std::string path = CurrentPath();
  const auto keys = m_store.SubKeys(path);
  const auto values = m_store.ValueNames(path);
  m_nSubKeys = std::uint32_t(keys.size());
  m_nValues = std::uint32_t(values.size());
  m_nMaxSubKeyName = m_nMaxValueName = m_nMaxValueData = 0;
  for (const auto& k : keys) m_nMaxSubKeyName = std::max<std::uint32_t>(m_nMaxSubKeyName, k.size());
  for (const auto& v : values) {
    m_nMaxValueName = std::max<std::uint32_t>(m_nMaxValueName, v.size());
    SettingValue sv;
    if (m_store.ReadValue(path, v, &sv))
      m_nMaxValueData = std::max<std::uint32_t>(m_nMaxValueData, sv.data.size() + (sv.type == REG_SZ));
  }
  return Result(kRegOk);
}

long SECRegistry::EnumerateKeys(int index, char* name, std::size_t size) {
  if (!name || size == 0) return Result(kRegInvalidParameter), m_lError;
  const auto keys = m_store.SubKeys(CurrentPath());
  if (index < 0 || std::size_t(index) >= keys.size()) return Result(kRegNoMoreItems), m_lError;
  const std::string& k = keys[std::size_t(index)];
  const std::size_t n = std::min(k.size(), size - 1);
  std::memcpy(name, k.data(), n);
  name[n] = '\0';
  Result(n < k.size() ? kRegMoreData : kRegOk);
  return m_lError;
}

bool SECRegistry::EnumerateKeys(int index, std::string* name) {
  if (!name) return Result(kRegInvalidParameter);
  const auto keys = m_store.SubKeys(CurrentPath());
  if (index < 0 || std::size_t(index) >= keys.size()) return Result(kRegNoMoreItems);
  *name = keys[std::size_t(index)];
  return Result(kRegOk);
}

bool SECRegistry::EnumerateValues(int index, std::string* name, std::uint32_t* type, std::string* data) {
  if (!name) return Result(kRegInvalidParameter);
  const auto values = m_store.ValueNames(CurrentPath());
  if (index < 0 || std::size_t(index) >= values.size()) return Result(kRegNoMoreItems);
  *name = values[std::size_t(index)];
  SettingValue sv;
  m_store.ReadValue(CurrentPath(), *name, &sv);
  if (type) *type = sv.type;
  if (data) *data = sv.data;
  return Result(kRegOk);
}

bool SECRegistry::QueryValue(const char* name, std::uint32_t* type, std::string* data) {
  if (!name || !data) return Result(kRegInvalidParameter);
  SettingValue sv;
  if (!m_bKeyOpen || !m_store.ReadValue(CurrentPath(), name, &sv)) return Result(kRegNotFound);
  if (type) *type = sv.type;
  *data = sv.data;
  return Result(kRegOk);
}

bool SECRegistry::SetValue(const char* name, std::uint32_t type, std::string_view data) {
  if (!name) return Result(kRegInvalidParameter);
  if (!m_bKeyOpen) return Result(kRegInvalidHandle);
  return Result(m_store.WriteValue(CurrentPath(), name, type, data) ? kRegOk : kRegInvalidParameter);
}

bool SECRegistry::QueryTyped(const char* name, std::uint32_t type, std::string* data) {
  std::uint32_t stored = 0;
  if (!QueryValue(name, &stored, data)) return false;
  if (stored != type) return Result(kRegInvalidData);
  return true;
}

bool SECRegistry::CopyOut(std::string_view bytes, void* data, std::uint32_t* size) {
  if (!size) return Result(data ? kRegInvalidParameter : kRegOk);
  const std::uint32_t need = std::uint32_t(bytes.size());
  const std::uint32_t room = *size;
  *size = need;
  if (!data) return Result(kRegOk);
  if (room < need) return Result(kRegMoreData);
  std::memcpy(data, bytes.data(), need);
  return Result(kRegOk);
}

bool SECRegistry::QueryValue(const char* name, std::uint32_t* type, void* data, std::uint32_t* size) {
  if (!name) return Result(kRegInvalidParameter);
  SettingValue sv;
  if (!m_bKeyOpen || !m_store.ReadValue(CurrentPath(), name, &sv)) return Result(kRegNotFound);
  if (type) *type = sv.type;
  return CopyOut(BufferBytes(sv.type, sv.data), data, size);
}

bool SECRegistry::EnumerateValues(int index, std::string* name, std::uint32_t* type, void* data,
                                  std::uint32_t* size) {
  std::uint32_t stored = 0;
  std::string bytes;
  if (!EnumerateValues(index, name, &stored, &bytes)) return false;
  if (type) *type = stored;
  return CopyOut(BufferBytes(stored, bytes), data, size);
}

bool SECRegistry::EnumerateKeys(int index, std::string* name, std::string* className) {
  if (!EnumerateKeys(index, name)) return false;
  if (className) className->clear();
  return true;
}

bool SECRegistry::GetStringValue(const char* name, std::string* text) {
  if (!name || !text) return Result(kRegInvalidParameter);
  text->clear();
  std::string data;
  if (!QueryTyped(name, REG_SZ, &data)) return false;
  *text = data;
  return true;
}

bool SECRegistry::SetStringValue(const char* name, std::string_view text) {
  return SetValue(name, REG_SZ, text);
}

bool SECRegistry::GetDoubleWordValue(const char* name, std::uint32_t* value) {
  if (!name || !value) return Result(kRegInvalidParameter);
  std::string data;
  if (!QueryTyped(name, REG_DWORD, &data)) return false;
  if (data.size() != 4) return Result(kRegInvalidData);
  *value = std::uint32_t(std::uint8_t(data[0])) | std::uint32_t(std::uint8_t(data[1])) << 8 |
           std::uint32_t(std::uint8_t(data[2])) << 16 | std::uint32_t(std::uint8_t(data[3])) << 24;
  return true;
}

bool SECRegistry::SetDoubleWordValue(const char* name, std::uint32_t value) {
  std::string data(4, '\0');
  for (int i = 0; i < 4; ++i) data[i] = char((value >> (8 * i)) & 0xFF);
  return SetValue(name, REG_DWORD, data);
}

bool SECRegistry::GetBinaryValue(const char* name, std::string* bytes) {
  if (!name || !bytes) return Result(kRegInvalidParameter);
  return QueryTyped(name, REG_BINARY, bytes);
}

bool SECRegistry::SetBinaryValue(const char* name, std::string_view bytes) {
  return SetValue(name, REG_BINARY, bytes);
}

bool SECRegistry::GetValue(const char* name, std::vector<std::uint8_t>* bytes) {
  if (!bytes) return Result(kRegInvalidParameter);
  std::string data;
  if (!GetBinaryValue(name, &data)) return false;
  bytes->assign(data.begin(), data.end());
  return true;
}

bool SECRegistry::SetValue(const char* name, const std::vector<std::uint8_t>& bytes) {
  return SetBinaryValue(name, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

bool SECRegistry::GetStringArrayValue(const char* name, std::vector<std::string>* strings) {
  if (!name || !strings) return Result(kRegInvalidParameter);
  std::string data;
  if (!QueryTyped(name, REG_MULTI_SZ, &data)) return false;
  strings->clear();
  std::size_t pos = 0;
  while (pos < data.size()) {
    const std::size_t end = data.find('\0', pos);
    if (end == pos) break;  // the closing empty string
    strings->push_back(data.substr(pos, end == std::string::npos ? std::string::npos : end - pos));
    if (end == std::string::npos) break;
    pos = end + 1;
  }
  return true;
}

bool SECRegistry::SetStringArrayValue(const char* name, const std::vector<std::string>& strings) {
  std::string data;
  for (const std::string& s : strings) {
    data += s;
    data.push_back('\0');
  }
  data.push_back('\0');
  return SetValue(name, REG_MULTI_SZ, data);
}

}  // namespace pm2
