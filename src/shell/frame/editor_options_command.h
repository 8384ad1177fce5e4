// View > Options: the editor configuration sheet on the current toolset's
// file types, the IDE's window settings and a copy of the frame's
// shortcuts, saved to the profile on OK and handed to every open editor and
// window. Tests may run the sheet themselves.
#pragma once

#include <functional>

namespace pm2 {

class CColFnt;

// Runs the open sheet in place of its exec(); true stands for OK. Null:
// the sheet runs modally.
using EditorOptionsSheet = std::function<bool(CColFnt& sheet)>;
void SetEditorOptionsSheet(EditorOptionsSheet sheet);

}  // namespace pm2
