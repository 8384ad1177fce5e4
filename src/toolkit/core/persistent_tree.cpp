#include "toolkit/core/persistent_tree.h"

#include <algorithm>
#include <cctype>

#include "platform/ini_file.h"
#include "platform/settings_store.h"
#include "toolkit/core/registry.h"

namespace pm2 {
namespace {

constexpr char kChildPrefix[] = "ptn_Child";
constexpr std::size_t kChildPrefixLength = sizeof kChildPrefix - 1;
constexpr std::size_t kChunk = 250;
constexpr char kBinCount[] = "_BinCount";
constexpr char kBinVal[] = "_BinVal";

// The parser of the integer forms: blanks skipped, optional sign, digits
// up to the first other character, wrapping at 32 bits.
std::int32_t ParseDecimal(std::string_view s) {
  std::size_t i = 0;
  while (i < s.size() && std::isspace(static_cast<unsigned char>(s[i]))) ++i;
  bool negative = false;
  if (i < s.size() && (s[i] == '-' || s[i] == '+')) negative = s[i++] == '-';
  std::uint32_t v = 0;
  for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) v = v * 10 + std::uint32_t(s[i] - '0');
  return std::int32_t(negative ? 0u - v : v);
}

}  // namespace

// ------------------------------------------------------------------ factory

SECPTNFactory::~SECPTNFactory() { Clear(); }

void SECPTNFactory::Clear() {
  // Newest first, so children made later go before the nodes they hang on.
  while (!m_nodes.empty()) m_nodes.pop_back();
}

SECPersistentTreeNode* SECPTNFactory::CreateNode(std::string_view name, SECPersistentTreeNode* parent) {
  m_nodes.push_back(std::make_unique<SECPersistentTreeNode>());
  SECPersistentTreeNode* node = m_nodes.back().get();
  if (node->Create(name, parent) != kPtnOk) {
    m_nodes.pop_back();
    return nullptr;
  }
  return node;
}

bool SECPTNFactory::DestroyNode(SECPersistentTreeNode* node) {
  auto it = std::find_if(m_nodes.begin(), m_nodes.end(), [&](const auto& p) { return p.get() == node; });
  if (!node || it == m_nodes.end()) return false;
  m_nodes.erase(it);
  return true;
}

// ------------------------------------------------------------------ node

SECPersistentTreeNode::~SECPersistentTreeNode() {
  for (SECPersistentTreeNode* child : m_children) child->m_pParent = nullptr;
  m_children.clear();
  m_factory.Clear();
  m_pairs.clear();
  if (m_pParent) {
    auto& siblings = m_pParent->m_children;
    siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
  }
}

unsigned SECPersistentTreeNode::Create(std::string_view name, SECPersistentTreeNode* parent) {
  unsigned code = 0;
  if (m_bCreated) code |= kPtnAlreadyCreated;
  if (name.empty()) code |= kPtnEmptyName;
  if (code) return code;
  m_strName = std::string(name);
  m_pParent = parent;
  if (parent) {
    const unsigned added = parent->AddChild(this);
    if (added != kPtnOk) {
      m_pParent = nullptr;
      return (added & kPtnDuplicateChild) ? unsigned(kPtnDuplicateChild) : unsigned(kPtnFailure);
    }
  }
  m_bCreated = true;
  return kPtnOk;
}

unsigned SECPersistentTreeNode::AddChild(SECPersistentTreeNode* child) {
  if (!m_bCreated) return kPtnNotCreated;
  if (!child) return kPtnEmptyName;
  if (FindChild(child->m_strName)) return kPtnDuplicateChild;
  m_children.push_back(child);
  return kPtnOk;
}

SECPersistentTreeNode* SECPersistentTreeNode::FindChild(std::string_view name) const {
  if (name.empty()) return nullptr;
  for (SECPersistentTreeNode* child : m_children)
    if (child->m_strName == name) return child;
  return nullptr;
}

const SECPersistentTreeNode::SECPersTreeNodeKeyValuePair* SECPersistentTreeNode::FindKeyValuePair(
    std::string_view key) const {
  if (key.empty()) return nullptr;
  for (const auto& pair : m_pairs)
    if (pair.key == key) return &pair;
  return nullptr;
}

unsigned SECPersistentTreeNode::SetKeyValue(std::string_view key, std::string_view value, bool overwrite) {
  unsigned code = 0;
  if (!m_bCreated) code |= kPtnNotCreated;
  if (key.empty()) code |= kPtnEmptyKey;
  auto it = std::find_if(m_pairs.begin(), m_pairs.end(), [&](const auto& p) { return p.key == key; });
  if (!key.empty() && it != m_pairs.end() && !overwrite) code |= kPtnKeyExists;
  if (code) return code;
  if (it != m_pairs.end()) it->value = std::string(value);
  else m_pairs.push_back({std::string(key), std::string(value)});
  return kPtnOk;
}

unsigned SECPersistentTreeNode::SetKeyValueLong(std::string_view key, long value, bool overwrite) {
  return SetKeyValue(key, std::to_string(value), overwrite);
}

unsigned SECPersistentTreeNode::SetKeyValueBool(std::string_view key, bool value, bool overwrite) {
  return SetKeyValue(key, value ? "True" : "False", overwrite);
}

std::string SECPersistentTreeNode::EncodeBinary(const std::uint8_t* data, std::size_t count) {
  std::string text;
  text.reserve(count * 2);
  for (std::size_t i = 0; i < count; ++i) {
    text.push_back(char('A' + (data[i] & 0xF)));
    text.push_back(char('A' + (data[i] >> 4)));
  }
  return text;
}

bool SECPersistentTreeNode::DecodeBinary(std::string_view text, std::vector<std::uint8_t>* out) {
  out->clear();
  for (std::size_t i = 0; i + 1 < text.size(); i += 2)
    out->push_back(std::uint8_t((std::uint8_t(text[i + 1]) * 16 + std::uint8_t(text[i]) - 81) & 0xFF));
  return true;
}

unsigned SECPersistentTreeNode::SetKeyValueBinary(std::string_view key, const std::uint8_t* data,
                                                  std::size_t count, bool overwrite) {
  if (!data) return kPtnNullData;
  const std::string text = EncodeBinary(data, count);
  const std::string k(key);
  if (text.size() < kChunk + 1) {
    const unsigned code = SetKeyValue(key, text, overwrite);
    // A chunk count left from a longer value would win on reading.
    if (code == kPtnOk) DeleteKeyValue(k + kBinCount);
    return code;
  }
  const std::size_t pieces = (text.size() + kChunk - 1) / kChunk;
  if (unsigned code = SetKeyValueLong(k + kBinCount, long(pieces), true)) return code;
  for (std::size_t i = 0; i < pieces; ++i) {
    if (unsigned code = SetKeyValue(k + kBinVal + std::to_string(i), std::string_view(text).substr(i * kChunk, kChunk), true))
      return code;
  }
  // Chunks of an earlier, longer value are no longer counted; drop them
  // so the stored form holds only what belongs to this value.
  for (std::size_t i = pieces; FindKeyValuePair(k + kBinVal + std::to_string(i)); ++i)
    DeleteKeyValue(k + kBinVal + std::to_string(i));
  DeleteKeyValue(k);
  return kPtnOk;
}

unsigned SECPersistentTreeNode::DeleteKeyValue(std::string_view key) {
  const auto old = m_pairs.size();
  m_pairs.erase(std::remove_if(m_pairs.begin(), m_pairs.end(), [&](const auto& p) { return p.key == key; }),
                m_pairs.end());
  return m_pairs.size() == old ? unsigned(kPtnKeyNotFound) : unsigned(kPtnOk);
}

unsigned SECPersistentTreeNode::GetKeyValue(std::string_view key, std::string* value) const {
  value->clear();
  const auto* pair = FindKeyValuePair(key);
  if (!pair) return kPtnKeyNotFound;
  *value = pair->value;
  return kPtnOk;
}

unsigned SECPersistentTreeNode::GetKeyValueInt(std::string_view key, std::int32_t* value, std::int32_t def) const {
  *value = def;
  const auto* pair = FindKeyValuePair(key);
  if (!pair) return kPtnKeyNotFound;
  *value = ParseDecimal(pair->value);
  return kPtnOk;
}

unsigned SECPersistentTreeNode::GetKeyValueBool(std::string_view key, bool* value, bool def) const {
  *value = def;
  const auto* pair = FindKeyValuePair(key);
  if (!pair) return kPtnKeyNotFound;
  std::string upper = pair->value;
  for (char& c : upper) c = char(std::toupper(static_cast<unsigned char>(c)));
  *value = upper == "TRUE";
  return kPtnOk;
}

unsigned SECPersistentTreeNode::GetKeyValueBinary(std::string_view key, std::vector<std::uint8_t>* data) const {
  if (!data) return kPtnNullData;
  const std::string k(key);
  std::string text;
  if (const auto* count = FindKeyValuePair(k + kBinCount)) {
    // The count comes from a file: a count of two thousand million must not
    // mean as many look-ups. Only pairs that exist can be pieces, so collect
    // those named K_BinVal<index> with an index below the count and join
    // them in index order (a missing piece is skipped).
    const std::int32_t n = ParseDecimal(count->value);
    const std::string prefix = k + kBinVal;
    std::vector<std::pair<std::int64_t, const std::string*>> pieces;
    for (const auto& pair : m_pairs) {
      if (pair.key.size() <= prefix.size() || pair.key.compare(0, prefix.size(), prefix) != 0) continue;
      const std::string_view digits = std::string_view(pair.key).substr(prefix.size());
      // Only the form the writer makes: decimal, no sign, no leading zero.
      if (digits.size() > 10 || (digits.size() > 1 && digits[0] == '0') ||
          digits.find_first_not_of("0123456789") != std::string_view::npos)
        continue;
      const std::int64_t index = std::stoll(std::string(digits));
      if (index < n) pieces.emplace_back(index, &pair.value);
    }
    std::sort(pieces.begin(), pieces.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    for (const auto& piece : pieces) text += *piece.second;
  } else if (const auto* plain = FindKeyValuePair(k)) {
    text = plain->value;
  } else {
    return kPtnKeyNotFound;
  }
  if (text.empty() || !DecodeBinary(text, data)) return kPtnFailure;
  return kPtnOk;
}

PtnPath SECPersistentTreeNode::BuildPath() const {
  PtnPath path;
  for (const SECPersistentTreeNode* n = this; n; n = n->m_pParent) path.push_back(n->m_strName);
  return path;
}

bool SECPersistentTreeNode::SaveTree(SECPTNStrategy* strategy) {
  if (!m_bCreated || !strategy) return false;
  const PtnPath path = BuildPath();
  std::vector<std::string> names;
  for (const SECPersistentTreeNode* child : m_children) names.push_back(child->m_strName);
  bool result = strategy->ClearNode(path);
  for (const auto& pair : m_pairs) result &= strategy->WriteKeyValue(path, pair.key, pair.value);
  result &= strategy->WriteChildList(path, names);
  for (SECPersistentTreeNode* child : m_children) result &= child->SaveTree(strategy);
  return result;
}

bool SECPersistentTreeNode::LoadTree(SECPTNStrategy* strategy) {
  if (!m_bCreated || !strategy) return false;
  std::vector<std::string> children, keys, values;
  if (!strategy->ReadNode(BuildPath(), &children, &keys, &values)) return false;
  for (std::size_t i = 0; i < keys.size() && i < values.size(); ++i) SetKeyValue(keys[i], values[i], true);
  for (const std::string& name : children)
    if (SECPersistentTreeNode* child = m_factory.CreateNode(name, this)) child->LoadTree(strategy);
  return true;
}

// ------------------------------------------------------------------ INI

SECPTNStrategyProfile::SECPTNStrategyProfile(std::string iniFile, IniFiles* files)
    : m_file(std::move(iniFile)), m_files(files ? files : &TheIniFiles()) {}

SECPTNStrategyProfile::SECPTNStrategyProfile(IniDocument* document) : m_doc(document) {}

std::string SECPTNStrategyProfile::SectionName(const PtnPath& path) {
  std::string section;
  for (auto it = path.rbegin(); it != path.rend(); ++it) {
    if (!section.empty()) section += '.';
    section += *it;
  }
  return section;
}

namespace {
// The INI and registry layers take C strings: a NUL byte would silently cut
// a name or value short, so such text is refused instead of stored cut.
bool HoldsNul(const char* text, const std::string& whole) {
  return text && std::string_view(text).size() != whole.size();
}
}  // namespace

bool SECPTNStrategyProfile::Write(const std::string& section, const char* key, const char* value) {
  if (section.empty()) return false;
  m_error.clear();
  if (section.find('\0') != std::string::npos) {
    m_error = "The settings section '" + section.substr(0, section.find('\0')) +
              "...' holds a NUL byte and cannot be stored";
    return false;
  }
  if (m_doc) return m_doc->Write(section.c_str(), key, value, &m_error);
  return m_files->Write(m_file, section.c_str(), key, value, &m_error);
}

bool SECPTNStrategyProfile::ClearNode(const PtnPath& path) {
  return Write(SectionName(path), nullptr, nullptr);
}

bool SECPTNStrategyProfile::WriteKeyValue(const PtnPath& path, const std::string& key, const std::string& value) {
  if (HoldsNul(key.c_str(), key) || HoldsNul(value.c_str(), value)) {
    m_error = "The setting '" + std::string(key.c_str()) + "' holds a NUL byte and cannot be stored";
    return false;
  }
  return Write(SectionName(path), key.c_str(), value.c_str());
}

bool SECPTNStrategyProfile::WriteChildList(const PtnPath& path, const std::vector<std::string>& children) {
  const std::string section = SectionName(path);
  bool ok = true;
  for (std::size_t i = 0; i < children.size(); ++i)
    ok &= !HoldsNul(children[i].c_str(), children[i]) &&
          Write(section, (kChildPrefix + std::to_string(i + 1)).c_str(), children[i].c_str());
  return ok;
}

bool SECPTNStrategyProfile::ReadNode(const PtnPath& path, std::vector<std::string>* children,
                                     std::vector<std::string>* keys, std::vector<std::string>* values) {
  children->clear();
  keys->clear();
  values->clear();
  const std::string section = SectionName(path);
  if (section.empty()) return false;
  std::shared_ptr<const IniDocument> loaded;
  const IniDocument* doc = m_doc;
  if (!doc) {
    loaded = m_files->Load(m_file, &m_error);
    if (!loaded) return false;
    doc = loaded.get();
  }
  const std::vector<std::string> names = doc->KeyNames(section);
  if (names.empty()) return false;
  for (const std::string& key : names) {
    // Whole values: nothing is cut at a buffer size.
    std::string value = doc->GetString(section, key);
    if (key.compare(0, kChildPrefixLength, kChildPrefix) == 0) {
      children->push_back(std::move(value));
    } else {
      keys->push_back(key);
      values->push_back(std::move(value));
    }
  }
  return true;
}

// ------------------------------------------------------------------ store

SECPTNStrategyRegistry::SECPTNStrategyRegistry(SettingsStore& store, std::string baseKey, std::uintptr_t hive)
    : m_store(store), m_baseKey(std::move(baseKey)), m_hive(hive) {
  if (m_baseKey.empty() || m_baseKey.back() != '\\') m_baseKey += '\\';
}

std::string SECPTNStrategyRegistry::BuildKeyName(const PtnPath& path) const {
  std::string key = m_baseKey;
  for (auto it = path.rbegin(); it != path.rend(); ++it) key += *it + "\\";
  return key;
}

bool SECPTNStrategyRegistry::ClearNode(const PtnPath& path) {
  SECRegistry reg(m_store);
  if (!reg.Connect(m_hive)) return false;
  const std::string key = BuildKeyName(path);
  // A node saved for the first time has nothing to clear: that is success,
  // not a failure of the save.
  if (!reg.Open(key.c_str())) return reg.LastError() == kRegNotFound;
  reg.Connect(m_hive);
  return reg.DeleteKey(key.c_str(), true);
}

bool SECPTNStrategyRegistry::WriteKeyValue(const PtnPath& path, const std::string& key, const std::string& value) {
  SECRegistry reg(m_store);
  if (!reg.Connect(m_hive)) return false;
  const std::string name = BuildKeyName(path);
  if (HoldsNul(key.c_str(), key) || name.find('\0') != std::string::npos) return false;
  return reg.Create(name.c_str()) && reg.SetStringValue(key.c_str(), value);
}

bool SECPTNStrategyRegistry::WriteChildList(const PtnPath& path, const std::vector<std::string>&) {
  // Children are subkeys; make the node's key exist even without values so
  // an empty node still reads back.
  SECRegistry reg(m_store);
  if (!reg.Connect(m_hive)) return false;
  return reg.Create(BuildKeyName(path).c_str());
}

bool SECPTNStrategyRegistry::ReadNode(const PtnPath& path, std::vector<std::string>* children,
                                      std::vector<std::string>* keys, std::vector<std::string>* values) {
  children->clear();
  keys->clear();
  values->clear();
  SECRegistry reg(m_store);
  if (!reg.Connect(m_hive) || !reg.Open(BuildKeyName(path).c_str())) return false;
  std::string name;
  for (int i = 0; reg.EnumerateKeys(i, &name); ++i) children->push_back(name);
  for (int i = 0; reg.EnumerateValues(i, &name); ++i) {
    std::string text;
    if (reg.GetStringValue(name.c_str(), &text)) {
      keys->push_back(name);
      values->push_back(text);
    }
  }
  return true;
}

}  // namespace pm2
