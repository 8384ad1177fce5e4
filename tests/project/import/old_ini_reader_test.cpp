#include "project/import/old_ini_reader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <thread>

#include "platform/temp_dir.h"

namespace pm2 {
namespace {

struct LineRow {
  const char* name;
  const char* text;
  std::vector<std::string> lines;
};

TEST(OldIniReader, LineRows) {
  const LineRow rows[] = {
      {"crlf and lf", "[A]\r\nX=1\nY=2", {"[A]", "X=1", "Y=2"}},
      {"leading blanks and empty lines", "  \t[A]\r\n\r\n\n  X = 1  ", {"[A]", "X = 1"}},
      {"comment becomes a blank", "X=/* c */1", {"X= 1"}},
      {"unclosed comment ends the line", "X=1 /* open\nY=2", {"X=1", "Y=2"}},
      {"line of only a comment", "/* c */\nY=2", {" ", "Y=2"}},
      {"only a comment at the end", "Y=2\n/* c */", {"Y=2"}},
  };
  for (const LineRow& r : rows) {
    OldIniProject f;
    f.OpenText(r.text);
    std::vector<std::string> got;
    while (f.NextLine()) got.push_back(f.Line());
    EXPECT_EQ(got, r.lines) << r.name;
  }
}

// Only a regular file is read: a named pipe must not block the program (it
// runs on the GUI thread) and a folder is no empty project.
TEST(OldIniReader, OpensOnlyARegularFile) {
  TempDir dir;
  ASSERT_FALSE(dir.path().empty());
  const std::string fifo = dir / "Pipe.prj", folder = dir / "Folder.prj", real = dir / "Real.prj";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  std::filesystem::create_directory(folder);
  std::ofstream(real) << "[PROJ]\r\nX=1\r\n";
  std::atomic<bool> done{false};
  int fifoResult = -1;
  std::thread reader([&] {
    OldIniProject f;
    fifoResult = f.Open(fifo);
    done = true;
  });
  for (int i = 0; i < 200 && !done; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_TRUE(done) << "opening a named pipe blocked";
  if (!done) {
    // A writer that comes and goes ends the reader's wait.
    const int w = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
    if (w >= 0) ::close(w);
  }
  reader.join();
  EXPECT_EQ(fifoResult, 1);
  OldIniProject f;
  EXPECT_EQ(f.Open(folder), 1);
  ASSERT_EQ(f.Open(real), 0);
  ASSERT_TRUE(f.NextLine());
  EXPECT_EQ(f.Line(), "[PROJ]");
}

TEST(OldIniReader, LongLinesKeep1022Characters) {
  OldIniProject f;
  f.OpenText("X=" + std::string(2000, 'a') + "\nY=1");
  ASSERT_TRUE(f.NextLine());
  EXPECT_EQ(f.Line().size(), 1022u);
  ASSERT_TRUE(f.NextLine());
  EXPECT_EQ(f.Line(), "Y=1");
}

struct NumberRow {
  const char* name;
  const char* value;
  int64_t expected;
};

TEST(OldIniReader, NumberRows) {
  const NumberRow rows[] = {
      {"decimal", "42", 42},          {"0x", "0x1F", 31},       {"trailing H", "1Fh", 31},
      {"negative", "-3", -3},         {"not a number", "abc", 0}, {"digits then H", "8000H", 0x8000},
  };
  for (const NumberRow& r : rows) {
    OldIniProject f;
    f.OpenText(std::string("K=") + r.value);
    ASSERT_TRUE(f.NextLine());
    std::string key;
    ASSERT_TRUE(f.ReadKeyName(&key));
    EXPECT_EQ(f.ReadNumber(), r.expected) << r.name;
  }
}

TEST(OldIniReader, ValueForms) {
  OldIniProject f;
  f.OpenText("k = 0x10 - 20h\nAddr=8000\nOk=yes\nNo=Maybe\nT=text with blanks   \xFF" "rest\n[ sec-1 ]");
  std::string key;
  ASSERT_TRUE(f.NextLine() && f.ReadKeyName(&key));
  EXPECT_EQ(key, "K");
  uint32_t a = 0, b = 0;
  f.ReadRange(&a, &b);
  EXPECT_EQ(a, 0x10u);
  EXPECT_EQ(b, 0x20u);
  ASSERT_TRUE(f.NextLine() && f.ReadKeyName(&key));
  EXPECT_EQ(f.ReadAddressText(), "0x8000");
  ASSERT_TRUE(f.NextLine() && f.ReadKeyName(&key));
  EXPECT_EQ(f.ReadYesNo(), 1);
  ASSERT_TRUE(f.NextLine() && f.ReadKeyName(&key));
  EXPECT_EQ(f.ReadYesNo(), 0);
  ASSERT_TRUE(f.NextLine() && f.ReadKeyName(&key));
  EXPECT_EQ(f.ReadText(100), "text with blanks");
  ASSERT_TRUE(f.NextLine());
  ASSERT_TRUE(f.ReadSectionName(&key));
  EXPECT_EQ(key, "SEC-1");
}

}  // namespace
}  // namespace pm2
