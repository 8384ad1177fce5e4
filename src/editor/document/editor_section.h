// Which per-file-type section and settings record a file is edited with:
// the extension table, searched in order, and the toolset's sections for
// the rows that leave the choice to the toolset.
#pragma once

#include <string>

namespace pm2 {

struct EditorSectionChoice {
  std::string section;  // "Editor\Q51"
  int fileType = 0;     // 1 C, 2 assembler, 8 C++, 0 none
  int record = 0;       // index into EditorTypeSettings
};

// `fileTypeOfName` is the type the project's filters give the name (0 when
// they give none); `toolset` the current target's (0..4; anything else: no
// project). A row matches by extension (ignoring case) or else by type.
EditorSectionChoice SelectEditorSection(const std::string& path, int fileTypeOfName, int toolset);

inline constexpr const char kDefaultEditorSection[] = "Editor\\Default Files";

}  // namespace pm2
