// The configuration sheet's rules: the controls' bits and records, the
// colour table, the font height at a screen's pixels per inch, the editor
// kinds' profile sections and the colours of one section.
#include <gtest/gtest.h>

#include "editor/options/section_colours.h"
#include "editor/options/sheet_rules.h"
#include "platform/settings_store.h"
#include "platform/temp_dir.h"

namespace pm2 {
namespace {

TEST(SheetRulesTest, FontHeightsAtAScreensResolution) {
  struct Row {
    const char* name;
    int points, ppi, height;
  };
  const Row rows[] = {
      {"10 points at 96 ppi", 10, 96, -13},
      {"11 points at 96 ppi", 11, 96, -15},
      {"8 points at 96 ppi rounds up", 8, 96, -11},
      {"12 points at 72 ppi", 12, 72, -12},
      {"36 points at 120 ppi", 36, 120, -60},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(r.height, FontHeightOfPoints(r.points, r.ppi)) << r.name;
    EXPECT_EQ(r.points, PointsOfFontHeight(r.height, r.ppi)) << r.name;
  }
  EXPECT_EQ(-2, MulDiv(-3, 1, 2)) << "halves round away from zero";
  EXPECT_EQ(-1, MulDiv(1, 1, 0)) << "division by zero";
}

TEST(SheetRulesTest, TheColourCombosTable) {
  struct Row {
    uint32_t colour;
    int index;
  };
  const Row rows[] = {{0x000000, 0}, {0x0000FF, 9}, {0xFFFFFF, 15}, {0xC0C0C0, 7}, {0x123456, -1}, {0x0000E1, -1}};
  for (const Row& r : rows) EXPECT_EQ(r.index, ComboColourIndex(r.colour)) << std::hex << r.colour;
  EXPECT_EQ(0xFF0000u, ComboColourAt(12));
  EXPECT_EQ(0u, ComboColourAt(16)) << "outside the table: black";
  EXPECT_EQ(0u, ComboColourAt(-1));
}

TEST(SheetRulesTest, ControlsEditTheirRecordsBits) {
  struct Row {
    int id;
    int record;
    uint32_t bit;
  };
  const Row rows[] = {{1482, kFtRecCFiles, kFtBackupFiles}, {1490, kFtRecCFiles, kFtAutoReload},
                      {1487, kFtRecCFiles, kFtTabsToBlanks}, {1495, kFtRecAsmPage, kFtColouring},
                      {1011, kFtRecDefault, kFtShowTabs},    {1196, kFtRecDefault, kFtTabsToBlanks}};
  for (const Row& r : rows) {
    const EditorOptionControl* c = nullptr;
    for (int i = 0; i < kEditorOptionControlCount; ++i)
      if (kEditorOptionControls[i].id == r.id) c = &kEditorOptionControls[i];
    ASSERT_NE(nullptr, c) << r.id;
    EditorTypeSettings all{};
    SetEditorOptionValue(all, *c, 1);
    EXPECT_EQ(r.bit, all[size_t(r.record)].flags & r.bit) << r.id;
    EXPECT_EQ(1, EditorOptionValue(all, *c)) << r.id;
    for (int k = 0; k < kFileTypeRecords; ++k) {
      if (k != r.record) {
        EXPECT_EQ(EditFileTypeSettings{}, all[size_t(k)]) << r.id << " record " << k;
      }
    }
    SetEditorOptionValue(all, *c, 0);
    EXPECT_EQ(0u, all[size_t(r.record)].flags & r.bit) << r.id;
  }
}

TEST(SheetRulesTest, TabSizesKeepTheOtherBits) {
  EditorTypeSettings all{};
  const EditorOptionControl& tab = kEditorOptionControls[0];
  ASSERT_EQ(1489, tab.id);
  all[kFtRecCFiles].flags = kFtColouring | 4;
  SetEditorOptionValue(all, tab, 8);
  EXPECT_EQ(uint32_t(kFtColouring | 8), all[kFtRecCFiles].flags);
  SetEditorOptionValue(all, tab, 70000);
  EXPECT_EQ(8, EditorOptionValue(all, tab)) << "a spin error leaves the size";
  SetEditorOptionValue(all, tab, -1);
  EXPECT_EQ(8, EditorOptionValue(all, tab));
}

// The profile section whose colours each editor kind of the colours page
// stands for, by toolset.
TEST(SheetRulesTest, EachEditorKindsColourSection) {
  struct Row {
    const char* name;
    int kind;  // row of kEditorWindowKinds
    int toolset;
    const char* section;
  };
  const Row rows[] = {
      {"C files of an ARM target", 0, 3, "Editor\\CArmC"},
      {"C++ files of an ARM target", 1, 4, "Editor\\CArmP"},
      {"C++ files of a 51 target are C files", 1, 0, "Editor\\Q51"},
      {"assembler files of a 166 target", 2, 2, "Editor\\W166"},
      {"assembler files without a project: none", 2, 100, ""},
      {"C files without a project", 0, 100, "Editor\\C Files"},
      {"other files", 3, 3, "Editor\\Default Files"},
  };
  for (const Row& r : rows) EXPECT_EQ(EditorKindSection(kEditorWindowKinds[r.kind], r.toolset), r.section) << r.name;
}

TEST(SectionColoursTest, ReadWithDefaultsAndWrittenBack) {
  TempDir dir;
  SettingsStore store{dir / "settings"};
  const SectionColours fresh = LoadSectionColours(store, "Editor\\W51");
  EXPECT_EQ(fresh, SectionColours{}) << "every key missing: the defaults";
  EXPECT_EQ(fresh.keyword, 0xC00000u) << "0,0,192";
  EXPECT_EQ(fresh.comment, 0x00FF00u) << "0,255,0";
  struct Row {
    const char* name;
    const char* stored;
    uint32_t keyword;
  };
  const Row rows[] = {
      {"three parts", "1,2,3", 0x030201u},
      {"a missing part counts 0", "0,0", 0u},
      {"one part", "255", 0x0000FFu},
      {"the runtime's decimal reading", " 12x,7", 0x00070Cu},
  };
  for (const Row& r : rows) {
    store.WriteProfileString("Editor\\W51", "Keyword", r.stored);
    EXPECT_EQ(LoadSectionColours(store, "Editor\\W51").keyword, r.keyword) << r.name;
  }
  SectionColours v;
  v.quote = 0x112233;
  v.background = 0x000080;
  v.caseSensitive = 1;
  v.colouring = 1;
  v.commentStart1 = ";";
  v.commentStart2 = "/*";
  v.commentEnd2 = "*/";
  SaveSectionColours(store, "Editor\\W51", v);
  EXPECT_EQ(store.GetProfileString("Editor\\W51", "Quote", ""), "51,34,17");
  EXPECT_EQ(store.GetProfileString("Editor\\W51", "Background", ""), "128,0,0");
  EXPECT_EQ(LoadSectionColours(store, "Editor\\W51"), v);
  EXPECT_EQ(LoadSectionColours(store, "Editor\\W166"), SectionColours{}) << "another section is untouched";
}

}  // namespace
}  // namespace pm2
