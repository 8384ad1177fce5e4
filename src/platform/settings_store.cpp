#include "platform/settings_store.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>
#include <unordered_map>

#include "platform/ascii_case.h"
#include "platform/atomic_file.h"
#include "platform/ini_file.h"

namespace pm2 {

namespace {

// Names hashed and compared ignoring ASCII case, looked up by string_view.
struct NoCaseHash {
  using is_transparent = void;
  size_t operator()(std::string_view s) const {
    uint64_t h = 1469598103934665603ull;
    for (char c : s) h = (h ^ static_cast<unsigned char>(AsciiLower(c))) * 1099511628211ull;
    return static_cast<size_t>(h);
  }
};
struct NoCaseEqual {
  using is_transparent = void;
  bool operator()(std::string_view a, std::string_view b) const { return EqualIgnoringCase(a, b); }
};

}  // namespace

struct SettingsStore::Node {
  std::string name;
  std::vector<std::unique_ptr<Node>> children;  // creation order
  std::vector<SettingValue> values;             // creation order
  // By name ignoring case: the child, and the value's index in `values`.
  std::unordered_map<std::string, Node*, NoCaseHash, NoCaseEqual> childIndex;
  std::unordered_map<std::string, size_t, NoCaseHash, NoCaseEqual> valueIndex;

  Node* Child(std::string_view n) const {
    auto it = childIndex.find(n);
    return it == childIndex.end() ? nullptr : it->second;
  }
  SettingValue* Value(std::string_view n) {
    auto it = valueIndex.find(n);
    return it == valueIndex.end() ? nullptr : &values[it->second];
  }
  Node* AddChild(std::string_view n) {
    children.push_back(std::make_unique<Node>());
    Node* child = children.back().get();
    child->name = std::string(n);
    childIndex.emplace(child->name, child);
    return child;
  }
  void AddValue(SettingValue v) {
    valueIndex.emplace(v.name, values.size());
    values.push_back(std::move(v));
  }
  void RemoveValue(size_t i) {
    values.erase(values.begin() + static_cast<std::ptrdiff_t>(i));
    valueIndex.clear();
    for (size_t k = 0; k < values.size(); ++k) valueIndex.emplace(values[k].name, k);
  }
};

namespace {

const char kHeader[] = "; Pelmora2 settings 1";
const char kHex[] = "0123456789abcdef";

// Length of the valid UTF-8 sequence at p, 0 when the byte there starts none.
size_t Utf8Length(const unsigned char* p, size_t n) {
  unsigned char c = p[0];
  if (c < 0x80) return 1;
  size_t len;
  unsigned char lo = 0x80, hi = 0xBF;
  if (c >= 0xC2 && c <= 0xDF) len = 2;
  else if (c == 0xE0) len = 3, lo = 0xA0;
  else if (c == 0xED) len = 3, hi = 0x9F;
  else if (c >= 0xE1 && c <= 0xEF) len = 3;
  else if (c == 0xF0) len = 4, lo = 0x90;
  else if (c == 0xF4) len = 4, hi = 0x8F;
  else if (c >= 0xF1 && c <= 0xF3) len = 4;
  else return 0;
  if (n < len) return 0;
  if (p[1] < lo || p[1] > hi) return 0;
  for (size_t i = 2; i < len; ++i)
    if (p[i] < 0x80 || p[i] > 0xBF) return 0;
  return len;
}

// %HH for control bytes, DEL, '%', the `extra` characters and bytes outside
// valid UTF-8 sequences; everything else as it is.
std::string Escape(std::string_view s, std::string_view extra) {
  std::string out;
  const auto* p = reinterpret_cast<const unsigned char*>(s.data());
  size_t i = 0;
  while (i < s.size()) {
    unsigned char c = p[i];
    size_t len = Utf8Length(p + i, s.size() - i);
    bool plain = len > 1 || (len == 1 && c >= 0x20 && c != 0x7F && c != '%' &&
                             extra.find(static_cast<char>(c)) == std::string_view::npos);
    if (plain) {
      out.append(s.data() + i, len);
      i += len;
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 15];
      ++i;
    }
  }
  return out;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool Unescape(std::string_view s, std::string* out) {
  out->clear();
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] != '%') {
      *out += s[i];
      continue;
    }
    if (i + 2 >= s.size()) return false;
    int hi = HexDigit(s[i + 1]), lo = HexDigit(s[i + 2]);
    if (hi < 0 || lo < 0) return false;
    *out += static_cast<char>(hi * 16 + lo);
    i += 2;
  }
  return true;
}

std::string ToHex(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size() * 2);
  for (unsigned char c : bytes) {
    out += kHex[c >> 4];
    out += kHex[c & 15];
  }
  return out;
}

bool FromHex(std::string_view hex, std::string* out) {
  out->clear();
  if (hex.size() % 2) return false;
  for (size_t i = 0; i < hex.size(); i += 2) {
    int hi = HexDigit(hex[i]), lo = HexDigit(hex[i + 1]);
    if (hi < 0 || lo < 0) return false;
    *out += static_cast<char>(hi * 16 + lo);
  }
  return true;
}

std::string IntBytes(uint32_t n) {
  std::string b(4, '\0');
  for (int i = 0; i < 4; ++i) b[static_cast<size_t>(i)] = static_cast<char>((n >> (8 * i)) & 0xFF);
  return b;
}

uint32_t BytesInt(std::string_view b) {
  uint32_t n = 0;
  for (int i = 3; i >= 0; --i) n = (n << 8) | static_cast<unsigned char>(b[static_cast<size_t>(i)]);
  return n;
}

bool ParseDecimal(std::string_view s, uint32_t* out) {
  if (s.empty() || s.size() > 10) return false;
  uint64_t n = 0;
  for (char c : s) {
    if (c < '0' || c > '9') return false;
    n = n * 10 + static_cast<uint64_t>(c - '0');
  }
  if (n > 0xFFFFFFFFu) return false;
  *out = static_cast<uint32_t>(n);
  return true;
}

// Splits "a\b\c" (one leading and one trailing '\' ignored); false when a
// component is empty.
bool SplitKey(std::string_view key, std::vector<std::string_view>* parts) {
  parts->clear();
  if (!key.empty() && key.front() == '\\') key.remove_prefix(1);
  if (!key.empty() && key.back() == '\\') key.remove_suffix(1);
  if (key.empty()) return true;
  size_t start = 0;
  for (;;) {
    size_t sep = key.find('\\', start);
    std::string_view part = key.substr(start, sep == std::string_view::npos ? sep : sep - start);
    if (part.empty()) return false;
    parts->push_back(part);
    if (sep == std::string_view::npos) return true;
    start = sep + 1;
  }
}

}  // namespace

SettingsStore::SettingsStore(std::string filePath, Disk* disk)
    : m_path(std::move(filePath)), m_disk(disk ? disk : &RealDisk()),
      m_root(std::make_unique<Node>()) {}

SettingsStore::~SettingsStore() = default;

std::string SettingsStore::DefaultPath() {
  std::string base;
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  if (xdg && *xdg) {
    base = xdg;
  } else {
    const char* home = std::getenv("HOME");
    base = std::string(home && *home ? home : ".") + "/.config";
  }
  return base + "/Vond/Pelmora2/settings.ini";
}

namespace {

// The names of a key path one by one, without splitting it into a list
// first: the frame reads and writes a few hundred values at start-up and
// exit, each through its key path.
class KeyParts {
 public:
  // A path with an empty component (after one leading and one trailing
  // '\' are dropped) is not valid and gives no parts.
  explicit KeyParts(std::string_view key) {
    if (!key.empty() && key.front() == '\\') key.remove_prefix(1);
    if (!key.empty() && key.back() == '\\') key.remove_suffix(1);
    m_valid = key.empty() ||
              (key.front() != '\\' && key.back() != '\\' && key.find("\\\\") == std::string_view::npos);
    // Bounded depth and name length.
    size_t depth = 0, length = 0;
    for (size_t i = 0; m_valid && i <= key.size(); ++i) {
      if (i == key.size() || key[i] == '\\') {
        m_valid = ++depth <= SettingsStore::kMaxKeyDepth && length <= SettingsStore::kMaxNameLength;
        length = 0;
      } else {
        ++length;
      }
    }
    if (key.empty()) m_valid = true;
    m_rest = m_valid ? key : std::string_view();
  }
  bool Valid() const { return m_valid; }
  // The next name; false after the last.
  bool Next(std::string_view* part) {
    if (m_rest.empty()) return false;
    const size_t sep = m_rest.find('\\');
    *part = m_rest.substr(0, sep);
    m_rest = sep == std::string_view::npos ? std::string_view() : m_rest.substr(sep + 1);
    return true;
  }

 private:
  std::string_view m_rest;
  bool m_valid = true;
};

}  // namespace

SettingsStore::Node* SettingsStore::FindKey(std::string_view key) const {
  KeyParts parts(key);
  if (!parts.Valid()) return nullptr;
  Node* node = m_root.get();
  std::string_view part;
  while (node && parts.Next(&part)) node = node->Child(part);
  return node;
}

SettingsStore::Node* SettingsStore::MakeKey(std::string_view key) {
  KeyParts parts(key);
  if (!parts.Valid()) return nullptr;
  Node* node = m_root.get();
  std::string_view part;
  while (parts.Next(&part)) {
    Node* next = node->Child(part);
    if (!next) {
      next = node->AddChild(part);
      ++m_version;
    }
    node = next;
  }
  return node;
}

bool SettingsStore::IsDirty() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_version != m_savedVersion;
}

bool SettingsStore::KeyExists(std::string_view key) const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return FindKey(key) != nullptr;
}

bool SettingsStore::CreateKey(std::string_view key) {
  std::lock_guard<std::mutex> lock(m_mutex);
  const uint64_t before = m_version;
  if (!MakeKey(key)) return false;
  if (m_version != before) m_changes.push_back(Change {Change::kCreateKey, std::string(key), {}});
  return true;
}

bool SettingsStore::DeleteKey(std::string_view key) {
  std::lock_guard<std::mutex> lock(m_mutex);
  std::vector<std::string_view> parts;
  if (!SplitKey(key, &parts) || parts.empty()) return false;
  std::string parentPath;
  for (size_t i = 0; i + 1 < parts.size(); ++i) {
    parentPath += parts[i];
    parentPath += '\\';
  }
  Node* parent = FindKey(parentPath);
  if (!parent) return false;
  Node* child = parent->Child(parts.back());
  if (!child) return false;
  parent->childIndex.erase(child->name);
  auto& kids = parent->children;
  for (auto it = kids.begin(); it != kids.end(); ++it)
    if (it->get() == child) {
      kids.erase(it);
      break;
    }
  ++m_version;
  m_changes.push_back(Change {Change::kDeleteKey, std::string(key), {}});
  return true;
}

std::vector<std::string> SettingsStore::SubKeys(std::string_view key) const {
  std::lock_guard<std::mutex> lock(m_mutex);
  std::vector<std::string> names;
  if (Node* node = FindKey(key))
    for (auto& child : node->children) names.push_back(child->name);
  return names;
}

std::vector<std::string> SettingsStore::ValueNames(std::string_view key) const {
  std::lock_guard<std::mutex> lock(m_mutex);
  std::vector<std::string> names;
  if (Node* node = FindKey(key))
    for (const SettingValue& v : node->values) names.push_back(v.name);
  return names;
}

bool SettingsStore::ReadValue(std::string_view key, std::string_view name, SettingValue* out) const {
  std::lock_guard<std::mutex> lock(m_mutex);
  Node* node = FindKey(key);
  if (!node) return false;
  SettingValue* v = node->Value(name);
  if (!v) return false;
  *out = *v;
  return true;
}

bool SettingsStore::WriteValue(std::string_view key, std::string_view name, uint32_t type,
                               std::string_view data) {
  std::lock_guard<std::mutex> lock(m_mutex);
  Node* node = MakeKey(key);
  if (!node) return false;
  if (name.size() > kMaxNameLength) return false;
  SettingValue* v = node->Value(name);
  if (!v) {
    node->AddValue(SettingValue{std::string(name), type, std::string(data)});
  } else {
    // The same type and bytes again (the frame rewrites its layout, the
    // recent lists their entries) changes nothing that a save would write.
    if (v->type == type && v->data == data) return true;
    v->type = type;
    v->data = std::string(data);
  }
  ++m_version;
  m_changes.push_back(Change {Change::kWriteValue, std::string(key), SettingValue {std::string(name), type, std::string(data)}});
  return true;
}

bool SettingsStore::DeleteValue(std::string_view key, std::string_view name) {
  std::lock_guard<std::mutex> lock(m_mutex);
  Node* node = FindKey(key);
  if (!node) return false;
  auto it = node->valueIndex.find(name);
  if (it == node->valueIndex.end()) return false;
  node->RemoveValue(it->second);
  ++m_version;
  m_changes.push_back(Change {Change::kDeleteValue, std::string(key), SettingValue {std::string(name), 0, {}}});
  return true;
}

bool SettingsStore::GetString(std::string_view key, std::string_view name, std::string* out) const {
  SettingValue v;
  if (!ReadValue(key, name, &v) || v.type != kSettingString) return false;
  *out = std::move(v.data);
  return true;
}

bool SettingsStore::GetInt(std::string_view key, std::string_view name, uint32_t* out) const {
  SettingValue v;
  if (!ReadValue(key, name, &v)) return false;
  if (v.type == kSettingInt && v.data.size() == 4) {
    *out = BytesInt(v.data);
    return true;
  }
  if (v.type == kSettingString) {
    *out = static_cast<uint32_t>(ParseProfileInt(v.data));
    return true;
  }
  return false;
}

bool SettingsStore::GetBinary(std::string_view key, std::string_view name, std::string* out) const {
  SettingValue v;
  if (!ReadValue(key, name, &v) || v.type != kSettingBinary) return false;
  *out = std::move(v.data);
  return true;
}

bool SettingsStore::SetString(std::string_view key, std::string_view name, std::string_view text) {
  return WriteValue(key, name, kSettingString, text);
}

bool SettingsStore::SetInt(std::string_view key, std::string_view name, uint32_t number) {
  return WriteValue(key, name, kSettingInt, IntBytes(number));
}

bool SettingsStore::SetBinary(std::string_view key, std::string_view name, std::string_view bytes) {
  return WriteValue(key, name, kSettingBinary, bytes);
}

std::string SettingsStore::ProfileKey(std::string_view section) const {
  std::lock_guard<std::mutex> lock(m_mutex);
  if (m_profileRoot.empty()) return std::string(section);
  return m_profileRoot + "\\" + std::string(section);
}

std::string SettingsStore::GetProfileString(std::string_view section, std::string_view entry,
                                            std::string_view def) const {
  std::string out;
  if (GetString(ProfileKey(section), entry, &out)) return out;
  return std::string(def);
}

int SettingsStore::GetProfileInt(std::string_view section, std::string_view entry, int def) const {
  uint32_t n;
  if (GetInt(ProfileKey(section), entry, &n)) return static_cast<int>(n);
  return def;
}

bool SettingsStore::GetProfileBinary(std::string_view section, std::string_view entry,
                                     std::string* out) const {
  return GetBinary(ProfileKey(section), entry, out);
}

bool SettingsStore::WriteProfileString(const char* section, const char* entry, const char* value) {
  if (!section || !*section) return false;
  std::string key = ProfileKey(section);
  if (!entry) {
    DeleteKey(key);
    return true;
  }
  if (!value) {
    DeleteValue(key, entry);
    return true;
  }
  return SetString(key, entry, value);
}

bool SettingsStore::WriteProfileInt(std::string_view section, std::string_view entry, int value) {
  return SetInt(ProfileKey(section), entry, static_cast<uint32_t>(value));
}

bool SettingsStore::WriteProfileBinary(std::string_view section, std::string_view entry,
                                       std::string_view bytes) {
  return SetBinary(ProfileKey(section), entry, bytes);
}

// ---- stored form ----

std::string SettingsStore::SerializeLocked() const {
  std::string out = std::string(kHeader) + "\n";
  struct Item {
    const Node* node;
    std::string path;
  };
  std::vector<Item> stack{{m_root.get(), ""}};
  while (!stack.empty()) {
    Item item = std::move(stack.back());
    stack.pop_back();
    // The root has no header unless it holds values.
    if (item.node != m_root.get() || !item.node->values.empty()) {
      out += "\n[" + item.path + "]\n";
      for (const SettingValue& v : item.node->values) {
        out += Escape(v.name, "=[;");
        out += '=';
        if (v.type == kSettingString)
          out += "s:" + Escape(v.data, "");
        else if (v.type == kSettingInt && v.data.size() == 4)
          out += "d:" + std::to_string(BytesInt(v.data));
        else if (v.type == kSettingBinary)
          out += "b:" + ToHex(v.data);
        else
          out += "t" + std::to_string(v.type) + ":" + ToHex(v.data);
        out += '\n';
      }
    }
    // Children in creation order: push them reversed.
    for (size_t i = item.node->children.size(); i > 0; --i) {
      const Node* child = item.node->children[i - 1].get();
      std::string name = Escape(child->name, "]");
      stack.push_back({child, item.path.empty() ? name : item.path + "\\" + name});
    }
  }
  return out;
}

std::string SettingsStore::Serialize() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return SerializeLocked();
}

void SettingsStore::ParseLocked(std::string_view bytes, std::string_view fileName) {
  m_root = std::make_unique<Node>();
  m_warnings.clear();
  m_changes.clear();
  auto warn = [&](size_t lineNo, const std::string& what) {
    m_warnings.push_back("'" + std::string(fileName) + "' line " + std::to_string(lineNo) + ": " +
                         what);
  };
  Node* current = nullptr;
  std::string currentPath;  // the key the values belong to, for the warnings
  size_t lineNo = 0;
  size_t start = 0;
  while (start < bytes.size()) {
    size_t nl = bytes.find('\n', start);
    if (nl == std::string_view::npos) nl = bytes.size();
    std::string_view line = bytes.substr(start, nl - start);
    start = nl + 1;
    ++lineNo;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty() || line[0] == ';' || line[0] == '#') continue;
    if (line[0] == '[') {
      current = nullptr;
      std::string path;
      if (line.back() != ']' || line.size() < 2) {
        warn(lineNo, "key line without ']' skipped");
      } else if (!Unescape(line.substr(1, line.size() - 2), &path)) {
        warn(lineNo, "bad escape in key name");
      } else if ((current = MakeKey(path))) {
        currentPath = path;
      } else {
        std::vector<std::string_view> parts;
        if (SplitKey(path, &parts))
          warn(lineNo, "key path '" + path.substr(0, 80) + "...' too deep or with a name too long");
        else
          warn(lineNo, "empty name in key path '" + path + "'");
      }
      continue;
    }
    if (!current) {
      warn(lineNo, "value outside a valid key skipped");
      continue;
    }
    size_t eq = line.find('=');
    std::string name;
    if (eq == std::string_view::npos) {
      warn(lineNo, "line without '=' skipped");
      continue;
    }
    if (!Unescape(line.substr(0, eq), &name)) {
      warn(lineNo, "bad escape in value name");
      continue;
    }
    if (name.size() > kMaxNameLength) {
      warn(lineNo, "value name '" + name.substr(0, 80) + "...' too long");
      continue;
    }
    std::string_view payload = line.substr(eq + 1);
    size_t colon = payload.find(':');
    std::string_view tag = payload.substr(0, colon == std::string_view::npos ? 0 : colon);
    std::string_view body = colon == std::string_view::npos ? "" : payload.substr(colon + 1);
    SettingValue v;
    v.name = name;
    bool ok = colon != std::string_view::npos;
    if (!ok) {
    } else if (tag == "s") {
      v.type = kSettingString;
      ok = Unescape(body, &v.data);
    } else if (tag == "d") {
      uint32_t n = 0;
      v.type = kSettingInt;
      ok = ParseDecimal(body, &n);
      v.data = IntBytes(n);
    } else if (tag == "b") {
      v.type = kSettingBinary;
      ok = FromHex(body, &v.data);
    } else if (tag.size() > 1 && tag[0] == 't') {
      ok = ParseDecimal(tag.substr(1), &v.type) && FromHex(body, &v.data);
    } else {
      ok = false;
    }
    if (!ok) {
      warn(lineNo, "value '" + name + "' of '" + currentPath + "' cannot be read");
      continue;
    }
    if (SettingValue* old = current->Value(v.name))
      *old = std::move(v);
    else
      current->AddValue(std::move(v));
  }
  m_savedVersion = m_version;
}

void SettingsStore::Parse(std::string_view bytes, std::string_view fileName) {
  std::lock_guard<std::mutex> lock(m_mutex);
  ParseLocked(bytes, fileName);
}

bool SettingsStore::Load(std::string* err) {
  std::string bytes;
  // The disk reads regular files only: a folder, a pipe or a device in the
  // file's place is refused, not waited on or read without end.
  int e = m_disk->ReadAll(m_path, &bytes);
  std::lock_guard<std::mutex> lock(m_mutex);
  m_loadError.clear();
  m_backupPath.clear();
  m_writable = true;
  m_changes.clear();
  if (e == ENOENT) {
    m_root = std::make_unique<Node>();
    m_warnings.clear();
    m_savedVersion = m_version;
    return true;
  }
  if (e != 0) {
    m_root = std::make_unique<Node>();
    m_warnings.clear();
    m_savedVersion = m_version;
    m_loadError = e == EINVAL ? "'" + m_path + "' is no regular file" : FileErrorText("read", m_path, e);
    // What is there is not ours to replace.
    m_writable = false;
    if (err) *err = m_loadError;
    return false;
  }
  ParseLocked(bytes, m_path);
  if (!m_warnings.empty()) {
    // The next save writes the file again without the damaged lines, even
    // when nothing else changes; the damaged one is kept before that.
    ++m_version;
    const std::string backup = BackupNameOf(m_path);
    std::string why;
    if (AtomicFileWriter(m_disk).Write(backup, bytes, &why)) m_backupPath = backup;
    else m_warnings.push_back(why);
  }
  return true;
}

std::string SettingsStore::DamageReport() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  if (!m_loadError.empty())
    return "The settings could not be read: " + m_loadError +
           ".\nEvery setting has its default now, and the settings of this session will not be saved.";
  if (m_warnings.empty()) return std::string();
  std::string text = "The settings file '" + m_path +
                     "' is damaged. What these lines held has its default now:\n";
  constexpr size_t kShown = 10;
  for (size_t i = 0; i < m_warnings.size() && i < kShown; ++i) text += "\n" + m_warnings[i];
  if (m_warnings.size() > kShown)
    text += "\n... and " + std::to_string(m_warnings.size() - kShown) + " more lines";
  if (!m_backupPath.empty()) text += "\n\nThe damaged file is kept as '" + m_backupPath + "'.";
  return text;
}

void SettingsStore::Replay(const Change& change) {
  switch (change.kind) {
    case Change::kCreateKey:
      MakeKey(change.key);
      break;
    case Change::kDeleteKey: {
      std::vector<std::string_view> parts;
      if (!SplitKey(change.key, &parts) || parts.empty()) break;
      std::string parentPath;
      for (size_t i = 0; i + 1 < parts.size(); ++i) {
        parentPath += parts[i];
        parentPath += '\\';
      }
      Node* parent = FindKey(parentPath);
      Node* child = parent ? parent->Child(parts.back()) : nullptr;
      if (!child) break;
      parent->childIndex.erase(child->name);
      for (auto it = parent->children.begin(); it != parent->children.end(); ++it)
        if (it->get() == child) {
          parent->children.erase(it);
          break;
        }
      break;
    }
    case Change::kWriteValue:
      if (Node* node = MakeKey(change.key)) {
        if (SettingValue* v = node->Value(change.value.name)) {
          v->type = change.value.type;
          v->data = change.value.data;
        } else {
          node->AddValue(change.value);
        }
      }
      break;
    case Change::kDeleteValue:
      if (Node* node = FindKey(change.key)) {
        auto it = node->valueIndex.find(change.value.name);
        if (it != node->valueIndex.end()) node->RemoveValue(it->second);
      }
      break;
  }
}

namespace {

// How long a save waits for another program's save of the same folder (a
// save takes milliseconds; one held longer is a program that stopped).
constexpr int kFolderLockBoundMs = 5000;
constexpr int kFolderLockEveryMs = 10;

// Holds the settings folder locked (flock) while a save reads, merges and
// writes: two programs saving at once would each merge into what the other
// is about to replace. A lock another program keeps past the bound is not
// waited for further: Refused() says so, and nothing is written.
class FolderLock {
 public:
  explicit FolderLock(const std::string& folder) : m_folder(folder) {
    m_fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (m_fd < 0) return;
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(kFolderLockBoundMs);
    while (::flock(m_fd, LOCK_EX | LOCK_NB) != 0) {
      if (errno != EWOULDBLOCK && errno != EINTR) return;  // a folder that takes no locks
      if (std::chrono::steady_clock::now() >= until) {
        m_refused = true;
        return;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(kFolderLockEveryMs));
    }
  }
  // The refusal's words, or "" when the lock is held.
  std::string Refused() const {
    if (!m_refused) return {};
    return "the settings folder '" + m_folder + "' stayed locked by another program for " +
           std::to_string(kFolderLockBoundMs / 1000) + " s: the settings were not saved";
  }
  ~FolderLock() {
    if (m_fd >= 0) ::close(m_fd);  // the lock goes with the descriptor
  }
  FolderLock(const FolderLock&) = delete;
  FolderLock& operator=(const FolderLock&) = delete;

 private:
  std::string m_folder;
  int m_fd = -1;
  bool m_refused = false;
};

}  // namespace

bool SettingsStore::Save(std::string* err) {
  if (!m_writable) return true;
  const std::string folder = std::filesystem::path(m_path).parent_path().string();
  std::unique_ptr<FolderLock> folderLock;
  if (m_disk == &RealDisk()) {
    // First use on this machine: the folder may not exist yet.
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    folderLock = std::make_unique<FolderLock>(folder);
    if (const std::string why = folderLock->Refused(); !why.empty()) {
      if (err) *err = why;
      return false;
    }
  }
  // What another program of this user stored since this one read the file.
  SettingsStore merged(m_path, m_disk);
  if (!ReadDiskInto(merged, err)) return false;
  uint64_t version;
  size_t replayed;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    for (const Change& change : m_changes) merged.Replay(change);
    version = m_version;
    replayed = m_changes.size();
  }
  const std::string bytes = merged.SerializeLocked();
  AtomicFileWriter writer(m_disk);
  if (!writer.Write(m_path, bytes, err)) return false;
  std::lock_guard<std::mutex> lock(m_mutex);
  // Changes made meanwhile stay unsaved, on top of what was written.
  m_changes.erase(m_changes.begin(), m_changes.begin() + static_cast<std::ptrdiff_t>(replayed));
  for (const Change& change : m_changes) merged.Replay(change);
  m_root = std::move(merged.m_root);
  m_savedVersion = version;
  return true;
}

bool SettingsStore::ReadDiskInto(SettingsStore& merged, std::string* err) const {
  std::string onDisk;
  const int e = m_disk->ReadAll(m_path, &onDisk);
  // A pipe or a device put in the file's place holds no settings of
  // another program's (and is never waited on or read): the save writes
  // over it, as it always did. A folder there, or a file that can't be
  // read, fails the save.
  if (e != 0 && e != ENOENT && e != EINVAL) {
    if (err) *err = FileErrorText("read", m_path, e);
    return false;
  }
  merged.ParseLocked(onDisk, m_path);
  return true;
}

bool SettingsStore::Refresh(std::string* err) {
  if (!m_writable) return true;
  std::unique_ptr<FolderLock> folderLock;
  if (m_disk == &RealDisk()) {
    folderLock = std::make_unique<FolderLock>(std::filesystem::path(m_path).parent_path().string());
    if (const std::string why = folderLock->Refused(); !why.empty()) {
      if (err) *err = why;
      return false;
    }
  }
  SettingsStore merged(m_path, m_disk);
  if (!ReadDiskInto(merged, err)) return false;
  std::lock_guard<std::mutex> lock(m_mutex);
  for (const Change& change : m_changes) merged.Replay(change);
  m_root = std::move(merged.m_root);
  return true;
}

bool SettingsStore::SaveIfDirty(std::string* err) {
  if (!IsDirty()) return true;
  return Save(err);
}

}  // namespace pm2
