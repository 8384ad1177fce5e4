#include "project/import/code_gen_project.h"

#include <cctype>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>

#include <sys/stat.h>

#include "project/environment/environment_lines.h"
#include "platform/atomic_file.h"
#include "platform/win_path.h"
#include "project/files/project_lines.h"
#include "project/files/stored_texts.h"
#include "project/files/stored_file_read.h"
#include "project/import/code_gen_registers.h"
#include "project/import/old_ini_reader.h"
#include "project/model/device_strings.h"
#include "project/model/option_block.h"
#include "project/text/pool.h"

namespace pm2 {

namespace {

std::string QuotedOrPlain(std::string_view rest) {
  if (!rest.empty() && rest[0] == '"') {
    const std::size_t end = rest.find('"', 1);
    return end == std::string_view::npos ? std::string() : std::string(rest.substr(1, end - 1));
  }
  std::string text(rest.substr(0, rest.find('\xFF')));
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.pop_back();
  return text;
}

bool EndsWithC(const std::string& name) {
  return name.size() >= 2 && name[name.size() - 2] == '.' && std::toupper(static_cast<unsigned char>(name.back())) == 'C';
}

}  // namespace

uint32_t ParseFrequencyMHz(const std::string& value) {
  if (value.find('.') != std::string::npos) {
    double mhz = std::strtod(value.c_str(), nullptr);
    if (!(mhz >= 0) || mhz > 4294.0) return 0;
    return uint32_t(std::floor(mhz * 1000000.0 + 1e-6));
  }
  OldIniProject f;
  f.OpenText("X=" + value);
  std::string key;
  if (!f.NextLine() || !f.ReadKeyName(&key)) return 0;
  const int64_t mhz = f.ReadNumber();
  return (mhz < 0 || mhz > 4294) ? 0 : uint32_t(mhz * 1000000);
}

CodeGenProject ParseCodeGenProject(const std::string& text) {
  CodeGenProject d;
  OldIniProject f;
  f.OpenText(text);
  std::string section;
  while (f.NextLine()) {
    if (f.Line()[0] == '\'') continue;
    if (f.IsSectionLine()) {
      std::string name;
      f.ReadSectionName(&name);
      section = name;
      continue;
    }
    if (section == "REGISTERS") {
      // Field names may hold '-'.
      const std::string& line = f.Line();
      const std::size_t eq = line.find('=');
      if (eq == std::string::npos) continue;
      std::string name = UpperAscii(line.substr(0, eq));
      while (!name.empty() && name.back() == ' ') name.pop_back();
      OldIniProject v;
      v.OpenText("X=" + line.substr(eq + 1));
      std::string k;
      if (!name.empty() && v.NextLine() && v.ReadKeyName(&k)) d.registers[name] = uint32_t(v.ReadNumber());
      continue;
    }
    std::string key;
    if (!f.ReadKeyName(&key)) continue;
    const std::string value = QuotedOrPlain(f.Rest());
    if (section == "GENERAL") {
      if (key == "DEVICE") d.device = value.substr(0, 64);
      else if (key == "DEVICETYPE") d.deviceType = value.substr(0, 64);
    } else if (section == "INTERFACE") {
      if (key == "COMPILER") d.compiler = value.substr(0, 254);
      else if (key == "MEMORYMODEL") d.memoryModel = value.substr(0, 254);
    } else if (section == "ENVIRONMENT") {
      if (key == "OSCILLATORFREQUENCY") d.oscillatorHz = ParseFrequencyMHz(value);
      else if (key == "DEVICEFREQUENCY") d.deviceHz = ParseFrequencyMHz(value);
    } else if (section == UpperAscii(kCodeGenFileSection)) {
      while (!key.empty() && std::isdigit(static_cast<unsigned char>(key.back()))) key.pop_back();
      const bool quoted = !f.Rest().empty() && f.Rest()[0] == '"';
      if (key == "FILE" && quoted && EndsWithC(value) && d.cFiles.size() < 256) d.cFiles.push_back(value);
    }
  }
  return d;
}

int DeviceTypeScore(const std::string& name, const std::string& type) {
  std::size_t i = 0, j = 0;
  int score = 0;
  const auto skip = [](const std::string& s, std::size_t& k) {
    while (k < s.size() && (s[k] == ' ' || s[k] == '-')) ++k;
  };
  while (true) {
    skip(name, i);
    skip(type, j);
    if (i >= name.size() || j >= type.size()) return score;
    if (std::toupper(static_cast<unsigned char>(name[i])) != std::toupper(static_cast<unsigned char>(type[j])))
      return score;
    ++score;
    ++i;
    ++j;
  }
}

const DeviceDbEntry* MatchCodeGenDevice(const DeviceDatabase& db, const std::string& type) {
  const DeviceDbEntry* best = nullptr;
  int bestScore = 2;
  int candidates = 0;
  for (const DeviceDbEntry* e = db.First(); e && candidates < 256; e = e->pNext) {
    if (e->nFlags & kDeviceDeleted) continue;
    if (!EqualsIgnoringCase(e->vendor.view(), "Infineon") && !EqualsIgnoringCase(e->vendor.view(), "ST Microelectronics"))
      continue;
    const int score = DeviceTypeScore(e->device.str(), type);
    if (score < 3) continue;
    ++candidates;
    if (score > bestScore) {
      best = e;
      bestScore = score;
    }
  }
  return best;
}

int CodeGenModelIndex(uint16_t toolset, const std::string& model) {
  static const char* const k51[] = {"SMALL", "COMPACT", "LARGE"};
  static const char* const k166[] = {"TINY", "SMALL", "COMPACT", "MEDIUM", "LARGE", "HCOMPACT", "HLARGE"};
  const auto find = [&](const char* const* names, int n) {
    for (int i = 0; i < n; ++i)
      if (EqualsIgnoringCase(model, names[i])) return i;
    return -1;
  };
  if (toolset == 0) return find(k51, 3);
  if (toolset == 2) return find(k166, 7);
  return -1;
}

std::string CodeGenStartupFile(uint16_t toolset, bool xc16x) {
  if (toolset == 0) return "Startup.w51";
  if (toolset == 2) return xc16x ? "Start_V2.W66" : "Start167.w66";
  return {};
}

bool LibraryFolderOf(const std::string& toolsFolder, std::string* lib, std::string* message) {
  std::string f = toolsFolder;
  char sep = f.find('/') != std::string::npos ? '/' : '\\';
  if (!f.empty() && (f.back() == '\\' || f.back() == '/')) f.pop_back();
  if (f.size() < 3 || !EqualsIgnoringCase(std::string_view(f).substr(f.size() - 3), "BIN")) {
    if (message) *message = "The tools folder '" + toolsFolder + "' does not end in 'BIN': no library folder beside it";
    return false;
  }
  *lib = f.substr(0, f.size() - 3) + "lib" + sep;
  return true;
}

namespace {

// A file the generator lists may carry a folder ("src\\can.c"): the record
// is named after the file itself and its path holds the folder, as Add
// Files makes it. A name with the folder in it could not be saved.
std::string ListedName(const std::string& listed) {
  const std::size_t cut = listed.find_last_of("\\/");
  return cut == std::string::npos ? listed : listed.substr(cut + 1);
}

FileRec* AddListedFile(GroupRec* group, const ProjectRec& project, const std::string& listed, uint8_t type) {
  const std::string name = ListedName(listed);
  const std::string folder = project.folder.str() + listed.substr(0, listed.size() - name.size());
  return AddFileToGroup(group, name.c_str(), folder.c_str(), type);
}

}  // namespace

std::string MigrateCodeGenFiles(ProjectRec* project, const std::string& startupFile,
                                const std::vector<std::string>& cFiles) {
  GroupRec* dave = project ? FindGroupByName(project->firstGroup, kCodeGenGroupDave) : nullptr;
  if (!dave) return std::string("Can't find Group '") + kCodeGenGroupDave + "', migration cancelled";
  for (GroupRec* g = project->firstGroup; g; g = g->next)
    for (FileRec* f = g->firstFile; f; f = f->next)
      f->flags = uint8_t((f->flags & ~kFileMigrateMark) | ((f->flags & kFileMadeByCodeGen) ? kFileMigrateMark : 0));
  const auto take = [&](const std::string& name, uint8_t type) {
    FileRec* f = FindProjectFile(project, ListedName(name).c_str(), type);
    if (!f) f = AddListedFile(dave, *project, name, type);
    if (f) f->flags = uint8_t((f->flags & ~kFileMigrateMark) | kFileMadeByCodeGen);
  };
  if (!startupFile.empty()) take(startupFile, kFileAsm);
  for (const std::string& c : cFiles) take(c, kFileC);
  for (GroupRec* g = project->firstGroup; g; g = g->next)
    for (FileRec* f = g->firstFile; f; f = f->next)
      if ((f->flags & (kFileMadeByCodeGen | kFileMigrateMark)) == (kFileMadeByCodeGen | kFileMigrateMark))
        f->flags = uint8_t((f->flags & ~(kFileMadeByCodeGen | kFileMigrateMark)) | kFileRemoved);
  return {};
}

void ApplyCodeGenTargetOptions(TargetRec* t, const CodeGenProject& d, bool xc16x) {
  if (!t || !t->pOpts) return;
  OptionBlock& b = *t->pOpts;
  const int model = CodeGenModelIndex(t->toolset, d.memoryModel);
  if (t->toolset == 0) {
    if (model >= 0) b.t51.MODEL5 = uint16_t(model);
    b.t51.clock = d.deviceHz;
  } else if (t->toolset == 2) {
    if (model >= 0) b.t166.MODEL = uint8_t(model);
    if (xc16x) {
      b.t166.clock = d.oscillatorHz;
    } else {
      b.t166.clock = d.deviceHz;
      const auto reg = [&](const char* n) {
        auto it = d.registers.find(n);
        return it != d.registers.end() && it->second != 0;
      };
      b.t166.flags.USEONCHIPROM = reg("SYSCON_ROMEN");
      b.t166.flags.USEONCHIPXCAN = reg("SYSCON_XPEN");
    }
  }
}

std::string CodeGenFilesRefusal(const CodeGenProject& d) {
  // A folder in the name (either separator) goes to the file's path.
  for (const std::string& c : d.cFiles)
    if (std::string why = StoredFileNameRefusal(c, ListedName(c)); !why.empty()) return why;
  return std::string();
}

ProjectRec* MakeCodeGenProject(const std::string& projectPath, const CodeGenProject& d, const DeviceDbEntry& dev) {
  ProjectRec* scratch = NewProject(nullptr, projectPath.c_str());
  scratch->firstGroup->name = OptString::Pooled(kCodeGenGroupDave, kPoolScratch);
  ProjectRec* p = CopyProjectTree(scratch, kPoolProject);
  PoolFree(kPoolScratch);
  AddGroup(p, kCodeGenGroupUser);
  const bool xc16x = StartsWithIgnoringCase(dev.device.view(), "XC16");
  ProjectRec* before = theApp().m_pProject;
  theApp().m_pProject = p;  // the device step reads the open project
  const uint16_t toolset = dev.nFamily == 3 ? 3 : dev.nFamily;
  ApplyDeviceOptions(p->curTarget, toolset, &dev);
  theApp().m_pProject = before;
  const std::string startup = CodeGenStartupFile(toolset, xc16x);
  GroupRec* dave = p->firstGroup;
  const auto add = [&](const std::string& name, uint8_t type) {
    if (FileRec* f = AddListedFile(dave, *p, name, type)) f->flags |= kFileMadeByCodeGen;
  };
  if (!startup.empty()) add(startup, kFileAsm);
  for (const std::string& c : d.cFiles) add(c, kFileC);
  ApplyCodeGenTargetOptions(p->curTarget, d, xc16x);
  return p;
}

uint64_t CodeGenFileTime(const std::string& path) {
  std::error_code ec;
  const auto t = std::filesystem::last_write_time(path, ec);
  return ec ? 0 : uint64_t(t.time_since_epoch().count());
}

ProjectRec* ImportCodeGenProject(const std::string& dptPath, const CodeGenImportEnv& env, ProjectRec* existing) {
  const auto fail = [&](const std::string& m) -> ProjectRec* {
    if (env.report) env.report(m);
    return nullptr;
  };
  // A regular file only: a named pipe would block the program for good.
  std::string text;
  if (!ReadStoredFile(dptPath, kStoredTextFileMax, text, nullptr))
    return fail("Error: can't read file '" + dptPath + "' !");
  const CodeGenProject d = ParseCodeGenProject(text);
  // A new project takes the file's name, which is its output name by
  // default: one the project file cannot hold would build another program.
  if (!existing)
    if (const std::string why = ProjectNameRefusal(std::filesystem::path(dptPath).stem().string()); !why.empty())
      return fail(why);
  if (const std::string why = CodeGenFilesRefusal(d); !why.empty()) return fail(why);

  DeviceDatabase db(kPoolDeviceDb);
  const int read = db.Read(env.databasePath);
  if (read != kDeviceDbOk) {
    db.Free();
    if (read == kDeviceDbCannotOpen) return fail(DeviceDatabase::ResultText(read, env.databasePath));
    return fail("Error while reading database file '" + env.databasePath + "'");
  }
  const DeviceDbEntry* dev = MatchCodeGenDevice(db, d.deviceType);
  if (!dev) {
    db.Free();
    std::string m = kCodeGenNoDevice;
    return fail(m.replace(m.find("%s"), 2, d.deviceType));
  }
  const uint16_t toolset = dev->nFamily;
  const bool xc16x = StartsWithIgnoringCase(dev->device.view(), "XC16");
  const std::string folder(std::filesystem::path(dptPath).parent_path().string() + "/");
  const std::string startup = CodeGenStartupFile(toolset, xc16x);
  if (!startup.empty() && !std::ifstream(folder + startup)) {
    const std::string& tools = toolset < 5 ? env.toolsFolders[toolset] : std::string();
    if (tools.empty()) {
      db.Free();
      return fail("Missing TOOLS.INI file");
    }
    std::string lib, why;
    if (!LibraryFolderOf(tools, &lib, &why)) {
      db.Free();
      return fail(why);
    }
    // Written whole or not at all: a cut copy would be kept as the user's
    // own file by the next import.
    std::string data;
    if (RealDisk().ReadAll(ToForwardSlashes(lib + startup), &data) != 0 ||
        !WriteFileAtomically(folder + startup, data, &why)) {
      db.Free();
      return fail("Can't copy Startup assembly file");
    }
  }
  // The startup file is the user's to edit from now on, the copy as well as
  // a kept one that came read-only from an installation.
  if (!startup.empty()) {
    struct stat st;
    const std::string file = folder + startup;
    if (::stat(file.c_str(), &st) == 0 && !(st.st_mode & S_IWUSR))
      (void)::chmod(file.c_str(), (st.st_mode & 07777) | S_IWUSR);
  }
  if (toolset == 2) {
    // The register settings go into the startup file's equates; a failure
    // is told and the import goes on.
    const std::string m = WriteStartupEquates(folder + startup, xc16x, d.registers);
    if (!m.empty() && env.report) env.report(m);
  }
  ProjectRec* result = existing;
  if (!existing) {
    std::filesystem::path pm2(dptPath);
    pm2.replace_extension(".Pm2");
    result = MakeCodeGenProject(pm2.string(), d, *dev);
  } else {
    if (!existing->firstTarget || existing->firstTarget->toolset != toolset) {
      db.Free();
      return fail("Different Architecture, cannot migrate");
    }
    const std::string m = MigrateCodeGenFiles(existing, startup, d.cFiles);
    if (!m.empty()) {
      db.Free();
      return fail(m);
    }
    ApplyCodeGenTargetOptions(existing->firstTarget, d, xc16x);
  }
  const uint64_t t = CodeGenFileTime(dptPath);
  std::memcpy(result->codeGenTime, &t, sizeof t);
  db.Free();
  return result;
}

}  // namespace pm2
