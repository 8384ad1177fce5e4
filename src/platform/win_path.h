// Windows-style paths as stored in project, options and environment files,
// and their mapping to files on this machine.
//
// Stored paths keep the form they were read in: '\' or '/' separators, a
// drive letter, ".\" relative parts, any letter case. Paths made new here use
// '/'. Nothing in this layer changes the process's current folder: relative
// paths are always resolved against a folder the caller passes in.
#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace pm2 {

// True for '\' and '/'.
bool IsPathSeparator(char c);

// True when the path starts with a drive letter and a colon ("C:", "c:\x").
bool HasDriveLetter(std::string_view path);

// Absolute: starts with a separator ("\x", "/x", "\\server\share") or with a
// drive letter followed by a separator ("C:\x"). "C:x" (drive-relative) and
// ".\x" are relative.
bool IsAbsolutePath(std::string_view path);
inline bool IsRelativePath(std::string_view path) { return !IsAbsolutePath(path); }

// The components between separators; empty components and a leading drive
// ("C:") are returned as they stand except that runs of separators give no
// empty entries. "C:\a\\b/c" -> {"C:", "a", "b", "c"}.
std::vector<std::string> SplitPath(std::string_view path);

// folder + separator + name. No separator is added when folder is empty or
// already ends in one (or is a bare drive "C:"); a leading separator of name
// is not doubled. `sep` is the separator to insert.
std::string JoinPath(std::string_view folder, std::string_view name, char sep = '/');

// The file-name part: what follows the last separator (or the drive colon).
std::string_view FileNamePart(std::string_view path);

// The folder part including its trailing separator (or drive colon); empty
// when the path has no folder.
std::string_view FolderPart(std::string_view path);

// The extension of the file-name part including its dot (".c"), empty when
// the name has none. A leading dot of a name (".profile") is no extension.
std::string_view ExtensionPart(std::string_view path);

// The path with the extension of its file-name part replaced by `ext`
// (given with or without its dot; empty removes the extension).
std::string ChangeExtension(std::string_view path, std::string_view ext);

// Separator conversions; nothing else changes.
std::string ToForwardSlashes(std::string_view path);

// Two stored paths name the same file when they are equal ignoring ASCII
// case and treating '\' and '/' alike.
bool SamePathIgnoringCase(std::string_view a, std::string_view b);

// Collapses "." components, "a/.." pairs and repeated '/' of a Linux path.
// ".." at the root stays at the root; leading ".." of a relative path stay.
std::string NormalizeLocalPath(std::string_view path);

// Drive letters of stored paths mapped to folders of this machine
// ("C:" -> "/home/x/c"). Letters compare ignoring case.
class DriveMap {
 public:
  // `drive` is "C", "C:" or "c:"; false for anything else.
  bool Set(std::string_view drive, std::string folder);
  void Remove(std::string_view drive);
  void Clear();
  // The folder of the drive of `path` (its first two characters), or null.
  const std::string* Find(std::string_view drive) const;

 private:
  std::map<char, std::string> m_folders;  // key: upper-case letter
};

// Turns a stored path into a path of this machine without touching the disk:
// separators become '/', a relative path (".\x", "x\y", "..\x") is taken
// against `baseFolder`, a drive letter is replaced by its mapped folder, and
// "." and ".." components are collapsed. A drive-relative path ("C:x") is
// taken against the drive's folder. False with *err naming the path when
// the drive has no mapping, or when the path is relative and baseFolder is
// empty.
bool ToLocalPath(std::string_view stored, std::string_view baseFolder, const DriveMap& drives,
                 std::string* out, std::string* err);

// What the resolver needs of the file system (a fake in tests).
class FileSystemView {
 public:
  virtual ~FileSystemView() = default;
  // True when something exists at the path (a file or a folder).
  virtual bool Exists(const std::string& path) = 0;
  // The entry names of a folder ("." and ".." excluded); false when the
  // folder cannot be read.
  virtual bool ListFolder(const std::string& folder, std::vector<std::string>* names) = 0;
};

// The real file system.
FileSystemView& RealFileSystem();

// Maps stored paths to existing files. Resolving is safe from several
// threads; set up the drive map before the resolver is shared.
class PathResolver {
 public:
  // `fs` must outlive the resolver; null means the real file system.
  explicit PathResolver(FileSystemView* fs = nullptr);

  DriveMap& Drives() { return m_drives; }
  const DriveMap& Drives() const { return m_drives; }

  // Maps `stored` (any separators, drive letter, any case) to an existing
  // file or folder: the exact local name first; else each component of the
  // path is looked up in its folder ignoring ASCII case (exact matches win
  // over case-insensitive ones, and among several case variants the first
  // in name order). True with *out set to the existing path. False when no
  // such file exists: *out then holds the local path as mapped (so a caller
  // may still create it) and *err "'<stored>' not found" or why the path
  // could not be mapped.
  bool ResolveStoredPath(std::string_view stored, std::string_view baseFolder, std::string* out,
                         std::string* err = nullptr);

  // Folder listings are cached per folder, and the existing name of every
  // folder found on the way (a build resolves hundreds of include paths
  // under the same few folders); drop one folder's listing (after creating
  // or renaming a file in it) or all of them.
  void InvalidateFolder(const std::string& folder);
  void InvalidateAll();

 private:
  // These need m_mutex.
  const std::vector<std::string>* Listing(const std::string& folder);
  std::pair<size_t, const std::string*> KnownFolder(const std::string& local) const;
  bool Walk(const std::string& local, bool useKnown, std::string* out, std::string* known);

  FileSystemView* m_fs;
  DriveMap m_drives;
  std::mutex m_mutex;
  std::unordered_map<std::string, std::vector<std::string>> m_listings;  // sorted names
  std::unordered_map<std::string, bool> m_unreadable;                      // folders that failed
  // Local folder name as mapped -> its existing name.
  std::map<std::string, std::string, std::less<>> m_folders;
};

}  // namespace pm2
