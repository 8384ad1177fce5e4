// The shared window settings record: its stored layout, defaults and the
// fields a damaged record keeps at their defaults.
#include <gtest/gtest.h>

#include <functional>

#include "toolkit/core/window_fonts.h"

namespace pm2 {
namespace {

uint32_t U32At(const std::string& b, std::size_t at) {
  uint32_t v = 0;
  for (int i = 0; i < 4; ++i) v |= uint32_t(uint8_t(b[at + std::size_t(i)])) << (8 * i);
  return v;
}

void PutU32(std::string& b, std::size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + std::size_t(i)] = char((v >> (8 * i)) & 0xFF);
}

// One field set to a mark, and where the mark must land.
struct LayoutRow {
  const char* name;
  std::function<void(WindowFonts&)> set;
  std::size_t offset;
  uint32_t value;
};

const LayoutRow kLayoutRows[] = {
    {"CommandFontHeight", [](WindowFonts& w) { w.command.height = -17; }, 0, uint32_t(-17)},
    {"CommandFontWeight", [](WindowFonts& w) { w.command.weight = 700; }, 16, 700},
    {"DisassemblyFontHeight", [](WindowFonts& w) { w.disassembly.height = -21; }, 60, uint32_t(-21)},
    {"MemoryFontHeight", [](WindowFonts& w) { w.memory.height = 15; }, 120, 15},
    {"AnalyserFontWeight", [](WindowFonts& w) { w.analyser.weight = 600; }, 196, 600},
    {"OutputFontHeight", [](WindowFonts& w) { w.output.height = -11; }, 240, uint32_t(-11)},
    {"Serial1PlacementLength", [](WindowFonts& w) { w.serial[0].placement.length = 44; }, 300, 44},
    {"Serial1PlacementRight", [](WindowFonts& w) { w.serial[0].placement.right = 640; }, 300 + 36, 640},
    {"Serial1FontHeight", [](WindowFonts& w) { w.serial[0].font.height = -19; }, 344, uint32_t(-19)},
    {"Serial1Text", [](WindowFonts& w) { w.serial[0].text = 0x0000FF; }, 404, 0x0000FF},
    {"Serial1Background", [](WindowFonts& w) { w.serial[0].background = 0x00FFFF; }, 408, 0x00FFFF},
    {"Serial2PlacementLength", [](WindowFonts& w) { w.serial[1].placement.length = 44; }, 412, 44},
    {"Serial3Background", [](WindowFonts& w) { w.serial[2].background = 0x808000; }, 632, 0x808000},
    {"DisassemblyCursorBack", [](WindowFonts& w) { w.disassemblyColours[kDisCursorBack] = 0x123456; }, 636,
     0x123456},
    {"DisassemblyCodeText", [](WindowFonts& w) { w.disassemblyColours[kDisCodeText] = 0x654321; }, 652, 0x654321},
    {"MemoryText", [](WindowFonts& w) { w.memoryText = 0x000080; }, 656, 0x000080},
    {"MemoryBackground", [](WindowFonts& w) { w.memoryBackground = 0xC0C0C0; }, 660, 0xC0C0C0},
    {"AnalyserText", [](WindowFonts& w) { w.analyserColours[kPaText] = 0x008000; }, 664, 0x008000},
    {"AnalyserSelectedBack", [](WindowFonts& w) { w.analyserColours[kPaSelectedBack] = 0x800080; }, 676, 0x800080},
    {"FuncEditorPlacement", [](WindowFonts& w) { w.funcEditor.length = 44; }, 680, 44},
    {"InlineAsmShowState", [](WindowFonts& w) { w.inlineAsm.showCmd = 3; }, 732, 3},
    {"SymbolsLeft", [](WindowFonts& w) { w.symbols.left = 77; }, 796, 77},
    {"DisassemblyFrameBottom", [](WindowFonts& w) { w.disassemblyFrame.bottom = 900; }, 852, 900},
    {"AnalyserFramePlacement", [](WindowFonts& w) { w.analyserFrame.length = 44; }, 856, 44},
    {"ToolBoxLeft", [](WindowFonts& w) { w.toolBox.left = -5; }, 900, uint32_t(-5)},
    {"ToolBoxBottom", [](WindowFonts& w) { w.toolBox.bottom = 480; }, 912, 480},
};

TEST(WindowFontsRecord, EachFieldLandsAtItsOffset) {
  for (const LayoutRow& row : kLayoutRows) {
    SCOPED_TRACE(row.name);
    WindowFonts w;
    row.set(w);
    const std::string bytes = EncodeWindowFontsRecord(w);
    ASSERT_EQ(bytes.size(), kWindowFontsBytes);
    EXPECT_EQ(U32At(bytes, row.offset), row.value);
    // The field comes back as it went, and nothing else changed with it.
    EXPECT_EQ(DecodeWindowFontsRecord(bytes), w);
    EXPECT_NE(U32At(EncodeWindowFontsRecord(WindowFonts{}), row.offset), row.value) << "the mark is a default";
  }
}

TEST(WindowFontsRecord, FaceNameSitsAfterTheNumbersAndIsCutAt31) {
  WindowFonts w;
  w.memory.SetFace("DejaVu Sans Mono");
  w.serial[1].font.SetFace(std::string(40, 'x'));
  const std::string bytes = EncodeWindowFontsRecord(w);
  EXPECT_EQ(bytes.substr(120 + 28, 16), "DejaVu Sans Mono");
  EXPECT_EQ(bytes[120 + 28 + 16], '\0');
  const WindowFonts back = DecodeWindowFontsRecord(bytes);
  EXPECT_EQ(back.memory.Face(), "DejaVu Sans Mono");
  EXPECT_EQ(back.serial[1].font.Face(), std::string(31, 'x'));
}

TEST(WindowFontsRecord, AFaceWithoutItsNulEndsAt31Characters) {
  std::string bytes = EncodeWindowFontsRecord(WindowFonts{});
  for (std::size_t i = 0; i < 32; ++i) bytes[28 + i] = 'F';
  EXPECT_EQ(DecodeWindowFontsRecord(bytes).command.Face(), std::string(31, 'F'));
}

TEST(WindowFontsRecord, DefaultsOfANewRecord) {
  // Bytes of any length but the record's: the profile had none.
  for (std::size_t length : {std::size_t(0), kWindowFontsBytes - 1, kWindowFontsBytes + 1}) {
    SCOPED_TRACE(length);
    const WindowFonts w = DecodeWindowFontsRecord(std::string(length, '\x7F'));
    EXPECT_EQ(w.disassemblyColours[kDisCursorBack], Rgb(255, 255, 0));
    EXPECT_EQ(w.disassemblyColours[kDisTraceBack], Rgb(192, 192, 192));
    EXPECT_EQ(w.disassemblyColours[kDisBack], Rgb(255, 255, 255));
    EXPECT_EQ(w.disassemblyColours[kDisSourceText], Rgb(128, 0, 0));
    EXPECT_EQ(w.disassemblyColours[kDisCodeText], Rgb(0, 0, 0));
    EXPECT_EQ(w.memoryBackground, Rgb(255, 255, 255));
    EXPECT_EQ(w.memoryText, Rgb(0, 0, 0));
    EXPECT_EQ(w.analyserColours[kPaBar], Rgb(0, 0, 128));
    EXPECT_EQ(w.analyserColours[kPaSelectedBack], Rgb(0, 0, 125));
    for (const SerialWindowBlock& b : w.serial) {
      EXPECT_EQ(b.text, Rgb(0, 0, 0));
      EXPECT_EQ(b.background, Rgb(255, 255, 255));
      EXPECT_FALSE(b.placement.Valid());
    }
    EXPECT_FALSE(w.command.IsSet());
    EXPECT_EQ(w.command.pitchAndFamily, kFixedPitchModern);
    EXPECT_TRUE(w.toolBox.Empty());
  }
}

// A damaged field keeps its default; its neighbours are taken.
struct DamageRow {
  const char* name;
  std::size_t offset;
  uint32_t value;
  std::function<bool(const WindowFonts&)> keptDefault;
};

const DamageRow kDamageRows[] = {
    {"ColourWithTopByte", 636, 0xFF00FF00,
     [](const WindowFonts& w) { return w.disassemblyColours[0] == Rgb(255, 255, 0); }},
    {"SerialTextWithTopByte", 404, 0x01000000, [](const WindowFonts& w) { return w.serial[0].text == 0; }},
    {"FontTooHigh", 60, 5000, [](const WindowFonts& w) { return !w.disassembly.IsSet(); }},
    {"FontTooLow", 60, uint32_t(-5000), [](const WindowFonts& w) { return !w.disassembly.IsSet(); }},
    {"NegativeWeight", 16, uint32_t(-1), [](const WindowFonts& w) { return w.command.weight == 400; }},
};

TEST(WindowFontsRecord, DamagedFieldsKeepTheirDefaults) {
  for (const DamageRow& row : kDamageRows) {
    SCOPED_TRACE(row.name);
    WindowFonts good;
    good.memoryText = 0x0000FF;  // a neighbour that must survive
    good.disassembly.SetFace("Mono");
    std::string bytes = EncodeWindowFontsRecord(good);
    PutU32(bytes, row.offset, row.value);
    const WindowFonts back = DecodeWindowFontsRecord(bytes);
    EXPECT_TRUE(row.keptDefault(back));
    EXPECT_EQ(back.memoryText, 0x0000FFu);
  }
}

struct PlacementRow {
  const char* name;
  SettingsPlacement p;
  bool valid;
};

TEST(WindowFontsRecord, PlacementValidOnlyWithLength44AndARectangle) {
  const PlacementRow rows[] = {
      {"Valid", {44, 0, 1, 0, 0, 0, 0, 10, 20, 300, 200}, true},
      {"NeverStored", {0, 0, 1, 0, 0, 0, 0, 10, 20, 300, 200}, false},
      {"OtherLength", {40, 0, 1, 0, 0, 0, 0, 10, 20, 300, 200}, false},
      {"EmptyRectangle", {44, 0, 1, 0, 0, 0, 0, 10, 20, 10, 200}, false},
  };
  for (const PlacementRow& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(row.p.Valid(), row.valid);
  }
}

TEST(WindowFontsRecord, ReservedBytesSurviveARoundTrip) {
  std::string bytes = EncodeWindowFontsRecord(WindowFonts{});
  for (std::size_t i = 916; i < kWindowFontsBytes; ++i) bytes[i] = char(i & 0xFF);
  EXPECT_EQ(EncodeWindowFontsRecord(DecodeWindowFontsRecord(bytes)), bytes);
}

}  // namespace
}  // namespace pm2
