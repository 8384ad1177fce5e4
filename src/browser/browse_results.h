// The browser's results pane without a window: the definitions and
// references of a symbol grouped by source file, and its call and callers
// graphs, with their row texts and titles.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "browser/browse_table.h"

namespace pm2 {

enum BrowseResultsMode : int { kResultsDefRef = 0, kResultsCallGraph = 1, kResultsCallers = 2 };

// "%s - %s" of the mode's text and the symbol's name; "<none>" without one.
std::string ResultsTitle(int mode, const BrowseSymbol* symbol);

// " [r/w/&]" of the access flags that are set; empty for none.
std::string AccessSuffix(uint32_t access);
// "[ %c ] Line %d" (R for kinds 1 and 6, D for 2 and 5), for a member with
// ", member of tag '%s'", then the access suffix.
std::string OccurrenceRowText(const BrowseOccurrence& o);
// The row image: 1 for the letter R, 0 for D.
int OccurrenceImage(const BrowseOccurrence& o);

// Only files numbered below this are listed.
inline constexpr uint32_t kMaxResultFile = 1024;

// One file's rows: the file in the order of its first occurrence, then its
// definitions and references in array order.
struct BrowseFileRows {
  const BrowseFile* file = nullptr;
  uint32_t number = 0;
  std::vector<const BrowseOccurrence*> rows;
};
std::vector<BrowseFileRows> DefinitionRows(const BrowseModule& module, const BrowseSymbol& symbol);

// A node of a call (kind 3) or callers (kind 4) graph.
struct BrowseGraphNode {
  std::string name;
  const BrowseSymbol* symbol = nullptr;
  const BrowseOccurrence* via = nullptr;  // the entry that led here; the root's own place
  uint16_t kind = 0;                      // that entry's kind; 0 for the root
  std::vector<BrowseGraphNode> children;
};

inline constexpr int kGraphDepth = 40;        // levels collected below the root
inline constexpr int kGraphExpandDepth = 256;  // levels the tree expands
// Nodes in one graph at most: fan-out over 40 levels grows without bound,
// so collection stops here and the graph shows what it has.
inline constexpr size_t kGraphMaxNodes = 20000;

// The graph of a symbol: children from its occurrences of the mode's kind,
// last to first, skipping symbols that call or are called by themselves.
BrowseGraphNode BuildGraph(const BrowseSymbol& symbol, int mode, size_t* nodes = nullptr);
// The root's place: its first entry of kind 2 or 5, else of kind 1; null.
const BrowseOccurrence* GraphRootPlace(const BrowseSymbol& symbol);

}  // namespace pm2
