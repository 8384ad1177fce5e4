#include "browser/browse_symbol_list.h"

#include <algorithm>

namespace pm2 {
namespace {

// Equal when they differ at most in bit 0x20.
bool SameLetter(char a, char b) {
  const unsigned d = static_cast<unsigned char>(a) ^ static_cast<unsigned char>(b);
  return d == 0 || d == 0x20;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsMaskSpecial(char c) { return c == '*' || c == '$' || c == '#'; }

// The first place of `part` in `text` from `from` on, letters compared as
// above; npos when there is none.
size_t FindFolded(std::string_view text, size_t from, std::string_view part) {
  if (part.size() > text.size()) return std::string_view::npos;
  for (size_t at = from; at + part.size() <= text.size(); ++at) {
    size_t k = 0;
    while (k < part.size() && SameLetter(text[at + k], part[k])) ++k;
    if (k == part.size()) return at;
  }
  return std::string_view::npos;
}

struct ClassRow {
  uint16_t cls;
  const char* text;
};
constexpr ClassRow kClassTexts[] = {
    {kClassMacro, "macro"},   {kClassLocalData, "data"}, {kClassData, "data"},
    {kClassFunction, "function"}, {kClassMember, "member"}, {kClassTag, "tag"},
    {kClassTypedef, "typedef"}, {kClassEnum, "enum"},      {kClassParameter, "parameter"},
};

constexpr const char* kTypeNames[] = {"none",  "bit",   "char",   "uchar",  "int",   "uint",     "long",
                                      "ulong", "float", "double", "ptr1",   "ptr2",  "ptr3",     "ptr4",
                                      "array", "struct", "union", "function", "label", "enum"};

constexpr const char* kColumnTitles[] = {"Name", "Class", "Type", "Space", "Uses"};

// The kind bit each class passes with.
struct KindRow {
  uint16_t cls;
  uint32_t bit;
};
constexpr KindRow kKindBits[] = {
    {kClassMacro, kKindMacros},  {kClassData, kKindData},      {kClassFunction, kKindFunctions},
    {kClassMember, kKindTypes},  {kClassTag, kKindTypes},      {kClassTypedef, kKindTypes},
    {kClassEnum, kKindTypes},    {kClassParameter, kKindParameters},
};

bool IsSfr(const BrowseSymbol& s) { return s.cls == kClassLocalData && s.kind == 3; }

// File Outline: the symbols the file defines.
bool DefinedIn(const BrowseSymbol& s, uint32_t file) {
  for (const BrowseOccurrence& o : s.occurrences)
    if ((o.kind == kOccDefinition || o.kind == kOccMemberDefinition) && o.file == file) return true;
  return false;
}

}  // namespace

bool PassesKindFilter(const BrowseSymbol& s, uint32_t kinds) {
  if ((kinds & kKindAllBits) == kKindAllBits) return true;
  if (s.cls == kClassLocalData) return (kinds & (s.kind != 0 ? kKindSfr : kKindData)) != 0;
  for (const KindRow& r : kKindBits)
    if (r.cls == s.cls) return (kinds & r.bit) != 0;
  return false;
}

bool MatchNameMask(std::string_view mask, std::string_view name) {
  if (mask == "*") return true;
  size_t m = 0, n = 0;
  while (m < mask.size()) {
    const char c = mask[m];
    if (c == '*') {
      while (m < mask.size() && mask[m] == '*') ++m;
      if (m == mask.size()) return true;  // the rest of the name
      if (mask[m] == '#') {
        while (n < name.size() && !IsDigit(name[n])) ++n;
        if (n == name.size()) return false;
        continue;  // the '#' takes the digit
      }
      if (mask[m] == '$') continue;
      size_t end = m;
      while (end < mask.size() && !IsMaskSpecial(mask[end])) ++end;
      const size_t at = FindFolded(name, n, mask.substr(m, end - m));
      if (at == std::string_view::npos) return false;
      n = at + (end - m);
      m = end;
      continue;
    }
    if (n == name.size()) return false;
    if (c == '#' ? !IsDigit(name[n]) : c != '$' && !SameLetter(c, name[n])) return false;
    ++m;
    ++n;
  }
  return n == name.size();
}

BrowseSpaceFlags SpaceFlags(uint32_t spaces) {
  BrowseSpaceFlags f{};
  f[0] = true;
  for (size_t i = 1; i < f.size(); ++i) f[i] = (spaces >> (i - 1)) & 1u;
  return f;
}

bool PassesSpace(const BrowseSpaceFlags& flags, uint16_t space) {
  return flags[space < flags.size() ? space : 0];
}

std::vector<BrowseSymbol*> FilterSymbols(const BrowseModule& module, const BrowseListFilter& filter,
                                         const BrowseName* only) {
  std::vector<BrowseSymbol*> rows;
  if (only) {
    for (BrowseSymbol* s = only->first; s; s = s->next) rows.push_back(s);
    return rows;
  }
  const BrowseSpaceFlags flags = SpaceFlags(filter.spaces);
  const bool everything = filter.mask == "*";
  for (const BrowseName& name : module.Names()) {
    if (!everything && !MatchNameMask(filter.mask, name.text)) continue;
    for (BrowseSymbol* s = name.first; s; s = s->next) {
      if (!PassesKindFilter(*s, filter.kinds) || !PassesSpace(flags, s->space)) continue;
      if (filter.file != 0 && !DefinedIn(*s, filter.file)) continue;
      rows.push_back(s);
    }
  }
  return rows;
}

const char* BrowseColumnTitle(int column) {
  return column >= 0 && column < kBrowseColumns ? kColumnTitles[column] : "";
}

std::string ClassText(const BrowseSymbol& s) {
  if (IsSfr(s)) return s.type == 1 ? "data (sfrbit)" : "data (sfr)";
  for (const ClassRow& r : kClassTexts)
    if (r.cls == s.cls) return r.text;
  return "<unknown>";
}

std::string TypeText(const BrowseSymbol& s) {
  if (IsSfr(s) && s.type == 1) return "bit";
  if (s.cls == kClassFunction) return "function";
  static constexpr uint16_t kTyped = kClassLocalData | kClassData | kClassMember | kClassTag | kClassTypedef |
                                     kClassEnum | kClassParameter;
  // Exactly one class bit is a class; a word of several is none of them.
  const bool oneClass = s.cls != 0 && (s.cls & (s.cls - 1)) == 0;
  if (!oneClass || !(s.cls & kTyped)) return "none";
  return s.type < std::size(kTypeNames) ? kTypeNames[s.type] : "<unknown>";
}

std::string ColumnText(const BrowseModule& module, const BrowseSymbol& s, int column) {
  switch (column) {
    case kColName: return s.owner ? std::string(s.owner->text) : std::string();
    case kColClass: return ClassText(s);
    case kColType: return TypeText(s);
    case kColSpace: return std::string(module.SpaceName(s.space));
    case kColUses: return std::to_string(s.DefRefCount());
    default: return std::string();
  }
}

void SortSymbols(std::vector<BrowseSymbol*>& rows, int column, bool descending) {
  auto key = [column](const BrowseSymbol* s) -> uint32_t {
    switch (column) {
      case kColClass: return s->cls;
      case kColType: return s->type;
      case kColSpace: return s->space;
      default: return s->DefRefCount();
    }
  };
  auto less = [&](const BrowseSymbol* a, const BrowseSymbol* b) {
    if (column == kColName) {
      const std::string_view x = a->owner->text;
      const std::string_view y = b->owner->text;
      return descending ? y < x : x < y;  // compares bytes unsigned
    }
    return descending ? key(b) < key(a) : key(a) < key(b);
  };
  std::stable_sort(rows.begin(), rows.end(), less);
}

int ShownSpaceButtons(const BrowseModule& module) {
  const int names = static_cast<int>(module.spaceNames.size());
  return std::clamp(names - 1, 0, kSpaceButtons);
}

std::string BrowseMaskHistory::Enter(const std::string& typed) {
  if (typed.empty()) return m_entries.front();
  if (std::find(m_entries.begin(), m_entries.end(), typed) == m_entries.end()) {
    if (m_entries.size() >= kMax) m_entries.pop_back();
    m_entries.insert(m_entries.begin() + 1, typed);
  }
  return typed;
}

void BrowseFilterMemory::Load(int toolset, uint32_t* kinds, uint32_t* spaces) const {
  *kinds = *spaces = kFilterEverything;
  if (toolset < 0 || toolset >= kToolsets) return;
  if (m_kinds[toolset]) *kinds = m_kinds[toolset];
  if (m_spaces[toolset]) *spaces = m_spaces[toolset];
}

void BrowseFilterMemory::Store(int toolset, uint32_t kinds, uint32_t spaces) {
  if (toolset < 0 || toolset >= kToolsets) return;
  m_kinds[toolset] = kinds;
  m_spaces[toolset] = spaces;
}

}  // namespace pm2
