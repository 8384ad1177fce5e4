// The shared window settings: fonts, colours and placements of the IDE's
// windows other than the editors (command, disassembly, memory, analyser,
// output and serial windows, and the debug dialogs). One record in the
// program, stored in profile section "MFrame" under "Dbg" as 1048 bytes
// (the frame's settings carry the bytes; this file owns their layout).
//
// Stored layout, little-endian, every field 32 bits unless said otherwise:
//
//   offset  size  what
//        0    60  command window font (both its fonts)
//       60    60  disassembly window font
//      120    60  memory window font
//      180    60  performance analyser font
//      240    60  build output window font
//      300   112  serial window #1 block: placement (44), font (60), text colour, background colour
//      412   112  serial window #2 block
//      524   112  serial window #3 block
//      636    20  disassembly colours 0..4: cursor line background, trace lines background,
//                 background, text of source lines, text of code lines
//      656     8  memory window text, background
//      664    16  analyser text, background, bar, selected name background
//      680    44  placement of the debug-function editor
//      724    44  placement of the inline assembler
//      768    44  placement of the symbols dialog
//      812    44  placement of the disassembly frame
//      856    44  placement of the analyser frame
//      900    16  tool box rectangle: left, top, right, bottom (screen coordinates)
//      916   132  reserved: kept as read, zero in a new record
//
// A font entry (60 bytes): height, width, escapement, orientation, weight;
// then the bytes italic, underline, strike-out, character set, output
// precision, clip precision, quality, pitch and family; then the face name
// (32 bytes, NUL-padded). Height 0 with an empty face means "the window's
// own fixed-pitch font". A negative height is the character height in
// pixels, a positive one the cell height.
//
// A placement (44 bytes): length (44 when the placement is valid), flags,
// show state (1 normal, 2 minimised, 3 maximised), minimised position
// (x, y), maximised position (x, y), normal rectangle (left, top, right,
// bottom).
//
// Colours are 0x00BBGGRR. Bytes of any other length give the defaults; a
// field that cannot be meant (a colour with its top byte set, a font height
// or weight out of range) keeps its default, the rest of the record stays.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace pm2 {

inline constexpr std::size_t kWindowFontsBytes = 1048;
inline constexpr std::size_t kWindowFontEntryBytes = 60;
inline constexpr std::size_t kSettingsPlacementBytes = 44;
inline constexpr std::size_t kSerialBlockBytes = 112;
inline constexpr std::size_t kWindowFontsReservedBytes = 132;
inline constexpr uint8_t kFixedPitchModern = 0x31;  // fixed pitch, modern family

constexpr uint32_t Rgb(uint32_t r, uint32_t g, uint32_t b) { return r | (g << 8) | (b << 16); }

struct WindowFont {
  int32_t height = 0;
  int32_t width = 0;
  int32_t escapement = 0;
  int32_t orientation = 0;
  int32_t weight = 400;
  uint8_t italic = 0, underline = 0, strikeOut = 0, charSet = 0;
  uint8_t outPrecision = 0, clipPrecision = 0, quality = 0, pitchAndFamily = kFixedPitchModern;
  char faceName[32] = {};

  // The face up to its NUL (at most 31 characters are kept).
  std::string Face() const;
  void SetFace(std::string_view face);
  // Set by the user: a face, or a height.
  bool IsSet() const { return height != 0 || faceName[0] != 0; }
  friend bool operator==(const WindowFont&, const WindowFont&) = default;
};

struct SettingsPlacement {
  uint32_t length = 0;  // 44 when valid
  uint32_t flags = 0;
  uint32_t showCmd = 1;
  int32_t minX = 0, minY = 0, maxX = 0, maxY = 0;
  int32_t left = 0, top = 0, right = 0, bottom = 0;
  bool Valid() const { return length == kSettingsPlacementBytes && right > left && bottom > top; }
  friend bool operator==(const SettingsPlacement&, const SettingsPlacement&) = default;
};

struct SerialWindowBlock {
  SettingsPlacement placement;
  WindowFont font;
  uint32_t text = Rgb(0, 0, 0);
  uint32_t background = Rgb(255, 255, 255);
  friend bool operator==(const SerialWindowBlock&, const SerialWindowBlock&) = default;
};

struct ScreenRect {
  int32_t left = 0, top = 0, right = 0, bottom = 0;
  bool Empty() const { return right <= left || bottom <= top; }
  friend bool operator==(const ScreenRect&, const ScreenRect&) = default;
};

enum DisasmColour { kDisCursorBack = 0, kDisTraceBack, kDisBack, kDisSourceText, kDisCodeText, kDisColours };
enum AnalyserColour { kPaText = 0, kPaBack, kPaBar, kPaSelectedBack, kPaColours };

struct WindowFonts {
  WindowFont command, disassembly, memory, analyser, output;
  std::array<SerialWindowBlock, 3> serial{};
  std::array<uint32_t, kDisColours> disassemblyColours{Rgb(255, 255, 0), Rgb(192, 192, 192), Rgb(255, 255, 255),
                                                       Rgb(128, 0, 0), Rgb(0, 0, 0)};
  uint32_t memoryText = Rgb(0, 0, 0);
  uint32_t memoryBackground = Rgb(255, 255, 255);
  std::array<uint32_t, kPaColours> analyserColours{Rgb(0, 0, 0), Rgb(255, 255, 255), Rgb(0, 0, 128), Rgb(0, 0, 125)};
  SettingsPlacement funcEditor, inlineAsm, symbols, disassemblyFrame, analyserFrame;
  ScreenRect toolBox;
  std::array<uint8_t, kWindowFontsReservedBytes> reserved{};
  friend bool operator==(const WindowFonts&, const WindowFonts&) = default;
};

// The 1048 stored bytes of a record, and back. Decoding bytes of another
// length (the profile had none) gives the defaults.
std::string EncodeWindowFontsRecord(const WindowFonts& w);
WindowFonts DecodeWindowFontsRecord(std::string_view bytes);

}  // namespace pm2
