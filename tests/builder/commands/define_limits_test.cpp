// A Define or Set merge that is full: the line notes the list and the first
// entry it could not take, for every family's compiler and assembler, so the
// build can refuse the line instead of running a tool without the symbols.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "builder/cmd_fixture.h"
#include "builder/commands/arm_ads_command.h"
#include "builder/commands/arm_gnu_command.h"
#include "builder/commands/command_lists.h"
#include "builder/commands/q166_command.h"
#include "builder/commands/q51_command.h"
#include "builder/commands/w166_command.h"
#include "builder/commands/w51_command.h"
#include "builder/commands/yq166_command.h"

namespace pm2::test {
namespace {

// count names "<prefix>000", "<prefix>001", ... joined by blanks.
std::string Names(const char* prefix, int count) {
  std::string text;
  char name[32];
  for (int i = 0; i < count; ++i) {
    std::snprintf(name, sizeof name, "%s%03d", prefix, i);
    text += name;
    text += ' ';
  }
  return text;
}

// count times the same one-letter name (a list may name a symbol twice),
// then the last name.
std::string Repeated(const char* name, int count, const char* last = "") {
  std::string text;
  for (int i = 0; i < count; ++i) text += std::string(name) + " ";
  return text + last;
}

// count names of length characters, each starting with its own letter.
std::string LongNames(int count, int length) {
  std::string text;
  for (int i = 0; i < count; ++i) text += std::string(1, char('A' + i)) + std::string(length - 1, 'N') + " ";
  return text;
}

// Counted against both limits: 256 entries; 1,024 characters of names and
// values, each with its terminator. One-letter names reach the count long
// before the pool is full.
TEST(CmdDefineLimits, FullMergeIsNotedWithTheFirstEntryNotTaken) {
  struct Row {
    const char* name;
    std::string target, group, file;  // define texts of the three levels ("" none)
    const char* dropped;               // the first entry not taken; "" none lost
    int entries;                       // entries in the line's DEFINE control
  } rows[] = {
      {"exactly 256 entries", Repeated("X", 255, "LAST"), "", "", "", 256},
      {"257 entries", Repeated("X", 256, "LAST"), "", "", "LAST", 256},
      {"pool exactly full", LongNames(4, 254), "", "", "", 4},
      {"pool past 1,024 characters", LongNames(4, 254) + "LAST", "", "", "LAST", 4},
      {"a value counts against the pool", LongNames(3, 254) + "V=" + std::string(254, 'v'), "", "", "V", 3},
      {"levels merged up to the limit", Repeated("T", 100), Repeated("G", 100), Repeated("F", 55, "LAST"), "", 256},
      {"levels merged past the limit", Repeated("T", 100), Repeated("G", 100), Repeated("F", 56, "LAST"), "LAST", 256},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    CmdFixture f(kToolset166);
    f.targetOpts.q166.DEFINE = OptString(r.target.c_str());
    if (!r.group.empty()) f.GroupBlock().q166.DEFINE = OptString(r.group.c_str());
    if (!r.file.empty()) f.FileBlock().q166.DEFINE = OptString(r.file.c_str());
    MakeQ166CompilerCommand(f.ctx, &f.file, &f.target, false);
    const DroppedListEntries& d = f.ctx.g_droppedListEntries;
    EXPECT_EQ(d.firstEntry, r.dropped);
    EXPECT_EQ(d.list, *r.dropped ? "Define" : "");
    // What the merge did take still reaches the line.
    const std::string line(f.ctx.Text());
    const std::size_t at = line.find("DEFINE (");
    ASSERT_NE(at, std::string::npos) << line;
    const std::string control = line.substr(at, line.find(')', at) - at);
    EXPECT_EQ(std::count(control.begin(), control.end(), ',') + 1, r.entries);
  }
}

// The note belongs to one line: the next line made in the same context
// starts without it.
TEST(CmdDefineLimits, NoteIsClearedForTheNextLine) {
  CmdFixture f(kToolset166);
  const std::string many = Repeated("X", 300);
  f.targetOpts.q166.DEFINE = OptString(many.c_str());
  MakeQ166CompilerCommand(f.ctx, &f.file, &f.target, false);
  ASSERT_EQ(f.ctx.g_droppedListEntries.list, "Define");
  f.targetOpts.q166.DEFINE = OptString("ONE");
  MakeQ166CompilerCommand(f.ctx, &f.file, &f.target, false);
  EXPECT_EQ(f.ctx.g_droppedListEntries.list, "");
  EXPECT_EQ(f.ctx.g_droppedListEntries.firstEntry, "");
}

// Every compiler and assembler line with a Define or Set list notes a full
// merge; the entry noted is the first of the user's names missing from the
// line, the one before it is there.
TEST(CmdDefineLimits, EveryFamilyNotesItsFullList) {
  using Setter = void (*)(OptionBlock&, OptString);
  using Maker = void (*)(CmdFixture&);
  struct Row {
    const char* name;
    uint16_t toolset;
    Setter set;
    Maker make;
    const char* list;
  } rows[] = {
      {"Q51 compiler", kToolset51, [](OptionBlock& b, OptString s) { b.q51.Q51DEF = s; },
       [](CmdFixture& f) { MakeQ51CompilerCommand(f.ctx, &f.file, &f.target, false); }, "Define"},
      {"Q251 compiler", kToolset251, [](OptionBlock& b, OptString s) { b.q251.Q251DEF = s; },
       [](CmdFixture& f) { MakeQ251CompilerCommand(f.ctx, &f.file, &f.target, false); }, "Define"},
      {"W51 assembler", kToolset51, [](OptionBlock& b, OptString s) { b.w51.WX51SET = s; },
       [](CmdFixture& f) { MakeW51AssemblerCommand(f.ctx, &f.file, &f.target, false); }, "Set"},
      {"Q166 compiler", kToolset166, [](OptionBlock& b, OptString s) { b.q166.DEFINE = s; },
       [](CmdFixture& f) { MakeQ166CompilerCommand(f.ctx, &f.file, &f.target, false); }, "Define"},
      {"YQ166 compiler", kToolset166, [](OptionBlock& b, OptString s) { b.yq166.ECDEFINE = s; },
       [](CmdFixture& f) { MakeYQ166CompilerCommand(f.ctx, &f.file, &f.target, false); }, "Define"},
      {"W166 assembler", kToolset166, [](OptionBlock& b, OptString s) { b.w166.ASET = s; },
       [](CmdFixture& f) { MakeW166AssemblerCommand(f.ctx, &f.file, &f.target, false); }, "Set"},
      {"GNU compiler", kToolsetArmGnu, [](OptionBlock& b, OptString s) { b.cGnu.ACDEFN = s; },
       [](CmdFixture& f) { MakeGnuCcCommand(f.ctx, &f.file, &f.target, false); }, "Define"},
      {"GNU assembler", kToolsetArmGnu, [](OptionBlock& b, OptString s) { b.aGnu.AADEFN = s; },
       [](CmdFixture& f) { MakeGnuAsCommand(f.ctx, &f.file, &f.target, false); }, "Define"},
      {"ADS compiler", kToolsetArmAds, [](OptionBlock& b, OptString s) { b.cAds.ADSCDEFN = s; },
       [](CmdFixture& f) { MakeAdsCcCommand(f.ctx, &f.file, &f.target, false); }, "Define"},
      {"ADS assembler", kToolsetArmAds, [](OptionBlock& b, OptString s) { b.aAds.ADSADEFN = s; },
       [](CmdFixture& f) { MakeAdsAsmCommand(f.ctx, &f.file, &f.target, false); }, "Define"},
  };
  const std::string group = Names("SYM", 150), file = Names("FIL", 150);
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    CmdFixture f(r.toolset);
    r.set(f.GroupBlock(), OptString(group.c_str()));
    r.set(f.FileBlock(), OptString(file.c_str()));
    r.make(f);
    const DroppedListEntries& d = f.ctx.g_droppedListEntries;
    EXPECT_EQ(d.list, r.list);
    ASSERT_EQ(d.firstEntry.size(), 6u) << d.firstEntry;
    const std::string line = " " + std::string(f.ctx.Text()) + " ";
    auto inLine = [&](const std::string& name) {
      for (char before : std::string(" ,(D\""))
        for (char after : std::string(" ,)="))
          if (line.find(before + name + after) != std::string::npos) return true;
      return false;
    };
    EXPECT_FALSE(inLine(d.firstEntry)) << line;
    // The file's first name follows the group's last one.
    const int number = std::stoi(d.firstEntry.substr(3));
    const std::string digits = std::to_string(number - 1);
    const std::string previous =
        number == 0 ? "SYM149" : d.firstEntry.substr(0, 3) + std::string(3 - digits.size(), '0') + digits;
    EXPECT_TRUE(inLine(previous)) << previous << " missing from " << line;

    // The same levels within the limits note nothing.
    CmdFixture small(r.toolset);
    r.set(small.GroupBlock(), OptString("ONE TWO"));
    r.set(small.FileBlock(), OptString("THREE"));
    r.make(small);
    EXPECT_EQ(small.ctx.g_droppedListEntries.list, "");
  }
}

}  // namespace
}  // namespace pm2::test
