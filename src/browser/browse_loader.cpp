#include "browser/browse_loader.h"

#include <cstring>
#include <new>
#include <optional>

#include "browser/browse_merge.h"
#include "browser/browse_records.h"
#include "platform/win_path.h"

namespace pm2 {
namespace {

class Loader {
 public:
  Loader(std::string_view baseFolder, std::unique_ptr<uint8_t[]> bytes)
      : m_base(baseFolder), m_bytes(std::move(bytes)) {}

  int Record(const BrowseRecord& r);
  int CloseSection();
  int Finish(std::unique_ptr<BrowseModule>* out);

 private:
  int Header(const BrowseRecord& r);
  int SourceFile(const BrowseRecord& r);
  int Name(const BrowseRecord& r);
  int Symbol(const BrowseRecord& r);
  int Occurrences(const BrowseRecord& r);
  std::string FullPath(const std::string& stored) const;

  std::string_view m_base;
  std::unique_ptr<uint8_t[]> m_bytes;      // the records; the table keeps them
  std::unique_ptr<BrowseModule> m_module;  // from the first section
  std::optional<BrowseSection> m_open;     // the section being read
  int m_closed = 0;                        // sections closed so far
  BrowseName* m_name = nullptr;            // of the section being read
  BrowseSymbol* m_symbol = nullptr;
  bool m_symbolHasEntries = false;         // an 0x64 record came for it
  uint32_t m_nextNumber = 0;
};

std::string Loader::FullPath(const std::string& stored) const {
  static const DriveMap kNoDrives;
  std::string out, err;
  if (ToLocalPath(stored, m_base, kNoDrives, &out, &err)) return out;
  return stored;  // a drive path, or no folder to take it against
}

int Loader::Record(const BrowseRecord& r) {
  if (r.type == kRecBrowseHeader) return Header(r);
  if (r.type > kRecBrowseHeader && r.type <= kRecOccurrences) {
    if (!m_open) return kBrowseDamaged;
    switch (r.type) {
      case kRecSourceFile: return SourceFile(r);
      case kRecName: return Name(r);
      case kRecSymbol: return Symbol(r);
      default: return Occurrences(r);
    }
  }
  return CloseSection();
}

int Loader::Header(const BrowseRecord& r) {
  if (int e = CloseSection()) return e;
  ContentCursor c(r);
  uint16_t version = 0, word = 0;
  uint32_t count = 0;
  if (!c.U16(&version) || !c.U16(&word) || !c.U32(&count)) return kBrowseDamaged;
  if (version < kMinBrowseVersion) return kBrowseInvalid;
  BrowseSection s;
  s.table = std::make_unique<BrowseModule>();
  s.table->version = version;
  s.table->headerWord = word;
  s.table->symbolCount = count;
  // The number table grows with the records read: a count is checked,
  // never trusted for an allocation.
  if (m_closed == 0) {
    uint16_t spaces = 0;
    if (!c.U16(&spaces)) return kBrowseDamaged;
    for (uint16_t i = 0; i < spaces; ++i) {
      std::string n;
      if (!c.Name(&n)) return kBrowseDamaged;
      s.table->spaceNames.push_back(std::move(n));
    }
  }
  m_open = std::move(s);
  m_name = nullptr;
  m_symbol = nullptr;
  m_nextNumber = 0;
  return kBrowseOk;
}

int Loader::SourceFile(const BrowseRecord& r) {
  ContentCursor c(r);
  uint32_t v32 = 0;
  uint16_t v16 = 0;
  std::string name;
  if (!c.U32(&v32) || !c.U16(&v16) || !c.Name(&name)) return kBrowseDamaged;
  BrowseFile& f = m_open->table->AddFile();
  f.value32 = v32;
  f.value16 = v16;
  f.path = FullPath(name);
  return kBrowseOk;
}

int Loader::Name(const BrowseRecord& r) {
  ContentCursor c(r);
  uint32_t unused = 0;
  std::string_view text;
  if (!c.U32(&unused) || !c.Name(&text)) return kBrowseDamaged;
  m_name = &m_open->table->AddName(text);
  m_symbol = nullptr;
  return kBrowseOk;
}

int Loader::Symbol(const BrowseRecord& r) {
  if (!m_name) return kBrowseDamaged;
  ContentCursor c(r);
  uint16_t cls = 0, space = 0, type = 0, kind = 0;
  uint32_t unused = 0;
  if (!c.U16(&cls) || !c.U16(&space) || !c.U16(&type) || !c.U16(&kind) || !c.U32(&unused))
    return kBrowseDamaged;
  if (m_nextNumber >= m_open->table->symbolCount) return kBrowseDamaged;
  BrowseSymbol& s = m_open->table->AddSymbol(*m_name, false);
  s.cls = cls;
  s.space = space;
  s.type = type;
  s.kind = kind;
  s.number = m_nextNumber;
  ++m_nextNumber;
  m_symbol = &s;
  m_symbolHasEntries = false;
  return kBrowseOk;
}

int Loader::Occurrences(const BrowseRecord& r) {
  if (!m_symbol) return kBrowseDamaged;
  ContentCursor c(r);
  uint32_t n = 0;
  // The most entries a count can honestly claim is bounded by its record.
  if (!c.U32(&n) || n > c.Left() / kOccurrenceEntryBytes) return kBrowseDamaged;
  const uint8_t* entries = r.contents + 4;
  const uint32_t count = m_open->table->symbolCount;
  // Each entry is checked now; decoding waits for the first read of the
  // record's array. Kinds 3 to 6 name a symbol of the section, or none:
  // ref + 1 wraps none to 0, so one comparison finds the numbers beyond.
  const uint8_t* const end = entries + size_t{n} * kOccurrenceEntryBytes;
  for (const uint8_t* e = entries; e != end; e += kOccurrenceEntryBytes) {
    const uint32_t ref = static_cast<uint32_t>(e[12] | e[13] << 8 | e[14] << 16) | static_cast<uint32_t>(e[15]) << 24;
    if (ref + 1u > count && IsCallOrMemberKind(static_cast<uint16_t>(e[0] | e[1] << 8))) return kBrowseDamaged;
  }
  if (!m_symbolHasEntries) {
    m_symbolHasEntries = true;
    m_open->table->LeaveOccurrences(*m_symbol, entries, n);
    return kBrowseOk;
  }
  // Several records in a row add up.
  BrowseOccurrence* added = m_open->table->GrowOccurrences(*m_symbol, n);
  for (uint32_t i = 0; i < n; ++i) added[i] = DecodeOccurrence(entries + i * kOccurrenceEntryBytes);
  return kBrowseOk;
}

int Loader::CloseSection() {
  if (!m_open) return kBrowseOk;
  BrowseSection& s = *m_open;
  s.table->CloseNumbers();
  if (m_closed == 0)
    m_module = std::move(s.table);
  else
    MergeBrowseSection(*m_module, s);
  ++m_closed;
  m_open.reset();
  m_name = nullptr;
  m_symbol = nullptr;
  return kBrowseOk;
}

int Loader::Finish(std::unique_ptr<BrowseModule>* out) {
  if (!m_module) return kBrowseNoInfo;
  m_module->FinishOccurrences();
  m_module->KeepBytes(std::move(m_bytes));
  *out = std::move(m_module);
  return kBrowseOk;
}

int Load(std::unique_ptr<uint8_t[]> bytes, size_t size, std::string_view baseFolder,
         std::unique_ptr<BrowseModule>* out) {
  const uint8_t* data = bytes.get();
  if (size == 0 || !IsModuleStartType(data[0])) return kBrowseInvalid;
  Loader loader(baseFolder, std::move(bytes));
  BrowseRecordReader reader(data, size);
  for (;;) {
    BrowseRecord r;
    const RecordStatus st = reader.Next(&r);
    // The end of the data, also inside a record that claims more bytes than
    // are left, ends the reading as an end record does: what was read
    // before stays usable.
    if (st != RecordStatus::kRecord || kEndsReading[r.type]) {
      if (int e = loader.CloseSection()) return e;
      break;
    }
    if (int e = loader.Record(r)) return e;
  }
  return loader.Finish(out);
}

}  // namespace

std::string BrowseErrorText(int code, const std::string& file) {
  struct Text {
    int code;
    const char* before;
    const char* after;
  };
  static constexpr Text kTexts[] = {
      {kBrowseCantOpen, "Can't open file '", "'"},
      {kBrowseInvalid, "Invalid file '", "'"},
      {kBrowseDamaged, "Invalid file '", "'"},
      {kBrowseNoMemory, "Out of memory loading '", "'"},
      {kBrowseNoInfo, "No Browse Information available in '",
       "'\n\nCheck - [Target-Options] [Output] [Browse Information]\nthen Rebuild the target !\n"},
  };
  for (const Text& t : kTexts)
    if (t.code == code) return t.before + file + t.after;
  return std::string();
}

int LoadBrowseInfo(std::unique_ptr<uint8_t[]> bytes, size_t size, std::string_view baseFolder,
                   std::unique_ptr<BrowseModule>* out) {
  out->reset();
  try {
    return Load(std::move(bytes), size, baseFolder, out);
  } catch (const std::bad_alloc&) {
    out->reset();
    return kBrowseNoMemory;
  }
}

int LoadBrowseInfo(const uint8_t* data, size_t size, std::string_view baseFolder,
                   std::unique_ptr<BrowseModule>* out) {
  out->reset();
  try {
    std::unique_ptr<uint8_t[]> bytes = std::make_unique_for_overwrite<uint8_t[]>(size);
    if (size != 0) std::memcpy(bytes.get(), data, size);
    return Load(std::move(bytes), size, baseFolder, out);
  } catch (const std::bad_alloc&) {
    out->reset();
    return kBrowseNoMemory;
  }
}

}  // namespace pm2
