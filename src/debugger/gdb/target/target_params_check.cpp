#include "debugger/gdb/target/target_params_check.h"

#include <sys/stat.h>

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <sstream>

namespace pm2::gdb {

namespace {

bool AllOf(const std::string& text, bool (*take)(char)) {
  for (char c : text)
    if (!take(c)) return false;
  return true;
}
bool NameChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '-' || c == '_'; }
bool Digit(char c) { return c >= '0' && c <= '9'; }
bool V6Char(char c) { return std::isxdigit(static_cast<unsigned char>(c)) || c == ':' || c == '.'; }

// What gdb would make of a target that is no host and port.
std::string TargetHint(const std::string& value) {
  if (!value.empty() && value[0] == '|') return " ('|' has gdb run the rest as a program of this machine)";
  if (value.find('/') != std::string::npos) return " (gdb would open it as a device or a file)";
  return "";
}

using Check = std::string (*)(const std::string&);
struct ValueWord {
  const char* word;
  Check check;
};
// The words of the settings text whose value reaches gdb, the emulator
// or a gdb command ("-sim" takes none).
const ValueWord kValueWords[] = {
    {"-remote", RemoteFault}, {"-gdb", ProgramFault},  {"-qemu", ProgramFault},
    {"-machine", MachineFault}, {"-uart", UartFault}, {"-timeout", TimeoutFault},
};

}  // namespace

std::string RemoteFault(const std::string& value) {
  // A GDB server listening on a local socket (qemu's, one of the user's):
  // gdb connects to it and can neither run nor write anything through it.
  // Anything else at an absolute path (a device, a file) is refused.
  struct stat st {};
  if (!value.empty() && value[0] == '/' && ::stat(value.c_str(), &st) == 0 && S_ISSOCK(st.st_mode)) return "";
  const std::string refused = "not a host and a port from 1 to 65535" + TargetHint(value);
  std::string rest = value;
  for (const char* prefix : {"tcp:", "tcp4:", "tcp6:"})
    if (rest.rfind(prefix, 0) == 0) {
      rest.erase(0, std::strlen(prefix));
      break;
    }
  const std::size_t colon = rest.rfind(':');
  if (colon == std::string::npos || colon == 0) return refused;
  const std::string host = rest.substr(0, colon), port = rest.substr(colon + 1);
  if (port.empty() || port.size() > 5 || !AllOf(port, Digit) || std::atoi(port.c_str()) < 1 ||
      std::atoi(port.c_str()) > 65535)
    return refused;
  const bool v6 = host.size() > 2 && host.front() == '[' && host.back() == ']' &&
                  AllOf(host.substr(1, host.size() - 2), V6Char);
  if (!v6 && (host[0] == '-' || !AllOf(host, NameChar))) return refused;
  return "";
}

std::string MachineFault(const std::string& value) {
  if (!value.empty() && value[0] != '-' && AllOf(value, NameChar)) return "";
  return "not a machine's name: a name holds only letters, digits, '.', '-' and '_'" +
         std::string(value.find_first_of(",=") != std::string::npos
                         ? " (after ',' the emulator would take options of the machine, such as a file it writes)"
                         : "");
}

std::string ProgramFault(const std::string& value) {
  if (value.empty()) return "no program";
  if (value[0] == '-') return "an option, not a program";
  for (char c : value)
    if (std::isspace(static_cast<unsigned char>(c)) || std::iscntrl(static_cast<unsigned char>(c)))
      return "not one word";
  return "";
}

bool NamedByPath(const std::string& program) { return program.find('/') != std::string::npos; }

std::string UartFault(const std::string& value) {
  if (value == "none") return "";
  char* end = nullptr;
  const unsigned long long base = value.empty() ? 0 : std::strtoull(value.c_str(), &end, 0);
  if (value.empty() || value[0] == '-' || value[0] == '+' || !end || *end != '\0' || base > 0xFFFFFFFFull)
    return "neither an address nor 'none'";
  return "";
}

std::string TimeoutFault(const std::string& value) {
  if (value.empty() || value.size() > 3 || !AllOf(value, Digit) || std::atoi(value.c_str()) < 1 ||
      std::atoi(value.c_str()) > 600)
    return "not a number of seconds from 1 to 600";
  return "";
}

ParamsFault CheckTargetParams(const std::string& text) {
  std::istringstream in(text);
  std::string word;
  while (in >> word)
    for (const ValueWord& w : kValueWords) {
      if (word != w.word) continue;
      std::string value;
      if (!(in >> value)) return {word, "", "has no value"};
      const std::string why = w.check(value);
      if (!why.empty()) return {word, value, why};
    }
  return {};
}

std::vector<std::string> MachineNames(const std::string& helpOutput) {
  std::vector<std::string> names;
  std::istringstream in(helpOutput);
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream words(line);
    std::string name;
    // The heading ("Supported machines are:") ends with a colon.
    if (!(words >> name) || line.back() == ':' || MachineFault(name) != "") continue;
    names.push_back(name);
  }
  return names;
}

}  // namespace pm2::gdb
