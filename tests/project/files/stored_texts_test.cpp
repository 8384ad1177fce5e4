// Every text the project and options files hold, written with each
// character their line grammar treats as its own and read back: a text is
// refused by the writer (nothing written, the message naming it) or comes
// back byte for byte, never as another.
#include <filesystem>
#include <functional>

#include "project/file_test_util.h"
#include "project/files/debug_lists.h"
#include "project/files/project_file.h"
#include "project/files/stored_texts.h"
#include "project/model/key_values.h"
#include "project/text/path_text.h"
#include "projfile_fixture.h"

namespace pm2 {
namespace {

// A text field of a project, found the same way in the project written
// and in the one read back.
struct StoredField {
  std::string name;
  std::function<OptString&(ProjectRec&)> at;
};

TargetRec& TargetAt(ProjectRec& p, int n) {
  TargetRec* t = p.firstTarget;
  while (n-- > 0) t = t->next;
  return *t;
}
GroupRec& GroupAt(ProjectRec& p, int n) {
  GroupRec* g = p.firstGroup;
  while (n-- > 0) g = g->next;
  return *g;
}
// The node's own block for its target.
OptionBlock& BlockOf(NodeRec& node, const TargetRec& t) {
  OptionBlock* b = node.pOpts;
  while (b->owner != &t) b = b->next;
  return *b;
}

// The texts that read back different when the grammar takes one of their
// characters for its own: each bracket, the escape, a quote, blanks, line
// ends, another control character, and non-ASCII text up to the length a
// name keeps.
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
      {"BackslashTilde", "a\\~b"},
      {"BackslashAtTheEnd", "ab\\"},
      {"Quote", "a\"b"},
      {"Blanks", " a b "},
      {"CarriageReturn", "a\rb"},
      {"LineFeed", "a\nb"},
      {"CarriageReturnLineFeed", "a\r\nb"},
      {"Tab", "a\tb"},
      {"ControlCharacter", "a\x01" "b"},
      {"CommentOpener", "a/*b"},
      {"CommentOpenerAfterAClosingAngle", "rel>/*1"},
      {"AnglesAroundACommentOpener", "a<b>/*c"},
      {"NonAsciiAtForty", std::string(39, 'a') + "\xC3\xA4"},
      {"NonAsciiAtHundredTwentyEight", std::string(127, 'a') + "\xC3\xA4"},
  };
}

// The real disk without the waits for the data to reach it: the files
// are written and renamed as a save writes them, many times over.
class UnsyncedDisk : public Disk {
 public:
  int CreateNew(const std::string& p, unsigned m, int* h) override { return d.CreateNew(p, m, h); }
  int Write(int h, const char* data, size_t n) override { return d.Write(h, data, n); }
  int Sync(int) override { return 0; }
  int Close(int h) override { return d.Close(h); }
  int Rename(const std::string& a, const std::string& b) override { return d.Rename(a, b); }
  int Link(const std::string& a, const std::string& b) override { return d.Link(a, b); }
  int Remove(const std::string& p) override { return d.Remove(p); }
  int SyncFolder(const std::string&) override { return 0; }
  int Stat(const std::string& p, bool* e, unsigned* m) override { return d.Stat(p, e, m); }
  int ReadAll(const std::string& p, std::string* o) override { return d.ReadAll(p, o); }
  Disk& d = RealDisk();
};

class StoredTextsTest : public ProjectFileTest {
 protected:
  ScratchDir dir;
  UnsyncedDisk disk;
  std::string Folder() { return dir.path.string() + "/"; }

  // A project with one target of the toolset, one group with a C and an
  // assembler file, each with a block of its own, one record in every
  // list of the options file and an editor file outside the project.
  ProjectRec* Build(uint16_t toolset) {
    ProjectRec* p = MakeProject(Folder().c_str(), "demo");
    TargetRec* t = AddTarget(p, "Board", toolset);
    GroupRec* g = AddGroupRec(p, "Source");
    AddNodeBlock(g, t);
    for (FileRec* f : {AddFile(g, "main.c", kFileC), AddFile(g, "start.s", kFileAsm)}) AddNodeBlock(f, t);
    for (int i = 0; i < kFilterCount; ++i) p->filters[i] = OptString::Pooled("*.x", kPoolProject);
    t->books[0].title = OptString::Pooled("Manual", kPoolProject);
    t->books[0].path = OptString::Pooled("manual.pdf", kPoolProject);
    BreakpointRec* b = AppendBreakpoint(t);
    b->inlineText = OptString::Pooled("main.c:12", kPoolProject);
    b->text1 = OptString::Pooled("count", kPoolProject);
    b->text2 = OptString::Pooled("stop", kPoolProject);
    for (int list = 0; list < 2; ++list) AppendWatch(t, list, OptString::Pooled("w", kPoolProject));
    for (int w = 0; w < 4; ++w) AppendMemWindowEntry(t, w, OptString::Pooled("0x100", kPoolProject));
    AppendToolboxButton(t, OptString::Pooled("Reset", kPoolProject), OptString::Pooled("RESET", kPoolProject));
    AppendPerfRange(t, OptString::Pooled("main", kPoolProject));
    t->symbolsWindow = PoolNew<SymbolsWindowRec>(kPoolProject);
    t->symbolsWindow->text = OptString::Pooled("sym", kPoolProject);
    t->OPTLE = OptString::Pooled("lint", kPoolProject);
    t->OPTLC = OptString::Pooled("lint.lnt", kPoolProject);
    t->OPTLI = PoolNew<TextListRec>(kPoolProject);
    t->OPTLI->text = OptString::Pooled("main.c", kPoolProject);
    for (int i = 0; i < 8; ++i) t->OPTDL[i] = OptString::Pooled("dl", kPoolProject);
    for (KeyValueRec** list : {&t->pOpts->dbg.OPTKEY, &t->pOpts->lst.OPTKUS}) {
      *list = PoolNew<KeyValueRec>(kPoolProject);
      (*list)->key = OptString::Pooled("KEY", kPoolProject);
      (*list)->value = OptString::Pooled("value", kPoolProject);
    }
    EditorFileRec* e = AppendEditorFile(&p->editorFiles);
    e->path = OptString::Pooled("notes.txt", kPoolProject);
    return p;
  }

  // Every text field of such a project; with `ownTexts` false only those
  // of the blocks, whose fields depend on the toolset.
  static std::vector<StoredField> Fields(ProjectRec& p, bool ownTexts) {
    std::vector<StoredField> out;
    if (ownTexts) OwnTexts(p, out);
    BlockTexts(p, out);
    return out;
  }
  // The texts of the project's records and lists.
  static void OwnTexts(ProjectRec& p, std::vector<StoredField>& out) {
    out.push_back({"target name", [](ProjectRec& q) -> OptString& { return TargetAt(q, 0).name; }});
    out.push_back({"group name", [](ProjectRec& q) -> OptString& { return GroupAt(q, 0).name; }});
    out.push_back({"file name", [](ProjectRec& q) -> OptString& { return GroupAt(q, 0).firstFile->name; }});
    out.push_back({"file path", [](ProjectRec& q) -> OptString& { return GroupAt(q, 0).firstFile->path; }});
    for (int i = 0; i < kFilterCount; ++i)
      out.push_back({"filter " + std::to_string(i), [i](ProjectRec& q) -> OptString& { return q.filters[i]; }});
    out.push_back({"editor file", [](ProjectRec& q) -> OptString& { return q.editorFiles->path; }});
    auto target = [](std::string name, std::function<OptString&(TargetRec&)> f) {
      return StoredField{std::move(name), [f](ProjectRec& q) -> OptString& { return f(TargetAt(q, 0)); }};
    };
    out.push_back(target("book title", [](TargetRec& t) -> OptString& { return t.books[0].title; }));
    out.push_back(target("book path", [](TargetRec& t) -> OptString& { return t.books[0].path; }));
    out.push_back(target("breakpoint place", [](TargetRec& t) -> OptString& { return t.breakpoints->inlineText; }));
    out.push_back(target("breakpoint text 1", [](TargetRec& t) -> OptString& { return t.breakpoints->text1; }));
    out.push_back(target("breakpoint text 2", [](TargetRec& t) -> OptString& { return t.breakpoints->text2; }));
    for (int list = 0; list < 2; ++list)
      out.push_back(target("watch " + std::to_string(list),
                           [list](TargetRec& t) -> OptString& { return t.watches[list]->expression; }));
    for (int w = 0; w < 4; ++w)
      out.push_back(target("memory " + std::to_string(w),
                           [w](TargetRec& t) -> OptString& { return t.memWindows[w]->expression; }));
    out.push_back(target("toolbox text 1", [](TargetRec& t) -> OptString& { return t.toolbox->text1; }));
    out.push_back(target("toolbox text 2", [](TargetRec& t) -> OptString& { return t.toolbox->text2; }));
    out.push_back(target("performance range", [](TargetRec& t) -> OptString& { return t.perfRanges->text; }));
    out.push_back(target("symbols", [](TargetRec& t) -> OptString& { return t.symbolsWindow->text; }));
    out.push_back(target("lint program", [](TargetRec& t) -> OptString& { return t.OPTLE; }));
    out.push_back(target("lint configuration", [](TargetRec& t) -> OptString& { return t.OPTLC; }));
    out.push_back(target("lint file", [](TargetRec& t) -> OptString& { return t.OPTLI->text; }));
    for (int i = 0; i < 8; ++i)
      out.push_back(target("OPTDL " + std::to_string(i), [i](TargetRec& t) -> OptString& { return t.OPTDL[i]; }));
    out.push_back(target("OPTKEY key", [](TargetRec& t) -> OptString& { return t.pOpts->dbg.OPTKEY->key; }));
    out.push_back(target("OPTKEY value", [](TargetRec& t) -> OptString& { return t.pOpts->dbg.OPTKEY->value; }));
    out.push_back(target("OPTKUS key", [](TargetRec& t) -> OptString& { return t.pOpts->lst.OPTKUS->key; }));
    out.push_back(target("OPTKUS value", [](TargetRec& t) -> OptString& { return t.pOpts->lst.OPTKUS->value; }));
    for (int i = 0; i < 2; ++i) {
      out.push_back(target("RunUsr " + std::to_string(i), [i](TargetRec& t) -> OptString& { return t.pOpts->out.RUNUSR[i]; }));
      out.push_back(target("BrunUsr " + std::to_string(i), [i](TargetRec& t) -> OptString& { return t.pOpts->out.BRUNUSR[i]; }));
    }
    const std::size_t debugTexts = std::size(p.firstTarget->pOpts->dbg.str);
    for (std::size_t i = 0; i < debugTexts; ++i)
      out.push_back(target("OPTDBG " + std::to_string(i), [i](TargetRec& t) -> OptString& { return t.pOpts->dbg.str[i]; }));
    out.push_back(target("OPTDBG last", [](TargetRec& t) -> OptString& { return t.pOpts->dbg.str11; }));
    out.push_back(target("project identifier", [](TargetRec& t) -> OptString& { return t.pOpts->lst.SVCSID; }));
  }
  // The text rows of the key lines of the target's, the group's and each
  // file's block.
  static void BlockTexts(ProjectRec& p, std::vector<StoredField>& out) {
    TargetRec& t = *p.firstTarget;
    GroupRec& g = *p.firstGroup;
    struct Node {
      const char* kind;
      int kindCode;
      int file;  // -1: the group itself
    };
    for (const Node node : {Node{"target", kKindTarget, -1}, Node{"group", kKindGroup, -1}, Node{"file", kKindFile, 0},
                            Node{"file", kKindFile, 1}}) {
      FileRec* file = node.file < 0 ? nullptr : node.file == 0 ? g.firstFile : g.firstFile->next;
      const uint8_t type = file ? file->type : 0;
      for (int family : BlockFamilies(node.kindCode, t.toolset, type)) {
        const KeyFamily& f = GetKeyFamily(family);
        for (std::size_t i = 0; i < f.count; ++i) {
          if (f.rows[i].kind != FieldKind::kString) continue;
          const int kindCode = node.kindCode, which = node.file;
          out.push_back({std::string(node.kind) + " " + f.name + " " + f.rows[i].key,
                         [kindCode, which, family, i](ProjectRec& q) -> OptString& {
                           TargetRec& qt = TargetAt(q, 0);
                           GroupRec& qg = GroupAt(q, 0);
                           NodeRec* n = kindCode == kKindTarget ? static_cast<NodeRec*>(&qt)
                                        : kindCode == kKindGroup ? static_cast<NodeRec*>(&qg)
                                        : which == 0              ? static_cast<NodeRec*>(qg.firstFile)
                                                                  : static_cast<NodeRec*>(qg.firstFile->next);
                           KeyContext c{&qt, &BlockOf(*n, qt), kPoolProject};
                           return *GetKeyFamily(family).rows[i].str(c);
                         }});
        }
      }
    }
  }
};

// What the options file keeps of an editor file is its path relative to
// the project's folder.
std::string AsReadBack(const StoredField& field, ProjectRec& p, const std::string& written) {
  return field.name == "editor file" ? MakeRelativePath(p.folder.view(), written) : written;
}

TEST_F(StoredTextsTest, EveryTextIsRefusedOrReadBackAsItWasWritten) {
  for (uint16_t toolset = 0; toolset < kToolsetCount; ++toolset) {
    SCOPED_TRACE("toolset " + std::to_string(toolset));
    ProjectRec* base = Build(toolset);
    const std::vector<StoredField> fields = Fields(*base, toolset == kToolsetArmGnu);
    ProjectFileIo first(&disk);
    ASSERT_EQ(kProjectFileOk, WriteProjectFiles(first, base)) << first.message;
    int refused = 0, kept = 0;
    for (const StoredField& field : fields) {
      for (const TextRow& row : Texts()) {
        SCOPED_TRACE(field.name + ": " + row.name);
        const std::string pm2 = ReadFileText(dir.File("demo.Pm2")), opt = ReadFileText(dir.File("demo.Opt"));
        ProjectRec* p = Build(toolset);
        field.at(*p) = OptString::Pooled(row.text, kPoolProject);
        // A file's path ends in its name.
        if (field.name == "file name")
          p->firstGroup->firstFile->path = OptString::Pooled(".\\src\\" + row.text, kPoolProject);
        ProjectFileIo io(&disk);
        const int rc = WriteProjectFiles(io, p);
        if (rc != kProjectFileOk) {
          // Refused whole: the message names the text, and both files are
          // as they were.
          ++refused;
          EXPECT_EQ(rc, kProjectFileTextRefused) << io.message;
          EXPECT_NE(io.message.find(AsReadBack(field, *p, row.text)), std::string::npos) << io.message;
          EXPECT_EQ(ReadFileText(dir.File("demo.Pm2")), pm2);
          EXPECT_EQ(ReadFileText(dir.File("demo.Opt")), opt);
          continue;
        }
        ++kept;
        ProjectFileIo in;
        ASSERT_EQ(kProjectFileOk, ReadProjectFile(in, dir.File("demo.Pm2"))) << in.message;
        EXPECT_EQ(field.at(*in.project).str(), AsReadBack(field, *p, row.text));
      }
      PoolFree(kPoolProject);
    }
    EXPECT_GT(refused, 0);
    EXPECT_GT(kept, 0);
  }
}

}  // namespace
}  // namespace pm2
