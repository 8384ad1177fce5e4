// CommandContext: the scratch state from which the command lines and linker
// control files of every toolset are generated.
//
// One context belongs to one user (the build thread, one options page), so
// a page's preview never meets the build's line. It holds:
//   - the 64 KB command-line buffer (g_pCmdLineBuf / g_nCmdLineLen), one
//     zero-terminated text; controls are separated by one blank, linker
//     control files also by "\r\n";
//   - the three option levels of the node whose line is built:
//       g_WorkOptions         target level: a copy of the target's own block;
//       g_ParentOptions       group level: the group's block for the target,
//                             or a copy of the target level;
//       g_TargetLevelOptions  node level: the file's (group's) own block, or a
//                             copy of the level above; builders resolve its
//                             inherit values in place before they emit;
//     a level copied because the node has no block of its own has its twenty
//     define/undefine and set/reset texts emptied (ClearOptionListTexts), its
//     include and misc texts stay the very texts of the level above, so list
//     merges can skip them by identity;
//   - the object folder and object name of the current translation;
//   - inputs the caller supplies (tab width of C sources, tools folder, the
//     second pass over C++ sources), so the builders read no global state.
//
// An append that does not fit in the buffer is dropped whole and leaves the
// buffer as it was. A Define or Set merge that is full (more entries or
// text than a merge holds) is noted in g_droppedListEntries: the build
// refuses such a line rather than run a tool without the user's symbols.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "project/model/option_block.h"

namespace pm2 {

struct NodeRec;
struct TargetRec;
struct FileRec;

inline constexpr std::size_t kCmdLineBufSize = 65536;

// The first entry a full Define or Set merge of a line could not take, and
// the list it belongs to ("Define", "Set"); list empty when none was lost.
struct DroppedListEntries {
  std::string list;
  std::string firstEntry;
};

class CommandContext {
 public:
  CommandContext();
  CommandContext(const CommandContext&) = delete;
  CommandContext& operator=(const CommandContext&) = delete;

  // ---------------------------------------------------------------- buffer
  // Appends one control. An empty text appends nothing. With withBlank, one
  // blank goes first unless the buffer is empty or ends in a blank or a line
  // feed. An append that would not fit (blank, text, terminator) is dropped.
  void AppendControl(std::string_view text, bool withBlank = true);
  // printf-style AppendControl.
  void AppendFormat(bool withBlank, const char* format, ...) __attribute__((format(printf, 3, 4)));
  // Empties the buffer.
  void ResetBuffer();
  std::string_view Text() const { return {g_pCmdLineBuf.get(), g_nCmdLineLen}; }

  // ---------------------------------------------------------------- set-up
  // Prepares the three levels for a node (target, group or file) of target
  // and empties the buffer, the object folder and the dropped-entries note.
  void SetCommandContext(NodeRec* node, TargetRec* target);
  // Copies a block into the target level and sets g_bCmdLibrary (linkers).
  void LoadWorkOptions(const OptionBlock& block);

  // g_szObjFolder: empty when OUTDIR is ".\" and filePath starts with ".\";
  // otherwise the OUTDIR text.
  void SetObjFolder(std::string_view filePath);
  // g_szObjFileName = g_szObjFolder + the file's name with extension "obj",
  // in the name's own case: the compiler's OBJECT() and the linker's input
  // must name the same file on a case-sensitive file system.
  void MakeObjFileName(std::string_view fileName);

  // The file node whose line is built, or null for a target or group.
  const FileRec* CmdFile() const;
  bool IsFileNode() const { return g_nCmdNodeKind == 4; }
  bool IsGroupNode() const { return g_nCmdNodeKind == 3; }

  // ---------------------------------------------------------------- state
  std::unique_ptr<char[]> g_pCmdLineBuf;
  uint32_t g_nCmdLineLen = 0;
  // Buffer offsets of the computed-classes part of a linker control file;
  // -1 when none.
  int32_t g_nPreviewFrom = -1;
  int32_t g_nPreviewTo = -1;

  NodeRec* g_pCmdNode = nullptr;
  uint16_t g_nCmdNodeKind = 0;  // 2 target, 3 group, 4 file
  TargetRec* g_pCmdTarget = nullptr;

  OptionBlock g_WorkOptions;         // target level
  OptionBlock g_ParentOptions;       // group level
  OptionBlock g_TargetLevelOptions;  // node level
  // The group's own block when it has one (the file-node list merges use it).
  const OptionBlock* g_pCmdGroupOptions = nullptr;

  uint8_t g_bCmdLibrary = 0;      // 1: the target builds a library (GENAPP clear)
  uint8_t g_n51ToolVariant = 0;   // 51 only: +1 WX51, +2 extended linker; 3 QX51
  uint8_t g_bCmd251 = 0;          // 1: the target's toolset is 251

  // Entries of the line's Define or Set lists that a full merge left out.
  DroppedListEntries g_droppedListEntries;

  std::string g_szObjFolder;      // "" means the project folder
  std::string g_szObjFileName;

  // Second pass of the 166 compiler over a C++ source (set by the build
  // around one call).
  uint8_t g_bCppSecondPass = 0;
  std::string g_pszCppSourceName;
  const char* g_pszCppControls = nullptr;

  // ---------------------------------------------------------------- inputs
  // Tab width of the editor settings for C sources of the target's toolset;
  // "TABS (%d)" is written when it is not 4.
  int m_nCTabWidth = 4;
  // The toolset's executables folder (ends in a separator), for the
  // toolset include folder of the EC++ and ARM lines.
  std::string m_szToolsFolder;
};

// Points the twenty define/undefine and set/reset texts of every toolset at
// g_szEmptyOpt.
void ClearOptionListTexts(OptionBlock& block);

// True when the path is empty, holds a ':' or has other than exactly one
// '\' or '/' (".\main.c" false; "main.c", ".\src\main.c", "C:\x\main.c" true).
bool NeedsOwnOutputName(std::string_view filePath);
// True when the path begins with ".\" (or "./").
bool StartsWithDotBackslash(std::string_view path);
// True for an empty text or one of blanks, tabs, carriage returns and line
// feeds only.
bool IsBlankText(std::string_view text);
// A stored folder as a tool's command line names the files the tool
// writes there for the user (listings, maps, register files, the linker's
// output): every '\' becomes '/', so a folder stored in Windows form (".\"
// from Defaults, ".\Lst\" from an older project) reaches the tool as a
// folder picked on this machine does ("./", "./Lst/"), never as a file
// name with a backslash in it. Object files keep the stored form: the
// build hands the same names to the linker.
std::string CommandPath(std::string_view stored);

// Bits lo .. lo+width-1 of a word.
constexpr uint32_t BitField(uint32_t word, int lo, int width) {
  return (word >> lo) & ((width >= 32) ? 0xFFFFFFFFu : ((1u << width) - 1u));
}
constexpr uint32_t WithBitField(uint32_t word, int lo, int width, uint32_t value) {
  uint32_t mask = ((width >= 32) ? 0xFFFFFFFFu : ((1u << width) - 1u)) << lo;
  return (word & ~mask) | ((value << lo) & mask);
}

// A field of a block that the node level may leave to the level above: a
// word read and written through the accessors, bits lo .. lo+width-1, and
// the value meaning "inherit".
struct InheritField {
  uint32_t (*get)(const OptionBlock&) = nullptr;
  void (*set)(OptionBlock&, uint32_t) = nullptr;
  int lo = 0;
  int width = 2;
  uint32_t inherit = 2;
  bool groupOnly = false;  // taken from the group level of a file node only
};

// Resolves the fields in the node level: an inherit value takes, for a file
// node, the group level's value, then (still inherit, and always for a group
// node) the target level's.
void ResolveInheritFields(CommandContext& ctx, std::span<const InheritField> fields);

// One control of a tool's table: the text is appended when the condition
// holds; a row with an emitter appends what the emitter decides instead.
struct ControlRow {
  const char* text = nullptr;
  bool (*when)(const CommandContext&) = nullptr;  // null: always
  void (*emitter)(CommandContext&) = nullptr;
};
void EmitControlRows(CommandContext& ctx, std::span<const ControlRow> rows);

// The frame every compiler and assembler builder shares: SetCommandContext;
// with withObjectName (file nodes) SetObjFolder with the file's path; the
// body (resolution and emission); with withObjectName MakeObjFileName with
// the file's name.
void BuildNodeLine(CommandContext& ctx, NodeRec* node, TargetRec* target, bool withObjectName,
                   void (*body)(CommandContext&));

// Inherit fields of the build-properties word read by the compiler lines.
extern const InheritField kGenAsmField;

}  // namespace pm2
