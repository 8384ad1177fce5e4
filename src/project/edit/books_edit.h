// The books page of the sheet without a window: the three lists (general
// books of the IDE, tool books of the target's toolset, device books of the
// target), how a book's path is shown and stored, and what leaving the page
// writes into the copy and its environment copy.
#pragma once

#include <string>
#include <vector>

#include "project/edit/project_sheet_copy.h"

namespace pm2 {

enum BookList : int { kBooksGeneral = 0, kBooksTool = 1, kBooksDevice = 2 };

struct BooksLists {
  std::vector<BookListItem> lists[3];
  std::string deviceBooksFolder;  // DEVICE_BOOKS of the IDE section
};

// The lists when the page becomes active.
BooksLists BooksListsFor(ProjectSheetCopy& c);

// The folder with a trailing separator: a folder of Windows form ends in
// '\' (a trailing '/' becomes one), a folder written with '/' only ends in
// '/', as the books tab joins a device book's path to it.
std::string NormalizeDeviceBooksFolder(std::string folder);

// The path shown in the path field: a path that is neither absolute nor
// ".\"-relative is shown behind the list's base folder (the text up to its
// last separator), the folder the books tab opens it from, so that a book
// changed without an edit is stored as it was.
std::string BookShownPath(const std::string& path, const std::string& baseFolder);

// The path stored for a book chosen in the dialog, in the form the books
// tab opens it from: a path below the list's base folder (compared
// ignoring case) is stored as the part behind it, in its own case (the
// books tab opens it on a file system that tells case); with a project
// folder given, a path below it as ".\" and the rest; any other path as
// chosen (an absolute path stays absolute). The device list passes the
// project's folder: its books are the project's; general and tool books
// serve every project, so none is stored relative to one.
std::string BookStoredPath(const std::string& chosen, const std::string& projectFolder,
                           const std::string& baseFolder);

// Why a book cannot be kept in its list ("" when it can), naming the field
// of the book dialog ("Title", "File"): device books are kept in the
// options file as "(title)" and "<path>"; general and tool books in the
// environment file as one line path("title",kind), where a '"' ends the
// title and a line break ends the line.
std::string BookRefusal(int list, const std::string& title, const std::string& storedPath);

// Leaving the page: device books into the target's slots (at most 128),
// tool books into the toolset's section, general books into the IDE
// section; rows with an empty title or path are dropped.
void LeaveBooksPage(ProjectSheetCopy& c, const BooksLists& lists);

}  // namespace pm2
