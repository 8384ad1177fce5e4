#include "debugger/gdb/arm/arm_assembler.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "debugger/gdb/process/child_process.h"

namespace pm2::gdb {

namespace {

constexpr int kToolBoundMs = 10000;

// The program of the toolchain beside `as` (its name ending in "as").
std::string Sibling(const std::string& as, const char* tool) {
  if (as.size() >= 2 && as.compare(as.size() - 2, 2, "as") == 0) return as.substr(0, as.size() - 2) + tool;
  return tool;
}

// Runs a tool to its end: its exit status (-1 when it could not run or took
// too long) and what it wrote to its output and error streams.
int RunTool(const std::vector<std::string>& argv, std::string* output) {
  ChildProcess child;
  std::string err;
  if (!child.Start(argv, true, &err)) {
    *output = err;
    return -1;
  }
  child.CloseInput();
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(kToolBoundMs);
  char chunk[4096];
  for (;;) {
    const auto rest = std::chrono::duration_cast<std::chrono::milliseconds>(until - std::chrono::steady_clock::now());
    if (rest.count() <= 0) {
      child.Kill();
      *output += "'" + argv[0] + "' did not end within " + std::to_string(kToolBoundMs / 1000) + " s";
      return -1;
    }
    pollfd p{child.OutFd(), POLLIN, 0};
    if (poll(&p, 1, int(rest.count())) < 0) continue;
    const ssize_t n = read(child.OutFd(), chunk, sizeof chunk);
    if (n <= 0) break;
    if (output->size() < 65536) output->append(chunk, std::size_t(n));
  }
  // Its output ended; the tool ends with it, or within what is left of its bound.
  const auto rest = std::chrono::duration_cast<std::chrono::milliseconds>(until - std::chrono::steady_clock::now());
  bool late = false;
  const int status = child.Wait(int(std::max<int64_t>(rest.count(), 0)), &late);
  if (late) *output += "'" + argv[0] + "' did not end within " + std::to_string(kToolBoundMs / 1000) + " s";
  return status;
}

bool WriteText(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
  return bool(out.flush());
}

// A folder of the run's own, removed with it.
class TempFolder {
 public:
  TempFolder() {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/pm2asmXXXXXX";
    if (mkdtemp(pattern.data())) m_path = pattern;
  }
  ~TempFolder() {
    std::error_code ec;
    if (!m_path.empty()) std::filesystem::remove_all(m_path, ec);
  }
  const std::string& Path() const { return m_path; }

 private:
  std::string m_path;
};

std::string Hex(uint32_t v) {
  char b[16];
  std::snprintf(b, sizeof b, "0x%X", v);
  return b;
}

// The source of the line in one syntax.
std::string Source(const AsmLine& line, bool unified) {
  return std::string(unified ? "\t.syntax unified\n" : "\t.syntax divided\n") + (line.thumb ? "\t.thumb\n" : "\t.arm\n") +
         "\t.text\n" + line.text + "\n";
}

}  // namespace

std::string GnuToolMessage(const std::string& output) {
  std::string message;
  std::size_t at = 0;
  while (at < output.size()) {
    std::size_t end = output.find('\n', at);
    if (end == std::string::npos) end = output.size();
    std::string line = output.substr(at, end - at);
    at = end + 1;
    if (line.empty() || line.find("Assembler messages:") != std::string::npos) continue;
    // Words before the message: the tool, the temporary files and their
    // positions ("l.s:4: ", "arm-none-eabi-ld: l.o:(.text+0x0): ").
    for (;;) {
      const std::size_t colon = line.find(": ");
      if (colon == std::string::npos || line.compare(0, colon, "Error") == 0 || line.compare(0, colon, "Warning") == 0 ||
          line.substr(0, colon).find(' ') != std::string::npos)
        break;
      line.erase(0, colon + 2);
    }
    if (!line.empty()) message += (message.empty() ? "" : "; ") + line;
  }
  return message;
}

ArmAssembler::ArmAssembler(std::string as)
    : m_as(std::move(as)), m_ld(Sibling(m_as, "ld")), m_objcopy(Sibling(m_as, "objcopy")) {}

std::string ArmAssembler::Missing() const {
  for (const std::string* tool : {&m_as, &m_ld, &m_objcopy})
    if (FindInPath(*tool).empty())
      return "the inline assembler needs '" + *tool +
             "' (install the Debian package binutils-arm-none-eabi, or run ./pm2.sh run)";
  return "";
}

bool ArmAssembler::Assemble(const AsmLine& line, std::vector<uint8_t>* bytes, std::string* err) const {
  if (line.text.find_first_of("\r\n", 0) != std::string::npos || line.text.find('\0') != std::string::npos) {
    *err = "one line at a time";
    return false;
  }
  if (const std::string why = Missing(); !why.empty()) {
    *err = why;
    return false;
  }
  TempFolder dir;
  if (dir.Path().empty()) {
    *err = "no temporary folder for the assembler";
    return false;
  }
  const std::string source = dir.Path() + "/line.s", object = dir.Path() + "/line.o", linked = dir.Path() + "/line.elf",
                    binary = dir.Path() + "/line.bin";
  std::vector<std::string> as = {m_as};
  if (!line.arch.empty()) as.push_back("-march=" + line.arch);
  as.insert(as.end(), {"-o", object, source});
  // The syntax the disassembly shows first ("movs r0, #1" in Thumb code),
  // then the older one the ARM7 manuals write ("mov r0, #1").
  std::string output, first;
  bool assembled = false;
  for (const bool unified : {true, false}) {
    output.clear();
    if (!WriteText(source, Source(line, unified))) {
      *err = "cannot write '" + source + "'";
      return false;
    }
    if (RunTool(as, &output) == 0) {
      assembled = true;
      break;
    }
    if (first.empty()) first = GnuToolMessage(output);
  }
  if (!assembled) {
    *err = first.empty() ? "'" + m_as + "' refused the line" : first;
    return false;
  }
  // Thumb code sits on even addresses.
  const uint32_t at = line.thumb ? line.address & ~1u : line.address;
  std::vector<std::string> ld = {m_ld, "-Ttext=" + Hex(at), "-e", Hex(at)};
  if (!line.symbols.empty()) ld.insert(ld.end(), {"-R", line.symbols});
  ld.insert(ld.end(), {"-o", linked, object});
  output.clear();
  if (RunTool(ld, &output) != 0) {
    const std::string message = GnuToolMessage(output);
    *err = message.empty() ? "'" + m_ld + "' could not place the line at " + Hex(at) : message;
    return false;
  }
  output.clear();
  if (RunTool({m_objcopy, "-O", "binary", "-j", ".text", linked, binary}, &output) != 0) {
    *err = GnuToolMessage(output);
    return false;
  }
  std::ifstream in(binary, std::ios::binary);
  const std::string made((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (made.empty()) {
    *err = "the line makes no code";
    return false;
  }
  if (made.size() > kAsmLineMaxBytes) {
    *err = "the line makes " + std::to_string(made.size()) + " bytes; at most " + std::to_string(kAsmLineMaxBytes) +
           " are written";
    return false;
  }
  bytes->assign(made.begin(), made.end());
  return true;
}

}  // namespace pm2::gdb
