// The options sheet opened by the real main frame takes the editor's tab
// size of the current target's C files for its previews, as the build takes
// it for the compilers' lines.
#include <QDialog>

#include "builder/commands/command_context.h"
#include "editor/options/file_type_settings.h"
#include "options/pages/options_sheet.h"
#include "project/model/project_records.h"
#include "shell/frame/command_table.h"
#include "shell/frame/frame_fixture.h"
#include "shell/frame/project_commands_ext.h"

namespace pm2 {
namespace preview_tab_frame_test {

class PreviewTabFrameTest : public test::ExampleFrameTest {};

// The tab size of the ARM-GNU C files in the session's settings.
void SetCTabSize(SettingsStore& settings, int size) {
  EditorTypeSettings all{};
  LoadAllEditorTypeSettings(settings, &all);
  const int record = FileTypeRecordFor(kToolsetArmGnu, kFileKindC);
  ASSERT_GE(record, 0);
  all[std::size_t(record)].flags = (all[std::size_t(record)].flags & ~uint32_t(kFtTabSizeMask)) | uint32_t(size);
  SaveEditorTypeSettings(settings, all[std::size_t(record)], FileTypeSectionName(record));
}

TEST_F(PreviewTabFrameTest, SheetPreviewsTakeTheEditorsCTabSize) {
  test::ExampleSession s(dir, root);
  ASSERT_TRUE(s.started);
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  for (int size : {8, 3}) {
    SetCTabSize(s.settings, size);
    int seen = -1;
    f->ProjectCommands()->m_runOptionsSheet = [&](OptionsSheet& sheet) {
      seen = sheet.PreviewContext().m_nCTabWidth;
      return int(QDialog::Rejected);
    };
    ASSERT_TRUE(f->ExecuteCommand(cmd::kOptionsForTarget));
    EXPECT_EQ(seen, size);
  }
}

}  // namespace preview_tab_frame_test
}  // namespace pm2
