// Damaged copies of the example's project file, opened as the user opens
// one: every copy cut at every length, values its fields cannot take, keys
// given twice, and the binary import's damage. A file that is refused says
// what is wrong and where (its line and key, or for a binary project its
// record, byte and field), never only an error number.
#include <gtest/gtest.h>

#include <cstdlib>
#include <regex>
#include <string>
#include <vector>

#include "project/file_test_util.h"
#include "project/files/binary_project.h"
#include "project/files/project_open.h"
#include "project/model/app_state.h"
#include "project/model_fixture.h"
#include "project/text/pool.h"
#include "project/recording_shell.h"

namespace pm2 {
namespace {

std::string ExampleProjectText() {
  return ReadFileText(std::string(std::getenv("PM2_TEST_SRC")) + "/examples/blinky/Blinky.pm2");
}

// The example's text with `what` replaced by `with` (the first time).
std::string Changed(const std::string& text, const std::string& what, const std::string& with) {
  const std::size_t at = text.find(what);
  EXPECT_NE(at, std::string::npos) << what;
  return at == std::string::npos ? text : std::string(text).replace(at, what.size(), with);
}

class DamagedProjectTest : public ModelTest {
 protected:
  // Opens `data` as the project file "Blinky.pm2": 0, or the error with
  // *message as the user sees it.
  int Open(const std::string& data, std::string* message) {
    PoolFree(kPoolProject);
    PoolFree(kPoolDebugLists);
    theApp().m_pProject = nullptr;
    WriteFileText(dir.File("Blinky.pm2"), data);
    return OpenProjectFile(dir.File("Blinky.pm2"), message);
  }
  ScopedRecordingShell shell;
  ScratchDir dir;
};

// The line a message names: "'...' line 17: ...".
int LineOf(const std::string& message) {
  std::smatch m;
  static const std::regex kLine("' line ([0-9]+): ");
  return std::regex_search(message, m, kLine) ? std::stoi(m[1]) : 0;
}

// Every cut of the file is refused naming a line of the text and what is
// wrong there, or opens whole (the cut after the last block's end).
TEST_F(DamagedProjectTest, EveryCutNamesItsLine) {
  const std::string text = ExampleProjectText();
  ASSERT_FALSE(text.empty());
  std::string message;
  ASSERT_EQ(Open(text, &message), 0) << message;
  int lines = 1;
  for (char c : text) lines += c == '\n';
  const std::size_t lastEnd = text.rfind("EndOpt") + 6;
  for (std::size_t len = 0; len < text.size(); ++len) {
    SCOPED_TRACE("cut at " + std::to_string(len) + ": " + message);
    message.clear();
    if (Open(text.substr(0, len), &message) == 0) {
      // Only a cut after the last block's end opens.
      EXPECT_GE(len, lastEnd);
      continue;
    }
    EXPECT_EQ(message.rfind("'" + dir.File("Blinky.pm2") + "' line ", 0), 0u);
    const int line = LineOf(message);
    EXPECT_GE(line, 1);
    EXPECT_LE(line, lines);
    EXPECT_EQ(message.find("(error "), std::string::npos);
    // What is wrong is said after the line.
    EXPECT_GT(message.size(), message.find(": ") + 20);
  }
}

struct ProjectFileDamageRow {
  const char* name;
  const char* what;    // replaced in the example's text ...
  const char* with;    // ... by this
  int line;            // the line the message names
  const char* said;    // and a part of what it says is wrong
};

const ProjectFileDamageRow kDamage[] = {
    {"toolset not a number", "0x0003 //", "GNU //", 4, "the toolset is not a number"},
    {"toolset too big", "0x0003 //", "0x10003 //", 4, "the toolset does not fit its field"},
    {"file of no group", "File 2,1,<./LED.c>", "File 9,1,<./LED.c>", 11, "unknown group"},
    {"file type too big", "File 2,1,<./LED.c>", "File 2,300,<./LED.c>", 11, "the file type does not fit its field"},
    {"options of no target", "Options 1,0,0", "Options 2,0,0", 15, "unknown target"},
    {"bit-field too big", " GenHex=1\r\n", " GenHex=2\r\n", 39, "the value of 'GenHex' does not fit its field"},
    {"byte field not a number", " HexSel=1\r\n", " HexSel=one\r\n", 43, "the value of 'HexSel' is no number"},
    {"unknown key", " Browse=0\r\n", " Browze=0\r\n", 41, "unknown key 'BROWZE' in the options"},
    {"clock not a number", "CLOCK(12000000)", "CLOCK(fast)", 18, "in the CPU string"},
    {"end of block missing", "EndOpt", "EndOps", 90, "unknown key 'ENDOPS'"},
    // Keys given twice: which one would count?
    {"output folder twice", " OutDir (./Obj/)\r\n", " OutDir (./Obj/)\r\n OutDir (../../)\r\n", 36,
     "the key 'OutDir' stands a second time in one options block (first at line 35)"},
    {"number key twice", " GenHex=1\r\n", " GenHex=1\r\n GenHex=0\r\n", 40,
     "the key 'GenHex' stands a second time in one options block (first at line 39)"},
    {"target twice", "\r\nGroup (Startup)", "Target (LPC2138), 0x0003\r\n\r\nGroup (Startup)", 5,
     "the target has the name of target 'LPC2138' above it"},
    {"group twice", "Group (Source)\r\n", "Group (Source)\r\nGroup (SOURCE)\r\n", 8,
     "the group has the name of group 'Source' above it"},
    {"options block twice", "\r\nOptions 1,0,0", "\r\nOptions 1,0,0\r\nEndOpt\r\nOptions 1,0,0", 17,
     "a second options block of target 'LPC2138' for the same target (the first at line 15)"},
};

class DamagedProjectRows : public DamagedProjectTest, public ::testing::WithParamInterface<ProjectFileDamageRow> {};

TEST_P(DamagedProjectRows, SayWhatIsWrongAndWhere) {
  const ProjectFileDamageRow& row = GetParam();
  std::string message;
  EXPECT_NE(Open(Changed(ExampleProjectText(), row.what, row.with), &message), 0);
  EXPECT_EQ(LineOf(message), row.line) << message;
  EXPECT_NE(message.find(row.said), std::string::npos) << message;
  EXPECT_EQ(message.find("(error "), std::string::npos) << message;
}

INSTANTIATE_TEST_SUITE_P(Rows, DamagedProjectRows, ::testing::ValuesIn(kDamage), [](const auto& info) {
  std::string name = info.param.name;
  for (char& c : name)
    if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
  return name;
});

// A file that is neither: not the text's header, nor the binary header.
TEST_F(DamagedProjectTest, AFileOfAnotherKindSaysWhatItStartsWith) {
  std::string message;
  EXPECT_NE(Open("PK\x03\x04 a zip archive\r\n", &message), 0);
  EXPECT_NE(message.find("it starts neither with the header of a project file nor with that of a binary project"),
            std::string::npos)
      << message;
  EXPECT_EQ(message.find("(error "), std::string::npos) << message;
}

// The binary import cut at every length, or with a field of the wrong
// kind: the message names the record, its byte and the field.
TEST_F(DamagedProjectTest, EveryCutOfABinaryProjectNamesItsRecord) {
  BinaryProjectWriter w;
  w.Begin(kBinProject);
  w.String("Name", "old");
  w.End();
  w.Begin(kBinTarget);
  w.ShortString("Target", "Board");
  w.U16("ToolSet", 0);
  w.End();
  w.EndOfProject();
  const std::string good = w.Data();
  std::string message;
  ASSERT_EQ(Open(good, &message), 0) << message;
  const std::size_t header = good.find(char(kBinProject));
  for (std::size_t len = 0; len < good.size(); ++len) {
    SCOPED_TRACE("cut at " + std::to_string(len));
    message.clear();
    if (Open(good.substr(0, len), &message) == 0) continue;
    EXPECT_EQ(message.find("(error "), std::string::npos) << message;
    if (len == 0) {
      EXPECT_NE(message.find("line 1: the project file is empty"), std::string::npos) << message;
    } else if (len < header) {
      EXPECT_NE(message.find("record 1 (the header) at byte 0: "), std::string::npos) << message;
    } else {
      EXPECT_TRUE(message.find("' is no valid project: record ") != std::string::npos ||
                  message.find("it holds no project record") != std::string::npos)
          << message;
    }
  }
  BinaryProjectWriter wrong;
  wrong.Begin(kBinProject);
  wrong.U32("Path", 1);  // a string given as a number
  wrong.End();
  EXPECT_NE(Open(wrong.Data(), &message), 0);
  EXPECT_NE(message.find("record 2 (the project) at byte " + std::to_string(header) +
                         ": field 'Path' is a 32-bit number where a string belongs"),
            std::string::npos)
      << message;
}

}  // namespace
}  // namespace pm2
