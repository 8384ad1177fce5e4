#include "builder/runner/tool_paths.h"

#include "platform/win_path.h"

namespace pm2 {

ToolPathMapper::ToolPathMapper(PathResolver* resolver, std::string projectFolder)
    : m_resolver(resolver), m_base(std::move(projectFolder)) {
  if (!m_resolver) m_resolver = m_own = new PathResolver();
  // The base itself may be stored in Windows form.
  if (!m_base.empty()) {
    std::string local;
    if (m_resolver->ResolveStoredPath(m_base, "", &local) || !local.empty()) m_base = local;
  }
}

ToolPathMapper::~ToolPathMapper() { delete m_own; }

bool ToolPathMapper::MapFile(std::string stored, std::string* out, std::string* err) const {
  *out = stored;
  if (stored.empty()) return true;
  if (IsRelativePath(stored) && !HasDriveLetter(stored) && m_base.empty()) {
    // Nothing to take it against: the child's working folder decides.
    *out = ToForwardSlashes(stored);
    return true;
  }
  std::string local, why;
  if (m_resolver->ResolveStoredPath(stored, m_base, &local, &why)) {
    *out = local;
    return true;
  }
  if (local.empty()) {
    if (err) *err = why;
    return false;
  }
  *out = local;  // not there (yet): the mapped name, so the child reports it
  return true;
}

bool ToolPathMapper::MapFolder(std::string stored, std::string* out,
                               std::string* err) const {
  if (!MapFile(stored, out, err)) return false;  // stored is a copy: out may alias the caller's
  if (!stored.empty() && IsPathSeparator(stored.back()) && !out->empty() && out->back() != '/')
    *out += '/';
  return true;
}

}  // namespace pm2
