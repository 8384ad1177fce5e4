// Small string and path helpers of the project model.
//
// Stored paths come from Windows ('\' separators, drive letters, UNC names);
// these helpers accept '/' as a separator as well and keep the form of the
// path they were given.
#ifndef PM2_PROJECT_PATH_TEXT_H
#define PM2_PROJECT_PATH_TEXT_H

#include <string>
#include <string_view>

namespace pm2 {

// Cuts buffer at length, removes leading and trailing blanks (the blank
// character only) in place and returns the new length.
int TrimBlanks(char* buffer, int length);
std::string_view TrimBlanks(std::string_view text);

// True for null, empty or white-space-only text.
bool IsAllOfClass(const char* text);
// True when text is exactly ".\" (the project folder itself).
bool IsProjectFolderText(const char* text);
// False for blank " , . / : < > \ |, true otherwise (target and group names).
bool IsValidNameChar(int c);

// The part after the last ':', '\' or '/' (the whole path when none).
const char* GetFileNamePart(const char* path);
std::string_view GetFileNamePart(std::string_view path);

// Replaces the extension of the last path component (given without its
// dot) or strips it when extension is empty. A closing '"' of a quoted path
// stays at the end. A dot in the first character or in a folder name never
// counts as the start of an extension.
void ChangeFileExt(std::string& path, std::string_view extension);

// path relative to the folder base, followed by tail: ".\rest" or
// "..\..\rest". Components compare ignoring case. When the drives differ,
// one is a UNC name and the other not, two UNC names differ in server or
// share, or nothing is in common, the result is path followed by tail.
std::string MakeRelativePath(std::string_view base, std::string_view path,
                             std::string_view tail = {});

// The folder text without a final "BIN\" (or "BIN/"), compared ignoring
// case, when the folder is longer than four characters and "BIN" is a whole
// folder name: a toolset's root from its programs folder.
std::string StripBinFolder(std::string_view folder);

// folder and name joined with the folder's own separator ('/' when the
// folder has one and no '\'), one separator between them; separators at
// the end of name are dropped, so the result never ends in one unless name
// is empty.
std::string JoinFolderName(std::string_view folder, std::string_view name);

}  // namespace pm2

#endif
