// The entries of a folder by name ignoring case, for the program lookup of
// every tool run: a program is looked for in the folders of the search
// list (system folders of thousands of files) or in the folder it is named
// with, so reading the folder at each run would cost more than starting
// the tool.
// A folder unchanged for a while is read once and kept while its time
// stays the same; a folder changed lately is read at each call.
#pragma once

#include <string>
#include <vector>

namespace pm2 {

// The names in `folder` (empty: the current folder) that equal `name`
// ignoring ASCII case, in the order the folder lists them.
std::vector<std::string> FolderNamesIgnoringCase(const std::string& folder, const std::string& name);

// How often a folder was read from the disk (for tests).
long FolderReadsForTest();

}  // namespace pm2
