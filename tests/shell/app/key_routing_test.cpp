// Esc and F1 before any window sees them; the manual F1 looks a word up in.
#include <gtest/gtest.h>

#include "project/environment/environment.h"
#include "project/environment/environment_lines.h"
#include "shell/app/key_routing.h"

namespace pm2 {
namespace {

struct KeyRow {
  const char* name;
  KeyRoutingContext context;
  KeyAction action;
};

KeyRoutingContext F1(bool command, bool editor, int kind, std::string word, int toolset = 3) {
  KeyRoutingContext c;
  c.key = RoutedKey::F1;
  c.commandWindowFocus = command;
  c.editorFocus = editor;
  c.editorFileKind = kind;
  c.wordAtCaret = std::move(word);
  c.toolset = toolset;
  return c;
}

KeyRoutingContext Esc(bool inParent, bool view) {
  KeyRoutingContext c;
  c.key = RoutedKey::Escape;
  c.inEscapeParent = inParent;
  c.hasActiveView = view;
  return c;
}

class KeyRouting : public ::testing::TestWithParam<KeyRow> {};

TEST_P(KeyRouting, Decides) { EXPECT_EQ(RouteKey(GetParam().context), GetParam().action); }

INSTANTIATE_TEST_SUITE_P(
    Rows, KeyRouting,
    ::testing::Values(
        KeyRow{"EscInBarWithView", Esc(true, true), KeyAction::FocusActiveView},
        KeyRow{"EscInBarWithoutView", Esc(true, false), KeyAction::PassOn},
        KeyRow{"EscElsewhere", Esc(false, true), KeyAction::PassOn},
        KeyRow{"F1InCommandWindow", F1(true, false, 0, ""), KeyAction::CommandLineHelp},
        KeyRow{"F1OnCWord", F1(false, true, 1, "printf"), KeyAction::BookHelp},
        KeyRow{"F1OnAsmWord", F1(false, true, 2, "MOV"), KeyAction::BookHelp},
        KeyRow{"F1InTextFile", F1(false, true, 5, "word"), KeyAction::Consume},
        KeyRow{"F1WithoutWord", F1(false, true, 1, ""), KeyAction::Consume},
        KeyRow{"F1OnOverlongWord", F1(false, true, 1, std::string(129, 'w')), KeyAction::Consume},
        KeyRow{"F1ForAdsTarget", F1(false, true, 1, "printf", 4), KeyAction::Consume},
        KeyRow{"F1WithoutTarget", F1(false, true, 1, "printf", 100), KeyAction::Consume},
        KeyRow{"F1Elsewhere", F1(false, false, 0, ""), KeyAction::Consume},
        KeyRow{"OtherKey", KeyRoutingContext{}, KeyAction::PassOn}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(BookForWordTest, TakesTheFirstManualOfTheFileKind) {
  ToolsetInfo family;
  family.books = {{"/k/gen.chm", "General", kBookGeneral},
                  {"/k/asm.chm", "Assembler", kBookAsm},
                  {"/k/c1.chm", "Compiler", kBookC},
                  {"/k/c2.chm", "Compiler 2", kBookC}};
  EXPECT_EQ(BookForWord(&family, 3, 1), "/k/c1.chm");
  EXPECT_EQ(BookForWord(&family, 3, 2), "/k/asm.chm");
  EXPECT_EQ(BookForWord(&family, 4, 1), "");
  EXPECT_EQ(BookForWord(nullptr, 3, 1), "");
  family.books.resize(1);
  EXPECT_EQ(BookForWord(&family, 0, 1), "");
}

}  // namespace
}  // namespace pm2
