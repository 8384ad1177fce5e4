#include "browser/browse_navigation.h"

#include "browser/browse_file_name.h"
#include "browser/browse_loader.h"

namespace pm2 {
namespace {

bool IsCall(uint16_t kind) { return kind == kOccCalls || kind == kOccCalledBy; }

bool Wanted(uint16_t kind, bool definition) {
  return definition ? (kind == kOccDefinition || kind == kOccMemberDefinition)
                    : (kind == kOccReference || kind == kOccMemberReference);
}

// The first wanted occurrence's index, or npos.
size_t FirstWanted(const BrowseSymbol& s, bool definition) {
  for (size_t i = 0; i < s.occurrences.size(); ++i)
    if (Wanted(s.occurrences[i].kind, definition)) return i;
  return std::string::npos;
}

// The file of an entry when it has a path; null otherwise.
const BrowseFile* PlaceFile(const BrowseModule& m, const BrowseOccurrence& o) {
  const BrowseFile* f = m.FileByNumber(o.file);
  return f && !f->path.empty() ? f : nullptr;
}

// Moves the cursor to the next (or previous) entry that is no call
// relation, wrapping round; the entry, or null when there is no cursor or
// every entry is a call relation.
const BrowseOccurrence* Step(BrowseSession& session, bool forward) {
  BrowseModule* m = session.Module();
  if (!m || !m->cursor.name || !m->cursor.symbol) return nullptr;
  const BrowseOccurrences& list = m->cursor.symbol->occurrences;
  const size_t n = list.size();
  if (n == 0) return nullptr;
  size_t i = m->cursor.index < n ? m->cursor.index : 0;
  for (size_t tried = 0; tried < n; ++tried) {
    i = forward ? (i + 1) % n : (i == 0 ? n - 1 : i - 1);
    if (!IsCall(list[i].kind)) {
      m->cursor.index = i;
      return &list[i];
    }
  }
  return nullptr;
}

struct Found {
  BrowseName* name = nullptr;
  std::optional<std::string> text;  // set when the look-up ends here
};

// Loads the table and finds the name, else its forms with the prefixes the
// compilers give functions with register parameters ("_") and reentrant
// functions ("_?").
Found FindName(BrowseSession& session, const BrowseSource& source, const std::string& name, bool prefixes) {
  Found r;
  if (source.toolsWriteNone) {
    session.Free();
    r.text = NoBrowseInfoText(source.toolsWriteNone);
    return r;
  }
  std::string err = session.Open(source.file, source.baseFolder);
  if (!err.empty()) {
    r.text = err;
    return r;
  }
  BrowseModule& m = *session.Module();
  r.name = m.FindName(name);
  if (!r.name && prefixes) r.name = m.FindName("_" + name);
  if (!r.name && prefixes) r.name = m.FindName("_?" + name);
  if (!r.name) r.text = UndefinedSymbolText(name);
  return r;
}

}  // namespace

std::string UndefinedSymbolText(const std::string& name) { return "Source Browser: '" + name + "' is undefined !"; }

std::string UndefinedPlaceText(const std::string& name) {
  return "Source Browser: '" + name + "' - undefined Definition/Reference !";
}

std::string GoToSymbol(BrowseSession& session, const BrowseSource& source, const std::string& name,
                       bool definition, BrowseViewer& viewer, BrowseChooser& chooser) {
  Found f = FindName(session, source, name, true);
  if (f.text) return *f.text;
  BrowseSymbol* s = f.name->first;
  if (!s) return UndefinedPlaceText(name);
  if (s->next) {
    // The user picks the symbol in the browser window, else here.
    if (viewer.ShowBrowseResult(true, *f.name)) return std::string();
    s = chooser.Choose(*f.name);
    if (!s) return std::string();
  } else {
    viewer.ShowBrowseResult(false, *f.name);
  }
  const size_t i = FirstWanted(*s, definition);
  if (i == std::string::npos) return UndefinedPlaceText(name);
  BrowseModule& m = *session.Module();
  const BrowseOccurrence& o = s->occurrences[i];
  const BrowseFile* file = PlaceFile(m, o);
  if (!file) {
    viewer.Beep();
    return std::string();
  }
  SetBrowseCursor(session, s, i);
  viewer.ShowSourceLocation(file->path, o.line, std::string(f.name->text));
  return std::string();
}

namespace {

bool GoToStep(BrowseSession& session, BrowseViewer& viewer, bool forward) {
  const BrowseOccurrence* o = Step(session, forward);
  if (!o) return false;
  BrowseModule& m = *session.Module();
  const BrowseFile* file = PlaceFile(m, *o);
  if (!file) return false;
  viewer.ShowSourceLocation(file->path, o->line, std::string(m.cursor.name->text));
  return true;
}

}  // namespace

bool GoToNextReference(BrowseSession& session, BrowseViewer& viewer) { return GoToStep(session, viewer, true); }
bool GoToPreviousReference(BrowseSession& session, BrowseViewer& viewer) {
  return GoToStep(session, viewer, false);
}

std::optional<std::string> FindSymbolLocation(BrowseSession& session, const BrowseSource& source,
                                              const std::string& name, bool definition,
                                              BrowseChooser& chooser) {
  session.AddInLocation() = BrowseAddInLocation();
  // The add-in names the symbol as the browse records hold it.
  Found f = FindName(session, source, name, false);
  if (f.text) return f.text;
  BrowseSymbol* s = f.name->first;
  if (s && s->next) {
    s = chooser.Choose(*f.name);
    if (!s) return std::nullopt;
  }
  const size_t i = s ? FirstWanted(*s, definition) : std::string::npos;
  if (i == std::string::npos) return UndefinedPlaceText(name);
  BrowseModule& m = *session.Module();
  const BrowseOccurrence& o = s->occurrences[i];
  const BrowseFile* file = PlaceFile(m, o);
  if (!file) return UndefinedPlaceText(name);
  SetBrowseCursor(session, s, i);
  session.AddInLocation() = BrowseAddInLocation{file, o.line, f.name};
  return std::string();
}

namespace {

bool LocationStep(BrowseSession& session, bool forward) {
  const BrowseOccurrence* o = Step(session, forward);
  if (!o) return false;
  BrowseModule& m = *session.Module();
  const BrowseFile* file = PlaceFile(m, *o);
  if (!file) return false;
  session.AddInLocation() = BrowseAddInLocation{file, o->line, m.cursor.name};
  return true;
}

}  // namespace

bool GetNextReferenceLocation(BrowseSession& session) { return LocationStep(session, true); }
bool GetPreviousReferenceLocation(BrowseSession& session) { return LocationStep(session, false); }

void SetBrowseCursor(BrowseSession& session, BrowseSymbol* symbol, size_t index) {
  BrowseModule* m = session.Module();
  if (!symbol) {
    if (m) m->cursor = BrowseCursor();
    session.AddInLocation() = BrowseAddInLocation();
    return;
  }
  if (!m) return;
  m->cursor = BrowseCursor{symbol->owner, symbol, index};
}

std::vector<BrowseChoice> BrowseChoices(const BrowseName& name) {
  struct ClassWord {
    uint16_t cls;
    const char* word;
  };
  static constexpr ClassWord kWords[] = {
      {kClassMacro, "macro"},   {kClassLocalData, "local sym"}, {kClassData, "symbol"},
      {kClassFunction, "function"}, {kClassMember, "member"},   {kClassTag, "type tag"},
      {kClassTypedef, "typdef"}, {kClassEnum, "enumerator"},    {kClassParameter, "parameter"},
  };
  std::vector<BrowseChoice> rows;
  if (!name.first || !name.first->next) return rows;
  for (BrowseSymbol* s = name.first; s; s = s->next)
    for (const ClassWord& w : kWords) {
      if (w.cls != s->cls) continue;
      rows.push_back(BrowseChoice{std::string(w.word) + " - " + std::string(name.text), s});
    }
  return rows;
}

}  // namespace pm2
