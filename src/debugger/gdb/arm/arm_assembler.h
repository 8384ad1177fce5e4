// One line of ARM or Thumb assembly made into bytes by the target
// toolchain: the GNU assembler (arm-none-eabi-as), then its linker placing
// the code at the address with the program's own symbols (so "bl LED_On"
// and "b 0x220" reach their targets), then objcopy for the bytes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace pm2::gdb {

struct AsmLine {
  std::string text;      // one instruction (or directive) as the user wrote it
  uint32_t address = 0;  // where the bytes go
  bool thumb = false;    // Thumb state (else ARM)
  std::string arch;      // the assembler's -march ("" its default)
  std::string symbols;   // the program file whose symbols the line may name ("" none)
};

// The most bytes one line may make.
constexpr std::size_t kAsmLineMaxBytes = 1024;

class ArmAssembler {
 public:
  // `as`: the assembler program ("arm-none-eabi-as" or a path); its linker
  // and objcopy are the programs of the same name with "ld" and "objcopy"
  // in place of "as".
  explicit ArmAssembler(std::string as = "arm-none-eabi-as");

  // Why lines cannot be assembled here ("" when they can): the assembler
  // is not installed.
  std::string Missing() const;
  // The line's bytes; false with the tools' own message in *err.
  bool Assemble(const AsmLine& line, std::vector<uint8_t>* bytes, std::string* err) const;

 private:
  std::string m_as, m_ld, m_objcopy;
};

// The lines of a GNU tool's output that say what went wrong, without the
// file names and positions of the temporary files ("Error: bad instruction
// `foo r0'", "undefined reference to `Nowhere'"); lines joined with "; ".
std::string GnuToolMessage(const std::string& output);

}  // namespace pm2::gdb
