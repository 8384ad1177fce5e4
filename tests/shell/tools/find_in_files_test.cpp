#include "shell/tools/find_in_files.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <cstdlib>
#include <set>
#include <sys/stat.h>

#include "platform/notification_hub.h"
#include "platform/settings_store.h"
#include "shell/tools/find_history.h"
#include "shell/tools/tool_fakes.h"
#include "hang_guard.h"
#include "test_leftovers.h"

namespace pm2 {
namespace {

class TempTree {
 public:
  TempTree() {
    std::string tmpl = test::TempFolder() + "/pm2fifXXXXXX";
    root = ::mkdtemp(tmpl.data());
    root += '/';
  }
  ~TempTree() { std::system(("rm -rf " + root).c_str()); }
  void File(const std::string& rel, const std::string& text) {
    size_t slash = rel.rfind('/');
    if (slash != std::string::npos) std::system(("mkdir -p " + root + rel.substr(0, slash)).c_str());
    FILE* f = std::fopen((root + rel).c_str(), "wb");
    std::fwrite(text.data(), 1, text.size(), f);
    std::fclose(f);
  }
  std::string root;
};

struct Search {
  RecordingHub hub;
  int beeps = 0;
  FindInFiles find{hub, [this] { ++beeps; }};
  std::vector<std::string> Run(FindInFilesRequest r) {
    find.Search(r);
    return hub.Texts(2);
  }
};

FindInFilesRequest Req(const std::string& folder, const std::string& text, const std::string& types) {
  FindInFilesRequest r;
  r.folder = folder;
  r.findText = text;
  r.fileTypes = types;
  return r;
}

TEST(FindInFiles, HitLinesFolderOrderAndCount) {
  TempTree t;
  t.File("a.c", "int x;\n\tfoo(1); foo(2);\r\nbar\n");
  t.File("sub/b.h", "FOO\n");
  t.File("sub/deep/c.c", "nothing\nfoo");
  t.File("z.lib", "foo\n");
  t.File("d.txt", "foo\n");
  Search s;
  FindInFilesRequest r = Req(t.root, "foo", "*.c; *.h ;*.*");
  r.includeSubfolders = true;
  std::vector<std::string> lines = s.Run(r);
  std::vector<std::string> want = {
      "Searching for 'foo'...",
      t.root + "a.c(2):  foo(1); foo(2);",
      t.root + "a.c(2):  foo(1); foo(2);",  // matched by "*.c" and "*.*"
      t.root + "d.txt(1): foo",
      t.root + "sub/b.h(1): FOO",
      t.root + "sub/b.h(1): FOO",
      t.root + "sub/deep/c.c(2): foo",
      t.root + "sub/deep/c.c(2): foo",
      "7 occurrence(s) have been found.",
  };
  EXPECT_EQ(lines, want);
}

struct MatchRow {
  const char* name;
  const char* text;
  const char* find;
  bool matchCase, wholeWord, regex;
  int hits;
};

class FindMatch : public ::testing::TestWithParam<MatchRow> {};

TEST_P(FindMatch, Rules) {
  TempTree t;
  t.File("f.c", GetParam().text);
  Search s;
  FindInFilesRequest r = Req(t.root, GetParam().find, "*.c");
  r.matchCase = GetParam().matchCase;
  r.wholeWord = GetParam().wholeWord;
  r.regularExpression = GetParam().regex;
  s.Run(r);
  EXPECT_EQ(s.find.Hits(), static_cast<uint32_t>(GetParam().hits));
}

INSTANTIATE_TEST_SUITE_P(
    Rows, FindMatch,
    ::testing::Values(MatchRow{"CaseFolded", "Alpha\nALPHA\nalp\n", "alpha", false, false, false, 2},
                      MatchRow{"CaseKept", "Alpha\nALPHA\n", "alpha", true, false, false, 0},
                      MatchRow{"OnlyLettersFold", "a@b\na`b\n[x\n{x\n", "a@b", false, false, false, 1},
                      MatchRow{"BracketNotBrace", "[x\n{x\n", "[x", false, false, false, 1},
                      MatchRow{"WholeWordTouching", "xfoo\nfoo_\nfoo9\n", "foo", false, true, false, 0},
                      MatchRow{"WholeWordParens", "(foo)\n", "foo", false, true, false, 1},
                      MatchRow{"WholeWordLaterOnLine", "foox foo\n", "foo", false, true, false, 1},
                      MatchRow{"NoRunPastEnd", "fo", "foo", false, false, false, 0},
                      MatchRow{"RegexPerLine", "int a;\nchar b;\nint c\n", "^int.*;$", false, false, true, 1},
                      MatchRow{"RegexBadPattern", "x\n", "(", false, false, true, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FindInFiles, HitLimitStopsWithMessageAndBeep) {
  TempTree t;
  std::string many;
  for (int i = 0; i < 10005; ++i) many += "hit\n";
  t.File("a.c", many);
  t.File("b.c", "hit\n");
  Search s;
  std::vector<std::string> lines = s.Run(Req(t.root, "hit", "*.c"));
  ASSERT_EQ(lines.size(), 10003u);
  EXPECT_EQ(lines[10000], t.root + "a.c(10000): hit");
  EXPECT_EQ(lines[10001], "Find in Files stopped after 10000 hits.");
  EXPECT_EQ(lines[10002], "10000 occurrence(s) have been found.");
  EXPECT_EQ(s.beeps, 1);
  EXPECT_EQ(s.find.StopState(), kFindStoppedAtLimit);
}

// A regular expression that does not compile is told once, with why and
// at which column (the fault's own), as Find tells it: no file is read,
// and no count of occurrences pretends the text was searched.
TEST(FindInFiles, AnInvalidExpressionIsToldOnceNotSearched) {
  TempTree t;
  t.File("a.c", "Serial(Init);\n");
  t.File("b.c", "[z-a]\n");
  const struct {
    const char* name;
    const char* pattern;
    const char* told;
  } rows[] = {
      {"UnmatchedParenthesis", "Serial(Init",
       "The regular expression 'Serial(Init' is no valid regular expression: a '(' without its ')' (at column 7)."},
      {"BackwardRange", "x[z-a]",
       "The regular expression 'x[z-a]' is no valid regular expression: a range whose end comes before its start "
       "(at column 3)."},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.name);
    Search s;
    std::vector<std::string> read;
    s.find.SetFileGate([&](const std::string& path) { read.push_back(path); });
    FindInFilesRequest q = Req(t.root, r.pattern, "*.c");
    q.regularExpression = true;
    EXPECT_EQ(s.Run(q), (std::vector<std::string>{r.told}));
    EXPECT_TRUE(read.empty());
  }
  // The same text without the tick is a plain text, found as it is.
  Search plain;
  EXPECT_EQ(plain.Run(Req(t.root, "Serial(Init", "*.c")),
            (std::vector<std::string>{"Searching for 'Serial(Init'...", t.root + "a.c(1): Serial(Init);",
                                      "1 occurrence(s) have been found."}));
}

TEST(FindInFiles, EmptyTextFindsNothing) {
  Search s;
  EXPECT_EQ(s.Run(Req("/tmp", "", "*.*")),
            (std::vector<std::string>{"Searching for ''...", "No occurrence(s) have been found."}));
}

TEST(FindInFiles, StopRequestAbortsTheThread) {
  TempTree t;
  for (int i = 0; i < 50; ++i) t.File("d" + std::to_string(i) + "/f.c", "x\n");
  RecordingHub hub;
  FindInFiles find(hub, {});
  hub.SetResult(2, 0);
  FindInFilesRequest r = Req(t.root, "x", "*.c");
  r.includeSubfolders = true;
  find.RequestStop();  // a stop before the start is forgotten
  ASSERT_TRUE(find.Start(r));
  find.Join();
  EXPECT_EQ(hub.Texts(2).back(), "50 occurrence(s) have been found.");
  EXPECT_FALSE(find.Running());
  // Now stop as soon as the first hit arrives.
  RecordingHub hub2;
  FindInFiles* self = nullptr;
  DirectHub stopper([&](int, intptr_t arg) {
    if (std::string(reinterpret_cast<const char*>(arg)).find("(1)") != std::string::npos) self->RequestStop();
    hub2.Send(2, arg);
    return 0;
  });
  FindInFiles find2(stopper, {});
  self = &find2;
  ASSERT_TRUE(find2.Start(r));
  find2.Join();
  EXPECT_EQ(hub2.Texts(2).back(), "Job aborted.");
  EXPECT_EQ(find2.Hits(), 1u);
}

// A gate before each file holds the search where a test meets it running:
// held, it runs on without reading; a stop lets it go at once and the
// search ends "Job aborted." before the held file.
TEST(FindInFiles, AHeldSearchRunsUntilStoppedAndReadsNothingMeanwhile) {
  TempTree t;
  t.File("a.c", "x\n");
  t.File("b.c", "x\n");
  RecordingHub hub;
  hub.SetResult(2, 0);
  FindInFiles find(hub, {});
  std::mutex m;
  std::condition_variable cv;
  std::vector<std::string> gated;
  find.SetFileGate([&](const std::string& path) {
    std::unique_lock<std::mutex> lock(m);
    gated.push_back(path);
    cv.notify_all();
    while (find.StopState() == kFindRun) cv.wait_for(lock, std::chrono::milliseconds(5));
  });
  ASSERT_TRUE(find.Start(Req(t.root, "x", "*.c")));
  {
    std::unique_lock<std::mutex> lock(m);
    ASSERT_TRUE(cv.wait_for(lock, std::chrono::milliseconds(test::kHangWaitMs), [&] { return !gated.empty(); }));
  }
  EXPECT_TRUE(find.Running());
  EXPECT_EQ(find.Hits(), 0u) << "the held file was read";
  find.RequestStop();
  find.Join();
  EXPECT_FALSE(find.Running());
  EXPECT_EQ(gated.size(), 1u);
  EXPECT_EQ(hub.Texts(2).back(), "Job aborted.");
}

// A stop asked while a file is read ends the search within that file, with
// a regular expression as with plain text: the user's Stop does not wait
// for the rest of a long file.
TEST(FindInFiles, AStopEndsTheSearchWithinTheFileItReads) {
  // Asks the stop as the first hit is shown.
  struct StoppingHub : RecordingHub {
    intptr_t Send(int code, intptr_t arg) override {
      const intptr_t r = RecordingHub::Send(code, arg);
      if (code == kNotifyFindInFilesText && find && ++texts == 2) find->RequestStop();
      return r;
    }
    FindInFiles* find = nullptr;
    int texts = 0;
  };
  for (const bool regularExpression : {false, true}) {
    SCOPED_TRACE(regularExpression ? "regular expression" : "plain text");
    TempTree t;
    std::string lines;
    for (int i = 0; i < 1000; ++i) lines += "x\n";
    t.File("a.c", lines);
    StoppingHub hub;
    FindInFiles find(hub, {});
    hub.find = &find;
    FindInFilesRequest r = Req(t.root, "x", "*.c");
    r.regularExpression = regularExpression;
    find.Search(r);
    EXPECT_EQ(find.Hits(), 1u);
    EXPECT_EQ(hub.Texts(kNotifyFindInFilesText).back(), "Job aborted.");
  }
}

struct PatternRow {
  const char* name;
  const char* pattern;
  const char* file;
  bool match;
};
class FindPattern : public ::testing::TestWithParam<PatternRow> {};
TEST_P(FindPattern, Wildcards) {
  EXPECT_EQ(MatchFindPattern(GetParam().pattern, GetParam().file), GetParam().match);
}
INSTANTIATE_TEST_SUITE_P(Rows, FindPattern,
                         ::testing::Values(PatternRow{"StarDotStarNoExtension", "*.*", "Makefile", true},
                                           PatternRow{"CaseIgnored", "*.C", "main.c", true},
                                           PatternRow{"PrefixStar", "*.c*", "x.cpp", true},
                                           PatternRow{"Question", "?.h", "ab.h", false},
                                           PatternRow{"Other", "*.h", "x.c", false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(FindHistory, ListsLoadDedupedAndAcceptMovesToTop) {
  SettingsStore store("/nonexistent/settings.ini");
  store.WriteProfileString("_FindLst", "_Item0", "a");
  store.WriteProfileString("_FindLst", "_Item1", "b");
  store.WriteProfileString("_FindLst", "_Item2", "");
  store.WriteProfileString("_FindLst", "_Item3", "lost");
  store.WriteProfileInt("_FindLst", "_Opt", 0xA);
  FindDialogState st;
  st.Load(store, "b", "/proj/");
  EXPECT_EQ(st.findTexts, (std::vector<std::string>{"b", "a"}));
  EXPECT_EQ(st.fileTypes, (std::vector<std::string>{kDefaultFindTypes}));
  EXPECT_EQ(st.folders, (std::vector<std::string>{"/proj"}));
  EXPECT_TRUE(st.regularExpression);
  EXPECT_TRUE(st.wholeWord);
  FindInFilesRequest r = st.Accept(store, "a", "*.c", "/src");
  EXPECT_FALSE(r.wholeWord);  // off with a regular expression
  EXPECT_EQ(ReadHistoryList(store, "_FindLst"), (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(ReadHistoryList(store, "_FoldLst"), (std::vector<std::string>{"/src", "/proj"}));
  EXPECT_FALSE(FindDialogState::CanAccept("a", "", "c"));
}

// The same word and patterns over this program's own sources give the
// lines `grep -rn` gives.
TEST(FindInFiles, MatchesGrepOverSourceTree) {
  const char* src = std::getenv("PM2_TEST_SRC");
  if (!src) GTEST_SKIP() << "PM2_TEST_SRC not set";
  const std::string folder = std::string(src) + "/src/";
  Search s;
  FindInFilesRequest r = Req(folder, "Registry", "*.h;*.cpp");
  r.includeSubfolders = true;
  r.matchCase = true;
  std::set<std::string> ours;
  for (const std::string& line : s.Run(r)) {
    size_t close = line.find("): ");
    if (line.rfind(folder, 0) == 0 && close != std::string::npos)
      ours.insert(line.substr(0, close + 1));
  }
  std::set<std::string> theirs;
  FILE* p = ::popen(("grep -rn --include='*.h' --include='*.cpp' Registry " + folder).c_str(), "r");
  ASSERT_NE(p, nullptr);
  char buf[4096];
  while (std::fgets(buf, sizeof buf, p)) {
    std::string line = buf;
    size_t c1 = line.find(':');
    size_t c2 = line.find(':', c1 + 1);
    theirs.insert(line.substr(0, c1) + "(" + line.substr(c1 + 1, c2 - c1 - 1) + ")");
  }
  ::pclose(p);
  ASSERT_FALSE(theirs.empty());
  // grep writes "src//x" for a folder ending in '/'; ours joins once.
  std::set<std::string> normalised;
  for (std::string t : theirs) {
    size_t dd = t.find("//");
    if (dd != std::string::npos) t.erase(dd, 1);
    normalised.insert(t);
  }
  EXPECT_EQ(ours, normalised);
  EXPECT_EQ(s.find.Hits(), normalised.size());
}


// A search is stopped and joined (the frame going away) while one of its
// lines waits for the GUI thread: the lines are served while the join
// waits, and the search ends with "Job aborted.".
TEST(FindInFilesJoin, StopWhileALineWaitsForTheGuiThread) {
  TempTree tree;
  std::string text;
  for (int i = 0; i < 50; ++i) text += "needle " + std::to_string(i) + "\n";
  tree.File("a.c", text);
  HandOverHub hub;
  auto find = std::make_unique<FindInFiles>(hub, [] {}, [&hub] { hub.gate.Serve(); });
  FindInFilesRequest r;
  r.findText = "needle";
  r.fileTypes = "*.c";
  r.folder = tree.root;
  ASSERT_TRUE(find->Start(r));
  ASSERT_TRUE(hub.gate.WaitForCaller());
  ExpectReturnsWithin(std::chrono::seconds(20), [&] { find.reset(); });
  const std::vector<std::string> lines = hub.Texts();
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(lines.front(), "Searching for 'needle'...");
  EXPECT_EQ(lines.back(), "Job aborted.");
  EXPECT_LT(lines.size(), 52u);  // stopped before the end of the file
}

}  // namespace
}  // namespace pm2
