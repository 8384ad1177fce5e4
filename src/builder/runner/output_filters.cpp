#include "builder/runner/output_filters.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <strings.h>
#include <unistd.h>

#include "builder/runner/tool_run_request.h"
#include "builder/runner/tool_table.h"
#include "project/model/app_state.h"

namespace pm2 {

const char kRedrawOffText[] = "\xFF";
const char kRedrawOnText[] = "\xFE";

long FdByteSource::Read(char* buffer, size_t size) {
  // Interrupted reads are retried a bounded number of times.
  for (int tries = 0; tries < 1024; ++tries) {
    ssize_t n = ::read(fd_, buffer, size);
    if (n >= 0) return static_cast<long>(n);
    if (errno != EINTR && errno != EAGAIN) return -1;
  }
  return -1;
}

long MemoryByteSource::Read(char* buffer, size_t size) {
  size_t n = std::min(size, bytes_.size() - pos_);
  std::memcpy(buffer, bytes_.data() + pos_, n);
  pos_ += n;
  return static_cast<long>(n);
}

int CaptureReader::ReadChar() {
  if (ended_) return -1;
  if (pos_ >= fill_) {
    long n = source_.Read(buffer_, sizeof buffer_);
    if (n <= 0) {
      ended_ = true;
      return -1;
    }
    fill_ = static_cast<size_t>(n);
    pos_ = 0;
  }
  unsigned char c = static_cast<unsigned char>(buffer_[pos_++]);
  if (c == 0) {
    ended_ = true;
    return -1;
  }
  return c;
}

size_t CaptureReader::ReadLine(std::string& line) {
  line.clear();
  while (!ended_ && line.size() < kCaptureLineMax) {
    if (pos_ >= fill_) {
      int c = ReadChar();  // refills the buffer
      if (c < 0) break;
      --pos_;
    }
    // Copy the plain run up to a line end, carriage return or zero byte.
    const size_t end = std::min(fill_, pos_ + (kCaptureLineMax - line.size()));
    size_t i = pos_;
    while (i < end && buffer_[i] != '\n' && buffer_[i] != '\r' && buffer_[i] != '\0') ++i;
    line.append(buffer_ + pos_, i - pos_);
    pos_ = i;
    if (i == end) continue;
    int c = static_cast<unsigned char>(buffer_[pos_++]);
    if (c == 0) {
      ended_ = true;
      break;
    }
    if (c == '\r') c = ReadChar();
    if (c < 0) break;
    line += static_cast<char>(c);
    if (c == '\n') return line.size();
  }
  if (!line.empty()) line += '\n';
  return line.size();
}

namespace {

using Line = std::string_view;

bool StartsWith(Line s, Line prefix) { return s.substr(0, prefix.size()) == prefix; }

bool StartsWithCi(Line s, Line prefix) {
  return s.size() >= prefix.size() && strncasecmp(s.data(), prefix.data(), prefix.size()) == 0;
}

size_t FindCi(Line s, Line what, size_t from = 0) {
  if (what.size() > s.size()) return Line::npos;
  for (size_t i = from; i + what.size() <= s.size(); ++i)
    if (strncasecmp(s.data() + i, what.data(), what.size()) == 0) return i;
  return Line::npos;
}

bool Contains(Line s, Line what) { return s.find(what) != Line::npos; }

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

void SkipBlanks(Line s, size_t& p) {
  while (p < s.size() && IsBlank(s[p])) ++p;
}

void Skip(Line s, size_t& p, size_t n) { p = std::min(s.size(), p + n); }

// Decimal digits (capped, so hostile output cannot overflow), then the
// blanks and tabs after them.
int ReadNumber(Line s, size_t& p) {
  long v = 0;
  while (p < s.size() && s[p] >= '0' && s[p] <= '9') {
    if (v < 100000000) v = v * 10 + (s[p] - '0');
    ++p;
  }
  SkipBlanks(s, p);
  return static_cast<int>(v);
}

struct MessageCode {
  char letter = ' ';
  int number = 0;
};

MessageCode ReadCode(Line s, size_t& p) {
  MessageCode code;
  if (p < s.size() && (s[p] == 'A' || s[p] == 'C' || s[p] == 'L')) code.letter = s[p++];
  code.number = ReadNumber(s, p);
  return code;
}

std::string Rest(Line s, size_t p) { return std::string(s.substr(std::min(p, s.size()))); }

std::string FormCoded(const std::string& file, int line, bool error, MessageCode code,
                      Line message) {
  std::string out = file;
  out += '(' + std::to_string(line) + (error ? "): error " : "): warning ");
  out += code.letter;
  out += std::to_string(code.number) + ": ";
  out += message;
  return out;
}

std::string FormPlain(const std::string& file, int line, bool error, Line message) {
  std::string out = file;
  out += '(' + std::to_string(line) + (error ? "): error: " : "): warning: ");
  out += message;
  return out;
}

struct Filter {
  ToolRunRequest& req;
  CaptureReader& in;
  ShellServices& out;
  std::string line;
  std::string sourceName;

  bool Next() { return in.ReadLine(line) > 0; }
  void Print(const std::string& text) { out.PostOutputText(text); }
  void Count(bool error) { ++(error ? req.errors : req.warnings); }

  // "COMPLETE.  n WARNING(S), m ERROR(S)": the counts replace what was counted.
  bool TakeSummary(Line s) {
    size_t at = s.find("COMPLETE.  ");
    if (at == Line::npos) return false;
    size_t p = at + 11;
    SkipBlanks(s, p);
    req.warnings = ReadNumber(s, p);
    size_t comma = s.find(',', p);
    if (comma != Line::npos) {
      p = comma + 1;
      SkipBlanks(s, p);
      req.errors = ReadNumber(s, p);
    }
    return true;
  }

  // The source name of a "... INVOKED BY: path source" banner.
  void TakeSourceName(Line s, size_t banner) {
    size_t p = banner;
    SkipBlanks(s, p);
    while (p < s.size() && !IsBlank(s[p]) && s[p] != '\n') ++p;
    SkipBlanks(s, p);
    size_t start = p;
    while (p < s.size() && !IsBlank(s[p]) && s[p] != '\n' && p - start < kSourceNameMax) ++p;
    sourceName.assign(s.substr(start, p - start));
  }

  // The quoted file name from the second character, a doubled backslash
  // read as one; p ends after the closing quote.
  static std::string QuotedName(Line s, size_t& p) {
    std::string name;
    p = 1;
    while (p < s.size() && s[p] != '"') {
      if (s[p] == '\\' && p + 1 < s.size() && s[p + 1] == '\\') ++p;
      name += s[p++];
    }
    if (p < s.size()) ++p;
    return name;
  }

  void Copy() {
    while (Next()) Print(line);
  }

  void Hex() {
    while (Next())
      if (line.size() > 4 && StartsWith(line, "*** ")) Print(line);
  }

  void Compiler() {
    while (Next()) {
      Line s = line;
      if (!StartsWith(s, "*** ") || s.size() < 5 || (s[4] != 'E' && s[4] != 'W')) continue;
      if (Contains(s, "can't open file")) {
        Print(line);
        Count(true);
        continue;
      }
      bool error = s[4] == 'E';
      Count(error);
      size_t p = std::min<size_t>(error ? 10 : 12, s.size());
      MessageCode code = ReadCode(s, p);
      Skip(s, p, 8);
      int lineNo = ReadNumber(s, p);
      Skip(s, p, 3);
      size_t nameStart = p;
      // The name ends at a colon followed by a blank; without one it ends
      // at the line feed, which stays with the (empty) message.
      size_t colon = p;
      while (colon < s.size() && s[colon] != '\n' &&
             !(s[colon] == ':' && colon + 1 < s.size() && s[colon + 1] == ' '))
        ++colon;
      std::string file(s.substr(nameStart, colon - nameStart));
      p = colon;
      if (p < s.size() && s[p] == ':') {
        ++p;
        SkipBlanks(s, p);
      }
      Print(FormCoded(file, lineNo, error, code, s.substr(p)));
    }
  }

  void Linker() {
    bool have = Next();
    while (have) {
      Line s = line;
      if (s.size() < 5) {
        have = Next();
        continue;
      }
      if (StartsWith(s, "*** ")) {
        Print(line);
        int more = 0;
        have = Next();
        // A continuation ends at a short line; a new message or the summary
        // inside the block is handled as a line of its own.
        while (have && more < 4 && line.size() >= 5 && !StartsWith(line, "*** ") &&
               !Contains(line, "COMPLETE.  ")) {
          Print(line);
          ++more;
          have = Next();
        }
        if (more > 0) Print("\n");
        continue;
      }
      if (StartsWithCi(s, "Program Size: ")) Print(line);
      else if (TakeSummary(s)) return;
      have = Next();
    }
  }

  void FormAssembler(Line s) {
    bool error = s.size() > 4 && s[4] == 'E';
    Count(error);
    size_t p = std::min<size_t>(error ? 11 : 13, s.size());
    MessageCode code = ReadCode(s, p);
    std::string file;
    int lineNo = 0;
    if (!StartsWith(s.substr(p), "IN")) {
      Skip(s, p, 8);
      lineNo = ReadNumber(s, p);
      Skip(s, p, 2);
      file = sourceName;
    } else {
      size_t open = s.find('(', p);
      size_t start = open == Line::npos ? s.size() : open + 1;
      size_t comma = s.find(',', start);
      if (comma == Line::npos) comma = s.size();
      file.assign(s.substr(start, comma - start));
      p = std::min(comma + 1, s.size());
      SkipBlanks(s, p);
      Skip(s, p, 5);
      lineNo = ReadNumber(s, p);
      Skip(s, p, 3);
    }
    Print(FormCoded(file, lineNo, error, code, s.substr(p)));
  }

  void Assembler() {
    while (Next()) {
      Line s = line;
      if (s.size() > 22 && StartsWith(s, "ASSEMBLER INVOKED BY: ")) {
        TakeSourceName(s, 22);
        continue;
      }
      if (TakeSummary(s)) return;
      if (s.size() > 4 && s[0] == '*' && (s[4] == 'E' || s[4] == 'W')) {
        if (StartsWith(s, "*** ")) FormAssembler(s);
        continue;
      }
      size_t at = s.find("*** E");
      if (at == Line::npos) at = s.find("*** W");
      if (at != Line::npos) FormAssembler(s.substr(at));
    }
  }

  void Plm() {
    // Header: up to the compiler's banner.
    bool have = Next();
    while (have) {
      if (StartsWith(line, "COMPILER INVOKED BY: ")) {
        TakeSourceName(line, 21);
        break;
      }
      if (StartsWith(line, "-")) {
        Print(line);
        have = Next();
        if (have && line.size() > 4) {
          Print(line);
          have = Next();
        }
        continue;
      }
      have = Next();
    }
    if (!have) return;
    while (Next()) {
      Line s = line;
      if (!StartsWith(s, "*** ")) continue;
      bool error = s[4] == 'E';
      Count(error);
      size_t p = std::min<size_t>(error ? 11 : 13, s.size());
      MessageCode code;
      code.letter = 'P';
      code.number = ReadNumber(s, p);
      if (s.substr(p, 11) != ", STATEMENT") {
        Print(line);
        continue;
      }
      size_t comma = s.find(',', p);
      p = comma + 1;
      SkipBlanks(s, p);
      size_t hash = s.find('#', p);
      p = hash == Line::npos ? s.size() : hash + 1;
      int lineNo = ReadNumber(s, p);
      Skip(s, p, 1);
      SkipBlanks(s, p);
      std::string file = sourceName;
      if (s.substr(p, 8) == "IN FILE ") {
        p += 8;
        size_t end = s.find(',', p);
        if (end == Line::npos) end = s.size();
        file.assign(s.substr(p, end - p));
        p = std::min(end + 1, s.size());
        SkipBlanks(s, p);
        Skip(s, p, 1);
      }
      Print(FormCoded(file, lineNo, error, code, s.substr(p)));
    }
  }

  void Yq166() {
    while (Next()) {
      Line s = line;
      size_t at = s.find("error: ");
      bool error = at != Line::npos;
      size_t skip = 7;
      if (!error) {
        at = s.find("warning: ");
        skip = 9;
        if (at == Line::npos) continue;
      }
      Count(error);
      size_t p = 0;
      std::string file = QuotedName(s, p);
      if (p < s.size() && s[p] == ',') ++p;
      SkipBlanks(s, p);
      Skip(s, p, 5);
      int lineNo = ReadNumber(s, p);
      Print(FormPlain(file, lineNo, error, s.substr(at + skip)));
    }
  }

  // "<program>: error: ..." and its kin: the text after the program's
  // name begins, after blanks, with the word (case as GNU writes it).
  static bool IsToolMessage(Line rest, std::string_view word) {
    while (!rest.empty() && rest.front() == ' ') rest.remove_prefix(1);
    return rest.substr(0, word.size()) == word;
  }

  void Gnu() {
    while (Next()) {
      Line s = line;
      size_t colon = s.find(':');
      if (colon == Line::npos) continue;
      std::string file(s.substr(0, colon));
      size_t p = colon + 1;
      SkipBlanks(s, p);
      if (p < s.size() && s[p] >= '0' && s[p] <= '9') {
        int lineNo = ReadNumber(s, p);
        if (p < s.size() && s[p] == ':') {
          ++p;
          SkipBlanks(s, p);
          if (p < s.size() && s[p] >= '0' && s[p] <= '9') {
            ReadNumber(s, p);
            if (p < s.size() && s[p] == ':') {
              ++p;
              SkipBlanks(s, p);
            }
          }
        }
        Line rest = s.substr(p);
        if (StartsWithCi(rest, "warning: ")) {
          Count(false);
          Print(FormPlain(file, lineNo, false, rest.substr(9)));
        } else if (StartsWithCi(rest, "note: ")) {
          // A note explains the message before it; it is no error of its own.
          Print(file + '(' + std::to_string(lineNo) + "): " + std::string(rest));
        } else {
          if (StartsWithCi(rest, "error: ")) rest.remove_prefix(7);
          Count(true);
          Print(FormPlain(file, lineNo, true, rest));
        }
      } else if (IsToolMessage(s.substr(colon + 1), "error: ") ||
                 IsToolMessage(s.substr(colon + 1), "fatal error: ")) {
        // The driver's or a binary utility's own message ("gcc: error: ...",
        // "cc1: fatal error: ...", "objcopy: error: ..."): the tool failed.
        Count(true);
        Print(line);
      } else if (IsToolMessage(s.substr(colon + 1), "warning: ")) {
        Count(false);
        Print(line);
      } else if (Contains(s, "Warning: ")) {
        Count(false);
        Print("Warning: " + line);
      } else if (Contains(s, "Error: ")) {
        Count(true);
        Print("Error: " + line);
      } else {
        Print(line);
      }
    }
  }

  void Ads() {
    struct Severity {
      const char* word;
      bool error;
    };
    static constexpr Severity kLocated[] = {
        {"Serious error: ", true}, {"Error: ", true}, {"Warning: ", false}, {"Fatal error: ", true}};
    static constexpr Severity kUnlocated[] = {
        {"Error: ", true}, {"Fatal error: ", true}, {"Warning: ", false}};
    while (Next()) {
      Line s = line;
      size_t at = FindCi(s, "\", line ");
      if (at != Line::npos) {
        size_t p = 0;
        std::string file = QuotedName(s, p);
        p = at + 8;
        int lineNo = ReadNumber(s, p);
        if (p < s.size() && s[p] == ':') Skip(s, p, 2);
        Line rest = s.substr(p);
        for (const Severity& sev : kLocated) {
          size_t hit = FindCi(rest, sev.word);
          if (hit == Line::npos) continue;
          Count(sev.error);
          Print(FormPlain(file, lineNo, sev.error, rest.substr(hit + std::strlen(sev.word))));
          break;
        }
        continue;
      }
      for (const Severity& sev : kUnlocated) {
        size_t hit = FindCi(s, sev.word);
        if (hit == Line::npos) continue;
        Line text = s.substr(hit);
        if (!text.empty() && text.back() == '\n') text.remove_suffix(1);
        const std::string& name = !req.file.empty() ? req.file
                                  : !req.objectFile.empty() ? req.objectFile
                                                            : std::string("Output File");
        Print(name + ": " + std::string(text));
        Count(sev.error);
        if (sev.error) req.exitCode = 3;
        break;
      }
    }
    if (req.exitCode == 0) req.exitCode = req.errors ? 2 : req.warnings ? 1 : 0;
  }

  static void TrimEnd(Line& s) {
    if (!s.empty() && s.back() == '\n') s.remove_suffix(1);
    if (!s.empty() && s.back() == '"') s.remove_suffix(1);
  }

  void Lint() {
    bool wrapUp = false;
    int column = 0;
    while (Next()) {
      Line s = line;
      if (s.size() < 2) continue;
      if (StartsWith(s, "PC-lint for C")) {
        Print(line);
        continue;
      }
      const bool message = StartsWithCi(s, "\"*** LINT: ");
      if (!wrapUp) {
        if (StartsWith(s, "--- Module")) continue;
        size_t b = 0;
        while (b < s.size() && s[b] == ' ') ++b;
        if (b + 2 == s.size() && s[b] == '_' && s[b + 1] == '\n') {
          column = static_cast<int>(b);
          continue;
        }
        if (message) {
          size_t open = s.find('(', 11);
          if (open == Line::npos) continue;
          std::string file(s.substr(11, open - 11));
          size_t p = open + 1;
          int lineNo = ReadNumber(s, p);
          if (p < s.size() && s[p] == ')') ++p;
          SkipBlanks(s, p);
          Line rest = s.substr(p);
          TrimEnd(rest);
          Print(file + '(' + std::to_string(lineNo) + ',' + std::to_string(column) + "): " +
                std::string(rest) + "\n");
          continue;
        }
        if (StartsWith(s, "--- Global Wrap-up")) {
          wrapUp = true;
          column = 0;
        }
        continue;
      }
      if (!message) continue;
      TrimEnd(s);
      size_t open = s.rfind('(');
      if (open == Line::npos || open < 11 || !StartsWithCi(s.substr(open + 1), "line ")) continue;
      size_t p = open + 6;
      int lineNo = ReadNumber(s, p);
      if (p >= s.size() || s[p] != ',') continue;
      Skip(s, p, 7);
      size_t close = s.find(')', p);
      if (close == Line::npos) close = s.size();
      std::string file(s.substr(p, close - p));
      p = std::min(close + 1, s.size());
      SkipBlanks(s, p);
      Print(file + '(' + std::to_string(lineNo) + ") " + std::string(s.substr(11, open - 11)) + " " +
            Rest(s, p) + "\n");
    }
  }
};

using FilterFn = void (Filter::*)();

struct FilterRow {
  FilterKind kind;
  FilterFn run;
};

constexpr FilterRow kFilters[] = {
    {FilterKind::kCopy, &Filter::Copy},         {FilterKind::kCompiler, &Filter::Compiler},
    {FilterKind::kPlm, &Filter::Plm},           {FilterKind::kLinker, &Filter::Linker},
    {FilterKind::kAssembler, &Filter::Assembler}, {FilterKind::kHex, &Filter::Hex},
    {FilterKind::kYq166, &Filter::Yq166},       {FilterKind::kGnu, &Filter::Gnu},
    {FilterKind::kAds, &Filter::Ads},           {FilterKind::kLint, &Filter::Lint},
};

}  // namespace

void FilterToolOutput(ToolRunRequest& request, CaptureReader& capture, ShellServices& out) {
  const ToolCodeInfo& info = ToolInfo(request.toolCode);
  FilterKind kind = info.filter;
  if (info.filterBelowExit3 && request.exitCode >= 3) kind = FilterKind::kCopy;
  Filter filter{request, capture, out, {}, {}};
  out.PostOutputText(kRedrawOffText);
  for (const FilterRow& row : kFilters)
    if (row.kind == kind) (filter.*row.run)();
  out.PostOutputText(kRedrawOnText);
}

}  // namespace pm2
