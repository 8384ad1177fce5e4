#include "editor/document/editor_section.h"

#include <strings.h>

#include "editor/options/file_type_settings.h"

namespace pm2 {

namespace {
// One row of the extension table; a null section leaves the choice to the
// toolset.
struct ExtensionRow {
  const char* extension;
  const char* section;
  int fileType;
};
constexpr ExtensionRow kExtensions[] = {
    {".asm", nullptr, 2},          {".src", nullptr, 2},          {".inc", nullptr, 2},
    {".s", nullptr, 2},            {".w51", "Editor\\W51", 2},    {".w66", "Editor\\W166", 2},
    {".w166", "Editor\\W166", 2},  {".a67", "Editor\\W166", 2},   {".a167", "Editor\\W166", 2},
    {".c", nullptr, 1},            {".q51", "Editor\\Q51", 1},    {".h", nullptr, 1},
    {".q66", "Editor\\Q166", 1},   {".cpp", "Editor\\QP166", 8},
};

// Sections of the toolsets 0..4 for assembler (type 2) and C (type 1).
struct ToolsetSections {
  const char* assembler;
  const char* c;
};
constexpr ToolsetSections kByToolset[] = {
    {"Editor\\W51", "Editor\\Q51"},     {"Editor\\W251", "Editor\\Q251"},
    {"Editor\\W166", "Editor\\Q166"},   {"Editor\\CArmA", "Editor\\CArmC"},
    {"Editor\\CArmA", "Editor\\CArmC"},
};

std::string ExtensionOf(const std::string& path) {
  size_t cut = path.find_last_of("\\/:");
  size_t dot = path.rfind('.');
  if (dot == std::string::npos || (cut != std::string::npos && dot < cut)) return {};
  return path.substr(dot);
}

int RecordOfSection(const std::string& section) {
  for (const FileTypeSection& s : kFileTypeLoadOrder)
    if (::strcasecmp(s.section, section.c_str()) == 0) return s.record;
  return kFtRecDefault;
}
}  // namespace

EditorSectionChoice SelectEditorSection(const std::string& path, int fileTypeOfName, int toolset) {
  std::string ext = ExtensionOf(path);
  const ExtensionRow* hit = nullptr;
  for (const ExtensionRow& r : kExtensions) {
    if ((!ext.empty() && ::strcasecmp(r.extension, ext.c_str()) == 0) ||
        (fileTypeOfName != 0 && r.fileType == fileTypeOfName)) {
      hit = &r;
      break;
    }
  }
  EditorSectionChoice out;
  if (!hit) {
    out.section = kDefaultEditorSection;
    out.record = kFtRecDefault;
    return out;
  }
  out.fileType = hit->fileType;
  if (hit->section)
    out.section = hit->section;
  else if (toolset >= 0 && toolset <= 4)
    out.section = hit->fileType == 2 ? kByToolset[toolset].assembler : kByToolset[toolset].c;
  else
    out.section = kDefaultEditorSection;
  out.record = RecordOfSection(out.section);
  return out;
}

}  // namespace pm2
