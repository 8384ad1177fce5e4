// The options block's grammar and its node tree.
//
//   PELMORA_OPTIONS_BLOCK {
//     ID = id  NAME = "text"  STYLE = EXPAND
//     OPTION { ID = id NAME = "..." HELP = "..." TYPE = DECIMAL DEFAULT = 0x80
//              MIN = 0 MAX = 4096 KEY = "Symbol" STYLE = READONLY ENABLEDBY = other
//              ITEMS { ITEM { ENTRY = "..." VALUE = 1 } ... } }
//     FOLDER { ID = id NAME = "..." HELP = "..." STYLE = EXPAND OPTION {...} FOLDER {...} }
//   }
//
// Clauses come in any order, the last one wins (STYLE is OR-ed, ITEMS
// lists are appended). A "}" at block level is skipped. TYPE is one of
// TEXT, DECIMAL, BOOL, SELECTION, FILE, HEXADECIMAL; STYLE one of DISABLED,
// READONLY, HIDEVALUE, EXPAND. A DEFAULT written as an identifier is read as
// hexadecimal after one trailing upper-case H is removed (FFH is 255).
//
// After the parse, IDs are registered in one walk (a second node with the
// same ID, the empty one included, is an error) and every ENABLEDBY is
// looked up; a reference can name a node before it, inside its own subtree
// or a later sibling, not one after its enclosing folder.
//
// Every problem is a report (line, message); the program shows each as
// "Syntax error in Options Block - line N:\n\n<message>" and jumps to the
// line. Lexical errors are reported each time; of the grammar's errors only
// the first, and none after a lexical error.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace pm2 {

enum OptionNodeKind : int { kNodeBlock = 1, kNodeOption = 2, kNodeFolder = 3, kNodeItem = 4 };
enum OptionNodeType : int {
  kTypeNone = 0, kTypeText = 1, kTypeDecimal = 2, kTypeBool = 3, kTypeSelection = 4, kTypeFile = 5, kTypeHex = 6,
};
enum OptionNodeStyle : uint32_t { kStyleDisabled = 1, kStyleReadOnly = 2, kStyleHideValue = 4, kStyleExpand = 8 };

constexpr size_t kNoPos = size_t(-1);
// Folders nested deeper than this are refused ("'FOLDER' unexpected").
constexpr int kMaxFolderDepth = 200;

// One node of the tree. Texts point into the parser's arena (empty views
// when absent); the tree lives as long as the OptionsIdMap that built it.
struct COptionNode {
  int kind = 0;
  int line = 0;                   // line of the token that created the node
  std::string_view id, name, help, enabledBy;  // name: an item's ENTRY
  COptionNode* enabledByNode = nullptr;        // set by the resolution
  std::string_view defaultText;
  uint32_t defaultValue = 0;
  int type = kTypeNone;
  uint32_t style = 0;
  std::string_view key;
  int32_t min = 0;                // an item's VALUE (-1 when absent)
  int32_t max = 0;
  COptionNode* items = nullptr;
  COptionNode* next = nullptr;
  COptionNode* children = nullptr;
  // Where the last DEFAULT's value token and the last TYPE word stand in
  // the file text, so that a changed value can be written back.
  size_t defaultStart = kNoPos, defaultEnd = kNoPos;
  size_t typeEnd = kNoPos;
};

// The parser's arena: zero-filled blocks of at least 4096 bytes; nothing is
// freed singly, the whole chain goes with the arena.
class OptionsPool {
 public:
  static constexpr size_t kBlockSize = 4096;
  OptionsPool() = default;
  ~OptionsPool();
  OptionsPool(const OptionsPool&) = delete;
  OptionsPool& operator=(const OptionsPool&) = delete;

  // Throws std::bad_alloc when a block cannot be had.
  void* Allocate(size_t bytes);
  std::string_view Copy(std::string_view text);
  COptionNode* NewNode(int kind, int line);
  size_t Blocks() const { return m_blocks; }

 private:
  struct Block {
    Block* next;
    size_t used;
    size_t capacity;
  };
  Block* m_newest = nullptr;
  size_t m_blocks = 0;
};

struct OptionsReport {
  int line = 0;
  std::string message;
  bool operator==(const OptionsReport&) const = default;
};

// "Syntax error in Options Block - line N:" two line ends and the message
// (cut at 1023 characters).
std::string OptionsErrorText(int line, const std::string& message);

// Owns one load: the arena, the ID map and the reports.
class OptionsIdMap {
 public:
  OptionsIdMap() : m_pool(std::make_unique<OptionsPool>()) {}
  OptionsPool& Pool() { return *m_pool; }
  std::vector<OptionsReport>& Reports() { return m_reports; }
  const std::vector<OptionsReport>& Reports() const { return m_reports; }
  // False when the id is taken already.
  bool Add(std::string_view id, COptionNode* node) { return m_ids.emplace(id, node).second; }
  COptionNode* Find(std::string_view id) const {
    auto it = m_ids.find(id);
    return it == m_ids.end() ? nullptr : it->second;
  }
  void Clear() { m_ids.clear(); }

 private:
  std::unique_ptr<OptionsPool> m_pool;
  std::unordered_map<std::string_view, COptionNode*> m_ids;
  std::vector<OptionsReport> m_reports;
};

// Parses a whole file text: the root node, or null when the text carries
// no block (nothing reported), when the block body held an unknown token,
// or when the arena ran out. After an error of the grammar the tree built
// so far is returned. In check-only mode only the first token is read.
COptionNode* ParseOptionsText(OptionsIdMap& map, std::string_view text, bool checkOnly);

// Registers the IDs and resolves ENABLEDBY; false after the first problem
// ("ID '%s' already declared", "Referenced ID '%s' not found").
bool ResolveOptionIds(OptionsIdMap& map, COptionNode* root);

// Parse and (unless check-only) resolution of a text: null when either
// fails; a tree cut short by an error of the grammar is kept unresolved.
COptionNode* LoadOptionsText(OptionsIdMap& map, std::string_view text, bool checkOnly);
// The same over a file: null and no report when it cannot be read.
COptionNode* LoadOptionsFile(OptionsIdMap& map, const std::string& path, bool checkOnly);

// Whether the first token of the comment text opens a block.
bool HasOptionsBlockText(std::string_view text);
bool HasOptionsBlock(const std::string& path);

// The n-th option node (from 0) in the order of the file; null when there
// are fewer. The write-back finds a row's option again this way.
COptionNode* NthOption(COptionNode* root, int n);

}  // namespace pm2
