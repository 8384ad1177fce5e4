// Fuzzes the code-generator project reader and the startup equates it sets:
// any bytes read without a fault and give at most 256 C files; their
// register lines, taken as the settings of either register table, rewrite
// the same bytes taken as a startup file without a fault.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "project/files/line_file.h"
#include "project/import/code_gen_project.h"
#include "project/import/code_gen_registers.h"

using namespace pm2;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const CodeGenProject d = ParseCodeGenProject(text);
  if (d.cFiles.size() > 256) std::abort();
  (void)ParseFrequencyMHz(d.device);
  LineFile startup;
  startup.SetText(text);
  for (const bool xc16x : {false, true}) {
    const auto& table = xc16x ? Xc16xRegisterTable() : ClassicRegisterTable();
    std::vector<EquateSymbol> symbols = StartupEquates(table, ResolveRegisterValues(table, d.registers, xc16x));
    startup.FindEquateLines(symbols);
    (void)startup.FormatEquates(symbols, xc16x);
  }
  return 0;
}
