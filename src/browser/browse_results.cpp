#include "browser/browse_results.h"

#include <algorithm>

namespace pm2 {
namespace {

constexpr const char* kModeTexts[] = {"Definitions and References", "Call Graph", "Callers Graph"};

bool Listed(uint16_t kind) {
  return kind == kOccDefinition || kind == kOccReference || kind == kOccMemberReference ||
         kind == kOccMemberDefinition;
}

bool CallsItself(const BrowseSymbol& s) {
  for (const BrowseOccurrence& o : s.occurrences)
    if ((o.kind == kOccCalls || o.kind == kOccCalledBy) && o.ref == &s) return true;
  return false;
}

void Collect(BrowseGraphNode& node, uint16_t kind, int depth, size_t* count) {
  if (depth >= kGraphDepth) return;
  const BrowseOccurrences& list = node.symbol->occurrences;
  for (size_t i = list.size(); i-- > 0;) {
    const BrowseOccurrence& o = list[i];
    if (o.kind != kind || !o.ref || CallsItself(*o.ref)) continue;
    if (*count >= kGraphMaxNodes) return;
    ++*count;
    BrowseGraphNode child;
    child.name = o.ref->owner ? std::string(o.ref->owner->text) : std::string();
    child.symbol = o.ref;
    child.via = &o;
    child.kind = o.kind;
    Collect(child, kind, depth + 1, count);
    // Put in front: the list ends up in array order.
    node.children.insert(node.children.begin(), std::move(child));
  }
}

}  // namespace

std::string ResultsTitle(int mode, const BrowseSymbol* symbol) {
  const char* text = mode >= 0 && mode <= 2 ? kModeTexts[mode] : kModeTexts[0];
  return std::string(text) + " - " + (symbol && symbol->owner ? std::string(symbol->owner->text) : std::string("<none>"));
}

std::string AccessSuffix(uint32_t access) {
  if (access == 0) return std::string();
  struct Bit {
    uint32_t bit;
    const char* letter;
  };
  static constexpr Bit kBits[] = {{kAccessRead, "r"}, {kAccessWritten, "w"}, {kAccessAddress, "&"}};
  std::string out = " [";
  bool first = true;
  for (const Bit& b : kBits) {
    if (!(access & b.bit)) continue;
    if (!first) out += '/';
    out += b.letter;
    first = false;
  }
  return out + "]";
}

int OccurrenceImage(const BrowseOccurrence& o) {
  return o.kind == kOccReference || o.kind == kOccMemberReference ? 1 : 0;
}

std::string OccurrenceRowText(const BrowseOccurrence& o) {
  std::string text = "[ ";
  text += OccurrenceImage(o) == 1 ? 'R' : 'D';
  text += " ] Line " + std::to_string(o.line);
  const bool member = o.kind == kOccMemberReference || o.kind == kOccMemberDefinition;
  if (member && o.ref && o.ref->owner) text += ", member of tag '" + std::string(o.ref->owner->text) + "'";
  return text + AccessSuffix(o.access);
}

std::vector<BrowseFileRows> DefinitionRows(const BrowseModule& module, const BrowseSymbol& symbol) {
  std::vector<BrowseFileRows> files;
  auto find = [&files](uint32_t n) {
    return std::find_if(files.begin(), files.end(), [n](const BrowseFileRows& f) { return f.number == n; });
  };
  std::vector<uint32_t> seen;
  for (const BrowseOccurrence& o : symbol.occurrences) {
    if (!Listed(o.kind) || o.file >= kMaxResultFile) continue;
    if (std::find(seen.begin(), seen.end(), o.file) != seen.end()) continue;
    seen.push_back(o.file);
    if (const BrowseFile* f = module.FileByNumber(o.file)) files.push_back(BrowseFileRows{f, o.file, {}});
  }
  for (const BrowseOccurrence& o : symbol.occurrences) {
    if (!Listed(o.kind) || o.file >= kMaxResultFile) continue;
    auto it = find(o.file);
    if (it != files.end()) it->rows.push_back(&o);
  }
  return files;
}

const BrowseOccurrence* GraphRootPlace(const BrowseSymbol& symbol) {
  for (const BrowseOccurrence& o : symbol.occurrences)
    if (o.kind == kOccDefinition || o.kind == kOccMemberDefinition) return &o;
  for (const BrowseOccurrence& o : symbol.occurrences)
    if (o.kind == kOccReference) return &o;
  return nullptr;
}

BrowseGraphNode BuildGraph(const BrowseSymbol& symbol, int mode, size_t* nodes) {
  BrowseGraphNode root;
  root.name = symbol.owner ? std::string(symbol.owner->text) : std::string();
  root.symbol = &symbol;
  root.via = GraphRootPlace(symbol);
  size_t count = 1;
  Collect(root, mode == kResultsCallers ? kOccCalledBy : kOccCalls, 0, &count);
  if (nodes) *nodes = count;
  return root;
}

}  // namespace pm2
