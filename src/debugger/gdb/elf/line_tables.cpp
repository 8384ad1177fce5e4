#include "debugger/gdb/elf/line_tables.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <sstream>
#include <system_error>

namespace pm2::gdb {

namespace {

std::string BaseName(const std::string& path) {
  const std::size_t cut = path.find_last_of("/\\");
  return cut == std::string::npos ? path : path.substr(cut + 1);
}

// A decimal or hexadecimal number filling the whole word.
bool WholeNumber(const std::string& word, int base, unsigned long long* out) {
  if (word.empty()) return false;
  char* end = nullptr;
  *out = std::strtoull(word.c_str(), &end, base);
  return end && *end == '\0';
}

}  // namespace

std::string LineTableFilter(const std::string& file) {
  std::string out;
  for (char c : BaseName(file)) {
    if (std::strchr(".[]*^$\\+?", c)) out.push_back('\\');
    out.push_back(c);
  }
  return out + "$";
}

bool IsLineTableOf(const std::string& fullname, const std::string& file) {
  if (file.empty()) return false;
  if (fullname == file) return true;
  if (file[0] == '/') {
    // One file under two spellings (a link in the path).
    std::error_code ec;
    return std::filesystem::equivalent(fullname, file, ec);
  }
  std::string rel = file;
  while (rel.compare(0, 2, "./") == 0) rel.erase(0, 2);
  return fullname.size() > rel.size() && fullname.compare(fullname.size() - rel.size(), rel.size(), rel) == 0 &&
         fullname[fullname.size() - rel.size() - 1] == '/';
}

std::vector<DbgLinePair> ParseLineTables(const std::string& printed, const std::string& file) {
  std::vector<DbgLinePair> out;
  std::istringstream in(printed);
  std::string text;
  bool wanted = false;
  while (std::getline(in, text)) {
    if (!text.empty() && text.back() == '\r') text.pop_back();
    if (text.compare(0, 8, "symtab: ") == 0) {
      // The file's full name, then gdb's note of its record.
      const std::size_t note = text.rfind(" ((struct symtab");
      wanted = IsLineTableOf(text.substr(8, note == std::string::npos ? std::string::npos : note - 8), file);
      continue;
    }
    if (!wanted) continue;
    std::istringstream row(text);
    std::string index, line, address;
    unsigned long long n = 0, lineNumber = 0, pc = 0;
    if (!(row >> index >> line >> address)) continue;
    const bool end = line == "END";
    if (!WholeNumber(index, 10, &n) || (!end && !WholeNumber(line, 10, &lineNumber)) ||
        address.compare(0, 2, "0x") != 0 || !WholeNumber(address, 16, &pc) || (!end && lineNumber == 0) ||
        lineNumber > 0xFFFFFFFFull || pc > 0xFFFFFFFFull)
      continue;
    out.push_back(DbgLinePair{uint32_t(lineNumber), uint32_t(pc)});
  }
  return out;
}

}  // namespace pm2::gdb
