#include "builder/preprocessor/preprocessor.h"

#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "builder/preprocessor/preprocessor_expr.h"
#include "builder/preprocessor/preprocessor_macros.h"
#include "builder/preprocessor/preprocessor_tokens.h"
#include "platform/mapped_file.h"
#include "platform/win_path.h"

namespace pm2 {

void AddScanIncludePath(DepScanRequest& request, std::string_view path) {
  if (request.includePaths.size() < size_t(kMaxScanIncludePaths))
    request.includePaths.emplace_back(path);
}

void AddScanDefine(DepScanRequest& request, std::string_view define) {
  if (request.defines.size() < size_t(kMaxScanDefines)) request.defines.emplace_back(define);
}

std::string JoinIncludePath(std::string_view folder, std::string_view name) {
  folder = folder.substr(0, folder.find(';'));
  std::string out;
  out.reserve(folder.size() + name.size() + 1);
  for (char c : folder) out += char(std::toupper(static_cast<unsigned char>(c)));
  char last = folder.empty() ? 0 : folder.back();
  if (last != '/' && last != ':' && last != '\\') out += '\\';
  if (!name.empty() && name.front() == '\\') name.remove_prefix(1);
  for (char c : name) out += char(std::toupper(static_cast<unsigned char>(c)));
  return out;
}

namespace {

using pp::CondResult;
using pp::Macro;
using pp::MacroExpander;
using pp::Token;
using pp::TokKind;

// One open file of the input stack.
struct InputLevel {
  MappedFileView view;
  const char* p = nullptr;
  const char* end = nullptr;
  std::string name;  // stored form, as opened
  int line = 0;
  size_t condDepthAtStart = 0;
};

enum CondKind : uint8_t { kCondIf, kCondElif, kCondElse, kCondIfdef, kCondIfndef };

struct CondLevel {
  uint8_t kind = kCondIf;
  bool outerActive = true;  // text around the level is read
  bool active = true;       // the current branch is read
  bool taken = false;       // a branch was taken (no later one may be)
};

// Three-character sequences and what they stand for.
const char kTrigraphFrom[] = "=(/)'<!>-";
const char kTrigraphTo[] = "#[\\]^{|}~";

void ReplaceTrigraphs(std::string& s, size_t from) {
  size_t out = from;
  for (size_t i = from; i < s.size(); ++i) {
    if (s[i] == '?' && i + 2 < s.size() && s[i + 1] == '?') {
      if (const char* hit = std::strchr(kTrigraphFrom, s[i + 2]); hit && *hit) {
        s[out++] = kTrigraphTo[hit - kTrigraphFrom];
        i += 2;
        continue;
      }
    }
    s[out++] = s[i];
  }
  s.resize(out);
}

bool SameNameIgnoringCase(const std::string& a, const std::string& b) {
  return a.size() == b.size() && strncasecmp(a.c_str(), b.c_str(), a.size()) == 0;
}

size_t SkipBlanks(std::string_view s, size_t i) {
  while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
  return i;
}

bool OnlyBlanks(std::string_view s) { return SkipBlanks(s, 0) == s.size(); }

class Scan;
using DirectiveFn = void (Scan::*)(std::string_view rest);

class Scan {
 public:
  Scan(DepScanRequest& req, PathResolver& resolver, const std::string& currentFolder)
      : req_(req), resolver_(resolver), current_(currentFolder) {}

  int Run();

 private:
  struct Directive {
    const char* name;
    DirectiveFn fn;
    bool conditional;  // obeyed in skipped text too
  };
  static const Directive kDirectives[14];

  void Flag(const std::string& why) {
    if (!outOfDate_) req_.reason = why;
    outOfDate_ = true;
  }
  void Error(const std::string& what) {
    const InputLevel* in = levels_.empty() ? nullptr : levels_.back().get();
    Flag(in ? "'" + in->name + "' line " + std::to_string(in->line) + ": " + what : what);
  }
  bool Skipping() const { return !cond_.empty() && !cond_.back().active; }
  // A conditional opened in the file being read (an #else or #endif may
  // not reach into the including file's levels).
  bool OpenHere() const { return cond_.size() > levels_.back()->condDepthAtStart; }

  bool Stat(const std::string& local, uint32_t* time, bool* regular, int64_t* ns = nullptr) const;
  bool ReadLogicalLine(InputLevel& in, size_t* lastSplice);
  bool NextLine(InputLevel& in);
  void ProcessLine();
  void EndLevel();
  bool Open(const std::string& stored, const std::string& local);
  void AddInclude(const std::string& stored, const std::string& local, uint8_t kind);
  bool Search(const std::string& name, bool quoted, std::string* stored, std::string* local);
  bool TryCandidate(const std::string& stored, std::string* local);
  std::vector<Token> Expanded(std::string_view text, bool inCondition);
  bool Condition(std::string_view rest);
  std::string_view Identifier(std::string_view rest, size_t* after) const;
  void DefineFromRequest(const std::string& define);

  void DoDefine(std::string_view rest);
  void DoUndef(std::string_view rest);
  void DoIf(std::string_view rest);
  void DoIfdef(std::string_view rest);
  void DoIfndef(std::string_view rest);
  void DoElif(std::string_view rest);
  void DoElse(std::string_view rest);
  void DoEndif(std::string_view rest);
  void DoInclude(std::string_view rest);
  void DoLine(std::string_view rest);
  void DoIgnore(std::string_view) {}
  void DoError(std::string_view) { Error("#error or #warning"); }
  void PushCondition(uint8_t kind, bool value);

  DepScanRequest& req_;
  PathResolver& resolver_;
  const std::string& current_;
  pp::MacroTable macros_;
  std::vector<std::unique_ptr<InputLevel>> levels_;
  std::vector<CondLevel> cond_;
  std::string raw_, clean_;
  bool outOfDate_ = false;
  bool objectKnown_ = false;
  uint32_t objectTime_ = 0;
  int64_t objectNs_ = 0;  // the object's time at full precision
};

const Scan::Directive Scan::kDirectives[14] = {
    {"define", &Scan::DoDefine, false},  {"if", &Scan::DoIf, true},
    {"elif", &Scan::DoElif, true},       {"else", &Scan::DoElse, true},
    {"endif", &Scan::DoEndif, true},     {"ifdef", &Scan::DoIfdef, true},
    {"ifndef", &Scan::DoIfndef, true},   {"include", &Scan::DoInclude, false},
    {"line", &Scan::DoLine, false},      {"pragma", &Scan::DoIgnore, false},
    {"undef", &Scan::DoUndef, false},    {"error", &Scan::DoError, false},
    {"ident", &Scan::DoIgnore, false},   {"warning", &Scan::DoError, false},
};

bool Scan::Stat(const std::string& local, uint32_t* time, bool* regular, int64_t* ns) const {
  struct stat st;
  if (::stat(local.c_str(), &st) != 0) return false;
  *time = uint32_t(st.st_mtime);
  if (ns) *ns = int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
  if (regular) *regular = S_ISREG(st.st_mode);
  return true;
}

int Scan::Run() {
  req_.includes.clear();
  req_.reason.clear();

  std::string source;
  uint32_t sourceTime = 0;
  int64_t sourceNs = 0;
  bool regular = false;
  if (!resolver_.ResolveStoredPath(req_.sourcePath, current_, &source) ||
      !Stat(source, &sourceTime, &regular, &sourceNs) || !regular || ::access(source.c_str(), R_OK) != 0) {
    req_.reason = "'" + req_.sourcePath + "' cannot be opened";
    return 1;
  }
  std::string object;
  resolver_.ResolveStoredPath(req_.objectPath, current_, &object);
  objectKnown_ = !req_.objectPath.empty() && Stat(object, &objectTime_, nullptr, &objectNs_);

  for (const std::string& d : req_.defines) DefineFromRequest(d);

  AddInclude(req_.sourcePath, source, kIncludeSource);
  Open(req_.sourcePath, source);
  while (!levels_.empty()) {
    if (!NextLine(*levels_.back())) {
      EndLevel();
      continue;
    }
    ProcessLine();
  }

  if (!objectKnown_) Flag("'" + req_.objectPath + "' is missing");
  else if (objectNs_ < sourceNs) Flag("'" + req_.objectPath + "' is older than '" + req_.sourcePath + "'");
  return outOfDate_ ? 1 : 0;
}

// Command-line defines: "NAME=body" gives NAME the body; a bare "NAME" is 1,
// as the compiler defines it.
void Scan::DefineFromRequest(const std::string& define) {
  size_t eq = define.find('=');
  std::string text = eq == std::string::npos ? define + " 1"
                                             : define.substr(0, eq) + " " + define.substr(eq + 1);
  Macro m;
  if (!pp::ParseDefine(text, &m) || !macros_.Define(std::move(m)))
    Flag("bad define '" + define + "'");
}

bool Scan::Open(const std::string& stored, const std::string& local) {
  if (levels_.size() >= size_t(kMaxInputLevels)) return false;
  auto level = std::make_unique<InputLevel>();
  level->name = stored;
  level->condDepthAtStart = cond_.size();
  if (!level->view.Open(local)) return false;  // an empty or unmappable file gives no input
  level->p = level->view.data();
  level->end = level->p + level->view.size();
  levels_.push_back(std::move(level));
  return true;
}

void Scan::EndLevel() {
  InputLevel& in = *levels_.back();
  if (cond_.size() > in.condDepthAtStart) {
    Error("#if without #endif");
    cond_.resize(in.condDepthAtStart);
  }
  levels_.pop_back();
}

void Scan::AddInclude(const std::string& stored, const std::string& local, uint8_t kind) {
  for (const IncludeEntry& e : req_.includes)
    if (SameNameIgnoringCase(e.name, stored)) return;
  IncludeEntry e;
  e.kind = kind;
  e.name = stored;
  // Two disk times: compared at full precision, so a header saved in the
  // second its includer's object was written still counts.
  int64_t ns = 0;
  const bool found = Stat(local, &e.time, nullptr, &ns);
  if (objectKnown_ && found && ns > objectNs_)
    Flag("'" + stored + "' is newer than '" + req_.objectPath + "'");
  req_.includes.push_back(std::move(e));
}

// Reads one logical line into raw_: physical lines joined where a backslash
// ends one, trigraphs replaced, a carriage return before the line feed
// dropped. lastSplice is where the last join happened (npos: none).
bool Scan::ReadLogicalLine(InputLevel& in, size_t* lastSplice) {
  if (in.p >= in.end) return false;
  raw_.clear();
  *lastSplice = std::string::npos;
  for (;;) {
    const char* nl = static_cast<const char*>(std::memchr(in.p, '\n', size_t(in.end - in.p)));
    const char* lineEnd = nl ? nl : in.end;
    size_t start = raw_.size();
    raw_.append(in.p, lineEnd);
    in.p = nl ? nl + 1 : in.end;
    ++in.line;
    if (raw_.size() > start && raw_.back() == '\r') raw_.pop_back();
    if (raw_.find("??", start) != std::string::npos) ReplaceTrigraphs(raw_, start);
    if (raw_.size() > start && raw_.back() == '\\') {
      raw_.pop_back();
      *lastSplice = raw_.size();
      if (in.p < in.end) continue;
    }
    return true;
  }
}

// The next line with comments replaced by a blank; a block comment may run
// on over further lines, whose text after it joins this line.
bool Scan::NextLine(InputLevel& in) {
  size_t splice;
  if (!ReadLogicalLine(in, &splice)) return false;
  clean_.clear();
  const bool active = !Skipping();
  size_t i = 0;
  for (;;) {
    size_t j = raw_.find_first_of("/\"'", i);
    if (j == std::string::npos) {
      clean_.append(raw_, i, std::string::npos);
      return true;
    }
    clean_.append(raw_, i, j - i);
    char c = raw_[j];
    if (c == '/') {
      char next = j + 1 < raw_.size() ? raw_[j + 1] : 0;
      if (next == '*') {
        size_t close = raw_.find("*/", j + 2);
        while (close == std::string::npos) {
          if (!ReadLogicalLine(in, &splice)) {
            Error("unterminated comment");
            return true;
          }
          close = raw_.find("*/");
        }
        clean_ += ' ';
        i = close + 2;
        continue;
      }
      if (next == '/') {
        if (splice != std::string::npos && splice > j) Error("line comment continued with a backslash");
        return true;
      }
      clean_ += '/';
      i = j + 1;
      continue;
    }
    size_t k = j + 1;
    while (k < raw_.size() && raw_[k] != c) k += raw_[k] == '\\' ? 2 : 1;
    if (k >= raw_.size()) {
      if (active) Error("unterminated character or string constant");
      clean_.append(raw_, j, std::string::npos);
      return true;
    }
    clean_.append(raw_, j, k + 1 - j);
    i = k + 1;
  }
}

// Ordinary text is not expanded: its output would only be discarded, and
// whatever goes wrong in it the compiler reports whenever the file changed.
void Scan::ProcessLine() {
  size_t i = SkipBlanks(clean_, 0);
  if (i >= clean_.size() || clean_[i] != '#') return;
  i = SkipBlanks(clean_, i + 1);
  size_t start = i;
  while (i < clean_.size() && pp::IsIdentChar(clean_[i])) ++i;
  if (i == start || !pp::IsIdentStart(clean_[start])) return;
  std::string_view name(clean_.data() + start, i - start);
  for (const Directive& d : kDirectives) {
    if (name != d.name) continue;
    if (Skipping() && !d.conditional) return;
    (this->*d.fn)(std::string_view(clean_).substr(i));
    return;
  }
}

std::vector<Token> Scan::Expanded(std::string_view text, bool inCondition) {
  std::vector<Token> out;
  MacroExpander expander(macros_, inCondition);
  if (!expander.Expand(pp::Tokenize(text), &out)) Error("bad macro use");
  return out;
}

std::string_view Scan::Identifier(std::string_view rest, size_t* after) const {
  size_t i = SkipBlanks(rest, 0);
  size_t start = i;
  if (i < rest.size() && pp::IsIdentStart(rest[i]))
    while (i < rest.size() && pp::IsIdentChar(rest[i])) ++i;
  *after = i;
  return rest.substr(start, i - start);
}

void Scan::DoDefine(std::string_view rest) {
  Macro m;
  if (!pp::ParseDefine(rest, &m)) {
    Error("bad #define");
    return;
  }
  std::string name = m.name;
  if (!macros_.Define(std::move(m))) Error("'" + name + "' redefined differently");
}

void Scan::DoUndef(std::string_view rest) {
  size_t after;
  std::string_view name = Identifier(rest, &after);
  if (name.empty()) {
    Error("#undef without a name");
    return;
  }
  if (!OnlyBlanks(rest.substr(after))) Error("extra characters after #undef");
  macros_.Undefine(name);
}

void Scan::PushCondition(uint8_t kind, bool value) {
  if (cond_.size() >= size_t(kMaxConditionalDepth)) Error("conditionals nested too deeply");
  CondLevel c;
  c.kind = kind;
  c.outerActive = !Skipping();
  c.active = c.outerActive && value;
  c.taken = !c.outerActive || value;
  cond_.push_back(c);
}

bool Scan::Condition(std::string_view rest) {
  return pp::EvaluateCondition(Expanded(rest, true)) == CondResult::kTrue;
}

void Scan::DoIf(std::string_view rest) {
  bool value = !Skipping() && Condition(rest);
  PushCondition(kCondIf, value);
}

void Scan::DoIfdef(std::string_view rest) {
  bool value = false;
  if (!Skipping()) {
    size_t after;
    std::string_view name = Identifier(rest, &after);
    if (name.empty()) Error("#ifdef without a name");
    else if (!OnlyBlanks(rest.substr(after))) Error("extra characters after #ifdef");
    value = !name.empty() && macros_.Find(name);
  }
  PushCondition(kCondIfdef, value);
}

void Scan::DoIfndef(std::string_view rest) {
  bool value = false;
  if (!Skipping()) {
    size_t after;
    std::string_view name = Identifier(rest, &after);
    if (name.empty()) Error("#ifndef without a name");
    else if (!OnlyBlanks(rest.substr(after))) Error("extra characters after #ifndef");
    value = !name.empty() && !macros_.Find(name);
  }
  PushCondition(kCondIfndef, value);
}

void Scan::DoElif(std::string_view rest) {
  if (!OpenHere() || cond_.back().kind == kCondElse) {
    Error("#elif without #if");
    return;
  }
  CondLevel& c = cond_.back();
  c.kind = kCondElif;
  if (!c.outerActive) return;
  if (c.taken) {
    c.active = false;
    return;
  }
  c.active = Condition(rest);
  c.taken = c.active;
}

void Scan::DoElse(std::string_view rest) {
  if (!OpenHere() || cond_.back().kind == kCondElse) {
    Error("#else without #if");
    return;
  }
  CondLevel& c = cond_.back();
  c.kind = kCondElse;
  c.active = c.outerActive && !c.taken;
  c.taken = true;
  if (c.outerActive && !OnlyBlanks(rest)) Error("extra characters after #else");
}

void Scan::DoEndif(std::string_view rest) {
  if (!OpenHere()) {
    Error("#endif without #if");
    return;
  }
  bool outerActive = cond_.back().outerActive;
  cond_.pop_back();
  if (outerActive && !OnlyBlanks(rest)) Error("extra characters after #endif");
}

void Scan::DoInclude(std::string_view rest) {
  size_t i = SkipBlanks(rest, 0);
  std::string text;
  if (i < rest.size() && (rest[i] == '"' || rest[i] == '<')) text.assign(rest.substr(i));
  else text = pp::SpellTokens(Expanded(rest.substr(i), false));
  if (text.empty() || (text[0] != '"' && text[0] != '<')) {
    Error("#include without a file name");
    return;
  }
  const bool quoted = text[0] == '"';
  const char close = quoted ? '"' : '>';
  std::string name;
  size_t k = 1;
  bool closed = false;
  for (; k < text.size(); ++k) {
    if (quoted && text[k] == '\\' && k + 1 < text.size() && text[k + 1] == '"') {
      name += '"';
      ++k;
    } else if (text[k] == close) {
      closed = true;
      break;
    } else {
      name += text[k];
    }
  }
  while (!name.empty() && (name.back() == ' ' || name.back() == '\t')) name.pop_back();
  if (!closed || name.empty()) {
    Error("bad #include file name");
    return;
  }
  if (!OnlyBlanks(std::string_view(text).substr(k + 1))) Error("extra characters after #include");
  std::string stored, local;
  if (!Search(name, quoted, &stored, &local)) {
    Error("'" + name + "' not found");
    return;
  }
  AddInclude(stored, local, kIncludeHeader);
  Open(stored, local);
}

bool Scan::TryCandidate(const std::string& stored, std::string* local) {
  uint32_t time;
  bool regular = false;
  return resolver_.ResolveStoredPath(stored, current_, local) && Stat(*local, &time, &regular) &&
         regular && ::access(local->c_str(), R_OK) == 0;
}

bool Scan::Search(const std::string& name, bool quoted, std::string* stored, std::string* local) {
  auto attempt = [&](std::string candidate) {
    if (!TryCandidate(candidate, local)) return false;
    *stored = std::move(candidate);
    return true;
  };
  if (quoted) {
    if (attempt(name)) return true;
    std::string_view sourceFolder = FolderPart(req_.sourcePath);
    if (!sourceFolder.empty() && attempt(JoinIncludePath(sourceFolder, name))) return true;
    std::string_view innermost = FolderPart(levels_.back()->name);
    if (!innermost.empty() && attempt(JoinIncludePath(innermost, name))) return true;
  }
  for (const std::string& folder : req_.includePaths)
    if (!folder.empty() && attempt(JoinIncludePath(folder, name))) return true;
  return attempt(name);
}

void Scan::DoLine(std::string_view rest) {
  std::vector<Token> t = Expanded(rest, false);
  if (t.empty() || t[0].kind != TokKind::kNumber ||
      t[0].text.find_first_not_of("0123456789") != std::string::npos) {
    Error("bad #line");
    return;
  }
  size_t used = 1;
  InputLevel& in = *levels_.back();
  if (t.size() > 1 && t[1].kind == TokKind::kString) {
    in.name = t[1].text.substr(1, t[1].text.size() - 2);
    used = 2;
  }
  if (t.size() > used) Error("extra characters after #line");
  in.line = std::atoi(t[0].text.c_str()) - 1;
}

}  // namespace

int PreprocessForDependencies(DepScanRequest& request, PathResolver& resolver,
                              const std::string& currentFolder) {
  Scan scan(request, resolver, currentFolder);
  return scan.Run();
}

}  // namespace pm2
