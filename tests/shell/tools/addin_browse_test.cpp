// The add-in's browser commands through the link: a symbol the add-in
// reports is looked up in a browse file written from the byte layout, and
// the place goes back to the add-in as a file block and a line block.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "browser/browse_sample_file.h"
#include "platform/temp_dir.h"
#include "project/model/app_state.h"
#include "shell/tools/addin_browse.h"

namespace pm2 {
namespace {

// A frame whose browser requests go to a real session.
struct BrowsingFrame : AddInFrame {
  void Beep() override { log.push_back("beep"); }
  int MessageBox(const std::string& t, int) override {
    log.push_back("box:" + t);
    return 1;
  }
  void ShowProjectFile(const std::string&) override {}
  void OpenFileAndShow(const std::string&, int) override {}
  bool LeftButtonDown() override { return false; }
  bool IsDebugging() override { return false; }
  bool TargetRunning() override { return false; }
  void RunTarget() override {}
  intptr_t IdeServiceCall(int, intptr_t) override { return 0; }
  std::optional<std::string> FindSymbolLocation(const std::string& s, bool def, BrowseLocation* loc) override {
    return FindAddInSymbol(session, source, chooser, s, def, loc);
  }
  bool StepReference(bool next, BrowseLocation* loc) override { return StepAddInReference(session, next, loc); }

  struct Cancel : BrowseChooser {
    BrowseSymbol* Choose(const BrowseName&) override { return nullptr; }
  } chooser;
  BrowseSession session;
  BrowseSource source;
  std::vector<std::string> log;
};

// An add-in that answers the symbol request with `symbol` and records the
// blocks it gets.
struct SymbolPeer : AddInPeer {
  AddInSendResult Send(const std::vector<uint8_t>& bytes, AddInReply* reply) override {
    std::optional<AddInBlock> b = DecodeAddInBlock(bytes.data(), bytes.size());
    if (b->code == kIdeSymbolRequest) {
      reply->word = 1;
      reply->text = symbol;
      return AddInSendResult::Answered;
    }
    if (b->code == kIdeAnnounceFile) blocks.push_back("file:" + b->path);
    if (b->code == kIdeShowLine) blocks.push_back("line:" + std::to_string(b->args[2]));
    return AddInSendResult::Answered;
  }
  bool SendUnawaited(const std::vector<uint8_t>&) override {
    blocks.push_back("unawaited");
    return true;
  }
  std::string symbol;
  std::vector<std::string> blocks;
};

struct AddInBrowseFixture : ::testing::Test {
  TempDir dir;
  BrowsingFrame frame;
  SymbolPeer peer;
  AddInLinkLogic link{frame, 100};
  void SetUp() override {
    link.Attach(&peer, 55, 0);
    frame.source = {dir / "Blinky", dir.path()};
    SampleModule().Write(frame.source.file);
  }
  void Run(uint32_t command, const std::string& symbol = std::string()) {
    peer.symbol = symbol;
    link.RunCommand(command, 0);
  }
};

TEST_F(AddInBrowseFixture, DefinitionGoesToTheAddInAsFileAndLine) {
  Run(kAddInCmdDefinition, "main");
  EXPECT_EQ(peer.blocks, (std::vector<std::string>{"file:" + dir / "src/main.c", "line:10"}));
  EXPECT_TRUE(frame.log.empty());
  EXPECT_EQ(link.Link().browse.symbol, "main");
  // The next reference wraps to the first entry of the same file: only the
  // line is sent; the one after that is in the other file.
  peer.blocks.clear();
  Run(kAddInCmdNextRef);
  Run(kAddInCmdNextRef);
  EXPECT_EQ(peer.blocks, (std::vector<std::string>{"line:40", "file:/abs/util.c", "line:74565"}));
  peer.blocks.clear();
  Run(kAddInCmdPrevRef);
  EXPECT_EQ(peer.blocks, (std::vector<std::string>{"file:" + dir / "src/main.c", "line:40"}));
}

TEST_F(AddInBrowseFixture, FirstReference) {
  Run(kAddInCmdReference, "counter");
  EXPECT_EQ(peer.blocks, (std::vector<std::string>{"file:" + dir / "src/main.c", "line:20"}));
}

TEST_F(AddInBrowseFixture, FunctionRecordedWithUnderscoreIsFoundOnlyByThatName) {
  Run(kAddInCmdDefinition, "isr");
  EXPECT_TRUE(peer.blocks.empty());
  Run(kAddInCmdDefinition, "_isr");
  EXPECT_EQ(peer.blocks, (std::vector<std::string>{"file:/abs/util.c", "line:50"}));
  EXPECT_EQ(link.Link().browse.symbol, "_isr");
}

TEST_F(AddInBrowseFixture, UnknownSymbolBeepsAndShowsTheText) {
  Run(kAddInCmdDefinition, "main_loop");
  EXPECT_TRUE(peer.blocks.empty());
  EXPECT_EQ(frame.log, (std::vector<std::string>{"beep", "box:Source Browser: 'main_loop' is undefined !"}));
  // With no location, stepping only beeps.
  frame.log.clear();
  Run(kAddInCmdNextRef);
  EXPECT_EQ(frame.log, std::vector<std::string>{"beep"});
}

TEST_F(AddInBrowseFixture, DroppedTableEndsTheSteps) {
  Run(kAddInCmdDefinition, "main");
  frame.session.Free();  // the project closed or a build ended
  peer.blocks.clear();
  Run(kAddInCmdNextRef);
  EXPECT_TRUE(peer.blocks.empty());
  EXPECT_EQ(frame.log, std::vector<std::string>{"beep"});
  EXPECT_FALSE(link.Link().browse.Complete());
}

TEST_F(AddInBrowseFixture, ElfOutputHasNoBrowseRecords) {
  const std::string elf = dir / "Blinky.elf";
  BrowseSampleFile f;
  f.bytes = {0x7F, 'E', 'L', 'F', 1, 1, 1, 0, 0, 0};
  f.Write(elf);
  frame.source.file = elf;
  Run(kAddInCmdDefinition, "main");
  EXPECT_TRUE(peer.blocks.empty());
  EXPECT_EQ(frame.log, (std::vector<std::string>{"beep", "box:Invalid file '" + elf + "'"}));
}

TEST_F(AddInBrowseFixture, CancelledChoiceDoesNothing) {
  BrowseSampleFile f;
  f.ModuleStart()
      .Header(2)
      .File("a.c")
      .NameRec("i")
      .Symbol(2, 0, 4, 1)
      .Occurrences({{1, 1, 10}})
      .Symbol(2, 0, 4, 1)
      .Occurrences({{1, 1, 20}})
      .ModuleEnd();
  f.Write(frame.source.file);
  Run(kAddInCmdDefinition, "i");
  EXPECT_TRUE(peer.blocks.empty());
  EXPECT_TRUE(frame.log.empty());
}

}  // namespace
}  // namespace pm2
