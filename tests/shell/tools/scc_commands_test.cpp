#include "shell/tools/scc_commands.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <unistd.h>

#include "builder/runner/tool_environment.h"
#include "platform/notification_hub.h"
#include "platform/settings_store.h"
#include "project/model/app_state.h"
#include "project/model/option_block.h"
#include "shell/tools/tool_fakes.h"
#include "test_leftovers.h"

namespace pm2 {
namespace {

TEST(SccEnvironment, ItemsTrimmedAndLaidOver) {
  EnvOverlay env;
  ASSERT_TRUE(BuildSccEnvironment("  ;A=1 ;  B = x y;;NOEQ; ", &env));
  EXPECT_EQ(env.Vars().size(), 2u);
  EXPECT_EQ(*env.Vars().at("A"), "1");
  EXPECT_EQ(*env.Vars().at("B "), " x y");
  // The child keeps what it inherits: PATH stays.
  char path[] = "PATH=/usr/bin";
  char* base[] = {path, nullptr};
  std::vector<std::string> built = env.Build(base);
  EXPECT_NE(std::find(built.begin(), built.end(), "PATH=/usr/bin"), built.end());
  EnvOverlay none;
  EXPECT_FALSE(BuildSccEnvironment(" ; ;", &none));
}

struct SccFixture : ::testing::Test {
  FakeToolFrame frame;
  FakeExternalRunner runner;
  RecordingHub hub;
  std::atomic<uint32_t> state{0};
  UserToolLauncher launcher{runner, hub, state};
  std::string folder;
  std::unique_ptr<SccMenu> menu;
  SettingsStore store{"/nonexistent/settings.ini"};
  KeySequenceSources src;

  void SetUp() override {
    std::string tmpl = test::TempFolder() + "/pm2sccXXXXXX";
    folder = ::mkdtemp(tmpl.data());
    menu = std::make_unique<SccMenu>(frame, launcher, state, folder);
  }
  void TearDown() override {
    launcher.JoinAll();
    menu.reset();
    std::system(("rm -rf " + folder).c_str());
  }
  void LoadFile(const std::string& text) {
    std::string path = folder + "/x.SVCS";
    FILE* f = std::fopen(path.c_str(), "wb");
    std::fwrite(text.data(), 1, text.size(), f);
    std::fclose(f);
    store.WriteProfileString("Sccs", "SccsFile", ("  " + path + " ").c_str());
    store.WriteProfileString("Sccs", "SccsUser", " bob ");
    menu->Load(store);
  }
};

TEST_F(SccFixture, MenuFromFirstSectionOnlyAndAtMostTwenty) {
  std::string text = "[S]\nDataBase=db\n";
  for (int i = 0; i < 21; ++i) text += "MenuItem=c" + std::to_string(i) + "\n";
  text += "[T]\nMenuItem=other\n";
  LoadFile(text);
  EXPECT_TRUE(menu->Rebuild(false, src).empty());
  std::vector<ToolMenuItem> items = menu->Rebuild(true, src);
  ASSERT_EQ(items.size(), 21u);  // separator + 20
  EXPECT_EQ(items[1].id, 32980u);
  EXPECT_EQ(items[20].id, 32999u);
  EXPECT_EQ(items[20].text, "c19");
  EXPECT_EQ(menu->Settings().database, "db");
  EXPECT_EQ(menu->Settings().user, "bob");
}

TEST_F(SccFixture, CommentFileAndEnvironmentReachTheRun) {
  LoadFile("[S]\nDataBase=db\nMenuItem=In\nCommand=ci\nArguments=%Q\n"
           "Environment= U=%U ; D=%V;\nQueryComment=1\nQueryRevision=1\nRunMinimized=1\n");
  frame.queryComment = "fixed the bug";
  frame.queryRevision = "1.2";
  ASSERT_TRUE(menu->Run(32980, src));
  launcher.JoinAll();
  ASSERT_EQ(runner.Runs().size(), 1u);
  const ExternalRun run = runner.Runs()[0];
  EXPECT_EQ(run.program, "ci");
  EXPECT_EQ(run.arguments.rfind(folder + "/Sccs", 0), 0u);
  EXPECT_EQ(runner.seenFile, "fixed the bug");
  EXPECT_EQ(run.showMode, kShowMinimized);
  ASSERT_TRUE(run.hasEnvironment);
  EXPECT_EQ(*run.environment.Vars().at("U"), "bob");
  EXPECT_EQ(*run.environment.Vars().at("D"), "db");
  EXPECT_EQ(frame.events, (std::vector<std::string>{"query:cr", "save"}));
  EXPECT_EQ(hub.Entries().at(0).code, kNotifyUserToolFinished);
  // The next command deletes the comment file before it starts.
  const std::string old = run.arguments;
  frame.queryComment = "";
  ASSERT_TRUE(menu->Run(32980, src));
  launcher.JoinAll();
  EXPECT_NE(::access(old.c_str(), F_OK), 0);
  EXPECT_EQ(runner.Runs()[1].arguments, "");  // empty comment: no file, %Q empty
}

// A line that cannot be filled runs nothing and names its sequence.
TEST_F(SccFixture, RefusalsStartNothing) {
  LoadFile("[S]\nMenuItem=q\nQueryCheckPoint=1\nMenuItem=b\nCommand=vc\nArguments=#E\n");
  src.activeEditorFile = [] { return std::optional<FilePosition>(); };
  frame.queryOk = false;
  EXPECT_FALSE(menu->Run(32980, src));
  EXPECT_FALSE(menu->Run(32981, src));
  EXPECT_FALSE(menu->Run(32990, src));
  EXPECT_EQ(frame.events,
            (std::vector<std::string>{"query:p", "beep",
                                      "box:'vc' is not run: key sequence '#E' cannot be filled: no file is open in an editor",
                                      "beep"}));
  EXPECT_TRUE(runner.Runs().empty());
}

TEST_F(SccFixture, MissingFileGivesEmptyMenu) {
  store.WriteProfileString("Sccs", "SccsFile", "/nonexistent/x.SVCS");
  menu->Load(store);
  EXPECT_TRUE(menu->Rebuild(true, src).empty());
}

// %I in a command's menu text and argument line is the current target's
// project identifier; without a target block the item is greyed with its
// stored text and the command is refused.
TEST_F(SccFixture, ProjectIdentifierInMenuTextAndArguments) {
  LoadFile("[S]\nMenuItem=Label %I\nCommand=vc\nArguments=-p %I -u %U\n");
  struct Row {
    const char* name;
    const char* identifier;  // null: no target block
    const char* menuText;
    bool greyed;
    const char* arguments;  // null: refused
  } rows[] = {
      {"set", "PRJ-3", "Label PRJ-3", false, "-p PRJ-3 -u bob"},
      {"unset", "", "Label ", false, "-p  -u bob"},
      {"no target", nullptr, "Label %I", true, nullptr},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    OptionBlock block;
    block.lst.SVCSID = OptString(r.identifier);
    src.targetOptions = r.identifier ? &block : nullptr;
    std::vector<ToolMenuItem> items = menu->Rebuild(true, src);
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[1].text, r.menuText);
    EXPECT_EQ(items[1].greyed, r.greyed);
    const size_t runs = runner.Runs().size();
    EXPECT_EQ(menu->Run(32980, src), r.arguments != nullptr);
    launcher.JoinAll();
    if (r.arguments) {
      ASSERT_EQ(runner.Runs().size(), runs + 1);
      EXPECT_EQ(runner.Runs().back().arguments, r.arguments);
    } else {
      EXPECT_EQ(runner.Runs().size(), runs);
    }
  }
}

}  // namespace
}  // namespace pm2
