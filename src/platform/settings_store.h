// The file-backed settings store that stands in for the registry and the
// user's profile.
//
// A tree of keys below one unnamed root. A key path names keys root first
// separated by '\' ("Software\Vond\Pelmora2\Editor\C Files"); one leading or
// trailing '\' is ignored and an empty path is the root. Each key holds
// typed values. Key and value names compare ignoring ASCII case and keep the
// spelling they were first written with; enumeration gives keys and values
// in the order they were created, which stays the same across a save and
// load. All data are byte strings, never re-encoded.
//
// Stored form (UTF-8 or any bytes, LF line ends; CRLF is read too):
//   ; Pelmora2 settings 1
//   [Software\Vond\Pelmora2\Editor]      every key, parents before children
//   Tab Size=d:4                         name=type:payload
//   Font=s:Courier New                   s: string, escaped text
//   Pos=b:2c01000000                     b: binary, hex digits
//   List=t7:6100620000                   other registry types: tN: hex
// In names and payloads every byte below 0x20, 0x7F, '%', and bytes that
// are not part of valid UTF-8 are written as %HH; names escape '=' too, and
// key paths ']'. A line that cannot be read is skipped and reported through
// LoadWarnings(); the rest of the file is kept. Each key keeps an index of
// its subkeys and values by name ignoring case, so loading and looking up
// cost the same per entry however many there are.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace pm2 {

class Disk;

// The registry's value type numbers.
enum SettingType : uint32_t {
  kSettingString = 1,       // REG_SZ: text without a closing NUL
  kSettingBinary = 3,       // REG_BINARY
  kSettingInt = 4,          // REG_DWORD: 4 bytes, little-endian
  kSettingMultiString = 7,  // REG_MULTI_SZ: raw bytes as given
};

struct SettingValue {
  std::string name;
  uint32_t type = kSettingString;
  std::string data;  // the value's bytes (a kSettingInt has exactly 4)
};

class SettingsStore {
 public:
  // `filePath` is the store's file; `disk` (null: the real disk) is used for
  // reading and writing it.
  explicit SettingsStore(std::string filePath, Disk* disk = nullptr);
  ~SettingsStore();
  SettingsStore(const SettingsStore&) = delete;
  SettingsStore& operator=(const SettingsStore&) = delete;

  // $XDG_CONFIG_HOME/Vond/Pelmora2/settings.ini, with ~/.config when
  // XDG_CONFIG_HOME is unset or empty.
  static std::string DefaultPath();

  const std::string& FilePath() const { return m_path; }

  // Replaces the tree with the file's contents. A missing file gives an
  // empty store and true; an unreadable one false with *err. Malformed
  // lines are skipped and listed in LoadWarnings() as "'<file>' line N: ...".
  // A file with damaged lines is kept as its backup (BackupNameOf) before
  // anything replaces it. A file that is there but is no regular file (a
  // folder, a pipe, a device) is refused and never written over: the
  // store then starts empty and Save does nothing.
  bool Load(std::string* err = nullptr);
  const std::vector<std::string>& LoadWarnings() const { return m_warnings; }
  // What the last Load reset, in words for the user, naming the file, the
  // damaged lines (the first few) and the backup; empty when nothing was.
  std::string DamageReport() const;
  // False after a Load refused what is at the path: it is not replaced.
  bool Writable() const { return m_writable; }

  // Writes the store atomically (creating the folder when missing). Another
  // program of the same user may share the file: the save reads what is on
  // disk then, under a lock on the file's folder, and puts on it only what
  // this store changed since its last load or save, in the order it was
  // changed, so that keys the other program wrote meanwhile stay. The tree
  // in memory is then what was written (plus changes made meanwhile).
  bool Save(std::string* err = nullptr);
  bool SaveIfDirty(std::string* err = nullptr);
  // Takes in what another program stored since this store last read or
  // wrote the file, keeping this store's unsaved changes on top; writes
  // nothing. False with *err when the file cannot be read.
  bool Refresh(std::string* err = nullptr);
  bool IsDirty() const;

  // Key paths deeper than this, and names longer, are refused (a damaged
  // or hostile file can't grow the tree without bound).
  static constexpr size_t kMaxKeyDepth = 64;
  static constexpr size_t kMaxNameLength = 255;

  // Keys.
  bool KeyExists(std::string_view key) const;
  // Creates the key and any missing parents; false for a path with an empty
  // component ("a\\b").
  bool CreateKey(std::string_view key);
  // Deletes the key with its subtree; false when it does not exist. The root
  // cannot be deleted (false), but DeleteKey of each child clears it.
  bool DeleteKey(std::string_view key);
  // Names of the direct subkeys, in creation order; empty when missing.
  std::vector<std::string> SubKeys(std::string_view key) const;

  // Values. Writing creates the key as needed (false for a bad key path).
  std::vector<std::string> ValueNames(std::string_view key) const;
  bool ReadValue(std::string_view key, std::string_view name, SettingValue* out) const;
  bool WriteValue(std::string_view key, std::string_view name, uint32_t type, std::string_view data);
  bool DeleteValue(std::string_view key, std::string_view name);

  // Typed access. A getter is false when the value is missing or has
  // another type (GetInt also reads a string value through the profile's
  // integer form).
  bool GetString(std::string_view key, std::string_view name, std::string* out) const;
  bool GetInt(std::string_view key, std::string_view name, uint32_t* out) const;
  bool GetBinary(std::string_view key, std::string_view name, std::string* out) const;
  bool SetString(std::string_view key, std::string_view name, std::string_view text);
  bool SetInt(std::string_view key, std::string_view name, uint32_t number);
  bool SetBinary(std::string_view key, std::string_view name, std::string_view bytes);

  const std::string& ProfileRoot() const { return m_profileRoot; }
  std::string GetProfileString(std::string_view section, std::string_view entry,
                               std::string_view def = {}) const;
  int GetProfileInt(std::string_view section, std::string_view entry, int def) const;
  bool GetProfileBinary(std::string_view section, std::string_view entry, std::string* out) const;
  // A null entry deletes the section, a null value the entry.
  bool WriteProfileString(const char* section, const char* entry, const char* value);
  bool WriteProfileInt(std::string_view section, std::string_view entry, int value);
  bool WriteProfileBinary(std::string_view section, std::string_view entry, std::string_view bytes);

  // The stored form of the tree, and its reader (for tests and fuzzing):
  // Parse replaces the tree and the warnings, naming `fileName` in them.
  std::string Serialize() const;
  void Parse(std::string_view bytes, std::string_view fileName);

 private:
  struct Node;
  Node* FindKey(std::string_view key) const;      // needs m_mutex
  Node* MakeKey(std::string_view key);            // needs m_mutex
  std::string ProfileKey(std::string_view section) const;
  // One change of the tree since the last load or save, replayed on what
  // is on disk when the store is saved.
  struct Change {
    enum Kind { kCreateKey, kDeleteKey, kWriteValue, kDeleteValue } kind = kCreateKey;
    std::string key;
    SettingValue value;  // its name alone for kDeleteValue
  };
  void Replay(const Change& change);  // needs m_mutex
  // What is on disk now, read into `merged`; false with *err when it can't
  // be read (a missing file reads empty).
  bool ReadDiskInto(SettingsStore& merged, std::string* err) const;
  std::string SerializeLocked() const;
  void ParseLocked(std::string_view bytes, std::string_view fileName);

  std::string m_path;
  Disk* m_disk;
  std::string m_profileRoot = "Software\\Vond\\Pelmora2";
  mutable std::mutex m_mutex;
  std::unique_ptr<Node> m_root;
  std::vector<std::string> m_warnings;
  std::string m_loadError;   // why the last Load read nothing
  std::string m_backupPath;  // where the last Load kept a damaged file
  bool m_writable = true;
  std::vector<Change> m_changes;  // since the last load or save
  uint64_t m_version = 0;       // counts changes
  uint64_t m_savedVersion = 0;  // m_version as last loaded or saved
};

}  // namespace pm2
