// The right code under every address, on builds of the example for ARM
// and Thumb code, each also with a file added (which moves the debug
// sections' mapping marks over the code's addresses): the program file's
// marks say ARM, Thumb or data for each instruction as the disassembler
// does, the inline assembler writes a Thumb instruction over Thumb code,
// the symbols dialog names a struct's tag, and a watch row keeps its own
// commas and shows an array's own characters.
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "debugger/gdb/arm/arm_assembler.h"
#include "debugger/gdb/elf/elf_arm_code.h"
#include "debugger/model/symbols_mask.h"
#include "debugger/model/watch_format.h"
#include "debugger/model/watch_model.h"
#include "gdb_example_builds.h"

namespace pm2 {
// Named: the program's test files are compiled as one file in CI.
namespace gdb_code_marks_test {

const ExampleBuild kArm{"arm", false, false}, kThumb{"thumb", true, false}, kArmAdded{"armadded", false, true},
    kThumbAdded{"thumbadded", true, true};
const ExampleBuild kBuilds[] = {kArm, kThumb, kArmAdded, kThumbAdded};

// One line of the disassembler's listing of the program's code.
struct Listed {
  uint32_t address = 0;
  bool data = false;   // ".word", ".short", ".byte": a literal pool
  bool thumb = false;  // a 16-bit encoding, or two halfwords (a Thumb BL)
  std::string text;    // "bl\t30c <LED_Init>", ".word\t0x00000648"
};

// The code sections' instructions as arm-none-eabi-objdump lists them,
// `function` alone when given ("" every one).
std::vector<Listed> Disassembly(const std::string& elf, const std::string& function = "") {
  std::vector<Listed> out;
  std::string cmd = "arm-none-eabi-objdump -d ";
  if (!function.empty()) cmd += "--disassemble=" + function + " ";
  FILE* p = popen((cmd + "'" + elf + "' 2>/dev/null").c_str(), "r");
  if (!p) return out;
  char line[512];
  while (std::fgets(line, sizeof line, p)) {
    // "     1e4:\tb580      \tpush\t{r7, lr}"
    unsigned address = 0;
    char encoding[64] = {}, rest[256] = {};
    if (std::sscanf(line, " %x:\t%63[0-9a-f ]\t%255[^\n]", &address, encoding, rest) < 3) continue;
    std::string e = encoding;
    while (!e.empty() && e.back() == ' ') e.pop_back();
    Listed l;
    l.address = address;
    l.data = rest[0] == '.';
    l.thumb = !l.data && (e.size() == 4 || (e.size() == 9 && e[4] == ' '));
    l.text = rest;
    out.push_back(l);
  }
  pclose(p);
  return out;
}

class ElfArmCodeOfBuilds : public ::testing::TestWithParam<ExampleBuild> {};

// Every instruction of the program is code in its instruction set, and
// every literal pool word is data, as the disassembler reads the file: a
// mark of a debug section at the same number is no mark of the code.
TEST_P(ElfArmCodeOfBuilds, MarksEachInstructionAsTheDisassemblerDoes) {
  const std::string folder = ExampleBuildFolder(GetParam());
  if (folder.empty()) GTEST_SKIP() << "the example does not build so here";
  const std::string elf = folder + "Obj/Blinky.elf";
  const gdb::ElfArmCode code = gdb::ElfArmCode::FromFile(elf);
  const std::vector<Listed> listed = Disassembly(elf);
  ASSERT_GT(listed.size(), 50u);
  int wrong = 0;
  for (const Listed& l : listed) {
    const bool data = code.DataAt(l.address), thumb = code.ThumbAt(l.address);
    if (data == l.data && (l.data || thumb == l.thumb)) continue;
    if (++wrong <= 5)
      ADD_FAILURE() << std::hex << "0x" << l.address << ": listed " << (l.data ? "data" : l.thumb ? "Thumb" : "ARM")
                    << ", marked " << (data ? "data" : thumb ? "Thumb" : "ARM");
  }
  EXPECT_EQ(wrong, 0);
}

INSTANTIATE_TEST_SUITE_P(Builds, ElfArmCodeOfBuilds, ::testing::ValuesIn(kBuilds),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- the driver on the builds in qemu

class GdbBuildSession : public GdbSessionTest, public ::testing::WithParamInterface<ExampleBuild> {
 protected:
  void SetUp() override {
    GdbSessionTest::SetUp();
    if (IsSkipped()) return;
    folder = ExampleBuildFolder(GetParam());
    if (folder.empty()) GTEST_SKIP() << "the example does not build so here";
    project = MakeExampleProject(folder);
    app->State().m_pProject = project;
    Params("-sim");
  }
  int Exec(const std::string& line) {
    return int(session->Record()->DbgControl(kDbgCtlExecNow, reinterpret_cast<intptr_t>(line.c_str()), 0));
  }
  uint16_t Half(uint32_t address) {
    uint16_t v = 0;
    EXPECT_EQ(session->Record()->DbgReadMemory(address, 2, &v), 0) << std::hex << address;
    return v;
  }
  std::string folder;
};

class GdbThumbAssembly : public GdbBuildSession {};

// "asm <each instruction of main>", "asm movs r0, r3": the Thumb encoding
// (0x0018) over the instruction's halfword, the next one as it was.
TEST_P(GdbThumbAssembly, EachInstructionOfMainTakesAThumbInstruction) {
  if (!gdb::ArmAssembler().Missing().empty()) GTEST_SKIP() << gdb::ArmAssembler().Missing();
  session->StartDebugger();
  ASSERT_TRUE(session->SessionActive()) << (dialogs.boxes.empty() ? "" : dialogs.boxes[0].text);
  const std::vector<Listed> main = Disassembly(folder + "Obj/Blinky.elf", "main");
  ASSERT_GT(main.size(), 4u);
  for (std::size_t i = 0; i + 1 < main.size(); ++i) {
    const Listed& l = main[i];
    if (l.data || !l.thumb || main[i + 1].address != l.address + 2) continue;
    const uint16_t next = Half(l.address + 2);
    char at[32];
    std::snprintf(at, sizeof at, "asm 0x%X\n", l.address);
    ASSERT_EQ(Exec(at), 0) << CommandTexts();
    ASSERT_EQ(Exec("asm movs r0, r3\n"), 0) << CommandTexts();
    EXPECT_EQ(Half(l.address), 0x0018) << std::hex << "at 0x" << l.address;
    EXPECT_EQ(Half(l.address + 2), next) << std::hex << "after 0x" << l.address;
  }
}

INSTANTIATE_TEST_SUITE_P(Builds, GdbThumbAssembly, ::testing::Values(kThumb, kThumbAdded),
                         [](const auto& info) { return std::string(info.param.name); });

class GdbAddedFile : public GdbBuildSession {};

// The symbols dialog's type of `struct point pt` names its tag.
TEST_P(GdbAddedFile, TheSymbolsDialogNamesAStructsTag) {
  session->StartDebugger();
  ASSERT_TRUE(session->SessionActive()) << (dialogs.boxes.empty() ? "" : dialogs.boxes[0].text);
  DbgSymbolRecord* publics = nullptr;
  session->Record()->DbgEnum(kDbgEnumPublics, 0, reinterpret_cast<intptr_t>(&publics));
  const DbgSymbolRecord* pt = nullptr;
  for (const DbgSymbolRecord* s = publics; s; s = s->next)
    if (std::string(s->name) == "pt") pt = s;
  ASSERT_NE(pt, nullptr);
  EXPECT_EQ(SymbolTypeText(pt->type, 3), "struct point");
}

// Watch rows as typed: a comma expression is evaluated whole (its last
// part's value), only a radix suffix is the window's; an array of five
// characters from the middle of a longer one shows those five.
TEST_P(GdbAddedFile, AWatchRowShowsWhatItsExpressionSays) {
  ASSERT_NO_FATAL_FAILURE(StopAtMain());
  DebugInterface* record = session->Record();
  WatchModel watch(false, &record);
  watch.Attach();
  struct Row {
    const char* name;
    const char* typed;
    const char* value;  // how the value's text ends
  } rows[] = {
      {"comma expression", "$r0, pt.y", "4"},
      {"comma expression in decimal", "$r0, pt.x,0x0A", "3"},
      {"comma expression in hex", "$r0, pt.y,0x10", "0x4"},
      {"five characters", "buf[1]@5", "[]  BCDEF"},
  };
  for (const Row& r : rows) watch.AddExpression(r.typed);
  ASSERT_GE(watch.Rows().size(), std::size(rows));
  for (std::size_t i = 0; i < std::size(rows); ++i) {
    const std::string value = watch.Rows()[i]->value;
    const std::string end = rows[i].value;
    EXPECT_TRUE(value.size() >= end.size() && value.compare(value.size() - end.size(), end.size(), end) == 0)
        << rows[i].name << ": '" << value << "'" << CommandTexts();
  }
}

INSTANTIATE_TEST_SUITE_P(Builds, GdbAddedFile, ::testing::Values(kArmAdded, kThumbAdded),
                         [](const auto& info) { return std::string(info.param.name); });

// Blanks as one: the listing's columns are blanks, objdump's tabs.
std::string OneBlank(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\t') c = ' ';
    if (c == ' ' && (out.empty() || out.back() == ' ')) continue;
    out += c;
  }
  while (!out.empty() && out.back() == ' ') out.pop_back();
  return out;
}

class GdbBuildCode : public GdbBuildSession {
 protected:
  // The number of the build's first line of `file` that holds `text`.
  uint32_t LineOf(const std::string& file, const std::string& text) {
    std::ifstream in(folder + file);
    std::string line;
    for (uint32_t n = 1; std::getline(in, line); ++n)
      if (line.find(text) != std::string::npos) return n;
    return 0;
  }
};

// The Call Stack names the caller at its return address, as gdb's
// backtrace gives a caller frame's pc (in a Thumb build not the middle of
// the four-byte BL), and shows the line of the call from there.
TEST_P(GdbBuildCode, TheCallerStandsAtItsReturnAddressOnTheCallsLine) {
  session->StartDebugger();
  ASSERT_TRUE(session->SessionActive()) << (dialogs.boxes.empty() ? "" : dialogs.boxes[0].text);
  DebugInterface* r = session->Record();
  const std::vector<Listed> main = Disassembly(folder + "Obj/Blinky.elf", "main");
  uint32_t returnAddress = 0;
  for (std::size_t i = 0; i + 1 < main.size(); ++i)
    if (main[i].text.rfind("bl", 0) == 0 && main[i].text.find("<LED_Init>") != std::string::npos)
      returnAddress = main[i + 1].address;
  ASSERT_NE(returnAddress, 0u);
  ASSERT_EQ(r->DbgExecCommand("BS LED_Init", 11), 0) << CommandTexts();
  const uint32_t init = Evaluate("&LED_Init") & ~1u;
  session->Go();
  ASSERT_TRUE(WaitFor([&] { return !session->TargetExecuting() && r->pc >= init && r->pc < init + 32; }))
      << std::hex << r->pc << " " << CommandTexts();
  ASSERT_EQ(r->DbgControl(kDbgCtlBeforeCallStack, 0, 0), 0);
  ASSERT_EQ(r->callStackTop, 1);
  const auto* calls = static_cast<const DbgCallStackEntry*>(r->callStack);
  EXPECT_EQ(calls[1].calling, returnAddress) << std::hex << calls[1].calling;
  char name[256] = {1};
  ASSERT_EQ(r->DbgEnum(kDbgEnumAddressName, intptr_t(calls[1].calling), reinterpret_cast<intptr_t>(name)), 1);
  EXPECT_EQ(std::string(name), "main+" + std::to_string(returnAddress - (Evaluate("&main") & ~1u)));
  // Double-clicked: the line of the call.
  ASSERT_EQ(r->DbgFindSource(calls[1].calling), 0);
  EXPECT_EQ(r->srcLine, LineOf("Blinky.c", "LED_Init();"));
  // The place the target stands in keeps its own line.
  ASSERT_EQ(r->DbgFindSource(r->pc), 0);
  EXPECT_EQ(r->srcLine, LineOf("LED.c", "IODIR0 |="));
}

// The disassembly shows main's literal pool as the data objdump lists
// ("$d" marks it), each instruction as objdump decodes it in the set its
// mark names; the inline assembler writes no instruction over the pool.
TEST_P(GdbBuildCode, ALiteralPoolIsDataInTheListingAndToTheAssembler) {
  session->StartDebugger();
  ASSERT_TRUE(session->SessionActive()) << (dialogs.boxes.empty() ? "" : dialogs.boxes[0].text);
  DebugInterface* r = session->Record();
  const std::vector<Listed> main = Disassembly(folder + "Obj/Blinky.elf", "main");
  ASSERT_GT(main.size(), 4u);
  ASSERT_TRUE(main.back().data) << "main ends in its literal pool";
  std::map<uint32_t, std::string> listed;  // code lines of the driver's listing
  DisasmLine l{};
  l.kind = kDisasmRequest;
  r->disasmRequest[0] = main.front().address;
  r->DbgGetDisasmLine(&l);
  for (int i = 0; i < 400 && l.kind != kDisasmEnd && l.address <= main.back().address; ++i) {
    if (l.kind == kDisasmCode)
      listed[l.address] = OneBlank(reinterpret_cast<const char*>(r->DbgDisasmLineText(&l)));
    r->DbgGetDisasmLine(&l);
  }
  uint32_t pool = 0;
  int checked = 0;
  for (const Listed& m : main) {
    const auto it = listed.find(m.address);
    ASSERT_NE(it, listed.end()) << std::hex << "0x" << m.address << " " << m.text;
    const std::string text = it->second.substr(it->second.find(' ') + 1);
    if (m.data) {
      // ".word 0x00000648" as objdump writes it.
      EXPECT_EQ(text, OneBlank(m.text)) << std::hex << "0x" << m.address;
      if (!pool) pool = m.address;
      ++checked;
    } else {
      // The mnemonic of the set the marks name.
      EXPECT_EQ(text.substr(0, text.find(' ')), m.text.substr(0, m.text.find('\t'))) << std::hex << "0x" << m.address;
    }
  }
  EXPECT_GT(checked, 0);
  // Nothing else inside main: no instruction read out of the pool.
  for (const auto& entry : listed) {
    const auto address = entry.first;
    if (address < main.front().address) continue;
    EXPECT_TRUE(std::any_of(main.begin(), main.end(), [&](const Listed& m) { return m.address == address; }))
        << std::hex << "0x" << address << " " << entry.second;
  }
  // The instruction text of a pool word.
  char instruction[256] = {};
  EXPECT_EQ(r->DbgControl(kDbgCtlInstructionText, reinterpret_cast<intptr_t>(&pool),
                          reinterpret_cast<intptr_t>(instruction)), 0);
  const auto first = std::find_if(main.begin(), main.end(), [&](const Listed& m) { return m.address == pool; });
  EXPECT_EQ(OneBlank(instruction), OneBlank(first->text));
  // "asm movs r0, r1" at the pool: refused, saying that the place holds data.
  if (!gdb::ArmAssembler().Missing().empty()) return;
  const uint32_t before = Word(pool);
  char at[32];
  std::snprintf(at, sizeof at, "asm 0x%X\n", pool);
  ASSERT_EQ(Exec(at), 0) << CommandTexts();
  EXPECT_NE(Exec("asm movs r0, r1\n"), 0);
  EXPECT_EQ(Word(pool), before);
  EXPECT_NE(CommandTexts().find("holds data"), std::string::npos) << CommandTexts();
}

INSTANTIATE_TEST_SUITE_P(Builds, GdbBuildCode, ::testing::Values(kArm, kThumb),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace gdb_code_marks_test
}  // namespace pm2
