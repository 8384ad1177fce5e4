#include "project/edit/folders_edit.h"

#include <utility>

#include "project/edit/filter_text.h"
#include "project/files/stored_texts.h"
#include "project/model/option_defaults.h"
#include "project/text/path_text.h"
#include "project/text/pool.h"

namespace pm2 {

std::string RegisterFolderDisplay(const std::string& envInc, const std::string& envReg) {
  if (envReg.empty()) return envReg;
  std::string rel = MakeRelativePath(envInc, envReg);
  if (!rel.empty() && rel[0] == '.') return envInc + (rel.size() > 2 ? rel.substr(2) : std::string());
  return rel;
}

std::string RegisterFolderStored(const std::string& shownInc, const std::string& text) {
  if (text.empty()) return text;
  std::string rel = MakeRelativePath(shownInc, text);
  if (rel == ".\\" || rel == "./") return {};
  return rel;
}

FoldersFields FoldersFieldsFor(const ProjectSheetCopy& c, int armSelect) {
  FoldersFields f;
  for (int i = 0; i < kSheetFilterCount; ++i) f.filters[i] = c.filters[i];
  f.gnuMaker = c.folders[3].makerFolder;
  f.gnuFolder = c.folders[3].armToolFolder;
  f.adsMaker = c.folders[4].makerFolder;
  f.adsFolder = c.folders[4].armToolFolder;
  const TargetRec* t = c.current;
  if (!t) {
    f.armGnu = armSelect != 1;
    return f;
  }
  if (t->toolset < kToolsetCount) f.root = c.folders[t->toolset].rootFolder;
  f.armGnu = t->toolset != 4;
  if (t->ENVBIN.empty()) {
    if (t->toolset < kToolsetCount) f.bin = c.folders[t->toolset].toolsFolder;
  } else {
    f.bin = t->ENVBIN.str();
    f.inc = t->ENVINC.str();
    f.lib = t->ENVLIB.str();
    f.reg = RegisterFolderDisplay(f.inc, t->ENVREG.str());
  }
  f.useEnvironment = t->USEENV == 0;
  return f;
}

bool FoldersChangeToolset(const ProjectSheetCopy& c, bool armGnu) {
  if (!c.current) return false;
  return (c.current->toolset == 4 && armGnu) || (c.current->toolset == 3 && !armGnu);
}

namespace {

// The filters' names on the page, by SheetFilter.
constexpr const char* kSheetFilterNames[kSheetFilterCount] = {"C Source", "Asm Source", "Object",
                                                              "Text Document", "C++ Source", "Library"};

void SetIfDiffers(OptString& field, const std::string& text) {
  if (field.view() != text) field = PoolStrDupOrEmpty(text.c_str(), kPoolProject);
}

}  // namespace

bool LeaveFoldersPage(ProjectSheetCopy& c, const FoldersFields& f, std::string* message,
                      int* badFilter) {
  TargetRec* t = c.current;
  if (t) {
    for (int i = 0; i < kSheetFilterCount; ++i) {
      if (!(f.editedFilters & (1u << i))) continue;
      if (const std::string why = FilterTextRefusal(kSheetFilterNames[i], f.filters[i]); !why.empty()) {
        if (message) *message = why;
        if (badFilter) *badFilter = i;
        return false;
      }
    }
    // The target's folders are kept in parentheses in the project file.
    const std::pair<const char*, const std::string*> folders[] = {
        {"BIN", &f.bin}, {"INC", &f.inc}, {"LIB", &f.lib}, {"Regfile", &f.reg}};
    for (const auto& [name, text] : folders) {
      if (const std::string why = FieldTextRefusal(name, *text); !why.empty()) {
        if (message) *message = why;
        if (badFilter) *badFilter = -1;
        return false;
      }
    }
    for (int i = 0; i < kSheetFilterCount; ++i)
      if (f.editedFilters & (1u << i)) c.filters[i] = NormalizeFilterText(f.filters[i]);

    const uint16_t before = t->toolset;
    uint16_t after = before;
    if (before == 3 && !f.armGnu) after = 4;
    if (before == 4 && f.armGnu) after = 3;
    if (after != before) {
      t->toolset = after;
      ResetTargetOptions(t, before);
      t->ENVBIN = t->ENVINC = t->ENVLIB = t->ENVREG = OptString();
      t->USEENV = 0;
      for (GroupRec* g : c.groups) {
        g->pOpts = nullptr;
        for (FileRec* file = g->firstFile; file; file = file->next) file->pOpts = nullptr;
      }
    } else {
      const std::string shownInc = t->ENVINC.str();
      t->USEENV = f.useEnvironment ? 0 : 1;
      SetIfDiffers(t->ENVBIN, f.bin);
      SetIfDiffers(t->ENVINC, f.inc);
      SetIfDiffers(t->ENVLIB, f.lib);
      SetIfDiffers(t->ENVREG, RegisterFolderStored(shownInc, f.reg));
      // Only a changed root is written: the folder shown is the one read at
      // start-up, made absolute, and must not replace a relative PATH.
      if (t->toolset < kToolsetCount && c.folders[t->toolset].present &&
          c.folders[t->toolset].rootFolder != f.root) {
        c.folders[t->toolset].rootFolder = f.root;
        c.env.SetEnvValue(*c.env.FindOrAddSection(t->toolset), "PATH", f.root);
      }
    }
  }
  struct Arm {
    int id;
    const std::string& maker;
    const std::string& tools;
  } arms[] = {{3, f.gnuMaker, f.gnuFolder}, {4, f.adsMaker, f.adsFolder}};
  for (const Arm& a : arms) {
    ToolsetFolders& rec = c.folders[a.id];
    if (!rec.present) continue;
    if (rec.makerFolder == a.maker && rec.armToolFolder == a.tools) continue;
    rec.makerFolder = a.maker;
    rec.armToolFolder = a.tools;
    EnvSection& s = *c.env.FindOrAddSection(a.id);
    c.env.SetEnvValue(s, "PATH", a.maker);
    c.env.SetEnvValue(s, "PATH1", a.tools);
  }
  c.env.SetEnvValue(*c.env.FindOrAddSection(-1), "ARMSEL", f.armGnu ? "0" : "1");
  return true;
}

}  // namespace pm2
