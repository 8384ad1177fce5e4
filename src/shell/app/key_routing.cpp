#include "shell/app/key_routing.h"

#include "project/environment/environment.h"
#include "project/environment/environment_lines.h"

namespace pm2 {

namespace {

constexpr int kToolsetWithoutLookup = 4;

bool IsSourceKind(int kind) { return kind == 1 || kind == 2; }

}  // namespace

KeyAction RouteKey(const KeyRoutingContext& c) {
  if (c.key == RoutedKey::Escape)
    return c.inEscapeParent && c.hasActiveView ? KeyAction::FocusActiveView : KeyAction::PassOn;
  if (c.key != RoutedKey::F1) return KeyAction::PassOn;
  if (c.commandWindowFocus) return KeyAction::CommandLineHelp;
  if (c.editorFocus && IsSourceKind(c.editorFileKind) && !c.wordAtCaret.empty() &&
      c.wordAtCaret.size() <= kHelpWordMax && c.toolset < kToolsetWithoutLookup)
    return KeyAction::BookHelp;
  return KeyAction::Consume;
}

std::string BookForWord(const ToolsetInfo* family, int toolset, int editorFileKind) {
  if (!family || toolset < 0 || toolset >= kToolsetWithoutLookup || !IsSourceKind(editorFileKind))
    return std::string();
  const int wanted = editorFileKind == 1 ? kBookC : kBookAsm;
  for (const EnvBook& book : family->books)
    if (book.kind == wanted) return book.path;
  return std::string();
}

}  // namespace pm2
