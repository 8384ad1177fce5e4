#include "browser/browse_session.h"

#include "browser/browse_loader.h"
#include "platform/atomic_file.h"

namespace pm2 {

std::string BrowseSession::Open(const std::string& file, std::string_view baseFolder) {
  if (Module() && m_module->fileName == file) {
    m_error = 0;
    m_errorText.clear();
    return std::string();
  }
  Free();
  // Read, not mapped: a build may rewrite the output while it is read, and
  // a mapping cut short under us would crash the program instead of
  // giving a damaged-file message.
  std::string bytes;
  if (ReadWholeFile(file, bytes, nullptr))
    m_error = LoadBrowseInfo(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), baseFolder, &m_module);
  else
    m_error = kBrowseCantOpen;
  if (m_error != 0) {
    m_module.reset();
    m_errorText = BrowseErrorText(m_error, file);
    return m_errorText;
  }
  m_errorText.clear();
  m_module->fileName = file;
  m_module->loaded = true;
  return std::string();
}

void BrowseSession::Free() {
  m_module.reset();
  m_addIn = BrowseAddInLocation();
}

}  // namespace pm2
