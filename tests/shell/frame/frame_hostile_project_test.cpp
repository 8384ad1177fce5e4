// A project made by someone else, opened in the frame as a user opens it:
// its options file a link to a file of the user's (or to a missing one),
// its output folder outside it, its options file damaged. The frame saves
// through a link only when the user says so, opening creates nothing, and
// a damaged file is said once.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QMessageBox>
#include <filesystem>
#include <iterator>
#include <fstream>

#include "shell/frame/frame_fixture.h"
#include "shell/frame/main_frame.h"

namespace pm2 {
// Named: the program's test files are compiled as one file in CI.
namespace frame_hostile_project_test {

namespace fs = std::filesystem;

// Every box's text, for a failure's message.
std::string AllTexts(const test::BoxAnswers& boxes) {
  std::string all;
  for (const std::string& t : boxes.texts) all += t + "\n---\n";
  return all;
}

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

class FrameHostileProject : public test::ExampleFrameTest {
 protected:
  void SetUp() override {
    test::ExampleFrameTest::SetUp();
    // The user's files, beside the project's folder.
    victimDir = dir.substr(0, dir.size() - 1) + "_victim/";
    fs::create_directories(victimDir);
  }
  void TearDown() override {
    fs::remove_all(victimDir);
    test::ExampleFrameTest::TearDown();
  }
  // The frame's question about the link, among the boxes shown.
  static int LinkQuestions(const test::BoxAnswers& boxes, const std::string& link, const std::string& target) {
    int n = 0;
    for (const std::string& t : boxes.texts)
      n += t.find("'" + link + "' is a link to '" + target + "'") != std::string::npos &&
           t.find("Write the project's changes through the link") != std::string::npos;
    return n;
  }
  std::string victimDir;
};

struct LinkRow {
  const char* name;
  bool dangling;
  QMessageBox::StandardButton answer;
  bool written;
};
const LinkRow kLinkRows[] = {
    {"link_to_options_elsewhere_declined", false, QMessageBox::No, false},
    {"link_to_options_elsewhere_written_when_said", false, QMessageBox::Yes, true},
    {"link_to_a_missing_file_declined", true, QMessageBox::No, false},
};

TEST_F(FrameHostileProject, AnOptionsFileThatIsALinkIsWrittenThroughOnlyWhenTheUserSaysSo) {
  const std::string link = dir + "Blinky.Opt";
  const std::string options = ReadAll(link);
  for (const LinkRow& row : kLinkRows) {
    SCOPED_TRACE(row.name);
    fs::remove(link);
    std::ofstream(link, std::ios::binary) << options;
    const std::string victim = victimDir + (row.dangling ? "new.Opt" : "Blinky.Opt");
    fs::remove(victim);
    fs::remove(victimDir + "Blinky_Opt.Bak");
    if (!row.dangling) fs::copy_file(link, victim);
    const std::string before = row.dangling ? std::string() : ReadAll(victim);
    fs::remove(link);
    ASSERT_EQ(::symlink(victim.c_str(), link.c_str()), 0);
    {
      test::BoxAnswers boxes({row.answer});
      test::ExampleSession s(dir, root);
      CMainFrame* f = s.Frame();
      ASSERT_NE(f, nullptr);
      // An editor window open: the options file keeps it, so its text changes.
      f->OpenFileAndShow(dir + "LED.c", 3, 0);
      // Saved twice (Save All, then the close): asked once.
      ASSERT_TRUE(f->ExecuteCommand(cmd::kSaveAll));
      ASSERT_TRUE(f->ExecuteCommand(cmd::kCloseProject));
      ASSERT_EQ(s.App().Project(), nullptr);
      EXPECT_EQ(LinkQuestions(boxes, link, victim), 1) << AllTexts(boxes);
    }
    EXPECT_TRUE(fs::is_symlink(link));
    if (row.written) {
      EXPECT_NE(ReadAll(victim), before);
      EXPECT_EQ(ReadAll(victimDir + "Blinky_Opt.Bak"), before);
    } else if (row.dangling) {
      EXPECT_FALSE(fs::exists(victim));
    } else {
      EXPECT_EQ(ReadAll(victim), before);
      EXPECT_FALSE(fs::exists(victimDir + "Blinky_Opt.Bak"));
    }
  }
}

// Built in the frame, a project with links planted at its build log, a
// command file and an object: each is replaced by a file of the build's
// own and said in the output; the user's file keeps every byte.
TEST_F(FrameHostileProject, ABuildReplacesLinksAtItsOutputsAndSaysSo) {
  if (!HaveTools()) GTEST_SKIP() << "the ARM tools are not installed";
  const std::string victim = victimDir + "dot-bashrc";
  const std::string kept = "export PATH=$HOME/bin:$PATH\n";
  std::ofstream(victim, std::ios::binary) << kept;
  fs::create_directories(dir + "Obj");
  for (const char* planted : {"Obj/Blinky.plg", "Obj/Timer.__i", "Obj/LED.o"})
    ASSERT_EQ(::symlink(victim.c_str(), (dir + planted).c_str()), 0) << planted;
  test::BoxAnswers boxes({QMessageBox::Ok});
  test::ExampleSession s(dir, root);
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  ASSERT_TRUE(f->ExecuteCommand(cmd::kBuildTarget));
  ASSERT_TRUE(WaitIdle(s.App()));
  const std::string out = BuildText(f);
  EXPECT_NE(out.find("0 Error(s)"), std::string::npos) << out;
  EXPECT_EQ(ReadAll(victim), kept);
  EXPECT_EQ(std::distance(fs::directory_iterator(victimDir), fs::directory_iterator()), 1);  // no backup, no temporary
  for (const char* planted : {"Obj/Blinky.plg", "Obj/LED.o"})
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(dir + planted))) << planted;
  EXPECT_FALSE(fs::exists(fs::symlink_status(dir + "Obj/Timer.__i")));  // the build's command files go with it
  for (const char* planted : {"Obj/Blinky.plg", "Obj/Timer.__i", "Obj/LED.o"}) {
    EXPECT_NE(out.find(std::string(planted).substr(4) + "' was a link to '" + victim + "'"), std::string::npos)
        << planted << "\n" << out;
  }
  EXPECT_NE(ReadAll(dir + "Obj/Blinky.plg").find("0 Error(s)"), std::string::npos);
}

// A project whose output and listing folders lie outside it: opening it
// makes no folder there (nor anywhere), and closing it asks nothing.
TEST_F(FrameHostileProject, OpeningAProjectCreatesNoFolder) {
  std::string project = ReadAll(dir + "Blinky.pm2");
  const std::string outside = "../" + fs::path(victimDir.substr(0, victimDir.size() - 1)).filename().string() + "/out/";
  for (const char* key : {" OutDir (./Obj/)", " LstDir (./Obj/)"}) {
    const size_t at = project.find(key);
    ASSERT_NE(at, std::string::npos) << key;
    project.replace(at, std::string(key).size(), std::string(key).substr(0, 8) + "(" + outside + ")");
  }
  std::ofstream(dir + "Blinky.pm2", std::ios::binary) << project;
  {
    test::BoxAnswers boxes({QMessageBox::Ok});
    test::ExampleSession s(dir, root);
    ASSERT_NE(s.Frame(), nullptr);
    ASSERT_NE(s.App().Project(), nullptr);
    EXPECT_TRUE(fs::is_empty(victimDir));
    EXPECT_FALSE(fs::exists(dir + "Obj"));
    ASSERT_TRUE(s.Frame()->ExecuteCommand(cmd::kCloseProject));
    EXPECT_TRUE(boxes.texts.empty()) << AllTexts(boxes);
  }
  EXPECT_TRUE(fs::is_empty(victimDir));
}

// Where the outputs go is said on the build page as the project opens, when
// that is outside the project's folder or through a link: the user knows
// before the first build writes there. Each folder once (the output and
// the listing folder are one here).
TEST_F(FrameHostileProject, AnOutputFolderOutsideOrThroughALinkIsSaidAsTheProjectOpens) {
  const std::string original = ReadAll(dir + "Blinky.pm2");
  const std::string victim = fs::canonical(victimDir).string();
  const std::string outside = "../" + fs::path(victim).filename().string() + "/";
  struct OpenNoteRow {
    const char* name;
    std::string folder;  // the project's OutDir and LstDir
    bool link;           // "Obj" is a link to the victim's folder
    std::string said;
  } rows[] = {
      {"a folder beside the project", outside, false,
       "*** NOTE: the folder '" + outside + "' is '" + victim +
           "', outside the project's folder: the build writes its files there"},
      {"a folder that is a link", "./Obj/", true,
       "*** NOTE: the folder './Obj/' is a link to '" + victim + "': the build writes its files there"},
  };
  for (const OpenNoteRow& row : rows) {
    SCOPED_TRACE(row.name);
    std::string project = original;
    for (const char* key : {" OutDir (./Obj/)", " LstDir (./Obj/)"}) {
      const size_t at = project.find(key);
      ASSERT_NE(at, std::string::npos) << key;
      project.replace(at, std::string(key).size(), std::string(key).substr(0, 8) + "(" + row.folder + ")");
    }
    std::ofstream(dir + "Blinky.pm2", std::ios::binary | std::ios::trunc) << project;
    fs::remove(dir + "Obj");
    if (row.link) {
      ASSERT_EQ(::symlink(victimDir.c_str(), (dir + "Obj").c_str()), 0);
    }
    test::BoxAnswers boxes({QMessageBox::Ok});
    test::ExampleSession s(dir, root);
    ASSERT_NE(s.Frame(), nullptr);
    ASSERT_NE(s.App().Project(), nullptr);
    const std::string page = BuildText(s.Frame());
    const std::size_t at = page.find(row.said);
    EXPECT_NE(at, std::string::npos) << page;
    EXPECT_EQ(page.find("*** NOTE", at + 1), std::string::npos) << "said once\n" << page;
    EXPECT_TRUE(fs::is_empty(victimDir));
    ASSERT_TRUE(s.Frame()->ExecuteCommand(cmd::kCloseProject));
  }
}

// A damaged options file is said once, naming what is left out, when the
// project opens; the save at its close keeps the damaged file as a backup.
TEST_F(FrameHostileProject, ADamagedOptionsFileIsSaidOnce) {
  std::ofstream(dir + "Blinky.Opt", std::ios::binary | std::ios::app) << "GARBLED 1,2,3\r\n";
  const std::string damaged = ReadAll(dir + "Blinky.Opt");
  {
    test::BoxAnswers boxes({QMessageBox::Ok});
    test::ExampleSession s(dir, root);
    ASSERT_NE(s.Frame(), nullptr);
    ASSERT_TRUE(test::WaitFor([&] { return !boxes.texts.empty(); }));
    ASSERT_TRUE(s.Frame()->ExecuteCommand(cmd::kCloseProject));
    int said = 0;
    for (const std::string& t : boxes.texts)
      said += t.rfind("'" + dir + "Blinky.Opt' is damaged: 1 line(s) could not be read and are left out:\n", 0) == 0 &&
              t.find("'GARBLED 1,2,3'") != std::string::npos;
    EXPECT_EQ(said, 1) << AllTexts(boxes);
  }
  EXPECT_EQ(ReadAll(dir + "Blinky_Opt.Bak"), damaged);
  EXPECT_EQ(ReadAll(dir + "Blinky.Opt").find("GARBLED"), std::string::npos);
}

}  // namespace frame_hostile_project_test
}  // namespace pm2
