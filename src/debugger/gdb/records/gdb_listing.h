// The disassembly listing through gdb: lines of gdb's mixed source and
// assembly (the source line's text read from its file), held a chunk at a
// time and walked forwards and backwards line by line for the IDE's
// disassembly window.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "driver_abi/debug_interface.h"
#include "debugger/gdb/mi/mi_parser.h"

namespace pm2::gdb {

struct ListingLine {
  uint16_t kind = kDisasmCode;  // kDisasmSource or kDisasmCode
  uint32_t address = 0;
  uint32_t line = 0;  // of a source line
  std::string text;
};

// The lines of a -data-disassemble answer in mode 4 (source and assembly)
// or 0 (assembly). sourceText(fullname, line) gives a source line's text.
std::vector<ListingLine> ParseListing(const MiValue& asmInsns,
                                      const std::function<std::string(const std::string&, int)>& sourceText);

// The text of a listing's line of data at `address`: ".word 0x…" for 4
// bytes, ".short" for 2, ".byte" for 1 (little-endian).
std::string DataLineText(uint32_t address, const uint8_t* bytes, uint32_t size);

class ElfArmCode;

// The listing of [from, to) with what the program file's marks call data
// (a literal pool) shown as data, a word at a time where it is aligned,
// from the bytes `read` gives (false: the memory can't be read, and the
// data is left out); the code between is `code`'s, disassembled by `fetch`
// a run at a time, so that no instruction is read out of the data.
std::vector<ListingLine> ListingWithData(
    uint32_t from, uint32_t to, const ElfArmCode& code,
    const std::function<std::vector<ListingLine>(uint32_t from, uint32_t to)>& fetch,
    const std::function<bool(uint32_t address, uint32_t size, uint8_t* out)>& read);

// Source files' lines, read once each.
class SourceCache {
 public:
  std::string Line(const std::string& path, int line);

 private:
  std::map<std::string, std::vector<std::string>> m_files;
};

// The line protocol over chunks that `fetch` disassembles ([from, to)).
class GdbListing {
 public:
  using Fetch = std::function<std::vector<ListingLine>(uint32_t from, uint32_t to)>;
  static constexpr uint32_t kChunk = 0x200;

  explicit GdbListing(Fetch fetch) : m_fetch(std::move(fetch)) {}
  // A kind-0 line: the first at `requested`; otherwise the next one.
  void Next(DisasmLine* line, uint32_t requested);
  void Prev(DisasmLine* line);
  void Refresh(DisasmLine* line, uint32_t pc, bool breakpoint);
  const std::string& Text(const DisasmLine& line);
  // The code may have changed (a new session, bytes written): the lines the
  // window holds are read again from gdb when asked for.
  void Forget() {
    m_lines.clear();
    m_from = m_to = 0;
    ++m_generation;
  }

 private:
  bool Load(uint32_t from, uint32_t to);
  int Locate(const DisasmLine& line);
  void Set(DisasmLine* line, int index);

  Fetch m_fetch;
  std::vector<ListingLine> m_lines;
  uint32_t m_from = 0, m_to = 0;
  uint32_t m_generation = 1;
  std::string m_empty;
};

}  // namespace pm2::gdb
