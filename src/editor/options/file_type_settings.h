// The editor's per-file-type settings as the main frame keeps them: thirteen
// records, one per profile section "Editor\...", loaded at start-up and
// written back after the options sheet. The text buffer reads the same
// sections itself (editor/text/editor_keys.h); the key names below are the
// ones both sides use.
//
// Stored form, per section: "Tab Size" (number), "Show Tabs", "Keep Tabs",
// "VirtSpace", "Autoindent", "Case", "BakFiles", "Chroma", "AutoLoad" (0 or
// 1), the colours "Comment", "Background", "Keyword", "Default Text",
// "Quote", "SQuote" as "r,g,b", and "Font Name", "Font Size", "Font Weight",
// "Font Italic". A missing key takes its default; a colour field that is
// missing counts 0 ("0,128" is green 128, blue 0).
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace pm2 {

class SettingsStore;

// Bits of EditFileTypeSettings::flags.
enum FileTypeFlag : uint32_t {
  kFtTabSizeMask = 0xFF,
  kFtShowTabs = 0x100,
  kFtTabsToBlanks = 0x200,  // the inverse of "Keep Tabs"
  kFtVirtualSpace = 0x400,
  kFtAutoIndent = 0x800,
  kFtCaseSensitive = 0x1000,
  kFtBackupFiles = 0x2000,
  kFtColouring = 0x4000,
  kFtAutoReload = 0x8000,
};

// Colours are 0x00BBGGRR, as the text buffer keeps them.
struct EditFileTypeSettings {
  uint32_t crComment = 0x008000;
  uint32_t crBackground = 0xFFFFFF;
  uint32_t crKeyword = 0xFF0000;
  uint32_t crText = 0;
  uint32_t crQuote = 0x0000E1;  // 225,0,0
  uint32_t crSQuote = 0x0000E1;
  uint32_t flags = 4;           // tab size 4, tabs kept
  std::string fontFace = "Courier New";  // the text buffer's own defaults
  int fontSize = 9;
  int fontWeight = 400;
  int italic = 0;

  int TabSize() const { return int(flags & kFtTabSizeMask); }
  bool Has(uint32_t bit) const { return (flags & bit) != 0; }
  bool operator==(const EditFileTypeSettings&) const = default;
};

// Indices of the thirteen records.
enum FileTypeRecord : int {
  kFtRecArmAsm = 0,
  kFtRecArmCpp = 1,
  kFtRecArmC = 2,
  kFtRecQ251 = 3,
  kFtRecW251 = 4,
  kFtRecW51 = 5,
  kFtRecW166 = 6,
  kFtRecQ51 = 7,
  kFtRecQ166 = 8,
  kFtRecDefault = 9,
  kFtRecAsmPage = 10,  // the options sheet's working record; no section
  kFtRecQP166 = 11,
  kFtRecCFiles = 12,
  kFileTypeRecords = 13,
};

using EditorTypeSettings = std::array<EditFileTypeSettings, kFileTypeRecords>;

struct FileTypeSection {
  int record;
  const char* section;
  int caseDefault;
  int colouringDefault;
};

// The twelve sections in the order they are loaded at start-up.
extern const FileTypeSection kFileTypeLoadOrder[12];
// The same sections in the order they are written after the options sheet.
extern const int kFileTypeSaveOrder[12];

// The section of a record ("" for the working record 10 or a bad index).
const char* FileTypeSectionName(int record);

// Reads the keys of `section` into the record; returns whether its
// automatic-reload bit is set (the caller ORs that into its state).
bool LoadEditorTypeSettings(const SettingsStore& store, EditFileTypeSettings* rec,
                            const char* section, int caseDefault, int colouringDefault);
void SaveEditorTypeSettings(SettingsStore& store, const EditFileTypeSettings& rec,
                            const char* section);

// All twelve sections in load order; returns whether any record reloads
// changed files without asking. Record 10 keeps its defaults.
bool LoadAllEditorTypeSettings(const SettingsStore& store, EditorTypeSettings* all);
void SaveAllEditorTypeSettings(SettingsStore& store, const EditorTypeSettings& all);

// File kinds of the project (C source, assembler source, C++ source).
enum FileKind : int { kFileKindC = 1, kFileKindAsm = 2, kFileKindCpp = 8 };

// The record a toolset (0..4, anything else: no project) gives a file
// kind, or -1 (C++ without a 166 or ARM toolset, another kind).
int FileTypeRecordFor(int toolset, int fileKind);
// The tab size of that record, or 0 when there is none.
int GetFileTypeTabSize(const EditorTypeSettings& all, int toolset, int fileKind);

}  // namespace pm2
