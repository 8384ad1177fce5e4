// The memory window's values without a window: the eleven display formats
// with their sizes and column widths for the two toolset groups, the byte
// order of a family, one value as text, the page's rows and columns, the
// hit test, and the texts that write values.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace pm2 {

enum MemFormat : int {
  kMemUChar = 0,
  kMemUInt = 1,
  kMemULong = 2,
  kMemSChar = 3,
  kMemSInt = 4,
  kMemSLong = 5,
  kMemFloat = 6,
  kMemDouble = 7,
  kMemAscii = 8,
  kMemSShort = 9,
  kMemUShort = 10,
  kMemFormatCount = 11,
  kMemToggleDecimal = 100
};

struct MemFormatRow {
  const char* name;    // the menu's text
  int command;         // the main frame's command
  int size[2];         // element bytes: 51/251/166, ARM
  int width[2][2];     // column width [group][decimal]
  const char* typeWord;  // of the write command
};

// The row of a format (0..10).
const MemFormatRow& MemFormatInfo(int format);
// The ARM group: toolsets 3, 4 and 5.
bool MemArmGroup(int toolset);
// Whether 16- and 32-bit values and floats are byte-swapped: families 0
// and 1 always, 3..5 on a big-endian device, never otherwise.
bool MemSwapBytes(int family, bool bigEndianDevice);

struct MemLook {
  int format = kMemUChar;
  bool decimal = false;
  bool arm = false;
  bool swap = false;
  int Size() const { return MemFormatInfo(format).size[arm ? 1 : 0]; }
  int Width() const { return MemFormatInfo(format).width[arm ? 1 : 0][decimal ? 1 : 0]; }
};

// One value's text (with its trailing blank; padded to the column width
// for floats). bytes holds look.Size() bytes.
std::string FormatMemValue(const MemLook& look, const uint8_t* bytes);

// The page's geometry in characters and rows.
struct MemGeometry {
  int rows = 0;          // whole rows
  bool partial = false;  // a partial row below them
  int columns = 1;       // values per row, 1..256
  int addressWidth = 10; // characters of the address and ": "
};
constexpr int kMemBarHeight = 33;
constexpr int kMemReadBuffer = 24586;
MemGeometry MemLayout(const MemLook& look, int clientHeight, int rowHeight, int widthChars, int addressChars);
// Bytes read for the page (never more than the read buffer).
int MemReadCount(const MemLook& look, const MemGeometry& g);
// The largest scroll position for a memory space of size bytes (the
// driver's answer: -1 all, 0 unknown = 64 KB).
int64_t MemScrollMax(const MemLook& look, const MemGeometry& g, int64_t spaceSize);

// The row text: each value's start and end in characters. Values beyond
// what was read are not shown.
struct MemRowText {
  std::string text;
  std::vector<std::pair<int, int>> spans;  // [start, end) in characters, after the address
};
MemRowText FormatMemRow(const MemLook& look, const uint8_t* data, int available, int columns);

// The address of the value under a point of the value area (round the
// 32-bit space, memory_space.h): a point between values takes the nearer,
// one past the row's last value that value. False left of the first value,
// in the address bar or below the rows shown.
struct MemHitInput {
  bool valid = false;
  int x = 0, y = 0;       // pixels in the page
  int rowHeight = 1;
  int charWidth = 1;
  uint64_t base = 0;
  int64_t topRow = 0;
  int columns = 1;
  int rowsShown = 0;
  const std::vector<std::pair<int, int>>* spans = nullptr;  // pixel spans of one row's values
};
bool MemHitTest(const MemLook& look, const MemHitInput& in, uint64_t* address);

// The bytes of an ASCII entry: \\ \a \b \f \n \r \v replaced; any other
// backslash stays.
std::string MemAsciiBytes(const std::string& text);
// The command that writes values ("int 0x40000000 = 1, 2"); empty for a
// format without a type word.
std::string MemWriteCommand(int format, const std::string& address, const std::string& values);
// The entry dialog's title and example.
std::string MemEntryTitle(int format, const std::string& address);
const char* MemEntryExample(int format);

}  // namespace pm2
