#include "editor/options/options_session.h"

namespace pm2 {

EditorOptionsSession::EditorOptionsSession(EditorTypeSettings& all, int toolset)
    : m_all(all),
      m_c(FileTypeRecordFor(toolset, kFileKindC)),
      m_assembler(FileTypeRecordFor(toolset, kFileKindAsm)),
      m_cpp(FileTypeRecordFor(toolset, kFileKindCpp)),
      m_keptC(all[kFtRecCFiles]),
      m_keptOther(all[kFtRecDefault]) {
  // A C++ record that is the C record itself (51, 251) is not a second one.
  if (m_cpp == m_c) m_cpp = -1;
  m_all[kFtRecCFiles] = m_all[size_t(m_c)];
  m_all[kFtRecAsmPage] = m_all[size_t(m_assembler)];
}

void EditorOptionsSession::EditWindowFonts(WindowFonts* live) {
  m_fonts = live;
  if (live) m_keptFonts = *live;
}

void EditorOptionsSession::Cancel() {
  m_all[kFtRecCFiles] = m_keptC;
  m_all[kFtRecDefault] = m_keptOther;
  if (m_fonts) *m_fonts = m_keptFonts;
}

bool EditorOptionsSession::Apply() {
  const EditFileTypeSettings& c = m_all[kFtRecCFiles];
  m_all[size_t(m_c)] = c;
  if (m_cpp >= 0) m_all[size_t(m_cpp)] = c;  // C++ files take the C settings
  constexpr uint32_t kShared = kFtAutoIndent | kFtVirtualSpace;
  uint32_t shared = c.flags & kShared;
  EditFileTypeSettings& asmPage = m_all[kFtRecAsmPage];
  asmPage.flags = (asmPage.flags & ~kShared) | shared;
  m_all[size_t(m_assembler)] = asmPage;
  for (int i = 0; i < kFileTypeRecords; ++i) {
    if (i == kFtRecAsmPage || i == kFtRecCFiles) continue;
    m_all[size_t(i)].flags = (m_all[size_t(i)].flags & ~kShared) | shared;
  }
  return c.Has(kFtAutoReload);
}

}  // namespace pm2
