#pragma once
// Settings trees: a named node with ordered key/value text pairs and ordered
// named children, saved to and loaded from a storage strategy (an INI file
// or the settings store through SECRegistry).
//
// Stored forms. Every value is text: integers in signed decimal, booleans
// "True"/"False" (read back ignoring case), binary data two capital letters
// per byte ('A' + low nibble, then 'A' + high nibble). Encoded binary text of
// 251 characters or more is stored in chunks under key K: "K_BinCount" = the
// number of 250-character pieces (the last 1..250), "K_BinVal0", "K_BinVal1"
// ... the pieces.
// INI form: one section per node named by the path root first joined by "."
// ("A.B.C"); the node's pairs in order, then "ptn_Child1=<name>",
// "ptn_Child2=..." for its children. A key starting with "ptn_Child" is read
// as a child name. Values are stored and read whole.
// Store form: one key per node below a base key ("<base>\A\B"), the pairs as
// string values, children as subkeys.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace pm2 {

class IniDocument;
class IniFiles;
class SettingsStore;
class SECPersistentTreeNode;

// Result codes of the node operations (bit values, combined per call).
enum : unsigned {
  kPtnOk = 0,
  kPtnAlreadyCreated = 1,
  kPtnNotCreated = 2,
  kPtnEmptyName = 4,  // also a null child
  kPtnEmptyKey = 8,
  kPtnKeyExists = 16,
  kPtnDuplicateChild = 32,
  kPtnKeyNotFound = 64,
  kPtnNullData = 128,
  kPtnEncodeFailed = 256,
  kPtnFailure = 65535,
};

// Creates and owns nodes; destroying it deletes them.
class SECPTNFactory {
 public:
  SECPTNFactory() = default;
  ~SECPTNFactory();
  SECPTNFactory(const SECPTNFactory&) = delete;
  SECPTNFactory& operator=(const SECPTNFactory&) = delete;
  // Null when the node's Create fails (empty name, duplicate child).
  SECPersistentTreeNode* CreateNode(std::string_view name, SECPersistentTreeNode* parent = nullptr);
  bool DestroyNode(SECPersistentTreeNode* node);
  void Clear();

 private:
  std::vector<std::unique_ptr<SECPersistentTreeNode>> m_nodes;
};

// A path lists node names from the node itself up to the root.
using PtnPath = std::vector<std::string>;

class SECPTNStrategy {
 public:
  virtual ~SECPTNStrategy() = default;
  virtual bool ClearNode(const PtnPath& path) = 0;
  virtual bool WriteKeyValue(const PtnPath& path, const std::string& key, const std::string& value) = 0;
  virtual bool WriteChildList(const PtnPath& path, const std::vector<std::string>& children) = 0;
  virtual bool ReadNode(const PtnPath& path, std::vector<std::string>* children, std::vector<std::string>* keys,
                        std::vector<std::string>* values) = 0;
};

// An INI file through the INI layer (each write atomic), or an in-memory
// document (tests, and callers that write the file themselves).
class SECPTNStrategyProfile : public SECPTNStrategy {
 public:
  explicit SECPTNStrategyProfile(std::string iniFile, IniFiles* files = nullptr);
  explicit SECPTNStrategyProfile(IniDocument* document);
  bool ClearNode(const PtnPath& path) override;
  bool WriteKeyValue(const PtnPath& path, const std::string& key, const std::string& value) override;
  bool WriteChildList(const PtnPath& path, const std::vector<std::string>& children) override;
  bool ReadNode(const PtnPath& path, std::vector<std::string>* children, std::vector<std::string>* keys,
                std::vector<std::string>* values) override;
  static std::string SectionName(const PtnPath& path);
  // The last write error ("Cannot write 'x.ini': ...").
  const std::string& LastError() const { return m_error; }

 private:
  bool Write(const std::string& section, const char* key, const char* value);
  std::string m_file;
  IniFiles* m_files = nullptr;
  IniDocument* m_doc = nullptr;
  std::string m_error;
};

class SECPTNStrategyRegistry : public SECPTNStrategy {
 public:
  // `baseKey` gets a trailing '\' when missing; `hive` is HKEY_CURRENT_USER
  // unless given.
  SECPTNStrategyRegistry(SettingsStore& store, std::string baseKey, std::uintptr_t hive = 0x80000001u);
  bool ClearNode(const PtnPath& path) override;
  bool WriteKeyValue(const PtnPath& path, const std::string& key, const std::string& value) override;
  bool WriteChildList(const PtnPath& path, const std::vector<std::string>& children) override;
  bool ReadNode(const PtnPath& path, std::vector<std::string>* children, std::vector<std::string>* keys,
                std::vector<std::string>* values) override;
  std::string BuildKeyName(const PtnPath& path) const;

 private:
  SettingsStore& m_store;
  std::string m_baseKey;
  std::uintptr_t m_hive;
};

class SECPersistentTreeNode {
 public:
  struct SECPersTreeNodeKeyValuePair {
    std::string key;
    std::string value;
  };

  SECPersistentTreeNode() = default;
  virtual ~SECPersistentTreeNode();
  SECPersistentTreeNode(const SECPersistentTreeNode&) = delete;
  SECPersistentTreeNode& operator=(const SECPersistentTreeNode&) = delete;

  virtual unsigned Create(std::string_view name, SECPersistentTreeNode* parent = nullptr);
  unsigned SetKeyValue(std::string_view key, std::string_view value, bool overwrite = true);
  unsigned SetKeyValue(std::string_view key, const char* value, bool overwrite = true) {
    return SetKeyValue(key, std::string_view(value ? value : ""), overwrite);
  }
  unsigned SetKeyValueLong(std::string_view key, long value, bool overwrite = true);
  unsigned SetKeyValueBool(std::string_view key, bool value, bool overwrite = true);
  unsigned SetKeyValueBinary(std::string_view key, const std::uint8_t* data, std::size_t count,
                             bool overwrite = true);
  unsigned DeleteKeyValue(std::string_view key);
  unsigned GetKeyValue(std::string_view key, std::string* value) const;
  unsigned GetKeyValueInt(std::string_view key, std::int32_t* value, std::int32_t def = 0) const;
  unsigned GetKeyValueBool(std::string_view key, bool* value, bool def = false) const;
  // The decoded bytes replace *data.
  unsigned GetKeyValueBinary(std::string_view key, std::vector<std::uint8_t>* data) const;

  virtual bool SaveTree(SECPTNStrategy* strategy);
  virtual bool LoadTree(SECPTNStrategy* strategy);
  virtual unsigned AddChild(SECPersistentTreeNode* child);

  SECPersistentTreeNode* FindChild(std::string_view name) const;
  const SECPersTreeNodeKeyValuePair* FindKeyValuePair(std::string_view key) const;

  const std::string& Name() const { return m_strName; }
  SECPersistentTreeNode* Parent() const { return m_pParent; }
  const std::vector<SECPersistentTreeNode*>& Children() const { return m_children; }
  const std::vector<SECPersTreeNodeKeyValuePair>& Pairs() const { return m_pairs; }
  // Children made through this node's own factory.
  SECPersistentTreeNode* CreateChild(std::string_view name) { return m_factory.CreateNode(name, this); }

  static std::string EncodeBinary(const std::uint8_t* data, std::size_t count);
  static bool DecodeBinary(std::string_view text, std::vector<std::uint8_t>* out);

 private:
  PtnPath BuildPath() const;

  std::string m_strName;
  SECPersistentTreeNode* m_pParent = nullptr;
  SECPTNFactory m_factory;
  std::vector<SECPersistentTreeNode*> m_children;  // owned by the factories that made them
  std::vector<SECPersTreeNodeKeyValuePair> m_pairs;
  bool m_bCreated = false;
};

}  // namespace pm2
