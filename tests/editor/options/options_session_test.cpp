// The records while the options sheet is open: which records the pages
// edit for a toolset, what OK copies back and shares, what Cancel restores.
#include <gtest/gtest.h>

#include "editor/options/options_session.h"

namespace pm2 {
namespace {

EditorTypeSettings Numbered() {
  EditorTypeSettings all;
  for (int i = 0; i < kFileTypeRecords; ++i) all[size_t(i)].fontSize = 100 + i;
  return all;
}

TEST(EditorOptionsSessionTest, ThePagesEditTheToolsetsRecords) {
  struct Row {
    const char* name;
    int toolset;
    int c, assembler;
  };
  const Row rows[] = {
      {"51", 0, kFtRecQ51, kFtRecW51},
      {"166", 2, kFtRecQ166, kFtRecW166},
      {"ARM", 4, kFtRecArmC, kFtRecArmAsm},
      {"no project", 100, kFtRecCFiles, kFtRecAsmPage},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    EditorTypeSettings all = Numbered();
    EditorOptionsSession s(all, r.toolset);
    EXPECT_EQ(100 + r.c, s.CPage().fontSize);
    EXPECT_EQ(100 + r.assembler, s.AssemblerPage().fontSize);
  }
}

TEST(EditorOptionsSessionTest, OkUnder166TargetChangesCAndCppFilesAndSharesIndent) {
  EditorTypeSettings all = Numbered();
  EditorOptionsSession s(all, 2);
  s.CPage().fontSize = 7;
  s.CPage().flags |= kFtAutoIndent | kFtAutoReload;
  s.AssemblerPage().fontSize = 8;
  EXPECT_TRUE(s.Apply());
  EXPECT_EQ(7, all[kFtRecQ166].fontSize);
  EXPECT_EQ(7, all[kFtRecQP166].fontSize);
  EXPECT_EQ(8, all[kFtRecW166].fontSize);
  EXPECT_EQ(100 + kFtRecQ51, all[kFtRecQ51].fontSize);
  for (int i = 0; i < kFileTypeRecords; ++i) {
    SCOPED_TRACE(i);
    EXPECT_TRUE(all[size_t(i)].Has(kFtAutoIndent));
    EXPECT_FALSE(all[size_t(i)].Has(kFtVirtualSpace));
  }
}

TEST(EditorOptionsSessionTest, CancelRestoresTheCAndOtherFilesRecords) {
  EditorTypeSettings all = Numbered();
  EditorTypeSettings before = all;
  EditorOptionsSession s(all, 0);
  s.CPage().fontSize = 1;
  s.OtherFilesPage().flags = 0;
  s.Cancel();
  EXPECT_EQ(before[kFtRecCFiles], all[kFtRecCFiles]);
  EXPECT_EQ(before[kFtRecDefault], all[kFtRecDefault]);
  EXPECT_EQ(before[kFtRecQ51], all[kFtRecQ51]);
}

// The window settings are edited in place: OK keeps the edits, Cancel puts
// back what they were when the sheet opened.
TEST(EditorOptionsSessionTest, WindowSettingsKeptOnOkAndPutBackOnCancel) {
  EditorTypeSettings all = Numbered();
  WindowFonts fonts;
  fonts.memoryText = 0x0000FF;
  const WindowFonts opened = fonts;
  {
    EditorOptionsSession s(all, 4);
    s.EditWindowFonts(&fonts);
    ASSERT_EQ(&fonts, s.Fonts());
    s.Fonts()->memoryText = 0x00FF00;
    s.Fonts()->serial[2].font.height = -15;
    s.Cancel();
    EXPECT_EQ(opened, fonts);
  }
  EditorOptionsSession s(all, 4);
  s.EditWindowFonts(&fonts);
  s.Fonts()->memoryText = 0x00FF00;
  s.Apply();
  EXPECT_EQ(0x00FF00u, fonts.memoryText);
  // A session without window settings cancels its records alone.
  EditorOptionsSession plain(all, 4);
  EXPECT_EQ(nullptr, plain.Fonts());
  plain.Cancel();
}

}  // namespace
}  // namespace pm2
