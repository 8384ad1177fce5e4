// Writes browse files byte by byte for the tests: each record framed as
// type, 16-bit length (contents + checksum), contents, checksum byte;
// 32-bit values as two 16-bit words, low word first; names as a length byte
// and the characters.
#pragma once

#include <cstdint>
#include <fstream>
#include <initializer_list>
#include <string>
#include <vector>

namespace pm2 {

struct SampleOccurrence {
  uint16_t kind = 0;
  uint16_t file = 0;
  uint32_t line = 0;
  uint32_t access = 0;
  uint32_t ref = 0xFFFFFFFF;
};

class BrowseSampleFile {
 public:
  std::vector<uint8_t> bytes;

  // Contents builders.
  static void U16(std::vector<uint8_t>& c, uint16_t v) {
    c.push_back(static_cast<uint8_t>(v));
    c.push_back(static_cast<uint8_t>(v >> 8));
  }
  static void U32(std::vector<uint8_t>& c, uint32_t v) {
    U16(c, static_cast<uint16_t>(v));
    U16(c, static_cast<uint16_t>(v >> 16));
  }
  static void Name(std::vector<uint8_t>& c, const std::string& s) {
    c.push_back(static_cast<uint8_t>(s.size()));
    c.insert(c.end(), s.begin(), s.end());
  }

  BrowseSampleFile& Record(uint8_t type, const std::vector<uint8_t>& contents) {
    bytes.push_back(type);
    U16(bytes, static_cast<uint16_t>(contents.size() + 1));
    uint8_t sum = type + static_cast<uint8_t>(contents.size() + 1) + static_cast<uint8_t>((contents.size() + 1) >> 8);
    for (uint8_t b : contents) sum = static_cast<uint8_t>(sum + b);
    bytes.insert(bytes.end(), contents.begin(), contents.end());
    bytes.push_back(static_cast<uint8_t>(-sum));
    return *this;
  }
  BrowseSampleFile& ModuleStart(uint8_t type = 0x02) {
    std::vector<uint8_t> c;
    Name(c, "SAMPLE");
    return Record(type, c);
  }
  BrowseSampleFile& Header(uint32_t symbols, std::initializer_list<const char*> spaces = {}, uint16_t version = 512,
                           bool withSpaces = true) {
    std::vector<uint8_t> c;
    U16(c, version);
    U16(c, 7);
    U32(c, symbols);
    if (withSpaces) {
      U16(c, static_cast<uint16_t>(spaces.size()));
      for (const char* s : spaces) Name(c, s);
    }
    return Record(0x60, c);
  }
  // A later section's header: no memory-space names.
  BrowseSampleFile& SectionHeader(uint32_t symbols) { return Header(symbols, {}, 512, false); }
  BrowseSampleFile& File(const std::string& path) {
    std::vector<uint8_t> c;
    U32(c, 0x11223344);
    U16(c, 0x5566);
    Name(c, path);
    return Record(0x61, c);
  }
  BrowseSampleFile& NameRec(const std::string& text) {
    std::vector<uint8_t> c;
    U32(c, 0);
    Name(c, text);
    return Record(0x62, c);
  }
  BrowseSampleFile& Symbol(uint16_t cls, uint16_t space = 0, uint16_t type = 0, uint16_t kind = 0) {
    std::vector<uint8_t> c;
    U16(c, cls);
    U16(c, space);
    U16(c, type);
    U16(c, kind);
    U32(c, 0);
    return Record(0x63, c);
  }
  BrowseSampleFile& Occurrences(std::initializer_list<SampleOccurrence> list) {
    std::vector<uint8_t> c;
    U32(c, static_cast<uint32_t>(list.size()));
    for (const SampleOccurrence& o : list) {
      U16(c, o.kind);
      U16(c, o.file);
      U32(c, o.line);
      U32(c, o.access);
      U32(c, o.ref);
    }
    return Record(0x64, c);
  }
  // A record the browse reader does not know (it closes an open section).
  BrowseSampleFile& Other(uint8_t type = 0x0E) { return Record(type, {0x01, 0x02}); }
  BrowseSampleFile& ModuleEnd(uint8_t type = 0x04) { return Record(type, {0x00}); }

  bool Write(const std::string& path) const {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
  }
};

// A small module: two files; "main" (a function defined in file 1, called
// from "start", referenced twice), "counter" (data with a definition and
// references in both files), "_isr" (a function known by its compiler name
// with the underscore), "field" (a member of tag "pair").
// Symbol numbers: 0 main, 1 start, 2 counter, 3 _isr, 4 pair, 5 field;
// with `vector` also 6 "_?vector" (a function defined in file 2).
inline BrowseSampleFile SampleModule(bool vector = false) {
  BrowseSampleFile f;
  f.ModuleStart()
      .Other(0x0E)
      .Header(vector ? 7 : 6, {"none", "code", "data"})
      .File("src/main.c")
      .File("/abs/util.c")
      .NameRec("main")
      .Symbol(8, 1, 17, 0)
      .Occurrences({{1, 1, 40}, {3, 1, 12, 0, 2}})
      .Occurrences({{2, 1, 10}, {1, 2, 0x00012345}})
      .NameRec("start")
      .Symbol(8, 1, 17, 0)
      .Occurrences({{4, 1, 5, 0, 0}, {2, 2, 3}})
      .NameRec("counter")
      .Symbol(4, 2, 4, 0)
      .Occurrences({{2, 1, 2, 2}, {1, 1, 20, 1}, {7, 1, 99}, {1, 2, 30, 3}, {3, 2, 31, 0, 0}})
      .NameRec("_isr")
      .Symbol(8, 1, 17, 0)
      .Occurrences({{2, 2, 50}, {1, 1, 60}})
      .NameRec("pair")
      .Symbol(32, 0, 15, 0)
      .Occurrences({{2, 1, 70}})
      .NameRec("field")
      .Symbol(16, 0, 4, 0)
      .Occurrences({{5, 1, 71, 0, 4}, {6, 2, 80, 1, 4}});
  if (vector) f.NameRec("_?vector").Symbol(8, 1, 17, 0).Occurrences({{2, 2, 90}});
  f.ModuleEnd();
  return f;
}

}  // namespace pm2
