// The configuration wizard's rows: one per folder and per option of an
// options block, in the order of the file (a row's children follow it).
// Each option's TYPE gives its row kind and how its value is shown and
// edited; a row named by another's ENABLEDBY greys that one out while its
// value is 0.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace pm2 {

struct COptionNode;

enum OptionRowKind : int {
  kRowLabel = 0,      // the block or a folder
  kRowDecimal = 1,
  kRowHex = 2,
  kRowText = 3,
  kRowCheck = 4,
  kRowSelection = 5,
  kRowFile = 6,
};

// The node's STYLE bits; kRowDisabled is also set while the enabling row is off.
enum OptionRowFlag : uint32_t { kRowDisabled = 1, kRowReadOnly = 2, kRowHideValue = 4, kRowExpanded = 8 };

struct OptionRow {
  int kind = kRowLabel;
  std::string label;
  std::string help;               // the tool tip; empty for the block
  uint32_t flags = 0;
  int32_t value = 0;              // number, 0/1, or the chosen entry's index
  int32_t minimum = 0, maximum = 0;  // no bounds when maximum <= minimum
  std::string text;               // text and file rows; the chosen entry's text
  std::vector<std::string> entries;     // selection rows
  std::vector<int32_t> entryValues;     // the items' VALUE (-1 when not given)
  int parent = -1;                // row index; -1 for the block's row
  int depth = 0;
  int enablingRow = -1;           // the row named by ENABLEDBY
  int option = -1;                // number of the option node in the file (-1: a label)
  int line = 0;                   // the node's line in the file
  std::string key;                // the code symbol the value is written to
};

class OptionRows {
 public:
  // Rows of the tree under `root` (none for null). Options without a known
  // TYPE get no row.
  void Build(const COptionNode* root);

  int Count() const { return int(m_rows.size()); }
  const OptionRow& Row(int i) const { return m_rows[size_t(i)]; }
  const std::vector<OptionRow>& Rows() const { return m_rows; }

  // The value as the second column shows it: "%d", "%XH", the text, the
  // chosen entry; empty for labels, check boxes and hidden values.
  std::string ValueText(int row) const;
  // What an in-place editor starts with ("%d", "%XH", the text).
  std::string EditText(int row) const;
  // Disabled, read-only and value-hidden rows are not edited.
  bool Editable(int row) const;

  // The end of an in-place edit of a number, text or selection row: true
  // when the row's value changed. Dependants follow. A hexadecimal row
  // takes only a hexadecimal number (anything else leaves the value as it
  // was) and holds it to the row's MIN and MAX, as a decimal row's spin
  // box does.
  bool EndEdit(int row, const std::string& text);
  // A check box row toggles between 0 and 1.
  bool Toggle(int row);
  // A file row takes a chosen path.
  bool SetFile(int row, const std::string& path);

  // Every row enabled by `row` is greyed while its value is 0 (direct
  // dependants only).
  void UpdateDependents(int row);

  // Rows after `row` in pre-order are simply the next index; the first row
  // after the subtree of `row` (Count() at the end).
  int SkipSubtree(int row) const;
  // Rows whose ancestors are all expanded, given which rows are expanded.
  int CountVisibleRows(const std::vector<bool>& expanded) const;

  // "0x1f", "1FH" and "1f" all read as 31 (upper-cased, trimmed; a leading
  // 0X or else one trailing H removed when at least 2 characters long);
  // false for a text that is no hexadecimal number (no digits, another
  // character among them, more than 32 bits).
  static bool ReadHexInput(const std::string& text, uint32_t* value);
  // Whether an in-place edit's text is a value the row takes.
  bool AcceptsInput(int row, const std::string& text) const;
  // The runtime's decimal reading: blanks, a sign, digits up to the first
  // other character.
  static int32_t ParseDecimalInput(const std::string& text);

 private:
  void Add(const COptionNode* node, int parent, int depth, int* optionNumber);

  std::vector<OptionRow> m_rows;
  std::vector<const COptionNode*> m_nodes;  // the node of each row, while building
};

}  // namespace pm2
