// The open project as a tree of plain records in pool memory: one
// ProjectRec with its targets and groups; each group holds files. Groups and
// files are shared by all targets; what differs per target lives in option
// blocks hanging on the target and, per target, on a group or file that
// overrides options (see option_block.h).
//
// Every record starts with its kind (1 project, 2 target, 3 group, 4 file);
// targets, groups and files share the head {kind, option-block list}.
// Strings are OptString handles, never null. Records are released only with
// their pool. Field names that the project file stores are its keys in upper
// case.
//
// Names: targets and groups are looked up case-sensitively; file names and
// paths ignoring case.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "project/model/app_state.h"
#include "project/model/option_block.h"
#include "project/text/opt_string.h"

namespace pm2 {

enum RecKind : uint16_t { kKindProject = 1, kKindTarget = 2, kKindGroup = 3, kKindFile = 4 };

enum FileType : uint8_t {
  kFileUnknown = 0,   // "<unknown>"
  kFileC = 1,         // "C source file"
  kFileAsm = 2,       // "Assembly language file"
  kFileObject = 3,    // "Object file"
  kFileLibrary = 4,   // "Library file"
  kFileText = 5,      // "Text Document file"
  kFilePlm = 6,       // "PL/M-51 source file"
  kFileCustom = 7,    // "Custom file"
  kFileCpp = 8,       // "C++ source file"
};

inline constexpr uint8_t kTargetDeleted = 0x04;   // TargetRec::flags bit 2
inline constexpr uint32_t kGroupDeleted = 0x04;   // GroupRec::flags bit 2
inline constexpr uint8_t kFileRemoved = 0x08;     // FileRec::flags bit 3
inline constexpr uint8_t kFileActiveWindow = 0x80;  // FileRec::flags bit 7
inline constexpr uint8_t kProjectReadOnly = 0x08; // ProjectRec::flags bit 3
inline constexpr uint32_t kDebugFlagDeviceApplied = 0x02;  // TargetRec::debugFlags bit 1

inline constexpr std::size_t kMaxFilesPerGroup = 4096;
inline constexpr int kBookSlots = 128;

// Records of the options file and the dependency check; defined by their
// owners.
struct BreakpointRec;
struct WatchRec;
struct MemWindowRec;
struct ToolboxButtonRec;
struct PerfRangeRec;
struct SymbolsWindowRec;
struct EditorFileRec;
struct DepIncludeRec;

struct TargetRec;
struct GroupRec;
struct FileRec;

// The common head of targets, groups and files.
struct NodeRec {
  uint16_t kind = 0;
  OptionBlock* pOpts = nullptr;  // option-block list (a target: its own block)
};

// One text of a list (the lint file list).
struct TextListRec {
  TextListRec* next = nullptr;
  OptString text;
};

// One device-specific book of a target; a free slot holds empty strings.
struct BookSlot {
  OptString path;
  OptString title;
  uint32_t word = 0;
};

// Indices of ProjectRec::filters.
enum FilterIndex : int {
  kFilterC = 0, kFilterAsm, kFilterObject, kFilterLibrary, kFilterText, kFilterPlm,
  kFilterCpp, kFilterCount
};

struct ProjectRec {
  uint16_t kind = kKindProject;
  OptString name;    // project file's name without folder and extension
  OptString folder;  // ends with '\\', '/' or ':'
  TargetRec* firstTarget = nullptr;
  TargetRec* lastTarget = nullptr;
  GroupRec* firstGroup = nullptr;
  GroupRec* lastGroup = nullptr;
  TargetRec* curTarget = nullptr;  // what builds, debugs and edits act on
  uint8_t flags = 0;               // kProjectReadOnly
  // Patterns separated by ';' for FileType 1..6 and 8 (FilterIndex order).
  OptString filters[kFilterCount];
  EditorFileRec* editorFiles = nullptr;  // recorded by the options file
  // The code generator's time stamp ("DaveTm" of the options file); kept
  // as read so that a save writes it back unchanged.
  uint8_t codeGenTime[8] = {};
};

struct TargetRec : NodeRec {
  // kind = kKindTarget; pOpts is the target's own block (owner = this).
  TargetRec* copyLink = nullptr;  // the new record while CopyProjectTree runs
  uint8_t flags = 0;              // kTargetDeleted
  // Number in the project file: 1, 2, 3 ... in list order, deleted targets
  // left out (0). Set by the writer before a save and by the reader.
  uint16_t number = 0;
  uint16_t toolset = kToolsetUndefined;  // ToolsetId
  OptString name;                 // e.g. "Target 1"

  // Strings of the selected device.
  OptString DEVICE;
  OptString VENDOR;
  OptString CPU;      // on-chip memories, clock, architecture keywords
  OptString RGF;      // register include file
  OptString MEM;      // external memories
  OptString C;        // default controls: compiler,
  OptString A;        //   assembler,
  OptString RL;       //   linker,
  OptString OH;       //   hex converter
  OptString FLASHUT;  // flash utility command
  OptString STUPF;    // startup file
  OptString FLASHDR;  // flash or target driver

  // Debugger drivers: simulator DLL, its arguments, dialog DLL, its
  // arguments; then the same four for the target debugger.
  OptString OPTDL[8];

  // Debug lists kept in the options file.
  BreakpointRec* breakpoints = nullptr;
  WatchRec* watches[2] = {};
  MemWindowRec* memWindows[4] = {};
  ToolboxButtonRec* toolbox = nullptr;
  PerfRangeRec* perfRanges = nullptr;
  SymbolsWindowRec* symbolsWindow = nullptr;
  uint32_t debugFlags = 0;  // kDebugFlagDeviceApplied

  BookSlot books[kBookSlots];

  OptString OPTLE;             // lint executable
  OptString OPTLC;             // lint configuration file
  TextListRec* OPTLI = nullptr;  // lint file list

  uint32_t USEENV = 0;
  OptString ENVBIN;
  OptString ENVINC;
  OptString ENVLIB;
  OptString ENVREG;
  OptString ORGREG;

  TargetRec* next = nullptr;
  uint32_t TGSTAT = 0;  // build status word
};

struct GroupRec : NodeRec {
  // kind = kKindGroup; pOpts: per target at most one block.
  uint32_t word = 0;   // 0 at creation
  uint32_t flags = 0;  // kGroupDeleted
  // Number in the project file (as TargetRec::number); 32 bits, so that no
  // group count wraps to 0, which would leave the group out of a save.
  uint32_t number = 0;
  OptString name;      // e.g. "Source Group 1"
  GroupRec* next = nullptr;
  FileRec* firstFile = nullptr;
  FileRec* lastFile = nullptr;
};

struct FileRec : NodeRec {
  // kind = kKindFile; pOpts: per target at most one block.
  OptString name;      // the file name as added
  OptString path;      // folder and name joined
  FileRec* next = nullptr;
  FileRec* includes = nullptr;  // include files shown under it (same layout)
  GroupRec* group = nullptr;    // owning group (null for an include entry)
  uint8_t type = kFileUnknown;  // FileType
  uint8_t flags = 0;            // kFileRemoved; other bits stored by the project file
  // Number in the project file, counted across all groups (as
  // TargetRec::number); include entries keep 0. 32 bits: a project of more
  // than 65,535 files numbers (and so saves) every one of them.
  uint32_t number = 0;
  OptString lastControls;       // control string of its last translation
  // Dependency check data.
  uint32_t time = 0;            // source time, seconds since 1970; 0 unknown
  uint32_t depState = 0;        // bit 0: found out of date
  DepIncludeRec* depIncludes = nullptr;
  // Editor state saved with the project.
  uintptr_t treeItem = 0;       // project-tree item handle (UI state)
  int32_t topLine = 0;
  int32_t caretLine = 0;
  int32_t caretColumn = 0;
  uint8_t windowPlacement[44] = {};
};

// ---------------------------------------------------------------- creation
// A project in pool 2 with the default filters, "Target 1" (current, no
// toolset, no block) and "Source Group 1". With a null name the name is the
// path's file title without extension and the folder the path up to and
// including its last '\\', '/' or ':'.
ProjectRec* NewProject(const char* name, const char* path);
// The same project made to be opened: copied whole into pool 1, the pool
// of the open project, and pool 2 released. Sheets and imports release the
// scratch pool whenever they end, so a project left there would go with it.
ProjectRec* NewOpenProject(const char* name, const char* path);

// Appends a group in pool 1; null when a non-deleted group of that name
// exists. Group names are told apart without letter case, as the
// Components page and the project window's rename do: "source" beside
// "Source" would be a second group no dialog could keep.
GroupRec* AddGroup(ProjectRec* project, const char* name);
GroupRec* FindGroupByName(GroupRec* first, const char* name);

// A file in the pool appended to the group; null when the group already
// holds kMaxFilesPerGroup files.
FileRec* NewFileRecord(GroupRec* group, const char* name, const char* folder, uint8_t type,
                       int pool);
FileRec* AddFileToGroup(GroupRec* group, const char* name, const char* folder, uint8_t type);
// A copy in pool 1 with its next link cleared.
FileRec* CopyFileRecord(const FileRec* file);
// "folder" + one '\\' + "name" (no separator when the folder ends in '/',
// ':' or '\\'; none either for an empty folder).
std::string JoinFilePath(const char* folder, const char* name);

// ---------------------------------------------------------------- ordering
// Link the file at the place named, then rebuild the list: removed files
// drop out. A file already in the list is moved, not duplicated.
void InsertFileAtHead(GroupRec* group, FileRec* file);
void AppendFileRecord(GroupRec* group, FileRec* file);
void InsertFileBefore(GroupRec* group, FileRec* before, FileRec* file);
void CompactGroupFiles(GroupRec* group);

// ---------------------------------------------------------------- lookup
// The first block whose owner is the target or a target of the same name
// (case-sensitive); blocks without owner are skipped.
OptionBlock* FindTargetOptions(OptionBlock* list, const TargetRec* target);
FileRec* FindProjectFile(ProjectRec* project, const char* name, uint8_t type);
// In the open project with a current target: files of type C, assembler,
// PL/M or C++ of non-deleted groups, not removed.
FileRec* FindSourceFileByName(const char* name);
// The file's path expanded against the project folder, compared ignoring
// case with path.
FileRec* FindSourceFileByPath(const char* path);
// Names compared without extensions; gives the file's name ("" when none)
// and sets pathOut.
std::string FindSourceFileByBaseName(const char* name, std::string* pathOut);
// A stored path made absolute against the project folder (a stored path
// that already is absolute is kept).
std::string ExpandProjectPath(const ProjectRec& project, const char* path);
// The output folder and name of block with the extension "Sbr".
std::string GetOutputFileBase(const OptionBlock& work);
// For a current 51 target whose device is of the extended kind (the device
// keywords MX or MXP), the code listing the linker writes: the listing
// folder and the output name with the extension "cod" (the name alone when
// both folders are the project folder), made absolute against the project
// folder. True when that file exists and can be read.
bool GetLinkerCodFilePath(std::string* out);

// ---------------------------------------------------------------- file types
uint8_t GetFileTypeOfName(const char* name);
uint8_t GetFileTypeOfExt(const char* ext);  // ext starts at the dot
bool MatchFilterList(const char* filterList, const char* ext);
const char* GetFileTypeName(uint8_t type);
// "File '%s' is already a member of -\n   Group:\t'%s'\n   Type:\t%s\n"
// with the file's name, group and type, then a line feed and the extra
// text when there is one: the one text of every membership message.
std::string FileMembershipMessage(const FileRec* file, const char* extraText);
// Beeps and shows that message; returns the message box result.
int CheckFileMembership(const FileRec* file, const char* extraText,
                        int boxKind = kMbOk | kMbIconExclamation);

// ---------------------------------------------------------------- copying
// Deep copy of the project into the pool, leaving out deleted targets and
// groups and removed files; node blocks follow their target by name.
ProjectRec* CopyProjectTree(const ProjectRec* project, int pool);
TargetRec* CopyTargetRec(const TargetRec* target, int pool);

// ---------------------------------------------------------------- editing
// Points theApp()'s m_pEditTargetOpts / m_pEditGroupOpts / m_pEditFileOpts
// at the current target's blocks for the node.
void SelectEditedOptions(NodeRec* node);

}  // namespace pm2
