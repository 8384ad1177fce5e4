#include "editor/document/include_lookup.h"

namespace pm2 {

namespace {
bool IsBlank(char c) { return c == ' ' || c == '\t'; }

bool EndsInSeparator(const std::string& s) {
  return !s.empty() && (s.back() == '\\' || s.back() == '/' || s.back() == ':');
}

std::string FolderOf(const std::string& path) {
  size_t cut = path.find_last_of("\\/:");
  return cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
}

std::string WithSeparator(std::string folder) {
  if (!folder.empty() && !EndsInSeparator(folder)) folder += '\\';
  return folder;
}

bool IsAbsolute(const std::string& name) {
  return (!name.empty() && (name[0] == '\\' || name[0] == '/')) ||
         (name.size() > 1 && name[1] == ':');
}
}  // namespace

size_t SkipBlanks(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && IsBlank(text[i])) ++i;
  return i;
}

bool ParseIncludeLine(std::string_view line, IncludeLine* out) {
  size_t i = SkipBlanks(line);
  if (i >= line.size() || line[i] != '#') return false;
  ++i;
  i += SkipBlanks(line.substr(i));
  if (line.substr(i, 7) != "include") return false;
  i += 7;
  i += SkipBlanks(line.substr(i));
  if (i >= line.size() || (line[i] != '<' && line[i] != '"')) return false;
  out->angle = line[i] == '<';
  char close = out->angle ? '>' : '"';
  size_t end = line.find(close, i + 1);
  size_t stop = end == std::string_view::npos ? line.size() : end + 1;
  // The line end is no part of the include's file text.
  while (stop > i + 1 && (line[stop - 1] == '\r' || line[stop - 1] == '\n')) --stop;
  out->spec = std::string(line.substr(i, stop - i));
  size_t nameStart = i + 1 + SkipBlanks(line.substr(i + 1));
  size_t nameEnd = end == std::string_view::npos ? stop : end;
  out->name = nameStart < nameEnd ? std::string(line.substr(nameStart, nameEnd - nameStart)) : "";
  return !out->name.empty();
}

std::vector<std::string> IncludeCandidates(const IncludeLine& line, const IncludeContext& ctx) {
  std::vector<std::string> out;
  const std::string& name = line.name;
  std::string toolsetInc = ctx.toolsetRoot + "INC\\" + name;
  if (line.angle) out.push_back(toolsetInc);
  out.push_back(ctx.projectFolder + name);
  out.push_back(FolderOf(ctx.documentPath) + name);
  // The name as it stands, taken from the project folder.
  out.push_back(IsAbsolute(name) ? name : WithSeparator(ctx.projectFolder) + name);
  if (!line.angle) out.push_back(toolsetInc);
  if (ctx.toolset == 3 && !ctx.systemIncludeFolder.empty())
    out.push_back(WithSeparator(ctx.systemIncludeFolder) + name);
  if (ctx.toolset == 4 && !ctx.toolsetIncludeFolder.empty())
    out.push_back(WithSeparator(ctx.toolsetIncludeFolder) + name);
  for (std::string sub : {ctx.includeSub1, ctx.includeSub2}) {
    if (!sub.empty() && uint8_t(sub[0]) == 0xFF) sub.erase(0, 1);
    if (!sub.empty()) out.push_back(ctx.toolsetRoot + "INC\\" + sub + name);
  }
  for (const std::string& folder : ctx.includeFolders) {
    if (folder.empty()) continue;
    out.push_back(WithSeparator(IsAbsolute(folder) ? folder : WithSeparator(ctx.projectFolder) + folder) + name);
  }
  return out;
}

std::string FindIncludeFile(const IncludeLine& line, const IncludeContext& ctx,
                            const std::function<bool(const std::string&, std::string*)>& open) {
  std::string local;
  for (const std::string& c : IncludeCandidates(line, ctx))
    if (open(c, &local)) return local;
  return {};
}

}  // namespace pm2
