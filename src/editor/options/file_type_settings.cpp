#include "editor/options/file_type_settings.h"

#include "editor/text/text_buffer.h"
#include "platform/settings_store.h"

namespace pm2 {

const FileTypeSection kFileTypeLoadOrder[12] = {
    {kFtRecCFiles, "Editor\\C Files", 1, 1},   {kFtRecDefault, "Editor\\Default Files", 0, 0},
    {kFtRecQP166, "Editor\\QP166", 1, 1},      {kFtRecQ166, "Editor\\Q166", 1, 1},
    {kFtRecQ51, "Editor\\Q51", 1, 1},          {kFtRecW166, "Editor\\W166", 0, 1},
    {kFtRecW51, "Editor\\W51", 0, 1},          {kFtRecW251, "Editor\\W251", 0, 1},
    {kFtRecQ251, "Editor\\Q251", 0, 1},        {kFtRecArmC, "Editor\\CArmC", 0, 1},
    {kFtRecArmCpp, "Editor\\CArmP", 0, 1},     {kFtRecArmAsm, "Editor\\CArmA", 0, 1},
};

const int kFileTypeSaveOrder[12] = {kFtRecCFiles, kFtRecQP166, kFtRecDefault, kFtRecQ166,
                                    kFtRecQ51,    kFtRecW166,  kFtRecW51,     kFtRecW251,
                                    kFtRecQ251,   kFtRecArmC,  kFtRecArmCpp,  kFtRecArmAsm};

namespace {
// One flag key: its bit, whether the stored value is the bit's inverse,
// and its default (-1: the section's case default, -2: its colouring one).
struct FlagKey {
  const char* key;
  uint32_t bit;
  bool inverse;
  int def;
};
constexpr FlagKey kFlagKeys[] = {
    {"Show Tabs", kFtShowTabs, false, 0},       {"Keep Tabs", kFtTabsToBlanks, true, 1},
    {"VirtSpace", kFtVirtualSpace, false, 0},   {"Autoindent", kFtAutoIndent, false, 0},
    {"Case", kFtCaseSensitive, false, -1},      {"BakFiles", kFtBackupFiles, false, 0},
    {"Chroma", kFtColouring, false, -2},        {"AutoLoad", kFtAutoReload, false, 0},
};

struct ColourKey {
  const char* key;
  uint32_t EditFileTypeSettings::*field;
  const char* def;
};
constexpr ColourKey kColourKeys[] = {
    {"Comment", &EditFileTypeSettings::crComment, "0,128,0"},
    {"Background", &EditFileTypeSettings::crBackground, "255,255,255"},
    {"Keyword", &EditFileTypeSettings::crKeyword, "0,0,255"},
    {"Default Text", &EditFileTypeSettings::crText, "0,0,0"},
    {"Quote", &EditFileTypeSettings::crQuote, "225,0,0"},
    {"SQuote", &EditFileTypeSettings::crSQuote, "225,0,0"},
};

struct NumberKey {
  const char* key;
  int EditFileTypeSettings::*field;
  int def;
};
constexpr NumberKey kNumberKeys[] = {
    // The font the text shows while nothing is stored (the text buffer's
    // defaults): OK on the sheet then writes the font the editors already use.
    {"Font Size", &EditFileTypeSettings::fontSize, 9},
    {"Font Weight", &EditFileTypeSettings::fontWeight, 400},
    {"Font Italic", &EditFileTypeSettings::italic, 0},
};

constexpr const char* kTabSizeKey = "Tab Size";
constexpr const char* kFontNameKey = "Font Name";

// Records by toolset: C, assembler, C++ (-1 none).
struct ToolsetRecords {
  int c, assembler, cpp;
};
constexpr ToolsetRecords kByToolset[] = {
    {kFtRecQ51, kFtRecW51, kFtRecQ51},     // 0 MCS-51
    {kFtRecQ251, kFtRecW251, kFtRecQ251},  // 1 MCS-251
    {kFtRecQ166, kFtRecW166, kFtRecQP166}, // 2 166/167
    {kFtRecArmC, kFtRecArmAsm, kFtRecArmCpp},  // 3 ARM
    {kFtRecArmC, kFtRecArmAsm, kFtRecArmCpp},  // 4 ARM
};
constexpr ToolsetRecords kNoToolset = {kFtRecCFiles, kFtRecAsmPage, -1};
}  // namespace

const char* FileTypeSectionName(int record) {
  for (const FileTypeSection& s : kFileTypeLoadOrder)
    if (s.record == record) return s.section;
  return "";
}

bool LoadEditorTypeSettings(const SettingsStore& store, EditFileTypeSettings* rec,
                            const char* section, int caseDefault, int colouringDefault) {
  uint32_t flags = uint32_t(store.GetProfileInt(section, kTabSizeKey, 4)) & kFtTabSizeMask;
  for (const FlagKey& k : kFlagKeys) {
    int def = k.def == -1 ? caseDefault : k.def == -2 ? colouringDefault : k.def;
    bool on = store.GetProfileInt(section, k.key, def) != 0;
    if (on != k.inverse) flags |= k.bit;
  }
  rec->flags = flags;
  for (const ColourKey& k : kColourKeys)
    rec->*k.field = CEditTextBuffer::ParseColour(store.GetProfileString(section, k.key, k.def));
  rec->fontFace = store.GetProfileString(section, kFontNameKey, "Courier New");
  for (const NumberKey& k : kNumberKeys) rec->*k.field = store.GetProfileInt(section, k.key, k.def);
  return rec->Has(kFtAutoReload);
}

void SaveEditorTypeSettings(SettingsStore& store, const EditFileTypeSettings& rec,
                            const char* section) {
  store.WriteProfileInt(section, kTabSizeKey, rec.TabSize());
  for (const FlagKey& k : kFlagKeys) store.WriteProfileInt(section, k.key, rec.Has(k.bit) != k.inverse);
  for (const ColourKey& k : kColourKeys)
    store.WriteProfileString(section, k.key, CEditTextBuffer::FormatColour(rec.*k.field).c_str());
  store.WriteProfileString(section, kFontNameKey, rec.fontFace.c_str());
  for (const NumberKey& k : kNumberKeys) store.WriteProfileInt(section, k.key, rec.*k.field);
}

bool LoadAllEditorTypeSettings(const SettingsStore& store, EditorTypeSettings* all) {
  bool reload = false;
  for (const FileTypeSection& s : kFileTypeLoadOrder)
    reload |= LoadEditorTypeSettings(store, &(*all)[size_t(s.record)], s.section, s.caseDefault,
                                     s.colouringDefault);
  return reload;
}

void SaveAllEditorTypeSettings(SettingsStore& store, const EditorTypeSettings& all) {
  for (int record : kFileTypeSaveOrder)
    SaveEditorTypeSettings(store, all[size_t(record)], FileTypeSectionName(record));
}

int FileTypeRecordFor(int toolset, int fileKind) {
  const ToolsetRecords& r = toolset >= 0 && toolset <= 4 ? kByToolset[toolset] : kNoToolset;
  switch (fileKind) {  // three kinds, each one field of the row
    case kFileKindC: return r.c;
    case kFileKindAsm: return r.assembler;
    case kFileKindCpp: return r.cpp;
    default: return -1;
  }
}

int GetFileTypeTabSize(const EditorTypeSettings& all, int toolset, int fileKind) {
  int record = FileTypeRecordFor(toolset, fileKind);
  return record < 0 ? 0 : all[size_t(record)].TabSize();
}

}  // namespace pm2
