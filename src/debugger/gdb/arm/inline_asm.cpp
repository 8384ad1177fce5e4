#include "debugger/gdb/arm/inline_asm.h"

#include <strings.h>

#include <cstdio>

namespace pm2::gdb {

namespace {

std::string Hex8(uint32_t v) {
  char b[16];
  std::snprintf(b, sizeof b, "0x%08X", v);
  return b;
}

// A plain number ("0x00000364", "868") is an address whatever the target
// can evaluate: while the program runs gdb evaluates nothing, and the
// dialog's own address text (taken from the program counter) would else
// go to the assembler as an instruction.
bool PlainNumber(const std::string& text, uint64_t* value) {
  const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
  const std::size_t from = hex ? 2 : 0;
  if (text.size() == from || text.size() - from > 16) return false;
  uint64_t v = 0;
  for (std::size_t i = from; i < text.size(); ++i) {
    const char c = text[i];
    int d = -1;
    if (c >= '0' && c <= '9') d = c - '0';
    else if (hex && c >= 'a' && c <= 'f') d = c - 'a' + 10;
    else if (hex && c >= 'A' && c <= 'F') d = c - 'A' + 10;
    if (d < 0) return false;
    if (!hex && v > (UINT64_MAX - uint64_t(d)) / 10) return false;
    v = v * (hex ? 16 : 10) + uint64_t(d);
  }
  *value = v;
  return true;
}

}  // namespace

bool InlineAsm::IsCommand(const std::string& line, std::string* argument) {
  const std::size_t b = line.find_first_not_of(" \t");
  if (b == std::string::npos || line.size() - b < 3 || strncasecmp(line.c_str() + b, "asm", 3) != 0) return false;
  const std::size_t rest = b + 3;
  if (rest < line.size() && line[rest] != ' ' && line[rest] != '\t' && line[rest] != '\r' && line[rest] != '\n')
    return false;
  std::string text = line.substr(rest);
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ' || text.back() == '\t'))
    text.pop_back();
  text.erase(0, text.find_first_not_of(" \t"));
  *argument = text;
  return true;
}

int InlineAsm::Refuse(const std::string& why) {
  m_error = "asm: " + why;
  return 1;
}

int InlineAsm::Run(const std::string& argument, uint32_t pc) {
  m_error.clear();
  if (argument.empty()) return Refuse("an address or an instruction is needed");
  uint64_t value = 0;
  if (PlainNumber(argument, &value) || (m_target.address && m_target.address(argument, &value))) {
    if (value > 0xFFFFFFFFu) return Refuse("'" + argument + "' is no address of the target");
    m_address = uint32_t(value);
    m_known = true;
    return 0;
  }
  AsmLine line;
  line.text = argument;
  line.address = Address(pc);
  if (m_target.dataAt && m_target.dataAt(line.address & ~1u))
    return Refuse(Hex8(line.address & ~1u) +
                  " holds data (a literal pool, so marked in the program file), not an instruction: "
                  "nothing written; the memory window changes data");
  line.thumb = m_target.thumbAt && m_target.thumbAt(line.address);
  if (line.thumb) line.address &= ~1u;
  line.arch = m_target.arch;
  line.symbols = m_target.symbols;
  std::vector<uint8_t> bytes;
  std::string err;
  if (!m_target.assemble || !m_target.assemble(line, &bytes, &err)) return Refuse(err);
  if (!m_target.write || !m_target.write(line.address, bytes, &err))
    return Refuse("cannot write " + std::to_string(bytes.size()) + " bytes at " + Hex8(line.address) +
                  (err.empty() ? "" : ": " + err));
  m_address = line.address + uint32_t(bytes.size());
  m_known = true;
  return 0;
}

}  // namespace pm2::gdb
