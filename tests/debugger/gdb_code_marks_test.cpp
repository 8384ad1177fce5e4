// The right code under every address, on builds of the example for ARM
// and Thumb code, each also with a file added (which moves the debug
// sections' mapping marks over the code's addresses): the program file's
// marks say ARM, Thumb or data for each instruction as the disassembler
// does, the inline assembler writes a Thumb instruction over Thumb code,
// the symbols dialog names a struct's tag, and a watch row keeps its own
// commas and shows an array's own characters.
#include <cstdio>
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

}  // namespace gdb_code_marks_test
}  // namespace pm2
