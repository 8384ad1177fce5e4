// The GDB driver's listing (gdb's mixed source and assembly parsed, walked
// across chunks both ways), its command syntax, and the memory window's
// typed writes as gdb assignments.
#include <gtest/gtest.h>

#include "debugger/gdb/commands/gdb_commands.h"
#include "debugger/gdb/records/gdb_listing.h"
#include "debugger/gdb/mi/mi_parser.h"
#include "debugger/model/syntax_help.h"

namespace pm2::gdb {
namespace {

TEST(GdbListing, MixedModeAnswerGivesSourceLinesBetween) {
  const MiRecord r = ParseMiLine(
      "^done,asm_insns=[src_and_asm_line={line=\"10\",file=\"Blinky.c\",fullname=\"/x/Blinky.c\","
      "line_asm_insn=[{address=\"0x000000b4\",func-name=\"main\",offset=\"0\",inst=\"push {r7, lr}\"},"
      "{address=\"0x000000b6\",func-name=\"main\",offset=\"2\",inst=\"add r7, sp, #0\"}]},"
      "src_and_asm_line={line=\"11\",file=\"Blinky.c\",fullname=\"/x/Blinky.c\",line_asm_insn=[]},"
      "src_and_asm_line={line=\"12\",file=\"Blinky.c\",fullname=\"/x/Blinky.c\","
      "line_asm_insn=[{address=\"0x000000b8\",inst=\"movs r3, #0\"}]}]");
  ASSERT_EQ(r.kind, MiKind::Result);
  const MiValue* insns = r.results.Find("asm_insns");
  ASSERT_NE(insns, nullptr);
  auto source = [](const std::string& file, int line) { return file + ":" + std::to_string(line); };
  const std::vector<ListingLine> lines = ParseListing(*insns, source);
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[0].kind, kDisasmSource);
  EXPECT_EQ(lines[0].text, "   10: /x/Blinky.c:10");
  EXPECT_EQ(lines[0].address, 0xB4u);
  EXPECT_EQ(lines[1].text, "0x000000B4  push {r7, lr}");
  EXPECT_EQ(lines[3].kind, kDisasmSource);  // line 11 has no code: left out
  EXPECT_EQ(lines[3].line, 12u);
  EXPECT_EQ(lines[4].address, 0xB8u);
}

TEST(GdbListing, AssemblyOnlyAnswer) {
  const MiRecord r = ParseMiLine("^done,asm_insns=[{address=\"0x00000000\",inst=\"b 0x40\"}]");
  const std::vector<ListingLine> lines = ParseListing(*r.results.Find("asm_insns"), nullptr);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].kind, kDisasmCode);
}

// Chunks of a program of 2-byte instructions from 0 to 0x800, a source line
// every eight bytes.
std::vector<ListingLine> Program(uint32_t from, uint32_t to) {
  std::vector<ListingLine> out;
  for (uint32_t a = from; a < std::min<uint32_t>(to, 0x800); a += 2) {
    if (a % 8 == 0) out.push_back({kDisasmSource, a, a / 8 + 1, "src"});
    out.push_back({kDisasmCode, a, 0, "insn " + std::to_string(a)});
  }
  return out;
}

TEST(GdbListing, WalksAcrossChunksBothWays) {
  int fetches = 0;
  GdbListing listing([&](uint32_t from, uint32_t to) {
    ++fetches;
    return Program(from, to);
  });
  DisasmLine l{};
  listing.Next(&l, 0x1FC);
  ASSERT_EQ(l.kind, kDisasmCode);
  EXPECT_EQ(l.address, 0x1FCu);
  EXPECT_TRUE(l.state & kDisasmAsked);
  EXPECT_EQ(listing.Text(l), "insn 508");
  // Forward past the chunk's end into the next one.
  for (int i = 0; i < 3; ++i) listing.Next(&l, 0);
  EXPECT_EQ(l.address, 0x200u);
  EXPECT_EQ(l.kind, kDisasmCode);
  // Back again past its start.
  for (int i = 0; i < 3; ++i) listing.Prev(&l);
  EXPECT_EQ(l.address, 0x1FCu);
  EXPECT_EQ(listing.Text(l), "insn 508");
  // At the end of the program: the end marker.
  DisasmLine end{};
  listing.Next(&end, 0x7FE);
  listing.Next(&end, 0);
  EXPECT_EQ(end.kind, kDisasmEnd);
  // Before address 0: the end marker.
  DisasmLine first{};
  listing.Next(&first, 0);
  listing.Prev(&first);
  EXPECT_EQ(first.kind, kDisasmSource);
  listing.Prev(&first);
  EXPECT_EQ(first.kind, kDisasmEnd);
  EXPECT_GT(fetches, 2);
}

// Code written into the target (the inline assembler): a line the window
// holds is disassembled again after the listing forgot its chunk.
TEST(GdbListing, ALineHeldByTheWindowIsReadAgainAfterForget) {
  std::string shown = "insn";
  GdbListing listing([&](uint32_t from, uint32_t to) {
    std::vector<ListingLine> lines;
    for (uint32_t a = from; a < to; a += 4) lines.push_back({kDisasmCode, a, 0, shown + " " + std::to_string(a)});
    return lines;
  });
  DisasmLine l{};
  listing.Next(&l, 0x100);
  ASSERT_EQ(listing.Text(l), "insn 256");
  shown = "mov r0, #1";
  listing.Forget();
  EXPECT_EQ(listing.Text(l), "mov r0, #1 256");
  DisasmLine next = l;
  listing.Next(&next, 0);
  EXPECT_EQ(next.kind, kDisasmCode);
  EXPECT_EQ(next.address, 0x104u);
}

TEST(GdbListing, RefreshMarksThePcAndBreakpoints) {
  GdbListing listing(Program);
  DisasmLine l{};
  listing.Next(&l, 0x10);
  listing.Refresh(&l, 0x10, true);
  EXPECT_TRUE(l.state & kDisasmPc);
  listing.Refresh(&l, 0x12, false);
  EXPECT_FALSE(l.state & kDisasmPc);
}

struct WriteRow {
  const char* name;
  std::string text;
  bool ok;
  std::vector<std::string> assignments;
};
class GdbTypedWrite : public ::testing::TestWithParam<WriteRow> {};
TEST_P(GdbTypedWrite, Assignments) {
  std::vector<std::string> out;
  EXPECT_EQ(TypedWriteAssignments(GetParam().text, &out), GetParam().ok);
  EXPECT_EQ(out, GetParam().assignments);
}
INSTANTIATE_TEST_SUITE_P(
    Rows, GdbTypedWrite,
    ::testing::Values(
        WriteRow{"Ints", "int 0x40000000 = 1, -2", true,
                 {"*(((int*)(0x40000000)) + 0) = 1", "*(((int*)(0x40000000)) + 1) = -2"}},
        WriteRow{"TwoWordType", "unsigned short 0x10 = 7", true, {"*(((unsigned short*)(0x10)) + 0) = 7"}},
        WriteRow{"QuotedText", "char 0x10 = \"Hi\", 'a'", true,
                 {"*(((char*)(0x10)) + 0) = 72", "*(((char*)(0x10)) + 1) = 105", "*(((char*)(0x10)) + 2) = 'a'"}},
        WriteRow{"PlainAssignment", "counter = 5", false, {}},
        WriteRow{"NoValues", "int 0x10 = ", false, {}},
        WriteRow{"TextLeftOpen", "char 0x10 = \"abc", false, {}},
        WriteRow{"CharacterLeftOpen", "char 0x10 = 1, 'a", false, {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(GdbSyntax, HelpListsTheCommandsAndInfoItsItems) {
  SyntaxTableBuilder b;
  const GdbSyntax s = BuildGdbSyntax(b);
  SyntaxHelp help;
  help.SetHelpWidth(200);
  help.Install(s.fallback, s.fallback, s.root);
  const std::string all = help.Analyse("");
  EXPECT_NE(all.find("BS"), std::string::npos);
  EXPECT_NE(all.find("PRINT"), std::string::npos);
  EXPECT_EQ(help.Analyse("INFO "), "REGISTERS BREAKPOINTS FRAME LOCALS");
  EXPECT_EQ(help.Analyse("PRINT "), "<expression>");
  EXPECT_EQ(help.Complete("BACK"), "trace");
}

// Lines typed key by key on the command page: a blank goes through the
// completion, as the command edit does, every other key is itself. An
// abbreviation is completed; the arguments of a word stay as typed.
struct TypedRow {
  const char* name;
  std::string keys;
  std::string line;
};

void PrintTo(const TypedRow& row, std::ostream* out) { *out << row.name; }

class GdbCompletion : public ::testing::TestWithParam<TypedRow> {};

TEST_P(GdbCompletion, TypesOnlyTheRestOfTheAbbreviatedWord) {
  SyntaxTableBuilder b;
  const GdbSyntax s = BuildGdbSyntax(b);
  SyntaxHelp help;
  help.Install(s.fallback, s.fallback, s.root);
  std::string line;
  for (char key : GetParam().keys) line += key == ' ' ? help.Complete(line) : std::string(1, key);
  EXPECT_EQ(line, GetParam().line);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, GdbCompletion,
    ::testing::Values(TypedRow{"NumbersAfterAWordAlone", "delete 3 4 5", "delete 3 4 5"},
                      TypedRow{"WordsAfterAWordAlone", "backtrace 3 full", "backtrace 3 full"},
                      TypedRow{"LetterAfterAWordAlone", "next 2 x", "next 2 x"},
                      TypedRow{"BlankAfterAWordAlone", "next  ", "next  "},
                      TypedRow{"ExpressionAfterGoAndComma", "g, main", "g, main"},
                      TypedRow{"ArgumentAfterAnInfoItem", "info registers r0 r1", "info registers r0 r1"},
                      TypedRow{"ArgumentLikeTheWord", "DELETE D ", "DELETE D "},
                      TypedRow{"BreakpointOnAHeaderLine", "bs LED.h:11", "bs LED.h:11"},
                      TypedRow{"AbbreviationThenBlank", "bac ", "backtrace"},
                      TypedRow{"InfoItemAbbreviated", "info reg ", "info registers"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace pm2::gdb
