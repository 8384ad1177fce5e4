#include "project/import/old_ini_import.h"

#include <gtest/gtest.h>

#include "project/file_test_util.h"
#include "project/files/project_file.h"
#include "project/model/option_defaults.h"
#include "project/model_fixture.h"

namespace pm2 {
namespace {

class OldIniImportTest : public ModelTest {
 protected:
  ProjectRec* Project(uint16_t toolset) {
    ProjectRec* p = OpenNewProject("C:\\work\\old\\demo.pm2");
    p->curTarget->toolset = toolset;
    ResetTargetOptions(p->curTarget, kToolsetUndefined);
    return p;
  }
  std::string Import(ProjectRec* p, const std::string& text) {
    OldIniProject f;
    f.OpenText(text);
    return ImportOldIniProject(f, p);
  }
  static std::vector<std::string> Files(const ProjectRec* p) {
    std::vector<std::string> out;
    for (const FileRec* f = p->firstGroup->firstFile; f; f = f->next) out.push_back(f->path.str());
    return out;
  }
  OptionBlock& Block(ProjectRec* p) { return *p->curTarget->pOpts; }
};

struct FailRow {
  const char* name;
  uint16_t toolset;
  const char* text;
  const char* message;
};

TEST_F(OldIniImportTest, FailureRows) {
  const FailRow rows[] = {
      {"no section first", 0, "X=1\n[PROJ]\n", kOldIniInvalidFile},
      {"only SESSION", 0, "[SESSION]\nA=1\n", kOldIniInvalidFile},
      {"empty file", 0, "", kOldIniInvalidFile},
      {"unreadable header", 0, "[]\n", kOldIniInvalidFile},
      {"166 target, 51 section first", 2, "[SESSION]\n[Q51]\nModel=1\n", kOldIniFamilyMismatch},
      {"166 target, PROJ first", 2, "[PROJ]\n", ""},
      {"51 target, Q166 first ends silently", 0, "[Q166]\nOptLevel=3\n", ""},
  };
  for (const FailRow& r : rows) {
    PoolFreeAll();
    ProjectRec* p = Project(r.toolset);
    const OptionBlock before = Block(p);
    EXPECT_EQ(Import(p, r.text), r.message) << r.name;
    EXPECT_FALSE(OptionBlocksDiffer(before, Block(p))) << r.name << ": options unchanged";
    EXPECT_TRUE(Files(p).empty()) << r.name;
  }
}

// A listed file whose name or folder the project file cannot hold would be
// saved and read back as another file: the import is refused naming the
// file and why, and leaves the project as it was (the files listed before
// it and the options read before it are not taken).
TEST_F(OldIniImportTest, FileNamesTheProjectFileCannotHoldRefuseTheImport) {
  const struct {
    const char* name;
    const char* proj;  // the "PROJ" section's lines
    std::string message;  // "" when imported
  } rows[] = {
      {"NameLessThan", "Source1=C:\\work\\old\\a<b.c\r\nWarningErrlev1=2\r\n",
       "Pelmora1 Project - The file '.\\a<b.c' cannot be stored in the project: its name holds a '<' without "
       "its '>'."},
      {"OneLineFormFolderGreaterThan", "F=C:\\work\\old\\x>y\\ok.c\xFF" "3 0 1\r\n",
       "Pelmora1 Project - The file '.\\x>y\\ok.c' cannot be stored in the project: its name holds a '>' "
       "without its '<'."},
      {"FolderLineBreakMark", "Source1=C:\\work\\old\\a\\~b\\c.c\r\nWarningErrlev1=2\r\n",
       "Pelmora1 Project - The file '.\\a\\~b\\c.c' cannot be stored in the project: its name holds the "
       "characters \"\\~\"."},
      {"BalancedNameIsTaken", "Source1=C:\\work\\old\\x<1>.c\r\nWarningErrlev1=2\r\n", ""},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.name);
    PoolFreeAll();
    ProjectRec* p = Project(0);
    AddFileToGroup(p->firstGroup, "main.c", ".\\", kFileC);
    const std::string before = BuildProjectFileText(*p);
    const uint32_t groupFlags = p->firstGroup->flags;
    const OptionBlock options = Block(p);
    ScratchDir dir;
    WriteFileText(dir.File("old.prj"), std::string("[MAKEOPTS]\r\nBeepDone=NO\r\n[PROJ]\r\n") +
                                           "Source1=C:\\work\\old\\src\\uart.c\r\nWarningErrlev1=2\r\n" + r.proj);
    OldIniProject f;
    ASSERT_EQ(f.Open(dir.File("old.prj")), 0);
    EXPECT_EQ(ImportOldIniProject(f, p), r.message);
    f.Close();
    if (r.message.empty()) {
      EXPECT_EQ(Files(p).size(), 3u);
      EXPECT_TRUE(OptionBlocksDiffer(options, Block(p)));
      continue;
    }
    EXPECT_EQ(Files(p), std::vector<std::string>{".\\main.c"});
    EXPECT_EQ(p->firstGroup->flags, groupFlags);
    EXPECT_EQ(BuildProjectFileText(*p), before);
    EXPECT_FALSE(OptionBlocksDiffer(options, Block(p))) << "the options read before the file are not taken";
  }
}

// A converted text that the project file cannot hold would be saved and
// read back as another ("echo hi > out.txt" as "echo hi "): the import is
// refused as the options sheet refuses the field, naming it, and leaves
// the project as it was (the files listed before it are not taken).
TEST_F(OldIniImportTest, TextsTheFilesCannotHoldRefuseTheImport) {
  const struct {
    const char* name;
    const char* sections;  // after "[PROJ]" with one file
    std::string message;   // "" when imported
  } rows[] = {
      {"UserProgramGreaterThan", "[MAKEOPTS]\r\nProgram1=echo hi > out.txt\r\nRunProg1=YES\r\n",
       "Pelmora1 Project - The text 'echo hi > out.txt' of 'Run User Program #1' of target 'Target 1' cannot be stored: it holds a "
       "'>' without its '<'."},
      {"SecondUserProgramLessThan", "[MAKEOPTS]\r\nProgram2=sort < in.txt\r\n",
       "Pelmora1 Project - The text 'sort < in.txt' of 'Run User Program #2' of target 'Target 1' cannot be stored: it holds a "
       "'<' without its '>'."},
      {"DefinesClosing", "[Q51]\r\nDefines=A)B\r\n",
       "Pelmora1 Project - The text 'A)B' of 'Q51DEF' of target 'Target 1' cannot be stored: it holds a ')' without "
       "its '('."},
      {"LinkerMiscOpening", "[NB51]\r\nAddl1=RAMSIZE(256\r\n",
       "Pelmora1 Project - The text 'RAMSIZE(256' of 'NX51MSC' of target 'Target 1' cannot be stored: it holds a '(' without "
       "its ')'."},
      {"BalancedTextsAreTaken",
       "[MAKEOPTS]\r\nProgram1=copy <a> b\r\n[Q51]\r\nDefines=F(x)=(x+1)\r\n[NB51]\r\nAddl1=RAMSIZE(256)\r\n",
       ""},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.name);
    PoolFreeAll();
    ProjectRec* p = Project(0);
    AddFileToGroup(p->firstGroup, "main.c", ".\\", kFileC);
    const std::string before = BuildProjectFileText(*p);
    const OptionBlock options = Block(p);
    ScratchDir dir;
    WriteFileText(dir.File("old.prj"),
                  std::string("[PROJ]\r\nSource1=C:\\work\\old\\uart.c\r\nWarningErrlev1=2\r\n") + r.sections);
    OldIniProject f;
    ASSERT_EQ(f.Open(dir.File("old.prj")), 0);
    EXPECT_EQ(ImportOldIniProject(f, p), r.message);
    f.Close();
    if (!r.message.empty()) {
      EXPECT_EQ(Files(p), std::vector<std::string>{".\\main.c"});
      EXPECT_EQ(BuildProjectFileText(*p), before);
      EXPECT_FALSE(OptionBlocksDiffer(options, Block(p)));
      continue;
    }
    // Taken, each text reads back from the saved files as it was converted.
    NumberProjectRecords(*p);
    const std::string projectText = BuildProjectFileText(*p), optionsText = BuildOptionsFileText(*p);
    const std::string_view options2 = optionsText;
    theApp().m_pProject = nullptr;  // closed as an open closes it
    ProjectFileIo io;
    ASSERT_EQ(ReadProjectText(io, "/p/demo.pm2", projectText, &options2), 0) << io.message;
    const OptionBlock& read = *io.project->curTarget->pOpts;
    EXPECT_EQ(read.out.RUNUSR[0].str(), "copy <a> b");
    EXPECT_EQ(read.q51.Q51DEF.str(), "F(x)=(x+1)");
    EXPECT_EQ(read.n51.NX51MSC.str(), "RAMSIZE(256)");
  }
}

TEST_F(OldIniImportTest, ProjFilesBanksAndDuplicates) {
  ProjectRec* p = Project(0);
  AddFileToGroup(p->firstGroup, "main.c", ".\\", kFileC);
  const std::string text =
      "[SESSION]\r\nWin=1\r\n"
      "[PROJ]\r\n"
      "Source1=C:\\work\\old\\src\\uart.c\r\nTranslator1=3\r\nBankNum1=4\r\nWarningErrlev1=2\r\n"
      "Source2=C:\\work\\old\\MAIN.C\r\nTranslator2=3\r\nWarningErrlev2=2\r\n"
      "Source3=C:\\work\\old\\lib\\rt.lib\r\nTranslator3=5\r\nLink3=NO\r\nWarningErrlev3=0\r\n"
      "Source4=C:\\work\\old\\never.c\r\n"
      "F=C:\\work\\old\\start.w51\xFF" "2 1 1            0\r\n";
  ASSERT_EQ(Import(p, text), "");
  EXPECT_EQ(Files(p), (std::vector<std::string>{".\\main.c", ".\\src\\uart.c", ".\\lib\\rt.lib",
                                                ".\\start.w51"}));
  const FileRec* uart = p->firstGroup->firstFile->next;
  ASSERT_NE(uart->pOpts, nullptr) << "a banked file of a 51 target gets its own block";
  EXPECT_EQ(uart->pOpts->prop.BANKNO, 5);
  const FileRec* rt = uart->next;
  EXPECT_EQ(rt->type, kFileLibrary);
  ASSERT_NE(rt->pOpts, nullptr);
  EXPECT_EQ(rt->pOpts->prop.flags.INCBLD, 0);
  const FileRec* start = rt->next;
  EXPECT_EQ(start->type, kFileAsm);
  ASSERT_NE(start->pOpts, nullptr);
  EXPECT_EQ(start->pOpts->prop.flags.ALWAYSBUILD, 1);
  EXPECT_EQ(start->pOpts->prop.BANKNO, 1);
  EXPECT_EQ(Block(p).t51.CBANKS5, 2) << "highest bank 5 gives code 2";
  EXPECT_TRUE(Block(p).t51.T51FL & (1u << 13));
}

TEST_F(OldIniImportTest, BankCountCodes) {
  const std::pair<int, int> rows[] = {{1, 0}, {2, 1}, {3, 1}, {4, 2}, {7, 2}, {8, 3}, {15, 3}, {16, 4}, {32, 4}};
  for (auto [bank, code] : rows) EXPECT_EQ(BankCountCode(bank), code) << bank;
}

TEST_F(OldIniImportTest, MakeOptsAndCompiler51) {
  ProjectRec* p = Project(0);
  Block(p).out.flags.GENAPP = 1;
  Block(p).out.flags.GENHEX = 0;
  ASSERT_EQ(Import(p,
                   "[MAKEOPTS]\nbeepdone=YES\nRunProg1=yes\nProgram1=flash.bat  \nAfterComp=7\nRegOpt=YES\n"
                   "[Q51]\nOptLevel=8\nEmpLevel=0\nModel=2\nDefines=DEBUG=1\nAddlOptions=NOAMAKE\n"
                   "AddlOptions= SRC\nPrint=YES\nSymbols=NO\nDebug=YES\n"
                   "[W51]\nInclude=..\\inc\nReg0=YES\nReg2=YES\nMacro=2\n"
                   "[NB51]\nCodeAddr=8000\nTRK51Tiny=YES\nAddl1=RS(256)\nAddl2=NOOL\nOverlay=YES\n"),
            "");
  OptionBlock& b = Block(p);
  EXPECT_EQ(b.out.flags.bit4, 1);
  EXPECT_EQ(b.out.flags.RUNUSR0, 1);
  EXPECT_EQ(b.out.RUNUSR[0].str(), "flash.bat");
  EXPECT_EQ(b.out.flags.GENAPP, 1) << "AfterComp 7 leaves the flags";
  EXPECT_EQ(b.out.flags.GENHEX, 0);
  EXPECT_EQ(b.q51.Q51FL & 3u, 1u);
  EXPECT_EQ((b.q51.Q51FL >> 14) & 0xFu, 8u);
  EXPECT_EQ((b.q51.Q51FL >> 22) & 3u, 1u);
  EXPECT_EQ(b.t51.MODEL5, 2);
  EXPECT_EQ(b.q51.Q51DEF.str(), "DEBUG=1");
  EXPECT_EQ(b.q51.Q51MSC.str(), "NOAMAKE SRC");
  EXPECT_EQ(b.lst.listFlags & 1u, 1u);
  EXPECT_EQ(b.lst.listFlags & (1u << 10), 0u);
  EXPECT_EQ(b.out.flags.DEBUG, 1);
  EXPECT_EQ(b.w51.WX51MSC.str(), "INCDIR(..\\inc) REGISTERBANK (0,2)");
  EXPECT_EQ(b.w51.WX51FL & 0xFu, 5u);
  EXPECT_EQ(b.n51.NX51COB.str(), "0x8000");
  EXPECT_EQ(b.t51.RTOS5, 1);
  EXPECT_EQ(b.n51.NX51MSC.str(), "RS(256) NOOL");
  EXPECT_TRUE(b.n51.NX51FL & (1u << 8));
}

TEST_F(OldIniImportTest, Sections166) {
  ProjectRec* p = Project(2);
  ASSERT_EQ(Import(p,
                   "[Q166]\nModel=2\nHoldSize=6\nHoldLoc=1\nInitVars=YES\nAddlOptions=X\nMod167=YES\n"
                   "[N166]\nVecTab=200H\nDPPUse1=1=NDATA 0x8000-0xBFFF, 2=NCONST 10-20\nClass1=A\nClass2=B\n"
                   "GenVectab=NO\nTKR166=YES\n[HZ166]\nRange=0x100,0x200\nOffset=16\nFormat=1\n"),
            "");
  OptionBlock& b = Block(p);
  EXPECT_EQ(b.t166.MODEL, 3) << "2 and 3 exchanged";
  EXPECT_EQ(b.t166.IHOLD, 6);
  EXPECT_EQ(b.q166.CMISC.str(), "NOINIT X MOD167 ");
  EXPECT_EQ(b.t166.flags.MOD167, 1);
  EXPECT_EQ(b.n166.INTVECTADDR.str(), "0200H");
  EXPECT_EQ(b.n166.flags.DPPUSE, 1);
  EXPECT_EQ(b.n166.NDATASEL, 1);
  EXPECT_EQ(b.n166.lnkWords1[0], 0x8000u);
  EXPECT_EQ(b.n166.lnkWords1[1], 0xBFFFu);
  EXPECT_EQ(b.n166.NCONSTSEL, 2);
  EXPECT_EQ(b.n166.lnkWords1[3], 20u);
  EXPECT_EQ(b.n166.LCLASSES.str(), "A,B");
  EXPECT_EQ(b.n166.LMISC.str(), "NOVECTAB ");
  EXPECT_EQ(b.t166.RTOS, 2);
  EXPECT_EQ(b.out.outSpare[0], 0x100u);
  EXPECT_EQ(b.out.outSpare[1], 0x200u);
  EXPECT_EQ(b.out.outSpare[2], 16u);
  EXPECT_EQ(b.out.HEXSEL, 1);
}

// The 251 linker's numbered keys each add to their list, joined by ",", as
// the 166 linker's do: a second line of a kind keeps the first.
TEST_F(OldIniImportTest, Linker251NumberedKeysCollectEveryLine) {
  struct Row {
    const char* name;
    const char* lines;
    OptString Linker51Opts::*field;
    const char* expected;
  };
  const Row rows[] = {
      {"classes", "Class1=CODE (0-0x7FFF)\nClass3=XDATA (0x10000-0x1FFFF)\n", &Linker51Opts::NX51UCL,
       "CODE (0-0x7FFF),XDATA (0x10000-0x1FFFF)"},
      {"segments", "Seg1=?PR?MAIN\nSeg6=?PR?UART\n", &Linker51Opts::NX51UCS, "?PR?MAIN,?PR?UART"},
      {"reserve", "Reserve1=0x100-0x1FF\nReserve2=0x8000-0x80FF\n", &Linker51Opts::NX51RES,
       "0x100-0x1FF,0x8000-0x80FF"},
      {"assign", "Assign1=A(1)\nAssign2=B(2)\n", &Linker51Opts::NX51ASN, "A(1),B(2)"},
      {"one line", "Reserve2=0x100-0x1FF\n", &Linker51Opts::NX51RES, "0x100-0x1FF"},
      {"number beyond the list", "Class1=C\nClass5=D\n", &Linker51Opts::NX51UCL, "C"},
  };
  for (const Row& r : rows) {
    PoolFreeAll();
    ProjectRec* p = Project(1);
    ASSERT_EQ(Import(p, std::string("[N251]\n") + r.lines), "") << r.name;
    EXPECT_EQ((Block(p).n51.*r.field).str(), r.expected) << r.name;
  }
}

// A file cut at every length imports what its complete lines say or fails
// with the file message; it never reads past the cut.
TEST_F(OldIniImportTest, CutAtEveryLength) {
  const std::string text =
      "[SESSION]\r\nA=1\r\n[PROJ]\r\nSource1=C:\\work\\old\\a.c\r\nTranslator1=3\r\nWarningErrlev1=0\r\n"
      "F=C:\\work\\old\\b.w51\xFF" "2 0 1\r\n[MAKEOPTS]\r\nProgram1=run.bat\r\n[Q51]\r\nOptLevel=9\r\n"
      "AddlOptions=/* c */ SRC\r\n";
  for (std::size_t n = 0; n <= text.size(); ++n) {
    PoolFreeAll();
    ProjectRec* p = Project(0);
    const std::string r = Import(p, text.substr(0, n));
    EXPECT_TRUE(r.empty() || r == kOldIniInvalidFile) << n;
    EXPECT_LE(Files(p).size(), 2u) << n;
    if (n == text.size()) {
      EXPECT_EQ(Files(p).size(), 2u);
      EXPECT_EQ(Block(p).q51.Q51MSC.str(), "SRC");
    }
  }
}

}  // namespace
}  // namespace pm2
