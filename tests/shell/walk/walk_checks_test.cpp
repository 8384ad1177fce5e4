// The walk's own parts, each shown to catch what it is there for: a child
// left running, a project text a save refuses, a file changed behind the
// editors, and the answers a modal window gets in each mode; the project's
// read-back ends with the walk that started it.
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QFileDialog>
#include <QMessageBox>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <string>

#include "frame/frame_fixture.h"
#include "held_build.h"
#include "project/model/app_state.h"
#include "walk_answers.h"
#include "walk_checks.h"

namespace fs = std::filesystem;

namespace pm2 {
namespace {

// A folder of the test's own that goes with it.
struct Folder {
  Folder() {
    std::string pattern = (fs::temp_directory_path() / "pm2walkcheck_XXXXXX").string();
    if (::mkdtemp(pattern.data())) path = pattern + "/";
  }
  ~Folder() {
    std::error_code ec;
    if (!path.empty()) fs::remove_all(path, ec);
  }
  std::string path;
};

// Whether the list names the program ("name (pid)").
bool Names(const std::vector<std::string>& list, const std::string& name) {
  return std::any_of(list.begin(), list.end(), [&](const std::string& s) { return s.rfind(name + " (", 0) == 0; });
}

TEST(WalkChecks, AChildLeftRunningIsNamedUntilItEnds) {
  int fds[2];
  ASSERT_EQ(::pipe(fds), 0);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    // Stays until the test closes its end of the pipe.
    ::close(fds[1]);
    char c;
    while (::read(fds[0], &c, 1) > 0) {
    }
    ::_exit(0);
  }
  ::close(fds[0]);
  std::ifstream comm("/proc/" + std::to_string(child) + "/comm");
  std::string name;
  std::getline(comm, name);
  EXPECT_TRUE(Names(test::UnexplainedChildren(false), name)) << name;
  // A debug session explains gdb and the simulator only.
  EXPECT_TRUE(Names(test::UnexplainedChildren(true), name)) << name;
  ::close(fds[1]);
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  EXPECT_FALSE(Names(test::UnexplainedChildren(false), name));
}

// A compiler's own child, left when only the compiler was killed, goes
// to init without the walk's adoption and out of sight of a check of
// children only: adopted, it is named until it ends, in its own session.
TEST(WalkChecks, AGrandchildWhoseParentEndedIsNamedUntilItEnds) {
  test::AdoptOrphans();
  int fds[2];
  ASSERT_EQ(::pipe(fds), 0);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    if (::fork() == 0) {
      // The grandchild: a session of its own, until the test closes the pipe.
      ::setsid();
      ::close(fds[1]);
      char c;
      while (::read(fds[0], &c, 1) > 0) {
      }
      ::_exit(0);
    }
    ::_exit(0);
  }
  ::close(fds[0]);
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  std::ifstream comm("/proc/self/comm");
  std::string name;
  std::getline(comm, name);
  // The grandchild is a copy of this program, so it has its name.
  EXPECT_TRUE(test::WaitFor([&] { return Names(test::UnexplainedChildren(false), name); }))
      << ::testing::PrintToString(test::UnexplainedChildren(false));
  ::close(fds[1]);
  EXPECT_TRUE(test::WaitFor([&] { return !Names(test::UnexplainedChildren(false), name); }));
}

TEST(WalkChecks, AProjectTextASaveWouldRefuseIsFound) {
  ResetAppState();
  PoolFreeAll();
  ProjectFileIo io;
  ASSERT_EQ(ReadProjectFile(io, std::string(std::getenv("PM2_TEST_SRC")) + "/examples/blinky/Blinky.pm2"),
            kProjectFileOk)
      << io.message;
  ProjectRec& p = *io.project;
  EXPECT_EQ(test::ProjectRoundTrip(p), "");
  ASSERT_NE(p.firstGroup, nullptr);
  p.firstGroup->name = OptString::Pooled("Source)Group", kPoolProject);
  const std::string fault = test::ProjectRoundTrip(p);
  EXPECT_NE(fault.find("can no longer be saved"), std::string::npos) << fault;
  EXPECT_NE(fault.find("Source)Group"), std::string::npos) << fault;
  PoolFreeAll();
}

// Whether a process has ended (gone, or a zombie nobody reaped yet).
bool Ended(pid_t pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string line;
  if (!std::getline(stat, line)) return true;
  const size_t close = line.rfind(')');
  return close == std::string::npos || close + 2 >= line.size() || line[close + 2] == 'Z';
}

// A walk that ends (killed, or ending itself at a hang) while its read-back
// still runs takes the read-back with it: nothing of the test is left to
// hold the runner's output. The read-back here waits for a project text
// that never comes (a named pipe nobody writes).
TEST(WalkChecks, TheProjectReadBackEndsWithTheWalkThatStartedIt) {
  Folder f;
  ASSERT_FALSE(f.path.empty());
  std::string fifo = f.path + "project", options = f.path + "options", path = f.path + "p.pm2";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  std::ofstream(options) << "";
  int fds[2];
  ASSERT_EQ(::pipe(fds), 0);
  // What the walk's stand-in needs is made before the fork: a copy of a
  // process with threads may only make system calls.
  std::string program = PM2_WALK_READ_BACK, parent(24, '\0');
  char* argv[] = {program.data(), path.data(), fifo.data(), options.data(), parent.data(), nullptr};
  const pid_t walk = ::fork();
  ASSERT_GE(walk, 0);
  if (walk == 0) {
    ::close(fds[0]);
    char digits[24];
    int n = 0;
    for (pid_t self = ::getpid(); self > 0; self /= 10) digits[n++] = char('0' + self % 10);
    for (int i = 0; i < n; ++i) parent[size_t(i)] = digits[n - 1 - i];
    pid_t readBack = -1;
    if (::posix_spawn(&readBack, argv[0], nullptr, nullptr, argv, environ) != 0) readBack = -1;
    (void)!::write(fds[1], &readBack, sizeof readBack);
    ::_exit(0);
  }
  ::close(fds[1]);
  pid_t readBack = -1;
  ASSERT_EQ(::read(fds[0], &readBack, sizeof readBack), ssize_t(sizeof readBack));
  ::close(fds[0]);
  ASSERT_GT(readBack, 0) << "the read-back program did not start";
  int status = 0;
  ASSERT_EQ(::waitpid(walk, &status, 0), walk);
  const bool ended = test::WaitFor([&] { return Ended(readBack); });
  if (!ended) ::kill(readBack, SIGKILL);
  EXPECT_TRUE(ended) << "the read-back outlived the walk";
}

TEST(WalkChecks, AFileChangedBehindTheEditorsIsNamedUnlessAnEditorHadIt) {
  Folder f;
  ASSERT_FALSE(f.path.empty());
  std::ofstream(f.path + "a.c") << "int a;\n";
  std::ofstream(f.path + "b.h") << "int b;\n";
  std::ofstream(f.path + "notes.txt") << "not the user's source\n";
  test::UntouchedFiles files(f.path);
  EXPECT_EQ(files.Count(), 2u);
  EXPECT_EQ(files.Check(), "");
  std::ofstream(f.path + "b.h") << "int b; ";
  EXPECT_NE(files.Check().find("b.h"), std::string::npos);
  files.Forget(f.path + "b.h");
  EXPECT_EQ(files.Check(), "");
  // Named by a question the walk answered: it may change.
  std::ofstream(f.path + "a.c") << "int a; ";
  files.ForgetNamedIn("File '" + f.path + "b.c' already exists, overwrite ?");
  EXPECT_NE(files.Check().find("a.c"), std::string::npos);
  files.ForgetNamedIn("File '" + f.path + "a.c' already exists, overwrite ?");
  EXPECT_EQ(files.Check(), "");
  std::ofstream(f.path + "a2.c") << "int a2;\n";
  test::UntouchedFiles again(f.path);
  fs::remove(f.path + "a2.c");
  EXPECT_NE(again.Check().find("a2.c"), std::string::npos);
}

// A question with Yes as its default and No as its escape.
QMessageBox::StandardButton AskReplace() {
  QMessageBox box(QMessageBox::Question, "Pelmora2", "Replace it?", QMessageBox::Yes | QMessageBox::No);
  box.setDefaultButton(QMessageBox::Yes);
  box.setEscapeButton(QMessageBox::No);
  return QMessageBox::StandardButton(box.exec());
}

struct AnswerRow {
  const char* name;
  test::Answer mode;
  QMessageBox::StandardButton box;
  bool fileChosen;
};

class WalkAnswersTest : public ::testing::TestWithParam<AnswerRow> {};

// The message box gets its default or its escape button; a save dialog
// the name asked for in the walk's folder, or Cancel; a question a file
// dialog asks after its answer is answered too.
TEST_P(WalkAnswersTest, WindowsGetTheModesAnswer) {
  Folder f;
  test::WalkAnswers answers(f.path);
  answers.Start(GetParam().mode);
  EXPECT_EQ(AskReplace(), GetParam().box);
  answers.NameNextSave("np.pm2");
  QFileDialog dialog(nullptr, "Create New Project", QString(), "Project Files (*.pm2)");
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setDefaultSuffix("pm2");
  const bool accepted = dialog.exec() == QDialog::Accepted;
  EXPECT_EQ(accepted, GetParam().fileChosen);
  if (accepted) {
    EXPECT_EQ(dialog.selectedFiles().value(0).toStdString(), f.path + "np.pm2");
  }
  EXPECT_EQ(answers.Given(), 2);
}

const AnswerRow kAnswerRows[] = {
    {"Default", test::Answer::kDefault, QMessageBox::Yes, true},
    {"Cancel", test::Answer::kCancel, QMessageBox::No, false},
};
INSTANTIATE_TEST_SUITE_P(Modes, WalkAnswersTest, ::testing::ValuesIn(kAnswerRows),
                         [](const auto& info) { return std::string(info.param.name); });

// A process of the test's own that has ended: reaped (its id names no
// process), or not yet (a zombie, as a killed tool is until its parent
// takes its end).
struct EndedChild {
  explicit EndedChild(bool reaped) {
    pid = ::fork();
    if (pid == 0) ::_exit(0);
    // Ended, not yet reaped: /proc shows it a zombie.
    siginfo_t info{};
    while (pid > 0 && ::waitid(P_PID, id_t(pid), &info, WEXITED | WNOWAIT) != 0 && errno == EINTR) {
    }
    if (reaped) Reap();
  }
  ~EndedChild() { Reap(); }
  void Reap() {
    if (pid > 0 && !reaped) ::waitpid(pid, nullptr, 0);
    reaped = true;
  }
  pid_t pid = -1;
  bool reaped = false;
};

// A meeting file's text: "L" stands for the id of a process that lives,
// "G" for one that ended and is gone, "Z" for a zombie.
struct HeldRow {
  const char* name;
  const char* text;
  bool held;
};

class HeldBuildTest : public ::testing::TestWithParam<HeldRow> {};

// A build is held while its first run waits in the meeting: a build after
// that run was stopped is not, even before its own run said it began (the
// walk then waits for its end rather than passing it by as held).
TEST_P(HeldBuildTest, OnlyTheFirstRunThatLivesHoldsTheBuild) {
  Folder f;
  EndedChild gone(true), zombie(false);
  ASSERT_GT(gone.pid, 0);
  ASSERT_GT(zombie.pid, 0);
  std::string text;
  for (const char* c = GetParam().text; *c; ++c) {
    if (*c == 'L') text += std::to_string(::getpid());
    else if (*c == 'G') text += std::to_string(gone.pid);
    else if (*c == 'Z') text += std::to_string(zombie.pid);
    else text += *c;
  }
  const std::string meet = f.path + "walk.meet";
  if (GetParam().text[0]) std::ofstream(meet, std::ios::binary) << text;
  EXPECT_EQ(test::HeldRunWaits(meet), GetParam().held) << "the meeting file:\n" << text;
}

const HeldRow kHeldRows[] = {
    {"NoRunBegan", "", true},
    {"TheFirstRunWaits", "start Main.c L\n", true},
    {"TheFirstRunWasStopped", "start Main.c G\n", false},
    {"TheFirstRunWasKilledNotYetReaped", "start Main.c Z\n", false},
    {"TheFirstRunEnded", "start Main.c G\nend Main.c\n", false},
    {"ASecondRunBegan", "start Main.c L\nstart Main.c L\n", false},
    {"TheFirstLineStillBeingWritten", "start Main.c G", true},
};
INSTANTIATE_TEST_SUITE_P(Meetings, HeldBuildTest, ::testing::ValuesIn(kHeldRows),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace pm2
