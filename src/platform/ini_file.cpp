#include "platform/ini_file.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#include "platform/ascii_case.h"
#include "platform/atomic_file.h"

namespace pm2 {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

std::string_view Unquote(std::string_view v) {
  if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
    return v.substr(1, v.size() - 2);
  return v;
}

bool HasLineBreak(std::string_view s) { return s.find_first_of("\r\n") != std::string_view::npos; }

// Copies a NUL-separated list into buf the way the profile calls do.
size_t CopyList(const std::vector<std::string>& names, char* buf, size_t size) {
  std::string all;
  for (const std::string& n : names) {
    all += n;
    all += '\0';
  }
  if (all.size() + 1 <= size) {
    std::memcpy(buf, all.data(), all.size());
    buf[all.size()] = '\0';
    return all.size();
  }
  if (size < 2) {
    buf[0] = '\0';
    return 0;
  }
  std::memcpy(buf, all.data(), size - 2);
  buf[size - 2] = '\0';
  buf[size - 1] = '\0';
  return size - 2;
}

size_t CopyText(std::string_view text, char* buf, size_t size) {
  size_t n = std::min(text.size(), size - 1);
  std::memcpy(buf, text.data(), n);
  buf[n] = '\0';
  return n;
}

}  // namespace

int ParseProfileInt(std::string_view text) {
  text = Trim(text);
  bool negative = false;
  if (!text.empty() && (text[0] == '-' || text[0] == '+')) {
    negative = text[0] == '-';
    text.remove_prefix(1);
  }
  uint32_t value = 0;
  if (text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    for (char c : text.substr(2)) {
      int d;
      if (c >= '0' && c <= '9') d = c - '0';
      else if (c >= 'a' && c <= 'f') d = c - 'a' + 10;
      else if (c >= 'A' && c <= 'F') d = c - 'A' + 10;
      else break;
      value = value * 16u + static_cast<uint32_t>(d);
    }
  } else {
    for (char c : text) {
      if (c < '0' || c > '9') break;
      value = value * 10u + static_cast<uint32_t>(c - '0');
    }
  }
  if (negative) value = 0u - value;
  return static_cast<int>(value);
}

IniDocument::Line IniDocument::MakeLine(std::string text, std::string eol) {
  Line line;
  line.text = std::move(text);
  line.eol = std::move(eol);
  std::string_view t = Trim(line.text);
  if (t.empty()) {
    line.kind = LineKind::kBlank;
  } else if (t[0] == ';') {
    line.kind = LineKind::kComment;
  } else if (t[0] == '[') {
    line.kind = LineKind::kSection;
    std::string_view name = t.substr(1);
    size_t close = name.find(']');
    if (close != std::string_view::npos) name = name.substr(0, close);
    line.name = std::string(Trim(name));
  } else {
    size_t eq = t.find('=');
    std::string_view key = eq == std::string_view::npos ? t : Trim(t.substr(0, eq));
    if (key.empty()) return line;  // "=x": nothing to look up
    line.kind = LineKind::kEntry;
    line.name = std::string(key);
    if (eq != std::string_view::npos) {
      line.value = std::string(Trim(t.substr(eq + 1)));
      line.hasValue = true;
    }
  }
  return line;
}

IniDocument IniDocument::Parse(std::string_view bytes) {
  IniDocument doc;
  size_t start = 0;
  while (start < bytes.size()) {
    size_t nl = bytes.find('\n', start);
    if (nl == std::string_view::npos) {
      // A lone CR closing the file ends its last line: kept apart from the
      // text so that a line appended later cannot turn it into a CRLF and
      // change what the line says.
      std::string_view last = bytes.substr(start);
      bool cr = last.back() == '\r';
      if (cr) last.remove_suffix(1);
      doc.m_lines.push_back(MakeLine(std::string(last), cr ? "\r" : ""));
      break;
    }
    size_t end = nl;
    std::string eol = "\n";
    if (end > start && bytes[end - 1] == '\r') {
      --end;
      eol = "\r\n";
    }
    doc.m_lines.push_back(MakeLine(std::string(bytes.substr(start, end - start)), eol));
    start = nl + 1;
  }
  doc.m_crlf = doc.m_lines.empty() || doc.m_lines[0].eol != "\n";
  return doc;
}

std::string IniDocument::Serialize() const {
  std::string out;
  for (const Line& l : m_lines) {
    out += l.text;
    out += l.eol;
  }
  return out;
}

bool IniDocument::FindSection(std::string_view section, Range* out) const {
  std::string_view want = Trim(section);
  for (size_t i = 0; i < m_lines.size(); ++i) {
    if (m_lines[i].kind != LineKind::kSection || !EqualIgnoringCase(m_lines[i].name, want))
      continue;
    size_t end = i + 1;
    while (end < m_lines.size() && m_lines[end].kind != LineKind::kSection) ++end;
    *out = Range{i, end};
    return true;
  }
  return false;
}

size_t IniDocument::FindEntry(const Range& r, std::string_view key) const {
  std::string_view want = Trim(key);
  for (size_t i = r.header + 1; i < r.end; ++i)
    if (m_lines[i].kind == LineKind::kEntry && EqualIgnoringCase(m_lines[i].name, want)) return i;
  return std::string::npos;
}

bool IniDocument::HasKey(std::string_view section, std::string_view key) const {
  Range r;
  return FindSection(section, &r) && FindEntry(r, key) != std::string::npos;
}

bool IniDocument::Find(std::string_view section, std::string_view key, std::string* out) const {
  Range r;
  if (!FindSection(section, &r)) return false;
  size_t i = FindEntry(r, key);
  if (i == std::string::npos) return false;
  *out = std::string(Unquote(m_lines[i].value));
  return true;
}

std::string IniDocument::GetString(std::string_view section, std::string_view key,
                                   std::string_view def) const {
  std::string value;
  if (Find(section, key, &value)) return value;
  return std::string(def);
}

size_t IniDocument::GetString(const char* section, const char* key, const char* def, char* buf,
                              size_t size) const {
  if (!buf || size == 0) return 0;
  if (!section) return CopyList(SectionNames(), buf, size);
  if (!key) return CopyList(KeyNames(section), buf, size);
  std::string value;
  if (Find(section, key, &value)) return CopyText(value, buf, size);
  std::string_view d = def ? std::string_view(def) : std::string_view();
  while (!d.empty() && IsBlank(d.back())) d.remove_suffix(1);
  return CopyText(d, buf, size);
}

int IniDocument::GetInt(std::string_view section, std::string_view key, int def) const {
  std::string value;
  if (!Find(section, key, &value)) return def;
  return ParseProfileInt(value);
}

std::vector<std::string> IniDocument::SectionNames() const {
  std::vector<std::string> names;
  for (const Line& l : m_lines)
    if (l.kind == LineKind::kSection) names.push_back(l.name);
  return names;
}

std::vector<std::string> IniDocument::KeyNames(std::string_view section) const {
  std::vector<std::string> names;
  Range r;
  if (!FindSection(section, &r)) return names;
  for (size_t i = r.header + 1; i < r.end; ++i)
    if (m_lines[i].kind == LineKind::kEntry) names.push_back(m_lines[i].name);
  return names;
}

std::vector<std::string> IniDocument::SectionLines(std::string_view section) const {
  std::vector<std::string> lines;
  Range r;
  if (!FindSection(section, &r)) return lines;
  for (size_t i = r.header + 1; i < r.end; ++i) {
    const Line& l = m_lines[i];
    if (l.kind == LineKind::kEntry)
      lines.push_back(l.hasValue ? l.name + "=" + l.value : l.name);
    else if (l.kind == LineKind::kOther)
      lines.push_back(std::string(Trim(l.text)));
  }
  return lines;
}

void IniDocument::InsertLines(size_t at, std::vector<Line> lines) {
  if (lines.empty()) return;
  // The line before may have been the last one, without a line end.
  if (at > 0 && m_lines[at - 1].eol.empty()) m_lines[at - 1].eol = NewEol();
  if (at > 0 && m_lines[at - 1].eol == "\r") m_lines[at - 1].eol = "\r\n";
  m_lines.insert(m_lines.begin() + static_cast<std::ptrdiff_t>(at),
                 std::make_move_iterator(lines.begin()), std::make_move_iterator(lines.end()));
}

size_t IniDocument::AppendSection(std::string_view section) {
  std::vector<Line> add;
  if (!m_lines.empty() && m_lines.back().kind != LineKind::kBlank) add.push_back(MakeLine("", NewEol()));
  add.push_back(MakeLine("[" + std::string(Trim(section)) + "]", NewEol()));
  size_t at = m_lines.size();
  InsertLines(at, std::move(add));
  return m_lines.size() - 1;
}

bool IniDocument::DeleteKey(std::string_view section, std::string_view key) {
  Range r;
  if (!FindSection(section, &r)) return true;
  size_t i = FindEntry(r, key);
  if (i != std::string::npos) m_lines.erase(m_lines.begin() + static_cast<std::ptrdiff_t>(i));
  return true;
}

bool IniDocument::DeleteSection(std::string_view section) {
  Range r;
  if (!FindSection(section, &r)) return true;
  m_lines.erase(m_lines.begin() + static_cast<std::ptrdiff_t>(r.header),
                m_lines.begin() + static_cast<std::ptrdiff_t>(r.end));
  return true;
}

namespace {

bool CheckSectionName(std::string_view section, std::string* err) {
  std::string_view s = Trim(section);
  if (s.empty()) {
    if (err) *err = "An INI section needs a name";
    return false;
  }
  if (HasLineBreak(s) || s.find(']') != std::string_view::npos) {
    if (err) *err = "INI section name '" + std::string(s) + "' holds ']' or a line break";
    return false;
  }
  return true;
}

bool CheckKeyName(std::string_view section, std::string_view key, std::string* err) {
  std::string_view k = Trim(key);
  if (k.empty() || HasLineBreak(k) || k.find('=') != std::string_view::npos || k[0] == '[' ||
      k[0] == ';') {
    if (err)
      *err = "INI key '" + std::string(key) + "' in section '" + std::string(section) +
             "' cannot be stored";
    return false;
  }
  return true;
}

}  // namespace

bool IniDocument::Write(const char* section, const char* key, const char* value, std::string* err) {
  if (!section) {
    if (err) *err = "An INI section needs a name";
    return false;
  }
  if (!key) {
    DeleteSection(section);
    return true;
  }
  if (!value) {
    DeleteKey(section, key);
    return true;
  }
  if (!CheckSectionName(section, err) || !CheckKeyName(section, key, err)) return false;
  if (HasLineBreak(value)) {
    if (err)
      *err = "Value of INI key '" + std::string(key) + "' in section '" + std::string(section) +
             "' holds a line break";
    return false;
  }
  Range r;
  if (!FindSection(section, &r)) {
    size_t header = AppendSection(section);
    r = Range{header, header + 1};
  }
  size_t i = FindEntry(r, key);
  if (i != std::string::npos) {
    Line& l = m_lines[i];
    m_lines[i] = MakeLine(l.name + "=" + value, l.eol);
    return true;
  }
  size_t at = r.header + 1;
  for (size_t j = r.header + 1; j < r.end; ++j)
    if (m_lines[j].kind == LineKind::kEntry || m_lines[j].kind == LineKind::kOther) at = j + 1;
  std::vector<Line> add;
  add.push_back(MakeLine(std::string(Trim(key)) + "=" + value, NewEol()));
  InsertLines(at, std::move(add));
  return true;
}

bool IniDocument::WriteSection(std::string_view section, const std::vector<std::string>& lines,
                               std::string* err) {
  if (!CheckSectionName(section, err)) return false;
  for (const std::string& l : lines) {
    if (HasLineBreak(l) || Trim(l).empty() || Trim(l)[0] == '[') {
      if (err) *err = "Line '" + l + "' for INI section '" + std::string(section) + "' cannot be stored";
      return false;
    }
  }
  Range r;
  if (!FindSection(section, &r)) {
    size_t header = AppendSection(section);
    r = Range{header, header + 1};
  }
  // Replace everything up to the section's last non-blank line; the blank
  // lines that separate it from the next section stay.
  size_t last = r.header + 1;
  for (size_t j = r.header + 1; j < r.end; ++j)
    if (m_lines[j].kind != LineKind::kBlank) last = j + 1;
  m_lines.erase(m_lines.begin() + static_cast<std::ptrdiff_t>(r.header + 1),
                m_lines.begin() + static_cast<std::ptrdiff_t>(last));
  std::vector<Line> add;
  for (const std::string& l : lines) add.push_back(MakeLine(l, NewEol()));
  InsertLines(r.header + 1, std::move(add));
  return true;
}

// ---- files ----

struct IniFiles::Entry {
  int64_t mtimeNs = 0;
  int64_t size = 0;
  uint64_t inode = 0;
  std::shared_ptr<const IniDocument> doc;
};

IniFiles::IniFiles(Disk* disk) : m_disk(disk ? disk : &RealDisk()) {}
IniFiles::~IniFiles() = default;

std::shared_ptr<const IniDocument> IniFiles::Load(const std::string& path, std::string* err) {
  struct stat st;
  bool known = ::stat(path.c_str(), &st) == 0;
  Entry fresh;
  if (known) {
    fresh.mtimeNs = static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    fresh.size = static_cast<int64_t>(st.st_size);
    fresh.inode = static_cast<uint64_t>(st.st_ino);
    std::lock_guard<std::mutex> lock(m_mutex);
    auto it = m_cache.find(path);
    if (it != m_cache.end() && it->second->mtimeNs == fresh.mtimeNs &&
        it->second->size == fresh.size && it->second->inode == fresh.inode)
      return it->second->doc;
  }
  std::string bytes;
  int e = m_disk->ReadAll(path, &bytes);
  if (e == ENOENT) return std::make_shared<const IniDocument>();
  if (e != 0) {
    if (err) *err = FileErrorText("read", path, e);
    return nullptr;
  }
  fresh.doc = std::make_shared<const IniDocument>(IniDocument::Parse(bytes));
  if (known) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_cache[path] = std::make_shared<Entry>(fresh);
  }
  return fresh.doc;
}

std::string IniFiles::GetString(const std::string& path, std::string_view section,
                                std::string_view key, std::string_view def) {
  auto doc = Load(path);
  return doc ? doc->GetString(section, key, def) : std::string(def);
}

size_t IniFiles::GetString(const std::string& path, const char* section, const char* key,
                           const char* def, char* buf, size_t size) {
  auto doc = Load(path);
  if (!doc) doc = std::make_shared<const IniDocument>();
  return doc->GetString(section, key, def, buf, size);
}

int IniFiles::GetInt(const std::string& path, std::string_view section, std::string_view key,
                     int def) {
  auto doc = Load(path);
  return doc ? doc->GetInt(section, key, def) : def;
}

std::vector<std::string> IniFiles::SectionNames(const std::string& path) {
  auto doc = Load(path);
  return doc ? doc->SectionNames() : std::vector<std::string>();
}

std::vector<std::string> IniFiles::KeyNames(const std::string& path, std::string_view section) {
  auto doc = Load(path);
  return doc ? doc->KeyNames(section) : std::vector<std::string>();
}

std::vector<std::string> IniFiles::SectionLines(const std::string& path, std::string_view section) {
  auto doc = Load(path);
  return doc ? doc->SectionLines(section) : std::vector<std::string>();
}

bool IniFiles::Store(const std::string& path, const IniDocument& doc, std::string* err) {
  AtomicFileWriter writer(m_disk);
  bool ok = writer.Write(path, doc.Serialize(), err);
  Invalidate(path);
  return ok;
}

namespace {

// Reads the file as it is now (never from the cache, so that a change made
// by another program is not overwritten); a missing file is empty.
bool ReadCurrent(Disk* disk, const std::string& path, IniDocument* doc, std::string* err) {
  std::string bytes;
  int e = disk->ReadAll(path, &bytes);
  if (e != 0 && e != ENOENT) {
    if (err) *err = FileErrorText("read", path, e);
    return false;
  }
  *doc = IniDocument::Parse(bytes);
  return true;
}

}  // namespace

bool IniFiles::Write(const std::string& path, const char* section, const char* key,
                     const char* value, std::string* err) {
  std::lock_guard<std::mutex> writeLock(m_writeMutex);
  IniDocument doc;
  if (!ReadCurrent(m_disk, path, &doc, err)) return false;
  std::string before = doc.Serialize();
  if (!doc.Write(section, key, value, err)) return false;
  if (doc.Serialize() == before) return true;  // nothing changed: no write
  return Store(path, doc, err);
}

bool IniFiles::WriteSection(const std::string& path, std::string_view section,
                            const std::vector<std::string>& lines, std::string* err) {
  std::lock_guard<std::mutex> writeLock(m_writeMutex);
  IniDocument doc;
  if (!ReadCurrent(m_disk, path, &doc, err)) return false;
  if (!doc.WriteSection(section, lines, err)) return false;
  return Store(path, doc, err);
}

bool IniFiles::Save(const std::string& path, const IniDocument& doc, std::string* err) {
  std::lock_guard<std::mutex> writeLock(m_writeMutex);
  return Store(path, doc, err);
}

void IniFiles::Invalidate(const std::string& path) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_cache.erase(path);
}

IniFiles& TheIniFiles() {
  static IniFiles files;
  return files;
}

}  // namespace pm2
