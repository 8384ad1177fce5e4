#include "editor/options/sheet_rules.h"

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
    {"Editor C files", kFtRecCFiles},
    {"Editor C++ files", kFtRecCFiles},
    {"Editor Asm files", kFtRecAsmPage},
    {"Editor default files", kFtRecDefault},
};
const int kEditorWindowKindCount = int(sizeof kEditorWindowKinds / sizeof kEditorWindowKinds[0]);

}  // namespace pm2
