// View > Options: the editor options of the current toolset's file types
// in a sheet, saved to the profile on OK and handed to every open editor.
// The sheet itself is a replaceable function (tests put a fake in its
// place); the program's is the editor configuration sheet.
#pragma once

#include <functional>

class QWidget;

namespace pm2 {

class EditorOptionsSession;
class SECCommandList;
class SECShortcutTable;

// The shortcuts page's data: a copy of the frame's table the page edits,
// the commands a key may be given to, and whether the page changed it.
struct ShortcutPageData {
  SECShortcutTable* table = nullptr;
  const SECCommandList* commands = nullptr;
  bool modified = false;
};

// Shows the sheet over `parent` on the session's records and the
// shortcuts; true on OK.
using EditorOptionsSheet =
    std::function<bool(QWidget* parent, EditorOptionsSession& session, ShortcutPageData& shortcuts)>;
void SetEditorOptionsSheet(EditorOptionsSheet sheet);
// The one set, else the editor configuration sheet.
const EditorOptionsSheet& CurrentEditorOptionsSheet();

}  // namespace pm2
