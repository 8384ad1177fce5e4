// The GDB driver's "asm" command, which the inline assembler sends: "asm
// <address>" sets the assembly address; "asm <instruction>" assembles the
// instruction at that address (Thumb where the program's code is Thumb;
// refused where the program file marks data), writes its bytes into the
// target and moves the address past them. A
// text that is a value of the program (an address expression) is an
// address; anything else is an instruction.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "debugger/gdb/arm/arm_assembler.h"

namespace pm2::gdb {

class InlineAsm {
 public:
  struct Target {
    // The value of an address expression; false when the text is none.
    std::function<bool(const std::string& text, uint64_t* value)> address;
    // Writes the bytes; false with the reason in *err.
    std::function<bool(uint32_t address, const std::vector<uint8_t>& bytes, std::string* err)> write;
    std::function<bool(const AsmLine& line, std::vector<uint8_t>* bytes, std::string* err)> assemble;
    std::function<bool(uint32_t address)> thumbAt;
    // True where the program file marks data (a literal pool): no
    // instruction set is known there, and an instruction would overwrite
    // a value the code loads.
    std::function<bool(uint32_t address)> dataAt;
    std::string arch;     // the assembler's -march ("" its default)
    std::string symbols;  // the program file
  };
  explicit InlineAsm(Target target) : m_target(std::move(target)) {}

  // True when `line` is an "asm" command (the word in any case, then a
  // blank or the end); *argument is the rest without its blanks and line end.
  static bool IsCommand(const std::string& line, std::string* argument);

  // The command's argument: 0 when done, else 1 with Error() saying why.
  int Run(const std::string& argument, uint32_t pc);
  // The assembly address: the one set, else the program counter.
  uint32_t Address(uint32_t pc) const { return m_known ? m_address : pc; }
  const std::string& Error() const { return m_error; }
  // A new session: no address set.
  void Forget() { m_known = false; }

 private:
  int Refuse(const std::string& why);

  Target m_target;
  uint32_t m_address = 0;
  bool m_known = false;
  std::string m_error;
};

}  // namespace pm2::gdb
