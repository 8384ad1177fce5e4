#include "project/edit/books_edit.h"

#include <cctype>

#include "platform/win_path.h"
#include "project/files/project_lines.h"
#include "project/files/stored_texts.h"
#include "project/environment/environment_lines.h"
#include "project/text/path_text.h"
#include "project/text/pool.h"

namespace pm2 {

namespace {

constexpr int kBookKinds[3] = {kBookGeneral, kBookTool, kBookDevice};

std::vector<BookListItem> Kept(const std::vector<BookListItem>& rows, int kind) {
  std::vector<BookListItem> out;
  for (const BookListItem& b : rows) {
    if (b.title.empty() || b.path.empty()) continue;
    if (out.size() == std::size_t(kBookSlots)) break;
    out.push_back({b.title, b.path, kind});
  }
  return out;
}

}  // namespace

BooksLists BooksListsFor(ProjectSheetCopy& c) {
  BooksLists l;
  if (EnvSection* ide = c.env.FindSection(-1)) {
    l.lists[kBooksGeneral] = EnvFile::GetBooks(*ide);
    if (EnvEntry* e = EnvFile::FindEntry(*ide, "DEVICE_BOOKS")) l.deviceBooksFolder = e->value;
  }
  if (TargetRec* t = c.current) {
    if (t->toolset < kToolsetCount)
      if (EnvSection* s = c.env.FindSection(t->toolset)) l.lists[kBooksTool] = EnvFile::GetBooks(*s);
    for (const BookSlot& b : t->books) {
      if (b.path.empty()) break;
      l.lists[kBooksDevice].push_back({b.title.str(), b.path.str(), kBookDevice});
    }
  }
  return l;
}

std::string NormalizeDeviceBooksFolder(std::string folder) {
  if (folder.empty()) return folder;
  const bool windowsForm = folder.find('\\') != std::string::npos;
  if (windowsForm && folder.back() == '/') folder.back() = '\\';
  return WithTrailingSeparator(folder);
}

std::string BookShownPath(const std::string& path, const std::string& baseFolder) {
  const bool absolute = (!path.empty() && path[0] == '\\') ||
                        (path.size() > 2 && path[1] == ':' && path[2] == '\\') || IsAbsolutePath(path);
  if (absolute || path.rfind(".\\", 0) == 0 || path.rfind("./", 0) == 0) return path;
  std::size_t cut = baseFolder.find_last_of("\\/");
  return (cut == std::string::npos ? std::string() : baseFolder.substr(0, cut + 1)) + path;
}

std::string BookStoredPath(const std::string& chosen, const std::string& projectFolder,
                           const std::string& baseFolder) {
  if (!baseFolder.empty() && StartsWithIgnoringCase(chosen, baseFolder)) return chosen.substr(baseFolder.size());
  // The books tab takes a ".\" path from the project's folder; anything
  // else not absolute it takes from the base folder, so a path of another
  // form (a "..\" one above the project) would open another file.
  if (!projectFolder.empty() && IsAbsolutePath(chosen)) {
    std::string relative = MakeRelativePath(projectFolder, chosen);
    if (relative.rfind(".\\", 0) == 0 || relative.rfind("./", 0) == 0) return relative;
  }
  return chosen;
}

std::string BookRefusal(int list, const std::string& title, const std::string& storedPath) {
  if (list == kBooksDevice) {
    std::string refusal = FieldTextRefusal("Title", title, FieldBrackets::kParentheses);
    if (refusal.empty()) refusal = FieldTextRefusal("File", storedPath, FieldBrackets::kAngles);
    return refusal;
  }
  const auto refuse = [](const char* field, const std::string& why) {
    return "The text of '" + std::string(field) + "' cannot be stored: it holds " + why + ".";
  };
  if (title.find('"') != std::string::npos) return refuse("Title", "a '\"'");
  if (std::string code = FirstControlCharacter(title); !code.empty())
    return refuse("Title", "the control character " + code);
  if (std::string code = FirstControlCharacter(storedPath); !code.empty())
    return refuse("File", "the control character " + code);
  return std::string();
}

void LeaveBooksPage(ProjectSheetCopy& c, const BooksLists& l) {
  EnvSection& ide = *c.env.FindOrAddSection(-1);
  c.env.SetEnvValue(ide, "DEVICE_BOOKS", NormalizeDeviceBooksFolder(l.deviceBooksFolder));
  if (TargetRec* t = c.current) {
    std::vector<BookListItem> dev = Kept(l.lists[kBooksDevice], kBookDevice);
    for (int i = 0; i < kBookSlots; ++i) {
      BookSlot& slot = t->books[i];
      if (std::size_t(i) < dev.size()) {
        slot.path = PoolStrDupOrEmpty(dev[i].path.c_str(), kPoolEnvironment);
        slot.title = PoolStrDupOrEmpty(dev[i].title.c_str(), kPoolEnvironment);
      } else {
        slot.path = slot.title = OptString();
      }
      slot.word = 0;
    }
    if (t->toolset < kToolsetCount)
      c.env.SetBooks(*c.env.FindOrAddSection(t->toolset), Kept(l.lists[kBooksTool], kBookKinds[kBooksTool]));
  }
  c.env.SetBooks(*c.env.FindSection(-1), Kept(l.lists[kBooksGeneral], kBookKinds[kBooksGeneral]));
}

}  // namespace pm2
