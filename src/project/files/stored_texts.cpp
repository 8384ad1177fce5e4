#include "project/files/stored_texts.h"

#include <functional>

#include "project/files/debug_lists.h"
#include "project/files/project_keys.h"
#include "project/files/project_lines.h"
#include "project/model/key_values.h"
#include "project/model/option_block.h"
#include "project/model/project_records.h"
#include "project/text/path_text.h"

namespace pm2 {

std::string FieldTextFault(std::string_view text, FieldBrackets brackets) {
  return brackets == FieldBrackets::kAngles ? BracketedTextFault(text, '<', '>') : ParenthesisedTextFault(text);
}

std::string FieldTextRefusal(std::string_view field, std::string_view text, FieldBrackets brackets) {
  const std::string fault = FieldTextFault(text, brackets);
  if (fault.empty()) return fault;
  return "The text of '" + std::string(field) + "' cannot be stored: it holds " + fault + ".";
}

std::string FolderRefusal(std::string_view field, std::string_view folder) {
  std::string refusal = FieldTextRefusal(field, folder, FieldBrackets::kParentheses);
  if (refusal.empty()) refusal = FieldTextRefusal(field, folder, FieldBrackets::kAngles);
  return refusal;
}

std::string ChosenPathRefusal(std::string_view field, std::string_view chosen, std::string_view stored) {
  std::string refusal = FolderRefusal(field, stored);
  if (refusal.empty() && chosen.find('\\') != std::string_view::npos)
    refusal = "The text of '" + std::string(field) + "' cannot be stored: '" + std::string(chosen) +
              "' holds a '\\', which the project reads as a folder separator.";
  return refusal;
}

std::string ProgramNameRefusal(std::string_view field, std::string_view program) {
  if (program.find('"') == std::string_view::npos) return std::string();
  return "The text of '" + std::string(field) + "' cannot be stored: a program's name cannot hold a '\"'.";
}

namespace {

// As the project file's reader takes " SVCSID <text>" apart: the text runs
// to the line's last '>', but comments are cut first, and a "/*" only
// stands as text inside brackets.
std::string ProjectIdentifierFault(std::string_view text) {
  int depth = 1;  // inside the '<' written before the text
  char open = '<', close = '>';
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    const char next = i + 1 < text.size() ? text[i + 1] : '\0';
    if (c == '\n' && (i == 0 || text[i - 1] != '\r')) return "a line break without a carriage return";
    if (c == '\\' && next == '~') return "the characters \"\\~\"";
    if (depth > 0) {
      if (c == open) ++depth;
      else if (c == close) --depth;
    } else if (c == '(' || c == '<') {
      depth = 1;
      open = c;
      close = c == '(' ? ')' : '>';
    } else if (c == '/' && next == '*') {
      return "a '>' without its '<' followed by \"/*\"";
    }
  }
  return std::string();
}

}  // namespace

std::string ProjectIdentifierRefusal(std::string_view field, std::string_view text) {
  const std::string fault = ProjectIdentifierFault(text);
  if (fault.empty()) return fault;
  return "The text of '" + std::string(field) + "' cannot be stored: it holds " + fault + ".";
}

std::string ProjectNameRefusal(std::string_view name) {
  const std::string fault = FieldTextFault(name, FieldBrackets::kParentheses);
  if (fault.empty()) return fault;
  return "The project name '" + std::string(name) + "' cannot be stored as the name of its executable: it holds " +
         fault + ".";
}

namespace {

// How a text is kept: in one kind of bracket, (a folder of the sheet) in
// both, or (the project identifier) up to its line's last '>'.
enum class TextRule : uint8_t { kParentheses, kAngles, kFolder, kToLastAngle };

std::string Fault(std::string_view text, TextRule rule) {
  if (rule == TextRule::kAngles) return FieldTextFault(text, FieldBrackets::kAngles);
  if (rule == TextRule::kToLastAngle) return ProjectIdentifierFault(text);
  std::string fault = FieldTextFault(text, FieldBrackets::kParentheses);
  if (fault.empty() && rule == TextRule::kFolder) fault = FieldTextFault(text, FieldBrackets::kAngles);
  return fault;
}

// Where the user changes the texts of the lists and windows the options
// file keeps, by the key (or the first word of the name) the refusal
// gives them. Any other text is a field of an options sheet.
struct MendPlace {
  const char* field;
  const char* where;
};
constexpr MendPlace kMendPlaces[] = {
    {"Filter", "on the Folders/Extensions page of Project > Components, Environment, Books"},
    {"ExtF", "by closing the file's editor before the project"},
    {"OPTBL", "on the Books page of Project > Components, Environment, Books"},
    {"OPTBB", "in the editor of its file: remove the breakpoint (Debug > Insert/Remove Breakpoint)"},
    {"OPTLE", "in Tools > Setup PC-Lint, the PC-Lint program"},
    {"OPTLC", "in Tools > Setup PC-Lint, the configuration file"},
    {"OPTLI", "in Tools > Setup PC-Lint, the include folders"},
    {"OPTWA", "in the Watch window of a debug session (Debug > Start/Stop Debug Session, then View > Watch & Call Stack Window)"},
    {"OPTMM", "in the Memory window of a debug session (Debug > Start/Stop Debug Session, then View > Memory Window)"},
    {"OPTBT", "in the Toolbox of a debug session (Debug > Start/Stop Debug Session, then View > Toolbox)"},
    {"OPTPA", "in a debug session (Debug > Start/Stop Debug Session), in Debug > Performance Analyzer Setup"},
    {"OPTSY", "in the Symbols window of a debug session (Debug > Start/Stop Debug Session, then View > Symbols Window)"},
};

// " Change it ..." naming the dialog and its field for the owner's text
// ("target 'Target 1'", "group 'Source'", "file 'main.c'").
std::string MendSentence(std::string_view field, std::string_view owner) {
  for (const MendPlace& m : kMendPlaces)
    if (field == m.field) return std::string(" Change it ") + m.where + ".";
  std::string sheet = "Options for ";
  if (!owner.empty()) {
    sheet += owner;
    sheet[12] = char(sheet[12] - 'a' + 'A');  // "Options for Target 'T'"
  }
  return " Change it in Project > " + sheet + ", field '" + std::string(field) + "'.";
}

// Collects the first refusal; later texts are not looked at.
class FirstRefusal {
 public:
  explicit FirstRefusal(std::string_view owner, bool sayWhere = false) : m_owner(owner), m_sayWhere(sayWhere) {}
  void Check(std::string_view field, std::string_view text, TextRule rule) {
    if (!m_why.empty()) return;
    const std::string fault = Fault(text, rule);
    if (fault.empty()) return;
    m_why = "The text '" + std::string(text) + "' of '" + std::string(field) + "'";
    if (!m_owner.empty()) m_why += " of " + m_owner;
    m_why += " cannot be stored: it holds " + fault + ".";
    if (m_sayWhere)
      m_why += MendSentence(field, m_owner.rfind("the ", 0) == 0 ? std::string_view() : std::string_view(m_owner));
  }
  void KeyValues(const char* key, const KeyValueRec* list) {
    for (const KeyValueRec* k = list; k; k = k->next) {
      Check(key, k->key.view(), TextRule::kParentheses);
      Check(key, k->value.view(), TextRule::kParentheses);
    }
  }
  bool Found() const { return !m_why.empty(); }
  std::string Take() { return std::move(m_why); }

 private:
  std::string m_owner;
  bool m_sayWhere = false;
  std::string m_why;
};

// Fields the sheet shows under a name of its own, and the folders it
// checks against both brackets.
struct SheetField {
  const char* key;
  const char* name;
  TextRule rule;
};
constexpr SheetField kSheetFields[] = {
    {"OutName", "Name of Executable", TextRule::kParentheses},
    {"OutDir", "Folder for Objects", TextRule::kFolder},
    {"LstDir", "Folder for List Files", TextRule::kFolder},
};

// The texts of the key lines of their own form, as those lines write them.
void CheckLineTexts(FirstRefusal& out, std::string_view key, TargetRec& t, OptionBlock& b) {
  if (key == "RunUsr" || key == "BrunUsr") {
    const bool before = key == "BrunUsr";
    for (int i = 0; i < 2; ++i)
      out.Check(std::string(before ? "Before Make: " : "") + "Run User Program #" + std::to_string(i + 1),
                (before ? b.out.BRUNUSR : b.out.RUNUSR)[i].view(), TextRule::kAngles);
  } else if (key == "OPTDL") {
    for (int i = 0; i < 8; ++i) out.Check("OPTDL " + std::to_string(i + 1), t.OPTDL[i].view(), TextRule::kParentheses);
  } else if (key == "OPTDBG") {
    int n = 0;
    for (const OptString& s : b.dbg.str) out.Check("OPTDBG " + std::to_string(++n), s.view(), TextRule::kParentheses);
    out.Check("OPTDBG " + std::to_string(++n), b.dbg.str11.view(), TextRule::kParentheses);
  } else if (key == "SVCSID") {
    out.Check("Project Identifier", b.lst.SVCSID.view(), TextRule::kToLastAngle);
  }
  // "ExtMem" and "BankNo" hold numbers.
}

void CheckBlock(FirstRefusal& out, TargetRec& target, OptionBlock& block, int nodeKind, uint8_t fileType) {
  KeyContext c{&target, &block, 0};
  for (int family : BlockFamilies(nodeKind, target.toolset, fileType)) {
    const KeyFamily& f = GetKeyFamily(family);
    for (std::size_t i = 0; i < f.count && !out.Found(); ++i) {
      const FieldRow& row = f.rows[i];
      if (row.kind == FieldKind::kLine) {
        CheckLineTexts(out, row.key, target, block);
        continue;
      }
      if (row.kind != FieldKind::kString) continue;
      const char* name = row.key;
      TextRule rule = TextRule::kParentheses;
      for (const SheetField& s : kSheetFields)
        if (std::string_view(s.key) == row.key) name = s.name, rule = s.rule;
      out.Check(name, row.str(c)->view(), rule);
    }
  }
  // What the options file keeps of a target's own block beside its key lines.
  if (nodeKind == kKindTarget) {
    out.KeyValues("OPTKEY", block.dbg.OPTKEY);
    out.KeyValues("OPTKUS", block.lst.OPTKUS);
  }
}

// A target's lists in the options file, as its section writes them.
void CheckTargetLists(FirstRefusal& out, const TargetRec& t) {
  for (const BookSlot& s : t.books) {
    out.Check("OPTBL", s.title.view(), TextRule::kParentheses);
    out.Check("OPTBL", s.path.view(), TextRule::kAngles);
  }
  for (const BreakpointRec* p = t.breakpoints; p; p = p->next) {
    if (!IsWrittenBreakpoint(*p)) continue;
    if (BreakpointFileInInlinePlace(*p)) {
      out.Check("OPTBB", p->text1.view(), TextRule::kAngles);
    } else {
      out.Check("OPTBB", p->inlineText.view(), TextRule::kAngles);
      out.Check("OPTBB", p->text1.view(), TextRule::kParentheses);
    }
    out.Check("OPTBB", p->text2.view(), TextRule::kParentheses);
  }
  for (const WatchRec* list : t.watches)
    for (const WatchRec* p = list; p; p = p->next) out.Check("OPTWA", p->expression.view(), TextRule::kParentheses);
  for (const MemWindowRec* list : t.memWindows)
    for (const MemWindowRec* p = list; p; p = p->next) out.Check("OPTMM", p->expression.view(), TextRule::kParentheses);
  for (const ToolboxButtonRec* p = t.toolbox; p; p = p->next) {
    out.Check("OPTBT", p->text1.view(), TextRule::kParentheses);
    out.Check("OPTBT", p->text2.view(), TextRule::kParentheses);
  }
  for (const PerfRangeRec* p = t.perfRanges; p; p = p->next) out.Check("OPTPA", p->text.view(), TextRule::kParentheses);
  if (t.symbolsWindow) out.Check("OPTSY", t.symbolsWindow->text.view(), TextRule::kParentheses);
  out.Check("OPTLE", t.OPTLE.view(), TextRule::kAngles);
  out.Check("OPTLC", t.OPTLC.view(), TextRule::kAngles);
  for (const TextListRec* p = t.OPTLI; p; p = p->next) out.Check("OPTLI", p->text.view(), TextRule::kAngles);
}

std::string Quoted(const char* kind, const OptString& name) { return std::string(kind) + " '" + name.str() + "'"; }

}  // namespace

std::string OptionBlockTextRefusal(TargetRec& target, OptionBlock& block, int nodeKind, uint8_t fileType,
                                   std::string_view owner) {
  FirstRefusal out(owner);
  CheckBlock(out, target, block, nodeKind, fileType);
  return out.Take();
}

std::string ProjectTextRefusal(ProjectRec& p, bool sayWhereToChange) {
  // The names are typed in the project window or on the components page.
  const std::string names =
      sayWhereToChange ? " Change it in the project window or on the Project Components page of Project > Components, "
                         "Environment, Books."
                       : "";
  for (const TargetRec* t = p.firstTarget; t; t = t->next)
    if (std::string why = StoredComponentNameRefusal("target", t->name.view()); !why.empty()) return why + names;
  for (const GroupRec* g = p.firstGroup; g; g = g->next) {
    if (std::string why = StoredComponentNameRefusal("group", g->name.view()); !why.empty()) return why + names;
    for (const FileRec* f = g->firstFile; f; f = f->next)
      if (std::string why = StoredFileNameRefusal(f->path.empty() ? f->name.view() : f->path.view(), f->name.view());
          !why.empty())
        return why + names;
  }
  FirstRefusal project("the project", sayWhereToChange);
  for (const OptString& filter : p.filters) project.Check("Filter", filter.view(), TextRule::kParentheses);
  for (const EditorFileRec* e = p.editorFiles; e; e = e->next)
    project.Check("ExtF", MakeRelativePath(p.folder.view(), e->path.view()), TextRule::kAngles);
  if (project.Found()) return project.Take();
  for (TargetRec* t = p.firstTarget; t; t = t->next) {
    FirstRefusal out(Quoted("target", t->name), sayWhereToChange);
    if (t->pOpts) CheckBlock(out, *t, *t->pOpts, kKindTarget, 0);
    CheckTargetLists(out, *t);
    if (out.Found()) return out.Take();
  }
  for (GroupRec* g = p.firstGroup; g; g = g->next) {
    for (OptionBlock* b = g->pOpts; b; b = b->next) {
      if (!b->owner) continue;
      FirstRefusal out(Quoted("group", g->name), sayWhereToChange);
      CheckBlock(out, *b->owner, *b, kKindGroup, 0);
      if (out.Found()) return out.Take();
    }
    for (FileRec* f = g->firstFile; f; f = f->next)
      for (OptionBlock* b = f->pOpts; b; b = b->next) {
        if (!b->owner) continue;
        FirstRefusal out(Quoted("file", f->name), sayWhereToChange);
        CheckBlock(out, *b->owner, *b, kKindFile, f->type);
        if (out.Found()) return out.Take();
      }
  }
  return std::string();
}

}  // namespace pm2

namespace pm2 {

std::string EditorFileRefusal(std::string_view projectFolder, std::string_view localPath) {
  const std::string stored = MakeRelativePath(projectFolder, localPath);
  std::string fault = FieldTextFault(stored, FieldBrackets::kAngles);
  if (fault.empty() && localPath.find('\\') != std::string_view::npos)
    fault = "a '\\', which the project reads as a folder separator";
  if (fault.empty()) return fault;
  return "The file '" + std::string(localPath) +
         "' cannot be kept in the project's list of open files: its name holds " + fault + ".";
}

}  // namespace pm2
