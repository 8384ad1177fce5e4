// Every road that takes a text the project's files store, given each
// character their line grammar treats as its own: the road refuses the
// text, or the project saves, reads back with the text as it was taken,
// and still saves after a line breakpoint is set in each of its files. No
// text a road took can make a later save fail.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "debugger/model/watch_model.h"
#include "debugger/session/typed_breakpoint_texts.h"
#include "project/devices/device_db.h"
#include "project/edit/component_lists.h"
#include "project/edit/project_sheet_copy.h"
#include "project/edit/stored_setters.h"
#include "project/file_test_util.h"
#include "project/files/debug_lists.h"
#include "project/files/project_file.h"
#include "project/files/stored_texts.h"
#include "project/import/code_gen_project.h"
#include "project/import/old_ini_import.h"
#include "project/model/option_block.h"
#include "project/model/option_defaults.h"
#include "project/model/project_records.h"
#include "project/model_fixture.h"

namespace pm2 {
namespace {

struct TextRow {
  const char* name;
  std::string text;
};

std::vector<TextRow> Texts() {
  return {
      {"OpeningParenthesis", "a(b"},
      {"ClosingParenthesis", "a)b"},
      {"OpeningAngle", "a<b"},
      {"ClosingAngle", "a>b"},
      {"Backslash", "a\\b"},
      {"Quote", "a\"b"},
      {"Blank", "a b"},
      {"CarriageReturn", "a\rb"},
      {"LineFeed", "a\nb"},
      {"Slash", "a/b"},
      {"NonAscii", "a\xC3\xA4" "b"},
      // The longest name a target or group keeps (128 characters).
      {"NonAsciiAtTheLengthLimit", std::string(125, 'a') + "\xC3\xA4" "b"},
  };
}

// What a road did with the text: "" taken, else the refusal.
// A road that makes a new project (an import) puts it in `project`.
using Road = std::function<std::string(ProjectRec*& project, const std::string& folder, const std::string& text)>;
// The stored text the road took, as found in a project read back.
using TakenText = std::function<std::string(ProjectRec& project)>;

struct RoadRow {
  const char* name;
  Road take;
  TakenText taken;
  // The text as the road stores it (a file road adds ".c").
  std::function<std::string(const std::string&)> stored = [](const std::string& t) { return t; };
};

std::string FirstFileName(ProjectRec& p) {
  for (GroupRec* g = p.firstGroup; g; g = g->next)
    if (g->firstFile) return g->firstFile->name.str();
  return std::string();
}

std::string FirstCFileName(ProjectRec& p) {
  for (GroupRec* g = p.firstGroup; g; g = g->next)
    for (FileRec* f = g->firstFile; f; f = f->next)
      if (f->type == kFileC) return f->name.str();
  return std::string();
}

std::string AsCFile(const std::string& t) { return t + ".c"; }

// The block of the project's first group for its current target, made as
// the options sheet makes it.
OptionBlock& GroupBlock(ProjectRec& p) {
  theApp().m_pProject = &p;
  return *GetNodeOptions(p.firstGroup);
}

// The sheet's OK after an edit the page took.
std::string SheetOk(ProjectSheetCopy& c, ProjectRec& p, const EditResult& r) {
  if (!r.ok) return r.message.empty() ? "refused" : r.message;
  ApplyProjectSheetCopy(c, &p, nullptr, "/nonexistent/TOOLS.INI");
  return std::string();
}

// A line of an older project's file ends at a line feed: what the import
// can be given of the text.
std::string FirstLine(const std::string& t) { return t.substr(0, t.find('\n')); }

// A row typed in Watch #1 (over its placeholder) or added to it (Add to
// Watch, a peer's or a command's), kept as the session's end keeps the
// window's rows in the target's list. What the window refuses it says.
std::string WatchRow(ProjectRec& p, const std::string& t, bool typed) {
  std::string said;
  DebugInterface* noSession = nullptr;
  WatchModel m(false, &noSession, WatchEnvironment{nullptr, nullptr, [&](const std::string& why) { said = why; }});
  m.Attach();
  const bool taken = typed ? m.EndNameEdit(m.Rows()[0].get(), t) : m.AddExpression(t);
  if (!taken) return said.empty() ? std::string("refused without a reason") : said;
  for (const std::string& e : m.Expressions()) AppendWatch(p.curTarget, 0, OptString::Pooled(e, kPoolDebugLists));
  return std::string();
}

std::string FirstWatchRow(ProjectRec& p) {
  const WatchRec* w = p.curTarget->watches[0];
  return w ? w->expression.str() : std::string();
}

// What the session keeps of a window's text it took, as its end keeps
// it: a memory page's address, a tool box button (label and command).
std::string KeptDebugText(ProjectRec& p, DebugWindowText kind, const std::string& t) {
  if (std::string why = DebugWindowTextRefusal(kind, t); !why.empty()) return why;
  if (kind == DebugWindowText::kMemoryAddress)
    AppendMemWindowEntry(p.curTarget, 0, OptString::Pooled(t, kPoolDebugLists));
  else if (kind == DebugWindowText::kToolBoxLabel)
    AppendToolboxButton(p.curTarget, OptString::Pooled(t, kPoolDebugLists), OptString::Pooled("RESET", kPoolDebugLists));
  else
    AppendToolboxButton(p.curTarget, OptString::Pooled("Reset", kPoolDebugLists), OptString::Pooled(t, kPoolDebugLists));
  return std::string();
}

// A breakpoint typed with a command ("BS LED_On, 1, \"...\"", on the Command
// page or as a peer's SetBreakpoint), kept as the session's end keeps it:
// a line breakpoint with the command in its record.
std::string TypedBreakpointCommand(ProjectRec& p, const std::string& t) {
  std::string quoted;
  for (char c : t) {
    if (c == '"' || c == '\\') quoted += '\\';
    if (c == '\n' || c == '\r' || c == '\t') {
      quoted += c == '\n' ? "\\n" : c == '\r' ? "\\r" : "\\t";
      continue;
    }
    quoted += c;
  }
  if (std::string why = TypedBreakpointTextRefusal("BS LED_On, 1, \"" + quoted + "\""); !why.empty()) return why;
  BreakpointRec* b = AppendBreakpoint(p.curTarget);
  b->flags = kBreakKindLine | kBreakFlag3;
  b->value1 = 3;
  b->text1 = OptString::Pooled("Blinky.c", kPoolDebugLists);
  b->inlineText = OptString::Pooled(t, kPoolDebugLists);
  return std::string();
}

std::vector<RoadRow> Roads() {
  return {
      {"MemoryAddressEntered",
       [](ProjectRec*& p, const std::string&, const std::string& t) {
         return KeptDebugText(*p, DebugWindowText::kMemoryAddress, t);
       },
       [](ProjectRec& p) { return p.curTarget->memWindows[0] ? p.curTarget->memWindows[0]->expression.str() : ""; }},
      {"ToolBoxButtonLabel",
       [](ProjectRec*& p, const std::string&, const std::string& t) {
         return KeptDebugText(*p, DebugWindowText::kToolBoxLabel, t);
       },
       [](ProjectRec& p) { return p.curTarget->toolbox ? p.curTarget->toolbox->text1.str() : ""; }},
      {"ToolBoxButtonCommand",
       [](ProjectRec*& p, const std::string&, const std::string& t) {
         return KeptDebugText(*p, DebugWindowText::kToolBoxCommand, t);
       },
       [](ProjectRec& p) { return p.curTarget->toolbox ? p.curTarget->toolbox->text2.str() : ""; }},
      {"BreakpointCommandTyped",
       [](ProjectRec*& p, const std::string&, const std::string& t) { return TypedBreakpointCommand(*p, t); },
       [](ProjectRec& p) { return p.curTarget->breakpoints ? p.curTarget->breakpoints->inlineText.str() : ""; }},
      {"WatchRowTyped", [](ProjectRec*& p, const std::string&, const std::string& t) { return WatchRow(*p, t, true); },
       FirstWatchRow},
      {"WatchRowAdded", [](ProjectRec*& p, const std::string&, const std::string& t) { return WatchRow(*p, t, false); },
       FirstWatchRow},
      {"InPlaceRenameTarget",
       [](ProjectRec*& p, const std::string&, const std::string& t) { return SetComponentName(*p->firstTarget, t); },
       [](ProjectRec& p) { return p.firstTarget->name.str(); }},
      {"InPlaceRenameGroup",
       [](ProjectRec*& p, const std::string&, const std::string& t) { return SetComponentName(*p->firstGroup, t); },
       [](ProjectRec& p) { return p.firstGroup->name.str(); }},
      {"ComponentsPageRenameTarget",
       [](ProjectRec*& p, const std::string&, const std::string& t) {
         ProjectSheetCopy c;
         OpenProjectSheetCopy(c, p, "/nonexistent/TOOLS.INI", nullptr);
         return SheetOk(c, *p, RenameTarget(c, 0, t));
       },
       [](ProjectRec& p) { return p.firstTarget->name.str(); }},
      {"ComponentsPageAddGroup",
       [](ProjectRec*& p, const std::string&, const std::string& t) {
         ProjectSheetCopy c;
         OpenProjectSheetCopy(c, p, "/nonexistent/TOOLS.INI", nullptr);
         return SheetOk(c, *p, AddGroup(c, 0, t));
       },
       [](ProjectRec& p) { return p.firstGroup->name.str(); }},
      {"AddFiles",
       [](ProjectRec*& p, const std::string& folder, const std::string& t) {
         const AddFileOutcome r = AddFileToGroupChecked(
             p, p->firstGroup, folder, t + ".c", [](const std::string&) { return uint8_t(kFileC); },
             AddFileStyle::kFrame);
         return r.file ? std::string() : r.message.empty() ? "refused" : r.message;
       },
       FirstFileName, AsCFile},
      {"SetFileGroup",
       [](ProjectRec*& p, const std::string& folder, const std::string& t) {
         const std::vector<std::string> names{t + ".c"};
         if (std::string why = GroupFilesRefusal(folder, folder, names); !why.empty()) return why;
         return AddFileToGroup(p->firstGroup, names[0].c_str(), folder.c_str(), kFileC) ? std::string() : "refused";
       },
       FirstFileName, AsCFile},
      {"SetOptionsDefine",
       [](ProjectRec*& p, const std::string&, const std::string& t) {
         // Checked before the group's block is looked up, as the request is.
         if (std::string why = GroupCompilerTextsRefusal("Source Group 1", {t}, {}); !why.empty()) return why;
         return SetGroupCompilerTexts(GroupBlock(*p), "Source Group 1", {t}, {});
       },
       [](ProjectRec& p) { return GroupBlock(p).cGnu.ACDEFN.str(); }},
      {"SetOptionsIncludePath",
       [](ProjectRec*& p, const std::string&, const std::string& t) {
         if (std::string why = GroupCompilerTextsRefusal("Source Group 1", {}, {t}); !why.empty()) return why;
         return SetGroupCompilerTexts(GroupBlock(*p), "Source Group 1", {}, {t});
       },
       [](ProjectRec& p) { return GroupBlock(p).cGnu.ACINCD.str(); }},
      {"FirstGenerationImportFile",
       [](ProjectRec*& p, const std::string& folder, const std::string& t) {
         OldIniProject f;
         f.OpenText("[PROJ]\r\nSource1=" + folder + t + ".c\r\nWarningErrlev1=2\r\n");
         return ImportOldIniProject(f, p);
       },
       // A path of the older project's (Windows) file: '\\' and '/' part folders.
       FirstFileName,
       [](const std::string& t) {
         const std::string path = FirstLine(t) == t ? t + ".c" : FirstLine(t);
         return path.substr(path.find_last_of("\\/") + 1);
       }},
      {"FirstGenerationImportUserProgram",
       [](ProjectRec*& p, const std::string&, const std::string& t) {
         OldIniProject f;
         f.OpenText("[PROJ]\r\n[MAKEOPTS]\r\nProgram1=" + t + "\r\n");
         return ImportOldIniProject(f, p);
       },
       [](ProjectRec& p) { return p.curTarget->pOpts->out.RUNUSR[0].str(); }, FirstLine},
      {"CodeGeneratorImportFile",
       [](ProjectRec*& p, const std::string& folder, const std::string& t) {
         CodeGenProject d;
         d.cFiles = {t + ".c"};
         if (std::string why = CodeGenFilesRefusal(d); !why.empty()) return why;
         DeviceDatabase db(kPoolOptionPages);
         DeviceDbEntry* dev = db.NewEntry("Infineon", "C167CR-LM", 2, "");
         db.Append(dev);
         p = MakeCodeGenProject(folder + "roads.Pm2", d, *dev);
         return std::string();
       },
       FirstCFileName,
       // A folder the generator names goes to the file's path.
       [](const std::string& t) {
         const std::string path = t + ".c";
         return path.substr(path.find_last_of("\\/") + 1);
       }},
  };
}

class StoredRoadsTest : public ModelTest {
 protected:
  ScratchDir dir;
  std::string Folder() const { return dir.path.string() + "/"; }

  // The open project as New Project makes it for an ARM target.
  ProjectRec* Fresh() {
    ProjectRec* p = OpenNewProject((Folder() + "roads.pm2").c_str());
    p->curTarget->toolset = kToolsetArmGnu;
    ResetTargetOptions(p->curTarget, kToolsetUndefined);
    return p;
  }

  // Saves the project; the refusal when it does not save.
  static std::string Save(ProjectRec& p) {
    ProjectFileIo io;
    return WriteProjectFiles(io, &p) == kProjectFileOk ? std::string() : io.message + " ";
  }
};

TEST_F(StoredRoadsTest, EveryRoadRefusesATextOrSavesItAndReadsItBackForGood) {
  for (const RoadRow& road : Roads()) {
    int taken = 0, refused = 0;
    for (const TextRow& row : Texts()) {
      SCOPED_TRACE(std::string(road.name) + ": " + row.name);
      PoolFreeAll();
      ResetAppState();
      ProjectRec* p = Fresh();
      const std::string before = BuildProjectFileText(*p);
      const std::string why = road.take(p, Folder(), row.text);
      theApp().m_pProject = p;
      if (!why.empty()) {
        // Refused: nothing changed, and the project saves as it was.
        ++refused;
        EXPECT_EQ(BuildProjectFileText(*p), before) << why;
        EXPECT_EQ(Save(*p), "");
        continue;
      }
      ++taken;
      ASSERT_EQ(road.taken(*p), road.stored(row.text));
      ASSERT_EQ(Save(*p), "");
      const std::string written = BuildProjectFileText(*p), options = BuildOptionsFileText(*p);
      theApp().m_pProject = nullptr;
      ProjectFileIo in;
      ASSERT_EQ(ReadProjectFile(in, Folder() + "roads.Pm2"), kProjectFileOk) << in.message;
      ProjectRec& back = *in.project;
      EXPECT_EQ(road.taken(back), road.stored(row.text));
      EXPECT_EQ(BuildProjectFileText(back), written);
      EXPECT_EQ(BuildOptionsFileText(back), options);
      // A later save with a breakpoint in every file still writes.
      for (GroupRec* g = back.firstGroup; g; g = g->next)
        for (FileRec* f = g->firstFile; f; f = f->next) {
          ASSERT_EQ(BreakpointFileRefusal(f->name.view()), "");
          BreakpointRec* b = AppendBreakpoint(back.curTarget);
          b->flags = kBreakKindLine | kBreakFlag3;
          b->value1 = 3;
          b->text1 = OptString::Pooled(f->name.view(), kPoolDebugLists);
        }
      EXPECT_EQ(Save(back), "");
    }
    EXPECT_GT(taken, 0) << road.name;
    EXPECT_GT(refused, 0) << road.name;
  }
}

}  // namespace
}  // namespace pm2
