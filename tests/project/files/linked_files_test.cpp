// A project made by someone else: its project or options file may be a
// link to a file of the user's elsewhere, and either file may be damaged.
// A save writes in the project's folder only (through a link only when the
// user said so), and a damaged file is said once when it is read.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "project/files/buffered_file.h"
#include "project/files/project_file.h"
#include "project/files/project_open.h"
#include "project/file_test_util.h"
#include "project/recording_shell.h"
#include "projfile_fixture.h"

namespace pm2 {
namespace {

namespace fs = std::filesystem;

const std::string kVictim = "the user's own file, not a project's\n";

enum class Answer { kNoQuestion, kYes, kNo };

struct LinkRow {
  const char* name;
  const char* linked;  // "Opt" or "Pm2": the file that is a link
  bool dangling;       // the link names a file that is not there
  Answer answer;       // the shell's question: none (a command-line build), or its answer
  int result;
  bool written;        // the link's target has the project's new text
};
const LinkRow kLinkRows[] = {
    {"options_link_unasked", "Opt", false, Answer::kNoQuestion, kProjectFileLinkRefused, false},
    {"options_link_declined", "Opt", false, Answer::kNo, kProjectFileOk, false},
    {"options_link_written_when_said", "Opt", false, Answer::kYes, kProjectFileOk, true},
    {"dangling_options_link_unasked", "Opt", true, Answer::kNoQuestion, kProjectFileLinkRefused, false},
    {"dangling_options_link_declined", "Opt", true, Answer::kNo, kProjectFileOk, false},
    {"project_link_unasked", "Pm2", false, Answer::kNoQuestion, kProjectFileLinkRefused, false},
    {"project_link_declined", "Pm2", false, Answer::kNo, kProjectFileOk, false},
};

class LinkedProjectFiles : public ProjectFileTest {
 protected:
  ScratchDir dir;
};

TEST_F(LinkedProjectFiles, ASaveWritesThroughALinkOnlyWhenTheUserSaysSo) {
  for (const LinkRow& row : kLinkRows) {
    SCOPED_TRACE(row.name);
    ScratchDir top;
    fs::create_directory(top.path / "proj");
    fs::create_directory(top.path / "victim");
    const std::string folder = (top.path / "proj").string() + "/";
    ProjectRec* p = MakeProject(folder.c_str(), "Blinky");
    AddTarget(p, "LPC2138", kToolsetArmGnu);
    AddGroupRec(p, "Source");
    std::string message;
    ASSERT_EQ(0, SaveProjectFiles(p, &message)) << message;

    // The planted link, and a change that both files' texts show.
    const std::string link = folder + "Blinky." + row.linked;
    const std::string victim = (top.path / "victim" / "rc").string();
    if (!row.dangling) WriteFileText(victim, kVictim);
    fs::remove(link);
    ASSERT_EQ(::symlink(victim.c_str(), link.c_str()), 0);
    AddGroupRec(p, "More");
    p->filters[kFilterC] = OptString::Pooled("*.c; *.cc", kPoolProject);

    std::vector<std::pair<std::string, std::string>> asked;
    WriteThroughLinkHook hook;
    if (row.answer != Answer::kNoQuestion) {
      hook = [&](const std::string& l, const std::string& t) {
        asked.emplace_back(l, t);
        return row.answer == Answer::kYes;
      };
    }
    const int rc = SaveProjectFiles(p, &message, nullptr, nullptr, hook);
    EXPECT_EQ(rc, row.result) << message;
    if (row.answer == Answer::kNoQuestion) {
      EXPECT_EQ(message, "'" + link + "' is a link to '" + victim +
                             "': the project's files are saved in the project's folder only, so it was not written");
    } else {
      ASSERT_EQ(asked.size(), 1u);
      EXPECT_EQ(asked[0].first, link);
      EXPECT_EQ(asked[0].second, victim);
    }
    EXPECT_TRUE(fs::is_symlink(link));
    if (row.written) {
      EXPECT_NE(ReadFileText(victim), kVictim);
      EXPECT_EQ(ReadFileText(victim), ReadFileText(link));
    } else if (row.dangling) {
      EXPECT_FALSE(fs::exists(victim));
    } else {
      EXPECT_EQ(ReadFileText(victim), kVictim);
    }
    // No backup beside the user's file unless the write went there.
    EXPECT_EQ(fs::exists(BufferedFile::BackupName(victim)), row.written);
    // The other file, a plain one of the project's folder, is saved.
    const std::string other = folder + (std::string(row.linked) == "Opt" ? "Blinky.Pm2" : "Blinky.Opt");
    EXPECT_NE(ReadFileText(other).find(std::string(row.linked) == "Opt" ? "Group (More)" : "*.c; *.cc"),
              std::string::npos);
  }
}

struct DamageRow {
  const char* name;
  const char* projectLine;  // added to the project file after its files ("" none)
  const char* optionsLine;  // added at the end of the options file ("" none)
  std::vector<std::string> boxes;  // "%LAST%": the number of the options file's first added line
};
const DamageRow kDamageRows[] = {
    {"as_saved", "", "", {}},
    {"project_line_of_no_key",
     "Fxle 1,1,<.\\src\\lost.c><lost.c> 0x0",
     "",
     {"'/p/demo.pm2' is damaged: 1 line(s) could not be read and are left out:\n"
      "line 9: 'Fxle 1,1,<.\\src\\lost.c><lost.c> 0x0'\n\n"
      "The project is saved without them; the file as it is now is kept as '/p/demo_pm2.Bak'."}},
    {"options_line_of_no_key",
     "",
     "GARBLED 1,2,3",
     {"'/p/demo.Opt' is damaged: 1 line(s) could not be read and are left out:\n"
      "line %LAST%: 'GARBLED 1,2,3'\n\n"
      "The project is saved without them; the file as it is now is kept as '/p/demo_Opt.Bak'."}},
    {"options_section_of_a_target_the_project_lacks",
     "",
     "TARGOPT 7, (Ghost)\r\n  OPTTT 1,1,1,0\r\n  OPTHX 0,1,0,0,0\r\nENDOPT",
     {"'/p/demo.Opt' is damaged: 1 line(s) could not be read and are left out:\n"
      "line %LAST%: 'TARGOPT 7, (Ghost)'\n\n"
      "The project is saved without them; the file as it is now is kept as '/p/demo_Opt.Bak'."}},
};

class DamagedProjectFiles : public ProjectFileTest {};

// Said once per file when it is read, naming the lines left out; a file as
// the program saves it says nothing.
TEST_F(DamagedProjectFiles, LinesLeftOutAreSaidOnce) {
  for (const DamageRow& row : kDamageRows) {
    SCOPED_TRACE(row.name);
    ProjectRec* p = MakeProject("/p/", "demo");
    AddTarget(p, "T1", kToolsetArmGnu);
    AddFile(AddGroupRec(p, "G"), "a.c", kFileC);
    std::string project = BuildProjectFileText(*p);
    std::string options = BuildOptionsFileText(*p);
    if (*row.projectLine) {
      const size_t files = project.find("File 1,1,");
      ASSERT_NE(files, std::string::npos);
      project.insert(project.find('\n', files) + 1, std::string(row.projectLine) + "\r\n");
    }
    const std::string last = std::to_string(std::count(options.begin(), options.end(), '\n') + 1);
    if (*row.optionsLine) options += std::string(row.optionsLine) + "\r\n";
    ScopedRecordingShell shell;
    std::string_view view(options);
    ProjectFileIo io;
    ASSERT_EQ(0, ReadProjectText(io, "/p/demo.pm2", project, &view)) << io.message;
    std::vector<std::string> boxes = row.boxes;
    for (std::string& b : boxes)
      if (size_t at = b.find("%LAST%"); at != std::string::npos) b.replace(at, 6, last);
    EXPECT_EQ(shell.shell.boxes, boxes);
  }
}

}  // namespace
}  // namespace pm2
