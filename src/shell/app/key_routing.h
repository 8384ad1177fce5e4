// What Esc and F1 mean before any window sees them (the application's
// message pre-translation): Esc in a child of the escape parent gives the
// focus back to the active view; F1 is always taken, and asks the command
// window's help for its command line, or the compiler or assembler manual
// for the word at an editor view's caret. Modeless dialogs take their own
// keys on this platform, so only these two keys are decided here.
#pragma once

#include <string>

namespace pm2 {

struct ToolsetInfo;

enum class KeyAction {
  PassOn,             // the key goes to its window as usual
  FocusActiveView,    // Esc: the active view takes the focus; the key is consumed
  CommandLineHelp,    // F1 in the command window
  BookHelp,           // F1 in a C or assembler editor view: look the word up
  Consume,            // F1 anywhere else: nothing happens, nothing is passed on
};

enum class RoutedKey { Escape, F1, Other };

struct KeyRoutingContext {
  RoutedKey key = RoutedKey::Other;
  bool inEscapeParent = false;  // the window's parent is the escape parent
  bool hasActiveView = false;   // the main frame has an active child with a view
  bool commandWindowFocus = false;  // state bit 0x200
  bool editorFocus = false;         // state bit 0x8000
  int editorFileKind = 0;           // 1 C file, 2 assembler file
  std::string wordAtCaret;
  int toolset = 100;                // the current target's toolset
};

// Words longer than this get no lookup.
inline constexpr std::size_t kHelpWordMax = 128;

KeyAction RouteKey(const KeyRoutingContext& context);

// The manual to look the word up in: the first book of the family record
// of kind 1 (C compiler) for a C file, 2 (assembler) for an assembler file;
// "" when there is none or the toolset has no lookup (4 and above).
std::string BookForWord(const ToolsetInfo* family, int toolset, int editorFileKind);

}  // namespace pm2
