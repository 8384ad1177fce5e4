#include "project/model/option_block.h"

#include <string>
#include <type_traits>
#include <vector>

#include "project/model/app_state.h"
#include "project/model/option_defaults.h"
#include "project/model/project_records.h"
#include "project/text/pool.h"

namespace pm2 {

void PackMemRange(const MemRangeRec& r, uint8_t* out9) {
  out9[0] = r.kind;
  for (int i = 0; i < 4; ++i) {
    out9[1 + i] = static_cast<uint8_t>(r.start >> (8 * i));
    out9[5 + i] = static_cast<uint8_t>(r.size >> (8 * i));
  }
}

MemRangeRec UnpackMemRange(const uint8_t* in9) {
  MemRangeRec r;
  r.kind = in9[0];
  for (int i = 0; i < 4; ++i) {
    r.start |= uint32_t(in9[1 + i]) << (8 * i);
    r.size |= uint32_t(in9[5 + i]) << (8 * i);
  }
  return r;
}

void PackMemRanges(const MemRangeRec* r, std::size_t n, uint8_t* out) {
  for (std::size_t i = 0; i < n; ++i) PackMemRange(r[i], out + i * kMemRangePackedSize);
}

void UnpackMemRanges(const uint8_t* in, std::size_t n, MemRangeRec* r) {
  for (std::size_t i = 0; i < n; ++i) r[i] = UnpackMemRange(in + i * kMemRangePackedSize);
}

uint32_t FirstWord(const uint8_t* bytes) {
  return uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16 |
         uint32_t(bytes[3]) << 24;
}

void SetFirstWord(uint8_t* bytes, uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[i] = static_cast<uint8_t>(value >> (8 * i));
}

namespace {

// Appends an image of the visited fields. Strings and lists go in as their
// identity (the pointer) or, in content mode, as their text, so two images
// are equal exactly when the fields are.
class FieldImage {
 public:
  explicit FieldImage(bool stringsByContent) : m_byContent(stringsByContent) {}

  template <class T>
  void operator()(T& field) {
    using U = std::remove_cv_t<T>;
    if constexpr (std::is_same_v<U, OptString>) {
      if (m_byContent) {
        std::string_view s = field.view();
        m_bytes.insert(m_bytes.end(), s.begin(), s.end());
        m_bytes.push_back('\0');
      } else {
        Raw(field.c_str());
      }
    } else if constexpr (std::is_same_v<U, MemRangeRec>) {
      uint8_t packed[kMemRangePackedSize];
      PackMemRange(field, packed);
      m_bytes.insert(m_bytes.end(), packed, packed + sizeof packed);
    } else if constexpr (std::is_pointer_v<U>) {
      Raw(field);
    } else if constexpr (std::is_array_v<U>) {
      const uint8_t* p = field;
      m_bytes.insert(m_bytes.end(), p, p + sizeof(U));
    } else if constexpr (std::is_integral_v<U>) {
      Raw(field);
    } else {
      Raw(FlagWord(field), sizeof(U));  // a flag word with bit-fields
    }
  }

  const std::vector<uint8_t>& Bytes() const { return m_bytes; }

 private:
  template <class V>
  void Raw(const V& value, std::size_t size = sizeof(V)) {
    const uint8_t* p = reinterpret_cast<const uint8_t*>(&value);
    m_bytes.insert(m_bytes.end(), p, p + size);
  }
  bool m_byContent;
  std::vector<uint8_t> m_bytes;
};

// Adds up stored widths: 4-byte pointers, 9-byte ranges.
struct PackedSizer {
  std::size_t size = 0;
  template <class T>
  void operator()(T&) {
    using U = std::remove_cv_t<T>;
    if constexpr (std::is_same_v<U, OptString> || std::is_pointer_v<U>)
      size += 4;
    else if constexpr (std::is_same_v<U, MemRangeRec>)
      size += kMemRangePackedSize;
    else
      size += sizeof(U);
  }
};

template <class Sub>
std::vector<uint8_t> ImageOf(const Sub& sub, bool byContent) {
  FieldImage image(byContent);
  const_cast<Sub&>(sub).Visit(image);
  return image.Bytes();
}

template <class Sub>
bool SubRecordsMatch(const Sub& a, const Sub& b) {
  return ImageOf(a, true) == ImageOf(b, true);
}

// Duplicates every string and list of a block into a pool.
struct DeepCopier {
  int pool;
  template <class T>
  void operator()(T& field) {
    using U = std::remove_cv_t<T>;
    if constexpr (std::is_same_v<U, OptString>)
      field = OptString::Pooled(field.view(), pool);
    else if constexpr (std::is_same_v<U, KeyValueRec*>)
      field = CopyKeyValueList(field, pool);
  }
};

TargetRec* CurrentTarget() {
  ProjectRec* p = theApp().m_pProject;
  return p ? p->curTarget : nullptr;
}

bool IsGroupOrFile(const NodeRec* node) {
  return node && (node->kind == kKindGroup || node->kind == kKindFile);
}

}  // namespace

std::size_t PackedOptionBlockSize() {
  OptionBlock b;
  PackedSizer sizer;
  b.Visit(sizer);
  return sizer.size + 4 + 4 + sizeof(b.hdrWord);
}

OptionBlock* NewOptionBlock(int pool) { return PoolNew<OptionBlock>(pool); }

OptionBlock* CloneOptionBlock(NodeRec* node, const OptionBlock* source) {
  OptionBlock* b = NewOptionBlock(kPoolProject);
  if (source) *b = *source;
  b->owner = CurrentTarget();
  if (node) {
    b->next = node->pOpts;
    node->pOpts = b;
  } else {
    b->next = nullptr;
  }
  return b;
}

void DetachOptionBlock(NodeRec*, OptionBlock* block) {
  if (block) block->owner = nullptr;
}

int DetachNodeBlocksOfTarget(ProjectRec* project, const TargetRec* target) {
  if (!project || !target) return 0;
  int detached = 0;
  auto detach = [&](NodeRec* node) {
    while (OptionBlock* b = FindTargetOptions(node->pOpts, target)) {
      DetachOptionBlock(node, b);
      ++detached;
    }
  };
  for (GroupRec* g = project->firstGroup; g; g = g->next) {
    detach(g);
    for (FileRec* f = g->firstFile; f; f = f->next) detach(f);
  }
  return detached;
}

int DetachNodeBlocksAfterFamilyChange(ProjectRec* project, const TargetRec* target, uint16_t oldToolset) {
  if (!target || oldToolset == target->toolset || oldToolset == kToolsetUndefined) return 0;
  return DetachNodeBlocksOfTarget(project, target);
}

OptionBlock* GetNodeOptions(NodeRec* node) {
  TargetRec* target = CurrentTarget();
  if (!target || !IsGroupOrFile(node)) return nullptr;
  if (OptionBlock* b = FindTargetOptions(node->pOpts, target)) return b;
  OptionBlock* b = NewOptionBlock(kPoolProject);
  // Node defaults of the target's own toolset: 51 defaults in a 166 or ARM
  // target would turn the inherit values of its compiler into real ones.
  if (!SetDefaultOptions(*b, target, target->toolset, kLevelNode))
    SetDefaultOptions51(*b, target, kLevelNode);
  // A 166 group's PROPFLD switch starts at 0, as the project file reader
  // gives it, so an untouched group block is recognised as overriding
  // nothing; at group level 0 and "inherit" build the same.
  if (target->toolset == kToolset166 && node->kind == kKindGroup)
    SetFirstWord(b->prop.PROPFLD, FirstWord(b->prop.PROPFLD) & ~3u);
  b->owner = target;
  b->next = node->pOpts;
  node->pOpts = b;
  return b;
}

bool OptionBlocksDiffer(const OptionBlock& a, const OptionBlock& b) {
  FieldImage ia(false), ib(false);
  const_cast<OptionBlock&>(a).Visit(ia);
  const_cast<OptionBlock&>(b).Visit(ib);
  return ia.Bytes() != ib.Bytes();
}

bool OptionBlocksMatch(const OptionBlock& defaults, const OptionBlock& block) {
  const TargetRec* owner = block.owner ? block.owner : defaults.owner;
  if (!owner) return false;
  if (ImageOf(defaults.prop, false) != ImageOf(block.prop, false) &&
      !SubRecordsMatch(defaults.prop, block.prop))
    return false;
  switch (owner->toolset) {
    case kToolset51:
      return SubRecordsMatch(defaults.q51, block.q51) && SubRecordsMatch(defaults.w51, block.w51);
    case kToolset251:
      return SubRecordsMatch(defaults.q251, block.q251) &&
             SubRecordsMatch(defaults.w51, block.w51);
    case kToolset166:
      return SubRecordsMatch(defaults.q166, block.q166) &&
             SubRecordsMatch(defaults.yq166, block.yq166) &&
             SubRecordsMatch(defaults.w166, block.w166);
    case kToolsetArmGnu:
      return SubRecordsMatch(defaults.cGnu, block.cGnu) &&
             SubRecordsMatch(defaults.aGnu, block.aGnu);
    case kToolsetArmAds:
      return SubRecordsMatch(defaults.cAds, block.cAds) &&
             SubRecordsMatch(defaults.aAds, block.aAds);
    default:
      return false;
  }
}

bool IsDefaultNodeOptions(const OptionBlock& block, int nodeKind) {
  const TargetRec* owner = block.owner;
  if (!owner) return false;
  OptionBlock temp;
  if (!SetDefaultOptions(temp, owner, owner->toolset, kLevelTarget)) return false;
  SetDefaultOptions(temp, owner, owner->toolset, kLevelNode);
  temp.owner = block.owner;
  if (owner->toolset == kToolset166) {
    uint32_t w = FirstWord(temp.prop.PROPFLD) & ~3u;
    SetFirstWord(temp.prop.PROPFLD, w | (nodeKind == kKindFile ? 2u : 0u));
  }
  return OptionBlocksMatch(temp, block);
}

OptionBlock* CopyOptionBlockDeep(const OptionBlock& block, int pool, TargetRec* newOwner) {
  OptionBlock* copy = NewOptionBlock(pool);
  *copy = block;
  DeepCopier copier{pool};
  copy->Visit(copier);
  copy->next = nullptr;
  copy->owner = newOwner;
  return copy;
}

namespace {
FileRec* FindCFile(const char* fileName) {
  if (!fileName || !*fileName) return nullptr;
  ProjectRec* p = theApp().m_pProject;
  return p ? FindProjectFile(p, fileName, kFileC) : nullptr;
}
}  // namespace

bool SetFileBankNo(const char* fileName, uint16_t bank) {
  FileRec* f = FindCFile(fileName);
  if (!f) return false;
  OptionBlock* b = GetNodeOptions(f);
  if (!b) return false;
  b->prop.BANKNO = bank;
  return true;
}

uint16_t GetFileBankNo(const char* fileName) {
  FileRec* f = FindCFile(fileName);
  TargetRec* target = CurrentTarget();
  if (!f || !target) return 0;
  const OptionBlock* b = FindTargetOptions(f->pOpts, target);
  if (!b || b->prop.BANKNO == kNoBank) return 0;
  return b->prop.BANKNO;
}

void SetTargetOptionValue(const char* key, const char* value) {
  TargetRec* target = CurrentTarget();
  if (!target || !target->pOpts || !key) return;
  OptionBlock& b = *target->pOpts;
  b.lst.OPTKUS = SetKeyValue(b.lst.OPTKUS, key, value ? value : "", kPoolProject);
}

std::size_t GetTargetOptionValue(const char* key, std::string& out) {
  TargetRec* target = CurrentTarget();
  out.clear();
  if (target && target->pOpts && key) out = GetKeyValue(target->pOpts->lst.OPTKUS, key);
  return out.size();
}

}  // namespace pm2
