// The books window's contents without a window: the category nodes, which
// books go under them, and the file a double click opens.
//
// Categories (code, text), in tree order: 7 "Pelmora2", 5 "Device Data
// Books", 6 "Tools User's Guide", 1 "C Language", 3 "C++ Language", 2
// "Assembly Language", 0 "Additional Documents", 4 "Utilities". A category
// node exists only when a book goes under it; codes 0 to 4 asked for are
// taken as 6.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "project/environment/environment.h"
#include "project/model/project_records.h"

namespace pm2 {

struct BookCategory {
  int code;
  const char* text;
};
extern const BookCategory kBookCategories[8];
// The row of kBookCategories for a code (0 to 4 count as 6); -1 when none.
int BookCategoryRow(int code);

struct BookTreeItem {
  int category = 7;
  std::string title;
  std::string path;  // as stored
};

// General books (category 7), then with a current target its toolset's
// books (6) and its device books (5); books without a path are left out.
std::vector<BookTreeItem> CollectBooks(const EnvironmentInfo* env, const ProjectRec* project);

struct BookOpenContext {
  std::string projectFolder;
  std::string installRoot;       // the folder above the program's folder
  std::string toolsetFolder;     // the target's toolset root folder
  std::string deviceDbFolder;    // folder of the device database; may be empty
  std::string deviceBooksFolder; // the environment's DEVICE_BOOKS; may be empty
  const TargetRec* target = nullptr;
  // Whether a file is there (".\" paths, and paths stored relative to the
  // project by earlier versions); null: none is looked for.
  std::function<bool(const std::string&)> exists;
};

// The path to open for a book (still in stored form where the book's path
// was); empty when there is nothing to open. A ".\" path is taken from the
// project's folder when the file is there; a rooted path ("/x", "C:\x",
// "\x" except for a tool book) as it stands; any other below the base
// folder of the book's list (installation root, toolset folder, Device
// Books folder), or from the project's folder when only that holds it (as
// earlier versions stored a book chosen outside its base).
std::string ResolveBookPath(const BookTreeItem& book, const BookOpenContext& ctx);

}  // namespace pm2
