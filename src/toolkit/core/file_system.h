#pragma once
// Current-directory and existence queries for the browse edits and the
// folder picker. Stored paths may carry Windows drive letters; a drive is
// found through the map set here (no mapping: the drive does not exist).

#include <map>
#include <string>

namespace pm2 {

class SECFileSystem {
 public:
  // The current directory (of the drive's folder when `drive` is given,
  // changing there and back); empty when the drive cannot be made current.
  std::string GetCurrentDirectory(const std::string& drive = {});
  // "/" on this system (there is one root).
  std::string GetCurrentDrive() const { return "/"; }
  bool SetCurrentDirectory(const std::string& path);
  bool FileExists(const std::string& path) const;
  bool IsDirectory(const std::string& path) const;

  void MapDrive(char letter, std::string folder);
  // A stored path made local: drive letter mapped, '\' turned into '/'.
  std::string LocalPath(const std::string& stored) const;

  // The folder a folder picker starts in for an edit's text: a trailing
  // separator removed; a bare drive ("C:") valid when it is mapped; other
  // paths valid when they are directories. Invalid gives empty.
  std::string StartFolder(const std::string& editText) const;
  // The file a file picker starts with: `*folder` set when the text names
  // a folder (file empty), else the text kept only when the file exists.
  std::string StartFile(const std::string& editText, std::string* folder) const;

 private:
  std::map<char, std::string> m_drives;
};

}  // namespace pm2
