#include "project/edit/book_tree.h"

#include "platform/win_path.h"

namespace pm2 {

const BookCategory kBookCategories[8] = {
    {7, "Pelmora2"},           {5, "Device Data Books"}, {6, "Tools User's Guide"},
    {1, "C Language"},         {3, "C++ Language"},      {2, "Assembly Language"},
    {0, "Additional Documents"}, {4, "Utilities"},
};

int BookCategoryRow(int code) {
  if (code >= 0 && code <= 4) code = 6;
  for (int i = 0; i < 8; ++i)
    if (kBookCategories[i].code == code) return i;
  return -1;
}

std::vector<BookTreeItem> CollectBooks(const EnvironmentInfo* env, const ProjectRec* project) {
  std::vector<BookTreeItem> items;
  if (env)
    for (const EnvBook& b : env->generalBooks)
      if (!b.path.empty()) items.push_back({7, b.title, b.path});
  const TargetRec* t = project ? project->curTarget : nullptr;
  if (!t) return items;
  if (const ToolsetInfo* info = env ? env->Toolset(t->toolset) : nullptr)
    for (const EnvBook& b : info->books)
      if (!b.path.empty()) items.push_back({6, b.title, b.path});
  for (const BookSlot& b : t->books)
    if (!b.path.IsEmptyOpt() && !b.path.empty()) items.push_back({5, b.title.str(), b.path.str()});
  return items;
}

namespace {

bool RootedOrDrive(const std::string& p) {
  return (!p.empty() && IsPathSeparator(p[0])) || (p.size() > 2 && HasDriveLetter(p) && IsPathSeparator(p[2]));
}

std::string Join(const std::string& folder, const std::string& path) {
  if (folder.empty()) return path;
  const char sep = folder.find('/') != std::string::npos ? '/' : '\\';
  return JoinPath(folder, path, sep);
}

}  // namespace

std::string ResolveBookPath(const BookTreeItem& book, const BookOpenContext& ctx) {
  const std::string& p = book.path;
  if (p.empty()) return {};
  if (p.rfind(".\\", 0) == 0 || p.rfind("./", 0) == 0) {
    const std::string inProject = Join(ctx.projectFolder, p.substr(2));
    if (!ctx.exists || ctx.exists(inProject)) return inProject;
  }
  // A path with its root (a folder of this machine, "\x" or "C:\x") is the
  // book's whole path, as the books page stores a book chosen outside the
  // list's base folder; a tool book's "\x" has always been taken below the
  // toolset's folder.
  const bool toolBook = book.category == 6;
  if (RootedOrDrive(p) && !(toolBook && p[0] == '\\')) return p;
  std::string base;
  switch (book.category) {
    case 7:
      base = ctx.installRoot;
      break;
    case 5:
      if (ctx.target)
        for (const BookSlot& b : ctx.target->books)
          if (b.word != 0 && b.path == p && b.title == book.title) return p;
      // The books page stores a device book below the Device Books folder
      // as the part behind it.
      if (!ctx.deviceBooksFolder.empty()) base = ctx.deviceBooksFolder;
      else base = ctx.deviceDbFolder.empty() ? ctx.toolsetFolder : ctx.deviceDbFolder;
      break;
    default:
      if (book.category == 6 && HasDriveLetter(p)) return p;
      base = ctx.toolsetFolder;
      break;
  }
  const std::string fromBase = Join(base, p);
  // Earlier versions of the books page stored a book chosen outside its
  // base folder relative to the project's folder ("..\..\manuals\x.pdf");
  // such a book is still found there when its base holds no such file.
  if (ctx.exists && !ctx.projectFolder.empty() && !ctx.exists(fromBase)) {
    const std::string fromProject = Join(ctx.projectFolder, p);
    if (ctx.exists(fromProject)) return fromProject;
  }
  return fromBase;
}

}  // namespace pm2
