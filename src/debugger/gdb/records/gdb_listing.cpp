#include "debugger/gdb/records/gdb_listing.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "debugger/gdb/elf/elf_arm_code.h"

namespace pm2::gdb {

namespace {

uint32_t Number(const std::string& s) { return uint32_t(std::strtoull(s.c_str(), nullptr, 0)); }

ListingLine CodeLine(uint32_t address, const std::string& inst) {
  ListingLine l;
  l.kind = kDisasmCode;
  l.address = address;
  char head[32];
  std::snprintf(head, sizeof head, "0x%08X  ", l.address);
  l.text = head + inst;
  // Columns of blanks: the window draws no tab stops.
  for (size_t tab = l.text.find('\t'); tab != std::string::npos; tab = l.text.find('\t', tab))
    l.text.replace(tab, 1, std::string(8 - (tab - 12) % 8, ' '));
  return l;
}

void AddInstruction(const MiValue& insn, std::vector<ListingLine>* out) {
  out->push_back(CodeLine(Number(insn.Str("address")), insn.Str("inst")));
}

// The data of [from, to) a unit at a time: words where aligned, halfwords
// and bytes at the edges.
void AddData(uint32_t from, uint32_t to, const std::function<bool(uint32_t, uint32_t, uint8_t*)>& read,
             std::vector<ListingLine>* out) {
  for (uint32_t at = from; at < to;) {
    const uint32_t left = to - at;
    const uint32_t size = (at % 4 == 0 && left >= 4) ? 4 : (at % 2 == 0 && left >= 2) ? 2 : 1;
    uint8_t bytes[4] = {};
    if (!read || !read(at, size, bytes)) return;
    out->push_back(CodeLine(at, DataLineText(at, bytes, size)));
    at += size;
  }
}

}  // namespace

std::vector<ListingLine> ParseListing(const MiValue& asmInsns,
                                      const std::function<std::string(const std::string&, int)>& sourceText) {
  std::vector<ListingLine> out;
  for (const auto& [name, item] : asmInsns.items) {
    const MiValue* insns = item.Find("line_asm_insn");
    if (!insns) {
      AddInstruction(item, &out);
      continue;
    }
    // A source line, then its instructions.
    const int line = int(Number(item.Str("line")));
    if (insns->items.empty()) continue;  // a source line without code
    ListingLine src;
    src.kind = kDisasmSource;
    src.line = uint32_t(line);
    src.address = Number(insns->items[0].second.Str("address"));
    char head[16];
    std::snprintf(head, sizeof head, "%5d: ", line);
    const std::string file = item.Str("fullname").empty() ? item.Str("file") : item.Str("fullname");
    src.text = head + (sourceText ? sourceText(file, line) : std::string());
    out.push_back(std::move(src));
    for (const auto& [n, insn] : insns->items) AddInstruction(insn, &out);
  }
  return out;
}

std::string DataLineText(uint32_t, const uint8_t* bytes, uint32_t size) {
  char text[48];
  if (size >= 4)
    std::snprintf(text, sizeof text, ".word\t0x%08x",
                  unsigned(bytes[0] | bytes[1] << 8 | bytes[2] << 16 | uint32_t(bytes[3]) << 24));
  else if (size == 2)
    std::snprintf(text, sizeof text, ".short\t0x%04x", unsigned(bytes[0] | bytes[1] << 8));
  else
    std::snprintf(text, sizeof text, ".byte\t0x%02x", unsigned(bytes[0]));
  return text;
}

std::vector<ListingLine> ListingWithData(
    uint32_t from, uint32_t to, const ElfArmCode& code,
    const std::function<std::vector<ListingLine>(uint32_t from, uint32_t to)>& fetch,
    const std::function<bool(uint32_t address, uint32_t size, uint8_t* out)>& read) {
  std::vector<ListingLine> out;
  for (uint32_t at = from; at < to;) {
    const uint32_t next = std::min(code.NextChange(at), to);
    if (code.DataAt(at)) {
      AddData(at, next, read, &out);
    } else if (fetch) {
      std::vector<ListingLine> lines = fetch(at, next);
      // An instruction read past the run's end (the first halfword of a
      // Thumb pair) would hide data.
      while (!lines.empty() && lines.back().address >= next) lines.pop_back();
      out.insert(out.end(), std::make_move_iterator(lines.begin()), std::make_move_iterator(lines.end()));
    }
    if (next <= at) break;
    at = next;
  }
  return out;
}

std::string SourceCache::Line(const std::string& path, int line) {
  auto it = m_files.find(path);
  if (it == m_files.end()) {
    std::vector<std::string> lines;
    std::ifstream in(path);
    std::string text;
    while (std::getline(in, text)) {
      if (!text.empty() && text.back() == '\r') text.pop_back();
      for (char& c : text)
        if (c == '\t') c = ' ';
      lines.push_back(text);
    }
    it = m_files.emplace(path, std::move(lines)).first;
  }
  if (line < 1 || size_t(line) > it->second.size()) return {};
  return it->second[size_t(line - 1)];
}

bool GdbListing::Load(uint32_t from, uint32_t to) {
  m_lines = m_fetch ? m_fetch(from, to) : std::vector<ListingLine>{};
  m_from = from;
  m_to = to;
  ++m_generation;
  return !m_lines.empty();
}

void GdbListing::Set(DisasmLine* line, int index) {
  *line = DisasmLine{};
  if (index < 0 || index >= int(m_lines.size())) {
    line->kind = kDisasmEnd;
    return;
  }
  const ListingLine& l = m_lines[size_t(index)];
  line->kind = l.kind;
  line->address = l.address;
  line->line = l.line;
  line->own12 = uint32_t(index + 1);
  line->own28 = m_generation;
}

int GdbListing::Locate(const DisasmLine& line) {
  if (line.own28 == m_generation && line.own12 >= 1 && line.own12 <= m_lines.size()) return int(line.own12) - 1;
  // Another chunk is loaded: the one around the line again.
  if (!(line.address >= m_from && line.address < m_to)) {
    const uint32_t from = line.address >= kChunk / 2 ? line.address - kChunk / 2 : 0;
    Load(from, from + kChunk);
  }
  for (size_t i = 0; i < m_lines.size(); ++i)
    if (m_lines[i].address == line.address && m_lines[i].kind == line.kind) return int(i);
  return -1;
}

void GdbListing::Next(DisasmLine* line, uint32_t requested) {
  if (line->kind == kDisasmEnd) return;
  if (line->kind == kDisasmRequest) {
    const uint32_t from = requested & ~1u;
    if (!Load(from, from + kChunk)) {
      Set(line, -1);
      return;
    }
    for (size_t i = 0; i < m_lines.size(); ++i)
      if (m_lines[i].kind == kDisasmCode && m_lines[i].address >= requested) {
        Set(line, int(i));
        if (m_lines[i].address == requested) line->state |= kDisasmAsked;
        return;
      }
    Set(line, -1);
    return;
  }
  const int at = Locate(*line);
  if (at < 0) {
    Set(line, -1);
    return;
  }
  if (at + 1 < int(m_lines.size())) {
    Set(line, at + 1);
    return;
  }
  // On into the next chunk.
  const uint32_t from = m_to;
  if (from < m_from || !Load(from, from + kChunk)) {
    Set(line, -1);
    return;
  }
  Set(line, 0);
}

void GdbListing::Prev(DisasmLine* line) {
  if (line->kind == kDisasmEnd || line->kind == kDisasmRequest) return;
  const int at = Locate(*line);
  if (at > 0) {
    Set(line, at - 1);
    return;
  }
  if (at < 0 || m_from == 0) {
    Set(line, -1);
    return;
  }
  const uint32_t to = m_from;
  const uint32_t from = to >= kChunk ? to - kChunk : 0;
  if (!Load(from, to)) {
    Set(line, -1);
    return;
  }
  Set(line, int(m_lines.size()) - 1);
}

void GdbListing::Refresh(DisasmLine* line, uint32_t pc, bool breakpoint) {
  line->state = uint16_t(line->state & ~(kDisasmPc | kDisasmClass1));
  if (line->kind != kDisasmCode) return;
  if (line->address == pc) line->state |= kDisasmPc;
  if (breakpoint) line->state |= kDisasmClass1;
}

const std::string& GdbListing::Text(const DisasmLine& line) {
  const int at = Locate(line);
  return at < 0 ? m_empty : m_lines[size_t(at)].text;
}

}  // namespace pm2::gdb
