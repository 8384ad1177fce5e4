#include <sys/stat.h>

#include <array>
#include <utility>
#include <vector>

#include "platform/atomic_file.h"
#include "project/files/stored_file_read.h"
#include "platform/mapped_file.h"
#include "platform/win_path.h"
#include "project/files/project_file.h"
#include "project/files/project_keys.h"
#include "project/files/project_lines.h"
#include "project/model/app_state.h"
#include "project/model/device_strings.h"
#include "project/model/option_block.h"
#include "project/model/option_defaults.h"
#include "project/model/project_records.h"
#include "project/text/pool.h"

namespace pm2 {

namespace {

// Per toolset, the compiler and assembler sub-records of a group or file
// block at node level ("take the level above").
using NodeInit = void (*)(OptionBlock&, const TargetRec*);
const NodeInit kNodeInit[kToolsetCount] = {
    [](OptionBlock& b, const TargetRec* t) {
      InitCompiler51Opts(b.q51, t, kLevelNode);
      InitAsm51Opts(b.w51, t, kLevelNode);
    },
    [](OptionBlock& b, const TargetRec* t) {
      InitCompiler251Opts(b.q251, t, kLevelNode);
      InitAsm51Opts(b.w51, t, kLevelNode);
    },
    [](OptionBlock& b, const TargetRec*) {
      InitCompiler166Opts(b.q166, kLevelNode);
      InitCompilerYq166Opts(b.yq166, kLevelNode);
      InitAsm166Opts(b.w166, kLevelNode);
    },
    [](OptionBlock& b, const TargetRec* t) {
      InitCompilerArmGnuOpts(b.cGnu, t, kLevelNode);
      InitAsmArmGnuOpts(b.aGnu, t, kLevelNode);
    },
    [](OptionBlock& b, const TargetRec* t) {
      InitCompilerArmAdsOpts(b.cAds, t, kLevelNode);
      InitAsmArmAdsOpts(b.aAds, t, kLevelNode);
    },
};

struct TextReader {
  ProjectFileIo& io;
  ProjectLineReader lines;
  ProjectRec* project;
  // Lookup by number (index + 1) while the "Options" lines are read; the
  // records carry their numbers themselves.
  std::vector<TargetRec*> targets;
  std::vector<GroupRec*> groups;
  std::vector<FileRec*> files;
  std::string blockError;  // why the last block could not be read (empty: cut off)
  int blockErrorLine = 0;      // its line when not the reader's current one
  std::string blockErrorText;  // what stands there
  std::vector<std::string> dropped;  // lines left out (ProjectLineReader::Described)
  std::vector<std::pair<std::array<int, 3>, int>> blockLines;  // "Options t,g,f" read, with their lines

  // False when the text ends inside the block.
  bool ReadTargetBlock(TargetRec* t) {
    OptionBlock* b = NewOptionBlock(io.pool);
    b->owner = t;
    t->pOpts = b;
    SetDefaultOptions(*b, t, t->toolset, kLevelTarget);
    int cpuLine = 0;
    if (!ReadTargetOptionLines(lines, t, b, io.pool, &blockError, &cpuLine)) return false;
    if (!t->CPU.empty()) {
      std::string problem;
      ParseCpuSpec(*b, t->toolset, t->CPU.c_str(), false, &problem);
      if (!problem.empty()) {
        // The clock or a memory range stays at its default otherwise.
        blockError = problem + " in the CPU string";
        blockErrorLine = cpuLine;
        blockErrorText = "(" + t->CPU.str() + ")";
        return false;
      }
    }
    return true;
  }

  bool ReadNodeBlock(TargetRec* t, NodeRec* node, bool isFile) {
    OptionBlock* b = NewOptionBlock(io.pool);
    b->owner = t;
    b->next = node->pOpts;
    node->pOpts = b;
    if (t->toolset < kToolsetCount) kNodeInit[t->toolset](*b, t);
    InitBuildPropOpts(b->prop, kLevelTarget);
    b->prop.PROPFLD[0] = uint8_t((b->prop.PROPFLD[0] & ~3u) | (isFile ? 2u : 0u));
    return ReadTargetOptionLines(lines, t, b, io.pool, &blockError);
  }

  // The file is cut off inside a block, or a line of it can't be read:
  // what it holds is not what was saved.
  int CutOff(const TargetRec* t) {
    if (!blockError.empty() && blockErrorLine > 0) {
      io.message = "'" + io.path + "' line " + std::to_string(blockErrorLine) + ": " + blockError + ": '" +
                   blockErrorText + "'";
      return kProjectFileBadContents;
    }
    if (!blockError.empty()) return Bad(blockError.c_str());
    io.message = "'" + io.path + "' line " + std::to_string(lines.LineNumber()) +
                 ": the file ends inside the options of target '" + t->name.str() + "' (its 'EndOpt' is missing)";
    return kProjectFileBadContents;
  }

  // The record lines and blocks; returns the error code.
  int ReadRecords() {
    while (lines.NextLine()) {
      const std::string& key = lines.Key();
      if (key == "TARGET") {
        TargetRec* t = PoolNew<TargetRec>(io.pool);
        t->kind = kKindTarget;
        t->name = lines.String(io.pool);
        if (!lines.LastStringClosed()) return Bad("the target name has no closing ')'");
        // The build names files after the target: one it cannot write
        // would fail every build after it had counted no error.
        if (const std::string fault = TargetFileNameFault(t->name.view()); !fault.empty())
          return Bad(("the target name holds " + fault).c_str());
        // The options file and a peer find a target by its name: a second of
        // one name would take the first one's options.
        for (const TargetRec* same = project->firstTarget; same; same = same->next)
          if (same->name == t->name) return Bad(("the target has the name of target '" + same->name.str() + "' above it").c_str());
        lines.SkipComma();
        const int32_t toolset = lines.Number();
        // Read as 0, a toolset that is no number would build the target
        // with the wrong family's tools; cut to its field, one too big
        // would too.
        if (!lines.LastNumberValid()) return Bad("the toolset is not a number");
        if (lines.LastNumberOverflowed() || toolset < 0 || toolset > 0xFFFF)
          return Bad("the toolset does not fit its field");
        // What follows the toolset is no field: taken as one, a name's
        // leftover "T)1)" would give the target another family's tools.
        if (!lines.AtFieldsEnd()) return Bad("the target's fields do not end where the line does");
        t->toolset = uint16_t(toolset);
        if (project->lastTarget) project->lastTarget->next = t; else project->firstTarget = t;
        project->lastTarget = t;
        if (!project->curTarget) project->curTarget = t;
        targets.push_back(t);
        t->number = uint16_t(targets.size());
      } else if (key == "GROUP") {
        GroupRec* g = PoolNew<GroupRec>(io.pool);
        g->kind = kKindGroup;
        g->name = lines.String(io.pool);
        if (!lines.LastStringClosed()) return Bad("the group name has no closing ')'");
        if (!lines.AtFieldsEnd()) return Bad("the group's name does not end where the line does");
        // Groups are named without letter case. Two of one name (an older
        // build let "source" in beside "Source") could not both be kept by
        // the Components page, and a request naming one would change the
        // other: the user renames one in the file rather than have them
        // merged, which would lose one group's options.
        if (const GroupRec* same = FindGroupByName(project->firstGroup, g->name.c_str()))
          return Bad(("the group has the name of group '" + same->name.str() +
                      "' above it (group names are told apart without letter case)").c_str());
        if (project->lastGroup) project->lastGroup->next = g; else project->firstGroup = g;
        project->lastGroup = g;
        groups.push_back(g);
        g->number = uint32_t(groups.size());
      } else if (key == "FILE") {
        int gn = lines.NumberComma();
        if (!lines.LastNumberValid() || lines.LastNumberOverflowed()) return Bad("the group number is not a number");
        int type = lines.NumberComma();
        if (!lines.LastNumberValid()) return Bad("the file type is not a number");
        if (lines.LastNumberOverflowed() || type < 0 || type > 0xFF) return Bad("the file type does not fit its field");
        if (gn < 1 || std::size_t(gn) > groups.size()) return Bad("unknown group");
        GroupRec* g = groups[std::size_t(gn - 1)];
        FileRec* f = PoolNew<FileRec>(io.pool);
        f->kind = kKindFile;
        f->type = uint8_t(type);
        f->group = g;
        f->path = lines.String(io.pool);
        f->name = lines.String(io.pool);
        f->time = uint32_t(lines.Number());
        if (g->lastFile) g->lastFile->next = f; else g->firstFile = f;
        g->lastFile = f;
        files.push_back(f);
        f->number = uint32_t(files.size());
      } else if (key == "OPTIONS") {
        int tn = lines.NumberComma();
        bool valid = lines.LastNumberValid() && !lines.LastNumberOverflowed();
        int gn = lines.NumberComma();
        valid = valid && lines.LastNumberValid() && !lines.LastNumberOverflowed();
        int fn = lines.NumberComma();
        valid = valid && lines.LastNumberValid() && !lines.LastNumberOverflowed();
        if (!valid) return Bad("a record number is not a number");
        if (tn < 1 || std::size_t(tn) > targets.size()) return Bad("unknown target");
        TargetRec* t = targets[std::size_t(tn - 1)];
        // One block per target, group and file: a second would silently
        // take the place of the first.
        const std::array<int, 3> numbers{tn, gn, fn};
        for (const auto& [earlier, line] : blockLines)
          if (earlier == numbers)
            return Bad(("a second options block of target '" + t->name.str() + "' for the same " +
                        (fn ? "file" : gn ? "group" : "target") + " (the first at line " + std::to_string(line) + ")")
                           .c_str());
        blockLines.emplace_back(numbers, lines.LineNumber());
        if (gn == 0) {
          if (fn != 0) return Bad("file block without group");
          if (!ReadTargetBlock(t)) return CutOff(t);
        } else {
          if (gn < 1 || std::size_t(gn) > groups.size()) return Bad("unknown group");
          if (fn == 0) {
            if (!ReadNodeBlock(t, groups[std::size_t(gn - 1)], false)) return CutOff(t);
          } else {
            if (fn < 1 || std::size_t(fn) > files.size() ||
                files[std::size_t(fn - 1)]->group->number != uint32_t(gn)) {
              return Bad("unknown file");
            }
            if (!ReadNodeBlock(t, files[std::size_t(fn - 1)], true)) return CutOff(t);
          }
        }
      } else if (!lines.IsBannerLine() && !LookupProjectKey(key, 0)) {
        // A line of no key of the format ("Fxle" for "File"): a record of
        // the project may be lost with it, and the next save drops it.
        dropped.push_back(lines.Described());
      }
    }
    return kProjectFileOk;
  }

  int Bad(const char* what) {
    io.message = "'" + io.path + "' line " + std::to_string(lines.LineNumber()) + ": " + what + ": '" +
                 lines.Line() + "'";
    return kProjectFileBadContents;
  }
};

}  // namespace

int ReadProjectText(ProjectFileIo& io, const std::string& path, std::string_view text,
                    const std::string_view* optionsText) {
  io.path = path;
  io.error = kProjectFileOk;
  io.project = nullptr;
  if (!HasProjectBanner(text)) {
    io.message = "'" + path + "' line 1: " + BannerFault(text, "project");
    return io.error = kProjectFileBadContents;
  }
  ProjectRec* fresh = NewProject(nullptr, path.c_str());
  fresh->firstTarget = fresh->lastTarget = fresh->curTarget = nullptr;
  fresh->firstGroup = fresh->lastGroup = nullptr;
  ProjectRec* project = CopyProjectTree(fresh, io.pool);
  PoolFree(kPoolScratch);
  io.project = project;

  TextReader reader{io, ProjectLineReader(text), project, {}, {}, {}, {}, 0, {}, {}, {}};
  int rc = reader.ReadRecords();
  project->curTarget = project->firstTarget;
  if (rc != kProjectFileOk) return io.error = rc;
  SayDroppedLines(path, reader.dropped);

  if (optionsText) {
    if (!HasProjectBanner(*optionsText)) {
      io.message = "'" + ChangeExtension(path, ".Opt") + "' line 1: " + BannerFault(*optionsText, "options");
      return io.error = kProjectFileBadContents;
    }
    std::string why;
    std::vector<std::string> dropped;
    rc = ReadOptionsText(*project, *optionsText, &why, &dropped);
    if (rc != kProjectFileOk) {
      if (!why.empty()) io.message = "'" + ChangeExtension(path, ".Opt") + "' is damaged: " + why;
      return io.error = rc;
    }
    SayDroppedLines(ChangeExtension(path, ".Opt"), dropped);
  }

  // A target without its own block cannot be built: it is removed.
  bool removedCurrent = false;
  for (TargetRec* t = project->firstTarget; t; t = t->next) {
    if (t->pOpts || (t->flags & kTargetDeleted)) continue;
    t->flags |= kTargetDeleted;
    if (t == project->curTarget) removedCurrent = true;
    PrintToOutput(1, "Invalid Project '%s'\nTarget '%s' missing Target-Options, Target removed !",
                  path.c_str(), t->name.c_str());
  }
  if (removedCurrent || !project->curTarget) {
    project->curTarget = nullptr;
    for (TargetRec* t = project->firstTarget; t; t = t->next) {
      if (!(t->flags & kTargetDeleted)) {
        project->curTarget = t;
        break;
      }
    }
    if (!project->curTarget) {
      io.message = "'" + path + "' line " + std::to_string(reader.lines.LineNumber()) +
                   ": the file ends with no target that has its options (a block 'Options n,0,0' ... 'EndOpt' per "
                   "target): it holds no valid target";
      return io.error = kProjectFileBadContents;
    }
  }
  // A target whose toolset is not chosen yet has no options, as a new one
  // has none: its empty block only keeps it in the file. Kept, it would be
  // written back as options of its own, and the project would differ from
  // the one that was saved.
  for (TargetRec* t = project->firstTarget; t; t = t->next)
    if (t->toolset == kToolsetUndefined) t->pOpts = nullptr;
  return io.error;
}

int ReadProjectFile(ProjectFileIo& io, const std::string& path) {
  // Left set: the Find in Files dialog takes it as "a project was read
  // since" and clears it when it offers the project's folder.
  theApp().m_nState |= kStateReadingProject;

  io.path = path;
  io.project = nullptr;
  // Only a regular file, and no more than a project file can hold: a named
  // pipe or a link to a device must not hang or exhaust the program.
  std::string data;
  std::string err;
  if (!ReadStoredFile(path, kStoredTextFileMax, data, &err)) {
    io.message = err;
    return io.error = kProjectFileCannotOpen;
  }
  if (data.empty()) {
    io.message = "'" + path + "' is empty";
    return io.error = kProjectFileBadContents;
  }
  std::string_view text(data);

  std::string optPath = ChangeExtension(path, "Opt");
  {
    // The options file may differ from "Opt" in case only.
    PathResolver resolver;
    std::string found;
    if (resolver.ResolveStoredPath(optPath, "", &found)) optPath = found;
  }
  std::string options;
  bool haveOptions = false;
  {
    struct stat st;
    if (::stat(optPath.c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
      haveOptions = ReadStoredFile(optPath, kStoredTextFileMax, options, nullptr);
    }
  }
  std::string_view optView(options);
  int rc = ReadProjectText(io, path, text, haveOptions ? &optView : nullptr);
  if (io.project) {
    struct stat st;
    if (::stat(path.c_str(), &st) == 0 && (st.st_mode & 0222) == 0) {
      io.project->flags |= kProjectReadOnly;
    }
  }
  return rc;
}

}  // namespace pm2
