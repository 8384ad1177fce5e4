// The local symbols of a source file's functions as gdb prints its blocks
// ("maint print symbols -source FILE"; gdb 13):
//     block #006, object at 0x55b2 under 0x55a0, 1 syms/buckets in 0x210..0x30c, function main
//      unsigned int n; computed at runtime
//       block #007, object at 0x55b3 under 0x55b2, 1 syms/buckets in 0x23c..0x2ec
//        int key; computed at runtime
// A function's block holds its parameters and outermost locals; the blocks
// nested in it (at any depth) hold the locals of its inner braces.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace pm2::gdb {

struct BlockSymbol {
  std::string name;
  std::string type;          // gdb's type text: "unsigned int", "char [16]", "const char *"
  bool isStatic = false;     // kept at a fixed address (a static local)
  uint64_t address = 0;      // with isStatic
};

struct FunctionBlock {
  std::string function;
  std::vector<BlockSymbol> symbols;               // the function's own block
  std::vector<std::vector<BlockSymbol>> blocks;   // each nested block with symbols
};

std::vector<FunctionBlock> ParseFunctionBlocks(const std::string& printed);

}  // namespace pm2::gdb
