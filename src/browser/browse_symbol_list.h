// The browser window's symbol list without a window: which symbol records
// the filters and the name mask let through, the texts of its five
// columns, its sort orders, the memory-space buttons, the remembered masks
// and the filters kept per toolset.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "browser/browse_table.h"

namespace pm2 {

// Kind filter bits, one per check box of the filter bar.
enum BrowseKindBit : uint32_t {
  kKindMacros = 1,
  kKindFunctions = 2,
  kKindData = 4,
  kKindTypes = 8,
  kKindParameters = 16,
  kKindSfr = 32,
};
inline constexpr uint32_t kKindAllBits = 63;
inline constexpr uint32_t kFilterEverything = 0xFFFFFFFFu;

// All six bits pass everything; else by class: 1 with bit 1; 2 with bit 32
// when its kind is non-zero, else bit 4; 4 with bit 4; 8 with bit 2; 16,
// 32, 64, 128 with bit 8; 256 with bit 16; any other class fails.
bool PassesKindFilter(const BrowseSymbol& s, uint32_t kinds);

// "*" alone matches everything, an empty mask only an empty name. Else from
// the left: "#" one digit, "$" any one character, "*" at the end the rest,
// "*#" skips to the next digit, "*" and literal characters find their first
// occurrence (case ignored) in the rest; any other character matches
// itself, case ignored. The whole name must be used up.
bool MatchNameMask(std::string_view mask, std::string_view name);

// The memory-space filter's 32 flags: flag 0 always set, flag i (1..31)
// when bit i - 1 is set.
using BrowseSpaceFlags = std::array<bool, 32>;
BrowseSpaceFlags SpaceFlags(uint32_t spaces);
// A record's memory space passes: spaces the table has no flag for (32 and
// above) use flag 0.
bool PassesSpace(const BrowseSpaceFlags& flags, uint16_t space);

// What the list shows.
struct BrowseListFilter {
  std::string mask = "*";
  uint32_t kinds = kFilterEverything;
  uint32_t spaces = kFilterEverything;
  uint32_t file = 0;  // a file number: only records it defines; 0 all
};

// The records to list, in name-list order: all names of the module through
// the filter, or with `only` that one name's records unfiltered.
std::vector<BrowseSymbol*> FilterSymbols(const BrowseModule& module, const BrowseListFilter& filter,
                                         const BrowseName* only = nullptr);

// The five columns.
enum BrowseColumn { kColName, kColClass, kColType, kColSpace, kColUses, kBrowseColumns };
const char* BrowseColumnTitle(int column);
std::string ClassText(const BrowseSymbol& s);
std::string TypeText(const BrowseSymbol& s);
std::string ColumnText(const BrowseModule& module, const BrowseSymbol& s, int column);

// Sorts by a column (name in byte order, else by class, type, memory space
// or the count of definitions and references), stable.
void SortSymbols(std::vector<BrowseSymbol*>& rows, int column, bool descending);

// The sort state of the list: a refill sorts by name ascending and the next
// click on a column sorts it descending; each click flips the direction.
struct BrowseSortState {
  int column = kColName;
  bool descending = false;     // the order shown
  bool nextDescending = true;  // the order of the next click
  void Refilled() { column = kColName, descending = false, nextDescending = true; }
  void Clicked(int c) { column = c, descending = nextDescending, nextDescending = !nextDescending; }
};

// The memory-space buttons: button i shows name i + 1 while it exists; from
// the first missing name on the buttons are hidden.
inline constexpr int kSpaceButtons = 22;
int ShownSpaceButtons(const BrowseModule& module);

// The masks typed into the name box, entry 0 "*" first; a new mask goes in
// at place 1 and the last one is dropped when 15 are held.
class BrowseMaskHistory {
 public:
  static constexpr size_t kMax = 15;
  BrowseMaskHistory() : m_entries{"*"} {}
  // A typed text: empty takes entry 0; the mask to use.
  std::string Enter(const std::string& typed);
  const std::vector<std::string>& Entries() const { return m_entries; }

 private:
  std::vector<std::string> m_entries;
};

// The kind and memory-space filters kept per toolset for the program's
// run; a stored 0 and an unknown toolset give everything.
class BrowseFilterMemory {
 public:
  static constexpr int kToolsets = 5;
  void Load(int toolset, uint32_t* kinds, uint32_t* spaces) const;
  void Store(int toolset, uint32_t kinds, uint32_t spaces);

 private:
  std::array<uint32_t, kToolsets> m_kinds{};
  std::array<uint32_t, kToolsets> m_spaces{};
};

}  // namespace pm2
