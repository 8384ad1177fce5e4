#include "browser/browse_session.h"

#include "browser/browse_loader.h"
#include "platform/mapped_file.h"

namespace pm2 {

std::string BrowseSession::Open(const std::string& file, std::string_view baseFolder) {
  if (Module() && m_module->fileName == file) {
    m_error = 0;
    m_errorText.clear();
    return std::string();
  }
  Free();
  MappedFileView view;
  if (view.Open(file)) {
    m_error = LoadBrowseInfo(reinterpret_cast<const uint8_t*>(view.data()), view.size(), baseFolder, &m_module);
  } else {
    // An empty file holds no module; anything else could not be read.
    m_error = view.error() == MapError::kEmpty ? kBrowseInvalid : kBrowseCantOpen;
  }
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
