// The dependency file: what is written, what is read back, and reading
// any cut of a file; the include-list merge.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <utility>
#include <vector>

#include "builder/build_test_support.h"
#include "builder/driver/dependency_file.h"
#include "builder/preprocessor/preprocessor.h"
#include "project/model/project_records.h"
#include "project/text/pool.h"

namespace pm2 {
namespace {

struct DepFixture : ::testing::Test {
  DepFixture() {
    project = NewProject("Demo", "/p/");
    project->firstTarget->toolset = kToolsetArmGnu;
    main = AddFileToGroup(project->firstGroup, "main.c", "./", kFileC);
    start = AddFileToGroup(project->firstGroup, "start.s", "./", kFileAsm);
  }
  ~DepFixture() override { PoolFree(kPoolDependencies); }
  ProjectRec* project;
  FileRec* main;
  FileRec* start;
  DepFileTime times = [](const std::string& path, uint32_t* t) {
    *t = path == "./main.c" ? 0xABCDEF01u : 0x10u;
    return true;
  };
};

TEST_F(DepFixture, WrittenTextReadsBackWithNestedParentheses) {
  main->lastControls = OptString("-c -DX=(1+(2)) -O2");
  std::vector<IncludeEntry> scanned = {{kIncludeSource, 1, "./main.c"}, {kIncludeHeader, 0x22, "a.h"},
                                       {kIncludeHeader, 0x33, "INC\\B.H"}};
  MergeIncludeList(*main, scanned);
  const std::string text = DependencyFileText(*project, *project->firstTarget, times);
  EXPECT_EQ(text,
            "Dependencies for Project 'Demo', Target 'Target 1': (DO NOT MODIFY !)\r\n"
            "F (./main.c)(0xABCDEF01)(-c -DX=(1+(2)) -O2)\r\n"
            "I (a.h)(0x00000022)\r\n"
            "I (INC\\B.H)(0x00000033)\r\n"
            "F (./start.s)(0x00000010)()\r\n");
  ClearDependencyData(*project);
  EXPECT_EQ(main->depIncludes, nullptr);
  ReadDependencyText(*project, text);
  EXPECT_EQ(main->lastControls.str(), "-c -DX=(1+(2)) -O2");
  EXPECT_EQ(main->time, 0xABCDEF01u);
  ASSERT_NE(main->depIncludes, nullptr);
  EXPECT_EQ(main->depIncludes->path.str(), "a.h");
  ASSERT_NE(main->depIncludes->next, nullptr);
  EXPECT_EQ(main->depIncludes->next->time, 0x33u);
  EXPECT_EQ(main->depIncludes->next->next, nullptr);
}

// A file of the project whose name holds a parenthesis of its own reads
// back as itself, with its time and command line: otherwise every build
// would take it for changed and translate it again.
TEST_F(DepFixture, FileNamesWithTheirOwnParenthesesReadBackAsThemselves) {
  struct Row {
    const char* name;
    const char* file;
    const char* header;
  };
  const Row rows[] = {
      {"ClosingParenthesis", "LE)D.c", "a)b.h"},
      {"OpeningParenthesis", "LE(D.c", "a(b.h"},
      {"Balanced", "LE(1).c", "a(1).h"},
      {"TimeLikeText", "x)(0x1)(y.c", "h)(0x12345678.h"},
      {"Blank", "my file.c", "my header.h"},
  };
  for (const Row& r : rows) {
    FileRec* f = AddFileToGroup(project->firstGroup, r.file, "./", kFileC);
    // The command line names the object after the source.
    const std::string controls = std::string("-c -O2 -o ./Obj/") + r.file + ".o";
    f->lastControls = OptString::Pooled(controls, kPoolDependencies);
    MergeIncludeList(*f, {{kIncludeSource, 1, std::string("./") + r.file}, {kIncludeHeader, 0x44, r.header}});
    const DepFileTime at = [](const std::string&, uint32_t* t) {
      *t = 0x12345678u;
      return true;
    };
    const std::string text = DependencyFileText(*project, *project->firstTarget, at);
    ClearDependencyData(*project);
    ReadDependencyText(*project, text);
    EXPECT_EQ(f->time, 0x12345678u) << r.name;
    EXPECT_EQ(f->lastControls.str(), controls) << r.name;
    ASSERT_NE(f->depIncludes, nullptr) << r.name;
    EXPECT_EQ(f->depIncludes->path.str(), r.header) << r.name;
    EXPECT_EQ(f->depIncludes->time, 0x44u) << r.name;
    EXPECT_EQ(main->time, 0x12345678u) << r.name << ": the files after it keep their own lines";
    // Written again, the text is the same: nothing reads as changed.
    EXPECT_EQ(DependencyFileText(*project, *project->firstTarget, at), text) << r.name;
    f->flags |= kFileRemoved;
  }
}

TEST_F(DepFixture, LinesOfFilesNotInTheProjectAreSkipped) {
  ReadDependencyText(*project,
                     "header\n"
                     "F (./gone.c)(0x1)(x)\nI (lost.h)(0x2)\n"
                     "F (./MAIN.C)(0xff)(y)\nI (kept.h)(0X3)\nZ junk\nI (after.h)(0x4)\n");
  EXPECT_EQ(main->lastControls.str(), "y");
  EXPECT_EQ(main->time, 0xFFu);
  ASSERT_NE(main->depIncludes, nullptr);
  EXPECT_EQ(main->depIncludes->path.str(), "kept.h");
  EXPECT_EQ(main->depIncludes->next, nullptr);  // an unknown line ends the I lines
}

// Records come in project order as written; after files were added,
// removed or moved in the project they don't, and each still reaches its file.
TEST_F(DepFixture, RecordsOutOfProjectOrderReachTheirFiles) {
  FileRec* added = AddFileToGroup(project->firstGroup, "added.c", "./", kFileC);
  FileRec* last = AddFileToGroup(project->firstGroup, "last.c", "./", kFileC);
  ReadDependencyText(*project,
                     "header\n"
                     "F (./last.c)(0x4)(l)\n"
                     "F (./start.s)(0x2)(s)\n"
                     "F (./main.c)(0x1)(m)\nI (m.h)(0x5)\n");
  EXPECT_EQ(main->lastControls.str(), "m");
  ASSERT_NE(main->depIncludes, nullptr);
  EXPECT_EQ(main->depIncludes->path.str(), "m.h");
  EXPECT_EQ(start->lastControls.str(), "s");
  EXPECT_EQ(last->lastControls.str(), "l");
  EXPECT_EQ(last->time, 4u);
  EXPECT_TRUE(added->lastControls.empty());
  EXPECT_EQ(added->time, 0u);
}

// What one file's record looked like after a read.
struct DepSnapshot {
  uint32_t time = 0;
  std::string controls;
  std::vector<std::pair<std::string, uint32_t>> includes;
};

DepSnapshot Snapshot(const FileRec& f) {
  DepSnapshot s{f.time, f.lastControls.str(), {}};
  for (DepIncludeRec* r = f.depIncludes; r; r = r->next) s.includes.emplace_back(r->path.str(), r->time);
  return s;
}

// A file cut at any length keeps every record whose line arrived whole,
// leaves the files whose lines are cut off entirely untouched, and never
// makes up more than the cut line held.
TEST_F(DepFixture, EveryCutOfAFileKeepsItsCompleteRecords) {
  FileRec* util = AddFileToGroup(project->firstGroup, "util.c", "./", kFileC);
  main->lastControls = OptString("-c -DX=(1) -O2");
  util->lastControls = OptString("-c");
  MergeIncludeList(*main, {{kIncludeSource, 1, "./main.c"}, {kIncludeHeader, 0x22, "a.h"},
                           {kIncludeHeader, 0x33, "b.h"}});
  MergeIncludeList(*util, {{kIncludeSource, 1, "./util.c"}, {kIncludeHeader, 0x44, "u.h"}});
  const std::string text = DependencyFileText(*project, *project->firstTarget, times);
  FileRec* files[] = {main, start, util};
  const std::string paths[] = {"./main.c", "./start.s", "./util.c"};
  DepSnapshot full[3];
  ClearDependencyData(*project);
  ReadDependencyText(*project, text);
  for (int i = 0; i < 3; ++i) full[i] = Snapshot(*files[i]);
  ASSERT_EQ(full[0].includes.size(), 2u);
  ASSERT_EQ(full[2].includes.size(), 1u);

  for (size_t n = 0; n <= text.size(); ++n) {
    const std::string cut = text.substr(0, n);
    ClearDependencyData(*project);
    ReadDependencyText(*project, cut);
    for (int i = 0; i < 3; ++i) {
      const DepSnapshot got = Snapshot(*files[i]);
      const size_t fAt = text.find("F (" + paths[i] + ")");
      const size_t fEnd = text.find('\n', fAt) + 1;
      // The next F line (or the end) closes this file's I lines.
      const size_t next = text.find("\nF (", fAt);
      const size_t recordEnd = next == std::string::npos ? text.size() : next + 1;
      SCOPED_TRACE(paths[i] + " cut at " + std::to_string(n));
      if (n <= fAt + 2) {  // not even the F line's path started
        EXPECT_EQ(got.time, 0u);
        EXPECT_EQ(got.controls, "");
        EXPECT_TRUE(got.includes.empty());
      } else if (n >= recordEnd) {
        EXPECT_EQ(got.time, full[i].time);
        EXPECT_EQ(got.controls, full[i].controls);
        EXPECT_EQ(got.includes, full[i].includes);
      } else {
        if (n >= fEnd) {
          EXPECT_EQ(got.time, full[i].time);
          EXPECT_EQ(got.controls, full[i].controls);
        }
        EXPECT_EQ(full[i].controls.rfind(got.controls, 0), 0u) << got.controls;
        // Every I line that arrived whole is kept in order; a cut one adds
        // at most one record, whose path is a beginning of the full one's.
        size_t whole = 0;
        for (size_t at = text.find("\nI (", fAt); at != std::string::npos && at < recordEnd && n > at;
             at = text.find("\nI (", at + 1))
          if (text.find('\n', at + 1) < n) ++whole;
        ASSERT_GE(got.includes.size(), whole);
        ASSERT_LE(got.includes.size(), whole + 1);
        for (size_t k = 0; k < got.includes.size(); ++k) {
          if (k < whole) {
            EXPECT_EQ(got.includes[k], full[i].includes[k]);
          } else {
            EXPECT_EQ(full[i].includes[k].first.rfind(got.includes[k].first, 0), 0u);
          }
        }
      }
    }
  }
}

TEST_F(DepFixture, MergeKeepsRecordsWhenPathsMatch) {
  MergeIncludeList(*main, {{kIncludeSource, 1, "./main.c"}, {kIncludeHeader, 2, "a.h"}});
  DepIncludeRec* first = main->depIncludes;
  MergeIncludeList(*main, {{kIncludeSource, 1, "./main.c"}, {kIncludeHeader, 9, "A.H"}});
  EXPECT_EQ(main->depIncludes, first);
  EXPECT_EQ(first->time, 9u);
  MergeIncludeList(*main, {{kIncludeSource, 1, "./main.c"}, {kIncludeHeader, 9, "b.h"}});
  EXPECT_NE(main->depIncludes, first);
  EXPECT_EQ(main->depIncludes->path.str(), "b.h");
}

// The file on disk is replaced only when its text would change: an
// unchanged project keeps the very same file (same inode, same time).
TEST(DependencyFileWrite, UnchangedFileIsNotRewritten) {
  test::ScratchFolder dir;
  ProjectRec* project = NewProject("Demo", dir.Path().c_str());
  project->firstTarget->toolset = kToolsetArmGnu;
  FileRec* main = AddFileToGroup(project->firstGroup, "main.c", "./", kFileC);
  main->lastControls = OptString("-c -O2");
  MergeIncludeList(*main, {{kIncludeSource, 1, "./main.c"}, {kIncludeHeader, 2, "a.h"}});
  uint32_t sourceTime = 0x100;
  DepFileTime times = [&](const std::string&, uint32_t* t) {
    *t = sourceTime;
    return true;
  };
  const std::string name = DependencyFileName(*project, *project->firstTarget);
  auto inodeOf = [&] {
    struct stat st;
    return ::stat(name.c_str(), &st) == 0 ? st.st_ino : ino_t(0);
  };
  std::string err;
  ASSERT_TRUE(WriteDependencyFile(*project, *project->firstTarget, times, &err)) << err;
  const ino_t first = inodeOf();
  ASSERT_NE(first, ino_t(0));
  EXPECT_EQ(test::ReadFile(name), DependencyFileText(*project, *project->firstTarget, times));

  ASSERT_TRUE(WriteDependencyFile(*project, *project->firstTarget, times, &err)) << err;
  EXPECT_EQ(inodeOf(), first);

  struct Row {
    const char* name;
    std::function<void()> change;
  } rows[] = {
      {"source time", [&] { sourceTime = 0x101; }},
      {"control string", [&] { main->lastControls = OptString("-c -O3"); }},
      {"include time", [&] { main->depIncludes->time = 7; }},
      {"file edited by hand", [&] { test::WriteFile(name, "Dependencies for nothing\r\n"); }},
  };
  for (const Row& r : rows) {
    const ino_t before = inodeOf();
    r.change();
    ASSERT_TRUE(WriteDependencyFile(*project, *project->firstTarget, times, &err)) << err;
    EXPECT_NE(inodeOf(), before) << r.name;
    EXPECT_EQ(test::ReadFile(name), DependencyFileText(*project, *project->firstTarget, times)) << r.name;
  }
  PoolFree(kPoolDependencies);
  PoolFree(kPoolProject);
}

}  // namespace
}  // namespace pm2
