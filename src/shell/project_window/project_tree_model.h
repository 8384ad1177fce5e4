// What the project window's tree shows, without a window: the rows of the
// current target, its groups, their files and the include files below
// them, each with its image and expansion, computed from the project
// records. The tree widget inserts the rows as they come; tests read them.
//
// Images (index into the 13-image list):
//   0/1  target or group, collapsed/expanded
//   2/3  the same with its own option block for the current target
//   4    file not translated (a text document, or excluded from the build)
//   5    file translated (also every include entry)
//   6    file excluded, with its own option block
//   7    file translated, with its own option block
//   8-11 images 4-7 of a read-only file
//   12   file not found on disk
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace pm2 {

struct NodeRec;
struct ProjectRec;
struct TargetRec;
struct FileRec;

inline constexpr uint8_t kFileIncludesShown = 0x02;  // FileRec::flags bit 1
inline constexpr uint8_t kFileIncludeEntry = 0x20;   // bit 5
inline constexpr uint8_t kFileMissing = 0x40;        // bit 6
inline constexpr uint8_t kNodeExpanded = 0x01;       // target and group flags bit 0
inline constexpr int kImageMissing = 12;
inline constexpr int kProjectImageCount = 13;

// What the disk says of a file (a full local path): false when it does not
// exist; *readOnly when it cannot be written.
using FileProbe = std::function<bool(const std::string& localPath, bool* readOnly)>;
FileProbe RealFileProbe();

// A record's image; a file's missing flag is set or cleared on the way.
int GetNodeImage(const ProjectRec& project, NodeRec* record, bool expanded, const TargetRec* target,
                 const FileProbe& probe);
// The local path of a file record of the project ("" when it does not map).
std::string LocalFilePath(const ProjectRec& project, const FileRec& file);
std::string LocalFilePath(const ProjectRec& project, const std::string& stored);

struct ProjectTreeRow {
  int parent = -1;           // row index of the parent, -1 at the root
  std::string text;
  int image = 0;
  NodeRec* record = nullptr; // target, group or file; null for an include entry
  std::string includePath;   // local path of an include entry
  bool expanded = false;
};

struct ProjectTree {
  std::vector<ProjectTreeRow> rows;  // parents before their children, in order
  int selected = -1;                 // the target's row
};

// Rebuilds the rows of the project's current target. A hidden current
// target gives way to the next visible one, which becomes current; with
// no visible target the project has none and the tree is empty. A project
// without any open target or group opens them all (a first look).
// `includes` adds the include files of each file (from the file's own
// include list, else from its last translation's dependencies).
ProjectTree BuildProjectTree(ProjectRec* project, bool includes, const FileProbe& probe);

}  // namespace pm2
