// The file-type records while the editor options sheet is open: the
// current toolset's C and assembler records are copied into the sheet's
// working records (12 for the C page, 10 for the assembler page; 9 is
// edited in place), Cancel puts back what the sheet may have changed, OK
// copies the working records back and shares the automatic-indent and
// virtual-space settings with every file type. The shared window settings
// (fonts and colours of the IDE's other windows), when given, are edited in
// place and put back as they were on Cancel.
#pragma once

#include "toolkit/core/window_fonts.h"
#include "editor/options/file_type_settings.h"

namespace pm2 {

class EditorOptionsSession {
 public:
  // `toolset` as FileTypeRecordFor takes it (none: no project).
  EditorOptionsSession(EditorTypeSettings& all, int toolset);

  // The records the sheet's pages edit.
  EditFileTypeSettings& CPage() { return m_all[kFtRecCFiles]; }
  EditFileTypeSettings& AssemblerPage() { return m_all[kFtRecAsmPage]; }
  EditFileTypeSettings& OtherFilesPage() { return m_all[kFtRecDefault]; }
  // Every record, for a sheet that shows more than the three pages.
  EditorTypeSettings& All() { return m_all; }
  // The program's window settings the sheet edits (null: none).
  void EditWindowFonts(WindowFonts* live);
  WindowFonts* Fonts() { return m_fonts; }

  // Puts back the C files and other files records and the window settings
  // as they were.
  void Cancel();
  // Copies the pages back into the toolset's records; returns whether the
  // application should reload changed files without asking (the C page's
  // reload setting).
  bool Apply();

 private:
  EditorTypeSettings& m_all;
  int m_c, m_assembler, m_cpp;  // records of the toolset (-1 none)
  EditFileTypeSettings m_keptC, m_keptOther;
  WindowFonts* m_fonts = nullptr;
  WindowFonts m_keptFonts;
};

}  // namespace pm2
