#pragma once
// SECRegistry: the registry calls of one connection, over the settings
// store. A hive is a top-level branch of the store (HKEY_CURRENT_USER is the
// store's root; the others are keys named after the hive), so key names only
// ever name keys inside the store, never files. Every operation keeps the
// Windows result code of its last step: 0 success, 2 not found, 6 refused
// remote connection, 13 a value of another type, 50 not supported here,
// 87 bad argument, 234 more data, 259 no more items.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace pm2 {

class SettingsStore;

using HKEY = std::uintptr_t;
constexpr HKEY HKEY_CLASSES_ROOT = 0x80000000u, HKEY_CURRENT_USER = 0x80000001u,
               HKEY_LOCAL_MACHINE = 0x80000002u, HKEY_USERS = 0x80000003u,
               HKEY_CURRENT_CONFIG = 0x80000005u, HKEY_DYN_DATA = 0x80000006u;
constexpr std::uint32_t REG_SZ = 1, REG_BINARY = 3, REG_DWORD = 4, REG_MULTI_SZ = 7;
constexpr long kRegOk = 0, kRegNotFound = 2, kRegInvalidHandle = 6, kRegNotSupported = 50,
               kRegInvalidParameter = 87, kRegInvalidData = 13, kRegMoreData = 234, kRegNoMoreItems = 259;

// "HKEY_CURRENT_USER" ...; empty for any other handle.
std::string HiveName(HKEY hive);
// One trailing '\' removed.
std::string NormalizeKeyName(std::string_view name);
// Parent and child joined by one '\'.
std::string JoinKeyNames(std::string_view parent, std::string_view child);

class SECRegistry {
 public:
  // `store` must outlive the object.
  explicit SECRegistry(SettingsStore& store);
  ~SECRegistry();
  SECRegistry(const SECRegistry&) = delete;
  SECRegistry& operator=(const SECRegistry&) = delete;

  void Initialize();
  bool Connect(HKEY hive, const char* computer = nullptr, bool closeRootOnClose = true);
  bool Open(const char* name);
  bool Create(const char* name, bool* created = nullptr);
  bool Close();
  bool DeleteKey(const char* name, bool recursive);
  bool DeleteValue(const char* name);
  // Writes the store to its file.
  bool Flush();
  bool QueryInfo();

  // Full form: the name cut to `size` - 1 characters gives 234.
  long EnumerateKeys(int index, char* name, std::size_t size);
  bool EnumerateKeys(int index, std::string* name);
  bool EnumerateValues(int index, std::string* name, std::uint32_t* type = nullptr,
                       std::string* data = nullptr);

  // With a class text: the store keeps no key classes, so it is always empty.
  bool EnumerateKeys(int index, std::string* name, std::string* className);
  // Buffer form: `size` is in/out. A null `data` asks only for the size; a
  // buffer too small gives 234 with the size needed. Text values count
  // their closing zero.
  bool EnumerateValues(int index, std::string* name, std::uint32_t* type, void* data, std::uint32_t* size);

  bool QueryValue(const char* name, std::uint32_t* type, std::string* data);
  bool QueryValue(const char* name, std::uint32_t* type, void* data, std::uint32_t* size);
  bool SetValue(const char* name, std::uint32_t type, std::string_view data);
  bool GetStringValue(const char* name, std::string* text);
  bool SetStringValue(const char* name, std::string_view text);
  bool GetDoubleWordValue(const char* name, std::uint32_t* value);
  bool SetDoubleWordValue(const char* name, std::uint32_t value);
  bool GetBinaryValue(const char* name, std::string* bytes);
  bool SetBinaryValue(const char* name, std::string_view bytes);
  bool GetStringArrayValue(const char* name, std::vector<std::string>* strings);
  bool SetStringArrayValue(const char* name, const std::vector<std::string>& strings);

  // The four typed getters and setters under one name: text, string array,
  // double word, byte array.
  bool GetValue(const char* name, std::string* text) { return GetStringValue(name, text); }
  bool GetValue(const char* name, std::vector<std::string>* strings) { return GetStringArrayValue(name, strings); }
  bool GetValue(const char* name, std::uint32_t* value) { return GetDoubleWordValue(name, value); }
  bool GetValue(const char* name, std::vector<std::uint8_t>* bytes);
  bool SetValue(const char* name, std::string_view text) { return SetStringValue(name, text); }
  bool SetValue(const char* name, const std::vector<std::string>& strings) {
    return SetStringArrayValue(name, strings);
  }
  bool SetValue(const char* name, std::uint32_t value) { return SetDoubleWordValue(name, value); }
  bool SetValue(const char* name, const std::vector<std::uint8_t>& bytes);

  // Hive files, key security and change notification have no counterpart
  // in the store: each answers 50 (not supported).
  bool GetSecurity(std::uint32_t, void*, std::uint32_t*) { return Unsupported(); }
  bool SetSecurity(std::uint32_t, const void*) { return Unsupported(); }
  bool Load(const char*, const char*) { return Unsupported(); }
  bool UnLoad(const char*) { return Unsupported(); }
  bool Save(const char*) { return Unsupported(); }
  bool Restore(const char*, std::uint32_t) { return Unsupported(); }
  bool Replace(const char*, const char*, const char*) { return Unsupported(); }
  bool NotifyChange() { return Unsupported(); }

  long LastError() const { return m_lError; }
  bool HasKey() const { return m_bKeyOpen; }
  const std::string& KeyName() const { return m_strKeyName; }
  const std::string& RegistryName() const { return m_strRegistryName; }
  HKEY Root() const { return m_hRoot; }
  std::uint32_t NumberOfValues() const { return m_nValues; }

 private:
  bool Unsupported() { return Result(kRegNotSupported); }
  bool Result(long code) { m_lError = code; return code == kRegOk; }
  std::string StorePath(std::string_view keyUnderRoot) const;  // full store path
  std::string CurrentPath() const { return StorePath(m_strCurrentKey); }
  bool DeleteTree(const std::string& storePath);
  // The value's bytes when it has `type`; 13 (invalid data) for another type.
  bool QueryTyped(const char* name, std::uint32_t type, std::string* data);
  // Copies `bytes` into a caller's buffer by the registry's size rules.
  bool CopyOut(std::string_view bytes, void* data, std::uint32_t* size);

  SettingsStore& m_store;
  long m_lError = 0;
  HKEY m_hRoot = 0;
  bool m_bKeyOpen = false;
  std::string m_strCurrentKey;  // below the root; empty: the root itself
  std::string m_strKeyName;     // as given to Open or Create
  std::string m_strRegistryName;
  std::string m_strComputerName;
  std::string m_strClassName;
  std::uint32_t m_nSubKeys = 0;
  std::uint32_t m_nValues = 0;
  std::uint32_t m_nMaxSubKeyName = 0;
  std::uint32_t m_nMaxValueName = 0;
  std::uint32_t m_nMaxValueData = 0;
  bool m_bRemote = false;
  bool m_bCloseRootOnClose = true;
};

}  // namespace pm2
