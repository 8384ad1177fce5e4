// Stand-in for the 51, 251, 166, ARM-ADS and GNU tools in tests. Which tool
// it plays comes from its own file name (Q51.EXE, W166.EXE, ArmLink, ...).
// It reads its command line and command files ("@file", "-Via file"),
// takes directives from the input files it names (lines containing
// "!standin ") and from the PM2_STANDIN variable (';'-separated), prints
// the tool's message forms, writes an output file and exits with the code
// the messages call for (2 errors, 1 warnings, GNU 1 for errors).
//
// A compiler told "SRC (file)" (or "-S") writes assembler source instead of
// an object.
//
// Directives: error N LINE text | warning N LINE text | print text |
// exit N | sleep SECONDS | spew BYTES | zero | progress KIND POS LO HI text |
// record FILE (appends the tool's name and its arguments, command files
// expanded, as one line: tests that check what a build ran set
// PM2_STANDIN="record FILE") |
// meet FILE COUNT SECONDS (appends "start SOURCE PID" to FILE, then waits
// until FILE holds COUNT start lines, at most SECONDS, and appends "end
// SOURCE" as the tool ends: tests read from FILE whether runs overlapped,
// without depending on how fast the machine is, and by the process id
// whether the run that waits still lives) |
// child SECONDS (starts a process of its own that lives SECONDS at most, as
// a compiler driver starts its passes; the tool ends it as it ends, so a
// stop that ends only the tool's own process leaves it behind)
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <strings.h>
#include <thread>
#include <vector>

#include "builder/runner/command_line_split.h"
#include "builder/runner/progress_channel.h"
#include "standin_browse.h"

namespace {

enum class Kind { kCompiler, kAssembler, kLinker, kHex, kPlm, kYq166, kAds, kGnu, kOther };

struct NameRow {
  const char* name;
  Kind kind;
};
const NameRow kNames[] = {
    {"Q51", Kind::kCompiler},   {"Q251", Kind::kCompiler},  {"Q166", Kind::kCompiler},
    {"QX51", Kind::kCompiler},  {"Q66", Kind::kCompiler},   {"ZZQ51", Kind::kCompiler},
    {"W51", Kind::kAssembler},  {"W251", Kind::kAssembler}, {"W166", Kind::kAssembler},
    {"WX51", Kind::kAssembler}, {"W66", Kind::kAssembler},  {"NB51", Kind::kLinker},
    {"N251", Kind::kLinker},    {"N166", Kind::kLinker},    {"NX51", Kind::kLinker},
    {"N66", Kind::kLinker},     {"NP51", Kind::kLinker},    {"HZ51", Kind::kHex},
    {"HZ251", Kind::kHex},      {"HZ166", Kind::kHex},      {"HZX51", Kind::kHex},
    {"JQ51", Kind::kPlm},       {"YQ166", Kind::kYq166},    {"ArmCC", Kind::kAds},
    {"ArmAsm", Kind::kAds},     {"ArmLink", Kind::kAds},    {"fromelf", Kind::kAds},
    {"Tcc", Kind::kAds},        {"arm-uclibc-gcc", Kind::kGnu}, {"arm-uclibc-as", Kind::kGnu},
    {"arm-uclibc-objcopy", Kind::kGnu},
};

struct Run {
  Kind kind = Kind::kOther;
  std::string self;     // own name without folder and ".EXE"
  std::string source;   // first input file found
  std::string listing;  // PL/M: PR(...) file
  std::string outputName;
  int errors = 0, warnings = 0;
  int exitCode = -1;
  std::string commandLine;  // the arguments, command files expanded, joined by blanks
  std::FILE* out = stdout;
  std::string meetFile;  // "meet": where the tool's end is marked
  pid_t child = -1;      // "child": the tool's own process, ended at the tool's exit
};

std::string ReadFile(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::stringstream ss;
  ss << f.rdbuf();
  return ss.str();
}

// A Windows path of a control as this machine writes it.
std::string Local(std::string path) {
  for (char& c : path)
    if (c == '\\') c = '/';
  if (path.rfind("./", 0) == 0) path.erase(0, 2);
  return path;
}

bool Exists(const std::string& path) {
  std::ifstream f(path);
  return f.good();
}

// Appends one line in a single write, so that tools running side by side
// never mix their lines.
void AppendLine(const std::string& path, const std::string& line) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) return;
  const std::string text = line + "\n";
  if (::write(fd, text.data(), text.size()) < 0) std::perror(path.c_str());
  ::close(fd);
}

int StartLines(const std::string& path) {
  std::istringstream in(ReadFile(path));
  std::string line;
  int n = 0;
  while (std::getline(in, line)) n += line.rfind("start ", 0) == 0 ? 1 : 0;
  return n;
}

void Message(Run& r, bool error, int code, int line, const std::string& text) {
  ++(error ? r.errors : r.warnings);
  const char* src = r.source.c_str();
  std::FILE* o = r.out;
  switch (r.kind) {
    case Kind::kCompiler:
      std::fprintf(o, "*** %s C%d IN LINE %d OF %s: %s\n", error ? "ERROR" : "WARNING", code, line, src, text.c_str());
      break;
    case Kind::kAssembler:
      if (error)
        std::fprintf(o, "*** ERROR #A%d IN %d (%s, LINE %d): %s\n", code, line, src, line, text.c_str());
      else
        std::fprintf(o, "*** WARNING #A%d ON LINE %d: %s\n", code, line, text.c_str());
      break;
    case Kind::kLinker:
      std::fprintf(o, "*** %s L%d: %s\r\n    MODULE:  %s\r\n\r\n", error ? "ERROR" : "WARNING", code, text.c_str(), src);
      break;
    case Kind::kHex:
      std::fprintf(o, "*** %s H%d: %s\n", error ? "ERROR" : "WARNING", code, text.c_str());
      break;
    case Kind::kPlm:
      std::fprintf(o, "*** %s #%d, STATEMENT #%d, IN FILE %s,  :%s\n", error ? "ERROR" : "WARNING", code, line, src, text.c_str());
      break;
    case Kind::kYq166:
      std::fprintf(o, "\"%s\", line %d: %s: %s\n", src, line, error ? "error" : "warning", text.c_str());
      break;
    case Kind::kAds:
      if (line > 0)
        std::fprintf(o, "\"%s\", line %d: %s: C%d%c: %s\n", src, line, error ? "Error" : "Warning", code, error ? 'E' : 'W', text.c_str());
      else
        std::fprintf(o, "%s: L%d%c: %s\n", error ? "Error" : "Warning", code, error ? 'E' : 'W', text.c_str());
      break;
    case Kind::kGnu:
      std::fprintf(o, "%s:%d:%d: %s: %s\n", src, line, code, error ? "error" : "warning", text.c_str());
      break;
    case Kind::kOther:
      std::fprintf(o, "%s %d: %s\n", error ? "error" : "warning", code, text.c_str());
      break;
  }
}

void Directive(Run& r, const std::string& d) {
  std::istringstream in(d);
  std::string verb;
  in >> verb;
  std::string rest;
  auto tail = [&] {
    std::getline(in, rest);
    size_t p = rest.find_first_not_of(' ');
    return p == std::string::npos ? std::string() : rest.substr(p);
  };
  if (verb == "error" || verb == "warning") {
    int code = 0, line = 0;
    in >> code >> line;
    Message(r, verb == "error", code, line, tail());
  } else if (verb == "record") {
    std::ofstream(tail(), std::ios::app | std::ios::binary) << r.self << ' ' << r.commandLine << '\n';
  } else if (verb == "print") {
    std::fprintf(r.out, "%s\n", tail().c_str());
  } else if (verb == "exit") {
    in >> r.exitCode;
  } else if (verb == "sleep") {
    double s = 0;
    in >> s;
    std::fflush(r.out);
    std::this_thread::sleep_for(std::chrono::duration<double>(s));
  } else if (verb == "child") {
    double s = 0;
    in >> s;
    std::fflush(nullptr);
    r.child = ::fork();
    if (r.child == 0) {
      std::this_thread::sleep_for(std::chrono::duration<double>(s));
      ::_exit(0);
    }
    // Ended however the tool ends by itself (an early error's return
    // included); only a tool killed from outside leaves it.
    static pid_t s_child = -1;
    s_child = r.child;
    std::atexit([] {
      if (s_child > 0) {
        ::kill(s_child, SIGKILL);
        ::waitpid(s_child, nullptr, 0);
      }
    });
  } else if (verb == "meet") {
    std::string file;
    int count = 0;
    double seconds = 0;
    in >> file >> count >> seconds;
    r.meetFile = file;
    AppendLine(file, "start " + r.source + " " + std::to_string(::getpid()));
    const auto until = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (StartLines(file) < count && std::chrono::steady_clock::now() < until)
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
  } else if (verb == "spew") {
    long long bytes = 0;
    in >> bytes;
    std::string line(99, 'x');
    line += '\n';
    for (long long n = 0; n < bytes; n += 100) std::fwrite(line.data(), 1, 100, r.out);
  } else if (verb == "zero") {
    std::fputc(0, r.out);
  } else if (verb == "progress") {
    pm2::ProgressRecord rec;
    in >> rec.kind >> rec.position >> rec.lower >> rec.upper;
    rec.text = tail();
    rec.textRef = 0x00401000;  // an address in our process, as the real tools send
    std::fflush(r.out);
    pm2::SendProgressRecord(pm2::DefaultRuntimeFolder(), rec);
  }
}

void DirectivesFrom(Run& r, const std::string& text) {
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    size_t at = line.find("!standin ");
    if (at != std::string::npos) Directive(r, line.substr(at + 9));
  }
}

}  // namespace

int main(int argc, char** argv) {
  Run r;
  std::string self = argv[0];
  self = self.substr(self.find_last_of('/') + 1);
  if (self.size() > 4 && strcasecmp(self.c_str() + self.size() - 4, ".EXE") == 0) self.resize(self.size() - 4);
  r.self = self;
  for (const auto& row : kNames)
    if (strcasecmp(row.name, self.c_str()) == 0) r.kind = row.kind;

  // Arguments, with command files expanded in place.
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    std::string file;
    if (a.size() > 1 && a[0] == '@') file = a.substr(1);
    else if (a == "-Via" && i + 1 < argc) file = argv[++i];
    if (!file.empty()) {
      for (auto& t : pm2::SplitCommandLine(ReadFile(file))) args.push_back(t);
    } else {
      args.push_back(a);
    }
  }
  for (const std::string& a : args) r.commandLine += (r.commandLine.empty() ? "" : " ") + a;
  std::vector<std::string> inputs;
  bool assemblerSource = false;  // GNU and ADS compilers: "-S"
  bool browse = false;           // the C compilers' BROWSE control
  bool srcControl = false;       // the C compilers' SRC(): assembler source out
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a.rfind("PR(", 0) == 0 && a.back() == ')') r.listing = a.substr(3, a.size() - 4);
    else if (r.kind == Kind::kCompiler && a == "SRC" && i + 1 < args.size() && args[i + 1].size() > 2 &&
             args[i + 1].front() == '(' && args[i + 1].back() == ')')
    {
      ++i;
      r.outputName = Local(args[i].substr(1, args[i].size() - 2));
      srcControl = true;
    }
    else if (r.kind == Kind::kCompiler && a.rfind("SRC(", 0) == 0 && a.back() == ')') {
      r.outputName = Local(a.substr(4, a.size() - 5));
      srcControl = true;
    }
    else if (r.kind == Kind::kCompiler && strcasecmp(a.c_str(), "BROWSE") == 0) browse = true;
    else if ((r.kind == Kind::kGnu || r.kind == Kind::kAds) && a == "-S") assemblerSource = true;
    else if ((a == "TO" || a == "-o" || a == "--output" || a == "-output") && i + 1 < args.size()) r.outputName = args[++i];
    else if (r.kind != Kind::kYq166 && a.rfind("OBJECT(", 0) == 0 && a.back() == ')') r.outputName = Local(a.substr(7, a.size() - 8));
    else if (a[0] != '-' && Exists(a)) inputs.push_back(a);
  }
  if (!inputs.empty()) r.source = inputs.front();

  std::FILE* listing = nullptr;
  if (r.kind == Kind::kPlm && !r.listing.empty()) {
    listing = std::fopen(r.listing.c_str(), "wb");
    if (listing) r.out = listing;
    std::fprintf(r.out, "-PL/M-51 STAND-IN COMPILER\n-OBJECT MODULE PLACED IN %s.OBJ\n", r.source.c_str());
    std::fprintf(r.out, "COMPILER INVOKED BY: %s %s\n\n", argv[0], r.source.c_str());
  }
  if (r.kind == Kind::kAssembler)
    std::fprintf(r.out, "ASSEMBLER INVOKED BY: %s %s\n\n", argv[0], r.source.c_str());

  for (const auto& in : inputs) DirectivesFrom(r, ReadFile(in));
  if (const char* env = std::getenv("PM2_STANDIN")) {
    std::string all = env;
    size_t start = 0;
    while (start <= all.size()) {
      size_t end = all.find(';', start);
      if (end == std::string::npos) end = all.size();
      if (end > start) Directive(r, all.substr(start, end - start));
      start = end + 1;
    }
  }

  switch (r.kind) {
    case Kind::kCompiler:
      std::fprintf(r.out, "\n%s COMPILATION COMPLETE.  %d WARNING(S),  %d ERROR(S)\n", self.c_str(), r.warnings, r.errors);
      break;
    case Kind::kAssembler:
      std::fprintf(r.out, "ASSEMBLY COMPLETE.  %d WARNING(S), %d ERROR(S)\n", r.warnings, r.errors);
      break;
    case Kind::kLinker:
      std::fprintf(r.out, "Program Size: data=9.0 xdata=0 code=18\r\n");
      std::fprintf(r.out, "LINK/LOCATE RUN COMPLETE.  %d WARNING(S),  %d ERROR(S)\r\n", r.warnings, r.errors);
      break;
    default:
      break;
  }
  if (listing) std::fclose(listing);

  // The output file a build step expects.
  std::string output = r.outputName;
  if (assemblerSource && output.empty() && !r.source.empty()) {
    // "-S" without "-o": the source's name with ".s" in the current folder.
    std::string name = r.source.substr(r.source.find_last_of('/') + 1);
    output = name.substr(0, name.find_last_of('.')) + ".s";
  }
  if (output.empty() && !r.source.empty() && r.kind != Kind::kPlm) {
    const size_t slash = r.source.find_last_of('/');
    const size_t nameAt = slash == std::string::npos ? 0 : slash + 1;
    const size_t dot = r.source.find_last_of('.');
    std::string base = r.source.substr(0, dot == std::string::npos || dot < nameAt ? std::string::npos : dot);
    if (r.kind == Kind::kCompiler || r.kind == Kind::kAssembler) {
      // Told no OBJECT(), the tools write "NAME.OBJ" into the current folder.
      output = base.substr(nameAt);
      for (char& c : output) c = char(std::toupper(static_cast<unsigned char>(c)));
      output += ".OBJ";
    } else {
      output = base + (r.kind == Kind::kHex ? ".HEX" : r.kind == Kind::kYq166 ? ".ic" : ".OBJ");
    }
  }
  if (!output.empty() && r.errors == 0) {
    std::ofstream f(output, std::ios::binary);
    // The C compilers (not the C++ translator) told BROWSE write a module
    // with browse records; a linker joins those of its objects.
    static const char* const kBrowseCompilers[] = {"Q51", "Q251", "Q166", "QX51", "Q66"};
    bool browseCompiler = false;
    for (const char* name : kBrowseCompilers) browseCompiler = browseCompiler || strcasecmp(name, self.c_str()) == 0;
    std::string linked;
    if (r.kind == Kind::kLinker) {
      std::vector<std::string> objects;
      for (const std::string& a : args) {
        std::string item;
        std::istringstream parts(a);
        while (std::getline(parts, item, ',')) {
          while (!item.empty() && (item.front() == '"' || item.front() == ' ')) item.erase(0, 1);
          while (!item.empty() && (item.back() == '"' || item.back() == ' ')) item.pop_back();
          if (!item.empty() && Exists(Local(item))) objects.push_back(ReadFile(Local(item)));
        }
      }
      linked = standin::LinkBrowseSections(objects);
    }
    if (browseCompiler && browse && !srcControl && !r.source.empty())
      f << standin::BrowseObject(std::filesystem::absolute(r.source).lexically_normal().string(), ReadFile(r.source));
    else if (!linked.empty())
      f << linked;
    else
      f << "stand-in output of " << self << " for " << r.source << "\n";
  }
  std::fflush(stdout);
  if (!r.meetFile.empty()) AppendLine(r.meetFile, "end " + r.source);
  if (r.exitCode >= 0) return r.exitCode;
  if (r.kind == Kind::kGnu) return r.errors ? 1 : 0;
  return r.errors ? 2 : r.warnings ? 1 : 0;
}
