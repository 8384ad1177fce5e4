// How a short-lived cell editor (an edit, a spin edit or a list placed
// over one cell of a grid or tree) starts and ends, without a window: the
// end record and the key rules. The widgets (inplace_edit.h) follow what
// these functions say.
//
// Keys are Windows virtual-key codes: 1 stands for "started with the
// mouse", 8 Backspace, 9 Tab, 13 Enter, 27 Escape, 32 Space, 33..40 the
// page, end, home and arrow keys.
#pragma once

#include <string>

namespace pm2 {

inline constexpr int kInPlaceMouse = 1;

// What decides how an edit ends.
struct InPlaceEndRecord {
  std::string startText;   // restored by Escape
  int endKey = 0;          // 0 until the edit ends: 13, 27, 9 or a navigation key
  int ignoreKey = 0;       // the key that started the edit, ignored once (1: mouse)
  bool navigationEnds = true;  // false when started with the mouse, and for lists
  bool ended = false;
};

// What the editor does with its start key.
enum class InPlaceStart {
  SelectAll,            // select the whole text, caret in view
  SelectAllPassKey,     // select the whole text and type the key (it replaces the text)
  CaretAtEndPassKey,    // caret after the text, then the key is typed (Backspace)
};

// Sets up the record for an edit started with `key`; `list` for a list.
InPlaceEndRecord StartInPlace(const std::string& text, int key, bool list);
InPlaceStart StartAction(int key, bool list);

// What a key does.
enum class InPlaceKey {
  Pass,          // the editor handles it itself
  End,           // the edit ends with record.endKey
  Swallow,       // taken and dropped (the start key's own release)
};

// Key down: navigation keys end the edit when the record says so or Ctrl
// is held; Escape restores the start text and ends with 27; Enter ends
// with 13 unless it is the ignore-once key.
InPlaceKey InPlaceKeyDown(InPlaceEndRecord& r, int key, bool ctrl, bool list);
// Key up of Tab, Enter or Escape: ends with that key unless it is the
// ignore-once key, which is then cleared (and the release swallowed).
InPlaceKey InPlaceKeyUp(InPlaceEndRecord& r, int key);
// The text the edit ends with (the start text after Escape).
std::string InPlaceFinalText(const InPlaceEndRecord& r, const std::string& current);

}  // namespace pm2
