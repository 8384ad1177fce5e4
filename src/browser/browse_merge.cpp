#include "browser/browse_merge.h"

#include <algorithm>
#include <unordered_map>

namespace pm2 {
namespace {

bool UpgradesKind(uint16_t cls) {
  return cls == kClassLocalData || cls == kClassData || cls == kClassFunction || cls == kClassParameter;
}

bool Matches(const BrowseSymbol& have, const BrowseSymbol& add) {
  if (have.cls != add.cls) return false;
  switch (add.cls) {
    case kClassMacro:
      return true;
    case kClassLocalData:
    case kClassParameter:
      if (add.kind == 3) return have.kind == add.kind && have.type == add.type;
      return have.type == add.type;
    case kClassData:
    case kClassFunction:
      return have.type == add.type;
    case kClassMember:
    case kClassTag:
    case kClassTypedef:
    case kClassEnum:
      return have.space == add.space && have.type == add.type;
    default:
      return false;
  }
}

const BrowseName* TagName(const BrowseOccurrence& o) { return o.ref ? o.ref->owner : nullptr; }

bool SameOccurrence(const BrowseOccurrence& a, const BrowseOccurrence& b) {
  if (a.kind != b.kind) return false;
  switch (a.kind) {
    case kOccDefinition:
    case kOccReference:
      return a.file == b.file && a.line == b.line;
    case kOccMemberReference:
    case kOccMemberDefinition: {
      if (a.file != b.file || a.line != b.line) return false;
      const BrowseName* ta = TagName(a);
      const BrowseName* tb = TagName(b);
      return ta == tb || (ta && tb && ta->text == tb->text);
    }
    default:
      return false;
  }
}

}  // namespace

void MergeBrowseSection(BrowseModule& module, const BrowseSection& section) {
  BrowseModule& part = *section.table;

  // The module's number of each of the section's files.
  std::vector<uint32_t> fileMap(part.FileCount() + 1, 0);
  for (uint32_t i = 1; i <= part.FileCount(); ++i) {
    const BrowseFile& f = *part.FileByNumber(i);
    uint32_t found = 0;
    for (uint32_t j = 1; j <= module.FileCount() && !found; ++j)
      if (module.FileByNumber(j)->path == f.path) found = j;
    if (!found) {
      module.AddFile() = f;
      found = static_cast<uint32_t>(module.FileCount());
    }
    fileMap[i] = found;
  }

  // Each section record's place in the module, and whether its occurrences
  // join records that already have some.
  std::unordered_map<const BrowseSymbol*, BrowseSymbol*> into;
  std::unordered_map<const BrowseSymbol*, bool> joins;
  for (BrowseName& name : part.Names()) {
    BrowseName* target = module.FindName(name.text);
    const bool known = target != nullptr;
    if (!target) target = &module.AddName(name.text);
    for (BrowseSymbol* s = name.first; s; s = s->next) {
      BrowseSymbol* match = nullptr;
      if (known)
        for (BrowseSymbol* h = target->first; h && !match; h = h->next)
          if (Matches(*h, *s)) match = h;
      if (match) {
        if (UpgradesKind(match->cls) && match->kind == 2 && s->kind == 1) match->kind = 1;
        into[s] = match;
        joins[s] = true;
        continue;
      }
      BrowseSymbol& copy = module.AddSymbol(*target, known);
      copy.cls = s->cls;
      copy.space = s->space;
      copy.type = s->type;
      copy.kind = s->kind;
      copy.number = s->number;
      into[s] = &copy;
      joins[s] = false;
    }
  }

  std::vector<BrowseOccurrence> added;
  for (const BrowseName& name : part.Names())
    for (BrowseSymbol* s = name.first; s; s = s->next) {
      BrowseSymbol& to = *into[s];
      const bool join = joins[s];
      // Both sides in file order, as read.
      part.DecodeInFileOrder(*s);
      if (join) module.DecodeInFileOrder(to);
      added.clear();
      for (BrowseOccurrence o : s->occurrences) {
        o.file = o.file < fileMap.size() ? fileMap[o.file] : 0;
        if (o.ref) o.ref = into.count(o.ref) ? into[o.ref] : nullptr;
        o.flags = static_cast<uint8_t>((o.flags & kOccResolved) | kOccRemapped);
        // Equal to one the record has, or to one this section adds.
        BrowseOccurrence* same = nullptr;
        if (join) {
          for (BrowseOccurrence& h : to.occurrences)
            if (!same && SameOccurrence(h, o)) same = &h;
          for (BrowseOccurrence& h : added)
            if (!same && SameOccurrence(h, o)) same = &h;
        }
        if (same)
          same->access = static_cast<uint8_t>(same->access | o.access);
        else
          added.push_back(o);
      }
      if (!added.empty()) std::copy(added.begin(), added.end(), module.GrowOccurrences(to, added.size()));
    }
}

}  // namespace pm2
