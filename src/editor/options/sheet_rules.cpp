#include "editor/options/sheet_rules.h"

#include <cstddef>

namespace pm2 {

const EditorOptionControl kEditorOptionControls[] = {
    {1489, kFtRecCFiles, 0, "Tab size"},
    {1482, kFtRecCFiles, kFtBackupFiles, "Create backup files (*.BAK)"},
    {1483, kFtRecCFiles, kFtAutoIndent, "Auto indent"},
    {1484, kFtRecCFiles, kFtVirtualSpace, "Virtual spaces"},
    {1490, kFtRecCFiles, kFtAutoReload, "Reload files changed outside"},
    {1485, kFtRecCFiles, kFtColouring, "Syntax colouring"},
    {1486, kFtRecCFiles, kFtShowTabs, "View white space"},
    {1487, kFtRecCFiles, kFtTabsToBlanks, "Insert spaces for tabs"},
    {1499, kFtRecAsmPage, 0, "Tab size"},
    {1495, kFtRecAsmPage, kFtColouring, "Syntax colouring"},
    {1496, kFtRecAsmPage, kFtShowTabs, "View white space"},
    {1497, kFtRecAsmPage, kFtTabsToBlanks, "Insert spaces for tabs"},
    {1240, kFtRecDefault, 0, "Tab size"},
    {1194, kFtRecDefault, kFtColouring, "Syntax colouring"},
    {1011, kFtRecDefault, kFtShowTabs, "View white space"},
    {1196, kFtRecDefault, kFtTabsToBlanks, "Insert spaces for tabs"},
};
const int kEditorOptionControlCount = int(sizeof kEditorOptionControls / sizeof kEditorOptionControls[0]);

int EditorOptionValue(const EditorTypeSettings& all, const EditorOptionControl& c) {
  const EditFileTypeSettings& r = all[size_t(c.record)];
  return c.bit ? int((r.flags & c.bit) != 0) : r.TabSize();
}

void SetEditorOptionValue(EditorTypeSettings& all, const EditorOptionControl& c, int value) {
  EditFileTypeSettings& r = all[size_t(c.record)];
  if (c.bit) {
    r.flags = value ? (r.flags | c.bit) : (r.flags & ~c.bit);
  } else if (value >= 0 && value <= 65535) {
    r.flags = (r.flags & ~uint32_t(kFtTabSizeMask)) | (uint32_t(value) & kFtTabSizeMask);
  }
}

const uint32_t kComboColourTable[kComboColours] = {
    0x000000, 0x000080, 0x008000, 0x008080, 0x800000, 0x800080, 0x808000, 0xC0C0C0,
    0x808080, 0x0000FF, 0x00FF00, 0x00FFFF, 0xFF0000, 0xFF00FF, 0xFFFF00, 0xFFFFFF,
};

uint32_t ComboColourAt(int index) {
  return index >= 0 && index < kComboColours ? kComboColourTable[index] : kComboColourTable[0];
}

int ComboColourIndex(uint32_t colour) {
  for (int i = 0; i < kComboColours; ++i)
    if (kComboColourTable[i] == colour) return i;
  return -1;
}

const int kFontSizes[16] = {8, 9, 10, 11, 12, 13, 14, 15, 16, 18, 20, 22, 24, 28, 30, 36};

int MulDiv(int a, int b, int c) {
  if (c == 0) return -1;
  const long long p = (long long)a * b;
  const bool negative = (p < 0) != (c < 0);
  const long long n = p < 0 ? -p : p, d = c < 0 ? -(long long)c : c;
  const long long q = (n + d / 2) / d;
  return int(negative ? -q : q);
}

int FontHeightOfPoints(int points, int pixelsPerInch) { return -MulDiv(points, pixelsPerInch, 72); }
int PointsOfFontHeight(int height, int pixelsPerInch) { return -MulDiv(height, 72, pixelsPerInch); }

const ColourElement kEditorColourElements[] = {
    {"Text", &EditFileTypeSettings::crText, false},
    {"Keywords", &EditFileTypeSettings::crKeyword, false},
    {"Comments", &EditFileTypeSettings::crComment, false},
    {"Strings", &EditFileTypeSettings::crQuote, false},
    {"Characters", &EditFileTypeSettings::crSQuote, false},
    {"Background", &EditFileTypeSettings::crBackground, true},
};
const int kEditorColourElementCount = int(sizeof kEditorColourElements / sizeof kEditorColourElements[0]);

const EditorWindowKind kEditorWindowKinds[] = {
    {"Editor C files", kFtRecCFiles, kFileKindC},
    {"Editor C++ files", kFtRecCFiles, kFileKindCpp},
    {"Editor Asm files", kFtRecAsmPage, kFileKindAsm},
    {"Editor default files", kFtRecDefault, 0},
};
const int kEditorWindowKindCount = int(sizeof kEditorWindowKinds / sizeof kEditorWindowKinds[0]);

std::string EditorKindSection(const EditorWindowKind& kind, int toolset) {
  if (kind.fileKind == 0) return FileTypeSectionName(kind.record);
  int record = FileTypeRecordFor(toolset, kind.fileKind);
  if (record < 0 && kind.fileKind == kFileKindCpp) record = FileTypeRecordFor(toolset, kFileKindC);
  return FileTypeSectionName(record);
}

namespace {

const WindowSettingsElement kDisassemblyElements[] = {
    {"Text of Source Lines", [](WindowFonts& w) { return &w.disassemblyColours[kDisSourceText]; }, false},
    {"Text of Code Lines", [](WindowFonts& w) { return &w.disassemblyColours[kDisCodeText]; }, false},
    {"Background", [](WindowFonts& w) { return &w.disassemblyColours[kDisBack]; }, true},
    {"Current Line Background", [](WindowFonts& w) { return &w.disassemblyColours[kDisCursorBack]; }, true},
    {"Trace Lines Background", [](WindowFonts& w) { return &w.disassemblyColours[kDisTraceBack]; }, true},
};
const WindowSettingsElement kMemoryElements[] = {
    {"Text", [](WindowFonts& w) { return &w.memoryText; }, false},
    {"Background", [](WindowFonts& w) { return &w.memoryBackground; }, true},
};
const WindowSettingsElement kFontOnly[] = {{"Text", nullptr, false}};
template <int N>
const WindowSettingsElement kSerialElements[] = {
    {"Text", [](WindowFonts& w) { return &w.serial[N].text; }, false},
    {"Background", [](WindowFonts& w) { return &w.serial[N].background; }, true},
};

template <std::size_t N>
constexpr int Count(const WindowSettingsElement (&)[N]) {
  return int(N);
}

}  // namespace

const WindowSettingsKind kWindowSettingsKinds[] = {
    {"Disassembly Window", [](WindowFonts& w) { return &w.disassembly; }, true, kDisassemblyElements,
     Count(kDisassemblyElements)},
    {"Memory Window", [](WindowFonts& w) { return &w.memory; }, true, kMemoryElements, Count(kMemoryElements)},
    {"Debug Command Window", [](WindowFonts& w) { return &w.command; }, true, kFontOnly, Count(kFontOnly)},
    {"Build Output Window", [](WindowFonts& w) { return &w.output; }, false, kFontOnly, Count(kFontOnly)},
    {"Serial #1 Window", [](WindowFonts& w) { return &w.serial[0].font; }, true, kSerialElements<0>,
     Count(kSerialElements<0>)},
    {"Serial #2 Window", [](WindowFonts& w) { return &w.serial[1].font; }, true, kSerialElements<1>,
     Count(kSerialElements<1>)},
    {"Serial #3 Window", [](WindowFonts& w) { return &w.serial[2].font; }, true, kSerialElements<2>,
     Count(kSerialElements<2>)},
};
const int kWindowSettingsKindCount = int(sizeof kWindowSettingsKinds / sizeof kWindowSettingsKinds[0]);

void RestoreWindowColoursAndFonts(WindowFonts& w) {
  WindowFonts fresh;
  fresh.funcEditor = w.funcEditor;
  fresh.inlineAsm = w.inlineAsm;
  fresh.symbols = w.symbols;
  fresh.disassemblyFrame = w.disassemblyFrame;
  fresh.analyserFrame = w.analyserFrame;
  fresh.toolBox = w.toolBox;
  fresh.reserved = w.reserved;
  for (std::size_t i = 0; i < fresh.serial.size(); ++i) fresh.serial[i].placement = w.serial[i].placement;
  w = fresh;
}

}  // namespace pm2
