// The file-type settings records: keys and defaults per section, colour
// texts, the load and save order, and the record a toolset gives a file.
#include <gtest/gtest.h>

#include "editor/options/file_type_settings.h"
#include "platform/settings_store.h"
#include "platform/temp_dir.h"

namespace pm2 {
namespace {

class FileTypeSettingsTest : public ::testing::Test {
 protected:
  TempDir m_dir;
  SettingsStore m_store{m_dir / "settings"};
};

TEST_F(FileTypeSettingsTest, MissingKeysTakeTheDefaultsOfTheirSection) {
  EditorTypeSettings all;
  EXPECT_FALSE(LoadAllEditorTypeSettings(m_store, &all));
  struct Row {
    const char* name;
    int record;
    bool caseSensitive, colouring;
  };
  const Row rows[] = {
      {"C files", kFtRecCFiles, true, true},     {"default files", kFtRecDefault, false, false},
      {"166 C++", kFtRecQP166, true, true},      {"51 assembler", kFtRecW51, false, true},
      {"ARM C", kFtRecArmC, false, true},        {"51 C", kFtRecQ51, true, true},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    const EditFileTypeSettings& s = all[size_t(r.record)];
    EXPECT_EQ(r.caseSensitive, s.Has(kFtCaseSensitive));
    EXPECT_EQ(r.colouring, s.Has(kFtColouring));
    EXPECT_EQ(4, s.TabSize());
    EXPECT_FALSE(s.Has(kFtTabsToBlanks));  // "Keep Tabs" defaults to 1
    EXPECT_EQ(0x0000E1u, s.crQuote);        // 225,0,0, not 255
    EXPECT_EQ(0x008000u, s.crComment);
    EXPECT_EQ("Courier New", s.fontFace);  // as the text shows it unstored
    EXPECT_EQ(9, s.fontSize);
  }
}

TEST_F(FileTypeSettingsTest, ColourTextsAreReadFieldByField) {
  struct Row {
    const char* name;
    const char* text;
    uint32_t colour;
  };
  const Row rows[] = {
      {"three fields", "1,2,3", 0x030201},
      {"missing blue", "0,128", 0x008000},
      {"red only", "200", 0x0000C8},
      {"empty", "", 0},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    m_store.WriteProfileString("Editor\\Q51", "Keyword", r.text);
    EditFileTypeSettings s;
    LoadEditorTypeSettings(m_store, &s, "Editor\\Q51", 1, 1);
    EXPECT_EQ(r.colour, s.crKeyword);
  }
}

TEST_F(FileTypeSettingsTest, FlagKeysMapToTheirBits) {
  const char* section = "Editor\\W166";
  m_store.WriteProfileInt(section, "Tab Size", 8);
  m_store.WriteProfileInt(section, "Keep Tabs", 0);
  m_store.WriteProfileInt(section, "BakFiles", 1);
  m_store.WriteProfileInt(section, "AutoLoad", 1);
  m_store.WriteProfileInt(section, "Chroma", 0);
  EditFileTypeSettings s;
  EXPECT_TRUE(LoadEditorTypeSettings(m_store, &s, section, 0, 1));
  EXPECT_EQ(uint32_t(8 | kFtTabsToBlanks | kFtBackupFiles | kFtAutoReload), s.flags);
}

TEST_F(FileTypeSettingsTest, SaveThenLoadGivesTheSameRecords) {
  EditorTypeSettings all;
  LoadAllEditorTypeSettings(m_store, &all);
  all[kFtRecArmAsm].flags = 2 | kFtShowTabs | kFtAutoIndent | kFtVirtualSpace;
  all[kFtRecArmAsm].fontFace = "DejaVu Sans Mono";
  all[kFtRecArmAsm].italic = 1;
  all[kFtRecDefault].crBackground = 0x102030;
  all[kFtRecCFiles].flags |= kFtAutoReload;
  SaveAllEditorTypeSettings(m_store, all);
  ASSERT_TRUE(m_store.Save());

  SettingsStore again(m_dir / "settings");
  ASSERT_TRUE(again.Load());
  EditorTypeSettings back;
  EXPECT_TRUE(LoadAllEditorTypeSettings(again, &back));
  for (int i = 0; i < kFileTypeRecords; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(all[size_t(i)], back[size_t(i)]);
  }
}

TEST_F(FileTypeSettingsTest, SectionsAreWrittenInTheirSaveOrder) {
  EditorTypeSettings all;
  SaveAllEditorTypeSettings(m_store, all);
  std::vector<std::string> expected = {"C Files", "QP166", "Default Files", "Q166",
                                       "Q51",     "W166",  "W51",           "W251",
                                       "Q251",    "CArmC", "CArmP",         "CArmA"};
  EXPECT_EQ(expected, m_store.SubKeys(m_store.ProfileRoot() + "\\Editor"));
}

TEST_F(FileTypeSettingsTest, RecordOfAToolsetAndFileKind) {
  struct Row {
    const char* name;
    int toolset, kind, record;
  };
  const Row rows[] = {
      {"51 C", 0, kFileKindC, kFtRecQ51},           {"51 asm", 0, kFileKindAsm, kFtRecW51},
      {"51 C++ as C", 0, kFileKindCpp, kFtRecQ51},  {"251 asm", 1, kFileKindAsm, kFtRecW251},
      {"166 C++", 2, kFileKindCpp, kFtRecQP166},    {"166 asm", 2, kFileKindAsm, kFtRecW166},
      {"ARM GNU C", 3, kFileKindC, kFtRecArmC},     {"ARM ADS C++", 4, kFileKindCpp, kFtRecArmCpp},
      {"no project C", 100, kFileKindC, kFtRecCFiles},
      {"no project asm", -1, kFileKindAsm, kFtRecAsmPage},
      {"no project C++", 100, kFileKindCpp, -1},    {"other kind", 0, 4, -1},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_EQ(r.record, FileTypeRecordFor(r.toolset, r.kind));
  }
  EditorTypeSettings all;
  all[kFtRecW166].flags = 3;
  EXPECT_EQ(3, GetFileTypeTabSize(all, 2, kFileKindAsm));
  EXPECT_EQ(0, GetFileTypeTabSize(all, 0, 16));
}

}  // namespace
}  // namespace pm2
