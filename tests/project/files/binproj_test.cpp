// Previous-generation binary projects, the open path and crash-safe saves.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <random>

#include "project/file_test_util.h"
#include "project/files/binary_project.h"
#include "project/files/debug_lists.h"
#include "project/files/project_file.h"
#include "project/files/project_open.h"
#include "project/recording_shell.h"
#include "projfile_fixture.h"

namespace pm2 {
namespace {

// A binary project with one record of every type.
// storedFolder null: the project record stores no folder.
BinaryProjectWriter SampleBinary(const char* outDir = ".\\obj\\",
                                 const char* storedFolder = "D:\\elsewhere\\") {
  BinaryProjectWriter w;
  w.Begin(kBinProject);
  w.String("Name", "old");
  if (storedFolder) w.String("Path", storedFolder);
  w.String("Cext", "*.c;*.h");
  w.String("Full", "D:\\notes.txt");
  w.Blob("WndPl", std::string(76, '\x02'));
  w.End();
  w.Begin(kBinTarget);
  w.ShortString("Target", "Board");
  w.U16("ToolSet", kToolset166);
  w.String("Device", "C167CR");
  w.String("sDll", "Sim166.DLL");
  w.U16("BR_5", 3);
  w.String("BR_1", "main.c\\10");
  w.U32("BR_2", 0x1234);
  w.String("MM_2", "dptr");
  w.U16("XM_S", 5);
  w.U16("curTarg", 1);
  w.End();
  w.Begin(99);  // a record type of a later version: skipped whole
  w.String("Zzz", "ignored");
  w.End();
  w.Begin(kBinGroup);
  w.ShortString("Group", "Source");
  w.Byte("cbSel", 1);
  w.End();
  w.Begin(kBinFile);
  w.String("Name", "main.c");
  w.U16("Index", 0);
  w.String("Full", ".\\main.c");
  w.Byte("fType", kFileC);
  w.String("Unknown", "skipped by its type");  // not a field name of the format
  w.U32("ED_T", 33);
  w.End();
  w.Begin(kBinTargetOptions);
  w.U16("Index", 0);
  w.String("Path", outDir);
  w.String("Name", "board");
  w.Byte("gHex", 1);
  w.Byte("Optim", 4);
  w.String("pDef", "DEBUG=1");
  w.Blob("mHold", std::string("\x01\x00\x02\x00\x03\x00\x04\x00", 8));
  w.U32("Clk166", 20000000);
  w.String("sTkey", "K");
  w.String("sTnam", "V");
  w.End();
  w.Begin(kBinGroupOptions);
  w.Index(0);
  w.Index(0);
  w.Byte("uStat", 1);
  w.End();
  w.Begin(kBinFileOptions);
  w.Index(0);
  w.Index(0);
  w.Index(0);
  w.String("pMisc", "SMALL");
  w.End();
  w.Begin(kBinFileOptions);  // names no file: dropped
  w.Index(0);
  w.Index(0);
  w.Index(9);
  w.String("pMisc", "LOST");
  w.End();
  w.EndOfProject();
  return w;
}

class BinProjTest : public ProjectFileTest {};

// A target options record without "Name" keeps the default output name:
// the imported project's own name, not that of the project open before.
TEST_F(BinProjTest, DefaultOutputNameIsTheImportedProjectsName) {
  ProjectRec* other = NewProject(nullptr, "C:\\work\\Other.pm2");
  theApp().m_pProject = other;
  BinaryProjectWriter w;
  w.Begin(kBinProject);
  w.String("Path", "C:\\work\\");
  w.End();
  w.Begin(kBinTarget);
  w.ShortString("Target", "T1");
  w.U16("ToolSet", kToolset166);
  w.End();
  w.Begin(kBinTargetOptions);
  w.U16("Index", 0);
  w.End();
  w.EndOfProject();
  ProjectRec* p = nullptr;
  ASSERT_EQ(0, ReadBinaryProject(w.Data(), false, &p, "Motor"));
  ASSERT_TRUE(p && p->firstTarget && p->firstTarget->pOpts);
  EXPECT_EQ(p->name.str(), "Motor");
  EXPECT_EQ(p->firstTarget->pOpts->out.OUTNAME.str(), "Motor");
  EXPECT_EQ(theApp().m_pProject, other);
}

TEST_F(BinProjTest, EveryRecordTypeReadsIntoTheRecordsATextProjectGives) {
  ProjectRec* p = nullptr;
  ASSERT_EQ(0, ReadBinaryProject(SampleBinary().Data(), false, &p));
  ASSERT_TRUE(p);
  TargetRec* t = p->firstTarget;
  ASSERT_TRUE(t && t->pOpts);
  EXPECT_EQ(t, p->curTarget);
  EXPECT_EQ("*.c;*.h", p->filters[kFilterC].str());
  ASSERT_TRUE(p->editorFiles);
  EXPECT_EQ("D:\\notes.txt", p->editorFiles->path.str());
  EXPECT_EQ("Sim166.DLL", t->OPTDL[0].str());
  ASSERT_TRUE(t->breakpoints);
  EXPECT_EQ(3, t->breakpoints->flags & kBreakKindMask);
  EXPECT_EQ(0x1234u, t->breakpoints->value1);
  EXPECT_EQ(5, t->memWindows[1]->value);
  EXPECT_EQ(8u, p->firstGroup->flags);
  FileRec* f = p->firstGroup->firstFile;
  ASSERT_TRUE(f);
  EXPECT_EQ(33, f->topLine);
  EXPECT_EQ(1, p->firstGroup->pOpts->q166.flags.STATIC);
  ASSERT_TRUE(f->pOpts);
  EXPECT_EQ("SMALL", f->pOpts->q166.CMISC.str());
  EXPECT_EQ(nullptr, f->pOpts->next);

  // The same target written as text reads into the same target block.
  p->name = OptString::Pooled("old", 1);
  std::string fromBinary = BuildProjectFileText(*p);
  std::string text =
      std::string(kProjectHeader) +
      "Target (Board), 0x0002\r\nGroup (Source)\r\nFile 1,1,<.\\main.c><main.c> 0\r\n"
      "Options 1,0,0\r\n Device (C167CR)\r\n OutDir (.\\obj\\)\r\n OutName (board)\r\n GenHex=1\r\n"
      " Optimize=4\r\n Define (DEBUG=1)\r\n nHold=1\r\n iHold=2\r\n sHold=3\r\n bHold=4\r\n"
      "  OPTDL (Sim166.DLL)()()()()()()()\r\nEndOpt\r\n";
  PoolFree(kPoolScratch);
  ProjectFileIo io;
  ASSERT_EQ(0, ReadProjectText(io, "/x/old.pm2", text, nullptr)) << io.message;
  std::string fromText = BuildProjectFileText(*io.project);
  std::size_t end = fromText.find("Options 1,1,");
  EXPECT_EQ(fromText.substr(0, end), fromBinary.substr(0, fromBinary.find("Options 1,1,")));
  EXPECT_EQ(20000000u, t->pOpts->t166.clock);
  EXPECT_EQ("V", GetKeyValue(t->pOpts->dbg.OPTKEY, "K"));
}

TEST_F(BinProjTest, MemoryValueGoesToTheEntryAppendedLast) {
  BinaryProjectWriter w;
  w.Begin(kBinProject);
  w.String("Name", "old");
  w.End();
  w.Begin(kBinTarget);
  w.ShortString("Target", "One");
  w.String("MM_4", "late window");
  w.U16("XM_S", 4);
  w.String("MM_1", "early window");
  w.U16("XM_S", 1);
  w.End();
  w.Begin(kBinTarget);
  w.ShortString("Target", "Two");
  w.U16("XM_S", 7);  // no entry of its own yet: changes nothing
  w.End();
  w.EndOfProject();
  ProjectRec* p = nullptr;
  ASSERT_EQ(0, ReadBinaryProject(w.Data(), false, &p));
  TargetRec* t = p->firstTarget;
  ASSERT_TRUE(t->memWindows[0] && t->memWindows[3]);
  EXPECT_EQ(1, t->memWindows[0]->value);
  EXPECT_EQ(4, t->memWindows[3]->value);
  for (MemWindowRec* m : t->next->memWindows) EXPECT_EQ(nullptr, m);
}

// Fields that come before the field creating their record's object touch
// nothing, least of all the object of the record before.
TEST_F(BinProjTest, FieldsBeforeTheCreatingFieldChangeNoEarlierRecord) {
  BinaryProjectWriter w;
  w.Begin(kBinProject);
  w.String("Name", "old");
  w.End();
  for (const char* name : {"One", "Two"}) {
    w.Begin(kBinTarget);
    w.Byte("tvExp", 1);
    w.ShortString("Target", name);
    w.End();
    w.Begin(kBinGroup);
    w.Byte("tvExp", 1);
    w.Byte("cbSel", 1);
    w.ShortString("Group", name);
    w.Byte("tvExpO", 1);
    w.End();
    w.Begin(kBinFile);
    w.Byte("tvExp", 1);
    w.String("Name", name);
    w.U16("Index", 0);
    w.Byte("tvExpO", 1);
    w.End();
  }
  w.EndOfProject();
  ProjectRec* p = nullptr;
  ASSERT_EQ(0, ReadBinaryProject(w.Data(), false, &p));
  for (TargetRec* t = p->firstTarget; t; t = t->next) EXPECT_EQ(0u, t->flags) << t->name.str();
  for (GroupRec* g = p->firstGroup; g; g = g->next) EXPECT_EQ(2u, g->flags) << g->name.str();
  for (FileRec* f = p->firstGroup->firstFile; f; f = f->next) EXPECT_EQ(4u, f->flags) << f->name.str();
}

// Widths, low bits and destinations of option fields, each on its own
// target options record.
TEST_F(BinProjTest, OptionFieldsSetTheirOwnBlockFields) {
  using Write = void (*)(BinaryProjectWriter&);
  using Read = uint32_t (*)(const OptionBlock&);
  struct Row {
    const char* name;
    Write write;
    Read read;
    uint32_t expected;
  } rows[] = {
      {"gPgLen keeps the low 16 bits", [](BinaryProjectWriter& w) { w.U32("gPgLen", 0x12345); },
       [](const OptionBlock& b) -> uint32_t { return b.lst.pageLength; }, 0x2345},
      {"gFlash is the second hex value", [](BinaryProjectWriter& w) { w.U16("gFlash", 0xBEEF); },
       [](const OptionBlock& b) -> uint32_t { return b.out.outWord2; }, 0xBEEF},
      {"gHex3 is a full 32-bit value", [](BinaryProjectWriter& w) { w.U32("gHex3", 0xFFFFFFFE); },
       [](const OptionBlock& b) -> uint32_t { return b.out.outSpare[2]; }, 0xFFFFFFFE},
      {"RgCol takes two low bits", [](BinaryProjectWriter& w) { w.Byte("RgCol", 0xFE); },
       [](const OptionBlock& b) -> uint32_t { return b.q166.flags.REGCOLOR; }, 2},
      {"uFile takes one low bit", [](BinaryProjectWriter& w) { w.Byte("uFile", 0xFE); },
       [](const OptionBlock& b) -> uint32_t { return b.n166.flags.USELINKFILE; }, 0},
      {"gUsr2 runs the second program", [](BinaryProjectWriter& w) { w.Byte("gUsr2", 1); },
       [](const OptionBlock& b) -> uint32_t { return b.out.flags.RUNUSR1; }, 1},
      {"gBr browses", [](BinaryProjectWriter& w) { w.Byte("gBr", 1); },
       [](const OptionBlock& b) -> uint32_t { return b.out.flags.BROWSE; }, 1},
      {"glXref is listing bit 18", [](BinaryProjectWriter& w) { w.Byte("glXref", 1); },
       [](const OptionBlock& b) -> uint32_t { return b.lst.listFlags >> 18 & 1; }, 1},
      {"m167 is the 167 flag", [](BinaryProjectWriter& w) { w.Byte("m167", 3); },
       [](const OptionBlock& b) -> uint32_t { return b.t166.flags.MOD167; }, 1},
      {"hadICAN is the CAN flag", [](BinaryProjectWriter& w) { w.Byte("hadICAN", 1); },
       [](const OptionBlock& b) -> uint32_t { return b.t166.flags.hasCan; }, 1},
      {"nExCode stops the build", [](BinaryProjectWriter& w) { w.U16("nExCode", 3); },
       [](const OptionBlock& b) -> uint32_t { return b.prop.STOPCODE; }, 3},
      {"tIfil is the tenth debug string",
       [](BinaryProjectWriter& w) { w.String("tIfil", "init.ini"); },
       [](const OptionBlock& b) -> uint32_t { return b.dbg.str[9].str() == "init.ini"; }, 1},
      {"string characters lose their top bit",
       [](BinaryProjectWriter& w) { w.String("pDef", "\xC1\xE2"); },
       [](const OptionBlock& b) -> uint32_t { return b.q166.DEFINE.str() == "Ab"; }, 1},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    PoolFreeAll();
    BinaryProjectWriter w;
    w.Begin(kBinProject);
    w.String("Name", "old");
    w.End();
    w.Begin(kBinTarget);
    w.ShortString("Target", "T");
    w.U16("ToolSet", kToolset166);
    w.End();
    w.Begin(kBinTargetOptions);
    w.U16("Index", 0);
    row.write(w);
    w.End();
    w.EndOfProject();
    ProjectRec* p = nullptr;
    ASSERT_EQ(0, ReadBinaryProject(w.Data(), false, &p));
    ASSERT_TRUE(p->firstTarget->pOpts);
    EXPECT_EQ(row.expected, row.read(*p->firstTarget->pOpts));
  }
}

TEST_F(BinProjTest, DamagedFilesGiveTheirErrors) {
  std::string good = SampleBinary().Data();
  std::size_t second = good.find(char(kBinProject), 5);
  struct Row {
    const char* name;
    std::string data;
    int expected;
  } rows[] = {
      {"no header", good.substr(0, 0) + "xyz", kBinBadHeader},
      {"bad header checksum", std::string(good).replace(3, 1, "Q"), kBinBadHeader},
      {"second record checksum", std::string(good).replace(second + 5, 1, "\x7F"), kBinBadChecksum},
      {"cut inside a record", good.substr(0, second + 10), kBinBadChecksum},
  };
  for (auto& row : rows) {
    SCOPED_TRACE(row.name);
    PoolFreeAll();
    ProjectRec* p = nullptr;
    EXPECT_EQ(row.expected, ReadBinaryProject(row.data, false, &p));
  }
  BinaryProjectWriter w;
  w.Begin(kBinProject);
  w.Blob("WndPl", std::string(40, 'x'));  // must be 76 bytes
  w.End();
  ProjectRec* p = nullptr;
  EXPECT_EQ(kBinBadField, ReadBinaryProject(w.Data(), false, &p));
  BinaryProjectWriter w2;
  w2.Begin(kBinProject);
  w2.U32("Path", 1);  // a string field given as a number
  w2.End();
  EXPECT_EQ(kBinBadField, ReadBinaryProject(w2.Data(), false, &p));
}

TEST_F(BinProjTest, EveryCutOfABinaryFileFailsCleanly) {
  std::string good = SampleBinary().Data();
  for (std::size_t len = 0; len < good.size(); ++len) {
    PoolFreeAll();
    ProjectRec* p = nullptr;
    int rc = ReadBinaryProject(std::string_view(good).substr(0, len), false, &p);
    EXPECT_TRUE(rc == kBinOk || rc == kBinBadHeader || rc == kBinBadChecksum) << len;
  }
}

class ProjectOpenTest : public ProjectFileTest {
 protected:
  ScratchDir dir;
};

TEST_F(ProjectOpenTest, BinaryProjectOpensFixesItsFoldersAndSavesAsText) {
  ScopedRecordingShell shell;
  WriteFileText(dir.File("old.prj"), SampleBinary(".\\out\\lst\\").Data());
  std::string message;
  ASSERT_EQ(0, OpenProjectFile(dir.File("old.prj"), &message)) << message;
  ProjectRec* p = theApp().m_pProject;
  EXPECT_EQ(dir.path.string() + "/", p->folder.str());
  EXPECT_EQ("old", p->name.str());
  EXPECT_FALSE(std::filesystem::exists(dir.path / "out"));  // made by a build, not by the open
  ASSERT_EQ(0, SaveProjectFiles(nullptr, &message)) << message;
  ASSERT_TRUE(std::filesystem::exists(dir.File("old.Pm2")));
  // The converted file opens as a text project, whatever its extension.
  std::filesystem::copy_file(dir.File("old.Pm2"), dir.File("copy.prj"));
  ASSERT_EQ(0, OpenProjectFile(dir.File("copy.prj"), &message)) << message;
  EXPECT_EQ("Board", theApp().m_pProject->firstTarget->name.str());
  EXPECT_EQ(kBinCannotOpen, OpenProjectFile(dir.File("none.pm2"), &message));
}

// Opening a project creates no folder, wherever its targets' output and
// listing folders lie: a project made by someone else may name any folder
// of the user's. The build makes them when it writes into them.
TEST_F(ProjectOpenTest, OpeningAProjectCreatesNoFolder) {
  struct Row {
    const char* name;
    const char* storedFolder;  // null: none stored
    const char* outDir;
  } rows[] = {
      {"dot folder", "D:\\elsewhere\\", ".\\obj\\"},
      {"plain relative folder", "D:\\elsewhere\\", "out\\bin\\"},
      {"no stored folder", nullptr, ".\\obj\\"},
      {"project folder itself", "D:\\elsewhere\\", ".\\"},
      {"drive letter", "D:\\elsewhere\\", "Q:\\out\\"},
      {"outside the project", "D:\\elsewhere\\", "..\\victim\\out\\"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    ScratchDir outer;
    const std::filesystem::path here = outer.path / "project";
    std::filesystem::create_directory(here);
    ScopedRecordingShell shell;
    WriteFileText((here / "old.prj").string(), SampleBinary(row.outDir, row.storedFolder).Data());
    std::string message;
    ASSERT_EQ(0, OpenProjectFile((here / "old.prj").string(), &message)) << message;
    EXPECT_EQ(here.string() + "/", theApp().m_pProject->folder.str());
    EXPECT_TRUE(shell.shell.lines.empty());
    std::size_t folders = 0;
    for (auto& e : std::filesystem::recursive_directory_iterator(outer.path)) folders += e.is_directory();
    EXPECT_EQ(1u, folders);  // the project's own
    EXPECT_FALSE(std::filesystem::exists("Q:"));
  }
}

// The check finds the open project's file as the save writes it (".Pm2").
TEST_F(ProjectOpenTest, CheckFindsTheOpenProjectsFileAndItsState) {
  struct Row {
    const char* name;
    const char* fileOnDisk;  // null: none
    bool readOnly;
    int mode;
    int expected;
  } rows[] = {
      {"missing, mode 1", nullptr, false, 1, kBinCannotOpen},
      {"missing, mode 2", nullptr, false, 2, kBinOk},
      {"as saved, mode 1", "p.Pm2", false, 1, kBinOk},
      {"as saved read-only, mode 2", "p.Pm2", true, 2, kBinReadOnly},
      {"lower case read-only, mode 2", "p.pm2", true, 2, kBinReadOnly},
      {"writable, mode 2", "p.Pm2", false, 2, kBinOk},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    ScratchDir here;
    ProjectRec* p = MakeProject((here.path.string() + "/").c_str(), "p");
    if (row.fileOnDisk) {
      WriteFileText(here.File(row.fileOnDisk), "x");
      if (row.readOnly) std::filesystem::permissions(here.File(row.fileOnDisk),
                                                     std::filesystem::perms::owner_read);
    }
    OldProjectProbe probe;
    EXPECT_EQ(row.expected, probe.Check(p, "", row.mode));
    EXPECT_EQ(row.readOnly, probe.readOnly);
    EXPECT_EQ("p", probe.baseName);
    EXPECT_TRUE(probe.folder.empty());
    if (row.fileOnDisk) {
      EXPECT_EQ(here.File(row.fileOnDisk), probe.path);
    }
  }
}

TEST_F(ProjectOpenTest, BrokenBinaryProjectsFailToOpenAndLeaveTheOpenProject) {
  BinaryProjectWriter headerOnly;
  headerOnly.EndOfProject();
  std::string good = SampleBinary().Data();
  std::size_t second = good.find(char(kBinProject), 5);
  struct Row {
    const char* name;
    std::string data;
    int expected;
  } rows[] = {
      {"no project record", headerOnly.Data(), kBinBadHeader},
      {"checksum of the project record", std::string(good).replace(second + 5, 1, "\x7F"),
       kBinBadChecksum},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    ScratchDir here;
    ProjectRec* before = MakeProject();
    theApp().m_pProject = before;
    WriteFileText(here.File("old.prj"), row.data);
    std::string message;
    EXPECT_EQ(row.expected, OpenProjectFile(here.File("old.prj"), &message));
    EXPECT_NE(std::string::npos, message.find("old.prj")) << message;
    EXPECT_EQ(before, theApp().m_pProject);
  }
}

// A target, group or file name that the project file cannot hold would be
// saved and read back as another name (a target "T)1" as "T" of another
// family), and two groups of one name but for letter case could not be told
// apart: the open refuses the project naming the name and why, and takes
// nothing of it (the open project stays, no folder is made).
TEST_F(ProjectOpenTest, NamesTheProjectFileCannotHoldRefuseTheBinaryProject) {
  struct Row {
    const char* name;
    const char* target;
    const char* group;
    const char* file;
    const char* full;
    std::string why;  // "" when the project opens
    const char* secondGroup = nullptr;
  } rows[] = {
      {"TargetClosing", "T)1", "Source", "main.c", ".\\main.c",
       "The target name 'T)1' cannot be stored: it holds a ')' without its '('."},
      {"TargetOpening", "(T", "Source", "main.c", ".\\main.c",
       "The target name '(T' cannot be stored: it holds a '(' without its ')'."},
      {"GroupClosing", "Board", "x)y", "main.c", ".\\main.c",
       "The group name 'x)y' cannot be stored: it holds a ')' without its '('."},
      {"GroupLineBreakMark", "Board", "a\\~b", "main.c", ".\\main.c",
       "The group name 'a\\~b' cannot be stored: it holds the characters \"\\~\"."},
      {"FileNameBackslash", "Board", "Source", "a\\b.c", ".\\a\\b.c",
       "The file '.\\a\\b.c' cannot be stored in the project: its name holds a '\\', which the project reads "
       "as a folder separator."},
      {"FileNameLessThan", "Board", "Source", "a<b.c", ".\\a<b.c",
       "The file '.\\a<b.c' cannot be stored in the project: its name holds a '<' without its '>'."},
      {"FileFolderGreaterThan", "Board", "Source", "ok.c", ".\\x>y\\ok.c",
       "The file '.\\x>y\\ok.c' cannot be stored in the project: its name holds a '>' without its '<'."},
      {"BalancedNamesOpen", "Flash (A)", "Drivers (UART)", "x<1>.c", ".\\x<1>.c", ""},
      {"GroupNameTwiceButForLetterCase", "Board", "Source", "main.c", ".\\main.c",
       "There are two groups named 'Source' and 'source': group names are told apart without letter case.",
       "source"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    ScratchDir here;
    ScopedRecordingShell shell;
    ProjectRec* before = MakeProject();
    theApp().m_pProject = before;
    BinaryProjectWriter w;
    w.Begin(kBinProject);
    w.String("Name", "old");
    w.End();
    w.Begin(kBinTarget);
    w.ShortString("Target", row.target);
    w.U16("ToolSet", kToolset166);
    w.End();
    w.Begin(kBinGroup);
    w.ShortString("Group", row.group);
    w.End();
    if (row.secondGroup) {
      w.Begin(kBinGroup);
      w.ShortString("Group", row.secondGroup);
      w.End();
    }
    w.Begin(kBinFile);
    w.String("Name", row.file);
    w.U16("Index", 0);
    w.String("Full", row.full);
    w.Byte("fType", kFileC);
    w.End();
    w.Begin(kBinTargetOptions);
    w.U16("Index", 0);
    w.String("Path", ".\\obj\\");
    w.End();
    w.EndOfProject();
    WriteFileText(here.File("old.prj"), w.Data());
    std::string message;
    const int rc = OpenProjectFile(here.File("old.prj"), &message);
    if (row.why.empty()) {
      EXPECT_EQ(kBinOk, rc) << message;
      continue;
    }
    EXPECT_EQ(kBinBadName, rc);
    EXPECT_EQ(message, "'" + here.File("old.prj") + "' is no valid project: " + row.why);
    EXPECT_EQ(before, theApp().m_pProject);
    std::vector<std::string> entries;
    for (auto& e : std::filesystem::directory_iterator(here.path)) entries.push_back(e.path().filename().string());
    EXPECT_EQ(entries, std::vector<std::string>{"old.prj"});
  }
}

// Every converted text takes the check its field takes in the options
// sheet: an output name "Pr)og" would be saved as " OutName (Pr)og)" and
// built as "Pr". The open refuses the project naming the text, its owner
// and why; balanced texts open and read back whole after the save.
TEST_F(ProjectOpenTest, TextsTheFilesCannotHoldRefuseTheBinaryProject) {
  struct Field {
    uint8_t record;  // kBinTarget, kBinTargetOptions or kBinGroupOptions
    const char* name;
    const char* value;
  };
  const struct Row {
    const char* name;
    std::vector<Field> fields;
    std::string why;  // "" when the project opens
  } rows[] = {
      {"OutputName", {{kBinTargetOptions, "Name", "Pr)og"}},
       "The text 'Pr)og' of 'Name of Executable' of target 'Board' cannot be stored: it holds a ')' without its '('."},
      {"OutputFolderAngle", {{kBinTargetOptions, "Path", ".\\o<bj\\"}},
       "The text '.\\o<bj\\' of 'Folder for Objects' of target 'Board' cannot be stored: it holds a '<' without its '>'."},
      {"ListingFolder", {{kBinTargetOptions, "gLdir", ".\\l)st\\"}},
       "The text '.\\l)st\\' of 'Folder for List Files' of target 'Board' cannot be stored: it holds a ')' without its '('."},
      {"UserProgram", {{kBinTargetOptions, "gUprg2", "echo hi > out.txt"}},
       "The text 'echo hi > out.txt' of 'Run User Program #2' of target 'Board' cannot be stored: it holds a '>' without its '<'."},
      {"LinkerMisc", {{kBinTargetOptions, "lMisc", "a\nb"}},
       "The text 'a\nb' of 'lMisc' of target 'Board' cannot be stored: it holds a line break without a carriage return."},
      {"DriverSetting", {{kBinTargetOptions, "sTkey", "K"}, {kBinTargetOptions, "sTnam", "V)"}},
       "The text 'V)' of 'OPTKEY' of target 'Board' cannot be stored: it holds a ')' without its '('."},
      {"DeviceText", {{kBinTarget, "CPU", "IRAM(0x0-0xFF"}},
       "The text 'IRAM(0x0-0xFF' of 'Cpu' of target 'Board' cannot be stored: it holds a '(' without its ')'."},
      {"WatchExpression", {{kBinTarget, "WA_1", "a)"}},
       "The text 'a)' of 'OPTWA' of target 'Board' cannot be stored: it holds a ')' without its '('."},
      {"GroupDefine", {{kBinGroupOptions, "pDef", "A)B"}},
       "The text 'A)B' of 'Define' of group 'Source' cannot be stored: it holds a ')' without its '('."},
      {"BalancedTextsOpen",
       {{kBinTargetOptions, "Name", "Pr(1)"}, {kBinTargetOptions, "gUprg1", "copy <a> b"},
        {kBinTargetOptions, "gLdir", ".\\lst (1)\\"}, {kBinGroupOptions, "pDef", "F(x)=(x+1)"}},
       ""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    ScratchDir here;
    ScopedRecordingShell shell;
    ProjectRec* before = MakeProject();
    theApp().m_pProject = before;
    BinaryProjectWriter w;
    const auto fields = [&](uint8_t record) {
      for (const Field& f : row.fields)
        if (f.record == record) w.String(f.name, f.value);
    };
    w.Begin(kBinProject);
    w.String("Name", "old");
    w.End();
    w.Begin(kBinTarget);
    w.ShortString("Target", "Board");
    w.U16("ToolSet", kToolset166);
    fields(kBinTarget);
    w.End();
    w.Begin(kBinGroup);
    w.ShortString("Group", "Source");
    w.End();
    w.Begin(kBinFile);
    w.String("Name", "main.c");
    w.U16("Index", 0);
    w.String("Full", ".\\main.c");
    w.Byte("fType", kFileC);
    w.End();
    w.Begin(kBinTargetOptions);
    w.U16("Index", 0);
    fields(kBinTargetOptions);
    w.End();
    w.Begin(kBinGroupOptions);
    w.Index(0);
    w.Index(0);
    fields(kBinGroupOptions);
    w.End();
    w.EndOfProject();
    WriteFileText(here.File("old.prj"), w.Data());
    std::string message;
    const int rc = OpenProjectFile(here.File("old.prj"), &message);
    if (!row.why.empty()) {
      EXPECT_EQ(kBinBadName, rc);
      EXPECT_EQ(message, "'" + here.File("old.prj") + "' is no valid project: " + row.why);
      EXPECT_EQ(before, theApp().m_pProject);
      continue;
    }
    ASSERT_EQ(kBinOk, rc) << message;
    // Saved as text and opened again, every text is as converted.
    ASSERT_EQ(SaveProjectFiles(nullptr, &message), 0) << message;
    ASSERT_EQ(OpenProjectFile(here.File("old.Pm2"), &message), 0) << message;
    ProjectRec* p = theApp().m_pProject;
    ASSERT_TRUE(p && p->firstTarget && p->firstTarget->pOpts && p->firstGroup);
    const OptionBlock& o = *p->firstTarget->pOpts;
    EXPECT_EQ(o.out.OUTNAME.str(), "Pr(1)");
    EXPECT_EQ(o.out.RUNUSR[0].str(), "copy <a> b");
    EXPECT_EQ(o.lst.LSTDIR.str(), ".\\lst (1)\\");
    const OptionBlock* g = FindTargetOptions(p->firstGroup->pOpts, p->firstTarget);
    ASSERT_NE(g, nullptr);
    EXPECT_EQ(g->q166.DEFINE.str(), "F(x)=(x+1)");
  }
}

TEST_F(ProjectOpenTest, ProjectOpenedByABareNameLivesInTheCurrentFolder) {
  ScopedRecordingShell shell;
  WriteFileText(dir.File("old.prj"), SampleBinary(".\\obj\\").Data());
  std::filesystem::path was = std::filesystem::current_path();
  std::filesystem::current_path(dir.path);
  std::string message;
  int rc = OpenProjectFile("old.prj", &message);
  std::filesystem::current_path(was);
  ASSERT_EQ(0, rc) << message;
  EXPECT_EQ("", theApp().m_pProject->folder.str());  // not the stored "D:\\elsewhere\\"
  EXPECT_FALSE(std::filesystem::exists(dir.path / "obj"));
  EXPECT_TRUE(shell.shell.lines.empty());
}

// A save killed at any moment leaves a project that opens.
TEST_F(ProjectOpenTest, KilledSavesNeverLeaveABrokenProject) {
  ProjectRec* p = MakeProject((dir.path.string() + "/").c_str(), "kill");
  TargetRec* t = AddTarget(p, "T", kToolsetArmGnu);
  GroupRec* g = AddGroupRec(p, "G");
  for (int i = 0; i < 300; ++i) AddFile(g, ("f" + std::to_string(i) + ".c").c_str(), kFileC);
  ASSERT_EQ(0, SaveProjectFiles(p));
  std::mt19937 rng(1234);
  for (int round = 0; round < 12; ++round) {
    pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      for (int n = 0;; ++n) {
        t->pOpts->cGnu.ACMISC = OptString::Pooled("-O" + std::to_string(n), 1);
        SaveProjectFiles(p);
      }
    }
    ::usleep(1000 + rng() % 20000);
    ::kill(pid, SIGKILL);
    int status = 0;
    ::waitpid(pid, &status, 0);
    ProjectFileIo io;
    ASSERT_EQ(0, ReadProjectFile(io, dir.File("kill.Pm2"))) << "round " << round << io.message;
    int files = 0;
    for (FileRec* f = io.project->firstGroup->firstFile; f; f = f->next) ++files;
    EXPECT_EQ(300, files);
    PoolFree(kPoolScratch);
  }
}

}  // namespace
}  // namespace pm2
