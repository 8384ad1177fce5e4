// The results pane's rows: definitions and references by file, the call
// and callers graphs with their limits, row texts and titles.
#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "browse_sample_file.h"
#include "browser/browse_loader.h"
#include "browser/browse_results.h"

namespace pm2 {
namespace {

std::unique_ptr<BrowseModule> LoadedModule(const BrowseSampleFile& f) {
  std::unique_ptr<BrowseModule> m;
  EXPECT_EQ(LoadBrowseInfo(f.bytes.data(), f.bytes.size(), "/p", &m), kBrowseOk);
  return m;
}

struct AccessRow {
  const char* name;
  uint32_t access;
  const char* suffix;
};
class BrowseAccessRows : public ::testing::TestWithParam<AccessRow> {};
TEST_P(BrowseAccessRows, Suffix) { EXPECT_EQ(AccessSuffix(GetParam().access), GetParam().suffix); }
INSTANTIATE_TEST_SUITE_P(Rows, BrowseAccessRows,
                         ::testing::Values(AccessRow{"None", 0, ""}, AccessRow{"Read", 1, " [r]"},
                                           AccessRow{"ReadWritten", 3, " [r/w]"},
                                           AccessRow{"ReadAddress", 5, " [r/&]"},
                                           AccessRow{"All", 7, " [r/w/&]"}, AccessRow{"AddressOnly", 4, " [&]"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(BrowseResults, TitlesNameModeAndSymbol) {
  auto m = LoadedModule(SampleModule());
  const BrowseSymbol* main = m->FindName("main")->first;
  EXPECT_EQ(ResultsTitle(kResultsDefRef, main), "Definitions and References - main");
  EXPECT_EQ(ResultsTitle(kResultsCallGraph, main), "Call Graph - main");
  EXPECT_EQ(ResultsTitle(kResultsCallers, nullptr), "Callers Graph - <none>");
}

TEST(BrowseResults, FilesInOrderOfFirstOccurrenceWithTheirRows) {
  BrowseSampleFile f;
  f.ModuleStart()
      .Header(2)
      .File("a.c")
      .File("b.c")
      .File("c.c")
      .NameRec("tag")
      .Symbol(32)
      .NameRec("v")
      .Symbol(16)
      .Occurrences({{2, 3, 30, 3}, {2, 1, 10}, {2, 3, 31}, {3, 2, 5}, {5, 2, 20, 5, 0}, {6, 1, 1, 0, 0},
                    {2, 1500, 9}, {2, 9, 9}})
      .ModuleEnd();
  auto m = LoadedModule(f);
  std::vector<BrowseFileRows> files = DefinitionRows(*m, *m->FindName("v")->first);
  ASSERT_EQ(files.size(), 3u);  // file 1500 is past the limit, file 9 unknown
  EXPECT_EQ(files[0].file->path, "/p/c.c");
  EXPECT_EQ(files[1].file->path, "/p/a.c");
  EXPECT_EQ(files[2].file->path, "/p/b.c");
  ASSERT_EQ(files[0].rows.size(), 2u);
  EXPECT_EQ(OccurrenceRowText(*files[0].rows[0]), "[ D ] Line 30 [r/w]");
  EXPECT_EQ(OccurrenceRowText(*files[0].rows[1]), "[ D ] Line 31");
  // References come after the definitions in each array.
  ASSERT_EQ(files[1].rows.size(), 2u);
  EXPECT_EQ(OccurrenceRowText(*files[1].rows[1]), "[ R ] Line 1, member of tag 'tag'");
  EXPECT_EQ(OccurrenceImage(*files[1].rows[1]), 1);
  ASSERT_EQ(files[2].rows.size(), 1u);  // the call relation is not listed
  EXPECT_EQ(OccurrenceRowText(*files[2].rows[0]), "[ D ] Line 20, member of tag 'tag' [r/&]");
  EXPECT_EQ(OccurrenceImage(*files[2].rows[0]), 0);
}

// Symbols 0..n-1 named f0.. with the calls given (caller, callee): each
// call is a kind-3 entry of the caller and a kind-4 entry of the callee.
BrowseSampleFile Calls(int n, const std::vector<std::pair<int, int>>& calls) {
  BrowseSampleFile f;
  f.ModuleStart().Header(static_cast<uint32_t>(n)).File("a.c");
  for (int i = 0; i < n; ++i) {
    f.NameRec("f" + std::to_string(i)).Symbol(8, 0, 17);
    std::vector<uint8_t> c;
    std::vector<SampleOccurrence> list{{1, 1, static_cast<uint32_t>(100 + i)}};
    for (auto [from, to] : calls) {
      if (from == i) list.push_back({3, 1, static_cast<uint32_t>(i), 0, static_cast<uint32_t>(to)});
      if (to == i) list.push_back({4, 1, static_cast<uint32_t>(from), 0, static_cast<uint32_t>(from)});
    }
    BrowseSampleFile::U32(c, static_cast<uint32_t>(list.size()));
    for (const SampleOccurrence& o : list) {
      BrowseSampleFile::U16(c, o.kind);
      BrowseSampleFile::U16(c, o.file);
      BrowseSampleFile::U32(c, o.line);
      BrowseSampleFile::U32(c, o.access);
      BrowseSampleFile::U32(c, o.ref);
    }
    f.Record(0x64, c);
  }
  f.ModuleEnd();
  return f;
}

std::string Shape(const BrowseGraphNode& n) {
  std::string s = n.name;
  if (n.children.empty()) return s;
  s += "(";
  for (size_t i = 0; i < n.children.size(); ++i) s += (i ? " " : "") + Shape(n.children[i]);
  return s + ")";
}

struct GraphRow {
  const char* name;
  int symbols;
  std::vector<std::pair<int, int>> calls;
  int root;
  int mode;
  const char* shape;
};
class BrowseGraphRows : public ::testing::TestWithParam<GraphRow> {};
TEST_P(BrowseGraphRows, Shape) {
  const GraphRow& r = GetParam();
  auto m = LoadedModule(Calls(r.symbols, r.calls));
  ASSERT_TRUE(m);
  EXPECT_EQ(Shape(BuildGraph(*m->FindName("f" + std::to_string(r.root))->first, r.mode)), r.shape);
}
INSTANTIATE_TEST_SUITE_P(
    Rows, BrowseGraphRows,
    ::testing::Values(GraphRow{"CalleesInArrayOrder", 4, {{0, 1}, {0, 2}, {1, 3}}, 0, kResultsCallGraph,
                               "f0(f1(f3) f2)"},
                      GraphRow{"Callers", 4, {{0, 1}, {2, 1}, {3, 2}}, 1, kResultsCallers, "f1(f0 f2(f3))"},
                      GraphRow{"SelfCallerLeftOut", 3, {{0, 1}, {1, 1}, {0, 2}}, 0, kResultsCallGraph, "f0(f2)"},
                      GraphRow{"NoCalls", 2, {}, 0, kResultsCallGraph, "f0"}),
    [](const auto& info) { return std::string(info.param.name); });

int Depth(const BrowseGraphNode& n) {
  int d = 0;
  for (const BrowseGraphNode& c : n.children) d = std::max(d, 1 + Depth(c));
  return d;
}

TEST(BrowseGraph, MutualRecursionStopsAtFortyLevels) {
  auto m = LoadedModule(Calls(2, {{0, 1}, {1, 0}}));
  const BrowseGraphNode g = BuildGraph(*m->FindName("f0")->first, kResultsCallGraph);
  EXPECT_EQ(Depth(g), kGraphDepth);
  EXPECT_EQ(g.children[0].via->kind, kOccCalls);
  EXPECT_EQ(g.children[0].kind, kOccCalls);
}

TEST(BrowseGraph, FanOutStopsAtTheNodeLimit) {
  // Two functions calling each other twice each: 2^40 paths without a cap.
  auto m = LoadedModule(Calls(2, {{0, 1}, {0, 1}, {1, 0}, {1, 0}}));
  size_t nodes = 0;
  const BrowseGraphNode g = BuildGraph(*m->FindName("f0")->first, kResultsCallGraph, &nodes);
  EXPECT_EQ(nodes, kGraphMaxNodes);
  EXPECT_FALSE(g.children.empty());
}

TEST(BrowseGraph, RootPlacePrefersTheDefinition) {
  BrowseSampleFile f;
  f.ModuleStart().Header(2).File("a.c").NameRec("a").Symbol(8).Occurrences({{1, 1, 5}, {2, 1, 9}});
  f.NameRec("b").Symbol(8).Occurrences({{1, 1, 7}}).NameRec("c").ModuleEnd();
  auto m = LoadedModule(f);
  EXPECT_EQ(GraphRootPlace(*m->FindName("a")->first)->line, 9u);
  EXPECT_EQ(GraphRootPlace(*m->FindName("b")->first)->line, 7u);
}

}  // namespace
}  // namespace pm2
