// The editor configuration sheet's rules without a window: which check box
// and spin box edit which bit of which file-type record, the sixteen
// colours of the colour combo, the font sizes offered, the points <->
// font-height conversion at a screen's pixels per inch, and the elements
// (colours) of each editor window kind of the colours-and-fonts page, and
// the IDE's other windows the page sets in the shared window settings.
#pragma once

#include <cstdint>
#include <string>

#include "toolkit/core/window_fonts.h"
#include "editor/options/file_type_settings.h"

namespace pm2 {

// One control of the editor options page: a check box for one bit of a
// record's settings word, or (bit 0) the spin box of its tab size.
struct EditorOptionControl {
  int id;          // control id on the page
  int record;      // kFtRecCFiles, kFtRecAsmPage or kFtRecDefault
  uint32_t bit;    // 0: the tab size (1 to 16)
  const char* label;
};
extern const EditorOptionControl kEditorOptionControls[];
extern const int kEditorOptionControlCount;

// Reads a control's value from its record (0/1, or the tab size) and
// stores it back; a tab size outside 0..65535 leaves the byte unchanged.
int EditorOptionValue(const EditorTypeSettings& all, const EditorOptionControl& c);
void SetEditorOptionValue(EditorTypeSettings& all, const EditorOptionControl& c, int value);

// The colour combo's entries, 0x00BBGGRR.
constexpr int kComboColours = 16;
extern const uint32_t kComboColourTable[kComboColours];
// The table colour of an index (black outside 0..15); the index of a colour (-1 when not in the table).
uint32_t ComboColourAt(int index);
int ComboColourIndex(uint32_t colour);

// Font sizes of the size combo, in points.
extern const int kFontSizes[16];

// Windows' MulDiv: a * b / c rounded to the nearest, halves away from 0.
int MulDiv(int a, int b, int c);
// -(points x ppi / 72) and back.
int FontHeightOfPoints(int points, int pixelsPerInch);
int PointsOfFontHeight(int height, int pixelsPerInch);

// The elements of an editor window kind: a colour of its record.
struct ColourElement {
  const char* name;
  uint32_t EditFileTypeSettings::*colour;
  bool background;
};
extern const ColourElement kEditorColourElements[];
extern const int kEditorColourElementCount;

// The editor window kinds of the page and the record each one edits (the
// C++ files take the C files' settings), and the file kind whose profile
// section holds its colours (0: the other files').
struct EditorWindowKind {
  const char* name;
  int record;
  int fileKind;
};
extern const EditorWindowKind kEditorWindowKinds[];
extern const int kEditorWindowKindCount;
// The profile section of a kind's colours for a toolset ("Editor\CArmC");
// "" when the toolset has none (no project: no assembler section).
std::string EditorKindSection(const EditorWindowKind& kind, int toolset);

// The page's other windows, listed after the editor kinds: each with the
// font of the window settings its elements share, whether the face list
// offers fixed-pitch faces only, and its elements. An element without a
// colour sets the font only; a background element is shown behind the
// sample text (the kind's first one is its window's background).
struct WindowSettingsElement {
  const char* name;
  uint32_t* (*colour)(WindowFonts&);  // null: no colour
  bool background;
};
struct WindowSettingsKind {
  const char* name;
  WindowFont* (*font)(WindowFonts&);
  bool fixedPitch;
  const WindowSettingsElement* elements;
  int count;
};
extern const WindowSettingsKind kWindowSettingsKinds[];
extern const int kWindowSettingsKindCount;

// The colours and fonts of a new record; placements and the tool box stay.
void RestoreWindowColoursAndFonts(WindowFonts& w);

}  // namespace pm2
