// Stored paths on their way to a child process: tool folders, program
// paths, command files and the working folder come from project and
// environment files in Windows form ("C:\Tools\BIN\", ".\Obj\x.lnp", any
// letter case). The runner maps each through the platform path layer: the
// drive map, ".\" against the project folder it is given, and the existing
// file or folder found ignoring case. Paths already in this machine's form
// come through unchanged.
#pragma once

#include <string>

namespace pm2 {

class PathResolver;

class ToolPathMapper {
 public:
  // `resolver` holds the drive map and may be null (no drives mapped);
  // `projectFolder` is the folder that relative paths are taken against
  // (empty: relative paths only get '/' separators).
  ToolPathMapper(PathResolver* resolver, std::string projectFolder);
  ~ToolPathMapper();
  ToolPathMapper(const ToolPathMapper&) = delete;
  ToolPathMapper& operator=(const ToolPathMapper&) = delete;

  // A file or folder of this machine: the existing one when found (exactly
  // or ignoring case), else the path as mapped. Empty stays empty. False
  // with *err naming the path when it can't be mapped (a drive letter
  // without a mapping); *out then holds the stored path unchanged.
  bool MapFile(std::string stored, std::string* out, std::string* err) const;
  // The same for a folder; the result keeps a final '/' when the stored
  // folder ended in a separator, since file names are appended to it.
  bool MapFolder(std::string stored, std::string* out, std::string* err) const;

 private:
  PathResolver* m_resolver;
  PathResolver* m_own = nullptr;  // used when no resolver was given
  std::string m_base;
};

}  // namespace pm2
