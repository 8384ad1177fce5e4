// The GDB driver's inline assembler ("asm" over the target toolchain's
// assembler) and the errors of the function editor's Include with their
// lines: the pieces alone, then the driver on the example in qemu.
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <map>

#include "debugger/gdb/arm/arm_assembler.h"
#include "debugger/gdb/process/child_process.h"
#include "debugger/gdb/elf/elf_arm_code.h"
#include "debugger/gdb/arm/inline_asm.h"
#include "debugger/model/command_output.h"
#include "gdb_session_fixture.h"

namespace pm2 {
namespace {

using gdb::AsmLine;
using gdb::InlineAsm;

bool HaveAssembler() { return gdb::ArmAssembler().Missing().empty(); }

// ---- the tools' words

TEST(GnuToolMessage, KeepsTheMessageWithoutTheTemporaryFiles) {
  struct Row {
    const char* name;
    const char* output;
    const char* message;
  } rows[] = {
      {"assembler error", "/tmp/pm2asmX/line.s: Assembler messages:\n/tmp/pm2asmX/line.s:4: Error: bad instruction `foo r0'\n",
       "Error: bad instruction `foo r0'"},
      {"linker error", "arm-none-eabi-ld: /tmp/pm2asmX/line.o:(.text+0x0): undefined reference to `Nowhere'\n",
       "undefined reference to `Nowhere'"},
      {"two errors", "l.s: Assembler messages:\nl.s:4: Error: one\nl.s:5: Error: two\n", "Error: one; Error: two"},
      {"nothing said", "", ""},
  };
  for (const Row& r : rows) EXPECT_EQ(gdb::GnuToolMessage(r.output), r.message) << r.name;
}

// ---- the "asm" command against a target of the test's own

struct FakeTarget {
  std::map<std::string, uint64_t> symbols;       // address expressions
  std::map<uint32_t, std::vector<uint8_t>> written;
  std::vector<AsmLine> assembled;
  std::vector<uint8_t> bytes = {1, 2, 3, 4};      // what a line makes
  std::string refusal;                           // a line refused with this
  bool thumbFrom0x1000 = false;

  InlineAsm Make() {
    InlineAsm::Target t;
    t.address = [this](const std::string& text, uint64_t* v) {
      auto it = symbols.find(text);
      if (it == symbols.end()) return false;
      *v = it->second;
      return true;
    };
    t.write = [this](uint32_t a, const std::vector<uint8_t>& b, std::string*) {
      written[a] = b;
      return true;
    };
    t.assemble = [this](const AsmLine& l, std::vector<uint8_t>* b, std::string* err) {
      assembled.push_back(l);
      if (!refusal.empty()) {
        *err = refusal;
        return false;
      }
      *b = bytes;
      return true;
    };
    t.thumbAt = [this](uint32_t a) { return thumbFrom0x1000 && a >= 0x1000; };
    t.arch = "armv4t";
    t.symbols = "/p/Blinky.elf";
    return InlineAsm(std::move(t));
  }
};

TEST(InlineAsmCommand, TellsAsmCommandsFromOthers) {
  struct Row {
    const char* line;
    bool command;
    const char* argument;
  } rows[] = {
      {"asm mov r0, #1\n", true, "mov r0, #1"},
      {"  ASM   0x230  \r\n", true, "0x230"},
      {"asm\n", true, ""},
      {"asmx 1", false, ""},
      {"BS main", false, ""},
      {"as", false, ""},
  };
  for (const Row& r : rows) {
    std::string argument;
    EXPECT_EQ(InlineAsm::IsCommand(r.line, &argument), r.command) << r.line;
    if (r.command) {
      EXPECT_EQ(argument, r.argument) << r.line;
    }
  }
}

TEST(InlineAsmCommand, AnAddressIsSetAndEachInstructionMovesPastItsBytes) {
  FakeTarget f;
  f.symbols["LED_On"] = 0x364;
  InlineAsm a = f.Make();
  // Until one is set the address is the program counter.
  EXPECT_EQ(a.Address(0x220), 0x220u);
  ASSERT_EQ(a.Run("LED_On", 0x220), 0);
  EXPECT_EQ(a.Address(0x220), 0x364u);
  EXPECT_TRUE(f.written.empty());
  ASSERT_EQ(a.Run("mov r0, #1", 0x220), 0);
  ASSERT_EQ(f.assembled.size(), 1u);
  EXPECT_EQ(f.assembled[0].text, "mov r0, #1");
  EXPECT_EQ(f.assembled[0].address, 0x364u);
  EXPECT_FALSE(f.assembled[0].thumb);
  EXPECT_EQ(f.assembled[0].arch, "armv4t");
  EXPECT_EQ(f.assembled[0].symbols, "/p/Blinky.elf");
  EXPECT_EQ(f.written[0x364], f.bytes);
  EXPECT_EQ(a.Address(0x220), 0x368u);
  // A refused line writes nothing, keeps the address and says the
  // assembler's own words.
  f.refusal = "Error: bad instruction `foo r0'";
  EXPECT_EQ(a.Run("foo r0", 0x220), 1);
  EXPECT_EQ(a.Error(), "asm: Error: bad instruction `foo r0'");
  EXPECT_EQ(a.Address(0x220), 0x368u);
  EXPECT_EQ(f.written.size(), 1u);
  EXPECT_EQ(a.Run("", 0x220), 1);
  EXPECT_EQ(a.Error(), "asm: an address or an instruction is needed");
}

// While the program runs the target evaluates nothing: the dialog's own
// address text (from the program counter) is still an address, never an
// instruction for the assembler.
TEST(InlineAsmCommand, APlainNumberIsAnAddressWhenTheTargetEvaluatesNothing) {
  FakeTarget f;  // no symbols: nothing evaluates
  InlineAsm a = f.Make();
  struct Row {
    const char* text;
    int result;
    uint32_t address;
  } rows[] = {
      {"0x00000364", 0, 0x364},
      {"0X1A0", 0, 0x1A0},
      {"868", 0, 868},
      {"0x100000000", 1, 868},  // past the target's addresses: refused, the address kept
  };
  for (const Row& r : rows) {
    EXPECT_EQ(a.Run(r.text, 0x220), r.result) << r.text;
    EXPECT_EQ(a.Address(0x220), r.address) << r.text;
  }
  EXPECT_TRUE(f.assembled.empty());
  EXPECT_TRUE(f.written.empty());
}

TEST(InlineAsmCommand, ThumbCodeIsAssembledAsThumbOnItsHalfword) {
  FakeTarget f;
  f.thumbFrom0x1000 = true;
  f.bytes = {0x01, 0x20};
  f.symbols["0x1001"] = 0x1001;
  InlineAsm a = f.Make();
  ASSERT_EQ(a.Run("0x1001", 0), 0);
  ASSERT_EQ(a.Run("movs r0, #1", 0), 0);
  ASSERT_EQ(f.assembled.size(), 1u);
  EXPECT_TRUE(f.assembled[0].thumb);
  EXPECT_EQ(f.assembled[0].address, 0x1000u);
  EXPECT_EQ(a.Address(0), 0x1002u);
}

// ---- the program file's code

TEST(ElfArmCode, TellsArmFromThumbCodeAndNamesTheArchitecture) {
  if (ExampleFolder().empty()) GTEST_SKIP() << "the example does not build here";
  struct Row {
    const char* name;
    std::string folder;
    bool mainThumb;
  } rows[] = {{"ARM build", ExampleFolder(), false}, {"Thumb build", ThumbExampleFolder(), true}};
  for (const Row& r : rows) {
    if (r.folder.empty()) continue;
    const gdb::ElfArmCode code = gdb::ElfArmCode::FromFile(r.folder + "Obj/Blinky.elf");
    EXPECT_EQ(code.Arch(), "armv4t") << r.name;
    // The vectors and start-up code are ARM in both.
    EXPECT_FALSE(code.ThumbAt(0)) << r.name;
    // main's address as the symbol table gives it (odd for Thumb).
    std::string out;
    gdb::ChildProcess nm;
    std::string err;
    ASSERT_TRUE(nm.Start({"arm-none-eabi-nm", r.folder + "Obj/Blinky.elf"}, true, &err)) << err;
    nm.CloseInput();
    char chunk[4096];
    for (ssize_t n; (n = read(nm.OutFd(), chunk, sizeof chunk)) > 0;) out.append(chunk, std::size_t(n));
    nm.Wait(60000);
    const std::size_t at = out.find(" T main\n");
    ASSERT_NE(at, std::string::npos) << r.name;
    const uint32_t main = uint32_t(std::stoul(out.substr(out.rfind('\n', at) + 1, 8), nullptr, 16)) & ~1u;
    EXPECT_EQ(code.ThumbAt(main), r.mainThumb) << r.name;
    EXPECT_EQ(code.ThumbAt(main + 2), r.mainThumb) << r.name;
  }
  EXPECT_TRUE(gdb::ElfArmCode::FromBytes("not an ELF file").Arch().empty());
  EXPECT_FALSE(gdb::ElfArmCode::FromBytes("not an ELF file").ThumbAt(0));
}

TEST(ElfArmCode, MarchNames) {
  EXPECT_EQ(gdb::ArmMarchName(2, 0), "armv4t");
  EXPECT_EQ(gdb::ArmMarchName(10, 'M'), "armv7-m");
  EXPECT_EQ(gdb::ArmMarchName(10, 'A'), "armv7-a");
  EXPECT_EQ(gdb::ArmMarchName(13, 'M'), "armv7e-m");
  EXPECT_EQ(gdb::ArmMarchName(99, 0), "");
}

// ---- the driver on the example in qemu

class GdbInlineAsmTest : public GdbSessionTest {
 protected:
  int Exec(const std::string& line) {
    return int(session->Record()->DbgControl(kDbgCtlExecNow, reinterpret_cast<intptr_t>(line.c_str()), 0));
  }
  uint32_t AssemblyAddress() { return uint32_t(session->Record()->DbgControl(kDbgCtlAssemblyAddress, 0, 0)); }
  std::string InstructionText(uint32_t address) {
    char text[257] = {};
    session->Record()->DbgControl(kDbgCtlInstructionText, reinterpret_cast<intptr_t>(&address),
                                  reinterpret_cast<intptr_t>(text));
    return text;
  }
};

TEST_F(GdbInlineAsmTest, WritesMovR0AndReadsItBack) {
  if (!HaveAssembler()) GTEST_SKIP() << gdb::ArmAssembler().Missing();
  session->StartDebugger();
  ASSERT_TRUE(session->SessionActive()) << (dialogs.boxes.empty() ? "" : dialogs.boxes[0].text);
  DebugInterface* r = session->Record();
  char why[257] = {};
  EXPECT_EQ(r->DbgControl(kDbgCtlAssemblerMissing, 0, reinterpret_cast<intptr_t>(why)), 0) << why;
  const uint32_t at = Evaluate("&LED_Count");
  const uint32_t ledOn = Evaluate("&LED_On");
  // The address by a function's name, then the instruction there.
  ASSERT_EQ(Exec("asm LED_Count\n"), 0) << CommandTexts();
  EXPECT_EQ(AssemblyAddress(), at);
  ASSERT_EQ(Exec("asm mov r0, #1\n"), 0) << CommandTexts();
  EXPECT_EQ(Word(at), 0xE3A00001u);  // mov r0, #1 in ARM state
  EXPECT_EQ(AssemblyAddress(), at + 4);
  const std::string shown = InstructionText(at);
  EXPECT_NE(shown.find("mov"), std::string::npos) << shown;
  EXPECT_NE(shown.find("r0, #1"), std::string::npos) << shown;
  // A call by the program's own symbol reaches it from the new place.
  ASSERT_EQ(Exec("asm bl LED_On\n"), 0) << CommandTexts();
  const uint32_t bl = Word(at + 4);
  EXPECT_EQ(bl >> 24, 0xEBu) << std::hex << bl;
  const int32_t offset = int32_t(bl << 8) >> 6;
  EXPECT_EQ(at + 4 + 8 + uint32_t(offset), ledOn) << std::hex << bl;
  EXPECT_EQ(AssemblyAddress(), at + 8);
  // A refused line: the assembler's own message for the dialog (IDE
  // service 35, DbgControl 7) and the command page; nothing moves.
  const uint32_t before = Word(at + 8);
  const int refused = Exec("asm foo r0, #1\n");
  EXPECT_NE(refused, 0);
  char text[1024] = "asm foo r0, #1\n";
  r->DbgControl(kDbgCtlResultText, refused, reinterpret_cast<intptr_t>(text));
  EXPECT_STREQ(text, "asm: Error: bad instruction `foo r0,#1'");
  EXPECT_NE(CommandTexts().find("*** error: asm: Error: bad instruction `foo r0,#1'"), std::string::npos)
      << CommandTexts();
  EXPECT_EQ(Word(at + 8), before);
  EXPECT_EQ(AssemblyAddress(), at + 8);
  // A call is never evaluated as an address (gdb would run the program's
  // function and take its result): the assembler refuses it.
  EXPECT_NE(Exec("asm LED_Count()\n"), 0);
  EXPECT_EQ(AssemblyAddress(), at + 8);
  // After a step the assembly address is the program counter again.
  session->Step(kDbgStepInstruction);
  ASSERT_TRUE(WaitFor([&] { return !session->TargetExecuting(); }));
  EXPECT_EQ(AssemblyAddress(), r->pc);
  // Another refused command's text is its own again.
  char other[1024] = "BS nowhere_at_all\n";
  const int bs = Exec(other);
  EXPECT_NE(bs, 0);
  r->DbgControl(kDbgCtlResultText, bs, reinterpret_cast<intptr_t>(other));
  EXPECT_STREQ(other, "BS nowhere_at_all\n");
}

TEST_F(GdbInlineAsmTest, ThumbCodeTakesThumbInstructions) {
  if (!HaveAssembler()) GTEST_SKIP() << gdb::ArmAssembler().Missing();
  if (ThumbExampleFolder().empty()) GTEST_SKIP() << "the example does not build for Thumb here";
  project = MakeExampleProject(ThumbExampleFolder());
  app->State().m_pProject = project;
  Params("-sim");
  session->StartDebugger();
  ASSERT_TRUE(session->SessionActive()) << (dialogs.boxes.empty() ? "" : dialogs.boxes[0].text);
  const uint32_t at = Evaluate("&LED_Count") & ~1u;
  ASSERT_EQ(Exec("asm LED_Count\n"), 0) << CommandTexts();
  // The ARM7 manuals' form and the one the disassembly shows.
  ASSERT_EQ(Exec("asm mov r0, #1\n"), 0) << CommandTexts();
  ASSERT_EQ(Exec("asm movs r1, #2\n"), 0) << CommandTexts();
  EXPECT_EQ(Word(at), 0x21022001u);
  EXPECT_EQ(AssemblyAddress(), at + 4);
}

// The function editor's compile: the error of the file's second line with
// its number, for the error list (IDE service 41) and the command page.
class IncludeErrorFrame : public RoutingFrame {
 public:
  intptr_t DebugService(int code, intptr_t arg) override {
    if (code == 41) {
      const auto* record = reinterpret_cast<const intptr_t*>(arg);
      errors.push_back({uint32_t(record[0]), reinterpret_cast<const char*>(record[1])});
      return 1;
    }
    return RoutingFrame::DebugService(code, arg);
  }
  std::vector<std::pair<uint32_t, std::string>> errors;
};

class GdbIncludeTest : public GdbSessionTest {
 protected:
  void SetUp() override {
    GdbSessionTest::SetUp();
    if (IsSkipped() || !session) return;
    frame.session = session.get();
    app->SetFrame(&frame);
  }
  void TearDown() override {
    if (session) {
      session->StopDebugger();
      app->SetFrame(&routed);
    }
    GdbSessionTest::TearDown();
  }
  // What the command page got (through this test's frame).
  std::string Texts() const {
    std::string all;
    for (const std::string& t : frame.commandLines) all += t;
    for (const std::string& t : hub.Texts(kNotifyCommandText2)) all += t;
    return all;
  }
  IncludeErrorFrame frame;
};

TEST_F(GdbIncludeTest, FunctionsErrorsCarryTheirLineNumbers) {
  session->StartDebugger();
  ASSERT_TRUE(session->SessionActive()) << (dialogs.boxes.empty() ? "" : dialogs.boxes[0].text);
  DebugInterface* r = session->Record();
  const std::string file = ExampleFolder() + "Functions.ini";
  std::ofstream(file) << "print 1\nno_such_command 5\n\nprint 2\n";
  const std::string include = "Include \"" + file + "\"\n";
  // Compiled from the function editor (its flag set during the call).
  r->flags |= kDbgFlagFunctionCompile;
  EXPECT_NE(r->DbgExecCommand(include.c_str(), int32_t(include.size())), 0);
  r->flags &= ~uint32_t(kDbgFlagFunctionCompile);
  ASSERT_EQ(frame.errors.size(), 1u) << Texts();
  EXPECT_EQ(frame.errors[0].first, 2u);
  // A file's line that is none of gdb's commands a file may give is not sent.
  EXPECT_EQ(frame.errors[0].second.rfind("*** error in 'Functions.ini', line 2: 'no_such_command' is not sent to gdb", 0),
            0u)
      << frame.errors[0].second;
  // The command page's line leads a double click to the same line.
  const std::string texts = Texts();
  const std::size_t at = texts.find("*** error in 'Functions.ini', line 2: ");
  ASSERT_NE(at, std::string::npos) << texts;
  uint32_t line = 0;
  EXPECT_TRUE(CommandErrorLine(texts.substr(at, texts.find('\n', at) - at), &line));
  EXPECT_EQ(line, 2u);
  // The lines before and after it ran.
  EXPECT_NE(texts.find("$1 = 1"), std::string::npos) << texts;
  EXPECT_NE(texts.find("$2 = 2"), std::string::npos) << texts;
  // An Include from elsewhere (an init file) leaves the error list alone.
  EXPECT_NE(r->DbgExecCommand(include.c_str(), int32_t(include.size())), 0);
  EXPECT_EQ(frame.errors.size(), 1u);
}

}  // namespace
}  // namespace pm2
