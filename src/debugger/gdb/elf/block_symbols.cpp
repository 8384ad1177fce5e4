#include "debugger/gdb/elf/block_symbols.h"

#include <cctype>
#include <cstdlib>
#include <sstream>

namespace pm2::gdb {

namespace {

// What gdb prints after a variable's declaration, by where it lives.
const char* const kPlaces[] = {"computed at runtime", "static at ", "register ", "parameter register ",
                               "arg at ", "local at ", "optimized out", "const "};

bool IsNameChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '$'; }

std::string Trimmed(const std::string& s) {
  const std::size_t a = s.find_first_not_of(' '), b = s.find_last_not_of(' ');
  return a == std::string::npos ? std::string() : s.substr(a, b - a + 1);
}

// "unsigned int n" -> n, "unsigned int"; "char buf[16]" -> buf, "char [16]";
// "void (*fp)(int)" -> fp, "void (*)(int)". False when no name is found.
bool SplitDeclaration(const std::string& decl, BlockSymbol* out) {
  const std::size_t pointer = decl.find("(*");
  if (pointer != std::string::npos) {
    std::size_t end = pointer + 2;
    while (end < decl.size() && IsNameChar(decl[end])) ++end;
    if (end == pointer + 2) return false;
    out->name = decl.substr(pointer + 2, end - pointer - 2);
    out->type = decl.substr(0, pointer + 2) + decl.substr(end);
    return true;
  }
  std::size_t end = decl.size();
  while (end > 0 && decl[end - 1] == ']') {
    const std::size_t open = decl.rfind('[', end - 1);
    if (open == std::string::npos) return false;
    end = open;
  }
  std::size_t begin = end;
  while (begin > 0 && IsNameChar(decl[begin - 1])) --begin;
  if (begin == end || std::isdigit(static_cast<unsigned char>(decl[begin]))) return false;
  out->name = decl.substr(begin, end - begin);
  out->type = Trimmed(decl.substr(0, begin)) + (end < decl.size() ? " " + decl.substr(end) : "");
  return !Trimmed(decl.substr(0, begin)).empty();
}

// One variable's line, or false for anything else (a function declared in
// the block, a type, a line of a structure's body).
bool SymbolOfLine(const std::string& text, BlockSymbol* out) {
  if (text.compare(0, 8, "typedef ") == 0) return false;
  const std::size_t semi = text.rfind("; ");
  if (semi == std::string::npos) return false;
  const std::string place = text.substr(semi + 2);
  bool known = false;
  for (const char* p : kPlaces) known |= place.compare(0, std::string(p).size(), p) == 0;
  if (!known || !SplitDeclaration(text.substr(0, semi), out)) return false;
  if (place.compare(0, 10, "static at ") == 0) {
    out->isStatic = true;
    out->address = std::strtoull(place.c_str() + 10, nullptr, 16);
  }
  return true;
}

}  // namespace

std::vector<FunctionBlock> ParseFunctionBlocks(const std::string& printed) {
  std::vector<FunctionBlock> out;
  std::istringstream in(printed);
  std::size_t functionIndent = std::string::npos;  // the open function block's
  bool nested = false;
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const std::size_t indent = line.find_first_not_of(' ');
    if (indent == std::string::npos) continue;
    const std::string text = line.substr(indent);
    if (text.compare(0, 7, "block #") == 0) {
      if (functionIndent != std::string::npos && indent > functionIndent) {
        out.back().blocks.emplace_back();
        nested = true;
        continue;
      }
      functionIndent = std::string::npos;
      const std::size_t f = text.rfind(", function ");
      if (f == std::string::npos) continue;
      out.push_back(FunctionBlock{Trimmed(text.substr(f + 11)), {}, {}});
      functionIndent = indent;
      nested = false;
      continue;
    }
    if (functionIndent == std::string::npos) continue;
    if (indent <= functionIndent) {  // the function's block has ended
      functionIndent = std::string::npos;
      continue;
    }
    BlockSymbol s;
    if (!SymbolOfLine(text, &s)) continue;
    (nested ? out.back().blocks.back() : out.back().symbols).push_back(s);
  }
  for (FunctionBlock& f : out)
    for (std::size_t i = f.blocks.size(); i-- > 0;)
      if (f.blocks[i].empty()) f.blocks.erase(f.blocks.begin() + std::ptrdiff_t(i));
  return out;
}

}  // namespace pm2::gdb
