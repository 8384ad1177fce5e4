#include "project/environment/environment_file.h"
#include "project/files/stored_file_read.h"

#include "platform/atomic_file.h"
#include "project/environment/environment.h"

namespace pm2 {

namespace {

bool IsPathKey(std::string_view key) {
  return EqualsIgnoringCase(key, "PATH") || EqualsIgnoringCase(key, "PATH1");
}

size_t CountBooks(const EnvSection& section) {
  size_t n = 0;
  for (const EnvEntry& e : section.entries)
    if (e.kind == EnvEntry::Kind::kBook && !e.deleted) ++n;
  return n;
}

// Passes every call on and notes whether creating the new file failed,
// which tells "cannot be created" from a failed write.
class CreateWatch : public Disk {
 public:
  explicit CreateWatch(Disk& d) : d(d) {}
  int CreateNew(const std::string& p, unsigned m, int* h) override {
    int e = d.CreateNew(p, m, h);
    if (e) createFailed = true;
    return e;
  }
  int Write(int h, const char* data, size_t n) override { return d.Write(h, data, n); }
  int Sync(int h) override { return d.Sync(h); }
  int Close(int h) override { return d.Close(h); }
  int Rename(const std::string& a, const std::string& b) override { return d.Rename(a, b); }
  int Link(const std::string& a, const std::string& b) override { return d.Link(a, b); }
  int Remove(const std::string& p) override { return d.Remove(p); }
  int SyncFolder(const std::string& f) override { return d.SyncFolder(f); }
  int Stat(const std::string& p, bool* e, unsigned* m) override { return d.Stat(p, e, m); }
  int ReadAll(const std::string& p, std::string* o) override { return d.ReadAll(p, o); }
  bool createFailed = false;

 private:
  Disk& d;
};

void AppendLine(std::string* out, std::string_view text) {
  out->append(text);
  out->append("\r\n");
}

}  // namespace

bool EnvFile::Load(const std::string& path, std::string* err) {
  m_sections.clear();
  m_changed = false;
  std::string text;
  if (!ReadStoredFile(path, kEnvironmentFileMax, text, err)) return false;
  Parse(text);
  return true;
}

void EnvFile::Parse(std::string_view text) {
  m_sections.clear();
  m_changed = false;
  EnvSection* current = nullptr;
  std::string_view raw;
  while (NextEnvLine(text, &raw)) {
    EnvLine line = ParseEnvLine(raw);
    if (line.kind == EnvLineKind::kSection) {
      if (line.name.empty()) {
        current = nullptr;  // "[]" ends the section
      } else {
        m_sections.push_back(EnvSection{std::string(line.name), {}});
        current = &m_sections.back();
      }
      continue;
    }
    if (!current) continue;  // before the first section
    EnvEntry e;
    if (line.kind == EnvLineKind::kEmpty) {
      e.kind = EnvEntry::Kind::kEmpty;
    } else if (line.kind == EnvLineKind::kOther) {
      e.kind = EnvEntry::Kind::kVerbatim;
      e.value = std::string(line.text);
    } else if (StartsWithIgnoringCase(line.name, "REM")) {
      e.kind = EnvEntry::Kind::kComment;
      e.value = std::string(line.text);
    } else {
      TitledValue tv;
      if (StartsWithIgnoringCase(line.name, "BOOK") && ParseTitledValue(line.value, &tv)) {
        if (CountBooks(*current) >= size_t(kMaxToolsetBooks)) continue;
        e.kind = EnvEntry::Kind::kBook;
        e.key = "BOOK";
        e.value = tv.path;
        e.title = tv.title;
        e.bookKind = BookKindFromName(tv.kind);
      } else {
        e.key = std::string(line.name);
        e.value = std::string(line.value);
        if (IsPathKey(e.key)) {
          std::string bare = WithoutQuotes(e.value);
          std::string folder = WithTrailingSeparator(bare);
          if (folder != bare) m_changed = true;
          e.value = std::move(folder);
        }
      }
    }
    current->entries.push_back(std::move(e));
  }
}

EnvSection* EnvFile::FindSection(int code) {
  const char* name = EnvSectionName(code < 0 ? kEnvSectionIde : code);
  if (!name) return nullptr;
  for (EnvSection& s : m_sections)
    if (EqualsIgnoringCase(s.name, name)) return &s;
  return nullptr;
}

EnvSection* EnvFile::FindOrAddSection(int code) {
  if (EnvSection* s = FindSection(code)) return s;
  const char* name = EnvSectionName(code < 0 ? kEnvSectionIde : code);
  if (!name) return nullptr;
  m_sections.push_back(EnvSection{name, {}});
  m_changed = true;
  return &m_sections.back();
}

EnvEntry* EnvFile::FindEntry(EnvSection& section, std::string_view key) {
  for (EnvEntry& e : section.entries)
    if (!e.deleted && e.kind == EnvEntry::Kind::kValue && EqualsIgnoringCase(e.key, key))
      return &e;
  return nullptr;
}

int EnvFile::SetValue(EnvSection& section, std::string_view key, std::string_view value,
                      bool keepPrevious) {
  EnvEntry* e = FindEntry(section, key);
  if (e && e->value == value) return kEnvValueUnchanged;
  if (e) {
    if (keepPrevious) {
      e->previousValue = std::move(e->value);
      e->hasPrevious = true;
    }
    e->value = std::string(value);
  } else {
    EnvEntry added;
    added.key = std::string(key);
    added.value = std::string(value);
    section.entries.push_back(std::move(added));
  }
  m_changed = true;
  return kEnvValueChanged;
}

int EnvFile::SetEnvValue(EnvSection& section, std::string_view key, std::string_view value) {
  return SetValue(section, key, value, true);
}

int EnvFile::SetEnvValueCopy(EnvSection& section, std::string_view key, std::string_view value) {
  return SetValue(section, key, value, false);
}

void EnvFile::AddBook(EnvSection& section, std::string_view title, std::string_view path,
                      int kind) {
  EnvEntry e;
  e.kind = EnvEntry::Kind::kBook;
  e.key = "BOOK";
  e.value = std::string(path);
  e.title = std::string(title);
  e.bookKind = kind;
  section.entries.push_back(std::move(e));
  m_changed = true;
}

std::vector<BookListItem> EnvFile::GetBooks(const EnvSection& section) {
  std::vector<BookListItem> out;
  for (const EnvEntry& e : section.entries)
    if (e.kind == EnvEntry::Kind::kBook && !e.deleted)
      out.push_back({e.title, e.value, e.bookKind});
  return out;
}

int EnvFile::SetBooks(EnvSection& section, const std::vector<BookListItem>& books) {
  std::vector<BookListItem> old = GetBooks(section);
  bool same = old.size() == books.size();
  for (size_t i = 0; same && i < books.size(); ++i)
    same = old[i].path == books[i].path && old[i].title == books[i].title;
  if (same) return kEnvValueUnchanged;
  for (EnvEntry& e : section.entries)
    if (e.kind == EnvEntry::Kind::kBook) e.deleted = true;
  for (const BookListItem& b : books) AddBook(section, b.title, b.path, b.kind);
  m_changed = true;
  return kEnvValueChanged;
}

std::string EnvFile::Format() const {
  std::string out;
  for (const EnvSection& s : m_sections) {
    AppendLine(&out, "[" + s.name + "]");
    int bookNumber = 0;
    for (const EnvEntry& e : s.entries) {
      if (e.deleted) continue;
      switch (e.kind) {
        case EnvEntry::Kind::kBook:
          AppendLine(&out, e.key + std::to_string(bookNumber++) + "=" + e.value + "(\"" + e.title +
                               "\"," + BookKindName(e.bookKind) + ")");
          break;
        case EnvEntry::Kind::kComment:
        case EnvEntry::Kind::kVerbatim:
          AppendLine(&out, e.value);
          break;
        case EnvEntry::Kind::kEmpty:
          AppendLine(&out, "");
          break;
        case EnvEntry::Kind::kValue:
          if (IsPathKey(e.key) && (e.value.empty() || e.value.front() != '"'))
            AppendLine(&out, e.key + "=\"" + e.value + "\"");
          else
            AppendLine(&out, e.key + "=" + e.value);
          break;
      }
    }
  }
  return out;
}

int EnvFile::Write(const std::string& path, std::string* message, Disk* disk) const {
  Disk& d = disk ? *disk : RealDisk();
  bool exists = false;
  unsigned mode = 0;
  if (d.Stat(path, &exists, &mode) == 0 && exists && (mode & 0222) == 0) {
    if (message) *message = "File '" + path + "' is Read Only !";
    return kEnvWriteReadOnly;
  }
  CreateWatch watch(d);
  AtomicFileWriter writer(&watch);
  std::string err;
  if (!writer.Write(path, Format(), &err)) {
    // A file that cannot be created is reported like a read-only one.
    if (watch.createFailed) {
      if (message) *message = "File '" + path + "' is Read Only !";
      return kEnvWriteReadOnly;
    }
    if (message) *message = "Can't write to File '" + path + "'";
    return kEnvWriteFailed;
  }
  if (message) message->clear();
  return kEnvWriteOk;
}

}  // namespace pm2
