#include "browser/browse_loader.h"

#include <new>
#include <optional>

#include "browser/browse_merge.h"
#include "browser/browse_records.h"
#include "platform/win_path.h"

namespace pm2 {
namespace {

// Bytes of one occurrence entry: the most entries a count can honestly
// claim is bounded by its record.
constexpr size_t kOccurrenceBytes = 16;

bool IsCallOrMember(uint16_t kind) { return kind >= kOccCalls && kind <= kOccMemberDefinition; }

class Loader {
 public:
  explicit Loader(std::string_view baseFolder) : m_base(baseFolder) {}

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
  std::unique_ptr<BrowseModule> m_module;  // from the first section
  std::optional<BrowseSection> m_open;     // the section being read
  int m_closed = 0;                        // sections closed so far
  // The first section's records by number while its references wait to
  // be resolved: before a later section merges into it, else in the last
  // pass over the table, which orders each record's entries anyway.
  std::vector<BrowseSymbol*> m_firstNumbers;
  bool m_firstResolved = true;
  BrowseName* m_name = nullptr;            // of the section being read
  BrowseSymbol* m_symbol = nullptr;
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
  std::string text;
  if (!c.U32(&unused) || !c.Name(&text)) return kBrowseDamaged;
  m_name = &m_open->table->AddName(std::move(text));
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
  m_open->numbers.push_back(&s);
  ++m_nextNumber;
  m_symbol = &s;
  return kBrowseOk;
}

// Little-endian fields of an occurrence entry; the caller has checked that
// the entry lies inside its record.
uint16_t Le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
uint32_t Le32(const uint8_t* p) { return static_cast<uint32_t>(Le16(p)) | static_cast<uint32_t>(Le16(p + 2)) << 16; }

int Loader::Occurrences(const BrowseRecord& r) {
  if (!m_symbol) return kBrowseDamaged;
  ContentCursor c(r);
  uint32_t n = 0;
  if (!c.U32(&n) || n > c.Left() / kOccurrenceBytes) return kBrowseDamaged;
  BrowseOccurrence* added = m_open->table->GrowOccurrences(*m_symbol, n);
  const uint8_t* p = r.contents + 4;
  const uint32_t count = m_open->table->symbolCount;
  for (uint32_t i = 0; i < n; ++i, p += kOccurrenceBytes) {
    BrowseOccurrence& o = added[i];
    o.kind = Le16(p);
    o.file = Le16(p + 2);
    o.line = Le32(p + 4);
    o.access = static_cast<uint8_t>(Le32(p + 8) & (kAccessRead | kAccessWritten | kAccessAddress));
    o.refNumber = Le32(p + 12);
    if (IsCallOrMember(o.kind) && o.refNumber != kNoSymbolNumber && o.refNumber >= count) return kBrowseDamaged;
  }
  return kBrowseOk;
}

// Call and member references of one record name their records now; a
// number the header counts whose record never came (a cut file) names none.
void Resolve(BrowseSymbol& sym, const std::vector<BrowseSymbol*>& numbers) {
  for (BrowseOccurrence& o : sym.occurrences)
    if (IsCallOrMember(o.kind) && !(o.flags & kOccResolved)) {
      o.ref = o.refNumber < numbers.size() ? numbers[o.refNumber] : nullptr;
      o.flags |= kOccResolved;
    }
}

void ResolveAll(const std::vector<BrowseSymbol*>& numbers) {
  for (BrowseSymbol* sym : numbers) Resolve(*sym, numbers);
}

int Loader::CloseSection() {
  if (!m_open) return kBrowseOk;
  BrowseSection& s = *m_open;
  if (m_closed == 0) {
    m_module = std::move(s.table);
    m_firstNumbers = std::move(s.numbers);
    m_firstResolved = false;
  } else {
    // Both sides resolved before they meet: the merge compares tag names
    // and carries the section's references over to the module's records.
    if (!m_firstResolved) ResolveAll(m_firstNumbers);
    m_firstResolved = true;
    ResolveAll(s.numbers);
    MergeBrowseSection(*m_module, s);
  }
  ++m_closed;
  m_open.reset();
  m_name = nullptr;
  m_symbol = nullptr;
  return kBrowseOk;
}

// Kinds 2 to 5 first in their order, then kinds 1 and 6; others dropped.
// The references are moved forward in place and the definitions kept in
// one scratch buffer shared by all records. Returns the number of
// definitions and references (kinds 1, 2, 5 and 6).
uint32_t OrderOccurrences(BrowseOccurrences& list, std::vector<BrowseOccurrence>& defs) {
  defs.clear();
  size_t refs = 0;
  uint32_t calls = 0;
  for (size_t i = 0; i < list.size(); ++i) {
    const uint16_t k = list[i].kind;
    if (k >= kOccReference && k <= kOccMemberReference) {
      if (refs != i) list[refs] = list[i];
      ++refs;
      calls += k == kOccCalls || k == kOccCalledBy;
    } else if (k == kOccDefinition || k == kOccMemberDefinition) {
      defs.push_back(list[i]);
    }
  }
  std::copy(defs.begin(), defs.end(), list.begin() + refs);
  list.Truncate(refs + defs.size());
  return static_cast<uint32_t>(list.size()) - calls;
}

int Loader::Finish(std::unique_ptr<BrowseModule>* out) {
  if (!m_module) return kBrowseNoInfo;
  std::vector<BrowseOccurrence> defs;
  for (BrowseSymbol& s : m_module->Symbols()) {
    if (!m_firstResolved) Resolve(s, m_firstNumbers);
    s.defRefCount = OrderOccurrences(s.occurrences, defs);
  }
  *out = std::move(m_module);
  return kBrowseOk;
}

int Load(const uint8_t* data, size_t size, std::string_view baseFolder, std::unique_ptr<BrowseModule>* out) {
  if (size == 0 || !IsModuleStartType(data[0])) return kBrowseInvalid;
  Loader loader(baseFolder);
  BrowseRecordReader reader(data, size);
  for (;;) {
    BrowseRecord r;
    const RecordStatus st = reader.Next(&r);
    // The end of the data, also inside a record that claims more bytes than
    // are left, ends the reading as an end record does: what was read
    // before stays usable.
    if (st != RecordStatus::kRecord || r.type == kRecEnd || IsModuleEndType(r.type)) {
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

int LoadBrowseInfo(const uint8_t* data, size_t size, std::string_view baseFolder,
                   std::unique_ptr<BrowseModule>* out) {
  out->reset();
  try {
    return Load(data, size, baseFolder, out);
  } catch (const std::bad_alloc&) {
    out->reset();
    return kBrowseNoMemory;
  }
}

}  // namespace pm2
